#pragma once

// While an InterruptGuard lives, Ctrl-C (SIGINT) and SIGTERM only raise a
// flag, so a command that drives the engine can stop it cleanly (close the
// device, cancel an export, keep a take) instead of dying mid-write. The
// flag stays raised after the guard ends, until the next guard starts.
//
//     InterruptGuard guard;
//     while (!InterruptGuard::Interrupted()) { ... }

#include <csignal>

namespace bm::cli {

class InterruptGuard {
public:
    InterruptGuard();
    ~InterruptGuard();
    InterruptGuard(const InterruptGuard&) = delete;
    InterruptGuard& operator=(const InterruptGuard&) = delete;

    static bool Interrupted();

private:
    struct sigaction m_oldInt {};
    struct sigaction m_oldTerm {};
};

} // namespace bm::cli

#include "cli/InterruptGuard.h"

#include <atomic>

namespace bm::cli {

namespace {

std::atomic<bool> g_interrupted{false};

extern "C" void OnInterrupt(int) { g_interrupted.store(true); }

} // namespace

InterruptGuard::InterruptGuard()
{
    g_interrupted.store(false);
    struct sigaction action {};
    action.sa_handler = &OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &m_oldInt);
    sigaction(SIGTERM, &action, &m_oldTerm);
}

InterruptGuard::~InterruptGuard()
{
    sigaction(SIGINT, &m_oldInt, nullptr);
    sigaction(SIGTERM, &m_oldTerm, nullptr);
}

bool InterruptGuard::Interrupted() { return g_interrupted.load(); }

} // namespace bm::cli

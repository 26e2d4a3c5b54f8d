#pragma once

// Stands in for a full disk: while a FileSizeLimit lives, files of this
// process may not grow past the given size, and a write past it fails with
// EFBIG instead of raising SIGXFSZ. The earlier limit and signal handling
// come back when it ends.
//
//     {
//         FileSizeLimit full(4096);
//         EXPECT_FALSE(WriteSomethingLarge());
//     }

#include <sys/resource.h>

#include <csignal>
#include <cstdint>

namespace bm::test {

class FileSizeLimit {
public:
    explicit FileSizeLimit(uint64_t bytes)
    {
        m_set = ::getrlimit(RLIMIT_FSIZE, &m_old) == 0;
        m_oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limited = m_old;
        limited.rlim_cur = bytes;
        m_set = m_set && ::setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit()
    {
        if (m_set)
            ::setrlimit(RLIMIT_FSIZE, &m_old);
        std::signal(SIGXFSZ, m_oldHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    // False when the limit could not be set (the test cannot go on).
    bool Active() const { return m_set; }

private:
    struct rlimit m_old {};
    void (*m_oldHandler)(int) = SIG_DFL;
    bool m_set = false;
};

} // namespace bm::test

#pragma once

#include <cstdint>
#include <string>

namespace bm {

// The reason an operation failed, for the person who has to act on it (the
// command-line tool's message, a status line). Operations still return what
// their callers expect (a flag, a count, -1); this only carries the why.
struct Error {
    std::string message;
    // Byte offset or line number the failure refers to; -1 when none.
    int64_t where = -1;

    void Set(std::string text, int64_t at = -1)
    {
        message = std::move(text);
        where = at;
    }
};

// Fills *error when the caller asked for a reason; returns false so that
// failure paths read `return Fail(error, "...");`.
inline bool Fail(Error* error, std::string text, int64_t at = -1)
{
    if (error)
        error->Set(std::move(text), at);
    return false;
}

} // namespace bm

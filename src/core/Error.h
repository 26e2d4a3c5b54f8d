#pragma once

#include <cstdint>
#include <string>

namespace bm {

// What kind of failure it was: whether the person should fix the file, find
// another tool for it, or look at the system.
enum class ErrorCategory : uint8_t {
    Failed,      // no more specific category
    Io,          // a file could not be opened, read or written
    Damaged,     // the input contradicts itself or holds impossible values
    Unsupported, // well-formed, but a kind this program does not handle
    TooLarge,    // beyond the sizes this program takes on
};

// The category's name for messages: "damaged", "unsupported", ...
const char* CategoryName(ErrorCategory category);

// The reason an operation failed, for the person who has to act on it (the
// command-line tool's message, a status line). Operations still return what
// their callers expect (a flag, a count, -1); this only carries the why.
struct Error {
    std::string message;
    // Byte offset or line number the failure refers to; -1 when none.
    int64_t where = -1;
    ErrorCategory category = ErrorCategory::Failed;

    void Set(std::string text, int64_t at = -1) { Set(ErrorCategory::Failed, std::move(text), at); }
    void Set(ErrorCategory kind, std::string text, int64_t at = -1)
    {
        category = kind;
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

inline bool Fail(Error* error, ErrorCategory category, std::string text, int64_t at = -1)
{
    if (error)
        error->Set(category, std::move(text), at);
    return false;
}

// "damaged at byte 1234: <message>", "unsupported: <message>": the category,
// the offset when there is one, then the message. For failures whose `where`
// is a byte offset.
std::string DescribeAtByte(const Error& error);

} // namespace bm

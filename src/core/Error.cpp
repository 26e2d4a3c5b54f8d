#include "core/Error.h"

namespace bm {

const char* CategoryName(ErrorCategory category)
{
    switch (category) {
    case ErrorCategory::Io:
        return "cannot read or write";
    case ErrorCategory::Damaged:
        return "damaged";
    case ErrorCategory::Unsupported:
        return "unsupported";
    case ErrorCategory::TooLarge:
        return "too large";
    case ErrorCategory::Failed:
        break;
    }
    return "failed";
}

std::string DescribeAtByte(const Error& error)
{
    std::string text = CategoryName(error.category);
    if (error.where >= 0)
        text += " at byte " + std::to_string(error.where);
    return text + ": " + error.message;
}

} // namespace bm

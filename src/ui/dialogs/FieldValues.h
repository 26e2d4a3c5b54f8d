#pragma once

// How the dialogs read their edit fields: leniently, as the program reads
// every number a person types. Leading blanks are skipped and the number
// ends at the first character that cannot continue it; a field that does
// not start with a number reads 0.

#include <cstdint>
#include <string_view>

namespace bm::dialogs {

// A whole number, saturating at the 32-bit range ("12 bars" reads 12).
int32_t ReadInteger(std::string_view text);
// A real number ("1.5", "-3 dB", "2e1"); infinities and NaN read 0, so no
// later arithmetic sees them.
double ReadReal(std::string_view text);
// True when the whole field (blanks around it aside) is one whole number
// with an optional sign.
bool IsWholeNumber(std::string_view text);

} // namespace bm::dialogs

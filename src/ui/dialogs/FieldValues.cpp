#include "ui/dialogs/FieldValues.h"

#include "core/Text.h"

#include <cmath>
#include <cstdlib>
#include <string>

namespace bm::dialogs {

int32_t ReadInteger(std::string_view text) { return ParseDecimal(text); }

double ReadReal(std::string_view text)
{
    // strtod also reads "inf", "nan" and hexadecimal; none of them is a
    // number a person types into these fields.
    const std::string copy(Trim(text));
    if (copy.empty())
        return 0.0;
    const size_t start = (copy[0] == '+' || copy[0] == '-') ? 1 : 0;
    if (start >= copy.size() || !(std::isdigit(static_cast<unsigned char>(copy[start])) || copy[start] == '.'))
        return 0.0;
    if (copy.size() > start + 1 && copy[start] == '0' && (copy[start + 1] == 'x' || copy[start + 1] == 'X'))
        return 0.0;
    const double value = std::strtod(copy.c_str(), nullptr);
    return std::isfinite(value) ? value : 0.0;
}

bool IsWholeNumber(std::string_view text)
{
    text = Trim(text);
    if (!text.empty() && (text[0] == '+' || text[0] == '-'))
        text.remove_prefix(1);
    if (text.empty())
        return false;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return true;
}

} // namespace bm::dialogs

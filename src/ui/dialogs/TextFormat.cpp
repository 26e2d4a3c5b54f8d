#include "ui/dialogs/TextFormat.h"

#include "core/Text.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace bm::dialogs {

namespace {

// Wider fields than this are not a layout, they are a way to make the
// dialog allocate; they are cut to it.
constexpr int kMaxWidth = 64;

int64_t ClampToInteger(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 9.2e18)
        return INT64_MAX;
    if (value <= -9.2e18)
        return INT64_MIN;
    return int64_t(value);
}

} // namespace

int64_t FormatArg::AsInteger() const
{
    if (const auto* i = std::get_if<int64_t>(&m_value))
        return *i;
    if (const auto* d = std::get_if<double>(&m_value))
        return ClampToInteger(*d);
    return ParseDecimal64(std::get<std::string>(m_value));
}

double FormatArg::AsReal() const
{
    if (const auto* i = std::get_if<int64_t>(&m_value))
        return double(*i);
    if (const auto* d = std::get_if<double>(&m_value))
        return *d;
    return std::strtod(std::get<std::string>(m_value).c_str(), nullptr);
}

std::string FormatArg::AsText() const
{
    if (const auto* s = std::get_if<std::string>(&m_value))
        return *s;
    char buffer[64];
    if (const auto* i = std::get_if<int64_t>(&m_value))
        std::snprintf(buffer, sizeof buffer, "%lld", static_cast<long long>(*i));
    else
        std::snprintf(buffer, sizeof buffer, "%g", std::get<double>(m_value));
    return buffer;
}

std::string FormatText(std::string_view format, std::initializer_list<FormatArg> args)
{
    const std::vector<FormatArg> values(args);
    size_t next = 0;
    std::string out;
    size_t i = 0;
    while (i < format.size()) {
        const char c = format[i];
        if (c != '%') {
            out += c;
            ++i;
            continue;
        }
        if (i + 1 < format.size() && format[i + 1] == '%') {
            out += '%';
            i += 2;
            continue;
        }
        // Parse the conversion; `piece` is rebuilt from the parts we accept.
        size_t j = i + 1;
        std::string piece = "%";
        while (j < format.size() && std::string_view("-+ #0").find(format[j]) != std::string_view::npos)
            piece += format[j++];
        int width = 0;
        while (j < format.size() && format[j] >= '0' && format[j] <= '9') {
            width = std::min(kMaxWidth, width * 10 + (format[j] - '0'));
            ++j;
        }
        int precision = -1;
        if (j < format.size() && format[j] == '.') {
            ++j;
            precision = 0;
            while (j < format.size() && format[j] >= '0' && format[j] <= '9') {
                precision = std::min(kMaxWidth, precision * 10 + (format[j] - '0'));
                ++j;
            }
        }
        while (j < format.size() && std::string_view("hlLqjzt").find(format[j]) != std::string_view::npos)
            ++j;
        if (j >= format.size()) {
            out.append(format.substr(i));
            break;
        }
        if (width > 0)
            piece += std::to_string(width);
        if (precision >= 0)
            piece += "." + std::to_string(precision);
        const char conversion = format[j];
        const FormatArg* value = next < values.size() ? &values[next] : nullptr;
        char buffer[256];
        buffer[0] = '\0';
        switch (conversion) {
        case 'd':
        case 'i':
        case 'u':
        case 'x':
        case 'X':
        case 'o': {
            piece += "ll";
            piece += conversion == 'i' ? 'd' : conversion;
            const long long v = value ? static_cast<long long>(value->AsInteger()) : 0;
            std::snprintf(buffer, sizeof buffer, piece.c_str(), v);
            out += buffer;
            ++next;
            break;
        }
        case 'c': {
            const int64_t v = value ? value->AsInteger() : 0;
            if (v > 0 && v < 128)
                out += char(v);
            ++next;
            break;
        }
        case 'f':
        case 'F':
        case 'e':
        case 'E':
        case 'g':
        case 'G': {
            piece += conversion;
            const double v = value ? value->AsReal() : 0.0;
            std::snprintf(buffer, sizeof buffer, piece.c_str(), v);
            out += buffer;
            ++next;
            break;
        }
        case 's': {
            std::string text = value ? value->AsText() : std::string();
            if (precision >= 0 && text.size() > size_t(precision))
                text.resize(size_t(precision));
            const bool left = piece.find('-') != std::string::npos;
            if (text.size() < size_t(width)) {
                const std::string pad(size_t(width) - text.size(), ' ');
                text = left ? text + pad : pad + text;
            }
            out += text;
            ++next;
            break;
        }
        default:
            out.append(format.substr(i, j + 1 - i));
            break;
        }
        i = j + 1;
    }
    return out;
}

} // namespace bm::dialogs

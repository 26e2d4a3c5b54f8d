#pragma once

// Fills the formats of the dialog text lists ("%d of %d measures", "%.1f %s")
// without handing them to printf: the archive is data that anyone can edit,
// so a format that asks for more values than the dialog gives, or for a
// value of another type, must never read past the arguments. Each
// conversion takes the next value and converts it to the type it asks for;
// a conversion without a value prints 0 or nothing.
//
//     FormatText("%.1f %s", {62.5, "%"})  ->  "62.5 %"
//     FormatText("%d bars", {})           ->  "0 bars"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>

namespace bm::dialogs {

class FormatArg {
public:
    FormatArg(int value) : m_value(int64_t(value)) {}
    FormatArg(int64_t value) : m_value(value) {}
    FormatArg(double value) : m_value(value) {}
    FormatArg(const char* value) : m_value(std::string(value)) {}
    FormatArg(std::string value) : m_value(std::move(value)) {}
    FormatArg(std::string_view value) : m_value(std::string(value)) {}

    int64_t AsInteger() const;
    double AsReal() const;
    std::string AsText() const;

private:
    std::variant<int64_t, double, std::string> m_value;
};

// Understands %%, the flags "-+ #0", a width and a precision (each at most
// 64), the length letters (ignored), and the conversions d i u x X o c
// (integers), f F e E g G (reals) and s. Anything else after a '%' is
// printed as it stands.
std::string FormatText(std::string_view format, std::initializer_list<FormatArg> args);

} // namespace bm::dialogs

#include "cli/Json.h"

#include <cmath>
#include <cstdio>

namespace bm::cli {

std::string JsonEscape(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + 2);
    for (unsigned char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char buffer[8];
                std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
                out += buffer;
            } else {
                out.push_back(static_cast<char>(c));
            }
        }
    }
    return out;
}

void JsonWriter::BeforeValue()
{
    if (m_afterKey) {
        m_afterKey = false;
        return;
    }
    if (!m_first.empty()) {
        if (!m_first.back())
            m_text.push_back(',');
        m_first.back() = false;
    }
}

void JsonWriter::BeginObject()
{
    BeforeValue();
    m_text.push_back('{');
    m_first.push_back(true);
}

void JsonWriter::EndObject()
{
    m_text.push_back('}');
    m_first.pop_back();
}

void JsonWriter::BeginArray()
{
    BeforeValue();
    m_text.push_back('[');
    m_first.push_back(true);
}

void JsonWriter::EndArray()
{
    m_text.push_back(']');
    m_first.pop_back();
}

void JsonWriter::Key(std::string_view key)
{
    BeforeValue();
    m_text += '"' + JsonEscape(key) + "\":";
    m_afterKey = true;
}

void JsonWriter::String(std::string_view text)
{
    BeforeValue();
    m_text += '"' + JsonEscape(text) + '"';
}

void JsonWriter::Number(int64_t value)
{
    BeforeValue();
    m_text += std::to_string(value);
}

void JsonWriter::Number(double value)
{
    BeforeValue();
    if (!std::isfinite(value)) {
        m_text += "null";
        return;
    }
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.10g", value);
    m_text += buffer;
}

void JsonWriter::Bool(bool value)
{
    BeforeValue();
    m_text += value ? "true" : "false";
}

void JsonWriter::Null()
{
    BeforeValue();
    m_text += "null";
}

} // namespace bm::cli

#pragma once

// A small JSON writer for --json output: numbers as numbers, texts as
// strings, arrays as arrays. Example:
//     JsonWriter j;
//     j.BeginObject(); j.Key("size"); j.Number(12); j.EndObject();
//     out << j.Text() << '\n';

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace bm::cli {

class JsonWriter {
public:
    void BeginObject();
    void EndObject();
    void BeginArray();
    void EndArray();
    void Key(std::string_view key);
    void String(std::string_view text);
    void Number(int64_t value);
    void Number(double value);
    void Bool(bool value);
    void Null();

    // Shorthands for a key and its value.
    void Field(std::string_view key, std::string_view text) { Key(key); String(text); }
    void Field(std::string_view key, const char* text) { Key(key); String(text); }
    void Field(std::string_view key, int64_t value) { Key(key); Number(value); }
    void Field(std::string_view key, int value) { Key(key); Number(static_cast<int64_t>(value)); }
    void Field(std::string_view key, uint32_t value) { Key(key); Number(static_cast<int64_t>(value)); }
    void Field(std::string_view key, double value) { Key(key); Number(value); }
    void Field(std::string_view key, bool value) { Key(key); Bool(value); }

    const std::string& Text() const { return m_text; }

private:
    void BeforeValue();
    std::string m_text;
    std::vector<bool> m_first; // per open container: no element written yet
    bool m_afterKey = false;
};

std::string JsonEscape(std::string_view text);

} // namespace bm::cli

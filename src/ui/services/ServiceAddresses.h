#pragma once

// The two addresses of the maker that the program knows: the news page that
// the news check fetches (and the news command opens) and the web site that
// the splash screen's button opens. They are build settings
// (BM_NEWS_ADDRESS, BM_SITE_ADDRESS); the default of both is a name under
// ".invalid", which never resolves, and an address under that name is never
// contacted at all.
//
// The program keeps them scrambled (a fixed byte scrambling made at compile
// time) so that they do not stand in the executable as plain text; they are
// unscrambled just before use.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace bm::services {

constexpr unsigned char ScrambleKey(size_t i) { return static_cast<unsigned char>(0xA5u + 31u * i); }

template <size_t N>
class ScrambledText {
public:
    // Compile time only, so the plain literal never reaches the program.
    consteval ScrambledText(const char (&text)[N])
    {
        for (size_t i = 0; i + 1 < N; ++i)
            m_bytes[i] = static_cast<char>(static_cast<unsigned char>(text[i]) ^ ScrambleKey(i));
    }
    std::string Unscramble() const
    {
        std::string out(N - 1, '\0');
        for (size_t i = 0; i + 1 < N; ++i)
            out[i] = static_cast<char>(static_cast<unsigned char>(m_bytes[i]) ^ ScrambleKey(i));
        return out;
    }
    std::string_view Stored() const { return {m_bytes.data(), N - 1}; }

private:
    std::array<char, N> m_bytes{};
};

std::string NewsAddress();
std::string SiteAddress();

// True when the address names no host, or a host under ".invalid" (the
// reserved name of builds that set no address): such an address is never
// contacted.
bool IsUnsetAddress(std::string_view address);

} // namespace bm::services

#include "ui/main/TimeFormats.h"

#include "ui/main/Layout.h"

#include <algorithm>
#include <cstdio>

namespace bm::ui {

// The four time formats, as the time menu names them: measures and beats
// (the measure and the quarter of it, from 1), minutes and seconds (with
// hundredths), bars and measures (from 1), samples. A length counts whole
// units instead of naming the one it ends in.
std::string TimeText(int64_t samples, int64_t measure, int32_t S, int32_t B, int32_t format, bool length)
{
    char buffer[48];
    samples = std::max<int64_t>(0, samples);
    switch (format) {
    case 1:
        std::snprintf(buffer, sizeof buffer, "%lld:%02lld.%02lld", static_cast<long long>(samples / 2646000),
                      static_cast<long long>((samples / 44100) % 60),
                      static_cast<long long>((samples % 44100) * 100 / 44100));
        break;
    case 2: {
        const int64_t perBar = std::max(1, B);
        const int64_t first = length ? 0 : 1;
        std::snprintf(buffer, sizeof buffer, "%lld.%lld", static_cast<long long>(measure / perBar + first),
                      static_cast<long long>(measure % perBar + first));
        break;
    }
    case 3: std::snprintf(buffer, sizeof buffer, "%lld", static_cast<long long>(samples)); break;
    default: {
        const int64_t quarter = std::max(1, S / 4);
        const int64_t within = samples - measure * int64_t(std::max(1, S));
        if (length)
            std::snprintf(buffer, sizeof buffer, "%lld", static_cast<long long>(measure));
        else
            std::snprintf(buffer, sizeof buffer, "%lld.%lld", static_cast<long long>(measure + 1),
                          static_cast<long long>(std::clamp<int64_t>(within / quarter, 0, 3) + 1));
        break;
    }
    }
    return buffer;
}

std::string DigitCodesOf(std::string text)
{
    for (char& c : text)
        c = layout::DigitFontCode(c);
    return text;
}

} // namespace bm::ui

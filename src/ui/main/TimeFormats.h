#pragma once

// The time display's four formats, as the time menu names them:
//   0 measures and beats   "12.3"   the measure and the quarter of it, from 1
//   1 minutes and seconds  "1:05.25" with hundredths
//   2 bars and measures    "4.7"    from 1
//   3 samples              "651264"
// A length (the song's, in the second hot area) counts whole units instead
// of naming the unit it ends in.

#include <cstdint>
#include <string>

namespace bm::ui {

std::string TimeText(int64_t samples, int64_t measure, int32_t samplesPerMeasure, int32_t measuresPerBar,
                     int32_t format, bool length);
// The text in the digit font's codes ('.' and '-' have codes of their own).
std::string DigitCodesOf(std::string text);

} // namespace bm::ui

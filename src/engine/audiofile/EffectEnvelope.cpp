#include "engine/audiofile/EffectEnvelope.h"

namespace bm {

double EnvelopeValue(double x, std::span<const EffectPair> points)
{
    constexpr double kUnit = 1.0 / 32768.0;
    if (points.empty())
        return 0.0;
    for (size_t i = 1; i < points.size(); ++i) {
        if (points[i].first > x) {
            const EffectPair& a = points[i - 1];
            const EffectPair& b = points[i];
            // Two points at one position (only the first pair can be): no slope.
            if (b.first == a.first)
                return a.second * kUnit;
            const double value = a.second + (x - a.first) * (double(b.second) - a.second) / (double(b.first) - a.first);
            return value * kUnit;
        }
    }
    return points.back().second * kUnit;
}

} // namespace bm

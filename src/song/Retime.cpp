#include "song/Retime.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace bm {

namespace {

int32_t Saturate(int64_t value)
{
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// Whole part of a scaled position, kept inside 64 bits.
int64_t Scaled(double factor, int64_t position)
{
    const double value = factor * static_cast<double>(position);
    constexpr double kLimit = 9.0e18;
    if (!(value > -kLimit))
        return -static_cast<int64_t>(kLimit);
    if (value > kLimit)
        return static_cast<int64_t>(kLimit);
    return static_cast<int64_t>(value); // truncates toward zero
}

// Puts `slot` at frame `position` of the target (position counted from the
// target's measure `base`), with the overwrite and drop rules.
int Place(std::vector<Measure>& target, size_t channel, const ChannelSlot& slot, int64_t base, int64_t position,
          int32_t samplesPerMeasure)
{
    if (position < 0)
        return kRetimeDropped;
    const int64_t measure = base + position / samplesPerMeasure;
    if (measure < 0 || measure >= static_cast<int64_t>(target.size()))
        return kRetimeDropped;
    ChannelSlot& place = target[size_t(measure)].slots[channel];
    const int bits = place.IsEmpty() ? 0 : kRetimeOverwrote;
    place = slot;
    place.start = static_cast<int32_t>(position % samplesPerMeasure);
    return bits;
}

int64_t CappedMeasureCount(int64_t count) { return std::clamp<int64_t>(count, 0, kMaxSongMeasures); }

} // namespace

int RetimeMeasures(const std::vector<Measure>& source, const ChannelEnvelopes& sourceEnvelopes,
                   const RetimeRequest& request, std::vector<Measure>& target, ChannelEnvelopes& targetEnvelopes)
{
    // A tempo value below 1 would divide by zero; such values never come
    // from the editor and are read from files as 1.
    const int64_t s1 = std::max(1, request.fromSamplesPerMeasure);
    const int64_t b1 = std::max(1, request.fromMeasuresPerBar);
    const int64_t s2 = std::max(1, request.toSamplesPerMeasure);
    const int64_t b2 = std::max(1, request.toMeasuresPerBar);
    const auto count = static_cast<int64_t>(source.size());

    target.clear();
    for (auto& channel : targetEnvelopes) {
        for (auto& envelope : channel)
            envelope.clear();
    }
    int bits = 0;
    // How envelope positions change; mode 2 keeps them.
    double pointFactor = 1.0;

    switch (request.mode) {
    case RetimeMode::Stretch: {
        const double d = double(s2) / double(s1);
        pointFactor = d;
        target.resize(size_t(CappedMeasureCount(count)));
        for (size_t m = 0; m < target.size(); ++m) {
            for (size_t c = 0; c < kChannels; ++c) {
                const ChannelSlot& slot = source[m].slots[c];
                if (slot.IsEmpty())
                    continue;
                ChannelSlot& place = target[m].slots[c];
                place = slot;
                place.start = Saturate(Scaled(d, slot.start));
            }
        }
        if (target.size() < source.size())
            bits |= kRetimeDropped;
        break;
    }
    case RetimeMode::KeepTime: {
        const int64_t measures = count == 0 ? 0 : (s1 * count - 1) / s2 + 1;
        target.resize(size_t(CappedMeasureCount(measures)));
        for (int64_t m = 0; m < count; ++m) {
            for (size_t c = 0; c < kChannels; ++c) {
                const ChannelSlot& slot = source[size_t(m)].slots[c];
                if (!slot.IsEmpty())
                    bits |= Place(target, c, slot, 0, m * s1 + slot.start, int32_t(s2));
            }
        }
        break;
    }
    case RetimeMode::FitBars: {
        // A bar stretched by k = 2^(scale - 2): below 1, k^-1 source bars make
        // one target bar; above 1, one source bar makes k target bars.
        const int32_t scale = std::clamp(request.barScale, 0, 4);
        const double k = std::ldexp(1.0, scale - kUnscaledBars);
        const int64_t runSource = scale < kUnscaledBars ? b1 << (kUnscaledBars - scale) : b1;
        const int64_t runTarget = scale > kUnscaledBars ? b2 << (scale - kUnscaledBars) : b2;
        const double d = k * double(s2 * b2) / double(s1 * b1) + 0.00000000001;
        pointFactor = d;
        const int64_t runs = (count + runSource - 1) / runSource;
        target.resize(size_t(CappedMeasureCount(runs * runTarget)));
        for (int64_t m = 0; m < count; ++m) {
            const int64_t run = m / runSource;
            const int64_t j = m % runSource;
            for (size_t c = 0; c < kChannels; ++c) {
                const ChannelSlot& slot = source[size_t(m)].slots[c];
                if (!slot.IsEmpty())
                    bits |= Place(target, c, slot, run * runTarget, Scaled(d, j * s1 + slot.start), int32_t(s2));
            }
        }
        break;
    }
    }

    for (size_t c = 0; c < kChannels; ++c) {
        for (size_t k = 0; k < kEnvelopeKinds; ++k) {
            const Envelope& from = sourceEnvelopes[c][k];
            Envelope& to = targetEnvelopes[c][k];
            to.reserve(from.size());
            for (EnvelopePoint point : from) {
                if (request.mode != RetimeMode::KeepTime)
                    point.position = Saturate(Scaled(pointFactor, point.position));
                to.push_back(point);
            }
        }
    }
    return bits;
}

int RetimeFragment(const SongFragment& source, const RetimeRequest& request, SongFragment& target)
{
    const int bits = RetimeMeasures(source.measures, source.envelopes, request, target.measures, target.envelopes);
    target.inUse = source.inUse;
    target.samplesPerMeasure = request.toSamplesPerMeasure;
    target.measuresPerBar = request.toMeasuresPerBar;
    return bits;
}

void FixEnvelopeEnds(ChannelEnvelopes& envelopes, int64_t measureCount, int32_t samplesPerMeasure)
{
    const int32_t last = Saturate(measureCount * samplesPerMeasure - 1);
    for (auto& channel : envelopes) {
        for (auto& envelope : channel) {
            if (envelope.size() < 2)
                continue;
            envelope.front().position = 0;
            envelope.back().position = last;
        }
    }
}

} // namespace bm

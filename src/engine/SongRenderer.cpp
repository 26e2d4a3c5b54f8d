#include "engine/SongRenderer.h"

#include "engine/MixKernel.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace bm::engine {

namespace {

constexpr int64_t kEnvelopeOne = 65536; // 16.16 fixed point
constexpr int64_t kSongEndFadeSamples = 200;

// A slot's start offset as a frame inside its measure.
int32_t StartIn(const EngineSlot& slot, int32_t m) { return std::clamp(slot.start, 0, m); }

int32_t ClampToInt32(int64_t value)
{
    return int32_t(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// Division rounding toward minus infinity (for the progress steps).
int64_t FloorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }

void ReverseFrames(int16_t* samples, int64_t frames)
{
    for (int64_t i = 0, j = frames - 1; i < j; ++i, --j) {
        std::swap(samples[2 * i], samples[2 * j]);
        std::swap(samples[2 * i + 1], samples[2 * j + 1]);
    }
}

// The first point strictly after song frame t, or `none`.
int64_t NextPointAfter(const EnvelopeNodes& envelope, int64_t t, int64_t none)
{
    for (const auto& point : envelope) {
        if (point.position > t)
            return std::min<int64_t>(point.position, none);
    }
    return none;
}

// An envelope's value at the start t of a segment that ends at segmentEnd,
// and its slope per frame, both in 16.16 fixed point. Between points the
// value is interpolated (truncated toward zero) from the point at or before
// t, or (0, 0) when there is none, towards the first point at or after the
// segment end; at or beyond the last point the value is that point's with
// slope 0. An empty envelope rests at `rest`.
void EnvelopeAt(const EnvelopeNodes& envelope, int32_t rest, int64_t t, int64_t segmentEnd, int64_t& value,
                int64_t& slope)
{
    slope = 0;
    if (envelope.empty()) {
        value = rest * kEnvelopeOne;
        return;
    }
    if (t >= envelope.back().position) {
        value = envelope.back().value * kEnvelopeOne;
        return;
    }
    int64_t ta = 0;
    int64_t va = 0;
    const EnvelopeNode* after = nullptr;
    for (const auto& point : envelope) {
        if (point.position <= t) {
            ta = point.position;
            va = point.value;
        } else if (point.position >= segmentEnd) {
            after = &point;
            break;
        }
    }
    if (!after || after->position <= ta) {
        value = va * kEnvelopeOne;
        return;
    }
    const double tb = double(after->position);
    const double vb = double(after->value);
    const double span = tb - double(ta);
    value = int64_t(std::trunc(double(va) - (double(va) - vb) * double(t - ta) / span)) * kEnvelopeOne;
    slope = int64_t(std::trunc((vb - double(va)) / span * double(kEnvelopeOne)));
}

} // namespace

SongRenderer::SongRenderer(SampleSource& source) : m_source(source) {}

void SongRenderer::Prepare(int32_t samplesPerMeasure)
{
    if (samplesPerMeasure == m_preparedFor)
        return;
    m_preparedFor = samplesPerMeasure;
    m_channel.assign(size_t(samplesPerMeasure) * 2, 0);
    m_accumulator.assign(size_t(samplesPerMeasure) * 2, 0);
}

std::unique_ptr<SampleReader> SongRenderer::OpenSlot(EngineSong& song, int32_t measure, int channel,
                                                     SongObserver* observer)
{
    const EngineSlot& slot = song.measures[size_t(measure)].slots[size_t(channel)];
    const std::string path = slot.path;
    const SampleRef key = slot.key;
    const int64_t span = song.BarSpan();
    auto reader = m_source.Open(path, span, key);
    if (!reader) {
        if (slot.length != 0)
            song.NotifyLength(key, 0, observer);
        return nullptr;
    }
    const int32_t length = ClampToInt32(reader->Length());
    if (length != slot.length) {
        song.NotifyLength(key, length, observer);
        reader = m_source.Open(path, span, key);
    }
    return reader;
}

bool SongRenderer::FillChannel(EngineSong& song, int32_t c, int ch, Channel& state, SongObserver* observer)
{
    const int32_t m = song.samplesPerMeasure;
    const int64_t measureStart = int64_t(c) * m;
    const EnvelopeNodes& pan = song.envelopes[size_t(ch)][kPanEnvelope];
    std::fill(m_channel.begin(), m_channel.end(), int16_t(0));
    bool sounded = false;

    const EngineSlot& slot = song.measures[size_t(c)].slots[size_t(ch)];
    const bool hasSlot = !slot.IsEmpty();
    // Where the running sample is cut: the new slot's start, else the
    // measure's end.
    const int32_t cut = hasSlot ? StartIn(slot, m) : m;

    std::unique_ptr<SampleReader> slotReader;
    if (hasSlot) {
        slotReader = OpenSlot(song, c, ch, observer);
        if (slotReader) {
            const int64_t length = slotReader->Length();
            const int64_t n = std::min<int64_t>(m - cut, length);
            if (n > 0) {
                int16_t* target = m_channel.data() + size_t(cut) * 2;
                if (slot.reverse != 0) {
                    slotReader->ReadWithPanDelay(length - n, target, int32_t(n), measureStart + cut, pan, true);
                    ReverseFrames(target, n);
                } else {
                    slotReader->ReadWithPanDelay(0, target, int32_t(n), measureStart + cut, pan, false);
                }
                sounded = true;
            }
        }
    }

    if (state.running >= 0) {
        const int32_t p = state.running;
        const EngineSlot& running = song.measures[size_t(p)].slots[size_t(ch)];
        const int32_t sp = StartIn(running, m);
        const int64_t elapsed = int64_t(c - p) * m - sp; // source frame at this measure's start
        if (int64_t(running.length) - elapsed < 1) {
            state.running = -1;
            state.reader.reset();
        } else {
            if (!state.reader)
                state.reader = OpenSlot(song, p, ch, observer);
            if (state.reader) {
                const int64_t length = state.reader->Length();
                const int64_t remaining = length - elapsed;
                const int64_t n = std::min<int64_t>(cut, remaining);
                if (n > 0) {
                    int16_t* target = m_channel.data();
                    if (running.reverse != 0) {
                        state.reader->ReadWithPanDelay(length - elapsed - n, target, int32_t(n), measureStart, pan, true);
                        ReverseFrames(target, n);
                    } else {
                        state.reader->ReadWithPanDelay(elapsed, target, int32_t(n), measureStart, pan, false);
                    }
                    sounded = true;
                    if (hasSlot && remaining > cut) {
                        // Cut by the new slot: fade its last frames before the cut.
                        const int32_t faded = std::min(cut, kFadeFrames);
                        int16_t* last = m_channel.data() + size_t(cut) * 2 - 1;
                        for (int32_t k = 0; k < 2 * faded; ++k)
                            last[-k] = int16_t(int32_t(last[-k]) * k / 400);
                    }
                }
            }
        }
    }

    if (hasSlot) {
        state.running = c;
        state.reader = std::move(slotReader);
    }

    if (sounded) {
        // Fade the measure's end when the channel's next slot starts within
        // the first 200 frames of the next measure (B = 0 after the last).
        int32_t b = 0;
        if (c + 1 < song.MeasureCount()) {
            const EngineSlot& next = song.measures[size_t(c) + 1].slots[size_t(ch)];
            b = next.IsEmpty() ? m : StartIn(next, m);
        }
        if (b < kFadeFrames) {
            const int64_t from = (int64_t(m) + b - kFadeFrames) * 2;
            const int32_t count = 2 * (kFadeFrames - b);
            for (int32_t j = 0; j < count; ++j) {
                const int64_t i = from + j;
                if (i >= 0)
                    m_channel[size_t(i)] = int16_t(int32_t(m_channel[size_t(i)]) * (400 - j) / 400);
            }
        }
    }
    return sounded;
}

void SongRenderer::MixChannel(const EngineSong& song, int32_t c, int ch, int64_t gain)
{
    const int32_t m = song.samplesPerMeasure;
    const EnvelopeNodes& volume = song.envelopes[size_t(ch)][kVolumeEnvelope];
    const EnvelopeNodes& pan = song.envelopes[size_t(ch)][kPanEnvelope];
    const int64_t measureStart = int64_t(c) * m;
    const int64_t measureEnd = measureStart + m;
    const int16_t* in = m_channel.data();
    int64_t* acc = m_accumulator.data();

    int64_t t = measureStart;
    while (t < measureEnd) {
        int64_t end = NextPointAfter(volume, t, measureEnd);
        end = NextPointAfter(pan, t, end);
        int64_t v = 0;
        int64_t vSlope = 0;
        int64_t p = 0;
        int64_t pSlope = 0;
        EnvelopeAt(volume, kVolumeEnvelopeRest, t, end, v, vSlope);
        EnvelopeAt(pan, kPanEnvelopeRest, t, end, p, pSlope);
        const int64_t offset = t - measureStart;
        MixRun run;
        run.in = in + offset * 2;
        run.accumulator = acc + offset * 2;
        run.frames = int32_t(end - t);
        run.gain = gain;
        run.volume = v;
        run.volumeSlope = vSlope;
        run.pan = p;
        run.panSlope = pSlope;
        Mix(run);
        t = end;
    }
}

int32_t SongRenderer::Render(EngineSong& song, int32_t first, int32_t count, int64_t masterGain, int16_t* out,
                             SongObserver* observer, const SampleRef* progressContext)
{
    const int32_t m = song.samplesPerMeasure;
    if (m < 1 || first < 0 || count < 1)
        return 0;
    Prepare(m);

    // The running sample of each channel: the nearest earlier non-empty slot.
    std::array<Channel, kChannels> channels;
    for (int ch = 0; ch < kChannels; ++ch) {
        for (int32_t p = std::min(first, song.MeasureCount()) - 1; p >= 0; --p) {
            if (!song.measures[size_t(p)].slots[size_t(ch)].IsEmpty()) {
                channels[size_t(ch)].running = p;
                break;
            }
        }
    }

    int32_t rendered = 0;
    for (int32_t c = first; c < first + count && c < song.MeasureCount(); ++c) {
        std::fill(m_accumulator.begin(), m_accumulator.end(), int64_t(0));
        for (int ch = 0; ch < kChannels; ++ch) {
            Channel& state = channels[size_t(ch)];
            const int32_t channelGain = song.channelGain[size_t(ch)];
            if (channelGain < kMinMixGain || channelGain > kMaxMixGain) {
                if (!song.measures[size_t(c)].slots[size_t(ch)].IsEmpty()) {
                    state.running = c;
                    state.reader.reset();
                }
                continue;
            }
            if (FillChannel(song, c, ch, state, observer))
                MixChannel(song, c, ch, masterGain * channelGain / 100);
        }

        const size_t samples = size_t(m) * 2;
        if (c == song.MeasureCount() - 1) {
            // The song's last 200 samples (100 frames) fade to silence.
            for (int64_t k = 0; k < kSongEndFadeSamples && k < int64_t(samples); ++k)
                m_accumulator[samples - 1 - size_t(k)] = m_accumulator[samples - 1 - size_t(k)] * k / kSongEndFadeSamples;
        }

        int64_t peak = 0;
        int16_t* target = out + size_t(c - first) * samples;
        for (size_t i = 0; i < samples; ++i) {
            const int64_t value = m_accumulator[i];
            peak = std::max(peak, value < 0 ? -value : value);
            target[i] = int16_t(std::clamp<int64_t>(value, -32768, 32767));
        }
        if (masterGain == kUnitGain)
            song.measures[size_t(c)].peak = ClampToInt32(peak);

        if (progressContext && observer) {
            const int64_t n = song.MeasureCount();
            if (FloorDiv(20 * int64_t(c), n) != FloorDiv(20 * (int64_t(c) - 1), n))
                observer->RenderProgress(*progressContext, int32_t(int64_t(c) * 100 / n));
        }
        ++rendered;
    }
    return rendered;
}

} // namespace bm::engine

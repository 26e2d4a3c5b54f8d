#include "Audio.h"

#include "Dsp.h"

#include <algorithm>
#include <cmath>

namespace bm::content {

namespace {

// Frames over which a voice cut by the end of its buffer fades out (5 ms).
constexpr int kCutFade = 220;
// The loudest a sample may be: -1 dBFS.
constexpr double kCeiling = 0.8912509381337456;

} // namespace

Audio Audio::Mono(int frames)
{
    Audio a;
    a.left.assign(static_cast<size_t>(frames), 0.0f);
    return a;
}

Audio Audio::Stereo(int frames)
{
    Audio a;
    a.left.assign(static_cast<size_t>(frames), 0.0f);
    a.right.assign(static_cast<size_t>(frames), 0.0f);
    return a;
}

void Audio::MakeStereo()
{
    if (right.empty())
        right = left;
}

namespace {

// Adds `src` times `gain` into `dst` from frame `start`; a source that runs
// past the end is faded out over its last kCutFade frames there.
void MixChannel(std::vector<float>& dst, const std::vector<float>& src, int start, double gain)
{
    const int frames = static_cast<int>(dst.size());
    const int length = static_cast<int>(src.size());
    const int first = std::max(0, -start);
    const int last = std::min(length, frames - start); // exclusive
    if (last <= first || gain == 0.0)
        return;
    const int fadeFrom = length > last ? std::max(first, last - kCutFade) : last;
    for (int i = first; i < last; ++i) {
        double v = src[static_cast<size_t>(i)] * gain;
        if (i >= fadeFrom)
            v *= static_cast<double>(last - i) / (last - fadeFrom + 1);
        dst[static_cast<size_t>(start + i)] += static_cast<float>(v);
    }
}

} // namespace

void MixVoice(Audio& dst, const std::vector<float>& voice, int start, double gain, double pan)
{
    if (!dst.IsStereo()) {
        MixChannel(dst.left, voice, start, gain);
        return;
    }
    const double angle = (std::clamp(pan, -1.0, 1.0) + 1.0) * kPi / 4.0;
    MixChannel(dst.left, voice, start, gain * std::cos(angle) * std::sqrt(2.0));
    MixChannel(dst.right, voice, start, gain * std::sin(angle) * std::sqrt(2.0));
}

void MixAudio(Audio& dst, const Audio& src, int start, double gain)
{
    if (src.IsStereo())
        dst.MakeStereo();
    MixChannel(dst.left, src.left, start, gain);
    if (dst.IsStereo())
        MixChannel(dst.right, src.IsStereo() ? src.right : src.left, start, gain);
}

namespace {

// Runs a stereo effect over the buffer and adds `wet` times its output. For
// a loop the input is fed twice and the second pass kept, which is the
// effect's periodic steady state: the tail of the loop's end sounds at its
// start, exactly as when the loop repeats.
template <typename Effect>
void RunEffect(Audio& a, Effect& effect, double wet, Tail tail)
{
    a.MakeStereo();
    const int frames = a.Frames();
    std::vector<float> outL(static_cast<size_t>(frames)), outR(static_cast<size_t>(frames));
    const int passes = tail == Tail::Wrap ? 2 : 1;
    for (int pass = 0; pass < passes; ++pass) {
        for (int i = 0; i < frames; ++i) {
            double l = 0.0, r = 0.0;
            effect.Process(a.left[static_cast<size_t>(i)], a.right[static_cast<size_t>(i)], l, r);
            outL[static_cast<size_t>(i)] = static_cast<float>(l);
            outR[static_cast<size_t>(i)] = static_cast<float>(r);
        }
    }
    for (size_t i = 0; i < static_cast<size_t>(frames); ++i) {
        a.left[i] += static_cast<float>(wet * outL[i]);
        a.right[i] += static_cast<float>(wet * outR[i]);
    }
}

} // namespace

void AddReverb(Audio& a, double size, double damping, double wet, Tail tail, double width)
{
    Reverb reverb(size, damping, width);
    RunEffect(a, reverb, wet, tail);
}

void AddDelay(Audio& a, int delayFrames, double feedback, double wet, bool pingPong, Tail tail, double toneHz)
{
    StereoDelay delay(delayFrames, feedback, toneHz, pingPong);
    RunEffect(a, delay, wet, tail);
}

double PeakOf(const Audio& a)
{
    double peak = 0.0;
    for (float v : a.left)
        peak = std::max(peak, static_cast<double>(std::fabs(v)));
    for (float v : a.right)
        peak = std::max(peak, static_cast<double>(std::fabs(v)));
    return peak;
}

double RmsOf(const Audio& a)
{
    double sum = 0.0;
    for (float v : a.left)
        sum += static_cast<double>(v) * v;
    for (float v : a.right)
        sum += static_cast<double>(v) * v;
    const size_t count = a.left.size() + a.right.size();
    return count ? std::sqrt(sum / static_cast<double>(count)) : 0.0;
}

void Scale(Audio& a, double gain)
{
    for (float& v : a.left)
        v = static_cast<float>(v * gain);
    for (float& v : a.right)
        v = static_cast<float>(v * gain);
}

void MatchLevel(const std::vector<Audio*>& set, double targetRmsDb, double maxPeakDb)
{
    if (set.empty())
        return;
    const double rms = RmsOf(*set.front());
    double peak = 0.0;
    for (const Audio* a : set)
        peak = std::max(peak, PeakOf(*a));
    if (rms <= 0.0 || peak <= 0.0)
        return;
    const double gain = std::min(DbToGain(targetRmsDb) / rms, DbToGain(maxPeakDb) / peak);
    for (Audio* a : set)
        Scale(*a, gain);
}

void MatchPeak(const std::vector<Audio*>& set, double peakDb)
{
    double peak = 0.0;
    for (const Audio* a : set)
        peak = std::max(peak, PeakOf(*a));
    if (peak <= 0.0)
        return;
    for (Audio* a : set)
        Scale(*a, DbToGain(peakDb) / peak);
}

void FadeOutEnd(Audio& a, int frames)
{
    const int total = a.Frames();
    frames = std::min(frames, total);
    for (int i = 0; i < frames; ++i) {
        const double g = static_cast<double>(frames - i - 1) / frames;
        const size_t at = static_cast<size_t>(total - frames + i);
        a.left[at] = static_cast<float>(a.left[at] * g);
        if (a.IsStereo())
            a.right[at] = static_cast<float>(a.right[at] * g);
    }
}

std::vector<int16_t> ToPcm(const Audio& a)
{
    const int channels = a.IsStereo() ? 2 : 1;
    std::vector<int16_t> out(a.left.size() * static_cast<size_t>(channels));
    const double limit = std::floor(kCeiling * 32767.0);
    auto convert = [&](float v) {
        const double s = std::clamp(std::round(static_cast<double>(v) * 32767.0), -limit, limit);
        return static_cast<int16_t>(s);
    };
    for (size_t i = 0; i < a.left.size(); ++i) {
        out[i * static_cast<size_t>(channels)] = convert(a.left[i]);
        if (channels == 2)
            out[i * 2 + 1] = convert(a.right[i]);
    }
    return out;
}

} // namespace bm::content

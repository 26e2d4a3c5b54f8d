#pragma once

// Sample buffers of the content generator and the operations every loop
// needs: mixing note events in, effects that wrap around the loop point,
// level matching and conversion to 16-bit PCM.

#include <cstdint>
#include <vector>

namespace bm::content {

// Musical time at 130 beats per minute, in frames at 44 100 Hz.
constexpr int kBeatFrames = 20352;
constexpr int kStepFrames = kBeatFrames / 4; // a sixteenth note
constexpr int kLoopFrames = 4 * kBeatFrames; // one loop: four beats
constexpr double kStepSeconds = kStepFrames / 44100.0;
constexpr double kBeatSeconds = kBeatFrames / 44100.0;

// Mono when `right` is empty.
struct Audio {
    std::vector<float> left;
    std::vector<float> right;

    static Audio Mono(int frames);
    static Audio Stereo(int frames);
    bool IsStereo() const { return !right.empty(); }
    int Frames() const { return static_cast<int>(left.size()); }
    void MakeStereo();
};

// Adds a mono voice at frame `start` (may be negative), with a gain and a
// pan position (-1 left, 0 centre, 1 right; equal power). A voice that runs
// past the end of the buffer is faded out over its last few milliseconds
// there, so that every loop ends as quietly as it begins and two different
// loops can follow each other without a click.
void MixVoice(Audio& dst, const std::vector<float>& voice, int start, double gain, double pan = 0.0);
// The same for a buffer of one or two channels.
void MixAudio(Audio& dst, const Audio& src, int start, double gain);

// How an effect treats the ends of the buffer.
enum class Tail {
    Wrap, // a loop: the effect runs in its steady state, tails wrap to the start
    Cut,  // a one-shot: the tail runs on to the end of the buffer
};

// Adds a reverb (the buffer becomes stereo).
void AddReverb(Audio& a, double size, double damping, double wet, Tail tail, double width = 1.0);
// Adds a feedback delay (the buffer becomes stereo).
void AddDelay(Audio& a, int delayFrames, double feedback, double wet, bool pingPong, Tail tail,
              double toneHz = 4000.0);

double PeakOf(const Audio& a);
double RmsOf(const Audio& a);
void Scale(Audio& a, double gain);

// One gain for a set of buffers that belong together (the variants of one
// entry): the first buffer's loudness is brought to `targetRmsDb`, unless
// that would put any buffer's peak above `maxPeakDb`.
void MatchLevel(const std::vector<Audio*>& set, double targetRmsDb, double maxPeakDb);
// Peak normalisation of a set (one-shots).
void MatchPeak(const std::vector<Audio*>& set, double peakDb);

// Fades the last `frames` frames to silence (one-shots and risers).
void FadeOutEnd(Audio& a, int frames);

// Interleaved 16-bit samples, rounded to nearest; never beyond -1 dBFS.
std::vector<int16_t> ToPcm(const Audio& a);

} // namespace bm::content

#pragma once

// Fixtures for the song tests: a small library whose samples exist as files
// under a temporary program folder, and helpers to look at posted commands.

#include "engine/EngineCommand.h"
#include "song/Song.h"
#include "support/TempDir.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>
#include <variant>
#include <vector>

namespace bm::test {

inline SampleDescriptor Sample(std::string first, std::string second, std::string path, int32_t length)
{
    SampleDescriptor d;
    d.firstText = std::move(first);
    d.secondText = std::move(second);
    d.path = std::move(path);
    d.fourthText = "loop";
    d.length = length;
    return d;
}

// Style "Pop" (value A 30000) > group "Drums" > parts "Beat" and "Fill" >
// chords "C" and "D". Part "Beat" chord "C" entry 0 holds variants 0 to 2
// ("kick" 1..3), entry 1 variant 4 ("snare"); part "Fill" chord "D" entry 0
// variant 0 holds "crash". Every chord ends with the empty free entry.
inline SampleLibrary MakeLibrary()
{
    SampleLibrary library;
    LibraryStyle style;
    style.name = "Pop";
    style.valueA = 30000;
    LibraryGroup group;
    group.name = "Drums";
    LibraryPart beat;
    beat.name = "Beat";
    LibraryChord c;
    c.name = "C";
    LibraryEntry kicks;
    kicks.variants[0] = Sample("kick", "1", "drums/kick1.wav", 81408);
    kicks.variants[1] = Sample("kick", "2", "drums/kick2.wav", 40704);
    kicks.variants[2] = Sample("kick", "3", "drums/kick3.wav", 20352);
    LibraryEntry snare;
    snare.variants[4] = Sample("snare", "1", "drums/snare.wav", 10000);
    c.entries = {kicks, snare, LibraryEntry{}};
    LibraryChord d;
    d.name = "D";
    d.entries = {LibraryEntry{}};
    beat.chords = {c, d};
    LibraryPart fill;
    fill.name = "Fill";
    LibraryChord fillD;
    fillD.name = "D";
    LibraryEntry crash;
    crash.variants[0] = Sample("crash", "1", "drums/crash.wav", 50000);
    fillD.entries = {crash, LibraryEntry{}};
    fill.chords = {fillD};
    group.parts = {beat, fill};
    style.groups = {group};
    library.styles = {style};
    return library;
}

// A program folder with the library's sample files in "SMPLDATA/".
struct ProgramSetup {
    TempDir dir;
    SampleLibrary library = MakeLibrary();
    std::string programFolder = dir.Path();
    std::vector<std::string> folders{dir.Path() + "SMPLDATA/", dir.Path(), ""};

    ProgramSetup()
    {
        std::string samples = dir.Path() + "SMPLDATA/drums/";
        std::error_code ec;
        std::filesystem::create_directories(samples, ec);
        for (const char* name : {"kick1.wav", "kick2.wav", "kick3.wav", "snare.wav", "crash.wav"})
            WriteFile(samples + name, "RIFF");
    }
    std::string SamplePath(const std::string& name) const { return dir.Path() + "SMPLDATA/drums/" + name; }
};

inline ChannelSlot Slot(SampleRef ref, int32_t start = 0, int32_t selected = 0, int32_t reverse = 0)
{
    ChannelSlot slot;
    slot.ref = ref;
    slot.start = start;
    slot.selected = selected;
    slot.reverse = reverse;
    return slot;
}

inline SampleRef Kick(int variant) { return SampleRef::Make(0, 0, 0, 0, variant, 0); }
inline SampleRef Snare() { return SampleRef::Make(0, 0, 0, 0, 4, 1); }
inline SampleRef Crash() { return SampleRef::Make(0, 0, 1, 0, 0, 0); }

// A song of `measures` empty measures with rest envelopes over its length.
inline Song MakeSong(size_t measures, int32_t samplesPerMeasure = kDefaultSamplesPerMeasure,
                     int32_t measuresPerBar = kDefaultMeasuresPerBar)
{
    Song song;
    song.samplesPerMeasure = samplesPerMeasure;
    song.measuresPerBar = measuresPerBar;
    song.measures.resize(measures);
    song.channelVolume.fill(kDefaultChannelVolume);
    song.channelOn.fill(true);
    for (auto& channel : song.envelopes) {
        for (int k = 0; k < kEnvelopeKinds; ++k) {
            const int32_t last = static_cast<int32_t>(std::max<int64_t>(1, int64_t(measures) * samplesPerMeasure) - 1);
            channel[size_t(k)] = {{0, EnvelopeRestValue(k), 0}, {last, EnvelopeRestValue(k), 0}};
        }
    }
    return song;
}

// The commands of type T among those posted, in order.
template <typename T>
std::vector<T> PostedOf(const engine::RecordingEngineClient& client)
{
    std::vector<T> out;
    for (const auto& command : client.posted) {
        if (const T* c = std::get_if<T>(&command))
            out.push_back(*c);
    }
    return out;
}

// A readable line per command, for comparing posted sequences.
inline std::string Describe(const engine::EngineCommand& command)
{
    using namespace engine;
    auto n = [](int64_t v) { return std::to_string(v); };
    if (auto* c = std::get_if<SetChannelGain>(&command))
        return "gain " + n(c->channel) + " " + n(c->gain);
    if (auto* c = std::get_if<SetTempo>(&command))
        return "tempo " + n(c->samplesPerMeasure) + " " + n(c->measuresPerBar);
    if (auto* c = std::get_if<engine::InsertMeasures>(&command))
        return "insert measures " + n(c->first) + " " + n(c->count);
    if (auto* c = std::get_if<engine::RemoveMeasures>(&command))
        return "remove measures " + n(c->first) + " " + n(c->count);
    if (auto* c = std::get_if<InsertEnvelopePoint>(&command))
        return "insert point " + n(c->channel) + " " + n(c->kind) + " " + n(c->index) + " " + n(c->position) + " " +
               n(c->value);
    if (auto* c = std::get_if<SetEnvelopePoint>(&command))
        return "set point " + n(c->channel) + " " + n(c->kind) + " " + n(c->index) + " " + n(c->position) + " " +
               n(c->value);
    if (auto* c = std::get_if<DeleteEnvelopePoint>(&command))
        return "delete point " + n(c->channel) + " " + n(c->kind) + " " + n(c->index);
    if (auto* c = std::get_if<SetSlot>(&command)) {
        std::string ref;
        for (int32_t w : c->ref.words)
            ref += " " + n(w);
        return "slot " + n(c->measure) + " " + n(c->channel) + " start " + n(c->start) + " length " +
               n(c->sampleLength) + " reverse " + n(c->reverse) + " ref" + ref + " path " + c->path;
    }
    if (std::holds_alternative<Stop>(command))
        return "stop";
    return "code " + n(static_cast<int64_t>(CodeOf(command)));
}

inline std::vector<std::string> Described(const std::vector<engine::EngineCommand>& commands)
{
    std::vector<std::string> out;
    for (const auto& command : commands)
        out.push_back(Describe(command));
    return out;
}

inline std::vector<engine::CommandCode> Codes(const engine::RecordingEngineClient& client)
{
    std::vector<engine::CommandCode> codes;
    for (const auto& command : client.posted)
        codes.push_back(engine::CodeOf(command));
    return codes;
}

} // namespace bm::test

namespace bm::engine {
// Equality of posted records, for the tests' expected sequences.
inline bool operator==(const SetChannelGain& a, const SetChannelGain& b) { return a.channel == b.channel && a.gain == b.gain; }
inline bool operator==(const InsertEnvelopePoint& a, const InsertEnvelopePoint& b)
{
    return a.channel == b.channel && a.kind == b.kind && a.index == b.index && a.position == b.position &&
           a.value == b.value;
}
inline bool operator==(const SetEnvelopePoint& a, const SetEnvelopePoint& b)
{
    return a.channel == b.channel && a.kind == b.kind && a.index == b.index && a.position == b.position &&
           a.value == b.value;
}
inline bool operator==(const DeleteEnvelopePoint& a, const DeleteEnvelopePoint& b)
{
    return a.channel == b.channel && a.kind == b.kind && a.index == b.index;
}
inline bool operator==(const SetSlot& a, const SetSlot& b)
{
    return a.measure == b.measure && a.channel == b.channel && a.start == b.start && a.sampleLength == b.sampleLength &&
           a.reverse == b.reverse && a.ref == b.ref && a.path == b.path;
}
} // namespace bm::engine

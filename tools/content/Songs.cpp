#include "Songs.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>

namespace bm::content {

namespace {

// What a channel plays: up to three parts of the library. In a section's
// cell for the channel, each character is one bar (one loop, four
// measures): '0' to '5' play that variant of the first part, 'a' to 'f' of
// the second, 'A' to 'F' of the third; anything else leaves the bar to
// whatever still sounds (or silence).
struct Source {
    std::string style, group, part;
    bool tonal = false; // follows the chord progression (else chord "Any")
};

struct Track {
    std::vector<Source> sources;
    int volume = 50; // 0 .. 200
};

struct Section {
    int bars = 0;
    std::array<std::string, kChannels> cells; // a cell shorter than the section repeats
};

struct Plan {
    std::vector<std::string> progression; // chord per bar, repeating
    std::array<Track, kChannels> tracks;
    std::vector<Section> sections;
};

constexpr int kMeasuresPerLoop = 4;

int TotalBars(const Plan& plan)
{
    int bars = 0;
    for (const auto& s : plan.sections)
        bars += s.bars;
    return bars;
}

SampleRef Resolve(const Catalogue& cat, const Track& track, char cell, const std::string& chord)
{
    int source = -1, variant = 0;
    if (cell >= '0' && cell <= '5')
        source = 0, variant = cell - '0';
    else if (cell >= 'a' && cell <= 'f')
        source = 1, variant = cell - 'a';
    else if (cell >= 'A' && cell <= 'F')
        source = 2, variant = cell - 'A';
    if (source < 0 || static_cast<size_t>(source) >= track.sources.size())
        return SampleRef::Empty();
    const Source& s = track.sources[static_cast<size_t>(source)];
    const SampleRef ref = cat.Find(s.style, s.group, s.part, s.tonal ? chord : "Any", variant);
    if (ref.IsEmpty())
        throw std::runtime_error("a song names a sample the library does not hold: " + s.part + " " + chord);
    return ref;
}

// The volume envelope value for a gain of 0 .. 1 (the mixer applies
// ((value + 32768) / 2) / 32768).
int32_t VolumeValue(double gain)
{
    return static_cast<int32_t>(std::clamp(std::lround(gain * 65536.0 - 32768.0), -32768L, 32767L));
}

// The pan envelope value for a position from -1 (left) to 1 (right);
// positive values turn the right side down.
int32_t PanValue(double position)
{
    return static_cast<int32_t>(std::clamp(std::lround(-position * 32767.0), -32768L, 32767L));
}

struct Point {
    double bar; // position in bars (loops) from the song's start
    int32_t value;
};

void SetEnvelope(Song& song, int channel, int kind, const std::vector<Point>& points)
{
    const int64_t last = static_cast<int64_t>(song.measures.size()) * song.samplesPerMeasure - 1;
    auto& list = song.envelopes[static_cast<size_t>(channel)][static_cast<size_t>(kind)];
    list.clear();
    for (const auto& p : points) {
        const int64_t at = std::min<int64_t>(
            last, std::llround(p.bar * kMeasuresPerLoop * static_cast<double>(song.samplesPerMeasure)));
        list.push_back({static_cast<int32_t>(at), p.value, 0});
    }
}

// Fills in every envelope that the plan left alone with its resting line,
// so that the song reads back exactly as it was written.
void CompleteEnvelopes(Song& song)
{
    const int32_t last = static_cast<int32_t>(song.measures.size()) * song.samplesPerMeasure - 1;
    for (int c = 0; c < kChannels; ++c) {
        for (int kind = 0; kind < kEnvelopeKinds; ++kind) {
            auto& list = song.envelopes[static_cast<size_t>(c)][static_cast<size_t>(kind)];
            if (list.size() >= 2)
                continue;
            list = {{0, EnvelopeRestValue(kind), 0}, {last, EnvelopeRestValue(kind), 0}};
        }
    }
}

Song Compose(const Catalogue& cat, const Plan& plan)
{
    Song song;
    song.samplesPerMeasure = kDefaultSamplesPerMeasure;
    song.measuresPerBar = kDefaultMeasuresPerBar;
    song.measures.resize(static_cast<size_t>(TotalBars(plan) * kMeasuresPerLoop));
    for (int c = 0; c < kChannels; ++c) {
        const auto& track = plan.tracks[static_cast<size_t>(c)];
        song.channelVolume[static_cast<size_t>(c)] = track.sources.empty() ? kDefaultChannelVolume : track.volume;
        song.channelOn[static_cast<size_t>(c)] = true;
    }
    int bar = 0;
    for (const auto& section : plan.sections) {
        for (int b = 0; b < section.bars; ++b, ++bar) {
            const std::string& chord = plan.progression[static_cast<size_t>(bar) % plan.progression.size()];
            for (int c = 0; c < kChannels; ++c) {
                const std::string& cell = section.cells[static_cast<size_t>(c)];
                if (cell.empty())
                    continue;
                const char code = cell[static_cast<size_t>(b) % cell.size()];
                const SampleRef ref = Resolve(cat, plan.tracks[static_cast<size_t>(c)], code, chord);
                if (ref.IsEmpty())
                    continue;
                auto& slot = song.measures[static_cast<size_t>(bar * kMeasuresPerLoop)].slots[static_cast<size_t>(c)];
                slot.ref = ref;
            }
        }
    }
    return song;
}

// Bar at which each section starts.
std::vector<double> SectionStarts(const Plan& plan)
{
    std::vector<double> starts;
    int bar = 0;
    for (const auto& s : plan.sections) {
        starts.push_back(bar);
        bar += s.bars;
    }
    starts.push_back(bar);
    return starts;
}

// A region over whole bars [from, to).
Region Span(double fromBar, double toBar, bool on)
{
    return {static_cast<int32_t>(fromBar) * kMeasuresPerLoop, static_cast<int32_t>(toBar) * kMeasuresPerLoop - 1, on};
}

// Every channel fades out over the last `bars` bars.
void FadeOutAll(Song& song, double totalBars, double bars)
{
    for (int c = 0; c < kChannels; ++c) {
        auto& list = song.envelopes[static_cast<size_t>(c)][kVolumeEnvelope];
        if (list.empty())
            SetEnvelope(song, c, kVolumeEnvelope, {{0.0, VolumeValue(1.0)}});
        // Keep the channel's own shape until the fade begins.
        const int32_t fadeFrom = static_cast<int32_t>((totalBars - bars) * kMeasuresPerLoop * song.samplesPerMeasure);
        std::erase_if(list, [&](const EnvelopePoint& p) { return p.position >= fadeFrom; });
        const int32_t level = list.empty() ? VolumeValue(1.0) : list.back().value;
        list.push_back({fadeFrom, level, 0});
        list.push_back({static_cast<int32_t>(song.measures.size()) * song.samplesPerMeasure - 1, VolumeValue(0.0), 0});
    }
}

const Source kHouseBeat{"Electro", "Drums", "House Beat"};
const Source kBreakBeat{"Electro", "Drums", "Break Beat"};
const Source kKick{"Electro", "Drums", "Kick"};
const Source kHats{"Electro", "Drums", "Hats"};
const Source kSnareClap{"Electro", "Drums", "Snare & Clap"};
const Source kShaker{"Electro", "Percussion", "Shaker"};
const Source kCongas{"Electro", "Percussion", "Congas"};
const Source kRimClave{"Electro", "Percussion", "Rim & Clave"};
const Source kToms{"Electro", "Percussion", "Toms"};
const Source kSubBass{"Electro", "Bass", "Sub Bass", true};
const Source kSawBass{"Electro", "Bass", "Saw Bass", true};
const Source kPluckBass{"Electro", "Bass", "Pluck Bass", true};
const Source kWarmPad{"Electro", "Pads", "Warm Pad", true};
const Source kGlassPad{"Electro", "Pads", "Glass Pad", true};
const Source kStabs{"Electro", "Keys", "Chord Stabs", true};
const Source kPiano{"Electro", "Keys", "E-Piano", true};
const Source kSawLead{"Electro", "Leads", "Saw Lead", true};
const Source kSquareLead{"Electro", "Leads", "Square Lead", true};
const Source kPluckArp{"Electro", "Arps", "Pluck Arp", true};
const Source kBellArp{"Electro", "Arps", "Bell Arp", true};
const Source kSweeps{"Electro", "FX", "Sweeps"};
const Source kRisers{"Electro", "FX", "Risers"};
const Source kTextures{"Electro", "FX", "Textures"};
const Source kDrumHits{"One-Shots", "Hits", "Drum Hits"};
const Source kImpacts{"One-Shots", "Hits", "Impacts"};
const Source kNoiseRisers{"One-Shots", "Risers", "Noise Risers"};
const Source kDownlifters{"One-Shots", "Risers", "Downlifters"};
const Source kVowels{"One-Shots", "Voices", "Vowel Phrases", true};
const Source kChops{"One-Shots", "Voices", "Vocal Chops"};

// Intro: driving house in A minor (Am F C G), the start song.
DemoSong Intro(const Catalogue& cat)
{
    Plan plan;
    plan.progression = {"A", "F", "C", "G"};
    plan.tracks = {{
        {{kHouseBeat}, 56},
        {{kHats}, 40},
        {{kShaker, kCongas}, 40},
        {{kSawBass, kSubBass}, 50},
        {{kWarmPad}, 40},
        {{kStabs}, 38},
        {{kSawLead}, 36},
        {{kPluckArp}, 36},
        {{kSweeps, kRisers}, 36},
        {{kDrumHits, kImpacts}, 40},
        {{kVowels}, 38},
        {{kSnareClap}, 40},
    }};
    //                ch0 beat            ch1 hats  ch2 perc   ch3 bass            ch4 pad             ch5 stabs
    //                ch6 lead            ch7 arp   ch8 fx     ch9 hits            ch10 vox            ch11 snare
    plan.sections = {
        {8, {"....0000", "..111111", "", "", "30000000", "", "", "....0000", ".......2", "", "", ""}},
        {8, {"00000003", "2", "0", "00000000", "0", "....0000", "", "0", ".......a", "5.......", "", "......34"}},
        {16, {"5111111311111113", "2", "0000000000000000", "1", "1", "01", "0101010123230145", "0",
              "...............c", "5...............", "........0.1.0.1.", ""}},
        {8, {"", "....2222", "..aaaaaa", "bbbbbbbb", "4", "", "", "2", "3333333c", "a.......", "3.3.3.3.", "......34"}},
        {16, {"5111111311111113", "2", "dddddddddddddddd", "1", "1", "0101010101010104", "2323232301010145", "4",
              "", "5.......5.......", "0.1.0.1.0.1.0.1.", ""}},
        {8, {"00000000", "1", "0", "0", "0", "", "", "0", "", "5.......", "3...", ""}},
    };
    DemoSong demo{"DEMOSONGS/Intro.ncp", "driving house in A minor (Am F C G)", Compose(cat, plan)};
    Song& song = demo.song;
    const auto starts = SectionStarts(plan);
    const double total = starts.back();
    // The pad swells in over the intro; the arpeggio wanders across the stereo field.
    SetEnvelope(song, 4, kVolumeEnvelope, {{0.0, VolumeValue(0.35)}, {8.0, VolumeValue(1.0)}});
    SetEnvelope(song, 7, kPanEnvelope,
                {{0.0, PanValue(-0.4)}, {8.0, PanValue(0.4)}, {16.0, PanValue(-0.4)}, {32.0, PanValue(0.4)},
                 {48.0, PanValue(-0.4)}, {total, PanValue(0.0)}});
    SetEnvelope(song, 10, kPanEnvelope, {{0.0, PanValue(0.25)}, {total, PanValue(0.25)}});
    SetEnvelope(song, 2, kPanEnvelope, {{0.0, PanValue(-0.3)}, {total, PanValue(-0.3)}});
    FadeOutAll(song, total, 4.0);
    song.regions = {Span(starts[2], starts[3], true),
                    Span(starts[4], starts[5], false)};
    CompleteEnvelopes(song);
    return demo;
}

// Sunrise: bright and uplifting in C major (C G Am F).
DemoSong Sunrise(const Catalogue& cat)
{
    Plan plan;
    plan.progression = {"C", "G", "A", "F"};
    plan.tracks = {{
        {{kBreakBeat}, 41},
        {{kCongas, kShaker}, 31},
        {{kHats}, 29},
        {{kPluckBass}, 40},
        {{kGlassPad}, 34},
        {{kPiano}, 36},
        {{kBellArp}, 29},
        {{kSquareLead}, 27},
        {{kChops, kVowels}, 29},
        {{kSweeps, kNoiseRisers}, 27},
        {{kDrumHits}, 31},
        {{kRimClave}, 29},
    }};
    //                ch0 beat            ch1 perc  ch2 hats   ch3 bass  ch4 pad   ch5 piano
    //                ch6 bells  ch7 lead   ch8 voices   ch9 fx    ch10 hits  ch11 rim
    plan.sections = {
        {8, {"", "", "", "", "30000000", "0", "", "", "", ".......2", "", ""}},
        {16, {"0000000100000005", "0", "....1111", "0", "0", "1", "", "", "0...3...", "", "5...............",
              "....0000"}},
        {16, {"4444444544444445", "4", "2", "4", "4", "4", "0", "0101010101010145", "a.b.a.b.a.b.a.b.", "",
              "5.......5.......", "0"}},
        {8, {"", "b", "", "5", "3", "5", "3", "", "d.......", ".......b", "", ""}},
        {16, {"4444444544444445", "4", "2", "4", "4", "4", "4", "2323232301010145", "a.b.a.b.c.e.c.e.", "",
              "5.......5.......", "3"}},
        {8, {"0000", "0", "1", "0", "0", "5", "5", "", "", "", "5.......", ""}},
    };
    DemoSong demo{"DEMOSONGS/Sunrise.ncp", "bright, uplifting break beat in C major (C G Am F)", Compose(cat, plan)};
    Song& song = demo.song;
    const auto starts = SectionStarts(plan);
    const double total = starts.back();
    SetEnvelope(song, 6, kPanEnvelope,
                {{0.0, PanValue(0.5)}, {starts[2] + 4.0, PanValue(-0.5)}, {starts[3], PanValue(0.5)},
                 {total, PanValue(-0.3)}});
    SetEnvelope(song, 1, kPanEnvelope, {{0.0, PanValue(-0.35)}, {total, PanValue(-0.35)}});
    SetEnvelope(song, 11, kPanEnvelope, {{0.0, PanValue(0.35)}, {total, PanValue(0.35)}});
    // The piano steps back when the lead comes in.
    SetEnvelope(song, 5, kVolumeEnvelope,
                {{0.0, VolumeValue(1.0)}, {starts[2], VolumeValue(1.0)}, {starts[2] + 0.5, VolumeValue(0.75)},
                 {starts[3], VolumeValue(0.75)}, {starts[3] + 0.5, VolumeValue(1.0)}, {starts[4], VolumeValue(1.0)},
                 {starts[4] + 0.5, VolumeValue(0.75)}});
    FadeOutAll(song, total, 6.0);
    song.regions = {Span(starts[2], starts[3], true)};
    CompleteEnvelopes(song);
    return demo;
}

// Night Drive: dark and restless in A minor (Am F Dm Em).
DemoSong NightDrive(const Catalogue& cat)
{
    Plan plan;
    plan.progression = {"A", "F", "D", "E"};
    plan.tracks = {{
        {{kKick}, 50},
        {{kHats}, 34},
        {{kSnareClap}, 39},
        {{kSubBass}, 45},
        {{kSawBass}, 32},
        {{kWarmPad}, 36},
        {{kPluckArp}, 30},
        {{kSquareLead}, 29},
        {{kTextures}, 36},
        {{kToms, kRimClave}, 34},
        {{kRisers, kSweeps}, 30},
        {{kImpacts, kDownlifters}, 34},
    }};
    //                ch0 kick   ch1 hats   ch2 snare  ch3 sub   ch4 acid   ch5 pad
    //                ch6 arp    ch7 lead   ch8 texture  ch9 perc   ch10 fx   ch11 hits
    plan.sections = {
        {8, {"", "", "", "", "", "30000000", "", "", "0", "", ".......1", ""}},
        {16, {"0000000100000004", "1111111122222222", "0000000000000003", "3", "....3333", "0", "",
              "", "2", "aaaaaaa3aaaaaaa3", "...............0", "0..............."}},
        {8, {"", "0", "", "0", "", "4", "5", "4.4.", "3", "", "ddddddd1", "b......."}},
        {16, {"0000000100000004", "2222222233333333", "5555555355555553", "3", "3", "1", "0", "0101010101010145",
              "2", "0000000300000005", "", "0.......0......."}},
        {8, {"0000", "1", "0", "0", "", "0", "1", "", "0", "a", "", "f......."}},
    };
    DemoSong demo{"DEMOSONGS/Night_Drive.ncp", "dark, restless acid groove in A minor (Am F Dm Em)",
                  Compose(cat, plan)};
    Song& song = demo.song;
    const auto starts = SectionStarts(plan);
    const double total = starts.back();
    // The acid line opens up over the first groove; the texture fades under the drums.
    SetEnvelope(song, 4, kVolumeEnvelope, {{0.0, VolumeValue(0.5)}, {starts[2], VolumeValue(1.0)}});
    SetEnvelope(song, 8, kVolumeEnvelope,
                {{0.0, VolumeValue(1.0)}, {starts[1], VolumeValue(1.0)}, {starts[1] + 2.0, VolumeValue(0.6)},
                 {starts[2], VolumeValue(0.6)}, {starts[2] + 1.0, VolumeValue(1.0)}, {starts[3], VolumeValue(1.0)},
                 {starts[3] + 2.0, VolumeValue(0.6)}});
    SetEnvelope(song, 6, kPanEnvelope,
                {{0.0, PanValue(-0.6)}, {starts[3], PanValue(0.6)}, {starts[3] + 8.0, PanValue(-0.6)},
                 {total, PanValue(0.6)}});
    SetEnvelope(song, 9, kPanEnvelope, {{0.0, PanValue(0.3)}, {total, PanValue(0.3)}});
    FadeOutAll(song, total, 4.0);
    song.regions = {Span(starts[1], starts[2], true),
                    Span(starts[3], starts[4], true)};
    CompleteEnvelopes(song);
    return demo;
}

} // namespace

std::vector<DemoSong> BuildDemoSongs(const Catalogue& catalogue)
{
    return {Intro(catalogue), Sunrise(catalogue), NightDrive(catalogue)};
}

Song BuildSongSample(const Catalogue& cat, const SongSampleJob& job)
{
    Plan plan;
    plan.progression = {"Any"};
    if (job.name == "House Groove") {
        plan.tracks[0] = {{kHouseBeat}, 70};
        plan.tracks[1] = {{kShaker}, 55};
        plan.tracks[2] = {{kRimClave}, 50};
        plan.sections = {{2, {"13", "0", "2"}}};
    } else if (job.name == "Break Groove") {
        plan.tracks[0] = {{kBreakBeat}, 70};
        plan.tracks[1] = {{kCongas}, 55};
        plan.tracks[2] = {{kHats}, 45};
        plan.sections = {{2, {"15", "1", "2"}}};
    } else {
        plan.tracks[0] = {{kKick}, 70};
        plan.tracks[1] = {{kCongas}, 60};
        plan.tracks[2] = {{kRimClave}, 55};
        plan.tracks[3] = {{kShaker}, 50};
        plan.sections = {{2, {"0", "4", "0", "2"}}};
    }
    Song song = Compose(cat, plan);
    CompleteEnvelopes(song);
    return song;
}

} // namespace bm::content

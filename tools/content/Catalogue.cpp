#include "Catalogue.h"

#include "Dsp.h"
#include "Harmony.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace bm::content {

namespace {

// Colours are kept as 0x00BBGGRR, as the browser draws them.
uint32_t Bgr(uint32_t rgb) { return ((rgb & 0xFF) << 16) | (rgb & 0xFF00) | ((rgb >> 16) & 0xFF); }

uint32_t Mix(uint32_t rgb, uint32_t with, double amount)
{
    uint32_t out = 0;
    for (int shift : {0, 8, 16}) {
        const double a = (rgb >> shift) & 0xFF;
        const double b = (with >> shift) & 0xFF;
        out |= static_cast<uint32_t>(std::lround(a + (b - a) * amount)) << shift;
    }
    return out;
}

// Colour 1 the group's own, 2 a light and 3 a dark shade of it, 4 the text
// colour that reads on colour 1.
std::array<uint32_t, 4> GroupColours(uint32_t rgb)
{
    const double luma = 0.3 * ((rgb >> 16) & 0xFF) + 0.59 * ((rgb >> 8) & 0xFF) + 0.11 * (rgb & 0xFF);
    const uint32_t text = luma > 150.0 ? 0x101010 : 0xF0F0F0;
    return {Bgr(rgb), Bgr(Mix(rgb, 0xFFFFFF, 0.4)), Bgr(Mix(rgb, 0x000000, 0.45)), Bgr(text)};
}

// A colour per pitch class around the colour wheel, for chord rows.
uint32_t NoteColour(int pitchClass)
{
    const double hue = pitchClass / 12.0 * 6.0;
    const int sector = static_cast<int>(hue);
    const double f = hue - sector;
    const double hi = 220.0, lo = 70.0;
    double r = 0, g = 0, b = 0;
    const double up = lo + (hi - lo) * f, down = hi - (hi - lo) * f;
    switch (sector % 6) {
    case 0: r = hi, g = up, b = lo; break;
    case 1: r = down, g = hi, b = lo; break;
    case 2: r = lo, g = hi, b = up; break;
    case 3: r = lo, g = down, b = hi; break;
    case 4: r = up, g = lo, b = hi; break;
    default: r = hi, g = lo, b = down; break;
    }
    return Bgr((static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) | static_cast<uint32_t>(b));
}

std::string FolderName(const std::string& name)
{
    std::string out;
    for (char c : name) {
        if (c == ' ')
            out.push_back('_');
        else if (c == '&')
            out += "and";
        else if (c == '#')
            out += "sharp";
        else
            out.push_back(c);
    }
    return out;
}

constexpr const char* kAnyChord = "Any";
constexpr const char* kUserPart = "User";

// The six texts that tell the variants of an entry apart.
using VariantNames = std::array<const char*, 6>;

class Builder {
public:
    explicit Builder(Catalogue& catalogue) : m_cat(catalogue) {}

    // `userParts`: every group of the style ends with an empty part of the
    // user's own, where the samples the person adds, records or unpacks go.
    void Style(const std::string& name, int32_t valueA, int32_t valueB, bool userParts)
    {
        EndGroup();
        m_userParts = userParts;
        LibraryStyle style;
        style.firstText = name;
        style.name = name;
        style.valueA = valueA;
        style.valueB = valueB;
        style.selectedGroup = 0;
        m_cat.library.styles.push_back(std::move(style));
    }

    void Group(const std::string& name, uint32_t rgb)
    {
        EndGroup();
        LibraryGroup group;
        group.firstText = name;
        group.name = name;
        group.colours = GroupColours(rgb);
        group.selectedPart = 0;
        m_groupRgb = rgb;
        CurrentStyle().groups.push_back(std::move(group));
    }

    // A tonal part: one entry on each factory chord.
    void TonalPart(const std::string& name, const std::string& label, const VariantNames& names, LevelRule level,
                   std::function<Variants(const ChordInfo&, uint64_t)> make)
    {
        BeginPart(name);
        for (const auto& chord : FactoryChords()) {
            AddChord(chord.name, NoteColour(chord.pitchClass));
            AddEntry(label, names, level, [make, chord](uint64_t seed) { return make(chord, seed); });
        }
    }

    // A part whose material fits every chord: one chord named "Any".
    void Part(const std::string& name, const std::string& label, const VariantNames& names, LevelRule level,
              std::function<Variants(uint64_t)> make)
    {
        BeginPart(name);
        AddChord(kAnyChord, Bgr(m_groupRgb));
        AddEntry(label, names, level, std::move(make));
    }

    // The hidden part that holds the silence sample: fixed names.
    void SilencePart()
    {
        BeginPart("p1");
        AddChord("c1", 0x808080);
        LibraryEntry entry;
        auto& d = entry.variants[0];
        d.firstText = "Silence";
        d.path = CurrentFolder() + "silence.wav";
        d.fourthText = "Silence";
        FillNumbers(d);
        AddJob(entry, 1, {LevelRule::By::Peak, 0.0, 0.0}, [](uint64_t) { return SilentLoop(); });
        CurrentChord().entries.push_back(std::move(entry));
        CurrentChord().entries.push_back(LibraryEntry{});
    }

    // A part of songs used as samples; the songs are written later.
    void SongPart(const std::string& name, const std::vector<std::string>& songs)
    {
        BeginPart(name);
        AddChord(kAnyChord, Bgr(m_groupRgb));
        LibraryEntry entry;
        for (size_t v = 0; v < songs.size() && v < 6; ++v) {
            auto& d = entry.variants[v];
            d.firstText = songs[v];
            d.secondText = "song";
            d.path = CurrentFolder() + FolderName(songs[v]) + ".ncp";
            d.fourthText = FolderName(songs[v]);
            d.kind = 0;
            d.nominalLength = kLoopLength;
            d.length = 0; // set when the song is made
            m_cat.songSamples.push_back({CurrentRef(static_cast<int>(v)), kSampleFolder + d.path, songs[v]});
        }
        CurrentChord().entries.push_back(std::move(entry));
        CurrentChord().entries.push_back(LibraryEntry{});
    }

    // Closes the last group: its user part, when the style has them.
    void EndGroup()
    {
        if (!m_userParts || m_cat.library.styles.empty() || CurrentStyle().groups.empty())
            return;
        // Tonal groups give the user part the same chords as their own parts.
        bool tonal = false;
        for (const LibraryPart& part : CurrentGroup().parts)
            tonal = tonal || (!part.chords.empty() && part.chords.front().name != kAnyChord);
        BeginPart(kUserPart);
        CurrentPart().factory = 0;
        if (tonal) {
            for (const auto& chord : FactoryChords())
                AddChord(chord.name, NoteColour(chord.pitchClass));
        } else {
            AddChord(kAnyChord, Bgr(m_groupRgb));
        }
        for (LibraryChord& chord : CurrentPart().chords)
            chord.entries.push_back(LibraryEntry{}); // the free place, where new samples go
    }

private:
    LibraryStyle& CurrentStyle() { return m_cat.library.styles.back(); }
    LibraryGroup& CurrentGroup() { return CurrentStyle().groups.back(); }
    LibraryPart& CurrentPart() { return CurrentGroup().parts.back(); }
    LibraryChord& CurrentChord() { return CurrentPart().chords.back(); }

    int32_t StyleIndex() const { return static_cast<int32_t>(m_cat.library.styles.size()) - 1; }
    int32_t GroupIndex() { return static_cast<int32_t>(CurrentStyle().groups.size()) - 1; }

    SampleRef CurrentRef(int variant)
    {
        return SampleRef::Make(StyleIndex(), GroupIndex(), static_cast<int32_t>(CurrentGroup().parts.size()) - 1,
                               static_cast<int32_t>(CurrentPart().chords.size()) - 1, variant,
                               static_cast<int32_t>(CurrentChord().entries.size()));
    }

    // Folder of the current chord's files, relative to the sample folder.
    std::string CurrentFolder()
    {
        std::string folder = FolderName(CurrentStyle().name) + "/" + FolderName(CurrentGroup().name) + "/"
                           + FolderName(CurrentPart().name) + "/";
        if (CurrentChord().name != kAnyChord && CurrentStyle().name != "ncp")
            folder += FolderName(CurrentChord().name) + "/";
        return folder;
    }

    void BeginPart(const std::string& name)
    {
        LibraryPart part;
        part.factory = 1;
        part.firstText = name;
        part.name = name;
        const double shade = 0.12 * static_cast<double>(CurrentGroup().parts.size() % 4);
        part.displayValue = Bgr(Mix(m_groupRgb, 0xFFFFFF, shade));
        part.selectedChord = 0;
        CurrentGroup().parts.push_back(std::move(part));
    }

    void AddChord(const std::string& name, uint32_t displayValue)
    {
        LibraryChord chord;
        chord.firstText = name;
        chord.name = name;
        chord.displayValue = displayValue;
        chord.storedPosition = 0;
        CurrentPart().chords.push_back(std::move(chord));
        // New samples that the user records or imports into this chord go to
        // the same place below the user folder as the factory files here.
        CurrentChord().folder = CurrentFolder();
    }

    // Kind by the program's own rule for new samples: in style 0 the first
    // two groups (drums, percussion) stretch with short grains, the bass
    // group with long ones, the rest with medium ones; other styles hold
    // material that keeps its own speed.
    int32_t Kind()
    {
        if (StyleIndex() != 0)
            return 0;
        const int32_t group = GroupIndex();
        return group <= 1 ? 1 : group == 2 ? 2 : 3;
    }

    void FillNumbers(SampleDescriptor& d)
    {
        d.length = kLoopLength;
        d.nominalLength = kLoopLength;
        d.number2 = 0;
        d.kind = Kind();
    }

    void AddEntry(const std::string& label, const VariantNames& names, LevelRule level,
                  std::function<Variants(uint64_t)> make)
    {
        LibraryEntry entry;
        const std::string base = FolderName(CurrentPart().name)
                               + (CurrentChord().name == kAnyChord ? "" : "_" + FolderName(CurrentChord().name));
        for (size_t v = 0; v < 6; ++v) {
            auto& d = entry.variants[v];
            d.firstText = label + " " + std::to_string(v + 1);
            d.secondText = names[v];
            d.fourthText = base + "_" + std::to_string(v + 1);
            d.path = CurrentFolder() + d.fourthText + ".wav";
            FillNumbers(d);
        }
        AddJob(entry, 6, level, std::move(make));
        CurrentChord().entries.push_back(std::move(entry));
        // The free place that every chord ends with.
        CurrentChord().entries.push_back(LibraryEntry{});
    }

    void AddJob(const LibraryEntry& entry, int count, LevelRule level, std::function<Variants(uint64_t)> make)
    {
        RenderJob job;
        for (int v = 0; v < count; ++v) {
            job.refs.push_back(CurrentRef(v));
            job.files.push_back(kSampleFolder + entry.variants[static_cast<size_t>(v)].path);
        }
        const uint64_t seed = HashText(job.files.front());
        job.render = [make = std::move(make), seed] { return make(seed); };
        job.level = level;
        m_cat.jobs.push_back(std::move(job));
    }

    Catalogue& m_cat;
    uint32_t m_groupRgb = 0x808080;
    bool m_userParts = false;
};

LevelRule Loud(double rmsDb) { return {LevelRule::By::Loudness, rmsDb, -1.5}; }
LevelRule Peak(double peakDb) { return {LevelRule::By::Peak, peakDb, 0.0}; }

} // namespace

Catalogue BuildCatalogue()
{
    Catalogue cat;
    Builder b(cat);

    b.Style("Electro", kLoopLength, 130, true);
    b.Group("Drums", 0xD04030);
    b.Part("House Beat", "House", {"basic", "groove", "break", "fill", "drive", "crash"}, Loud(-15.0), HouseBeatLoops);
    b.Part("Break Beat", "Break", {"basic", "ghosts", "skip", "open hat", "busy", "fill"}, Loud(-15.0), BreakBeatLoops);
    b.Part("Kick", "Kick", {"four", "pickup", "half", "eighths", "roll", "broken"}, Loud(-15.0), KickLoops);
    b.Part("Hats", "Hats", {"open", "eighths", "sixteenths", "shuffle", "mixed", "ride"}, Loud(-22.0), HatLoops);
    b.Part("Snare & Clap", "Clap", {"clap", "snare", "layered", "eighths", "build", "ghosts"}, Loud(-20.0),
           SnareClapLoops);
    b.Group("Percussion", 0xE08A30);
    b.Part("Shaker", "Shaker", {"sixteenths", "eighths", "shuffle", "offbeat", "build", "three"}, Loud(-23.0),
           ShakerLoops);
    b.Part("Congas", "Conga", {"basic", "busy", "slaps", "rolling", "tumbao", "fill"}, Loud(-21.0), CongaLoops);
    b.Part("Rim & Clave", "Rim", {"son clave", "rumba clave", "rim", "rim and clave", "cowbell", "snaps"}, Loud(-23.0),
           RimClaveLoops);
    b.Part("Toms", "Toms", {"basic", "answer", "broken", "pickup", "busy", "fill"}, Loud(-20.0), TomLoops);
    b.Group("Bass", 0x8048C8);
    b.TonalPart("Sub Bass", "Sub", {"held", "offbeat", "octaves", "dotted", "walk", "fill"}, Loud(-15.0),
                SubBassLoops);
    b.TonalPart("Saw Bass", "Saw", {"eighths", "rolling", "syncopated", "acid", "sixteenths", "fill"}, Loud(-16.0),
                SawBassLoops);
    b.TonalPart("Pluck Bass", "Pluck", {"offbeat", "octave", "dotted", "bounce", "melodic", "sparse"}, Loud(-17.0),
                PluckBassLoops);
    b.Group("Pads", 0x4078D8);
    b.TonalPart("Warm Pad", "Warm", {"held", "seventh", "pulse", "swell", "bright", "offbeat"}, Loud(-19.0),
                WarmPadLoops);
    b.TonalPart("Glass Pad", "Glass", {"held", "seventh", "pulse", "swell", "bright", "offbeat"}, Loud(-20.0),
                GlassPadLoops);
    b.Group("Keys", 0x30A8A0);
    b.TonalPart("Chord Stabs", "Stab", {"offbeat", "syncopated", "push", "quarters", "sixteenths", "long"},
                Loud(-19.0), ChordStabLoops);
    b.TonalPart("E-Piano", "Piano", {"halves", "dotted", "offbeat", "syncopated", "push", "rolled"}, Loud(-19.0),
                EPianoLoops);
    b.Group("Leads", 0xD8C030);
    b.TonalPart("Saw Lead", "Lead", {"hook", "answer", "high", "stutter", "long", "run"}, Loud(-19.0), SawLeadLoops);
    b.TonalPart("Square Lead", "Square", {"motif", "answer", "offbeat", "eighths", "long", "run"}, Loud(-20.0),
                SquareLeadLoops);
    b.Group("Arps", 0x50B858);
    b.TonalPart("Pluck Arp", "Arp", {"up", "down", "up-down", "octaves", "broken", "high"}, Loud(-20.0),
                PluckArpLoops);
    b.TonalPart("Bell Arp", "Bell", {"up", "down", "dotted", "quarters", "sixteenths", "sparse"}, Loud(-21.0),
                BellArpLoops);
    b.Group("FX", 0x7888A8);
    b.Part("Sweeps", "Sweep", {"up", "down", "late up", "wind", "pulses", "swoosh"}, Loud(-22.0), SweepLoops);
    b.Part("Risers", "Riser", {"noise", "pitch", "snare", "tremolo", "siren", "downlifter"}, Loud(-20.0), RiserLoops);
    b.Part("Textures", "Texture", {"vinyl", "rain", "radio", "air", "machine", "glitch"}, Loud(-27.0), TextureLoops);

    b.Style("One-Shots", kLoopLength, 130, true);
    b.Group("Hits", 0xC04888);
    b.Part("Drum Hits", "Hit", {"kick", "snare", "clap", "tom", "open hat", "crash"}, Peak(-2.0), DrumHits);
    b.Part("Impacts", "Impact", {"boom", "thud", "slam", "reverse crash", "zap", "glass"}, Peak(-2.0), Impacts);
    b.TonalPart("Stabs", "Stab", {"saw", "organ", "piano", "pluck", "brass", "rave"}, Peak(-3.0), ChordStabHits);
    b.Group("Risers", 0x40B4D8);
    b.Part("Noise Risers", "Noise", {"2 beats", "4 beats", "8 beats", "dark", "resonant", "tremolo"}, Peak(-3.0),
           NoiseRisers);
    b.Part("Tonal Risers", "Rise", {"saw", "double saw", "siren", "endless", "supersaw", "short"}, Peak(-3.0),
           TonalRisers);
    b.Part("Downlifters", "Down", {"short", "band", "saw", "sub drop", "resonant", "tremolo"}, Peak(-3.0),
           Downlifters);
    b.Group("Voices", 0xE078A8);
    b.TonalPart("Vowel Phrases", "Vox", {"call", "answer", "climb", "long", "fall", "low"}, Loud(-19.0), VowelPhrases);
    b.Part("Vocal Chops", "Chop", {"ah", "oh", "ee", "hey", "ooh", "yah"}, Peak(-3.0), VocalChops);
    b.Group("Song Loops", 0xA87848);
    b.SongPart("Grooves", {"House Groove", "Break Groove", "Latin Groove"});

    // The style that the silence cell looks up by these exact names.
    b.Style("ncp", kLoopLength, 0, false);
    b.Group("xb", 0x808080);
    b.SilencePart();
    return cat;
}

SampleRef Catalogue::Find(const std::string& style, const std::string& group, const std::string& part,
                          const std::string& chord, int variant, int entry) const
{
    const auto& styles = library.styles;
    for (size_t s = 0; s < styles.size(); ++s) {
        if (styles[s].name != style)
            continue;
        const auto& groups = styles[s].groups;
        for (size_t g = 0; g < groups.size(); ++g) {
            if (groups[g].name != group)
                continue;
            const auto& parts = groups[g].parts;
            for (size_t p = 0; p < parts.size(); ++p) {
                if (parts[p].name != part)
                    continue;
                const auto& chords = parts[p].chords;
                for (size_t c = 0; c < chords.size(); ++c) {
                    if (chords[c].name != chord)
                        continue;
                    const SampleRef ref = SampleRef::Make(static_cast<int32_t>(s), static_cast<int32_t>(g),
                                                          static_cast<int32_t>(p), static_cast<int32_t>(c), variant,
                                                          entry);
                    const SampleDescriptor* d = library.Find(ref);
                    return d && !d->IsEmpty() ? ref : SampleRef::Empty();
                }
            }
        }
    }
    return SampleRef::Empty();
}

int Catalogue::SampleCount() const
{
    int count = 0;
    for (const auto& style : library.styles)
        for (const auto& group : style.groups)
            for (const auto& part : group.parts)
                for (const auto& chord : part.chords)
                    for (const auto& entry : chord.entries)
                        for (const auto& v : entry.variants)
                            count += v.IsEmpty() ? 0 : 1;
    return count;
}

} // namespace bm::content

// Runs the content generator into a scratch program folder and checks what a first start of the program will find there: the catalogue,
// every sample file, the tuning of the bass loops, the silence sample and
// the demo songs.

#include "core/Binary.h"
#include "core/Paths.h"
#include "core/Text.h"
#include "library/LibraryReader.h"
#include "library/LibraryWriter.h"
#include "library/SampleResolver.h"
#include "song/SongReader.h"
#include "core/File.h"
#include "support/RunCli.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <set>

namespace bm {
namespace {

constexpr int kLoop = 81408;
constexpr int kCeiling = 29204; // -1 dBFS of full scale
const char* const kNotes[12] = {"C", "C#", "D", "D#", "E", "F", "F#", "G", "G#", "A", "A#", "B"};

struct Wave {
    int channels = 0;
    int rate = 0;
    int bits = 0;
    std::vector<int16_t> samples; // interleaved
    int Frames() const { return channels ? static_cast<int>(samples.size()) / channels : 0; }
};

// A small chunk walker: enough for the 16-bit PCM files the generator makes.
bool ReadWave(const std::string& path, Wave& wave)
{
    const std::string bytes = test::ReadFile(path);
    const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
    if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0 || bytes.compare(8, 4, "WAVE") != 0)
        return false;
    size_t at = 12;
    bool haveFormat = false;
    while (at + 8 <= bytes.size()) {
        const uint32_t size = ReadLE32(p + at + 4);
        if (at + 8 + size > bytes.size())
            return false;
        if (bytes.compare(at, 4, "fmt ") == 0 && size >= 16) {
            if (ReadLE16(p + at + 8) != 1)
                return false;
            wave.channels = ReadLE16(p + at + 10);
            wave.rate = static_cast<int>(ReadLE32(p + at + 12));
            wave.bits = ReadLE16(p + at + 22);
            haveFormat = true;
        } else if (bytes.compare(at, 4, "data") == 0 && haveFormat) {
            wave.samples.resize(size / 2);
            for (size_t i = 0; i < wave.samples.size(); ++i)
                wave.samples[i] = ReadLE16s(p + at + 8 + 2 * i);
            return true;
        }
        at += 8 + size + (size & 1);
    }
    return false;
}

std::vector<double> Channel(const Wave& w, int channel)
{
    std::vector<double> out(static_cast<size_t>(w.Frames()));
    for (size_t i = 0; i < out.size(); ++i)
        out[i] = w.samples[i * static_cast<size_t>(w.channels) + static_cast<size_t>(channel)];
    return out;
}

// Fundamental frequency by the cumulative mean normalised difference
// (autocorrelation's robust cousin): the first lag whose difference dips
// under the threshold, refined to its minimum and interpolated.
double EstimatePitch(const std::vector<double>& x, double lowHz, double highHz)
{
    const int minLag = static_cast<int>(44100.0 / highHz);
    const int maxLag = static_cast<int>(44100.0 / lowHz);
    const int window = static_cast<int>(x.size()) - maxLag - 2;
    if (window <= 0)
        return 0.0;
    std::vector<double> d(static_cast<size_t>(maxLag + 2), 0.0);
    for (int lag = 1; lag <= maxLag + 1; ++lag) {
        double sum = 0.0;
        for (int j = 0; j < window; ++j) {
            const double diff = x[static_cast<size_t>(j)] - x[static_cast<size_t>(j + lag)];
            sum += diff * diff;
        }
        d[static_cast<size_t>(lag)] = sum;
    }
    std::vector<double> cmnd(d.size(), 1.0);
    double running = 0.0;
    for (size_t lag = 1; lag < d.size(); ++lag) {
        running += d[lag];
        cmnd[lag] = running > 0.0 ? d[lag] * static_cast<double>(lag) / running : 1.0;
    }
    for (int lag = minLag; lag <= maxLag; ++lag) {
        if (cmnd[static_cast<size_t>(lag)] >= 0.15)
            continue;
        while (lag < maxLag && cmnd[static_cast<size_t>(lag + 1)] < cmnd[static_cast<size_t>(lag)])
            ++lag;
        const double a = cmnd[static_cast<size_t>(lag - 1)], b = cmnd[static_cast<size_t>(lag)],
                     c = cmnd[static_cast<size_t>(lag + 1)];
        const double denom = a - 2.0 * b + c;
        const double shift = denom != 0.0 ? 0.5 * (a - c) / denom : 0.0;
        return 44100.0 / (lag + shift);
    }
    return 0.0;
}

// Distance in cents between a frequency and a pitch class, in any octave.
double CentsFromPitchClass(double hz, int pitchClass)
{
    const double reference = 440.0 * std::pow(2.0, (pitchClass - 9) / 12.0);
    double cents = std::fmod(1200.0 * std::log2(hz / reference), 1200.0);
    if (cents > 600.0)
        cents -= 1200.0;
    if (cents < -600.0)
        cents += 1200.0;
    return cents;
}

int PitchClassOf(const std::string& name)
{
    for (int i = 0; i < 12; ++i) {
        if (name == kNotes[i])
            return i;
    }
    return -1;
}

template <typename Fn>
void ForEachSample(const SampleLibrary& lib, Fn&& fn)
{
    for (size_t s = 0; s < lib.styles.size(); ++s)
        for (size_t g = 0; g < lib.styles[s].groups.size(); ++g)
            for (size_t p = 0; p < lib.styles[s].groups[g].parts.size(); ++p)
                for (size_t c = 0; c < lib.styles[s].groups[g].parts[p].chords.size(); ++c) {
                    const auto& chord = lib.styles[s].groups[g].parts[p].chords[c];
                    for (size_t e = 0; e < chord.entries.size(); ++e)
                        for (size_t v = 0; v < 6; ++v) {
                            const auto& d = chord.entries[e].variants[v];
                            if (!d.IsEmpty())
                                fn(s, g, p, chord, d);
                        }
                }
}

// The content is generated once per build of the generator into a folder
// of the build tree and shared by the test processes (ctest runs every case
// in a process of its own, possibly several at once): the first one to take
// the lock generates, the others wait and reuse it.
test::CliResult PrepareContent(const std::string& dir)
{
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    const int lock = ::open((dir + "../content-fixture.lock").c_str(), O_CREAT | O_RDWR, 0644);
    if (lock >= 0)
        ::flock(lock, LOCK_EX);
    const std::string generator = BM_MAKE_CONTENT;
    const std::string made = std::to_string(FileWriteTime(generator)) + " " + std::to_string(FileSize(generator));
    test::CliResult result;
    result.status = 0;
    if (test::ReadFile(dir + "made-by") != made) {
        std::filesystem::remove_all(dir, ec);
        std::filesystem::create_directories(dir, ec);
        result = test::RunCommand({generator, dir, "--jobs", "2"});
        if (result.status == 0)
            test::WriteFile(dir + "made-by", made);
    }
    if (lock >= 0)
        ::close(lock);
    return result;
}

class FactoryContent : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_dir = std::string(BM_CONTENT_FIXTURE_DIR) + "/";
        s_run = PrepareContent(s_dir);
        s_folders = {s_dir + "SMPLDATA/", s_dir, ""};
        s_read = ReadLibraryFile(s_dir + "library.dat", s_library, "");
    }

    void SetUp() override
    {
        ASSERT_EQ(s_run.status, 0) << s_run.err;
        ASSERT_TRUE(s_read);
    }

    static std::string Dir() { return s_dir; }
    static const LibraryPart* FindPart(const std::string& style, const std::string& group, const std::string& part)
    {
        for (const auto& st : s_library.styles)
            for (const auto& gr : st.groups)
                for (const auto& pa : gr.parts)
                    if (st.name == style && gr.name == group && pa.name == part)
                        return &pa;
        return nullptr;
    }

    static std::string s_dir;
    static test::CliResult s_run;
    static std::vector<std::string> s_folders;
    static SampleLibrary s_library;
    static bool s_read;
};

std::string FactoryContent::s_dir;
test::CliResult FactoryContent::s_run;
std::vector<std::string> FactoryContent::s_folders;
SampleLibrary FactoryContent::s_library;
bool FactoryContent::s_read = false;

TEST_F(FactoryContent, CatalogueHoldsTheFactoryTree)
{
    const auto& styles = s_library.styles;
    ASSERT_EQ(styles.size(), 3u);
    EXPECT_EQ(styles[0].name, "Electro");
    EXPECT_EQ(styles[1].name, "One-Shots");
    EXPECT_EQ(styles[2].name, "ncp");
    std::vector<std::string> groups;
    for (const auto& g : styles[0].groups)
        groups.push_back(g.name);
    EXPECT_EQ(groups, (std::vector<std::string>{"Drums", "Percussion", "Bass", "Pads", "Keys", "Leads", "Arps", "FX"}));

    int total = 0;
    std::vector<int> perStyle(styles.size(), 0);
    ForEachSample(s_library, [&](size_t s, size_t, size_t, const LibraryChord&, const SampleDescriptor&) {
        ++total;
        ++perStyle[s];
    });
    EXPECT_GE(total, 300);
    EXPECT_GE(perStyle[0], 100);

    for (const auto& style : styles) {
        for (const auto& group : style.groups) {
            for (const auto& part : group.parts) {
                // Shipped parts are marked; the user's part (the last of
                // each group of the loop styles) is not, and holds nothing.
                const bool users = &part == &group.parts.back() && style.name != "ncp";
                EXPECT_EQ(part.factory == 0, users) << group.name << " / " << part.name;
                if (users) {
                    EXPECT_EQ(part.name, "User");
                    for (const auto& chord : part.chords)
                        EXPECT_EQ(chord.entries.size(), 1u) << group.name << " " << chord.name;
                }
                ASSERT_FALSE(part.chords.empty()) << part.name;
                const bool tonal = PitchClassOf(part.chords.front().name) >= 0;
                if (tonal) {
                    EXPECT_GE(part.chords.size(), 6u) << part.name;
                }
                for (const auto& chord : part.chords) {
                    if (tonal) {
                        EXPECT_GE(PitchClassOf(chord.name), 0) << part.name << " " << chord.name;
                    }
                    EXPECT_FALSE(chord.folder.empty());
                    EXPECT_TRUE(IsSafeChordFolder(chord.folder)) << chord.folder;
                    ASSERT_FALSE(chord.entries.empty());
                    EXPECT_TRUE(chord.entries.back().IsEmpty()) << "free place of " << part.name << " " << chord.name;
                }
            }
        }
    }
    // The program writes the catalogue back at shut-down: unchanged, it
    // gives the same bytes.
    SampleLibrary copy = s_library;
    EXPECT_EQ(FormatLibrary(copy), test::ReadFile(Dir() + "library.dat"));

    // Every tonal group of the first style has parts with chords.
    for (const char* name : {"Bass", "Pads", "Keys", "Leads", "Arps"}) {
        for (const auto& g : styles[0].groups) {
            if (g.name == name) {
                EXPECT_GE(PitchClassOf(g.parts.at(0).chords.at(0).name), 0) << name;
            }
        }
    }
}

TEST_F(FactoryContent, KindsAndLengthsFollowTheImportRule)
{
    ForEachSample(s_library, [&](size_t s, size_t g, size_t, const LibraryChord&, const SampleDescriptor& d) {
        const bool song = d.path.size() > 4 && d.path.substr(d.path.size() - 4) == ".ncp";
        int32_t kind = 0;
        if (s == 0 && !song)
            kind = g <= 1 ? 1 : g == 2 ? 2 : 3;
        EXPECT_EQ(d.kind, kind) << d.path;
        EXPECT_EQ(d.nominalLength, kLoop) << d.path;
        if (s == 0) {
            EXPECT_EQ(d.length, kLoop) << d.path;
        }
        EXPECT_GT(d.length, 0) << d.path;
        EXPECT_EQ(d.path.find('\\'), std::string::npos);
        EXPECT_NE(d.path[0], '/') << "stored relative: " << d.path;
    });
}

TEST_F(FactoryContent, EverySampleIsFoundAndHasItsDeclaredFormat)
{
    int checked = 0;
    ForEachSample(s_library, [&](size_t s, size_t, size_t, const LibraryChord&, const SampleDescriptor& d) {
        const std::string file = FindInFolders(d.path, s_folders);
        ASSERT_FALSE(file.empty()) << d.path;
        if (d.path.ends_with(".ncp"))
            return;
        Wave w;
        ASSERT_TRUE(ReadWave(file, w)) << file;
        EXPECT_EQ(w.rate, 44100) << file;
        EXPECT_EQ(w.bits, 16) << file;
        EXPECT_TRUE(w.channels == 1 || w.channels == 2) << file;
        EXPECT_EQ(w.Frames(), d.length) << file;
        int peak = 0;
        for (int16_t v : w.samples)
            peak = std::max(peak, std::abs(static_cast<int>(v)));
        EXPECT_LE(peak, kCeiling) << file;
        // A loop repeats without a click: the step from its last frame to its
        // first is no larger than the largest step inside it.
        if (s == 0) {
            for (int c = 0; c < w.channels; ++c) {
                const auto x = Channel(w, c);
                double largest = 0.0;
                for (size_t i = 1; i < x.size(); ++i)
                    largest = std::max(largest, std::fabs(x[i] - x[i - 1]));
                EXPECT_LE(std::fabs(x.front() - x.back()), largest) << file;
            }
        }
        ++checked;
    });
    EXPECT_GE(checked, 300);
}

TEST_F(FactoryContent, VariantsOfAnEntryAreDifferentTakes)
{
    for (const auto& style : s_library.styles)
        for (const auto& group : style.groups)
            for (const auto& part : group.parts)
                for (const auto& chord : part.chords)
                    for (const auto& entry : chord.entries) {
                        std::set<std::string> takes;
                        int filled = 0;
                        for (const auto& d : entry.variants) {
                            if (d.IsEmpty())
                                continue;
                            ++filled;
                            takes.insert(test::ReadFile(FindInFolders(d.path, s_folders)));
                        }
                        EXPECT_EQ(static_cast<int>(takes.size()), filled) << part.name << " " << chord.name;
                    }
}

TEST_F(FactoryContent, BassLoopsPlayTheirChordsRoot)
{
    for (const char* partName : {"Sub Bass", "Saw Bass", "Pluck Bass"}) {
        const LibraryPart* part = FindPart("Electro", "Bass", partName);
        ASSERT_NE(part, nullptr) << partName;
        for (const auto& chord : part->chords) {
            const auto& d = chord.entries.at(0).variants[0];
            Wave w;
            ASSERT_TRUE(ReadWave(FindInFolders(d.path, s_folders), w)) << d.path;
            const auto x = Channel(w, 0);
            // The steady part of the first note.
            size_t onset = 0;
            while (onset < x.size() && std::fabs(x[onset]) < 2000.0)
                ++onset;
            const size_t from = onset + 1500;
            ASSERT_LT(from + 6000, x.size());
            const std::vector<double> segment(x.begin() + static_cast<long>(from),
                                              x.begin() + static_cast<long>(from + 6000));
            const double hz = EstimatePitch(segment, 27.0, 400.0);
            ASSERT_GT(hz, 0.0) << d.path;
            const double cents = CentsFromPitchClass(hz, PitchClassOf(chord.name));
            // 1 % of the frequency is about 17 cents.
            EXPECT_LT(std::fabs(cents), 17.2) << d.path << " plays " << hz << " Hz";
        }
    }
}

TEST_F(FactoryContent, SilenceCellFindsASilentLoop)
{
    SampleResolver resolver(s_library, s_folders, Dir());
    const Resolution r =
        resolver.Resolve({"ncp", "xb", "p1", "c1", "Silence", "", kAnyText, kAnyText}, FuzzySearch::Disabled);
    EXPECT_EQ(r.score, 120);
    const SampleDescriptor* d = s_library.Find(r.ref);
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(d->firstText, "Silence");
    Wave w;
    ASSERT_TRUE(ReadWave(FindInFolders(d->path, s_folders), w));
    EXPECT_EQ(w.Frames(), kLoop);
    EXPECT_TRUE(std::all_of(w.samples.begin(), w.samples.end(), [](int16_t v) { return v == 0; }));
}

// Reads a song and mixes it roughly as the renderer does (channel volume,
// volume envelope, a new slot cutting the one before it; pan only ever
// lowers a side, so it is left out): the loudest frame of the mix.
int64_t MixPeak(const Song& song, const SampleLibrary& lib, const std::vector<std::string>& folders)
{
    const int64_t frames = static_cast<int64_t>(song.measures.size()) * song.samplesPerMeasure;
    std::vector<double> left(static_cast<size_t>(frames), 0.0), right(static_cast<size_t>(frames), 0.0);
    std::map<std::string, Wave> cache;
    for (int c = 0; c < kChannels; ++c) {
        if (!song.channelOn[static_cast<size_t>(c)])
            continue;
        const auto& env = song.envelopes[static_cast<size_t>(c)][kVolumeEnvelope];
        auto gainAt = [&](int64_t at) {
            double v = env.empty() ? 32767.0 : env.back().value;
            for (size_t i = 1; i < env.size(); ++i) {
                if (env[i].position > at) {
                    const auto& a = env[i - 1];
                    const auto& b = env[i];
                    v = a.value + (at - a.position) * static_cast<double>(b.value - a.value) / (b.position - a.position);
                    break;
                }
            }
            return (v + 32768.0) / 2.0 / 32768.0;
        };
        const double volume = song.channelVolume[static_cast<size_t>(c)] / 100.0;
        for (size_t m = 0; m < song.measures.size(); ++m) {
            const auto& slot = song.measures[m].slots[static_cast<size_t>(c)];
            if (slot.IsEmpty())
                continue;
            const SampleDescriptor* d = lib.Find(slot.ref);
            if (!d || d->IsEmpty())
                continue;
            const std::string file = FindInFolders(d->path, folders);
            auto [it, fresh] = cache.try_emplace(file);
            if (fresh)
                ReadWave(file, it->second);
            const Wave& w = it->second;
            const int64_t start = static_cast<int64_t>(m) * song.samplesPerMeasure + slot.start;
            int64_t end = std::min<int64_t>(frames, start + std::min(d->length, w.Frames()));
            for (size_t n = m + 1; n < song.measures.size(); ++n) {
                const auto& next = song.measures[n].slots[static_cast<size_t>(c)];
                if (!next.IsEmpty()) {
                    end = std::min<int64_t>(end, static_cast<int64_t>(n) * song.samplesPerMeasure + next.start);
                    break;
                }
            }
            for (int64_t at = start; at < end; ++at) {
                const size_t i = static_cast<size_t>(at - start) * static_cast<size_t>(w.channels);
                const double g = volume * gainAt(at);
                left[static_cast<size_t>(at)] += w.samples[i] * g;
                right[static_cast<size_t>(at)] += w.samples[i + static_cast<size_t>(w.channels - 1)] * g;
            }
        }
    }
    double peak = 0.0;
    for (size_t i = 0; i < left.size(); ++i)
        peak = std::max({peak, std::fabs(left[i]), std::fabs(right[i])});
    return static_cast<int64_t>(peak);
}

TEST_F(FactoryContent, DemoSongsLoadWithEverySampleFoundAndDoNotClip)
{
    SampleResolver resolver(s_library, s_folders, Dir());
    for (const char* name : {"Intro.ncp", "Sunrise.ncp", "Night_Drive.ncp"}) {
        const std::string path = Dir() + "DEMOSONGS/" + name;
        SongReader reader(s_library, s_folders, Dir());
        Song song;
        Error error;
        ASSERT_TRUE(reader.ReadSong(path, song, &error)) << name << ": " << error.message;
        EXPECT_EQ(reader.Stats().unresolvedSlots, 0) << name;
        EXPECT_GT(reader.Stats().slots, 0) << name;

        // Every slot line names its sample exactly.
        const std::string text = test::ReadFile(path);
        LineReader lines(text);
        std::string_view line;
        int slotLines = 0;
        while (lines.Next(line)) {
            if (line.front() != '"')
                continue;
            const auto f = QuotedFields(line, 8);
            const Resolution r = resolver.Resolve({f[0], f[1], f[2], f[3], f[4], f[5], f[6], f[7]}, FuzzySearch::Allowed);
            EXPECT_EQ(r.score, 120) << name << ": " << line;
            ++slotLines;
        }
        EXPECT_EQ(slotLines, reader.Stats().slots);

        const double seconds = song.measures.size() * static_cast<double>(song.samplesPerMeasure) / 44100.0;
        EXPECT_GE(seconds, 90.0) << name;
        EXPECT_LE(seconds, 180.0) << name;
        std::set<int> channels;
        bool volumeMoves = false, panMoves = false;
        for (const auto& m : song.measures)
            for (int c = 0; c < kChannels; ++c)
                if (!m.slots[static_cast<size_t>(c)].IsEmpty())
                    channels.insert(c);
        for (int c = 0; c < kChannels; ++c) {
            volumeMoves |= song.envelopes[static_cast<size_t>(c)][kVolumeEnvelope].size() > 2;
            panMoves |= song.envelopes[static_cast<size_t>(c)][kPanEnvelope].size() > 2;
        }
        EXPECT_GE(channels.size(), 8u) << name;
        EXPECT_TRUE(volumeMoves) << name;
        EXPECT_TRUE(panMoves) << name;
        EXPECT_FALSE(song.regions.empty()) << name;

        const int64_t peak = MixPeak(song, s_library, s_folders);
        RecordProperty(std::string("mix_peak_") + name, static_cast<int>(peak));
        EXPECT_LE(peak, 32767) << name;
    }
}

TEST(NoteOrderAsset, ListsTheTwelveNotesWithCrLf)
{
    const char* source = std::getenv("BM_SOURCE_DIR");
    if (!source)
        source = BM_CONTENT_SOURCE_DIR;
    std::string expected;
    for (const char* n : kNotes)
        expected += std::string(n) + "\r\n";
    EXPECT_EQ(test::ReadFile(AsFolder(source) + "assets/note_order.dat"), expected);
}

} // namespace
} // namespace bm

// Reading and writing a large song: 10 000 measures with all 120 000 slots
// filled from 300 distinct samples, against a library of 5 000 samples (the
// song's samples are spread through it, so resolving has to search).

#include "core/File.h"
#include "song/SongReader.h"
#include "song/SongWriter.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

constexpr int kLibrarySamples = 5000;
constexpr int kSongSamples = 300;
constexpr int kMeasures = 10000;

// A fresh folder under the system's temporary folder, removed at the end.
struct ScratchFolder {
    std::string path;
    ScratchFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "bm-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            path = pattern + "/";
    }
    ~ScratchFolder()
    {
        std::error_code ec;
        if (!path.empty())
            std::filesystem::remove_all(path, ec);
    }
};

struct Fixture {
    ScratchFolder dir;
    bm::SampleLibrary library;
    std::vector<std::string> folders;
    std::string programFolder;
    bm::Song song;
    std::string songPath;

    Fixture()
    {
        programFolder = dir.path;
        folders = {programFolder + "USERDATA/", programFolder + "SMPLDATA/", programFolder, ""};
        // 4 styles x 5 groups x 5 parts x 5 chords x 2 entries x 5 variants
        // = 5000 samples, every one a file of its own.
        int number = 0;
        for (int s = 0; s < 4; ++s) {
            bm::LibraryStyle style;
            style.name = "Style" + std::to_string(s);
            for (int g = 0; g < 5; ++g) {
                bm::LibraryGroup group;
                group.name = "Group" + std::to_string(g);
                for (int p = 0; p < 5; ++p) {
                    bm::LibraryPart part;
                    part.name = "Part" + std::to_string(p);
                    for (int c = 0; c < 5; ++c) {
                        bm::LibraryChord chord;
                        chord.name = "Chord" + std::to_string(c);
                        for (int e = 0; e < 2; ++e) {
                            bm::LibraryEntry entry;
                            for (int v = 0; v < 5; ++v, ++number) {
                                const std::string folder = "s" + std::to_string(s) + "/g" + std::to_string(g) + "/";
                                bm::SampleDescriptor& d = entry.variants[size_t(v)];
                                d.firstText = "sample" + std::to_string(number);
                                d.secondText = std::to_string(v);
                                d.path = folder + "sample" + std::to_string(number) + ".wav";
                                d.fourthText = "loop";
                                d.length = 81408;
                            }
                            chord.entries.push_back(entry);
                        }
                        chord.entries.emplace_back();
                        part.chords.push_back(chord);
                    }
                    group.parts.push_back(part);
                }
                style.groups.push_back(group);
            }
            library.styles.push_back(style);
        }
        for (int s = 0; s < 4; ++s) {
            for (int g = 0; g < 5; ++g)
                std::filesystem::create_directories(programFolder + "SMPLDATA/s" + std::to_string(s) + "/g" +
                                                    std::to_string(g));
        }
        std::vector<bm::SampleRef> used;
        for (int i = 0; i < kSongSamples; ++i) {
            // Every 16th sample of the library, in tree order.
            const int n = i * (kLibrarySamples / kSongSamples);
            const int variant = n % 5, entry = (n / 5) % 2, chord = (n / 10) % 5, part = (n / 50) % 5,
                      group = (n / 250) % 5, style = n / 1250;
            used.push_back(bm::SampleRef::Make(style, group, part, chord, variant, entry));
        }
        for (const auto& ref : used)
            std::ofstream(programFolder + "SMPLDATA/" + library.Find(ref)->path) << "RIFF";

        song.measures.resize(kMeasures);
        song.channelVolume.fill(50);
        song.channelOn.fill(true);
        for (size_t m = 0; m < song.measures.size(); ++m) {
            for (size_t c = 0; c < bm::kChannels; ++c) {
                bm::ChannelSlot& slot = song.measures[m].slots[c];
                slot.ref = used[(m * bm::kChannels + c) % used.size()];
                slot.start = static_cast<int32_t>((m * 7 + c) % 20352);
            }
        }
        for (auto& channel : song.envelopes) {
            channel[0] = {{0, 32767, 0}, {kMeasures * 20352 - 1, 32767, 0}};
            channel[1] = {{0, 0, 0}, {kMeasures * 20352 - 1, 0, 0}};
        }
        songPath = programFolder + "big.ncp";
        bm::SongWriter writer(library, folders, programFolder);
        writer.Write(song, songPath, bm::SongWriteMode::Plain);
    }
};

Fixture& Shared()
{
    static Fixture fixture;
    return fixture;
}

void BM_ReadSong(benchmark::State& state)
{
    Fixture& f = Shared();
    bm::engine::RecordingEngineClient engine;
    for (auto _ : state) {
        engine.posted.clear();
        bm::SongReader reader(f.library, f.folders, f.programFolder, {.engine = &engine});
        bm::Song song;
        if (!reader.ReadSong(f.songPath, song) || reader.Stats().slots != kMeasures * bm::kChannels ||
            reader.Stats().unresolvedSlots != 0)
            state.SkipWithError("the song did not read back whole");
        benchmark::DoNotOptimize(song);
    }
    state.counters["slots"] = kMeasures * bm::kChannels;
    state.counters["bytes"] = static_cast<double>(bm::FileSize(f.songPath));
}
BENCHMARK(BM_ReadSong)->Unit(benchmark::kMillisecond);

void BM_WriteSong(benchmark::State& state)
{
    Fixture& f = Shared();
    const std::string target = f.programFolder + "written.ncp";
    for (auto _ : state) {
        bm::SongWriter writer(f.library, f.folders, f.programFolder);
        if (!writer.Write(f.song, target, bm::SongWriteMode::Plain))
            state.SkipWithError("write failed");
    }
}
BENCHMARK(BM_WriteSong)->Unit(benchmark::kMillisecond);

} // namespace

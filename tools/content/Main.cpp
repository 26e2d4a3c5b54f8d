// bm-make-content: synthesises the factory content into a program folder:
// the samples below SMPLDATA/, the catalogue library.dat, the songs that the
// library uses as samples and the demo songs below DEMOSONGS/. The output is
// the same, byte for byte, on every run.
//
//     bm-make-content PROGRAM_FOLDER [--jobs N]

#include "Catalogue.h"
#include "Songs.h"

#include "core/Paths.h"
#include "engine/audiofile/WavWriter.h"
#include "library/LibraryWriter.h"
#include "song/SongWriter.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace bm::content {

namespace {

struct Totals {
    std::atomic<int> files{0};
    std::atomic<int64_t> bytes{0};
};

bool MakeFolderFor(const std::string& path)
{
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    return !ec;
}

// A plain write: the generator makes hundreds of files that the build can
// make again, so they skip the flush to disk that documents get.
bool WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(file.flush());
}

// Renders one entry, levels its variants together and writes their files.
bool RunJob(const RenderJob& job, Catalogue& cat, const std::string& out, Totals& totals, std::string& failure)
{
    Variants variants = job.render();
    if (variants.size() != job.files.size()) {
        failure = job.files.front() + ": the renderer made " + std::to_string(variants.size()) + " variants";
        return false;
    }
    std::vector<Audio*> set;
    for (auto& v : variants)
        set.push_back(&v);
    if (job.level.by == LevelRule::By::Loudness)
        MatchLevel(set, job.level.db, job.level.peakCapDb);
    else
        MatchPeak(set, job.level.db);
    for (size_t v = 0; v < variants.size(); ++v) {
        const std::string path = out + job.files[v];
        const auto pcm = ToPcm(variants[v]);
        const int channels = variants[v].IsStereo() ? 2 : 1;
        if (!MakeFolderFor(path) || !WriteBytes(path, MakeWavImage(pcm, channels, 44100))) {
            failure = path + ": cannot be written";
            return false;
        }
        // Descriptors of distinct variants are distinct objects: no lock.
        cat.library.Find(job.refs[v])->length = variants[v].Frames();
        totals.files++;
        totals.bytes += static_cast<int64_t>(pcm.size() * 2 + 44);
    }
    return true;
}

bool RenderSamples(Catalogue& cat, const std::string& out, int jobs, Totals& totals)
{
    std::atomic<size_t> next{0};
    std::atomic<bool> failed{false};
    std::mutex failureLock;
    std::string failure;
    auto worker = [&] {
        for (size_t i = next++; i < cat.jobs.size() && !failed; i = next++) {
            std::string why;
            if (!RunJob(cat.jobs[i], cat, out, totals, why)) {
                std::lock_guard lock(failureLock);
                failure = why;
                failed = true;
            }
        }
    };
    std::vector<std::thread> threads;
    for (int t = 1; t < jobs; ++t)
        threads.emplace_back(worker);
    worker();
    for (auto& t : threads)
        t.join();
    if (failed)
        std::fprintf(stderr, "bm-make-content: %s\n", failure.c_str());
    return !failed;
}

bool WriteSong(SongWriter& writer, const Song& song, const std::string& path, Totals& totals)
{
    Error error;
    if (!MakeFolderFor(path) || !writer.Write(song, path, SongWriteMode::Plain, &error)) {
        std::fprintf(stderr, "bm-make-content: %s: %s\n", path.c_str(), error.message.c_str());
        return false;
    }
    totals.files++;
    totals.bytes += FileSize(path);
    return true;
}

int Run(int argc, char** argv)
{
    std::string out;
    int jobs = static_cast<int>(std::max(1u, std::min(4u, std::thread::hardware_concurrency())));
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--jobs" && i + 1 < argc)
            jobs = std::max(1, std::atoi(argv[++i]));
        else if (out.empty() && !arg.empty() && arg[0] != '-')
            out = arg;
        else {
            std::fprintf(stderr, "usage: bm-make-content PROGRAM_FOLDER [--jobs N]\n");
            return 2;
        }
    }
    if (out.empty()) {
        std::fprintf(stderr, "usage: bm-make-content PROGRAM_FOLDER [--jobs N]\n");
        return 2;
    }
    out = AsFolder(MakeAbsolute(out));
    const auto started = std::chrono::steady_clock::now();

    Catalogue cat = BuildCatalogue();
    Totals totals;
    if (!RenderSamples(cat, out, jobs, totals))
        return 1;

    // Paths in songs are the samples' full paths as the program finds them
    // through its built-in folders.
    const std::vector<std::string> folders{out + kSampleFolder, out, ""};
    SongWriter writer(cat.library, folders, out);
    for (const auto& job : cat.songSamples) {
        const Song song = BuildSongSample(cat, job);
        if (!WriteSong(writer, song, out + job.file, totals))
            return 1;
        cat.library.Find(job.ref)->length = static_cast<int32_t>(song.measures.size()) * song.samplesPerMeasure;
    }

    cat.library.selection = {0, 0, 0, 0, 0};
    Error error;
    if (!WriteLibraryFile(out + "library.dat", cat.library, &error)) {
        std::fprintf(stderr, "bm-make-content: %slibrary.dat: %s\n", out.c_str(), error.message.c_str());
        return 1;
    }
    totals.files++;
    totals.bytes += FileSize(out + "library.dat");

    SongWriter demoWriter(cat.library, folders, out);
    for (const auto& demo : BuildDemoSongs(cat)) {
        if (!WriteSong(demoWriter, demo.song, out + demo.file, totals))
            return 1;
    }

    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::printf("bm-make-content: %d samples, %d files, %.1f MB in %s, %.1f s\n", cat.SampleCount(),
                totals.files.load(), static_cast<double>(totals.bytes.load()) / 1e6, out.c_str(), seconds);
    return 0;
}

} // namespace

} // namespace bm::content

int main(int argc, char** argv)
{
    try {
        return bm::content::Run(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bm-make-content: %s\n", e.what());
        return 1;
    }
}

// Adding sample files through the window: the library's add button on the
// user part of the drums, the file dialog driven by keys, the sample
// properties dialog accepted for each file. A wave and an MPEG file become
// cells that preview what the files hold and are in library.dat after
// power-off; wave files with hostile headers are refused with a status
// message and change neither the library nor anything on disk.

#include "LibraryGestures.h"
#include "ProgramUnderTest.h"
#include "Sound.h"

#include "ui/main/Layout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>

namespace bm::e2e {
namespace {

namespace fs = std::filesystem;

// Clicks a cell and waits until the disk driver has written the whole
// preview; what it wrote from the first sounding frame to the last. The
// device may write its file afresh when it opens for the preview, or go on
// after what it wrote before the click.
Samples PreviewOf(const XDisplay& x, ProgramRun& run, int32_t row, int32_t column)
{
    const std::string file = run.SoundFile();
    std::error_code ec;
    const int64_t before = FrameCount(ReadRawSound(file));
    const auto writtenBefore = fs::last_write_time(file, ec);
    const ClientPoint cell = CentreOf(layout::LibraryCellRect(row, column));
    if (!x.Click(run.Main(), cell.x, cell.y))
        return {};
    Samples heard;
    bool changed = false;
    bool restarted = false;
    int64_t lastSize = -1;
    int steady = 0;
    WaitUntil(
        [&] {
            const Samples all = ReadRawSound(file);
            const int64_t size = FrameCount(all);
            changed = changed || size != before || fs::last_write_time(file, ec) != writtenBefore;
            restarted = restarted || size < before;
            if (!changed)
                return false;
            steady = size == lastSize ? steady + 1 : 0;
            lastSize = size;
            const Samples written(all.begin() + (restarted ? 0 : before * 2), all.end());
            const int64_t first = FirstSounding(written);
            if (first < 0)
                return false;
            int64_t last = FrameCount(written) - 1;
            while (last > first && std::abs(written[size_t(last) * 2]) <= 64 &&
                   std::abs(written[size_t(last) * 2 + 1]) <= 64)
                --last;
            // Ended: the device has closed, or writes silence after the sound.
            if (steady < 6 && last + 8192 > FrameCount(written))
                return false;
            heard.assign(written.begin() + first * 2, written.begin() + (last + 1) * 2);
            return true;
        },
        20s, 50ms);
    return heard;
}

// 10 ms blocks of digital silence (an underrun) inside `s`.
int64_t SilentBlocks(const Samples& s)
{
    constexpr int64_t kBlock = kFramesPerSecond / 100;
    int64_t silent = 0;
    for (int64_t b = 0; b + kBlock <= FrameCount(s); b += kBlock) {
        int32_t peak = 0;
        for (int64_t i = b * 2; i < (b + kBlock) * 2; ++i)
            peak = std::max(peak, std::abs(static_cast<int32_t>(s[size_t(i)])));
        silent += peak <= 2;
    }
    return silent;
}

std::string LibraryJson(const ProgramFolder& folder)
{
    return RunCliIn(folder.Path(), {"library", "show", "--json"}).out;
}

// What the library of `folder` finds for a cell's texts, without guessing.
std::string Resolve(const ProgramFolder& folder, const std::string& name, const std::string& path)
{
    return RunCliIn(folder.Path(), {"library", "resolve", "Electro", "Drums", "User", "Any", name, "", path, name,
                                     "--no-fuzzy", "--json"})
        .out;
}

TEST(Import, AWaveAndAnMpegFileBecomeCellsThatPreviewAndAreKeptInTheLibrary)
{
    E2eSession session;
    BM_E2E_REQUIRE_SESSION(session);
    const XDisplay& x = session.X();
    const ProgramFolder& folder = session.Folder();
    const std::string sounds = session.Root() + "/my sounds/";
    fs::create_directories(sounds);
    const std::string wave = sounds + "beats.wav";
    const std::string mpeg = sounds + "other beats.mp3";
    ASSERT_TRUE(WriteWaveSound(wave, Beats(1)));
    ASSERT_TRUE(WriteWaveSound(sounds + "source.wav", Beats(2)));
    const ToolResult lame =
        RunTool({"lame", "--quiet", "-b", "192", sounds + "source.wav", mpeg}, EnvironmentWith({}), 60s);
    const bool encoded = lame.ok() && fs::exists(mpeg);
    if (!encoded) {
        if (E2eSession::Required())
            FAIL() << "lame is needed to make the MPEG file (scripts/install-deps.sh installs it)";
        std::cerr << "lame is missing: the MPEG half of the import is skipped\n";
    }
    // The files as the program decodes them.
    ASSERT_TRUE(RunCliIn(folder.Path(), {"audio", "decode", wave, session.Root() + "/wave.wav"}).ok());
    const Samples waveSound = ReadWaveSound(session.Root() + "/wave.wav");
    Samples mpegSound;
    if (encoded) {
        ASSERT_TRUE(RunCliIn(folder.Path(), {"audio", "decode", mpeg, session.Root() + "/mpeg.wav"}).ok());
        mpegSound = ReadWaveSound(session.Root() + "/mpeg.wav");
        ASSERT_GE(FrameCount(mpegSound), kSampleFrames);
    }
    ASSERT_EQ(FrameCount(waveSound), kSampleFrames);

    ProgramRun* run = session.Launch({});
    ASSERT_NE(run, nullptr);
    ASSERT_TRUE(run->DismissSplash());
    OpenTheUserPart(x, *run);
    ASSERT_FALSE(HasFatalFailure());

    // Both files at once: the dialog takes several quoted names.
    AddThroughTheFileDialog(x, *run, encoded ? "\"" + wave + "\" \"" + mpeg + "\"" : wave);
    ASSERT_FALSE(HasFatalFailure());
    std::optional<Window> previous;
    // The wave file as a plain sample, the MPEG file as the drum loop the
    // dialog proposes.
    AcceptSampleProperties(x, *run, previous, true);
    ASSERT_FALSE(HasFatalFailure());
    if (encoded) {
        AcceptSampleProperties(x, *run, previous, false);
        ASSERT_FALSE(HasFatalFailure());
    }

    // The new entry takes the free row; each file fills every second cell.
    const int32_t row = kFirstUserEntryRow;
    const int32_t mpegColumn = 2;
    PointerAway(x, *run);
    EXPECT_TRUE(WaitUntil([&] { return Compare(CellPicture(*run, row, 0), CellPicture(*run, row, 1), 24).pixels > 40; },
                          5s))
        << "the wave file's cell looks empty";
    if (encoded) {
        EXPECT_GT(Compare(CellPicture(*run, row, mpegColumn), CellPicture(*run, row, 1), 24).pixels, 40)
            << "the MPEG file's cell looks empty";
    }
    EXPECT_TRUE(CellPicture(*run, row, 1).Uniform()) << "the cell between the two files holds something";

    // A click on a cell previews it. The plain sample plays as the file
    // holds it; the loop plays stretched to four measures of the song.
    const SoundMatch plain = MatchSound(PreviewOf(x, *run, row, 0), waveSound, 8192);
    EXPECT_TRUE(plain.found) << "no preview of the wave file";
    EXPECT_LT(plain.residual, 1e-3) << plain.Describe();
    EXPECT_GT(plain.gain, 0.1) << plain.Describe();
    EXPECT_GE(plain.frames, kSampleFrames - 256) << plain.Describe();
    EXPECT_EQ(plain.silentGaps, 0) << plain.Describe();
    if (encoded) {
        const Samples loop = PreviewOf(x, *run, row, mpegColumn);
        EXPECT_NEAR(FrameCount(loop), 4 * kDemoMeasureFrames, 4096) << "the loop's preview is not four measures long";
        EXPECT_EQ(SilentBlocks(loop), 0);
    }

    // Power off writes the library with the new entries in their cells.
    ASSERT_EQ(run->PowerOff(), 0) << run->Log();
    EXPECT_NE(LibraryJson(folder).find(encoded ? "\"samples\":582," : "\"samples\":581,"), std::string::npos)
        << LibraryJson(folder);
    EXPECT_EQ(Resolve(folder, "beats", wave), "{\"ref\":[0,0,5,0,0,0],\"score\":120,\"sample\":\"" + wave + "\"}\n");
    if (encoded) {
        EXPECT_EQ(Resolve(folder, "other beats", mpeg),
                  "{\"ref\":[0,0,5,0,2,0],\"score\":120,\"sample\":\"" + mpeg + "\"}\n");
    }
}

// A wave file of 1000 silent frames whose "fmt " chunk (id, size and body)
// is `fmtChunk` as given.
bool WriteHostileWave(const std::string& path, const std::string& fmtChunk)
{
    std::string body = "WAVE" + fmtChunk + "data";
    const std::string data(4000, '\0');
    const auto le32 = [](uint32_t v) {
        std::string s;
        for (int i = 0; i < 4; ++i)
            s += static_cast<char>(v >> (8 * i) & 0xFF);
        return s;
    };
    body += le32(static_cast<uint32_t>(data.size())) + data;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << "RIFF" << le32(static_cast<uint32_t>(body.size())) << body;
    return static_cast<bool>(out);
}

// The body of a PCM "fmt " chunk.
std::string FormatBody(uint16_t channels, uint32_t rate, uint16_t bits)
{
    std::string s;
    const auto put = [&s](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            s += static_cast<char>(v >> (8 * i) & 0xFF);
    };
    put(1, 2);
    put(channels, 2);
    put(rate, 4);
    put(rate * channels * bits / 8, 4);
    put(channels * bits / 8, 2);
    put(bits, 2);
    return s;
}

TEST(Import, WaveFilesWithHostileHeadersAreRefusedWithAMessageAndChangeNothing)
{
    E2eSession session;
    BM_E2E_REQUIRE_SESSION(session);
    const XDisplay& x = session.X();
    const ProgramFolder& folder = session.Folder();
    const std::string bad = session.Root() + "/bad/";
    fs::create_directories(bad);
    // A format of no channels, and a format chunk claiming four gigabytes.
    ASSERT_TRUE(WriteHostileWave(bad + "no channels.wav", std::string("fmt \x10\0\0\0", 8) + FormatBody(0, 44100, 16)));
    ASSERT_TRUE(
        WriteHostileWave(bad + "huge chunk.wav", std::string("fmt \xf0\xff\xff\xff", 8) + FormatBody(2, 44100, 16)));
    const std::string libraryBefore = LibraryJson(folder);
    ASSERT_NE(libraryBefore.find("\"samples\":580,"), std::string::npos) << libraryBefore;

    ProgramRun* run = session.Launch({});
    ASSERT_NE(run, nullptr);
    ASSERT_TRUE(run->DismissSplash());
    OpenTheUserPart(x, *run);
    ASSERT_FALSE(HasFatalFailure());
    PointerAway(x, *run);
    Image status = run->StatusLine();
    const Image library = LibraryArea(*run);
    auto programBefore = FolderState(folder.Path());
    const auto badBefore = FolderState(bad);

    const std::pair<const char*, const char*> files[] = {{"no channels.wav", "status-no-sound-no-channels"},
                                                         {"huge chunk.wav", "status-no-sound-huge-chunk"}};
    for (const auto& [file, reference] : files) {
        SCOPED_TRACE(file);
        AddThroughTheFileDialog(x, *run, bad + file);
        ASSERT_FALSE(HasFatalFailure());
        PointerAway(x, *run);
        EXPECT_TRUE(WaitUntil([&] { return Compare(run->StatusLine(), status, 0).pixels > 0; }, 5s))
            << "no message for " << file;
        const ReferenceCheck said = WaitForReference([&] { return run->StatusLine(); }, reference, {16, 40});
        EXPECT_TRUE(said.ok) << said.message;
        status = run->StatusLine();
        EXPECT_TRUE(x.Windows("^Sample properties$", run->Pid()).empty()) << "the file was taken";
        // The free entry stays free, the add button in its place.
        const Difference unchanged = Compare(LibraryArea(*run), library, 0);
        EXPECT_EQ(unchanged.pixels, 0) << unchanged.Describe();
    }

    // Nothing written while the program runs (the options and the library
    // are written at power-off; TEMP/ holds the program's own caches).
    auto programAfter = FolderState(folder.Path());
    const auto temporary = [](const auto& e) { return e.first.rfind("TEMP/", 0) == 0; };
    std::erase_if(programAfter, temporary);
    std::erase_if(programBefore, temporary);
    EXPECT_EQ(StateChanges(programBefore, programAfter), "");
    EXPECT_EQ(StateChanges(badBefore, FolderState(bad)), "");
    // And the library written at power-off holds no more samples than before.
    ASSERT_EQ(run->PowerOff(), 0) << run->Log();
    EXPECT_NE(LibraryJson(folder).find("\"samples\":580,"), std::string::npos);
    EXPECT_EQ(Resolve(folder, "no channels", bad + "no channels.wav").find("\"score\":120"), std::string::npos);
    EXPECT_EQ(StateChanges(badBefore, FolderState(bad)), "");
}

} // namespace
} // namespace bm::e2e

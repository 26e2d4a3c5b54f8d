// Adding sample files through the window: the library's add button on the
// user part of the drums, the file dialog driven by keys, the sample
// properties dialog accepted for each file. A wave and an MPEG file become
// cells that preview what the files hold and are in library.dat after
// power-off; wave files with hostile headers are refused with a status
// message and change neither the library nor anything on disk.

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

// The drums group (the library's first) opens on its first part; its user
// part is the sixth and last.
constexpr int32_t kDrumsUserPart = 5;
// With every part closed but the user part, its entries follow the part rows.
constexpr int32_t kFirstUserEntryRow = kDrumsUserPart + 1;
constexpr int64_t kSampleFrames = 2 * kFramesPerSecond;
// The demo song's measure.
constexpr int64_t kDemoMeasureFrames = 20352;

// Two seconds of beats of filtered noise (no period, so where the played
// sound lies in it is unambiguous), different in each channel and for
// each seed.
Samples Beats(uint32_t seed)
{
    Samples s(static_cast<size_t>(kSampleFrames) * 2);
    uint32_t state = seed;
    double left = 0, right = 0;
    for (int64_t i = 0; i < kSampleFrames; ++i) {
        const double beat = static_cast<double>(i % (kFramesPerSecond / 4)) / (kFramesPerSecond / 4);
        const double envelope = 1.0 - 0.8 * beat;
        state = state * 1664525u + 1013904223u;
        const double a = static_cast<double>(state >> 16) / 32768.0 - 1.0;
        state = state * 1664525u + 1013904223u;
        const double b = static_cast<double>(state >> 16) / 32768.0 - 1.0;
        left += 0.2 * (a - left);
        right += 0.2 * (b - right);
        s[size_t(i) * 2] = static_cast<int16_t>(20000 * envelope * left);
        s[size_t(i) * 2 + 1] = static_cast<int16_t>(20000 * envelope * right);
    }
    return s;
}

// The pointer away from every control that has a hint, so that the status
// line shows the program's messages. (It must not be there already: a move
// to where it is waits for a motion that never comes.)
void PointerAway(const XDisplay& x, ProgramRun& run)
{
    x.MoveTo(run.Main(), 400, 200);
}

Image LibraryArea(ProgramRun& run)
{
    const platform::Rect& r = layout::kLibrary;
    return run.Face().Crop(r.left, r.top, r.right, r.bottom);
}

Image CellPicture(ProgramRun& run, int32_t row, int32_t column)
{
    const platform::Rect r = layout::LibraryCellRect(row, column);
    return run.Face().Crop(r.left + 1, r.top + 1, r.right - 1, r.bottom - 1);
}

// Closes the drums' first part and opens their user part: its free entry,
// with the add button, shows under the part rows.
void OpenTheUserPart(const XDisplay& x, ProgramRun& run)
{
    const platform::Rect addButton = layout::LibraryAddRect(kFirstUserEntryRow);
    const Image before = run.Face().Crop(addButton.left, addButton.top, addButton.right, addButton.bottom);
    const platform::Rect secondRow = layout::LibraryRowRect(1);
    const auto rowPicture = [&] {
        return run.Face().Crop(secondRow.left, secondRow.top, secondRow.right, secondRow.bottom);
    };
    const Image entryRow = rowPicture();
    const ClientPoint first = CentreOf(layout::LibraryRowRect(0));
    ASSERT_TRUE(x.Click(run.Main(), first.x, first.y));
    // The first part's entry row gives way to the second part's row.
    ASSERT_TRUE(WaitUntil([&] { return Compare(rowPicture(), entryRow, 0).pixels > 0; }, 5s))
        << "the first part did not close";
    const ClientPoint user = CentreOf(layout::LibraryRowRect(kDrumsUserPart));
    ASSERT_TRUE(x.Click(run.Main(), user.x, user.y));
    ASSERT_TRUE(WaitUntil(
        [&] {
            const Image now = run.Face().Crop(addButton.left, addButton.top, addButton.right, addButton.bottom);
            return Compare(now, before, 0).pixels > 0;
        },
        5s))
        << "the user part did not open";
}

// The program's window other than the main one, waited for.
std::optional<Window> WaitDialog(const XDisplay& x, ProgramRun& run)
{
    std::optional<Window> dialog;
    WaitUntil(
        [&] {
            for (Window w : x.Windows(".*", run.Pid())) {
                if (w != run.Main())
                    dialog = w;
            }
            return dialog.has_value();
        },
        10s);
    return dialog;
}

// The add button, then `typed` in the file dialog's name field and Return.
void AddThroughTheFileDialog(const XDisplay& x, ProgramRun& run, const std::string& typed)
{
    const ClientPoint add = CentreOf(layout::LibraryAddRect(kFirstUserEntryRow));
    ASSERT_TRUE(x.Click(run.Main(), add.x, add.y));
    const std::optional<Window> dialog = WaitDialog(x, run);
    ASSERT_TRUE(dialog.has_value()) << "no file dialog";
    x.Activate(*dialog);
    ASSERT_TRUE(x.Type(typed));
    ASSERT_TRUE(x.Key({"Return"}));
    ASSERT_TRUE(WaitUntil([&] { return !x.Visible(*dialog); }, 10s)) << "the file dialog stayed";
}

// The sample properties dialog of one added file, accepted with Return
// (OK is its default button); `previous` is the dialog of the file before.
// A plain sample gets the first kind (a plain sample, not stretched)
// instead of the loop kind the group proposes: in tab order the path, name, key and description
// fields and the browse button come before the kind list.
void AcceptSampleProperties(const XDisplay& x, ProgramRun& run, std::optional<Window>& previous, bool plain)
{
    std::optional<Window> dialog;
    ASSERT_TRUE(WaitUntil(
        [&] {
            for (Window w : x.Windows("^Sample properties$", run.Pid())) {
                if (!previous || w != *previous)
                    dialog = w;
            }
            return dialog.has_value();
        },
        10s))
        << "no sample properties dialog";
    x.Activate(*dialog);
    ASSERT_TRUE(WaitUntil([&] { return x.Focused() == *dialog; }, 5s));
    if (plain) {
        ASSERT_TRUE(x.Key({"Tab", "Tab", "Tab", "Tab", "Tab", "Home"}));
    }
    ASSERT_TRUE(x.Key({"Return"}));
    ASSERT_TRUE(WaitUntil([&] { return !x.Visible(*dialog); }, 10s)) << "the sample properties dialog stayed";
    previous = dialog;
}

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
        status = run->StatusLine();
        const ReferenceCheck said = CheckAgainstReference(status, reference, {16, 40});
        EXPECT_TRUE(said.ok) << said.message;
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

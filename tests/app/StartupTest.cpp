#include "app/Startup.h"

#include "core/Paths.h"
#include "core/Text.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace bm::app {
namespace {

using Events = std::vector<std::string>;

class FakeArchives : public ArchiveOpener {
public:
    explicit FakeArchives(Events& events) : m_events(events) {}
    platform::ExclusiveAccess Probe(const std::string& path) override
    {
        m_events.push_back("probe " + FileNamePart(path));
        return access;
    }
    std::unique_ptr<ResourceArchive> Open(const std::string& path) override
    {
        m_events.push_back("open " + FileNamePart(path));
        return readable ? std::make_unique<ResourceArchive>() : nullptr;
    }
    platform::ExclusiveAccess access = platform::ExclusiveAccess::Granted;
    bool readable = true;

private:
    Events& m_events;
};

class FakeLink : public platform::InstanceLink {
public:
    explicit FakeLink(Events& events) : m_events(events) {}
    bool SendToRunningCopy(const platform::CopyDataRecord& record, std::chrono::milliseconds timeout) override
    {
        m_events.push_back("send [" + platform::CopyDataText(record) + "] " + std::to_string(record.byteCount) + " " +
                           std::to_string(timeout.count()));
        return true;
    }
    bool Listen(Receiver receiver) override
    {
        m_events.push_back("listen");
        receiver_ = std::move(receiver);
        return true;
    }
    void StopListening() override
    {
        m_events.push_back("stop listening");
        receiver_ = nullptr;
    }
    Receiver receiver_;

private:
    Events& m_events;
};

class FakeEngine : public EngineWorker {
public:
    explicit FakeEngine(Events& events) : m_events(events) {}
    void Start() override { m_events.push_back("engine start"); }
    engine::EngineClient& Client() override { return client; }
    bool WaitFinished(std::chrono::milliseconds) override { return true; }
    engine::RecordingEngineClient client;

private:
    Events& m_events;
};

// Runs "modally" by letting a later copy hand over a song meanwhile.
class FakeWindow : public ProgramWindow {
public:
    FakeWindow(Events& events, AppContext& context, FakeLink& link) : m_events(events), m_context(context), m_link(link)
    {
        m_events.push_back("window created, start song [" + context.options.startSong + "]");
    }
    ~FakeWindow() override
    {
        m_events.push_back(std::string("window destroyed") + (m_context.archive ? ", archive open" : "") +
                           (FileExists(m_context.OptionsPath()) ? ", options written" : ""));
    }
    void Run() override
    {
        m_events.push_back(m_context.mainWindow == this ? "run" : "run, not registered");
        if (m_link.receiver_)
            m_link.receiver_(platform::MakeStartSongRecord("/other/copy.ncp"));
    }
    void OpenFromOtherCopy(const std::string& path) override { m_events.push_back("open from other copy " + path); }
    void BringToFront() override { m_events.push_back("front"); }

private:
    Events& m_events;
    AppContext& m_context;
    FakeLink& m_link;
};

class Startup : public testing::Test {
protected:
    StartupOutcome Run(std::string_view commandLine)
    {
        StartupPieces pieces{archives, link, engine,
                             [this](AppContext& context, EngineWorker&) {
                                 return std::make_unique<FakeWindow>(events, context, link);
                             },
                             MachineFacts{256u << 20, 586}};
        return RunProgram(context, dir / "brickmelody", commandLine, pieces);
    }
    std::vector<std::string> OptionLines() const
    {
        std::vector<std::string> lines;
        const std::string text = test::ReadFile(dir / "Brickmelody.opt");
        LineReader reader(text);
        std::string_view line;
        while (reader.NextRaw(line))
            lines.emplace_back(line);
        return lines;
    }

    test::TempDir dir;
    Events events;
    FakeArchives archives{events};
    FakeLink link{events};
    FakeEngine engine{events};
    AppContext context;
};

TEST_F(Startup, FirstCopyRunsTheWindowAndTearsDownInOrder)
{
    EXPECT_EQ(Run(""), StartupOutcome::MainWindowRan);
    const std::string intro = dir / "DEMOSONGS/Intro.ncp";
    EXPECT_EQ(events, (Events{"probe Brickmelody.wad", "open Brickmelody.wad", "engine start",
                              "window created, start song [" + intro + "]", "listen", "run", "front",
                              "open from other copy /other/copy.ncp", "stop listening",
                              "window destroyed, archive open"}));
    EXPECT_EQ(context.programFolder, dir.Path());
    EXPECT_EQ(context.archive, nullptr);
    EXPECT_EQ(context.mainWindow, nullptr);
    EXPECT_TRUE(context.folders.Snapshot().empty());
    EXPECT_TRUE(std::filesystem::is_directory(dir / "TEMP"));
    EXPECT_TRUE(std::filesystem::is_directory(dir / "USERDATA"));
    std::vector<std::string> lines = OptionLines();
    ASSERT_EQ(lines.size(), 24u);
    EXPECT_EQ(lines[21], intro);
    EXPECT_EQ(lines[23], dir / "SMPLDATA/");
}

TEST_F(Startup, ReadsTheOptionsBeforeAnythingElse)
{
    std::string text;
    for (int i = 1; i <= 23; ++i)
        AppendLine(text, i == 17 ? "0" : i == 23 ? "Old news" : i == 10 ? "/t/" : "5");
    AppendLine(text, "/samples/");
    ASSERT_TRUE(test::WriteFile(dir / "Brickmelody.opt", text));
    Run("");
    EXPECT_EQ(context.currentNewsHeadline, "Old news");
    // Open at start is not 2 and there is no command line: nothing is opened.
    EXPECT_EQ(events.at(3), "window created, start song []");
    EXPECT_FALSE(std::filesystem::exists(dir / "TEMP"));
    std::vector<std::string> lines = OptionLines();
    ASSERT_EQ(lines.size(), 24u);
    EXPECT_EQ(lines[9], "/t/");
    EXPECT_EQ(lines[23], "/samples/");
}

TEST_F(Startup, ShortOptionsFileKeepsTheProgramFolderAsTemporaryFolder)
{
    ASSERT_TRUE(test::WriteFile(dir / "Brickmelody.opt", "only one line\r\n"));
    Run("");
    EXPECT_EQ(context.options.temporaryFolder, dir.Path());
    EXPECT_EQ(OptionLines().at(9), dir.Path());
}

TEST_F(Startup, CommandLineNamesTheStartSong)
{
    Run("  \"/songs/my song.ncp\" and more ");
    EXPECT_EQ(events.at(3), "window created, start song [/songs/my song.ncp]");
    EXPECT_EQ(OptionLines().at(21), "/songs/my song.ncp");
}

TEST_F(Startup, SecondCopyHandsItsStartSongOverAndEnds)
{
    archives.access = platform::ExclusiveAccess::InUse;
    EXPECT_EQ(Run("/songs/a.ncp"), StartupOutcome::HandedToRunningCopy);
    EXPECT_EQ(events, (Events{"probe Brickmelody.wad", "send [/songs/a.ncp] 13 4000"}));
    EXPECT_FALSE(FileExists(dir / "Brickmelody.opt")); // the running copy owns the options
}

TEST_F(Startup, SecondCopyWithoutSongSendsAnEmptyPath)
{
    std::string text;
    for (int i = 1; i <= 23; ++i)
        AppendLine(text, i == 17 ? "1" : "");
    ASSERT_TRUE(test::WriteFile(dir / "Brickmelody.opt", text));
    archives.access = platform::ExclusiveAccess::InUse;
    Run("");
    EXPECT_EQ(events, (Events{"probe Brickmelody.wad", "send [] 1 4000"}));
}

TEST_F(Startup, UnreadableArchiveEndsWithoutStartingAnything)
{
    archives.readable = false;
    EXPECT_EQ(Run(""), StartupOutcome::ArchiveUnreadable);
    EXPECT_EQ(events, (Events{"probe Brickmelody.wad", "open Brickmelody.wad"}));
    EXPECT_FALSE(FileExists(dir / "Brickmelody.opt"));
}

// No file means no running copy to hand the song to: the copy ends at once
// instead of waiting for an answer that cannot come.
TEST_F(Startup, MissingArchiveEndsWithoutTheHandshake)
{
    archives.access = platform::ExclusiveAccess::Missing;
    EXPECT_EQ(Run("/songs/a.ncp"), StartupOutcome::ArchiveMissing);
    archives.access = platform::ExclusiveAccess::CannotOpen;
    EXPECT_EQ(Run("/songs/a.ncp"), StartupOutcome::ArchiveCannotOpen);
    EXPECT_EQ(events, (Events{"probe Brickmelody.wad", "probe Brickmelody.wad"}));
    EXPECT_FALSE(FileExists(dir / "Brickmelody.opt"));
}

} // namespace
} // namespace bm::app

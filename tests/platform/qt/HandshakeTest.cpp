// The single running copy, with two real processes: this test program is the
// running copy (it holds the archive open and listens), and it starts itself
// again with --handshake-child as the second copy, which runs the real
// start-up routine and must hand its start song over and end.

#include "app/ArchiveOpener.h"
#include "app/IdleEngineWorker.h"
#include "app/Startup.h"
#include "platform/qt/LocalInstanceLink.h"

#include "support/ArchiveImage.h"
#include "support/TempDir.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLocalServer>
#include <QProcess>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace bm::platform {
namespace {

constexpr const char* kChildFlag = "--handshake-child";

// Passes every call on and says on stdout whether the record was handed over.
class ReportingLink : public InstanceLink {
public:
    explicit ReportingLink(InstanceLink& link) : m_link(link) {}
    bool SendToRunningCopy(const CopyDataRecord& record, std::chrono::milliseconds timeout) override
    {
        bool delivered = m_link.SendToRunningCopy(record, timeout);
        std::printf("%s\n", delivered ? "delivered" : "timed out");
        return delivered;
    }
    bool Listen(Receiver receiver) override { return m_link.Listen(std::move(receiver)); }
    void StopListening() override { m_link.StopListening(); }

private:
    InstanceLink& m_link;
};

// The second copy: the program's start-up with the real archive test and
// the real local socket. Exit status 0 when it took the hand-over path.
int RunSecondCopy(const std::string& programFolder, const std::string& commandLine)
{
    int argc = 1;
    char name[] = "second-copy";
    char* argv[] = {name, nullptr};
    QCoreApplication application(argc, argv);
    app::AppContext context;
    app::FileArchiveOpener archives;
    LocalInstanceLink socket(InstanceSocketName(programFolder));
    ReportingLink link(socket);
    app::IdleEngineWorker engine;
    app::StartupPieces pieces{archives, link, engine,
                              [](app::AppContext&, app::EngineWorker&) -> std::unique_ptr<app::ProgramWindow> {
                                  return nullptr;
                              },
                              app::ProbeMachine()};
    auto outcome = app::RunProgram(context, programFolder + "brickmelody", commandLine, pieces);
    std::fflush(stdout);
    return outcome == app::StartupOutcome::HandedToRunningCopy ? 0 : 1;
}

// Runs before any test: when this process was started as the second copy,
// it plays that part and ends.
class SecondCopyRole : public testing::Environment {
public:
    void SetUp() override
    {
        std::ifstream file("/proc/self/cmdline", std::ios::binary);
        std::string all((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        std::vector<std::string> words;
        size_t start = 0;
        for (size_t i = 0; i < all.size(); ++i) {
            if (all[i] == '\0') {
                words.push_back(all.substr(start, i - start));
                start = i + 1;
            }
        }
        for (size_t i = 0; i + 2 < words.size(); ++i) {
            if (words[i] == kChildFlag)
                std::exit(RunSecondCopy(words[i + 1], words[i + 2]));
        }
    }
};

// googletest owns and deletes the environment.
[[maybe_unused]] testing::Environment* const kSecondCopyRole = testing::AddGlobalTestEnvironment(new SecondCopyRole);

class RecordingWindow : public app::ProgramWindow {
public:
    void Run() override {}
    void OpenFromOtherCopy(const std::string& path) override { events.push_back("open [" + path + "]"); }
    void BringToFront() override { events.push_back("front"); }
    std::vector<std::string> events;
    std::vector<CopyDataRecord> records;
};

struct SecondCopy {
    int status = -1;
    std::string output;
    qint64 milliseconds = 0;
};

class Handshake : public testing::Test {
protected:
    void SetUp() override
    {
        archivePath = dir / "Brickmelody.wad";
        ASSERT_TRUE(test::WriteFile(archivePath, test::ArchiveImage("WADn", {})));
        // The running copy holds its archive open, which locks the file.
        archive = app::FileArchiveOpener().Open(archivePath);
        ASSERT_NE(archive, nullptr);
    }

    bool Listen()
    {
        return link.Listen([this](const CopyDataRecord& record) {
            window.records.push_back(record);
            app::DeliverFromOtherCopy(record, window);
        });
    }

    // Starts the second copy and runs this copy's event loop until it has
    // ended and, when one is expected, its record has been handled.
    SecondCopy RunSecondCopy(const std::string& commandLine, bool expectRecord)
    {
        QProcess process;
        process.setProgram(QCoreApplication::applicationFilePath());
        process.setArguments({kChildFlag, QString::fromStdString(dir.Path()), QString::fromStdString(commandLine)});
        QElapsedTimer clock;
        clock.start();
        process.start();
        QEventLoop loop;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
            bool done = process.state() == QProcess::NotRunning && (!expectRecord || !window.records.empty());
            // A hang guard, far beyond the 4 s time-out of the hand-over.
            if (done || clock.elapsed() > 30000)
                loop.quit();
        });
        poll.start(10);
        loop.exec();
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
        }
        SecondCopy result;
        result.milliseconds = clock.elapsed();
        result.status = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
        result.output = process.readAllStandardOutput().toStdString();
        return result;
    }

    test::TempDir dir;
    std::string archivePath;
    std::unique_ptr<ResourceArchive> archive;
    int argc = 1;
    char name[16] = "running-copy";
    char* argv[2] = {name, nullptr};
    QCoreApplication application{argc, argv};
    LocalInstanceLink link{InstanceSocketName(dir.Path())};
    RecordingWindow window;
};

TEST_F(Handshake, SecondCopyHandsItsSongToTheRunningCopy)
{
    ASSERT_TRUE(Listen());
    SecondCopy second = RunSecondCopy("\"/songs/my song.ncp\" and more", true);
    EXPECT_EQ(second.status, 0);
    EXPECT_NE(second.output.find("delivered"), std::string::npos);
    EXPECT_EQ(window.events, (std::vector<std::string>{"front", "open [/songs/my song.ncp]"}));
    ASSERT_EQ(window.records.size(), 1u);
    EXPECT_EQ(window.records[0].tag, 2902u);
    EXPECT_EQ(window.records[0].byteCount, 19u);
}

TEST_F(Handshake, SecondCopyWithoutCommandLineSendsItsStartSong)
{
    ASSERT_TRUE(Listen());
    SecondCopy second = RunSecondCopy("", true);
    EXPECT_EQ(second.status, 0);
    // No options file: open at start is 2, so the default start song goes.
    EXPECT_EQ(window.events, (std::vector<std::string>{"front", "open [" + dir.Path() + "DEMOSONGS/Intro.ncp]"}));
}

TEST_F(Handshake, EmptyStartSongStillArrivesWithByteCountOne)
{
    std::string options;
    for (int line = 1; line <= 23; ++line)
        options += line == 17 ? "0\r\n" : "\r\n"; // open at start: no action
    ASSERT_TRUE(test::WriteFile(dir / "Brickmelody.opt", options));
    ASSERT_TRUE(Listen());
    SecondCopy second = RunSecondCopy("", true);
    EXPECT_EQ(second.status, 0);
    EXPECT_EQ(window.events, (std::vector<std::string>{"front", "open []"}));
    ASSERT_EQ(window.records.size(), 1u);
    EXPECT_EQ(window.records[0].byteCount, 1u);
    EXPECT_EQ(window.records[0].data, std::vector<uint8_t>{0});
}

TEST_F(Handshake, SecondCopyEndsSilentlyWhenTheRunningCopyDoesNotAnswer)
{
    // A running copy that is stuck: it listens, but never takes the
    // connection, so its answer never comes.
    QLocalServer stuck;
    QLocalServer::removeServer(QString::fromStdString(link.SocketName()));
    ASSERT_TRUE(stuck.listen(QString::fromStdString(link.SocketName())));
    SecondCopy second = RunSecondCopy("/songs/a.ncp", false);
    EXPECT_EQ(second.status, 0);
    EXPECT_NE(second.output.find("timed out"), std::string::npos);
    EXPECT_GE(second.milliseconds, 4000);
    EXPECT_TRUE(window.events.empty());
}

TEST_F(Handshake, SecondCopyEndsSilentlyWhenNobodyListens)
{
    SecondCopy second = RunSecondCopy("/songs/a.ncp", false);
    EXPECT_EQ(second.status, 0);
    EXPECT_NE(second.output.find("timed out"), std::string::npos);
    EXPECT_GE(second.milliseconds, 4000);
    // It never ran as a first copy: no options were written.
    EXPECT_FALSE(std::ifstream(dir / "Brickmelody.opt").good());
}

TEST_F(Handshake, ListeningReplacesASocketLeftByACrashedCopy)
{
    QLocalServer crashed;
    ASSERT_TRUE(crashed.listen(QString::fromStdString(link.SocketName())));
    // The crashed copy's socket file stays; a new running copy takes the name.
    ASSERT_TRUE(Listen());
    SecondCopy second = RunSecondCopy("/songs/b.ncp", true);
    EXPECT_EQ(second.status, 0);
    EXPECT_EQ(window.events, (std::vector<std::string>{"front", "open [/songs/b.ncp]"}));
}

} // namespace
} // namespace bm::platform

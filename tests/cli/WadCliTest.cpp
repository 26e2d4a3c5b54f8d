#include "support/ArchiveImage.h"
#include "support/RunCli.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace bm {
namespace {

using test::ArchiveImage;
using test::CliResult;
using test::ReadFile;
using test::RunCli;
using test::WriteFile;

// Every failure is one line on stderr that says what and why; nothing on stdout.
void ExpectFailure(const CliResult& result, int status, const std::string& reason)
{
    EXPECT_EQ(result.status, status) << result.err;
    EXPECT_TRUE(result.out.empty()) << result.out;
    EXPECT_EQ(result.err.rfind("brickmelody-cli: ", 0), 0u) << result.err;
    EXPECT_NE(result.err.find(reason), std::string::npos) << result.err;
    if (status == 1) {
        EXPECT_EQ(result.err.find('\n'), result.err.size() - 1) << result.err;
    }
}

class WadCliTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(test::CliPath().empty()) << "BM_CLI is not set"; }

    std::string Source(const std::string& name, const std::string& bytes)
    {
        std::string path = m_dir / name;
        EXPECT_TRUE(WriteFile(path, bytes));
        return path;
    }

    test::TempDir m_dir;
    std::string m_wad = m_dir / "skin.wad";
    const std::string m_binary = std::string("\0\x01\r\n\xFF tail", 9);
};

TEST_F(WadCliTest, AddCreatesTheArchiveAndListShowsEveryEntry)
{
    CliResult added = RunCli({"wad", "add", m_wad, "Main Menu.res", Source("menu", "MENUITEM 1\r\n")});
    ASSERT_EQ(added.status, 0) << added.err;
    EXPECT_EQ(added.out, "added \"Main Menu.res\", 12 bytes\n");
    added = RunCli({"wad", "add", m_wad, "splash.wav", Source("wav", m_binary), "--json"});
    ASSERT_EQ(added.status, 0) << added.err;
    EXPECT_EQ(added.out, "{\"name\":\"splash.wav\",\"size\":9,\"offset\":32}\n");
    EXPECT_EQ(ReadFile(m_wad), ArchiveImage("WADn", {{"Main Menu.res", "MENUITEM 1\r\n"}, {"splash.wav", m_binary}}));

    CliResult list = RunCli({"wad", "list", m_wad});
    ASSERT_EQ(list.status, 0) << list.err;
    EXPECT_EQ(list.out, "Main Menu.res\t12\t16\nsplash.wav\t9\t32\n");
    list = RunCli({"wad", "list", m_wad, "--json"});
    ASSERT_EQ(list.status, 0) << list.err;
    EXPECT_EQ(list.out, "{\"magic\":\"WADn\",\"total_length\":173,\"directory_offset\":45,\"entries\":["
                        "{\"name\":\"Main Menu.res\",\"size\":12,\"offset\":16},"
                        "{\"name\":\"splash.wav\",\"size\":9,\"offset\":32}]}\n");
}

TEST_F(WadCliTest, CatWritesTheEntrysBytesExactly)
{
    ASSERT_TRUE(WriteFile(m_wad, ArchiveImage("WADn", {{"splash.wav", m_binary}, {"empty", ""}})));
    CliResult cat = RunCli({"wad", "cat", m_wad, "SPLASH.WAV"});
    EXPECT_EQ(cat.status, 0) << cat.err;
    EXPECT_EQ(cat.out, m_binary);
    cat = RunCli({"wad", "cat", m_wad, "empty"});
    EXPECT_EQ(cat.status, 0) << cat.err;
    EXPECT_EQ(cat.out, "");
    ExpectFailure(RunCli({"wad", "cat", m_wad, "missing"}), 1, "no entry \"missing\"");
    ExpectFailure(RunCli({"wad", "cat", m_wad, "empty", "--json"}), 2, "--json");
}

TEST_F(WadCliTest, AddReplacesAndRemoveClosesTheGap)
{
    ASSERT_TRUE(WriteFile(m_wad, ArchiveImage("WADn", {{"a", "1111"}, {"b", "22"}})));
    ASSERT_EQ(RunCli({"wad", "add", m_wad, "A", Source("new", "333")}).status, 0);
    EXPECT_EQ(ReadFile(m_wad), ArchiveImage("WADn", {{"b", "22"}, {"A", "333"}}));

    CliResult removed = RunCli({"wad", "remove", m_wad, "b"});
    EXPECT_EQ(removed.status, 0) << removed.err;
    EXPECT_EQ(removed.out, "");
    EXPECT_EQ(ReadFile(m_wad), ArchiveImage("WADn", {{"A", "333"}}));
    removed = RunCli({"wad", "remove", m_wad, "a", "--json"});
    EXPECT_EQ(removed.status, 0) << removed.err;
    EXPECT_EQ(removed.out, "{\"removed\":\"a\",\"entries\":0,\"total_length\":16}\n");
    EXPECT_EQ(ReadFile(m_wad).size(), 16u);
    ExpectFailure(RunCli({"wad", "remove", m_wad, "a"}), 1, "no entry \"a\"");
}

TEST_F(WadCliTest, ExtractToAFileOrIntoAFolder)
{
    ASSERT_TRUE(WriteFile(m_wad, ArchiveImage("WADn", {{"hints.dat", m_binary}})));
    std::filesystem::create_directory(m_dir / "out");
    CliResult extracted = RunCli({"wad", "extract", m_wad, "HINTS.DAT", m_dir / "out"});
    ASSERT_EQ(extracted.status, 0) << extracted.err;
    EXPECT_EQ(extracted.out, "extracted \"hints.dat\" to " + m_dir / "out/hints.dat\n");
    EXPECT_EQ(ReadFile(m_dir / "out/hints.dat"), m_binary);

    extracted = RunCli({"wad", "extract", m_wad, "hints.dat", m_dir / "copy.bin", "--json"});
    ASSERT_EQ(extracted.status, 0) << extracted.err;
    EXPECT_EQ(extracted.out,
              "{\"name\":\"hints.dat\",\"size\":9,\"offset\":16,\"path\":\"" + m_dir / "copy.bin\"}\n");
    EXPECT_EQ(ReadFile(m_dir / "copy.bin"), m_binary);
    ExpectFailure(RunCli({"wad", "extract", m_wad, "missing", m_dir / "out/"}), 1, "no entry \"missing\"");
    ExpectFailure(RunCli({"wad", "extract", m_wad, "hints.dat", m_dir / "none/x/"}), 1, "none/x");
}

TEST_F(WadCliTest, ExtractRefusesAnEntryNameThatLeavesTheFolder)
{
    std::string package = m_dir / "evil.wcp";
    ASSERT_TRUE(WriteFile(package, ArchiveImage("WCPn", {{"../escaped.smp", "x"}})));
    std::filesystem::create_directory(m_dir / "in");
    ExpectFailure(RunCli({"wad", "extract", package, "../escaped.smp", m_dir / "in/", "--magic", "WCPn"}), 1,
                  "not a plain file name");
    EXPECT_TRUE(std::filesystem::is_empty(m_dir / "in"));
    EXPECT_FALSE(std::filesystem::exists(m_dir / "escaped.smp"));
}

TEST_F(WadCliTest, MagicChoosesBetweenArchiveAndPackage)
{
    std::string package = m_dir / "song.wcp";
    ASSERT_TRUE(WriteFile(package, ArchiveImage("WCPn", {{"wcp.ncp", "song"}})));
    ExpectFailure(RunCli({"wad", "list", package}), 1, "\"WCPn\"");
    CliResult list = RunCli({"wad", "list", package, "--magic", "WCPn", "--json"});
    EXPECT_EQ(list.status, 0) << list.err;
    EXPECT_EQ(list.out.rfind("{\"magic\":\"WCPn\"", 0), 0u) << list.out;
    ASSERT_EQ(RunCli({"wad", "add", package, "wcp.inf", Source("inf", "\r\n"), "--magic=WCPn"}).status, 0);
    EXPECT_EQ(ReadFile(package), ArchiveImage("WCPn", {{"wcp.ncp", "song"}, {"wcp.inf", "\r\n"}}));
    ASSERT_EQ(RunCli({"wad", "add", m_dir / "new.wcp", "x", Source("x", "x"), "--magic", "WCPn"}).status, 0);
    EXPECT_EQ(ReadFile(m_dir / "new.wcp"), ArchiveImage("WCPn", {{"x", "x"}}));
    ExpectFailure(RunCli({"wad", "list", package, "--magic", "wcpn"}), 2, "--magic must be WADn or WCPn");
}

// Usage errors (2) and failed operations (1) for every command.
struct Failing {
    const char* label;
    std::vector<std::string> args; // "@" stands for the test's folder
    int status;
    const char* reason;
};

const Failing kFailing[] = {
    {"ListMissingArchive", {"wad", "list", "@missing.wad"}, 1, "cannot open"},
    {"CatMissingArchive", {"wad", "cat", "@missing.wad", "a"}, 1, "cannot open"},
    {"ExtractMissingArchive", {"wad", "extract", "@missing.wad", "a", "@"}, 1, "cannot open"},
    {"RemoveMissingArchive", {"wad", "remove", "@missing.wad", "a"}, 1, "cannot open"},
    {"ListDamaged", {"wad", "list", "@bad.wad"}, 1, "past the end of the file"},
    {"AddToDamaged", {"wad", "add", "@bad.wad", "a", "@good.wad"}, 1, "past the end of the file"},
    {"AddToItself", {"wad", "add", "@good.wad", "a", "@good.wad"}, 1, "it is the input"},
    {"AddMissingSource", {"wad", "add", "@good.wad", "a", "@missing.bin"}, 1, "missing.bin"},
    {"AddToFolder", {"wad", "add", "@", "a", "@good.wad"}, 1, "cannot open"},
    {"ListFolder", {"wad", "list", "@"}, 1, "not a regular file"},
    {"ListNoArgs", {"wad", "list"}, 2, "missing arguments"},
    {"ListTwoArchives", {"wad", "list", "@good.wad", "@good.wad"}, 2, "too many arguments"},
    {"AddTooFew", {"wad", "add", "@good.wad", "a"}, 2, "missing arguments"},
    {"ExtractTooFew", {"wad", "extract", "@good.wad", "a"}, 2, "missing arguments"},
    {"RemoveTooMany", {"wad", "remove", "@good.wad", "a", "b"}, 2, "too many arguments"},
    {"CatTooFew", {"wad", "cat", "@good.wad"}, 2, "missing arguments"},
    {"UnknownOption", {"wad", "list", "@good.wad", "--verbose"}, 2, "unknown option --verbose"},
    {"MagicWithoutValue", {"wad", "list", "@good.wad", "--magic"}, 2, "needs a value"},
    {"UnknownSubcommand", {"wad", "pack", "@good.wad"}, 2, "needs a subcommand"},
};

class WadCliFailureTest : public ::testing::TestWithParam<Failing> {};

TEST_P(WadCliFailureTest, ExitsWithItsStatusAndAReason)
{
    ASSERT_FALSE(test::CliPath().empty()) << "BM_CLI is not set";
    test::TempDir dir;
    std::string good = ArchiveImage("WADn", {{"a", "1"}});
    ASSERT_TRUE(WriteFile(dir / "good.wad", good));
    ASSERT_TRUE(WriteFile(dir / "bad.wad", good.substr(0, good.size() - 1)));
    std::vector<std::string> args;
    for (const std::string& arg : GetParam().args)
        args.push_back(arg[0] == '@' ? dir / arg.substr(1) : arg);
    ExpectFailure(RunCli(args), GetParam().status, GetParam().reason);
    EXPECT_EQ(ReadFile(dir / "good.wad"), good);
    EXPECT_FALSE(std::filesystem::exists(dir / "missing.wad"));
}

INSTANTIATE_TEST_SUITE_P(Table, WadCliFailureTest, ::testing::ValuesIn(kFailing),
                         [](const auto& info) { return std::string(info.param.label); });

} // namespace
} // namespace bm

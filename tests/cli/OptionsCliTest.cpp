#include "support/RunCli.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace bm {
namespace {

class OptionsCliTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(test::CliPath().empty()) << "BM_CLI is not set"; }
    test::CliResult Show(bool json)
    {
        std::vector<std::string> args{"--program-folder", m_dir.Path(), "options", "show"};
        if (json)
            args.push_back("--json");
        return test::RunCli(args);
    }
    test::TempDir m_dir;
};

TEST_F(OptionsCliTest, MissingFileShowsTheDefaultsAndTouchesNothing)
{
    test::CliResult result = Show(true);
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string& out = result.out;
    EXPECT_NE(out.find("\"from_file\":false"), std::string::npos) << out;
    EXPECT_NE(out.find("\"temporary_folder\":\"" + m_dir.Path() + "TEMP/\""), std::string::npos) << out;
    EXPECT_NE(out.find("\"samples_per_measure\":20352"), std::string::npos) << out;
    EXPECT_NE(out.find("\"open_at_start\":2"), std::string::npos) << out;
    EXPECT_NE(out.find("\"folders\":[\"" + m_dir.Path() + "SMPLDATA/\"]"), std::string::npos) << out;
    EXPECT_EQ(out.back(), '\n');
    // Looking writes no options file and creates no folders.
    EXPECT_TRUE(std::filesystem::is_empty(m_dir.Path()));
}

TEST_F(OptionsCliTest, ShowsTheFileAsTheProgramReadsIt)
{
    std::string text;
    for (int line = 1; line <= 23; ++line)
        text += (line == 18 ? std::string("44100") : line == 23 ? std::string("Say \"hi\"") : std::to_string(line)) +
                "\r\n";
    text += "C:\\Samples\\\r\n\r\n/more/\r\n";
    ASSERT_TRUE(test::WriteFile(m_dir / "Brickmelody.opt", text));

    test::CliResult json = Show(true);
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_NE(json.out.find("\"from_file\":true"), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("\"samples_per_measure\":44100"), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("\"last_news_headline\":\"Say \\\"hi\\\"\""), std::string::npos) << json.out;
    EXPECT_NE(json.out.find("\"folders\":[\"C:/Samples/\",\"/more/\"]"), std::string::npos) << json.out;

    test::CliResult plain = Show(false);
    ASSERT_EQ(plain.status, 0) << plain.err;
    EXPECT_NE(plain.out.find("18  samples_per_measure   44100\n"), std::string::npos) << plain.out;
    EXPECT_NE(plain.out.find("folders:\n    C:/Samples/\n    /more/\n"), std::string::npos) << plain.out;
    EXPECT_EQ(test::ReadFile(m_dir / "Brickmelody.opt"), text);
}

TEST_F(OptionsCliTest, ExtraArgumentsAreAUsageError)
{
    test::CliResult result = test::RunCli({"--program-folder", m_dir.Path(), "options", "show", "more"});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err.rfind("brickmelody-cli: ", 0), 0u) << result.err;
}

} // namespace
} // namespace bm

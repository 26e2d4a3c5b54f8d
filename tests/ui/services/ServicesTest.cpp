// Help pages, the headline rules of the news message, and the addresses the
// build sets.

#include "ui/services/HelpPages.h"
#include "ui/services/NewsHeadline.h"
#include "ui/services/ServiceAddresses.h"

#include <gtest/gtest.h>

namespace bm::services {
namespace {

struct PageCase {
    HelpPage page;
    const char* path;
};

class HelpPageTest : public ::testing::TestWithParam<PageCase> {};

TEST_P(HelpPageTest, OpensThePageBelowTheProgramFolder)
{
    platform::RecordingShell shell;
    EXPECT_TRUE(OpenHelpPage(shell, "/opt/brickmelody/", GetParam().page));
    ASSERT_EQ(shell.opened.size(), 1u);
    EXPECT_EQ(shell.opened[0], std::string("/opt/brickmelody/") + GetParam().path);
    shell.answer = false;
    EXPECT_FALSE(OpenHelpPage(shell, "/opt/brickmelody/", GetParam().page));
}

INSTANTIATE_TEST_SUITE_P(
    EveryPage, HelpPageTest,
    ::testing::Values(PageCase{HelpPage::BpmSelect, "HTMLHelp/The BPM Select Dialog.htm"},
                      PageCase{HelpPage::InsertMeasure, "HTMLHelp/The Insert Measure Dialog.htm"},
                      PageCase{HelpPage::ShiftNotes, "HTMLHelp/The Shift Notes Dialog.htm"},
                      PageCase{HelpPage::Export, "HTMLHelp/The Export Dialog.htm"},
                      PageCase{HelpPage::ExportProgress, "HTMLHelp/The Export Progress Dialog.htm"},
                      PageCase{HelpPage::Options, "HTMLHelp/The Options Dialog.htm"},
                      PageCase{HelpPage::Record, "HTMLHelp/The Record Dialog.htm"},
                      PageCase{HelpPage::RemoveSample, "HTMLHelp/The Remove Sample Dialog.htm"},
                      PageCase{HelpPage::SaveSampleCopy, "HTMLHelp/The Save Sample Copy Dialog.htm"},
                      PageCase{HelpPage::SaveRecordedSample, "HTMLHelp/The Save Recorded Sample Dialog.htm"},
                      PageCase{HelpPage::FileProperties, "HTMLHelp/The File Properties Dialog.htm"},
                      PageCase{HelpPage::Introducing, "HTMLHelp/Introducing.htm"}));

TEST(NewsHeadlineTest, FirstLineBecomesTheHeadlineAndEndsTheChecks)
{
    std::string current = "old";
    const std::string lastSeen = "old";
    EXPECT_TRUE(ApplyNewsText("Version 1.3 is out\nmore\n", current, lastSeen));
    EXPECT_EQ(current, "Version 1.3 is out");
    EXPECT_TRUE(HasUnreadNews(current, lastSeen));

    // Nothing fetched: the last headline seen comes back, the checks go on.
    EXPECT_FALSE(ApplyNewsText("", current, lastSeen));
    EXPECT_EQ(current, "old");
    EXPECT_FALSE(HasUnreadNews(current, lastSeen));
    EXPECT_FALSE(ApplyNewsText("\nsecond line only\n", current, lastSeen));
    EXPECT_EQ(current, "old");
}

TEST(NewsHeadlineTest, ReadingTheNewsClearsTheMark)
{
    std::string current;
    std::string lastSeen = "Version 1.2";
    ApplyNewsText("Version 1.3\n", current, lastSeen);
    ASSERT_TRUE(HasUnreadNews(current, lastSeen));
    MarkNewsRead(current, lastSeen);
    EXPECT_EQ(lastSeen, "Version 1.3");
    EXPECT_FALSE(HasUnreadNews(current, lastSeen));
}

TEST(ServiceAddressesTest, AddressesAreStoredScrambledAndUnsetByDefault)
{
    constexpr ScrambledText kSample("http://example.invalid/x");
    EXPECT_EQ(kSample.Unscramble(), "http://example.invalid/x");
    EXPECT_EQ(kSample.Stored().find("example"), std::string_view::npos);
    EXPECT_EQ(kSample.Stored().size(), 24u);
    // This test build sets neither address.
    EXPECT_TRUE(IsUnsetAddress(NewsAddress()));
    EXPECT_TRUE(IsUnsetAddress(SiteAddress()));
}

TEST(ServiceAddressesTest, OnlyNamesUnderInvalidAndEmptyHostsAreUnset)
{
    for (const char* unset : {"", "http://", "http:///news.txt", "http://news.brickmelody.invalid/news.txt",
                              "https://A.INVALID:8080/", "http://user@host.invalid./", "invalid"})
        EXPECT_TRUE(IsUnsetAddress(unset)) << unset;
    for (const char* set : {"http://127.0.0.1:8080/news.txt", "http://invalid.example.org/",
                            "https://news.example.com/n.txt", "http://[::1]:80/", "http://notinvalid/"})
        EXPECT_FALSE(IsUnsetAddress(set)) << set;
}

} // namespace
} // namespace bm::services

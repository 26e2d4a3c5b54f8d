// The news check against a real HTTP server on 127.0.0.1: what becomes the
// news text, when message 1046 goes out, and the limits on slow, long and
// strange answers.

#include "ui/services/NewsCheck.h"

#include "LoopbackServer.h"
#include "platform/net/CurlHttpClient.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace bm::services {
namespace {

using namespace std::chrono_literals;
using test::LoopbackServer;

class ScriptedNetwork : public platform::NetworkState {
public:
    platform::Reachability Check() override
    {
        ++asked;
        return answer;
    }
    platform::Reachability answer = platform::Reachability::Online;
    int asked = 0;
};

struct Fixture {
    platform::CurlHttpClient http;
    ScriptedNetwork network;
    platform::RecordingMessagePort port;

    int NewsMessages()
    {
        int count = 0;
        for (const auto& m : port.Snapshot()) {
            EXPECT_EQ(m.number, platform::msg::kNewsDone);
            EXPECT_EQ(m.wParam, 0);
            EXPECT_EQ(m.lParam, 0);
            EXPECT_EQ(m.receiver, 0u);
            ++count;
        }
        return count;
    }
};

LoopbackServer::Handler Answering(int status, std::string body, std::string headers = {})
{
    return [=](int socket, const std::string&, const std::atomic<bool>&) {
        LoopbackServer::Send(socket, LoopbackServer::Answer(status, body, headers));
    };
}

TEST(NewsCheckTest, ThreeLinesBecomeTheNewsTextWithTheAgentAndNoCache)
{
    LoopbackServer server(Answering(200, "Version 1.3 is out\r\nsecond line\nthird"));
    Fixture f;
    NewsCheck news(f.http, f.network, f.port, {server.Url()});
    EXPECT_EQ(news.Check(), 1);
    EXPECT_EQ(news.Text(), "Version 1.3 is out\nsecond line\nthird\n");
    EXPECT_EQ(f.NewsMessages(), 1);
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].rfind("GET /news.txt HTTP/1.1\r\n", 0), 0u);
    EXPECT_NE(requests[0].find("User-Agent: Brickmelody v1.2\r\n"), std::string::npos);
    EXPECT_NE(requests[0].find("Cache-Control: no-cache\r\n"), std::string::npos);
    EXPECT_NE(requests[0].find("Pragma: no-cache\r\n"), std::string::npos);
}

TEST(NewsCheckTest, AnswersOtherThan200AndFailuresEmptyTheTextButStillNotify)
{
    LoopbackServer notFound(Answering(404, "not here\n"));
    LoopbackServer binary(Answering(200, std::string("GIF89a\0\x01\x02", 9)));
    const std::vector<std::string> urls = {notFound.Url(), binary.Url(),
                                           "http://127.0.0.1:" + std::to_string(test::RefusingPort()) + "/news.txt"};
    for (const std::string& url : urls) {
        Fixture f;
        NewsCheck news(f.http, f.network, f.port, {url});
        EXPECT_EQ(news.Check(), 1) << url;
        EXPECT_EQ(news.Text(), "") << url;
        EXPECT_EQ(f.NewsMessages(), 1) << url;
    }
}

TEST(NewsCheckTest, ALongBodyIsReadOnlyUpTo64KiB)
{
    const std::string line(99, 'x');
    std::string body;
    while (body.size() < 10u * 1024 * 1024)
        body += line + "\n";
    LoopbackServer server(Answering(200, body));
    Fixture f;
    NewsCheck news(f.http, f.network, f.port, {server.Url()});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(news.Check(), 1);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
    const std::string text = news.Text();
    EXPECT_GT(text.size(), 60u * 1024);
    EXPECT_LE(text.size(), 64u * 1024 + 1);
    EXPECT_EQ(text.compare(0, 100, line + "\n"), 0);
    EXPECT_EQ(f.NewsMessages(), 1);
}

TEST(NewsCheckTest, ASlowBodyIsCutAtTheTimeOutAndWhatCameCounts)
{
    LoopbackServer server([](int socket, const std::string&, const std::atomic<bool>& stopping) {
        LoopbackServer::Send(socket, "HTTP/1.1 200 OK\r\nContent-Length: 1000\r\n\r\nfirst line\n");
        for (int i = 0; i < 100 && !stopping; ++i)
            std::this_thread::sleep_for(20ms);
    });
    Fixture f;
    NewsCheck news(f.http, f.network, f.port, {server.Url(), 300ms});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(news.Check(), 1);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_GE(took, 250ms);
    EXPECT_LT(took, 1500ms);
    EXPECT_EQ(news.Text(), "first line\n");
    EXPECT_EQ(f.NewsMessages(), 1);
}

TEST(NewsCheckTest, RedirectsAreFollowedOnTheSameHostOnly)
{
    std::atomic<int> otherHits{0};
    LoopbackServer other([&](int socket, const std::string&, const std::atomic<bool>&) {
        ++otherHits;
        LoopbackServer::Send(socket, LoopbackServer::Answer(200, "elsewhere\n"));
    });
    const std::string away = "http://localhost:" + std::to_string(other.Port()) + "/news.txt";
    LoopbackServer server([&](int socket, const std::string& request, const std::atomic<bool>&) {
        if (request.rfind("GET /moved ", 0) == 0)
            LoopbackServer::Send(socket, LoopbackServer::Answer(302, "", "Location: /news.txt\r\n"));
        else if (request.rfind("GET /away ", 0) == 0)
            LoopbackServer::Send(socket, LoopbackServer::Answer(301, "", "Location: " + away + "\r\n"));
        else
            LoopbackServer::Send(socket, LoopbackServer::Answer(200, "here\n"));
    });
    {
        Fixture f;
        NewsCheck news(f.http, f.network, f.port, {server.Url("/moved")});
        EXPECT_EQ(news.Check(), 1);
        EXPECT_EQ(news.Text(), "here\n");
    }
    {
        Fixture f;
        NewsCheck news(f.http, f.network, f.port, {server.Url("/away")});
        EXPECT_EQ(news.Check(), 1);
        EXPECT_EQ(news.Text(), "");
        EXPECT_EQ(f.NewsMessages(), 1);
    }
    EXPECT_EQ(otherHits.load(), 0);
}

TEST(NewsCheckTest, NoNetworkOrNoAddressEndsSilentlyWithoutContactingAnyone)
{
    LoopbackServer server(Answering(200, "news\n"));
    {
        Fixture f;
        f.network.answer = platform::Reachability::Offline;
        NewsCheck news(f.http, f.network, f.port, {server.Url()});
        EXPECT_EQ(news.Check(), 0);
        EXPECT_EQ(news.Text(), "");
        EXPECT_EQ(f.NewsMessages(), 0);
    }
    {
        // A network that cannot tell counts as connected.
        Fixture f;
        f.network.answer = platform::Reachability::Unknown;
        NewsCheck news(f.http, f.network, f.port, {server.Url()});
        EXPECT_EQ(news.Check(), 1);
        EXPECT_EQ(news.Text(), "news\n");
    }
    {
        Fixture f;
        NewsCheck news(f.http, f.network, f.port, {"http://news.brickmelody.invalid/news.txt"});
        EXPECT_EQ(news.Check(), 0);
        EXPECT_EQ(f.network.asked, 0);
        EXPECT_EQ(f.NewsMessages(), 0);
    }
    EXPECT_EQ(server.Requests().size(), 1u);
}

TEST(NewsCheckTest, StartRunsOneCheckAtATimeOnItsOwnThread)
{
    LoopbackServer server([](int socket, const std::string&, const std::atomic<bool>& stopping) {
        for (int i = 0; i < 10 && !stopping; ++i)
            std::this_thread::sleep_for(20ms);
        LoopbackServer::Send(socket, LoopbackServer::Answer(200, "late news\n"));
    });
    Fixture f;
    NewsCheck news(f.http, f.network, f.port, {server.Url()});
    ASSERT_TRUE(news.Start());
    EXPECT_FALSE(news.Start());
    news.Wait();
    EXPECT_EQ(news.Text(), "late news\n");
    EXPECT_EQ(f.NewsMessages(), 1);
    // The previous check has ended, so the next hour's check starts.
    EXPECT_TRUE(news.Start());
    news.Wait();
    EXPECT_EQ(f.NewsMessages(), 2);
}

TEST(NewsCheckTest, DestroyingTheCheckCancelsARunningRequest)
{
    LoopbackServer server([](int socket, const std::string&, const std::atomic<bool>& stopping) {
        LoopbackServer::Send(socket, "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n");
        for (int i = 0; i < 500 && !stopping; ++i)
            std::this_thread::sleep_for(10ms);
    });
    Fixture f;
    const auto start = std::chrono::steady_clock::now();
    {
        NewsCheck news(f.http, f.network, f.port, {server.Url()});
        ASSERT_TRUE(news.Start());
        std::this_thread::sleep_for(100ms);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
}

struct BodyCase {
    const char* name;
    std::string body;
    std::string text;
};

class NewsTextOfBodyTest : public ::testing::TestWithParam<BodyCase> {};

TEST_P(NewsTextOfBodyTest, Lines)
{
    EXPECT_EQ(NewsTextOfBody(GetParam().body), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Bodies, NewsTextOfBodyTest,
    ::testing::Values(BodyCase{"Empty", "", ""}, BodyCase{"OneLineWithoutEnd", "only", "only\n"},
                      BodyCase{"CrLfLines", "a\r\nb\r\n", "a\nb\n"}, BodyCase{"BlankLinesKept", "a\n\nb\n", "a\n\nb\n"},
                      BodyCase{"Utf8", "Gr\xC3\xBC\xC3\x9F" "e\n", "Gr\xC3\xBC\xC3\x9F" "e\n"},
                      BodyCase{"ZeroByte", std::string("a\0b", 3), ""}, BodyCase{"Escape", "a\x1b[31mred\n", ""},
                      BodyCase{"NotUtf8", "caf\xE9\n", ""}, BodyCase{"CutCharacter", "ab\xC3", ""}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace bm::services

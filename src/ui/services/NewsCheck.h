#pragma once

// The hourly news check. Start() runs Check() on a thread of its own; Check()
// asks whether the machine is on a network, fetches the news address with
// one HTTP GET, keeps the answer's lines as the news text (each line ended
// by "\n") and posts message 1046 (WM_USER+22, both values 0) to the main
// window. The main window reads Text() after that message.
//
//     NewsCheck news(http, network, port, {NewsAddress()});
//     news.Start();                 // on timer 4
//     ... on message 1046: ApplyNewsText(news.Text(), ...)
//
// Limits that keep a bad or slow server from hurting the program: the whole
// exchange ends after 15 s, at most 64 KiB of the answer are read, a
// redirect is followed only on the same host, and an answer that is not
// text counts as no news.

#include "platform/HttpClient.h"
#include "platform/MessagePort.h"

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>

namespace bm::services {

inline constexpr const char* kNewsUserAgent = "Brickmelody v1.2";
// Timer 4 of the main window: the first check a minute after the start,
// then every hour.
constexpr int kNewsTimerId = 4;
constexpr int kFirstNewsCheckMs = 60000;
constexpr int kNewsCheckIntervalMs = 3600000;

struct NewsSettings {
    std::string address;
    std::chrono::milliseconds timeout{15000};
    size_t maxBytes = 64 * 1024;
};

class NewsCheck {
public:
    NewsCheck(platform::HttpClient& http, platform::NetworkState& network, platform::MessagePort& port,
              NewsSettings settings);
    // Cancels a running check and waits for its thread.
    ~NewsCheck();
    NewsCheck(const NewsCheck&) = delete;
    NewsCheck& operator=(const NewsCheck&) = delete;

    // UI thread. Starts a check on its own thread; false (and nothing
    // started) while the previous check still runs.
    bool Start();
    // Any thread. One check: 1 when the news text was replaced and the
    // message posted, 0 when the check ended early (no network, no address
    // set) with the text empty and no message.
    int Check();
    // The text of the last check.
    std::string Text() const;
    // UI thread: waits until a started check has ended.
    void Wait();

private:
    void SetText(std::string text);

    platform::HttpClient& m_http;
    platform::NetworkState& m_network;
    platform::MessagePort& m_port;
    NewsSettings m_settings;
    mutable std::mutex m_mutex;
    std::string m_text;
    std::thread m_thread;
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_cancel{false};
};

// The news text made of a body: its lines (split at LF, a CR before the LF
// dropped), each followed by "\n". A body that is not text (a zero byte,
// other control characters than tab, CR and LF, or bytes that are not
// UTF-8) gives an empty text. An incomplete UTF-8 character at the very end
// (where a long body was cut) is dropped first.
std::string NewsTextOfBody(std::string_view body);

} // namespace bm::services

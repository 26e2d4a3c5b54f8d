#pragma once

// Messages that background threads (engine worker, ticker, news check) post
// to the UI thread. The Qt window layer delivers them as custom events; tests
// use RecordingMessagePort. Whatever a message carries is owned by the
// message itself.

#include "library/SampleLibrary.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace bm::platform {

// The first private message number of the window system the program was
// designed for; message numbers stay relative to it.
constexpr int32_t kWmUser = 0x400;

namespace msg {
// A command for the window's command handler: wParam the command number
// (1024 to 1526), lParam its argument (menus post their choices this way).
constexpr int32_t kCommand = 0x0111;
constexpr int32_t kTick = 5;                    // ticker slot 5
constexpr int32_t kTick0 = kWmUser + 1;
constexpr int32_t kVolumeDownTick = kWmUser + 2;
constexpr int32_t kVolumeUpTick = kWmUser + 3;
constexpr int32_t kTick3 = kWmUser + 4;
constexpr int32_t kTick4 = kWmUser + 5;
constexpr int32_t kSampleLength = kWmUser + 10;   // payload SampleRef, lParam frames
constexpr int32_t kPlaybackStarted = kWmUser + 11;
constexpr int32_t kPlaybackStopped = kWmUser + 12;
constexpr int32_t kMeasuresInvalidated = kWmUser + 13;
constexpr int32_t kMeasuresPrerendered = kWmUser + 14;
constexpr int32_t kWorkerState = kWmUser + 15;
constexpr int32_t kSwapSizeSet = kWmUser + 16;
constexpr int32_t kSwapSwitched = kWmUser + 17;
constexpr int32_t kExportProgress = kWmUser + 18;
constexpr int32_t kProgress = kWmUser + 19;       // payload SampleRef (or record), lParam percent
constexpr int32_t kIdleReport = kWmUser + 20;
constexpr int32_t kSongSampleRendering = kWmUser + 21;
constexpr int32_t kNewsDone = kWmUser + 22;
} // namespace msg

using MessagePayload = std::variant<std::monostate, SampleRef, std::string, std::vector<uint8_t>>;

struct Message {
    int32_t number = 0;
    int64_t wParam = 0;
    int64_t lParam = 0;
    MessagePayload payload;
    // The receiver a message is addressed to when it is not the main window
    // (the export progress dialog); 0 = the main window.
    uintptr_t receiver = 0;
};

class MessagePort {
public:
    virtual ~MessagePort() = default;
    // Any thread; never blocks for long.
    virtual void Post(Message message) = 0;
};

// Keeps every message, in order; thread-safe.
class RecordingMessagePort : public MessagePort {
public:
    void Post(Message message) override
    {
        std::lock_guard lock(m_mutex);
        m_messages.push_back(std::move(message));
    }
    std::vector<Message> Take()
    {
        std::lock_guard lock(m_mutex);
        return std::exchange(m_messages, {});
    }
    std::vector<Message> Snapshot() const
    {
        std::lock_guard lock(m_mutex);
        return m_messages;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<Message> m_messages;
};

} // namespace bm::platform

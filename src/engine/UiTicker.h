#pragma once

// The periodic ticker that makes the main window poll the engine for its
// displays: an 11 ms timer thread drives six tick slots, each posting its
// message to the UI thread at most once until the handler acknowledges it.
//
// Slot:     0          1          2          3          4          5
// Period:   5          4          4          5          10         2    (ticks of 11 ms)
// Message:  WM_USER+1  WM_USER+2  WM_USER+3  WM_USER+4  WM_USER+5  5
// wParam:   0          1          2          0          -1         0
//
// On every tick each armed slot counts; a slot in state 1 (acknowledged)
// sets its threshold to max(period, counter × 7 / 5) and goes to state 2; in
// state 2, once the counter reaches the threshold, it posts its message with
// lParam = counter / period, keeps counter mod period and waits in state 0
// for the acknowledgement. A slow handler therefore never has more than one
// message outstanding, and the next comes after 7/5 of the ticks it took.
// Enabling sets counter and threshold to the period (so the first tick
// posts at once) and state 2.
//
// Threads: the timer thread ticks; Enable/Acknowledge/IsArmed from the UI
// thread. A short lock keeps them apart (Enable waits while a tick runs).

#include "platform/MessagePort.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>

namespace bm::engine {

class UiTicker {
public:
    static constexpr int kSlots = 6;
    static constexpr int kPeriodMs = 11;

    explicit UiTicker(platform::MessagePort& port);
    ~UiTicker();
    UiTicker(const UiTicker&) = delete;
    UiTicker& operator=(const UiTicker&) = delete;

    // Starts and stops the 11 ms timer thread.
    void Start();
    void Stop();
    // One timer tick (the thread calls it; tests step it directly).
    void Tick();

    void Enable(int slot, bool on);
    void Acknowledge(int slot);
    bool IsArmed(int slot) const;

private:
    struct Slot {
        int32_t counter = 0;
        int32_t period = 1;
        int32_t threshold = 1;
        int32_t state = 2;
        bool armed = false;
    };

    platform::MessagePort& m_port;
    mutable std::mutex m_mutex;
    std::array<Slot, kSlots> m_slots{};

    std::thread m_thread;
    std::mutex m_runMutex;
    std::condition_variable m_stopChanged;
    bool m_stop = false;
};

} // namespace bm::engine

#pragma once

// What the wave devices report, and the fixed format and buffer scheme they
// run in. Every device plays and records canonical audio: 44 100 frames per
// second, 16-bit signed, two interleaved channels (left first), 4 bytes per
// frame.

#include <cstdint>

namespace bm::device {

constexpr int32_t kSampleRate = 44100;
constexpr int32_t kChannelCount = 2;
constexpr int32_t kBytesPerFrame = 4;

// Three output buffers of the playback buffer size are in flight; ten input
// buffers of a tenth of a second (4410 frames) each.
constexpr int kOutputBufferCount = 3;
constexpr int kInputBufferCount = 10;
constexpr int32_t kInputBufferBytes = 17640;

// Result codes of the open operations, numbered as the multimedia error codes
// that the transport passes on unchanged.
constexpr int kDeviceOk = 0;
constexpr int kDeviceError = 1;    // unspecified failure; also "device closed"
constexpr int kDeviceBadId = 2;    // no device could be opened
constexpr int kDeviceNoDriver = 6; // the audio system is not available
constexpr int kDeviceNoMemory = 7;

// Receives buffer completions. Called on the device's own thread (or on the
// thread that drives a virtual device's clock): implementations must not
// allocate, must not block for long and must not call back into the device.
class DeviceEvents {
public:
    virtual ~DeviceEvents() = default;
    // An output buffer has been played (or returned by a reset).
    virtual void OutputBufferDone() noexcept = 0;
    // Input buffer `index` (0 to 9) is full (or was returned by a reset).
    virtual void InputBufferFull(int32_t index) noexcept = 0;
};

} // namespace bm::device

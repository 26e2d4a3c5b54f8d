#pragma once

// Streaming sinc resampling of interleaved 16-bit audio (libsamplerate),
// for audio that arrives in pieces. Prepare allocates; Process reuses the
// buffers it has grown to, so a steady stream of similar pieces stops
// allocating after the first. One owner; any thread.
//
//     SincResampler resampler;
//     resampler.Prepare(2, 48000, 44100);
//     resampler.Process(piece, SincResampler::End::No, out);   // out: 44 100 Hz
//     resampler.Process({}, SincResampler::End::Yes, out);     // the tail

#include "core/Error.h"

#include <cstdint>
#include <span>
#include <vector>

// libsamplerate's converter state, declared as its header does.
struct SRC_STATE_tag;

namespace bm {

class SincResampler {
public:
    enum class End { No, Yes };

    SincResampler() = default;
    ~SincResampler();
    SincResampler(const SincResampler&) = delete;
    SincResampler& operator=(const SincResampler&) = delete;

    bool Prepare(int channels, int fromRate, int toRate, Error* error = nullptr);
    bool IsPrepared() const { return m_state != nullptr; }
    int Channels() const { return m_channels; }

    // Converts whole frames of `in`; `out` receives what is ready (cleared
    // first). With End::Yes the converter's tail is flushed as well and the
    // resampler must be prepared again before further use.
    bool Process(std::span<const int16_t> in, End end, std::vector<int16_t>& out);

private:
    void Release();

    ::SRC_STATE_tag* m_state = nullptr;
    int m_channels = 0;
    double m_ratio = 1.0;
    std::vector<float> m_in;
    std::vector<float> m_out;
};

} // namespace bm

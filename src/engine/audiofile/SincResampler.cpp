#include "engine/audiofile/SincResampler.h"

#include <samplerate.h>

#include <cmath>
#include <string>

namespace bm {

SincResampler::~SincResampler()
{
    Release();
}

void SincResampler::Release()
{
    if (m_state)
        src_delete(m_state);
    m_state = nullptr;
}

bool SincResampler::Prepare(int channels, int fromRate, int toRate, Error* error)
{
    Release();
    if (channels < 1 || channels > 2 || fromRate <= 0 || toRate <= 0)
        return Fail(error, "cannot resample audio without a rate or channels");
    m_ratio = double(toRate) / fromRate;
    if (!src_is_valid_ratio(m_ratio))
        return Fail(error, "the rate " + std::to_string(fromRate) + " Hz is too far from " + std::to_string(toRate)
                               + " Hz to convert");
    int status = 0;
    m_state = src_new(SRC_SINC_MEDIUM_QUALITY, channels, &status);
    if (!m_state)
        return Fail(error, std::string("cannot start resampling: ") + src_strerror(status));
    m_channels = channels;
    return true;
}

bool SincResampler::Process(std::span<const int16_t> in, End end, std::vector<int16_t>& out)
{
    out.clear();
    if (!m_state)
        return false;
    const size_t frames = in.size() / static_cast<size_t>(m_channels);
    m_in.resize(frames * static_cast<size_t>(m_channels));
    if (!m_in.empty())
        src_short_to_float_array(in.data(), m_in.data(), static_cast<int>(m_in.size()));
    // Room for this piece's share plus the filter's tail.
    const size_t room = static_cast<size_t>(std::ceil(frames * m_ratio)) + 256;
    m_out.resize(room * static_cast<size_t>(m_channels));

    size_t used = 0;
    for (;;) {
        SRC_DATA data{};
        data.data_in = m_in.data() + used * static_cast<size_t>(m_channels);
        data.input_frames = static_cast<long>(frames - used);
        data.data_out = m_out.data();
        data.output_frames = static_cast<long>(room);
        data.src_ratio = m_ratio;
        data.end_of_input = end == End::Yes ? 1 : 0;
        if (src_process(m_state, &data) != 0) {
            Release();
            return false;
        }
        used += static_cast<size_t>(data.input_frames_used);
        const size_t made = static_cast<size_t>(data.output_frames_gen) * static_cast<size_t>(m_channels);
        const size_t at = out.size();
        out.resize(at + made);
        if (made)
            src_float_to_short_array(m_out.data(), out.data() + at, static_cast<int>(made));
        // Done when the input is used up and, at the end, the tail is out.
        if (used >= frames && (end == End::No || data.output_frames_gen == 0))
            break;
        if (data.input_frames_used == 0 && data.output_frames_gen == 0)
            break;
    }
    if (end == End::Yes)
        Release();
    return true;
}

} // namespace bm

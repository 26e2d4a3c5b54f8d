#pragma once

// Writes a 16-bit PCM wave file piece by piece, for output too long to hold
// in memory at once. The samples go to a temporary file beside the target;
// Finish writes the final sizes into the header and renames the file into
// place, so no half-written file is ever seen under the target's name. A
// writer destroyed without Finish removes its temporary file. One owner.
//
//     WavStreamWriter out;
//     if (out.Open(path, 2, 44100, &error)) {
//         while (...) out.Write(piece, &error);
//         out.Finish(ReplaceMode::Unflushed, &error);
//     }

#include "core/Error.h"
#include "core/ReplacingFile.h"
#include "engine/audiofile/WavWriter.h"

#include <cstdint>
#include <span>
#include <string>

namespace bm {

class WavStreamWriter {
public:
    WavStreamWriter() = default;
    WavStreamWriter(const WavStreamWriter&) = delete;
    WavStreamWriter& operator=(const WavStreamWriter&) = delete;

    bool Open(const std::string& path, int channels, int rate, Error* error = nullptr);
    // Fails when the data would outgrow the header's 32-bit sizes.
    bool Write(std::span<const int16_t> samples, Error* error = nullptr);
    bool Finish(ReplaceMode mode, Error* error = nullptr);

    uint64_t DataBytes() const { return m_dataBytes; }

private:
    ReplacingFile m_file;
    int m_channels = 0;
    int m_rate = 0;
    uint64_t m_dataBytes = 0;
};

} // namespace bm

#pragma once

// A canonical wave file (44 100 Hz, 16-bit stereo PCM, 44-byte header,
// sizes kept current as data is written) that replaces its target only when
// complete: exports and pitched copies. It is written under a temporary name
// in the target's folder and renamed to the target on Commit, so an earlier
// file of the target's name survives a failed or cancelled write; a
// discarded or abandoned file is deleted.
//
// Threads: one owner (the engine worker for exports, the main thread for
// pitched copies).
//
//     ReplacingWaveFile file;
//     if (!file.Create("/music/song.wav", &error)) ...
//     file.WriteAt(0, samples, bytes);
//     if (!file.Commit(&error)) ...   // now /music/song.wav

#include "core/Error.h"
#include "core/ReplacingFile.h"
#include "engine/stream/SampleStream.h"

#include <cstdint>
#include <string>

namespace bm::stream {

class ReplacingWaveFile {
public:
    ReplacingWaveFile() = default;
    // Discards a file that was not committed.
    ~ReplacingWaveFile();
    ReplacingWaveFile(const ReplacingWaveFile&) = delete;
    ReplacingWaveFile& operator=(const ReplacingWaveFile&) = delete;

    // Creates the temporary file beside `target` (data size 0). On failure
    // nothing is left on disk.
    bool Create(const std::string& target, Error* error = nullptr);
    bool IsOpen() const { return m_stream.IsOpen(); }
    // Writes `bytes` bytes at byte `offset` of the data, extending it (and
    // the header's sizes) as needed.
    bool WriteAt(int64_t offset, const void* data, int64_t bytes);
    int64_t DataBytes() const { return m_stream.Length(); }
    // Closes the file, makes its contents durable and renames it to the
    // target. On failure the temporary file is deleted.
    bool Commit(Error* error = nullptr);
    // Closes and deletes the temporary file.
    void Discard();
    const std::string& TemporaryPath() const { return m_file.TemporaryPath(); }

private:
    // Reserves the temporary name and flushes and renames the file; the
    // stream writes the wave data through its own descriptor.
    ReplacingFile m_file;
    SampleStream m_stream;
};

} // namespace bm::stream

#pragma once

// The wave file an export writes (44 100 Hz, 16-bit stereo PCM, 44-byte
// header, sizes kept current as data is written). It is written under a
// temporary name in the target's folder and renamed to the target only when
// the export succeeds, so an earlier file of the target's name survives a
// failed or cancelled export; a discarded or abandoned file is deleted.
//
// Threads: one owner (the engine worker).
//
//     ExportFile file;
//     if (!file.Create("/music/song.wav", &error)) ...
//     file.WriteAt(0, samples, bytes);
//     if (!file.Commit(&error)) ...   // now /music/song.wav

#include "core/Error.h"
#include "core/ReplacingFile.h"
#include "engine/stream/SampleStream.h"

#include <cstdint>
#include <string>

namespace bm::engine {

class ExportFile {
public:
    ExportFile() = default;
    // Discards a file that was not committed.
    ~ExportFile();
    ExportFile(const ExportFile&) = delete;
    ExportFile& operator=(const ExportFile&) = delete;

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
    stream::SampleStream m_stream;
};

} // namespace bm::engine

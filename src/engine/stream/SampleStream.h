#pragma once

// One sample as the engine reads it, or one wave file as the engine writes
// it. Reading: the sample is found in the sample folder list, converted
// when needed (decoded, stretched to the requested span, kept in the disk
// cache) and delivered as canonical bytes (44 100 Hz, 16-bit, stereo, 4
// bytes a frame) with its loop, effect taps and gain envelopes applied.
// Writing: a 16-bit PCM wave file is created (or an existing one opened)
// and its data written, its sizes kept in the header.
//
// Units: lengths, positions and counts are canonical bytes (multiples of 4;
// other counts are rounded down to whole frames); spans are frames; song
// positions are frames. One owner thread per stream.
//
//     SampleStream stream(environment);
//     if (stream.OpenRead(path, span, key)) {
//         std::vector<int16_t> all(stream.Length() / 2);
//         stream.Read(all.data(), stream.Length());
//     }

#include "core/Error.h"
#include "engine/EngineSong.h"
#include "engine/MemorySampleCache.h"
#include "engine/audiofile/CanonicalReader.h"
#include "engine/audiofile/WaveHeader.h"
#include "engine/stream/StreamEnvironment.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace bm::stream {

// A whole stream in memory as CopyIntoMemory made it: what the engine's
// memory cache holds. Canonical samples, the loop values (bytes) to repeat
// it with, and the gain envelopes of both tracks (only for a looped sample:
// the data already carries them, they act beyond its end).
class StreamMemorySample final : public engine::MemorySample {
public:
    int64_t SizeFrames() const override { return int64_t(samples.size() / 2); }
    std::vector<int16_t> samples;
    LoopChunk loop;
    std::array<std::vector<EffectPair>, 2> envelopes;
};

// How the last open found its data.
enum class OpenOutcome {
    None,
    Memory,      // the engine's memory cache
    Direct,      // the sample file read as it is
    CacheReused, // a valid disk-cache file (its time refreshed)
    CacheFilled, // converted now and written to the disk cache
    Converted,   // converted now, kept in memory (no cache manager)
    Song,        // a song used as a sample
    Written,     // opened for writing
};

enum class Channels { Stereo, Mono };

class SampleStream {
public:
    // Open flags: read; create (create or truncate, read and write); any of
    // these bits without kCreateBit opens an existing file for writing.
    static constexpr uint32_t kRead = 0;
    static constexpr uint32_t kCreate = 0x1002;
    static constexpr uint32_t kCreateBit = 0x1000;
    static constexpr uint32_t kWriteBits = 0x1003;

    explicit SampleStream(StreamEnvironment environment = {});
    ~SampleStream();
    SampleStream(const SampleStream&) = delete;
    SampleStream& operator=(const SampleStream&) = delete;

    // Dispatches on the flags to OpenRead, Create or OpenForWriting.
    bool Open(const std::string& path, uint32_t flags, int64_t spanFrames, const SampleRef& key,
              Error* error = nullptr);
    // `path` is a stored sample path (relative to the folder list, or absolute).
    bool OpenRead(const std::string& path, int64_t spanFrames, const SampleRef& key, Error* error = nullptr);
    // Writes a 44-byte header (one channel when SetMono was given Mono).
    bool Create(const std::string& path, Error* error = nullptr);
    void SetMono(Channels channels) { m_mono = channels == Channels::Mono; }
    // Opens an accepted wave file found through the folder list.
    bool OpenForWriting(const std::string& path, Error* error = nullptr);
    void Close();
    bool IsOpen() const;

    int64_t Length() const;
    int64_t FullLength() const;
    int64_t Position() const { return m_position; }
    void Seek(int64_t position);

    // Reads from the position; returns the bytes delivered (capped at the
    // length) and advances the position by them.
    int64_t Read(int16_t* out, int64_t bytes);
    // The mixer's read: `bytes` bytes from `readPosition` through the pan
    // delay driven by `pan` from song frame `songPosition`. The position
    // does not move.
    void ReadWithPanDelay(int16_t* out, int64_t bytes, int64_t songPosition, int64_t readPosition,
                          const engine::EnvelopeNodes& pan, bool reverse);

    bool Write(const void* data, int64_t bytes);
    bool SetDataSize(int64_t bytes);

    // The whole stream (FullLength bytes read from 0) for the memory cache;
    // null when it cannot be made.
    std::shared_ptr<StreamMemorySample> CopyIntoMemory();

    const WaveHeaderInfo& Info() const { return m_info; }
    OpenOutcome Outcome() const { return m_outcome; }
    bool IsSong() const { return m_isSong; }
    bool FreshRender() const { return m_freshRender; }
    // The file actually read (the sample or its cache file).
    const std::string& FilePath() const { return m_filePath; }

    // Reads `frames` frames at frame `frame` without moving the position:
    // frames before 0 or at or beyond the length read as silence. Returns
    // the frames inside the sample.
    int64_t ReadFramesAt(int64_t frame, int16_t* out, int64_t frames);

private:
    enum class Backing { None, File, Memory, Song, Writer };

    bool OpenFound(const std::string& fullPath, int64_t spanFrames, Error* error);
    bool Convert(const std::string& fullPath, const SampleDescriptor* descriptor, int64_t spanFrames, Error* error);
    bool OpenCacheFile(const std::string& cachePath);
    bool BackByMemory(std::shared_ptr<const StreamMemorySample> memory, OpenOutcome outcome);

    int64_t LengthFrames() const;
    void ReadRaw(int64_t frame, int16_t* out, int64_t frames);
    void ReadLooped(int64_t frame, int16_t* out, int64_t frames);
    void ReadProcessed(int64_t frame, int16_t* out, int64_t frames);
    bool UsesTaps() const;
    bool WriteAt(uint64_t offset, const void* data, size_t bytes);
    int64_t WriterDataSize() const;

    StreamEnvironment m_env;
    Backing m_backing = Backing::None;
    OpenOutcome m_outcome = OpenOutcome::None;
    WaveHeaderInfo m_info;
    bool m_isSong = false;
    bool m_mono = false;
    bool m_freshRender = false;
    int64_t m_span = 0;
    SampleRef m_key;
    int64_t m_position = 0; // bytes
    std::string m_filePath;

    CanonicalReader m_reader;
    std::shared_ptr<const StreamMemorySample> m_memory;
    std::unique_ptr<SongSampleRender> m_song;
    int m_fd = -1;

    // Loop values in frames, made safe for reading (0 span: no loop).
    int64_t m_loopStart = 0;
    int64_t m_loopSpan = 0;
    int64_t m_loopFade = 0;
    int64_t m_tapBefore = 0; // largest positive delay of the taps in use
    int64_t m_tapAfter = 0;  // largest negative delay, as a positive number

    // Scratch blocks, grown on demand and kept between reads.
    std::vector<int16_t> m_scratch;
    std::vector<int16_t> m_fadeScratch;
    std::vector<int16_t> m_panScratch;
};

// Canonical bytes a file will take once imported (the library's import
// dialog shows it): found through the folder list; 0 when the extension is
// not wav, mp3 or ncp, or no folder holds a readable file.
int64_t EstimateImportBytes(const std::string& name, const StreamEnvironment& environment);

} // namespace bm::stream

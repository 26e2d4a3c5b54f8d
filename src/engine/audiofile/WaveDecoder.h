#pragma once

// Decodes the wave encodings that the canonical reader does not take to
// 16-bit PCM at the file's own rate: PCM of 1 to 32 valid bits in containers
// of 1 to 4 bytes, IEEE float of 32 and 64 bits, WAVE_FORMAT_EXTENSIBLE with
// a PCM or float sub-format, A-law, mu-law, IMA ADPCM, Microsoft ADPCM, and
// MPEG data inside a wave file. More than two channels keep the first two.
// Anything else fails with a reason (the sample is unavailable). Pure
// functions; any thread.
//
// Data can be decoded whole (DecodeWaveData) or in pieces of whole units
// (frames, or blocks of ADPCM) through a WaveCodec:
//
//     WaveCodec codec;
//     WaveDataScan scan;
//     if (PrepareWaveCodec(format, codec, &error)) {
//         for (each piece, in order) ScanWaveData(codec, scan, piece, offset, &error);
//         SettleWaveCodec(codec, scan);
//         for (each piece, in order) DecodeWaveUnits(codec, piece, offset, samples, &error);
//     }

#include "core/Error.h"
#include "engine/audiofile/PcmAudio.h"
#include "engine/audiofile/RawLoader.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace bm {

bool DecodeWaveData(const WaveFormat& format, std::span<const uint8_t> data, PcmAudio& out, Error* error = nullptr);

// Frames DecodeWaveData would give for `dataBytes` of data, without
// decoding; false for an encoding or layout it refuses.
bool CountWaveFrames(const WaveFormat& format, uint64_t dataBytes, int64_t& frames);

// A wave encoding checked and ready to decode.
struct WaveCodec {
    uint16_t tag = 0;       // the encoding: the format tag, or an extensible record's sub-format
    int channels = 0;       // in the file
    int outChannels = 0;    // decoded: at most two
    int rate = 0;
    size_t unitBytes = 0;   // a frame of linear encodings, a block of ADPCM

    // Linear PCM: each sample's container (block size / channels) and its
    // valid bits; containers wider than the valid bits hold them at the top
    // (left-justified) or, as some recorders write, at the bottom with the
    // sign extended (right-justified). Only the data tells which.
    size_t containerBytes = 0;
    int validBits = 0;
    bool rightJustified = false;

    // Float, A-law, mu-law: bytes of one sample, packed at the frame's start.
    size_t sampleBytes = 0;

    // ADPCM: frames a whole block gives; Microsoft ADPCM's coefficient pairs.
    size_t framesPerBlock = 0;
    std::vector<std::array<int, 2>> coefficients;

    bool IsMpeg() const;
    // Whether ScanWaveData needs to see the data before it is decoded.
    bool NeedsScan() const;
};

// Checks the format record: the encoding is known and its fields fit one
// another (for PCM: the block size is whole containers for every channel,
// and the valid bits fit a container). MPEG data passes with only its tag
// set; it is decoded by the MPEG decoder as a whole.
bool PrepareWaveCodec(const WaveFormat& format, WaveCodec& codec, Error* error = nullptr);

// What a scan of the data has seen so far.
struct WaveDataScan {
    bool lowBitsAllZero = true;   // left-justified containers remain possible
    bool topBitsAllSigned = true; // right-justified containers remain possible
};

// Looks at `data` (whole units, lying at file offset `offset`): gathers
// where the valid bits of wider PCM containers lie, and fails with that
// offset at the first ADPCM block whose header is impossible (an IMA step
// index above 88 or a reserved byte that is not 0), which marks the file as
// damaged rather than something to play as noise.
bool ScanWaveData(const WaveCodec& codec, WaveDataScan& scan, std::span<const uint8_t> data, uint64_t offset,
                  Error* error = nullptr);
// Settles the layout from a scan of all the data: right-justified only when
// some low bits are set and every top part is a sign extension.
void SettleWaveCodec(WaveCodec& codec, const WaveDataScan& scan);

// Decodes `data` (whole units, and a short last unit at the very end; at
// file offset `offset`, for the reason of a failure) and appends the samples
// to `out`, interleaved with codec.outChannels channels.
bool DecodeWaveUnits(const WaveCodec& codec, std::span<const uint8_t> data, uint64_t offset, std::vector<int16_t>& out,
                     Error* error = nullptr);

// Frames `dataBytes` of data give.
int64_t WaveUnitFrames(const WaveCodec& codec, uint64_t dataBytes);

} // namespace bm

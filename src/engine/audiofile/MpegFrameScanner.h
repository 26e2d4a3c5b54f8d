#pragma once

// Finds and checks the frames of an MPEG audio stream in memory without
// decoding it: frame headers, the run of consistent headers that a stream
// must begin with, and for Layer III the side information of every frame,
// whose impossible values mark a frame that cannot be decoded. This is what
// tells a real stream from bytes that merely contain frame syncs. Pure
// functions; any thread.
//
//     MpegStreamSurvey survey;
//     if (SurveyMpegStream(fileBytes, survey, &error))
//         ... decode from fileBytes[survey.start] on, in survey.first's format ...

#include "core/Error.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace bm {

struct MpegFrameHeader {
    int version = 0;          // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
    int layer = 0;            // 1, 2 or 3
    bool crc = false;         // a 16-bit check word follows the header
    int bitrateIndex = 0;     // 1 ... 14; 0 is free format
    int rateIndex = 0;        // 0 ... 2
    bool padding = false;
    int mode = 0;             // 0 stereo, 1 joint stereo, 2 dual channel, 3 single channel
    uint32_t rate = 0;        // frames per second
    uint32_t bitrateKbps = 0; // 0 for free format

    int Channels() const { return mode == 3 ? 1 : 2; }
    // Bytes of the whole frame, header included; 0 for free format, whose
    // length only the next header tells.
    size_t FrameBytes() const;
    // Headers of one stream: same version, layer, rate and channel count,
    // and both free format or neither. The bit rate may change from frame
    // to frame (variable bit rate), and so may the stereo coding.
    bool SameStream(const MpegFrameHeader& other) const;
};

// Reads the four header bytes at `at`. False when there is no frame sync
// there, fewer than four bytes, or a field holds a reserved value (version
// 1, layer 0, bit-rate index 15, rate index 3): such bytes are no header.
bool ParseMpegFrameHeader(std::span<const uint8_t> bytes, size_t at, MpegFrameHeader& header);

// Consecutive headers, each where the previous frame's length says, that
// must agree before a stream is believed. A shorter chain counts when it
// ends exactly at the end of the data (or at a 128-byte "TAG" trailer), as
// the frames of a file of one or two frames do.
constexpr int kMpegRunFrames = 3;

// The first offset from `from` on where such a run starts, with its header.
bool FindMpegRun(std::span<const uint8_t> bytes, size_t from, size_t& offset, MpegFrameHeader& header);

// Whether a Layer III frame's side information can be decoded: no big-value
// count above 288, no window switching with block type 0, main data that
// begins inside the bit reservoir and fits what the frame and the reservoir
// hold. `reservoir` carries the main-data bytes that earlier frames left
// over (start a stream with 0); it is updated for the next frame.
bool CheckLayer3Frame(std::span<const uint8_t> frame, const MpegFrameHeader& header, size_t& reservoir);

struct MpegStreamSurvey {
    size_t start = 0;          // offset of the first frame of the first run
    MpegFrameHeader first;     // its header: the stream's format
    int64_t frames = 0;        // whole frames from there on
    int64_t damagedFrames = 0; // of which cannot be decoded
    int64_t firstDamaged = -1; // offset of the first of those
};

// Walks the whole stream from its first run, frame by frame; after damage
// or junk it goes on at the next run of the same stream. Fails with a reason
// when there is no run of headers at all, or when most frames are damaged.
bool SurveyMpegStream(std::span<const uint8_t> bytes, MpegStreamSurvey& survey, Error* error = nullptr);

} // namespace bm

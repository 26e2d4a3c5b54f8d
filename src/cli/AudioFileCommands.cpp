// Audio file commands: what the header reader and the MPEG header scan say
// about a file, and a file decoded to canonical frames.

#include "cli/Cli.h"
#include "cli/Json.h"

#include "engine/audiofile/ByteSource.h"
#include "engine/audiofile/CanonicalDecoder.h"
#include "engine/audiofile/CanonicalReader.h"
#include "engine/audiofile/MpegFrameScanner.h"
#include "engine/audiofile/PcmAudio.h"
#include "engine/audiofile/RawLoader.h"
#include "engine/audiofile/WavStreamWriter.h"
#include "engine/audiofile/WaveHeaderReader.h"

#include <optional>
#include <ostream>
#include <span>
#include <vector>

namespace bm::cli {

namespace {

const char* ResultName(WaveHeaderResult result)
{
    switch (result) {
    case WaveHeaderResult::Accepted:
        return "accepted PCM";
    case WaveHeaderResult::NeedsConversion:
        return "needs conversion";
    default:
        return "unreadable";
    }
}

const char* MpegVersionName(int version)
{
    switch (version) {
    case 3:
        return "1";
    case 2:
        return "2";
    case 0:
        return "2.5";
    default:
        return "reserved";
    }
}

// The header reader returns at once for an MPEG path; its format comes from
// the raw loader's scan for the first run of frame headers, and the survey
// of all frames says how many there are and how many are damaged.
struct MpegDetails {
    uint64_t fileSize = 0;
    bool synced = false; // a run of consistent frame headers was found
    MpegFrameInfo frame;
    MpegStreamSurvey survey;
};

// Whether a file the header reader sends to conversion decodes, and if not
// why: the decoder's own checks, as `audio decode` and the engine meet them.
std::optional<Error> Refusal(const std::string& path)
{
    CanonicalDecoder decoder;
    Error error;
    if (decoder.Open(path, &error))
        return std::nullopt;
    return error;
}

void WriteRefusalJson(JsonWriter& j, const std::optional<Error>& refusal)
{
    j.Field("decodable", !refusal.has_value());
    if (!refusal)
        return;
    j.Key("refusal");
    j.BeginObject();
    j.Field("category", CategoryName(refusal->category));
    j.Field("offset", refusal->where);
    j.Field("message", refusal->message);
    j.EndObject();
}

void WriteTrackJson(JsonWriter& j, const EffectTrack& track)
{
    j.BeginObject();
    j.Field("enable", int64_t(track.enable));
    j.Key("taps");
    j.BeginArray();
    for (const EffectPair& tap : track.taps) {
        j.BeginArray();
        j.Number(int64_t(tap.first));
        j.Number(int64_t(tap.second));
        j.EndArray();
    }
    j.EndArray();
    j.Key("envelope");
    j.BeginArray();
    for (const EffectPair& point : track.envelope) {
        j.BeginArray();
        j.Number(int64_t(point.first));
        j.Number(int64_t(point.second));
        j.EndArray();
    }
    j.EndArray();
    j.EndObject();
}

int RunAudioInfo(Invocation& in)
{
    if (!in.Expect(1, 1, {"json"}, {}))
        return kExitUsage;
    const std::string path = in.Arg(0);
    if (!FileByteSource::Open(path))
        return in.Failed("cannot open " + path);

    WaveHeaderInfo info;
    const WaveHeaderResult result = ReadWaveHeader(path, info);
    std::optional<MpegDetails> mpeg;
    if (IsMpegPath(path)) {
        mpeg.emplace();
        auto source = FileByteSource::Open(path);
        mpeg->fileSize = source ? source->Size() : 0;
        RawAudio raw;
        WaveFormat format;
        if (LoadRaw(path, raw) && ParseWaveFormat(raw.format, format)) {
            mpeg->synced = ScanMpegHeader(raw.data, mpeg->frame);
            SurveyMpegStream(raw.data, mpeg->survey);
            info.formatTag = format.formatTag;
            info.channels = format.channels;
            info.frameRate = format.frameRate;
            info.byteRate = format.byteRate;
            info.blockSize = format.blockSize;
            info.bitsPerSample = format.bitsPerSample;
            info.dataSize = static_cast<uint32_t>(raw.data.size());
            info.dataOffset = 0;
        }
    }
    const bool accepted = result == WaveHeaderResult::Accepted;
    std::optional<Error> refusal;
    if (result == WaveHeaderResult::NeedsConversion)
        refusal = Refusal(path);

    if (in.Json()) {
        JsonWriter j;
        j.BeginObject();
        j.Field("result", static_cast<int>(result));
        j.Field("format_tag", int(info.formatTag));
        j.Field("channels", int(info.channels));
        j.Field("rate", info.frameRate);
        j.Field("block", int(info.blockSize));
        j.Field("bits", int(info.bitsPerSample));
        j.Field("data_size", info.dataSize);
        j.Field("data_offset", info.dataOffset);
        j.Key("loop");
        j.BeginArray();
        for (int32_t v : {info.loop.start, info.loop.span, info.loop.crossFade, info.loop.total})
            j.Number(int64_t(v));
        j.EndArray();
        j.Key("tracks");
        j.BeginArray();
        for (const EffectTrack& track : info.tracks)
            WriteTrackJson(j, track);
        j.EndArray();
        if (accepted)
            j.Field("canonical_length", CanonicalLength(info));
        if (result != WaveHeaderResult::Unreadable)
            WriteRefusalJson(j, refusal);
        if (mpeg) {
            j.Key("mpeg");
            if (mpeg->synced) {
                j.BeginObject();
                j.Field("version", MpegVersionName(mpeg->frame.version));
                j.Field("layer", mpeg->frame.layer);
                j.Field("rate", mpeg->frame.rate);
                j.Field("channels", int(mpeg->frame.channels));
                j.Field("bitrate_kbps", mpeg->frame.bitrateKbps);
                j.Field("first_frame", int64_t(mpeg->frame.offset));
                j.Field("frames", mpeg->survey.frames);
                j.Field("damaged_frames", mpeg->survey.damagedFrames);
                j.EndObject();
            } else {
                j.Null();
            }
        }
        j.EndObject();
        in.Out() << j.Text() << '\n';
        return kExitOk;
    }

    std::ostream& out = in.Out();
    out << "result: " << static_cast<int>(result) << " (" << ResultName(result) << ")\n";
    if (result == WaveHeaderResult::Unreadable && !mpeg)
        return kExitOk;
    if (refusal)
        out << "refused: " << DescribeAtByte(*refusal) << '\n';
    else
        out << "decodable: yes\n";
    if (!mpeg || mpeg->synced) {
        out << "format: tag " << info.formatTag << ", " << info.channels << " channels, " << info.frameRate
            << " Hz, block " << info.blockSize << ", " << info.bitsPerSample << " bits\n";
        out << "data: " << info.dataSize << " bytes at " << info.dataOffset << '\n';
    }
    out << "loop: " << info.loop.start << ' ' << info.loop.span << ' ' << info.loop.crossFade << ' ' << info.loop.total
        << (accepted ? " (canonical bytes)" : " (frames)") << '\n';
    for (size_t t = 0; t < info.tracks.size(); ++t) {
        const EffectTrack& track = info.tracks[t];
        out << "track " << t << ": enable " << track.enable << ", " << track.taps.size() << " taps, "
            << track.envelope.size() << " envelope points\n";
    }
    if (accepted) {
        const int64_t length = CanonicalLength(info);
        out << "canonical length: " << length << " bytes (" << length / 4 << " frames)\n";
    }
    if (mpeg) {
        if (mpeg->synced)
            out << "mpeg: version " << MpegVersionName(mpeg->frame.version) << " layer " << mpeg->frame.layer << ", "
                << mpeg->frame.rate << " Hz, " << mpeg->frame.channels << " channels, " << mpeg->frame.bitrateKbps
                << " kbit/s; " << mpeg->survey.frames << " frames from byte " << mpeg->frame.offset << ", "
                << mpeg->survey.damagedFrames << " damaged\n";
        else
            out << "mpeg: no run of consistent frame headers in " << mpeg->fileSize << " bytes\n";
    }
    return kExitOk;
}

int RunAudioDecode(Invocation& in)
{
    if (!in.Expect(2, 2, {"json"}, {}))
        return kExitUsage;
    const std::string source = in.Arg(0);
    const std::string target = in.Arg(1);
    if (in.ReplacesInput(source, target))
        return kExitFailed;
    Error error;
    CanonicalDecoder decoder;
    if (!decoder.Open(source, &error))
        return in.Failed("cannot decode " + source + ": " + DescribeAtByte(error));
    // Decoded and written piece by piece, so a long file needs little
    // memory. Tool output can be made again, so it is not flushed to the
    // disk before it is renamed into place.
    WavStreamWriter writer;
    if (!writer.Open(target, kCanonicalChannels, kCanonicalRate, &error))
        return in.Failed("cannot write " + target + ": " + error.message);
    std::vector<int16_t> piece(size_t(1) << 16);
    while (const size_t n = decoder.Read(piece)) {
        if (!writer.Write(std::span(piece).first(n), &error))
            return in.Failed("cannot write " + target + ": " + error.message);
    }
    // The writer is dropped unfinished, so no partial file is left.
    if (decoder.Failed())
        return in.Failed("cannot decode " + source + ": " + DescribeAtByte(decoder.Failure()));
    if (!writer.Finish(ReplaceMode::Unflushed, &error))
        return in.Failed("cannot write " + target + ": " + error.message);
    const int64_t frames = static_cast<int64_t>(writer.DataBytes() / kCanonicalFrameBytes);
    if (in.Json()) {
        JsonWriter j;
        j.BeginObject();
        j.Field("frames", frames);
        j.Field("bytes", frames * kCanonicalFrameBytes);
        j.EndObject();
        in.Out() << j.Text() << '\n';
    } else {
        in.Out() << frames << " canonical frames written to " << target << '\n';
    }
    return kExitOk;
}

const Registrar kAudioInfo{{"audio info", "FILE [--json]",
                            "What the header reader (and for MPEG the frame headers) says about a sample file, and whether it decodes.",
                            RunAudioInfo}};
const Registrar kAudioDecode{{"audio decode", "FILE OUT.wav [--json]",
                              "Decodes a wave or MPEG file to canonical frames (44 100 Hz, 16-bit, stereo).",
                              RunAudioDecode}};

} // namespace

} // namespace bm::cli

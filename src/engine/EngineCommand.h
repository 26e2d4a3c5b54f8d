#pragma once

// The commands that other threads post to the audio engine's worker, one
// plain struct per command code, carried in one std::variant. Posting copies
// (or moves) the record into the queue once; the worker owns it from then on.
//
// Example (UI thread):
//     client.Post(engine::PlaySong{volume, cursorMeasure});

#include "library/SampleLibrary.h"

#include <cstdint>
#include <string>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

namespace bm::engine {

// Command codes as the engine's command table numbers them.
enum class CommandCode : int32_t {
    OutputBufferDone = 0x10001,
    InputBufferFull = 0x10002,
    SetTempo = 0x20001,
    SetSwapSize = 0x20002,
    SwitchSwap = 0x20003,
    IdleReport = 0x20004,
    SetSlot = 0x20005,
    InsertMeasures = 0x20006,
    RemoveMeasures = 0x20007,
    FreeMemoryCache = 0x20008,
    DeleteSampleCache = 0x20009,
    PlaySong = 0x30001,
    PlaySongWithJumps = 0x30002,
    Preview = 0x30003,
    Stop = 0x30004,
    LoopOn = 0x30005,
    LoopOff = 0x30006,
    SetChannelGain = 0x30007,
    StartRecording = 0x30008,
    EndRecording = 0x30009,
    OpenRecordingFile = 0x3000A,
    CloseRecordingFile = 0x3000B,
    SetJumps = 0x3000C,
    InsertEnvelopePoint = 0x40001,
    SetEnvelopePoint = 0x40002,
    DeleteEnvelopePoint = 0x40003,
    StartExport = 0x50001,
    CancelExport = 0x50002,
    ExportStep = 0x50003,
    HoldBackground = 0x60001,
    ClearCaches = 0x60002,
    End = -1,
};

// A (from, to) pair of the region jumps; pair 0 of a play command is
// (loop end, loop start).
using JumpPair = std::pair<int32_t, int32_t>;

// 0x10001: an output buffer came back from the device.
struct OutputBufferDone {};
// 0x10002: input buffer `index` is full.
struct InputBufferFull { int32_t index = 0; };
// 0x20001: measure length M in frames and measures per bar D.
struct SetTempo { int32_t samplesPerMeasure = 0; int32_t measuresPerBar = 0; };
// 0x20002: set the swap file's data size in bytes; `reply` comes back in WM_USER+16.
struct SetSwapSize { int32_t bytes = 0; int32_t reply = 0; };
// 0x20003: switch the swap file on (1) or off (0).
struct SwitchSwap { int32_t on = 0; };
// 0x20004: report `value` now and (0, 0) when the worker next becomes idle.
struct IdleReport { int32_t value = 0; };
// 0x20005: one slot of the engine's song; ref word 0 = -1 with zero values
// and an empty path clears the place.
struct SetSlot {
    int32_t measure = 0;
    int32_t channel = 0;
    int32_t start = 0;        // frames from the measure's start
    int32_t sampleLength = 0; // frames
    int32_t reverse = 0;
    SampleRef ref;
    std::string path;         // the sample's stored path (at most 255 characters)
};
// 0x20006 / 0x20007.
struct InsertMeasures { int32_t first = 0; int32_t count = 0; };
struct RemoveMeasures { int32_t first = 0; int32_t count = 0; };
// 0x20008.
struct FreeMemoryCache {};
// 0x20009: delete one sample's cache file.
struct DeleteSampleCache { SampleRef ref; std::string path; };
// 0x30001: play from `startMeasure`; volume's low 24 bits go to the device.
struct PlaySong { int32_t volume = 0; int32_t startMeasure = 0; };
// 0x30002: play with loop and jumps.
struct PlaySongWithJumps { int32_t volume = 0; int32_t startMeasure = 0; std::vector<JumpPair> jumps; };
// 0x30003: preview up to six samples one after another.
struct PreviewEntry { std::string path; int32_t length = 0; SampleRef ref; };
struct Preview { int32_t volume = 0; int32_t reverse = 0; std::vector<PreviewEntry> entries; }; // at most 6
// 0x30004 ... 0x30006.
struct Stop {};
struct LoopOn {};
struct LoopOff {};
// 0x30007: the mixer gain of a channel, 0 = off.
struct SetChannelGain { int32_t channel = 0; int32_t gain = 0; };
// 0x30008 ... 0x3000B: recording.
struct StartRecording {};
struct EndRecording {};
struct OpenRecordingFile {};
struct CloseRecordingFile {};
// 0x3000C: recompute the successors while playing (the first word is unused).
struct SetJumps { int32_t unused = 0; std::vector<JumpPair> jumps; };
// 0x40001 ... 0x40003: envelope points; kind 0 volume, 1 pan.
struct InsertEnvelopePoint { int32_t channel = 0; int32_t kind = 0; int32_t index = 0; int32_t position = 0; int32_t value = 0; };
struct SetEnvelopePoint { int32_t channel = 0; int32_t kind = 0; int32_t index = 0; int32_t position = 0; int32_t value = 0; };
struct DeleteEnvelopePoint { int32_t channel = 0; int32_t kind = 0; int32_t index = 0; };

// Who receives an export's progress messages (the export progress dialog's
// handle in the window layer; opaque to the engine).
using ExportReceiver = uintptr_t;

// 0x50001: an export job.
struct ExportJob {
    ExportReceiver receiver = 0;
    std::string outputPath;
    int32_t optionValue = 0; // carried for the dialog, never read by the engine
    int32_t fadeIn = 0;
    int32_t fadeOut = 0;
    int32_t level = 1000;    // target peak in thousandths of full scale
    int32_t firstMeasure = 0;
    int32_t count = 0;       // measures that will be exported
    std::vector<JumpPair> jumps;
};
struct StartExport { ExportJob job; };
struct CancelExport {};
struct ExportStep {};
// 0x60001: hold background work back for up to 3000 ms.
struct HoldBackground {};
// 0x60002: free the memory cache and clear the disk cache.
struct ClearCaches {};
// -1: end the worker.
struct End {};

using EngineCommand = std::variant<OutputBufferDone, InputBufferFull, SetTempo, SetSwapSize, SwitchSwap, IdleReport,
                                   SetSlot, InsertMeasures, RemoveMeasures, FreeMemoryCache, DeleteSampleCache, PlaySong,
                                   PlaySongWithJumps, Preview, Stop, LoopOn, LoopOff, SetChannelGain, StartRecording,
                                   EndRecording, OpenRecordingFile, CloseRecordingFile, SetJumps, InsertEnvelopePoint,
                                   SetEnvelopePoint, DeleteEnvelopePoint, StartExport, CancelExport, ExportStep,
                                   HoldBackground, ClearCaches, End>;

namespace detail {

template <typename T>
inline constexpr CommandCode kCodeOf = CommandCode::End;

#define BM_CODE(Type) template <> inline constexpr CommandCode kCodeOf<Type> = CommandCode::Type;
BM_CODE(OutputBufferDone)
BM_CODE(InputBufferFull)
BM_CODE(SetTempo)
BM_CODE(SetSwapSize)
BM_CODE(SwitchSwap)
BM_CODE(IdleReport)
BM_CODE(SetSlot)
BM_CODE(InsertMeasures)
BM_CODE(RemoveMeasures)
BM_CODE(FreeMemoryCache)
BM_CODE(DeleteSampleCache)
BM_CODE(PlaySong)
BM_CODE(PlaySongWithJumps)
BM_CODE(Preview)
BM_CODE(Stop)
BM_CODE(LoopOn)
BM_CODE(LoopOff)
BM_CODE(SetChannelGain)
BM_CODE(StartRecording)
BM_CODE(EndRecording)
BM_CODE(OpenRecordingFile)
BM_CODE(CloseRecordingFile)
BM_CODE(SetJumps)
BM_CODE(InsertEnvelopePoint)
BM_CODE(SetEnvelopePoint)
BM_CODE(DeleteEnvelopePoint)
BM_CODE(StartExport)
BM_CODE(CancelExport)
BM_CODE(ExportStep)
BM_CODE(HoldBackground)
BM_CODE(ClearCaches)
BM_CODE(End)
#undef BM_CODE

} // namespace detail

// The code of a command record, as the command table numbers it.
inline CommandCode CodeOf(const EngineCommand& command)
{
    return std::visit([](const auto& c) { return detail::kCodeOf<std::decay_t<decltype(c)>>; }, command);
}

// Where the song side, the start-up and the window post their commands. The
// engine's queue implements it; tests use a recorder.
class EngineClient {
public:
    virtual ~EngineClient() = default;
    // Any thread.
    virtual void Post(EngineCommand command) = 0;
};

// Keeps every posted command in order (tests, and callers that want to see
// what an operation posted).
class RecordingEngineClient : public EngineClient {
public:
    void Post(EngineCommand command) override { posted.push_back(std::move(command)); }
    std::vector<EngineCommand> posted;
};

} // namespace bm::engine

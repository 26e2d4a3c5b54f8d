#include "engine/EngineCommand.h"

namespace bm::engine {

namespace {

template <typename T>
constexpr CommandCode kCodeOf = CommandCode::End;

#define BM_CODE(Type) template <> constexpr CommandCode kCodeOf<Type> = CommandCode::Type;
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

} // namespace

CommandCode CodeOf(const EngineCommand& command)
{
    return std::visit([](const auto& c) { return kCodeOf<std::decay_t<decltype(c)>>; }, command);
}

} // namespace bm::engine

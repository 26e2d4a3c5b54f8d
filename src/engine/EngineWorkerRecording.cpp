// The engine worker's recording from the wave input.

#include "engine/EngineWorker.h"

namespace bm::engine {

void EngineWorker::OnRecordingCommand(const EngineCommand&) {}

} // namespace bm::engine

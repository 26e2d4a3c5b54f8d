// The engine worker's export of the song to a wave file.

#include "engine/EngineWorker.h"

namespace bm::engine {

void EngineWorker::OnExportCommand(const EngineCommand&) {}

} // namespace bm::engine

#pragma once

// The record dialog's readings taken from the engine worker's published
// values.

#include "engine/EngineWorker.h"
#include "ui/dialogs/RecordDialog.h"

namespace bm::dialogs {

class EngineRecordingReadout : public RecordingReadout {
public:
    explicit EngineRecordingReadout(const engine::EngineWorker& worker) : m_worker(worker) {}
    int32_t InputLeft() const override { return m_worker.InputLeft(); }
    int32_t InputRight() const override { return m_worker.InputRight(); }
    uint32_t RecordedBytes() const override { return m_worker.RecordedBytes(); }
    double FreeSpace() const override { return m_worker.FreeSpace(); }

private:
    const engine::EngineWorker& m_worker;
};

} // namespace bm::dialogs

// The engine worker's recording from the wave input: monitoring (the input
// runs, its buffers are metered and handed back), writing (each full input
// buffer is appended to "rec_0000.wav" in the temporary folder), and the
// values published for the record display. The input callback only posts
// 0x10002; every file operation happens here, on the worker thread.

#include "engine/EngineWorker.h"

#include "platform/SystemInfo.h"

#include <unistd.h>

#include <algorithm>
#include <span>

namespace bm::engine {

namespace {

constexpr const char* kRecordingFileName = "rec_0000.wav";

// Free bytes for this user on the drive holding `folder`; 0 when the folder
// cannot be queried (missing, no permission).
double FreeBytes(const std::string& folder)
{
    const int64_t bytes = folder.empty() ? -1 : platform::FreeDiskSpace(folder);
    return bytes < 0 ? 0.0 : double(bytes);
}

} // namespace

void EngineWorker::OnRecordingCommand(const EngineCommand& command)
{
    switch (CodeOf(command)) {
    case CommandCode::InputBufferFull:
        OnInputBufferFull(std::get<InputBufferFull>(command).index);
        break;
    case CommandCode::StartRecording:
        OnStartRecording();
        break;
    case CommandCode::EndRecording:
        OnEndRecording();
        break;
    case CommandCode::OpenRecordingFile:
        OnOpenRecordingFile();
        break;
    case CommandCode::CloseRecordingFile:
        OnCloseRecordingFile();
        break;
    default:
        break;
    }
}

std::string EngineWorker::RecordingPath() const { return TemporaryFolder() + kRecordingFileName; }

void EngineWorker::PublishFreeSpace() { m_freeSpace.store(FreeBytes(TemporaryFolder()), std::memory_order_relaxed); }

// 0x30008: start monitoring the input (nothing is written yet).
void EngineWorker::OnStartRecording()
{
    // A file still being written belongs to the run that ends here; its
    // handle must not outlive the delete below (writes would go to a file
    // that no longer has a name).
    m_recording.Close();
    ::unlink(RecordingPath().c_str());
    if (!StartPlayback(m_mode.load() | kModeRecording)) {
        const int32_t mode = m_mode.load();
        if ((mode & kModeRecording) != 0) {
            if (m_input)
                m_input->Close();
            m_mode.store(mode & 3);
        }
        StopPlayback();
        return;
    }
    m_inputLeft.store(0, std::memory_order_relaxed);
    m_inputRight.store(0, std::memory_order_relaxed);
    m_recordedBytes.store(0, std::memory_order_relaxed);
    PublishFreeSpace();
    m_positions.Clear();
    // StartPlayback opened the input (or started it when it ran already):
    // begin with a clean ring. Buffers returned by the reset report once
    // more; those reports find the buffers queued again and are ignored.
    m_input->Reset();
    for (int i = 0; i < device::kInputBufferCount; ++i)
        m_input->Add(i);
    m_input->Start();
}

// 0x30009: stop monitoring; playback that runs beside it goes on.
void EngineWorker::OnEndRecording()
{
    const int32_t mode = m_mode.load();
    if ((mode & kModeRecording) != 0) {
        if (m_input)
            m_input->Close();
        m_mode.store(mode & 3);
    }
    // Without input nothing more can be written: finish the file.
    m_recording.Close();
    if ((m_mode.load() & 3) == kModeIdle)
        StopPlayback();
}

// 0x3000A: start writing a fresh recording file.
void EngineWorker::OnOpenRecordingFile()
{
    if (m_mode.load() == (kModePreview | kModeRecording))
        StopPlayback(); // keeps the record bit
    m_recording.Close();
    if (m_recording.Create(RecordingPath())) {
        m_recording.SetDataSize(0);
        m_recording.Seek(0);
        m_recordedBytes.store(0, std::memory_order_relaxed);
    }
    // When the file cannot be created there is no stream: buffers are
    // only metered.
    PublishFreeSpace();
}

// 0x3000B: stop writing; the file keeps what was written.
void EngineWorker::OnCloseRecordingFile()
{
    m_recording.Close();
    PublishFreeSpace();
}

// 0x10002: input buffer `index` is full (or was returned by a reset).
void EngineWorker::OnInputBufferFull(int32_t index)
{
    if ((m_mode.load() & kModeRecording) == 0 || !m_input || index < 0 || index >= device::kInputBufferCount)
        return;
    // A report from a reset may arrive after the buffer was handed to the
    // device again; its data is then the device's, not ours.
    if (!m_input->IsOpen() || !m_input->IsDone(index))
        return;
    const std::span<const int16_t> data = m_input->Data(index);
    const int64_t bytes = std::min<int64_t>(m_input->BytesRecorded(index), int64_t(data.size()) * 2) / 4 * 4;
    if (m_recording.IsOpen()) {
        if (bytes > 0 && !m_recording.Write(data.data(), bytes)) {
            // The disk is full or failing: keep the header at what was
            // written; later buffers try again.
            m_recording.SetDataSize(m_recording.Position());
        }
        if (index == 0) {
            m_recordedBytes.store(uint32_t(m_recording.Length()), std::memory_order_relaxed);
            PublishFreeSpace();
        }
    }
    if (bytes >= 4) {
        m_inputLeft.store(data[0], std::memory_order_relaxed);
        m_inputRight.store(data[1], std::memory_order_relaxed);
    }
    m_input->Add(index);
}

} // namespace bm::engine

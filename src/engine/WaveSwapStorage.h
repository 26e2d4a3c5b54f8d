#pragma once

// The swap file written directly with positioned reads and writes.
//
// Threads: the engine worker only.

#include "engine/SwapStorage.h"

namespace bm::engine {

class WaveSwapStorage final : public SwapStorage {
public:
    ~WaveSwapStorage() override;
    bool Create(const std::string& path) override;
    bool SetDataSize(int64_t bytes) override;
    bool Write(int64_t offset, const void* data, size_t bytes) override;
    bool Read(int64_t offset, void* data, size_t bytes) override;
    void Close() override;

private:
    bool WriteSizes();
    int m_fd = -1;
    int64_t m_dataSize = 0;
};

} // namespace bm::engine

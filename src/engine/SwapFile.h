#pragma once

// The swap file: pre-rendered measures of the song kept on disk, measure a
// at data byte a × M × 4, so playback can read instead of render. Switching
// on picks the temporary folder's first free name "temp_" + three or more
// lower-case hexadecimal digits + ".wav" (temp_000.wav, temp_001.wav, ...),
// creates it and sizes it; switching off closes and deletes it.
//
// Threads: the engine worker only.

#include "engine/SwapStorage.h"

#include <cstdint>
#include <memory>
#include <string>

namespace bm::engine {

class SwapFile {
public:
    explicit SwapFile(std::unique_ptr<SwapStorage> storage);
    ~SwapFile();

    // 0 on success, -1 when the file could not be created, -2 when it could
    // not be sized (the file is deleted again on failure).
    int SwitchOn(const std::string& temporaryFolder, int64_t dataBytes);
    // 0, or -1 when the file could not be deleted.
    int SwitchOff();
    bool IsOpen() const { return m_open; }
    const std::string& Path() const { return m_path; }

    bool SetDataSize(int64_t bytes);
    bool WriteMeasures(int32_t first, int32_t count, int32_t samplesPerMeasure, const int16_t* samples);
    bool ReadMeasure(int32_t measure, int32_t samplesPerMeasure, int16_t* samples);

    // "temp_" + lower-case hexadecimal of `number`, at least three digits, ".wav".
    static std::string NameFor(int number);
    // The first free name in the folder, or empty when none is free.
    static std::string FirstFreePath(const std::string& temporaryFolder);

private:
    std::unique_ptr<SwapStorage> m_storage;
    bool m_open = false;
    std::string m_path;
};

} // namespace bm::engine

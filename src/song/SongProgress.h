#pragma once

// Where the song reader and writer report how far they are (the main
// window's progress bar). Called on the thread that reads or writes.

namespace bm {

class SongProgress {
public:
    virtual ~SongProgress() = default;
    // 0 to 100; 0 again when the read or write is over.
    virtual void SetProgress(int percent) = 0;
};

} // namespace bm

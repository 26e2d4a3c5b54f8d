// Feeds arbitrary bytes to the song file reader, into the current song (with
// a recording engine) and into the clipboard, against a small library, and
// writes whatever was read again.

#include "FuzzLibrary.h"
#include "engine/EngineCommand.h"
#include "song/SongReader.h"
#include "song/SongWriter.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bm::SampleLibrary library = bm::fuzz::MakeLibrary();
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    bm::engine::RecordingEngineClient engine;
    bm::SongReader reader(library, {"/nonexistent/"}, "/nonexistent/", {.engine = &engine});
    bm::Song song;
    reader.ReadSongText(text, "fuzz.ncp", song);
    bm::SongFragment clipboard;
    reader.ReadClipboardText(text, clipboard);
    bm::SongWriter writer(library, {"/nonexistent/"}, "/nonexistent/");
    (void)writer.Format(song, bm::SongWriteMode::AsDocument);
    return 0;
}

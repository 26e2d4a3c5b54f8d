// Feeds arbitrary bytes to the song file reader, into the current song (with
// a recording engine) and into the clipboard, against a small library, and
// writes whatever was read again.

#include "engine/EngineCommand.h"
#include "song/SongReader.h"
#include "song/SongWriter.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

bm::SampleLibrary MakeLibrary()
{
    bm::SampleLibrary library;
    bm::LibraryStyle style;
    style.name = "Pop";
    bm::LibraryGroup group;
    group.name = "Drums";
    bm::LibraryPart part;
    part.name = "Beat";
    bm::LibraryChord chord;
    chord.name = "C";
    bm::LibraryEntry entry;
    entry.variants[0] = {"kick", "1", "drums/kick1.wav", "loop", 81408, 0, 0, 0};
    entry.variants[3] = {"kick", "2", "drums/kick2.wav", "loop", 40704, 0, 0, 0};
    chord.entries = {entry, bm::LibraryEntry{}};
    part.chords = {chord};
    group.parts = {part};
    style.groups = {group};
    library.styles = {style};
    return library;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bm::SampleLibrary library = MakeLibrary();
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

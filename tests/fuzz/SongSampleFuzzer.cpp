// Feeds arbitrary bytes as a song used as a sample: the model it is read
// into, re-timed to a span taken from the input, the measures it delivers
// (bounded as rendering bounds them) and the import size estimate.

#include "engine/SongSampleModel.h"
#include "FuzzLibrary.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bm::SampleLibrary library = bm::fuzz::MakeLibrary();
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    (void)bm::engine::EstimateSongImportBytes(text);
    bm::engine::SongSampleModel model;
    if (!bm::engine::ReadSongSampleModel(text, "fuzz.ncp", library, {"/nonexistent/"}, "/nonexistent/", model))
        return 0;
    const int64_t span = size >= 4 ? int64_t(data[0]) << 16 | int64_t(data[1]) << 8 | data[2] : 81408;
    const int64_t measure = span / std::max(1, model.song.measuresPerBar);
    if (measure < 1)
        return 0;
    bm::engine::RetimeSongSample(model.song, int32_t(measure));
    std::vector<int32_t> measures;
    bm::engine::OutputMeasures(model.song, model.regions, 1 << 20, measures);
    return 0;
}

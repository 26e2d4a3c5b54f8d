#include "engine/SongSampleModel.h"

#include "core/Text.h"
#include "song/SongFile.h"
#include "song/SongModel.h"
#include "song/SongReader.h"

#include <algorithm>
#include <limits>

namespace bm::engine {

namespace {

// What the worker keeps of a mirrored slot path and envelope list (longer
// paths are cut, further points refused), so a song used as a sample plays
// as the same song would as the current song.
constexpr size_t kMaxSlotPathLength = 255;
constexpr size_t kMaxEnvelopeNodes = size_t(1) << 16;

int32_t Saturate(int64_t value)
{
    return int32_t(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

// value × to / from, truncated toward zero; exact for every 32-bit value
// and measure length (the product fits in 64 bits).
int32_t Rescale(int32_t value, int64_t to, int64_t from) { return Saturate(int64_t(value) * to / from); }

int64_t SaturatingAdd(int64_t a, int64_t b)
{
    int64_t sum = 0;
    if (__builtin_add_overflow(a, b, &sum))
        return b > 0 ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min();
    return sum;
}

int64_t SaturatingSubtract(int64_t a, int64_t b)
{
    int64_t difference = 0;
    if (__builtin_sub_overflow(a, b, &difference))
        return b < 0 ? std::numeric_limits<int64_t>::max() : std::numeric_limits<int64_t>::min();
    return difference;
}

} // namespace

bool HasSongSampleVersion(std::string_view text)
{
    LineReader lines(text);
    std::string_view line;
    return lines.Next(line) && StartsWith(line, kKeyVersion) &&
           line.substr(std::string_view(kKeyVersion).size()) == kSongVersion;
}

bool ReadSongSampleModel(std::string_view text, const std::string& path, const SampleLibrary& library,
                         std::vector<std::string> folders, const std::string& programFolder, SongSampleModel& model,
                         Error* error)
{
    if (!HasSongSampleVersion(text))
        return Fail(error, "not a song file of version " + std::string(kSongVersion) + ": " + path);
    Song song;
    SongReader reader(library, std::move(folders), programFolder);
    if (!reader.ReadSongText(text, path, song, error))
        return false;
    model.song = EngineSongOf(song, library);
    model.regions = std::move(song.regions);
    return true;
}

EngineSong EngineSongOf(const Song& song, const SampleLibrary& library)
{
    EngineSong out;
    out.samplesPerMeasure = song.samplesPerMeasure;
    out.measuresPerBar = song.measuresPerBar;
    out.measures.resize(song.measures.size());
    for (size_t m = 0; m < song.measures.size(); ++m) {
        for (int c = 0; c < kChannels; ++c) {
            if (song.measures[m].slots[size_t(c)].IsEmpty())
                continue;
            const SetSlot command = SlotCommand(song, library, int(m), c);
            EngineSlot& slot = out.measures[m].slots[size_t(c)];
            slot.path = command.path.substr(0, kMaxSlotPathLength);
            slot.start = command.start;
            slot.length = command.sampleLength;
            slot.reverse = command.reverse;
            slot.key = command.ref;
        }
    }
    for (size_t c = 0; c < size_t(kChannels); ++c) {
        out.channelGain[c] = song.channelOn[c] ? song.channelVolume[c] : 0;
        for (size_t k = 0; k < size_t(kEnvelopeKinds); ++k) {
            const Envelope& from = song.envelopes[c][k];
            EnvelopeNodes& to = out.envelopes[c][k];
            const size_t n = std::min(from.size(), kMaxEnvelopeNodes);
            to.reserve(n);
            for (size_t i = 0; i < n; ++i)
                to.push_back({from[i].position, from[i].value});
        }
    }
    return out;
}

void RetimeSongSample(EngineSong& song, int32_t samplesPerMeasure)
{
    const int64_t from = std::max(1, song.samplesPerMeasure);
    const int64_t to = std::max(1, samplesPerMeasure);
    for (EngineMeasure& measure : song.measures) {
        for (EngineSlot& slot : measure.slots) {
            if (!slot.IsEmpty())
                slot.start = Rescale(slot.start, to, from);
        }
    }
    for (auto& channel : song.envelopes) {
        for (EnvelopeNodes& envelope : channel) {
            for (EnvelopeNode& node : envelope)
                node.position = Rescale(node.position, to, from);
        }
    }
    song.samplesPerMeasure = int32_t(to);
}

bool OutputMeasures(const EngineSong& song, const std::vector<Region>& regions, int64_t limit,
                    std::vector<int32_t>& out)
{
    out.clear();
    const int32_t count = song.MeasureCount();
    if (regions.empty()) {
        if (count > limit)
            return false;
        out.resize(size_t(count));
        for (int32_t m = 0; m < count; ++m)
            out[size_t(m)] = m;
        return true;
    }
    for (const Region& region : regions) {
        const int32_t first = std::max(region.start, 0);
        const int32_t last = std::min(region.end, count - 1);
        if (first > last)
            continue;
        if (int64_t(out.size()) + (int64_t(last) - first + 1) > limit) {
            out.clear();
            return false;
        }
        for (int32_t m = first; m <= last; ++m)
            out.push_back(m);
    }
    return true;
}

int64_t EstimateSongImportBytes(std::string_view text)
{
    bool versionSeen = false;
    int64_t samplesPerMeasure = 1000;
    int64_t regionTotal = 0;
    int64_t measures = 0;
    LineReader lines(text);
    std::string_view line;
    while (lines.Next(line)) {
        if (StartsWith(line, kKeyVersion)) {
            if (!versionSeen && line.substr(std::string_view(kKeyVersion).size()) != kSongVersion)
                return 0;
            versionSeen = true;
        } else if (StartsWith(line, kKeySamplesPerMeasure)) {
            samplesPerMeasure = ParseDecimal64(line.substr(std::string_view(kKeySamplesPerMeasure).size()));
        } else if (StartsWith(line, kKeyRegion)) {
            const std::string_view rest = line.substr(std::string_view(kKeyRegion).size());
            if (rest.find('e') == std::string_view::npos)
                continue;
            size_t pos = 0;
            const int64_t start = ParseDecimal64(NextWord(rest, pos));
            const int64_t end = ParseDecimal64(NextWord(rest, pos));
            // Hostile numbers saturate instead of wrapping.
            regionTotal = SaturatingAdd(regionTotal, SaturatingAdd(SaturatingSubtract(end, start), 1));
        } else if (StartsWith(line, kKeyMeasure)) {
            ++measures;
        }
    }
    if (!versionSeen)
        return 0;
    const int64_t delivered = regionTotal != 0 ? std::min(regionTotal, measures) : measures;
    int64_t bytes = 0;
    if (delivered <= 0 || samplesPerMeasure <= 0 || __builtin_mul_overflow(delivered, samplesPerMeasure, &bytes) ||
        __builtin_mul_overflow(bytes, int64_t(4), &bytes))
        return delivered > 0 && samplesPerMeasure > 0 ? std::numeric_limits<int64_t>::max() / 4 * 4 : 0;
    return bytes;
}

} // namespace bm::engine

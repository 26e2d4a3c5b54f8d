#include "song/SongReader.h"

#include "core/File.h"
#include "core/Text.h"
#include "library/SampleResolver.h"
#include "song/MeasureEditing.h"
#include "song/SongModel.h"

#include <algorithm>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <unordered_map>

namespace bm {

namespace {

int32_t NextNumber(std::string_view text, size_t& pos) { return ParseDecimal(NextWord(text, pos)); }

struct SlotTextsHash {
    size_t operator()(const SlotTexts& t) const
    {
        std::hash<std::string> h;
        size_t seed = 0;
        for (const std::string* s : {&t.style, &t.group, &t.part, &t.chord, &t.first, &t.second, &t.path, &t.fourth})
            seed ^= h(*s) + 0x9E3779B97F4A7C15ull + (seed << 6) + (seed >> 2);
        return seed;
    }
};

struct ResolvedNames {
    SampleRef ref;
    std::shared_ptr<const StoredSlotNames> names;
};

// Resolves slot texts against the library, each distinct set once. The
// resolver itself (which works out every variant's full path) is only built
// when the first slot line comes.
class NameCache {
public:
    NameCache(const SampleLibrary& library, const std::vector<std::string>& folders, const std::string& programFolder)
        : m_library(library), m_folders(folders), m_programFolder(programFolder)
    {
    }

    const ResolvedNames& Resolve(SlotTexts texts)
    {
        auto found = m_cache.find(texts);
        if (found != m_cache.end())
            return found->second;
        if (!m_resolver)
            m_resolver.emplace(m_library, m_folders, m_programFolder);
        const Resolution resolution = m_resolver->Resolve(texts, FuzzySearch::Allowed);
        // Nothing matched at all: a reference to no sample rather than the
        // all-zero reference, which would name the library's first sample.
        const SampleRef ref = resolution.score > 0 ? resolution.ref : UnresolvedRef();
        auto names = std::make_shared<const StoredSlotNames>(StoredSlotNames{texts, ref});
        return m_cache.emplace(std::move(texts), ResolvedNames{ref, std::move(names)}).first->second;
    }

    int64_t Size() const { return static_cast<int64_t>(m_cache.size()); }

private:
    const SampleLibrary& m_library;
    const std::vector<std::string>& m_folders;
    const std::string& m_programFolder;
    std::optional<SampleResolver> m_resolver;
    std::unordered_map<SlotTexts, ResolvedNames, SlotTextsHash> m_cache;
};

// A skip line may name any number; keep the cursor in a range where adding
// cannot overflow (anything outside 0 to 11 is ignored anyway).
int64_t MoveCursor(int64_t cursor, int64_t by)
{
    constexpr int64_t kLimit = int64_t(1) << 40;
    return std::clamp<int64_t>(std::clamp<int64_t>(by, -kLimit, kLimit) + cursor, -kLimit, kLimit);
}

} // namespace

SongReader::SongReader(const SampleLibrary& library, std::vector<std::string> folders, std::string programFolder,
                       SongObservers observers)
    : m_library(library), m_folders(std::move(folders)), m_programFolder(std::move(programFolder)),
      m_observers(std::move(observers))
{
}

void SongReader::ClearForReading(Song& song)
{
    engine::EngineClient* engine = m_observers.engine;
    if (engine)
        engine->Post(engine::Stop{});
    RemoveMeasures(song, 0, static_cast<int64_t>(song.measures.size()), engine);
    // Removing every measure removes every point; a song without measures
    // may still hold stray points, which the engine learns of going too.
    for (int c = 0; c < kChannels; ++c) {
        for (int k = 0; k < kEnvelopeKinds; ++k) {
            Envelope& envelope = song.envelopes[size_t(c)][size_t(k)];
            for (size_t i = envelope.size(); i > 0; --i) {
                if (engine)
                    engine->Post(engine::DeleteEnvelopePoint{c, k, int32_t(i - 1)});
            }
            envelope.clear();
        }
    }
    song.regions.clear();
    for (int c = 0; c < kChannels; ++c)
        SetChannelState(song, c, 1, kDefaultChannelVolume, engine);
}

bool SongReader::ReadSong(const std::string& path, Song& song, Error* error)
{
    m_stats = {};
    ClearForReading(song);
    std::string text;
    if (!ReadWholeFile(path, text, uint64_t(1) << 31, error))
        return false;
    return Parse(text, path, &song, nullptr, error);
}

bool SongReader::ReadSongText(std::string_view text, const std::string& path, Song& song, Error* error)
{
    m_stats = {};
    ClearForReading(song);
    return Parse(text, path, &song, nullptr, error);
}

bool SongReader::ReadClipboard(const std::string& path, SongFragment& clipboard, Error* error)
{
    m_stats = {};
    clipboard.Clear();
    std::string text;
    if (!ReadWholeFile(path, text, uint64_t(1) << 31, error))
        return false;
    return Parse(text, path, nullptr, &clipboard, error);
}

bool SongReader::ReadClipboardText(std::string_view text, SongFragment& clipboard, Error* error)
{
    m_stats = {};
    clipboard.Clear();
    return Parse(text, std::string(), nullptr, &clipboard, error);
}

bool SongReader::Parse(std::string_view text, const std::string& path, Song* song, SongFragment* clipboard,
                       Error* error)
{
    // Where the file's pieces go: the current song (mirrored to the engine)
    // or the clipboard (nothing posted).
    std::vector<Measure>& measures = song ? song->measures : clipboard->measures;
    ChannelEnvelopes& envelopes = song ? song->envelopes : clipboard->envelopes;
    int32_t samplesPerMeasure = song ? song->samplesPerMeasure : kDefaultSamplesPerMeasure;
    int32_t measuresPerBar = song ? song->measuresPerBar : kDefaultMeasuresPerBar;
    engine::EngineClient* engine = song ? m_observers.engine : nullptr;
    SongProgress* progress = song ? m_observers.progress : nullptr;

    NameCache names(m_library, m_folders, m_programFolder);
    int64_t expectedMeasures = 64;
    int64_t cursor = 0;
    bool ok = true;
    LineReader lines(text);
    std::string_view line;
    while (lines.Next(line)) {
        if (StartsWith(line, kKeyVersion)) {
            const std::string_view version = line.substr(std::string_view(kKeyVersion).size());
            if (version != kSongVersion) {
                ok = Fail(error, "song file version \"" + std::string(version.substr(0, 32)) + "\" is not " +
                                     kSongVersion, lines.LineNumber());
                break;
            }
        } else if (StartsWith(line, kKeySize)) {
            expectedMeasures = ParseDecimal64(line.substr(std::string_view(kKeySize).size()));
            m_stats.declaredMeasures = expectedMeasures;
        } else if (StartsWith(line, kKeySamplesPerMeasure)) {
            // Every position is measured in measures of this length; a
            // length below one frame is read as one frame.
            samplesPerMeasure = std::max(1, ParseDecimal(line.substr(std::string_view(kKeySamplesPerMeasure).size())));
        } else if (StartsWith(line, kKeyMeasuresPerBar)) {
            measuresPerBar = std::max(1, ParseDecimal(line.substr(std::string_view(kKeyMeasuresPerBar).size())));
            if (song) {
                song->samplesPerMeasure = samplesPerMeasure;
                song->measuresPerBar = measuresPerBar;
                if (engine)
                    engine->Post(engine::SetTempo{samplesPerMeasure, measuresPerBar});
                if (m_observers.refreshStatus)
                    m_observers.refreshStatus();
            }
        } else if (StartsWith(line, kKeyPath)) {
            size_t pos = 0;
            m_stats.documentPath = QuotedField(line, pos);
            m_stats.hadPath = true;
        } else if (StartsWith(line, kKeyVolume)) {
            size_t pos = std::string_view(kKeyVolume).size();
            const int32_t channel = NextNumber(line, pos);
            const int32_t volume = NextNumber(line, pos);
            const int32_t on = NextNumber(line, pos);
            if (channel < 0 || channel >= kChannels) {
                ++m_stats.ignoredLines;
            } else if (song) {
                SetChannelState(*song, channel, on != 0 ? 1 : 0, volume, engine);
                song->channelMuted[size_t(channel)] = on == 0;
            }
        } else if (StartsWith(line, kKeyRegion)) {
            size_t pos = std::string_view(kKeyRegion).size();
            Region region;
            region.start = NextNumber(line, pos);
            region.end = NextNumber(line, pos);
            region.on = line.substr(pos).find('e') != std::string_view::npos;
            if (song)
                song->regions.push_back(region);
        } else if (StartsWith(line, kKeyEnvelopePoint)) {
            size_t pos = std::string_view(kKeyEnvelopePoint).size();
            const int32_t kind = NextNumber(line, pos);
            const int32_t channel = NextNumber(line, pos);
            EnvelopePoint point;
            point.position = NextNumber(line, pos);
            point.value = NextNumber(line, pos);
            point.selected = NextNumber(line, pos);
            if (kind < 0 || kind >= kEnvelopeKinds || channel < 0 || channel >= kChannels) {
                ++m_stats.ignoredLines;
                continue;
            }
            Envelope& envelope = envelopes[size_t(channel)][size_t(kind)];
            envelope.push_back(point);
            if (clipboard)
                clipboard->inUse[size_t(channel)][size_t(kind)] = 1;
            if (engine)
                engine->Post(engine::InsertEnvelopePoint{channel, kind, int32_t(envelope.size() - 1), point.position,
                                                         point.value});
        } else if (StartsWith(line, kKeyMeasure)) {
            if (static_cast<int64_t>(measures.size()) >= kMaxSongMeasures) {
                ok = Fail(error, "song file holds more than " + std::to_string(kMaxSongMeasures) + " measures",
                          lines.LineNumber());
                break;
            }
            const auto index = static_cast<int32_t>(measures.size());
            measures.emplace_back();
            cursor = 0;
            if (engine)
                engine->Post(engine::InsertMeasures{index, 1});
            if (progress)
                progress->SetProgress(
                    static_cast<int>(std::clamp<int64_t>(100 * int64_t(index) / std::max<int64_t>(1, expectedMeasures),
                                                         0, 100)));
        } else if (line.front() == '"') {
            if (measures.empty() || cursor < 0 || cursor >= kChannels) {
                ++m_stats.ignoredLines;
                cursor = MoveCursor(cursor, 1);
                continue;
            }
            std::vector<std::string> fields = QuotedFields(line, 11);
            SlotTexts texts{std::move(fields[0]), std::move(fields[1]), std::move(fields[2]), std::move(fields[3]),
                            std::move(fields[4]), std::move(fields[5]), std::move(fields[6]),
                            std::move(fields[7])};
            const ResolvedNames& resolved = names.Resolve(std::move(texts));
            ChannelSlot& slot = measures.back().slots[size_t(cursor)];
            slot.ref = resolved.ref;
            slot.storedNames = resolved.names;
            slot.selected = ParseDecimal(fields[8]);
            slot.start = ParseDecimal(fields[9]);
            slot.reverse = ParseDecimal(fields[10]);
            ++m_stats.slots;
            if (resolved.ref.Style() == kUnresolvedStyle)
                ++m_stats.unresolvedSlots;
            if (song && engine)
                NotifySlot(*song, m_library, static_cast<int>(measures.size() - 1), static_cast<int>(cursor), *engine,
                           MutedChannel::Leave);
            cursor = MoveCursor(cursor, 1);
        } else if (line.front() == '+') {
            cursor = MoveCursor(cursor, ParseDecimal64(line.substr(1)));
        } else {
            ++m_stats.ignoredLines;
        }
    }
    m_stats.distinctNames = names.Size();
    m_stats.measures = static_cast<int64_t>(measures.size());
    if (clipboard) {
        clipboard->samplesPerMeasure = samplesPerMeasure;
        clipboard->measuresPerBar = measuresPerBar;
    } else {
        song->samplesPerMeasure = samplesPerMeasure;
        song->measuresPerBar = measuresPerBar;
    }
    if (!ok) {
        if (progress)
            progress->SetProgress(0);
        return false;
    }

    // Every curve needs a start and an end point: lists with fewer than two
    // get rest points at 0 and at the end of the first measure.
    for (int k = 0; k < kEnvelopeKinds; ++k) {
        for (int c = 0; c < kChannels; ++c) {
            Envelope& envelope = envelopes[size_t(c)][size_t(k)];
            if (envelope.size() >= 2)
                continue;
            const int32_t rest = EnvelopeRestValue(k);
            envelope.insert(envelope.begin(), EnvelopePoint{0, rest, 0});
            if (engine)
                engine->Post(engine::InsertEnvelopePoint{c, k, 0, 0, rest});
            envelope.push_back(EnvelopePoint{samplesPerMeasure - 1, rest, 0});
            if (engine)
                engine->Post(engine::InsertEnvelopePoint{c, k, int32_t(envelope.size() - 1), samplesPerMeasure - 1,
                                                         rest});
        }
    }
    if (progress)
        progress->SetProgress(0);
    if (song) {
        song->path = m_stats.hadPath ? m_stats.documentPath : path;
        song->unchanged = true;
        if (m_observers.startSong)
            *m_observers.startSong = song->path;
    }
    return true;
}

} // namespace bm

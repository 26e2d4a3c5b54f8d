#include "song/SongWriter.h"

#include "core/File.h"
#include "core/Text.h"
#include "song/SongModel.h"

#include <optional>
#include <unordered_map>

namespace bm {

namespace {

void AppendNumbers(std::string& out, std::initializer_list<int64_t> numbers)
{
    bool first = true;
    for (int64_t n : numbers) {
        if (!first)
            out.push_back(' ');
        out.append(std::to_string(n));
        first = false;
    }
}

void AppendField(std::string& out, std::string_view text)
{
    out.push_back('"');
    out.append(text);
    out.append("\"  ");
}

void ReportProgress(SongProgress* progress, int& last, int percent)
{
    if (progress && percent != last) {
        progress->SetProgress(percent);
        last = percent;
    }
}

// The eight texts that name a slot's sample in the file, computed once per
// sample of the library.
class SlotNamer {
public:
    SlotNamer(const SampleLibrary& library, const std::vector<std::string>& folders, const std::string& programFolder)
        : m_library(library), m_folders(folders), m_programFolder(programFolder)
    {
    }

    // Null when the slot cannot be written (its reference addresses no
    // sample and it has no texts of its own that still belong to it).
    const SlotTexts* Names(const ChannelSlot& slot)
    {
        const SampleDescriptor* sample = SlotSample(m_library, slot);
        if (sample == nullptr) {
            if (slot.storedNames && slot.storedNames->ref == slot.ref)
                return &slot.storedNames->texts;
            return nullptr;
        }
        auto found = m_names.find(sample);
        if (found != m_names.end())
            return &found->second;
        const SampleRef& r = slot.ref;
        const auto& style = m_library.styles[size_t(r.Style())];
        const auto& group = style.groups[size_t(r.Group())];
        const auto& part = group.parts[size_t(r.Part())];
        const auto& chord = part.chords[size_t(r.Chord())];
        if (!m_resolver)
            m_resolver.emplace(m_library, m_folders, m_programFolder);
        SlotTexts texts{style.name,         group.name,          part.name,
                        chord.name,         sample->firstText,   sample->secondText,
                        m_resolver->FullPath(sample->path), sample->fourthText};
        return &m_names.emplace(sample, std::move(texts)).first->second;
    }

private:
    const SampleLibrary& m_library;
    const std::vector<std::string>& m_folders;
    const std::string& m_programFolder;
    // Only for its full-path rule, which the song reader compares against.
    std::optional<SampleResolver> m_resolver;
    std::unordered_map<const SampleDescriptor*, SlotTexts> m_names;
};

} // namespace

SongWriter::SongWriter(const SampleLibrary& library, std::vector<std::string> folders, std::string programFolder,
                       SongObservers observers)
    : m_library(library), m_folders(std::move(folders)), m_programFolder(std::move(programFolder)),
      m_observers(std::move(observers))
{
}

std::string SongWriter::Format(const Song& song, SongWriteMode mode)
{
    SongProgress* progress = m_observers.progress;
    int lastPercent = -1;
    std::string out;
    out.reserve(1024 + song.measures.size() * 64);
    std::string line;

    AppendLine(out, std::string(kKeyVersion) + kSongVersion);
    AppendLine(out, kKeySize + std::to_string(song.measures.size()));
    AppendLine(out, kKeySamplesPerMeasure + std::to_string(song.samplesPerMeasure));
    AppendLine(out, kKeyMeasuresPerBar + std::to_string(song.measuresPerBar));
    AppendLine(out, "");
    if (mode == SongWriteMode::AsDocument)
        AppendLine(out, std::string(kKeyPath) + '"' + song.path + '"');
    for (int c = 0; c < kChannels; ++c) {
        line = kKeyVolume;
        AppendNumbers(line, {c, song.channelVolume[size_t(c)], song.channelOn[size_t(c)] ? 1 : 0});
        AppendLine(out, line);
    }
    AppendLine(out, "");
    for (const Region& region : song.regions) {
        line = kKeyRegion;
        AppendNumbers(line, {region.start, region.end});
        line += region.on ? " e" : " d";
        AppendLine(out, line);
    }
    AppendLine(out, "");
    for (int k = 0; k < kEnvelopeKinds; ++k) {
        for (int c = 0; c < kChannels; ++c) {
            for (const EnvelopePoint& p : song.envelopes[size_t(c)][size_t(k)]) {
                line = kKeyEnvelopePoint;
                AppendNumbers(line, {k, c, p.position, p.value, p.selected});
                AppendLine(out, line);
            }
            AppendLine(out, "");
        }
    }
    AppendLine(out, "");
    ReportProgress(progress, lastPercent, 20);

    SlotNamer namer(m_library, m_folders, m_programFolder);
    const size_t measureCount = song.measures.size();
    for (size_t m = 0; m < measureCount; ++m) {
        AppendLine(out, kKeyMeasure);
        int skipped = 0;
        for (const ChannelSlot& slot : song.measures[m].slots) {
            const SlotTexts* names = slot.IsEmpty() ? nullptr : namer.Names(slot);
            if (names == nullptr) {
                ++skipped;
                continue;
            }
            if (skipped > 0)
                AppendLine(out, "+" + std::to_string(skipped));
            skipped = 0;
            line.clear();
            for (const std::string* text : {&names->style, &names->group, &names->part, &names->chord, &names->first,
                                            &names->second, &names->path, &names->fourth})
                AppendField(line, *text);
            AppendField(line, std::to_string(slot.selected));
            AppendField(line, std::to_string(slot.start));
            AppendField(line, std::to_string(slot.reverse));
            AppendLine(out, line);
        }
        AppendLine(out, "");
        ReportProgress(progress, lastPercent, int(20 + 80 * (m + 1) / measureCount));
    }
    AppendLine(out, "");
    ReportProgress(progress, lastPercent, 0);
    return out;
}

bool SongWriter::Write(const Song& song, const std::string& path, SongWriteMode mode, Error* error)
{
    const std::string text = Format(song, mode);
    if (!WriteFileDurably(path, text, error))
        return false;
    if (mode == SongWriteMode::AsDocument && m_observers.startSong)
        *m_observers.startSong = path;
    return true;
}

} // namespace bm

#include "library/LibraryReader.h"

#include "core/File.h"
#include "core/Paths.h"
#include "core/Text.h"

#include <filesystem>
#include <system_error>

namespace bm {

namespace {

// The catalogue is a text file; anything larger than this is not one.
constexpr uint64_t kMaxLibraryFileBytes = uint64_t(1) << 30;

constexpr std::string_view kStyleKey = "%STYLE ";
constexpr std::string_view kGroupKey = "%GROUP ";
constexpr std::string_view kPartKey = "%PART ";
constexpr std::string_view kChordKey = "%CHORD ";

// Lines of the catalogue. The record lines after a key line are taken as
// they stand (only the line end removed), so that names with surrounding
// blanks or empty names survive; key and variant lines are trimmed and empty
// ones skipped.
class Lines {
public:
    explicit Lines(std::string_view text) : m_text(text) {}

    bool NextTrimmed(std::string_view& line)
    {
        std::string_view raw;
        while (NextRaw(raw)) {
            line = Trim(raw);
            if (!line.empty())
                return true;
        }
        return false;
    }

    // The next line without its line end; empty at the end of the text.
    std::string_view RecordLine()
    {
        std::string_view raw;
        return NextRaw(raw) ? raw : std::string_view();
    }

private:
    bool NextRaw(std::string_view& line)
    {
        if (m_pos >= m_text.size())
            return false;
        size_t end = m_text.find('\n', m_pos);
        if (end == std::string_view::npos)
            end = m_text.size();
        line = m_text.substr(m_pos, end - m_pos);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        m_pos = end + 1;
        return true;
    }

    std::string_view m_text;
    size_t m_pos = 0;
};

// A key line: the key with its blank, or the key alone when the first text
// is empty (the trimmed line then lost the blank).
bool MatchKey(std::string_view line, std::string_view key, std::string& firstText)
{
    if (StartsWith(line, key)) {
        firstText = std::string(line.substr(key.size()));
        return true;
    }
    if (line == key.substr(0, key.size() - 1)) {
        firstText.clear();
        return true;
    }
    return false;
}

bool EndsWithNcp(const std::string& path)
{
    return path.size() >= 4 && EqualsIgnoreCase(std::string_view(path).substr(path.size() - 4), ".ncp");
}

SampleDescriptor ParseVariant(std::string_view line, size_t styleIndex, size_t groupIndex)
{
    SampleDescriptor d;
    size_t pos = 0;
    d.firstText = QuotedField(line, pos);
    d.secondText = QuotedField(line, pos);
    d.path = NormaliseSeparators(QuotedField(line, pos));
    d.fourthText = QuotedField(line, pos);
    d.length = ParseDecimal(QuotedField(line, pos));
    d.number2 = ParseDecimal(QuotedField(line, pos));
    if (pos < line.size() && line.size() - pos > 2) {
        d.nominalLength = ParseDecimal(QuotedField(line, pos));
        d.kind = ParseDecimal(QuotedField(line, pos));
    } else {
        d.nominalLength = DefaultNominalLength(d.path, styleIndex);
        d.kind = DefaultKind(d.path, styleIndex, groupIndex);
    }
    return d;
}

} // namespace

int32_t DefaultNominalLength(const std::string& path, size_t styleIndex)
{
    if (!EndsWithNcp(path))
        return 0;
    return styleIndex == 0 ? 75584 : 81408;
}

int32_t DefaultKind(const std::string& path, size_t styleIndex, size_t groupIndex)
{
    if (!EndsWithNcp(path) || styleIndex != 0)
        return 0;
    if (groupIndex <= 1)
        return 1;
    return groupIndex == 2 ? 2 : 3;
}

void ParseLibrary(std::string_view text, SampleLibrary& library)
{
    library = SampleLibrary{};
    LibraryStyle* style = nullptr;
    LibraryGroup* group = nullptr;
    LibraryPart* part = nullptr;
    LibraryChord* chord = nullptr;
    int64_t counter = -1;

    Lines lines(text);
    std::string_view line;
    std::string first;
    while (lines.NextTrimmed(line)) {
        if (MatchKey(line, kStyleKey, first)) {
            style = &library.styles.emplace_back();
            group = nullptr;
            part = nullptr;
            chord = nullptr;
            counter = -1;
            style->firstText = first;
            style->name = std::string(lines.RecordLine());
            style->valueA = ParseDecimal(lines.RecordLine());
            style->valueB = ParseDecimal(lines.RecordLine());
            style->selectedGroup = ParseDecimal(lines.RecordLine());
        } else if (MatchKey(line, kGroupKey, first)) {
            // A group before any style has no place; its lines are read and dropped.
            LibraryGroup record;
            record.firstText = first;
            record.name = std::string(lines.RecordLine());
            for (auto& colour : record.colours)
                colour = ParseHex(lines.RecordLine());
            record.selectedPart = ParseDecimal(lines.RecordLine());
            part = nullptr;
            chord = nullptr;
            counter = -1;
            group = style ? &style->groups.emplace_back(std::move(record)) : nullptr;
        } else if (MatchKey(line, kPartKey, first)) {
            LibraryPart record;
            record.firstText = first;
            record.name = std::string(lines.RecordLine());
            record.factory = ParseDecimal(lines.RecordLine());
            record.displayValue = ParseHex(lines.RecordLine());
            record.selectedChord = ParseDecimal(lines.RecordLine());
            chord = nullptr;
            counter = -1;
            part = group ? &group->parts.emplace_back(std::move(record)) : nullptr;
        } else if (MatchKey(line, kChordKey, first)) {
            LibraryChord record;
            record.firstText = first;
            record.name = std::string(lines.RecordLine());
            record.folder = NormaliseSeparators(lines.RecordLine());
            record.displayValue = ParseHex(lines.RecordLine());
            record.storedPosition = ParseDecimal(lines.RecordLine());
            counter = -1;
            chord = part ? &part->chords.emplace_back(std::move(record)) : nullptr;
        } else if (chord) {
            ++counter;
            const int64_t variant = counter % kVariantsPerEntry;
            if (variant == 0)
                chord->entries.emplace_back();
            if (line != "-") {
                chord->entries.back().variants[static_cast<size_t>(variant)] =
                    ParseVariant(line, library.styles.size() - 1, style->groups.size() - 1);
            }
        }
    }
    NormaliseAllEntries(library);
    library.RestoreSelection();
}

bool ReadLibraryFile(const std::string& path, SampleLibrary& library, const std::string& userFolder, Error* error)
{
    library = SampleLibrary{};
    std::string text;
    if (!ReadWholeFile(path, text, kMaxLibraryFileBytes, error))
        return false;
    ParseLibrary(text, library);
    if (!userFolder.empty())
        CreateChordFolders(library, userFolder);
    return true;
}

bool IsSafeChordFolder(std::string_view folder)
{
    std::string normal = NormaliseSeparators(folder);
    if (normal.empty())
        return true; // the user folder itself
    if (normal.front() == '/')
        return false;
    // A drive letter ("C:") would name another root on the system the
    // catalogue came from.
    if (normal.size() >= 2 && normal[1] == ':')
        return false;
    for (char c : normal) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return false;
    }
    size_t start = 0;
    while (start <= normal.size()) {
        size_t end = normal.find('/', start);
        if (end == std::string::npos)
            end = normal.size();
        if (normal.compare(start, end - start, "..") == 0)
            return false;
        start = end + 1;
    }
    return true;
}

int CreateChordFolders(const SampleLibrary& library, const std::string& userFolder)
{
    int refused = 0;
    for (const auto& style : library.styles) {
        for (const auto& group : style.groups) {
            for (const auto& part : group.parts) {
                for (const auto& chord : part.chords) {
                    if (!IsSafeChordFolder(chord.folder)) {
                        ++refused;
                        continue;
                    }
                    std::error_code ec; // a folder that cannot be made shows up when a file is written there
                    std::filesystem::create_directories(AsFolder(userFolder) + NormaliseSeparators(chord.folder), ec);
                }
            }
        }
    }
    return refused;
}

} // namespace bm

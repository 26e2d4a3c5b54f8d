#include "library/SampleResolver.h"

#include "core/Paths.h"

namespace bm {

namespace {

constexpr int kFullScore = 120;
constexpr int kGroupStopScore = 100;
constexpr int kNamePenalty = 10;

bool IsAny(const std::string& text) { return text == kAnyText; }

bool EndsWith(const std::string& text, const std::string& tail)
{
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

// Compared over the given text's length, as a bounded string comparison does:
// a shorter variant path differs.
bool BeginsWith(const std::string& text, const std::string& head)
{
    return text.size() >= head.size() && text.compare(0, head.size(), head) == 0;
}

SampleRef RefOf(size_t style, size_t group, size_t part, size_t chord, size_t variant, size_t entry)
{
    return SampleRef::Make(static_cast<int32_t>(style), static_cast<int32_t>(group), static_cast<int32_t>(part),
                           static_cast<int32_t>(chord), static_cast<int32_t>(variant), static_cast<int32_t>(entry));
}

} // namespace

SampleResolver::SampleResolver(const SampleLibrary& library, std::vector<std::string> folders,
                               std::string programFolder)
    : m_library(library), m_folders(std::move(folders)), m_programFolder(std::move(programFolder))
{
    m_groupStart.resize(library.styles.size());
    for (size_t s = 0; s < library.styles.size(); ++s) {
        const auto& style = library.styles[s];
        for (const auto& group : style.groups) {
            m_groupStart[s].push_back(m_fullPaths.size());
            for (const auto& part : group.parts) {
                for (const auto& chord : part.chords) {
                    for (const auto& entry : chord.entries) {
                        for (const auto& variant : entry.variants)
                            m_fullPaths.push_back(variant.IsEmpty() ? std::string() : FullPath(variant.path));
                    }
                }
            }
        }
    }
}

std::string SampleResolver::FullPath(const std::string& storedPath) const
{
    if (storedPath.empty())
        return {};
    std::string stored = NormaliseSeparators(storedPath);
    std::string found = FindInFolders(stored, m_folders);
    if (found.empty())
        found = (stored.front() == '/') ? stored : m_programFolder + stored;
    return MakeAbsolute(found);
}

Resolution SampleResolver::Resolve(const SlotTexts& texts, FuzzySearch fuzzy) const
{
    // The given path is turned into a full path the same way as the variants'
    // paths, so that a song's own samples match with every text.
    const bool anyPath = IsAny(texts.path);
    const bool anyFourth = IsAny(texts.fourth);
    const std::string path = anyPath ? texts.path : FullPath(texts.path);

    Resolution best;
    const auto& styles = m_library.styles;

    // First pass: exact style and group, exact sample texts; a differing part
    // or chord name costs 10 points each.
    for (size_t s = 0; s < styles.size(); ++s) {
        const auto& style = styles[s];
        if (style.name != texts.style)
            continue;
        for (size_t g = 0; g < style.groups.size(); ++g) {
            const auto& group = style.groups[g];
            if (group.name != texts.group)
                continue;
            size_t index = m_groupStart[s][g];
            for (size_t p = 0; p < group.parts.size(); ++p) {
                const auto& part = group.parts[p];
                const int partPenalty = part.name == texts.part ? 0 : kNamePenalty;
                for (size_t c = 0; c < part.chords.size(); ++c) {
                    const auto& chord = part.chords[c];
                    const int score = kFullScore - partPenalty - (chord.name == texts.chord ? 0 : kNamePenalty);
                    for (size_t e = 0; e < chord.entries.size(); ++e) {
                        for (size_t v = 0; v < kVariantsPerEntry; ++v, ++index) {
                            const auto& d = chord.entries[e].variants[v];
                            // An empty variant is the free place, not a sample.
                            if (d.IsEmpty() || d.firstText != texts.first || d.secondText != texts.second)
                                continue;
                            if (!anyPath && !EndsWith(m_fullPaths[index], path))
                                continue;
                            if (!anyFourth && d.fourthText != texts.fourth)
                                continue;
                            if (score > best.score) {
                                best.score = score;
                                best.ref = RefOf(s, g, p, c, v, e);
                                if (score == kFullScore)
                                    return best;
                            }
                        }
                    }
                }
            }
            if (best.score >= kGroupStopScore)
                return best;
        }
    }

    if (best.score > 0 || fuzzy == FuzzySearch::Disabled)
        return best;

    // Second pass: every sample of the library, scored by what matches.
    size_t index = 0;
    for (size_t s = 0; s < styles.size(); ++s) {
        const auto& style = styles[s];
        const int styleScore = style.name == texts.style ? 10 : 0;
        for (size_t g = 0; g < style.groups.size(); ++g) {
            const auto& group = style.groups[g];
            const int groupScore = styleScore + (group.name == texts.group ? 10 : 0);
            for (size_t p = 0; p < group.parts.size(); ++p) {
                const auto& part = group.parts[p];
                const int partScore = groupScore + (part.name == texts.part ? 10 : 0);
                for (size_t c = 0; c < part.chords.size(); ++c) {
                    const auto& chord = part.chords[c];
                    const int chordScore = partScore + (chord.name == texts.chord ? 10 : 0);
                    for (size_t e = 0; e < chord.entries.size(); ++e) {
                        for (size_t v = 0; v < kVariantsPerEntry; ++v, ++index) {
                            const auto& d = chord.entries[e].variants[v];
                            if (d.IsEmpty())
                                continue;
                            int score = chordScore;
                            if (d.firstText == texts.first)
                                score += 20;
                            if (d.secondText == texts.second)
                                score += 20;
                            if (BeginsWith(m_fullPaths[index], path))
                                score += 30;
                            if (d.fourthText == texts.fourth)
                                score += 10;
                            if (score > best.score) {
                                best.score = score;
                                best.ref = RefOf(s, g, p, c, v, e);
                                if (score == kFullScore)
                                    return best;
                            }
                        }
                    }
                }
            }
        }
    }
    return best;
}

} // namespace bm

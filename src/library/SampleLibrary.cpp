#include "library/SampleLibrary.h"

namespace bm {

namespace {

template <typename T>
bool InRange(const std::vector<T>& list, int32_t index)
{
    return index >= 0 && static_cast<size_t>(index) < list.size();
}

} // namespace

const SampleDescriptor* SampleLibrary::Find(const SampleRef& ref) const
{
    if (!InRange(styles, ref.Style()))
        return nullptr;
    const auto& style = styles[static_cast<size_t>(ref.Style())];
    if (!InRange(style.groups, ref.Group()))
        return nullptr;
    const auto& group = style.groups[static_cast<size_t>(ref.Group())];
    if (!InRange(group.parts, ref.Part()))
        return nullptr;
    const auto& part = group.parts[static_cast<size_t>(ref.Part())];
    if (!InRange(part.chords, ref.Chord()))
        return nullptr;
    const auto& chord = part.chords[static_cast<size_t>(ref.Chord())];
    if (!InRange(chord.entries, ref.Entry()) || ref.Variant() < 0 || ref.Variant() >= kVariantsPerEntry)
        return nullptr;
    return &chord.entries[static_cast<size_t>(ref.Entry())].variants[static_cast<size_t>(ref.Variant())];
}

SampleDescriptor* SampleLibrary::Find(const SampleRef& ref)
{
    return const_cast<SampleDescriptor*>(static_cast<const SampleLibrary&>(*this).Find(ref));
}

const LibraryPart* SampleLibrary::FindPart(const SampleRef& ref) const
{
    if (!InRange(styles, ref.Style()))
        return nullptr;
    const auto& style = styles[static_cast<size_t>(ref.Style())];
    if (!InRange(style.groups, ref.Group()))
        return nullptr;
    const auto& group = style.groups[static_cast<size_t>(ref.Group())];
    if (!InRange(group.parts, ref.Part()))
        return nullptr;
    return &group.parts[static_cast<size_t>(ref.Part())];
}

const LibraryChord* SampleLibrary::FindChord(const SampleRef& ref) const
{
    const LibraryPart* part = FindPart(ref);
    if (!part || !InRange(part->chords, ref.Chord()))
        return nullptr;
    return &part->chords[static_cast<size_t>(ref.Chord())];
}

LibraryChord* SampleLibrary::FindChord(const SampleRef& ref)
{
    return const_cast<LibraryChord*>(static_cast<const SampleLibrary&>(*this).FindChord(ref));
}

void SampleLibrary::StoreSelection()
{
    if (!InRange(styles, selection.style))
        return;
    auto& style = styles[static_cast<size_t>(selection.style)];
    style.selectedGroup = selection.group;
    if (!InRange(style.groups, selection.group))
        return;
    auto& group = style.groups[static_cast<size_t>(selection.group)];
    group.selectedPart = selection.part;
    if (!InRange(group.parts, selection.part))
        return;
    auto& part = group.parts[static_cast<size_t>(selection.part)];
    part.selectedChord = selection.chord;
    if (!InRange(part.chords, selection.chord))
        return;
    part.chords[static_cast<size_t>(selection.chord)].storedPosition = selection.position;
}

void SampleLibrary::RestoreSelection()
{
    selection = LibrarySelection{};
    if (styles.empty())
        return;
    selection.style = 0;
    const auto& style = styles[0];
    if (!InRange(style.groups, style.selectedGroup))
        return;
    selection.group = style.selectedGroup;
    const auto& group = style.groups[static_cast<size_t>(selection.group)];
    if (!InRange(group.parts, group.selectedPart))
        return;
    selection.part = group.selectedPart;
    const auto& part = group.parts[static_cast<size_t>(selection.part)];
    if (!InRange(part.chords, part.selectedChord))
        return;
    selection.chord = part.selectedChord;
    selection.position = part.chords[static_cast<size_t>(selection.chord)].storedPosition;
}

void NormaliseEntries(LibraryChord& chord)
{
    while (!chord.entries.empty() && chord.entries.back().IsEmpty())
        chord.entries.pop_back();
    chord.entries.emplace_back();
}

void NormaliseAllEntries(SampleLibrary& library)
{
    for (auto style = library.styles.rbegin(); style != library.styles.rend(); ++style) {
        for (auto group = style->groups.rbegin(); group != style->groups.rend(); ++group) {
            for (auto part = group->parts.rbegin(); part != group->parts.rend(); ++part) {
                for (auto chord = part->chords.rbegin(); chord != part->chords.rend(); ++chord)
                    NormaliseEntries(*chord);
            }
        }
    }
}

} // namespace bm

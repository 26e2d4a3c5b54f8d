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

} // namespace bm

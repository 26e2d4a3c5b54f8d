#include "library/LibraryWriter.h"

#include "core/Text.h"

namespace bm {

namespace {

void AppendQuoted(std::string& out, std::string_view field, bool last = false)
{
    out.push_back('"');
    out.append(field);
    out.push_back('"');
    if (!last)
        out.append("  ");
}

void AppendVariant(std::string& out, const SampleDescriptor& d)
{
    if (d.IsEmpty()) {
        AppendLine(out, "-");
        return;
    }
    AppendQuoted(out, d.firstText);
    AppendQuoted(out, d.secondText);
    AppendQuoted(out, d.path);
    AppendQuoted(out, d.fourthText);
    AppendQuoted(out, std::to_string(d.length));
    AppendQuoted(out, std::to_string(d.number2));
    AppendQuoted(out, std::to_string(d.nominalLength));
    AppendQuoted(out, std::to_string(d.kind), true);
    out.append("\r\n");
}

} // namespace

std::string FormatLibrary(const SampleLibrary& library)
{
    std::string out;
    for (const auto& style : library.styles) {
        AppendLine(out, "%STYLE " + style.firstText);
        AppendLine(out, style.name);
        AppendLine(out, std::to_string(style.valueA));
        AppendLine(out, std::to_string(style.valueB));
        AppendLine(out, std::to_string(style.selectedGroup));
        AppendLine(out, "");
        for (const auto& group : style.groups) {
            AppendLine(out, "%GROUP " + group.firstText);
            AppendLine(out, group.name);
            for (uint32_t colour : group.colours)
                AppendLine(out, FormatHex(colour));
            AppendLine(out, std::to_string(group.selectedPart));
            AppendLine(out, "");
            for (const auto& part : group.parts) {
                AppendLine(out, "%PART " + part.firstText);
                AppendLine(out, part.name);
                AppendLine(out, std::to_string(part.factory));
                AppendLine(out, FormatHex(part.displayValue));
                AppendLine(out, std::to_string(part.selectedChord));
                AppendLine(out, "");
                for (const auto& chord : part.chords) {
                    AppendLine(out, "%CHORD " + chord.firstText);
                    AppendLine(out, chord.name);
                    AppendLine(out, chord.folder);
                    AppendLine(out, FormatHex(chord.displayValue));
                    AppendLine(out, std::to_string(chord.storedPosition));
                    AppendLine(out, "");
                    for (const auto& entry : chord.entries) {
                        for (const auto& variant : entry.variants)
                            AppendVariant(out, variant);
                    }
                }
            }
        }
        out.append("\r\n\r\n\r\n");
    }
    return out;
}

bool WriteLibraryFile(const std::string& path, SampleLibrary& library, Error* error, DurableWriteFault fault)
{
    library.StoreSelection();
    return WriteFileDurably(path, FormatLibrary(library), error, fault);
}

} // namespace bm

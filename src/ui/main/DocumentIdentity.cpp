#include "ui/main/DocumentIdentity.h"

#include "core/Paths.h"

namespace bm::ui {

std::string SetDocumentName(DocumentState& doc, std::string_view name, std::string_view caption)
{
    if (name.empty()) {
        doc.song.path.clear();
        doc.fileTitle.clear();
    } else {
        std::string full = MakeAbsolute(name);
        if (full.empty())
            full = std::string(name);
        doc.song.path = full;
        doc.fileTitle = FileNamePart(full);
    }
    return WindowTitle(doc, caption);
}

std::string WindowTitle(const DocumentState& doc, std::string_view caption)
{
    std::string title(caption);
    if (doc.song.path.empty())
        return title;
    title += " - [";
    title += doc.fileTitle;
    if (!doc.song.unchanged)
        title += " *";
    title += "]";
    return title;
}

std::string UntitledName(const DocumentState& doc)
{
    return "Untitled-" + std::to_string(doc.untitledCounter) + ".ncp";
}

bool MarkChanged(DocumentState& doc)
{
    if (!doc.song.unchanged)
        return false;
    doc.song.unchanged = false;
    return true;
}

} // namespace bm::ui

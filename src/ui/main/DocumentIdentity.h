#pragma once

// The document's identity: its full path, its file title (the name part),
// the change mark and the numbering of untitled songs, and the window title
// made from them: "caption - [file *]", the " *" while the song has changes
// that are not saved, the caption alone when the document has no name.

#include "ui/main/MainState.h"

#include <string>
#include <string_view>

namespace bm::ui {

// Sets the document name. A non-empty name is made absolute (when that
// fails, the name is used as it is) and becomes the path; its name part the
// file title. An empty name empties both. Returns the new window title.
std::string SetDocumentName(DocumentState& doc, std::string_view name, std::string_view caption);

// The window title for the document as it stands.
std::string WindowTitle(const DocumentState& doc, std::string_view caption);

// "Untitled-N.ncp" with the document's untitled counter.
std::string UntitledName(const DocumentState& doc);

// Clears the unchanged flag. True when it was set (the title must then show
// the change mark); later edits return false and leave the title alone.
bool MarkChanged(DocumentState& doc);

} // namespace bm::ui

#pragma once

// The previews: the main window as the program will show it, composed from
// the archive's own pictures (the skin, every control's normal cell, the
// scroll bars, the meters, the border pieces over a desktop) and the bitmap
// fonts, with a little sample content so that the areas can be judged.

#include "Art.h"
#include "Fonts.h"

namespace bm::art {

Image ComposePreview(const Output& out, const FontSet& fonts);

// A menu description drawn roughly as the popup menu draws it (tile, icons,
// labels, shortcuts, one item highlighted), for judging the menu art.
Image ComposeMenu(const Output& out, const FontSet& fonts, std::string_view description, int32_t hotItem);

} // namespace bm::art

#pragma once

// Qt's keys and modifier states as the program's virtual-key codes and
// mods:: bits. Keys the program has no code for give 0.

#include <QtCore/qnamespace.h>

#include <cstdint>

namespace bm::platform {

// The virtual-key code for a Qt key: letters and digits as their upper-case
// ASCII codes, F1-F24, the arrows and the editing keys, and the keys that
// share a cap with the OEM comma, period, minus and plus (so Shift+period,
// which Qt reports as '>', is still the period key).
int32_t VirtualKeyFromQt(int qtKey);

// Ctrl, Shift and Alt, and for mouse events the left and right buttons.
uint32_t ModifiersFromQt(Qt::KeyboardModifiers keys, Qt::MouseButtons buttons = Qt::NoButton);

} // namespace bm::platform

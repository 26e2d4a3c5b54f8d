#include "platform/qt/QtKeyMap.h"

#include "platform/WindowEvent.h"

namespace bm::platform {

int32_t VirtualKeyFromQt(int qtKey)
{
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return 'A' + (qtKey - Qt::Key_A);
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return '0' + (qtKey - Qt::Key_0);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return vk::kF1 + (qtKey - Qt::Key_F1);
    switch (qtKey) {
    case Qt::Key_Backspace: return vk::kBack;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return vk::kTab;
    case Qt::Key_Return:
    case Qt::Key_Enter: return vk::kReturn;
    case Qt::Key_Shift: return vk::kShift;
    case Qt::Key_Control: return vk::kControl;
    case Qt::Key_Alt:
    case Qt::Key_AltGr: return vk::kMenu;
    case Qt::Key_Escape: return vk::kEscape;
    case Qt::Key_Space: return vk::kSpace;
    case Qt::Key_PageUp: return vk::kPrior;
    case Qt::Key_PageDown: return vk::kNext;
    case Qt::Key_End: return vk::kEnd;
    case Qt::Key_Home: return vk::kHome;
    case Qt::Key_Left: return vk::kLeft;
    case Qt::Key_Up: return vk::kUp;
    case Qt::Key_Right: return vk::kRight;
    case Qt::Key_Down: return vk::kDown;
    case Qt::Key_Insert: return vk::kInsert;
    case Qt::Key_Delete: return vk::kDelete;
    case Qt::Key_Menu: return vk::kApps;
    case Qt::Key_Comma:
    case Qt::Key_Less: return vk::kOemComma;
    case Qt::Key_Period:
    case Qt::Key_Greater: return vk::kOemPeriod;
    case Qt::Key_Minus:
    case Qt::Key_Underscore: return vk::kOemMinus;
    case Qt::Key_Plus:
    case Qt::Key_Equal: return vk::kOemPlus;
    // The shifted digits of a US keyboard are their digit keys.
    case Qt::Key_Exclam: return '1';
    case Qt::Key_At: return '2';
    case Qt::Key_NumberSign: return '3';
    case Qt::Key_Dollar: return '4';
    case Qt::Key_Percent: return '5';
    case Qt::Key_AsciiCircum: return '6';
    case Qt::Key_Ampersand: return '7';
    case Qt::Key_Asterisk: return '8';
    case Qt::Key_ParenLeft: return '9';
    case Qt::Key_ParenRight: return '0';
    default: return 0;
    }
}

uint32_t ModifiersFromQt(Qt::KeyboardModifiers keys, Qt::MouseButtons buttons)
{
    uint32_t out = 0;
    if (keys & Qt::ControlModifier)
        out |= mods::kCtrl;
    if (keys & Qt::ShiftModifier)
        out |= mods::kShift;
    if (keys & Qt::AltModifier)
        out |= mods::kAlt;
    if (buttons & Qt::LeftButton)
        out |= mods::kLeftButton;
    if (buttons & Qt::RightButton)
        out |= mods::kRightButton;
    return out;
}

} // namespace bm::platform

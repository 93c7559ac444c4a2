// The Qt key -> virtual key table.
#include "platform/qt/qt_keys.h"

#include <QKeyEvent>

#include "platform/virtual_keys.h"

namespace rix {
namespace {

struct KeyPair {
    int qt;
    int vk;
};

constexpr KeyPair KEY_TABLE[] = {
    {Qt::Key_Backspace, VK_BACK},   {Qt::Key_Tab, VK_TAB},          {Qt::Key_Backtab, VK_TAB},
    {Qt::Key_Clear, VK_CLEAR},      {Qt::Key_Return, VK_RETURN},    {Qt::Key_Enter, VK_RETURN},
    {Qt::Key_Shift, VK_SHIFT},      {Qt::Key_Control, VK_CONTROL},  {Qt::Key_Alt, VK_MENU},
    {Qt::Key_Pause, VK_PAUSE},      {Qt::Key_CapsLock, VK_CAPITAL}, {Qt::Key_Escape, VK_ESCAPE},
    {Qt::Key_Space, VK_SPACE},      {Qt::Key_PageUp, VK_PRIOR},     {Qt::Key_PageDown, VK_NEXT},
    {Qt::Key_End, VK_END},          {Qt::Key_Home, VK_HOME},        {Qt::Key_Left, VK_LEFT},
    {Qt::Key_Up, VK_UP},            {Qt::Key_Right, VK_RIGHT},      {Qt::Key_Down, VK_DOWN},
    {Qt::Key_Print, VK_SNAPSHOT},   {Qt::Key_Insert, VK_INSERT},    {Qt::Key_Delete, VK_DELETE},
    {Qt::Key_NumLock, VK_NUMLOCK},  {Qt::Key_ScrollLock, VK_SCROLL},
    // Punctuation keys by their place on a Japanese keyboard (shifted forms too).
    {Qt::Key_Colon, VK_OEM_1},      {Qt::Key_Asterisk, VK_OEM_1},   {Qt::Key_Semicolon, VK_OEM_PLUS},
    {Qt::Key_Plus, VK_OEM_PLUS},    {Qt::Key_Comma, VK_OEM_COMMA},  {Qt::Key_Less, VK_OEM_COMMA},
    {Qt::Key_Minus, VK_OEM_MINUS},  {Qt::Key_Equal, VK_OEM_MINUS},  {Qt::Key_Period, VK_OEM_PERIOD},
    {Qt::Key_Greater, VK_OEM_PERIOD}, {Qt::Key_Slash, VK_OEM_2},    {Qt::Key_Question, VK_OEM_2},
    {Qt::Key_At, VK_OEM_3},         {Qt::Key_QuoteLeft, VK_OEM_3},  {Qt::Key_BracketLeft, VK_OEM_4},
    {Qt::Key_BraceLeft, VK_OEM_4},  {Qt::Key_yen, VK_OEM_5},        {Qt::Key_Bar, VK_OEM_5},
    {Qt::Key_BracketRight, VK_OEM_6}, {Qt::Key_BraceRight, VK_OEM_6}, {Qt::Key_AsciiCircum, VK_OEM_7},
    {Qt::Key_AsciiTilde, VK_OEM_7}, {Qt::Key_Backslash, VK_OEM_102}, {Qt::Key_Underscore, VK_OEM_102},
};

}  // namespace

int virtual_key_of(int qt_key, bool keypad) {
    if (qt_key >= Qt::Key_0 && qt_key <= Qt::Key_9)
        return (keypad ? VK_NUMPAD0 : VK_0) + (qt_key - Qt::Key_0);
    if (qt_key >= Qt::Key_A && qt_key <= Qt::Key_Z) return VK_A + (qt_key - Qt::Key_A);
    if (qt_key >= Qt::Key_F1 && qt_key <= Qt::Key_F24) return VK_F1 + (qt_key - Qt::Key_F1);
    if (keypad) {
        switch (qt_key) {
        case Qt::Key_Asterisk: return VK_MULTIPLY;
        case Qt::Key_Plus: return VK_ADD;
        case Qt::Key_Minus: return VK_SUBTRACT;
        case Qt::Key_Period: return VK_DECIMAL;
        case Qt::Key_Slash: return VK_DIVIDE;
        default: break;
        }
    }
    for (const KeyPair& k : KEY_TABLE)
        if (k.qt == qt_key) return k.vk;
    return 0;
}

int virtual_key_of(const QKeyEvent& event, int* flags) {
    Qt::KeyboardModifiers m = event.modifiers();
    int f = 0;
    if (m & Qt::ShiftModifier) f |= KEY_FLAG_SHIFT;
    if (m & Qt::ControlModifier) f |= KEY_FLAG_CTRL;
    if (m & Qt::AltModifier) f |= KEY_FLAG_ALT;
    if (event.isAutoRepeat()) f |= KEY_FLAG_REPEAT;
    if (flags) *flags = f;
    return virtual_key_of(event.key(), (m & Qt::KeypadModifier) != 0);
}

}  // namespace rix

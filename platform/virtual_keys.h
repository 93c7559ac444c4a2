// Key numbers as the rest of the program reads them: the Windows virtual-key
// codes, whatever the window system underneath. The Qt adapter maps its keys
// onto these (platform/qt/qt_keys.h); the key dispatcher, the accelerator
// table and the key-assignment settings all speak these numbers.
#pragma once

#include <string_view>

namespace rix {

enum : int {
    VK_BACK = 0x08,
    VK_TAB = 0x09,
    VK_CLEAR = 0x0C,
    VK_RETURN = 0x0D,
    VK_SHIFT = 0x10,
    VK_CONTROL = 0x11,
    VK_MENU = 0x12,          // Alt
    VK_PAUSE = 0x13,
    VK_CAPITAL = 0x14,
    VK_ESCAPE = 0x1B,
    VK_SPACE = 0x20,
    VK_PRIOR = 0x21,         // Page Up
    VK_NEXT = 0x22,          // Page Down
    VK_END = 0x23,
    VK_HOME = 0x24,
    VK_LEFT = 0x25,
    VK_UP = 0x26,
    VK_RIGHT = 0x27,
    VK_DOWN = 0x28,
    VK_SNAPSHOT = 0x2C,
    VK_INSERT = 0x2D,
    VK_DELETE = 0x2E,
    VK_0 = 0x30,             // '0'..'9' are 0x30..0x39
    VK_A = 0x41,             // 'A'..'Z' are 0x41..0x5A
    VK_NUMPAD0 = 0x60,       // numeric pad digits 0x60..0x69
    VK_MULTIPLY = 0x6A,
    VK_ADD = 0x6B,
    VK_SUBTRACT = 0x6D,
    VK_DECIMAL = 0x6E,
    VK_DIVIDE = 0x6F,
    VK_F1 = 0x70,            // F1..F24 are 0x70..0x87
    VK_NUMLOCK = 0x90,
    VK_SCROLL = 0x91,
    VK_OEM_1 = 0xBA,         // the keys of punctuation, by their place on a Japanese keyboard
    VK_OEM_PLUS = 0xBB,
    VK_OEM_COMMA = 0xBC,
    VK_OEM_MINUS = 0xBD,
    VK_OEM_PERIOD = 0xBE,
    VK_OEM_2 = 0xBF,
    VK_OEM_3 = 0xC0,
    VK_OEM_4 = 0xDB,
    VK_OEM_5 = 0xDC,
    VK_OEM_6 = 0xDD,
    VK_OEM_7 = 0xDE,
    VK_OEM_102 = 0xE2,
};

// Modifier flags of a key event. Shift and Ctrl carry the values the key
// dispatcher takes; Alt and the repeat mark are bits of our own above them.
enum : int {
    KEY_FLAG_SHIFT = 0x01,
    KEY_FLAG_CTRL = 0x10,
    KEY_FLAG_ALT = 0x100,
    KEY_FLAG_REPEAT = 0x200,     // an automatic repeat of a held key
    KEY_FLAG_MODIFIERS = KEY_FLAG_SHIFT | KEY_FLAG_CTRL | KEY_FLAG_ALT,
};

// The key of a name as the accelerator table writes it: "A".."Z", "0".."9",
// "Num0".."Num9", "F1".."F24", "Back", "Tab", "Enter", "Esc", "Space", "PgUp",
// "PgDn", "End", "Home", "Left", "Up", "Right", "Down", "Ins", "Del".
// 0 for a name it does not know.
int virtual_key_named(std::string_view name);

}  // namespace rix

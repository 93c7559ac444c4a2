// Qt keys as Windows virtual keys (platform/virtual_keys.h). Every widget
// that reads keys for the program goes through this one table, so that the
// key dispatcher, the accelerators and the key settings see the same numbers.
#pragma once

class QKeyEvent;

namespace rix {

// The virtual key of a Qt key (Qt::Key); `keypad` is true when the key came
// from the numeric pad (digits there are VK_NUMPAD0..9). 0 = no such key.
int virtual_key_of(int qt_key, bool keypad);
// Virtual key and KEY_FLAG_* of a key event (0 key when it has none).
int virtual_key_of(const QKeyEvent& event, int* flags);

}  // namespace rix

// The Ctrl+letter edit keys: the slots a letter may call and the table built
// from the letters of the settings; and the key-repeat acceleration.
#include <algorithm>

#include "editing/dispatch.h"

namespace rix {

namespace {

bool is_arrow(int key) { return key >= VK_LEFT && key <= VK_DOWN; }

}  // namespace

const EditKeySlot EDIT_KEY_SLOTS[EDIT_KEY_SLOTS_IN_USE] = {
    {"カーソル上へ ↑", VK_UP, 0},
    {"カーソル下へ ↓", VK_DOWN, 0},
    {"カーソル左へ ←", VK_LEFT, 0},
    {"カーソル右へ →", VK_RIGHT, 0},
    {"後頁表示 ROLL･UP", VK_NEXT, 0},
    {"前頁表示 ROLL･DOWN", VK_PRIOR, 0},
    {"後へ移動 GRPH + ←", VK_LEFT, KEY_PLAIN_MOVE},
    {"前へ移動 GRPH + →", VK_RIGHT, KEY_PLAIN_MOVE},
    {"一文字削除 DEL", VK_DELETE, 0},
    {"一列削除 CTRL + DEL", VK_DELETE, KEY_CTRL},
    {"一文字後退 BS", VK_BACK, 0},
    {"改行 Enter(Return)", VK_RETURN, 0},
    {"元に戻す SHIFT + BS", COMMAND_UNDO, 0},
    {"切り取り SHIFT + DEL", 202, 0},
    {"コピー CTRL + INS", 203, 0},
    {"貼り付け SHIFT + INS", 205, 0},
    {"行の後へ CTRL + ←", VK_LEFT, KEY_CTRL},
    {"行の頭へ CTRL + →", VK_RIGHT, KEY_CTRL},
    {"句読点後へ CTRL + ↑", VK_UP, KEY_CTRL},
    {"句読点へ CTRL + ↓", VK_DOWN, KEY_CTRL},
};

void build_edit_key_table(EditState& edit, const std::uint8_t letters[32]) {
    edit.edit_keys.fill(EditKey{});
    for (int slot = 0; slot < EDIT_KEY_SLOTS_IN_USE; ++slot) {
        const std::uint8_t letter = letters[slot];
        if (letter < 'A' || letter > 'Z') continue;
        edit.edit_keys[letter - 'A'] = EditKey{EDIT_KEY_SLOTS[slot].key, EDIT_KEY_SLOTS[slot].flags};
    }
    EditKey& z = edit.edit_keys['Z' - 'A'];
    if (z.key == 0) z = EditKey{static_cast<std::uint16_t>(COMMAND_UNDO), 0};
    EditKey& y = edit.edit_keys['Y' - 'A'];
    if (y.key == 0) y = EditKey{static_cast<std::uint16_t>(COMMAND_REDO), 0};
}

void accelerate_key(EditContext& c, int key, int flags, const std::function<void()>& after_move) {
    const int r = c.edit.key_repeat;
    if (c.edit.key_repeat < 0x7FFFFFFF) ++c.edit.key_repeat;
    if (r <= 0 || flags != 0 || !is_arrow(key)) return;
    // Along the line: ↑ ↓ in vertical writing, ← → in horizontal writing.
    const bool along = c.edit.frame.vertical ? (key == VK_UP || key == VK_DOWN) : (key == VK_LEFT || key == VK_RIGHT);
    const int level = along ? c.edit.options.accel_chars : c.edit.options.accel_columns;
    long long extra = 0;
    switch (level) {
        case 1: extra = r / 32; break;
        case 2: extra = r / 8; break;
        case 3: extra = r / 2; break;
        case 4: extra = 2LL * r; break;
        default: extra = 0; break;
    }
    extra = std::min<long long>(extra, MAX_EXTRA_MOVES);
    for (long long i = 0; i < extra; ++i) {
        move_key(c, map_orientation(key, c.edit.frame.vertical), 0);   // as dispatch_key(key, 0)
        if (after_move) after_move();
    }
}

void key_up(EditState& edit) { edit.key_repeat = 0; }

void build_edit_key_table(EditState& edit) { build_edit_key_table(edit, edit.options.edit_key_letters); }

}  // namespace rix

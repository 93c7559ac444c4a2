// Where the side windows of the main window stand: the structure index and
// the notebook.
//
// A floating side window opens at the position kept for the document's
// orientation (settings: [vertical x, y][horizontal x, y], both 0 = never
// kept) when the window lies whole on the screen's work area there, else at
// the left edge (vertical documents) or the right edge (horizontal), 20
// pixels above the bottom. Its position is kept again when it closes and
// when the program ends, so that the next opening finds it where the writer
// left it.
//
// The structure index may instead be a side pane of the main window, at the
// left or the right, chosen per screen format (settings index_dock: 0
// floating, 1 left, 2 right) with 左表示/別窓表示 (1080) and 右表示 (1090).
#pragma once

#include <cstdint>

#include "app/settings/settings_record.h"
#include "platform/dialogs.h"

namespace rix {

enum : int { INDEX_FLOATING = 0, INDEX_DOCKED_LEFT = 1, INDEX_DOCKED_RIGHT = 2 };

// The placement after button 1080 or 1090 was pressed in `placement`:
// 1080: floating -> left, left or right -> floating; 1090: floating or
// left -> right, right -> left. Another button keeps the placement.
int index_placement_after(int placement, int button);
// The captions of 1080 and 1090 in `placement` (UTF-8).
const char* index_left_button_caption(int placement);
const char* index_right_button_caption(int placement);
// The placement stored for screen slot `slot` (a damaged byte reads as floating).
int index_placement_of(const SettingsRecord& rec, int slot);

struct WindowPoint {
    int x = 0;
    int y = 0;
};

// Where a floating side window of extent `e` opens (see the header).
WindowPoint side_window_position(const std::int16_t stored[4], bool vertical, const WindowExtent& e);
// Moves the open window there.
void place_side_window(DialogContext& ctx, const std::int16_t stored[4], bool vertical);
// Keeps the window's present position for the orientation; the settings are
// marked changed when it differs from the kept one.
void keep_side_window_position(DialogContext& ctx, SettingsState* settings, std::int16_t stored[4], bool vertical);

}  // namespace rix

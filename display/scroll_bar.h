// The scroll bar of the text window: its range, page and position from the
// cursor's display line, and its actions as keys for the dispatcher.
//
// One bar is used: the horizontal one in vertical writing (whose left end is
// the end of the document, so the position runs backwards), the vertical one
// in horizontal writing. The other is given an empty range.
#pragma once

#include <cstdint>

#include "document/text_pos.h"

namespace rix {

struct ScrollBarValues {
    bool shown = false;            // show_scrollbar of the format
    bool horizontal_bar = false;   // the bar used: horizontal (vertical writing) or vertical
    int minimum = 0, maximum = 0;  // 0 … T + Nscreen − 1
    int page = 0;                  // Nscreen
    int position = 0;
};

// T: the display-line number of the document's last line; `cursor_line` the
// cursor's display-line number. Numbers beyond the bar's int range are held
// at its end.
ScrollBarValues scroll_bar_values(bool shown, bool vertical, DisplayLineNo last_display_line, int screen_lines,
                                  DisplayLineNo cursor_line);

// Actions of a scroll bar.
enum : int {
    SCROLL_LINE_BACK = 0,    // the arrow at the bar's start (top or left)
    SCROLL_LINE_FORWARD = 1,
    SCROLL_PAGE_BACK = 2,    // the trough before the thumb
    SCROLL_PAGE_FORWARD = 3,
    SCROLL_THUMB_TRACK = 4,  // the thumb dragged to a position
    SCROLL_THUMB_DONE = 5,   // the thumb released
};

// The key an action sends (with KEY_PLAIN_MOVE); 0 for the thumb actions.
int scroll_bar_key(int action, bool vertical);

// The display line a thumb position stands for.
DisplayLineNo scroll_bar_display_line(int position, bool vertical, DisplayLineNo last_display_line);

}  // namespace rix

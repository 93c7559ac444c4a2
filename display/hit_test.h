// The pointer over the text window: which zone it is in (text band, scroll
// margins, page corners) with the pointer shape of each, and which screen
// line and cell a point lies on.
//
// Pure functions of the geometry and the ScreenCellMap: they never read the
// document and never read a cell record outside the map. Turning a hit into
// a text position (hit_position) is the document's display-line arithmetic.
#pragma once

#include "display/render.h"
#include "document/display_lines.h"

namespace rix {

// Zones of the pointer: 1 the text band, 2 beside the text (scroll zone),
// 3 and 4 the corners (diagonal pointers), 5..8 a corner drag under way
// (top-right, top-left, bottom-left, bottom-right).
enum : int {
    ZONE_TEXT = 1,
    ZONE_SCROLL = 2,
    ZONE_CORNER_NESW = 3,
    ZONE_CORNER_NWSE = 4,
    ZONE_DRAG_TOP_RIGHT = 5,
    ZONE_DRAG_BOTTOM_RIGHT = 8,
};
// The corner under the pointer.
enum : int { CORNER_NONE_TEXT = -1, CORNER_NONE_SCROLL = 0, CORNER_TOP_RIGHT = 1, CORNER_TOP_LEFT = 2,
             CORNER_BOTTOM_LEFT = 3, CORNER_BOTTOM_RIGHT = 4 };

struct PointerZone {
    int zone = ZONE_TEXT;
    int corner = CORNER_NONE_TEXT;   // CORNER_*: which corner, -1 text band, 0 scroll zone
    const char* cursor = "";         // the cursor resource of the zone
    int hot_x = 0, hot_y = 0;        // its hot spot
};

// The zone of client point (x, y); `current` is the zone shown now: while a
// corner drag runs (5..8) it stays. Coordinates below 0 or beyond 65280 (a
// negative 16-bit value) read as 0.
PointerZone classify_pointer(const DisplayGeometry& g, int x, int y, int current);

enum : int { HIT_NOWHERE = 0, HIT_TEXT = 1, HIT_BESIDE = 2 };

struct Hit {
    int result = HIT_NOWHERE;   // HIT_*
    int line = -1;              // screen line; beside the text: -1 before the first line, Nscreen after the last
    int cell = -1;              // HIT_TEXT: cell within the display line, indentation excluded; else -1 or 0
    bool second_half = false;   // HIT_TEXT: on the second half of a cell of two half-width characters
};

// What lies at client point (x, y). HIT_TEXT: a cell of a screen line, or
// the cell just after its last used one. HIT_BESIDE: the scroll zone before
// or after the text (line -1 or Nscreen, cell 0), or a point on a screen
// line that is not on text (indentation, beyond the cell after the last,
// past the hanging cells: cell -1). HIT_NOWHERE: a margin or a corner, the
// gutter, or a point across the lines beyond the last line of its tier.
Hit hit_test(const DisplayGeometry& g, const ScreenCellMap& cells, int x, int y);

// The text position of a HIT_TEXT hit, reached from the cursor (`cursor`
// on screen line `cursor_line`) by display lines; ok = false when the hit
// lies beyond what is loaded.
CellMove hit_position(Document& doc, TextPos cursor, int cursor_line, const Hit& hit);

}  // namespace rix

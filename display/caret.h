// The caret: where the cursor's glyph box is on the screen and the shape the
// format asks for (caret_type): the program's own double frame, the grey
// block or the bar of the system caret.
//
// Pure functions of the geometry and the cursor's location; nothing here
// draws except draw_caret_frames, which paints the own caret's two frames
// onto a surface (hiding it is copying `saved` back, which the caller
// keeps). Showing, hiding and the caret's life belong to the window.
#pragma once

#include "display/render.h"

namespace rix {

enum : int { CARET_FRAMES = 0, CARET_BLOCK = 1, CARET_BAR = 2 };

struct CaretShape {
    bool visible = false;      // false: the cursor is not on a screen line
    int type = CARET_FRAMES;   // caret_type; values outside 0..2 read as CARET_FRAMES
    int x = 0, y = 0;          // caret_position: top-left of the cursor's glyph box
    SurfaceRect rect;          // CARET_FRAMES: the inner frame (the glyph box); otherwise the system caret
    SurfaceRect outer;         // CARET_FRAMES: the frame one pixel larger on every side
    SurfaceRect saved;         // CARET_FRAMES: the background to keep before drawing (= outer)
    bool grey = false;         // the system caret is drawn with the grey pattern
};

// Where the cursor stands for the caret.
struct CaretPlace {
    int line = -1;             // screen line; outside [0, Nscreen) = not shown
    int cell = 0;              // cell within the display line, indentation excluded
    int indent = 0;            // indentation cells of the display line
    bool second_half = false;  // after the first of two half-width characters
};

// The caret for `place` in geometry `g`. In overwrite mode the bar becomes a
// box over the whole glyph (it replaces the character, not a gap); the frame
// and block carets already cover the cell and keep their shape.
CaretShape caret_shape(const DisplayGeometry& g, int caret_type, const CaretPlace& place, bool overwrite);

// The place of the cursor as the last layout (or apply_view_damage) left it,
// with the indentation of its display line read from the cell map.
CaretPlace caret_place(const Screen& s);

// Draws the two frames of a CARET_FRAMES caret in `colour`.
void draw_caret_frames(Surface& out, const CaretShape& caret, std::uint32_t colour);

}  // namespace rix

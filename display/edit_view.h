// The bridge from the editing state to the screen: editing records what
// changed (EditState::damage) and moves the view frame; this brings the
// Screen's top, cursor, pixels, cell map and marking highlight up to date.
//
// Owns nothing. Reads the document and the editing state; writes the Screen
// and clears edit.damage. Never changes text, the cursor or the frame.
//
// Design rules:
// - After apply_view_damage the screen shows what relayout_screen from
//   frame.top would show, pixel for pixel, with exactly the cells of
//   edit.mark inverted when the marking is on and none when it is off.
// - Only what changed is drawn: the changed display lines of one logical
//   line, or everything from the changed line on when the number of display
//   lines changed; a small scroll moves pixels when the move is exact.
// - The highlight shown is remembered in Screen::shown_mark; it is taken off
//   where the picture stays and redrawn over the whole screen afterwards.
#pragma once

#include "display/render.h"
#include "editing/edit_state.h"

namespace rix {

// Copies the screen's counts into the frame after a geometry computation:
// screen lines (all tiers), tiers, writing direction and the Page Up/Down
// distance. The frame's top stays.
void frame_from_screen(const Screen& s, int page_columns, ViewFrame* frame);

// Brings the screen up to date with `edit`: top and top display line from
// the frame, the cursor's position and location from the cursor, the
// changed lines laid out and drawn, the highlight made equal to edit.mark;
// clears edit.damage. A redraw of the whole screen takes the snapshot, any
// smaller drawing marks it stale (ensure_snapshot takes it again). Also
// right after a repaint of the whole screen (which shows no highlight), with
// no damage recorded: it then only draws the highlight. Without a surface
// (counting mode) it copies the positions and clears the damage.
void apply_view_damage(Document& doc, Screen& s, EditState& edit);

}  // namespace rix

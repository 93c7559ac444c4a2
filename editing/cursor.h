// The cursor model's arithmetic: where a position stands within its display
// line, placing the cursor, and moving the top of the screen (the view
// frame) so that the cursor stays shown. Loads more of a partly loaded
// document when the screen reaches past what is loaded.
#pragma once

#include <cstdint>

#include "editing/edit_state.h"

namespace rix {

struct CellAt {
    std::uint32_t cell = 0;       // cells before pos on its display line, indentation excluded
    bool second_half = false;     // pos is the second character of a half-width pair
    TextPos line_start;           // start of pos's display line
};
// Where pos stands on its display line. A position inside a block or a
// double-byte character counts as the cell that holds it.
CellAt cell_at(Document& doc, TextPos pos);

// Puts the cursor at pos: cell, second half, display-line number and screen
// line (relative to frame.top; may lie outside [0, screen_lines) until
// keep_cursor_on_screen). `remember` sets the remembered cell.
void place_cursor(EditContext& c, TextPos pos, bool remember = true);

// Recomputes frame.top_display_line after the line table changed and the
// cursor's screen line from it.
void refresh_frame(EditContext& c);

// Makes `top` (a display-line start) the first screen line; marks the top moved.
void set_top(EditContext& c, TextPos top);

// Scrolls the frame by n display lines (n > 0 towards the end). Forward
// scrolling stops when the last display line of the text reaches the first
// screen line. Returns the lines actually scrolled (signed). The cursor keeps
// its position; its screen line changes by the scrolled amount.
int scroll_frame(EditContext& c, int n);

// Scrolls as little as needed for the cursor to be on a screen line.
void keep_cursor_on_screen(EditContext& c);

// Loads more of a partly loaded document until `lines` display lines follow
// the display line of pos, or everything is loaded. Needs c.session.
void load_for(EditContext& c, TextPos pos, std::uint32_t lines);

// The document end: the end mark's position once loaded, else the end of the
// last loaded line.
TextPos document_end(const Document& doc);
bool at_document_start(TextPos pos);

}  // namespace rix

// Text rendering: lays display lines out onto the screen lines of the
// current geometry and draws them on a Surface, cell by cell, with ruby,
// marks, line-mark digits and the grid; keeps the ScreenCellMap of what was
// drawn; inverts marked text; scrolls and erases screen lines; runs the
// repaint road.
//
// Owns nothing outside Screen. The document is read, never changed (the wrap
// cache of lp_load is the one exception). Without a surface (counting mode)
// the layout only counts. Drawing never reports errors.
//
// Design rules:
// - A screen line is drawn the moment its last cell is placed (put_cell),
//   from its ScreenCellMap record, so that drawing and the map never differ.
// - Ruby is queued while a line is laid out and drawn once, after the
//   line's text, because drawing the line first erases its strip.
// - The wrap decision is the document's (line_capacity, may_break_after): a
//   screen line never holds another break than the line table counts.
#pragma once

#include <cstdint>
#include <vector>

#include "display/geometry.h"
#include "display/line_font.h"
#include "display/screen_maps.h"
#include "document/document.h"
#include "platform/fonts.h"
#include "platform/surface.h"

namespace rix {

// What drawing needs of the format besides the geometry.
struct RenderFormat {
    int grid_style = 0;                  // 0 none, 1 single lines, 2 double lines, 3 cells
    int halfwidth_display = 0;           // vertical writing: 0 横転 (lying pairs), 1 組文字 (upright pairs)
    std::uint8_t mark_flags = 0;         // bit 0 line-end and end-of-text marks, bit 1 page-break marks
    std::uint32_t text_colour = 0;       // COLORREF
    std::uint32_t grid_colour = 0x808080;
    std::uint32_t mark_colour = 0xFF0000;
    std::uint32_t fill_colour = 0xFFFFFF;
    FontRequest font;                    // the format font (vertical when its face began with "@")
    int font_record_px = 0;              // |height| of the font record; differs from font_h when oversized
    int cell_offset = 0;                 // cell_offset_percent, signed pixels
    bool print = false;                  // a print slot: no marks, no erasing
    bool print_line_colours = false;     // a print slot draws the colours of line formats
    bool plain_background = true;        // false: a background picture (no fast scroll)
    bool tag_windows_shown = false;      // (no fast scroll, longer erase strips)
};

// Where the cursor's position was laid out.
struct CursorLocation {
    int line = -1;                       // screen line; -1 = not on the screen
    int cell = 0;                        // cell within the display line, indentation excluded
    bool second_half = false;            // second byte of a half-width pair or of a double-byte code
};

// Counts of the last layout pass (counting mode and tests).
struct LayoutCounts {
    std::uint32_t display_lines = 0;     // display lines laid out (started)
    std::uint32_t cells = 0;             // character cells
    std::uint32_t rubies = 0;
    std::uint32_t tags = 0;
};

// One queued ruby: its characters and where they go, on one screen line.
struct RubyPiece {
    int line = 0;                        // the screen line it belongs to
    int across = 0;                      // right edge (vertical) or top (horizontal) of the ruby glyphs
    std::vector<std::pair<std::uint16_t, int>> glyphs;   // code, along start
};

enum : int { REINIT_NONE = 0, REINIT_FULL = 1, REINIT_LAYOUT = 2, REINIT_PAINT = 3 };
enum : int { PENDING_NOTHING = 0, PENDING_FULL = 1, PENDING_STARTUP = 2 };
enum : int { MARK_LINE_END = 0, MARK_TEXT_END = 1, MARK_PAGE_BREAK = 2 };
enum : int { TOP_KEEP_THIRD = 0, TOP_CENTRE = 1, TOP_CURSOR = 2 };

// The marked range as it is drawn inverted on the screen now.
struct ShownMarking {
    bool on = false;                     // false: no cell is shown inverted
    TextPos start, end;                  // [start, end) while on
};

struct Screen {
    DisplayGeometry geo;
    RenderFormat fmt;
    ScreenCellMap cells;
    ScreenLineMarks marks;
    Surface* surface = nullptr;          // null: counting mode
    Surface* blank_page = nullptr;       // background and grid, for erasing
    Surface* snapshot = nullptr;         // the finished screen
    bool snapshot_valid = false;
    std::uint64_t paints = 0;            // times the whole surface was painted blank

    TextPos top;                         // start of the display line on screen line 0
    DisplayLineNo top_display_line;      // its number from the start of the document
    TextPos cursor;                      // the cursor's position (kept by the editing layer)
    CursorLocation cursor_at;            // output of the last pass that met the cursor
    SurfaceRect grid_rect;               // stored by draw_grid
    LayoutCounts counts;
    ShownMarking shown_mark;             // what the pixels show inverted (kept by edit_view)
    LineFontCache line_fonts;            // line fonts made on the surface since prepare_screen

    // Drawing state.
    int pending_line = -1;               // put_cell's line not drawn yet; -1 = none
    bool full_redraw = false;            // the page was just painted blank: no erasing
    std::vector<RubyPiece> ruby_queue;
    int reinit_pending = PENDING_STARTUP;
    bool reinit_running = false;
};

// Sizes the maps from the geometry and gives the surface its fonts (text,
// ruby and mark fonts). Call after every recompute_geometry.
void prepare_screen(Screen& s);

// Lays out `count` screen lines from `start` (a display-line start, or a
// cell inside one when start_cell > 0), beginning at screen line
// first_line, cell start_cell. Draws each line as it completes. Returns the
// position after the last laid-out display line.
//
// Every pass draws a line the same way wherever it began: the part of a ruby
// carried over from the display line before first_line is drawn (also onto
// line 0 from above the screen), and ruby carried past the pass's last line
// is left to that line (it is already on the screen). A line drawn loses whatever
// highlight it showed: s.shown_mark no longer tells the truth for it, so a
// caller that lays out part of a marked screen goes through
// apply_view_damage (display/edit_view.h).
TextPos layout_and_draw(Document& doc, Screen& s, TextPos start, int first_line, int start_cell, int count);
// layout_and_draw from the top over every screen line; `full` marks a full
// redraw (the page was just painted: lines are not erased one by one). No
// highlight is shown afterwards (shown_mark is off).
TextPos relayout_screen(Document& doc, Screen& s, bool full);

// Stores cell `cell` of screen line `line` (after `indent` indentation
// cells) and draws the pending line when another begins; line -1 draws the
// pending line. A mark code draws its line at once.
void put_cell(Screen& s, int indent, int line, int cell, std::uint16_t code);
// Erases the line's strip and draws it from its records. A line of a later
// tier first draws the cells from tier_spill_cell on of the line of its row
// in the tier before (they lie in its strip), as a fresh layout would have
// drawn them before it; that line leaves them out.
void draw_screen_line(Screen& s, int line);

void draw_grid(Screen& s);
void draw_text_mark(Screen& s, int kind, int x, int y);
void draw_line_marks(Screen& s, int first_line, int count);

// Ruby block bytes (parameter byte, then two-byte codes) at screen line
// `line`, base starting at cell `cell` (indentation included); `indent` is
// that of the logical line's later display lines. Queued, drawn with the
// line. The ruby spreads over `base.cells` characters (the base the block
// asks for, or what is left of it in the line). A base that the wrap breaks
// (`base.runs_on`) splits the ruby in proportion to the base cells on each
// line, the first part rounded up to whole characters; otherwise the whole
// ruby stays on this line. Line -1 stands for the display line above the screen: only the part
// of the ruby that runs onto line 0 is queued.
struct RubyBase {
    int cells = 1;                       // base characters (cells) the ruby spreads over
    bool runs_on = false;                // the base goes on onto the next display line
    int cells_here = 1;                  // of them, on this display line (hanging cells included)
};
void queue_ruby(Screen& s, int line, int cell, const std::uint8_t* block, std::size_t size, int indent,
                RubyBase base);
// The pieces queue_ruby queues, placed on the geometry: the ruby's part on
// `line` (none for line -1) and the part that runs onto line + 1. Printing
// and the PDF writer place ruby through this one function.
std::vector<RubyPiece> place_ruby(const DisplayGeometry& g, int line, int cell, const std::uint8_t* block,
                                  std::size_t size, int indent, RubyBase base);
// The base of a ruby block (parameter byte first, `length` bytes with its
// markers) at cell k of a display line whose indentation is `indent` cells,
// at `at` in the text: the characters it asks for, or fewer where its line
// ends first (characters of the base deleted), and how many of them the
// display line holds before the wrap breaks it (hanging punctuation
// included), as the wrap itself decides. A ruby never spreads over what
// follows its line's end.
RubyBase ruby_base(Document& doc, int indent, int k, const std::uint8_t* block, std::uint32_t word, TextPos at,
                   std::uint32_t length);

// Inverts the glyph box of a cell (indentation included); a half-width
// character inverts the half it occupies.
void invert_cell(Screen& s, int line, int cell, bool half, bool second_half);
// Inverts every character laid out from `from` over `lines` screen lines
// whose position lies in [mark_start, mark_end). Calling it again undoes it.
void invert_marked_range(Document& doc, Screen& s, TextPos from, int lines, TextPos mark_start,
                         TextPos mark_end);
// invert_marked_range over the whole screen from s.top, leaving the screen
// lines in [skip_first, skip_last) as they are.
void invert_marked_screen(Document& doc, Screen& s, TextPos mark_start, TextPos mark_end, int skip_first = 0,
                          int skip_last = 0);

// Moves the picture and the maps of screen lines from `first` by n lines
// (forward: towards the end, as when lines are inserted); s.top is already
// the new top. A line whose cells ran past the surface's edge is laid out
// again where it lands; the uncovered lines are left clean for the caller.
// Returns true when it fell back to a full relayout instead.
bool scroll_screen_lines(Document& doc, Screen& s, bool forward, int n, int first);
void erase_screen_line(Screen& s, int line);
// The across and along extent of a line's strip as erasing copies it. The
// strips of one row's lines in successive tiers never overlap.
SurfaceRect screen_line_strip(const Screen& s, int line);
// The first cell (indentation included) whose drawing reaches into the
// strip of the line of the same row in the next tier: an end mark after the
// hanging cells where no gap or a page-break mark separates the tiers, or
// cells that a refused break pushed past them. That line erases and draws
// these cells; a pass that changes them lays that line out again. INT_MAX
// with one tier.
int tier_spill_cell(const Screen& s);

// A tag block on the screen: where it stands in the text and the glyph box
// of the cell it stands before (its anchor cell).
struct TagOnScreen {
    TextPos at;                          // the block's opening 0xFD
    int line = 0;                        // screen line
    SurfaceRect cell;                    // the anchor cell's glyph box, surface pixels
};
// Every tag block of the screen laid out from s.top, in text order. Reads
// the document only (the wrap cache aside) and draws nothing; empty before
// the geometry is computed.
std::vector<TagOnScreen> tags_on_screen(Document& doc, const Screen& s);

// Paints the fill over the whole surface; with plain_background off the picture is the caller's.
void paint_background(Screen& s);
void take_blank_page(Screen& s);
void take_snapshot(Screen& s);
// Takes the snapshot when it is stale (before something covers the window,
// e.g. an input-method composition); false without a snapshot surface.
bool ensure_snapshot(Screen& s);

// Chooses the top of the screen for the cursor (TOP_*): a third of a tier
// above the cursor, or the cursor's line at the top; near the end of the
// text the end sits on the last screen line.
void place_top_line(Document& doc, Screen& s, int policy);

// The repaint road. reinit_screen(REINIT_FULL / REINIT_LAYOUT) marks a full
// re-initialisation pending and returns true (the caller invalidates the
// window; REINIT_FULL also marks the settings changed). REINIT_PAINT
// performs what is pending and returns whether it drew: a pending
// re-initialisation runs `rebuild` (geometry, fonts, surfaces; false =
// nothing to draw) and then repaint_screen; otherwise a damaged screen is
// repainted. Re-entry is ignored.
template <class Rebuild>
bool reinit_screen(Document& doc, Screen& s, int mode, Rebuild&& rebuild);
// Background, grid, blank page, top line (centring when `place`), full
// relayout, snapshot.
void repaint_screen(Document& doc, Screen& s, bool place);

template <class Rebuild>
bool reinit_screen(Document& doc, Screen& s, int mode, Rebuild&& rebuild) {
    if (s.reinit_running) return false;
    if (mode == REINIT_FULL || mode == REINIT_LAYOUT) {
        if (s.reinit_pending == PENDING_NOTHING) s.reinit_pending = PENDING_FULL;
        return true;
    }
    s.reinit_running = true;
    bool drew = false;
    if (s.reinit_pending != PENDING_NOTHING) {
        s.reinit_pending = PENDING_NOTHING;
        if (rebuild(s)) {
            repaint_screen(doc, s, true);
            drew = true;
        }
    } else if (s.surface && s.geo.computed()) {
        repaint_screen(doc, s, false);
        drew = true;
    }
    s.reinit_running = false;
    return drew;
}

}  // namespace rix

// Display lines: the wrap cache of one logical line and the arithmetic that
// moves between display lines (cursor movement, scrolling, searching).
//
// All positions are TextPos (line << 16 | byte column). The cells of a
// display line and where it ends follow one rule shared with the loader,
// drawing and printing: a cell is one double-byte character, or one or two
// single-byte characters (storage.h); blocks and markers take no cell; the
// break rule (wrap.h) is asked once a display line has reached its capacity.
//
// Cost: lp_load on the cached line walks the break list only; otherwise it
// scans the line once. document_display_line sums through the LineTable's
// tree, never over all lines. recount_display_lines is the one full pass.
#pragma once

#include <cstdint>
#include <vector>

#include "document/document.h"

namespace rix {

// Fills the wrap cache for the line of pos (scanning it unless it is the
// cached line) and sets cache.current to the display line that holds the
// column of pos. A line without an end within MAX_LINE_SCAN bytes adds the
// loop-error notice to Document::notices and is treated as ended there. A line beyond the loaded
// lines is described as one empty display line.
void lp_load(Document& doc, TextPos pos);

// The display line of pos within its logical line.
std::uint32_t display_line_index_of(Document& doc, TextPos pos);
// Display lines from the one that holds pos to the end of its logical line,
// that one included (1 on the last display line).
std::uint32_t display_lines_from(Document& doc, TextPos pos);
// Display lines of all earlier logical lines plus the display line of pos.
DisplayLineNo document_display_line(Document& doc, TextPos pos);

// The display lines of one loaded line under doc.rules and its line format,
// scanned afresh (no cache; the loader and recount use it).
std::uint32_t count_display_lines(const Document& doc, std::uint32_t line);
// Rewrites the display-line count of every loaded line for the current rules
// (after a format or kinsoku change), drops the wrap cache and returns
// document_display_line(pos).
DisplayLineNo recount_display_lines(Document& doc, TextPos pos);

struct DisplayMove {
    TextPos pos;            // start of the display line reached
    std::uint32_t moved;    // display lines actually moved (= n when the whole move was possible)
};

// n display lines towards the end / the start from the display line of pos.
// Forward stops on the last display line of the last loaded line, backward
// on the first display line of line 0; `moved` tells how far it went.
DisplayMove display_lines_forward(Document& doc, TextPos pos, std::uint32_t n);
DisplayMove display_lines_backward(Document& doc, TextPos pos, std::uint32_t n);

struct CellMove {
    bool ok = false;               // false: k != 0 and not one display line could be moved
    TextPos pos;                   // the position reached
    std::uint32_t cell = 0;        // cell index reached within the display line
    bool second_half = false;      // pos is the second byte of a half-width pair
    std::uint16_t ch = 0;          // character at pos (double-byte code, single byte, or the marker byte)
    TextPos line_start;            // start of the display line reached
};

// From `cursor`, |k| display lines towards the end (k > 0) or the start
// (k < 0), or the cursor's own display line (k = 0), at cell `cell` of that
// display line (the second half of a half-width pair when `half`). A cell
// beyond the display line gives its last character, or the line or text end;
// a cell at a ruby or tag block stops before the block, and a last character
// just after a ruby block is reached at the block's opening mark.
CellMove move_by_display_lines(Document& doc, TextPos cursor, int k, std::uint32_t cell, bool half);

// Line-table surgery on both tables of the document, dropping the wrap cache.
// insert: opens n entries before line `at` (the caller writes them).
// remove: removes lines at-n .. at-1.
void insert_line_entries(Document& doc, std::uint32_t at, std::uint32_t n);
void remove_line_entries(Document& doc, std::uint32_t at, std::uint32_t n);

// Lines [first, first + n) moved to stand before line `before` of the old
// numbering (before <= first or before >= first + n; before <= count()):
// the entries of both tables move (starts, marks, display-line counts and
// format words together; no text byte moves), the structure-index entries
// follow their lines and are put back in line and level order. Returns the
// line the first moved line now is.
std::uint32_t move_line_entries(Document& doc, std::uint32_t first, std::uint32_t n, std::uint32_t before);
// The line that line `line` is after move_line_entries(first, n, before).
std::uint32_t moved_line(std::uint32_t line, std::uint32_t first, std::uint32_t n, std::uint32_t before);

// Keeps structure-index entries on their lines after the surgery above:
// inserted: entries on lines >= at move down by n; removed: entries on lines
// at-n .. at-1 are taken out and returned (the caller shows a notice for each),
// entries on lines >= at move up by n.
std::vector<IndexEntry> adjust_index_entries(std::vector<IndexEntry>& index, std::uint32_t at, std::uint32_t n,
                                             bool inserted);

}  // namespace rix

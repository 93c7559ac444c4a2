// TextBoxModel: the Qt-free core of the shared text box (tags, the
// notebook's article box, the database record content box, the file viewer).
//
// Owns the text of one box as code page 932 bytes with CR LF line breaks,
// the caret and the anchor (byte offsets on character boundaries), a small
// undo journal, and the cell layout: fixed cells of the font's size set in
// lines of `cells_per_line` cells. In vertical writing a line of cells is a
// column, the first column stands at the right and the columns go on to the
// left; in horizontal writing (used only to paint a horizontal box onto a
// printer) the lines run from the top down.
//
// Layout rules, kept simple on purpose:
// - every character takes one cell: a half-width character too (it lies
//   turned in vertical writing), not two to a cell as in the edit window;
// - a line longer than a column goes on at the top of the next column;
//   CR LF starts a new column;
// - a tab or another control byte takes a cell and draws nothing.
//
// Invariants (check_invariant): the text is well formed (a lead byte is
// always followed by its trail byte; no byte that never stands as text; CR
// and LF only as CR LF), it fits the byte limit, and caret and anchor stand
// on character boundaries, never between CR and LF.
//
// Nothing here draws or knows about windows; text_box_draw.h draws a model
// on a Surface, platform/qt/qt_text_box.h is the widget.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/surface.h"

namespace rix {

// How inserted text came in: a run of typing merges into one undo step.
enum class TextInput : std::uint8_t {
    TYPED,       // a key (one character or the Enter key's CR LF)
    PASTED,      // the clipboard or a drop
    COMMITTED,   // an input-method commit: one step, inserted whole
};

// Caret moves. In vertical writing Down is NEXT_CHAR, Up PREV_CHAR, Left
// NEXT_COLUMN, Right PREV_COLUMN, Home/End COLUMN_START/COLUMN_END and
// Ctrl+Home/End TEXT_START/TEXT_END.
enum class TextMove : std::uint8_t {
    NEXT_CHAR,
    PREV_CHAR,
    NEXT_COLUMN,    // the same row of the next column, clamped to its end
    PREV_COLUMN,
    COLUMN_START,
    COLUMN_END,
    TEXT_START,
    TEXT_END,
};

// A cell of the layout: the line of cells (column in vertical writing,
// counted from the first) and the cell in it.
struct TextBoxCell {
    int column = 0;    // 0 = the first column (the rightmost in vertical writing)
    int row = 0;       // 0 = the top cell; == cells_per_line only for a caret after a full column
    bool operator==(const TextBoxCell&) const = default;
};

// One entry of the layout: a character, a line break or the end of the text.
struct TextBoxSlot {
    std::size_t offset = 0;   // byte offset of the character
    std::uint8_t length = 0;  // 1 or 2 bytes; 2 for CR LF; 0 for the end of the text
    bool line_break = false;  // CR LF: a caret position, not a drawn cell
    TextBoxCell cell;
};

class TextBoxModel {
public:
    TextBoxModel() { relayout(); }

    // ---- text --------------------------------------------------------------
    const std::string& text() const { return text_; }
    // Replaces the text (cleaned, cut to the limit); caret and anchor at 0,
    // the journal emptied. Not an edit: nothing to undo.
    void set_text(std::string_view cp932);
    // 0 = no limit. A text longer than a new limit is cut (journal emptied).
    void set_byte_limit(std::size_t limit);
    std::size_t byte_limit() const { return limit_; }

    // ---- caret and selection -------------------------------------------------
    std::size_t caret() const { return caret_; }
    std::size_t anchor() const { return anchor_; }
    bool has_selection() const { return caret_ != anchor_; }
    std::size_t selection_start() const { return caret_ < anchor_ ? caret_ : anchor_; }
    std::size_t selection_end() const { return caret_ < anchor_ ? anchor_ : caret_; }
    std::string selected_text() const { return text_.substr(selection_start(), selection_end() - selection_start()); }
    // Both offsets are moved back to a character boundary and into the text.
    void select(std::size_t anchor, std::size_t caret);
    void select_all() { select(0, text_.size()); }
    void move(TextMove move, bool extend);
    // The caret to the position nearest `cell` (a click; `extend`: Shift or a drag).
    void place_at(TextBoxCell cell, bool extend);

    // ---- edits (each returns true when the text changed) -------------------------
    // Replaces the selection by `cp932`, cleaned (lone CR or LF -> CR LF, bytes
    // that are never text dropped, a lead byte without its trail -> 〓) and cut
    // on a character boundary to what the limit leaves (CR LF never split).
    // When nothing of it fits, nothing changes, not even the selection.
    bool insert(std::string_view cp932, TextInput how);
    bool delete_forward();      // Delete: the selection, else the character after the caret
    bool backspace();           // Back Space: the selection, else the character before
    bool delete_selection();
    bool undo();
    bool redo();
    bool can_undo() const { return undo_count_ > 0; }
    bool can_redo() const { return undo_count_ < steps_.size(); }
    // The last insert was cut by the byte limit.
    bool last_insert_cut() const { return last_insert_cut_; }

    // ---- layout ----------------------------------------------------------------
    void set_cells_per_line(int cells);   // at least 1
    int cells_per_line() const { return cells_; }
    int column_count() const { return slots_.back().cell.column + 1; }
    // Every character, line break and the end, in text order.
    const std::vector<TextBoxSlot>& entries() const { return slots_; }
    // The index in entries() of the first entry of `column` (clamped into
    // the columns): where drawing a view that starts there begins, without
    // walking the columns before it.
    std::size_t first_entry_of(int column) const;
    TextBoxCell cell_of(std::size_t offset) const;
    // Where the caret is drawn (after a full column when it was put at its end).
    TextBoxCell caret_cell() const;
    // The caret offset nearest `cell` (clamped into the text); *trailing set
    // when it is the end of a full column rather than the next column's start.
    std::size_t offset_at(TextBoxCell cell, bool* trailing) const;

    // ---- scrolling (columns) ---------------------------------------------------
    int first_column() const { return first_column_; }
    // Clamped so that no more blank columns show than needed.
    void scroll_to(int first, int visible_columns);
    // Scrolls the least so that the caret's column is among the visible ones.
    void scroll_to_caret(int visible_columns);

    bool check_invariant() const;

private:
    enum class StepKind : std::uint8_t { TYPING, BACKSPACE, FORWARD_DELETE, OTHER };
    struct Step {
        std::size_t at = 0;
        std::string removed, inserted;
        std::size_t anchor_before = 0, caret_before = 0;
        StepKind kind = StepKind::OTHER;
    };

    void relayout();
    std::size_t slot_index(std::size_t offset) const;   // the slot that starts at or before offset
    std::size_t boundary(std::size_t offset) const { return slots_[slot_index(offset)].offset; }
    bool replace(std::size_t at, std::size_t length, std::string inserted, StepKind kind);
    void set_caret(std::size_t offset, bool extend, bool trailing);
    void end_run() { run_open_ = false; }

    std::string text_;
    std::size_t limit_ = 0;          // bytes; 0 = none
    std::size_t caret_ = 0, anchor_ = 0;
    bool trailing_ = false;          // caret shown after the full column before it
    int cells_ = 20;
    int first_column_ = 0;
    std::vector<TextBoxSlot> slots_;
    std::vector<std::size_t> column_start_;   // first slot index of each column
    std::vector<Step> steps_;        // [0, undo_count_) done, the rest undone (redo)
    std::size_t undo_count_ = 0;
    bool run_open_ = false;          // the newest step may take the next keystroke
    bool last_insert_cut_ = false;
};

// Cleans text for the box (see TextBoxModel::insert): clean_text of
// platform/text_tools.h, a lone CR made a line end.
std::string clean_box_text(std::string_view cp932);
// The longest prefix of clean text that fits `room` bytes: cut on a
// character boundary, never between CR and LF.
std::size_t fit_box_text(std::string_view clean, std::size_t room);

// Pixels of a box: cells of `cell` pixels, lines of cells `cell + gap` apart.
struct TextBoxGeometry {
    SurfaceRect area;          // the text area (inside any margin)
    int cell = 16;             // pixels, the font's height
    int gap = 8;               // pixels between two lines of cells
    bool vertical = true;

    int pitch() const { return cell + gap; }
    int cells_per_line() const;
    int visible_columns() const;
    // The pixels of a cell of the layout with `first` as the first visible column.
    SurfaceRect cell_rect(TextBoxCell cell, int first) const;
    // The cell whose boundary is nearest the point (a caret position): rows
    // round to the nearer cell edge, columns are the one under the point.
    TextBoxCell cell_at(int x, int y, int first) const;
};

}  // namespace rix

// The exact forms of insertion and deletion that undo and redo replay, and
// the cleaning of text handed to insert_text. Internal to editing/.
#pragma once

#include <string>
#include <string_view>

#include "editing/edit_state.h"

namespace rix {

// Inserts (insert = true) or overwrites at exactly pos (a character
// boundary of a loaded line; no moving past tag blocks). *after, when
// given, receives the position after the new text. False when refused.
bool insert_at(EditContext& c, TextPos pos, std::string_view text, bool insert, TextPos* after);

// Deletes exactly [start, end) (boundaries of loaded lines; no snapping,
// no moving past tag blocks). False when the range is empty or refused.
bool delete_exact(EditContext& c, TextPos start, TextPos end, const Cursor& restore);

// Where the screen's redraw of a change starts, taken before the change
// (see damage_base in edit_text.cpp).
struct DamageBase {
    DisplayLineNo from_display_line;
    std::uint64_t total = 0;
    std::uint32_t lines = 0;
};
DamageBase damage_base(Document& doc, TextPos from);

// What a change did, for the step it ends with.
struct ChangeDone {
    TextPos from;                            // the first position changed
    std::size_t bytes = 0;                   // bytes written or removed (the auto-save counts them)
    std::uint8_t modified = MODIFIED_TEXT;   // MODIFIED_TEXT: the text changed (page count, lowest change, auto-save)
    TextPos cursor;                          // where the cursor goes
    std::uint32_t first_line = 0, lines = 1; // the lines written, for the debug check
    const char* what = "";
    bool show_cursor = true;                 // false: the frame and the cursor stay (no text moved)
    bool remember_cell = true;               // the cursor's cell becomes the remembered one
};
// The one step every change of the document ends with, after the document
// and the journal are written and the top has followed the text: the
// modified flags and the counters other subsystems read, the frame, more of
// a partly loaded document loaded when the screen would run past it, the
// cursor placed and kept on screen (unless done.show_cursor is false), the damage noted, and (debug builds)
// the written lines checked.
void end_change(EditContext& c, const ChangeDone& done, const DamageBase& damage);

// What of raw text may stand in a line's editing form (see edit_text.cpp).
std::string sanitize_insert_text(std::string_view in);

// Debug builds check the document after every change of text (insert_at and
// delete_exact, so insert_text, delete_range, undo and redo): the lines
// [first, first + n) the change wrote and the document's end, through
// check_lines_invariant, at the cost of scanning and wrapping those lines
// once more, whatever the document's length. A broken invariant is a
// programming error: it is written to stderr and the program aborts.
// Release builds (NDEBUG) do not check.
#ifndef NDEBUG
void check_after_edit(const Document& doc, std::uint32_t first, std::uint32_t n, const char* what);
#else
inline void check_after_edit(const Document&, std::uint32_t, std::uint32_t, const char*) {}
#endif

}  // namespace rix

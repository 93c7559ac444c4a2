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

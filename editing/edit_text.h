// All changes of the document text: insert_text and delete_range, one
// logical line at a time through the staging area, journaled for undo;
// undo and redo; and the text forms of cut, copy and paste.
//
// Text handed in is raw buffer encoding: code page 932 characters, CR LF
// for a line break, ruby blocks (0xFF..0xFF) and tag blocks (0xFD..0xFD)
// whole. After every operation the cursor is placed (cell, screen line) and
// `edit.damage` tells the screen what changed.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "editing/edit_state.h"

namespace rix {

// Inserts (insert = true) or overwrites (false) at the cursor. False when
// refused (the line would pass the limits: the notice is shown; nothing changed).
bool insert_text(EditContext& c, std::string_view raw, bool insert);

// Deletes [start, end); start == end deletes the character or block at
// start (a line end joins the next line). `restore` is the cursor to put back
// when the deletion is undone. False when there was nothing to delete.
bool delete_range(EditContext& c, TextPos end, TextPos start, const Cursor& restore);

// A tag's window rewrites its block where it stands: the block is deleted
// and inserted again exactly at its place (never moved past another tag
// standing there), each an ordinary journaled edit. delete_block_at deletes
// only a whole ruby or tag block opening at `pos`; insert_block_at only a
// text that is one whole tag block. False when there is no such block or
// the edit is refused.
bool delete_block_at(EditContext& c, TextPos pos, const Cursor& restore);
bool insert_block_at(EditContext& c, TextPos pos, std::string_view block);
// The tag block opening at `pos` replaced by `block` (one whole tag block)
// where it stands, as one change: with `record`, journaled as an overwrite
// (one undo puts the old block back); without, of the same length only and
// no record (a tag's size bytes: the extension changes, not the text). The
// cursor keeps its place in the text. When the line cannot take the new
// block nothing changes. False when there is no tag block at `pos` or the
// edit is refused.
bool replace_block_at(EditContext& c, TextPos pos, std::string_view block, bool record = true);

// Lines [first, first + n) moved before line `before` (old numbering; not
// inside the moved lines), their marks, formats and index entries with
// them, as one journaled change (undo moves them back). The cursor and the
// top stay on their text; a marked range ends. The last line (the end of
// the text) neither moves nor has lines put after it. Returns the first
// moved line's new number, NO_LINE when the move is not possible.
std::uint32_t move_lines(EditContext& c, std::uint32_t first, std::uint32_t n, std::uint32_t before);

// Undo and redo of the journal (notices when there is nothing to do).
bool undo(EditContext& c);
bool redo(EditContext& c);

// A new or switched document: the journal, the staging area and the
// counters start afresh.
void reset_editing(EditState& edit);

// The marked range in export form (file text, CR LF line ends) for the clipboard.
std::string export_marked_text(EditContext& c);
// Clipboard text (UTF-8, any line ends) in raw buffer encoding for
// insert_text: CR LF line ends; no 0x00, 0x1A or 0xFC-0xFF bytes as text;
// characters outside code page 932 become 〓 (*replaced counts them).
std::string import_clipboard_text(std::string_view utf8, std::size_t* replaced);
// Text read from a file (code page 932, any line ends) in raw buffer
// encoding for insert_text: clean_text of platform/text_tools.h with a lone CR
// kept (CR LF and lone LFs become CR LF; NUL, 0x1A and 0xFC-0xFF dropped; a
// lead byte without a valid trail byte becomes 〓 and the byte after it is
// taken on its own).
std::string insertable_file_text(std::string_view text);

}  // namespace rix

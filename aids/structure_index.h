// The structure index (構成索引): the document's outline of named entries on
// logical lines, levels 1-7, kept in Document::index and saved in the
// extension file's index records.
//
// Invariants (index_invariant states them as code):
// - entries are ordered by line, entries of one line by level (shallower
//   first), and a line holds at most one entry per level;
// - names at most INDEX_NAME_BYTES bytes cut on a character boundary;
// - registering stops at INDEX_MAX_ENTRIES entries, but a document read
//   with more (an extension file or index lines from elsewhere) keeps them
//   all: each can be changed, deleted, moved and is saved again;
// - the level byte holds level - 1 in bits 0-2 and the page-break flag in
//   bit 3 (printing, PDF outlines and EPUB chapters read it).
//
// Everything here works on the plain document structs; the index window
// (app/index/index_window.h) asks the questions and shows the notices. Every
// change sets MODIFIED_EXTENSION; a section move is an edit of the text
// (editing/edit_text.h move_lines), one step of undo. Entries follow line insertions and deletions
// in the editing layer (adjust_index_entries, document/display_lines.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "document/document.h"
#include "document/document_state.h"
#include "document/notices.h"
#include "editing/edit_state.h"
#include "platform/messages.h"

namespace rix {

constexpr std::size_t INDEX_MAX_ENTRIES = 1000;            // registering stops here
constexpr std::size_t INDEX_NAME_BYTES = 40;            // the stored name
constexpr std::size_t INDEX_NOTEBOOK_NAME_BYTES = 69;   // a name handed to the notebook's heading box
constexpr int INDEX_LEVELS = 7;
constexpr std::uint8_t INDEX_LEVEL_BITS = 0x07;          // level - 1
constexpr std::uint8_t INDEX_PAGE_BREAK = 0x08;          // "+": a new page starts at the entry
constexpr std::uint8_t INDEX_ALL_LEVELS = 0x7F;          // filter: bit k = level k + 1 shown
constexpr std::size_t NO_INDEX_ENTRY = static_cast<std::size_t>(-1);

// 1..8 (8 only from a foreign file's bits).
inline int index_level(const IndexEntry& e) { return (e.level & INDEX_LEVEL_BITS) + 1; }
inline bool index_page_break(const IndexEntry& e) { return (e.level & INDEX_PAGE_BREAK) != 0; }
// The level byte of level 1..7 with the flag.
std::uint8_t index_level_byte(int level, bool page_break);

// A name as stored: at most max_bytes, cut after the last whole character.
std::string index_name(std::string_view text, std::size_t max_bytes = INDEX_NAME_BYTES);

enum class IndexStatus : std::uint8_t {
    OK,
    DUPLICATE,     // the line has an entry of that level already
    FULL,          // INDEX_MAX_ENTRIES entries or more: no new one
    NO_ENTRY,      // no such entry
    SAME_ENTRY,    // move: source and destination are one entry
    LAST_LINE,     // move: the source stands on the last line
    INTO_ITSELF,   // move: the destination lies inside the section
    SHARED_LINE,   // move: an entry outside the section shares the section's first line
    NOT_LOADED,    // move: the lines are not all loaded and cannot be
};

// Adds the notice of a refusal to `notices` (level: the level asked for, for
// DUPLICATE); OK adds none.
void note_index_status(IndexStatus status, int level, WindowRef owner, Notices& notices);

// Where an entry of `line` and `level` (1..7) goes: before the first entry
// whose line is greater, or equal with a level >= `level`.
std::size_t index_insertion_point(const std::vector<IndexEntry>& index, std::uint32_t line, int level);

// Registers an entry; *at (when given) receives its position. Refused:
// DUPLICATE, FULL.
IndexStatus add_index_entry(Document& doc, DocumentState& state, std::uint32_t line, int level, bool page_break,
                            std::string_view name, std::size_t* at = nullptr);
// Gives entry `entry` another level, flag and name. Refused: NO_ENTRY, and
// DUPLICATE when another entry of its line has that level. A new level may
// reorder the entries of that one line (shallower first); *at gets the
// entry's new position.
IndexStatus change_index_entry(Document& doc, DocumentState& state, std::size_t entry, int level, bool page_break,
                               std::string_view name, std::size_t* at = nullptr);
IndexStatus delete_index_entry(Document& doc, DocumentState& state, std::size_t entry);

// The name a line offers (登録 with an unchanged name box): the line in the
// export form without line-information lines or index notation, rubies as
// the export options say, leading full-width spaces skipped, up to the first
// line end, cut at INDEX_NAME_BYTES.
std::string index_name_from_line(const Document& doc, std::uint32_t line, const EditOptions& options);

// The entry the window selects for the cursor's line: the first entry on or
// after it, else the last one; NO_INDEX_ENTRY when there is none.
std::size_t index_entry_for_line(const std::vector<IndexEntry>& index, std::uint32_t line);

// ---- the section move -----------------------------------------------------

// A section: the source entry and the deeper entries after it, up to the
// next entry of its level or a shallower one; its lines run from the
// source's line up to that entry's line (only the source's line when there
// is none). The entries moved are exactly those on the moved lines.
struct IndexSection {
    std::size_t first_entry = 0, end_entry = 0;   // entries [first, end)
    std::uint32_t first_line = 0, line_count = 0;
    std::uint32_t before_line = 0;                // destination: lines go before this line
};

// Checks a move of entry `source`'s section before entry `destination`'s
// line. The document must hold every line up to the last entry's (the
// caller loads it). Refused: NO_ENTRY, SAME_ENTRY, LAST_LINE, INTO_ITSELF,
// SHARED_LINE, NOT_LOADED.
IndexStatus plan_index_move(const Document& doc, std::size_t source, std::size_t destination, IndexSection* out);
// Moves the planned section through move_lines: line-table and line-format
// entries reordered (no text byte moves), entries renumbered, one undoable
// step, the text and extension marked changed, the screen damaged whole.
// Returns the section's first line in the new order.
std::uint32_t apply_index_move(EditContext& c, const IndexSection& section);

// ---- the list rows --------------------------------------------------------

struct IndexRow {
    std::size_t entry = 0;    // position in the index
    std::string text;         // code page 932: "%5u" and "+" or " ", the tree glyphs, "%02u ", the name
};

// The rows of the entries whose level is shown in `filter` (bit k = level
// k + 1), with the tree glyphs ├ └ │ ─ (full-width space for an empty
// column) and the ordinals counted among the visible siblings.
std::vector<IndexRow> index_rows(const std::vector<IndexEntry>& index, std::uint8_t filter);

// "" when the index holds together, else what is wrong.
std::string index_invariant(const std::vector<IndexEntry>& index);

}  // namespace rix

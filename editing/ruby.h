// Ruby input: what a ruby can be put on at the cursor, the word-length
// classes that propose its base, and the pending edit that adds, replaces
// or removes a ruby block after the ruby dialog has closed.
//
// A ruby block (storage.h) stands just before its base and covers the next
// `param & 0x0F` cells (1..15); half-width pairs count as one cell. The
// pending edit is applied only through delete_range and insert_text, so it
// is journaled like any edit (a replacement makes two records: the deletion
// of the old block and the insertion of the new one). A ruby is extension
// data, not text: after the edit the modified flags are what they were plus
// MODIFIED_EXTENSION.
//
// Rubies never nest: a base candidate ends at the first ruby or tag block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "document/storage.h"
#include "editing/edit_state.h"

namespace rix {

constexpr std::size_t RUBY_DIALOG_BASE_LIMIT = 24;     // bytes of a marked range the ruby dialog takes
constexpr std::size_t SYNONYM_BASE_LIMIT = 20;         // the same for the synonym window
constexpr std::size_t RUBY_CANDIDATE_BYTES = 100;      // an unmarked base candidate is cut here
constexpr unsigned RUBY_NOTICE_MS = 3000;

// Word-length classes, by lead byte. ー and 々 continue the class before them.
enum class RubyClass : std::uint8_t {
    LATIN,     // lead 0x82 (hiragana, full-width Latin) and ASCII single bytes
    KANA,      // lead 0x83..0x87 (katakana and kana-like sets) and half-width katakana
    KANJI,     // lead 0x88 and above
    SYMBOL,    // lead 0x81, but ー and 々
};
// The class of one cell item (DOUBLE, SINGLE or PAIR; a pair by its first byte).
RubyClass ruby_class(ItemKind kind, std::uint16_t code, std::uint8_t first_byte);

// Cells of stored characters (no blocks expected; blocks count nothing).
std::uint32_t count_cells(std::string_view stored);
// The first `cells` cells of stored characters.
std::string_view first_cells(std::string_view stored, std::uint32_t cells);
// 語長: the cells of the run of one class at the start of `stored`.
std::uint32_t word_cells(std::string_view stored);

// What prepare_ruby_edit found at the cursor.
struct RubyTarget {
    int result = -1;               // parameter byte of a ruby found there (0 = none); -1 = no ruby can go there
    TextPos at;                    // where the ruby block stands or goes (the cursor after the call)
    bool existing = false;         // a ruby block stands at `at`
    TextPos block_end;             // existing: one past its closing 0xFF
    std::uint8_t param = 0;        // existing: its parameter byte
    std::string ruby_text;         // existing: its ruby text (code page 932)
    bool marked = false;           // the base came from a marked range
    std::string base;              // 対象語: the base candidate, stored characters without blocks
    std::uint32_t word = 0;        // 語長 in cells (marked: all cells of the candidate)
    std::uint32_t most_cells = 0;  // the longest base allowed: min(cells of the candidate, 15)
};

// Reads the base and an existing ruby at the cursor (moving the cursor to a
// marked range's start and past tag blocks). `limit_bytes` bounds a marked
// range ("指定文字範囲が長すぎます"); `report_line_end` shows the notice for a
// cursor on a line end or the end of the text (the synonym window does not).
RubyTarget prepare_ruby_edit(EditContext& c, std::size_t limit_bytes, bool report_line_end = true);

// storable_ruby_text (document/storage.h) makes typed ruby text storable.
// 0xFF, allotment << 4 | cells, text, 0xFF. cells must be 1..15.
std::string make_ruby_block(std::uint8_t allotment, std::uint32_t cells, std::string_view text);

enum class RubyEditKind : std::uint8_t { NONE, ADD, REPLACE, REMOVE };

struct PendingRubyEdit {
    RubyEditKind kind = RubyEditKind::NONE;
    TextPos at;                    // where the new block goes; the old block's start
    TextPos old_end;               // REPLACE, REMOVE: one past the old block
    std::string block;             // ADD, REPLACE: the new ruby block
};

// Runs the pending edit and clears it. The cursor ends before the block (at
// `at`). False when nothing was pending or the text no longer matches (the
// old block is not where it was); nothing changes then.
bool apply_ruby_edit(EditContext& c, PendingRubyEdit& pending);

}  // namespace rix

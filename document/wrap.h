// Line wrapping with kinsoku: where a logical line is cut into display lines.
//
// One break rule (may_break_after) serves every wrapper: the wrap cache and
// display-line counts, the loader, drawing, printing and the writers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace rix {

// The wrapping settings of one format, taken from the settings record.
struct WrapRules {
    std::uint32_t chars_per_column = 20;   // N, cells per display line
    std::uint8_t kinsoku_mode = 1;         // 0 none, 1 on, 2 double (one more hanging cell)
    bool small_kana_kinsoku = false;       // small kana may not begin a display line
    std::string line_start_prohibited;     // code page 932 bytes, at most 96
    std::string line_end_prohibited;       // code page 932 bytes, at most 48
};

// The small kana that may not begin a display line when small_kana_kinsoku is set.
bool is_small_kana(std::uint16_t code);
// Whole double-byte character membership, walked character by character
// within the field (a trail byte never matches as a lead).
bool set_contains(const std::string& set, std::uint16_t code);

// 1 to end the display line after the current character, 0 to let it run on.
// j: cells of the display line so far including the current character; ch:
// the current character (double-byte code, single byte, or the second byte of
// a half-width pair); next, next_trail: the first byte of the next character
// and the byte after it (see next_character).
int may_break_after(const WrapRules& rules, std::uint32_t j, std::uint16_t ch, std::uint8_t next,
                    std::uint8_t next_trail);

// What the break rule sees after a cell: the first byte of the next
// character and its trail byte. Ruby and tag blocks and ignored markers in
// between are skipped (they take no cell, and a block before its base text
// must not hide the character that follows); a line end, or no end within
// the scan limit, reads as 0xFE; the end of the text as 0x1A.
struct NextCharacter {
    std::uint8_t byte = 0xFE;
    std::uint8_t trail = 0;
};
// `line` is the stored line, `column` the byte after the current cell.
NextCharacter next_character(const std::uint8_t* line, std::size_t column);

// may_break_after for the cell of a stored line that ends before `column`.
int may_break_in_line(const WrapRules& rules, std::uint32_t j, std::uint16_t ch, const std::uint8_t* line,
                      std::size_t column);

// Indentation cells at the start of a display line: start indentation plus,
// on the first display line, the signed first-line adjustment. A sum below 0
// (an outdent beyond the indentation, only from a damaged file) reads as 0.
std::uint32_t display_line_indent(std::uint32_t format_word, bool first_display_line);

// Cells a display line may hold before the break rule is asked:
// N - display_line_indent - end indent, never less than 1, so a line whose
// indentation leaves no room still breaks. Drawing uses the same helpers, so
// the cells a line holds always start after the indentation it draws.
std::uint32_t line_capacity(const WrapRules& rules, std::uint32_t format_word, bool first_display_line);

// The rules from the settings record's fields: the two sets are byte fields
// of the given widths, NUL-terminated unless full (read with read_field).
WrapRules wrap_rules_from_fields(std::uint32_t chars_per_column, std::uint8_t kinsoku_mode, bool small_kana,
                                 const char* start_set_field, std::size_t start_width,
                                 const char* end_set_field, std::size_t end_width);

}  // namespace rix

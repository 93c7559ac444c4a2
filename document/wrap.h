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
// a half-width pair); next: the byte after it (never past the line end mark).
int may_break_after(const WrapRules& rules, std::uint32_t j, std::uint16_t ch, std::uint8_t next,
                    std::uint8_t next_trail);

// Cells a display line may hold before the break rule is asked:
// N - start indent - end indent - (first display line ? adjustment : 0),
// never less than 1, so a line whose indentation leaves no room still breaks.
// Drawing uses the same helper.
std::uint32_t line_capacity(const WrapRules& rules, std::uint32_t format_word, bool first_display_line);

// The rules from the settings record's fields: the two sets are byte fields
// of the given widths, NUL-terminated unless full (read with read_field).
WrapRules wrap_rules_from_fields(std::uint32_t chars_per_column, std::uint8_t kinsoku_mode, bool small_kana,
                                 const char* start_set_field, std::size_t start_width,
                                 const char* end_set_field, std::size_t end_width);

}  // namespace rix

// Plain-text notations read while loading: the ruby delimiters of each
// notation setting, the kanji-run test that finds a ruby's base, and the
// line-information lines (symbol + digits) that carry marks, line formats
// and structure-index entries.
//
// Pure functions of their arguments; the converter (convert.h) drives them.
//
// Line-information line (the raw line without its line end; S = the two
// bytes of the line-identification symbol, H = a hexadecimal digit, D = a
// decimal digit, " " = one blank):
//
//   FORM                      MEANING
//   S D " " title             index entry of level D (the title is the rest of the line)
//   S HHHH HHHH HHHH          line information: marks (w1 >> 8) & 0xF, line format w2 << 16 | w3
//   S HHHH HHHH HHHH D " " title   both
//
// Anything else is text. Titles keep their first 40 bytes, cut on a
// character boundary.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace rix {

constexpr std::uint16_t CODE_VERTICAL_BAR = 0x8162;     // ｜ marks where a ruby base begins
constexpr std::uint16_t CODE_KANJI_REPEAT = 0x8158;     // 々 continues a kanji run
constexpr std::uint16_t CODE_FIRST_KANJI = 0x889F;      // codes from here on are kanji
constexpr std::uint16_t CODE_FULL_WIDTH_SPACE = 0x8140;
constexpr std::size_t INDEX_TITLE_BYTES = 40;
constexpr std::size_t INFO_LINE_MAX_BYTES = 256;        // longer lines are always text

struct RubyDelimiters {
    std::uint16_t open = 0;    // double-byte code
    std::uint16_t close = 0;
};

// Notation 1 "（）", 2 "〈〉", 3 "《》", 4 the two characters of `custom`
// (4 bytes: two double-byte characters). 0, other values and a custom pair
// that is not two double-byte characters give "《》".
RubyDelimiters ruby_delimiters(std::uint8_t notation, std::string_view custom);

// A character that begins or continues a run of kanji (a ruby base). The
// one test of "kanji" that the reader and the writer of the notation share.
constexpr bool is_kanji_run_char(std::uint16_t code) { return code >= CODE_FIRST_KANJI || code == CODE_KANJI_REPEAT; }

// Where the reader of the notation lets the next ruby base begin, in byte
// columns of the line the caller is building. The reader
// (convert.cpp) and the writer's model of it (export.cpp) both run this, so
// a ruby written out is read back over the same base.
//
// - A base begins at the start of the line, where a run of kanji begins,
//   after a ｜, and after each ruby.
// - A ｜ holds the base start until the next ruby closes: kanji after kana
//   behind a ｜ do not start a new base (｜タワー駅《…》 covers タワー駅).
// - The ｜ itself is stored as text; when the ruby that follows it closes,
//   the ｜ is removed again (its base may be cut to its last 15 cells). A ｜
//   that marks no ruby (a second ｜, a line end, a notation that fails)
//   stays as text.
struct RubyBaseState {
    static constexpr std::uint32_t NO_BAR = 0xFFFFFFFFu;
    std::uint32_t base = 0;         // column where the next base begins
    std::uint32_t bar = NO_BAR;     // column of the ｜ holding the base; NO_BAR = none
    bool pinned = false;            // a ｜ holds the base start
    bool run = false;               // a run of kanji is going on

    // ｜ stored at `at` (two bytes).
    void bar_at(std::uint32_t at) {
        bar = at;
        base = at + 2;
        pinned = true;
        run = true;
    }
    // A double-byte character other than ｜ stored at `at`.
    void character(std::uint16_t code, std::uint32_t at) {
        const bool kanji = is_kanji_run_char(code);
        if (kanji && !run && !pinned) base = at;
        run = kanji;
    }
    // A lone CR inside the line.
    void break_run() { run = false; }
    // Whether a ｜ goes when a ruby closes over a base from `base_start`.
    bool bar_taken_by(std::uint32_t base_start) const { return bar != NO_BAR && bar + 2 <= base_start; }
    // A ruby closed; the line (after removing a taken ｜) is `end` bytes long.
    void ruby_closed(std::uint32_t end) {
        base = end;
        bar = NO_BAR;
        pinned = false;
    }
};

struct InfoLine {
    bool has_index = false;        // an index entry: level and title
    bool has_info = false;         // line information: marks and format word
    std::uint8_t level = 0;        // 0..9
    std::string title;             // at most 40 bytes
    std::uint8_t marks = 0;        // bits 0..3 = marks 1..4
    std::uint32_t format_word = 0;
};

// Reads a raw line (without CR LF) as a line-information line. False when it
// does not begin with `symbol` (which must be 2 bytes), is 4 bytes or shorter,
// longer than INFO_LINE_MAX_BYTES, or matches none of the forms above.
bool parse_info_line(std::string_view line, std::string_view symbol, InfoLine* out);

}  // namespace rix

// Line wrapping with kinsoku: where a logical line is cut into display lines.
//
// One break rule (may_break_after) serves every wrapper: the wrap cache and
// display-line counts, the loader, drawing, printing and the writers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace rix {

// Whole double-byte character membership, walked character by character
// within the stored bytes: a lead byte takes the byte after it as its trail
// (a trail byte never matches as a lead); a lead byte that ends the bytes,
// and any other byte, is a single-byte member, which matches only a
// single-byte character. Cost: a walk of the bytes. The break rule looks
// sets up through BreakSet, which answers the same in O(1).
bool set_contains(std::string_view set, std::uint16_t code);

// One set of the break rule (the characters that may not begin a display
// line, or may not end one): the stored bytes of its settings field and a
// bitmap of their members, rebuilt whenever the bytes change, so that
// contains(code) answers set_contains(bytes(), code) in O(1).
class BreakSet {
public:
    BreakSet& operator=(std::string_view bytes);
    BreakSet& operator+=(std::string_view bytes);
    void clear() { *this = std::string_view(); }
    const std::string& bytes() const { return bytes_; }
    bool operator==(const BreakSet& other) const { return bytes_ == other.bytes_; }
    friend bool operator==(const BreakSet& set, std::string_view bytes) { return set.bytes_ == bytes; }

    bool contains(std::uint16_t code) const {
        if (code <= 0xFF) return bit(singles_, code);
        const int row = lead_row(static_cast<std::uint8_t>(code >> 8));
        return row >= 0 && bit(doubles_ + row * WORDS_PER_ROW, code & 0xFF);
    }

private:
    static constexpr int LEADS = 60;          // lead bytes 0x81-0x9F and 0xE0-0xFC
    static constexpr int WORDS_PER_ROW = 4;   // 256 bits, one per second byte
    // The bitmap row of a lead byte, -1 for a byte that is not one.
    static constexpr int lead_row(std::uint8_t b) {
        return b >= 0x81 && b <= 0x9F ? b - 0x81 : b >= 0xE0 && b <= 0xFC ? b - 0xE0 + 0x1F : -1;
    }
    static bool bit(const std::uint64_t* words, unsigned k) { return (words[k >> 6] >> (k & 63)) & 1; }
    void rebuild();

    std::string bytes_;                            // code page 932 bytes, as the field holds them
    std::uint64_t singles_[WORDS_PER_ROW] = {};    // single-byte members, by byte value
    std::uint64_t doubles_[LEADS * WORDS_PER_ROW] = {};   // double-byte members: row of the lead, bit of the trail
};

// The wrapping settings of one format, taken from the settings record.
struct WrapRules {
    std::uint32_t chars_per_column = 20;   // N, cells per display line
    std::uint8_t kinsoku_mode = 1;         // 0 none, 1 on, 2 double (one more hanging cell)
    bool small_kana_kinsoku = false;       // small kana may not begin a display line
    BreakSet line_start_prohibited;        // code page 932 bytes, at most 96
    BreakSet line_end_prohibited;          // code page 932 bytes, at most 48
};

// The small kana that may not begin a display line when small_kana_kinsoku is set.
bool is_small_kana(std::uint16_t code);

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

// The line-format word: one 32-bit word per logical line that gives the line
// its indentation, colour, size step and bold toggle. Every reader of a field
// goes through decode_line_format or the field functions below; every writer
// builds the word with encode_line_format, which masks each field so that a
// value out of its range never spills into a neighbour.
//
//   BITS    FIELD              VALUES
//   28-31   colour             palette index 0-15 (BASIC_PALETTE)
//   27      colour on          the colour replaces the format's text colour
//   24-26   first-line indent  0-4 as such; 5, 6, 7 stand for -1, -2, -3
//   20-23   indentation        cells at the start of every display line, 0-15
//   16-19   end indentation    cells kept free at the end of every display line, 0-15
//   15      bold toggle        inverts the boldness of the format font
//   12-14   size field         0 = 100 %, 1-4 = 110-140 %, 5-7 = 90-70 %
//   0-11    unused             0
//
// The size index s runs 0 (140 %) ... 4 (100 %) ... 7 (70 %); the size is
// 140 - 10 s per cent. A word of 0 is the plain line.
#pragma once

#include <cstdint>

namespace rix {

constexpr std::uint32_t LINE_COLOUR_SHIFT = 28;
constexpr std::uint32_t LINE_COLOUR_ON = 1u << 27;
constexpr std::uint32_t LINE_FIRST_SHIFT = 24;
constexpr std::uint32_t LINE_INDENT_SHIFT = 20;
constexpr std::uint32_t LINE_END_SHIFT = 16;
constexpr std::uint32_t LINE_BOLD = 1u << 15;
constexpr std::uint32_t LINE_SIZE_SHIFT = 12;
constexpr int LINE_SIZE_STEPS = 8;            // size indexes 0..7
constexpr int LINE_SIZE_PLAIN = 4;            // the size index of 100 %
constexpr int LINE_INDENT_MAX = 15;
constexpr int LINE_FIRST_MIN = -3;
constexpr int LINE_FIRST_MAX = 4;

// A line-format word taken apart.
struct LineFormat {
    int colour = 0;             // palette index 0..15
    bool colour_on = false;
    int first_line = 0;         // -3..4 cells added to the first display line's indentation
    int indent = 0;             // 0..15 cells
    int end_indent = 0;         // 0..15 cells
    bool bold_toggle = false;
    int size_index = LINE_SIZE_PLAIN;   // 0 (140 %) .. 7 (70 %)
    bool operator==(const LineFormat&) const = default;
};

// Field values outside their ranges are masked (the low bits kept), as the
// stored word can hold nothing else; a first-line value outside -3..4 keeps
// its low three bits.
std::uint32_t encode_line_format(const LineFormat& f);
LineFormat decode_line_format(std::uint32_t word);

// Size field <-> size index: the field 0-4 is index 4-0, 5-7 stays 5-7.
constexpr int size_index_of_field(std::uint32_t field) {
    const int v = static_cast<int>(field & 7);
    return v > 4 ? v : 4 - v;
}
constexpr std::uint32_t size_field_of_index(int index) {
    const int s = index & 7;
    return static_cast<std::uint32_t>(s > 4 ? s : 4 - s);
}
// 140 - 10 s per cent.
constexpr int size_percent(int size_index) { return 140 - 10 * (size_index & 7); }

// The fields wrapping, layout and the writers read.
constexpr std::uint32_t end_indent(std::uint32_t word) { return (word >> LINE_END_SHIFT) & 0x0F; }
constexpr std::uint32_t start_indent(std::uint32_t word) { return (word >> LINE_INDENT_SHIFT) & 0x0F; }
// First-line adjustment: 0..4 cells further in, 5..7 one to three cells out (as -1..-3).
constexpr int first_line_adjustment(std::uint32_t word) {
    const int a = static_cast<int>((word >> LINE_FIRST_SHIFT) & 0x07);
    return a <= 4 ? a : 4 - a;
}
constexpr bool line_colour_on(std::uint32_t word) { return (word & LINE_COLOUR_ON) != 0; }
constexpr int line_colour(std::uint32_t word) { return static_cast<int>(word >> LINE_COLOUR_SHIFT); }
constexpr int line_size_index(std::uint32_t word) { return size_index_of_field(word >> LINE_SIZE_SHIFT); }
constexpr bool line_bold_toggle(std::uint32_t word) { return (word & LINE_BOLD) != 0; }
// The word with its size index replaced (the index taken modulo 8).
constexpr std::uint32_t with_size_index(std::uint32_t word, int size_index) {
    return (word & ~(7u << LINE_SIZE_SHIFT)) | size_field_of_index(size_index) << LINE_SIZE_SHIFT;
}

}  // namespace rix

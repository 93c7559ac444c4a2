// The line-format word: golden words from the bit table, masking, the round
// trip over every field value and the size index arithmetic.
// Owed: nothing known.
#include <gtest/gtest.h>

#include "document/line_format.h"

using namespace rix;

namespace {

LineFormat plain() { return LineFormat{}; }

}  // namespace

TEST(LineFormatWord, GoldenWordsOfEachField) {
    EXPECT_EQ(encode_line_format(plain()), 0u);   // the plain line is 0
    LineFormat f = plain();
    f.colour = 9;
    f.colour_on = true;
    EXPECT_EQ(encode_line_format(f), 0x98000000u);
    f = plain();
    f.first_line = -1;
    EXPECT_EQ(encode_line_format(f), 0x05000000u);
    f.first_line = -3;
    EXPECT_EQ(encode_line_format(f), 0x07000000u);
    f.first_line = 4;
    EXPECT_EQ(encode_line_format(f), 0x04000000u);
    f = plain();
    f.indent = 2;
    EXPECT_EQ(encode_line_format(f), 0x00200000u);
    f.indent = 15;
    f.end_indent = 3;
    EXPECT_EQ(encode_line_format(f), 0x00F30000u);
    f = plain();
    f.bold_toggle = true;
    EXPECT_EQ(encode_line_format(f), 0x00008000u);
    f = plain();
    f.size_index = 0;   // 140 %: field 4
    EXPECT_EQ(encode_line_format(f), 0x00004000u);
    f.size_index = 3;   // 110 %: field 1
    EXPECT_EQ(encode_line_format(f), 0x00001000u);
    f.size_index = 5;   // 90 %: field 5
    EXPECT_EQ(encode_line_format(f), 0x00005000u);
    f.size_index = 7;   // 70 %: field 7
    EXPECT_EQ(encode_line_format(f), 0x00007000u);
    // All together: colour 12 on, first line -2, indent 1, end 2, bold, 120 %.
    const LineFormat all{12, true, -2, 1, 2, true, 2};
    EXPECT_EQ(encode_line_format(all), 0xCE12A000u);
    EXPECT_EQ(decode_line_format(0xCE12A000u), all);
}

TEST(LineFormatWord, OutOfRangeValuesNeverSpillIntoNeighbours) {
    LineFormat f = plain();
    f.indent = 16;                  // masked to 0, bit 24 untouched
    EXPECT_EQ(encode_line_format(f), 0u);
    f.indent = 0x1F;
    EXPECT_EQ(encode_line_format(f), 0x00F00000u);
    f = plain();
    f.end_indent = 0x13;
    EXPECT_EQ(encode_line_format(f), 0x00030000u);
    f = plain();
    f.colour = 0x1C;                // colour field only; the top bits are the word's end
    EXPECT_EQ(encode_line_format(f), 0xC0000000u);
    f = plain();
    f.first_line = 12;              // 12 & 7 = 4
    EXPECT_EQ(encode_line_format(f), 0x04000000u);
    f = plain();
    f.size_index = 12;              // 12 & 7 = 4: 100 %
    EXPECT_EQ(encode_line_format(f), 0u);
    // The low twelve bits are never written.
    for (int v = -40; v < 40; ++v) {
        const LineFormat g{v, true, v, v, v, true, v};
        EXPECT_EQ(encode_line_format(g) & 0x0FFFu, 0u) << v;
    }
}

TEST(LineFormatWord, EveryFieldValueRoundTrips) {
    for (int colour = 0; colour < 16; ++colour)
        for (int first = LINE_FIRST_MIN; first <= LINE_FIRST_MAX; ++first)
            for (int size = 0; size < LINE_SIZE_STEPS; ++size)
                for (int bits = 0; bits < 4; ++bits) {
                    const LineFormat f{colour, (bits & 1) != 0, first, (colour * 7) % 16, (15 - colour), (bits & 2) != 0, size};
                    const std::uint32_t w = encode_line_format(f);
                    ASSERT_EQ(decode_line_format(w), f) << std::hex << w;
                    EXPECT_EQ(first_line_adjustment(w), first);
                    EXPECT_EQ(size_percent(line_size_index(w)), 140 - 10 * size);
                }
    for (int indent = 0; indent <= LINE_INDENT_MAX; ++indent) {
        LineFormat f = plain();
        f.indent = indent;
        f.end_indent = LINE_INDENT_MAX - indent;
        EXPECT_EQ(decode_line_format(encode_line_format(f)), f);
    }
}

TEST(LineFormatWord, SizeIndexWrapsBothWays) {
    const std::uint32_t w = 0x00200000u;   // indent 2 at 100 %
    EXPECT_EQ(line_size_index(w), LINE_SIZE_PLAIN);
    EXPECT_EQ(size_percent(line_size_index(with_size_index(w, 7))), 70);
    // Past 70 % comes 140 %, before 140 % comes 70 %; other fields stay.
    EXPECT_EQ(with_size_index(w, 8), 0x00204000u);
    EXPECT_EQ(with_size_index(w, -1), 0x00207000u);
    EXPECT_EQ(start_indent(with_size_index(w, -1)), 2u);
    EXPECT_EQ(size_index_of_field(0), 4);
    EXPECT_EQ(size_index_of_field(4), 0);
    EXPECT_EQ(size_index_of_field(5), 5);
}

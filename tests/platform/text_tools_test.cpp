// Tests of the text helpers every layer shares (platform/text_tools.h):
// markup escaping, grouped numbers, and the clean-up of code page 932 text
// from outside.
#include "platform/text_tools.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "platform/codec.h"

namespace rix {
namespace {

std::string sj(std::string_view utf8) { return utf8_to_sjis(utf8); }

TEST(MarkupEscaping, EachKindEscapesItsOwnCharacters) {
    const std::string in = "a<b & c>d \"q\" 'e'";
    EXPECT_EQ(escape_markup(in, Markup::XML), "a&lt;b &amp; c&gt;d &quot;q&quot; 'e'");
    EXPECT_EQ(escape_markup(in, Markup::HTML_TEXT), "a&lt;b &amp; c&gt;d \"q\" 'e'");
    EXPECT_EQ(escape_markup(in, Markup::HTML_ATTRIBUTE), "a&lt;b &amp; c>d &quot;q&quot; 'e'");
    EXPECT_EQ(escape_markup("&amp;", Markup::XML), "&amp;amp;");   // nothing is taken for a reference already
    EXPECT_EQ(escape_markup("", Markup::HTML_TEXT), "");

    std::string out = "<p>";
    append_markup(&out, "x<y", Markup::HTML_TEXT);
    EXPECT_EQ(out, "<p>x&lt;y");
}

TEST(MarkupEscaping, ControlsAsEachLanguageAllows) {
    const std::string in("a\x01\tb\nc\rd\x1F" "e\x7F", 11);
    // XML keeps tab and the line ends; no other C0 control is allowed there.
    EXPECT_EQ(escape_markup(in, Markup::XML), std::string("a\tb\nc\rde\x7F"));
    // An HTML line is written whole by the writer: only the tab stays.
    EXPECT_EQ(escape_markup(in, Markup::HTML_TEXT), std::string("a\tbcde\x7F"));
    EXPECT_EQ(escape_markup(in, Markup::HTML_ATTRIBUTE), std::string("a\tbcde\x7F"));
    EXPECT_EQ(escape_markup(std::string("\0", 1), Markup::XML), "");
}

TEST(MarkupEscaping, DoubleByteCharactersPassWhole) {
    // ソ is 0x83 0x5C, 表 0x95 0x5C, ＼ 0x81 0x5F, 〓 0x81 0xAC: trail bytes in
    // the ASCII range pass as they are, in every kind.
    const std::string sjis = sj("ソ＼表<〓>");
    EXPECT_EQ(escape_markup(sjis, Markup::HTML_TEXT), sj("ソ＼表&lt;〓&gt;"));
    EXPECT_EQ(escape_markup(sjis, Markup::HTML_ATTRIBUTE), sj("ソ＼表&lt;〓>"));
    EXPECT_EQ(escape_markup(sjis, Markup::XML), sj("ソ＼表&lt;〓&gt;"));
    // Half-width katakana are single bytes of 0xA1-0xDF.
    EXPECT_EQ(escape_markup(sj("ｱ&ﾝ"), Markup::HTML_TEXT), sj("ｱ&amp;ﾝ"));
    // UTF-8 continuation bytes are never below 0x80.
    EXPECT_EQ(escape_markup("原稿 \"題\"", Markup::XML), "原稿 &quot;題&quot;");
}

TEST(GroupedNumbers, CommasBetweenGroupsOfThree) {
    EXPECT_EQ(group_thousands(0), "0");
    EXPECT_EQ(group_thousands(999), "999");
    EXPECT_EQ(group_thousands(1000), "1,000");
    EXPECT_EQ(group_thousands(1005), "1,005");
    EXPECT_EQ(group_thousands(999'999), "999,999");
    EXPECT_EQ(group_thousands(2'621'440), "2,621,440");
    EXPECT_EQ(group_thousands(3'000'000'000ull), "3,000,000,000");   // past 32 bits (file sizes)
    EXPECT_EQ(group_thousands(std::numeric_limits<std::uint64_t>::max()), "18,446,744,073,709,551,615");
}

TEST(CleanText, LineEndsEitherWay) {
    EXPECT_EQ(clean_text("a\nb\r\nc\rd\r", LoneCr::KEEP), "a\r\nb\r\nc\rd\r");
    EXPECT_EQ(clean_text("a\nb\r\nc\rd\r", LoneCr::LINE_END), "a\r\nb\r\nc\r\nd\r\n");
    EXPECT_EQ(clean_text("\n\n", LoneCr::KEEP), "\r\n\r\n");
    EXPECT_EQ(clean_text("\r\r\n", LoneCr::LINE_END), "\r\n\r\n");   // CR, then a pair
    EXPECT_EQ(clean_text("", LoneCr::LINE_END), "");
}

TEST(CleanText, NeverTextDroppedAndSingleBytesKept) {
    for (LoneCr cr : {LoneCr::KEEP, LoneCr::LINE_END}) {
        EXPECT_EQ(clean_text(std::string("x\0y\x1A" "z\xFC\xFD\xFE\xFF" "w", 10), cr), "xyzw");
        // 0x80, 0xA0, the half-width katakana, DEL and the other controls stand as text.
        const std::string singles("\x80\xA0\xA1\xDF~\x7F\t\x01", 8);
        EXPECT_EQ(clean_text(singles, cr), singles);
    }
}

TEST(CleanText, PairsAreNeverSplitOrMangled) {
    for (LoneCr cr : {LoneCr::KEEP, LoneCr::LINE_END}) {
        SCOPED_TRACE(static_cast<int>(cr));
        // Trail bytes over the whole range, those that look like ASCII
        // (0x40 '@', 0x5C '\', 0x7E '~') and those that look like lead bytes
        // (0x81, 0x9F, 0xE0) or a marker (0xFC) among them: each pair stays.
        for (int lead : {0x81, 0x9F, 0xE0, 0xEF, 0xFB}) {
            for (int trail : {0x40, 0x5C, 0x7E, 0x80, 0x81, 0x9F, 0xA0, 0xE0, 0xFC}) {
                const std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
                EXPECT_EQ(clean_text("a" + pair + "\n", cr), "a" + pair + "\r\n") << std::hex << lead << ' ' << trail;
            }
        }
        // A pair whose trail looks like a lead byte does not swallow the next character.
        EXPECT_EQ(clean_text("\x88\x81\x82\xA0", cr), "\x88\x81\x82\xA0");
        EXPECT_EQ(clean_text(sj("ソ表") + "\r\n", cr), sj("ソ表") + "\r\n");
        // A lead byte without its trail: 〓, and the next byte on its own.
        EXPECT_EQ(clean_text("\x82", cr), GETA_MARK);
        EXPECT_EQ(clean_text("\x82\x0D\x0A", cr), std::string(GETA_MARK) + "\r\n");
        EXPECT_EQ(clean_text("\x88\x7F" "a", cr), std::string(GETA_MARK) + "\x7F" "a");   // 0x7F is no trail
        EXPECT_EQ(clean_text("\x88\xFD" "a", cr), std::string(GETA_MARK) + "a");          // nor is a marker
        EXPECT_EQ(clean_text(std::string("\x88\x9F\x88", 3), cr), std::string("\x88\x9F\x81\xAC", 4));
        // What comes out is clean already.
        const std::string once = clean_text(std::string("\x82\r\x81\0\x1A\x83\x5C\xFF\n", 10), cr);
        EXPECT_EQ(clean_text(once, cr), once);
    }
}

}  // namespace
}  // namespace rix

// The editing form of the chunk converter and the placement of its lines.
#include "document/edit_convert.h"

#include <gtest/gtest.h>

#include "doc_builder.h"
#include "document/convert.h"

namespace rix {
namespace {

using test::sj;

EditConversion convert(std::string_view raw, std::vector<std::uint32_t> offsets = {}, std::uint32_t tab = 4) {
    return convert_edit_text(raw, test::rules(10, 1), 0, tab, offsets);
}

TEST(EditConvert, LinesBlocksAndDroppedBytes) {
    const std::string tg = test::tag("a\r\nb");   // a tag may hold a line break
    const std::string raw = sj("あ") + tg + "x\r\n\n" + test::ruby("る", 1) + sj("い") + "\r\xFC" + "\xFF" +
                            "\r\n" + "ta\x1Ail\x1A";   // only the last 0x1A ends the text
    EditConversion c = convert(raw, {0, 2, 3, static_cast<std::uint32_t>(raw.size())});
    ASSERT_EQ(c.status, EditConvertStatus::OK);
    ASSERT_EQ(c.lines.size(), 3u);
    EXPECT_EQ(c.lines[0], sj("あ") + tg + "x");
    EXPECT_EQ(c.lines[1], test::ruby("る", 1) + sj("い") + "\r");   // lone LF, 0xFC, an open 0xFF dropped
    EXPECT_EQ(c.lines[2], "tail");
    EXPECT_TRUE(c.text_end);
    EXPECT_EQ(c.positions[0], TextPos(0, 0));
    EXPECT_EQ(c.positions[1], TextPos(0, 2));
    EXPECT_EQ(c.positions[2], TextPos(0, 2 + static_cast<std::uint32_t>(tg.size())));   // inside the tag: after it
    EXPECT_EQ(c.positions[3], TextPos(2, 4));
}

TEST(EditConvert, TabsStopOrDropAndBadLeadBytesBecomeGeta) {
    EXPECT_EQ(convert("a\tb\r\n").lines[0], "a" + sj("　　　") + "b");
    EXPECT_EQ(convert(sj("あいうえおか") + "\t\r\n").lines[0], sj("あいうえおか"));   // no room for a stop
    EXPECT_EQ(convert("\t\r\n", {}, 0).lines[0], "");
    EXPECT_EQ(convert("\x82\r\n").lines[0], sj("〓"));   // the CR LF is not taken as its trail
    EXPECT_FALSE(convert("ab").text_end);   // no terminator: a line end
}

TEST(EditConvert, LineLimits) {
    std::string chars(LINE_TEXT_LIMIT, 'a');
    EXPECT_EQ(convert(chars + "\r\n").status, EditConvertStatus::OK);
    EXPECT_EQ(convert(chars + "a\r\n").status, EditConvertStatus::LINE_TOO_LONG);
    EXPECT_EQ(convert(chars + "\r\n" + chars + "\x1A").status, EditConvertStatus::OK);
}

TEST(EditConvert, ABlockRewrittenInPlaceOrPlacedAgainKeepsTheLinesMarksAndWord) {
    Document doc;
    doc.rules = test::rules(10, 1);
    const std::string old_tag = test::tag("ab");
    test::build(doc, {"x" + old_tag + sj("あいうえお"), "last"}, {0x100, 0});
    doc.lines.set_marks(0, 0x05);
    const BufferOffset start = doc.lines.start(0);
    const std::uint64_t generation = doc.generation;
    // The same length: written where it stands, the staged copies made stale.
    ASSERT_EQ(rewrite_line_bytes(doc, TextPos(0, 1), 8, test::tag("cd"), 0), EditConvertStatus::OK);
    EXPECT_EQ(doc.lines.start(0), start);
    EXPECT_NE(doc.generation, generation);
    EXPECT_EQ(edit_text_of_line(doc, 0), "x" + test::tag("cd") + sj("あいうえお") + "\r\n");
    // Longer: the line is placed again and wraps into more display lines.
    const std::string longer = test::tag(std::string(30, 'n'));
    ASSERT_EQ(rewrite_line_bytes(doc, TextPos(0, 1), 8, longer, 0), EditConvertStatus::OK);
    EXPECT_EQ(edit_text_of_line(doc, 0), "x" + longer + sj("あいうえお") + "\r\n");
    EXPECT_EQ(doc.lines.marks(0), 0x05);
    EXPECT_EQ(doc.formats.word(0), 0x100u);
    EXPECT_EQ(check_document_invariant(doc), "");
    // A span past the line's text changes nothing.
    const std::string before = edit_text_of_line(doc, 1);
    EXPECT_NE(rewrite_line_bytes(doc, TextPos(1, 2), 5, "zzzzz", 0), EditConvertStatus::OK);
    EXPECT_EQ(edit_text_of_line(doc, 1), before);
}

TEST(EditConvert, PlacementInPlaceAtTheEndOrWhereItFits) {
    Document doc;
    doc.rules = test::rules(10, 1);
    test::build(doc, {"abc", "def", "gh"});
    const BufferOffset end = doc.buffer.append_position();
    // Line 0 is not the newest: a longer form goes to the append position.
    EditConversion c = convert("abcXYZ\r\n");
    ASSERT_EQ(place_edit_lines(doc, 0, 1, c, {}), EditConvertStatus::OK);
    EXPECT_EQ(doc.lines.start(0), end);
    // Now it is the newest: rewritten in place, the append position follows it.
    c = convert("abcXYZW\r\n");
    ASSERT_EQ(place_edit_lines(doc, 0, 1, c, {}), EditConvertStatus::OK);
    EXPECT_EQ(doc.lines.start(0), end);
    EXPECT_EQ(doc.buffer.append_position(), end + 10);
    // Lines 1 and 2 joined fit where they lay; the append position stays.
    const BufferOffset line1 = doc.lines.start(1);
    c = convert("degh\x1A");
    ASSERT_EQ(place_edit_lines(doc, 1, 2, c, {}), EditConvertStatus::OK);
    EXPECT_EQ(doc.lines.count(), 2u);
    EXPECT_EQ(doc.lines.start(1), line1);
    EXPECT_EQ(doc.buffer.append_position(), end + 10);
    EXPECT_EQ(doc.load.end, TextPos(1, 4));
    // A split raises the count and moves the end with the output.
    c = convert("de\r\ngh\r\nij\x1A");
    ASSERT_EQ(place_edit_lines(doc, 1, 1, c, {0, 7}), EditConvertStatus::OK);
    EXPECT_EQ(doc.lines.count(), 4u);
    EXPECT_EQ(doc.load.end, TextPos(3, 2));
    EXPECT_EQ(doc.formats.word(2), 7u);
    EXPECT_EQ(doc.formats.word(3), 0u);
    EXPECT_EQ(check_document_invariant(doc), "");
}

}  // namespace
}  // namespace rix

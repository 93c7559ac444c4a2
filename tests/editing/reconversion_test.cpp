// The phrase offered for reconversion: where the segment starts and ends
// around the cursor or the marked text, and the text the input method gets.
#include "editing/reconversion.h"

#include <gtest/gtest.h>

#include "tests/document/doc_builder.h"

namespace rix {
namespace {

using test::sj;

struct Scan {
    Document doc;
    explicit Scan(const std::vector<std::string>& lines) { test::build(doc, lines); }
    ReconversionSegment at(std::uint32_t column, std::uint32_t line = 0) {
        return reconversion_segment(doc, TextPos(line, column), false, {}, {});
    }
    ReconversionSegment marked(TextPos a, TextPos b) { return reconversion_segment(doc, a, true, a, b); }
    std::string text(const ReconversionSegment& seg, int* before = nullptr) {
        return reconversion_text(doc, seg, before);
    }
};

TEST(Reconversion, TheMiddleOfAKanjiRunStartsAtItsFirstKanji) {
    Scan s({sj("私は日本語を書く。次")});
    ReconversionSegment seg = s.at(6);   // 本
    ASSERT_EQ(seg.result, ReconversionResult::OK);
    EXPECT_EQ(seg.start, 4u);            // 日
    EXPECT_EQ(seg.target, 6u);
    EXPECT_EQ(seg.end, 16u);             // the 。 after the cursor ends it
    int before = 0;
    EXPECT_EQ(s.text(seg, &before), "日本語を書く");
    EXPECT_EQ(before, 1);
    // Hiragana after a run: the run still starts the segment.
    EXPECT_EQ(s.at(10).start, 4u);
    // On the 。 itself there is nothing to reconvert.
    EXPECT_EQ(s.at(16).result, ReconversionResult::NOTHING_HERE);
    // The line end neither.
    EXPECT_EQ(s.at(20).result, ReconversionResult::NOTHING_HERE);
}

TEST(Reconversion, BlocksAreSkippedBeforeAndEndThePhraseAfter) {
    Scan s({sj("あ") + test::ruby("かん", 1) + sj("漢字") + test::tag("t") + sj("です")});
    const std::uint32_t kanji = 2 + static_cast<std::uint32_t>(test::ruby("かん", 1).size());
    ReconversionSegment seg = s.at(kanji + 2);   // 字
    ASSERT_EQ(seg.result, ReconversionResult::OK);
    EXPECT_EQ(seg.start, kanji);                 // after the ruby block
    EXPECT_EQ(seg.end, kanji + 4);               // the tag block ends it
    EXPECT_EQ(s.text(seg), "漢字");
}

TEST(Reconversion, AWidthChangeEndsThePhraseAndLettersGoFullWidth) {
    Scan s({sj("かなabc d") + sj("です")});
    ReconversionSegment seg = s.at(0);
    ASSERT_EQ(seg.result, ReconversionResult::OK);
    EXPECT_EQ(seg.end, 4u);                      // before a
    EXPECT_EQ(seg.byte_width, 2);
    seg = s.at(6);                               // c
    ASSERT_EQ(seg.result, ReconversionResult::OK);
    EXPECT_EQ(seg.start, 4u);                    // where the width changed
    EXPECT_EQ(seg.end, 9u);                      // before で
    EXPECT_EQ(seg.byte_width, 1);
    EXPECT_EQ(s.text(seg), "ａｂｃ\u3000ｄ");
    EXPECT_EQ(reconversion_column(s.doc, seg, 2), 6u);
}

TEST(Reconversion, MarkedTextWithinOneLineOnly) {
    Scan s({sj("今日は晴れ"), sj("明日は雨")});
    ReconversionSegment seg = s.marked(TextPos(0, 2), TextPos(0, 6));
    ASSERT_EQ(seg.result, ReconversionResult::OK);
    EXPECT_TRUE(seg.from_marking);
    EXPECT_EQ(seg.start, 2u);
    EXPECT_EQ(seg.target, 2u);
    EXPECT_EQ(seg.end, 6u);
    EXPECT_EQ(s.text(seg), "日は");
    // Up to the next line's start: the line end is marked with it.
    EXPECT_EQ(s.marked(TextPos(0, 6), TextPos(1, 0)).end, 10u);
    EXPECT_EQ(s.marked(TextPos(0, 2), TextPos(1, 2)).result, ReconversionResult::RANGE_SPANS_LINES);
}

}  // namespace
}  // namespace rix

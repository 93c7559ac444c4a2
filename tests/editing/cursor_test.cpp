// Cursor placement and the view frame over hand-built documents.
#include "editing/cursor.h"

#include <gtest/gtest.h>

#include "../document/doc_builder.h"

namespace rix {
namespace {

using test::build;
using test::sj;

struct CursorFixture : ::testing::Test {
    Document doc;
    DocumentState state;
    EditState edit;
    EditContext c{doc, state, edit, nullptr};
    void SetUp() override { doc.rules = test::rules(4, 0); }
};

TEST_F(CursorFixture, CellsCountPairsAndSkipBlocks) {
    build(doc, {sj("あab") + test::ruby("かん", 2) + sj("漢字cd")});
    // あ | ab | [ruby] 漢 | 字 (wrap at 4 cells) | cd
    CellAt a = cell_at(doc, TextPos(0, 3));   // 'b': second half of the pair
    EXPECT_EQ(a.cell, 1u);
    EXPECT_TRUE(a.second_half);
    CellAt kan = cell_at(doc, TextPos(0, 4));   // the ruby block stands before 漢, cell 2
    EXPECT_EQ(kan.cell, 2u);
    EXPECT_FALSE(kan.second_half);
    const std::uint32_t cd = static_cast<std::uint32_t>(4 + test::ruby("かん", 2).size() + 4);
    CellAt second_line = cell_at(doc, TextPos(0, cd));
    EXPECT_EQ(second_line.cell, 0u);
    EXPECT_EQ(second_line.line_start, TextPos(0, cd));
}

TEST_F(CursorFixture, ScrollingKeepsTheCursorOnScreen) {
    std::vector<std::string> lines;
    for (int i = 0; i < 30; ++i) lines.push_back(sj("あいうえおか"));   // two display lines each
    build(doc, lines);
    edit.frame.screen_lines = 10;
    place_cursor(c, TextPos(12, 0));
    EXPECT_EQ(edit.cursor.display_line.value, 24u);
    EXPECT_EQ(edit.cursor.screen_line, 24);
    keep_cursor_on_screen(c);
    EXPECT_EQ(edit.cursor.screen_line, 9);
    EXPECT_EQ(edit.frame.top_display_line.value, 15u);
    EXPECT_TRUE(edit.damage.top_moved);
    EXPECT_EQ(scroll_frame(c, -100), -15);
    EXPECT_EQ(edit.frame.top, TextPos(0, 0));
    EXPECT_EQ(document_end(doc), TextPos(29, 12));
}

}  // namespace
}  // namespace rix

// The core of the shared text box without Qt (platform/text_box_model.h):
// the column layout, the caret moves of vertical writing, selection,
// the journal, the byte limit, cleaning, hit tests and scrolling; then the
// drawing through the recording surface (platform/text_box_draw.h).
//
// Still owed: a preedit longer than the rest of its column; a horizontal
// box painted with half-width characters.
#include "platform/text_box_model.h"

#include <gtest/gtest.h>

#include <random>

#include "platform/codec.h"
#include "platform/recording_surface.h"
#include "platform/text_box_draw.h"

namespace rix {
namespace {

std::string sj(std::string_view utf8) { return utf8_to_sjis(utf8); }

TextBoxModel box_of(std::string_view utf8, int rows) {
    TextBoxModel m;
    m.set_cells_per_line(rows);
    m.set_text(sj(utf8));
    return m;
}

// Offset of the n-th character (0-based) of a text of double-byte characters.
constexpr std::size_t at(int n) { return static_cast<std::size_t>(n) * 2; }

// ---- layout ---------------------------------------------------------------------

TEST(TextBoxLayout, ColumnsFillFromTheTopAndWrap) {
    const TextBoxModel m = box_of("あいうえお", 3);
    EXPECT_EQ(m.cell_of(at(0)), (TextBoxCell{0, 0}));
    EXPECT_EQ(m.cell_of(at(2)), (TextBoxCell{0, 2}));
    EXPECT_EQ(m.cell_of(at(3)), (TextBoxCell{1, 0}));   // え opens the next column
    EXPECT_EQ(m.cell_of(at(4)), (TextBoxCell{1, 1}));
    EXPECT_EQ(m.cell_of(at(5)), (TextBoxCell{1, 2}));   // the end
    EXPECT_EQ(m.column_count(), 2);
}

TEST(TextBoxLayout, LineBreaksStartColumnsAndHalfWidthTakesACell) {
    // A line that fills its column exactly: the break hangs after it, and
    // the next line still starts only one column on.
    const TextBoxModel m = box_of("あいう\r\n\r\naえ", 3);
    EXPECT_EQ(m.cell_of(at(3)), (TextBoxCell{0, 3}));        // the first CR LF
    EXPECT_EQ(m.cell_of(at(3) + 2), (TextBoxCell{1, 0}));    // the empty line
    EXPECT_EQ(m.cell_of(at(3) + 4), (TextBoxCell{2, 0}));    // a
    EXPECT_EQ(m.cell_of(at(3) + 5), (TextBoxCell{2, 1}));    // え after one cell
    EXPECT_EQ(m.column_count(), 3);
    // Every character is one slot; CR LF one slot of two bytes.
    EXPECT_EQ(m.entries().size(), 3u + 1 + 1 + 2 + 1);
}

TEST(TextBoxLayout, EachColumnsFirstEntryIsFoundWithoutWalking) {
    const TextBoxModel m = box_of("あいう\r\n\r\naえおか", 3);
    // Columns: あいう(CR LF) | (CR LF) | aえお | か(end).
    ASSERT_EQ(m.column_count(), 4);
    for (int column = 0; column < m.column_count(); ++column) {
        const std::size_t i = m.first_entry_of(column);
        EXPECT_EQ(m.entries()[i].cell, (TextBoxCell{column, 0})) << column;
        if (i > 0) {
            EXPECT_EQ(m.entries()[i - 1].cell.column, column - 1) << column;
        }
    }
    EXPECT_EQ(m.first_entry_of(-5), 0u);                              // clamped into the columns
    EXPECT_EQ(m.first_entry_of(99), m.first_entry_of(3));
    EXPECT_EQ(box_of("", 3).first_entry_of(0), 0u);
}

TEST(TextBoxLayout, GeometryPutsTheFirstColumnAtTheRight) {
    TextBoxGeometry g;
    g.area = {10, 20, 100, 64};
    g.cell = 16;
    g.gap = 8;
    EXPECT_EQ(g.cells_per_line(), 4);
    EXPECT_EQ(g.visible_columns(), 4);   // (100 + 8) / 24
    const SurfaceRect first = g.cell_rect({0, 0}, 0);
    EXPECT_EQ(first.x + first.w, 110);
    EXPECT_EQ(first.y, 20);
    const SurfaceRect next = g.cell_rect({1, 2}, 0);
    EXPECT_EQ(next.x, 110 - 24 - 16);
    EXPECT_EQ(next.y, 20 + 32);
    // Scrolled by one column, column 1 stands where column 0 stood.
    EXPECT_EQ(g.cell_rect({1, 0}, 1).x, first.x);
}

// ---- hit tests ------------------------------------------------------------------

TEST(TextBoxHitTest, PointsGoToTheNearestCaretPosition) {
    TextBoxGeometry g;
    g.area = {0, 0, 96, 48};   // 3 rows of 16, columns 24 apart from x = 96
    g.cell = 16;
    g.gap = 8;
    EXPECT_EQ(g.cell_at(90, 2, 0), (TextBoxCell{0, 0}));
    EXPECT_EQ(g.cell_at(90, 7, 0), (TextBoxCell{0, 0}));
    EXPECT_EQ(g.cell_at(90, 9, 0), (TextBoxCell{0, 1}));    // past the middle of the first cell
    EXPECT_EQ(g.cell_at(60, 20, 0), (TextBoxCell{1, 1}));
    EXPECT_EQ(g.cell_at(60, 47, 0), (TextBoxCell{1, 3}));   // the bottom edge: after the last cell
    EXPECT_EQ(g.cell_at(60, 20, 2), (TextBoxCell{3, 1}));
    EXPECT_EQ(g.cell_at(100, 5, 0).column, -1);             // right of the first column

    TextBoxModel m = box_of("あいうえお\r\nか", 3);
    bool trailing = true;
    EXPECT_EQ(m.offset_at({1, 1}, &trailing), at(4));
    EXPECT_FALSE(trailing);
    // Past the end of a line: its end; past the end of a full column: after
    // its last character, shown there.
    EXPECT_EQ(m.offset_at({1, 3}, &trailing), at(5));
    EXPECT_FALSE(trailing);
    EXPECT_EQ(m.offset_at({0, 3}, &trailing), at(3));
    EXPECT_TRUE(trailing);
    m.place_at({0, 3}, false);
    EXPECT_EQ(m.caret_cell(), (TextBoxCell{0, 3}));
    EXPECT_EQ(m.offset_at({9, 0}, &trailing), m.text().size());
    EXPECT_EQ(m.offset_at({-1, 0}, &trailing), 0u);
}

// ---- moves and selection ----------------------------------------------------------

TEST(TextBoxMoves, VerticalArrows) {
    TextBoxModel m = box_of("あいうえお\r\nかき", 3);   // columns: あいう | えお | かき
    m.move(TextMove::NEXT_CHAR, false);                 // Down
    EXPECT_EQ(m.caret(), at(1));
    m.move(TextMove::NEXT_COLUMN, false);               // Left: the same row of the next column
    EXPECT_EQ(m.caret(), at(4));
    m.move(TextMove::NEXT_CHAR, false);
    EXPECT_EQ(m.caret(), at(5));                        // the line's end
    m.move(TextMove::NEXT_CHAR, false);                 // CR LF is one step
    EXPECT_EQ(m.caret(), at(5) + 2);
    EXPECT_EQ(m.caret_cell(), (TextBoxCell{2, 0}));
    m.move(TextMove::PREV_CHAR, false);                 // Up, back over CR LF
    EXPECT_EQ(m.caret(), at(5));
    m.select(at(2), at(2));                             // う, the bottom of the first column
    m.move(TextMove::NEXT_COLUMN, false);               // clamped to the end of えお
    EXPECT_EQ(m.caret(), at(5));
    m.move(TextMove::PREV_COLUMN, false);               // Right: back to row 2
    EXPECT_EQ(m.caret(), at(2));
    m.move(TextMove::PREV_COLUMN, false);               // no column before the first
    EXPECT_EQ(m.caret(), at(2));
    m.select(0, 0);
    m.move(TextMove::PREV_CHAR, false);
    EXPECT_EQ(m.caret(), 0u);
}

TEST(TextBoxMoves, ColumnAndTextEnds) {
    TextBoxModel m = box_of("あいうえお\r\nかき", 3);
    m.select(at(1), at(1));
    m.move(TextMove::COLUMN_END, false);
    // A full column ends after its last character, the caret below it.
    EXPECT_EQ(m.caret(), at(3));
    EXPECT_EQ(m.caret_cell(), (TextBoxCell{0, 3}));
    m.move(TextMove::PREV_CHAR, false);
    EXPECT_EQ(m.caret(), at(2));
    m.move(TextMove::COLUMN_START, false);
    EXPECT_EQ(m.caret(), 0u);
    m.select(at(4), at(4));
    m.move(TextMove::COLUMN_START, false);
    EXPECT_EQ(m.caret(), at(3));
    m.move(TextMove::COLUMN_END, false);                // a line's end
    EXPECT_EQ(m.caret(), at(5));
    EXPECT_EQ(m.caret_cell(), (TextBoxCell{1, 2}));
    m.move(TextMove::TEXT_END, false);
    EXPECT_EQ(m.caret(), m.text().size());
    m.move(TextMove::TEXT_START, false);
    EXPECT_EQ(m.caret(), 0u);
}

TEST(TextBoxMoves, ShiftExtendsTheSelection) {
    TextBoxModel m = box_of("あいうえお", 3);
    m.move(TextMove::NEXT_CHAR, true);   // Shift+Down
    m.move(TextMove::NEXT_CHAR, true);
    EXPECT_EQ(m.anchor(), 0u);
    EXPECT_EQ(m.selected_text(), sj("あい"));
    m.move(TextMove::NEXT_COLUMN, true);   // Shift+Left
    EXPECT_EQ(m.selected_text(), sj("あいうえお"));
    m.move(TextMove::PREV_CHAR, false);    // a plain move drops the selection
    EXPECT_FALSE(m.has_selection());
    m.select(at(4), at(1));                // backwards
    EXPECT_EQ(m.selection_start(), at(1));
    EXPECT_EQ(m.selected_text(), sj("いうえ"));
    // Offsets inside a character or between CR and LF go back to its start.
    TextBoxModel n = box_of("あ\r\nい", 3);
    n.select(1, 3);
    EXPECT_EQ(n.anchor(), 0u);
    EXPECT_EQ(n.caret(), 2u);
}

// ---- edits, journal -----------------------------------------------------------------

TEST(TextBoxEdits, TypingIsOneUndoStepPerRun) {
    TextBoxModel m;
    for (const char* c : {"あ", "い", "う"}) EXPECT_TRUE(m.insert(sj(c), TextInput::TYPED));
    m.move(TextMove::PREV_CHAR, false);   // a move ends the run
    EXPECT_TRUE(m.insert(sj("え"), TextInput::TYPED));
    EXPECT_EQ(m.text(), sj("あいえう"));
    EXPECT_TRUE(m.undo());
    EXPECT_EQ(m.text(), sj("あいう"));
    EXPECT_EQ(m.caret(), at(2));          // where the caret was before the step
    EXPECT_TRUE(m.undo());
    EXPECT_EQ(m.text(), "");
    EXPECT_FALSE(m.undo());
    EXPECT_TRUE(m.redo());
    EXPECT_EQ(m.text(), sj("あいう"));
    EXPECT_EQ(m.caret(), at(3));
    EXPECT_TRUE(m.insert("x", TextInput::TYPED));   // a new edit drops the redo
    EXPECT_FALSE(m.can_redo());
    EXPECT_TRUE(m.check_invariant());
}

TEST(TextBoxEdits, CommitsPastesAndDeletionsAreTheirOwnSteps) {
    TextBoxModel m;
    m.insert(sj("a"), TextInput::TYPED);
    EXPECT_TRUE(m.insert(sj("漢字変換"), TextInput::COMMITTED));   // whole, one step
    m.insert(sj("b"), TextInput::TYPED);
    EXPECT_EQ(m.text(), sj("a漢字変換b"));
    m.undo();
    EXPECT_EQ(m.text(), sj("a漢字変換"));
    m.undo();
    EXPECT_EQ(m.text(), sj("a"));
    m.undo();
    EXPECT_EQ(m.text(), "");

    m.set_text(sj("あいうえ"));
    m.move(TextMove::TEXT_END, false);
    m.backspace();
    m.backspace();   // one run of Back Space
    EXPECT_EQ(m.text(), sj("あい"));
    m.move(TextMove::TEXT_START, false);
    m.delete_forward();
    m.delete_forward();
    EXPECT_EQ(m.text(), "");
    m.undo();
    EXPECT_EQ(m.text(), sj("あい"));
    m.undo();
    EXPECT_EQ(m.text(), sj("あいうえ"));
    EXPECT_FALSE(m.can_undo());   // set_text is not an edit

    m.select(at(1), at(3));
    m.insert(sj("X"), TextInput::PASTED);   // replaces the selection
    EXPECT_EQ(m.text(), sj("あXえ"));
    m.undo();
    EXPECT_EQ(m.text(), sj("あいうえ"));
    EXPECT_EQ(m.selected_text(), sj("いう"));   // the selection comes back
}

TEST(TextBoxEdits, LineBreaksAreDeletedWhole) {
    TextBoxModel m = box_of("あ\r\nい", 3);
    m.select(at(1) + 2, at(1) + 2);   // before い
    EXPECT_TRUE(m.backspace());
    EXPECT_EQ(m.text(), sj("あい"));
    m.select(at(1), at(1));
    m.insert("\n", TextInput::TYPED);   // a lone LF becomes CR LF
    EXPECT_EQ(m.text(), sj("あ\r\nい"));
    m.select(at(1), at(1));
    EXPECT_TRUE(m.delete_forward());
    EXPECT_EQ(m.text(), sj("あい"));
    EXPECT_TRUE(m.check_invariant());
}

// ---- byte limit and cleaning ----------------------------------------------------------

TEST(TextBoxLimit, CutsOnCharacterBoundariesAndNeverSplitsCrLf) {
    TextBoxModel m;
    m.set_byte_limit(5);
    m.insert("ab", TextInput::TYPED);
    // い would have its lead byte as the fifth byte: only あ goes in.
    EXPECT_TRUE(m.insert(sj("あい"), TextInput::PASTED));
    EXPECT_TRUE(m.last_insert_cut());
    EXPECT_EQ(m.text(), "ab" + sj("あ"));
    EXPECT_TRUE(m.insert("c", TextInput::TYPED));   // the fifth byte
    EXPECT_FALSE(m.insert(sj("う"), TextInput::TYPED));   // nothing fits
    EXPECT_EQ(m.text(), "ab" + sj("あ") + "c");

    // Room for one byte before a CR LF: the CR is not taken alone.
    m.set_text("abcd");
    EXPECT_FALSE(m.insert("\r\n", TextInput::TYPED));
    EXPECT_EQ(m.text(), "abcd");
    m.set_text("abc");
    m.move(TextMove::TEXT_END, false);
    EXPECT_TRUE(m.insert("x\r\ny", TextInput::PASTED));
    EXPECT_EQ(m.text(), "abcx");

    // A selection's bytes count as room.
    m.set_text(sj("あい") + "x");
    m.select(0, at(1));
    EXPECT_TRUE(m.insert(sj("か"), TextInput::TYPED));
    EXPECT_EQ(m.text(), sj("かい") + "x");

    // set_text and a smaller limit cut the same way.
    m.set_text("abcd" + sj("あ"));
    EXPECT_EQ(m.text(), "abcd");
    m.set_text(sj("かき") + "x");
    m.set_byte_limit(3);
    EXPECT_EQ(m.text(), sj("か"));
    m.set_byte_limit(0);
    m.set_text(std::string(3000, 'a'));
    EXPECT_EQ(m.text().size(), 3000u);
    EXPECT_TRUE(m.check_invariant());

    EXPECT_EQ(fit_box_text("ab\r\n", 3), 2u);
    EXPECT_EQ(fit_box_text(sj("あい"), 3), 2u);
}

TEST(TextBoxLimit, CleaningKeepsOnlyStorableText) {
    // A tag's text must never hold 0xFD (the tag block's own mark), NUL or 0x1A.
    EXPECT_EQ(clean_box_text(std::string("a\xFD" "b\0c\x1A", 6)), "abc");
    EXPECT_EQ(clean_box_text("a\rb\nc\r\nd"), "a\r\nb\r\nc\r\nd");
    EXPECT_EQ(clean_box_text("\x82"), GETA_MARK);           // a lead byte at the end
    EXPECT_EQ(clean_box_text("\x82\x0D\x0A"), std::string(GETA_MARK) + "\r\n");
    EXPECT_EQ(clean_box_text(sj("漢") + "\xA0\x80"), sj("漢") + "\xA0\x80");   // valid single bytes stay
    TextBoxModel m;
    m.set_text(std::string("x\xFDy"));
    EXPECT_EQ(m.text(), "xy");
}

// Random edits and moves never break the invariant, and undoing all of
// them gives the first text back.
TEST(TextBoxEdits, RandomEditsKeepTheInvariant) {
    std::mt19937 rng(23);
    const std::string pieces[] = {sj("あ"), "a", "\r\n", sj("「ー」"), "\n", std::string("\x82"), sj("漢字")};
    for (int round = 0; round < 20; ++round) {
        TextBoxModel m;
        m.set_cells_per_line(1 + static_cast<int>(rng() % 5));
        m.set_byte_limit(round % 2 ? 0 : 1 + rng() % 40);
        m.set_text(sj("はじめ"));
        const std::string first = m.text();
        int edits = 0;
        for (int i = 0; i < 150; ++i) {
            switch (rng() % 8) {
            case 0: edits += m.insert(pieces[rng() % 7], TextInput::TYPED); break;
            case 1: edits += m.insert(pieces[rng() % 7] + pieces[rng() % 7], TextInput::PASTED); break;
            case 2: edits += m.backspace(); break;
            case 3: edits += m.delete_forward(); break;
            case 4: m.move(static_cast<TextMove>(rng() % 8), rng() % 2); break;
            case 5: m.select(rng() % 50, rng() % 50); break;
            case 6: m.place_at({static_cast<int>(rng() % 8) - 1, static_cast<int>(rng() % 7)}, rng() % 2); break;
            case 7: m.undo(); break;
            }
            ASSERT_TRUE(m.check_invariant()) << "round " << round << " step " << i;
            const TextBoxCell c = m.caret_cell();
            ASSERT_LE(c.row, m.cells_per_line());
            ASSERT_LT(c.column, m.column_count());
        }
        while (m.undo()) ASSERT_TRUE(m.check_invariant());
        // The journal keeps 100 steps: fewer edits undo whole.
        if (edits <= 100) {
            EXPECT_EQ(m.text(), first) << "round " << round;
        }
    }
}

// ---- scrolling -----------------------------------------------------------------------

TEST(TextBoxScroll, TheCaretsColumnStaysVisible) {
    TextBoxModel m = box_of("あ\r\nい\r\nう\r\nえ\r\nお", 3);   // five columns
    m.move(TextMove::TEXT_END, false);
    m.scroll_to_caret(2);
    EXPECT_EQ(m.first_column(), 3);
    m.move(TextMove::TEXT_START, false);
    m.scroll_to_caret(2);
    EXPECT_EQ(m.first_column(), 0);
    m.scroll_to(10, 2);   // no further than the last page
    EXPECT_EQ(m.first_column(), 3);
    m.scroll_to(-4, 2);
    EXPECT_EQ(m.first_column(), 0);
    m.scroll_to(3, 10);   // everything fits
    EXPECT_EQ(m.first_column(), 0);
}

// ---- drawing ---------------------------------------------------------------------------

TextBoxStyle vertical_style() {
    TextBoxStyle s;
    s.font.face = sj("IPAex明朝");
    s.font.vertical = true;
    s.font.pixel_height = 16;
    s.text_colour = 0x000080;
    s.background = 0xF0F0F0;
    return s;
}

TextBoxGeometry small_geometry() {
    TextBoxGeometry g;
    g.area = {0, 0, 64, 48};   // 3 rows; columns at x = 48, 24, 0
    g.cell = 16;
    g.gap = 8;
    return g;
}

TEST(TextBoxDraw, CellsRightToLeftWithTheVerticalFont) {
    RecordingSurface surface(64, 48);
    TextBoxModel m = box_of("あいう「a\r\n", 3);
    draw_text_box(surface, m, small_geometry(), vertical_style(), TextBoxPaint{});
    const std::string expected =
        "fill 0,0,64x48 #F0F0F0\n"
        "font 0 " + sj("IPAex明朝") + " 16 v\n"
        "cell 0 82A0 V 48,0,16x16 #800000\n"
        "cell 0 82A2 V 48,16,16x16 #800000\n"
        "cell 0 82A4 V 48,32,16x16 #800000\n"
        "cell 0 8175 V 24,0,16x16 #800000\n"
        "cell 0 6120 L 24,16,16x16 +8 #800000\n";
    EXPECT_EQ(surface.dump(), expected);
}

TEST(TextBoxDraw, SelectionCaretAndScroll) {
    RecordingSurface surface(64, 48);
    TextBoxModel m = box_of("あいうえ", 3);
    m.select(at(1), at(3));
    TextBoxPaint paint;
    paint.caret = true;
    paint.set_font = false;
    draw_text_box(surface, m, small_geometry(), vertical_style(), paint);
    // い and う filled before their glyphs; the caret a bar across column 1 at row 0.
    EXPECT_EQ(surface.lines_starting("fill "),
              (std::vector<std::string>{"fill 0,0,64x48 #F0F0F0", "fill 48,16,16x16 #A8D8F0",
                                        "fill 48,32,16x16 #A8D8F0", "fill 23,0,18x2 #800000"}));
    EXPECT_TRUE(surface.lines_starting("font ").empty());

    // Scrolled one column on: え stands in the first column's place.
    surface.clear();
    m.scroll_to(1, 1);
    draw_text_box(surface, m, small_geometry(), vertical_style(), TextBoxPaint{});
    EXPECT_EQ(surface.lines_starting("cell "), (std::vector<std::string>{"cell 0 82A6 V 48,0,16x16 #800000"}));

    // After a full column the caret bar stays inside the area.
    m.scroll_to(0, 3);
    m.place_at({0, 3}, false);
    EXPECT_EQ(caret_bar(small_geometry(), m.caret_cell(), 0).y, 46);
}

TEST(TextBoxDraw, RaiseAndPreedit) {
    RecordingSurface surface(64, 48);
    TextBoxModel m = box_of("あ", 3);
    m.move(TextMove::TEXT_END, false);
    TextBoxStyle style = vertical_style();
    style.raise = 2;
    TextBoxPaint paint;
    paint.preedit = sj("か");
    paint.caret = true;
    paint.set_font = false;
    draw_text_box(surface, m, small_geometry(), style, paint);
    EXPECT_EQ(surface.lines_starting("cell "),
              (std::vector<std::string>{"cell 0 82A0 V 50,0,16x16 #800000", "cell 0 82A9 V 50,16,16x16 #800000"}));
    // The composition is underlined beside its cell; the caret after it.
    EXPECT_EQ(surface.lines_starting("line "), (std::vector<std::string>{"line 46,16-46,31 #800000"}));
    EXPECT_EQ(surface.lines_starting("fill ").back(), "fill 47,32,18x2 #800000");
}

}  // namespace
}  // namespace rix

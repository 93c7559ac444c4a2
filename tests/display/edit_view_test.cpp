// The bridge from editing to the screen, checked against the one truth: the
// picture (and cell map) of a fresh full layout from the same top with the
// same highlight, compared pixel for pixel on a software raster.
//
// Still owed: tag windows and background pictures (which refuse the fast
// scroll); the IME repair from the snapshot.
#include "display/edit_view.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/display_lines.h"
#include "tests/display/pixel_surface.h"
#include "tests/document/doc_builder.h"

namespace rix {
namespace {

using test::sj;
using test::PixelSurface;

constexpr int W = 360, H = 420;

// Vertical or horizontal, 8 lines × 2 tiers of 6 cells, ruled cells, 16-pixel font.
DisplayGeometry view_geometry(bool vertical) {
    ScreenFormat f;
    f.vertical = vertical;
    f.columns_per_page = 8;
    f.chars_per_column = 6;
    f.tier_count = 2;
    return test::pixel_geometry(f, W, H);
}

// A screen on its own pixel surfaces.
struct View {
    PixelSurface surface{W, H}, blank{W, H}, snapshot{W, H};
    Screen s;

    explicit View(bool vertical) {
        s.geo = view_geometry(vertical);
        s.fmt.font.face = "IPAex";
        s.fmt.font.pixel_height = 16;
        s.fmt.font_record_px = 16;
        s.fmt.grid_style = 3;
        s.fmt.mark_flags = 1;
        s.fmt.fill_colour = 0xE0F0FF;
        s.fmt.grid_colour = 0x3060A0;
        s.fmt.mark_colour = 0x0000FF;
        s.surface = &surface;
        s.blank_page = &blank;
        s.snapshot = &snapshot;
        prepare_screen(s);
    }
    void paint(Document& doc, TextPos top) {
        s.top = top;
        s.top_display_line = document_display_line(doc, top);
        repaint_screen(doc, s, false);
    }
};

std::vector<std::string> sample_lines() {
    std::vector<std::string> lines;
    for (int i = 0; i < 24; ++i) {
        std::string line = sj("あいう、「かき」ーさしすせそたちつてと").substr(0, static_cast<std::size_t>(2 * (i % 13 + 1)));
        // A ruby whose base runs from one display line onto the next, and a half-width pair.
        if (i % 5 == 1) line = sj("あいうえお") + test::ruby("げにん", 0x12) + sj("下人") + "ab" + sj("かきくけこさ");
        lines.push_back(line);
    }
    return lines;
}

struct Fixture {
    Document doc;
    View view;
    EditState edit;
    std::vector<std::string> lines = sample_lines();

    explicit Fixture(bool vertical, TextPos top = TextPos(1, 0)) : view(vertical) {
        doc.rules = test::rules(static_cast<std::uint32_t>(view.s.geo.chars),
                                static_cast<std::uint8_t>(view.s.geo.kinsoku_mode));
        test::build(doc, lines);
        view.paint(doc, top);
        frame_from_screen(view.s, 10, &edit.frame);
        edit.frame.top = view.s.top;
        edit.frame.top_display_line = view.s.top_display_line;
    }
    // Rewrites the document (lines keep their numbers) as an edit would.
    void rebuild() {
        test::build(doc, lines);
        edit.frame.top_display_line = document_display_line(doc, edit.frame.top);
    }
    void text_changed(TextPos at, bool lines_changed) {
        edit.damage.text = true;
        edit.damage.from_display_line = document_display_line(doc, at);
        edit.damage.lines_changed = lines_changed;
    }
    void move_top(int n) {
        const DisplayMove m = n > 0 ? display_lines_forward(doc, edit.frame.top, static_cast<std::uint32_t>(n))
                                    : display_lines_backward(doc, edit.frame.top, static_cast<std::uint32_t>(-n));
        edit.frame.top = m.pos;
        edit.frame.top_display_line = document_display_line(doc, m.pos);
        edit.damage.top_moved = true;
    }
    void apply() { apply_view_damage(doc, view.s, edit); }

    // The picture a full layout from the frame's top draws, with the marking inverted.
    void expect_fresh(const char* what) {
        View fresh(view.s.geo.vertical);
        fresh.paint(doc, edit.frame.top);
        if (edit.mark.on) invert_marked_screen(doc, fresh.s, edit.mark.start, edit.mark.end);
        EXPECT_EQ(view.surface.differences(fresh.surface), 0) << what;
        for (int j = 0; j < fresh.s.geo.screen_lines; ++j) {
            ASSERT_EQ(view.s.cells.used(j), fresh.s.cells.used(j)) << what << ", screen line " << j;
            ASSERT_EQ(view.s.cells.indent(j), fresh.s.cells.indent(j)) << what << ", screen line " << j;
            for (int k = 0; k < fresh.s.cells.used(j); ++k)
                ASSERT_EQ(view.s.cells.code(j, k), fresh.s.cells.code(j, k)) << what << ", line " << j << " cell " << k;
        }
        EXPECT_FALSE(edit.damage.text || edit.damage.top_moved || edit.damage.full);
        // The snapshot is either the picture or marked stale, and then taken on demand.
        if (view.s.snapshot_valid) {
            EXPECT_EQ(view.snapshot.differences(view.surface), 0) << what << ": snapshot";
        }
        ASSERT_TRUE(ensure_snapshot(view.s));
        EXPECT_EQ(view.snapshot.differences(view.surface), 0) << what << ": snapshot";
    }
};

// ---- text damage ----

TEST(EditView, TypingDamageEqualsAFullLayout) {
    for (bool vertical : {true, false}) {
        SCOPED_TRACE(vertical ? "vertical" : "horizontal");
        Fixture f(vertical);
        // Two characters into line 3: its display lines stay two.
        f.lines[3].insert(2, sj("ぬ"));
        f.rebuild();
        f.text_changed(TextPos(3, 2), false);
        f.apply();
        f.expect_fresh("same count");

        // The second display line of line 6 (after a ruby whose base runs onto it) changes.
        const TextPos second = display_lines_forward(f.doc, TextPos(6, 0), 1).pos;
        ASSERT_EQ(second.line(), 6u);
        f.lines[6] += sj("ん");
        f.rebuild();
        f.text_changed(second, false);
        f.apply();
        f.expect_fresh("after a carried ruby");

        // A line grows by a display line: everything after it moves.
        f.lines[4] += sj("まみむめもや");
        f.rebuild();
        f.text_changed(TextPos(4, 0), true);
        f.apply();
        f.expect_fresh("one more display line");

        // Lines taken away at the end: the end of the text moves up the screen.
        f.lines.resize(7);
        f.rebuild();
        f.text_changed(TextPos(6, 0), true);
        f.apply();
        f.expect_fresh("shorter text");
        EXPECT_EQ(f.view.s.cells.used(f.view.s.geo.screen_lines - 1), 0);
    }
}

TEST(EditView, DamageBelowTheScreenDrawsNothing) {
    Fixture f(true);
    f.lines[23] += sj("ん");
    f.rebuild();
    f.text_changed(TextPos(23, 0), false);
    const std::vector<std::uint32_t> before = f.view.surface.pixels();
    f.apply();
    EXPECT_EQ(f.view.surface.pixels(), before);
    EXPECT_FALSE(f.edit.damage.text);
}

// ---- the marking highlight ----

TEST(EditView, HighlightOnThenOffRestoresTheImage) {
    for (bool vertical : {true, false}) {
        SCOPED_TRACE(vertical ? "vertical" : "horizontal");
        Fixture f(vertical);
        const std::vector<std::uint32_t> plain = f.view.surface.pixels();
        f.edit.mark = {true, TextPos(2, 2), TextPos(6, 9), false};
        f.edit.damage.marking = true;
        f.apply();
        EXPECT_NE(f.view.surface.pixels(), plain);
        f.expect_fresh("marked");
        // Growing the range changes only what differs; the picture stays exact.
        f.edit.mark.end = TextPos(7, 4);
        f.edit.damage.marking = true;
        f.apply();
        f.expect_fresh("grown");
        // Applying again without damage draws nothing more (no double inversion).
        f.apply();
        f.expect_fresh("again");
        f.edit.mark.on = false;
        f.edit.damage.marking = true;
        f.apply();
        EXPECT_EQ(f.view.surface.pixels(), plain);
        EXPECT_FALSE(f.view.s.shown_mark.on);
    }
}

TEST(EditView, HighlightSurvivesTextAndScrollDamage) {
    Fixture f(true);
    f.edit.mark = {true, TextPos(2, 0), TextPos(8, 6), false};
    f.apply();
    f.expect_fresh("marked");
    // Typing inside the marked lines.
    f.lines[5] += sj("ん");
    f.rebuild();
    f.text_changed(TextPos(5, 0), false);
    f.apply();
    f.expect_fresh("typed while marked");
    f.move_top(2);
    f.apply();
    f.expect_fresh("scrolled while marked");
    // A full repaint shows no highlight; the next apply puts it back.
    repaint_screen(f.doc, f.view.s, false);
    EXPECT_FALSE(f.view.s.shown_mark.on);
    f.apply();
    f.expect_fresh("after a repaint");
}

// ---- scrolling ----

TEST(EditView, ScrollDamageEqualsAFreshLayout) {
    for (bool vertical : {true, false}) {
        SCOPED_TRACE(vertical ? "vertical" : "horizontal");
        Fixture f(vertical);
        f.move_top(3);
        f.apply();
        f.expect_fresh("three on");
        f.move_top(-2);
        f.apply();
        f.expect_fresh("two back");
        f.move_top(1);
        f.apply();
        f.expect_fresh("one on");
        f.move_top(40);   // more than a screen: laid out afresh
        f.apply();
        f.expect_fresh("a jump");
        EXPECT_EQ(f.view.s.top, f.edit.frame.top);
        EXPECT_EQ(f.view.s.top_display_line, f.edit.frame.top_display_line);
        f.move_top(-5);
        f.apply();
        f.expect_fresh("back from the end");

    }
}

TEST(EditView, ScrollingKeepsRubyThatRunsAcrossLines) {
    for (bool vertical : {true, false}) {
        SCOPED_TRACE(vertical ? "vertical" : "horizontal");
        // Line 6 begins a ruby on its first display line whose base ends on the second.
        Fixture forward(vertical, TextPos(6, 0));
        forward.move_top(1);
        forward.apply();
        forward.expect_fresh("the ruby's first line scrolled off");
        const TextPos second = display_lines_forward(forward.doc, TextPos(6, 0), 1).pos;
        ASSERT_EQ(forward.view.s.top, second);

        Fixture back(vertical, second);
        back.move_top(-1);
        back.apply();
        back.expect_fresh("scrolled back onto the ruby's first line");

        // The second display line uncovered at the end of the screen.
        const int n = back.view.s.geo.screen_lines;
        Fixture end(vertical, display_lines_backward(back.doc, TextPos(11, 0), static_cast<std::uint32_t>(n - 1)).pos);
        end.move_top(1);
        end.apply();
        end.expect_fresh("the ruby's second line uncovered");
    }
}

TEST(EditView, ScrollToTheEndLeavesTheUncoveredLinesEmpty) {
    Fixture f(true);
    const std::uint64_t total = f.doc.lines.total_display_lines();
    // The last display line four lines from the top, then one more.
    const TextPos near_end = display_lines_backward(f.doc, display_lines_forward(f.doc, TextPos(0, 0),
                                                    static_cast<std::uint32_t>(total)).pos, 4).pos;
    f.edit.frame.top = near_end;
    f.edit.frame.top_display_line = document_display_line(f.doc, near_end);
    f.edit.damage.top_moved = true;
    f.apply();
    f.expect_fresh("near the end");
    f.move_top(1);
    f.apply();
    f.expect_fresh("one more");
    EXPECT_EQ(f.view.s.cells.used(4), 0);
}

// ---- the frame and the cursor ----

TEST(EditView, FrameFromScreenAndCursorLocation) {
    Fixture f(false);
    ViewFrame frame;
    frame.top = TextPos(3, 0);
    frame_from_screen(f.view.s, 0, &frame);
    EXPECT_EQ(frame.screen_lines, 16);
    EXPECT_EQ(frame.tiers, 2);
    EXPECT_FALSE(frame.vertical);
    EXPECT_EQ(frame.page_columns, 1);
    EXPECT_EQ(frame.top, TextPos(3, 0));   // kept

    f.edit.cursor.pos = TextPos(2, 3);
    f.edit.cursor.screen_line = 2;
    f.edit.cursor.cell = 1;
    f.edit.cursor.second_half = true;
    f.apply();
    EXPECT_EQ(f.view.s.cursor, TextPos(2, 3));
    EXPECT_EQ(f.view.s.cursor_at.line, 2);
    EXPECT_EQ(f.view.s.cursor_at.cell, 1);
    EXPECT_TRUE(f.view.s.cursor_at.second_half);
    f.edit.cursor.screen_line = 16;   // below the screen
    f.apply();
    EXPECT_EQ(f.view.s.cursor_at.line, -1);

    // Counting mode: positions only.
    f.view.s.surface = nullptr;
    f.move_top(1);
    f.apply();
    EXPECT_EQ(f.view.s.top, f.edit.frame.top);
    EXPECT_FALSE(f.edit.damage.top_moved);
}

}  // namespace
}  // namespace rix

// The mouse state machine against a fake dispatcher: drag marking, the
// auto-repeat beside the text, scrolling presses, corner drags and the drops
// of marked text.
#include <gtest/gtest.h>

#include <string>
#include <algorithm>
#include <vector>

#include "display/mouse.h"
#include "editing/edit_state.h"
#include "platform/virtual_keys.h"
#include "tests/document/doc_builder.h"

namespace rix {
namespace {

using test::sj;

// 20-pixel font, 40-pixel lines, 30-pixel cells; 4 lines × 2 tiers of 5 cells.
DisplayGeometry geometry() {
    DisplayGeometry g;
    g.slot = 0;
    g.vertical = true;
    g.client_w = 400;
    g.client_h = 500;
    g.columns = 4;
    g.chars = g.grid_chars = 5;
    g.tiers = 2;
    g.gap = 1;
    g.screen_lines = 8;
    g.kinsoku_mode = 1;
    g.max_cells = 6;
    g.font_w = g.font_h = 20;
    g.line_pitch = 40;
    g.char_pitch = 30;
    g.margin_start_px = 20;
    g.margin_top_px = 10;
    g.tier_pitch = 210;
    g.right_extent = 20 + 4 * 40 + 10;
    g.bottom_extent = 10 + 2 * 210;
    return g;
}

// A screen of eight logical lines of four characters, one per screen line;
// the fake cursor stands on (screen line, cell) and the keys move it as the
// dispatcher would in vertical writing.
struct Fake : MouseServices {
    Document doc;
    Screen s;
    int line = 0, cell = 0;
    bool mark_on = false;
    TextPos mark_start, mark_end;
    std::vector<std::pair<int, int>> keys;
    std::vector<std::string> log;
    std::vector<std::pair<int, unsigned>> timers;
    int menu_choice = 0;
    MarginChange margins;

    Fake() {
        s.geo = geometry();
        doc.rules = test::rules(5, 1);
        std::vector<std::string> lines(8, sj("あいうえ"));
        test::build(doc, lines);
        prepare_screen(s);
        layout_and_draw(doc, s, TextPos(0, 0), 0, 0, 8);
    }
    TextPos at(int l, int c) const { return TextPos(static_cast<std::uint32_t>(l), static_cast<std::uint32_t>(c * 2)); }
    // The middle of a cell's glyph box.
    std::pair<int, int> point(int l, int c) const {
        return {line_position(s.geo, l) - 10, cell_position(s.geo, l, c) + 10};
    }

    MouseCursor cursor() override {
        MouseCursor m;
        m.pos = at(line, cell);
        m.line = line;
        m.cell = cell;
        m.display_line = DisplayLineNo{static_cast<std::uint64_t>(line)};
        return m;
    }
    bool marked_range(TextPos* a, TextPos* b) override {
        if (!mark_on) return false;
        *a = mark_start;
        *b = mark_end;
        return true;
    }
    bool position_of(const Hit& h, TextPos* pos) override {
        if (h.result != HIT_TEXT) return false;
        *pos = at(h.line, h.cell);
        return true;
    }
    void move_cursor(TextPos pos) override {
        line = static_cast<int>(pos.line());
        cell = static_cast<int>(pos.column() / 2);
        log.push_back("move " + std::to_string(line) + "," + std::to_string(cell));
    }
    void dispatch_key(int key, int flags) override {
        keys.emplace_back(key, flags);
        if (key == VK_LEFT && line < 7) ++line;
        else if (key == VK_RIGHT && line > 0) --line;
        else if (key == VK_DOWN) {
            if (++cell > 4) {
                cell = 0;
                if (line < 7) ++line;
            }
        } else if (key == VK_UP && cell > 0) --cell;
    }
    void end_marking() override {
        mark_on = false;
        log.push_back("end marking");
    }
    bool run_command(int id) override {
        log.push_back("command " + std::to_string(id));
        if (id == COMMAND_CUT || id == COMMAND_COPY) mark_on = false;
        return true;
    }
    int drop_menu(int, int) override { return menu_choice; }
    void set_timer(int id, unsigned ms) override { timers.emplace_back(id, ms); }
    void kill_timer(int id) override { timers.emplace_back(id, 0); }
    void set_pointer(const char*, int, int) override {}
    void show_pointer(bool shown) override { log.push_back(shown ? "pointer shown" : "pointer hidden"); }
    void warp_pointer(int x, int y) override { log.push_back("warp " + std::to_string(x) + "," + std::to_string(y)); }
    void drop_frame(int l, int c) override { log.push_back("frame " + std::to_string(l) + "," + std::to_string(c)); }
    void set_margins(const MarginChange& m) override { margins = m; }
    void caret_shown(bool) override {}

    MouseState m;
    int send(int kind, std::pair<int, int> p, int buttons = 0) {
        MouseEvent e;
        e.kind = kind;
        e.x = p.first;
        e.y = p.second;
        e.buttons = buttons;
        return handle_mouse(m, s, *this, e);
    }
    void tick(int id) {
        MouseEvent e;
        e.kind = MOUSE_TIMER;
        e.timer = id;
        handle_mouse(m, s, *this, e);
    }
    bool has(const std::string& entry) const { return std::find(log.begin(), log.end(), entry) != log.end(); }
};

TEST(MouseMarking, ADragSendsLineKeysThenCellKeysWithShift) {
    Fake f;
    EXPECT_EQ(f.send(MOUSE_LEFT_DOWN, f.point(0, 1), MOUSE_BUTTON_LEFT), HIT_TEXT);
    EXPECT_EQ(f.line, 0);
    EXPECT_EQ(f.cell, 1);
    // Moving forward past the middle of cell 3 takes that cell in.
    f.send(MOUSE_MOVE, f.point(2, 3), MOUSE_BUTTON_LEFT);
    const std::vector<std::pair<int, int>> want = {
        {VK_LEFT, KEY_SHIFT}, {VK_LEFT, KEY_SHIFT}, {VK_DOWN, KEY_SHIFT}, {VK_DOWN, KEY_SHIFT}, {VK_DOWN, KEY_SHIFT}};
    EXPECT_EQ(f.keys, want);
    EXPECT_EQ(f.line, 2);
    EXPECT_EQ(f.cell, 4);
    // Back along the same line to the middle of cell 1, then a release: no further placement.
    f.keys.clear();
    f.send(MOUSE_MOVE, f.point(2, 1), MOUSE_BUTTON_LEFT);
    EXPECT_EQ(f.keys, (std::vector<std::pair<int, int>>(3, {VK_UP, KEY_SHIFT})));
    EXPECT_EQ(f.cell, 1);
    f.log.clear();
    f.send(MOUSE_LEFT_UP, f.point(2, 1));
    EXPECT_FALSE(f.has("move 2,1"));
    EXPECT_FALSE(f.m.left_marking);
}

TEST(MouseMarking, HeldBesideTheTextRepeatsAfter300ThenEvery10Ms) {
    Fake f;
    f.send(MOUSE_LEFT_DOWN, f.point(3, 2), MOUSE_BUTTON_LEFT);
    f.timers.clear();
    // Left of the first tier's last line: beyond the screen's lines.
    f.send(MOUSE_MOVE, {150, f.point(3, 2).second}, MOUSE_BUTTON_LEFT);
    ASSERT_EQ(f.keys.size(), 1u);
    EXPECT_EQ(f.keys[0], std::make_pair(int(VK_LEFT), int(KEY_SHIFT)));
    EXPECT_EQ(f.timers.back(), std::make_pair(int(TIMER_AUTO_REPEAT), AUTO_REPEAT_FIRST_MS));
    f.tick(TIMER_AUTO_REPEAT);
    f.tick(TIMER_AUTO_REPEAT);
    EXPECT_EQ(f.keys.size(), 3u);
    EXPECT_EQ(f.keys.back(), std::make_pair(int(VK_LEFT), int(KEY_SHIFT)));
    EXPECT_EQ(f.timers.back(), std::make_pair(int(TIMER_AUTO_REPEAT), AUTO_REPEAT_NEXT_MS));
    f.send(MOUSE_LEFT_UP, {150, 100});
    EXPECT_EQ(f.timers.back().second, 0u);   // stopped
    f.tick(TIMER_AUTO_REPEAT);
    EXPECT_EQ(f.keys.size(), 3u);
}

TEST(MouseScrollZone, PressesScrollByLinesOrPagesAndDoubleClicksJump) {
    Fake f;
    // Right of the text: before the first line.
    const std::pair<int, int> before{395, 100};
    const std::pair<int, int> after{5, 100};
    f.send(MOUSE_LEFT_DOWN, before, MOUSE_BUTTON_LEFT);
    f.send(MOUSE_LEFT_UP, before);
    f.send(MOUSE_RIGHT_DOWN, after, MOUSE_BUTTON_RIGHT);
    f.tick(TIMER_AUTO_REPEAT);
    f.send(MOUSE_RIGHT_UP, after);
    const std::vector<std::pair<int, int>> want = {
        {VK_RIGHT, KEY_PLAIN_MOVE}, {VK_NEXT, 0}, {VK_NEXT, 0}};
    EXPECT_EQ(f.keys, want);
    EXPECT_TRUE(f.m.right_consumed);
    f.send(MOUSE_RIGHT_DOUBLE, before, MOUSE_BUTTON_RIGHT);
    EXPECT_TRUE(f.has("command 313"));
}

TEST(MouseCorners, DragSetsMarginsHeldInsideTheWindow) {
    const DisplayGeometry g = geometry();   // vertical, 400 × 500
    // Top-right: the line-start margin and the top.
    MarginChange c = corner_margins(g, CORNER_TOP_RIGHT, 380, 25);
    EXPECT_EQ(c.start, 50);
    EXPECT_EQ(c.top, 50);
    EXPECT_EQ(c.end, -1);
    EXPECT_EQ(c.bottom, -1);
    // Bottom-left released far outside: held to the corner, 0 ‰ each.
    c = corner_margins(g, CORNER_BOTTOM_LEFT, -300, 9000);
    EXPECT_EQ(c.end, 0);
    EXPECT_EQ(c.bottom, 0);
    // Into the page beyond 25.5 %: 10 ‰.
    c = corner_margins(g, CORNER_TOP_LEFT, 200, 300);
    EXPECT_EQ(c.end, 10);
    EXPECT_EQ(c.top, 10);
    // Horizontal writing: the right side holds the line ends.
    DisplayGeometry h = g;
    h.vertical = false;
    c = corner_margins(h, CORNER_BOTTOM_RIGHT, 400, 500);
    EXPECT_EQ(c.end, 0);
    EXPECT_EQ(c.bottom, 0);

    // The whole drag: press in the corner, release: margins and the zone cleared.
    Fake f;
    f.send(MOUSE_MOVE, {395, 3});
    EXPECT_EQ(f.m.corner, CORNER_TOP_RIGHT);
    f.send(MOUSE_LEFT_DOWN, {395, 3}, MOUSE_BUTTON_LEFT);
    EXPECT_EQ(f.m.zone, ZONE_DRAG_TOP_RIGHT);
    EXPECT_TRUE(f.has("warp 380,10"));
    f.send(MOUSE_MOVE, {390, 20}, MOUSE_BUTTON_LEFT);
    EXPECT_EQ(f.m.zone, ZONE_DRAG_TOP_RIGHT);
    f.send(MOUSE_LEFT_UP, {390, 20});
    EXPECT_EQ(f.margins.start, 25);
    EXPECT_EQ(f.margins.top, 40);
    EXPECT_EQ(f.m.zone, ZONE_TEXT);
}

TEST(MouseDrop, TheDropPointAfterTheCut) {
    const TextPos start(2, 4), end(3, 6);   // two lines of the range: line 2 from col 4, line 3 up to col 6
    TextPos out;
    EXPECT_TRUE(drop_after_cut(start, end, TextPos(1, 8), &out));
    EXPECT_EQ(out, TextPos(1, 8));           // before: unchanged
    EXPECT_TRUE(drop_after_cut(start, end, TextPos(2, 2), &out));
    EXPECT_EQ(out, TextPos(2, 2));
    EXPECT_FALSE(drop_after_cut(start, end, TextPos(2, 4), &out));   // inside
    EXPECT_FALSE(drop_after_cut(start, end, TextPos(3, 4), &out));
    EXPECT_TRUE(drop_after_cut(start, end, TextPos(3, 10), &out));
    EXPECT_EQ(out, TextPos(2, 8));           // same line as the end: columns after it join the start
    EXPECT_TRUE(drop_after_cut(start, end, TextPos(3, 6), &out));
    EXPECT_EQ(out, TextPos(2, 4));
    EXPECT_TRUE(drop_after_cut(start, end, TextPos(5, 2), &out));
    EXPECT_EQ(out, TextPos(4, 2));           // a later line: one line fewer
}

TEST(MouseDrop, LeftDragMovesRightDragAsksAndInsideCancels) {
    Fake f;
    f.mark_on = true;
    f.mark_start = f.at(1, 1);
    f.mark_end = f.at(1, 3);
    f.send(MOUSE_LEFT_DOWN, f.point(1, 2), MOUSE_BUTTON_LEFT);
    EXPECT_EQ(f.m.drag, 1);
    f.send(MOUSE_MOVE, f.point(3, 2), MOUSE_BUTTON_LEFT);
    EXPECT_EQ(f.m.drag, 2);
    EXPECT_TRUE(f.keys.empty());   // a drag moves no marking keys
    f.log.clear();
    f.send(MOUSE_LEFT_UP, f.point(3, 2));
    EXPECT_EQ(f.log, (std::vector<std::string>{"frame -1,-1", "command 202", "move 3,2", "command 205"}));
    EXPECT_EQ(f.m.drag, 0);

    // Right drag, the menu says copy.
    f.mark_on = true;
    f.menu_choice = DROP_COPY;
    f.send(MOUSE_RIGHT_DOWN, f.point(1, 2), MOUSE_BUTTON_RIGHT);
    EXPECT_EQ(f.m.drag, 1);
    f.send(MOUSE_MOVE, f.point(5, 0), MOUSE_BUTTON_RIGHT);
    f.log.clear();
    f.send(MOUSE_RIGHT_UP, f.point(5, 0));
    // (pushed half a cell along the move: the middle of cell 0 counts as cell 1)
    EXPECT_EQ(f.log, (std::vector<std::string>{"frame -1,-1", "command 203", "move 5,1", "command 205"}));
    EXPECT_TRUE(f.m.right_consumed);

    // A drop back inside the range: nothing is cut, the cursor returns to where it stood before the press.
    f.mark_on = true;
    f.m.pressed_marked = false;
    f.send(MOUSE_LEFT_DOWN, f.point(1, 1), MOUSE_BUTTON_LEFT);
    f.send(MOUSE_MOVE, {f.point(1, 2).first, f.point(1, 2).second - 15}, MOUSE_BUTTON_LEFT);
    EXPECT_EQ(f.line * 10 + f.cell, 12);
    f.log.clear();
    f.send(MOUSE_LEFT_UP, f.point(1, 2));
    EXPECT_FALSE(f.has("command 202"));
    EXPECT_TRUE(f.has("move 5,1"));
    EXPECT_FALSE(f.mark_on);
}

TEST(MouseQuickEdit, RightPressOrDoubleClickCutsTheMarkingOrPastesAtThePoint) {
    Fake f;
    f.m.quick_edit = 1;
    f.mark_on = true;
    f.mark_start = f.at(1, 1);
    f.mark_end = f.at(1, 3);
    f.send(MOUSE_RIGHT_DOWN, f.point(4, 2), MOUSE_BUTTON_RIGHT);
    EXPECT_TRUE(f.has("command 202"));
    EXPECT_FALSE(f.has("move 4,2"));
    EXPECT_TRUE(f.m.right_consumed);   // no right-click menu after it
    f.send(MOUSE_RIGHT_UP, f.point(4, 2));
    f.log.clear();
    f.send(MOUSE_RIGHT_DOWN, f.point(4, 2), MOUSE_BUTTON_RIGHT);
    EXPECT_EQ(f.log, (std::vector<std::string>{"move 4,2", "command 205"}));
    f.send(MOUSE_RIGHT_UP, f.point(4, 2));

    // Mode 2 waits for the double click; the single press does nothing of the kind.
    f.m.quick_edit = 2;
    f.log.clear();
    f.send(MOUSE_RIGHT_DOWN, f.point(2, 1), MOUSE_BUTTON_RIGHT);
    f.send(MOUSE_RIGHT_UP, f.point(2, 1));
    EXPECT_FALSE(f.has("command 205"));
    f.send(MOUSE_RIGHT_DOUBLE, f.point(2, 1), MOUSE_BUTTON_RIGHT);
    EXPECT_EQ(f.log, (std::vector<std::string>{"move 2,1", "command 205"}));
}

TEST(MouseIdle, TheTimerHidesThePointerAndAMoveShowsIt) {
    Fake f;
    f.send(MOUSE_MOVE, f.point(0, 0));
    EXPECT_EQ(f.timers.back(), std::make_pair(int(TIMER_IDLE_POINTER), IDLE_POINTER_MS));
    f.tick(TIMER_IDLE_POINTER);
    EXPECT_TRUE(f.has("pointer hidden"));
    f.send(MOUSE_MOVE, f.point(0, 1));
    EXPECT_TRUE(f.has("pointer shown"));
}

}  // namespace
}  // namespace rix

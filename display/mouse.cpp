// The mouse in the text window. Movements are keys for the dispatcher:
// across the lines VK_LEFT / VK_RIGHT in vertical writing and VK_DOWN /
// VK_UP in horizontal writing, along them VK_DOWN / VK_UP and VK_RIGHT /
// VK_LEFT.
#include "display/mouse.h"

#include <algorithm>
#include <cstdlib>

#include "editing/edit_state.h"
#include "platform/virtual_keys.h"

namespace rix {

namespace {

constexpr int WIDE_MARGIN_PERMILLE = 255;   // a margin wider than this is taken as a slip
constexpr int SLIP_MARGIN_PERMILLE = 10;

int across_forward(bool vertical) { return vertical ? VK_LEFT : VK_DOWN; }
int across_back(bool vertical) { return vertical ? VK_RIGHT : VK_UP; }
int along_forward(bool vertical) { return vertical ? VK_DOWN : VK_RIGHT; }
int along_back(bool vertical) { return vertical ? VK_UP : VK_LEFT; }

bool off_screen(const Screen& s, int line) { return line < 0 || line >= s.geo.screen_lines; }

void set_pointer(MouseState& m, MouseServices& io, const char* name, int hot_x, int hot_y) {
    if (m.pointer == name) return;
    m.pointer = name;
    io.set_pointer(name, hot_x, hot_y);
}

// The zone under the pointer and its shape (kept while the mark drag runs).
void classify(MouseState& m, const Screen& s, MouseServices& io, int x, int y) {
    const PointerZone z = classify_pointer(s.geo, x, y, m.zone);
    m.zone = z.zone;
    m.corner = z.corner;
    if (m.drag == 0) set_pointer(m, io, z.cursor, z.hot_x, z.hot_y);
}

bool in_range(TextPos start, TextPos end, TextPos pos) { return start <= pos && pos < end; }

// ---- the mark drag ----

void drag_start(MouseState& m, MouseServices& io) {
    m.drag = 1;
    m.drag_saved = io.cursor();
    m.drop = m.drag_saved.pos;
    m.frame_line = m.frame_cell = -1;
    set_pointer(m, io, "MARKDRAG", 0, 0);
}

void drag_end(MouseState& m, MouseServices& io) {
    if (m.frame_line >= 0) io.drop_frame(-1, -1);
    m.frame_line = m.frame_cell = -1;
    m.drag = 0;
    m.pointer = "";   // the zone's shape comes back at the next move
    TextPos a, b;
    if (io.marked_range(&a, &b)) io.end_marking();
}

void drag_cancel(MouseState& m, MouseServices& io) {
    io.move_cursor(m.drag_saved.pos);
    drag_end(m, io);
}

void drag_frame(MouseState& m, const Screen& s, MouseServices& io, const Hit& h, TextPos pos) {
    const int cell = h.cell + s.cells.indent(h.line);
    if (m.frame_line >= 0) io.drop_frame(-1, -1);
    io.drop_frame(h.line, cell);
    m.frame_line = h.line;
    m.frame_cell = cell;
    if (io.cursor().pos != pos) io.move_cursor(pos);
    m.drop = pos;
    m.drag = 2;
}

// The marked text goes to the drop point: moved (cut, then pasted where the
// drop point stands after the cut) or copied.
void drop_text(MouseState& m, MouseServices& io, bool copy) {
    TextPos start, end;
    if (!io.marked_range(&start, &end)) {
        drag_end(m, io);
        return;
    }
    const TextPos drop = m.drop;
    if (copy) {
        if (m.frame_line >= 0) io.drop_frame(-1, -1);
        m.frame_line = -1;
        m.drag = 0;
        m.pointer = "";
        if (!io.run_command(COMMAND_COPY)) return;
        TextPos a, b;
        if (io.marked_range(&a, &b)) io.end_marking();
        io.move_cursor(drop);
        io.run_command(COMMAND_PASTE);
        return;
    }
    TextPos target;
    if (!drop_after_cut(start, end, drop, &target)) {
        drag_cancel(m, io);
        return;
    }
    if (m.frame_line >= 0) io.drop_frame(-1, -1);
    m.frame_line = -1;
    m.drag = 0;
    m.pointer = "";
    if (!io.run_command(COMMAND_CUT)) return;
    io.move_cursor(target);
    io.run_command(COMMAND_PASTE);
}

// ---- auto-repeat ----

void start_repeat(MouseState& m, MouseServices& io, int key, int flags) {
    io.dispatch_key(key, flags);
    m.repeat_key = key;
    m.repeat_flags = flags;
    io.set_timer(TIMER_AUTO_REPEAT, AUTO_REPEAT_FIRST_MS);
}

void stop_repeat(MouseState& m, MouseServices& io) {
    if (m.repeat_key) io.kill_timer(TIMER_AUTO_REPEAT);
    m.repeat_key = 0;
}

// ---- drag marking ----

bool same_place(const MouseCursor& a, const MouseCursor& b) {
    return a.pos == b.pos && a.display_line == b.display_line && a.line == b.line;
}

// The cell a drag aims for on a screen line where the point is beside the
// text: the line's end when the point lies past its first cell, else 0.
int beside_target(const Screen& s, int line, int along) {
    const int indent = s.cells.indent(line);
    if (along <= cell_position(s.geo, line, indent)) return 0;
    return std::max(s.cells.used(line) - indent, 0);
}

void extend_marking(MouseState& m, const Screen& s, MouseServices& io, const Hit& h, int along) {
    const DisplayGeometry& g = s.geo;
    const bool v = g.vertical;
    if (h.result == HIT_NOWHERE) return;
    if (off_screen(s, h.line)) {
        // Beside the text: one line now, more while the button is held.
        if (m.repeat_key == 0) start_repeat(m, io, h.line < 0 ? across_back(v) : across_forward(v), KEY_SHIFT);
        m.moved = true;
        return;
    }
    stop_repeat(m, io);
    const int target = h.result == HIT_TEXT ? h.cell : beside_target(s, h.line, along);
    MouseCursor c = io.cursor();
    for (int i = 0; i <= g.screen_lines && c.line != h.line; ++i) {
        io.dispatch_key(h.line > c.line ? across_forward(v) : across_back(v), KEY_SHIFT);
        const MouseCursor n = io.cursor();
        if (same_place(n, c)) break;
        c = n;
    }
    const int limit = 2 * (g.max_cells + g.gap + 2);
    for (int i = 0; i < limit && c.cell != target; ++i) {
        io.dispatch_key(c.cell < target ? along_forward(v) : along_back(v), KEY_SHIFT);
        const MouseCursor n = io.cursor();
        if (same_place(n, c)) break;
        if (n.display_line != c.display_line) {
            // The line ended before the point: the pointer follows the cursor.
            if (!off_screen(s, n.line)) {
                int x = 0, y = 0;
                cell_point(g, n.line, n.cell + s.cells.indent(n.line), &x, &y);
                io.warp_pointer(x, y);
            }
            break;
        }
        c = n;
    }
    m.moved = true;
}

// ---- the buttons ----

void corner_drag_start(MouseState& m, const Screen& s, MouseServices& io) {
    const DisplayGeometry& g = s.geo;
    const bool left = m.corner == CORNER_TOP_LEFT || m.corner == CORNER_BOTTOM_LEFT;
    const bool top = m.corner == CORNER_TOP_RIGHT || m.corner == CORNER_TOP_LEFT;
    int x;
    if (g.vertical) x = left ? g.client_w - g.right_extent : g.client_w - g.margin_start_px;
    else x = left ? g.margin_start_px : g.right_extent;
    const int y = top ? g.margin_top_px : g.bottom_extent;
    io.warp_pointer(x, y);
    const PointerZone z = classify_pointer(g, x, y, ZONE_DRAG_TOP_RIGHT - 1 + m.corner);
    m.zone = z.zone;
    set_pointer(m, io, z.cursor, z.hot_x, z.hot_y);
}

// What every button press does first: the caret hidden, the point and its
// hit remembered as the start of a possible drag.
Hit press_start(MouseState& m, const Screen& s, MouseServices& io, const MouseEvent& e) {
    io.caret_shown(false);
    m.moved = false;
    m.last_x = e.x;
    m.last_y = e.y;
    const Hit h = hit_test(s.geo, s.cells, e.x, e.y);
    m.last_line = h.line;
    m.last_cell = h.cell;
    return h;
}

int left_down(MouseState& m, const Screen& s, MouseServices& io, const MouseEvent& e) {
    const Hit h = press_start(m, s, io, e);
    TextPos start, end;
    const bool marked = io.marked_range(&start, &end);
    TextPos pos;
    if (h.result == HIT_TEXT && io.position_of(h, &pos)) {
        if (marked && m.pressed_marked) {
            m.pressed_marked = false;
            io.end_marking();
            return h.result;
        }
        m.pressed_marked = marked;
        m.left_marking = true;
        if (marked && in_range(start, end, pos)) drag_start(m, io);
        io.move_cursor(pos);
        if (e.kind == MOUSE_LEFT_DOUBLE) {
            m.click_line = m.click_cell = -1;
            io.open_synonyms();
        } else if (h.line == m.click_line && h.cell == m.click_cell) {
            m.click_line = m.click_cell = -1;
            io.open_copy_history();
        } else {
            m.click_line = h.line;
            m.click_cell = h.cell;
        }
    } else {
        m.pressed_marked = marked;
        if (!m.right_down) {
            if (m.corner >= CORNER_TOP_RIGHT && m.corner <= CORNER_BOTTOM_RIGHT) {
                corner_drag_start(m, s, io);
            } else if (h.result == HIT_BESIDE && off_screen(s, h.line)) {
                const bool v = s.geo.vertical;
                start_repeat(m, io, h.line < 0 ? across_back(v) : across_forward(v), KEY_PLAIN_MOVE);
            }
        }
    }
    if (m.drag == 0 && io.marked_range(&start, &end)) io.end_marking();
    return h.result;
}

int left_up(MouseState& m, const Screen& s, MouseServices& io, const MouseEvent& e) {
    stop_repeat(m, io);
    if (m.zone >= ZONE_DRAG_TOP_RIGHT && m.zone <= ZONE_DRAG_BOTTOM_RIGHT) {
        const MarginChange change = corner_margins(s.geo, m.zone - 4, e.x, e.y);
        m.zone = ZONE_TEXT;
        m.corner = CORNER_NONE_TEXT;
        m.pointer = "";
        io.set_margins(change);
        io.caret_shown(true);
        return HIT_NOWHERE;
    }
    m.corner = CORNER_NONE_TEXT;
    const Hit h = hit_test(s.geo, s.cells, e.x, e.y);
    if (m.left_marking) {
        m.left_marking = false;
        TextPos pos;
        if (!m.moved && m.drag == 0 && h.result == HIT_TEXT && io.position_of(h, &pos)) io.move_cursor(pos);
    }
    if (m.drag == 1) drag_end(m, io);
    else if (m.drag == 2) drop_text(m, io, false);
    io.caret_shown(true);
    return h.result;
}

// The quick edit of the right button: the marked text is cut; without a
// marking the cursor goes to the point and the clipboard is pasted there.
void quick_edit(MouseState& m, MouseServices& io, TextPos pos) {
    TextPos start, end;
    if (io.marked_range(&start, &end)) {
        io.run_command(COMMAND_CUT);
    } else {
        io.move_cursor(pos);
        io.run_command(COMMAND_PASTE);
    }
    m.right_consumed = true;
}

int right_down(MouseState& m, const Screen& s, MouseServices& io, const MouseEvent& e) {
    m.right_down = true;
    m.right_consumed = false;
    const Hit h = press_start(m, s, io, e);
    TextPos pos, start, end;
    if (h.result == HIT_TEXT && io.position_of(h, &pos)) {
        m.right_on_text = true;
        if (m.quick_edit == 1) {
            quick_edit(m, io, pos);
        } else if (io.marked_range(&start, &end) && in_range(start, end, pos)) {
            drag_start(m, io);
            m.right_consumed = true;
        }
    } else if (h.result == HIT_BESIDE && off_screen(s, h.line)) {
        start_repeat(m, io, h.line < 0 ? VK_PRIOR : VK_NEXT, 0);
        m.right_consumed = true;
    }
    return h.result;
}

int right_up(MouseState& m, const Screen& s, MouseServices& io, const MouseEvent& e) {
    stop_repeat(m, io);
    m.right_down = false;
    m.right_on_text = false;
    if (m.drag == 1) {
        drag_end(m, io);
    } else if (m.drag == 2) {
        const int choice = io.drop_menu(e.x, e.y);
        if (choice == DROP_MOVE) drop_text(m, io, false);
        else if (choice == DROP_COPY) drop_text(m, io, true);
        else drag_cancel(m, io);
    }
    io.caret_shown(true);
    return hit_test(s.geo, s.cells, e.x, e.y).result;
}

int move(MouseState& m, const Screen& s, MouseServices& io, const MouseEvent& e) {
    const DisplayGeometry& g = s.geo;
    classify(m, s, io, e.x, e.y);
    if (!m.left_marking && !m.right_on_text) return HIT_NOWHERE;
    const bool v = g.vertical;
    const int d_across = v ? e.x - m.last_x : e.y - m.last_y;
    const int d_along = v ? e.y - m.last_y : e.x - m.last_x;
    if (std::abs(d_across) <= g.line_pitch / 4 && std::abs(d_along) <= 1) return HIT_NOWHERE;
    m.last_x = e.x;
    m.last_y = e.y;
    int x = e.x, y = e.y;
    if (m.drag) {
        if (v) x -= g.font_w / 2;
        else y -= g.font_h / 2;
    }
    const int push = d_along > 0 ? g.char_pitch / 2 : d_along < 0 ? -(g.char_pitch / 2) : 0;
    if (v) y += push;
    else x += push;
    const Hit h = hit_test(g, s.cells, x, y);
    // Held beside the text the same hit repeats: the timer scrolls on.
    if (h.line == m.last_line && h.cell == m.last_cell) return h.result;
    m.last_line = h.line;
    m.last_cell = h.cell;
    if (m.drag) {
        TextPos pos;
        if (h.result == HIT_TEXT && io.position_of(h, &pos)) {
            drag_frame(m, s, io, h, pos);
        } else if (h.result == HIT_BESIDE && off_screen(s, h.line)) {
            // The text scrolls under the frame: it goes, and comes back at the next cell.
            if (m.frame_line >= 0) io.drop_frame(-1, -1);
            m.frame_line = -1;
            io.dispatch_key(h.line < 0 ? across_back(v) : across_forward(v), KEY_PLAIN_MOVE);
            m.last_line = m.last_cell = -1000;
        }
        m.moved = true;
        return h.result;
    }
    if (m.left_marking) extend_marking(m, s, io, h, v ? y : x);
    return h.result;
}

void timer(MouseState& m, MouseServices& io, int id) {
    if (id == TIMER_AUTO_REPEAT) {
        if (!m.repeat_key) {
            io.kill_timer(TIMER_AUTO_REPEAT);
            return;
        }
        const int flags = m.left_marking ? KEY_SHIFT : m.right_down ? 0 : KEY_PLAIN_MOVE;
        io.dispatch_key(m.repeat_key, flags);
        io.set_timer(TIMER_AUTO_REPEAT, AUTO_REPEAT_NEXT_MS);
    } else if (id == TIMER_IDLE_POINTER) {
        io.kill_timer(TIMER_IDLE_POINTER);
        if (!m.pointer_hidden && io.may_hide_pointer()) {
            m.pointer_hidden = true;
            io.show_pointer(false);
        }
    }
}

}  // namespace

int handle_mouse(MouseState& m, const Screen& s, MouseServices& io, const MouseEvent& e) {
    if (e.kind == MOUSE_TIMER) {
        timer(m, io, e.timer);
        return HIT_NOWHERE;
    }
    if (m.pointer_hidden) {
        m.pointer_hidden = false;
        io.show_pointer(true);
    }
    io.set_timer(TIMER_IDLE_POINTER, IDLE_POINTER_MS);
    if (!s.geo.computed()) return HIT_NOWHERE;
    switch (e.kind) {
        case MOUSE_LEFT_DOWN:
        case MOUSE_LEFT_DOUBLE:
            classify(m, s, io, e.x, e.y);
            return left_down(m, s, io, e);
        case MOUSE_LEFT_UP: return left_up(m, s, io, e);
        case MOUSE_RIGHT_DOWN: return right_down(m, s, io, e);
        case MOUSE_RIGHT_UP: return right_up(m, s, io, e);
        case MOUSE_RIGHT_DOUBLE: {
            const Hit h = hit_test(s.geo, s.cells, e.x, e.y);
            TextPos pos;
            if (m.quick_edit == 2 && h.result == HIT_TEXT && io.position_of(h, &pos)) quick_edit(m, io, pos);
            if (h.result == HIT_BESIDE && off_screen(s, h.line)) {
                io.run_command(h.line < 0 ? COMMAND_DOCUMENT_START : COMMAND_DOCUMENT_END);
                m.right_consumed = true;
            }
            m.right_down = true;
            return h.result;
        }
        default: return move(m, s, io, e);
    }
}

MarginChange corner_margins(const DisplayGeometry& g, int corner, int x, int y) {
    MarginChange c;
    if (g.client_w <= 0 || g.client_h <= 0 || corner < CORNER_TOP_RIGHT || corner > CORNER_BOTTOM_RIGHT) return c;
    x = std::clamp(x, 0, g.client_w);
    y = std::clamp(y, 0, g.client_h);
    const int px = static_cast<int>(1000LL * x / g.client_w);
    const int py = static_cast<int>(1000LL * y / g.client_h);
    auto kept = [](int permille) { return permille > WIDE_MARGIN_PERMILLE ? SLIP_MARGIN_PERMILLE : permille; };
    const bool right = corner == CORNER_TOP_RIGHT || corner == CORNER_BOTTOM_RIGHT;
    const bool top = corner == CORNER_TOP_RIGHT || corner == CORNER_TOP_LEFT;
    const int width = kept(right ? 1000 - px : px);
    // The right side holds the line starts in vertical writing, the ends in horizontal writing.
    if (right == g.vertical) c.start = width;
    else c.end = width;
    if (top) c.top = kept(py);
    else c.bottom = kept(1000 - py);
    return c;
}

bool drop_after_cut(TextPos start, TextPos end, TextPos drop, TextPos* out) {
    if (in_range(start, end, drop)) return false;
    if (drop < start) {
        *out = drop;
    } else if (drop.line() == end.line()) {
        *out = TextPos(start.line(), start.column() + (drop.column() - end.column()));
    } else {
        *out = TextPos(drop.line() - (end.line() - start.line()), drop.column());
    }
    return true;
}

void cell_point(const DisplayGeometry& g, int line, int cell, int* x, int* y) {
    if (g.vertical) {
        *x = line_position(g, line) - g.font_w;
        *y = cell_position(g, line, cell);
    } else {
        *x = cell_position(g, line, cell);
        *y = line_position(g, line);
    }
}

}  // namespace rix

// Cursor moves of the key dispatcher: along the line, across display lines,
// by logical lines and punctuation, by pages; and the keys' view-frame rules.
//
// Positions a move reaches are cursor stops: the start of a cell (before the
// ruby and tag blocks that stand in front of its character), the second half
// of a half-width pair, and the end of a line. Nothing here changes text.
#include <algorithm>
#include <vector>

#include "document/display_lines.h"
#include "document/storage.h"
#include "editing/cursor.h"
#include "editing/dispatch.h"

namespace rix {

namespace {

constexpr std::uint32_t NONE = 0xFFFFFFFFu;

bool is_block(ItemKind k) { return k == ItemKind::RUBY || k == ItemKind::TAG || k == ItemKind::IGNORED; }
bool is_end(ItemKind k) { return k == ItemKind::LINE_END || k == ItemKind::TEXT_END || k == ItemKind::CUT; }

// Loads further until `line` is loaded or nothing more can be loaded.
void ensure_line(EditContext& c, std::uint32_t line) {
    if (c.session == nullptr) return;
    while (line >= c.doc.lines.count() && !c.doc.fully_loaded())
        if (!load_more(c.doc, c.state, *c.session, &c.notices)) return;
}

// A cursor stop of a line: a cursor anywhere in [from, to] stands on it.
struct Stop {
    std::uint32_t from;
    std::uint32_t to;
};

// The stops of a loaded line in order; the last one is the line's end.
std::vector<Stop> line_stops(const Document& doc, std::uint32_t line) {
    std::vector<Stop> stops;
    const std::uint8_t* p = doc.line_pointer(line);
    if (p == nullptr) return {{0, 0}};
    LineScanner scanner(p, MAX_LINE_SCAN);
    std::uint32_t run = NONE;   // first block of the blocks just passed
    for (;;) {
        ScanItem it = scanner.next();
        if (is_block(it.kind)) {
            if (run == NONE) run = it.column;
            continue;
        }
        const std::uint32_t from = run == NONE ? it.column : run;
        run = NONE;
        if (is_end(it.kind)) {
            stops.push_back({from, it.column});
            return stops;
        }
        if (it.kind == ItemKind::PAIR) {
            stops.push_back({from, it.column});
            stops.push_back({it.column + 1, it.column + 1});
        } else {
            stops.push_back({from, it.column + it.length - 1});
        }
    }
}

// The column of the line's end mark (0xFE, 0x1A, or where the scan stopped).
std::uint32_t line_end_column(const Document& doc, std::uint32_t line) {
    const std::uint8_t* p = doc.line_pointer(line);
    if (p == nullptr) return 0;
    LineScanner scanner(p, MAX_LINE_SCAN);
    for (;;) {
        ScanItem it = scanner.next();
        if (is_end(it.kind)) return it.column;
    }
}

bool is_punctuation(std::uint16_t code) {
    // 、 。 ？ ！ as whole double-byte characters.
    return code == 0x8141 || code == 0x8142 || code == 0x8148 || code == 0x8149;
}

int lines_per_tier(const ViewFrame& f) { return std::max(1, f.screen_lines / std::max(1, f.tiers)); }

// After a logical-line move: when the cursor left the screen, the screen is
// rebuilt around it with the cursor a third of a tier below the top.
void bring_into_view(EditContext& c) {
    const ViewFrame& f = c.edit.frame;
    const int sl = c.edit.cursor.screen_line;
    if (sl >= 0 && sl < std::max(1, f.screen_lines)) return;
    const int v = lines_per_tier(f) / 3;
    DisplayMove top = display_lines_backward(c.doc, c.edit.cursor.pos, static_cast<std::uint32_t>(v));
    set_top(c, top.pos);
    load_for(c, c.edit.frame.top, static_cast<std::uint32_t>(std::max(1, f.screen_lines)));
}

// Places the cursor after a move along the line and keeps it on screen
// (a screen line forward or back, else the screen scrolls by one).
bool move_along(EditContext& c, TextPos to) {
    if (to == c.edit.cursor.pos) return false;
    place_cursor(c, to, true);
    keep_cursor_on_screen(c);
    return true;
}

// Places the cursor after a logical-line move.
bool move_by_lines(EditContext& c, TextPos to) {
    if (to == c.edit.cursor.pos) return false;
    place_cursor(c, to, true);
    bring_into_view(c);
    return true;
}

}  // namespace

bool at_document_end(EditContext& c, TextPos pos) {
    ensure_line(c, pos.line() + 1);
    return pos >= document_end(c.doc);
}

TextPos char_after(EditContext& c, TextPos pos) {
    Document& doc = c.doc;
    const std::uint32_t line = pos.line();
    if (line >= doc.lines.count()) return pos;
    const std::uint8_t* p = doc.line_pointer(line);
    if (p == nullptr) return pos;
    LineScanner scanner(p, MAX_LINE_SCAN);
    const std::uint32_t at = pos.column();
    bool past_blocks = false;   // blocks at pos were stepped over: take the next character whole
    for (;;) {
        ScanItem it = scanner.next();
        const std::uint32_t end = it.column + it.length;
        if (!is_end(it.kind) && !past_blocks && end <= at) continue;   // before pos
        switch (it.kind) {
            case ItemKind::RUBY:
            case ItemKind::TAG:
            case ItemKind::IGNORED: past_blocks = true; continue;
            case ItemKind::LINE_END:
                ensure_line(c, line + 1);
                return line + 1 < doc.lines.count() ? TextPos(line + 1, 0) : TextPos(line, it.column);
            case ItemKind::TEXT_END:
            case ItemKind::CUT: return TextPos(line, it.column);
            case ItemKind::PAIR:
                // From its first half (or from blocks before it) onto its second half.
                return TextPos(line, past_blocks || at == it.column ? it.column + 1 : end);
            case ItemKind::DOUBLE:
            case ItemKind::SINGLE: return TextPos(line, end);
        }
    }
}

TextPos char_before(EditContext& c, TextPos pos) {
    Document& doc = c.doc;
    std::uint32_t line = pos.line();
    if (line >= doc.lines.count()) return pos;
    std::vector<Stop> stops = line_stops(doc, line);
    // The stop the cursor stands on: the last that begins at or before it.
    std::size_t i = 0;
    while (i + 1 < stops.size() && stops[i + 1].from <= pos.column()) ++i;
    if (i > 0) return TextPos(line, stops[i - 1].from);
    if (line == 0) return pos;
    return TextPos(line - 1, line_stops(doc, line - 1).back().from);
}

// ---- along the line ----

bool next_character(EditContext& c) {
    const TextPos from = c.edit.cursor.pos;
    if (at_document_end(c, from)) return false;
    return move_along(c, char_after(c, from));
}

bool previous_character(EditContext& c) {
    const TextPos from = c.edit.cursor.pos;
    if (at_document_start(from)) return false;
    return move_along(c, char_before(c, from));
}

// ---- across display lines ----

namespace {

bool screen_shows_document_end(EditContext& c) {
    const ViewFrame& f = c.edit.frame;
    load_for(c, f.top, static_cast<std::uint32_t>(std::max(1, f.screen_lines)) + 1);
    if (!c.doc.fully_loaded() && c.session != nullptr) return false;
    const DisplayLineNo last = document_display_line(c.doc, document_end(c.doc));
    return f.top_display_line.after(static_cast<std::uint64_t>(std::max(1, f.screen_lines))) > last;
}

}  // namespace

bool next_display_line(EditContext& c, bool plain_move) {
    Cursor& k = c.edit.cursor;
    if (at_document_end(c, k.pos)) return false;
    load_for(c, k.pos, 2);
    CellMove m = move_by_display_lines(c.doc, k.pos, 1, k.remembered_cell, false);
    if (!m.ok) return false;
    const ViewFrame& f = c.edit.frame;
    if (!plain_move && k.screen_line < std::max(1, f.screen_lines) - 1) {
        place_cursor(c, m.pos, false);   // the remembered cell stays
        keep_cursor_on_screen(c);
        return true;
    }
    if (f.tiers >= 2 && screen_shows_document_end(c)) return false;
    scroll_frame(c, 1);
    place_cursor(c, m.pos, false);   // the remembered cell stays
    keep_cursor_on_screen(c);
    return true;
}

bool previous_display_line(EditContext& c, bool plain_move) {
    Cursor& k = c.edit.cursor;
    const ViewFrame& f = c.edit.frame;
    const bool top_at_start = f.top_display_line == DisplayLineNo{};
    if (k.screen_line <= 0 && top_at_start) return false;
    CellMove m = move_by_display_lines(c.doc, k.pos, -1, k.remembered_cell, false);
    if (!m.ok) return false;
    if (!plain_move && k.screen_line > 0) {
        place_cursor(c, m.pos, false);   // the remembered cell stays
        keep_cursor_on_screen(c);
        return true;
    }
    if (top_at_start) return false;
    scroll_frame(c, -1);
    place_cursor(c, m.pos, false);   // the remembered cell stays
    keep_cursor_on_screen(c);
    return true;
}

bool overwrite_enter(EditContext& c) {
    Cursor& k = c.edit.cursor;
    load_for(c, k.pos, 2);
    CellMove m = move_by_display_lines(c.doc, k.pos, 1, 0, false);
    if (!m.ok) m = move_by_display_lines(c.doc, k.pos, 0, 0, false);
    if (!m.ok || m.pos == k.pos) return false;
    place_cursor(c, m.pos, true);
    keep_cursor_on_screen(c);
    return true;
}

// ---- by pages ----

bool page_up(EditContext& c) {
    const ViewFrame& f = c.edit.frame;
    if (f.top_display_line == DisplayLineNo{}) return false;
    const int scrolled = scroll_frame(c, -std::max(1, f.page_columns));
    if (scrolled == 0) return false;
    CellMove m = move_by_display_lines(c.doc, c.edit.cursor.pos, scrolled, c.edit.cursor.remembered_cell, false);
    if (m.ok) place_cursor(c, m.pos, false);
    keep_cursor_on_screen(c);
    return true;
}

bool page_down(EditContext& c) {
    const ViewFrame& f = c.edit.frame;
    if (screen_shows_document_end(c)) return false;
    const int scrolled = scroll_frame(c, std::max(1, f.page_columns));
    if (scrolled == 0) return false;
    load_for(c, c.edit.cursor.pos, static_cast<std::uint32_t>(scrolled) + 1);
    CellMove m = move_by_display_lines(c.doc, c.edit.cursor.pos, scrolled, c.edit.cursor.remembered_cell, false);
    if (m.ok) place_cursor(c, m.pos, false);
    keep_cursor_on_screen(c);
    return true;
}

// ---- by logical lines ----

bool to_line_end(EditContext& c) {
    const TextPos pos = c.edit.cursor.pos;
    std::uint32_t line = pos.line();
    if (line >= c.doc.lines.count()) return false;
    std::uint32_t end = line_end_column(c.doc, line);
    if (pos.column() >= end) {
        ensure_line(c, line + 1);
        if (line + 1 >= c.doc.lines.count()) return false;
        ++line;
        end = line_end_column(c.doc, line);
    }
    return move_by_lines(c, TextPos(line, end));
}

bool to_line_start(EditContext& c) {
    const TextPos pos = c.edit.cursor.pos;
    if (pos.column() != 0) return move_by_lines(c, TextPos(pos.line(), 0));
    if (pos.line() == 0) return false;
    return move_by_lines(c, TextPos(pos.line() - 1, 0));
}

bool to_punctuation_forward(EditContext& c) {
    const TextPos pos = c.edit.cursor.pos;
    const std::uint32_t line = pos.line();
    if (line >= c.doc.lines.count()) return false;
    const std::uint8_t* p = c.doc.line_pointer(line);
    if (p == nullptr) return false;
    LineScanner scanner(p, MAX_LINE_SCAN);
    for (;;) {
        ScanItem it = scanner.next();
        if (is_end(it.kind)) break;
        if (it.kind == ItemKind::DOUBLE && it.column > pos.column() && is_punctuation(it.code))
            return move_by_lines(c, TextPos(line, it.column));
    }
    ensure_line(c, line + 1);
    if (line + 1 < c.doc.lines.count()) return move_by_lines(c, TextPos(line + 1, 0));
    return move_by_lines(c, document_end(c.doc));
}

bool to_punctuation_back(EditContext& c) {
    const TextPos pos = c.edit.cursor.pos;
    const std::uint32_t line = pos.line();
    if (line >= c.doc.lines.count()) return false;
    if (pos.column() == 0) {
        if (line == 0) return false;
        return move_by_lines(c, TextPos(line - 1, line_end_column(c.doc, line - 1)));
    }
    const std::uint8_t* p = c.doc.line_pointer(line);
    if (p == nullptr) return false;
    LineScanner scanner(p, MAX_LINE_SCAN);
    std::uint32_t target = 0;
    for (;;) {
        ScanItem it = scanner.next();
        if (is_end(it.kind) || it.column + 2 >= pos.column()) break;
        if (it.kind == ItemKind::DOUBLE && is_punctuation(it.code)) target = it.column + 2;
    }
    return move_by_lines(c, TextPos(line, target));
}

// ---- marking ----

void end_marking(EditContext& c) {
    Marking& m = c.edit.mark;
    if (m.on) c.edit.damage.marking = true;
    m.on = false;
    m.by_mouse = false;
}

namespace {

void set_range(EditContext& c, TextPos start, TextPos end) {
    Marking& m = c.edit.mark;
    if (m.on && m.start == start && m.end == end) return;
    m.on = true;
    m.start = start;
    m.end = end;
    c.edit.damage.marking = true;
}

// The marking step before a Shift+movement key (keys after the mapping).
void mark_before(EditContext& c, int key) {
    const Marking& m = c.edit.mark;
    const TextPos cur = c.edit.cursor.pos;
    switch (key) {
        case KEY_NEXT_CHARACTER:
            if (at_document_end(c, cur)) return;
            if (!m.on) set_range(c, cur, char_after(c, cur));
            else if (cur >= m.end) set_range(c, m.start, char_after(c, cur));
            return;
        case KEY_PREVIOUS_CHARACTER:
            if (!m.on) {
                if (!at_document_end(c, cur)) set_range(c, cur, char_after(c, cur));
            } else if (!at_document_start(cur) && m.start >= cur) {
                set_range(c, cur, m.end);
            }
            return;
        case KEY_NEXT_DISPLAY_LINE: {
            load_for(c, cur, 2);
            DisplayMove next = display_lines_forward(c.doc, cur, 1);
            if (next.moved == 0) return;   // the last display line of the document
            const TextPos d = next.pos;
            if (!m.on) set_range(c, cur, d);
            else if (cur < m.end) set_range(c, d, m.end);
            else set_range(c, m.start, d);
            return;
        }
        case KEY_PREVIOUS_DISPLAY_LINE: {
            const TextPos l = cell_at(c.doc, cur).line_start;
            if (at_document_start(l)) return;
            if (!m.on) set_range(c, l, at_document_end(c, cur) ? cur : char_after(c, cur));
            else if (m.start < cur) set_range(c, m.start, l);
            else set_range(c, l, m.end);
            return;
        }
        default: return;
    }
}

// The marking step after the move; c is the cursor's new position.
void mark_after(EditContext& c, int key) {
    Marking& m = c.edit.mark;
    if (!m.on) return;
    const TextPos pos = c.edit.cursor.pos;
    if (key != KEY_NEXT_DISPLAY_LINE && at_document_end(c, pos)) {
        if (m.start >= m.end) end_marking(c);
        return;
    }
    const bool inside = m.start <= pos && pos < m.end;
    switch (key) {
        case KEY_NEXT_CHARACTER:
            if (inside) set_range(c, char_after(c, m.start), m.end);
            break;
        case KEY_PREVIOUS_CHARACTER:
            if (inside) set_range(c, m.start, pos);
            break;
        case KEY_NEXT_DISPLAY_LINE:
            if (!inside) set_range(c, m.start, pos);
            else set_range(c, char_after(c, pos), m.end);
            break;
        case KEY_PREVIOUS_DISPLAY_LINE:
            if (!inside) set_range(c, char_after(c, pos), m.end);
            else set_range(c, m.start, pos);
            break;
        default: break;
    }
    if (m.start >= m.end) end_marking(c);
}

bool is_movement(int key) {
    return key == KEY_NEXT_CHARACTER || key == KEY_PREVIOUS_CHARACTER || key == KEY_NEXT_DISPLAY_LINE ||
           key == KEY_PREVIOUS_DISPLAY_LINE;
}

}  // namespace

int map_orientation(int key, bool vertical) {
    if (vertical) return key;
    switch (key) {
        case VK_LEFT: return VK_UP;
        case VK_UP: return VK_RIGHT;
        case VK_RIGHT: return VK_DOWN;
        case VK_DOWN: return VK_LEFT;
        default: return key;
    }
}

bool move_key(EditContext& c, int key, int flags) {
    const bool ctrl = (flags & KEY_CTRL) != 0;
    const bool plain = (flags & KEY_PLAIN_MOVE) != 0;
    const bool marking = (flags & KEY_SHIFT) != 0 && !ctrl && is_movement(key);
    switch (key) {
        case KEY_NEXT_CHARACTER:
        case KEY_PREVIOUS_CHARACTER:
        case KEY_NEXT_DISPLAY_LINE:
        case KEY_PREVIOUS_DISPLAY_LINE:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_END:
        case VK_HOME:
        case KEY_OVERWRITE_ENTER: break;
        default: return false;
    }
    if (marking) mark_before(c, key);
    else if (!((key == VK_PRIOR || key == VK_NEXT) && c.edit.mark.by_mouse)) end_marking(c);
    switch (key) {
        case KEY_NEXT_CHARACTER: ctrl ? to_punctuation_forward(c) : next_character(c); break;
        case KEY_PREVIOUS_CHARACTER: ctrl ? to_punctuation_back(c) : previous_character(c); break;
        case KEY_NEXT_DISPLAY_LINE: ctrl ? to_line_end(c) : next_display_line(c, plain); break;
        case KEY_PREVIOUS_DISPLAY_LINE: ctrl ? to_line_start(c) : previous_display_line(c, plain); break;
        case VK_PRIOR: page_up(c); break;
        case VK_NEXT: page_down(c); break;
        case VK_END: to_line_end(c); break;
        case VK_HOME: to_line_start(c); break;
        case KEY_OVERWRITE_ENTER: overwrite_enter(c); break;
        default: break;
    }
    if (marking) mark_after(c, key);
    return true;
}

}  // namespace rix

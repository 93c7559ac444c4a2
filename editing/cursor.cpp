// The cursor model's arithmetic.
#include "editing/cursor.h"

#include <algorithm>

#include "document/display_lines.h"
#include "document/storage.h"

namespace rix {

CellAt cell_at(Document& doc, TextPos pos) {
    CellAt out;
    const std::uint32_t line = pos.line();
    if (line >= doc.lines.count()) return out;
    lp_load(doc, pos);
    const std::uint32_t col0 = doc.cache.breaks.empty() ? 0 : doc.cache.breaks[doc.cache.current];
    out.line_start = TextPos(line, col0);
    const std::uint8_t* p = doc.line_pointer(line);
    if (p == nullptr) return out;
    LineScanner scanner(p + col0, MAX_LINE_SCAN - col0);
    const std::uint32_t at = pos.column();
    std::uint32_t cells = 0;
    for (;;) {
        ScanItem it = scanner.next();
        const std::uint32_t col = col0 + it.column;
        if (it.kind == ItemKind::LINE_END || it.kind == ItemKind::TEXT_END || it.kind == ItemKind::CUT) break;
        if (at < col + it.length || col >= at) {
            if (it.kind == ItemKind::PAIR && at == col + 1) out.second_half = true;
            break;
        }
        if (it.kind == ItemKind::DOUBLE || it.kind == ItemKind::SINGLE || it.kind == ItemKind::PAIR) ++cells;
    }
    out.cell = cells;
    return out;
}

void place_cursor(EditContext& c, TextPos pos, bool remember) {
    Cursor& k = c.edit.cursor;
    k.pos = pos;
    CellAt at = cell_at(c.doc, pos);
    k.cell = at.cell;
    k.second_half = at.second_half;
    if (remember) k.remembered_cell = at.cell;
    k.display_line = pos.line() < c.doc.lines.count() ? document_display_line(c.doc, pos) : DisplayLineNo{};
    k.screen_line = static_cast<int>(display_distance(c.edit.frame.top_display_line, k.display_line));
}

void refresh_frame(EditContext& c) {
    ViewFrame& f = c.edit.frame;
    if (f.top.line() >= c.doc.lines.count()) f.top = TextPos(0, 0);
    f.top = cell_at(c.doc, f.top).line_start;
    f.top_display_line = document_display_line(c.doc, f.top);
    Cursor& k = c.edit.cursor;
    if (k.pos.line() < c.doc.lines.count()) k.display_line = document_display_line(c.doc, k.pos);
    k.screen_line = static_cast<int>(display_distance(f.top_display_line, k.display_line));
}

void set_top(EditContext& c, TextPos top) {
    c.edit.frame.top = top;
    c.edit.damage.top_moved = true;
    refresh_frame(c);
}

void load_for(EditContext& c, TextPos pos, std::uint32_t lines) {
    if (c.session == nullptr) return;
    while (!c.doc.fully_loaded()) {
        if (pos.line() < c.doc.lines.count() && display_lines_forward(c.doc, pos, lines).moved >= lines) return;
        if (!load_more(c.doc, c.state, *c.session, &c.notices)) return;
    }
}

int scroll_frame(EditContext& c, int n) {
    ViewFrame& f = c.edit.frame;
    if (n == 0 || c.doc.lines.count() == 0) return 0;
    DisplayMove m;
    if (n > 0) {
        load_for(c, f.top, static_cast<std::uint32_t>(n) + static_cast<std::uint32_t>(f.screen_lines));
        m = display_lines_forward(c.doc, f.top, static_cast<std::uint32_t>(n));
    } else {
        m = display_lines_backward(c.doc, f.top, static_cast<std::uint32_t>(-n));
    }
    if (m.moved == 0) return 0;
    f.top = m.pos;
    c.edit.damage.top_moved = true;
    refresh_frame(c);
    return n > 0 ? static_cast<int>(m.moved) : -static_cast<int>(m.moved);
}

void keep_cursor_on_screen(EditContext& c) {
    const int lines = std::max(1, c.edit.frame.screen_lines);
    int sl = c.edit.cursor.screen_line;
    if (sl < 0) scroll_frame(c, sl);
    else if (sl >= lines) scroll_frame(c, sl - lines + 1);
}

TextPos document_end(const Document& doc) {
    if (doc.fully_loaded()) return doc.load.end;
    const std::uint32_t n = doc.lines.count();
    if (n == 0) return TextPos(0, 0);
    const std::uint8_t* p = doc.line_pointer(n - 1);
    if (p == nullptr) return TextPos(n - 1, 0);
    LineScanner scanner(p, MAX_LINE_SCAN);
    for (;;) {
        ScanItem it = scanner.next();
        if (it.kind == ItemKind::LINE_END || it.kind == ItemKind::TEXT_END || it.kind == ItemKind::CUT)
            return TextPos(n - 1, it.column);
    }
}

bool at_document_start(TextPos pos) { return pos.value == 0; }

}  // namespace rix

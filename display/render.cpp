// Layout and drawing of screen lines: layout_and_draw, put_cell,
// draw_screen_line, ruby, text marks and line-mark digits.
//
// Pixel arithmetic follows the manuscript grid: a glyph box is font_w ×
// font_h; in vertical writing its right edge is the line's position and it
// runs down from the cell's start; in horizontal writing its top is the
// line's position. All divisions are integer divisions unless a trunc of a
// product with a fraction is written.
#include "display/render.h"

#include <algorithm>
#include <cmath>

#include "display/layout_walk.h"

namespace rix {

namespace {

constexpr int MAX_RUBY_CODES = 24;   // ruby characters kept per block (with the parameter byte: 25)

int font_w(const Screen& s) { return std::max(s.geo.font_w, 1); }
int font_h(const Screen& s) { return std::max(s.geo.font_h, 1); }

bool line_end_marks_on(const Screen& s) { return !s.fmt.print && (s.fmt.mark_flags & 1); }
bool page_marks_on(const Screen& s) { return !s.fmt.print && (s.fmt.mark_flags & 2); }

// The glyph box of a cell whose line is at `across` and cell at `along`.
// A line of another size keeps the line's edge and the cell's start.
SurfaceRect glyph_box(const Screen& s, int across, int along, int percent = 100) {
    const int w = font_w(s) * percent / 100, h = font_h(s) * percent / 100;
    if (s.geo.vertical) return {across - w, along, w, h};
    return {along, across, w, h};
}

void draw_spill_into(Screen& s, int j);

// Clears the records of screen lines [from, Nscreen) and erases them.
void clear_lines_from(Screen& s, int from) {
    for (int j = std::max(from, 0); j < s.cells.lines(); ++j) {
        s.cells.clear_line(j);
        s.marks.set(j, 0);
        if (s.surface && !s.full_redraw) erase_screen_line(s, j);
        draw_spill_into(s, j);
    }
}

// Draws queued ruby pieces of `line` (all pieces when line < 0) and removes them.
void replay_ruby(Screen& s, int line) {
    auto& q = s.ruby_queue;
    auto keep = q.begin();
    const int rp = std::max(s.fmt.font.pixel_height / 2, 1);
    for (auto it = q.begin(); it != q.end(); ++it) {
        if (line >= 0 && it->line != line) {
            if (keep != it) *keep = std::move(*it);
            ++keep;
            continue;
        }
        if (!s.surface) continue;
        for (const auto& [code, along] : it->glyphs) {
            CellGlyph g;
            g.font = FONT_RUBY;
            g.code = code;
            g.colour = s.fmt.text_colour;
            g.mode = s.geo.vertical ? GlyphMode::VERTICAL : GlyphMode::HORIZONTAL;
            g.box = s.geo.vertical ? SurfaceRect{it->across - rp, along, rp, rp} : SurfaceRect{along, it->across, rp, rp};
            s.surface->draw_cell(g);
        }
    }
    q.erase(keep, q.end());
}

// The layout visitor of layout_and_draw.
struct DrawVisitor {
    Document& doc;
    Screen& s;

    void line_start(int j, std::uint32_t l, int, bool first) {
        ++s.counts.display_lines;
        s.cells.set_word(j, doc.formats.word(l));
        if (first && l < doc.lines.count()) s.marks.set(j, doc.lines.marks(l));
    }
    void note_cursor(int j, int k, std::uint32_t l, std::uint32_t c, std::uint32_t length) {
        if (s.cursor.line() != l) return;
        const std::uint32_t at = s.cursor.column();
        if (at == c) s.cursor_at = {j, k, false};
        else if (length == 2 && at == c + 1) s.cursor_at = {j, k, true};
    }
    void cell(int j, int a, int k, std::uint16_t code, const ScanItem& it, std::uint32_t l, std::uint32_t c) {
        ++s.counts.cells;
        note_cursor(j, k, l, c, it.length);
        put_cell(s, a, j, k, code);
    }
    void mark(int j, int a, int k, std::uint16_t code, std::uint32_t l, std::uint32_t c) {
        note_cursor(j, k, l, c, 1);
        put_cell(s, a, j, k, code);
    }
    void block(int j, int a, int k, const ScanItem& it, const std::uint8_t* bytes, std::uint32_t l,
               std::uint32_t c, std::uint32_t word) {
        if (s.cursor.line() == l && s.cursor.column() >= c && s.cursor.column() < c + it.length)
            s.cursor_at = {j, k, false};
        if (it.kind == ItemKind::TAG) {
            ++s.counts.tags;
            return;
        }
        ++s.counts.rubies;
        if (it.length < 3) return;
        queue_ruby(s, j, a + k, bytes + 1, it.length - 2, detail::indent_cells(word, false),
                   ruby_base(doc, a, k, bytes + 1, word, TextPos(l, c), it.length));
    }
    void text_end(int j) { clear_lines_from(s, j + 1); }
    void stopped(int j) {
        put_cell(s, 0, -1, 0, 0);
        clear_lines_from(s, j);
    }
};

// A walk over one display line that only queues its ruby (carry_in_ruby).
struct RubyVisitor {
    Document& doc;
    Screen& s;
    void line_start(int, std::uint32_t, int, bool) {}
    void cell(int, int, int, std::uint16_t, const ScanItem&, std::uint32_t, std::uint32_t) {}
    void mark(int, int, int, std::uint16_t, std::uint32_t, std::uint32_t) {}
    void block(int j, int a, int k, const ScanItem& it, const std::uint8_t* bytes, std::uint32_t l, std::uint32_t c,
               std::uint32_t word) {
        if (it.kind != ItemKind::RUBY || it.length < 3) return;
        queue_ruby(s, j, a + k, bytes + 1, it.length - 2, detail::indent_cells(word, false),
                   ruby_base(doc, a, k, bytes + 1, word, TextPos(l, c), it.length));
    }
    void text_end(int) {}
    void stopped(int) {}
};

// Before a pass that starts at screen line `line` in the middle of a logical
// line: queues the part of a ruby whose base began on the display line
// before (above the screen for line 0), as a pass over both lines would, so
// that the picture of a line never depends on where a pass began.
void carry_in_ruby(Document& doc, Screen& s, TextPos start, int line) {
    if (line < 0 || start.column() == 0 || start.line() >= doc.lines.count()) return;
    const DisplayMove back = display_lines_backward(doc, start, 1);
    if (back.moved != 1 || back.pos.line() != start.line()) return;
    RubyVisitor v{doc, s};
    const std::size_t before = s.ruby_queue.size();
    detail::walk_layout(doc, back.pos, line - 1, 0, line, v);
    // Only the pieces of `line` itself: the earlier line is not drawn.
    auto& q = s.ruby_queue;
    q.erase(std::remove_if(q.begin() + static_cast<std::ptrdiff_t>(before), q.end(),
                           [&](const RubyPiece& p) { return p.line != line; }),
            q.end());
}

// Draws cells [from, until) of a screen line from its record.
void draw_cells(Screen& s, int j, int across, int along0, int from, int until) {
    const DisplayGeometry& g = s.geo;
    const int p = g.char_pitch * 6 / 10;
    const bool upright_pairs = g.vertical && s.fmt.halfwidth_display == 1;
    const int used = std::min(s.cells.used(j), until);
    const LineStyle style = apply_line_font(s, s.cells.word(j));
    for (int i = std::max(from, 0); i < used; ++i) {
        const std::uint16_t code = s.cells.code(j, i);
        const int along = along0 + i * g.char_pitch;
        if (code == CELL_INDENT || code == 0) continue;
        if (is_mark_cell(code)) {
            const int kind = code == CELL_LINE_END ? MARK_LINE_END : MARK_TEXT_END;
            if (g.vertical) draw_text_mark(s, kind, across, along);
            else draw_text_mark(s, kind, along + font_w(s), across);
            break;
        }
        CellGlyph glyph;
        glyph.code = code;
        glyph.font = style.font;
        glyph.colour = style.colour;
        glyph.box = glyph_box(s, across, along, style.percent);
        glyph.half = !is_stored_lead(static_cast<std::uint8_t>(code >> 8));
        if (!glyph.half) {
            glyph.mode = g.vertical ? GlyphMode::VERTICAL : GlyphMode::HORIZONTAL;
        } else if (upright_pairs) {
            glyph.mode = GlyphMode::HALF_UPRIGHT;
            glyph.second_offset = font_w(s) / 2;
        } else {
            glyph.mode = g.vertical ? GlyphMode::HALF_LYING : GlyphMode::HORIZONTAL;
            glyph.second_offset = g.char_pitch - p;
        }
        s.surface->draw_cell(glyph);
    }
}

// Cells [from, until) of line j, where draw_screen_line puts them.
void draw_cells_of(Screen& s, int j, int from, int until) {
    const DisplayGeometry& g = s.geo;
    int across = line_position(g, j);
    int along0 = cell_position(g, j, 0);
    // An oversized font laid out on smaller cells is centred on them.
    if (s.fmt.font_record_px > 0 && s.fmt.font_record_px != g.font_h) {
        const int shift = (s.fmt.font_record_px - g.font_h) / 2;
        across += g.vertical ? shift : -shift;
        along0 -= shift;
    }
    draw_cells(s, j, across, along0, from, until);
}

// After line j's strip was erased: the cells of the line of its row in the
// tier before that lie in it (tier_spill_cell), drawn before j's own.
void draw_spill_into(Screen& s, int j) {
    if (!s.surface || s.fmt.print || j < s.geo.columns || j >= s.geo.screen_lines) return;
    const int spill = tier_spill_cell(s);
    const int before = j - s.geo.columns;
    if (s.cells.used(before) > spill) draw_cells_of(s, before, spill, s.cells.used(before));
}

// Lays out again, alone, the lines of the next tier that hold cells of a
// line of [first, last) that showed them before the pass (`old_used`, from
// first on) or shows them now, unless the pass drew those lines itself.
void redraw_spill_holders(Document& doc, Screen& s, int first, int last, const std::vector<int>& old_used) {
    const DisplayGeometry& g = s.geo;
    const int spill = tier_spill_cell(s);
    for (int j = first; j < last && j + g.columns < g.screen_lines; ++j) {
        const int p = j + g.columns;
        if (p < last || (old_used[static_cast<std::size_t>(j - first)] <= spill && s.cells.used(j) <= spill)) continue;
        const DisplayMove at = display_lines_forward(doc, s.top, static_cast<std::uint32_t>(p));
        if (at.moved != static_cast<std::uint32_t>(p)) {
            // Past the end of the text: an empty line, but for what the line before it left there.
            s.cells.clear_line(p);
            s.marks.set(p, 0);
            erase_screen_line(s, p);
            draw_spill_into(s, p);
            continue;
        }
        const LayoutCounts counts = s.counts;
        layout_and_draw(doc, s, at.pos, p, 0, 1);
        s.counts = counts;
    }
}

}  // namespace

void prepare_screen(Screen& s) {
    const DisplayGeometry& g = s.geo;
    s.cells.resize(g.screen_lines, g.max_cells + MAX_INDENT_CELLS + 1);
    s.marks.resize(g.screen_lines);
    s.pending_line = -1;
    s.ruby_queue.clear();
    s.line_fonts = {};
    if (!s.surface) return;
    s.surface->set_font(FONT_TEXT, s.fmt.font);
    FontRequest half = s.fmt.font;
    half.pixel_height = std::max(half.pixel_height / 2, 1);
    half.pixel_width /= 2;
    s.surface->set_font(FONT_RUBY, half);
    s.surface->set_font(FONT_MARK, half);
}

TextPos layout_and_draw(Document& doc, Screen& s, TextPos start, int first_line, int start_cell, int count) {
    const int nscreen = s.geo.screen_lines;
    const bool counting = s.surface == nullptr;
    // Counting mode may run past the screen: the maps then stay as they are.
    const int last = counting ? first_line + std::max(count, 0) : std::min(first_line + std::max(count, 0), nscreen);
    s.counts = {};
    for (int j = std::max(first_line, 0); j < std::min(last, nscreen); ++j) s.marks.set(j, 0);
    if (first_line <= 0 && last >= nscreen) s.cursor_at = {};
    if (!counting && start_cell <= 0 && first_line < last) carry_in_ruby(doc, s, start, first_line);
    // Cells the next tier's lines draw: the lines' used cells before the pass.
    const bool partial = !counting && !s.full_redraw && !s.fmt.print && s.geo.tiers > 1;
    std::vector<int> old_used;
    for (int j = std::max(first_line, 0); partial && j < last; ++j) old_used.push_back(s.cells.used(j));
    DrawVisitor v{doc, s};
    const TextPos end = first_line < last ? detail::walk_layout(doc, start, first_line, start_cell, last, v) : start;
    put_cell(s, 0, -1, 0, 0);
    // Ruby carried onto the line after the pass is on the screen already.
    auto& q = s.ruby_queue;
    q.erase(std::remove_if(q.begin(), q.end(), [&](const RubyPiece& p) { return p.line >= last; }), q.end());
    replay_ruby(s, -1);
    s.full_redraw = false;
    if (partial) redraw_spill_holders(doc, s, std::max(first_line, 0), last, old_used);
    if (s.surface) s.surface->flush();
    return end;
}

TextPos relayout_screen(Document& doc, Screen& s, bool full) {
    s.shown_mark.on = false;
    s.full_redraw = full;
    s.pending_line = -1;
    s.ruby_queue.clear();
    return layout_and_draw(doc, s, s.top, 0, 0, s.geo.screen_lines);
}

void put_cell(Screen& s, int indent, int line, int cell, std::uint16_t code) {
    if (s.pending_line >= 0 && s.pending_line != line) {
        const int pending = s.pending_line;
        s.pending_line = -1;
        draw_screen_line(s, pending);
    }
    if (line < 0 || line >= s.cells.lines()) return;
    if (cell == 0 && s.pending_line != line) {
        s.cells.clear_line(line);
        for (int i = 0; i < indent; ++i) s.cells.put(line, i, CELL_INDENT);
        s.cells.set_indent(line, indent);
    }
    s.cells.put(line, std::max(indent, 0) + cell, code);
    if (is_mark_cell(code)) {
        s.pending_line = -1;
        draw_screen_line(s, line);
    } else {
        s.pending_line = line;
    }
}

void draw_screen_line(Screen& s, int j) {
    const DisplayGeometry& g = s.geo;
    if (!s.surface || j < 0 || j >= g.screen_lines) return;
    if (!s.full_redraw && !s.fmt.print) erase_screen_line(s, j);
    draw_spill_into(s, j);
    if (page_marks_on(s) && g.page_cols > 0) {
        const std::uint64_t a = s.top_display_line.after(static_cast<std::uint64_t>(j)).value;
        if (a > 0 && a % static_cast<std::uint64_t>(g.page_cols) == 0)
            draw_text_mark(s, MARK_PAGE_BREAK, line_position(g, j), cell_position(g, j, 0));
    }
    const bool next_tier = !s.fmt.print && j + g.columns < g.screen_lines;
    draw_cells_of(s, j, 0, next_tier ? tier_spill_cell(s) : s.cells.used(j));
    if (s.marks.get(j)) draw_line_marks(s, j, 1);
    replay_ruby(s, j);
}

RubyBase ruby_base(Document& doc, int indent, int k, const std::uint8_t* block, std::uint32_t word, TextPos at,
                   std::uint32_t length) {
    const int asked = (block[0] & 0x0F) ? (block[0] & 0x0F) : 1;
    const std::uint8_t* line = doc.line_pointer(at.line());
    const std::uint32_t after = at.column() + length;
    // The display line's capacity (its indentation is `indent` cells).
    const std::int64_t room = static_cast<std::int64_t>(doc.rules.chars_per_column) - indent - end_indent(word);
    const std::uint32_t cap = room < 1 ? 1u : static_cast<std::uint32_t>(room);
    LineScanner scanner(line + after, MAX_LINE_SCAN - after);
    int present = 0, here = 0;
    bool broke = false;
    std::uint32_t j = static_cast<std::uint32_t>(std::max(k, 0));
    while (present < asked) {
        const ScanItem it = scanner.next();
        if (it.kind == ItemKind::DOUBLE || it.kind == ItemKind::SINGLE || it.kind == ItemKind::PAIR) {
            ++present;
            if (!broke) {
                ++here;
                ++j;
                // The wrap's own rule: hanging cells stay on this line.
                broke = j >= cap && may_break_in_line(doc.rules, j, it.code, line, after + it.column + it.length);
            }
        } else if (it.kind == ItemKind::LINE_END || it.kind == ItemKind::TEXT_END || it.kind == ItemKind::CUT) {
            break;
        }
    }
    RubyBase base{std::max(present, 1), false, std::max(here, 1)};
    base.runs_on = broke && here < present;
    return base;
}

std::vector<RubyPiece> place_ruby(const DisplayGeometry& g, int d, int cell, const std::uint8_t* block, std::size_t size,
                                  int next_indent, RubyBase spread) {
    std::vector<RubyPiece> pieces;
    const int fw = std::max(g.font_w, 1), fh = std::max(g.font_h, 1);
    // Line -1 (the display line above the screen) queues only what runs onto line 0.
    if (size < 3 || d < -1 || d >= g.screen_lines) return pieces;
    const int type = block[0] >> 4;
    const int base = std::max(spread.cells, 1);
    const int r = std::min(static_cast<int>((size - 1) / 2), MAX_RUBY_CODES);
    if (r <= 0 || type > 2) return pieces;
    const int size_px = g.vertical ? fh : fw;
    const int q = size_px * 10 / 13;
    const int cp = g.char_pitch;
    // Where `count` ruby characters over `cells` base cells start (from the
    // first base cell) and how far apart they stand.
    auto spread_over = [&](int cells, int count, int* start, int* spacing) {
        cells = std::max(cells, 1);
        *start = 0;
        *spacing = q + 1;
        if (type == 0) {
            const int span = (cells - 1) * cp + q;
            *spacing = count > 1 ? span / (count - 1) : q;
            *start -= q / 8;
            if (count <= cells) {
                *spacing -= count > 1 ? q / (count - 1) : q;
                *start += q / 2;
            }
        } else if (type == 2) {
            const int span = (cells - 1) * cp + size_px;
            *start += (span - *spacing * count) / 2;
        }
    };
    // A base the wrap breaks: the ruby is split in proportion to the base
    // cells on each line, the first part rounded up to whole characters.
    int here = r;
    int cells_here = base;
    if (spread.runs_on && spread.cells_here < base) {
        cells_here = std::max(spread.cells_here, 0);
        here = std::clamp((cells_here * r + base - 1) / base, 0, r);
    }
    const int across = g.vertical ? static_cast<int>(line_position(g, d) + fw * 0.625)
                                  : static_cast<int>(line_position(g, d) - fh * 2.0 / 3.0);
    int start = 0, spacing = 0;
    spread_over(cells_here, here, &start, &spacing);
    start += cell_position(g, d, cell);
    auto code_at = [block](int i) { return static_cast<std::uint16_t>(block[1 + 2 * i] << 8 | block[2 + 2 * i]); };
    RubyPiece piece{d, across, {}};
    for (int i = 0; i < here; ++i) piece.glyphs.push_back({code_at(i), start + i * spacing});
    if (d >= 0 && !piece.glyphs.empty()) pieces.push_back(std::move(piece));
    if (here >= r || d + 1 >= g.screen_lines) return pieces;
    RubyPiece rest{d + 1,
                   g.vertical ? line_position(g, d + 1) + fw / 2 : line_position(g, d + 1) - fh / 2,
                   {}};
    spread_over(base - cells_here, r - here, &start, &spacing);
    start += cell_position(g, d + 1, next_indent);
    for (int i = here; i < r; ++i) rest.glyphs.push_back({code_at(i), start + (i - here) * spacing});
    pieces.push_back(std::move(rest));
    return pieces;
}

void queue_ruby(Screen& s, int d, int cell, const std::uint8_t* block, std::size_t size, int next_indent,
                RubyBase spread) {
    for (RubyPiece& piece : place_ruby(s.geo, d, cell, block, size, next_indent, spread))
        s.ruby_queue.push_back(std::move(piece));
}

void draw_text_mark(Screen& s, int kind, int x, int y) {
    if (!s.surface) return;
    if (kind == MARK_PAGE_BREAK ? !page_marks_on(s) : !line_end_marks_on(s)) return;
    Surface& out = *s.surface;
    const std::uint32_t c = s.fmt.mark_colour;
    const int b = font_w(s);
    if (kind == MARK_LINE_END) {
        const int x0 = x - b / 3, y0 = y + b / 4;
        const int yb = y0 + b / 3, xl = x0 - b / 2;
        out.draw_line(x0, y0, x0, yb, c);
        out.draw_line(x0, yb, xl, yb, c);
        out.draw_line(xl, yb, xl + b / 4, yb - b / 8, c);
        out.draw_line(xl, yb, xl + b / 4, yb + b / 8, c);
    } else if (kind == MARK_TEXT_END) {
        const int a = x - b, e = b / 2, t = b / 3;
        out.draw_line(a, y, a, y + e, c);
        for (int yy : {y, y + e / 2, y + e}) out.draw_line(a, yy, a + t, yy, c);
        out.draw_ellipse({a + t, y + e / 2 - 1, t + 1, e + 2}, c);
        out.draw_line(a + 2 * t, y + e, a + 2 * t, y + 2 * e, c);
        out.draw_line(a + 2 * t, y + e, a + 3 * t, y + e, c);
        out.draw_line(a + 2 * t, y + e + e / 2, a + 3 * t, y + e + e / 2, c);
    } else {
        const DisplayGeometry& g = s.geo;
        int x0, y0;
        if (g.vertical) {
            x0 = x + g.line_pitch / 2 - b * 8 / 9 - 30 / b;
            y0 = std::max(y - g.char_pitch, 3);
        } else {
            x0 = y - g.char_pitch;
            y0 = x - g.line_pitch / 2 + 4;
        }
        const int d = 2 * b / 3, e = b / 2, k = b / 5;
        const int stem = x0 + d / 2 - k;
        out.draw_arc({x0, y0, d, e}, stem, y0 + e, stem, y0, c);
        out.draw_line(stem, y0, stem, y0 + 3 * e / 2, c);
        if (g.vertical) out.draw_line(x0 + d / 2, y0 + 5 * e / 3, x0 + d / 2, y0 + 3 * e, c);
        else out.draw_line(x0 + 6 * d / 5, y0 + 4 * e / 5, x0 + 5 * d / 2, y0 + 4 * e / 5, c);
    }
}

void draw_line_marks(Screen& s, int first_line, int count) {
    if (!s.surface) return;
    const DisplayGeometry& g = s.geo;
    for (int j = std::max(first_line, 0); j < std::min(first_line + count, g.screen_lines); ++j) {
        const std::uint8_t bits = s.marks.get(j);
        const int across = line_position(g, j);
        const int along = cell_position(g, j, 0);
        int i = 0;
        for (int m = 1; m <= 4; ++m) {
            if (!(bits & (1 << (m - 1)))) continue;
            SurfaceRect box;
            if (g.vertical) box = {across, along + font_h(s) / 2 * i, font_w(s) / 2, font_h(s) / 2};
            else box = {along + font_w(s) / 2 * i, across - font_h(s) / 2, font_w(s) / 2, font_h(s) / 2};
            CellGlyph glyph;
            glyph.font = FONT_MARK;
            glyph.code = static_cast<std::uint16_t>(0x8250 + m - 1);
            glyph.mode = g.vertical ? GlyphMode::VERTICAL : GlyphMode::HORIZONTAL;
            glyph.box = box;
            glyph.colour = s.fmt.text_colour;
            glyph.clip = true;
            s.surface->draw_cell(glyph);
            // Paper cannot be inverted: a printed sheet, and its preview,
            // show the digit plainly.
            if (!s.fmt.print) s.surface->invert_rect(box);
            ++i;
        }
    }
}

namespace {

struct TagVisitor {
    const Screen& s;
    std::vector<TagOnScreen>& out;
    void line_start(int, std::uint32_t, int, bool) {}
    void cell(int, int, int, std::uint16_t, const ScanItem&, std::uint32_t, std::uint32_t) {}
    void mark(int, int, int, std::uint16_t, std::uint32_t, std::uint32_t) {}
    void block(int j, int a, int k, const ScanItem& it, const std::uint8_t*, std::uint32_t l, std::uint32_t c,
               std::uint32_t) {
        if (it.kind != ItemKind::TAG) return;
        TagOnScreen t;
        t.at = TextPos(l, c);
        t.line = j;
        t.cell = glyph_box(s, line_position(s.geo, j), cell_position(s.geo, j, a + k));
        out.push_back(t);
    }
    void text_end(int) {}
    void stopped(int) {}
};

}  // namespace

std::vector<TagOnScreen> tags_on_screen(Document& doc, const Screen& s) {
    std::vector<TagOnScreen> out;
    if (!s.geo.computed() || s.geo.screen_lines <= 0) return out;
    TagVisitor v{s, out};
    detail::walk_layout(doc, s.top, 0, 0, s.geo.screen_lines, v);
    return out;
}

}  // namespace rix

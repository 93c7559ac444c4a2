// The composition overlay: its flow, its cells, its drawing and what it covered.
#include "display/composition.h"

#include <algorithm>

#include "platform/codec.h"

namespace rix {

namespace {

// Bytes of one UTF-8 character from its lead byte (a stray byte alone).
std::size_t utf8_length(std::string_view s, std::size_t at) {
    const auto b = static_cast<std::uint8_t>(s[at]);
    std::size_t n = b < 0x80 ? 1 : b >= 0xF0 ? 4 : b >= 0xE0 ? 3 : b >= 0xC0 ? 2 : 1;
    return std::min(n, s.size() - at);
}

// A half-width character of the composition: one byte, half a cell.
bool half_width_byte(std::uint8_t b) { return !is_stored_lead(b); }

int font_w(const DisplayGeometry& g) { return std::max(g.font_w, 1); }
int font_h(const DisplayGeometry& g) { return std::max(g.font_h, 1); }

// The glyph box of cell k of line j, widened by two pixels on the start side
// across the line (left).
SurfaceRect composition_box(const DisplayGeometry& g, int j, int k) {
    const int across = line_position(g, j), along = cell_position(g, j, k);
    if (g.vertical) return {across - font_w(g) - 2, along, font_w(g) + 2, font_h(g)};
    return {along - 2, across, font_w(g) + 2, font_h(g)};
}

// The part of a cell's box a half-width character takes (the first or second
// half along the line).
SurfaceRect half_of(const DisplayGeometry& g, SurfaceRect box, bool second) {
    if (g.vertical) {
        const int h = box.h / 2;
        return {box.x, box.y + (second ? h : 0), box.w, second ? box.h - h : h};
    }
    const int w = (box.w - 2) / 2;
    return second ? SurfaceRect{box.x + 2 + w, box.y, box.w - 2 - w, box.h} : SurfaceRect{box.x, box.y, 2 + w, box.h};
}

SurfaceRect char_box(const DisplayGeometry& g, const CompositionCell& c) {
    const SurfaceRect box = composition_box(g, c.line, c.cell);
    return c.half ? half_of(g, box, c.second) : box;
}

// The two-pixel bar across the line at the start edge (`end` false) or the
// end edge of a character's box.
SurfaceRect cursor_bar(const DisplayGeometry& g, const SurfaceRect& box, bool end) {
    if (g.vertical) return {box.x, (end ? box.y + box.h : box.y) - 1, box.w, 2};
    const int x = end ? box.x + box.w : box.x + 2;   // the widening is not the character's
    return {x - 1, box.y, 2, box.h};
}

// The band of an unconverted target: two pixels along the bottom in
// horizontal writing, along the right edge in vertical writing.
SurfaceRect band_of(const DisplayGeometry& g, const SurfaceRect& box) {
    if (g.vertical) return {box.x + box.w - 2, box.y, 2, box.h};
    return {box.x, box.y + box.h - 2, box.w, 2};
}

}  // namespace

CompositionText composition_text(const InputMethodEvent& e) {
    CompositionText t;
    t.cursor = e.cursor < 0 ? -1 : 0;
    int index = 0;
    for (std::size_t at = 0; at < e.preedit.size(); ++index) {
        const std::size_t n = utf8_length(e.preedit, at);
        const std::string_view ch(e.preedit.data() + at, n);
        at += n;
        std::string sjis = utf8_to_sjis(ch);
        if (sjis.empty() || sjis[0] == '\0' || static_cast<std::uint8_t>(sjis[0]) == 0x1A || static_cast<std::uint8_t>(sjis[0]) < 0x20)
            sjis = GETA_MARK;   // control characters have no cell
        if (index < e.cursor) t.cursor += static_cast<int>(sjis.size());
        const std::uint8_t attr =
            static_cast<std::size_t>(index) < e.attributes.size() ? e.attributes[static_cast<std::size_t>(index)] : 0;
        t.bytes += sjis;
        t.attributes.insert(t.attributes.end(), sjis.size(), attr);
    }
    return t;
}

CompositionStep composition_event(Composition& c, const InputMethodEvent& e) {
    CompositionStep step;
    const bool was_composing = c.composing;
    if (!e.preedit.empty()) c.composing = true;
    // Every change takes the old drawing away first: the commit goes into
    // the text under it, and a shorter composition would leave its tail.
    step.restore = !c.covered.empty() || !c.text.bytes.empty();
    c.text = CompositionText{};
    step.commit = e.commit;
    step.replace_from = e.replace_from;
    step.replace_length = std::max(e.replace_length, 0);
    if (!e.preedit.empty()) {
        c.text = composition_text(e);
        c.longest = std::max(c.longest, c.text.bytes.size());
        step.draw = true;
    } else if (was_composing || !step.commit.empty()) {
        c.composing = false;
        c.longest = 0;
        step.ended = true;
    }
    return step;
}

CompositionLayout layout_composition(const DisplayGeometry& g, int line, int cell, const CompositionText& text) {
    CompositionLayout out;
    const int nch = std::max(g.chars, 1);
    const int screen_lines = std::max(g.screen_lines, 1);
    int j = line, k = std::max(cell, 0);
    if (k >= nch) {
        ++j;
        k = 0;
    }
    bool half_open = false;   // the first half of cell k holds a half-width character
    const std::string& b = text.bytes;
    for (std::size_t at = 0; at < b.size();) {
        const auto lead = static_cast<std::uint8_t>(b[at]);
        const bool half = half_width_byte(lead) || at + 1 >= b.size();
        CompositionCell c;
        c.half = half;
        c.attributes = text.attributes.size() > at ? text.attributes[at] : 0;
        if (half && half_open) {
            c.second = true;
            half_open = false;
        } else {
            if (half_open) {   // a full-width character after one half: the next cell
                half_open = false;
                ++k;
            }
            if (k >= nch) {
                ++j;
                k = 0;
            }
            half_open = half;
        }
        c.line = j;
        c.cell = k;
        c.code = half ? lead : static_cast<std::uint16_t>(lead << 8 | static_cast<std::uint8_t>(b[at + 1]));
        out.cells.push_back(c);
        at += half ? 1 : 2;
        if (!half_open) ++k;
    }
    if (!out.cells.empty()) out.lines_past_end = std::max(out.cells.back().line - (screen_lines - 1), 0);
    return out;
}

bool composition_origin(const Screen& s, int* line, int* cell) {
    const int j = s.cursor_at.line;
    if (!s.geo.computed() || j < 0 || j >= s.geo.screen_lines) return false;
    *line = j;
    *cell = s.cells.indent(j) + s.cursor_at.cell + (s.cursor_at.second_half ? 1 : 0);
    return true;
}

void draw_composition(Screen& s, Composition& c, const CompositionColours& colours) {
    int line = 0, cell = 0;
    if (!s.surface || c.text.bytes.empty() || !composition_origin(s, &line, &cell)) return;
    const DisplayGeometry& g = s.geo;
    const CompositionLayout layout = layout_composition(g, line, cell, c.text);
    Surface& out = *s.surface;
    const bool upright_pairs = g.vertical && s.fmt.halfwidth_display == 1;
    const std::vector<CompositionCell>& cells = layout.cells;
    // Backgrounds and glyphs first, one call a cell: two half-width
    // characters of one cell are drawn as the text draws such a pair.
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const CompositionCell& cc = cells[i];
        if (cc.second || cc.line < 0 || cc.line >= g.screen_lines) continue;
        const SurfaceRect box = composition_box(g, cc.line, cc.cell);
        out.fill_rect(box, colours.back);
        c.covered.push_back(box);
        CellGlyph glyph;
        glyph.colour = colours.text;
        glyph.box = {box.x + 2, box.y, font_w(g), font_h(g)};
        glyph.code = cc.code;
        if (!cc.half) {
            glyph.mode = g.vertical ? GlyphMode::VERTICAL : GlyphMode::HORIZONTAL;
        } else {
            const bool pair = i + 1 < cells.size() && cells[i + 1].second;
            glyph.code = static_cast<std::uint16_t>(cc.code << 8 | (pair ? cells[i + 1].code : 0x20));
            glyph.half = true;
            if (upright_pairs) {
                glyph.mode = GlyphMode::HALF_UPRIGHT;
                glyph.second_offset = font_w(g) / 2;
            } else {
                glyph.mode = g.vertical ? GlyphMode::HALF_LYING : GlyphMode::HORIZONTAL;
                glyph.second_offset = g.char_pitch - g.char_pitch * 6 / 10;
            }
        }
        out.draw_cell(glyph);
    }
    // Then the clause marks and the cursor, inverting what is drawn.
    SurfaceRect bar;
    std::size_t byte = 0;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        const CompositionCell& cc = cells[i];
        byte += cc.half ? 1 : 2;
        if (cc.line < 0 || cc.line >= g.screen_lines) continue;
        const SurfaceRect mine = char_box(g, cc);
        if (cc.attributes & IME_ATTR_TARGET)
            out.invert_rect((cc.attributes & IME_ATTR_UNCONVERTED) ? band_of(g, mine) : mine);
        if (c.text.cursor == 0 && i == 0) bar = cursor_bar(g, mine, false);
        else if (c.text.cursor > 0 && byte == static_cast<std::size_t>(c.text.cursor)) bar = cursor_bar(g, mine, true);
    }
    if (!bar.empty()) {
        out.invert_rect(bar);
        c.covered.push_back(bar);
    }
    c.first_line = line;
    c.last_line = cells.empty() ? line : std::min(cells.back().line, g.screen_lines - 1);
}

void restore_under_composition(Screen& s, Composition& c) {
    if (s.surface && !c.covered.empty()) {
        if (s.snapshot && s.snapshot_valid) {
            // The pixels as they were before the composition: marking and all.
            for (const SurfaceRect& r : c.covered) s.surface->copy_from(*s.snapshot, r, r.x, r.y);
        } else {
            for (int j = std::max(c.first_line, 0); j <= c.last_line && j < s.geo.screen_lines; ++j)
                draw_screen_line(s, j);
        }
    }
    c.covered.clear();
    c.first_line = c.last_line = -1;
}

SurfaceRect candidate_rect(const DisplayGeometry& g, int line) {
    if (!g.computed() || line < 0 || line >= g.screen_lines) return {};
    const int c = std::max(g.char_pitch, 1);
    const int along = cell_position(g, line, std::max(g.chars, 1) / 4);
    const int across = line_position(g, line);
    if (!g.vertical) {
        if (across < g.client_h / 2) {
            const int y = across + 2 * c;
            return {along, across, c, std::max(y - across, 1)};   // the list goes below it
        }
        // From two cells above the line to its foot: below it, or above when
        // the screen has no room left below.
        return {along, across - 2 * c, c, font_h(g) + 2 * c};
    }
    if (across < g.client_w / 2) return {across + 2 * c, along, 1, c};   // right of the column
    return {across - 2 * c - font_w(g), along, 1, c};                     // left of the column
}

}  // namespace rix

// Drawing of the shared text box (see text_box_draw.h).
#include "platform/text_box_draw.h"

#include <algorithm>

#include "platform/codec.h"

namespace rix {

namespace {

constexpr int CARET_THICKNESS = 2;   // pixels

bool visible(const TextBoxGeometry& geo, TextBoxCell c, int first) {
    return c.column >= first && c.column < first + geo.visible_columns();
}

// The glyph of the character at text[at] (1 or 2 bytes) in `box`.
CellGlyph glyph_of(std::string_view text, std::size_t at, std::size_t length, SurfaceRect box, const TextBoxGeometry& geo,
                   const TextBoxStyle& style) {
    CellGlyph g;
    g.font = FONT_TEXT;
    g.colour = style.text_colour;
    g.box = box;
    if (geo.vertical) g.box.x += style.raise;
    else g.box.y -= style.raise;
    const auto first = static_cast<std::uint8_t>(text[at]);
    if (length == 2) {
        g.code = static_cast<std::uint16_t>(first << 8 | static_cast<std::uint8_t>(text[at + 1]));
        g.mode = geo.vertical ? GlyphMode::VERTICAL : GlyphMode::HORIZONTAL;
    } else {
        // One half-width character alone in its cell: a pair whose second is a blank.
        g.code = static_cast<std::uint16_t>(first << 8 | 0x20);
        g.half = true;
        g.mode = geo.vertical ? GlyphMode::HALF_LYING : GlyphMode::HORIZONTAL;
        g.second_offset = geo.cell / 2;
    }
    return g;
}

bool drawable(std::string_view text, const TextBoxSlot& s) {
    return s.length > 0 && !s.line_break && static_cast<std::uint8_t>(text[s.offset]) >= 0x20;
}

void draw_preedit(Surface& surface, const TextBoxModel& model, const TextBoxGeometry& geo, const TextBoxStyle& style,
                  const std::string& preedit) {
    TextBoxCell c = model.caret_cell();
    const int first = model.first_column();
    if (!visible(geo, c, first)) return;
    const int rows = geo.cells_per_line();
    for (std::size_t i = 0; i < preedit.size() && c.row < rows;) {
        const std::size_t length = char_length_at(preedit, i);
        const SurfaceRect box = geo.cell_rect(c, first);
        surface.fill_rect(box, style.background);
        if (static_cast<std::uint8_t>(preedit[i]) >= 0x20)
            surface.draw_cell(glyph_of(preedit, i, length, box, geo, style));
        if (geo.vertical) surface.draw_line(box.x - 2, box.y, box.x - 2, box.y + box.h - 1, style.text_colour);
        else surface.draw_line(box.x, box.y + box.h + 1, box.x + box.w - 1, box.y + box.h + 1, style.text_colour);
        i += length;
        ++c.row;
    }
}

}  // namespace

SurfaceRect caret_bar(const TextBoxGeometry& geo, TextBoxCell cell, int first) {
    const int rows = geo.cells_per_line();
    const bool hanging = cell.row >= rows;
    SurfaceRect box = geo.cell_rect(cell, first);
    if (geo.vertical) {
        int y = box.y;
        // After a full column the caret sits below the last cell, inside the area.
        if (hanging) y = std::min(y, geo.area.y + geo.area.h - CARET_THICKNESS);
        return {box.x - 1, y, box.w + 2, CARET_THICKNESS};
    }
    int x = box.x;
    if (hanging) x = std::min(x, geo.area.x + geo.area.w - CARET_THICKNESS);
    return {x, box.y - 1, CARET_THICKNESS, box.h + 2};
}

void draw_text_box(Surface& surface, const TextBoxModel& model, const TextBoxGeometry& geo, const TextBoxStyle& style,
                   const TextBoxPaint& paint) {
    surface.fill_rect(paint.fill.empty() ? geo.area : paint.fill, style.background);
    if (paint.set_font) surface.set_font(FONT_TEXT, style.font);
    const std::string& text = model.text();
    const int first = model.first_column();
    const std::size_t sel_from = paint.selection ? model.selection_start() : 0;
    const std::size_t sel_to = paint.selection ? model.selection_end() : 0;
    // From the first visible column on: a view far into a long text costs
    // what it shows, not the text before it.
    const std::vector<TextBoxSlot>& entries = model.entries();
    const int end_column = first + geo.visible_columns();
    for (std::size_t i = model.first_entry_of(first); i < entries.size(); ++i) {
        const TextBoxSlot& s = entries[i];
        if (s.cell.column < first) continue;
        if (s.cell.column >= end_column) break;
        if (s.length == 0 || s.line_break) continue;
        const SurfaceRect box = geo.cell_rect(s.cell, first);
        if (s.offset >= sel_from && s.offset < sel_to) surface.fill_rect(box, style.highlight);
        if (drawable(text, s)) surface.draw_cell(glyph_of(text, s.offset, s.length, box, geo, style));
    }
    if (!paint.preedit.empty()) draw_preedit(surface, model, geo, style, paint.preedit);
    const TextBoxCell caret = model.caret_cell();
    if (paint.caret && visible(geo, caret, first)) {
        TextBoxCell shown = caret;
        if (!paint.preedit.empty()) shown.row += static_cast<int>(sjis_to_utf32(paint.preedit).size());
        surface.fill_rect(caret_bar(geo, shown, first), style.text_colour);
    }
}

}  // namespace rix

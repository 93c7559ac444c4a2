// Drawing of the shared text box on any Surface: the screen's image, the
// recording surface of the tests, a printer. One cell at a time through
// draw_cell, with the vertical font (a FontRequest marked vertical, the "@"
// face) in vertical writing, so the glyph rules are those of the edit
// window: vertical forms upright, brackets and ー turned, half-width
// characters lying turned.
//
// Order of drawing: background, selection fill, characters, the
// input-method text being composed (underlined), the caret. Nothing is
// inverted, so a printer draws the same picture as the screen.
#pragma once

#include <cstdint>
#include <string>

#include "platform/fonts.h"
#include "platform/surface.h"
#include "platform/text_box_model.h"

namespace rix {

struct TextBoxStyle {
    FontRequest font;                   // `vertical` set for a vertical box
    std::uint32_t text_colour = 0x000000;
    std::uint32_t background = 0xFFFFFF;
    std::uint32_t highlight = 0xF0D8A8;   // selection fill (COLORREF: a light blue)
    int raise = 0;                      // pixels the glyphs stand above their cell's baseline
                                        // (to the right in vertical writing)
};

struct TextBoxPaint {
    bool caret = false;                 // draw the caret bar
    bool selection = true;              // fill the selected cells
    std::string preedit;                // code page 932: composition shown at the caret
    SurfaceRect fill;                   // the background to fill; empty = the geometry's area
    bool set_font = true;               // false: the surface already holds style.font in FONT_TEXT
};

// Draws the visible columns of `model` laid out on `geo` (the model's cells
// per line must be geo.cells_per_line()).
void draw_text_box(Surface& surface, const TextBoxModel& model, const TextBoxGeometry& geo, const TextBoxStyle& style,
                   const TextBoxPaint& paint);

// The caret's bar: across the column at the top of the caret's cell in
// vertical writing, down the left edge of the cell in horizontal writing.
SurfaceRect caret_bar(const TextBoxGeometry& geo, TextBoxCell cell, int first);

}  // namespace rix

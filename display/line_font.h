// The colour and font of a logical line's text, from its line-format word:
// apply_line_font picks them for drawing, line_font_request describes the
// font a word asks for.
//
// The sixteen fonts a word can ask for besides the format font (eight size
// steps, bold toggled or not) live in the surface's line-font slots
// FONT_LINE_FIRST + 2 s + bold. A slot is made the first time a line needs it
// after prepare_screen and then reused: a screen of headings does not make a
// font per line. prepare_screen forgets them (the format font may have changed).
#pragma once

#include <cstdint>

#include "platform/fonts.h"

namespace rix {

struct Screen;

// Which line-font slots of the surface were asked for their font and which
// hold it (bit i: slot FONT_LINE_FIRST + i). Cleared by prepare_screen.
struct LineFontCache {
    std::uint32_t tried = 0;
    std::uint32_t made = 0;
};

// How the cells of a line are drawn.
struct LineStyle {
    int font = 0;                 // surface font slot (FONT_TEXT or a line-font slot)
    std::uint32_t colour = 0;     // COLORREF of the text
    int percent = 100;            // size of the glyph box against the format font
};

// The font of a line with `word` made from the format font `base`: height
// and width times (140 - 10 s) %; a format font heavier than 499 becomes 700
// (400 with the bold toggle), a lighter one keeps its weight (700 with the
// toggle). Face, direction and italic stay.
FontRequest line_font_request(const FontRequest& base, std::uint32_t word);

// Selects colour and font for the cells of a line with `word`: the palette
// colour when the word's colour is on (on paper only when printing uses line
// colours), else the format's text colour; the format font for a word
// without size step and bold toggle, else the line font, made once.
LineStyle apply_line_font(Screen& s, std::uint32_t word);

}  // namespace rix

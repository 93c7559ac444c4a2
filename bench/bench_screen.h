// What the drawing benches share: the vertical 20×40 screen format they lay
// out, and its font (IPAex明朝 18 px) with the metrics the layout uses.
#pragma once

#include <cstdio>

#include "display/geometry.h"
#include "platform/codec.h"
#include "platform/qt/qt_fonts.h"

namespace rix {

inline ScreenFormat bench_screen_format() {
    ScreenFormat format;
    format.vertical = true;
    format.columns_per_page = 20;
    format.chars_per_column = 40;
    format.cell_width_percent = 20;
    format.margin_start_permille = 30;
    format.margin_top_permille = 30;
    format.margin_end_permille = 30;
    format.margin_bottom_permille = 30;
    format.font_height = -18;
    return format;
}

// False (with a line on standard error) when the font is not installed.
inline bool bench_font(const char* bench, QtFonts& fonts, FontRequest* font, FontMetrics* metrics) {
    font->face = utf8_to_sjis("IPAex明朝");
    font->vertical = true;
    font->pixel_height = 18;
    *metrics = fonts.metrics(*font);
    if (!metrics->valid) {
        std::fprintf(stderr, "%s: IPAex明朝 is not installed\n", bench);
        return false;
    }
    format_font_size(-18, 0, true, &metrics->cell_w, &metrics->cell_h);
    return true;
}

}  // namespace rix

// Line colours and fonts for drawing (see line_font.h).
#include "display/line_font.h"

#include <algorithm>

#include "display/render.h"
#include "display/screen_format.h"
#include "document/line_format.h"

namespace rix {

namespace {

constexpr int HEAVY_WEIGHT_ABOVE = 499;
constexpr int BOLD_WEIGHT = 700;
constexpr int NORMAL_WEIGHT = 400;

}  // namespace

FontRequest line_font_request(const FontRequest& base, std::uint32_t word) {
    FontRequest r = base;
    const int percent = size_percent(line_size_index(word));
    const bool toggle = line_bold_toggle(word);
    r.pixel_height = std::max(base.pixel_height * percent / 100, 1);
    r.pixel_width = base.pixel_width * percent / 100;
    if (base.weight > HEAVY_WEIGHT_ABOVE) r.weight = toggle ? NORMAL_WEIGHT : BOLD_WEIGHT;
    else if (toggle) r.weight = BOLD_WEIGHT;
    return r;
}

LineStyle apply_line_font(Screen& s, std::uint32_t word) {
    LineStyle st;
    const bool colour = line_colour_on(word) && (!s.fmt.print || s.fmt.print_line_colours);
    st.colour = colour ? BASIC_PALETTE[line_colour(word)] : s.fmt.text_colour;
    st.font = FONT_TEXT;
    const int size = line_size_index(word);
    const bool toggle = line_bold_toggle(word);
    if (size == LINE_SIZE_PLAIN && !toggle) return st;
    st.percent = size_percent(size);
    const int index = size * 2 + (toggle ? 1 : 0);
    const int slot = FONT_LINE_FIRST + index;
    if (!(s.line_fonts.tried >> index & 1u) && s.surface) {
        s.line_fonts.tried |= 1u << index;
        if (s.surface->set_font(slot, line_font_request(s.fmt.font, word))) s.line_fonts.made |= 1u << index;
    }
    // A font that could not be made: the format font draws the line at its own size.
    if (s.line_fonts.made >> index & 1u) st.font = slot;
    else st.percent = 100;
    return st;
}

}  // namespace rix

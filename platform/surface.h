// Surface: the immediate-mode drawing interface the display engine draws
// on, one character cell at a time, as on a window device context.
//
// Implementations: the QImage backing store the edit view copies to the
// screen (platform/qt/image_surface.h) and a recorder for tests
// (platform/recording_surface.h).
// Drawing reports no errors: a surface that cannot do something (a printer
// asked to invert or copy pixels) does nothing.
//
// Coordinates are pixels of the surface, x to the right, y downwards.
// Colours are COLORREF values 0x00BBGGRR. Text is code page 932: a cell holds
// one double-byte code or two single bytes (first << 8 | second).
//
// Vertical writing: a font whose request is `vertical` (face began with "@")
// draws a full-width character upright in its vertical form; the
// implementation decides how (font feature, presentation form, rotation).
#pragma once

#include <cstdint>

#include "platform/fonts.h"

namespace rix {

struct SurfaceRect {
    int x = 0, y = 0, w = 0, h = 0;
    bool empty() const { return w <= 0 || h <= 0; }
};

// How the glyphs of one cell stand.
enum class GlyphMode : std::uint8_t {
    HORIZONTAL,     // upright, horizontal writing (one full-width or two half-width characters)
    VERTICAL,       // a full-width character in vertical writing: its vertical form, upright
    HALF_LYING,     // two half-width characters turned 90° clockwise, running down the column (横転)
    HALF_UPRIGHT,   // two half-width characters upright side by side (組文字)
};

// Font slots a surface holds at once.
enum : int {
    FONT_TEXT = 0,   // the format font
    FONT_RUBY = 1,   // half height, for ruby
    FONT_MARK = 2,   // half height, for line-mark digits
    FONT_GUIDE = 3,  // the guide boxes at the left of the edit window
    FONT_LINE_FIRST = 4,   // the sixteen fonts of line formats (display/line_font.h)
    FONT_SLOTS = FONT_LINE_FIRST + 16,
};

struct CellGlyph {
    int font = FONT_TEXT;
    std::uint16_t code = 0;        // double-byte code, or two single bytes (first << 8 | second)
    bool half = false;             // true: `code` is a half-width pair
    GlyphMode mode = GlyphMode::HORIZONTAL;
    SurfaceRect box;               // the glyph box: the character's em square in the cell
    int second_offset = 0;         // half-width pair: along offset of the second character
    std::uint32_t colour = 0;
    bool clip = false;             // clip the drawing to the box
};

class Surface {
public:
    virtual ~Surface() = default;
    virtual int width() const = 0;
    virtual int height() const = 0;

    // Makes `request` the font of `slot` (FONT_*). False when it cannot be
    // made; the slot then keeps its previous font.
    virtual bool set_font(int slot, const FontRequest& request) = 0;
    virtual void draw_cell(const CellGlyph& glyph) = 0;

    // One-pixel lines; both end points are drawn.
    virtual void draw_line(int x0, int y0, int x1, int y1, std::uint32_t colour) = 0;
    virtual void draw_dotted_line(int x0, int y0, int x1, int y1, std::uint32_t colour) = 0;
    // The outline of the ellipse inscribed in `box`.
    virtual void draw_ellipse(const SurfaceRect& box, std::uint32_t colour) = 0;
    // The arc of the ellipse in `box`, counter-clockwise from the radial
    // through (xs, ys) to the radial through (xe, ye).
    virtual void draw_arc(const SurfaceRect& box, int xs, int ys, int xe, int ye, std::uint32_t colour) = 0;
    virtual void fill_rect(const SurfaceRect& r, std::uint32_t colour) = 0;
    // Inverts every colour channel inside r; inverting twice restores the pixels.
    virtual void invert_rect(const SurfaceRect& r) = 0;
    // Copies the pixels of src_rect of `src` to (dst_x, dst_y) of this
    // surface. `src` may be this surface (scrolling; overlap is allowed). A
    // source of another kind is ignored. The copy is clipped to both surfaces.
    virtual void copy_from(const Surface& src, const SurfaceRect& src_rect, int dst_x, int dst_y) = 0;
    // Finishes pending drawing (before the pixels are read or shown).
    virtual void flush() {}
};

}  // namespace rix

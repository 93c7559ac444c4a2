// PixelSurface: a small software raster for the display tests, so that a
// picture built by partial drawing can be compared pixel for pixel with a
// fresh one without a window system.
//
// A glyph is a pattern of pixels derived from its code, font, mode and the
// pixel's place in the box, blended half-and-half into what is there: a
// glyph drawn twice (or over a stale one) differs from a glyph drawn once.
// Lines, fills and inversions are exact; ellipses and arcs are drawn as
// their box outline and chord, which is enough to see where they went.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "display/geometry.h"
#include "platform/surface.h"

namespace rix::test {

class PixelSurface final : public Surface {
public:
    PixelSurface(int width, int height) : w_(width), h_(height), px_(static_cast<std::size_t>(width * height), 0xFFFFFF) {}

    int width() const override { return w_; }
    int height() const override { return h_; }
    bool set_font(int slot, const FontRequest& request) override {
        if (slot < 0 || slot >= FONT_SLOTS) return false;
        font_px_[slot] = request.pixel_height;
        return true;
    }
    void draw_cell(const CellGlyph& g) override {
        const std::uint32_t seed = static_cast<std::uint32_t>(g.code) * 2654435761u ^
                                   static_cast<std::uint32_t>(g.font * 7 + static_cast<int>(g.mode) * 131 +
                                                              g.second_offset * 17 + font_px_[g.font & 3]);
        for (int y = 0; y < g.box.h; ++y)
            for (int x = 0; x < g.box.w; ++x) {
                const std::uint32_t hsh = (seed ^ static_cast<std::uint32_t>(x * 73856093 ^ y * 19349663)) * 83492791u;
                if ((hsh >> 13) % 3 != 0) continue;
                blend(g.box.x + x, g.box.y + y, g.colour);
            }
    }
    void draw_line(int x0, int y0, int x1, int y1, std::uint32_t colour) override { line(x0, y0, x1, y1, colour, 1); }
    void draw_dotted_line(int x0, int y0, int x1, int y1, std::uint32_t colour) override {
        line(x0, y0, x1, y1, colour, 2);
    }
    void draw_ellipse(const SurfaceRect& b, std::uint32_t colour) override { outline(b, colour); }
    void draw_arc(const SurfaceRect& b, int xs, int ys, int xe, int ye, std::uint32_t colour) override {
        outline(b, colour);
        line(xs, ys, xe, ye, colour, 1);
    }
    void fill_rect(const SurfaceRect& r, std::uint32_t colour) override {
        const int x0 = std::max(r.x, 0), x1 = std::min(r.x + r.w, w_);
        if (x0 >= x1) return;
        for (int y = std::max(r.y, 0); y < std::min(r.y + r.h, h_); ++y)
            std::fill(px_.begin() + y * w_ + x0, px_.begin() + y * w_ + x1, colour);
    }
    void invert_rect(const SurfaceRect& r) override {
        for (int y = r.y; y < r.y + r.h; ++y)
            for (int x = r.x; x < r.x + r.w; ++x)
                if (inside(x, y)) at(x, y) ^= 0xFFFFFF;
    }
    void copy_from(const Surface& src, const SurfaceRect& r, int dx, int dy) override {
        const auto* from = dynamic_cast<const PixelSurface*>(&src);
        if (from == nullptr) return;
        // Offsets inside r whose source and destination both lie on their surfaces.
        const int x0 = std::max({0, -r.x, -dx}), x1 = std::min({r.w, from->w_ - r.x, w_ - dx});
        const int y0 = std::max({0, -r.y, -dy}), y1 = std::min({r.h, from->h_ - r.y, h_ - dy});
        if (x0 >= x1 || y0 >= y1) return;
        // Overlap is allowed: rows go from the far end when moving towards it.
        const bool backwards = from == this && dy > r.y;
        for (int i = y0; i < y1; ++i) {
            const int y = backwards ? y1 - 1 - (i - y0) : i;
            const std::uint32_t* a = &from->px_[static_cast<std::size_t>((r.y + y) * from->w_ + r.x + x0)];
            std::uint32_t* b = &px_[static_cast<std::size_t>((dy + y) * w_ + dx + x0)];
            std::memmove(b, a, static_cast<std::size_t>(x1 - x0) * sizeof(std::uint32_t));
        }
    }

    const std::vector<std::uint32_t>& pixels() const { return px_; }
    // Pixels that differ from `other` (same size assumed).
    int differences(const PixelSurface& other) const {
        if (px_ == other.px_) return 0;
        int n = 0;
        for (std::size_t i = 0; i < px_.size() && i < other.px_.size(); ++i) n += px_[i] != other.px_[i];
        return n;
    }

private:
    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < w_ && y < h_; }
    std::uint32_t& at(int x, int y) { return px_[static_cast<std::size_t>(y * w_ + x)]; }
    void set(int x, int y, std::uint32_t c) {
        if (inside(x, y)) at(x, y) = c;
    }
    void blend(int x, int y, std::uint32_t c) {
        if (!inside(x, y)) return;
        std::uint32_t& p = at(x, y);
        p = ((p >> 1) & 0x7F7F7F) + ((c >> 1) & 0x7F7F7F);
    }
    void line(int x0, int y0, int x1, int y1, std::uint32_t c, int step) {
        const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
        const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
        int err = dx + dy, i = 0;
        for (;;) {
            if (i++ % step == 0) set(x0, y0, c);
            if (x0 == x1 && y0 == y1) return;
            const int e2 = 2 * err;
            if (e2 >= dy) err += dy, x0 += sx;
            if (e2 <= dx) err += dx, y0 += sy;
        }
    }
    void outline(const SurfaceRect& b, std::uint32_t c) {
        line(b.x, b.y, b.x + b.w, b.y, c, 1);
        line(b.x, b.y + b.h, b.x + b.w, b.y + b.h, c, 1);
        line(b.x, b.y, b.x, b.y + b.h, c, 1);
        line(b.x + b.w, b.y, b.x + b.w, b.y + b.h, c, 1);
    }

    int w_, h_;
    std::vector<std::uint32_t> px_;
    int font_px_[FONT_SLOTS] = {};
};

// The geometry of `format` laid out for the pixel surface's 16-pixel font
// on a width × height client: cell width 20 %, margins of 80 ‰ at the
// line start and 100 ‰ at the top, tiers `tier_gap` cells apart.
inline DisplayGeometry pixel_geometry(ScreenFormat format, int width, int height, int tier_gap = 1) {
    format.tier_gap = tier_gap;
    format.cell_width_percent = 20;
    format.margin_start_permille = 80;
    format.margin_top_permille = 100;
    format.font_height = -16;
    FontMetrics m;
    m.valid = true;
    m.pixel_height = 16;
    m.cell_w = m.cell_h = 16;
    m.ascent = 14;
    m.descent = 2;
    m.fullwidth_advance = 16;
    m.halfwidth_advance = 8;
    DisplayGeometry g;
    ScreenFormatChanges changes;
    EXPECT_TRUE(recompute_geometry(format, width, height, m, DisplayGeometry{}, &g, &changes));
    return g;
}

}  // namespace rix::test

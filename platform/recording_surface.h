// RecordingSurface: a Surface for tests that draws nothing and logs every
// call as one text line, so a test compares the dump of a drawing with the
// one it expects. Codes are written in hex, colours as RRGGBB.
//
// Line forms:
//   font SLOT FACE HEIGHT [v] [wWEIGHT]     set_font (face in code page 932 bytes; weight when not 400)
//   cell F CODE MODE X,Y,WxH [+OFF] [clip] #RRGGBB
//   line X0,Y0-X1,Y1 #RRGGBB    dots ...    ellipse X,Y,WxH #..    arc X,Y,WxH XS,YS-XE,YE #..
//   fill X,Y,WxH #RRGGBB        invert X,Y,WxH
//   copy NAME X,Y,WxH -> X,Y                (NAME: the source's name)
#pragma once

#include <string>
#include <vector>

#include "platform/surface.h"

namespace rix {

class RecordingSurface final : public Surface {
public:
    RecordingSurface(int width, int height, std::string name = "screen")
        : width_(width), height_(height), name_(std::move(name)) {}

    int width() const override { return width_; }
    int height() const override { return height_; }
    bool set_font(int slot, const FontRequest& request) override;
    void draw_cell(const CellGlyph& glyph) override;
    void draw_line(int x0, int y0, int x1, int y1, std::uint32_t colour) override;
    void draw_dotted_line(int x0, int y0, int x1, int y1, std::uint32_t colour) override;
    void draw_ellipse(const SurfaceRect& box, std::uint32_t colour) override;
    void draw_arc(const SurfaceRect& box, int xs, int ys, int xe, int ye, std::uint32_t colour) override;
    void fill_rect(const SurfaceRect& r, std::uint32_t colour) override;
    void invert_rect(const SurfaceRect& r) override;
    void copy_from(const Surface& src, const SurfaceRect& src_rect, int dst_x, int dst_y) override;

    const std::string& name() const { return name_; }
    // The calls so far, one per line, each ending in "\n".
    std::string dump() const;
    // The lines that begin with `prefix` (e.g. "line ", "cell ").
    std::vector<std::string> lines_starting(const std::string& prefix) const;
    void clear() { log_.clear(); }

private:
    void add(std::string line) { log_.push_back(std::move(line)); }

    int width_, height_;
    std::string name_;
    std::vector<std::string> log_;
};

}  // namespace rix

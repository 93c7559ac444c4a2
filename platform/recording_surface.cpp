// RecordingSurface: every call becomes one line of text.
#include "platform/recording_surface.h"

#include <cstdio>

namespace rix {

namespace {

std::string rect_text(const SurfaceRect& r) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%d,%d,%dx%d", r.x, r.y, r.w, r.h);
    return buf;
}

std::string colour_text(std::uint32_t c) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "#%02X%02X%02X", c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
    return buf;
}

const char* mode_text(GlyphMode m) {
    switch (m) {
        case GlyphMode::HORIZONTAL: return "H";
        case GlyphMode::VERTICAL: return "V";
        case GlyphMode::HALF_LYING: return "L";
        case GlyphMode::HALF_UPRIGHT: return "U";
    }
    return "?";
}

std::string segment(const char* what, int x0, int y0, int x1, int y1, std::uint32_t colour) {
    char buf[96];
    std::snprintf(buf, sizeof buf, "%s %d,%d-%d,%d ", what, x0, y0, x1, y1);
    return buf + colour_text(colour);
}

}  // namespace

bool RecordingSurface::set_font(int slot, const FontRequest& request) {
    char buf[48];
    std::snprintf(buf, sizeof buf, " %d%s", request.pixel_height, request.vertical ? " v" : "");
    std::string weight = request.weight != 400 ? " w" + std::to_string(request.weight) : std::string();
    add("font " + std::to_string(slot) + " " + request.face + buf + weight);
    return true;
}

void RecordingSurface::draw_cell(const CellGlyph& g) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "cell %d %04X %s ", g.font, g.code, mode_text(g.mode));
    std::string line = buf + rect_text(g.box);
    if (g.half) line += " +" + std::to_string(g.second_offset);
    if (g.clip) line += " clip";
    add(line + " " + colour_text(g.colour));
}

void RecordingSurface::draw_line(int x0, int y0, int x1, int y1, std::uint32_t colour) {
    add(segment("line", x0, y0, x1, y1, colour));
}

void RecordingSurface::draw_dotted_line(int x0, int y0, int x1, int y1, std::uint32_t colour) {
    add(segment("dots", x0, y0, x1, y1, colour));
}

void RecordingSurface::draw_ellipse(const SurfaceRect& box, std::uint32_t colour) {
    add("ellipse " + rect_text(box) + " " + colour_text(colour));
}

void RecordingSurface::draw_arc(const SurfaceRect& box, int xs, int ys, int xe, int ye, std::uint32_t colour) {
    add("arc " + rect_text(box) + " " + segment("", xs, ys, xe, ye, colour).substr(1));
}

void RecordingSurface::fill_rect(const SurfaceRect& r, std::uint32_t colour) {
    add("fill " + rect_text(r) + " " + colour_text(colour));
}

void RecordingSurface::invert_rect(const SurfaceRect& r) { add("invert " + rect_text(r)); }

void RecordingSurface::copy_from(const Surface& src, const SurfaceRect& r, int dst_x, int dst_y) {
    const auto* rec = dynamic_cast<const RecordingSurface*>(&src);
    add("copy " + (rec ? rec->name() : std::string("?")) + " " + rect_text(r) + " -> " + std::to_string(dst_x) +
        "," + std::to_string(dst_y));
}

std::string RecordingSurface::dump() const {
    std::string out;
    for (const std::string& l : log_) out += l + "\n";
    return out;
}

std::vector<std::string> RecordingSurface::lines_starting(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const std::string& l : log_)
        if (l.compare(0, prefix.size(), prefix) == 0) out.push_back(l);
    return out;
}

}  // namespace rix

// The print preview window as the logic sees it: the window asks a
// PreviewSource for the range of sheets and for each sheet's picture, drawn
// in the printer's pixels on a surface that shows them scaled; it pages with
// its buttons (先 頭, 前 頁, 次 頁, 最 後), the sheet field, the wheel and
// clicks (preview_click below), shows or hides the printable area's frame
// with the right button, and closes with
// 閉じる or a click in the middle of the page. The Qt window is
// platform/qt/qt_preview.h.
#pragma once

#include <string>

#include <cstdint>

#include "platform/surface.h"

namespace rix {

class PreviewSource {
public:
    virtual ~PreviewSource() = default;
    virtual int first_sheet() const = 0;
    virtual int last_sheet() const = 0;
    virtual int start_sheet() const = 0;          // the sheet shown first
    virtual int page_width() const = 0;           // the printer's page, pixels
    virtual int page_height() const = 0;
    virtual bool vertical() const = 0;            // which half of a click pages back
    virtual std::string paper_text() const = 0;   // UTF-8: "用紙Ａ４" or the size in mm
    // Draws sheet `sheet` (white paper, the sheet, fold marks and line) on `image`.
    virtual void paint(int sheet, Surface& image) = 0;
    // The margin corner (1..4) a pointer at page pixel (x, y) arms; 0 none.
    virtual int margin_corner(int x, int y) const { (void)x; (void)y; return 0; }
    // Corner `corner` dragged and released at page pixel (x, y): true when
    // the margins changed (the next paint shows them).
    virtual bool release_margin(int corner, int x, int y) { (void)corner; (void)x; (void)y; return false; }
};

// The outline of the printable area, one pixel inside a page of w × h
// printer pixels: what the right mouse button shows and hides.
void draw_printable_frame(Surface& image, int w, int h);

// ---- paging ----

struct PreviewPaging {
    int first = 1, last = 1;      // the sheets of the range
    int current = 1;
};

// Moves to `sheet` when it lies within first..last; false (nothing moves) otherwise.
bool preview_go(PreviewPaging* paging, int sheet);

enum class PreviewClick : std::uint8_t { CLOSE, BACK, FORWARD };
// A left click at (x, y) on a page of w × h: in the middle (more than a
// quarter of the page from every edge) it closes; elsewhere it pages back
// on the right half of a vertical page or the upper half of a horizontal
// one, forward on the other half.
PreviewClick preview_click(int x, int y, int w, int h, bool vertical);

}  // namespace rix

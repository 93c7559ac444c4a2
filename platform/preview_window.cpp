// The preview window's paging and clicks, the same on every platform.
#include "platform/preview_window.h"

namespace rix {

void draw_printable_frame(Surface& image, int w, int h) {
    constexpr std::uint32_t BLACK = 0x000000;
    if (w <= 0 || h <= 0) return;
    image.draw_line(0, 0, w - 1, 0, BLACK);
    image.draw_line(w - 1, 0, w - 1, h - 1, BLACK);
    image.draw_line(w - 1, h - 1, 0, h - 1, BLACK);
    image.draw_line(0, h - 1, 0, 0, BLACK);
}

bool preview_go(PreviewPaging* paging, int sheet) {
    if (sheet < paging->first || sheet > paging->last) return false;
    paging->current = sheet;
    return true;
}

PreviewClick preview_click(int x, int y, int w, int h, bool vertical) {
    if (x > w / 4 && x < w - w / 4 && y > h / 4 && y < h - h / 4) return PreviewClick::CLOSE;
    if (vertical) return x >= w / 2 ? PreviewClick::BACK : PreviewClick::FORWARD;
    return y < h / 2 ? PreviewClick::BACK : PreviewClick::FORWARD;
}

}  // namespace rix

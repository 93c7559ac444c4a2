// The print preview's logic: a sheet drawn exactly as printing draws it, in
// the device's pixels on a surface that shows them scaled to fit a window
// (so the preview is the printed sheet in miniature: no pitch is rounded
// otherwise than on paper); the fold marks and the 袋とじ fold line only the
// preview shows; and the margins set by dragging a corner of the text block.
//
// The window itself (navigation, the pointer) belongs to the platform; this
// file draws on any Surface and computes, it never stores: the caller
// writes the margins it is given into the print format.
#pragma once

#include "display/background.h"
#include "publish/page_layout.h"

namespace rix {

// The factor that shows the device's page `height` pixels high (at least
// 16), and the size of the page so shown.
double preview_scale(const PrintPage& device, int height);
void preview_size(const PrintPage& device, double scale, int* width, int* height);

// Paints sheet `sheet` of the job from `pos` on the surface: white paper,
// the sheet as printed, the fold marks of a folded cell grid and the dotted
// fold line of 袋とじ. `background`, when given, is painted on the paper
// first (the print format's 画面背景). Returns what draw_sheet returned.
SheetResult paint_preview_sheet(Document& doc, SheetPainter& painter, const PrintLayout& layout, const PrintJob& job,
                                const HeaderTitles& titles, int sheet, TextPos pos,
                                const BackgroundPaint* background = nullptr);

// Corners of the text block, as the pointer arms them.
enum : int { CORNER_TOP_RIGHT = 1, CORNER_TOP_LEFT = 2, CORNER_BOTTOM_LEFT = 3, CORNER_BOTTOM_RIGHT = 4 };

struct PrintMargins {
    int start = 0, top = 0, end = 0, bottom = 0;   // ‰: start and end of the width, top and bottom of the height
};

// The margins after releasing corner `corner` at (x, y), relative to a page
// of w × h pixels. The right margin is the start one in vertical writing,
// the end one in horizontal writing. A value outside 0..255 (a release
// beyond the page) becomes 10. False, with *out = current, when the new
// margins leave no room for text (on each half with 袋とじ).
bool margins_from_release(int corner, int x, int y, int w, int h, bool vertical, int halves,
                          const PrintMargins& current, PrintMargins* out);

// The corner a pointer at (x, y) of a w × h page arms: in the margins
// outside the text block, the corner of the quadrant it is in; 0 inside
// the text block or off the page.
int margin_corner_at(int x, int y, int w, int h, bool vertical, const PrintMargins& margins);

}  // namespace rix

// The scroll bar's values and keys.
#include "display/scroll_bar.h"

#include <algorithm>
#include <climits>

#include "platform/virtual_keys.h"

namespace rix {

namespace {

constexpr std::uint64_t BAR_LIMIT = INT_MAX / 2;

int bar_int(std::uint64_t v) { return static_cast<int>(std::min(v, BAR_LIMIT)); }

}  // namespace

ScrollBarValues scroll_bar_values(bool shown, bool vertical, DisplayLineNo last_display_line, int screen_lines,
                                  DisplayLineNo cursor_line) {
    ScrollBarValues v;
    v.shown = shown;
    v.horizontal_bar = vertical;
    if (!shown) return v;
    const int n = std::max(screen_lines, 1);
    const int last = bar_int(last_display_line.value);
    v.maximum = last + n - 1;
    v.page = n;
    const int at = bar_int(std::min(cursor_line, last_display_line).value);
    v.position = vertical ? last - at : at;
    return v;
}

int scroll_bar_key(int action, bool vertical) {
    switch (action) {
        case SCROLL_LINE_BACK: return vertical ? VK_LEFT : VK_UP;
        case SCROLL_LINE_FORWARD: return vertical ? VK_RIGHT : VK_DOWN;
        case SCROLL_PAGE_BACK: return vertical ? VK_NEXT : VK_PRIOR;
        case SCROLL_PAGE_FORWARD: return vertical ? VK_PRIOR : VK_NEXT;
        default: return 0;
    }
}

DisplayLineNo scroll_bar_display_line(int position, bool vertical, DisplayLineNo last_display_line) {
    const std::uint64_t p = static_cast<std::uint64_t>(std::max(position, 0));
    if (!vertical) return std::min(DisplayLineNo{p}, last_display_line);
    return last_display_line.before(p);
}

}  // namespace rix

// Placement of the side windows (see side_windows.h).
#include "app/window/side_windows.h"

#include <algorithm>

namespace rix {

int index_placement_after(int placement, int button) {
    if (button == 1080) return placement == INDEX_FLOATING ? INDEX_DOCKED_LEFT : INDEX_FLOATING;
    if (button == 1090) return placement == INDEX_DOCKED_RIGHT ? INDEX_DOCKED_LEFT : INDEX_DOCKED_RIGHT;
    return placement;
}

const char* index_left_button_caption(int placement) {
    return placement == INDEX_FLOATING ? "左表示" : "別窓表示";
}

const char* index_right_button_caption(int placement) {
    return placement == INDEX_DOCKED_RIGHT ? "左表示" : "右表示";
}

int index_placement_of(const SettingsRecord& rec, int slot) {
    if (slot < 0 || slot >= SCREEN_FORMAT_COUNT) return INDEX_FLOATING;
    const int p = rec.index_dock[slot];
    return p == INDEX_DOCKED_LEFT || p == INDEX_DOCKED_RIGHT ? p : INDEX_FLOATING;
}

WindowPoint side_window_position(const std::int16_t stored[4], bool vertical, const WindowExtent& e) {
    const int k = vertical ? 0 : 2;
    const int x = stored[k], y = stored[k + 1];
    const bool kept = x != 0 || y != 0;
    if (kept && x >= e.screen_x && y >= e.screen_y && x + e.width <= e.screen_x + e.screen_w &&
        y + e.height <= e.screen_y + e.screen_h)
        return {x, y};
    WindowPoint p;
    p.x = vertical ? e.screen_x + 10 : e.screen_x + e.screen_w - e.width - 10;
    p.y = e.screen_y + e.screen_h - e.height - 20;
    // A window larger than the screen keeps its top-left corner on it.
    p.x = std::max(p.x, e.screen_x);
    p.y = std::max(p.y, e.screen_y);
    return p;
}

void place_side_window(DialogContext& ctx, const std::int16_t stored[4], bool vertical) {
    WindowExtent e;
    if (!ctx.window_extent(&e)) return;
    const WindowPoint p = side_window_position(stored, vertical, e);
    ctx.move_window(p.x, p.y);
}

void keep_side_window_position(DialogContext& ctx, SettingsState* settings, std::int16_t stored[4], bool vertical) {
    int x = 0, y = 0;
    if (settings == nullptr || !ctx.window_position(&x, &y)) return;
    const int k = vertical ? 0 : 2;
    const auto sx = static_cast<std::int16_t>(std::clamp(x, -32768, 32767));
    const auto sy = static_cast<std::int16_t>(std::clamp(y, -32768, 32767));
    if (stored[k] == sx && stored[k + 1] == sy) return;
    stored[k] = sx;
    stored[k + 1] = sy;
    mark_settings_changed(settings);
}

}  // namespace rix

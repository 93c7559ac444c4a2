// The file viewer's gesture rules (see file_viewer.h).
#include "platform/file_viewer.h"

#include "platform/virtual_keys.h"

namespace rix {

ViewerZone viewer_zone(int x, int y, int w, int h, bool vertical) {
    const bool mid_x = w > 0 && x * 3 >= w && x * 3 < 2 * w;
    const bool mid_y = h > 0 && y * 3 >= h && y * 3 < 2 * h;
    if (mid_x && mid_y) return ViewerZone::CLOSE;
    if (vertical) return x * 2 < w ? ViewerZone::TOWARDS_END : ViewerZone::TOWARDS_START;
    return y * 2 >= h ? ViewerZone::TOWARDS_END : ViewerZone::TOWARDS_START;
}

int turn_viewer_key(int virtual_key, bool vertical) {
    if (!vertical) return virtual_key;
    switch (virtual_key) {
        case VK_LEFT: return VK_DOWN;
        case VK_UP: return VK_LEFT;
        case VK_RIGHT: return VK_UP;
        case VK_DOWN: return VK_RIGHT;
        default: return virtual_key;
    }
}

}  // namespace rix

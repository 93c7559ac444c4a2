// The file viewer: a file's first bytes shown read-only in the shared text
// box, in the writing direction of the current screen format. This header
// holds what the viewer is asked to show and the rules of its reading
// gestures, free of Qt; the window is platform/qt/qt_file_viewer.h.
//
// Gestures: a press near an edge scrolls one line and repeats while held
// (first after VIEWER_REPEAT_FIRST_MS, then every VIEWER_REPEAT_MS); in a
// vertical box the left half scrolls towards the end (columns run from
// right to left), in a horizontal box the lower half. A click in the middle
// third both across and along closes the viewer. In a vertical box the
// arrow keys are turned so that they follow the columns.
#pragma once

#include <cstdint>
#include <string>

#include "platform/text_box.h"

namespace rix {

constexpr unsigned VIEWER_REPEAT_FIRST_MS = 300;
constexpr unsigned VIEWER_REPEAT_MS = 5;

struct ViewerRequest {
    std::string label;         // UTF-8, the file's path (shortened by the window to fit)
    std::string text;          // code page 932, as read
    TextBoxFormat format;      // font, colours and direction of the current screen format
};

enum class ViewerZone : std::uint8_t {
    TOWARDS_START,   // scroll one line back
    TOWARDS_END,     // scroll one line on
    CLOSE,           // the middle third both ways
};

// Where a point (pixels from the box's top-left) of a box w × h lies.
ViewerZone viewer_zone(int x, int y, int w, int h, bool vertical);

// The key the box sees for a Windows virtual-key number: in a vertical box
// Left becomes Down, Up Left, Right Up and Down Right; anything else (and
// every key of a horizontal box) stays.
int turn_viewer_key(int virtual_key, bool vertical);

}  // namespace rix

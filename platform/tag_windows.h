// TagWindows: the floating windows of the tags shown beside the text, as
// the application sees them, without Qt types.
//
// Each window is a text box (platform/text_box.h) standing over the edit
// view, known by its tag's serial; the connector lines from the anchors to
// the windows are drawn over the edit view, never into its surface. The
// Qt side lives in platform/qt/qt_tag_windows.h; tests use a fake.
//
// Rules:
// - Positions are edit-view pixels, as everything the screen draws.
// - Closing a window never reports anything of it any more: its events are
//   cut before it goes, so a focus loss caused by the closing itself is no
//   edit.
// - A window may be closed from inside one of its own callbacks.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/surface.h"
#include "platform/text_box.h"

namespace rix {

constexpr int TAG_CONNECTOR_WIDTH = 5;   // pixels

// What the windows report to the application.
struct TagWindowEvents {
    std::function<void(std::uint16_t serial)> focus_gained;
    // The box lost the focus (not to its own context menu); `text` is its text.
    std::function<void(std::uint16_t serial, const std::string& text)> focus_lost;
    // The user resized the window to width × height pixels.
    std::function<void(std::uint16_t serial, int width, int height)> resized;
    // The right button or the menu key in the box, at edit-view pixel x, y.
    std::function<void(std::uint16_t serial, int x, int y)> context_menu;
};

// One connector: a line TAG_CONNECTOR_WIDTH wide from (x0, y0) to (x1, y1).
struct TagConnector {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    std::uint32_t colour = 0;   // COLORREF
};

class TagWindows {
public:
    virtual ~TagWindows() = default;
    virtual void set_events(TagWindowEvents events) = 0;
    // A window for the tag `serial` at `rect` holding `text`; hidden ones
    // exist but are not shown. Opening a serial already open replaces it.
    virtual void open(std::uint16_t serial, const SurfaceRect& rect, std::string_view text,
                      const TextBoxFormat& format, bool hidden) = 0;
    // The window moves (and takes the size of `rect`) without activation.
    virtual void move(std::uint16_t serial, const SurfaceRect& rect) = 0;
    virtual void close(std::uint16_t serial) = 0;
    virtual void close_all() = 0;
    // Every window shown or hidden, the connectors with them.
    virtual void set_hidden(bool hidden) = 0;
    // The connectors to draw from now on (replacing the earlier ones).
    virtual void set_connectors(const std::vector<TagConnector>& lines) = 0;
    // The box of an open window (null when none is open for `serial`); valid
    // until the window closes.
    virtual TextBox* box(std::uint16_t serial) = 0;
};

}  // namespace rix

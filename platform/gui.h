// The windowing session as the application sees it, without Qt types.
//
// create_gui makes the Qt application object (offscreen when asked), the
// message service and, on request, the main window. The main window reports
// what happens to it through WindowEvents, which the application implements;
// the application drives the window through WindowHost.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/fonts.h"
#include "platform/surface.h"
#include "platform/window_host.h"

namespace rix {

struct MenuItem {
    int command = 0;          // command number; 0 = separator
    std::string label;        // UTF-8; "&" before the mnemonic letter
    std::string shortcut;     // e.g. "Ctrl+PgUp"; "" = none
    bool enabled = true;
    bool checked = false;
};

class WindowEvents {
public:
    virtual ~WindowEvents() = default;
    virtual void first_paint() = 0;             // once, after the window is on screen
    virtual void close_requested() = 0;         // the close box
    virtual void destroyed() = 0;               // the window is going away
    virtual void command(int id) = 0;           // a menu item or an accelerator
    virtual void timer(int id) = 0;
    virtual void minimized() = 0;
    virtual void restored() = 0;
    virtual void moved() = 0;                   // position or size changed (not maximised)
    // The edit view has a new size; its surface is already that size (blank).
    virtual void resized(int width, int height) { (void)width; (void)height; }
    // The items of the window menu, asked each time it opens.
    virtual std::vector<MenuItem> window_menu() = 0;
};

// Geometry and look of the main window at creation.
struct MainWindowSetup {
    std::string title;                // UTF-8
    int x = 0, y = 0, width = 1000, height = 700;
    int instance_offset = 0;          // k: moved by k caption heights
    std::uint32_t fill_colour = 0xFFFFFF;   // COLORREF 0x00BBGGRR of the edit view
    // The menus: a title and its items each.
    std::vector<std::pair<std::string, std::vector<MenuItem>>> menus;
    int window_menu_index = -1;       // which menu is rebuilt from WindowEvents::window_menu
    // Keys that work whether or not their menu item is on screen (command, shortcut).
    std::vector<MenuItem> accelerators;
};

class Gui {
public:
    virtual ~Gui() = default;
    virtual WindowHost& host() = 0;
    // The main window; events must outlive the window.
    virtual bool create_main_window(const MainWindowSetup& setup, WindowEvents* events) = 0;
    // Serves requests of other instances to come to the front.
    virtual void listen_for_raise(int instance_number) = 0;
    // Runs the message loop until the window is destroyed; returns the exit code.
    virtual int run() = 0;
    // Paints the main window (first paint included) into a PNG file.
    virtual bool snapshot(const std::string& png_path, int width, int height) = 0;
    // Current main window rectangle (for the settings).
    virtual void window_rect(int* x, int* y, int* width, int* height) const = 0;
    virtual bool is_maximized() const = 0;
    // Help window bookkeeping when the main window moved.
    virtual void owner_moved() = 0;
    // The edit view's drawing surface (null before the main window exists).
    // The view shows its pixels at every paint; drawing may happen at any time.
    virtual Surface* edit_surface() = 0;
    // An off-screen surface of the same kind (blank page, snapshot).
    virtual std::unique_ptr<Surface> make_surface(int width, int height) = 0;
    virtual FontService& fonts() = 0;
    // The font dialog of the format fonts (over fonts()).
    virtual FontChooser& font_chooser() = 0;
    // Asks for the edit view to be shown again from its surface.
    virtual void invalidate() = 0;
};

// help_rect: 4 int16 of the settings (may be null); rect_changed marks them changed.
std::unique_ptr<Gui> create_gui(int& argc, char** argv, bool offscreen, const std::string& help_folder,
                                std::int16_t* help_rect, std::function<void()> rect_changed);

}  // namespace rix

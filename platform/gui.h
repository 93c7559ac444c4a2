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

#include "platform/clipboard.h"
#include "platform/fonts.h"
#include "platform/input_method.h"
#include "platform/surface.h"
#include "platform/tag_windows.h"
#include "platform/window_host.h"

namespace rix {

struct MenuItem {
    int command = 0;          // command number; 0 = separator
    std::string label;        // UTF-8; "&" before the mnemonic letter; a tab, then key text shown
    std::string shortcut;     // a key Qt binds to the item, e.g. "Ctrl+PgUp"; "" = none
    bool enabled = true;      // at creation; menus ask WindowEvents::command_enabled when they open
    bool checked = false;
    std::vector<MenuItem> submenu;   // not empty: the item opens this submenu
};

// One button of the tool bar.
struct ToolbarButton {
    int command = 0;
    int image = 0;             // index into the image strip (slot - 1)
    int separators_before = 0; // 0..3
    std::string tip;           // UTF-8 tool tip
};

// The tool bar: size 0 none (hidden), 1 small (23 px bar, 23×12 images),
// 2 large (26 px bar, 30×15 images).
struct ToolbarSetup {
    int size = 0;
    std::vector<ToolbarButton> buttons;
};

// Pointer buttons and what they did.
enum : int { POINTER_LEFT = 1, POINTER_RIGHT = 2 };
enum : int { POINTER_DOWN = 0, POINTER_UP = 1, POINTER_DOUBLE = 2 };

// The caret over the edit view: the program's own double frame (type 0,
// not blinking), the grey block (1) or the bar (2), both blinking and
// drawn inverting what lies beneath.
struct CaretView {
    bool shown = false;
    int type = 0;
    SurfaceRect rect;                 // the frame's inner box, or the block or bar
    SurfaceRect outer;                // type 0: the frame one pixel larger
    std::uint32_t colour = 0;         // type 0: COLORREF of the frames
};

// One scroll bar: the horizontal one or the vertical one of the edit view.
struct ScrollBarSetup {
    bool shown = false;
    bool horizontal = false;
    int minimum = 0, maximum = 0, page = 1, position = 0;
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

    // Whether a command can run now; asked for every item when a menu opens
    // and for the tool bar buttons when the window refreshes them.
    virtual bool command_enabled(int id) { (void)id; return true; }
    // A menu of the bar is about to open (the caret hides).
    virtual void menu_opening() {}
    // Menu `index` of the bar is about to open: true with its items when they
    // changed since the window was made (the file menu's recent documents).
    virtual bool changed_menu_items(int index, std::vector<MenuItem>* items) { (void)index; (void)items; return false; }
    // F1 inside an open menu: help mode starts, then the highlighted item
    // is chosen (and shows its help instead of running).
    virtual void menu_help_key() {}

    // Keys of the edit view as virtual keys with KEY_FLAG_* (platform/virtual_keys.h).
    // Every key press comes here first; the window binds no keys of its own
    // except the menu titles' Alt+letter.
    virtual void key_down(int virtual_key, int flags) { (void)virtual_key; (void)flags; }
    virtual void key_up(int virtual_key) { (void)virtual_key; }
    // Printable text of a key (no control characters) and input-method
    // commits, whole; UTF-8.
    virtual void characters_typed(const std::string& utf8) { (void)utf8; }
    // Wheel turns in notches (angle deltas summed to steps of 120);
    // positive = away from the user.
    virtual void wheel_steps(int steps) { (void)steps; }
    // Files dropped on the window (native paths).
    virtual void files_dropped(const std::vector<std::string>& paths) { (void)paths; }
    // The right button was released at edit-view pixel x, y; flags: KEY_FLAG_* held.
    virtual void right_button_up(int x, int y, int flags) { (void)x; (void)y; (void)flags; }
    // The pointer moved to edit-view pixel x, y (negative y: above the view,
    // over the tool bar or the top edge).
    virtual void mouse_moved(int x, int y) { (void)x; (void)y; }
    // The edit view gained or lost the keyboard focus.
    virtual void focus_changed(bool has_focus) { (void)has_focus; }
    // The main window became the active window or stopped being it.
    virtual void activation_changed(bool active) { (void)active; }
    // A button of the edit view (POINTER_LEFT / POINTER_RIGHT) went down, up
    // or was double-clicked at edit-view pixel x, y; `buttons` the buttons
    // held after it, `flags` KEY_FLAG_* held.
    virtual void pointer_button(int button, int action, int x, int y, int buttons, int flags) {
        (void)button; (void)action; (void)x; (void)y; (void)buttons; (void)flags;
    }
    // The pointer moved over the edit view (or moved anywhere while a button
    // pressed on it is held).
    virtual void pointer_moved(int x, int y, int buttons, int flags) {
        (void)x; (void)y; (void)buttons; (void)flags;
    }
    // A scroll bar action (0 line back, 1 line forward, 2 page back, 3 page
    // forward, 4 thumb dragged to `position`, 5 thumb released).
    virtual void scroll_bar_action(int action, int position) { (void)action; (void)position; }
    // The input method's composition and commits (platform/input_method.h);
    // without a composition of its own a window takes the commit as typed text.
    virtual void input_method(const InputMethodEvent& e) {
        if (!e.commit.empty()) characters_typed(e.commit);
    }
    // What the input method's queries are answered with; asked at every query.
    virtual InputMethodState input_method_state() { return {}; }
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
    ToolbarSetup toolbar;
    std::string resource_dir;         // tool bar images: resource_dir/toolbar/*.png
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
    // SIGTERM, SIGHUP, SIGINT and SIGQUIT end the process in order: from the event loop,
    // `on_signal(number)` does the ending work, then the loop ends (run()
    // returns 128 + number). A signal that comes while a dialog waits ends
    // the process at once after `on_signal`.
    virtual void watch_end_signals(std::function<void(int signal_number)> on_signal) { (void)on_signal; }
    // Paints the main window (first paint included) into a PNG file.
    virtual bool snapshot(const std::string& png_path, int width, int height) = 0;
    // Current main window rectangle (for the settings).
    virtual void window_rect(int* x, int* y, int* width, int* height) const = 0;
    virtual bool is_maximized() const = 0;
    // Help window bookkeeping when the main window moved.
    virtual void owner_moved() = 0;
    // The desktop's beep.
    virtual void beep() {}
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

    // Builds the tool bar again (size 0 hides it).
    virtual void set_toolbar(const ToolbarSetup& toolbar) = 0;
    // Asks WindowEvents::command_enabled again for the tool bar buttons.
    virtual void refresh_command_states() = 0;
    // Pops a menu up at edit-view pixel x, y and waits for the choice: the
    // command chosen, 0 when none was.
    virtual int popup_menu(const std::vector<MenuItem>& items, int x, int y) = 0;
    // The pointer in edit-view pixels.
    virtual void pointer_position(int* x, int* y) const = 0;
    // The menu bar: removed from the window or put back.
    virtual void set_menu_bar_visible(bool visible) = 0;
    virtual bool menu_bar_visible() const = 0;
    // The help cursor of help mode over the whole window, or the usual ones.
    virtual void set_help_cursor(bool on) = 0;
    virtual Clipboard& clipboard() = 0;

    // The caret over the edit view (shown, moved or taken away).
    virtual void set_caret(const CaretView& caret) { (void)caret; }
    // The one-pixel frame of a drop point (w = 0: none) in `colour`.
    virtual void set_drop_frame(const SurfaceRect& box, std::uint32_t colour) { (void)box; (void)colour; }
    // The scroll bar of the edit view; the edit view's surface is the rest.
    virtual void set_scroll_bar(const ScrollBarSetup& bar) { (void)bar; }
    // The pointer over the edit view: one of the shapes VERTICAL, HORIZONTAL,
    // SCROOL, SIZENESW, SIZENWSE, KAGI_1..KAGI_4 and MARKDRAG, 24 × 24 with
    // its hot spot, in `colour` (COLORREF).
    virtual void set_pointer_shape(const std::string& name, int hot_x, int hot_y, std::uint32_t colour) {
        (void)name; (void)hot_x; (void)hot_y; (void)colour;
    }
    // The pointer over the edit view hidden or shown again.
    virtual void show_pointer(bool shown) { (void)shown; }
    // Moves the pointer to edit-view pixel x, y.
    virtual void warp_pointer(int x, int y) { (void)x; (void)y; }
    // The tags' windows over the edit view (usable once the main window
    // exists); null where there are none.
    virtual TagWindows* tag_windows() { return nullptr; }
    // Makes the open modeless dialog `dialog` (a handle of the installed
    // dialog host) a side pane of the main window: side 1 at the left of the
    // edit view, 2 at the right. The edit view gives up the pane's width (a
    // resize follows); when the dialog closes, the pane goes and the width
    // comes back. False when there is no main window or no such dialog.
    virtual bool dock_dialog(std::uint32_t dialog, int side) { (void)dialog; (void)side; return false; }
    // The main window is the active window and no menu is open.
    virtual bool window_active() const { return true; }
    // The input method asks again where the cursor is and what surrounds it.
    virtual void input_method_changed() {}
};

// help_rect: 4 int16 of the settings (may be null); rect_changed marks them changed.
std::unique_ptr<Gui> create_gui(int& argc, char** argv, bool offscreen, const std::string& help_folder,
                                std::int16_t* help_rect, std::function<void()> rect_changed);

}  // namespace rix

// What the main window's events do: the bridge between the window and the
// shell's flow (start-up at the first paint, the close box, timers,
// minimising, moving) and the dispatcher of commands and keys.
//
// Every command arrives at command(): from the menus, the accelerators, the
// tool bar and the right-click menu alike. In help mode a command opens its
// help topic and does nothing else. Otherwise the command table runs it; a
// command without a handler (its part is not built) does nothing, and is
// greyed wherever it shows.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/shell/application.h"
#include "app/window/command_table.h"
#include "app/window/menus.h"
#include "platform/gui.h"

namespace rix {

// The menu-bar return (the pointer resting at the top of the window) on TIMER_MENU_BAR.
constexpr unsigned MENU_BAR_DELAY_MS = 500;

// The mouse of the edit view, the scroll bar and the focus, answered by the
// feature that installs them (unset: dropped). The mouse's timers come
// through the timer event (Application::events).
struct PointerHooks {
    Slot<void(int button, int action, int x, int y, int buttons, int flags)> button;
    Slot<void(int x, int y, int buttons, int flags)> moved;
    Slot<void(int action, int position)> scroll_bar;
    Slot<void(bool has_focus)> focus;
    // Whether the last right button release ended a mouse action (a drag,
    // a scroll): then no right-click menu opens.
    Slot<bool()> right_taken;
};

// The input method of the edit view, answered by the feature that installs
// them (unset: a commit is typed text, the queries get the defaults).
struct InputMethodHooks {
    Slot<void(const InputMethodEvent& e)> event;
    Slot<InputMethodState()> state;
};

class ShellEvents final : public WindowEvents {
public:
    // gui may be null (tests without a window); `menus` gives the accelerators
    // and the help and drop menus.
    ShellEvents(Application& app, Gui* gui, MenuTables menus);

    void first_paint() override;
    void close_requested() override;
    void destroyed() override;
    void command(int id) override;
    void timer(int id) override;
    void minimized() override;
    void restored() override;
    void moved() override;
    void resized(int width, int height) override;   // the screen is laid out again
    std::vector<MenuItem> window_menu() override;
    bool command_enabled(int id) override { return commands_.enabled(id); }
    void menu_opening() override {}
    bool changed_menu_items(int index, std::vector<MenuItem>* items) override;
    void menu_help_key() override;
    void key_down(int virtual_key, int flags) override;
    void key_up(int virtual_key) override;
    void characters_typed(const std::string& utf8) override;
    void wheel_steps(int steps) override;
    void files_dropped(const std::vector<std::string>& paths) override;
    void right_button_up(int x, int y, int flags) override;
    void mouse_moved(int x, int y) override;
    void pointer_button(int button, int action, int x, int y, int buttons, int flags) override;
    void pointer_moved(int x, int y, int buttons, int flags) override;
    void scroll_bar_action(int action, int position) override;
    void focus_changed(bool has_focus) override;
    void input_method(const InputMethodEvent& e) override;
    InputMethodState input_method_state() override;

    PointerHooks& pointer_hooks() { return pointer_hooks_; }
    InputMethodHooks& input_method_hooks() { return input_method_hooks_; }

    // The table the later parts enable their commands in.
    CommandTable& commands() { return commands_; }
    const CommandTable& commands() const { return commands_; }
    const MenuTables& menus() const { return menus_; }
    // The recent documents of the file menu (menu 0), asked when it is made
    // and each time it opens; unset: none.
    Slot<std::vector<MenuEntry>()> recent_documents;
    // The items of menu `index` of the bar as they are now.
    std::vector<MenuItem> bar_menu_items(int index) const;
    bool help_mode() const { return help_mode_; }
    // The tool bar of the current screen format, from the settings.
    ToolbarSetup toolbar() const;
    void apply_toolbar();

private:
    void install_commands();
    void set_help_mode(bool on);
    // The tool bar's buttons enabled as their commands now are.
    void refresh_states();

    Application& app_;
    Gui* gui_;
    MenuTables menus_;
    CommandTable commands_;
    PointerHooks pointer_hooks_;
    InputMethodHooks input_method_hooks_;
    bool help_mode_ = false;
    // The hidden menu bar: where the pointer came to rest at the top.
    bool bar_pending_ = false;
    int bar_x_ = 0, bar_y_ = 0;       // where the wait began
    int pointer_x_ = 0, pointer_y_ = 0;
    std::string address_;             // the address the right-click menu offered (command 230)
};

// Opens a URL (UTF-8) with the desktop's handler (app.window.open_address
// when set); false when it was refused or could not be started.
bool open_desktop_address(Application& app, const std::string& url);
// Command 230: the address the right-click menu offered (code page 932). A
// mail address mails the document through DocumentHooks::send_mail when the
// mail feature is there; any other address opens with the desktop's handler.
void open_offered_address(Application& app, const std::string& address);

// The main window as built from the menu table; commands of parts not built
// yet are greyed.
MainWindowSetup main_window_setup(const Application& app, const ShellEvents& events, int instance_offset,
                                  const std::string& resource_dir);

}  // namespace rix

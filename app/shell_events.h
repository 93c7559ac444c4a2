// What the main window's events do: the bridge between the window and the
// shell's flow (start-up at the first paint, the close box, the commands of
// this layer, timers, minimising, moving).
#pragma once

#include <vector>

#include "app/application.h"
#include "platform/gui.h"

namespace rix {

// Command numbers handled here.
enum : int {
    COMMAND_NEW_DOCUMENT = 100,
    COMMAND_SAVE = 101,
    COMMAND_SAVE_AS = 102,
    COMMAND_OPEN = 103,
    COMMAND_READ_INTO_LINE = 104,
    COMMAND_SAVE_AND_EXIT = 114,
    COMMAND_EXIT = 115,
    COMMAND_HELP = 799,
    COMMAND_INTRODUCTION = 811,
};

class ShellEvents final : public WindowEvents {
public:
    ShellEvents(Application& app, Gui* gui) : app_(app), gui_(gui) {}
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

private:
    Application& app_;
    Gui* gui_;   // may be null in tests
};

// The menus of the main window; commands of parts not built yet are greyed.
MainWindowSetup main_window_setup(const Application& app, int instance_offset);

}  // namespace rix

// The other running editors (the window menu, Ctrl+Page Up/Down) and the
// introduction.
#include "app/shell/features.h"
#include "app/window/command_table.h"
#include "app/window/intro_dialog.h"
#include "app/window/shell_events.h"

namespace rix {

void install_instance_commands(Application& app) {
    CommandTable& t = app.window.shell->commands();
    auto window_command = [&app](int id) { handle_window_command(app, id); };
    t.set_handler(COMMAND_PREVIOUS_INSTANCE, window_command);
    t.set_handler(COMMAND_WINDOW_FIRST, window_command);
    t.set_handler(COMMAND_INTRODUCTION, [&app](int) { show_introduction(app); });
}

}  // namespace rix

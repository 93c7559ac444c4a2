// The screen formats: 編集画面書式 and Alt+1..5.
#include "app/commands/features.h"
#include "app/command_table.h"
#include "app/fmset_dialog.h"
#include "app/shell_events.h"
#include "platform/gui.h"

namespace rix {
namespace {

// A format change lays the screen out again and shows the format's tool bar.
void format_changed(Application& app) {
    rebuild(app);
    app.window.shell->apply_toolbar();
}

}  // namespace

void install_format_commands(Application& app) {
    CommandTable& t = app.window.shell->commands();
    t.set_handler(COMMAND_FORMAT_DIALOG, [&app](int) {
        FmsetServices services;
        if (app.window.gui) services.font_chooser = &app.window.gui->font_chooser();
        services.program_folder = app.paths.program_folder;
        services.apply = [&app] { format_changed(app); };
        run_fmset_dialog(&app.settings, std::move(services), 0);
    });
    t.set_handler(COMMAND_SELECT_FORMAT_FIRST, [&app](int id) {
        if (select_format_by_key(&app.settings, id - COMMAND_SELECT_FORMAT_FIRST, false)) format_changed(app);
    });
}

}  // namespace rix

// The screen formats: 編集画面書式 and Alt+1..5.
#include "app/shell/features.h"
#include "app/window/command_table.h"
#include "app/settings/fmset_dialog.h"
#include "app/edit/screen_format.h"
#include "app/window/shell_events.h"
#include "platform/gui.h"

namespace rix {
namespace {

// A format change lays the screen out again and shows the format's tool bar.
void format_changed(Application& app) {
    rebuild(app);
    app.window.shell->apply_toolbar();
}

bool index_open(const Application& app) { return app.links.index_open && app.links.index_open(); }

}  // namespace

void install_format_commands(Application& app) {
    CommandTable& t = app.window.shell->commands();
    t.set_handler(COMMAND_FORMAT_DIALOG, [&app](int) {
        FmsetServices services;
        if (app.window.gui) services.font_chooser = &app.window.gui->font_chooser();
        services.program_folder = app.paths.program_folder;
        if (app.window.choose_files) {
            services.choose_image = [&app](std::string* path) {
                std::vector<std::string> paths;
                const FileChoice choice{app.paths.program_folder, "　背景画像の選択",
                                        "画像 (*.jpg *.jpeg *.bmp *.JPG *.JPEG *.BMP);;すべてのファイル (*)", false};
                if (!app.window.choose_files(choice, &paths) || paths.empty()) return false;
                *path = paths.front();
                return true;
            };
        }
        services.apply = [&app] { format_changed(app); };
        services.index_window_open = [&app] { return index_open(app); };
        services.format_switched = [&app](const FormatSwitch& sw) { app.events.format_switched.publish(sw); };
        run_fmset_dialog(&app.fmset, &app.settings, std::move(services), 0);
    });
    t.set_handler(COMMAND_SELECT_FORMAT_FIRST, [&app](int id) {
        const int n = id - COMMAND_SELECT_FORMAT_FIRST;
        if (n < 0 || n >= SCREEN_FORMAT_COUNT || format_name(app.settings.rec, n).empty()) return;   // only a named format
        const FormatSwitch sw = select_screen_format(&app.settings, n, index_open(app));
        if (!sw.changed) return;
        app.events.format_switched.publish(sw);
        format_changed(app);
    });
}

}  // namespace rix

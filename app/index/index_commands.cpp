// The structure index: 構成索引 (404) opens the index window, which follows
// the cursor after every redraw of the main window. The window stands where
// the current screen format places it (floating, or a side pane of the main
// window), is made again when a format switch places it otherwise, and is
// reopened at start when it was open at the last end.
#include <memory>

#include "app/window/command_table.h"
#include "app/shell/features.h"
#include "app/edit/editor.h"
#include "app/index/index_window.h"
#include "app/edit/screen.h"
#include "app/edit/screen_format.h"
#include "app/window/shell_events.h"

namespace rix {

namespace {

struct IndexGlue {
    IndexUi ui;
    bool started = false;   // the window of the last end was reopened (or not wanted)
};

IndexServices services_of(Application& app, IndexGlue* g) {
    IndexServices s;
    s.edit = [&app](const std::function<void(EditContext&)>& work) { return run_edit(app, work); };
    s.redraw = [&app] { rebuild(app); };
    s.settings = &app.settings;
    s.beep = app.window.beep;
    s.notebook = app.links.open_notebook.function();
    s.dock = app.window.dock_pane;
    s.pane_changed = [&app](int side) {
        if (app.window.screen) app.window.screen->index_docked = side != 0;
        rebuild(app);
    };
    s.reopen = [&app, g] {
        close_index_window(g->ui);
        open_index_window(g->ui, services_of(app, g));
    };
    return s;
}

}  // namespace

void install_index_commands(Application& app) {
    // The window's state lives as long as the handlers and subscribers that
    // reach it.
    auto glue = std::make_shared<IndexGlue>();
    IndexGlue* g = glue.get();
    CommandTable& t = app.window.shell->commands();
    t.set_handler(COMMAND_INDEX, [&app, glue](int) { open_index_window(glue->ui, services_of(app, glue.get())); },
                  [&app] { return editing_ready(app); });
    app.links.show_in_index.set([&app, glue](const std::string& word) {
        if (!editing_ready(app)) return;
        show_index_name(glue->ui, services_of(app, glue.get()), word);
    });
    app.links.index_open.set([glue] { return index_window_open(glue->ui); });
    // A switch to a format that places the open index window otherwise makes it again.
    app.events.format_switched.subscribe([&app, glue](const FormatSwitch& sw) {
        if (!sw.redock_index || !index_window_open(glue->ui)) return;
        close_index_window(glue->ui);
        open_index_window(glue->ui, services_of(app, glue.get()));
    });
    app.events.exit.subscribe([&app, glue] { remember_index_window(glue->ui, &app.settings); });
    app.events.redraw.subscribe([&app, g] {
        if (!editing_ready(app)) return;
        if (!g->started) {
            g->started = true;
            if (app.settings.rec.index_window_open && !index_window_open(g->ui)) {
                open_index_window(g->ui, services_of(app, g));
                return;
            }
        }
        if (!index_window_open(g->ui)) return;
        EditContext c = edit_context(app);
        follow_index_cursor(g->ui, c);
        show_edit_notices(c);
    }, RANK_INDEX_WINDOW);
}

}  // namespace rix

// The structure index: 構成索引 (404) opens the index window, which follows
// the cursor after every redraw of the main window.
#include <memory>

#include "app/command_table.h"
#include "app/commands/features.h"
#include "app/editor.h"
#include "app/index_window.h"
#include "app/shell_events.h"

namespace rix {

void install_index_commands(Application& app) {
    // The window's state lives as long as the handlers that reach it (it is
    // not put in feature_state, whose last entry the mouse's tests take).
    auto ui = std::make_shared<IndexUi>();
    CommandTable& t = app.window.shell->commands();
    t.set_handler(COMMAND_INDEX, [&app, ui](int) {
        IndexServices s;
        s.edit = [&app](const std::function<void(EditContext&)>& work) { return run_edit(app, work); };
        s.redraw = [&app] { rebuild(app); };
        s.settings = &app.settings;
        if (app.links.open_notebook) s.notebook = app.links.open_notebook;
        open_index_window(*ui, std::move(s));
    }, [&app] { return editing_ready(app); });
    app.links.show_in_index = [&app, ui](const std::string& word) {
        if (!editing_ready(app)) return;
        IndexServices s;
        s.edit = [&app](const std::function<void(EditContext&)>& work) { return run_edit(app, work); };
        s.redraw = [&app] { rebuild(app); };
        s.settings = &app.settings;
        if (app.links.open_notebook) s.notebook = app.links.open_notebook;
        show_index_name(*ui, std::move(s), word);
    };
    app.window.after_redraw.push_back([&app, ui] {
        if (!index_window_open(*ui) || !editing_ready(app)) return;
        EditContext c = edit_context(app);
        follow_index_cursor(*ui, c);
    });
}

}  // namespace rix

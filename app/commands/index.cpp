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
    auto ui = std::make_shared<IndexUi>();
    IndexUi* u = ui.get();
    CommandTable& t = app.window.shell->commands();
    t.set_handler(COMMAND_INDEX, [&app, u](int) {
        IndexServices s;
        s.edit = [&app](const std::function<void(EditContext&)>& work) { return run_edit(app, work); };
        s.redraw = [&app] { rebuild(app); };
        s.settings = &app.settings;
        open_index_window(*u, std::move(s));
    }, [&app] { return editing_ready(app); });
    app.window.after_redraw.push_back([&app, u] {
        if (!index_window_open(*u) || !editing_ready(app)) return;
        EditContext c = edit_context(app);
        follow_index_cursor(*u, c);
    });
    app.feature_state.push_back(std::move(ui));
}

}  // namespace rix

// ルビ: the ruby dialog over the word at the cursor or the marked text.
#include "app/shell/features.h"
#include "app/window/command_table.h"
#include "app/edit/editor.h"
#include "app/edit/ruby_dialog.h"
#include "app/window/shell_events.h"

namespace rix {

void install_ruby_commands(Application& app) {
    CommandTable& t = app.window.shell->commands();
    t.set_handler(COMMAND_RUBY, [&app](int) {
        if (!editing_ready(app)) return;
        EditContext c = edit_context(app);
        RubyDialogServices services;
        services.after_change = [&app] { editing_done(app); };
        services.rebuild_screen = [&app] { rebuild(app); };
        run_ruby_dialog(c, services, 0);
        show_edit_notices(c);
    }, [&app] { return editing_ready(app); });
}

}  // namespace rix

// 日付入力 (207): the date dialog at the cursor (app/date_dialog). What the
// dialog holds is kept here for the life of the process.
#include <memory>

#include "app/window/command_table.h"
#include "app/shell/features.h"
#include "app/edit/date_dialog.h"
#include "app/edit/editor.h"
#include "app/edit/format_views.h"
#include "app/window/shell_events.h"
#include "platform/fonts.h"

namespace rix {

void install_date_commands(Application& app) {
    auto session = std::make_shared<DateSession>();
    app.features.dates = session;
    CommandTable& t = app.window.shell->commands();
    t.set_handler(COMMAND_DATE, [&app, session](int) {
        if (!editing_ready(app)) return;
        const int slot = current_screen_slot(app.settings.rec);
        DateLineFormatSetup format;
        format.chars_per_line = static_cast<int>(app.loaded->document.rules.chars_per_column);
        format.format_font_bold = app.settings.rec.font[slot].weight > BOLD_WEIGHT_ABOVE;
        EditContext c = edit_context(app);
        const int result = run_date_insertion(c, *session, today_local(), format, 0);
        show_edit_notices(c);
        editing_done(app);
        if (result == DIALOG_OK) rebuild(app);
    }, [&app] { return editing_ready(app); });
}

}  // namespace rix

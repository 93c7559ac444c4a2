// ＥＰＵＢファイル出力 (command 502): EPUB_DB, then the book of the current
// print format's writing direction, unless the dialog was closed.
#include "app/window/command_table.h"
#include "app/shell/features.h"
#include "app/publish/epub_dialog.h"
#include "app/publish/epub_run.h"
#include "app/print/print_preview.h"
#include "app/window/shell_events.h"

namespace rix {

void install_epub_commands(Application& app) {
    CommandTable& t = app.window.shell->commands();
    t.set_handler(COMMAND_EPUB, [&app](int) {
        if (!app.loaded) return;
        EpubDialogServices services = epub_dialog_services(app);
        if (app.window.preview_window) services.preview = [&app] { show_print_preview(app, PreviewRequest{}); };
        if (open_epub_dialog(&app.settings, &app.epub, services, 0) != DIALOG_OK) return;
        write_session_epub(app);
    });
}

}  // namespace rix

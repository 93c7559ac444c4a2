// The copy history: read from rix.clg in the data folder when the window's
// features are installed, fed by every successful copy and cut, written
// back at the end of the process when it changed; CPYLOG opened by two slow
// clicks on one cell (the mouse glue's open_copy_history).
#include <memory>

#include "aids/copy_history.h"
#include "app/shell/features.h"
#include "app/history/copy_history_dialog.h"
#include "app/edit/editor.h"
#include "editing/clipboard_commands.h"
#include "platform/files.h"

namespace rix {
namespace {

struct CopyHistoryFeature {
    CopyHistory history;
    CopyHistoryUi ui;
    std::string path;       // rix.clg in the data folder; "" = not kept
    bool damaged = false;   // the file read had unsound lines: it is kept aside before the first write
};

void save_history(CopyHistoryFeature& f) {
    if (f.path.empty() || !f.history.changed) return;
    // What could not be read is not overwritten: it stays beside as .damaged
    // (an older one of that name is kept instead).
    if (f.damaged) rename_no_overwrite(f.path, f.path + ".damaged");
    f.damaged = false;
    if (!save_copy_history(f.path, f.history))
        shell_notice("コピー履歴を保存出来ませんでした｡\n" + f.path, 5000);
}

}  // namespace

void install_copy_history_commands(Application& app) {
    // The state lives as long as the hooks that reach it.
    auto f = std::make_shared<CopyHistoryFeature>();
    if (!app.paths.program_folder.empty()) {
        f->path = join_path(app.paths.program_folder, COPY_HISTORY_FILE_NAME);
        f->damaged = load_copy_history(f->path, &f->history) == CopyHistoryFile::DAMAGED;
    }
    app.links.add_copy_history.set([f](const std::string& text) {
        add_copy_history(f->history, text);
        refresh_copy_history_dialog(f->ui);
    });
    app.links.open_copy_history.set([&app, f] {
        if (!editing_ready(app)) return;
        CopyHistoryServices s;
        s.history = &f->history;
        s.paste = [&app](const std::string& text) {
            bool ok = false;
            run_edit(app, [&](EditContext& c) { ok = paste_text(c, text); });
            return ok;
        };
        s.redraw = [&app] { rebuild(app); };
        open_copy_history_dialog(f->ui, std::move(s));
    });
    app.hooks.save_copy_history.set([f](Application&) { save_history(*f); });
}

}  // namespace rix

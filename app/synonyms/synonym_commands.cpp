// The synonym dictionary: 類語一覧 (405) opens the synonym window, or raises
// the open one; a double click in the edit window (the mouse glue's
// open_synonyms) opens it too, or has the open one look the word at the
// cursor up. The dictionary is the data folder's rix_lib.syn, else the one
// the build converted; the history is synonym.log in the data folder. An
// open window is closed (its history written) when the program ends.
#include <memory>

#include "app/window/command_table.h"
#include "app/shell/features.h"
#include "app/edit/editor.h"
#include "app/edit/format_views.h"
#include "app/window/shell_events.h"
#include "app/synonyms/synonym_window.h"
#include "platform/files.h"
#include "rix_synonym_paths.h"

namespace rix {
namespace {

SynonymServices services_of(Application& app) {
    SynonymServices s;
    s.edit = [&app](const std::function<void(EditContext&)>& work) { return run_edit(app, work); };
    s.settings = &app.settings;
    s.vertical = app.settings.rec.writing_direction[current_screen_slot(app.settings.rec)] == 0;
    s.dictionary_path = synonym_dictionary_path(app.paths.program_folder, RIX_SYNONYM_DIR);
    if (!app.paths.program_folder.empty())
        s.history_path = join_path(app.paths.program_folder, SYNONYM_HISTORY_FILE_NAME);
    s.redraw = [&app] { rebuild(app); };
    return s;
}

}  // namespace

void install_synonym_commands(Application& app) {
    auto ui = std::make_shared<SynonymUi>();
    auto open = [&app, ui](bool look_up) {
        if (editing_ready(app)) open_synonym_window(*ui, services_of(app), look_up);
    };
    app.links.open_synonyms.set([open] { open(true); });
    CommandTable& t = app.window.shell->commands();
    t.set_handler(COMMAND_SYNONYMS, [open](int) { open(false); }, [&app] { return editing_ready(app); });
    app.events.exit.subscribe([ui] { close_synonym_window(*ui); });
}

}  // namespace rix

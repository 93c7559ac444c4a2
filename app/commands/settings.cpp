// 全書式共通項目 (600): the common settings dialog, with the folder chooser
// of the window, the desktop's extension association and the auto-save
// hook (手動実行 stays greyed until an auto-save is installed).
#include <memory>

#include "app/command_table.h"
#include "app/commands/features.h"
#include "app/common_settings_dialog.h"
#include "app/shell_events.h"
#include "platform/association.h"
#include "platform/files.h"
#include "platform/shell.h"

namespace rix {

void install_common_settings_commands(Application& app) {
    CommandTable& t = app.window.shell->commands();
    t.set_handler(COMMAND_COMMON_SETTINGS, [&app](int) {
        std::unique_ptr<AssociationStore> associations = make_desktop_associations(executable_path());
        CommonSettingsServices s;
        s.settings = &app.settings;
        s.document_folder = app.doc.save_name.empty() ? app.paths.start_folder : folder_of(app.doc.save_name);
        if (app.hooks.manual_autosave) s.manual_autosave = [&app] { app.hooks.manual_autosave(app); };
        s.choose_folder = app.window.choose_folder;
        s.associations = associations.get();
        run_common_settings_dialog(s);
    });
}

}  // namespace rix

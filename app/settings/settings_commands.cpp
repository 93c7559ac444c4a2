// 全書式共通項目 (600): the common settings dialog, with the folder chooser
// of the window, the desktop's extension association and the auto-save
// hook (手動実行: an auto-save now).
#include <memory>

#include "app/documents/autosave.h"
#include "app/window/command_table.h"
#include "app/shell/features.h"
#include "app/settings/common_settings_dialog.h"
#include "app/window/shell_events.h"
#include "platform/association.h"
#include "platform/files.h"
#include "platform/shell.h"

namespace rix {

namespace {

void open_common_settings(Application& app) {
    std::unique_ptr<AssociationStore> associations = make_desktop_associations(executable_path());
    CommonSettingsServices s;
    s.settings = &app.settings;
    s.document_folder = app.doc.save_name.empty() ? app.paths.start_folder : folder_of(app.doc.save_name);
    if (app.hooks.manual_autosave) s.manual_autosave = [&app] { app.hooks.manual_autosave(app); };
    s.choose_folder = app.window.choose_folder;
    s.associations = associations.get();
    if (app.hooks.download_settings) s.download_settings = [&app] { app.hooks.download_settings(app); };
    if (app.hooks.make_shortcut) s.make_shortcut = [&app] { app.hooks.make_shortcut(app); };
    run_common_settings_dialog(s);
}

}  // namespace

void install_common_settings_commands(Application& app) {
    CommandTable& t = app.window.shell->commands();
    app.hooks.manual_autosave.set([](Application& a) { auto_save(a, true); });
    // A key file that could not be written sends the writer to its folder here.
    app.hooks.common_settings.set([](Application& a) { open_common_settings(a); });
    t.set_handler(COMMAND_COMMON_SETTINGS, [&app](int) { open_common_settings(app); });
}

}  // namespace rix

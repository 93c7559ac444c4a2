// The file commands: 新規作成, 文書を開く, 上書き保存, 名前を付けて保存,
// 現在行に読込み, 読込設定, 書出設定, ﾌｧｲﾙの暗号/復号化, ファイル検索, 保存・終了, 終了.
#include <string>

#include "app/shell/features.h"
#include "app/window/command_table.h"
#include "app/documents/crypt_flow.h"
#include "app/edit/editor.h"
#include "app/files/file_tools.h"
#include "app/documents/read_in_dialog.h"
#include "app/documents/save_flow.h"
#include "app/window/shell_events.h"
#include "app/documents/write_out_dialog.h"
#include "files/select_file.h"
#include "platform/files.h"

namespace rix {

void install_file_commands(Application& app) {
    CommandTable& t = app.window.shell->commands();
    auto new_document = [&app](int) { launch_instance(app, "new"); };
    t.set_handler(COMMAND_NEW_DOCUMENT, new_document);
    t.set_handler(COMMAND_NEW_BY_KEY, new_document);
    t.set_handler(COMMAND_NEW_BY_KEY_ALT, new_document);
    t.set_handler(COMMAND_SAVE, [&app](int) { menu_save(app); }, [&app] { return bool(app.hooks.save_document); });
    t.set_handler(COMMAND_SAVE_AS, [&app](int) { app.hooks.save_as(app); }, [&app] { return bool(app.hooks.save_as); });
    t.set_handler(COMMAND_OPEN, [&app](int) {
        std::string path = app.doc.save_name.empty() ? app.paths.open_request : folder_of(app.doc.save_name) + "/";
        if (select_document(app, SELECT_OPEN, &path) == CHOSEN_EXISTING) launch_instance(app, path);
    });
    t.set_handler(COMMAND_READ_INTO_LINE, [&app](int) { read_into_current_line(app); },
                  [&app] { return bool(app.hooks.insert_text); });
    t.set_handler(COMMAND_READ_OPTIONS, [&app](int) { run_read_in_dialog(&app.settings, &app.reading, 0); });
    // The writing options turn the next 名前を付けて保存 into a write-out.
    t.set_handler(COMMAND_WRITE_OPTIONS, [&app](int) {
        const bool was_encrypted = app.doc.encrypt;
        if (run_write_out_dialog(&app.settings, &app.save_flow.writing, 0, &app.doc.key) == DIALOG_OK) {
            app.doc.encrypt = app.save_flow.writing.encrypt;
            // A backup written before is still plain beside the document now to be kept secret.
            if (app.doc.encrypt && !was_encrypted) offer_plain_backup_removal(app);
            refresh_edit_options(app);
        }
    });
    // The window's document choices run the program's own file selection dialog.
    if (app.host) app.host->file_selector = [&app](int mode, std::string* path) { return run_file_selection(app, mode, path); };
    t.set_handler(COMMAND_FILE_CRYPT, [&app](int) { open_file_crypt(app); });
    t.set_handler(COMMAND_FILE_SEARCH, [&app](int) { open_file_search(app); });
    t.set_handler(COMMAND_SAVE_AND_EXIT, [&app](int) { exit_application(app, true); });
    t.set_handler(COMMAND_EXIT, [&app](int) { exit_application(app, false); });
}

}  // namespace rix

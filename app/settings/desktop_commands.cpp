// The desktop side of the program: ツールバー／右ｸﾘｯｸﾒﾆｭｰ (605, 606),
// ダウンロード設定 (703), ショートカット作成 (705), and archives opened as
// documents (EXTRACT_SEL through `DocumentHooks::open_archive`).
#include <memory>

#include "app/window/command_table.h"
#include "app/shell/features.h"
#include "app/settings/download_dialog.h"
#include "app/files/extract_dialog.h"
#include "app/edit/format_views.h"
#include "app/window/menus.h"
#include "app/window/shell_events.h"
#include "app/settings/shortcut_dialog.h"
#include "app/settings/toolbar_sheet.h"
#include "platform/desktop_entry.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/gui.h"
#include "platform/shell.h"

namespace rix {

namespace {

// What the features keep while the program runs.
struct DesktopState {
    int sheet_page = 0;                      // the tool-bar sheet's page last shown
};

// The program users start: `rix` beside the window program.
std::string front_program() { return join_path(folder_of(executable_path()), "rix"); }

void open_toolbar_sheet(Application& app, DesktopState& state, int page) {
    ToolbarSheetServices s;
    s.settings = &app.settings;
    s.format_slot = current_screen_slot(app.settings.rec);
    s.open = &app.jumps.open;   // the window slot the jump sheet and the tag list share
    s.last_page = &state.sheet_page;
    s.rebuild = [&app] {
        if (app.window.shell) app.window.shell->apply_toolbar();
        if (app.hooks.rebuild_screen) app.hooks.rebuild_screen(app);
    };
    s.show_right_click = [&app](int, int) {
        Gui* gui = app.window.gui;
        if (!gui || !app.window.shell) return;
        const ShellEvents& shell = *app.window.shell;
        const std::vector<MenuItem> items =
            right_click_items(app.settings.rec.right_click_items, shell.menus().popup("RIX_Help_Menu"),
                              [](int) { return true; });
        // At the left edge of the edit view, part way down: the sheet covers the
        // middle of the window. What is chosen here is only looked at.
        gui->popup_menu(items, 0, 120);
    };
    run_toolbar_sheet(s, page);
}

void open_download_settings(Application& app) {
    DownloadServices s;
    s.settings = &app.settings;
    s.set_entry = [](bool on) { return on ? write_open_with_entry(front_program()) : remove_open_with_entry(); };
    run_download_dialog(s);
}

void open_shortcut_dialog(Application& app) {
    ShortcutServices s;
    s.program = front_program();
    s.data_folder = app.paths.program_folder;
    s.document_folder = app.doc.save_name.empty() ? app.paths.start_folder : folder_of(app.doc.save_name);
    s.desktop_folder = desktop_folder();
    s.menu_folder = applications_folder();
    s.icon_folder = join_path(dialog_resource_dir(), "icons");
    s.choose_folder = app.window.choose_folder;
    if (app.window.choose_files) {
        s.choose_file = [&app](const std::string& folder, const std::string& caption, const std::string& filter,
                               std::string* path) {
            FileChoice c;
            c.folder = folder;
            c.caption = caption;
            c.filter = filter;
            std::vector<std::string> paths;
            if (!app.window.choose_files(c, &paths) || paths.empty()) return false;
            *path = paths[0];
            return true;
        };
    }
    run_shortcut_dialog(s);
}

}  // namespace

bool open_archive_document(Application& app, std::string* path, bool downloaded) {
    ArchiveKind kind;
    if (!archive_kind_of(*path, &kind)) return true;
    ExtractServices s;
    s.archive = *path;
    s.kind = kind;
    s.downloaded = downloaded;
    s.single_at_once = (app.settings.rec.download_flags & 4) != 0;
    s.choose_folder = app.window.choose_folder;
    std::string extracted;
    if (run_extract_dialog(s, &extracted) != 0) return false;
    *path = extracted;
    return true;
}

void install_desktop_commands(Application& app) {
    CommandTable& t = app.window.shell->commands();
    auto state = std::make_shared<DesktopState>();
    t.set_handler(COMMAND_TOOLBAR_SETTINGS, [&app, state](int) { open_toolbar_sheet(app, *state, -1); });
    t.set_handler(COMMAND_RIGHT_CLICK_SETTINGS,
                  [&app, state](int) { open_toolbar_sheet(app, *state, TB_PAGE_RIGHT_CLICK); });
    t.set_handler(COMMAND_DOWNLOAD_SETTINGS, [&app](int) { open_download_settings(app); });
    t.set_handler(COMMAND_SHORTCUT, [&app](int) { open_shortcut_dialog(app); });
    app.hooks.download_settings.set([](Application& a) { open_download_settings(a); });
    app.hooks.make_shortcut.set([](Application& a) { open_shortcut_dialog(a); });
    app.hooks.open_archive.set([](Application& a, std::string* path, bool downloaded) {
        return open_archive_document(a, path, downloaded);
    });
}

}  // namespace rix

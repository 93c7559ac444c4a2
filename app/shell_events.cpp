// The main window's events, and its menus.
#include "app/shell_events.h"

#include <algorithm>

#include "app/fmset_dialog.h"
#include "app/intro_dialog.h"
#include "app/read_in_dialog.h"
#include "app/save_flow.h"
#include "files/select_file.h"
#include "platform/files.h"
#include "platform/codec.h"
#include "platform/messages.h"

namespace rix {

void ShellEvents::first_paint() {
    if (app_.settings.rec.start_maximized) app_.host->maximize();
    // The screen is drawn once the document is there (unless the start ended).
    if (run_startup_action(app_) == FLOW_CONTINUE && !app_.shut_down && app_.hooks.rebuild_screen)
        app_.hooks.rebuild_screen(app_);
}

void ShellEvents::resized(int, int) {
    if (app_.startup_done && !app_.shut_down && app_.hooks.rebuild_screen) app_.hooks.rebuild_screen(app_);
}

void ShellEvents::close_requested() { rix::close_requested(app_); }

void ShellEvents::destroyed() { shutdown_process(app_); }

namespace {

void rebuild_screen(Application& app) {
    if (app.hooks.rebuild_screen) app.hooks.rebuild_screen(app);
}

// The screen format dialog; every change it applies lays the screen out again.
void run_format_dialog(Application& app, Gui* gui) {
    FmsetServices services;
    if (gui) services.font_chooser = &gui->font_chooser();
    services.program_folder = app.paths.program_folder;
    services.apply = [&app] { rebuild_screen(app); };
    run_fmset_dialog(&app.settings, std::move(services), 0);
}

}  // namespace

void ShellEvents::command(int id) {
    if (handle_window_command(app_, id)) return;
    switch (id) {
    case COMMAND_NEW_DOCUMENT:
        launch_instance(app_, "new");
        break;
    case COMMAND_OPEN: {
        std::string path = app_.doc.save_name.empty() ? app_.paths.open_request : folder_of(app_.doc.save_name) + "/";
        if (select_file(*app_.host, SELECT_OPEN, &path) == CHOSEN_EXISTING) launch_instance(app_, path);
        break;
    }
    case COMMAND_READ_INTO_LINE:
        read_into_current_line(app_);
        break;
    case COMMAND_SAVE:
        if (app_.hooks.save_document) menu_save(app_);
        break;
    case COMMAND_SAVE_AS:
        if (app_.hooks.save_as) app_.hooks.save_as(app_);
        break;
    case COMMAND_SAVE_AND_EXIT:
        exit_application(app_, 1);
        break;
    case COMMAND_EXIT:
        exit_application(app_, 0);
        break;
    case COMMAND_HELP:
        show_help("");
        break;
    case COMMAND_INTRODUCTION:
        show_introduction(app_);
        break;
    case COMMAND_FORMAT_DIALOG:
        run_format_dialog(app_, gui_);
        break;
    case COMMAND_READ_OPTIONS:
        run_read_in_dialog(&app_.settings, &app_.reading, 0);
        break;
    default:
        if (id >= COMMAND_SELECT_FORMAT_FIRST && id <= COMMAND_SELECT_FORMAT_LAST &&
            select_format_by_key(&app_.settings, id - COMMAND_SELECT_FORMAT_FIRST, false))
            rebuild_screen(app_);
        break;
    }
}

void ShellEvents::timer(int id) {
    // Timer 1 checks the auto-save conditions once auto-saving exists.
    (void)id;
}

void ShellEvents::minimized() { window_minimized(app_); }

void ShellEvents::restored() { window_restored(app_); }

void ShellEvents::moved() {
    if (!gui_) return;
    gui_->owner_moved();
    if (gui_->is_maximized() || app_.host->is_minimized()) return;
    int x = 0, y = 0, w = 0, h = 0;
    gui_->window_rect(&x, &y, &w, &h);
    SettingsRecord& r = app_.settings.rec;
    auto clamp16 = [](int v) { return static_cast<std::int16_t>(std::clamp(v, 0, 0x7FFF)); };
    std::int16_t values[4] = {clamp16(x), clamp16(y), clamp16(w), clamp16(h)};
    if (values[0] != r.window_x || values[1] != r.window_y || values[2] != r.window_width ||
        values[3] != r.window_height) {
        r.window_x = values[0];
        r.window_y = values[1];
        r.window_width = values[2];
        r.window_height = values[3];
        mark_settings_changed(&app_.settings);
    }
}

std::vector<MenuItem> ShellEvents::window_menu() {
    std::vector<MenuItem> items;
    if (!app_.registry) return items;
    for (const WindowMenuEntry& e : window_menu_entries(app_.registry->list(), app_.instance_number)) {
        if (!items.empty()) items.push_back(MenuItem{});
        items.push_back(MenuItem{e.command, e.label, "", true, e.checked});
    }
    items.push_back(MenuItem{});
    items.push_back(MenuItem{COMMAND_PREVIOUS_INSTANCE, "前のウィンドウ\tCtrl+PgUp", "", true, false});
    items.push_back(MenuItem{COMMAND_NEXT_INSTANCE, "次のウィンドウ\tCtrl+PgDown", "", true, false});
    return items;
}

MainWindowSetup main_window_setup(const Application& app, int instance_offset) {
    const SettingsRecord& r = app.settings.rec;
    MainWindowSetup s;
    s.title = "『ミルトア』 ver. 7.11";
    s.x = r.window_x;
    s.y = r.window_y;
    s.width = r.window_width >= 320 ? r.window_width : 1000;
    s.height = r.window_height >= 240 ? r.window_height : 700;
    s.instance_offset = instance_offset;
    int format = r.current_screen_format < SCREEN_FORMAT_COUNT ? r.current_screen_format : 0;
    s.fill_colour = r.fill_colour[format];
    s.menus = {
        {"ファイル(&F)",
         {{COMMAND_NEW_DOCUMENT, "新規作成(&N)", "", true, false},
          {COMMAND_OPEN, "文書を開く(&O)...", "", true, false},
          {COMMAND_READ_INTO_LINE, "現在行に読込み(&R)...", "", bool(app.hooks.insert_text), false},
          // A number of our own: the file selection dialog's 読込設定 button is its proper home.
          {COMMAND_READ_OPTIONS, "読込設定(&I)...", "", true, false},
          {0, "", "", true, false},
          {COMMAND_SAVE, "上書き保存(&S)", "", bool(app.hooks.save_document), false},
          {COMMAND_SAVE_AS, "名前を付けて保存(&A)...", "", bool(app.hooks.save_as), false},
          {0, "", "", true, false},
          {COMMAND_SAVE_AND_EXIT, "保存・終了(&E)", "", false, false},
          {COMMAND_EXIT, "終 了(&X)", "", true, false}}},
        {"環境設定(&K)", {{COMMAND_FORMAT_DIALOG, "編集画面書式(&S)...", "", true, false}}},
        {"ウィンドウ(&W)", {}},
        {"ヘルプ(&H)",
         {{COMMAND_HELP, "ヘルプの表示(&H)", "", true, false},
          {COMMAND_INTRODUCTION, "基本操作の説明(&B)...", "", true, false}}},
    };
    s.window_menu_index = 2;
    s.accelerators = {{COMMAND_PREVIOUS_INSTANCE, "", "Ctrl+PgUp", true, false},
                      {COMMAND_NEXT_INSTANCE, "", "Ctrl+PgDown", true, false}};
    for (int n = 0; n < SCREEN_FORMAT_COUNT; ++n) {   // Alt+1..5, main keyboard and numeric pad
        const std::string digit = std::to_string(n + 1);
        s.accelerators.push_back({COMMAND_SELECT_FORMAT_FIRST + n, "", "Alt+" + digit, true, false});
        s.accelerators.push_back({COMMAND_SELECT_FORMAT_FIRST + n, "", "Alt+Num+" + digit, true, false});
    }
    return s;
}

}  // namespace rix

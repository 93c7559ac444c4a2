// The file tools in the shell (see file_tools.h).
#include "app/files/file_tools.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <memory>

#include "app/documents/new_document.h"
#include "app/files/file_crypt_dialog.h"
#include "app/files/file_search_dialog.h"
#include "app/files/file_select_dialog.h"
#include "app/history/document_info_sheet.h"
#include "app/shell/application.h"
#include "app/tags/tag_windows.h"
#include "app/window/shell_events.h"
#include "document/extension_titles.h"
#include "files/file_viewer.h"
#include "files/select_file.h"
#include "platform/codec.h"
#include "platform/files.h"

namespace rix {

namespace {

std::string document_folder_of(const Application& app) {
    const std::string& path = app.doc.save_name.empty() ? app.doc.opened_path : app.doc.save_name;
    return path.empty() ? absolute_path("") : folder_of(path);
}

// 編集履歴: the history page of the document information sheet; titles
// changed on its other page are kept as the sheet's own command keeps them.
bool pick_from_history(Application& app, std::string* path) {
    DocumentInfoServices d;
    d.settings = &app.settings;
    d.log_path = app.paths.log_path;
    d.opened_path = app.doc.opened_path;
    d.save_name = app.doc.save_name;
    d.modified = app.doc.modified;
    if (app.loaded) {
        d.title = app.loaded->extension.header.title;
        d.print_title = app.loaded->extension.header.print_title;
    }
    if (app.window.view_file) d.preview = [&app](const std::string& p) { view_file(app, p); };
    const int result = run_document_info_sheet(&d, INFO_PAGE_HISTORY);
    if (d.titles_changed && app.loaded) write_back_titles(app.loaded->extension.header, app.doc, d.title, d.print_title);
    if (result != DIALOG_OK || d.open_request.empty()) return false;
    *path = d.open_request;
    return true;
}

FileSelectServices select_services(Application& app) {
    FileSelectServices s;
    SettingsRecord& rec = app.settings.rec;
    s.file_list_order = &rec.file_list_order;
    s.folders_first = &rec.folders_first;
    s.column_directions = app.file_tools.column_directions;
    s.settings_changed = [&app] { mark_settings_changed(&app.settings); };
    s.document_folder = sjis_to_utf8(std::string(rec.document_folder, strnlen(rec.document_folder, sizeof rec.document_folder)));
    s.open_document = app.doc.opened_path;
    s.decrypt_on_read = app.reading.decrypt;
    s.reading_conversions_on = [&app] { return app.reading.rubies || app.reading.index || app.reading.line_info; };
    s.writing_conversions_on = [&app] { return app.save_flow.writing.any(); };
    const std::string pattern = sjis_to_utf8(std::string(rec.new_document_name, strnlen(rec.new_document_name, sizeof rec.new_document_name)));
    if (!pattern.empty()) {
        s.new_document_name = [&app, pattern] {
            const std::string folder = document_folder_of(app);
            return next_document_name(list_folder_names(folder), pattern, folder, app.doc.save_name);
        };
    }
    s.edit_history = [&app](std::string* path) { return pick_from_history(app, path); };
    // 読込設定 and 書出設定 of the dialog are the File menu's own commands.
    if (app.window.shell) {
        const CommandTable& commands = app.window.shell->commands();
        if (commands.enabled(COMMAND_READ_OPTIONS))
            s.read_options = [&app] { app.window.shell->commands().run(COMMAND_READ_OPTIONS); };
        if (commands.enabled(COMMAND_WRITE_OPTIONS))
            s.write_options = [&app] { app.window.shell->commands().run(COMMAND_WRITE_OPTIONS); };
    }
    if (app.window.choose_folder) s.choose_folder = app.window.choose_folder;
    if (app.window.view_file) s.preview = [&app](const std::string& path) { view_file(app, path); };
    s.file_search = true;
    return s;
}

}  // namespace

TextBoxFormat viewer_format(const Application& app) {
    const SettingsRecord& rec = app.settings.rec;
    const int slot = std::clamp<int>(rec.current_screen_format, 0, 4);
    TextBoxFormat f = tag_box_format(rec, slot, rec.writing_direction[slot] == 0);
    f.background = rec.fill_colour[slot];
    f.baseline_offset = 0;
    return f;
}

void view_file(Application& app, const std::string& path) {
    if (!app.window.view_file) return;
    ViewerRequest request;
    Notices notices;
    if (make_viewer_request(path, viewer_format(app), &request, notices))
        app.window.view_file(request);
    else
        show_notices(notices);
}

int select_document(Application& app, int mode, std::string* path) {
    Notices notices;
    const int result = select_file(*app.host, mode, path, notices);
    show_notices(notices);
    return result;
}

int run_file_selection(Application& app, int mode, std::string* path) {
    FileSelectServices s = select_services(app);
    const FileSelectOutcome out = run_file_select_dialog(mode, *path, s, 0);
    if (out.search_requested) open_file_search(app);
    if (out.result == CHOSEN_CANCELLED) return CHOSEN_CANCELLED;
    *path = out.path;
    return out.result;
}

bool choose_documents(Application& app, const std::string& folder, std::vector<std::string>* paths) {
    FileSelectServices s = select_services(app);
    const FileSelectOutcome out = run_file_select_dialog(SELECT_DOCUMENTS, folder + "/", s, 0);
    if (out.search_requested) open_file_search(app);
    if (out.result != CHOSEN_EXISTING || out.chosen.empty()) return false;
    *paths = out.chosen;
    return true;
}

bool choose_list_file(Application& app, const std::string& folder, std::string* path) {
    FileSelectServices s = select_services(app);
    const FileSelectOutcome out = run_file_select_dialog(SELECT_LIST, folder + "/list_*.txt", s, 0);
    if (out.search_requested) open_file_search(app);
    if (out.result != CHOSEN_EXISTING) return false;
    *path = out.path;
    return true;
}

void open_file_crypt(Application& app) {
    FileCryptState& st = app.file_tools.crypt;
    st.key = &app.reading.key;
    FileCryptServices s;
    s.choose_source = [&app](std::string* path) {
        // Choosing the source adds nothing to the HTML page's document list.
        std::vector<std::string> chosen;
        const std::string folder = path->empty() ? document_folder_of(app) : folder_of(absolute_path(*path));
        if (!choose_documents(app, folder, &chosen)) return false;
        *path = chosen.front();
        return true;
    };
    if (app.window.choose_files) {
        s.choose_output = [&app](std::string* path) {
            std::vector<std::string> paths;
            const std::string folder = path->empty() ? document_folder_of(app) : folder_of(absolute_path(*path));
            if (!app.window.choose_files({folder, "　参照先ファイルの選択", "全てのファイル (*)", false, true}, &paths))
                return false;
            *path = paths.front();
            return true;
        };
    }
    if (app.window.view_file) s.view = [&app](const std::string& path) { view_file(app, path); };
    run_file_crypt_dialog(&st, s, 0);
}

void open_file_search(Application& app) {
    FileSearchServices s;
    s.document_folder = document_folder_of(app);
    if (app.window.escape_pressed) {
        // Looking at the window's events between every two entries would
        // slow the walk down; twenty times a second is enough for a key.
        s.escape_pressed = [poll = app.window.escape_pressed, last = std::chrono::steady_clock::now()]() mutable {
            const auto now = std::chrono::steady_clock::now();
            if (now - last < std::chrono::milliseconds(50)) return false;
            last = now;
            return poll();
        };
    }
    s.choose_folder = app.window.choose_folder;
    if (app.window.view_file) s.view = [&app](const std::string& path) { view_file(app, path); };
    s.open_document = [&app](const std::string& path) {
        app.paths.open_request = path;
        launch_instance(app, path);
    };
    run_file_search_dialog(&app.file_tools.search, s, 0);
}

}  // namespace rix

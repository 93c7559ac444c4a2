// The edit history in the main window: a line in the history file after
// every save (when 履歴情報格納 is on), the recent documents of the file menu
// (150..159) and 文書情報／編集履歴 (400), the sheet of the document's facts
// and of the history. The history's format and files are document/edit_history.h.
#include <ctime>
#include <memory>

#include "app/window/command_table.h"
#include "app/shell/features.h"
#include "app/files/file_tools.h"
#include "app/history/document_info_sheet.h"
#include "app/history/recent_menu.h"
#include "app/window/shell_events.h"
#include "document/edit_history.h"
#include "document/extension_titles.h"
#include "platform/codec.h"
#include "platform/files.h"
#include "platform/messages.h"

namespace rix {

namespace {

struct HistoryGlue {
    std::string saved_path;      // the document the last save of this run wrote; "" = none
    FileFacts saved;             // its size and time right after that save
    bool sheet_open = false;
    int sheet_page = -1;         // the page shown last; -1 = none yet
};

FileFacts facts_of(const std::string& path) {
    FileFacts f;
    std::int64_t seconds = 0;
    const std::int64_t size = file_size(path);
    if (size < 0 || !file_modified_time(path, &seconds)) return f;
    return FileFacts{true, size, seconds};
}

HistoryStamp stamp_of(std::int64_t seconds) {
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
    ::localtime_r(&t, &tm);
    return HistoryStamp{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min};
}

std::string document_title(const Application& app) {
    return app.loaded ? app.loaded->extension.header.title : app.doc.title;
}

void after_save(Application& app, HistoryGlue& glue) {
    const std::string& path = app.doc.save_name;
    glue.saved_path = path;
    glue.saved = facts_of(path);
    if (!app.settings.rec.store_history || !glue.saved.known || app.paths.log_path.empty()) return;
    // The history is code page 932 text: a name it cannot hold is not logged
    // (it could never be opened from there).
    if (!utf8_fits_sjis(path)) return;
    append_history(app.paths.log_path,
                   history_line(utf8_to_sjis(path), static_cast<std::uint64_t>(glue.saved.size),
                                stamp_of(glue.saved.time), document_title(app)));
}

std::vector<std::string> recent_paths(const Application& app) {
    std::string text;
    if (app.paths.log_path.empty() || !read_whole_file(app.paths.log_path, &text)) return {};
    return recent_documents(text);
}

void open_recent(Application& app, int k) {
    const std::vector<std::string> paths = recent_paths(app);
    if (k < 0 || k >= static_cast<int>(paths.size())) return;
    const std::string& path = paths[static_cast<std::size_t>(k)];
    const std::string native = sjis_to_utf8(path);
    if (path_kind(native) == PathKind::REGULAR) {
        launch_instance(app, native);
        return;
    }
    const std::string question = path + utf8_to_sjis(
        "\n\nこのファイルは削除か移動かにより、\nこのフォルダには存在しません。\nこのファイル名を編集履歴から削除しますか？\n");
    if (show_message(MSG_YES_NO, 0, question) == MSG_RESULT_YES) remove_from_history(app.paths.log_path, path);
}

void show_document_information(Application& app, HistoryGlue& glue) {
    DocumentInfoServices s;
    s.settings = &app.settings;
    s.log_path = app.paths.log_path;
    s.opened_path = app.doc.opened_path;
    s.save_name = app.doc.save_name;
    if (!app.doc.opened_path.empty())
        s.opened = FileFacts{true, app.doc.opened_length, app.doc.opened_time};
    if (!glue.saved_path.empty() && glue.saved_path == app.doc.save_name) s.saved = glue.saved;
    s.modified = app.doc.modified;
    s.title = document_title(app);
    s.print_title = app.loaded ? app.loaded->extension.header.print_title : std::string();
    s.last_page = &glue.sheet_page;
    s.open = &glue.sheet_open;
    if (app.window.view_file) s.preview = [&app](const std::string& path) { view_file(app, path); };
    const int result = run_document_info_sheet(&s, -1);
    if (s.titles_changed && app.loaded) write_back_titles(app.loaded->extension.header, app.doc, s.title, s.print_title);
    if (result == DIALOG_OK && !s.open_request.empty()) launch_instance(app, s.open_request);
}

}  // namespace

void install_history_commands(Application& app) {
    auto glue = std::make_shared<HistoryGlue>();
    // The save hook and the sheet's command share the glue.
    app.save_flow.after_save = [glue](Application& a) { after_save(a, *glue); };
    ShellEvents* shell = app.window.shell;
    shell->recent_documents.set([&app] { return recent_menu_entries(recent_paths(app)); });
    CommandTable& t = shell->commands();
    t.set_handler(COMMAND_RECENT_FIRST, [&app](int id) { open_recent(app, id - COMMAND_RECENT_FIRST); });
    t.set_handler(COMMAND_DOCUMENT_INFO, [&app, glue](int) { show_document_information(app, *glue); },
                  [&app] { return app.loaded != nullptr; });
}

}  // namespace rix

// Start-up, switching documents, instances and the exit flow.
#include "app/shell/application.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "app/documents/crypt_flow.h"
#include "app/files/file_tools.h"
#include "app/edit/format_views.h"
#include "app/window/intro_dialog.h"
#include "app/documents/new_document.h"
#include "app/documents/recovery_flow.h"
#include "files/select_file.h"
#include "platform/codec.h"
#include "platform/files.h"
#include "platform/messages.h"
#include "platform/network.h"
#include "platform/shell.h"

namespace rix {
namespace {

constexpr std::size_t MAX_PREVIOUS_DOCUMENT = 128;   // bytes of previous_document
constexpr std::size_t DOWNLOAD_TITLE_BYTES = 25;

SettingsRecord& rec(Application& app) { return app.settings.rec; }

void notice(Application&, const std::string& utf8, unsigned ms) { shell_notice(utf8, ms); }

int ask(Application& app, int kind, const std::string& utf8, int batch_answer) {
    return ask_question(app, kind, utf8, batch_answer);
}

std::string format1(const char* pattern, const std::string& value) {
    std::string text(pattern);
    std::size_t at = text.find("%s");
    if (at != std::string::npos) text.replace(at, 2, value);
    return text;
}

std::string field_utf8(const char* field, std::size_t width) { return sjis_to_utf8(read_field(field, width)); }

bool is_http_address(const std::string& s) { return s.rfind("http:", 0) == 0 || s.rfind("https:", 0) == 0; }

void reset_previous_document_setting(Application& app) {
    rec(app).startup_action = 0;
    rec(app).restore_flags &= static_cast<std::uint8_t>(~1u);
    mark_settings_changed(&app.settings);
}

// At the start, an http address on the command line is fetched
// into the temporary folder and replaces the address. On failure the
// program starts without a document.
void download_command_line_document(Application& app) {
    std::string folder = app.temp_folder;
    if (folder.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        folder = tmp && *tmp ? tmp : "/tmp";
    }
    std::string url = app.line.document;
    std::string dest = join_path(folder, download_file_name(url));
    DownloadResult result = http_download(url, dest);
    if (!result.ok) {
        notice(app, "文書をダウンロード出来ませんでした｡\n" + url + "\n" + result.error, 5000);
        app.line.document.clear();
        return;
    }
    app.line.document = dest;
    app.doc.downloaded = true;
}

// The start-up action "re-edit the previous document".
int take_previous_document(Application& app) {
    std::string previous = field_utf8(rec(app).previous_document, sizeof rec(app).previous_document);
    if (previous.empty() || !file_exists(previous)) {
        notice(app, format1("前回編集指定の文書\n%s\nが見つかりません。\n前回文書編集指定を解除して、\n新規文書作成にします。",
                            previous), 8000);
        reset_previous_document_setting(app);
        return STARTUP_CHOOSE;
    }
    DocumentKind kind = check_document_kind(previous);
    if (kind != DocumentKind::TEXT && kind != DocumentKind::ENCRYPTED) {
        notice(app, "前回文書編集指定を解除して、\n新規文書作成にします。", 5000);
        reset_previous_document_setting(app);
        return STARTUP_CHOOSE;
    }
    app.doc.opened_path = previous;
    return STARTUP_OPEN_EXISTING;
}

// The start-up choice between a new document and a chosen file.
int take_startup_choice(Application& app) {
    SettingsRecord& r = rec(app);
    if (r.startup_action == 3) {
        bool dont_ask = false;
        int preset = r.startup_choice ? 1 : 0;
        int choice = app.batch ? 0 : app.host->ask_startup_choice(preset, &dont_ask);
        if (choice != preset) {
            r.startup_choice = static_cast<std::uint8_t>(choice);
            mark_settings_changed(&app.settings);
        }
        if (dont_ask) {
            r.startup_action = static_cast<std::uint8_t>(choice * 2);
            mark_settings_changed(&app.settings);
        }
    } else {
        r.startup_choice = static_cast<std::uint8_t>(r.startup_action / 2);
    }
    if (r.startup_choice == 0) {
        if (!create_new_document_file(app)) return STARTUP_CHOOSE;
        return STARTUP_NEW;
    }
    return STARTUP_CHOOSE;
}

// The file selection of the start. Returns the new start-up state.
int choose_document(Application& app) {
    std::string path = app.line.document.empty() ? app.paths.open_request : app.line.document;
    int result = app.batch && path_needs_dialog(absolute_path(path)) ? CHOSEN_CANCELLED
                                                                     : select_document(app, SELECT_OPEN, &path);
    if (result == CHOSEN_CANCELLED && !app.line.document.empty() && !app.batch) {
        path = app.paths.open_request;
        result = select_document(app, SELECT_OPEN, &path);
    }
    if (result == CHOSEN_CANCELLED) return STARTUP_CANCELLED;
    // An archive opens the member the writer extracts from it in its place.
    if (result == CHOSEN_EXISTING && app.hooks.open_archive && !app.hooks.open_archive(app, &path, app.doc.downloaded))
        return STARTUP_CANCELLED;
    app.doc.opened_path = path;
    if (result == CHOSEN_EXISTING) {
        DocumentKind kind = check_document_kind(path);
        // A binary file the writer said is an encrypted document (a drop).
        if (app.line.decrypt && kind == DocumentKind::NOT_TEXT) kind = DocumentKind::ENCRYPTED;
        if (!accept_document_kind_shown(kind)) return STARTUP_CANCELLED;
        return STARTUP_OPEN_EXISTING;
    }
    return STARTUP_CHOOSE;   // a new name was given
}

// The first line of a downloaded document (at most 25 bytes, cut at CR LF) as its title.
void take_download_title(Application& app) {
    std::string head;
    if (!read_file_prefix(app.doc.opened_path, DOWNLOAD_TITLE_BYTES, &head)) return;
    std::size_t end = head.find("\r\n");
    if (end != std::string::npos) head.resize(end);
    head.resize(cut_on_boundary(head, head.size()));
    app.doc.title = head;
}

// The opened document into the editing tables; then its subscribers hear.
void load_document(Application& app) {
    if (!app.hooks.load_document) return;
    app.hooks.load_document(app);
    app.events.document_loaded.publish();
}

void open_chosen(Application& app, int state) {
    DocumentState& doc = app.doc;
    doc.save_name = doc.opened_path;
    if (state == STARTUP_CHOOSE) {
        notice(app, "新しい文書を作成します｡", 1500);
        int fd = create_exclusive(doc.save_name);
        if (fd >= 0) {
            doc.text_fd = fd;
            doc.created_new = true;
            doc.in_use_mark_held = set_in_use_mark(doc.save_name, &doc.saved_mode);
        }
    }
    if (state == STARTUP_CHOOSE || state == STARTUP_NEW) {
        doc.file_length = 0;
        doc.opened_path.clear();
        load_document(app);
        return;
    }
    if (!open_document_file_shown(&doc, doc.opened_path)) {
        doc.opened_path.clear();
        return;
    }
    if (doc.downloaded && (rec(app).download_flags & 0x20)) take_download_title(app);
    bool recovered = offer_recovery(app);
    load_document(app);
    if (recovered) after_recovered_load(app);
}

}  // namespace

void load_into_application(Application& app) {
    if (!app.loaded) return;
    unlock_before_load(app);
    start_loading(app, (rec(app).restore_flags & 1) != 0);
}

void show_document_title(Application& app) {
    std::string title = document_window_title(app);
    if (app.host) app.host->set_title(utf8_to_sjis(title));
    if (app.registry) app.registry->update_title(app.instance_number, title);
}

void window_changed(Application& app) {
    // What the document met while wrapping for the screen (a line without its end).
    if (app.loaded && !app.loaded->document.notices.empty()) {
        show_notices(app.loaded->document.notices);
        app.loaded->document.notices.items.clear();
    }
    if (app.window.show_surface) app.window.show_surface();
    app.events.redraw.publish();
    app.events.redraw_overlay.publish();
}

void rebuild(Application& app) {
    if (app.hooks.rebuild_screen) app.hooks.rebuild_screen(app);
}

bool create_new_document_file(Application& app) {
    std::string pattern = field_utf8(rec(app).new_document_name, sizeof rec(app).new_document_name);
    if (pattern.empty()) pattern = "原稿_.txt";
    std::string folder = folder_exists(app.paths.open_request) ? app.paths.open_request
                                                               : folder_of(app.paths.open_request);
    if (folder.empty()) folder = app.paths.start_folder;
    std::string path;
    int fd = create_new_document(folder, pattern, app.doc.save_name, &path);
    if (fd < 0) {
        notice(app, "新しい文書を作成出来ません｡\n" + folder, 5000);
        return false;
    }
    app.doc.text_fd = fd;
    app.doc.opened_path = path;
    app.doc.save_name = path;
    app.doc.created_new = true;
    app.doc.in_use_mark_held = set_in_use_mark(path, &app.doc.saved_mode);
    show_document_title(app);
    return true;
}

Flow run_startup_action(Application& app) {
    if (app.startup_done) return Flow::Continue;
    app.startup_done = true;
    if (is_http_address(app.line.document)) download_command_line_document(app);
    int state = STARTUP_CHOOSE;
    if (rec(app).startup_action == 1 && app.line.document.empty()) state = take_previous_document(app);
    if (state == STARTUP_CHOOSE && app.line.document.empty() && app.line.new_document)
        state = create_new_document_file(app) ? STARTUP_NEW : STARTUP_CHOOSE;
    else if (state == STARTUP_CHOOSE && app.line.document.empty())
        state = take_startup_choice(app);
    if (state == STARTUP_CHOOSE) state = choose_document(app);
    if (state == STARTUP_CANCELLED) {
        notice(app, " 無操作終了します｡", 3000);
        app.host->destroy_main_window();
        return Flow::End;
    }
    open_chosen(app, state);
    show_document_title(app);
    app.host->set_timer(TIMER_AUTOSAVE, AUTOSAVE_PERIOD_MS);
    if (app.instance_number == 1 && settings_version_text(rec(app)) != "7.11") {
        notice(app, "最新版のインストールをありがとうございます。\n\n「コピー・貼付(C&P)」機能にコピーした語句の履歴保存機能を実装しました\n"
                    "貼付けたいヶ所を二回クリックすると「コピー履歴選択」ダイアログボックスが開きます。\nどうぞ、お試しください。\n",
               65535);
        mark_settings_changed(&app.settings);
    }
    if (introduction_due(app)) show_introduction(app);
    return Flow::Continue;
}

bool switch_document(Application& app, const std::string& path) {
    DocumentState& doc = app.doc;
    if (app.hooks.store_notebook) app.hooks.store_notebook(app);
    int answer = MSG_RESULT_YES;
    if (doc.modified && app.hooks.save_question) {
        answer = app.hooks.save_question(app, false);
        if (answer == MSG_RESULT_CANCEL) return false;
    }
    if (answer != MSG_RESULT_NO && (doc.modified || (rec(app).restore_flags & 1)) && app.hooks.save_document &&
        app.hooks.save_document(app) == SaveResult::Failed)
        return false;
    DocumentKind kind = check_document_kind(path);
    if (!accept_document_kind_shown(kind)) return false;
    close_document(&doc, true);
    app.events.document_cleared.publish();
    doc = DocumentState{};
    if (!open_document_file_shown(&doc, path)) return false;
    doc.save_name = path;
    bool recovered = offer_recovery(app);
    load_document(app);
    if (recovered) after_recovered_load(app);
    show_document_title(app);
    rebuild(app);
    return true;
}

void launch_instance(Application& app, const std::string& request) {
    bool is_new = request == "new";
    bool unchanged_new = app.doc.created_new && (app.doc.modified & MODIFIED_TEXT) == 0;
    if (!is_new && rec(app).startup_action == 1) {
        int answer = ask(app, MSG_YES_NO,
                         "「起動時の動作」が「前回文書編集」になっています。\n編集中の文書を新しい文書に切替えますか？\n\n"
                         "〔いいえ〕を選択すると新ウィンドウで文書を開きます。\n",
                         MSG_RESULT_NO);
        if (answer == MSG_RESULT_YES) {
            switch_document(app, request);
            return;
        }
    } else if (unchanged_new) {
        if (!is_new) switch_document(app, request);
        return;
    }
    std::vector<std::string> args = instance_arguments(is_new ? std::string() : request, app.line);
    if (!start_instance(args)) notice(app, "新しいウィンドウを開けません｡", 3000);
}

}  // namespace rix

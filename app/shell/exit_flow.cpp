// The exit flow and the end of the process.
#include <unistd.h>

#include <cstdio>

#include "app/shell/application.h"
#include "platform/codec.h"
#include "platform/files.h"
#include "platform/messages.h"

namespace rix {
namespace {

constexpr std::size_t MAX_PREVIOUS_DOCUMENT = 128;

// Each step of the exit either lets it go on or stops it (the window stays).
enum class Step { Go, Stop };

int ask(Application& app, int kind, const std::string& utf8, int batch_answer) {
    return ask_question(app, kind, utf8, batch_answer);
}

void notice(const std::string& utf8, unsigned ms) { shell_notice(utf8, ms); }

// Shortens a name for a message to `keep` characters: the start, "...", the end.
std::string shorten_for_display(const std::string& utf8, std::size_t keep) {
    std::u32string text = sjis_to_utf32(utf8_to_sjis(utf8));
    if (text.size() <= keep || keep < 8) return utf8;
    std::u32string out = text.substr(0, 3) + U"..." + text.substr(text.size() - (keep - 6));
    return sjis_to_utf8(utf32_to_sjis(out));
}

// A document fetched from an address.
Step dispose_downloaded(Application& app) {
    DocumentState& doc = app.doc;
    SettingsRecord& r = app.settings.rec;
    int disposal = (r.download_flags >> 3) & 3;
    if (doc.text_fd >= 0) ::close(doc.text_fd);
    doc.text_fd = -1;
    if (doc.in_use_mark_held) clear_in_use_mark(doc.save_name, doc.saved_mode);
    doc.in_use_mark_held = false;
    if (doc.modified && disposal != 3 &&
        ask(app, MSG_YES_NO, "ダウンロードした文書が変更されています｡\n\nこのまま終了しますか？", MSG_RESULT_NO) !=
            MSG_RESULT_YES)
        return Step::Stop;
    std::string folder = sjis_to_utf8(read_field(r.document_folder, sizeof r.document_folder));
    switch (disposal) {
    case 0:
        ::unlink(doc.save_name.c_str());
        break;
    case 1:
        break;
    case 2:
        if (folder.empty()) {
            notice("ダウンロードした文書を「既定フォルダ」に\n格納するよう指定されていますが、\n"
                   "「文書の保存既定フォルダ」が設定されていません。\n\n次に開く環境設定画面で設定出来ます。\n",
                   10000);
            return Step::Stop;
        }
        if (ask(app, MSG_YES_NO,
                "ダウンロードした文書\n" + name_of(doc.save_name) + "\nは既定フォルダに保存するよう設定されています。\n保存しますか ?",
                MSG_RESULT_YES) == MSG_RESULT_YES) {
            std::string bytes;
            std::string target = join_path(folder, name_of(doc.save_name));
            if (read_whole_file(doc.save_name, &bytes) && atomic_replace(target, bytes))
                ::unlink(doc.save_name.c_str());
            else
                notice("ダウンロードした文書を既定フォルダに保存出来ませんでした｡\n" + target, 5000);
        }
        break;
    case 3:
        if (app.hooks.save_as && app.hooks.save_as(app) != SaveResult::Saved) return Step::Stop;
        break;
    }
    return Step::Go;
}

// Remembering the document for the next start.
Step remember_previous_document(Application& app) {
    SettingsRecord& r = app.settings.rec;
    std::string name = utf8_to_sjis(app.doc.save_name);
    if (name.size() > MAX_PREVIOUS_DOCUMENT || !utf8_fits_sjis(app.doc.save_name)) {
        char limit[16];
        std::snprintf(limit, sizeof limit, "%d", static_cast<int>(MAX_PREVIOUS_DOCUMENT));
        std::string text = "次回再編集ファイル(ﾊﾟｽ)名\n" + shorten_for_display(app.doc.save_name, 60) +
                           "\nは長過ぎます。\n長さは半角で " + limit + " 文字までです。\n終了してもよろしいですか ?";
        return ask(app, MSG_YES_NO, text, MSG_RESULT_YES) == MSG_RESULT_YES ? Step::Go : Step::Stop;
    }
    if (read_field(r.previous_document, sizeof r.previous_document) != name) {
        store_field(r.previous_document, sizeof r.previous_document, name);
        mark_settings_changed(&app.settings);
    }
    return Step::Go;
}

// Saving what needs saving.
Step save_before_exit(Application& app, bool save_first) {
    DocumentState& doc = app.doc;
    if (app.hooks.store_notebook) app.hooks.store_notebook(app);
    bool restore = (app.settings.rec.restore_flags & 1) != 0;
    bool needs = doc.modified || save_first || (restore && doc.created_new && app.instance_number == 1);
    int answer = MSG_RESULT_YES;
    if (needs) {
        if (doc.modified && !save_first && app.hooks.save_question) {
            answer = app.hooks.save_question(app, false);
            if (answer == MSG_RESULT_CANCEL) return Step::Stop;
        }
        // Saving first without questions covers the notebook too.
        if (save_first && (doc.modified & MODIFIED_NOTEBOOK) && app.hooks.save_notebook &&
            !app.hooks.save_notebook(app))
            return Step::Stop;
        if (answer != MSG_RESULT_NO && app.hooks.save_document) {
            std::string numbered;   // the empty numbered file left behind by a save under another name
            if (doc.created_new && doc.modified) {
                std::string path = doc.save_name;
                if (app.host->choose_file(1, &path) == CHOSEN_CANCELLED) return Step::Stop;
                if (path != doc.save_name) numbered = doc.save_name;
                doc.save_name = path;
            }
            if (!numbered.empty() && doc.in_use_mark_held) {
                // The mark belongs to the numbered file; the chosen name gets its own.
                clear_in_use_mark(numbered, doc.saved_mode);
                doc.in_use_mark_held = false;
            }
            if (app.hooks.save_document(app) == SaveResult::Failed) return Step::Stop;
            if (!numbered.empty() && file_size(numbered) == 0) ::unlink(numbered.c_str());
        }
    }
    bool unchanged = (doc.modified & MODIFIED_TEXT) == 0;
    if (doc.created_new && (unchanged || answer == MSG_RESULT_NO)) {
        doc.modified &= static_cast<std::uint8_t>(~MODIFIED_TEXT);
        close_document(&doc, true);
    }
    return Step::Go;
}

}  // namespace

Flow exit_application(Application& app, bool save_first) {
    if (app.hooks.database_open && app.hooks.database_open()) {
        notice("文書データベースが開いています。\n閉じてから終了してください。", 5000);
        return Flow::Continue;
    }
    if (app.doc.downloaded) {
        if (dispose_downloaded(app) == Step::Stop) return Flow::Continue;
    } else {
        if (app.settings.rec.startup_action == 1 && !app.doc.save_name.empty() &&
            remember_previous_document(app) == Step::Stop)
            return Flow::Continue;
        if (save_before_exit(app, save_first) == Step::Stop) return Flow::Continue;
    }
    app.events.exit.publish();
    app.host->destroy_main_window();
    return Flow::End;
}

Flow close_requested(Application& app) {
    if (app.host->is_minimized()) app.host->restore();
    if (ask(app, MSG_YES_NO, "終了してもよろしいですか ?", MSG_RESULT_YES) != MSG_RESULT_YES) return Flow::Continue;
    return exit_application(app, false);
}

void shutdown_process(Application& app) {
    if (app.shut_down) return;
    app.shut_down = true;
    if (app.host) app.host->kill_timer(TIMER_AUTOSAVE);
    if (app.hooks.save_copy_history) app.hooks.save_copy_history(app);
    close_document(&app.doc, true);
    if (app.registry && app.instance_number > 0) app.registry->unregister(app.instance_number);
    SettingsWriteResult written = write_settings(app.paths.env_path, app.instance_number, &app.settings);
    if (written == SETTINGS_WRITE_FAILED)
        notice("環境設定ファイルを保存出来ませんでした｡\n今回の設定変更は失われます｡\n" + app.paths.env_path, 5000);
}

void window_minimized(Application& app) {
    app.host->kill_timer(TIMER_AUTOSAVE);
    app.host->kill_timer(TIMER_AUTO_REPEAT);
    app.host->kill_timer(TIMER_IDLE_POINTER);
    app.autosave_timer_stopped = true;
}

void window_restored(Application& app) {
    if (!app.autosave_timer_stopped) return;
    app.autosave_timer_stopped = false;
    if (app.startup_done) app.host->set_timer(TIMER_AUTOSAVE, AUTOSAVE_PERIOD_MS);
}

}  // namespace rix

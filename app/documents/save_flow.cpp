// Saving from the shell (see save_flow.h).
#include "app/documents/save_flow.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "app/documents/crypt_flow.h"
#include "app/files/file_tools.h"
#include "app/edit/format_views.h"
#include "app/documents/output_guard.h"
#include "document/storage.h"
#include "files/select_file.h"
#include "platform/codec.h"
#include "platform/files.h"
#include "platform/messages.h"

namespace rix {
namespace {

constexpr unsigned SAVED_NOTICE_MS = 3500;
constexpr unsigned WRITTEN_NOTICE_MS = 4000;

int ask(Application& app, int kind, const std::string& utf8) { return ask_question(app, kind, utf8, MSG_RESULT_NO); }

mode_t mode_of_new_file(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) return st.st_mode & 07777;
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Loads `path` for a batch form: held open read-only, never marked.
bool load_for_batch(Application& app, const std::string& path) {
    DocumentState& doc = app.doc;
    doc.text_fd = open_text_file_shown(path);
    if (doc.text_fd < 0) return false;
    if (!accept_document_kind_shown(check_document_kind(path))) {
        ::close(doc.text_fd);
        doc.text_fd = -1;
        return false;
    }
    doc.file_length = file_size(path);
    doc.opened_path = path;
    doc.save_name = path;
    if (!unlock_with_key_file(doc, document_key_file(app, path))) {
        ::close(doc.text_fd);
        doc.text_fd = -1;
        return false;
    }
    app.loaded = std::make_unique<LoadedDocument>(std::string(), UINT64_MAX);
    start_loading(app, false);
    return true;
}

void close_batch(Application& app) {
    if (app.doc.in_use_mark_held) clear_in_use_mark(app.doc.save_name, app.doc.saved_mode);
    app.doc.in_use_mark_held = false;
    if (app.doc.text_fd >= 0) ::close(app.doc.text_fd);
    app.doc.text_fd = -1;
}

// Makes `path` the save name, this process holding its mark. The text file
// stays open: it is the source of a rest that could not be loaded.
void take_new_name(DocumentState& doc, const std::string& path) {
    if (doc.in_use_mark_held) clear_in_use_mark(doc.save_name, doc.saved_mode);
    doc.save_name = path;
    doc.saved_mode = mode_of_new_file(path);
    doc.in_use_mark_held = true;
}

// The notebook goes with every save the writer asks for (上書き保存, 名前を
//付けて保存), as it does with 保存・終了: its file is written when it
// changed, an article still in its box stored first. A failed write is told
// and leaves the notebook marked changed for the question at the end.
void save_notebook_too(Application& app) {
    if (app.hooks.save_notebook) app.hooks.save_notebook(app);
}

}  // namespace

ExportOptions write_out_options(const SettingsRecord& r, const WritingOptions& w) {
    ExportOptions o;
    o.form = ExportForm::EXPORT;
    o.write_rubies = w.rubies;
    o.write_line_info = w.line_info;
    o.write_index = w.index;
    o.line_id_symbol = std::string(read_field(r.line_id_symbol, sizeof r.line_id_symbol));
    o.ruby_notation = r.ruby_notation >= 1 && r.ruby_notation <= 4 ? r.ruby_notation : 3;
    o.custom_delimiters = std::string(read_field(r.ruby_custom_delimiters, sizeof r.ruby_custom_delimiters));
    return o;
}

SaveRequest save_request_for(const Application& app, int mode) {
    const SettingsRecord& r = app.settings.rec;
    SaveRequest q;
    q.mode = mode;
    if (app.loaded) {
        q.header = app.loaded->extension.header;
        q.cursor = app.loaded->cursor;
    }
    if (q.header.title.empty()) q.header.title = app.doc.title;
    q.header.screen_format = r.current_screen_format < SCREEN_FORMAT_COUNT ? r.current_screen_format : 0;
    q.restore_flags = r.restore_flags;
    q.no_backup = r.no_backup != 0;
    int slot = current_screen_slot(r);
    const std::int16_t* size = r.writing_direction[slot] == 0 ? r.tag_size_vertical : r.tag_size_horizontal;
    q.tag_default_attr1 = tag_size_byte(size[0]);
    q.tag_default_attr2 = tag_size_byte(size[1]);
    return q;
}

int save_question(Application& app, bool explicit_save) {
    std::uint8_t m = app.doc.modified;
    if (m & MODIFIED_NOTEBOOK) {
        // The answer decides the notebook file; a failed write stops the close
        // (the notebook would be lost with the document's tables).
        if (ask(app, MSG_YES_NO, "手帖データが更新されています。\n保存しますか？") == MSG_RESULT_YES &&
            app.hooks.save_notebook && !app.hooks.save_notebook(app))
            return MSG_RESULT_CANCEL;
    }
    if (m == MODIFIED_NOTEBOOK) return MSG_RESULT_NO;
    if ((m & MODIFIED_CONVERTED) && explicit_save)
        return ask(app, MSG_YES_NO,
                   "この文書は読込み時に読込み変換処理が実行されています｡\nこのまま上書き保存すると変換前の文書が"
                   "失われます｡\n元の文書を残す場合は「いいえ」を選択して、\n「名前を付けて保存」を実行してください｡"
                   "\n\n「はい」を選んでも、後で「保存しない」を選べます｡\n\n上書き処理を続行しますか？");
    if (m & MODIFIED_CONVERTED) {
        // Closing the document (exit, switch): いいえ closes it without saving,
        // 取消 goes back to it, so that 名前を付けて保存 can keep the original.
        int a = ask(app, MSG_YES_NO_CANCEL,
                    "この文書は読込み時に読込み変換処理が実行されています｡\nこのまま上書き保存すると変換前の文書が"
                    "失われます｡\n\n「はい」　保存するかどうかを次に選びます｡\n「いいえ」　保存せずに閉じます｡"
                    "元の文書はそのまま残ります｡\n「取消」　閉じずに編集に戻ります｡\n"
                    "元の文書を残して保存する場合は、「名前を付けて保存」を実行してください｡\n\n上書き処理を続行しますか？");
        if (a != MSG_RESULT_YES) return a == MSG_RESULT_NO ? MSG_RESULT_NO : MSG_RESULT_CANCEL;
    }
    const char* label = (m & 3) == 2 ? "拡張ﾃﾞｰﾀ" : (m & 3) == 3 ? "文書と拡張ﾃﾞｰﾀ" : "文書";
    return ask(app, MSG_YES_NO_CANCEL, std::string(label) + "が更新されています｡\n保存しますか？");
}

SaveResult save_in_mode(Application& app, int mode) {
    if (!app.loaded) return SaveResult::Nothing;
    bool text_changed = (app.doc.modified & MODIFIED_TEXT) != 0 || mode == SAVE_MODE_NEW_NAME;
    // RE_CRYPT only when a text is to be written (not for the cursor alone).
    const bool writes = app.doc.modified != 0 || mode == SAVE_MODE_NEW_NAME;
    if (writes && !confirm_encrypted_save(app)) return SaveResult::Failed;
    SaveFlowState& flow = app.save_flow;
    Notices notices;
    SaveResult result = save_document(app.loaded->document, app.doc, app.loaded->session,
                                      save_request_for(app, mode), flow.run, &notices);
    show_notices(notices);
    if (result != SaveResult::Saved) return result;
    // The file on disk is enciphered now, or plain: the next saves go by that.
    app.loaded->extension.header.encrypted = app.doc.encrypt;
    reset_autosave_counters(app);
    // A new document that was saved with text is no longer an unchanged new one.
    if (text_changed) app.doc.created_new = false;
    if (flow.after_save) flow.after_save(app);
    return result;
}

SaveResult menu_save(Application& app) {
    if ((app.doc.modified & MODIFIED_CONVERTED) && save_question(app, true) != MSG_RESULT_YES)
        return SaveResult::Nothing;
    SaveResult result = save_in_mode(app, SAVE_MODE_MENU);
    if (result != SaveResult::Failed) save_notebook_too(app);
    if (result == SaveResult::Saved) {
        shell_notice(" 上書保存しました。", SAVED_NOTICE_MS);
        rebuild(app);
    }
    return result;
}

SaveResult save_as(Application& app) {
    if (!app.host) return SaveResult::Failed;
    std::string path = app.doc.save_name;
    int chosen = select_document(app, SELECT_SAVE_AS, &path);
    if (chosen == CHOSEN_CANCELLED || path.empty()) return SaveResult::Nothing;
    if (refuse_output_over_input(path, "文書", document_extension_files(app.doc))) return SaveResult::Nothing;
    if ((chosen == CHOSEN_EXISTING || file_exists(path)) &&
        ask(app, MSG_YES_NO, "既に存在する文書です｡\n上書きしますか？") != MSG_RESULT_YES)
        return SaveResult::Nothing;
    if (app.save_flow.writing.any()) return write_out(app, path) ? SaveResult::Saved : SaveResult::Failed;
    if (!app.loaded) return SaveResult::Failed;
    // The rest is loaded while the old file is still held (it is its source).
    load_all_shown(app.loaded->document, app.doc, app.loaded->session);
    DocumentState before = app.doc;
    take_new_name(app.doc, path);
    if (SaveResult result = save_in_mode(app, SAVE_MODE_NEW_NAME); result != SaveResult::Saved) {
        // The document stays under its old name, marked again.
        app.doc.save_name = before.save_name;
        app.doc.in_use_mark_held = before.in_use_mark_held && set_in_use_mark(before.save_name, &app.doc.saved_mode);
        return result;
    }
    // The key goes with the document to its new name, when it is to be kept.
    if (app.doc.encrypt && app.save_flow.writing.save_key) save_document_key(app, app.doc.save_name, app.doc.key);
    save_notebook_too(app);
    show_document_title(app);
    rebuild(app);
    return SaveResult::Saved;
}

bool write_out(Application& app, const std::string& path) {
    if (!app.loaded) return false;
    if (refuse_output_over_input(path, "書出しファイル", document_inputs(app.doc))) return false;
    ExportOptions o = write_out_options(app.settings.rec, app.save_flow.writing);
    Notices notices;
    const bool written = write_out_document(app.loaded->document, app.doc, app.loaded->session, o, path, &notices);
    show_notices(notices);
    if (!written) return false;
    shell_notice(path + "\nに書出し終了しました｡", WRITTEN_NOTICE_MS);
    return true;
}

void install_save_hooks(Application& app) {
    app.hooks.save_question.set([](Application& a, bool explicit_save) { return save_question(a, explicit_save); });
    app.hooks.save_document.set([](Application& a) { return save_in_mode(a, SAVE_MODE_SWITCH_OR_END); });
    app.hooks.save_as.set([](Application& a) { return save_as(a); });
}

void convert_form(TextForm& form, const std::string& encoding) {
    if (encoding == "utf8" && form.encoding != TextEncoding::UTF8) {
        form.encoding = TextEncoding::UTF8;
        form.bom = false;
        form.end_mark = false;
    } else if (encoding == "sjis" && form.encoding != TextEncoding::SHIFT_JIS) {
        form.encoding = TextEncoding::SHIFT_JIS;
        form.bom = false;
        form.end_mark = true;
    }
}

int batch_save_as(Application& app, const std::string& document, const std::string& out) {
    if (!load_for_batch(app, document)) return 1;
    if (refuse_output_over_input(out, "文書", document_extension_files(app.doc))) {
        close_batch(app);
        return 1;
    }
    load_all_shown(app.loaded->document, app.doc, app.loaded->session);
    convert_form(app.loaded->document.load.form, app.line.encoding);
    take_new_name(app.doc, out);
    SaveResult result = save_in_mode(app, SAVE_MODE_NEW_NAME);
    close_batch(app);
    return result == SaveResult::Saved ? 0 : 1;
}

int batch_write_out(Application& app, const std::string& document, const std::string& out) {
    if (!load_for_batch(app, document)) return 1;
    if (refuse_output_over_input(out, "書出しファイル", document_inputs(app.doc))) {
        close_batch(app);
        return 1;
    }
    ExportOptions o = write_out_options(app.settings.rec, app.save_flow.writing);
    Notices notices;
    bool ok = write_out_document(app.loaded->document, app.doc, app.loaded->session, o, out, &notices);
    show_notices(notices);
    close_batch(app);
    return ok ? 0 : 1;
}

}  // namespace rix

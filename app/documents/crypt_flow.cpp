// Encrypted documents in the shell (see crypt_flow.h).
#include "app/documents/crypt_flow.h"

#include <unistd.h>

#include "app/shell/application.h"
#include "app/notebook/notebook_window.h"
#include "document/encryption.h"
#include "document/extension_file.h"
#include "document/save.h"
#include "files/file_ops.h"
#include "platform/codec.h"
#include "platform/files.h"
#include "platform/messages.h"

namespace rix {
namespace {

constexpr unsigned WRONG_KEY_NOTICE_MS = 3000;
constexpr unsigned DECIPHER_NOTICE_MS = 2000;
constexpr unsigned KEY_SAVED_NOTICE_MS = 2000;
constexpr unsigned KEY_FAILED_NOTICE_MS = 10000;
constexpr unsigned NO_KEY_NOTICE_MS = 2000;

std::string text(const char* utf8) { return utf8_to_sjis(utf8); }

}  // namespace

void KeyEdits::init(DialogContext& ctx, const std::string& key, bool show) {
    ctx.set_text(CRYPT_KEY, key);
    ctx.set_text(CRYPT_KEY_SHOWN, key);
    ctx.set_check(CRYPT_SHOW_KEY, show);
    ctx.show(CRYPT_KEY, !show);
    ctx.show(CRYPT_KEY_SHOWN, show);
}

void KeyEdits::toggle(DialogContext& ctx) {
    const bool show = ctx.get_check(CRYPT_SHOW_KEY);
    const std::string key = ctx.get_text(show ? CRYPT_KEY : CRYPT_KEY_SHOWN);
    init(ctx, key, show);
    ctx.focus(show ? CRYPT_KEY_SHOWN : CRYPT_KEY);
}

std::string KeyEdits::key(const DialogContext& ctx) const {
    return ctx.get_text(ctx.get_check(CRYPT_SHOW_KEY) ? CRYPT_KEY_SHOWN : CRYPT_KEY);
}

void DecryptDialog::init(DialogContext& ctx) {
    edits_.init(ctx, key_, show_key_ && *show_key_);
    if (from_file_) {
        ctx.set_text(CRYPT_STATUS, text("この文書は暗号化されています｡\r\n保存ﾌｫﾙﾀﾞからキーを取得しました｡"));
        ctx.focus(CRYPT_OK);
    } else {
        ctx.focus(ctx.get_check(CRYPT_SHOW_KEY) ? CRYPT_KEY_SHOWN : CRYPT_KEY);
    }
}

bool DecryptDialog::command(DialogContext& ctx, int id, int) {
    switch (id) {
    case CRYPT_SHOW_KEY:
        edits_.toggle(ctx);
        if (show_key_) *show_key_ = ctx.get_check(CRYPT_SHOW_KEY);
        return true;
    case CRYPT_HELP: show_help("TXTCRP"); return true;
    default: return false;
    }
}

bool DecryptDialog::ok(DialogContext& ctx) {
    const std::string key = edits_.key(ctx);
    if (key.empty()) {
        ctx.show_message(MSG_NOTICE, text("暗号キーを入力してください｡"), NO_KEY_NOTICE_MS);
        return false;
    }
    key_ = key;
    return true;
}

void ReEncryptDialog::init(DialogContext& ctx) {
    if (!encrypted_)
        ctx.set_text(CRYPT_RESAVE_STATUS, text("この文書はまだ暗号化されていません｡\r\n保存の方法を選択してください｡"));
    edits_.init(ctx, key_, show_key_ && *show_key_);
    ctx.set_check(CRYPT_SAVE_KEY, save_key_ && *save_key_);
    ctx.focus(CRYPT_OK);
}

bool ReEncryptDialog::command(DialogContext& ctx, int id, int) {
    switch (id) {
    case CRYPT_SHOW_KEY:
        edits_.toggle(ctx);
        if (show_key_) *show_key_ = ctx.get_check(CRYPT_SHOW_KEY);
        return true;
    case CRYPT_PLAIN_SAVE:   // the button alone: Escape and the close box save nothing
        choice_ = ResaveChoice::PLAIN;
        ctx.end_dialog(DIALOG_CANCEL);
        return true;
    case CRYPT_HELP: show_help("TXTCRP"); return true;
    default: return false;
    }
}

bool ReEncryptDialog::ok(DialogContext& ctx) {
    const std::string key = edits_.key(ctx);
    if (key.empty()) {
        ctx.show_message(MSG_NOTICE, text("暗号キーを入力してください｡"), NO_KEY_NOTICE_MS);
        return false;
    }
    const bool save = ctx.get_check(CRYPT_SAVE_KEY);
    if (save_key_) *save_key_ = save;
    const bool changed = key != original_;
    if (save || (changed && ctx.show_message(MSG_YES_NO, text("暗号キーが変更されました｡\r\nキーを保存しますか？")) ==
                                MSG_RESULT_YES)) {
        if (save_key_file_ && !save_key_file_(key)) return false;
    }
    key_ = key;
    choice_ = ResaveChoice::ENCRYPTED;
    return true;
}

std::string document_key_file(const SettingsRecord& rec, const std::string& program_folder,
                              const std::string& document_path) {
    std::string folder = sjis_to_utf8(read_field(rec.key_folder, sizeof rec.key_folder));
    if (folder.empty()) folder = program_folder;
    return key_file_path(folder, document_path);
}

std::string document_key_file(const Application& app, const std::string& document_path) {
    return document_key_file(app.settings.rec, app.paths.program_folder, document_path);
}

bool save_document_key(Application& app, const std::string& document_path, const std::string& key) {
    if (write_key_file(document_key_file(app, document_path), key)) {
        shell_notice("暗号キーを保存しました｡", KEY_SAVED_NOTICE_MS);
        return true;
    }
    shell_notice("暗号キーの保存に失敗しました。\n次に表示します、環境設定の\n「暗号キーの保存フォルダ」\nを確認してください。\n\n"
                 "または、「暗号キーを保存」\nの指定を外してください。",
                 KEY_FAILED_NOTICE_MS);
    if (app.hooks.common_settings) app.hooks.common_settings(app);
    return false;
}

namespace {

constexpr unsigned UNVERIFIED_NOTICE_MS = 6000;
constexpr unsigned NOT_OPENED_NOTICE_MS = 3000;

// Holds the deciphered copy in place of the file.
void hold_plain_copy(DocumentState& doc, int plain, const std::string& key, KeyForm form) {
    ::close(doc.text_fd);
    doc.text_fd = plain;
    doc.decrypted = true;
    doc.encrypt = true;
    doc.key = key;
    doc.key_form = form;
    doc.file_key = key;
    doc.file_key_form = form;
}

bool opened_is_encrypted(const DocumentState& doc) {
    if (doc.opened_path.empty() || doc.text_fd < 0) return false;
    ExtensionHeader header;
    return read_extension_header(doc.opened_path, &header) == ExtensionStatus::OK && header.encrypted;
}

// The document whose key file is looked for: the one the writer named (a
// text recovered from a recovery file is still that document's).
const std::string& keyed_document(const DocumentState& doc) {
    return doc.save_name.empty() ? doc.opened_path : doc.save_name;
}

void tell_unverified(const std::string& path) {
    shell_notice("この文書は短いため、暗号キーが正しいか確認出来ませんでした｡\n"
                 "復号化した文章が正しいか確かめてください｡\n" + path,
                 UNVERIFIED_NOTICE_MS);
}

// The key was not given: the file is given back (its mark too) and no
// document is held, so that nothing of the enciphered bytes is edited.
void open_nothing(DocumentState& doc) {
    const std::string path = keyed_document(doc);
    close_document(&doc, false);
    doc.opened_path.clear();
    doc.save_name.clear();
    doc.file_length = 0;
    doc.modified = 0;
    doc.recovered_from.clear();
    shell_notice("復号化しないため文書を開きません｡\n" + path, NOT_OPENED_NOTICE_MS);
}

// 復号化読込 of a document enciphered without its mark (a copy made
// elsewhere): the key is taken when it proves itself, or when the file is
// no text by itself; a plain text stays as it is.
void unlock_unmarked(Application& app) {
    DocumentState& doc = app.doc;
    if (!app.reading.decrypt || doc.text_fd < 0 || app.reading.key.empty()) return;
    KeyForm form = KeyForm::STRONG;
    KeyCheck check = KeyCheck::WRONG;
    const int plain = unlock_encrypted_file(doc.text_fd, app.reading.key, &form, &check);
    if (plain < 0) return;
    if (check == KeyCheck::UNVERIFIED && check_file_text(doc.text_fd) != KeyCheck::WRONG) {
        ::close(plain);
        return;
    }
    if (check == KeyCheck::UNVERIFIED) tell_unverified(keyed_document(doc));
    hold_plain_copy(doc, plain, app.reading.key, form);
    app.save_flow.writing.encrypt = true;
}

}  // namespace

bool unlock_before_load(Application& app) {
    DocumentState& doc = app.doc;
    doc.decrypted = false;
    doc.encrypt = app.save_flow.writing.encrypt = false;
    doc.key.clear();
    doc.file_key.clear();
    // --decrypt: the first document is a binary file taken as encrypted.
    const bool told = app.line.decrypt && doc.opened_path == absolute_path(app.line.document) && doc.text_fd >= 0;
    if (!told && !opened_is_encrypted(doc)) {
        unlock_unmarked(app);
        return true;
    }
    const std::string key_file = document_key_file(app, keyed_document(doc));
    if (app.batch) {
        if (unlock_with_key_file(doc, key_file)) return true;
        open_nothing(doc);
        return false;
    }
    std::string key;
    bool from_file = read_key_file(key_file, &key);
    if (!from_file && app.reading.decrypt) key = app.reading.key;
    for (;;) {
        DecryptDialog dialog(key, from_file, &app.save_flow.writing.show_key);
        if (run_dialog("DE_CRYPT", dialog, 0) != DIALOG_OK) {
            open_nothing(doc);
            return false;
        }
        key = dialog.key();
        from_file = false;
        shell_notice("　復号化実行中　", DECIPHER_NOTICE_MS);
        KeyForm form = KeyForm::STRONG;
        KeyCheck check = KeyCheck::WRONG;
        const int plain = unlock_encrypted_file(doc.text_fd, key, &form, &check);
        if (plain >= 0) {
            if (check == KeyCheck::UNVERIFIED) tell_unverified(keyed_document(doc));
            hold_plain_copy(doc, plain, key, form);
            app.save_flow.writing.encrypt = true;
            return true;
        }
        shell_notice("暗号キーが違います｡\n正しい暗号キーを入力してください｡", WRONG_KEY_NOTICE_MS);
    }
}

bool unlock_with_key_file(DocumentState& doc, const std::string& key_file) {
    if (!opened_is_encrypted(doc)) return true;
    std::string key;
    KeyForm form = KeyForm::STRONG;
    KeyCheck check = KeyCheck::WRONG;
    const int plain = read_key_file(key_file, &key) ? unlock_encrypted_file(doc.text_fd, key, &form, &check) : -1;
    if (plain < 0) {
        shell_notice("暗号化された文書です｡\n暗号キーのファイルで復号化出来ないため読込みません｡\n" + doc.opened_path,
                     WRONG_KEY_NOTICE_MS);
        return false;
    }
    if (check == KeyCheck::UNVERIFIED) tell_unverified(doc.opened_path);
    hold_plain_copy(doc, plain, key, form);
    return true;
}

bool confirm_encrypted_save(Application& app) {
    DocumentState& doc = app.doc;
    // 暗号化書出 of the writing options switches encryption on for any document.
    if (app.save_flow.writing.encrypt && !doc.encrypt && !doc.key.empty()) doc.encrypt = true;
    if (!doc.encrypt) return true;
    if (app.batch) return true;   // the key it was read with
    const std::string target = doc.save_name;
    const bool encrypted = app.loaded && app.loaded->extension.header.encrypted && doc.decrypted;
    ReEncryptDialog dialog(doc.key, &app.save_flow.writing.show_key, &app.save_flow.writing.save_key,
                           [&app, target](const std::string& key) { return save_document_key(app, target, key); },
                           encrypted);
    run_dialog("RE_CRYPT", dialog, 0);
    NotebookKey before{doc.key, doc.key_form};
    const bool was_encrypted = doc.encrypt && !doc.key.empty();
    switch (dialog.choice()) {
    case ResaveChoice::ENCRYPTED:
        doc.key = dialog.key();
        break;
    case ResaveChoice::PLAIN:
        doc.encrypt = app.save_flow.writing.encrypt = false;
        break;
    case ResaveChoice::CANCELLED: return false;
    }
    // The notebook follows the document's key, so that it still opens with it.
    NotebookKey after{doc.key, doc.key_form};
    const bool encrypted_now = doc.encrypt && !doc.key.empty();
    if (!rekey_notebook_file(&app.settings, doc.save_name, was_encrypted ? &before : nullptr,
                             encrypted_now ? &after : nullptr))
        show_message(MSG_NOTICE, 0, text("手帖ファイルを新しい暗号キーで書き直せませんでした｡"), 4000);
    return true;
}

}  // namespace rix

namespace rix {
namespace {

constexpr unsigned BACKUP_NOTICE_MS = 4000;
constexpr unsigned BACKUP_FAILED_NOTICE_MS = 12000;

// Whether the backup reads without the document's key: a text by itself,
// unless it is a short one the key deciphers too.
bool backup_is_plain(const std::string& path, const DocumentState& doc) {
    const int fd = open_regular_file(path);
    if (fd < 0) return false;
    KeyCheck raw = check_file_text(fd);
    if (raw == KeyCheck::UNVERIFIED && !doc.key.empty()) {
        KeyCheck deciphered = KeyCheck::WRONG;
        const int plain = unlock_encrypted_file(fd, doc.key, nullptr, &deciphered);
        if (plain >= 0) {
            ::close(plain);
            raw = KeyCheck::WRONG;
        }
    }
    ::close(fd);
    return raw != KeyCheck::WRONG;
}

}  // namespace

bool offer_plain_backup_removal(Application& app) {
    const DocumentState& doc = app.doc;
    if (!doc.encrypt || doc.save_name.empty()) return true;
    const std::string bak = backup_path_for(doc.save_name);
    if (bak.empty() || bak == doc.save_name || path_kind(bak) != PathKind::REGULAR || !backup_is_plain(bak, doc))
        return true;
    if (ask_question(app, MSG_YES_NO,
                     "この文書のバックアップファイルは暗号化されていません｡\n" + bak +
                         "\n\nファイルを上書して、完全削除しますか？\n〔いいえ〕ではそのまま残ります｡",
                     MSG_RESULT_NO) != MSG_RESULT_YES)
        return false;
    if (secure_delete(bak, doc.save_name) == DeleteResult::REMOVED) {
        shell_notice("バックアップファイルを完全削除しました｡", BACKUP_NOTICE_MS);
        return true;
    }
    shell_notice(bak + "\n\nこのファイルを削除出来ませんでした。\nこのファイルは読取専用ファイルの可能性があります。",
                 BACKUP_FAILED_NOTICE_MS);
    return false;
}

}  // namespace rix

// Encrypted documents in the shell (see crypt_flow.h).
#include "app/crypt_flow.h"

#include <unistd.h>

#include "app/application.h"
#include "document/encryption.h"
#include "document/extension_file.h"
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

std::string document_key_file(const Application& app, const std::string& document_path) {
    const SettingsRecord& r = app.settings.rec;
    std::string folder = sjis_to_utf8(read_field(r.key_folder, sizeof r.key_folder));
    if (folder.empty()) folder = app.paths.program_folder;
    return key_file_path(folder, document_path);
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

// Holds the deciphered copy in place of the file.
void hold_plain_copy(DocumentState& doc, int plain, const std::string& key, KeyForm form) {
    ::close(doc.text_fd);
    doc.text_fd = plain;
    doc.decrypted = true;
    doc.encrypt = true;
    doc.key = key;
    doc.key_form = form;
}

bool opened_is_encrypted(const DocumentState& doc) {
    if (doc.opened_path.empty() || doc.text_fd < 0) return false;
    ExtensionHeader header;
    return read_extension_header(doc.opened_path, &header) == ExtensionStatus::OK && header.encrypted;
}

}  // namespace

void unlock_before_load(Application& app) {
    DocumentState& doc = app.doc;
    doc.decrypted = false;
    doc.encrypt = app.save_flow.writing.encrypt = false;
    doc.key.clear();
    // --decrypt: the first document is a binary file taken as encrypted.
    const bool told = app.line.decrypt && doc.opened_path == absolute_path(app.line.document) && doc.text_fd >= 0;
    if (!told && !opened_is_encrypted(doc)) {
        // 復号化読込: a document enciphered without its mark (a copy made
        // elsewhere) opens with the key; any other stays as it is.
        KeyForm form = KeyForm::STRONG;
        const int plain = app.reading.decrypt && doc.text_fd >= 0 && !app.reading.key.empty()
                              ? unlock_encrypted_file(doc.text_fd, app.reading.key, &form)
                              : -1;
        if (plain >= 0) {
            hold_plain_copy(doc, plain, app.reading.key, form);
            app.save_flow.writing.encrypt = true;
        }
        return;
    }
    std::string key;
    bool from_file = read_key_file(document_key_file(app, doc.opened_path), &key);
    if (!from_file && app.reading.decrypt) key = app.reading.key;
    if (app.batch) {
        unlock_with_key_file(doc, document_key_file(app, doc.opened_path));
        return;
    }
    for (;;) {
        DecryptDialog dialog(key, from_file, &app.save_flow.writing.show_key);
        if (run_dialog("DE_CRYPT", dialog, 0) != DIALOG_OK) return;   // the bytes as they are
        key = dialog.key();
        from_file = false;
        shell_notice("　復号化実行中　", DECIPHER_NOTICE_MS);
        KeyForm form = KeyForm::STRONG;
        const int plain = unlock_encrypted_file(doc.text_fd, key, &form);
        if (plain >= 0) {
            hold_plain_copy(doc, plain, key, form);
            app.save_flow.writing.encrypt = true;
            return;
        }
        shell_notice("暗号キーが違います｡\n正しい暗号キーを入力してください｡", WRONG_KEY_NOTICE_MS);
    }
}

bool unlock_with_key_file(DocumentState& doc, const std::string& key_file) {
    if (!opened_is_encrypted(doc)) return true;
    std::string key;
    KeyForm form = KeyForm::STRONG;
    const int plain = read_key_file(key_file, &key) ? unlock_encrypted_file(doc.text_fd, key, &form) : -1;
    if (plain < 0) {
        shell_notice("暗号化された文書です｡\n暗号キーのファイルで復号化出来ないため読込みません｡\n" + doc.opened_path,
                     WRONG_KEY_NOTICE_MS);
        return false;
    }
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
    ReEncryptDialog dialog(doc.key, &app.save_flow.writing.show_key, &app.save_flow.writing.save_key,
                           [&app, target](const std::string& key) { return save_document_key(app, target, key); });
    run_dialog("RE_CRYPT", dialog, 0);
    switch (dialog.choice()) {
    case ResaveChoice::ENCRYPTED:
        doc.key = dialog.key();
        return true;
    case ResaveChoice::PLAIN:
        doc.encrypt = app.save_flow.writing.encrypt = false;
        return true;
    case ResaveChoice::CANCELLED: break;
    }
    return false;
}

}  // namespace rix

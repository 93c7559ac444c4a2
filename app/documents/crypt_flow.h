// Encrypted documents in the shell: the key asked for when one is opened
// (DE_CRYPT, "　復号化設定") and when it is saved (RE_CRYPT, "　再暗号化設定"),
// and the key files.
//
// A key is taken only when it deciphers the document (document/encryption.h):
// a wrong key is said so and asked again; a short text that cannot prove its
// key is opened with a notice saying so. 取消 opens nothing: the file is
// given back and no document is held over it (a text that was not
// deciphered could only be edited as garbage, and saved over the original).
// Of RE_CRYPT, 平文保存 saves plain text; Escape and the close box save
// nothing, so that no keystroke writes a private text unenciphered.
#pragma once

#include <functional>
#include <string>

#include "platform/dialogs.h"

namespace rix {

struct Application;
struct DocumentState;
struct SettingsRecord;

// Control ids of DE_CRYPT and RE_CRYPT.
constexpr int CRYPT_OK = 1;           // 復号化読込 / 暗号化保存
constexpr int CRYPT_PLAIN = 2;        // 取消 (DE_CRYPT); Escape and the close box
constexpr int CRYPT_PLAIN_SAVE = 7;   // 平文保存 (RE_CRYPT): an id of its own, so that Escape is no 平文保存
constexpr int CRYPT_SHOW_KEY = 3;     // 暗号キーを表示
constexpr int CRYPT_SAVE_KEY = 5;     // 暗号キーを保存 (RE_CRYPT)
constexpr int CRYPT_STATUS = 5;       // the text above the key (DE_CRYPT)
constexpr int CRYPT_RESAVE_STATUS = 4;   // the text above the key (RE_CRYPT)
constexpr int CRYPT_HELP = 6;
constexpr int CRYPT_KEY = 300;        // the key, shown as "*"
constexpr int CRYPT_KEY_SHOWN = 301;  // the same key in plain characters

// The key text of either dialog: the edit in view holds it; 暗号キーを表示
// moves it between the hidden and the plain edit.
class KeyEdits {
public:
    void init(DialogContext& ctx, const std::string& key, bool show);
    void toggle(DialogContext& ctx);
    std::string key(const DialogContext& ctx) const;
};

class DecryptDialog final : public DialogProcedure {
public:
    DecryptDialog(std::string key, bool from_key_file, bool* show_key)
        : key_(std::move(key)), from_file_(from_key_file), show_key_(show_key) {}
    void init(DialogContext& ctx) override;
    bool command(DialogContext& ctx, int id, int notification) override;
    bool ok(DialogContext& ctx) override;
    void cancel(DialogContext&) override {}
    const std::string& key() const { return key_; }

private:
    KeyEdits edits_;
    std::string key_;
    bool from_file_;
    bool* show_key_;
};

// What RE_CRYPT decided.
enum class ResaveChoice { ENCRYPTED, PLAIN, CANCELLED };

class ReEncryptDialog final : public DialogProcedure {
public:
    // `save_key_file` writes the key file; false keeps the dialog open.
    // `encrypted`: the document's file is enciphered already (else this save
    // is the first to encipher it, and the dialog says so).
    ReEncryptDialog(std::string key, bool* show_key, bool* save_key, std::function<bool(const std::string&)> save_key_file,
                    bool encrypted = true)
        : key_(std::move(key)), original_(key_), show_key_(show_key), save_key_(save_key),
          save_key_file_(std::move(save_key_file)), encrypted_(encrypted) {}
    void init(DialogContext& ctx) override;
    bool command(DialogContext& ctx, int id, int notification) override;
    bool ok(DialogContext& ctx) override;
    void cancel(DialogContext&) override {}
    ResaveChoice choice() const { return choice_; }
    const std::string& key() const { return key_; }

private:
    KeyEdits edits_;
    std::string key_;
    std::string original_;
    bool* show_key_;
    bool* save_key_;
    std::function<bool(const std::string&)> save_key_file_;
    bool encrypted_;
    ResaveChoice choice_ = ResaveChoice::CANCELLED;
};

// The key file of the document at `document_path`: in the key folder of the
// settings, or the data folder when none is set. The one lookup of every
// form, windowed or batch.
std::string document_key_file(const SettingsRecord& rec, const std::string& program_folder,
                              const std::string& document_path);
std::string document_key_file(const Application& app, const std::string& document_path);
// Writes the key file with its notices; false after the failure notice.
bool save_document_key(Application& app, const std::string& document_path, const std::string& key);

// Before a load: when the opened document is encrypted, asks for its key and
// holds the deciphered copy instead of the file (DocumentState::decrypted).
// Clears the encryption state of the previous document first. False when
// the key was not given (取消, or no key file in a batch form): the file is
// then given back and nothing is held (opened_path and save_name empty).
bool unlock_before_load(Application& app);
// The same without a window (batch forms): the key file alone. False (with
// the notice) when the document is encrypted and no key file deciphers it.
bool unlock_with_key_file(DocumentState& doc, const std::string& key_file);

// After encryption was switched on for the document: a plain backup beside
// it (N.bak, not enciphered with the document's key) is offered for secure
// deletion. True when there is none left to worry about.
bool offer_plain_backup_removal(Application& app);

// Before a save of a document that is encrypted, or is to be: RE_CRYPT.
// False when the save must not happen (the writer escaped the dialog).
bool confirm_encrypted_save(Application& app);

}  // namespace rix

// The writing options dialog (template WRITE_OUT, "書出設定"): which
// attributes the write-out puts into the text as notations, and the
// notation settings of the record they use (line-identification symbol,
// ruby delimiters; shared with reading).
//
// Owns nothing. The writing switches belong to the running program
// (WritingOptions, not stored); the notation settings go into the record.
// 設定 stores both and marks the settings changed; 閉じる stores nothing.
// 暗号化書出 with its key switches encryption on for the saves of the
// document (DocumentState::encrypt and key); 暗号キーを保存 keeps the key
// in a key file at the next save under a new name.
#pragma once

#include "app/documents/crypt_flow.h"
#include "app/documents/save_flow.h"
#include "app/settings/settings_record.h"
#include "platform/dialogs.h"

namespace rix {

// Control ids of WRITE_OUT.
constexpr int WRITE_OUT_HELP = 6;
constexpr int WRITE_OUT_INDEX = 100;           // 索引書出
constexpr int WRITE_OUT_LINE_INFO = 110;       // 行情報書出
constexpr int WRITE_OUT_RUBIES = 120;          // ルビ書出
constexpr int WRITE_OUT_SYMBOL = 130;          // 行識別記号, exactly 2 bytes
constexpr int WRITE_OUT_NOTATION_FIRST = 141;  // radios 141..144: （）, 〈〉, 《》, custom
constexpr int WRITE_OUT_CUSTOM = 150;          // the custom delimiter pair
constexpr int WRITE_OUT_ENCRYPT = 4;           // 暗号化書出
constexpr int WRITE_OUT_SAVE_KEY = 5;          // 暗号キーを保存
constexpr int WRITE_OUT_SHOW_KEY = 3;          // 暗号キーを表示
constexpr int WRITE_OUT_KEY = 300;             // 暗号キー (301: the same, shown)

class WriteOutDialog final : public DialogProcedure {
public:
    // `key`: the document's key text, taken when 暗号化書出 is set; may be null
    // (the encryption controls are then disabled).
    WriteOutDialog(SettingsState* settings, WritingOptions* writing, std::string* key = nullptr)
        : settings_(settings), writing_(writing), key_(key) {}

    void init(DialogContext& ctx) override;
    bool command(DialogContext& ctx, int id, int notification) override;
    bool ok(DialogContext& ctx) override;
    void cancel(DialogContext&) override {}

private:
    void enable_controls(DialogContext& ctx);

    SettingsState* settings_;
    WritingOptions* writing_;
    std::string* key_;
    KeyEdits key_edits_;
};

// Runs the dialog over `owner`; returns DIALOG_OK, DIALOG_CANCEL or DIALOG_FAILED.
int run_write_out_dialog(SettingsState* settings, WritingOptions* writing, WindowRef owner,
                         std::string* key = nullptr);

}  // namespace rix

// The reading options dialog (template READ_IN, "読込設定"): which in-text
// notations become attributes when a document is read, and the notation
// settings of the record they use (line-identification symbol, ruby
// delimiters and allotment).
//
// Owns nothing. The three reading switches belong to the running program
// (ReadingOptions, not stored); the notation settings go into the record.
// 設定 stores both and marks the settings changed; 閉じる stores nothing.
// 復号化読込 with its key (edit 300; 301 the same key shown) deciphers the
// next document opened with that key when it yields text, and fills the key
// asked for by an encrypted one.
#pragma once

#include "app/documents/crypt_flow.h"
#include "app/documents/document_load.h"
#include "editing/command_ids.h"
#include "app/settings/settings_record.h"
#include "platform/dialogs.h"

namespace rix {

// Control ids of READ_IN.
constexpr int READ_IN_HELP = 6;
constexpr int READ_IN_INDEX = 100;   // 索引読込
constexpr int READ_IN_LINE_INFO = 110;   // 行情報読込
constexpr int READ_IN_RUBIES = 120;   // ルビ読込
constexpr int READ_IN_SYMBOL = 130;   // 行識別記号, exactly 2 bytes
constexpr int READ_IN_NOTATION_FIRST = 141;   // radios 141..144: （）, 〈〉, 《》, custom
constexpr int READ_IN_CUSTOM = 150;   // the custom delimiter pair
constexpr int READ_IN_ALLOT_FIRST = 160;   // radios 160..162: 均等, 先頭揃え, 中央揃え
constexpr int READ_IN_DECRYPT = 4;   // 復号化読込
constexpr int READ_IN_KEY = 300;   // 暗号キー
constexpr int READ_IN_SHOW_KEY = 3;   // 暗号キーを表示
constexpr unsigned READ_IN_SYMBOL_NOTICE_MS = 4000;
constexpr unsigned READ_IN_DELIMITER_NOTICE_MS = 4000;

class ReadInDialog final : public DialogProcedure {
public:
    ReadInDialog(SettingsState* settings, ReadingOptions* reading) : settings_(settings), reading_(reading) {}

    void init(DialogContext& ctx) override;
    bool command(DialogContext& ctx, int id, int notification) override;
    bool ok(DialogContext& ctx) override;
    void cancel(DialogContext&) override {}

private:
    void enable_controls(DialogContext& ctx);

    SettingsState* settings_;
    ReadingOptions* reading_;
    KeyEdits key_edits_;
};

// Runs the dialog over `owner`; returns DIALOG_OK, DIALOG_CANCEL or DIALOG_FAILED.
int run_read_in_dialog(SettingsState* settings, ReadingOptions* reading, WindowRef owner);

}  // namespace rix

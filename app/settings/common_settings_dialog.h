// The common settings (command 600): the modal dialog ENV_COMMON
// ("　全書式共通項目設定") over the settings that do not depend on the screen
// format: the start-up action, window behaviour, the right button, the digit
// keys, list spacing, cursor acceleration, auto-save, the synonym list's
// defaults, the wheel, three folders and names, and the association of a
// file extension with the program.
//
// What the controls hold is read into a CommonSettingsForm, and one pure
// function stores a form into the record with every correction in one
// place: a number outside its range (negative, unparsable or too large)
// takes its field's fallback, the wheel is clamped to 0..255, texts are
// stored in code page 932 bytes and cut only between characters.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "app/settings/settings_record.h"
#include "platform/association.h"
#include "platform/dialogs.h"

namespace rix {

// Control ids of ENV_COMMON.
constexpr int COMMON_MANUAL_AUTOSAVE = 4;        // 手動実行
constexpr int COMMON_HELP = 6;
constexpr int COMMON_STARTUP_FIRST = 2000;       // radios 2000..2003 起動時の動作
constexpr int COMMON_HISTORY = 3200;             // 履歴情報格納
constexpr int COMMON_IME = 3000;                 // ｶﾅ漢字変換制御
constexpr int COMMON_FULLWIDTH_NAMES = 3100;     // ﾌｧｲﾙ名全角使用
constexpr int COMMON_RESTORE = 3400;             // 編集位置を再現
constexpr int COMMON_RIGHT_FIRST = 3500;         // radios 3500..3502 右ﾎﾞﾀﾝｸﾘｯｸ機能
constexpr int COMMON_DIGITS_FIRST = 3600;        // radios 3600 文字列, 3601 マーク
constexpr int COMMON_DOCUMENT_FOLDER = 3700;     // 文書の保存既定フォルダ (128 bytes)
constexpr int COMMON_DOCUMENT_BROWSE = 3701;
constexpr int COMMON_KEY_FOLDER = 3750;          // 暗号キーの保存フォルダ (64 bytes)
constexpr int COMMON_KEY_BROWSE = 3751;
constexpr int COMMON_NEW_NAME = 3800;            // 新規文書名 (32 bytes)
constexpr int COMMON_MAXIMIZED = 3900;           // 最大画面
constexpr int COMMON_HIDE_TASKBAR = 3950;
constexpr int COMMON_HIDE_MENUBAR = 3960;
constexpr int COMMON_ACCEL_CHARS_FIRST = 4000;   // radios 4000..4004 文字間
constexpr int COMMON_ACCEL_COLUMNS_FIRST = 4100; // radios 4100..4104 列 間
constexpr int COMMON_WHEEL = 4200;               // ﾎｲｰﾙﾏｳｽ ｽｸﾛｰﾙ列数
constexpr int COMMON_BY_CHARS = 4300;            // 編集文字数
constexpr int COMMON_BY_MINUTES = 4301;          // 経過時間(分)
constexpr int COMMON_BOTH = 4302;                // 両条件合致時
constexpr int COMMON_GENERATIONS = 4400;         // 保存履歴数
constexpr int COMMON_CHARS = 4500;
constexpr int COMMON_MINUTES = 4600;
constexpr int COMMON_SYNONYM_LIST = 4700;        // radios 4700 ﾋｯﾄ語句一覧, 4701 ﾋｯﾄ語句順次
constexpr int COMMON_SYNONYM_PARTIAL = 4800;     // radios 4800 常に部分一致, 4801 前回実行条件
constexpr int COMMON_SHORTCUT = 4900;            // ｼｮｰﾄｶｯﾄ 作成
constexpr int COMMON_NO_BACKUP = 5000;
constexpr int COMMON_NO_BEEP = 5100;
constexpr int COMMON_DOWNLOAD = 5200;            // ﾀﾞｳﾝﾛｰﾄﾞ機能
constexpr int COMMON_SPACING_SMALL = 5300;       // radios 5300 小, 5301 中, 5302 大
constexpr int COMMON_EXTENSION = 5400;
constexpr int COMMON_ASSOCIATE = 5500;           // 確認 / 登録 / 削除

// What the dialog's controls hold. Numbers are the edits' texts.
struct CommonSettingsForm {
    int startup_action = 0;                  // 0..3
    bool start_maximized = false;
    bool hide_taskbar = false, hide_menubar = false;
    bool restore_position = false;           // 編集位置を再現
    int right_button_action = 0;             // 0..2
    bool marks_on_digit_keys = false;
    int list_line_spacing = 0;               // 0 大, 1 中, 2 小
    bool store_history = false, ime_control = false, fullwidth_file_names = false;
    bool no_backup = false, no_beep = false;
    std::string wheel_columns;
    int accel_columns = 0, accel_chars = 0;  // 0..4
    bool by_chars = false, by_minutes = false, both_required = false;
    std::string autosave_chars, autosave_minutes, autosave_generations;
    int synonym_display = 0;                 // 0 list of hits, 1 hits in turn
    bool synonym_partial = true;             // 常に部分一致
    std::string document_folder, key_folder, new_document_name;   // code page 932
};

// The form of a record's values (the dialog's opening state).
CommonSettingsForm common_settings_form(const SettingsRecord& r);
// Stores a form into the record, correcting as described above.
void store_common_settings(const CommonSettingsForm& form, SettingsRecord* r);
// Reads "%ld" text within lo..hi; `fallback` for anything else.
long ranged_number(const std::string& text, long lo, long hi, long fallback);

struct CommonSettingsServices {
    SettingsState* settings = nullptr;
    std::string document_folder;             // where 参照 starts when its edit is empty (UTF-8)
    // 手動実行: an auto-save now; null: the button stays greyed.
    std::function<void()> manual_autosave;
    // The folder chooser: starts at *folder (UTF-8); false when cancelled. Null: 参照 greyed.
    std::function<bool(std::string* folder)> choose_folder;
    AssociationStore* associations = nullptr;   // null: the association row is greyed
    // ﾀﾞｳﾝﾛｰﾄﾞ機能 (DWL_DB) and ｼｮｰﾄｶｯﾄ 作成 (SC_MKDB); null: greyed.
    std::function<void()> download_settings, make_shortcut;
    WindowRef owner = 0;
};

// Runs ENV_COMMON; DIALOG_OK when stored (the settings are then marked changed).
int run_common_settings_dialog(const CommonSettingsServices& services);

}  // namespace rix

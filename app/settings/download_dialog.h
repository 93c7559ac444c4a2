// ダウンロード設定 (command 703, and ﾀﾞｳﾝﾛｰﾄﾞ機能 of the common settings): the
// modal dialog DWL_DB over `download_flags` and the ruby settings that a
// downloaded document is read with.
//
// download_flags: bit 0 the desktop's "open with" entry is registered, bit 1
// rubies converted on loading, bit 2 a single-file archive extracted without
// its list, bits 3-4 what becomes of the downloaded document (0 deleted,
// 1 kept in the temporary folder, 2 moved to the document folder, 3 saved
// under a new name), bit 5 the first line becomes the title.
//
// On this system the browser entry is a desktop entry in the user's
// applications folder whose Exec ends in %u, so that a browser's or file
// manager's "open with" hands the program the address or the file. Check 10
// writes or removes it at once after a question; bit 0 follows only a done
// change. The other fields are stored by 設 定.
#pragma once

#include <cstdint>
#include <functional>

#include "app/settings/settings_record.h"
#include "platform/dialogs.h"

namespace rix {

constexpr int DWL_SET = 1;                  // 設 定
constexpr int DWL_CLOSE = 2;                // 閉じる
constexpr int DWL_HELP = 6;
constexpr int DWL_ENTRY = 10;               // ブラウザ右クリックメニュー有効
constexpr int DWL_DISPOSAL_FIRST = 20;      // radios 20..23
constexpr int DWL_SINGLE = 30;              // 解凍文書が一つの時は選択非表示
constexpr int DWL_TITLE = 40;               // 先頭行を文書表題に格納
constexpr int DWL_RUBY = 50;                // ルビ変換 有効
constexpr int DWL_RUBY_GROUP = 60;
constexpr int DWL_NOTATION_FIRST = 61;      // radios 61..64: （）, 〈〉, 《》, custom
constexpr int DWL_CUSTOM = 65;              // the custom pair (4 bytes)
constexpr int DWL_ALLOT_FIRST = 70;         // radios 70..72: 均等, 先頭揃え, 中央揃え

struct DownloadServices {
    SettingsState* settings = nullptr;
    // Writes (true) or removes (false) the desktop entry; false when that failed.
    std::function<bool(bool on)> set_entry;
    WindowRef owner = 0;
};

// The download fields of a record packed from the dialog's choices, and back.
struct DownloadForm {
    bool ruby = false, single = false, title = false;
    int disposal = 0;                        // 0..3
    int notation = 3;                        // 1..4 (0 is shown as 3)
    std::string custom;                      // code page 932, at most 4 bytes
    int allotment = 0;                       // 0..2
};
DownloadForm download_form(const SettingsRecord& r);
// Stores every field but bit 0; with ruby conversion off the ruby fields stay.
void store_download_form(const DownloadForm& f, SettingsRecord* r);

int run_download_dialog(const DownloadServices& services);

}  // namespace rix

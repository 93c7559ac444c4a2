// FILE_SEL: the program's own file selection dialog, built for manuscripts.
// A path box, the sortable list of one folder with the document titles read
// from the extension files, and the buttons that rename, securely delete,
// mark read-only and preview files. Five modes (select_file.h) set the
// caption and the buttons shown.
//
// The procedure runs on the dialog host (platform/dialogs.h) and talks to the
// writer over the dialog; what it needs of the rest of the program comes in
// FileSelectServices, so that tests run it on the fake host with plain
// values. The listing, the path rules and the file operations are files/'s
// (file_list.h, file_ops.h); it never writes a file itself but through
// them, after asking.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "files/file_list.h"
#include "platform/dialogs.h"

namespace rix {

// Control ids of FILE_SEL.
constexpr int FILE_SEL_EXECUTE = 1;          // 実 行
constexpr int FILE_SEL_CLOSE = 2;            // 閉じる
constexpr int FILE_SEL_NEW = 3;              // 新規文書 (mode 0)
constexpr int FILE_SEL_HELP = 4;             // ﾍﾙﾌﾟ
constexpr int FILE_SEL_PATH = 10;            // the path box
constexpr int FILE_SEL_LIST = 11;            // the list of the folder
constexpr int FILE_SEL_COUNTER = 12;         // "%3u/%-u" or "%6d"
constexpr int FILE_SEL_OPTIONS = 21;         // 読込設定 (mode 0) / 書出設定 (mode 1)
constexpr int FILE_SEL_PICKED_LABEL = 22;    // 選択数 (mode 3)
constexpr int FILE_SEL_PICKED = 23;
constexpr int FILE_SEL_HISTORY = 30;         // 編集履歴
constexpr int FILE_SEL_RENAME = 31;          // 名 変
constexpr int FILE_SEL_DELETE = 32;          // 削 除
constexpr int FILE_SEL_READ_ONLY = 33;       // 属 変
constexpr int FILE_SEL_PREVIEW = 34;         // ﾌﾟﾚﾋﾞｭｰ
constexpr int FILE_SEL_CHOOSE_FOLDER = 35;   // ﾌｫﾙﾀﾞ選択
constexpr int FILE_SEL_DEFAULT_FOLDER = 36;  // 既定ﾌｫﾙﾀﾞへ
constexpr int FILE_SEL_SEARCH = 37;          // ﾌｧｲﾙ検索
constexpr int FILE_SEL_FOLDERS_FIRST = 38;   // ﾌｫﾙﾀﾞ優先

struct FileSelectServices {
    std::uint8_t* file_list_order = nullptr;   // the settings' sort key and direction (null: a local one)
    std::uint8_t* folders_first = nullptr;     // the settings' ﾌｫﾙﾀﾞ優先 (null: a local one)
    std::uint8_t* column_directions = nullptr; // SORT_COLUMNS: each column's direction, kept by the caller (null: local ones)
    std::function<void()> settings_changed;
    std::string document_folder;               // UTF-8; "" = not set
    std::string open_document;                 // UTF-8; the document this editor has open
    bool decrypt_on_read = false;              // the reading options decrypt: no NUL check
    std::function<bool()> reading_conversions_on;  // 読込設定 has something switched on
    std::function<bool()> writing_conversions_on;  // 書出設定 likewise
    std::function<void()> read_options;        // 読込設定; null = hidden
    std::function<void()> write_options;       // 書出設定; null = hidden
    std::function<std::string()> new_document_name;   // the next numbered name (UTF-8); null = 新規文書 disabled
    std::function<bool(std::string* path)> edit_history;   // a document chosen there; null = disabled
    std::function<void()> common_settings;     // the common settings dialog
    std::function<bool(std::string* folder)> choose_folder;   // null = disabled
    std::function<void(const std::string& path)> preview;    // null = disabled
    bool file_search = false;                  // ﾌｧｲﾙ検索 is offered
};

struct FileSelectOutcome {
    int result = 2;                            // CHOSEN_EXISTING, CHOSEN_NEW_NAME or CHOSEN_CANCELLED
    std::string path;                          // UTF-8
    std::vector<std::string> chosen;           // mode 3: every chosen document (UTF-8)
    bool search_requested = false;             // ended by ﾌｧｲﾙ検索
};

// Runs FILE_SEL in `mode` with the preset `path` (UTF-8).
FileSelectOutcome run_file_select_dialog(int mode, const std::string& path, FileSelectServices& services,
                                         WindowRef owner);

}  // namespace rix

// The property sheet " 文書情報 ／ 編集履歴" (command 400) with its two pages:
// TEXT_INF (the edited document: its files, sizes, times, modified state,
// and its two titles, which the writer may change) and LOG_INF (the edit
// history, newest first, from which a document may be chosen to be opened).
//
// As in the jump sheet, each page is its own template carrying the sheet's
// tab row: choosing the other tab closes the page and opens the other one.
// The titles typed on TEXT_INF are kept while the sheet is open and stored
// when it closes. The page shown last is remembered for the run.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "app/settings/settings_record.h"
#include "platform/dialogs.h"

namespace rix {

constexpr int INFO_TABS = 50;
constexpr int INFO_HELP = 6;
constexpr int INFO_PAGE_DOCUMENT = 0, INFO_PAGE_HISTORY = 1;
constexpr int INFO_PAGE_COUNT = 2;
// TEXT_INF.
constexpr int INFO_OPENED_PATH = 10;     // 元のﾌｧｲﾙ名
constexpr int INFO_OPENED_SIZE = 11;     // 元のﾌｧｲﾙｻｲｽﾞ
constexpr int INFO_OPENED_TIME = 12;     // 元の編集日時
constexpr int INFO_SAVE_NAME = 13;       // 保存ﾌｧｲﾙ名
constexpr int INFO_SAVED_SIZE = 14;      // 最新ﾌｧｲﾙｻｲｽﾞ
constexpr int INFO_SAVED_TIME = 15;      // 最新保存日時
constexpr int INFO_MODIFIED = 16;        // 編集変更有無
constexpr int INFO_TITLE = 20;           // 文書表題 (24 bytes)
constexpr int INFO_PRINT_TITLE = 30;     // 印刷表題 (40 bytes)
// LOG_INF.
constexpr int LOG_LIST = 10;
constexpr int LOG_COUNTER = 11;
constexpr int LOG_OPEN = 1;              // 文書を開く
constexpr int LOG_PREVIEW = 4;           // ﾌﾟﾚﾋﾞｭｰ (greyed without a viewer)

// A file's size and modification time as the sheet shows them.
struct FileFacts {
    bool known = false;
    std::int64_t size = 0;       // bytes
    std::int64_t time = 0;       // seconds since the epoch
};

struct DocumentInfoServices {
    SettingsState* settings = nullptr;
    std::string log_path;                 // the history file (native path)
    std::string opened_path;              // native paths; "" = none
    std::string save_name;
    FileFacts opened;                     // the text file as it was opened
    FileFacts saved;                      // after the last save of this run; !known = none
    std::uint8_t modified = 0;            // the document's MODIFIED_* bits
    std::string title, print_title;       // in and out (code page 932, 24 and 40 bytes)
    bool titles_changed = false;          // out: the writer changed a title
    std::string open_request;             // out: the document chosen on LOG_INF (native path)
    std::function<void(const std::string& path)> preview;   // the file viewer; null = ﾌﾟﾚﾋﾞｭｰ greyed
    int* last_page = nullptr;             // the page shown last in this run; may be null
    bool* open = nullptr;                 // a sheet is showing; may be null
    WindowRef owner = 0;
};

// "1,234,567 byte".
std::string byte_count_text(std::int64_t bytes);
// "2026-03-07 09:05" in local time.
std::string local_time_text(std::int64_t seconds);

// Runs the sheet (modal) on `page`, or on the page shown last when page is
// -1. DIALOG_OK when a document was chosen (services->open_request), else
// DIALOG_CANCEL (also at once while a sheet is open) or DIALOG_FAILED.
int run_document_info_sheet(DocumentInfoServices* services, int page = -1);

}  // namespace rix

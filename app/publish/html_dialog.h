// The HTML dialogs: ＨＴＭＬ(ﾎｰﾑﾍﾟｰｼﾞ)作成 (template HTML_MAKE, command 500),
// the document list of a page of several documents (HTML_SEL) and the two
// colours of the viewer page (HTML_COL).
//
// HTML_MAKE stores its options into the settings record and its names and
// switches into the HtmlSession when 作 成 or ﾙﾋﾞ書出 is pressed, then makes
// the pages through the writers it is given (app/publish/html_run.h for the
// application); it stays open until 閉じる. Everything the dialogs need from
// outside comes through HtmlMakeServices, so that tests run them on the fake
// host with writers of their own.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/publish/html_session.h"
#include "app/settings/settings_record.h"
#include "platform/dialogs.h"

namespace rix {

// Control ids of HTML_MAKE.
constexpr int HTML_MAKE_CREATE = 1;              // 作 成
constexpr int HTML_MAKE_CLOSE = 2;               // 閉じる
constexpr int HTML_MAKE_HELP = 6;                // ﾍﾙﾌﾟ
constexpr int HTML_MAKE_FORM_VERTICAL = 10;      // html_format 0: the page styled vertically
constexpr int HTML_MAKE_FORM_VIEWER = 11;        // html_format 1: the viewer page
constexpr int HTML_MAKE_DESCRIPTION = 20;        // what the chosen form makes
constexpr int HTML_MAKE_MINCHO = 40;             // html_font 0
constexpr int HTML_MAKE_GOTHIC = 41;             // html_font 1
constexpr int HTML_MAKE_BOLD = 50;
constexpr int HTML_MAKE_NEXT_GUIDE = 60;
constexpr int HTML_MAKE_PREV_GUIDE = 61;
constexpr int HTML_MAKE_BACK_BUTTON = 70;
constexpr int HTML_MAKE_RUBY_FIRST = 90;         // radios 90..94: html_ruby_separators 0..4
constexpr int HTML_MAKE_RUBY_CUSTOM = 100;       // the custom pair
constexpr int HTML_MAKE_TITLE_FIRST = 110;       // radios 110..112: html_title_mode 0..2
constexpr int HTML_MAKE_DOCUMENT_TITLE = 120;
constexpr int HTML_MAKE_PRINT_TITLE = 121;
constexpr int HTML_MAKE_FILE = 130;              // the page's file name
constexpr int HTML_MAKE_HELP_LINE_FIRST = 200;   // checks 200..202: html_help_lines bits 0..2
constexpr int HTML_MAKE_HELP_SIZE_FIRST = 210;   // radios 210..212: html_help_size 0..2
constexpr int HTML_MAKE_SEVERAL = 300;           // 指定
constexpr int HTML_MAKE_SELECT = 301;            // 選 択 → HTML_SEL
constexpr int HTML_MAKE_LIST_FILE = 302;
constexpr int HTML_MAKE_PAGE_EACH = 303;         // 各HTML作成
constexpr int HTML_MAKE_FIRST_DOCUMENT = 310;    // 文書 (with the number 312)
constexpr int HTML_MAKE_FIRST_LIST = 311;        // 選択リスト
constexpr int HTML_MAKE_FIRST_NUMBER = 312;
constexpr int HTML_MAKE_COUNT = 320;             // how many documents are listed
constexpr int HTML_MAKE_SIZE_FIXED = 600;        // html_size_mode bit 0 off
constexpr int HTML_MAKE_SIZE_PERCENT = 601;      // bit 0 on
constexpr int HTML_MAKE_HEIGHT_PERCENT = 611;
constexpr int HTML_MAKE_WIDTH_PERCENT = 612;
constexpr int HTML_MAKE_RUBY_EXPORT = 700;       // ﾙﾋﾞ書出
constexpr int HTML_MAKE_PUBLISH = 701;           // 公 開
constexpr int HTML_MAKE_COLOURS = 702;           // 色設定 → HTML_COL

// Control ids of HTML_SEL.
constexpr int HTML_SEL_LIST = 10;
constexpr int HTML_SEL_STATUS = 11;
constexpr int HTML_SEL_ADD = 20;                 // 追 加
constexpr int HTML_SEL_READ_LIST = 21;           // ﾘｽﾄ読込
constexpr int HTML_SEL_DELETE = 22;
constexpr int HTML_SEL_DELETE_ALL = 23;
constexpr int HTML_SEL_UP = 24;
constexpr int HTML_SEL_DOWN = 25;
constexpr int HTML_SEL_PREVIEW = 26;
constexpr int HTML_SEL_CHANGE = 30;              // 変 更
constexpr int HTML_SEL_TITLE_FIRST = 110;        // radios 110..112: the row's title mode
constexpr int HTML_SEL_DOCUMENT_TITLE = 120;
constexpr int HTML_SEL_PRINT_TITLE = 121;

// Control ids of HTML_COL: radios of palette index i.
constexpr int HTML_COL_HELP_FIRST = 400;         // 400..415: html_help_colour
constexpr int HTML_COL_GUIDE_FIRST = 500;        // 500..515: html_guide_colour
constexpr int HTML_COL_SWATCH_FIRST = 300;       // 300..315

constexpr std::size_t HTML_NAME_LIMIT = 200;     // bytes of a page or list file name (code page 932)

struct HtmlSelectServices {
    // Documents to add (UTF-8 absolute paths); false = cancelled; null = 追 加 disabled.
    std::function<bool(std::vector<std::string>* paths)> choose_documents;
    // A list file to read (UTF-8 absolute path); false = cancelled; null = ﾘｽﾄ読込 disabled.
    std::function<bool(std::string* path)> choose_list_file;
    // Shows a file read-only; null = ﾌﾟﾚﾋﾞｭｰ disabled.
    std::function<void(const std::string& path)> preview_file;
};

struct HtmlMakeServices {
    std::string document_path;                  // UTF-8, the open document
    std::string document_title, print_title;    // in and out (code page 932, 24 and 40 bytes)
    bool titles_changed = false;                // out: 作 成 stored the titles
    std::function<bool()> modified;             // the document has unsaved changes
    std::vector<std::string> folder_names;      // the names in the document's folder (UTF-8)

    // The writers (app/publish/html_run.h); each returns the UTF-8 path it wrote, "" when it failed
    // (and has said so). Titles are code page 932.
    std::function<std::string(const std::string& html_name, const std::string& title)> write_vertical;
    std::function<std::string(int mode, const std::string& html_name, const std::string& text_name,
                              const std::string& title)> write_viewer;
    std::function<bool(const std::vector<HtmlDocEntry>& documents, const std::string& list_name)> write_list;
    // The "_ruby" file; gives the path the viewer page should show instead of the document, or "".
    std::function<std::string()> ruby_export;   // null = ﾙﾋﾞ書出 disabled
    std::function<void(int made)> publish;      // null = 公 開 disabled
    HtmlSelectServices select;
};

// Shows HTML_MAKE until 閉じる.
void open_html_dialog(SettingsState* settings, HtmlSession* session, HtmlMakeServices* services, WindowRef owner);
// Shows HTML_SEL over `owner` on the session's document list.
void open_html_select(HtmlSession* session, const HtmlSelectServices& services, WindowRef owner);
// Shows HTML_COL; true when 設 定 stored the colours into the record.
bool open_html_colours(SettingsState* settings, WindowRef owner);

// The page's name for document `number` of a series: "name" + "%03u" + the
// extension of `html_name` ("page.htm", 2 → "page002.htm").
std::string numbered_page_name(const std::string& html_name, int number);

// One row of HTML_SEL: folder, file name, and the title the entry's mode names.
std::vector<std::string> html_select_row(const HtmlDocEntry& entry);

}  // namespace rix

// The print settings dialog (template PRINT_SET, "印 刷 書式設定・実行"):
// the three print formats with their names, the range, the sixteen numbers
// with their ranges and messages, the page-number and title controls and
// their enable rules, the fonts, and the actions print / PDF / EPUB with
// the checks that run before each.
//
// Owns nothing. Values reach the record only through store_print_settings,
// which checks all sixteen numbers first: a refused store leaves the record
// as it was, byte for byte. 閉じる discards what was not stored.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "app/settings/settings_record.h"
#include "platform/dialogs.h"
#include "platform/fonts.h"

namespace rix {

// Control ids of PRINT_SET.
constexpr int PRINT_SET_PRINT = 1;            // 印 刷 実 行
constexpr int PRINT_SET_PDF = 3120;
constexpr int PRINT_SET_EPUB = 3125;
constexpr int PRINT_SET_PREVIEW = 3080;
constexpr int PRINT_SET_STORE = 3090;         // 設定変更
constexpr int PRINT_SET_COUNTS = 3070;        // 頁数等
constexpr int PRINT_SET_COLOURS = 4;          // 印刷色
constexpr int PRINT_SET_PRINTER = 5;          // ﾌﾟﾘﾝﾀ設定
constexpr int PRINT_SET_HELP = 6;
constexpr int PRINT_SET_TEXT_FONT = 1210;     // 選択
constexpr int PRINT_SET_HEADER_FONT = 3140;   // ﾌｫﾝﾄ
constexpr int PRINT_SET_SCREEN_VALUES = 3150; // 画面の値を使用
constexpr int PRINT_SET_FORMAT_FIRST = 3010;  // radios 3010..3012
constexpr int PRINT_SET_NAME_FIRST = 900;     // edits 900..902
constexpr int PRINT_SET_RANGE_FIRST = 3020;   // radios 3020..3022: all, lines, pages
constexpr int PRINT_SET_INDEX_BREAK = 3030;
constexpr int PRINT_SET_INDEX_TITLE = 3031;
constexpr int PRINT_SET_VERTICAL = 3040;      // radios 3040, 3041
constexpr int PRINT_SET_NUMBERS = 3050;
constexpr int PRINT_SET_BRACKETS = 3051;
constexpr int PRINT_SET_NUMBER_AFTER = 3052;
constexpr int PRINT_SET_SWAP = 3053;
constexpr int PRINT_SET_FIRST_PAGE_LABEL = 3054;
constexpr int PRINT_SET_TITLE_FIRST = 3060;   // radios 3060..3062: none, document, print
constexpr int PRINT_SET_DOCUMENT_TITLE = 3063;
constexpr int PRINT_SET_PRINT_TITLE = 3064;
constexpr int PRINT_SET_NUMBER_POS = 3100;    // radios 3100..3107: position codes 0..7
constexpr int PRINT_SET_TITLE_POS = 3110;     // radios 3110..3117
constexpr int PRINT_SET_HEADER_LABEL = 3141;  // "縦書" / "横書"
constexpr int PRINT_SET_GRID_FIRST = 3200;    // radios 3200..3203
constexpr int PRINT_SET_WRAP = 3210;
constexpr int PRINT_SET_FUKURO = 3211;
constexpr int PRINT_SET_ADJUST = 3212;
constexpr int PRINT_SET_BACKGROUND = 3213;
constexpr int PRINT_SET_ADJUST_LABEL_FIRST = 3220;   // 3220..3222
constexpr int PRINT_SET_FONT_FACE = 1220;
constexpr int PRINT_SET_FONT_STYLE = 1230;
constexpr int PRINT_SET_FONT_SIZE = 1240;
constexpr int PRINT_SET_NUMBER_FIRST = 2000;  // edits 2000..2015, spins 10000..10015
constexpr int PRINT_SET_SPIN_FIRST = 10000;

// What the dialog needs from outside the record.
struct PrintSetServices {
    FontChooser* font_chooser = nullptr;
    // Page setup for the current print format: paper number and orientation
    // in and out; false when cancelled.
    std::function<bool(int* paper_number, bool* landscape)> page_setup;
    std::function<void(bool marked)> preview;   // null: the preview is not there yet
    std::function<void()> show_counts;          // 頁数等
    // PDF_DB before PDF 出力: true when its 実 行 was pressed; false keeps
    // PRINT_SET open (null: PDF 出力 goes on without it).
    std::function<bool(WindowRef owner)> pdf_dialog;
    // EPUB_DB before EPUB 出力, in the same way (null: EPUB 出力 goes on without it).
    std::function<bool(WindowRef owner)> epub_dialog;
    bool* line_format_colours = nullptr;        // the program's 行書式の文字色有効 (印刷色); null: off
    std::string printer_name;                   // UTF-8, for the caption
    bool has_index = false;                     // the document has structure-index entries
    bool marked = false;                        // a marked range: the range controls are off
    int screen_slot = 0;                        // the active screen format (画面の値を使用)
    int screen_dpi = 96;                        // for the font size shown in points
    std::string document_title;                 // in and out (code page 932, 24 bytes)
    std::string print_title;                    // in and out (40 bytes)
    bool titles_changed = false;                // out: the titles were stored
};

class PrintSetDialog final : public DialogProcedure {
public:
    PrintSetDialog(SettingsState* settings, PrintSetServices* services) : settings_(settings), services_(services) {}

    void init(DialogContext& ctx) override;
    bool command(DialogContext& ctx, int id, int notification) override;
    bool ok(DialogContext& ctx) override;
    void cancel(DialogContext&) override {}

    // The action chosen: 1, 3120, 3125, or -1 (closed).
    int action() const { return action_; }

    // Loads every control from the current print format.
    void fill(DialogContext& ctx);
    // Checks the sixteen numbers and, when all are valid, stores every
    // control into the current print format and the range fields. False
    // (with the message shown) when a value was refused.
    bool store(DialogContext& ctx);
    void refresh_header_controls(DialogContext& ctx);

private:
    bool run_action(DialogContext& ctx, int id);
    void switch_format(DialogContext& ctx, int id);
    void choose_text_font(DialogContext& ctx);
    void choose_header_font(DialogContext& ctx);
    void set_caption(DialogContext& ctx);
    bool font_matches(DialogContext& ctx);

    SettingsState* settings_;
    PrintSetServices* services_;
    int fold_bound_ = 100;     // characters per column when the dialog was filled
    int action_ = -1;
};

// Shows PRINT_SET; returns 1, 3120, 3125, or -1 when it was closed.
int open_print_settings(SettingsState* settings, PrintSetServices* services, WindowRef owner);

}  // namespace rix

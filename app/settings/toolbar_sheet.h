// The property sheet ツールバー／右ｸﾘｯｸﾒﾆｭｰ (commands 605 and 606) with its
// two pages: TOOLBAR_SET (the buttons of the tool bar, their separators and
// the tool bar's size in the current screen format) and RB_MENU (the entries
// of the edit window's right-click menu, indents and separators).
//
// Each page is a left list of commands not chosen, in main-menu order under
// group headers, and a right list of the chosen ones. The lists are kept in a
// ToolbarDraft while the sheet is open, so that a page switch loses nothing.
// Nothing reaches the settings record before 設定 or ﾃｽﾄ; 取消 puts back the
// bytes from before the sheet opened (also after a ﾃｽﾄ).
//
// The stored bytes are read with the editor's rules (app/window/menus.h): a 0 ends
// the list, an empty slot, a slot above 51 or a repeated one is passed over,
// so no table is ever indexed with an invalid slot. Only slots with a short
// code are offered.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/settings/settings_record.h"
#include "platform/dialogs.h"

namespace rix {

// Control ids shared by both page templates.
constexpr int TB_TABS = 50;
constexpr int TB_SET = 1;                    // 設定
constexpr int TB_CANCEL = 2;                 // 取消
constexpr int TB_HELP = 3;                   // ﾍﾙﾌﾟ
constexpr int TB_TEST = 4;                   // ﾃｽﾄ
constexpr int TB_ADD = 6;                    // 登録→
constexpr int TB_REMOVE = 7;                 // ←削除
constexpr int TB_LEFT = 110;                 // 未登録ボタン / 未登録メニュー
constexpr int TB_RIGHT = 120;                // 登録済ボタン / 登録済メニュー
constexpr int TB_LEFT_COUNTER = 130;
constexpr int TB_RIGHT_COUNTER = 140;
// TOOLBAR_SET.
constexpr int TB_SEPARATOR = 5;              // ｾﾊﾟﾚｰﾄ: cycles the mark
constexpr int TB_SIZE_FIRST = 200;           // radios 200 しない, 201 小ﾎﾞﾀﾝ, 202 大ﾎﾞﾀﾝ
// RB_MENU.
constexpr int RB_INDENT = 5;                 // 字下げ
constexpr int RB_SEPARATOR = 230;            // ｾﾊﾟﾚｰﾄ: inserts or removes a separator row
constexpr int RB_DEFAULTS = 240;             // 既定値

constexpr int TB_PAGE_TOOLBAR = 0, TB_PAGE_RIGHT_CLICK = 1;
constexpr int TB_MAX_ENTRIES = 32;

// A row of a right list. Tool bar: slot and 0..3 separators before it.
// Right-click: slot 0 is a separator row; `indented` marks an entry.
struct SheetRow {
    int slot = 0;
    int separators = 0;
    bool indented = false;
    bool operator==(const SheetRow&) const = default;
};

// A row of a left list: a command slot, or a group header (slot 0, group 0..5).
struct ChoiceRow {
    int slot = 0;
    int group = -1;
};

// The byte lists and the rows, both ways.
std::vector<SheetRow> toolbar_rows(const std::uint8_t (&items)[32]);
void store_toolbar_rows(const std::vector<SheetRow>& rows, std::uint8_t (&items)[32]);
std::vector<SheetRow> right_click_rows(const std::uint8_t (&items)[32]);
void store_right_click_rows(const std::vector<SheetRow>& rows, std::uint8_t (&items)[32]);
// Separator rows at the top or the bottom, or after another one, are removed.
void tidy_separators(std::vector<SheetRow>* rows);
// The commands of the menu order that are not among `chosen`, with the headers.
std::vector<ChoiceRow> choice_rows(const std::vector<SheetRow>& chosen);

// Row texts (code page 932).
std::string toolbar_row_text(const SheetRow& row);       // "-[検索] 検 索"
std::string right_click_row_text(const SheetRow& row);   // " 名前", " 　名前", "―――――――――"
std::string choice_row_text(const ChoiceRow& row);

// What the sheet keeps while it is open.
struct ToolbarDraft {
    std::vector<SheetRow> toolbar, right_click;
    int size = 0;                            // toolbar_size of the current format
    bool toolbar_shown = false, right_click_shown = false;   // a page filled its lists
    std::uint8_t saved_toolbar[32] = {}, saved_right_click[32] = {};
    std::uint8_t saved_size = 0;
    bool tested = false;                     // ﾃｽﾄ wrote into the record
};

struct ToolbarSheetServices {
    SettingsState* settings = nullptr;
    int format_slot = 0;                     // the current screen format (0..4)
    bool* open = nullptr;                    // the window slot shared with the jump sheet and the tag list
    int* last_page = nullptr;                // the page last shown, kept while the program runs
    std::function<void()> rebuild;           // the screen and tool bar built again from the record
    std::function<void(int x, int y)> show_right_click;   // the right-click menu at screen pixels
    WindowRef owner = 0;
};

class ToolbarSheetPage final : public DialogProcedure {
public:
    static constexpr int SWITCH_TO_PAGE = 100;   // + page: the user chose another tab

    ToolbarSheetPage(int page, const ToolbarSheetServices& s, ToolbarDraft* draft)
        : page_(page), services_(s), draft_(draft) {}

    void init(DialogContext& ctx) override;
    bool command(DialogContext& ctx, int id, int notification) override;
    bool ok(DialogContext& ctx) override;
    void cancel(DialogContext& ctx) override;

private:
    std::vector<SheetRow>& rows() { return page_ == TB_PAGE_TOOLBAR ? draft_->toolbar : draft_->right_click; }
    void fill(DialogContext& ctx, int left_select, int right_select);
    void add(DialogContext& ctx);
    void remove(DialogContext& ctx);
    void toggle_separator(DialogContext& ctx);
    void left_selected(DialogContext& ctx);
    void write_record();
    void test(DialogContext& ctx);

    int page_;
    ToolbarSheetServices services_;
    ToolbarDraft* draft_;
    std::vector<ChoiceRow> choices_;
    int left_selection_ = 0;
};

// Runs the sheet on `page`, or on the page last shown when -1. Nothing
// happens (DIALOG_CANCEL) while the shared window slot is taken.
int run_toolbar_sheet(const ToolbarSheetServices& services, int page = -1);

}  // namespace rix

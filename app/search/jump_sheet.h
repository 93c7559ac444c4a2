// The property sheet " ジャンプ" (command 310) with its four pages:
// ETC_JUMP (line, display line and page by number), MARK_JUMP (attach the
// four line marks, jump to them), STR_JUMP (the eight jump strings) and
// TAG_JUMP (the document's tags, as the tag list shows them, with jumps).
//
// The dialog host shows one template at a time, so each page is its own
// template carrying the sheet's tab row: choosing another tab closes the
// page and opens the other one. Each page stores its number in
// jump_sheet_page (settings 0x2ba) as it opens, and the sheet opens on it
// next time. The jumps run while the sheet stays open; 閉じる closes the
// whole sheet, after which the settings are marked changed (page, mark
// check memory 0x2bb, string slot 0x2bc, marks_on_digit_keys 0x186).
// What the string page's boxes hold is kept while the sheet is open, so a
// page switch loses nothing; the exchange partner is kept for the run.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "aids/jumps.h"
#include "app/search/find_dialog.h"
#include "app/settings/settings_record.h"
#include "app/tags/tag_dialogs.h"
#include "platform/clipboard.h"
#include "platform/dialogs.h"

namespace rix {

// Control ids shared by the four page templates.
constexpr int JUMP_TABS = 50;
constexpr int JUMP_HELP = 9;
constexpr int JUMP_PAGE_LINES = 0, JUMP_PAGE_MARKS = 1, JUMP_PAGE_STRINGS = 2, JUMP_PAGE_TAGS = 3;
constexpr int JUMP_PAGE_COUNT = 4;
// ETC_JUMP.
constexpr int JUMP_NUMBER_EDIT = 100;        // at most 9 characters
constexpr int JUMP_BY_COLUMN = 11;           // 列: display line
constexpr int JUMP_BY_LINE = 12;             // 行: logical line
constexpr int JUMP_BY_PAGE = 13;             // 頁: page
// MARK_JUMP.
constexpr int MARK_ATTACH = 1;               // 貼 付
constexpr int MARK_CHECK_FIRST = 21;         // checks 21..24: marks 1..4
constexpr int MARK_TOWARDS_END = 14;         // 文末へ
constexpr int MARK_TOWARDS_START = 15;       // 文頭へ
constexpr int DIGIT_KEYS_CHECK = 30;         // 数字1-4を有効にする (marks page: checked = marks; strings page: the opposite)
// STR_JUMP.
constexpr int STRING_REGISTER = 1;           // 登 録
constexpr int STRING_EDIT_FIRST = 101;       // edits 101..108: slots 1..8
constexpr int STRING_SLOT_FIRST = 111;       // radios 111..118: the current slot
constexpr int STRING_PARTNER_FIRST = 121;    // radios 121..128: the exchange partner
constexpr int STRING_PASTE = 40;             // 貼付
constexpr int STRING_INSERT = 41;            // 挿入
constexpr int STRING_DELETE = 42;            // 削除
constexpr int STRING_EXCHANGE = 43;          // 交換
constexpr int STRING_TOWARDS_END = 44;       // 文末へ
constexpr int STRING_TOWARDS_START = 45;     // 文頭へ
// TAG_JUMP.
constexpr int TAG_LIST = 100;
constexpr int TAG_JUMP_BUTTON = 1;
constexpr int TAG_TOWARDS_END = 3;
constexpr int TAG_TOWARDS_START = 4;
constexpr int TAG_COUNTER = 110;

// What the sheet keeps for the run of the program.
struct JumpSheetUi {
    bool open = false;                       // a sheet is showing (a second one is refused)
    int partner = 1;                         // the exchange partner of the string page (0..7)
    MarkJumpMemory memory;                   // command 312 and the mark page share it
};

struct JumpSheetServices {
    SettingsState* settings = nullptr;
    EditRunner edit;                         // the jumps, marks and registration run through it
    JumpStrings* strings = nullptr;          // the document's jump strings; null = no document
    JumpSheetUi* ui = nullptr;               // the program's sheet state; null = kept for this sheet only
    Clipboard* clipboard = nullptr;          // 貼付 copies the marked text here; may be null
    std::function<void(const std::string&)> add_copy_history;   // and into the copy history; may be null
    WindowRef owner = 0;
};

// The string page's boxes while the sheet is open.
struct JumpSheetDraft {
    bool strings_shown = false;
    JumpStrings boxes{};
};

// Moves of the string page's boxes (slot 0..7): 挿入 opens an empty box at
// `slot` (slot 8's text is lost; on slot 8 nothing happens), 削除 closes it
// (slot 8 becomes empty), 交換 swaps two boxes.
void insert_string_slot(JumpStrings& boxes, int slot);
void delete_string_slot(JumpStrings& boxes, int slot);
void exchange_string_slots(JumpStrings& boxes, int a, int b);

// One page of the sheet; its template is ETC_JUMP, MARK_JUMP, STR_JUMP or TAG_JUMP.
class JumpSheetPage final : public DialogProcedure {
public:
    static constexpr int SWITCH_TO_PAGE = 100;   // + page: the user chose another tab

    JumpSheetPage(int page, const JumpSheetServices& services, JumpSheetDraft* draft)
        : page_(page), services_(services), draft_(draft) {}

    void init(DialogContext& ctx) override;
    bool command(DialogContext& ctx, int id, int notification) override;
    bool ok(DialogContext&) override { return false; }
    void cancel(DialogContext& ctx) override { leave_page(ctx); }

private:
    void init_marks(DialogContext& ctx);
    void init_strings(DialogContext& ctx);
    void init_tags(DialogContext& ctx);
    bool lines_command(DialogContext& ctx, int id);
    bool marks_command(DialogContext& ctx, int id);
    bool strings_command(DialogContext& ctx, int id);
    bool tags_command(DialogContext& ctx, int id);
    void leave_page(DialogContext& ctx);
    std::uint8_t checked_marks(DialogContext& ctx) const;
    void read_boxes(DialogContext& ctx);
    void show_boxes(DialogContext& ctx);
    int current_slot(DialogContext& ctx) const;
    void set_digit_keys(bool marks);

    int page_;
    JumpSheetServices services_;
    JumpSheetDraft* draft_;
    TagListPanel tags_{TAG_LIST, TAG_COUNTER};
};

// Runs the sheet (modal) on `page`, or on the page last shown when page is
// -1 (command 310; command 311 opens the mark page). DIALOG_CANCEL when
// closed, also at once while a sheet is open; DIALOG_FAILED when a page
// could not be made.
int run_jump_sheet(const JumpSheetServices& services, int page = -1);

}  // namespace rix

// The property sheet " 編集キー ／ 禁則文字 設定" (command 607): the Ctrl+letter
// of each edit-key slot (page KEY_ASSIGN) and the two kinsoku character sets
// (page INHB_STR).
//
// The dialog host shows one template at a time, so each page is its own
// template carrying the sheet's tab row: choosing the other tab closes the
// page and opens the other one at the same place. What the user typed on a
// page is kept while the sheet is open, so switching pages loses nothing;
// 設 定 on either page stores both pages as they stand and closes the sheet,
// 取消 closes it without storing. The sheet opens on the page shown last
// (for the run); only one sheet is open at a time.
//
// Storing: each slot's first character, upper-cased, when it is A..Z (else
// no letter) into edit_key_letters; the edit-key table is rebuilt. The two
// sets keep only their double-byte characters, cut to 96 and 48 bytes on a
// character boundary. The settings are marked changed; after a store that
// touched the sets the screen is laid out again when the current screen
// format has kinsoku on.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "app/settings/settings_record.h"
#include "editing/command_ids.h"
#include "editing/edit_state.h"
#include "platform/dialogs.h"

namespace rix {

constexpr int SHEET_TABS = 50;                // the tab row on both pages
constexpr int KEY_ASSIGN_FIRST_EDIT = 100;    // edits 100..131, slots 0..31
constexpr int KEY_ASSIGN_SLOTS = 32;
constexpr int KEY_ASSIGN_HELP = 6;
constexpr int INHB_START_EDIT = 100;          // 行頭禁則文字
constexpr int INHB_END_EDIT = 101;            // 行末禁則文字
constexpr int INHB_DEFAULTS = 4;              // 既定値に戻す
constexpr int INHB_HELP = 6;
constexpr int SHEET_PAGE_KEYS = 0;
constexpr int SHEET_PAGE_KINSOKU = 1;

struct KeyAssignServices {
    EditState* edit = nullptr;               // its edit-key table is rebuilt (may be null)
    std::function<void()> relayout;          // lay the screen out again (new kinsoku sets)
};

// What the sheet keeps while the program runs (Application::key_assign):
// the page shown last, where the sheet stood, and whether one is open.
struct KeyAssignUi {
    int last_page = SHEET_PAGE_KEYS;        // the page the next sheet opens on
    bool position_known = false;            // the first opening leaves the place to the host
    int x = 0, y = 0;
    bool open = false;                      // a second sheet is refused
};

// What a page shows while the sheet is open.
struct KeyAssignDraft {
    bool keys_shown = false;
    std::array<std::string, KEY_ASSIGN_SLOTS> letters{};   // the edits' texts
    bool kinsoku_shown = false;
    std::string line_start;                  // code page 932
    std::string line_end;
};

// The letter stored for an edit's text: its first character upper-cased when
// that is a Latin letter, else 0 (no letter).
std::uint8_t edit_key_letter(std::string_view text);
// The double-byte characters of `text` (single bytes dropped), cut to
// `width` bytes on a character boundary.
std::string kinsoku_set_text(std::string_view text, std::size_t width);

// One page of the sheet. Its template is KEY_ASSIGN or INHB_STR.
class KeyAssignPage final : public DialogProcedure {
public:
    // Results besides DIALOG_OK / DIALOG_CANCEL: the user chose page n.
    static constexpr int SWITCH_TO_PAGE = 100;   // + page

    KeyAssignPage(int page, SettingsState* settings, KeyAssignDraft* draft, KeyAssignUi* ui);

    void init(DialogContext& ctx) override;
    bool command(DialogContext& ctx, int id, int notification) override;
    bool ok(DialogContext& ctx) override;
    void cancel(DialogContext& ctx) override;

    bool kinsoku_stored() const { return kinsoku_stored_; }

private:
    void keep_draft(DialogContext& ctx);
    void store();

    int page_;
    SettingsState* settings_;
    KeyAssignDraft* draft_;
    KeyAssignUi* ui_;
    bool kinsoku_stored_ = false;
};

// Runs the sheet over `owner`. DIALOG_OK after 設 定, DIALOG_CANCEL after
// 取消 (or while another sheet is open), DIALOG_FAILED when a page could not
// be made.
int run_key_assign_sheet(KeyAssignUi* ui, SettingsState* settings, KeyAssignServices services, WindowRef owner);

}  // namespace rix

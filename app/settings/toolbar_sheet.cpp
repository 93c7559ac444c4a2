// The tool-bar and right-click configuration sheet (see toolbar_sheet.h).
#include "app/settings/toolbar_sheet.h"

#include <cstdio>

#include "app/window/command_table.h"
#include "app/window/menus.h"
#include "platform/codec.h"
#include "platform/messages.h"

namespace rix {

namespace {

constexpr const char* PAGE_TEMPLATES[2] = {"TOOLBAR_SET", "RB_MENU"};
constexpr const char* PAGE_HELP[2] = {"ENV_TB", "ENV_RB"};
constexpr const char* MARKS[4] = {" ", "-", "+", "*"};
constexpr const char* SEPARATOR_ROW = "―――――――――";

struct MenuGroup {
    const char* header;
    std::vector<int> commands;
};

const std::vector<MenuGroup>& menu_groups() {
    static const std::vector<MenuGroup> groups = {
        {"――― ファイル ―――", {100, 101, 102, 103, 104, 108, 111, 112, 114, 115}},
        {"―――― 編 集 ――――", {200, 201, 202, 203, 205, 215, 214, 206, 207}},
        {"―― 検索･ジャンプ ――", {300, 301, 310, 313, 314, 350, 351}},
        {"―――― 支 援 ――――", {400, 401, 403, 404, 405, 406, 407}},
        {"―――― 公 開 ――――", {500, 502, 503, 504}},
        {"――― 環境設定 ―――", {600, 601, 602, 605, 606, 607, 703, 705, 799}},
    };
    return groups;
}

// A slot the lists may hold: a command with a short code.
bool offered(int slot) {
    const CommandSlot* s = command_slot(slot);
    return s && s->code && s->code[0];
}

template <class Fn>
void for_each_stored(const std::uint8_t (&items)[32], Fn&& fn) {
    bool placed[COMMAND_SLOT_COUNT + 1] = {};
    for (std::uint8_t byte : items) {
        if (byte == 0) break;
        const int slot = byte & 0x3F;
        if (!offered(slot) || placed[slot]) continue;
        placed[slot] = true;
        fn(byte, slot);
    }
}

int entry_count(const std::vector<SheetRow>& rows) {
    int n = 0;
    for (const SheetRow& r : rows) n += r.slot != 0;
    return n;
}

void notice(DialogContext& ctx, const std::string& utf8, unsigned ms) {
    ctx.show_message(MSG_NOTICE, utf8_to_sjis(utf8), ms);
}

void show_counter(DialogContext& ctx, int counter, int list) {
    char text[32];
    const int sel = ctx.get_selection(list);
    std::snprintf(text, sizeof text, "%3u/%-u", static_cast<unsigned>(sel + 1), static_cast<unsigned>(ctx.item_count(list)));
    ctx.set_text(counter, text);
}

}  // namespace

std::vector<SheetRow> toolbar_rows(const std::uint8_t (&items)[32]) {
    std::vector<SheetRow> rows;
    for_each_stored(items, [&](std::uint8_t byte, int slot) { rows.push_back({slot, byte >> 6, false}); });
    return rows;
}

void store_toolbar_rows(const std::vector<SheetRow>& rows, std::uint8_t (&items)[32]) {
    std::size_t n = 0;
    for (const SheetRow& r : rows)
        if (r.slot != 0 && n < 32) items[n++] = static_cast<std::uint8_t>(r.slot | (r.separators & 3) << 6);
    for (; n < 32; ++n) items[n] = 0;
}

std::vector<SheetRow> right_click_rows(const std::uint8_t (&items)[32]) {
    std::vector<SheetRow> rows;
    for_each_stored(items, [&](std::uint8_t byte, int slot) {
        if ((byte & 0x80) && !rows.empty() && rows.back().slot != 0) rows.push_back(SheetRow{});
        rows.push_back({slot, 0, (byte & 0x40) != 0});
    });
    return rows;
}

void store_right_click_rows(const std::vector<SheetRow>& rows, std::uint8_t (&items)[32]) {
    std::size_t n = 0;
    bool separator = false;
    for (const SheetRow& r : rows) {
        if (r.slot == 0) {
            separator = true;
            continue;
        }
        if (n == 32) break;
        items[n] = static_cast<std::uint8_t>(r.slot | (r.indented ? 0x40 : 0) | (separator && n > 0 ? 0x80 : 0));
        ++n;
        separator = false;
    }
    for (; n < 32; ++n) items[n] = 0;
}

void tidy_separators(std::vector<SheetRow>* rows) {
    std::vector<SheetRow> out;
    for (const SheetRow& r : *rows) {
        if (r.slot == 0 && (out.empty() || out.back().slot == 0)) continue;
        out.push_back(r);
    }
    while (!out.empty() && out.back().slot == 0) out.pop_back();
    *rows = std::move(out);
}

std::vector<ChoiceRow> choice_rows(const std::vector<SheetRow>& chosen) {
    std::vector<ChoiceRow> rows;
    const std::vector<MenuGroup>& groups = menu_groups();
    for (std::size_t g = 0; g < groups.size(); ++g) {
        rows.push_back({0, static_cast<int>(g)});
        for (int command : groups[g].commands) {
            const int slot = slot_of_command(command);
            if (!offered(slot)) continue;
            bool taken = false;
            for (const SheetRow& r : chosen) taken = taken || r.slot == slot;
            if (!taken) rows.push_back({slot, -1});
        }
    }
    return rows;
}

std::string toolbar_row_text(const SheetRow& row) {
    const CommandSlot* s = command_slot(row.slot);
    if (!s) return {};
    return std::string(MARKS[row.separators & 3]) + "[" + utf8_to_sjis(s->code) + "] " + slot_name(row.slot);
}

std::string right_click_row_text(const SheetRow& row) {
    if (row.slot == 0) return utf8_to_sjis(SEPARATOR_ROW);
    return " " + (row.indented ? utf8_to_sjis("　") : std::string()) + slot_name(row.slot);
}

std::string choice_row_text(const ChoiceRow& row) {
    if (row.slot == 0) return utf8_to_sjis(menu_groups()[static_cast<std::size_t>(row.group)].header);
    return " " + slot_name(row.slot);
}

void ToolbarSheetPage::init(DialogContext& ctx) {
    ctx.set_page(TB_TABS, page_);
    if (services_.last_page) *services_.last_page = page_;
    if (page_ == TB_PAGE_TOOLBAR) ctx.set_radio(TB_SIZE_FIRST, TB_SIZE_FIRST + 2, TB_SIZE_FIRST + draft_->size);
    fill(ctx, 1, rows().empty() ? -1 : 0);
}

void ToolbarSheetPage::fill(DialogContext& ctx, int left_select, int right_select) {
    choices_ = choice_rows(rows());
    ctx.clear_items(TB_LEFT);
    for (const ChoiceRow& c : choices_) ctx.add_item(TB_LEFT, choice_row_text(c));
    ctx.clear_items(TB_RIGHT);
    for (const SheetRow& r : rows())
        ctx.add_item(TB_RIGHT, page_ == TB_PAGE_TOOLBAR ? toolbar_row_text(r) : right_click_row_text(r));
    const int left_count = static_cast<int>(choices_.size());
    if (left_select >= left_count) left_select = left_count - 1;
    // The selection never rests on a header while a command is left.
    while (left_select >= 0 && choices_[left_select].slot == 0) {
        if (left_select + 1 < left_count && choices_[left_select + 1].slot != 0) ++left_select;
        else --left_select;
    }
    left_selection_ = left_select;
    ctx.set_selection(TB_LEFT, left_select);
    ctx.set_selection(TB_RIGHT, right_select < static_cast<int>(rows().size()) ? right_select : -1);
    show_counter(ctx, TB_LEFT_COUNTER, TB_LEFT);
    show_counter(ctx, TB_RIGHT_COUNTER, TB_RIGHT);
}

void ToolbarSheetPage::left_selected(DialogContext& ctx) {
    int sel = ctx.get_selection(TB_LEFT);
    const int count = static_cast<int>(choices_.size());
    if (sel >= 0 && sel < count && choices_[sel].slot == 0) {
        const int step = sel >= left_selection_ ? 1 : -1;
        int next = sel + step;
        if (next < 0 || next >= count || choices_[next].slot == 0) next = sel - step;
        sel = next >= 0 && next < count && choices_[next].slot != 0 ? next : -1;
        ctx.set_selection(TB_LEFT, sel);
    }
    left_selection_ = sel;
    show_counter(ctx, TB_LEFT_COUNTER, TB_LEFT);
}

void ToolbarSheetPage::add(DialogContext& ctx) {
    const int left = ctx.get_selection(TB_LEFT);
    if (left < 0 || left >= static_cast<int>(choices_.size()) || choices_[left].slot == 0) return;
    if (entry_count(rows()) >= TB_MAX_ENTRIES) {
        char text[64];
        std::snprintf(text, sizeof text, "ツールバーのボタンは\n%d個迄です。", TB_MAX_ENTRIES);
        notice(ctx, text, 1700);
        return;
    }
    int at = ctx.get_selection(TB_RIGHT);
    if (at < 0 || at > static_cast<int>(rows().size())) at = static_cast<int>(rows().size());
    rows().insert(rows().begin() + at, SheetRow{choices_[left].slot, 0, false});
    if (page_ == TB_PAGE_RIGHT_CLICK) {
        const SheetRow added = rows()[at];
        tidy_separators(&rows());
        for (int i = 0; i < static_cast<int>(rows().size()); ++i)
            if (rows()[i].slot == added.slot) at = i;
    }
    fill(ctx, left, at + 1 < static_cast<int>(rows().size()) ? at + 1 : at);
}

void ToolbarSheetPage::remove(DialogContext& ctx) {
    if (page_ == TB_PAGE_TOOLBAR && rows().empty()) {
        notice(ctx, "ツールバーが不用でしたら\n表示のチェックを外してください。", 1700);
        return;
    }
    const int at = ctx.get_selection(TB_RIGHT);
    if (at < 0 || at >= static_cast<int>(rows().size())) return;
    const int slot = rows()[at].slot;
    rows().erase(rows().begin() + at);
    if (page_ == TB_PAGE_RIGHT_CLICK) tidy_separators(&rows());
    // The left list's selection goes to the command given back.
    int left = left_selection_;
    const std::vector<ChoiceRow> after = choice_rows(rows());
    for (int i = 0; i < static_cast<int>(after.size()); ++i)
        if (slot != 0 && after[i].slot == slot) left = i;
    const int count = static_cast<int>(rows().size());
    fill(ctx, left, at < count ? at : count - 1);
    if (page_ == TB_PAGE_RIGHT_CLICK && entry_count(rows()) == 0)
        notice(ctx, "全て削除すると右クリックメニューが\n表示されなくなります。", 2000);
}

void ToolbarSheetPage::toggle_separator(DialogContext& ctx) {
    int at = ctx.get_selection(TB_RIGHT);
    if (at < 0 || at >= static_cast<int>(rows().size())) return;
    if (page_ == TB_PAGE_TOOLBAR) {
        rows()[at].separators = (rows()[at].separators + 1) % 4;
        fill(ctx, left_selection_, at);
        return;
    }
    if (rows()[at].slot == 0) return;   // on a separator row itself: nothing to do
    const SheetRow entry = rows()[at];
    if (at > 0 && rows()[at - 1].slot == 0) rows().erase(rows().begin() + at - 1);
    else rows().insert(rows().begin() + at, SheetRow{});
    tidy_separators(&rows());
    for (int i = 0; i < static_cast<int>(rows().size()); ++i)
        if (rows()[i] == entry) at = i;
    fill(ctx, left_selection_, at);
}

void ToolbarSheetPage::write_record() {
    if (!services_.settings) return;
    SettingsRecord& r = services_.settings->rec;
    if (draft_->toolbar_shown) store_toolbar_rows(draft_->toolbar, r.toolbar_items);
    if (draft_->right_click_shown) store_right_click_rows(draft_->right_click, r.right_click_items);
    if (services_.format_slot >= 0 && services_.format_slot < 5)
        r.toolbar_size[services_.format_slot] = static_cast<std::uint8_t>(draft_->size);
}

void ToolbarSheetPage::test(DialogContext& ctx) {
    write_record();
    draft_->tested = true;
    if (page_ == TB_PAGE_TOOLBAR) {
        if (services_.rebuild) services_.rebuild();
        return;
    }
    if (entry_count(rows()) == 0) {
        notice(ctx, "右クリックメニューは登録されていません。", 3000);
        return;
    }
    int x = 0, y = 0;
    WindowExtent extent;
    ctx.window_position(&x, &y);
    if (ctx.window_extent(&extent)) y += extent.height / 2;
    if (services_.show_right_click) services_.show_right_click(x, y);
}

bool ToolbarSheetPage::command(DialogContext& ctx, int id, int notification) {
    if (id == TB_TABS && notification == NOTIFY_PAGE_CHANGE) {
        const int page = ctx.get_page(TB_TABS);
        if (page != page_ && (page == TB_PAGE_TOOLBAR || page == TB_PAGE_RIGHT_CLICK))
            ctx.end_dialog(SWITCH_TO_PAGE + page);
        return true;
    }
    if (id == TB_LEFT) {
        if (notification == NOTIFY_SELECTION) left_selected(ctx);
        if (notification == NOTIFY_DOUBLE_CLICK) add(ctx);
        return true;
    }
    if (id == TB_RIGHT) {
        if (notification == NOTIFY_DOUBLE_CLICK && page_ == TB_PAGE_RIGHT_CLICK) toggle_separator(ctx);
        show_counter(ctx, TB_RIGHT_COUNTER, TB_RIGHT);
        return true;
    }
    if (notification != NOTIFY_CLICKED) return false;
    if (page_ == TB_PAGE_TOOLBAR && id >= TB_SIZE_FIRST && id <= TB_SIZE_FIRST + 2) {
        draft_->size = id - TB_SIZE_FIRST;
        return true;
    }
    switch (id) {
        case TB_ADD: add(ctx); return true;
        case TB_REMOVE: remove(ctx); return true;
        case TB_TEST: test(ctx); return true;
        case TB_HELP: show_help(PAGE_HELP[page_]); return true;
        default: break;
    }
    if (page_ == TB_PAGE_TOOLBAR && id == TB_SEPARATOR) {
        toggle_separator(ctx);
        return true;
    }
    if (page_ == TB_PAGE_RIGHT_CLICK && id == RB_SEPARATOR) {
        toggle_separator(ctx);
        return true;
    }
    if (page_ == TB_PAGE_RIGHT_CLICK && id == RB_INDENT) {
        const int at = ctx.get_selection(TB_RIGHT);
        if (at >= 0 && at < static_cast<int>(rows().size()) && rows()[at].slot != 0) {
            rows()[at].indented = !rows()[at].indented;
            fill(ctx, left_selection_, at);
        }
        return true;
    }
    if (page_ == TB_PAGE_RIGHT_CLICK && id == RB_DEFAULTS) {
        const int answer = ctx.show_message(
            MSG_YES_NO,
            utf8_to_sjis("既定値は編集メニューとジャンプメニュー、\n終了・ヘルプを加えた設定になります。\n\n"
                         "[はい]を選択すると既定値が呼出され、\n[テスト]ボタンで内容を確認出来ます。\n\n"
                         "メニュー設定を[設定]ボタンで終了すると\n今までの設定は破棄されますのでご注意ください。\n"
                         "[取消]ボタンで終了すると設定は変更されません。\n\n既定値の内容を呼出しますか？\n"));
        if (answer == MSG_RESULT_YES) {
            std::uint8_t bytes[32] = {};
            const std::vector<std::uint8_t> defaults = default_right_click_bytes();
            for (std::size_t i = 0; i < defaults.size() && i < 32; ++i) bytes[i] = defaults[i];
            rows() = right_click_rows(bytes);
            fill(ctx, 1, 0);
        }
        return true;
    }
    return false;
}

bool ToolbarSheetPage::ok(DialogContext&) {
    write_record();
    if (services_.settings) mark_settings_changed(services_.settings);
    return true;
}

void ToolbarSheetPage::cancel(DialogContext&) {
    if (!draft_->tested || !services_.settings) return;
    SettingsRecord& r = services_.settings->rec;
    for (int i = 0; i < 32; ++i) {
        r.toolbar_items[i] = draft_->saved_toolbar[i];
        r.right_click_items[i] = draft_->saved_right_click[i];
    }
    if (services_.format_slot >= 0 && services_.format_slot < 5) r.toolbar_size[services_.format_slot] = draft_->saved_size;
    draft_->tested = false;
}

int run_toolbar_sheet(const ToolbarSheetServices& services, int page) {
    if (services.open && *services.open) return DIALOG_CANCEL;
    if (services.open) *services.open = true;
    ToolbarDraft draft;
    if (services.settings) {
        const SettingsRecord& r = services.settings->rec;
        for (int i = 0; i < 32; ++i) {
            draft.saved_toolbar[i] = r.toolbar_items[i];
            draft.saved_right_click[i] = r.right_click_items[i];
        }
        draft.toolbar = toolbar_rows(r.toolbar_items);
        draft.right_click = right_click_rows(r.right_click_items);
        if (services.format_slot >= 0 && services.format_slot < 5) draft.saved_size = r.toolbar_size[services.format_slot];
        draft.size = draft.saved_size <= 2 ? draft.saved_size : 0;
    }
    if (page < 0) page = services.last_page ? *services.last_page : 0;
    if (page != TB_PAGE_RIGHT_CLICK) page = TB_PAGE_TOOLBAR;
    int result = DIALOG_FAILED;
    for (;;) {
        (page == TB_PAGE_TOOLBAR ? draft.toolbar_shown : draft.right_click_shown) = true;
        ToolbarSheetPage proc(page, services, &draft);
        result = run_dialog(PAGE_TEMPLATES[page], proc, services.owner);
        if (result != ToolbarSheetPage::SWITCH_TO_PAGE + TB_PAGE_TOOLBAR &&
            result != ToolbarSheetPage::SWITCH_TO_PAGE + TB_PAGE_RIGHT_CLICK)
            break;
        page = result - ToolbarSheetPage::SWITCH_TO_PAGE;
    }
    if (services.open) *services.open = false;
    // The screen is built again after the sheet closes, whatever it stored.
    if (services.rebuild) services.rebuild();
    return result;
}

}  // namespace rix

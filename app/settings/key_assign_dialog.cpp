// The property sheet 編集キー ／ 禁則文字 (see key_assign_dialog.h).
#include "app/settings/key_assign_dialog.h"

#include <cstring>

#include "app/settings/default_settings.h"
#include "app/edit/format_views.h"
#include "document/storage.h"
#include "editing/dispatch.h"
#include "platform/codec.h"
#include "platform/messages.h"

namespace rix {

namespace {

constexpr const char* PAGE_TEMPLATES[2] = {"KEY_ASSIGN", "INHB_STR"};
constexpr const char* PAGE_HELP[2] = {"ENV_ASGN", "ENV_INHB"};

std::string letter_text(std::uint8_t letter) {
    return letter >= 'A' && letter <= 'Z' ? std::string(1, static_cast<char>(letter)) : std::string();
}

void remember_position(DialogContext& ctx, KeyAssignUi* ui) {
    int x = 0, y = 0;
    if (!ctx.window_position(&x, &y)) return;
    ui->position_known = true;
    ui->x = x;
    ui->y = y;
}

}  // namespace

std::uint8_t edit_key_letter(std::string_view text) {
    if (text.empty()) return 0;
    auto c = static_cast<std::uint8_t>(text[0]);
    if (c >= 'a' && c <= 'z') c = static_cast<std::uint8_t>(c - 'a' + 'A');
    return c >= 'A' && c <= 'Z' ? c : 0;
}

std::string kinsoku_set_text(std::string_view text, std::size_t width) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<std::uint8_t>(text[i]);
        if (!is_stored_lead(b)) continue;   // single bytes never take part in the rules
        if (i + 1 >= text.size()) break;
        if (out.size() + 2 > width) break;
        out += text.substr(i, 2);
        ++i;
    }
    return out;
}

KeyAssignPage::KeyAssignPage(int page, SettingsState* settings, KeyAssignDraft* draft, KeyAssignUi* ui)
    : page_(page), settings_(settings), draft_(draft), ui_(ui) {}

void KeyAssignPage::init(DialogContext& ctx) {
    const SettingsRecord& r = settings_->rec;
    ctx.set_page(SHEET_TABS, page_);
    if (page_ == SHEET_PAGE_KEYS) {
        for (int i = 0; i < KEY_ASSIGN_SLOTS; ++i)
            ctx.set_text(KEY_ASSIGN_FIRST_EDIT + i,
                         draft_->keys_shown ? draft_->letters[i] : letter_text(r.edit_key_letters[i]));
    } else {
        ctx.set_text(INHB_START_EDIT, draft_->kinsoku_shown
                                          ? draft_->line_start
                                          : std::string(read_field(r.line_start_prohibited,
                                                                   sizeof r.line_start_prohibited)));
        ctx.set_text(INHB_END_EDIT, draft_->kinsoku_shown
                                        ? draft_->line_end
                                        : std::string(read_field(r.line_end_prohibited,
                                                                 sizeof r.line_end_prohibited)));
    }
    if (ui_->position_known) ctx.move_window(ui_->x, ui_->y);
}

void KeyAssignPage::keep_draft(DialogContext& ctx) {
    if (page_ == SHEET_PAGE_KEYS) {
        for (int i = 0; i < KEY_ASSIGN_SLOTS; ++i) draft_->letters[i] = ctx.get_text(KEY_ASSIGN_FIRST_EDIT + i);
        draft_->keys_shown = true;
    } else {
        draft_->line_start = ctx.get_text(INHB_START_EDIT);
        draft_->line_end = ctx.get_text(INHB_END_EDIT);
        draft_->kinsoku_shown = true;
    }
}

bool KeyAssignPage::command(DialogContext& ctx, int id, int notification) {
    if (id == SHEET_TABS && notification == NOTIFY_PAGE_CHANGE) {
        const int page = ctx.get_page(SHEET_TABS);
        if (page == page_ || page < 0 || page > SHEET_PAGE_KINSOKU) return true;
        keep_draft(ctx);
        remember_position(ctx, ui_);
        ui_->last_page = page;
        ctx.end_dialog(SWITCH_TO_PAGE + page);
        return true;
    }
    if (id == KEY_ASSIGN_HELP && notification == NOTIFY_CLICKED) {
        show_help(PAGE_HELP[page_]);
        return true;
    }
    if (page_ == SHEET_PAGE_KINSOKU && id == INHB_DEFAULTS && notification == NOTIFY_CLICKED) {
        ctx.set_text(INHB_START_EDIT, DEFAULT_LINE_START_PROHIBITED);
        ctx.set_text(INHB_END_EDIT, DEFAULT_LINE_END_PROHIBITED);
        return true;
    }
    return false;
}

void KeyAssignPage::store() {
    SettingsRecord& r = settings_->rec;
    if (draft_->keys_shown)
        for (int i = 0; i < KEY_ASSIGN_SLOTS; ++i) r.edit_key_letters[i] = edit_key_letter(draft_->letters[i]);
    if (draft_->kinsoku_shown) {
        const std::string start = kinsoku_set_text(draft_->line_start, sizeof r.line_start_prohibited);
        const std::string end = kinsoku_set_text(draft_->line_end, sizeof r.line_end_prohibited);
        kinsoku_stored_ = start != read_field(r.line_start_prohibited, sizeof r.line_start_prohibited) ||
                          end != read_field(r.line_end_prohibited, sizeof r.line_end_prohibited);
        store_field(r.line_start_prohibited, sizeof r.line_start_prohibited, start);
        store_field(r.line_end_prohibited, sizeof r.line_end_prohibited, end);
    }
    mark_settings_changed(settings_);
}

bool KeyAssignPage::ok(DialogContext& ctx) {
    keep_draft(ctx);
    store();
    remember_position(ctx, ui_);
    return true;
}

void KeyAssignPage::cancel(DialogContext& ctx) { remember_position(ctx, ui_); }

int run_key_assign_sheet(KeyAssignUi* ui, SettingsState* settings, KeyAssignServices services, WindowRef owner) {
    if (ui->open) return DIALOG_CANCEL;
    ui->open = true;
    KeyAssignDraft draft;
    int page = ui->last_page;
    int result = DIALOG_FAILED;
    bool kinsoku_stored = false;
    for (;;) {
        KeyAssignPage proc(page, settings, &draft, ui);
        result = run_dialog(PAGE_TEMPLATES[page], proc, owner);
        kinsoku_stored = proc.kinsoku_stored();
        if (result != KeyAssignPage::SWITCH_TO_PAGE + SHEET_PAGE_KEYS &&
            result != KeyAssignPage::SWITCH_TO_PAGE + SHEET_PAGE_KINSOKU)
            break;
        page = result - KeyAssignPage::SWITCH_TO_PAGE;
    }
    ui->open = false;
    if (result != DIALOG_OK) return result;
    if (services.edit != nullptr) {
        std::memcpy(services.edit->options.edit_key_letters, settings->rec.edit_key_letters,
                    sizeof services.edit->options.edit_key_letters);
        build_edit_key_table(*services.edit);
    }
    const int slot = current_screen_slot(settings->rec);
    if (kinsoku_stored && settings->rec.kinsoku[slot].kinsoku_mode != 0 && services.relayout) services.relayout();
    return result;
}

}  // namespace rix

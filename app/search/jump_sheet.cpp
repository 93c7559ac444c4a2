// The JUMP property sheet (see jump_sheet.h).
#include "app/search/jump_sheet.h"

#include <algorithm>
#include <cstdio>

#include "app/shell/application.h"
#include "editing/clipboard_commands.h"
#include "editing/edit_text.h"
#include "platform/codec.h"
#include "platform/messages.h"

namespace rix {

namespace {

constexpr const char* PAGE_TEMPLATES[JUMP_PAGE_COUNT] = {"ETC_JUMP", "MARK_JUMP", "STR_JUMP", "TAG_JUMP"};
constexpr const char* PAGE_HELP[JUMP_PAGE_COUNT] = {"JUMP", "MRKJUMP", "STRJUMP", "TAG"};

void notice(WindowRef owner, const char* utf8, unsigned ms) {
    show_message(MSG_NOTICE, owner, utf8_to_sjis(utf8), ms);
}

// The "%ld" reading of the number box: blanks, a sign and at least one digit;
// what follows the digits is ignored. False when no number starts the text.
bool read_number(const std::string& text, std::int64_t* value) {
    long n = 0;
    if (std::sscanf(text.c_str(), "%ld", &n) != 1) return false;
    *value = n;
    return true;
}

}  // namespace

void insert_string_slot(JumpStrings& boxes, int slot) {
    if (slot < 0 || slot >= static_cast<int>(JUMP_SLOTS) - 1) return;
    for (int i = static_cast<int>(JUMP_SLOTS) - 1; i > slot; --i) boxes[i] = boxes[i - 1];
    boxes[slot].clear();
}

void delete_string_slot(JumpStrings& boxes, int slot) {
    if (slot < 0 || slot >= static_cast<int>(JUMP_SLOTS)) return;
    for (int i = slot; i + 1 < static_cast<int>(JUMP_SLOTS); ++i) boxes[i] = boxes[i + 1];
    boxes[JUMP_SLOTS - 1].clear();
}

void exchange_string_slots(JumpStrings& boxes, int a, int b) {
    if (a < 0 || b < 0 || a >= static_cast<int>(JUMP_SLOTS) || b >= static_cast<int>(JUMP_SLOTS)) return;
    std::swap(boxes[a], boxes[b]);
}

// ---- the page ------------------------------------------------------------

void JumpSheetPage::init(DialogContext& ctx) {
    ctx.set_page(JUMP_TABS, page_);
    if (services_.settings) {
        services_.settings->rec.jump_sheet_page = static_cast<std::uint8_t>(page_);
        mark_settings_changed(services_.settings);
    }
    switch (page_) {
        case JUMP_PAGE_LINES: ctx.focus(JUMP_NUMBER_EDIT); break;
        case JUMP_PAGE_MARKS: init_marks(ctx); break;
        case JUMP_PAGE_STRINGS: init_strings(ctx); break;
        default: init_tags(ctx); break;
    }
}

void JumpSheetPage::init_marks(DialogContext& ctx) {
    std::uint8_t marks = 0;
    if (services_.edit)
        services_.edit([&](EditContext& c) {
            const std::uint32_t line = c.edit.cursor.pos.line();
            if (line < c.doc.lines.count()) marks = c.doc.lines.marks(line);
        });
    if (marks == 0 && services_.settings) marks = services_.settings->rec.mark_check_memory & 0x0F;
    for (int i = 0; i < 4; ++i) ctx.set_check(MARK_CHECK_FIRST + i, (marks >> i) & 1);
    if (services_.settings) ctx.set_check(DIGIT_KEYS_CHECK, services_.settings->rec.marks_on_digit_keys == 1);
}

void JumpSheetPage::init_strings(DialogContext& ctx) {
    if (!draft_->strings_shown) {
        if (services_.strings) draft_->boxes = *services_.strings;
        draft_->strings_shown = true;
    }
    show_boxes(ctx);
    const int slot = services_.settings ? std::min<int>(services_.settings->rec.jump_string_slot, 7) : 0;
    ctx.set_radio(STRING_SLOT_FIRST, STRING_SLOT_FIRST + 7, STRING_SLOT_FIRST + slot);
    ctx.set_radio(STRING_PARTNER_FIRST, STRING_PARTNER_FIRST + 7, STRING_PARTNER_FIRST + services_.ui->partner);
    if (services_.settings) ctx.set_check(DIGIT_KEYS_CHECK, services_.settings->rec.marks_on_digit_keys != 1);
    const bool document = services_.strings != nullptr;
    for (int id : {STRING_REGISTER, STRING_PASTE, STRING_TOWARDS_END, STRING_TOWARDS_START}) ctx.enable(id, document);
}

void JumpSheetPage::init_tags(DialogContext& ctx) {
    tags_.fill(ctx, services_.edit);
    const bool any = !tags_.list().entries.empty();
    for (int id : {TAG_LIST, TAG_JUMP_BUTTON, TAG_TOWARDS_END, TAG_TOWARDS_START}) ctx.enable(id, any);
}

bool JumpSheetPage::tags_command(DialogContext& ctx, int id) {
    switch (id) {
        case TAG_JUMP_BUTTON: tags_.jump(ctx, services_.edit, ctx.get_selection(TAG_LIST)); return true;
        case TAG_TOWARDS_END: tags_.step(ctx, services_.edit, true); return true;
        case TAG_TOWARDS_START: tags_.step(ctx, services_.edit, false); return true;
        default: return false;
    }
}

std::uint8_t JumpSheetPage::checked_marks(DialogContext& ctx) const {
    std::uint8_t marks = 0;
    for (int i = 0; i < 4; ++i)
        if (ctx.get_check(MARK_CHECK_FIRST + i)) marks |= static_cast<std::uint8_t>(1u << i);
    return marks;
}

void JumpSheetPage::read_boxes(DialogContext& ctx) {
    for (std::size_t i = 0; i < JUMP_SLOTS; ++i)
        draft_->boxes[i] = ctx.get_text(STRING_EDIT_FIRST + static_cast<int>(i));
}

void JumpSheetPage::show_boxes(DialogContext& ctx) {
    for (std::size_t i = 0; i < JUMP_SLOTS; ++i)
        ctx.set_text(STRING_EDIT_FIRST + static_cast<int>(i), draft_->boxes[i]);
}

int JumpSheetPage::current_slot(DialogContext& ctx) const {
    const int id = ctx.get_radio(STRING_SLOT_FIRST, STRING_SLOT_FIRST + 7);
    return id == 0 ? 0 : id - STRING_SLOT_FIRST;
}

void JumpSheetPage::set_digit_keys(bool marks) {
    if (!services_.settings) return;
    services_.settings->rec.marks_on_digit_keys = marks ? 1 : 0;
    mark_settings_changed(services_.settings);
}

void JumpSheetPage::leave_page(DialogContext& ctx) {
    if (page_ == JUMP_PAGE_MARKS && services_.settings) {
        SettingsRecord& r = services_.settings->rec;
        r.mark_check_memory = static_cast<std::uint8_t>((r.mark_check_memory & 0xF0) | checked_marks(ctx));
        mark_settings_changed(services_.settings);
    }
    if (page_ == JUMP_PAGE_STRINGS) read_boxes(ctx);
}

bool JumpSheetPage::command(DialogContext& ctx, int id, int notification) {
    if (id == JUMP_TABS && notification == NOTIFY_PAGE_CHANGE) {
        const int page = ctx.get_page(JUMP_TABS);
        if (page == page_ || page < 0 || page >= JUMP_PAGE_COUNT) return true;
        leave_page(ctx);
        ctx.end_dialog(SWITCH_TO_PAGE + page);
        return true;
    }
    if (page_ == JUMP_PAGE_TAGS && id == TAG_LIST && notification == NOTIFY_DOUBLE_CLICK)
        return tags_command(ctx, TAG_JUMP_BUTTON);
    if (notification != NOTIFY_CLICKED) return false;
    if (id == JUMP_HELP) {
        show_help(PAGE_HELP[page_]);
        return true;
    }
    switch (page_) {
        case JUMP_PAGE_LINES: return lines_command(ctx, id);
        case JUMP_PAGE_MARKS: return marks_command(ctx, id);
        case JUMP_PAGE_STRINGS: return strings_command(ctx, id);
        default: return tags_command(ctx, id);
    }
}

bool JumpSheetPage::lines_command(DialogContext& ctx, int id) {
    int mode = 0;
    switch (id) {
        case JUMP_BY_COLUMN: mode = SEEK_DISPLAY_LINE; break;
        case JUMP_BY_LINE: mode = SEEK_LINE; break;
        case JUMP_BY_PAGE: mode = SEEK_PAGE; break;
        default: return false;
    }
    const std::string text = ctx.get_text(JUMP_NUMBER_EDIT);
    const WindowRef over = ctx.window();
    if (text.empty()) {
        notice(over, "数字を入力してください｡", 1000);
        return true;
    }
    std::int64_t n = 0;
    if (!read_number(text, &n)) {
        notice(over, "数字のみ有効です｡", 1000);
        return true;
    }
    if (services_.edit)
        services_.edit([&](EditContext& c) {
            Notices notices;
            line_jump(c, mode, n - 1, &services_.ui->memory, over, notices);
            show_notices(notices);
        });
    return true;
}

bool JumpSheetPage::marks_command(DialogContext& ctx, int id) {
    const WindowRef over = ctx.window();
    switch (id) {
        case MARK_ATTACH: {
            const std::uint8_t marks = checked_marks(ctx);
            if (services_.edit) services_.edit([&](EditContext& c) { attach_marks(c, marks, &services_.ui->memory); });
            return true;
        }
        case MARK_TOWARDS_END:
        case MARK_TOWARDS_START: {
            const std::uint8_t marks = checked_marks(ctx);
            if (marks == 0) {
                notice(over, "マークをチェックしてください｡", 1000);
                return true;
            }
            const bool forward = id == MARK_TOWARDS_END;
            services_.ui->memory = MarkJumpMemory{true, marks, forward};
            if (services_.edit)
                services_.edit([&](EditContext& c) {
                    Notices notices;
                    mark_jump(c, marks, forward, over, notices);
                    show_notices(notices);
                });
            return true;
        }
        case DIGIT_KEYS_CHECK: set_digit_keys(ctx.get_check(DIGIT_KEYS_CHECK)); return true;
        default: return false;
    }
}

bool JumpSheetPage::strings_command(DialogContext& ctx, int id) {
    const WindowRef over = ctx.window();
    if (id >= STRING_SLOT_FIRST && id < STRING_SLOT_FIRST + 8) {
        if (services_.settings) {
            services_.settings->rec.jump_string_slot = static_cast<std::uint8_t>(id - STRING_SLOT_FIRST);
            mark_settings_changed(services_.settings);
        }
        return true;
    }
    if (id >= STRING_PARTNER_FIRST && id < STRING_PARTNER_FIRST + 8) {
        services_.ui->partner = id - STRING_PARTNER_FIRST;
        return true;
    }
    const int slot = current_slot(ctx);
    read_boxes(ctx);
    switch (id) {
        case STRING_REGISTER:
            if (services_.strings && services_.edit)
                services_.edit([&](EditContext& c) { register_jump_strings(*services_.strings, draft_->boxes, c.state); });
            for (std::size_t i = 0; i < JUMP_SLOTS; ++i) draft_->boxes[i] = jump_string_field(draft_->boxes[i]);
            show_boxes(ctx);
            return true;
        case STRING_PASTE: {
            std::string text;
            if (services_.edit)
                services_.edit([&](EditContext& c) {
                    if (c.edit.mark.on && c.edit.mark.start < c.edit.mark.end) text = export_marked_text(c);
                });
            if (text.empty()) return true;
            if (services_.clipboard) {
                Notices notices;
                const bool put = put_clipboard_text(*services_.clipboard, text, notices) == CLIPBOARD_OK;
                show_notices(notices);
                if (put && services_.add_copy_history) services_.add_copy_history(text);
            }
            text = jump_string_field(text.substr(0, text.find('\r')));
            ctx.set_text(STRING_EDIT_FIRST + slot, text);
            return true;
        }
        case STRING_INSERT:
            if (slot >= static_cast<int>(JUMP_SLOTS) - 1) return true;
            insert_string_slot(draft_->boxes, slot);
            show_boxes(ctx);
            ctx.focus(STRING_EDIT_FIRST + slot);
            return true;
        case STRING_DELETE:
            delete_string_slot(draft_->boxes, slot);
            show_boxes(ctx);
            return true;
        case STRING_EXCHANGE:
            exchange_string_slots(draft_->boxes, slot, services_.ui->partner);
            show_boxes(ctx);
            return true;
        case STRING_TOWARDS_END:
        case STRING_TOWARDS_START: {
            if (!services_.strings || !services_.edit) return true;
            const std::string text = (*services_.strings)[static_cast<std::size_t>(slot)];
            const bool forward = id == STRING_TOWARDS_END;
            services_.edit([&](EditContext& c) {
                Notices notices;
                text_jump(c, text, forward, over, notices);
                show_notices(notices);
            });
            return true;
        }
        case DIGIT_KEYS_CHECK: set_digit_keys(!ctx.get_check(DIGIT_KEYS_CHECK)); return true;
        default: return false;
    }
}

int run_jump_sheet(const JumpSheetServices& given, int page) {
    JumpSheetUi scratch;   // a caller without program state gets one for this sheet alone
    JumpSheetServices services = given;
    if (!services.ui) services.ui = &scratch;
    if (services.ui->open) return DIALOG_CANCEL;
    services.ui->open = true;
    JumpSheetDraft draft;
    if (page < 0) page = services.settings ? services.settings->rec.jump_sheet_page : 0;
    if (page < 0 || page >= JUMP_PAGE_COUNT) page = 0;
    int result = DIALOG_FAILED;
    for (;;) {
        JumpSheetPage proc(page, services, &draft);
        result = run_dialog(PAGE_TEMPLATES[page], proc, services.owner);
        if (result < JumpSheetPage::SWITCH_TO_PAGE || result >= JumpSheetPage::SWITCH_TO_PAGE + JUMP_PAGE_COUNT) break;
        page = result - JumpSheetPage::SWITCH_TO_PAGE;
    }
    services.ui->open = false;
    if (services.settings) mark_settings_changed(services.settings);
    return result;
}

}  // namespace rix

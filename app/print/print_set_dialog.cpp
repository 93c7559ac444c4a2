// The print settings dialog PRINT_SET (see print_set_dialog.h).
#include "app/print/print_set_dialog.h"

#include <cstdio>
#include <cstdlib>

#include "app/edit/format_views.h"
#include "app/print/print_colour_dialog.h"
#include "app/print/print_format_view.h"
#include "app/edit/screen_format.h"
#include "platform/codec.h"
#include "platform/messages.h"
#include "publish/print_format.h"

namespace rix {
namespace {

constexpr unsigned NO_FONT_NOTICE_MS = 2500;

std::string text(const char* utf8) { return utf8_to_sjis(utf8); }

int slot_of(const SettingsRecord& rec) { return current_print_slot(rec); }
int index_of(const SettingsRecord& rec) { return print_index(slot_of(rec)); }

std::uint8_t byte_of(int v) { return static_cast<std::uint8_t>(v & 0xFF); }

// The header font record in effect: the text font's while none is chosen.
const FontRecord& header_record(const SettingsRecord& rec) {
    const int p = index_of(rec);
    if (rec.header_font[p].height == 0 || rec.header_font_size[p] == 0) return rec.font[slot_of(rec)];
    return rec.header_font[p];
}

bool header_vertical(const SettingsRecord& rec) {
    const FontRecord& f = header_record(rec);
    return is_vertical_face(read_field(f.face, sizeof f.face));
}

// The numbers as the record holds them, in the order of the edits.
PrintNumbers stored_numbers(const SettingsRecord& r) {
    const int s = slot_of(r), p = index_of(r);
    return {r.print_range_start,          r.print_range_end,           r.first_page_number,
            r.columns_per_page[s],        r.chars_per_column[s],       r.tier_count[s] ? r.tier_count[s] : 1,
            r.tier_gap[s],                r.cell_width_percent[s],     r.cell_offset_percent[s],
            r.wrap_chars[p],              r.fukuro_offset_permille[p], r.adjust_column_interval[p],
            r.adjust_column_offset[p],    r.adjust_char_offset[p],     r.header_offset_v_permille[p],
            r.header_offset_h_permille[p]};
}

}  // namespace

void PrintSetDialog::init(DialogContext& ctx) {
    if (settings_->rec.print_font_size[index_of(settings_->rec)] == 0)
        show_message(MSG_NOTICE, ctx.owner(), text("印刷フォントが設定されていません。\n[フォント]にて、選択してください。"),
                     NO_FONT_NOTICE_MS);
    fill(ctx);
}

void PrintSetDialog::fill(DialogContext& ctx) {
    const SettingsRecord& r = settings_->rec;
    const int s = slot_of(r), p = index_of(r);
    ctx.set_radio(PRINT_SET_FORMAT_FIRST, PRINT_SET_FORMAT_FIRST + 2, PRINT_SET_FORMAT_FIRST + p);
    for (int i = 0; i < PRINT_FORMAT_COUNT; ++i)
        ctx.set_text(PRINT_SET_NAME_FIRST + i, format_name(r, FIRST_PRINT_SLOT + i));
    const int mode = r.print_range_mode <= RANGE_PAGES ? r.print_range_mode : RANGE_ALL;
    ctx.set_radio(PRINT_SET_RANGE_FIRST, PRINT_SET_RANGE_FIRST + 2, PRINT_SET_RANGE_FIRST + mode);
    ctx.set_check(PRINT_SET_INDEX_BREAK, r.index_flags[p] & 1);
    ctx.set_check(PRINT_SET_INDEX_TITLE, r.index_flags[p] & 2);
    ctx.set_radio(PRINT_SET_VERTICAL, PRINT_SET_VERTICAL + 1, PRINT_SET_VERTICAL + (r.writing_direction[s] ? 1 : 0));
    ctx.set_radio(PRINT_SET_GRID_FIRST, PRINT_SET_GRID_FIRST + 3, PRINT_SET_GRID_FIRST + (r.grid_style[s] & 3));
    const std::uint8_t flags = r.print_flags[p];
    ctx.set_check(PRINT_SET_NUMBERS, flags & PRINT_PAGE_NUMBERS);
    ctx.set_check(PRINT_SET_BRACKETS, flags & PRINT_NUMBER_BRACKETS);
    ctx.set_check(PRINT_SET_NUMBER_AFTER, flags & PRINT_NUMBER_AFTER_TITLE);
    ctx.set_check(PRINT_SET_SWAP, flags & PRINT_SWAP_ON_SECOND);
    const int title_mode = std::min((flags & PRINT_TITLE_MASK) >> 1, 2);
    ctx.set_radio(PRINT_SET_TITLE_FIRST, PRINT_SET_TITLE_FIRST + 2, PRINT_SET_TITLE_FIRST + title_mode);
    ctx.set_radio(PRINT_SET_NUMBER_POS, PRINT_SET_NUMBER_POS + 7, PRINT_SET_NUMBER_POS + (r.page_number_position[p] & 7));
    ctx.set_radio(PRINT_SET_TITLE_POS, PRINT_SET_TITLE_POS + 7, PRINT_SET_TITLE_POS + (r.title_position[p] & 7));
    ctx.set_check(PRINT_SET_WRAP, r.wrap_enabled[p]);
    ctx.set_check(PRINT_SET_FUKURO, r.fukuro_toji[p]);
    ctx.set_check(PRINT_SET_ADJUST, r.position_adjust_enabled[p] & 1);
    ctx.set_check(PRINT_SET_BACKGROUND, r.print_background[p]);
    fold_bound_ = std::max<int>(r.chars_per_column[s], PRINT_NUMBER_RANGES[PN_WRAP].min);
    const PrintNumbers n = stored_numbers(r);
    for (int i = 0; i < PRINT_NUMBER_COUNT; ++i) {
        const int hi = i == PN_WRAP ? fold_bound_ : PRINT_NUMBER_RANGES[i].max;
        ctx.set_range(PRINT_SET_SPIN_FIRST + i, PRINT_NUMBER_RANGES[i].min, hi);
        ctx.set_number(PRINT_SET_NUMBER_FIRST + i, n[static_cast<std::size_t>(i)]);
        ctx.set_pos(PRINT_SET_SPIN_FIRST + i, n[static_cast<std::size_t>(i)]);
    }
    const FontRecord& font = r.font[s];
    const std::string_view face = read_field(font.face, sizeof font.face);
    ctx.set_text(PRINT_SET_FONT_FACE, is_vertical_face(face) ? face.substr(1) : face);
    ctx.set_text(PRINT_SET_FONT_STYLE, font_style_name(font));
    char size[16];
    std::snprintf(size, sizeof size, "%d", font_points(font.height, services_->screen_dpi));
    ctx.set_text(PRINT_SET_FONT_SIZE, size);
    ctx.set_text(PRINT_SET_DOCUMENT_TITLE, services_->document_title);
    ctx.set_text(PRINT_SET_PRINT_TITLE, services_->print_title);
    ctx.enable(PRINT_SET_INDEX_BREAK, services_->has_index);
    ctx.enable(PRINT_SET_INDEX_TITLE, services_->has_index);
    for (int id = PRINT_SET_RANGE_FIRST; id <= PRINT_SET_RANGE_FIRST + 2; ++id) ctx.enable(id, !services_->marked);
    const bool bounded = !services_->marked && mode != RANGE_ALL;
    for (int i : {PN_START, PN_END}) {
        ctx.enable(PRINT_SET_NUMBER_FIRST + i, bounded);
        ctx.enable(PRINT_SET_SPIN_FIRST + i, bounded);
    }
    refresh_header_controls(ctx);
    set_caption(ctx);
}

void PrintSetDialog::set_caption(DialogContext& ctx) {
    const std::string name = services_->printer_name.empty() ? "PDF" : services_->printer_name;
    ctx.set_caption(text("　印 刷　書式設定・実行　") + text("［") + utf8_to_sjis(name) + text("］"));
}

void PrintSetDialog::refresh_header_controls(DialogContext& ctx) {
    const bool numbers = ctx.get_check(PRINT_SET_NUMBERS);
    const int title_id = ctx.get_radio(PRINT_SET_TITLE_FIRST, PRINT_SET_TITLE_FIRST + 2);
    const int title_mode = title_id ? title_id - PRINT_SET_TITLE_FIRST : 0;
    const bool vertical = header_vertical(settings_->rec);
    // Codes that do not fit the header font move to their counterparts.
    for (int first : {PRINT_SET_NUMBER_POS, PRINT_SET_TITLE_POS}) {
        const int on = ctx.get_radio(first, first + 7);
        const int code = fit_position_code(on ? on - first : 0, vertical);
        ctx.set_radio(first, first + 7, first + code);
        const bool shown = first == PRINT_SET_NUMBER_POS ? numbers : title_mode != 0;
        for (int c = 0; c < 8; ++c) {
            const bool fits = fit_position_code(c, vertical) == c;
            ctx.enable(first + c, shown && fits);
        }
    }
    ctx.set_text(PRINT_SET_HEADER_LABEL, text(vertical ? "縦書" : "横書"));
    ctx.enable(PRINT_SET_BRACKETS, numbers);
    ctx.enable(PRINT_SET_NUMBER_FIRST + PN_FIRST_PAGE, numbers);
    ctx.enable(PRINT_SET_SPIN_FIRST + PN_FIRST_PAGE, numbers);
    ctx.enable(PRINT_SET_FIRST_PAGE_LABEL, numbers);
    ctx.enable(PRINT_SET_DOCUMENT_TITLE, title_mode == 1);
    ctx.enable(PRINT_SET_PRINT_TITLE, title_mode == 2);
    const int number_pos = ctx.get_radio(PRINT_SET_NUMBER_POS, PRINT_SET_NUMBER_POS + 7) - PRINT_SET_NUMBER_POS;
    const int title_pos = ctx.get_radio(PRINT_SET_TITLE_POS, PRINT_SET_TITLE_POS + 7) - PRINT_SET_TITLE_POS;
    ctx.enable(PRINT_SET_NUMBER_AFTER, numbers && title_mode != 0 && number_pos == title_pos);
    ctx.enable(PRINT_SET_SWAP, ctx.get_check(PRINT_SET_FUKURO));
    ctx.enable(PRINT_SET_NUMBER_FIRST + PN_WRAP, ctx.get_check(PRINT_SET_WRAP));
    ctx.enable(PRINT_SET_SPIN_FIRST + PN_WRAP, ctx.get_check(PRINT_SET_WRAP));
    ctx.enable(PRINT_SET_INDEX_TITLE, services_->has_index && ctx.get_check(PRINT_SET_INDEX_BREAK));
    const bool adjust = ctx.get_check(PRINT_SET_ADJUST);
    for (int i : {PN_ADJUST_INTERVAL, PN_ADJUST_COLUMN, PN_ADJUST_CHAR}) {
        for (int id : {PRINT_SET_NUMBER_FIRST + i, PRINT_SET_SPIN_FIRST + i,
                       PRINT_SET_ADJUST_LABEL_FIRST + i - PN_ADJUST_INTERVAL}) {
            ctx.enable(id, adjust);
            ctx.show(id, adjust);
        }
    }
}

bool PrintSetDialog::store(DialogContext& ctx) {
    PrintNumbers n{};
    for (int i = 0; i < PRINT_NUMBER_COUNT; ++i) n[static_cast<std::size_t>(i)] = ctx.get_number(PRINT_SET_NUMBER_FIRST + i);
    const bool wrap = ctx.get_check(PRINT_SET_WRAP), adjust = ctx.get_check(PRINT_SET_ADJUST);
    const PrintCheck check = check_print_numbers(n, wrap, adjust, fold_bound_);
    if (!check.ok()) {
        ctx.show_message(MSG_NOTICE, print_check_message(check));
        if (check.field >= 0) ctx.focus(PRINT_SET_NUMBER_FIRST + check.field);
        return false;
    }
    SettingsRecord& r = settings_->rec;
    const int s = slot_of(r), p = index_of(r);
    r.print_range_start = static_cast<std::uint16_t>(n[PN_START]);
    r.print_range_end = static_cast<std::uint16_t>(n[PN_END]);
    r.first_page_number = static_cast<std::uint16_t>(n[PN_FIRST_PAGE]);
    r.columns_per_page[s] = byte_of(n[PN_COLUMNS]);
    r.chars_per_column[s] = byte_of(n[PN_CHARS]);
    r.tier_count[s] = byte_of(n[PN_TIERS]);
    r.tier_gap[s] = byte_of(n[PN_TIER_GAP]);
    r.cell_width_percent[s] = byte_of(n[PN_CELL_WIDTH]);
    r.cell_offset_percent[s] = static_cast<std::int8_t>(n[PN_CELL_OFFSET]);
    // Exempt values out of range keep what the record held.
    if (wrap || (n[PN_WRAP] >= 0 && n[PN_WRAP] <= 255)) r.wrap_chars[p] = byte_of(n[PN_WRAP]);
    r.fukuro_offset_permille[p] = byte_of(n[PN_FUKURO_OFFSET]);
    if (adjust || (n[PN_ADJUST_INTERVAL] >= 0 && n[PN_ADJUST_INTERVAL] <= 255))
        r.adjust_column_interval[p] = byte_of(n[PN_ADJUST_INTERVAL]);
    r.adjust_column_offset[p] = static_cast<std::int8_t>(n[PN_ADJUST_COLUMN]);
    r.adjust_char_offset[p] = static_cast<std::int8_t>(n[PN_ADJUST_CHAR]);
    r.header_offset_v_permille[p] = byte_of(n[PN_HEADER_V]);
    r.header_offset_h_permille[p] = byte_of(n[PN_HEADER_H]);
    if (!services_->marked) {
        const int range = ctx.get_radio(PRINT_SET_RANGE_FIRST, PRINT_SET_RANGE_FIRST + 2);
        r.print_range_mode = byte_of(range ? range - PRINT_SET_RANGE_FIRST : 0);
    }
    r.index_flags[p] = byte_of((ctx.get_check(PRINT_SET_INDEX_BREAK) ? 1 : 0) | (ctx.get_check(PRINT_SET_INDEX_TITLE) ? 2 : 0));
    r.writing_direction[s] = ctx.get_radio(PRINT_SET_VERTICAL, PRINT_SET_VERTICAL + 1) == PRINT_SET_VERTICAL + 1;
    const int title = ctx.get_radio(PRINT_SET_TITLE_FIRST, PRINT_SET_TITLE_FIRST + 2);
    std::uint8_t flags = byte_of((title ? title - PRINT_SET_TITLE_FIRST : 0) << 1);
    if (ctx.get_check(PRINT_SET_NUMBERS)) flags |= PRINT_PAGE_NUMBERS;
    if (ctx.get_check(PRINT_SET_NUMBER_AFTER)) flags |= PRINT_NUMBER_AFTER_TITLE;
    if (ctx.get_check(PRINT_SET_BRACKETS)) flags |= PRINT_NUMBER_BRACKETS;
    if (ctx.get_check(PRINT_SET_SWAP)) flags |= PRINT_SWAP_ON_SECOND;
    r.print_flags[p] = flags;
    const int number_pos = ctx.get_radio(PRINT_SET_NUMBER_POS, PRINT_SET_NUMBER_POS + 7);
    const int title_pos = ctx.get_radio(PRINT_SET_TITLE_POS, PRINT_SET_TITLE_POS + 7);
    if (number_pos) r.page_number_position[p] = byte_of(number_pos - PRINT_SET_NUMBER_POS);
    if (title_pos) r.title_position[p] = byte_of(title_pos - PRINT_SET_TITLE_POS);
    const int grid = ctx.get_radio(PRINT_SET_GRID_FIRST, PRINT_SET_GRID_FIRST + 3);
    r.grid_style[s] = byte_of(grid ? grid - PRINT_SET_GRID_FIRST : 0);
    r.wrap_enabled[p] = wrap;
    r.fukuro_toji[p] = ctx.get_check(PRINT_SET_FUKURO);
    r.position_adjust_enabled[p] = adjust;
    r.print_background[p] = ctx.get_check(PRINT_SET_BACKGROUND);
    for (int i = 0; i < PRINT_FORMAT_COUNT; ++i)
        store_format_name(settings_, FIRST_PRINT_SLOT + i, ctx.get_text(PRINT_SET_NAME_FIRST + i));
    mark_settings_changed(settings_);
    return true;
}

bool PrintSetDialog::font_matches(DialogContext& ctx) {
    const SettingsRecord& r = settings_->rec;
    const FontRecord& font = r.font[slot_of(r)];
    if (direction_matches_face(r.writing_direction[slot_of(r)], font)) return true;
    PrintCheck c;
    c.result = PrintCheckResult::FONT_DIRECTION;
    ctx.show_message(MSG_NOTICE, print_check_message(c), print_check_message_ms(c));
    return false;
}

bool PrintSetDialog::run_action(DialogContext& ctx, int id) {
    if (!store(ctx)) return false;
    const SettingsRecord& r = settings_->rec;
    const int s = slot_of(r), p = index_of(r);
    if (id == PRINT_SET_PRINT && r.grid_style[s] != 0 && (r.position_adjust_enabled[p] & 1) &&
        ctx.show_message(MSG_YES_NO, text("罫線付の書式に印刷位置補整を\n実行しようとしています｡\n\nこのまま印刷しますか？")) !=
            MSG_RESULT_YES)
        return false;
    services_->document_title = ctx.get_text(PRINT_SET_DOCUMENT_TITLE);
    services_->print_title = ctx.get_text(PRINT_SET_PRINT_TITLE);
    services_->titles_changed = true;
    if (!font_matches(ctx)) return false;
    if ((r.print_flags[p] & PRINT_PAGE_NUMBERS) && r.first_page_number != 0) {
        char buf[120];
        std::snprintf(buf, sizeof buf, "先頭の頁数が %d に設定されています。\nこのまま続行しますか？", r.first_page_number);
        if (ctx.show_message(MSG_YES_NO, text(buf)) != MSG_RESULT_YES) return false;
    }
    if (id == PRINT_SET_PDF && services_->pdf_dialog && !services_->pdf_dialog(ctx.window())) return false;
    if (id == PRINT_SET_EPUB && services_->epub_dialog && !services_->epub_dialog(ctx.window())) return false;
    action_ = id;
    ctx.end_dialog(id);
    return true;
}

void PrintSetDialog::switch_format(DialogContext& ctx, int id) {
    SettingsRecord& r = settings_->rec;
    const int current = PRINT_SET_FORMAT_FIRST + index_of(r);
    if (id == current) return;
    if (!store(ctx)) {
        ctx.set_radio(PRINT_SET_FORMAT_FIRST, PRINT_SET_FORMAT_FIRST + 2, current);
        return;
    }
    r.current_print_format = byte_of(FIRST_PRINT_SLOT + (id - PRINT_SET_FORMAT_FIRST));
    mark_settings_changed(settings_);
    fill(ctx);
}

void PrintSetDialog::choose_text_font(DialogContext& ctx) {
    if (!services_->font_chooser) return;
    SettingsRecord& r = settings_->rec;
    const int s = slot_of(r);
    FontChoice choice;
    choice.caption = font_dialog_caption(s);
    choice.help_topic = "ENV_FONT";
    choice.screen_fonts_only = false;
    choice.font = font_description(r.font[s]);
    if (!services_->font_chooser->choose_font(&choice)) return;
    FontRecord chosen = font_record(choice.font);
    if (is_vertical_face(choice.font.face)) chosen.escapement = chosen.orientation = FONT_VERTICAL_ESCAPEMENT;
    r.font[s] = chosen;
    const int tenths = std::abs(static_cast<int>(choice.font.height)) * 720 / std::max(services_->screen_dpi, 1);
    r.print_font_size[index_of(r)] = byte_of(std::clamp(tenths, 10, 240));
    mark_settings_changed(settings_);
    fill(ctx);
}

void PrintSetDialog::choose_header_font(DialogContext& ctx) {
    if (!services_->font_chooser) return;
    SettingsRecord& r = settings_->rec;
    const int p = index_of(r);
    FontChoice choice;
    choice.caption = text(" 頁数・表題　文字フォントの設定");
    choice.help_topic = "ENV_FONT";
    choice.max_points = 20;
    choice.screen_fonts_only = false;
    choice.font = font_description(header_record(r));
    if (!services_->font_chooser->choose_font(&choice)) return;
    FontRecord chosen = font_record(choice.font);
    if (is_vertical_face(choice.font.face)) chosen.escapement = chosen.orientation = FONT_VERTICAL_ESCAPEMENT;
    r.header_font[p] = chosen;
    const int tenths = std::abs(static_cast<int>(choice.font.height)) * 720 / std::max(services_->screen_dpi, 1);
    r.header_font_size[p] = byte_of(std::clamp(tenths, 10, 200));
    mark_settings_changed(settings_);
    refresh_header_controls(ctx);
}

bool PrintSetDialog::command(DialogContext& ctx, int id, int notification) {
    if (id >= PRINT_SET_FORMAT_FIRST && id <= PRINT_SET_FORMAT_FIRST + 2) {
        switch_format(ctx, id);
        return true;
    }
    switch (id) {
        case PRINT_SET_PDF:
        case PRINT_SET_EPUB:
            run_action(ctx, id);
            return true;
        case PRINT_SET_PREVIEW:
            if (store(ctx) && font_matches(ctx) && services_->preview) services_->preview(services_->marked);
            return true;
        case PRINT_SET_STORE:
            if (store(ctx)) {
                services_->document_title = ctx.get_text(PRINT_SET_DOCUMENT_TITLE);
                services_->print_title = ctx.get_text(PRINT_SET_PRINT_TITLE);
                services_->titles_changed = true;
            }
            return true;
        case PRINT_SET_COUNTS:
            if (store(ctx) && services_->show_counts) services_->show_counts();
            return true;
        case PRINT_SET_COLOURS:
            open_print_colours(settings_, services_->line_format_colours, ctx.window());
            return true;
        case PRINT_SET_PRINTER: {
            if (!services_->page_setup) return true;
            SettingsRecord& r = settings_->rec;
            const int p = index_of(r);
            int paper = r.printer_paper[p] & 0x7F;
            bool landscape = paper_landscape(r.printer_paper[p]);
            if (services_->page_setup(&paper, &landscape)) {
                r.printer_paper[p] = stored_paper_code(paper, landscape);
                mark_settings_changed(settings_);
            }
            return true;
        }
        case PRINT_SET_TEXT_FONT: choose_text_font(ctx); return true;
        case PRINT_SET_HEADER_FONT: choose_header_font(ctx); return true;
        case PRINT_SET_SCREEN_VALUES: {
            const SettingsRecord& r = settings_->rec;
            const int sc = services_->screen_slot >= 0 && services_->screen_slot < SCREEN_FORMAT_COUNT ? services_->screen_slot : 0;
            ctx.set_number(PRINT_SET_NUMBER_FIRST + PN_CHARS, r.chars_per_column[sc]);
            ctx.set_number(PRINT_SET_NUMBER_FIRST + PN_TIERS, r.tier_count[sc] ? r.tier_count[sc] : 1);
            ctx.set_number(PRINT_SET_NUMBER_FIRST + PN_TIER_GAP, r.tier_gap[sc]);
            return true;
        }
        case PRINT_SET_HELP: show_help("PRINT"); return true;
        default: break;
    }
    if ((id >= PRINT_SET_RANGE_FIRST && id <= PRINT_SET_RANGE_FIRST + 2) && notification == NOTIFY_CLICKED) {
        const bool bounded = id != PRINT_SET_RANGE_FIRST;
        for (int i : {PN_START, PN_END}) {
            ctx.enable(PRINT_SET_NUMBER_FIRST + i, bounded);
            ctx.enable(PRINT_SET_SPIN_FIRST + i, bounded);
        }
        return true;
    }
    if ((id >= PRINT_SET_NUMBERS && id <= PRINT_SET_SWAP) || (id >= PRINT_SET_TITLE_FIRST && id <= PRINT_SET_TITLE_FIRST + 2) ||
        (id >= PRINT_SET_NUMBER_POS && id <= PRINT_SET_TITLE_POS + 7) || id == PRINT_SET_WRAP ||
        id == PRINT_SET_FUKURO || id == PRINT_SET_ADJUST || id == PRINT_SET_INDEX_BREAK) {
        refresh_header_controls(ctx);
        return true;
    }
    return false;
}

bool PrintSetDialog::ok(DialogContext& ctx) {
    run_action(ctx, PRINT_SET_PRINT);
    return false;   // run_action ended the dialog when the checks passed
}

int open_print_settings(SettingsState* settings, PrintSetServices* services, WindowRef owner) {
    PrintSetDialog dialog(settings, services);
    const int result = run_dialog("PRINT_SET", dialog, owner);
    return result == DIALOG_FAILED || result == DIALOG_CANCEL ? -1 : dialog.action();
}

}  // namespace rix

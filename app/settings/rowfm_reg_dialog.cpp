// The registered line formats (see rowfm_reg_dialog.h).
#include "app/settings/rowfm_reg_dialog.h"

#include <cstdio>

#include "app/settings/row_form_dialog.h"
#include "document/line_format.h"
#include "platform/codec.h"
#include "platform/messages.h"

namespace rix {

namespace {

int valid_format(int slot) { return slot >= 0 && slot < SCREEN_FORMAT_COUNT ? slot : 0; }

}  // namespace

RegisteredLineFormats registered_line_formats(const SettingsRecord& rec, int slot) {
    const int f = valid_format(slot);
    RegisteredLineFormats r;
    for (int j = 0; j < LINE_FORMAT_SLOTS; ++j) {
        r.words[j] = rec.registered_line_formats[f][j];
        r.triggers[j] = static_cast<std::uint16_t>(rec.line_format_triggers[f][j][0] << 8 | rec.line_format_triggers[f][j][1]);
    }
    r.after_typing = rec.line_format_after_typing[f];
    r.enabled = rec.line_format_enabled[f];
    r.function_keys = (rec.line_format_options[f] & 1) != 0;
    return r;
}

std::string palette_colour_name(int index) {
    static const char* const NAMES[16] = {"黒", "栗色", "緑", "ｵﾘｰﾌﾞ", "濃紺", "紫", "緑青", "灰色",
                                          "銀", "赤", "黄緑", "黄", "青", "明紫", "水色", "白"};
    return utf8_to_sjis(NAMES[index & 0x0F]);
}

void RowFmRegDialog::show_slot(DialogContext& ctx, int j) {
    const SettingsRecord& rec = settings_->rec;
    const int f = valid_format(slot_);
    const LineFormat w = decode_line_format(rec.registered_line_formats[f][j]);
    ctx.set_text(ROWFM_REG_INDENT + j, std::to_string(w.indent));
    ctx.set_text(ROWFM_REG_FIRST + j, std::to_string(w.first_line));
    ctx.set_text(ROWFM_REG_END + j, std::to_string(w.end_indent));
    ctx.set_text(ROWFM_REG_COLOUR + j, w.colour_on ? palette_colour_name(w.colour) : std::string());
    char size[8] = "";
    if (w.size_index != LINE_SIZE_PLAIN) std::snprintf(size, sizeof size, "%3d%%", size_percent(w.size_index));
    ctx.set_text(ROWFM_REG_SIZE + j, size);
    ctx.set_check(ROWFM_REG_BOLD + j, w.bold_toggle != format_font_bold_);
}

void RowFmRegDialog::init(DialogContext& ctx) {
    const SettingsRecord& rec = settings_->rec;
    const int f = valid_format(slot_);
    char caption[64];
    std::snprintf(caption, sizeof caption, "　書式 %d  行書式登録", f + 1);
    ctx.set_caption(utf8_to_sjis(caption));
    for (int j = 0; j < LINE_FORMAT_SLOTS; ++j) {
        ctx.set_check(ROWFM_REG_ENABLED + j, (rec.line_format_enabled[f] >> j) & 1);
        ctx.set_check(ROWFM_REG_AFTER + j, (rec.line_format_after_typing[f] >> j) & 1);
        std::string trigger;
        for (std::uint8_t b : rec.line_format_triggers[f][j])
            if (b != 0) trigger.push_back(static_cast<char>(b));
        ctx.set_text(ROWFM_REG_TRIGGER + j, trigger);
        ctx.enable(ROWFM_REG_BOLD + j, false);
        show_slot(ctx, j);
    }
    ctx.set_check(ROWFM_REG_KEYS, rec.line_format_options[f] & 1);
    ctx.set_check(ROWFM_REG_RESET, rec.line_format_options[f] & 2);
}

bool RowFmRegDialog::command(DialogContext& ctx, int id, int notification) {
    if (notification != NOTIFY_CLICKED) return false;
    if (id >= ROWFM_REG_ENABLED && id < ROWFM_REG_ENABLED + LINE_FORMAT_SLOTS) {
        if (ctx.get_check(id) && ctx.get_text(ROWFM_REG_TRIGGER + id - ROWFM_REG_ENABLED).empty()) {
            ctx.show_message(MSG_NOTICE,
                             utf8_to_sjis("判定する文字が空欄です。\n文字を入力してからオンにしてください。"),
                             ROWFM_REG_EMPTY_NOTICE_MS);
            ctx.set_check(id, false);
        }
        return true;
    }
    if (id >= ROWFM_REG_CHANGE && id < ROWFM_REG_CHANGE + LINE_FORMAT_SLOTS) {
        const int j = id - ROWFM_REG_CHANGE;
        const int f = valid_format(slot_);
        RowFormSetup setup;
        setup.mode = j + 1;
        setup.word = settings_->rec.registered_line_formats[f][j];
        setup.chars_per_line = chars_per_line_;
        setup.format_font_bold = format_font_bold_;
        RowFormDialog row(setup);
        if (run_dialog("ROW_FORM", row, ctx.window()) == DIALOG_OK) {
            settings_->rec.registered_line_formats[f][j] = row.word();
            mark_settings_changed(settings_);
            show_slot(ctx, j);
        }
        return true;
    }
    if (id == ROWFM_REG_HELP) {
        show_help("RFMREG");
        return true;
    }
    return false;
}

bool RowFmRegDialog::ok(DialogContext& ctx) {
    SettingsRecord& rec = settings_->rec;
    const int f = valid_format(slot_);
    std::uint8_t enabled = 0, after = 0;
    for (int j = 0; j < LINE_FORMAT_SLOTS; ++j) {
        if (ctx.get_check(ROWFM_REG_ENABLED + j)) enabled |= static_cast<std::uint8_t>(1u << j);
        if (ctx.get_check(ROWFM_REG_AFTER + j)) after |= static_cast<std::uint8_t>(1u << j);
        // Only one full-width character (two bytes, a lead and a trail) is a
        // trigger: two half-width characters could never match a typed one.
        const std::string t = ctx.get_text(ROWFM_REG_TRIGGER + j);
        const bool one_character = t.size() == 2 && is_stored_lead(static_cast<std::uint8_t>(t[0]));
        rec.line_format_triggers[f][j][0] = one_character ? static_cast<std::uint8_t>(t[0]) : 0;
        rec.line_format_triggers[f][j][1] = one_character ? static_cast<std::uint8_t>(t[1]) : 0;
    }
    rec.line_format_enabled[f] = enabled;
    rec.line_format_after_typing[f] = after;
    rec.line_format_options[f] = static_cast<std::uint8_t>((rec.line_format_options[f] & ~3u) |
                                                           (ctx.get_check(ROWFM_REG_KEYS) ? 1u : 0u) |
                                                           (ctx.get_check(ROWFM_REG_RESET) ? 2u : 0u));
    mark_settings_changed(settings_);
    return true;
}

bool run_rowfm_reg(SettingsState* settings, int slot, int chars_per_line, bool format_font_bold, WindowRef owner) {
    RowFmRegDialog dialog(settings, slot, chars_per_line, format_font_bold);
    return run_dialog("ROWFM_REG", dialog, owner) == DIALOG_OK;
}

}  // namespace rix

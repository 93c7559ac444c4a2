// The screen format dialog ENV_FMSET (see fmset_dialog.h).
#include "app/settings/fmset_dialog.h"

#include <climits>
#include <cstdio>
#include <cstring>

#include "app/edit/format_views.h"
#include "platform/codec.h"
#include "platform/files.h"
#include "platform/format_colour.h"
#include "platform/messages.h"

namespace rix {

namespace {

constexpr int IMAGE_NAME_BYTES = 16;

std::string text(const char* utf8) { return utf8_to_sjis(utf8); }

// A radio group of `count` radios from `first`, showing `value`; a stored
// value outside the group checks none of them.
void show_radio(DialogContext& ctx, int first, int count, int value) {
    ctx.set_radio(first, first + count - 1, value >= 0 && value < count ? first + value : -1);
}

// The value of the checked radio of the group, or `kept` when none is.
int radio_value(const DialogContext& ctx, int first, int count, int kept) {
    const int id = ctx.get_radio(first, first + count - 1);
    return id == 0 ? kept : id - first;
}

// The eight colours of a screen format, swatches 3000..3007, are the colour
// kinds 0..7 of the format colour chooser.
static_assert(FMSET_COLOUR_COUNT == COLOUR_KIND_TAG_BACKGROUND);
constexpr int COLOUR_IME_TEXT = 4;
constexpr int COLOUR_IME_BACK = 5;
constexpr int COLOUR_FILL = 7;

std::uint32_t colour_field(const SettingsRecord& r, int slot, int index) {
    switch (index) {
    case 0: return r.text_colour_rgb[slot];
    case 1: return r.grid_colour_rgb[slot];
    case 2: return r.caret_colour[slot];
    case 3: return r.mouse_cursor_colour[slot];
    case COLOUR_IME_TEXT: return r.ime_text_colour[slot];
    case COLOUR_IME_BACK: return r.ime_back_colour[slot];
    case 6: return r.mark_colour[slot];
    default: return r.fill_colour[slot];
    }
}

void store_colour_field(SettingsRecord& r, int slot, int index, std::uint32_t c) {
    switch (index) {
    case 0: r.text_colour_rgb[slot] = c; break;
    case 1: r.grid_colour_rgb[slot] = c; break;
    case 2: r.caret_colour[slot] = c; break;
    case 3: r.mouse_cursor_colour[slot] = c; break;
    case COLOUR_IME_TEXT: r.ime_text_colour[slot] = c; break;
    case COLOUR_IME_BACK: r.ime_back_colour[slot] = c; break;
    case 6: r.mark_colour[slot] = c; break;
    default: r.fill_colour[slot] = c; break;
    }
}

// Writes back into `to` every value of screen slot `s` the dialog shows,
// as `from` holds it.
void restore_slot(SettingsRecord& to, const SettingsRecord& from, int s) {
    to.writing_direction[s] = from.writing_direction[s];
    to.grid_style[s] = from.grid_style[s];
    to.caret_type[s] = from.caret_type[s];
    to.edit_info_place[s] = from.edit_info_place[s];
    to.kinsoku[s] = from.kinsoku[s];
    to.auto_scroll[s] = from.auto_scroll[s];
    to.auto_indent[s] = from.auto_indent[s];
    to.mark_flags[s] = from.mark_flags[s];
    to.halfwidth_display[s] = from.halfwidth_display[s];
    to.auto_adjust[s] = from.auto_adjust[s];
    to.column_numbering[s] = from.column_numbering[s];
    to.chars_per_column[s] = from.chars_per_column[s];
    to.columns_per_page[s] = from.columns_per_page[s];
    to.tier_count[s] = from.tier_count[s];
    to.tier_gap[s] = from.tier_gap[s];
    to.page_columns[s] = from.page_columns[s];
    to.tab_width[s] = from.tab_width[s];
    to.cell_offset_percent[s] = from.cell_offset_percent[s];
    to.cell_width_percent[s] = from.cell_width_percent[s];
    to.font[s] = from.font[s];
    to.show_scrollbar[s] = from.show_scrollbar[s];
    to.background_mode[s] = from.background_mode[s];
    to.edit_info_content[s] = from.edit_info_content[s];
    to.centre_margin_permille[s] = from.centre_margin_permille[s];
    to.show_position_bar[s] = from.show_position_bar[s];
    to.background_images[s] = from.background_images[s];
    for (int i = 0; i < FMSET_COLOUR_COUNT; ++i) store_colour_field(to, s, i, colour_field(from, s, i));
}

// A bare file name that may be looked up in the program folder.
bool plain_file_name(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    for (char c : name)
        if (c == '/' || c == '\\') return false;
    return true;
}

}  // namespace

FmsetDialog::FmsetDialog(FmsetUi* ui, SettingsState* settings, FmsetServices services)
    : ui_(ui), settings_(settings), services_(std::move(services)) {}

void FmsetDialog::apply() const {
    if (services_.apply) services_.apply();
}

// ---- showing a format ----

void FmsetDialog::init(DialogContext& ctx) {
    slot_ = current_screen_slot(settings_->rec);
    snapshots_.clear();
    snapshots_.emplace(slot_, settings_->rec);
    fill(ctx);
    if (ui_->position_known) ctx.move_window(ui_->x, ui_->y);
}

void FmsetDialog::fill(DialogContext& ctx) {
    const SettingsRecord& r = settings_->rec;
    const int s = slot_;
    char caption[64];
    std::snprintf(caption, sizeof caption, "書式 %d  画面書式設定", s + 1);
    ctx.set_caption(text(caption));
    ctx.set_radio(FMSET_FORMAT_FIRST, FMSET_FORMAT_FIRST + SCREEN_FORMAT_COUNT - 1, FMSET_FORMAT_FIRST + s);
    for (int i = 0; i < SCREEN_FORMAT_COUNT; ++i) {
        ctx.set_text(FMSET_NAME_FIRST + i, format_name(r, i));
        ctx.enable(FMSET_NAME_FIRST + i, i == s);
    }
    const FormatChoices c = format_choices(r, s);
    show_radio(ctx, 1000, 2, c.writing_direction);
    show_radio(ctx, 1010, 4, c.grid_style);
    show_radio(ctx, 1020, 4, c.edit_info_place);
    show_radio(ctx, 1030, 3, c.caret_type);
    show_radio(ctx, 1040, 2, c.column_numbering);
    show_radio(ctx, 1050, 3, c.kinsoku_mode);
    show_radio(ctx, 1060, 2, c.halfwidth_display);
    show_radio(ctx, 1200, 3, c.auto_adjust);
    show_radio(ctx, 1250, 3, c.edit_info_content);
    ctx.set_check(1100, c.show_scrollbar);
    ctx.set_check(1110, c.show_position_bar);
    ctx.set_check(1120, c.line_end_marks);
    ctx.set_check(1130, c.page_break_marks);
    ctx.set_check(1140, c.small_kana_kinsoku);
    ctx.set_check(1150, c.auto_indent);
    ctx.set_check(1160, c.auto_scroll);
    const FormatNumbers numbers = format_numbers(r, s);
    for (int i = 0; i < FORMAT_NUMBER_COUNT; ++i) {
        ctx.set_number(FMSET_NUMBER_FIRST + i, numbers[i]);
        ctx.set_range(FMSET_SPIN_FIRST + i, FORMAT_NUMBER_RANGES[i].min, FORMAT_NUMBER_RANGES[i].max);
        ctx.set_pos(FMSET_SPIN_FIRST + i, numbers[i]);
    }
    fill_font_box(ctx);
    ctx.enable(FMSET_FONT_BUTTON, services_.font_chooser != nullptr);
    for (int i = 0; i < FMSET_COLOUR_COUNT; ++i) ctx.set_colour(FMSET_SWATCH_FIRST + i, colour_field(r, s, i));
    const int mode = r.background_mode[s];
    show_radio(ctx, FMSET_BACKGROUND_FIRST, 3, mode);
    ctx.set_text(FMSET_TILE_IMAGE, read_field(r.background_images[s].tile_image_name, IMAGE_NAME_BYTES));
    ctx.set_text(FMSET_FULL_IMAGE, read_field(r.background_images[s].full_image_name, IMAGE_NAME_BYTES));
    enable_background(ctx, mode);
}

void FmsetDialog::fill_font_box(DialogContext& ctx) {
    const FontRecord& f = settings_->rec.font[slot_];
    ctx.set_text(FMSET_FONT_FACE, " " + std::string(read_field(f.face, sizeof f.face)));
    ctx.set_text(FMSET_FONT_STYLE, font_style_name(f));
    ctx.set_text(FMSET_FONT_POINTS, std::to_string(font_points(f.height, services_.screen_dpi)));
}

void FmsetDialog::enable_background(DialogContext& ctx, int mode) {
    ctx.enable(FMSET_TILE_IMAGE, mode == 1);
    ctx.enable(FMSET_FULL_IMAGE, mode == 2);
    ctx.enable(FMSET_IMAGE_BUTTON, (mode == 1 || mode == 2) && services_.choose_image != nullptr);
    ctx.enable(FMSET_COLOUR_FIRST + COLOUR_FILL, mode == 0);
    ctx.enable(FMSET_SWATCH_FIRST + COLOUR_FILL, mode == 0);
}

// ---- the user's actions ----

bool FmsetDialog::command(DialogContext& ctx, int id, int notification) {
    if (id >= FMSET_FORMAT_FIRST && id < FMSET_FORMAT_FIRST + SCREEN_FORMAT_COUNT) {
        switch_format(ctx, id - FMSET_FORMAT_FIRST);
        return true;
    }
    // A swatch is a shortcut for its 選択 button; it never opens the host's
    // own chooser (which would not know the colour's name).
    if (id >= FMSET_SWATCH_FIRST && id < FMSET_SWATCH_FIRST + FMSET_COLOUR_COUNT) {
        if (notification == NOTIFY_CLICKED && ctx.is_enabled(id - FMSET_SWATCH_FIRST + FMSET_COLOUR_FIRST))
            choose_colour(ctx, id - FMSET_SWATCH_FIRST);
        return true;
    }
    if (id >= FMSET_COLOUR_FIRST && id < FMSET_COLOUR_FIRST + FMSET_COLOUR_COUNT) {
        choose_colour(ctx, id - FMSET_COLOUR_FIRST);
        return true;
    }
    if (id >= FMSET_BACKGROUND_FIRST && id < FMSET_BACKGROUND_FIRST + 3) {
        enable_background(ctx, id - FMSET_BACKGROUND_FIRST);
        return true;
    }
    switch (id) {
    case FMSET_NAME_BUTTON: set_counts_name(ctx); return true;
    case FMSET_FONT_BUTTON:
        if (services_.font_chooser) choose_format_font(settings_, slot_, *services_.font_chooser);
        fill_font_box(ctx);
        return true;
    case FMSET_IMAGE_BUTTON: choose_image(ctx); return true;
    case FMSET_TEST: store(ctx, false); return true;
    case FMSET_TEST_HIDDEN:
        if (store(ctx, false)) {
            // The box belongs to the main window while the dialog is away.
            ctx.show_window(false);
            show_message(MSG_NOTICE, ctx.owner(),
                         text("画面書式のテスト表示です｡\n[閉じる]を押さなくても､\n７秒で元の設定画面に戻ります｡"),
                         FMSET_TEST_VIEW_MS);
            ctx.show_window(true);
        }
        return true;
    case FMSET_HELP: show_help("ENV_FMSET"); return true;
    default:
        // 設定 and 取消 go on to ok and cancel; a spin's position reaches its
        // edit and a typed number its spin through the host.
        return false;
    }
}

void FmsetDialog::switch_format(DialogContext& ctx, int slot) {
    const bool index_open = services_.index_window_open && services_.index_window_open();
    const FormatSwitch sw = select_screen_format(settings_, slot, index_open);
    if (!sw.changed) return;
    slot_ = slot;
    snapshots_.emplace(slot_, settings_->rec);   // kept when the slot was shown before
    if (services_.format_switched) services_.format_switched(sw);
    apply();
    fill(ctx);
}

void FmsetDialog::set_counts_name(DialogContext& ctx) {
    const int columns = ctx.get_number(FMSET_NUMBER_FIRST + NUM_COLUMNS);
    const int chars = ctx.get_number(FMSET_NUMBER_FIRST + NUM_CHARS);
    const int tiers = ctx.get_number(FMSET_NUMBER_FIRST + NUM_TIERS);
    ctx.set_text(FMSET_NAME_FIRST + slot_, counts_format_name(columns, chars, tiers));
}

void FmsetDialog::choose_colour(DialogContext& ctx, int index) {
    std::uint32_t colour = ctx.get_colour(FMSET_SWATCH_FIRST + index);
    if (choose_format_colour(ctx, slot_ + 1, index, &colour)) ctx.set_colour(FMSET_SWATCH_FIRST + index, colour);
}

void FmsetDialog::choose_image(DialogContext& ctx) {
    std::string path;
    if (!services_.choose_image || !services_.choose_image(&path)) return;
    const std::string name = utf8_to_sjis(name_of(path));
    if (name.size() > IMAGE_NAME_BYTES) {
        ctx.show_message(MSG_NOTICE, text("画像ファイル名の最長は16文字です｡"), FMSET_IMAGE_NAME_NOTICE_MS);
        return;
    }
    const int mode = radio_value(ctx, FMSET_BACKGROUND_FIRST, 3, 0);
    if (mode == 1 || mode == 2) ctx.set_text(mode == 1 ? FMSET_TILE_IMAGE : FMSET_FULL_IMAGE, name);
}

// ---- storing ----

bool FmsetDialog::store(DialogContext& ctx, bool with_name) {
    if (with_name) store_format_name(settings_, slot_, ctx.get_text(FMSET_NAME_FIRST + slot_));
    if (!store_direction_and_choices(ctx) || !store_numbers(ctx)) return false;
    store_colours(ctx);
    if (!store_background(ctx)) return false;
    mark_settings_changed(settings_);
    apply();
    fill_font_box(ctx);   // the font may have been scaled (auto-adjust 1)
    return true;
}

bool FmsetDialog::store_direction_and_choices(DialogContext& ctx) {
    SettingsRecord& r = settings_->rec;
    FormatChoices c = format_choices(r, slot_);
    c.writing_direction = radio_value(ctx, 1000, 2, c.writing_direction);
    if (!direction_matches_face(c.writing_direction, r.font[slot_])) {
        const int answer = ctx.show_message(
            MSG_YES_NO, text("縦／横形式指定と\n現在のフォントが違っています\n文字フォントタイプ（フォント名先頭の＠有無）\n"
                             "の再設定を先に行なってください。\n\nこのまま縦／横形式を切替えますか？"));
        if (answer != MSG_RESULT_YES) {
            show_radio(ctx, 1000, 2, r.writing_direction[slot_]);
            return false;
        }
    }
    c.grid_style = radio_value(ctx, 1010, 4, c.grid_style);
    c.edit_info_place = radio_value(ctx, 1020, 4, c.edit_info_place);
    c.caret_type = radio_value(ctx, 1030, 3, c.caret_type);
    c.column_numbering = radio_value(ctx, 1040, 2, c.column_numbering);
    c.kinsoku_mode = radio_value(ctx, 1050, 3, c.kinsoku_mode);
    c.halfwidth_display = radio_value(ctx, 1060, 2, c.halfwidth_display);
    c.auto_adjust = radio_value(ctx, 1200, 3, c.auto_adjust);
    c.edit_info_content = radio_value(ctx, 1250, 3, c.edit_info_content);
    c.show_scrollbar = ctx.get_check(1100);
    c.show_position_bar = ctx.get_check(1110);
    c.line_end_marks = ctx.get_check(1120);
    c.page_break_marks = ctx.get_check(1130);
    c.small_kana_kinsoku = ctx.get_check(1140);
    c.auto_indent = ctx.get_check(1150);
    c.auto_scroll = ctx.get_check(1160);
    if (store_format_choices(settings_, slot_, c) && services_.page_count_stale) services_.page_count_stale();
    return true;
}

bool FmsetDialog::store_numbers(DialogContext& ctx) {
    FormatNumbers values{};
    for (int i = 0; i < FORMAT_NUMBER_COUNT; ++i) {
        bool ok = false;
        values[i] = ctx.get_number(FMSET_NUMBER_FIRST + i, &ok);
        if (!ok) values[i] = INT_MIN;   // empty or "-": out of every range, never a silent 0
    }
    const int bad = first_bad_format_number(values);
    if (bad >= 0) {
        ctx.show_message(MSG_NOTICE, format_range_message(bad), FMSET_RANGE_NOTICE_MS);
        ctx.focus(FMSET_NUMBER_FIRST + bad);
        return false;
    }
    const FormatNumberStore result = store_format_numbers(settings_, slot_, values);
    if (result.page_count_stale && services_.page_count_stale) services_.page_count_stale();
    if (result.warn_zero_gap) {
        ctx.show_message(MSG_NOTICE,
                         text("段間桁数が０の時､マウスの\nドラッグによる文字列マークに\n支障が出る事があります。"),
                         FMSET_GAP_NOTICE_MS);
    }
    return true;
}

void FmsetDialog::store_colours(DialogContext& ctx) {
    SettingsRecord& r = settings_->rec;
    bool changed = false, ime_changed = false;
    for (int i = 0; i < FMSET_COLOUR_COUNT; ++i) {
        if ((ctx.get_colour(FMSET_SWATCH_FIRST + i) & 0x00FFFFFF) == colour_field(r, slot_, i)) continue;
        changed = true;
        ime_changed |= i == COLOUR_IME_TEXT || i == COLOUR_IME_BACK;
    }
    if (!changed) return;
    for (int i = 0; i < FMSET_COLOUR_COUNT; ++i)
        store_colour_field(r, slot_, i, ctx.get_colour(FMSET_SWATCH_FIRST + i) & 0x00FFFFFF);
    mark_settings_changed(settings_);
    if (ime_changed && services_.ime_colours_changed) services_.ime_colours_changed(slot_);
}

bool FmsetDialog::store_background(DialogContext& ctx) {
    SettingsRecord& r = settings_->rec;
    BackgroundImageNames& images = r.background_images[slot_];
    const std::string tile = ctx.get_text(FMSET_TILE_IMAGE);
    const std::string full = ctx.get_text(FMSET_FULL_IMAGE);
    store_field(images.tile_image_name, IMAGE_NAME_BYTES, tile);
    store_field(images.full_image_name, IMAGE_NAME_BYTES, full);
    mark_settings_changed(settings_);
    const int mode = radio_value(ctx, FMSET_BACKGROUND_FIRST, 3, r.background_mode[slot_]);
    if (mode == 1 || mode == 2) {
        const std::string name(read_field(mode == 1 ? images.tile_image_name : images.full_image_name, IMAGE_NAME_BYTES));
        if (!plain_file_name(name) || !file_exists(join_path(services_.program_folder, sjis_to_utf8(name)))) {
            ctx.show_message(MSG_NOTICE, text(" 画像ファイルが存在しません｡"), FMSET_IMAGE_NOTICE_MS);
            return false;
        }
    }
    r.background_mode[slot_] = static_cast<std::uint8_t>(mode);
    return true;
}

// ---- leaving ----

bool FmsetDialog::ok(DialogContext& ctx) {
    if (!store(ctx, true)) return false;
    remember_position(ctx);
    return true;
}

void FmsetDialog::cancel(DialogContext& ctx) {
    SettingsRecord& r = settings_->rec;
    bool changed = false;
    for (const auto& [slot, before] : snapshots_) {
        SettingsRecord restored = r;
        restore_slot(restored, before, slot);
        if (std::memcmp(&restored, &r, sizeof r) != 0) changed = true;
        r = restored;
    }
    if (changed) mark_settings_changed(settings_);
    apply();
    remember_position(ctx);
}

void FmsetDialog::remember_position(DialogContext& ctx) {
    int x = 0, y = 0;
    if (!ctx.window_position(&x, &y)) return;
    ui_->position_known = true;
    ui_->x = x;
    ui_->y = y;
}

bool select_format_by_key(SettingsState* settings, int n, bool index_window_open) {
    if (n < 0 || n >= SCREEN_FORMAT_COUNT || format_name(settings->rec, n).empty()) return false;
    return select_screen_format(settings, n, index_window_open).changed;
}

int run_fmset_dialog(FmsetUi* ui, SettingsState* settings, FmsetServices services, WindowRef owner) {
    FmsetDialog dialog(ui, settings, std::move(services));
    return run_dialog("ENV_FMSET", dialog, owner);
}

}  // namespace rix

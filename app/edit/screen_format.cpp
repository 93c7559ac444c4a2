// Screen formats over the settings record: view, write-back, switching,
// names, the format font and the dialog's stores.
#include "app/edit/screen_format.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "app/edit/format_views.h"
#include "platform/codec.h"
#include "platform/messages.h"

namespace rix {

namespace {

int valid_slot(int slot) { return slot >= 0 && slot < FORMAT_SLOT_COUNT ? slot : 0; }
bool is_screen_slot(int slot) { return slot >= 0 && slot < SCREEN_FORMAT_COUNT; }
std::uint8_t byte_of(int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 255)); }

std::string text(std::string_view utf8) { return utf8_to_sjis(utf8); }

}  // namespace

// ---- the view and its write-back ----

ScreenFormat screen_format_view(const SettingsRecord& rec, int slot) {
    slot = valid_slot(slot);
    ScreenFormat f;
    f.slot = slot;
    f.vertical = rec.writing_direction[slot] == 0;
    f.columns_per_page = rec.columns_per_page[slot];
    f.chars_per_column = rec.chars_per_column[slot];
    f.tier_count = rec.tier_count[slot];
    f.tier_gap = rec.tier_gap[slot];
    f.page_columns = rec.page_columns[slot];
    f.kinsoku_mode = rec.kinsoku[slot].kinsoku_mode;
    f.cell_width_percent = rec.cell_width_percent[slot];
    f.cell_offset_percent = rec.cell_offset_percent[slot];
    f.margin_start_permille = rec.margin_start_permille[slot];
    f.margin_top_permille = rec.margin_top_permille[slot];
    f.margin_end_permille = rec.margin_end_permille[slot];
    f.margin_bottom_permille = rec.margin_bottom_permille[slot];
    f.margins_in_permille = (rec.margins_permille_done >> slot) & 1;
    f.auto_adjust = rec.auto_adjust[slot];
    f.caret_type = rec.caret_type[slot];
    f.edit_info_place = rec.edit_info_place[slot];
    f.font_height = rec.font[slot].height;
    if (is_screen_slot(slot)) {
        f.centre_margin_permille = rec.centre_margin_permille[slot];
    } else {
        const int p = print_index(slot);
        f.print = true;
        f.two_pages_per_sheet = rec.fukuro_toji[p] != 0;
        f.fold_length = rec.wrap_enabled[p] ? rec.wrap_chars[p] : 0;
        f.fukuro_offset_permille = rec.fukuro_offset_permille[p];
    }
    return f;
}

void apply_screen_format_changes(SettingsState* settings, int slot, const ScreenFormatChanges& changes) {
    if (!changes.any()) return;
    slot = valid_slot(slot);
    SettingsRecord& rec = settings->rec;
    if (changes.margins_migrated) {
        rec.margin_start_permille[slot] = byte_of(changes.margin_start_permille);
        rec.margin_top_permille[slot] = byte_of(changes.margin_top_permille);
        rec.margin_end_permille[slot] = byte_of(changes.margin_end_permille);
        rec.margin_bottom_permille[slot] = byte_of(changes.margin_bottom_permille);
        if (!is_screen_slot(slot)) {
            rec.fukuro_offset_permille[print_index(slot)] = byte_of(changes.fukuro_offset_permille);
        }
        rec.margins_permille_done = static_cast<std::uint8_t>(rec.margins_permille_done | (1u << slot));
    }
    if (changes.tier_count_fixed) rec.tier_count[slot] = 1;
    if (changes.counts_adjusted) {
        rec.columns_per_page[slot] = byte_of(changes.columns_per_page);
        rec.chars_per_column[slot] = byte_of(changes.chars_per_column);
    }
    if (changes.font_rescaled) rec.font[slot].height = changes.font_height;
    mark_settings_changed(settings);
}

// ---- switching formats ----

FormatSwitch select_screen_format(SettingsState* settings, int n, bool index_window_open) {
    FormatSwitch result;
    SettingsRecord& rec = settings->rec;
    const int old = current_screen_slot(rec);
    result.previous_slot = old;
    if (!is_screen_slot(n) || n == old) return result;
    rec.current_screen_format = static_cast<std::uint8_t>(n);
    mark_settings_changed(settings);
    result.changed = true;
    if (index_window_open) {
        const bool dock_differs = rec.index_dock[old] != rec.index_dock[n];
        const bool direction_differs = rec.writing_direction[old] != rec.writing_direction[n];
        result.redock_index = dock_differs || (rec.index_dock[n] == 0 && direction_differs);
    }
    return result;
}

// ---- names ----

std::string format_name(const SettingsRecord& rec, int slot) {
    const std::string_view field = read_field(rec.format_name[valid_slot(slot)], FORMAT_NAME_BYTES);
    std::size_t end = 0;
    while (end < field.size()) {
        const auto b = static_cast<std::uint8_t>(field[end]);
        if (is_lead_byte(b) && end + 1 == field.size()) break;   // its trail byte was cut off
        end += char_length_at(field, end);
    }
    return std::string(field.substr(0, end));
}

void store_format_name(SettingsState* settings, int slot, std::string_view name) {
    store_field(settings->rec.format_name[valid_slot(slot)], FORMAT_NAME_BYTES, name);
    mark_settings_changed(settings);
}

std::string counts_format_name(int columns, int chars, int tiers) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%d列x%d桁x%d段", columns, chars, tiers);
    return text(buf);
}

// ---- the format font ----

FontDescription font_description(const FontRecord& rec) {
    FontDescription d;
    d.height = rec.height;
    d.width = rec.width;
    d.escapement = rec.escapement;
    d.orientation = rec.orientation;
    d.weight = rec.weight;
    d.italic = rec.italic;
    d.underline = rec.underline;
    d.strike_out = rec.strike_out;
    d.charset = rec.charset;
    d.out_precision = rec.out_precision;
    d.clip_precision = rec.clip_precision;
    d.quality = rec.quality;
    d.pitch_and_family = rec.pitch_and_family;
    d.face = std::string(read_field(rec.face, sizeof rec.face));
    return d;
}

FontRecord font_record(const FontDescription& d) {
    FontRecord rec{};
    rec.height = d.height;
    rec.width = d.width;
    rec.escapement = d.escapement;
    rec.orientation = d.orientation;
    rec.weight = d.weight;
    rec.italic = d.italic;
    rec.underline = d.underline;
    rec.strike_out = d.strike_out;
    rec.charset = d.charset;
    rec.out_precision = d.out_precision;
    rec.clip_precision = d.clip_precision;
    rec.quality = d.quality;
    rec.pitch_and_family = d.pitch_and_family;
    // One byte is kept for the NUL the face names of other programs expect.
    store_field(rec.face, sizeof rec.face, d.face.substr(0, cut_on_boundary(d.face, sizeof rec.face - 1)));
    return rec;
}

bool create_format_font(SettingsState* settings, int slot, FontService& fonts, FontChooser* chooser,
                        FontMetrics* out) {
    slot = valid_slot(slot);
    for (;;) {
        const FontRecord& rec = settings->rec.font[slot];
        const FontRequest request = font_request_from_fields(rec.height, rec.width, rec.weight, rec.italic != 0,
                                                    read_field(rec.face, sizeof rec.face));
        FontMetrics m = fonts.metrics(request);
        if (m.valid) {
            format_font_size(rec.height, rec.width, is_screen_slot(slot), &m.cell_w, &m.cell_h);
            *out = m;
            return true;
        }
        messages().show_message(MSG_NOTICE, 0, text("フォントが正しくありません。\nフォントを選択してください。"),
                                FONT_INVALID_NOTICE_MS);
        if (chooser == nullptr || !choose_format_font(settings, slot, *chooser)) return false;
    }
}

std::string font_dialog_caption(int slot) {
    char buf[64];
    if (is_screen_slot(slot)) {
        std::snprintf(buf, sizeof buf, " 書式 %d", slot + 1);
    } else {
        std::snprintf(buf, sizeof buf, " 印刷書式 %d", print_index(valid_slot(slot)) + 1);
    }
    return text(std::string(buf) + "　文字フォントの設定");
}

bool choose_format_font(SettingsState* settings, int slot, FontChooser& chooser) {
    slot = valid_slot(slot);
    FontChoice choice;
    choice.caption = font_dialog_caption(slot);
    choice.help_topic = "ENV_FONT";
    choice.min_points = 1;
    choice.max_points = 24;
    choice.screen_fonts_only = is_screen_slot(slot);
    choice.font = font_description(settings->rec.font[slot]);
    if (!chooser.choose_font(&choice)) return false;
    FontRecord chosen = font_record(choice.font);
    if (settings->rec.writing_direction[slot] == 0) {
        chosen.escapement = FONT_VERTICAL_ESCAPEMENT;
        chosen.orientation = FONT_VERTICAL_ESCAPEMENT;
    }
    settings->rec.font[slot] = chosen;
    mark_settings_changed(settings);
    return true;
}

std::string font_style_name(const FontRecord& font) {
    const bool bold = font.weight > BOLD_WEIGHT_ABOVE;
    const bool italic = font.italic != 0;
    if (bold && italic) return text("太字斜体");
    if (bold) return text("太字");
    if (italic) return text("斜体");
    return text("標準");
}

int font_points(std::int16_t height, int dpi) {
    if (dpi <= 0) dpi = 96;
    return static_cast<int>(std::abs(static_cast<int>(height)) * 72.0 / dpi + 0.5);
}

bool direction_matches_face(int writing_direction, const FontRecord& font) {
    const bool at = is_vertical_face(read_field(font.face, sizeof font.face));
    return (writing_direction == 0) == at;
}

// ---- the dialog's numbers and choices ----

const FormatNumberRange FORMAT_NUMBER_RANGES[FORMAT_NUMBER_COUNT] = {
    {"１画面の列数", 10, 50}, {"１列の文字数", 5, 100}, {"段組数", 1, 4},
    {"段間桁数", 0, 3},       {"桝目幅％", 10, 100},    {"桝目補正量", -10, 10},
    {"タブ変換文字数", 1, 5}, {"頁替え列数", 10, 50},   {"中央余白％", 0, 200},
};

FormatNumbers format_numbers(const SettingsRecord& rec, int slot) {
    const int s = is_screen_slot(slot) ? slot : 0;
    return {rec.columns_per_page[s], rec.chars_per_column[s], rec.tier_count[s],
            rec.tier_gap[s],         rec.cell_width_percent[s], rec.cell_offset_percent[s],
            rec.tab_width[s],        rec.page_columns[s],       rec.centre_margin_permille[s]};
}

int first_bad_format_number(const FormatNumbers& values) {
    for (int i = 0; i < FORMAT_NUMBER_COUNT; ++i) {
        if (values[i] < FORMAT_NUMBER_RANGES[i].min || values[i] > FORMAT_NUMBER_RANGES[i].max) return i;
    }
    return -1;
}

std::string format_range_message(int index) {
    const FormatNumberRange& r = FORMAT_NUMBER_RANGES[std::clamp(index, 0, FORMAT_NUMBER_COUNT - 1)];
    char buf[160];
    std::snprintf(buf, sizeof buf, "%sの数値範囲は\n%d から %d までです。", r.name, r.min, r.max);
    return text(buf);
}

FormatNumberStore store_format_numbers(SettingsState* settings, int slot, const FormatNumbers& v) {
    FormatNumberStore result;
    result.bad_index = is_screen_slot(slot) ? first_bad_format_number(v) : FORMAT_NUMBER_COUNT;
    if (result.bad_index >= 0) return result;
    SettingsRecord& rec = settings->rec;
    const int old_tiers = rec.tier_count[slot];
    const int old_gap = rec.tier_gap[slot];
    result.page_count_stale = rec.chars_per_column[slot] != v[NUM_CHARS];
    rec.columns_per_page[slot] = byte_of(v[NUM_COLUMNS]);
    rec.chars_per_column[slot] = byte_of(v[NUM_CHARS]);
    rec.tier_count[slot] = byte_of(v[NUM_TIERS]);
    rec.tier_gap[slot] = byte_of(v[NUM_GAP]);
    rec.cell_width_percent[slot] = byte_of(v[NUM_CELL_WIDTH]);
    rec.cell_offset_percent[slot] = static_cast<std::int8_t>(v[NUM_CELL_OFFSET]);
    rec.tab_width[slot] = byte_of(v[NUM_TAB_WIDTH]);
    rec.page_columns[slot] = byte_of(v[NUM_PAGE_COLUMNS]);
    rec.centre_margin_permille[slot] = byte_of(v[NUM_CENTRE_MARGIN]);
    result.warn_zero_gap = v[NUM_TIERS] > 1 && v[NUM_GAP] == 0 && (v[NUM_TIERS] != old_tiers || old_gap > 0);
    mark_settings_changed(settings);
    return result;
}

FormatChoices format_choices(const SettingsRecord& rec, int slot) {
    const int s = is_screen_slot(slot) ? slot : 0;
    FormatChoices c;
    c.writing_direction = rec.writing_direction[s];
    c.grid_style = rec.grid_style[s];
    c.caret_type = rec.caret_type[s];
    c.edit_info_place = rec.edit_info_place[s];
    c.kinsoku_mode = rec.kinsoku[s].kinsoku_mode;
    c.small_kana_kinsoku = rec.kinsoku[s].small_kana_kinsoku != 0;
    c.auto_scroll = rec.auto_scroll[s] != 0;
    c.auto_indent = rec.auto_indent[s] != 0;
    c.line_end_marks = rec.mark_flags[s] & 1;
    c.page_break_marks = rec.mark_flags[s] & 2;
    c.halfwidth_display = rec.halfwidth_display[s];
    c.auto_adjust = rec.auto_adjust[s];
    c.column_numbering = rec.column_numbering[s];
    c.show_scrollbar = rec.show_scrollbar[s] != 0;
    c.edit_info_content = rec.edit_info_content[s];
    c.show_position_bar = rec.show_position_bar[s] != 0;
    return c;
}

bool store_format_choices(SettingsState* settings, int slot, const FormatChoices& c) {
    if (!is_screen_slot(slot)) return false;
    SettingsRecord& rec = settings->rec;
    // Either kinsoku value changing changes the wrapping (a sum of the two
    // could stay equal while both changed).
    const bool kinsoku_changed = rec.kinsoku[slot].kinsoku_mode != c.kinsoku_mode ||
                                 (rec.kinsoku[slot].small_kana_kinsoku != 0) != c.small_kana_kinsoku;
    rec.writing_direction[slot] = byte_of(c.writing_direction);
    rec.grid_style[slot] = byte_of(c.grid_style);
    rec.caret_type[slot] = byte_of(c.caret_type);
    rec.edit_info_place[slot] = byte_of(c.edit_info_place);
    rec.kinsoku[slot].kinsoku_mode = byte_of(c.kinsoku_mode);
    rec.kinsoku[slot].small_kana_kinsoku = c.small_kana_kinsoku;
    rec.auto_scroll[slot] = c.auto_scroll;
    rec.auto_indent[slot] = c.auto_indent;
    rec.mark_flags[slot] = static_cast<std::uint8_t>((c.line_end_marks ? 1 : 0) | (c.page_break_marks ? 2 : 0));
    rec.halfwidth_display[slot] = byte_of(c.halfwidth_display);
    rec.auto_adjust[slot] = byte_of(c.auto_adjust);
    rec.column_numbering[slot] = byte_of(c.column_numbering);
    rec.show_scrollbar[slot] = c.show_scrollbar;
    rec.edit_info_content[slot] = byte_of(c.edit_info_content);
    rec.show_position_bar[slot] = c.show_position_bar;
    mark_settings_changed(settings);
    return kinsoku_changed;
}

}  // namespace rix

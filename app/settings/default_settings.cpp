// The shipped defaults of the settings record and the range check.
//
// Screen formats (slots 0..4):
//   1 原稿用紙  vertical 20 characters × 20 columns, squares, centre gutter
//   2 文庫本    vertical, two tiers of 20 characters (a 40-character column)
//               × 17 columns, ruled lines: a paperback page
//   3 横書き    horizontal 20 × 20, squares
//   4 下書き    horizontal 40 characters × 30 lines, no grid, gothic
//   5 長編一覧  vertical 30 × 40, ruled, small characters
// Print formats (slots 5..7):
//   1 A4 landscape, vertical 20 × 20 squares, two pages per sheet (袋綴じ)
//   2 B5 (JIS) portrait, vertical 20 × 20, ruled
//   3 A4 portrait, horizontal 40 × 30
// Font sizes and margins are chosen so that on the first window (1100 × 760)
// every screen format's characters fit the pitches the geometry gives them.
// Texts are written as UTF-8 here and stored as code page 932.
#include "app/settings/default_settings.h"

#include <algorithm>
#include <cstring>

#include "app/window/command_table.h"
#include "document/line_format.h"
#include "platform/codec.h"

namespace rix {

namespace {

// Font record constants (Windows LOGFONT values).
constexpr std::uint8_t SHIFTJIS_CHARSET = 128;
constexpr std::uint8_t OUT_STROKE_PRECIS = 3;
constexpr std::uint8_t CLIP_STROKE_PRECIS = 2;
constexpr std::uint8_t DRAFT_QUALITY = 1;
constexpr std::uint8_t MINCHO_PITCH = 0x11;   // FIXED_PITCH | FF_ROMAN
constexpr std::uint8_t GOTHIC_PITCH = 0x31;   // FIXED_PITCH | FF_MODERN
constexpr std::int16_t VERTICAL_ESCAPEMENT = 2700;

// Paper codes: DEVMODE paper size in bits 0-6, bit 7 landscape.
constexpr std::uint8_t PAPER_A4 = 9;
constexpr std::uint8_t PAPER_B5_JIS = 13;
constexpr std::uint8_t PAPER_LANDSCAPE = 0x80;

// Tool lists: command slot numbers 1..51 with flag bits.
constexpr std::uint8_t TOOLBAR_SEPARATOR = 0x40;   // one separator before the button
constexpr std::uint8_t MENU_INDENT = 0x40;
constexpr std::uint8_t MENU_SEPARATOR = 0x80;

constexpr std::uint32_t rgb(unsigned r, unsigned g, unsigned b) { return r | (g << 8) | (b << 16); }

struct ScreenDefaults {
    const char* name;            // UTF-8, at most 15 bytes in code page 932
    std::uint8_t direction;      // 0 vertical, 1 horizontal
    std::uint8_t grid;           // grid_style
    std::uint8_t chars;          // chars_per_column (per tier)
    std::uint8_t columns;        // columns_per_page
    std::uint8_t tiers, gap;
    std::uint8_t centre_permille;
    std::uint8_t side_margin;    // start and end margins, ‰ of the width
    std::uint8_t cell_width_percent;
    std::uint8_t marks;          // mark_flags
    std::uint8_t adjust;         // auto_adjust
    std::uint8_t numbering;      // column_numbering
    const char* face;            // UTF-8
    std::int16_t height;         // font height, pixels (negative: character height)
    std::uint8_t pitch;
    std::uint32_t fill, text, grid_rgb;
    std::uint8_t grid_index;     // palette index kept beside the RGB grid colour
};

constexpr ScreenDefaults SCREEN_DEFAULTS[SCREEN_FORMAT_COUNT] = {
    {"原稿用紙20×20", 0, 3, 20, 20, 1, 0, 30, 30, 25, 3, 1, 1, "@IPAex明朝", -24, MINCHO_PITCH,
     rgb(0xFA, 0xF4, 0xE8), rgb(0x20, 0x20, 0x30), rgb(0xC0, 0x60, 0x40), 1},
    {"文庫本40×17", 0, 1, 20, 17, 2, 1, 0, 150, 10, 1, 1, 1, "@IPAex明朝", -14, MINCHO_PITCH,
     rgb(0xFC, 0xFB, 0xF7), rgb(0x20, 0x20, 0x20), rgb(0xB4, 0xB4, 0xB4), 8},
    {"横書き20×20", 1, 3, 20, 20, 1, 0, 0, 250, 25, 3, 1, 1, "IPAex明朝", -20, MINCHO_PITCH,
     rgb(0xF2, 0xF8, 0xEE), rgb(0x20, 0x20, 0x20), rgb(0x50, 0x98, 0x68), 2},
    {"下書き40×30", 1, 0, 40, 30, 1, 0, 0, 30, 10, 1, 2, 0, "IPAexゴシック", -16, GOTHIC_PITCH,
     rgb(0xFF, 0xFF, 0xFF), rgb(0x00, 0x00, 0x00), rgb(0xC0, 0xC0, 0xC0), 8},
    {"長編一覧30×40", 0, 1, 30, 40, 1, 0, 0, 30, 10, 1, 1, 0, "@IPAex明朝", -12, MINCHO_PITCH,
     rgb(0xF0, 0xF6, 0xF6), rgb(0x20, 0x20, 0x20), rgb(0xC8, 0xC8, 0xD0), 8},
};

struct PrintDefaults {
    const char* name;
    std::uint8_t direction, grid, chars, columns;
    std::uint8_t cell_width_percent;
    const char* face;
    std::uint8_t font_size;      // tenths of a point
    std::uint8_t paper;          // paper code
    std::uint8_t fukuro_toji;
    std::uint8_t grid_index;     // palette index of the grid
    std::uint8_t side_margin;    // ‰ of the page width, start and end
    std::uint8_t top_margin;     // ‰ of the page height, top and bottom
};

constexpr PrintDefaults PRINT_DEFAULTS[PRINT_FORMAT_COUNT] = {
    // Margins that leave square cells of about 6.5 mm on each half of the
    // sheet (the margins of both halves are ‰ of the whole width).
    {"原稿A4袋綴じ", 0, 3, 20, 20, 25, "@IPAex明朝", 160, PAPER_A4 | PAPER_LANDSCAPE, 1, 1, 36, 198},
    {"B5縦書20×20", 0, 1, 20, 20, 20, "@IPAex明朝", 150, PAPER_B5_JIS, 0, 7, 80, 200},
    {"A4横書40×30", 1, 0, 40, 30, 10, "IPAex明朝", 105, PAPER_A4, 0, 7, 80, 80},
};

// Page numbers and titles are set with a horizontal font at the bottom and top centre.
constexpr const char* HEADER_FACE = "IPAex明朝";
constexpr std::uint8_t HEADER_FONT_SIZE = 100;
constexpr std::uint8_t POSITION_BOTTOM_CENTRE = 5;
constexpr std::uint8_t POSITION_TOP_CENTRE = 6;

// Tool bar: new, open, save, save as | print, preview | undo, redo | cut, copy,
// paste | ruby, date | find, replace, jump | tag, notebook, index, synonyms,
// count | screen format, common settings | help.
constexpr std::uint8_t DEFAULT_TOOLBAR[] = {
    28, 3, 1, 2,
    TOOLBAR_SEPARATOR | 7, 48,
    TOOLBAR_SEPARATOR | 10, 43,
    TOOLBAR_SEPARATOR | 11, 12, 13,
    TOOLBAR_SEPARATOR | 14, 26,
    TOOLBAR_SEPARATOR | 15, 16, 17,
    TOOLBAR_SEPARATOR | 45, 25, 33, 34, 37,
    TOOLBAR_SEPARATOR | 24, 30,
    TOOLBAR_SEPARATOR | 49,
};

// The classic right-click menu: the edit menu, the jump menu, the aids, the
// settings, end and help (command ids 200 201 202 203 205 215 | 214 206 207 |
// 300 301 310 | 401 403 404 405 406 | 600 601 | 115 799, 606 indented).
constexpr std::uint8_t DEFAULT_RIGHT_CLICK[] = {
    10, 43, 11, 12, 13, 44,
    MENU_SEPARATOR | 39, 14, 26,
    MENU_SEPARATOR | 15, 16, 17,
    MENU_SEPARATOR | 45, 25, 33, 34, 37,
    MENU_SEPARATOR | 30, 24,
    MENU_SEPARATOR | 9, 49, MENU_INDENT | 23,
};
static_assert(sizeof DEFAULT_TOOLBAR <= 32 && sizeof DEFAULT_RIGHT_CLICK <= 32);

// Ctrl+letter edit keys: the familiar Ctrl+Z, X, C, V, and Ctrl+H / Ctrl+M
// as back space and line break (edit-key slots 10..15).
struct EditKeyDefault {
    int slot;
    char letter;
};
constexpr EditKeyDefault DEFAULT_EDIT_KEYS[] = {
    {10, 'H'}, {11, 'M'}, {12, 'Z'}, {13, 'X'}, {14, 'C'}, {15, 'V'},
};

template <std::size_t N>
void store_text(char (&field)[N], std::string_view utf8) {
    store_field(field, N, utf8_to_sjis(utf8));
}

FontRecord make_font(const char* face_utf8, std::int16_t height, bool vertical, std::uint8_t pitch) {
    FontRecord font{};
    font.height = height;
    font.escapement = vertical ? VERTICAL_ESCAPEMENT : 0;
    font.orientation = font.escapement;
    font.weight = 400;
    font.charset = SHIFTJIS_CHARSET;
    font.out_precision = OUT_STROKE_PRECIS;
    font.clip_precision = CLIP_STROKE_PRECIS;
    font.quality = DRAFT_QUALITY;
    font.pitch_and_family = pitch;
    store_text(font.face, face_utf8);
    return font;
}

// Settings of the per-format arrays that screen and print slots share.
void set_common_slot(SettingsRecord* rec, int slot, std::uint8_t direction, std::uint8_t grid,
                     std::uint8_t chars, std::uint8_t columns) {
    rec->writing_direction[slot] = direction;
    rec->grid_style[slot] = grid;
    rec->kinsoku[slot] = KinsokuSetting{1, 0};
    rec->halfwidth_display[slot] = 0;
    rec->chars_per_column[slot] = chars;
    rec->columns_per_page[slot] = columns;
    rec->tier_count[slot] = 1;
    rec->tier_gap[slot] = 0;
    rec->page_columns[slot] = columns;
    rec->tab_width[slot] = 2;
    rec->cell_offset_percent[slot] = 0;
    rec->text_colour[slot] = 0;
}

void set_screen_format(SettingsRecord* rec, int f, const ScreenDefaults& d) {
    store_text(rec->format_name[f], d.name);
    set_common_slot(rec, f, d.direction, d.grid, d.chars, d.columns);
    rec->tier_count[f] = d.tiers;
    rec->tier_gap[f] = d.gap;
    rec->caret_type[f] = 0;
    rec->edit_info_place[f] = 0;
    rec->auto_scroll[f] = 1;
    rec->auto_indent[f] = 0;
    rec->mark_flags[f] = d.marks;
    rec->auto_adjust[f] = d.adjust;
    rec->column_numbering[f] = d.numbering;
    rec->grid_colour[f] = d.grid_index;
    rec->old_caret_colour_index[f] = 12;
    rec->old_ime_text_colour_index[f] = 0;
    rec->margin_start_permille[f] = d.side_margin;
    rec->margin_top_permille[f] = 40;
    rec->margin_end_permille[f] = d.side_margin;
    rec->margin_bottom_permille[f] = 40;
    rec->cell_width_percent[f] = d.cell_width_percent;
    rec->font[f] = make_font(d.face, d.height, d.direction == 0, d.pitch);

    rec->toolbar_size[f] = 1;
    rec->fill_colour[f] = d.fill;
    rec->ime_back_colour[f] = rgb(0xFF, 0xF0, 0xA0);
    rec->show_scrollbar[f] = 1;
    rec->index_dock[f] = 0;
    rec->background_mode[f] = 0;
    rec->edit_info_content[f] = 0;
    rec->centre_margin_permille[f] = d.centre_permille;
    rec->show_position_bar[f] = 1;
    rec->text_colour_rgb[f] = d.text;
    rec->grid_colour_rgb[f] = d.grid_rgb;
    rec->caret_colour[f] = rgb(0x00, 0x60, 0xE0);
    rec->ime_text_colour[f] = rgb(0x00, 0x00, 0x00);
    rec->mark_colour[f] = rgb(0x30, 0x80, 0xC0);
    rec->tag_background[f] = rgb(0xFF, 0xF4, 0xC4);   // a pale yellow note
    rec->mouse_cursor_colour[f] = rgb(0x30, 0x30, 0x30);
}

// The registered line formats of a screen format: F5 a heading (140 %,
// bold), F6 a quotation (indented 2), F7 dialogue hanging by one, F8 a
// subheading (120 %, bold), F9 a note (blue, 90 %), F10 red, F11 and F12
// the plain line. The keys apply them and a line break starts plain; none
// acts on typed text until the writer gives it a character.
void set_registered_line_formats(SettingsRecord* rec, int f) {
    auto word = [](int indent, int first, int size_index, bool bold, int colour) {
        LineFormat w;
        w.indent = indent;
        w.first_line = first;
        w.size_index = size_index;
        w.bold_toggle = bold;
        w.colour_on = colour >= 0;
        w.colour = colour >= 0 ? colour : 0;
        return encode_line_format(w);
    };
    const std::uint32_t words[8] = {word(0, 0, 0, true, -1),  word(2, 0, LINE_SIZE_PLAIN, false, -1),
                                    word(1, -1, LINE_SIZE_PLAIN, false, -1), word(0, 0, 2, true, -1),
                                    word(0, 0, 5, false, 12), word(0, 0, LINE_SIZE_PLAIN, false, 9), 0, 0};
    std::copy(std::begin(words), std::end(words), rec->registered_line_formats[f]);
    rec->line_format_options[f] = 3;   // F5..F12 on, reset at a line break
}

void set_print_format(SettingsRecord* rec, int p, const PrintDefaults& d) {
    const int slot = FIRST_PRINT_SLOT + p;
    store_text(rec->format_name[slot], d.name);
    set_common_slot(rec, slot, d.direction, d.grid, d.chars, d.columns);
    rec->grid_colour[slot] = d.grid_index;
    rec->margin_start_permille[slot] = d.side_margin;
    rec->margin_top_permille[slot] = d.top_margin;
    rec->margin_end_permille[slot] = d.side_margin;
    rec->margin_bottom_permille[slot] = d.top_margin;
    rec->cell_width_percent[slot] = d.cell_width_percent;
    // The record height only sets the shape: output scales it to font_size.
    rec->font[slot] = make_font(d.face, static_cast<std::int16_t>(-(d.font_size * 96 / 720)),
                                d.direction == 0, MINCHO_PITCH);

    rec->print_font_size[p] = d.font_size;
    rec->printer_paper[p] = d.paper;
    rec->print_flags[p] = 1;   // page numbers, no title
    rec->wrap_enabled[p] = 0;
    rec->wrap_chars[p] = d.chars;
    rec->fukuro_toji[p] = d.fukuro_toji;
    rec->fukuro_offset_permille[p] = 0;
    rec->header_offset_v_permille[p] = 40;
    rec->header_offset_h_permille[p] = 50;
    rec->position_adjust_enabled[p] = 0;
    rec->adjust_column_interval[p] = 10;
    rec->adjust_column_offset[p] = 0;
    rec->adjust_char_offset[p] = 0;
    rec->index_flags[p] = 0;
    rec->header_font_size[p] = HEADER_FONT_SIZE;
    rec->header_colour[p] = 0;
    rec->print_background[p] = 0;
    rec->page_number_position[p] = POSITION_BOTTOM_CENTRE;
    rec->title_position[p] = POSITION_TOP_CENTRE;
    rec->header_font[p] = make_font(HEADER_FACE, -13, false, MINCHO_PITCH);
}

void set_files_and_start(SettingsRecord* rec) {
    store_field(rec->new_document_name, sizeof rec->new_document_name, DEFAULT_NEW_DOCUMENT_NAME);
    rec->current_screen_format = 0;
    rec->ime_control = 1;
    rec->store_history = 1;
    rec->right_button_action = 0;
    rec->marks_on_digit_keys = 1;
    rec->folders_first = 1;
    rec->save_file_code = 0;
    rec->restore_flags = 0;
    rec->startup_choice = 0;
    rec->startup_action = 0;
    rec->accel_chars = 1;
    rec->accel_columns = 1;
    rec->ruby_notation = 3;
    store_text(rec->ruby_custom_delimiters, "《》");
    rec->ruby_allotment = 0;
    rec->autosave_flags = 0x02;   // every few minutes
    rec->autosave_generations = 3;
    rec->autosave_chars = 500;
    rec->autosave_minutes = 5;
    rec->wheel_columns = 3;
    store_text(rec->line_id_symbol, "§");
    rec->download_flags = 0x02 | (1 << 3);   // convert rubies, keep the document
    rec->margins_permille_done = 0xFF;       // the margins below are already in ‰
    rec->window_x = 40;
    rec->window_y = 40;
    rec->window_width = 1100;
    rec->window_height = 760;
}

void set_output_options(SettingsRecord* rec) {
    rec->html_font = 0;
    rec->html_next_guide = 1;
    rec->html_prev_guide = 1;
    rec->html_back_button = 1;
    rec->html_ruby_separators = 3;
    store_text(rec->html_custom_separators, "《》");
    rec->html_title_mode = 1;
    rec->html_format = 0;
    rec->html_help_lines = 0x07;
    rec->html_help_size = 1;
    rec->html_help_colour = 7;
    rec->html_guide_colour = 4;
    rec->html_size_mode = 1;
    rec->html_height_percent = 90;
    rec->html_width_percent = 95;
    rec->pdf_options = 0x03;          // open after writing, compress
    rec->pdf_outline_options = 0x05;  // outline, shown when opened
    rec->epub_flags = 0x05;           // chapter numbers, split by size
    rec->epub_font_size_index = 2;
    rec->epub_line_spacing_index = 2;
    rec->epub_split_kb = 100;
    rec->db_content_spacing = 2;
    rec->list_line_spacing = 1;
    rec->current_print_format = FIRST_PRINT_SLOT;
    rec->print_range_mode = 0;
    rec->print_range_start = 1;
    rec->print_range_end = 999;
    rec->first_page_number = 0;
}

void set_tool_lists(SettingsRecord* rec) {
    std::memcpy(rec->toolbar_items, DEFAULT_TOOLBAR, sizeof DEFAULT_TOOLBAR);
    std::memcpy(rec->right_click_items, DEFAULT_RIGHT_CLICK, sizeof DEFAULT_RIGHT_CLICK);
    for (const EditKeyDefault& k : DEFAULT_EDIT_KEYS)
        rec->edit_key_letters[k.slot] = static_cast<std::uint8_t>(k.letter);
}

}  // namespace

void store_default_kinsoku_sets(SettingsRecord* rec) {
    store_field(rec->line_start_prohibited, sizeof rec->line_start_prohibited, DEFAULT_LINE_START_PROHIBITED);
    store_field(rec->line_end_prohibited, sizeof rec->line_end_prohibited, DEFAULT_LINE_END_PROHIBITED);
}

void build_default_settings(SettingsRecord* rec) {
    std::memset(rec, 0, sizeof *rec);
    store_field(rec->file_signature, sizeof rec->file_signature, SETTINGS_SIGNATURE);
    set_files_and_start(rec);
    set_output_options(rec);
    set_tool_lists(rec);
    store_default_kinsoku_sets(rec);
    for (int f = 0; f < SCREEN_FORMAT_COUNT; ++f) {
        set_screen_format(rec, f, SCREEN_DEFAULTS[f]);
        set_registered_line_formats(rec, f);
    }
    for (int p = 0; p < PRINT_FORMAT_COUNT; ++p) set_print_format(rec, p, PRINT_DEFAULTS[p]);
}

// ---- range check ----

namespace {

class RangeCheck {
public:
    explicit RangeCheck(std::string* problem) : problem_(problem) {}
    bool ok() const { return ok_; }

    void in(const char* name, int index, long value, long lo, long hi) {
        if (value >= lo && value <= hi) return;
        fail(name, index, std::to_string(value) + ", expected " + std::to_string(lo) + ".." + std::to_string(hi));
    }
    void in(const char* name, long value, long lo, long hi) { in(name, -1, value, lo, hi); }

    void fail(const char* name, int index, const std::string& what) {
        if (!ok_) return;   // keep the first problem
        ok_ = false;
        if (problem_ == nullptr) return;
        *problem_ = name;
        if (index >= 0) *problem_ += "[" + std::to_string(index) + "]";
        *problem_ += " = " + what;
    }

private:
    std::string* problem_;
    bool ok_ = true;
};

// A tool list: slots up to the first 0, each a real command, none twice.
void check_tool_list(RangeCheck* check, const char* name, const std::uint8_t (&items)[32]) {
    bool seen[COMMAND_SLOT_COUNT + 1] = {};
    for (int i = 0; i < 32 && items[i] != 0; ++i) {
        int slot = items[i] & 0x3F;
        if (!command_slot(slot) || seen[slot])
            check->fail(name, i, std::to_string(slot) + ", not a command slot or repeated");
        else
            seen[slot] = true;
    }
}

// A text of double-byte characters only (the kinsoku sets, delimiter pairs).
bool double_byte_only(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); i += 2)
        if (i + 1 >= text.size() || !is_lead_byte(static_cast<std::uint8_t>(text[i])) ||
            !is_trail_byte(static_cast<std::uint8_t>(text[i + 1])))
            return false;
    return true;
}

void check_texts(RangeCheck* c, const SettingsRecord& r) {
    if (read_field(r.new_document_name, sizeof r.new_document_name).empty())
        c->fail("new_document_name", -1, "empty");
    if (!double_byte_only(read_field(r.line_start_prohibited, sizeof r.line_start_prohibited)))
        c->fail("line_start_prohibited", -1, "not double-byte characters");
    if (!double_byte_only(read_field(r.line_end_prohibited, sizeof r.line_end_prohibited)))
        c->fail("line_end_prohibited", -1, "not double-byte characters");
    c->in("line_id_symbol length", static_cast<long>(read_field(r.line_id_symbol, sizeof r.line_id_symbol).size()), 2, 2);
    std::string_view delimiters = read_field(r.ruby_custom_delimiters, sizeof r.ruby_custom_delimiters);
    if (!delimiters.empty() && (delimiters.size() != 4 || !double_byte_only(delimiters)))
        c->fail("ruby_custom_delimiters", -1, "not two double-byte characters");
    for (int slot = 0; slot < FORMAT_SLOT_COUNT; ++slot)
        if (read_field(r.format_name[slot], sizeof r.format_name[slot]).empty()) c->fail("format_name", slot, "empty");
    for (int i = 0; i < 32; ++i) {
        std::uint8_t k = r.edit_key_letters[i];
        if (k != 0 && (k < 'A' || k > 'Z')) c->fail("edit_key_letters", i, std::to_string(k) + ", not A..Z");
    }
}

void check_general(RangeCheck* c, const SettingsRecord& r) {
    c->in("current_screen_format", r.current_screen_format, 0, 4);
    c->in("ime_control", r.ime_control, 0, 1);
    c->in("fullwidth_file_names", r.fullwidth_file_names, 0, 1);
    c->in("store_history", r.store_history, 0, 1);
    c->in("right_button_action", r.right_button_action, 0, 2);
    c->in("marks_on_digit_keys", r.marks_on_digit_keys, 0, 1);
    c->in("folders_first", r.folders_first, 0, 1);
    c->in("save_file_code", r.save_file_code, 0, 2);
    c->in("startup_choice", r.startup_choice, 0, 1);
    c->in("startup_action", r.startup_action, 0, 3);
    c->in("html_font", r.html_font, 0, 1);
    c->in("html_bold", r.html_bold, 0, 1);
    c->in("html_next_guide", r.html_next_guide, 0, 1);
    c->in("html_prev_guide", r.html_prev_guide, 0, 1);
    c->in("html_back_button", r.html_back_button, 0, 1);
    c->in("html_ruby_separators", r.html_ruby_separators, 0, 4);
    c->in("html_title_mode", r.html_title_mode, 0, 2);
    c->in("accel_chars", r.accel_chars, 0, 4);
    c->in("accel_columns", r.accel_columns, 0, 4);
    c->in("html_format", r.html_format, 0, 1);
    c->in("ruby_notation", r.ruby_notation, 0, 4);
    c->in("ruby_allotment", r.ruby_allotment, 0, 2);
    c->in("autosave_flags", r.autosave_flags, 0, 7);
    c->in("autosave_generations", r.autosave_generations, 1, 99);
    c->in("autosave_chars", r.autosave_chars, 1, 9999);
    c->in("autosave_minutes", r.autosave_minutes, 1, 9999);
    c->in("index_move_sound", r.index_move_sound, 0, 1);
    c->in("db_content_spacing", r.db_content_spacing, 0, 4);
    c->in("html_help_lines", r.html_help_lines, 0, 7);
    c->in("html_help_size", r.html_help_size, 0, 2);
    c->in("html_help_colour", r.html_help_colour, 0, 15);
    c->in("html_guide_colour", r.html_guide_colour, 0, 15);
    c->in("ftp_site_index", r.ftp_site_index, 0, 2);
    c->in("ftp_sort_linked", r.ftp_sort_linked, 0, 1);
    c->in("html_size_mode", r.html_size_mode, 0, 1);
    c->in("html_height_percent", r.html_height_percent, 10, 100);
    c->in("html_width_percent", r.html_width_percent, 10, 100);
    c->in("pdf_options", r.pdf_options, 0, 3);
    c->in("pdf_outline_options", r.pdf_outline_options, 0, 7);
    c->in("index_window_open", r.index_window_open, 0, 1);
    c->in("no_backup", r.no_backup, 0, 1);
    c->in("no_beep", r.no_beep, 0, 1);
    c->in("start_maximized", r.start_maximized, 0, 1);
    c->in("list_line_spacing", r.list_line_spacing, 0, 2);
    c->in("epub_font_size_index", r.epub_font_size_index, 0, 4);
    c->in("epub_line_spacing_index", r.epub_line_spacing_index, 0, 4);
    c->in("jump_sheet_page", r.jump_sheet_page, 0, 3);
    c->in("mark_check_memory", r.mark_check_memory, 0, 15);
    c->in("jump_string_slot", r.jump_string_slot, 0, 7);
    c->in("synonym_display", r.synonym_display, 0, 1);
    c->in("window_x", r.window_x, 0, 32767);
    c->in("window_y", r.window_y, 0, 32767);
    c->in("window_width", r.window_width, 1, 32767);
    c->in("window_height", r.window_height, 1, 32767);
    c->in("db_flags", r.db_flags, 0, 1);
}

// The font of a slot must be a vertical-writing face exactly when the slot is vertical.
void check_font_direction(RangeCheck* c, const char* name, int slot, const FontRecord& font, bool vertical) {
    std::string_view face = read_field(font.face, sizeof font.face);
    if (face.empty()) {
        c->fail(name, slot, "no face name");
    } else if ((face[0] == '@') != vertical) {
        c->fail(name, slot, "face direction differs from the writing direction");
    }
}

// Fields every slot has, screen or print.
void check_shared_slot(RangeCheck* c, const SettingsRecord& r, int s) {
    c->in("writing_direction", s, r.writing_direction[s], 0, 1);
    c->in("grid_style", s, r.grid_style[s], 0, 3);
    c->in("kinsoku_mode", s, r.kinsoku[s].kinsoku_mode, 0, 2);
    c->in("small_kana_kinsoku", s, r.kinsoku[s].small_kana_kinsoku, 0, 1);
    c->in("halfwidth_display", s, r.halfwidth_display[s], 0, 1);
    c->in("text_colour", s, r.text_colour[s], 0, 15);
    c->in("grid_colour", s, r.grid_colour[s], 0, 15);
    c->in("old_caret_colour_index", s, r.old_caret_colour_index[s], 0, 15);
    c->in("old_ime_text_colour_index", s, r.old_ime_text_colour_index[s], 0, 15);
    c->in("chars_per_column", s, r.chars_per_column[s], 5, 100);
    c->in("tier_count", s, r.tier_count[s], 1, 4);
    c->in("tier_gap", s, r.tier_gap[s], 0, 3);
    c->in("cell_offset_percent", s, r.cell_offset_percent[s], -10, 10);
    c->in("cell_width_percent", s, r.cell_width_percent[s], 10, 100);
    c->in("margins across", s, r.margin_start_permille[s] + r.margin_end_permille[s], 0, 500);
    c->in("margins along", s, r.margin_top_permille[s] + r.margin_bottom_permille[s], 0, 500);
    check_font_direction(c, "font", s, r.font[s], r.writing_direction[s] == 0);
}

void check_screen_slot(RangeCheck* c, const SettingsRecord& r, int f) {
    check_shared_slot(c, r, f);
    c->in("caret_type", f, r.caret_type[f], 0, 2);
    c->in("edit_info_place", f, r.edit_info_place[f], 0, 3);
    c->in("auto_scroll", f, r.auto_scroll[f], 0, 1);
    c->in("auto_indent", f, r.auto_indent[f], 0, 1);
    c->in("mark_flags", f, r.mark_flags[f], 0, 3);
    c->in("auto_adjust", f, r.auto_adjust[f], 0, 2);
    c->in("spare_strip_flag", f, r.spare_strip_flag[f], 0, 1);
    c->in("column_numbering", f, r.column_numbering[f], 0, 1);
    c->in("columns_per_page", f, r.columns_per_page[f], 10, 50);
    c->in("page_columns", f, r.page_columns[f], 10, 50);
    c->in("tab_width", f, r.tab_width[f], 1, 5);
    c->in("font height", f, r.font[f].height < 0 ? -r.font[f].height : r.font[f].height, 1, 50);
    c->in("toolbar_size", f, r.toolbar_size[f], 0, 2);
    c->in("show_scrollbar", f, r.show_scrollbar[f], 0, 1);
    c->in("index_dock", f, r.index_dock[f], 0, 2);
    c->in("background_mode", f, r.background_mode[f], 0, 2);
    c->in("edit_info_content", f, r.edit_info_content[f], 0, 2);
    c->in("centre_margin_permille", f, r.centre_margin_permille[f], 0, 200);
    c->in("show_position_bar", f, r.show_position_bar[f], 0, 1);
}

// Position codes 4 and 7 need a vertical header font, 5 and 6 a horizontal one.
void check_header_position(RangeCheck* c, const char* name, int p, std::uint8_t code, bool vertical_header) {
    c->in(name, p, code, 0, 7);
    if ((code == 4 || code == 7) && !vertical_header) c->fail(name, p, "middle position with a horizontal font");
    if ((code == 5 || code == 6) && vertical_header) c->fail(name, p, "centre position with a vertical font");
}

void check_print_slot(RangeCheck* c, const SettingsRecord& r, int p) {
    const int s = FIRST_PRINT_SLOT + p;
    check_shared_slot(c, r, s);
    c->in("columns_per_page", s, r.columns_per_page[s], 5, 100);
    c->in("print_font_size", p, r.print_font_size[p], 1, 200);
    c->in("printer_paper size", p, r.printer_paper[p] & 0x7F, 1, 127);
    c->in("print_flags", p, r.print_flags[p], 0, 0x3F);
    c->in("print_flags title mode", p, (r.print_flags[p] >> 1) & 3, 0, 2);
    c->in("wrap_enabled", p, r.wrap_enabled[p], 0, 1);
    c->in("wrap_chars", p, r.wrap_chars[p], 5, r.chars_per_column[s]);
    c->in("fukuro_toji", p, r.fukuro_toji[p], 0, 1);
    c->in("fukuro_offset_permille", p, r.fukuro_offset_permille[p], 0, 20);
    c->in("header_offset_v_permille", p, r.header_offset_v_permille[p], 0, 90);
    c->in("header_offset_h_permille", p, r.header_offset_h_permille[p], 0, 90);
    c->in("position_adjust_enabled", p, r.position_adjust_enabled[p], 0, 1);
    c->in("adjust_column_interval", p, r.adjust_column_interval[p], 1, 100);
    c->in("adjust_column_offset", p, r.adjust_column_offset[p], -99, 99);
    c->in("adjust_char_offset", p, r.adjust_char_offset[p], -99, 99);
    c->in("index_flags", p, r.index_flags[p], 0, 3);
    c->in("header_font_size", p, r.header_font_size[p], 10, 200);
    c->in("header_colour", p, r.header_colour[p], 0, 15);
    c->in("print_background", p, r.print_background[p], 0, 1);
    // A header font of height 0 is a copy of the text font.
    const FontRecord& header = r.header_font[p].height != 0 ? r.header_font[p] : r.font[s];
    bool vertical_header = header.face[0] == '@';
    check_header_position(c, "page_number_position", p, r.page_number_position[p], vertical_header);
    check_header_position(c, "title_position", p, r.title_position[p], vertical_header);
}

void check_print_range(RangeCheck* c, const SettingsRecord& r) {
    c->in("current_print_format", r.current_print_format, FIRST_PRINT_SLOT, FIRST_PRINT_SLOT + 2);
    c->in("print_range_mode", r.print_range_mode, 0, 2);
    c->in("print_range_start", r.print_range_start, 1, 65535);
    c->in("print_range_end", r.print_range_end, r.print_range_start, 65535);
    c->in("first_page_number", r.first_page_number, 0, 999);
}

}  // namespace

bool check_settings_ranges(const SettingsRecord& rec, std::string* problem) {
    RangeCheck check(problem);
    check_general(&check, rec);
    check_texts(&check, rec);
    check_tool_list(&check, "toolbar_items", rec.toolbar_items);
    check_tool_list(&check, "right_click_items", rec.right_click_items);
    for (int f = 0; f < SCREEN_FORMAT_COUNT; ++f) check_screen_slot(&check, rec, f);
    for (int p = 0; p < PRINT_FORMAT_COUNT; ++p) check_print_slot(&check, rec, p);
    check_print_range(&check, rec);
    return check.ok();
}

}  // namespace rix

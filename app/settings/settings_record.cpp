// Reading and writing the environment file (rix.env), and the conversion of
// the older 1024-byte layout.
//
// The file is the raw SettingsRecord (settings_record.h holds the field
// layout); in outline:
//
//   OFFSET  SIZE  MEANING
//   0x000   16    signature "RIX-WIN v7.11" + NULs; version text at 0x009
//   0x010   368   folders, document name pattern, general switches
//   0x180   480   switches, tool bar, edit keys, kinsoku sets, window places, fonts
//   0x360   864   per-format arrays (8 slots) and format fonts
//   0x6c0   320   screen-only arrays, print range, print-only arrays, database window
//   0x800   1024  FTP sites, notebook and database file names
//   0xc00   1024  line formats, background images, screen colours, header and database fonts
//
// A file of 4096 bytes or more is taken as is (bytes beyond 4096 are ignored);
// a shorter one is an old record, converted by the table below after the user
// agreed. This file never asserts on file bytes: every value read is used
// only as a value, every palette index is masked, every text is read bounded.
// Writing goes through atomic_replace, so a failed write leaves the old file
// whole.
#include "app/settings/settings_record.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "app/settings/default_settings.h"
#include "platform/codec.h"
#include "platform/files.h"
#include "platform/messages.h"

namespace rix {

namespace {

// One move of the conversion: `size` bytes from `old_at` of the old record to
// `new_at` of the new one.
struct OldFieldMove {
    std::uint16_t new_at;
    std::uint16_t old_at;
    std::uint16_t size;
};

// The 1024-byte layout, field by field (new offset, old offset, bytes).
// Per-slot runs of the old file are contiguous like the new ones, so a run of
// eight slots moves as one block.
constexpr OldFieldMove OLD_LAYOUT[] = {
    {0x000, 0x000, 16},   // signature (replaced at the next write)
    {0x010, 0x010, 16},   // reserved
    {0x020, 0x020, 32},   // document_folder (old field 32 bytes)
    {0x0a0, 0x040, 32},   // previous_document (old field 32 bytes)
    {0x180, 0x0e0, 1},    // current_screen_format
    {0x181, 0x376, 4},    // ime_control, fullwidth_file_names, file_list_order, store_history
    {0x185, 0x37f, 3},    // right_button_action, marks_on_digit_keys, folders_first
    {0x189, 0x37b, 1},    // restore_flags
    {0x1b0, 0x39b, 20},   // toolbar_items (first 20)
    {0x1d0, 0x3af, 20},   // edit_key_letters (first 20)
    {0x2c0, 0x3d0, 12},   // window rectangle and the two reserved values after it
    {0x2cc, 0x3c8, 8},    // index_window_pos
    {0x360, 0x060, 128},  // format_name × 8
    {0x3e0, 0x0e1, 8},    // writing_direction
    {0x3e8, 0x0e9, 8},    // grid_style
    {0x3f0, 0x0f1, 8},    // caret_type
    {0x3f8, 0x0f9, 8},    // edit_info_place
    {0x400, 0x101, 16},   // kinsoku mode and small-kana flag pairs
    {0x410, 0x111, 8},    // auto_scroll
    {0x418, 0x119, 8},    // auto_indent
    {0x420, 0x121, 8},    // mark_flags
    {0x428, 0x129, 8},    // halfwidth_display
    {0x430, 0x1c5, 8},    // auto_adjust
    {0x438, 0x151, 8},    // spare_strip_flag
    {0x440, 0x159, 8},    // column_numbering
    {0x448, 0x131, 8},    // text_colour (palette index)
    {0x450, 0x139, 8},    // grid_colour
    {0x458, 0x141, 8},    // old caret colour index
    {0x460, 0x149, 8},    // old IME text colour index
    {0x468, 0x165, 8},    // chars_per_column
    {0x470, 0x16d, 8},    // columns_per_page
    {0x478, 0x175, 8},    // tier_count
    {0x480, 0x17d, 8},    // tier_gap
    {0x488, 0x185, 8},    // page_columns
    {0x490, 0x18d, 8},    // tab_width
    {0x498, 0x1bd, 8},    // cell_offset_percent
    {0x4a0, 0x195, 8},    // margin_start
    {0x4a8, 0x19d, 8},    // margin_top
    {0x4b0, 0x1a5, 8},    // margin_end
    {0x4b8, 0x1ad, 8},    // margin_bottom
    {0x4c0, 0x1b5, 8},    // cell_width_percent
    {0x4f0, 0x1d2, 400},  // font × 8 (50 bytes each)
    {0x6c0, 0x386, 5},    // toolbar_size
    {0x6c6, 0x3dc, 20},   // fill_colour × 5
    {0x6da, 0x362, 20},   // ime_back_colour × 5
    {0x72d, 0x38b, 1},    // current_print_format
    {0x72e, 0x394, 1},    // print_range_mode
    {0x730, 0x390, 2},    // print_range_start
    {0x732, 0x392, 2},    // print_range_end
    {0x734, 0x396, 2},    // first_page_number
    {0x760, 0x38c, 3},    // print_font_size
    {0x763, 0x383, 3},    // printer_paper
    {0x766, 0x398, 3},    // print_flags
};

constexpr bool old_layout_in_bounds() {
    for (const OldFieldMove& m : OLD_LAYOUT)
        if (m.new_at + m.size > SETTINGS_RECORD_SIZE || m.old_at + m.size > OLD_SETTINGS_RECORD_SIZE) return false;
    return true;
}
static_assert(old_layout_in_bounds());

constexpr std::string_view CONVERT_QUESTION_HEAD = "『ミルトアの警告』\n\n環境設定ファイル ";
constexpr std::string_view CONVERT_QUESTION_TAIL =
    "\nは旧版のものです。\nこれを使うと新版の仕様に書き換えられ、\n旧版で使えなくなります。使いますか？";

bool user_agrees_to_convert(const std::string& path) {
    std::string text_utf8;
    text_utf8.append(CONVERT_QUESTION_HEAD).append(path).append(CONVERT_QUESTION_TAIL);
    return show_message(MSG_YES_NO, 0, utf8_to_sjis(text_utf8)) == MSG_RESULT_YES;
}

// Screen colours of records written before version 4.51 come from the palette
// indices kept in the per-format byte arrays.
void rebuild_screen_colours(SettingsRecord* rec) {
    for (int f = 0; f < SCREEN_FORMAT_COUNT; ++f) {
        rec->text_colour_rgb[f] = palette_colour(rec->text_colour[f]);
        rec->grid_colour_rgb[f] = palette_colour(rec->grid_colour[f]);
        rec->caret_colour[f] = palette_colour(rec->old_caret_colour_index[f]);
        rec->ime_text_colour[f] = palette_colour(rec->old_ime_text_colour_index[f]);
    }
}

// The corrections every record gets after reading.
void normalise_settings(SettingsRecord* rec) {
    if (rec->window_x < 0) rec->window_x = 0;
    if (rec->window_y < 0) rec->window_y = 0;
    if (rec->current_screen_format >= SCREEN_FORMAT_COUNT) rec->current_screen_format = 0;
    if (rec->current_print_format < FIRST_PRINT_SLOT ||
        rec->current_print_format >= FIRST_PRINT_SLOT + PRINT_FORMAT_COUNT)
        rec->current_print_format = FIRST_PRINT_SLOT;
}

}  // namespace

std::string_view settings_version_text(const SettingsRecord& rec) {
    return read_field(rec.file_signature + SETTINGS_VERSION_OFFSET,
                      sizeof rec.file_signature - SETTINGS_VERSION_OFFSET);
}

bool settings_version_below(const SettingsRecord& rec, std::string_view version) {
    std::string_view have = settings_version_text(rec);
    std::size_t n = std::min(have.size(), version.size());
    for (std::size_t i = 0; i < n; ++i) {
        auto a = static_cast<unsigned char>(have[i]);
        auto b = static_cast<unsigned char>(version[i]);
        if (a != b) return a < b;
    }
    return have.size() < version.size();
}

void mark_settings_changed(SettingsState* settings) { settings->changed = true; }

void convert_old_settings(const std::uint8_t old[OLD_SETTINGS_RECORD_SIZE], SettingsRecord* rec) {
    std::memset(rec, 0, sizeof *rec);
    auto* bytes = reinterpret_cast<std::uint8_t*>(rec);
    for (const OldFieldMove& m : OLD_LAYOUT) std::memcpy(bytes + m.new_at, old + m.old_at, m.size);
    store_field(rec->new_document_name, sizeof rec->new_document_name, DEFAULT_NEW_DOCUMENT_NAME);
    store_default_kinsoku_sets(rec);
    // An old record knows no RGB screen colours, whatever its signature says.
    rebuild_screen_colours(rec);
}

std::size_t read_settings(const std::string& path, SettingsState* settings) {
    std::string bytes;
    if (!read_file_prefix(path, SETTINGS_RECORD_SIZE, &bytes) || bytes.empty()) return 0;

    std::size_t used = 0;
    if (bytes.size() >= SETTINGS_RECORD_SIZE) {
        std::memcpy(&settings->rec, bytes.data(), SETTINGS_RECORD_SIZE);
        settings->changed = false;
        used = SETTINGS_RECORD_SIZE;
        if (settings_version_below(settings->rec, "4.51")) rebuild_screen_colours(&settings->rec);
    } else {
        if (!user_agrees_to_convert(path)) return 0;
        std::uint8_t old[OLD_SETTINGS_RECORD_SIZE] = {};
        used = std::min(bytes.size(), OLD_SETTINGS_RECORD_SIZE);
        std::memcpy(old, bytes.data(), used);
        convert_old_settings(old, &settings->rec);
        settings->changed = true;
    }
    normalise_settings(&settings->rec);
    return used;
}

SettingsWriteResult write_settings(const std::string& path, int instance_number, SettingsState* settings) {
    if (!settings->changed || instance_number != 1) return SETTINGS_NOT_WRITTEN;
    SettingsRecord out = settings->rec;
    store_field(out.file_signature, sizeof out.file_signature, SETTINGS_SIGNATURE);
    std::string_view bytes(reinterpret_cast<const char*>(&out), sizeof out);
    // The record holds the FTP sites' passwords: the file is the user's alone.
    if (!atomic_replace_private(path, bytes)) return SETTINGS_WRITE_FAILED;
    std::memcpy(settings->rec.file_signature, out.file_signature, sizeof out.file_signature);
    settings->changed = false;
    return SETTINGS_WRITTEN;
}

}  // namespace rix

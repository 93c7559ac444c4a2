// Fuzz target for the settings file rix.env: the file is read as the program
// reads it at start (a 4096-byte record raw, a shorter one converted from the
// old layout after the writer agreed), then every part of the program that
// takes its values from the record at start builds from it: the screen
// formats with their geometry on the stored window size, the wrap rules and
// reading options, the print formats with their page layout, the tool bar
// and the right-click menu.
//
// What the reader promises: it uses the bytes it says it used; the record
// it leaves is normalised (current formats in range, the window on screen);
// each consumer either refuses a value through its check or builds within
// its invariants (every pitch, count and extent at least 1, cells per line
// at least 1, a document loaded with a slot's reading options and wrap
// rules sound); the record written back reads back byte for byte.
#include <cstring>

#include "app/documents/document_load.h"
#include "app/edit/format_views.h"
#include "app/edit/guides.h"
#include "app/window/menus.h"
#include "app/print/print_format_view.h"
#include "app/print/print_run.h"
#include "app/edit/screen_format.h"
#include "app/settings/settings_record.h"
#include "app/settings/toolbar_sheet.h"
#include "display/geometry.h"
#include "fuzz/fuzz_entries.h"
#include "fuzz/fuzz_target.h"
#include "publish/page_layout.h"

namespace {

std::string check_geometry(const rix::DisplayGeometry& g) {
    if (g.line_pitch < 1 || g.char_pitch < 1 || g.columns < 1 || g.chars < 1 || g.screen_lines < 1)
        return "a pitch or count below 1";
    for (int c = 0; c < g.screen_lines && c < 4; ++c) {
        rix::line_position(g, c);
        rix::cell_position(g, c, g.chars - 1);
    }
    return "";
}

std::string check_screen_slot(const rix::SettingsRecord& rec, int slot) {
    rix::ScreenFormat format = rix::screen_format_view(rec, slot);
    format.guide_px = rix::guide_width(rec, slot);
    const rix::FontRecord& font = rec.font[slot];
    rix::FontMetrics metrics;
    metrics.valid = true;
    rix::format_font_size(font.height, font.width, true, &metrics.cell_w, &metrics.cell_h);
    metrics.pixel_height = metrics.cell_h;
    metrics.ascent = metrics.cell_h * 7 / 8;
    metrics.descent = metrics.cell_h - metrics.ascent;
    metrics.fullwidth_advance = metrics.cell_w;
    metrics.halfwidth_advance = metrics.cell_w / 2;
    if (metrics.cell_w < 1 || metrics.cell_h < 1) return "a font laid out at no size";
    const int w = rec.window_width >= 320 ? rec.window_width : 800;
    const int h = rec.window_height >= 240 ? rec.window_height : 600;
    rix::DisplayGeometry geo;
    rix::ScreenFormatChanges changes;
    if (rix::recompute_geometry(format, w, h, metrics, rix::DisplayGeometry{}, &geo, &changes))
        if (std::string bad = check_geometry(geo); !bad.empty()) return "screen format: " + bad;
    rix::ReadingOptions reading;
    reading.rubies = reading.index = reading.line_info = true;
    // A document loaded with the slot's reading options and wrap rules.
    rix::fuzz::LoadCase c;
    c.options = rix::load_options_for(rec, reading, slot);
    c.options.chunk_size = 16;
    c.rules = rix::wrap_rules_for(rec, slot);
    // ◆1 章 / 漢字《かんじ》\t【x】 / ◆010000001234 / 本文
    c.text = "\x81\x9F" "1 \x8F\xCD\r\n\x8A\xBF\x8E\x9A\x81\x73\x82\xA9\x82\xF1\x82\xB6\x81\x74\t\x81\x79x\x81\x7A\r\n"
             "\x81\x9F" "010000001234\r\n\x96\x7B\x95\xB6\r\n";
    if (std::string bad = rix::fuzz::run_load_case(c); !bad.empty()) return "a load with the slot's options: " + bad;
    rix::first_bad_format_number(rix::format_numbers(rec, slot));
    rix::format_choices(rec, slot);
    rix::format_name(rec, slot);
    return "";
}

std::string check_print_slot(const rix::SettingsRecord& rec, int slot) {
    rix::PrintFormat format = rix::print_format_view(rec, slot, rix::current_screen_slot(rec));
    rix::PrintRange range = rix::print_range_view(rec);
    rix::PrintCheck check = rix::check_print_format(format, range);
    rix::print_check_message(check);
    rix::PrintLayout layout;
    if (!rix::make_print_layout(format, range, rix::page_for_paper(format.paper, rix::PRINT_DPI, rix::PRINT_DPI),
                                &layout))
        return "";
    if (std::string bad = check_geometry(layout.geo); !bad.empty()) return "print format: " + bad;
    if (layout.rules.chars_per_column < 1 || layout.halves < 1) return "print layout without a cell";
    return "";
}

std::string settings_entry(const std::uint8_t* data, std::size_t size) {
    std::string_view file = rix::fuzz::bytes_of(data, size);
    const std::string path = rix::fuzz::scratch_folder() + "/rix.env";
    if (!rix::fuzz::write_file(path, file)) return "";
    rix::fuzz::FixedAnswers yes(rix::MSG_RESULT_YES);
    rix::SettingsState settings;
    const std::size_t used = rix::read_settings(path, &settings);
    const std::size_t expected = size >= rix::SETTINGS_RECORD_SIZE ? rix::SETTINGS_RECORD_SIZE
                                 : size == 0                      ? 0
                                 : std::min(size, rix::OLD_SETTINGS_RECORD_SIZE);
    if (used != expected) return "bytes used: " + std::to_string(used);
    if (used == 0) return "";
    const rix::SettingsRecord& rec = settings.rec;
    const int screen = rix::current_screen_slot(rec), print = rix::current_print_slot(rec);
    if (screen < 0 || screen >= rix::SCREEN_FORMAT_COUNT) return "current screen format out of range";
    if (print < rix::FIRST_PRINT_SLOT || print >= rix::FORMAT_SLOT_COUNT) return "current print format out of range";
    if (rec.window_x < 0 || rec.window_y < 0) return "window placed off the screen";

    for (int slot = 0; slot < rix::SCREEN_FORMAT_COUNT; ++slot)
        if (std::string bad = check_screen_slot(rec, slot); !bad.empty()) return bad;
    for (int slot = rix::FIRST_PRINT_SLOT; slot < rix::FORMAT_SLOT_COUNT; ++slot)
        if (std::string bad = check_print_slot(rec, slot); !bad.empty()) return bad;
    for (const rix::SheetRow& row : rix::toolbar_rows(rec.toolbar_items)) rix::toolbar_row_text(row);
    for (const rix::SheetRow& row : rix::right_click_rows(rec.right_click_items)) rix::right_click_row_text(row);
    rix::toolbar_buttons(rec.toolbar_items);
    rix::right_click_items(rec.right_click_items, nullptr, [](int) { return true; });

    // Written back and read again: the same record, byte for byte.
    rix::SettingsRecord kept = settings.rec;
    rix::mark_settings_changed(&settings);
    if (rix::write_settings(path, 1, &settings) != rix::SETTINGS_WRITTEN) return "the record could not be written";
    rix::SettingsState again;
    if (rix::read_settings(path, &again) != rix::SETTINGS_RECORD_SIZE) return "the written record is not read whole";
    std::memcpy(kept.file_signature, again.rec.file_signature, sizeof kept.file_signature);
    if (std::memcmp(&kept, &again.rec, sizeof kept) != 0) return "the written record reads back differently";
    return "";
}

}  // namespace

RIX_FUZZ_TARGET(settings, settings_entry)

// Print formats over the settings record.
#include "app/print/print_format_view.h"

#include "app/edit/format_views.h"
#include "app/edit/screen_format.h"
#include "platform/messages.h"

namespace rix {

int current_print_slot(const SettingsRecord& rec) {
    const int slot = rec.current_print_format;
    return slot >= FIRST_PRINT_SLOT && slot < FORMAT_SLOT_COUNT ? slot : FIRST_PRINT_SLOT;
}

PrintFormat print_format_view(const SettingsRecord& rec, int slot, int screen_slot) {
    if (slot < FIRST_PRINT_SLOT || slot >= FORMAT_SLOT_COUNT) slot = current_print_slot(rec);
    if (screen_slot < 0 || screen_slot >= SCREEN_FORMAT_COUNT) screen_slot = 0;
    const int p = print_index(slot);
    PrintFormat f;
    f.screen = screen_format_view(rec, slot);
    f.screen.kinsoku_mode = rec.kinsoku[screen_slot].kinsoku_mode;
    f.grid_style = rec.grid_style[slot];
    f.text_colour = palette_colour(rec.text_colour[slot]);
    f.grid_colour = palette_colour(rec.grid_colour[slot]);
    f.header_colour = palette_colour(rec.header_colour[p]);
    f.font = font_description(rec.font[slot]);
    f.header_font = font_description(rec.header_font[p]);
    f.print_font_size = rec.print_font_size[p];
    f.header_font_size = rec.header_font_size[p];
    f.paper = rec.printer_paper[p];
    f.flags = rec.print_flags[p];
    f.wrap_enabled = rec.wrap_enabled[p] != 0;
    f.wrap_chars = rec.wrap_chars[p];
    f.fukuro_offset_permille = rec.fukuro_offset_permille[p];
    f.header_offset_v_permille = rec.header_offset_v_permille[p];
    f.header_offset_h_permille = rec.header_offset_h_permille[p];
    f.position_adjust = (rec.position_adjust_enabled[p] & 1) != 0;
    f.adjust_column_interval = rec.adjust_column_interval[p];
    f.adjust_column_offset = rec.adjust_column_offset[p];
    f.adjust_char_offset = rec.adjust_char_offset[p];
    f.index_flags = rec.index_flags[p];
    f.print_background = rec.print_background[p] != 0;
    f.page_number_position = rec.page_number_position[p] & 7;
    f.title_position = rec.title_position[p] & 7;
    f.halfwidth_display = rec.halfwidth_display[screen_slot];
    f.rules = wrap_rules_for(rec, screen_slot);
    return f;
}

PrintRange print_range_view(const SettingsRecord& rec) {
    PrintRange r;
    r.mode = rec.print_range_mode <= RANGE_PAGES ? rec.print_range_mode : RANGE_ALL;
    r.start = rec.print_range_start;
    r.end = rec.print_range_end;
    r.first_page_number = rec.first_page_number;
    return r;
}

bool checked_print_format(const SettingsRecord& rec, int slot, const PrintRange& range, PrintFormat* out) {
    *out = print_format_view(rec, slot, current_screen_slot(rec));
    const PrintCheck check = check_print_format(*out, range);
    if (check.ok()) return true;
    show_message(MSG_NOTICE, 0, print_check_message(check), print_check_message_ms(check));
    return false;
}

}  // namespace rix

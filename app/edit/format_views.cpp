// Views of the settings record for the lower layers.
#include "app/edit/format_views.h"

#include "platform/codec.h"

namespace rix {

int current_screen_slot(const SettingsRecord& rec) {
    return rec.current_screen_format < SCREEN_FORMAT_COUNT ? rec.current_screen_format : 0;
}

WrapRules wrap_rules_for(const SettingsRecord& rec, int slot) {
    if (slot < 0 || slot >= FORMAT_SLOT_COUNT) slot = 0;
    WrapRules rules;
    rules.chars_per_column = rec.chars_per_column[slot] ? rec.chars_per_column[slot] : 1;
    rules.kinsoku_mode = rec.kinsoku[slot].kinsoku_mode <= 2 ? rec.kinsoku[slot].kinsoku_mode : 1;
    rules.small_kana_kinsoku = rec.kinsoku[slot].small_kana_kinsoku != 0;
    rules.line_start_prohibited = std::string(read_field(rec.line_start_prohibited, sizeof rec.line_start_prohibited));
    rules.line_end_prohibited = std::string(read_field(rec.line_end_prohibited, sizeof rec.line_end_prohibited));
    return rules;
}

}  // namespace rix

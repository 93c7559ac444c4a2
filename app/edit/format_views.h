// What the lower layers need from the settings record, taken out of it here:
// the layers below the application never read the record's layout.
#pragma once

#include "app/settings/settings_record.h"
#include "document/wrap.h"

namespace rix {

// The wrapping rules of format slot `slot` (0..4 screen, 5..7 print).
WrapRules wrap_rules_for(const SettingsRecord& rec, int slot);
// The screen format in use, 0..4 (a stored value out of range reads as 0).
int current_screen_slot(const SettingsRecord& rec);

}  // namespace rix

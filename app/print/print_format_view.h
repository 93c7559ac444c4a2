// Print formats over the settings record: the plain view printing, the
// preview and the writers work on (publish/print_format.h), and the range
// fields. The settings' own layout stays in the application.
#pragma once

#include "app/settings/settings_record.h"
#include "publish/print_format.h"

namespace rix {

// The print format slot in use, 5..7 (a stored value out of range reads 5).
int current_print_slot(const SettingsRecord& rec);
// The fields of print slot `slot` (5..7; out of range reads the current
// one) with the kinsoku and half-width display of screen slot `screen_slot`
// (0..4), which a print run takes from the active screen format.
PrintFormat print_format_view(const SettingsRecord& rec, int slot, int screen_slot);
PrintRange print_range_view(const SettingsRecord& rec);
// print_format_view of `slot` with the active screen format, put through
// check_print_format for `range`: false, with the check's message shown,
// when composition would refuse it.
bool checked_print_format(const SettingsRecord& rec, int slot, const PrintRange& range, PrintFormat* out);

}  // namespace rix

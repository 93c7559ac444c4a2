// Auto-save: a copy of the edited document written beside it (see
// document/autosave_files.h) after so many edited characters, so many
// minutes, or on request (手動実行 of the common settings). It is not a save:
// the document stays modified and keeps its own files.
//
// Timer 1 ticks once a minute. The minutes counted and the bytes edited
// (EditState::autosave_edits) are cleared by an auto-save and by a save.
// A minute during which a file selection dialog is open is not counted.
#pragma once

#include <cstdint>

namespace rix {

struct Application;

// autosave_flags: bit 0 by edited characters, bit 1 by minutes, bit 2 both
// conditions required.
enum : std::uint8_t { AUTOSAVE_BY_CHARS = 1, AUTOSAVE_BY_MINUTES = 2, AUTOSAVE_BOTH = 4 };

struct AutosaveState {
    unsigned minutes = 0;   // ticks counted since the last save or auto-save
};

// Whether the counters call for an auto-save: the bytes edited reach twice
// `chars` (characters are counted as two bytes), the minutes reach
// `minutes_setting`; either one, or both with AUTOSAVE_BOTH.
bool autosave_due(std::uint8_t flags, std::uint64_t edited_bytes, unsigned chars, unsigned minutes,
                  unsigned minutes_setting);

// Timer 1: counts the minute and auto-saves when due.
void autosave_tick(Application& app);
// Writes the next auto-save copy. `asked`: from 手動実行 (the writer is told
// the file's name). False when nothing was written.
bool auto_save(Application& app, bool asked);
// A save or an auto-save: both counters start again.
void reset_autosave_counters(Application& app);

}  // namespace rix

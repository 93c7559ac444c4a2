// Changing the line-format words of a document while it is edited: the one
// journaled way to give lines a word (the line-format dialog, the size-step
// keys, the registered formats), the size-step keys, and the registered
// formats applied by F5-F12 or around typed text.
//
// A change of words re-wraps the changed lines at once, marks the extension
// data changed and notes the damage (the changed lines and everything after
// them are laid out again). Editing never draws.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "editing/edit_state.h"

namespace rix {

// Gives lines first .. first + words.size() - 1 the words, as one undoable
// change (the journal keeps the old and the new words). Lines past the
// loaded ones are left alone. False when nothing changed.
bool set_line_words(EditContext& c, std::uint32_t first, std::span<const std::uint32_t> words);
bool set_line_word(EditContext& c, std::uint32_t line, std::uint32_t word);

// The cursor's line one size step smaller (direction > 0; 70 % wraps to
// 140 %) or larger (direction < 0; 140 % wraps to 70 %).
bool step_line_size(EditContext& c, int direction);

// auto_line_format modes: before the typed text is inserted, after it, or a
// function key F5 .. F12 (virtual keys 116 .. 123) for slots 0 .. 7.
enum : int { AUTO_FORMAT_BEFORE = 0, AUTO_FORMAT_AFTER = 1, AUTO_FORMAT_KEY_FIRST = 116, AUTO_FORMAT_KEY_LAST = 123 };

// Applies a registered format of edit.options.line_formats to the cursor's
// line when the mode's rule says so; true when a word was applied.
//   before: the cursor at offset 0 of its line; the first enabled 前 slot
//           whose trigger is 0 or the first character of `typed`.
//   after:  the cursor before the line end or the text end; the first
//           enabled 後 slot whose trigger is 0 or the last character of `typed`.
//   F5-F12: the function keys enabled for the format; the key's slot.
bool auto_line_format(EditContext& c, int mode, std::string_view typed);

// Typed text with the registered formats around it: the before rule, the
// typing (type_characters), then the after rule when the before rule
// applied nothing.
void type_with_line_formats(EditContext& c, std::string_view bytes);

// Undo and redo of a line-format record (editing/undo.cpp): the old words
// (undo) or the new ones (redo) back on their lines. False when the record
// does not fit the document.
bool replay_line_format_record(EditContext& c, const JournalRecord& r, bool undo);

}  // namespace rix

// The key dispatcher: every cursor movement and every editing key, whether it
// comes from the keyboard, a Ctrl+letter edit key, the wheel, a scroll bar or
// the mouse, goes through dispatch_key.
//
// The dispatcher works in the terms of vertical writing: 38 previous
// character, 40 next character, 37 next display line, 39 previous display
// line. In horizontal writing the arrow keys are mapped onto those first
// (← 37 → 38, ↑ 38 → 39, → 39 → 40, ↓ 40 → 37).
//
// Marking. With Shift (and without Ctrl) the four movement keys extend the
// marked range [start, end) in two steps around the move: forward from an
// anchor A the range is [A, cursor); backward it is [after(cursor), after(A)),
// so the character at the anchor belongs to it. When a display-line move
// carries the cursor past the anchor, the anchor is given up. Marking ends
// when the two ends meet. Any other key of the dispatcher ends the marking
// (Delete and Back Space delete the range first; Page Up and Page Down leave a
// mouse marking in place). Shift, Ctrl and Alt alone, and keys the dispatcher
// does not know, change nothing.
//
// Every deletion goes through delete_range with both ends outside ruby and
// tag blocks, so a block is never cut in two. Moves never draw: the cursor and
// the view frame change, and edit.damage says what the screen must follow.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "editing/command_ids.h"
#include "editing/edit_state.h"
#include "platform/virtual_keys.h"

namespace rix {

// Windows virtual-key numbers as the window host reports them.
// Enter in overwrite mode: to the start of the next display line.
constexpr int KEY_OVERWRITE_ENTER = 254;

// The keys after the orientation mapping.
enum : int {
    KEY_NEXT_DISPLAY_LINE = VK_LEFT,
    KEY_PREVIOUS_CHARACTER = VK_UP,
    KEY_PREVIOUS_DISPLAY_LINE = VK_RIGHT,
    KEY_NEXT_CHARACTER = VK_DOWN,
};

// Most extra moves one key press may add through acceleration.
constexpr int MAX_EXTRA_MOVES = 45;
// Most bytes of blanks an auto-indented line takes over.
constexpr std::uint32_t MAX_AUTO_INDENT_BYTES = 80;

// ---- the dispatcher ----

// One key (a virtual key below 0x30, or KEY_OVERWRITE_ENTER) with the
// modifier flags KEY_SHIFT, KEY_CTRL and KEY_PLAIN_MOVE.
void dispatch_key(EditContext& c, int key, int flags);

// The key-repeat acceleration, called after dispatch_key for keys from the
// keyboard: for the four arrow keys without flags, from the second press of
// a held key on, adds extra moves by accel_chars (along the line) or
// accel_columns (across lines): r/32, r/8, r/2 or 2r for 低, 中, 高, 超高, at
// most MAX_EXTRA_MOVES, r being the presses since the key went down.
// `after_move` (may be empty) runs after each extra move (the structure index
// follows the cursor). Every call counts one key-down.
void accelerate_key(EditContext& c, int key, int flags, const std::function<void()>& after_move = {});
// A key went up: the next press starts without acceleration.
void key_up(EditState& edit);
// Vertical writing maps nothing; horizontal writing maps the four arrows.
int map_orientation(int key, bool vertical);

// Alt+←, Alt+→, Alt+↑, Alt+↓ (commands 900..903): keys 37, 39, 38, 40 with
// KEY_PLAIN_MOVE. False for another command.
bool alt_arrow_command(EditContext& c, int command);
// One wheel message: `wheel_columns` moves with KEY_PLAIN_MOVE (none when 0);
// a turn towards the user (delta < 0) moves on through the text (37 in
// vertical writing, 40 in horizontal), a turn away moves back (39, 38).
void wheel_turn(EditContext& c, int delta, int wheel_columns);

// ---- edit keys (Ctrl+letter) ----

struct EditKeySlot {
    const char* label;   // UTF-8, as the KEY_ASSIGN page shows it
    std::uint16_t key;   // virtual key, or a command id >= 200
    std::uint8_t flags;
};
constexpr int EDIT_KEY_SLOTS_IN_USE = 20;   // of the 32 slots of edit_key_letters
extern const EditKeySlot EDIT_KEY_SLOTS[EDIT_KEY_SLOTS_IN_USE];

// Builds edit.edit_keys from 32 slot letters: a letter 'A'..'Z' gives its slot's
// key and flags to Ctrl+letter (anything else is no letter; a letter named by
// two slots keeps the later one); then Ctrl+Z, when still free, undoes and
// Ctrl+Y, when still free, redoes.
void build_edit_key_table(EditState& edit, const std::uint8_t letters[32]);
// The same from edit.options.edit_key_letters.
void build_edit_key_table(EditState& edit);

// Ctrl+letter (0 = A .. 25 = Z, i.e. command - COMMAND_CTRL_LETTER_FIRST), with the Ctrl
// key down. Returns the command id (>= 200) the caller runs; or dispatches the
// key of the letter's slot itself (with acceleration) and returns 0; 0 also
// when the letter has no slot.
int edit_key_command(EditContext& c, int letter_index);

// ---- typed text ----

// Typed characters (WM_CHAR 32..126, or double-byte text from the input
// method), code page 932. A lead byte waits in edit.pending for its trail
// byte; whole characters are inserted at the cursor in the current mode.
// Control bytes and bytes that cannot be text are dropped. With auto_scroll
// the text moves rather than the cursor when the insertion carried the cursor
// onto a later screen line.
void type_characters(EditContext& c, std::string_view bytes);

// ---- moves (also used by the mouse and the jumps) ----

// The position after the character at pos: past any ruby and tag blocks
// standing there and the character after them; a line end steps to the start
// of the next logical line; the text end stays where it is.
TextPos char_after(EditContext& c, TextPos pos);
// The cursor position before pos: the previous cell (its second half when it
// holds a half-width pair; its ruby or tag blocks when any stand before it),
// or the end of the previous logical line. pos itself at the document start.
TextPos char_before(EditContext& c, TextPos pos);
// Whether pos is the document end (loads further to know).
bool at_document_end(EditContext& c, TextPos pos);

// The movement keys without marking. Each places the cursor and keeps it on
// screen; false when nothing moved.
bool next_character(EditContext& c);
bool previous_character(EditContext& c);
bool next_display_line(EditContext& c, bool plain_move);
bool previous_display_line(EditContext& c, bool plain_move);
bool to_line_end(EditContext& c);
bool to_line_start(EditContext& c);
bool to_punctuation_forward(EditContext& c);
bool to_punctuation_back(EditContext& c);
bool page_up(EditContext& c);
bool page_down(EditContext& c);
// Enter in overwrite mode.
bool overwrite_enter(EditContext& c);

// The movement keys of the dispatcher (keys after the orientation mapping:
// 33..40 and KEY_OVERWRITE_ENTER) with their marking; false for any other key.
bool move_key(EditContext& c, int key, int flags);

// The marked range ends; the highlight is to be removed when it was on.
void end_marking(EditContext& c);

}  // namespace rix

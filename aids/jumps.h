// Jumps: to a logical line, a display line or a page by number, to the next
// or previous line bearing one of the four line marks, to the document's
// start and end, and to the eight jump strings (Ctrl+1..8 towards the end,
// Ctrl+Alt+1..8 towards the start). All go through locate_target; a found
// target is reached with move_to_target, a failure leaves the cursor and
// adds its notice to `notices` for the caller to show.
//
// Line marks are line attributes (LineTable marks, bits 0-3 = marks 1-4);
// they travel with the line table into the extension file. The jump strings
// are the document's extension data (ExtensionHeader::jumps, written as
// jump-string records on saving). Changing either sets MODIFIED_EXTENSION.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>

#include "aids/search.h"
#include "document/extension_file.h"
#include "editing/command_ids.h"
#include "document/notices.h"
#include "editing/edit_state.h"
#include "platform/messages.h"

namespace rix {

constexpr std::size_t JUMP_SLOTS = 8;
constexpr std::size_t JUMP_STRING_BYTES = 24;
using JumpStrings = std::array<std::string, JUMP_SLOTS>;   // slot n (1..8) at [n - 1]; "" = empty
// The table is the one the extension file is read into and written from.
static_assert(std::is_same_v<JumpStrings, decltype(ExtensionHeader::jumps)>);

// The last mark jump started from the mark page (per program, not saved).
struct MarkJumpMemory {
    bool set = false;
    std::uint8_t mask = 0;               // LINE_MARK_* bits
    bool forward = true;
    void forget() { *this = MarkJumpMemory{}; }
};

// What the jump commands need beside the edit context.
struct JumpEnv {
    const JumpStrings* strings = nullptr;    // the document's jump strings; null = none
    MarkJumpMemory* memory = nullptr;        // the program's mark-jump memory
    bool marks_on_digit_keys = false;        // settings byte 0x186: Ctrl(+Alt)+1..4 jump to marks 1..4
    WindowRef owner = 0;                     // owner of the notices
};

// Commands 312 (repeat the remembered mark jump; "先に「マーク指定」してください｡"
// without one), 313, 314 (forget the memory), 321..328 and 331..338 (a mark
// jump for 1..4 when marks_on_digit_keys, else the jump string of the slot).
// True when the cursor moved; false for another command.
bool run_jump_command(EditContext& c, int command, const JumpEnv& env, Notices& notices);

// A line (SEEK_LINE), display line (SEEK_DISPLAY_LINE) or page (SEEK_PAGE)
// jump, 0-based; a page is shown from the top of the screen. Forgets the
// mark-jump memory. Not found: "目的の箇所が見付かりません｡" (2 s).
bool line_jump(EditContext& c, int mode, std::int64_t value, MarkJumpMemory* memory, WindowRef owner,
               Notices& notices);

// To the next (forward) or previous line, other than the cursor's, bearing
// one of the marks of `mask`. Not found: "目的の箇所が見付かりません｡".
bool mark_jump(EditContext& c, std::uint8_t mask, bool forward, WindowRef owner, Notices& notices);

// Searches `text` towards the end (never the occurrence at the cursor) or the
// start. An empty text does nothing. Not found: "検索語が見つかりません｡" (1.5 s).
bool text_jump(EditContext& c, std::string_view text, bool forward, WindowRef owner, Notices& notices);

// Gives the cursor's line exactly `marks` (LINE_MARK_* bits; 0 clears them),
// redraws it, sets MODIFIED_EXTENSION and forgets the mark-jump memory.
void attach_marks(EditContext& c, std::uint8_t marks, MarkJumpMemory* memory);

// A jump string as stored: at most 24 bytes, cut on a character boundary,
// up to the first NUL.
std::string jump_string_field(std::string_view text);

// Stores the eight boxes of the string page in the table; sets
// MODIFIED_EXTENSION when anything changed.
void register_jump_strings(JumpStrings& table, const JumpStrings& boxes, DocumentState& state);

}  // namespace rix

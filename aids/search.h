// The search engine behind find, replace and every jump (locate_target),
// the find and replace steps of the find dialog, and the two readers of the
// text at the cursor (word_at_cursor, address_at_cursor).
//
// Design rules:
// - The engine never changes the document and never moves the cursor: it
//   returns the target and its display-line number; the caller moves.
// - Lines are searched by their stored length, never as NUL-terminated
//   strings (a tag's serial bytes may be 0x00). A match counts only when it
//   starts on a character boundary outside ruby and tag blocks, so "\"
//   (0x5C) is not found in the trail byte of 表 (0x95 0x5C).
// - A walk that reaches the last loaded line of a partly loaded document
//   loads the next chunk (through EditContext::session) and goes on.
// - Cost: per line a memchr for its end and one skip-table search; the
//   scanner runs only where a candidate match has to be judged, and on the
//   few lines that hold blocks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "document/notices.h"
#include "editing/edit_state.h"
#include "platform/messages.h"

namespace rix {

// Modes of locate_target.
enum : int {
    SEEK_MARK_BACKWARD = 1,    // value: mark mask (LINE_MARK_* bits)
    SEEK_MARK_FORWARD = 2,     // value: mark mask
    SEEK_LINE = 3,             // value: logical line, 0-based
    SEEK_DISPLAY_LINE = 4,     // value: display line from the document start, 0-based
    SEEK_PAGE = 5,             // value: page, 0-based (frame.page_columns display lines a page)
    SEEK_TEXT_BACKWARD = 6,    // text; empty = the document start
    SEEK_TEXT_FORWARD = 7,     // text, never the occurrence at the cursor; empty = start of the last line
    SEEK_TEXT_AT_CURSOR = 8,   // text, an occurrence at the cursor included
};

constexpr std::size_t FIND_TEXT_BYTES = 99;        // most bytes of the find and replace texts
constexpr std::size_t WORD_PREFILL_BYTES = 20;     // most bytes of a selection taken as the find text
constexpr std::size_t ADDRESS_MAX_BYTES = 259;     // longest address token taken

struct SeekResult {
    bool found = false;
    TextPos pos;                       // the target
    DisplayLineNo display_line;        // its display line from the document start
};

// The search engine. Negative values, pages past the document (computed in
// 64 bits) and lines past its end are "not found". A jump to the line,
// display line or page where the cursor already is gives the cursor itself.
SeekResult locate_target(EditContext& c, int mode, std::int64_t value, std::string_view text = {});

// The first occurrence of needle in haystack (byte-wise, no folding), or -1.
std::int64_t find_substring(const std::uint8_t* haystack, std::size_t haystack_length, const std::uint8_t* needle,
                            std::size_t needle_length);

// ---- find and replace -----------------------------------------------------

enum class FindAction { FIND_NEXT, REPLACE, REPLACE_ALL };

// The find state of the program (one find dialog).
struct FindState {
    std::string what;             // code page 932, at most FIND_TEXT_BYTES
    std::string with;             // the replacement, at most FIND_TEXT_BYTES
    bool found = false;           // the last step found an occurrence and put the cursor on it
    bool replace_mode = false;    // opened as the replace dialog
};

struct FindOutcome {
    bool refused = false;         // an empty find text: nothing was done
    bool found = false;           // the cursor stands on an occurrence
    int replaced = 0;             // occurrences replaced
    Notices notices;              // what the caller shows the writer
};

// One press in the find dialog. FIND_NEXT searches towards the end (down)
// or the start; REPLACE and REPLACE_ALL (replace mode only) replace the
// occurrence at the cursor when the last step found it and the bytes there
// still equal the find text, then search from the cursor on. REPLACE_ALL
// repeats until nothing is left and always ends: each round starts after the
// text it inserted. Not found: "置換先が見つかりません｡" in replace mode, else
// "検索語が見つかりません｡" (1.5 s) in the outcome's notices; the cursor stays.
FindOutcome run_find_action(EditContext& c, FindState& state, FindAction action, bool down, WindowRef owner);

// Moves the cursor onto a found target: loads a screenful beyond it when the
// document is partly loaded, ends a marking, and scrolls when the target is
// off the screen (top_at_target: its display line at the top; otherwise a
// third of a tier below it).
void move_to_target(EditContext& c, TextPos target, bool top_at_target);

// ---- the text at the cursor -----------------------------------------------

// The pre-fill of the find box. With a marking on one line of at most 20
// bytes: its characters (the cursor moves to its start, the marking ends);
// a longer one: the notice " 指定文字範囲が長すぎます｡" (3 s) and "". On a ruby block: its
// base text. Otherwise the leading run of characters of one class (kana,
// katakana and Greek, kanji, symbols; ー and 々 keep the class before them),
// cut at a block or the line end, whole characters only, and only as many
// bytes as whole cells of the run (a lone half-width character gives "").
std::string word_at_cursor(EditContext& c, WindowRef owner, Notices& notices);

// The web or mail address under `pos`: the token of single-byte characters
// holding it, with a "." after its first byte, shorter than 260 bytes. Only
// http://, https:// and ftp:// addresses, www. (taken as http://) and mail
// addresses (given "mailto:") are addresses; anything else, a local path
// above all, is not. False when there is none.
bool address_at_cursor(const Document& doc, TextPos pos, std::string* address);
// The rules above for one token of printable single bytes (the token is
// already cut out): the address to open, or false.
bool address_of_token(std::string_view token, std::string* address);

}  // namespace rix

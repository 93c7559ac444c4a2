// The clipboard commands of the edit menu: cut (202), copy (203), copy
// keeping the highlight (204), paste (205) and select all (215).
//
// Text crosses the clipboard as UTF-8; inside, the marked range goes out in
// export form (export_marked_text) and comes in through
// import_clipboard_text. Every exchange goes through put_clipboard_text and
// get_clipboard_text, which hold the size limits on the code page 932 bytes.
// Cut puts the text on the clipboard first and deletes the range only when
// that succeeded, so a failed clipboard never loses text.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "editing/edit_state.h"
#include "editing/command_ids.h"
#include "platform/clipboard.h"

namespace rix {

// The transfer block is 2,097,052 bytes with a NUL at its end: a text put on
// the clipboard holds at most 2,097,051 bytes (code page 932), and a larger
// selection is refused rather than cut. A clipboard text of 2,097,053 bytes or
// more is refused on reading; 2,097,052 bytes still pass.
constexpr std::size_t CLIPBOARD_PUT_LIMIT = 2097051;
constexpr std::size_t CLIPBOARD_TEXT_LIMIT = 2097053;

// Results of put_clipboard_text and get_clipboard_text.
enum : int {
    CLIPBOARD_OK = 0,
    CLIPBOARD_FAILED = 1,      // put: the clipboard did not take the text (or it was too large)
    CLIPBOARD_NO_TEXT = 1,     // get: no text on the clipboard
    CLIPBOARD_LOCKED = 2,      // get: the data could not be read (Qt's clipboard never says so)
    CLIPBOARD_TOO_LARGE = 3,   // get: CLIPBOARD_TEXT_LIMIT bytes or more
};

// Puts a text (code page 932, CR LF) on the clipboard. A notice added to
// `notices` tells every failure: more than CLIPBOARD_PUT_LIMIT bytes, or the
// clipboard refused it.
int put_clipboard_text(Clipboard& clipboard, std::string_view sjis, Notices& notices);
// Reads the clipboard's text into *sjis in the raw form insert_text takes
// (line ends made CR LF, characters outside code page 932 made 〓 and counted
// in *replaced when given). A notice added to `notices` tells every failure;
// *sjis is then empty.
int get_clipboard_text(Clipboard& clipboard, Notices& notices, std::string* sjis, std::size_t* replaced = nullptr);

struct ClipboardHooks {
    // Called with every text (code page 932, CR LF) a cut or copy put on the
    // clipboard: the copy history records it. Empty: no copy history.
    std::function<void(const std::string& text)> add_copy_history;
};

// Cut, copy, copy keeping the highlight. Without a marked range: a notice,
// false. False as well when the clipboard refused the text (a notice; the
// document and the marking stay as they were).
bool cut_marked(EditContext& c, Clipboard& clipboard, const ClipboardHooks& hooks = {});
bool copy_marked(EditContext& c, Clipboard& clipboard, bool keep_highlight, const ClipboardHooks& hooks = {});
// Replaces a marked range by the clipboard text, or inserts it at the cursor
// in the current insert mode. False when the clipboard has no usable text
// (the marking then stays).
bool paste_clipboard(EditContext& c, Clipboard& clipboard);
// The insertion of a paste with a text already in raw form (code page 932,
// CR LF): a marked range is deleted first and the marking ends.
bool paste_text(EditContext& c, const std::string& sjis);
// Marks the whole document, loading the rest of a partly loaded one first.
bool select_all(EditContext& c);

// Runs one of the commands above by its id; false for other ids.
bool run_clipboard_command(EditContext& c, Clipboard& clipboard, int command, const ClipboardHooks& hooks = {});

}  // namespace rix

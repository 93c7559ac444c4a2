// The clipboard commands of the edit menu: cut (202), copy (203), copy
// keeping the highlight (204), paste (205) and select all (215).
//
// Text crosses the clipboard as UTF-8; inside, the marked range goes out in
// export form (export_marked_text) and comes in through
// import_clipboard_text. Cut puts the text on the clipboard first and
// deletes the range only when that succeeded, so a failed clipboard never
// loses text.
#pragma once

#include <functional>
#include <string>

#include "editing/edit_state.h"
#include "editing/command_ids.h"
#include "platform/clipboard.h"

namespace rix {

// Clipboard texts of this many bytes (code page 932) or more are refused on paste.
constexpr std::size_t CLIPBOARD_TEXT_LIMIT = 2097053;

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
// in the current insert mode. False when the clipboard has no usable text.
bool paste_clipboard(EditContext& c, Clipboard& clipboard);
// Marks the whole document, loading the rest of a partly loaded one first.
bool select_all(EditContext& c);

// Runs one of the commands above by its id; false for other ids.
bool run_clipboard_command(EditContext& c, Clipboard& clipboard, int command, const ClipboardHooks& hooks = {});

}  // namespace rix

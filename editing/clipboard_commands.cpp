// The clipboard commands (see clipboard_commands.h).
#include "editing/clipboard_commands.h"

#include "editing/cursor.h"
#include "editing/edit_text.h"
#include "platform/codec.h"

namespace rix {
namespace {

bool have_marking(EditContext& c) {
    if (c.edit.mark.on && c.edit.mark.start < c.edit.mark.end) return true;
    c.notices.add("先に､ｼﾌﾄ+ｶｰｿﾙｷｰでマークしてください｡", 2500);
    return false;
}

void end_marking(EditContext& c, bool remove_highlight) {
    c.edit.mark.on = false;
    c.edit.mark.by_mouse = false;
    if (remove_highlight) c.edit.damage.marking = true;
}

}  // namespace

int put_clipboard_text(Clipboard& clipboard, std::string_view sjis, Notices& notices) {
    if (sjis.size() > CLIPBOARD_PUT_LIMIT) {
        notices.add("テキストが大きすぎます。", 3000);
        return CLIPBOARD_FAILED;
    }
    if (clipboard.set_text(sjis_to_utf8(sjis))) return CLIPBOARD_OK;
    notices.add("クリップボードへの転送に失敗しました。", 4000);
    return CLIPBOARD_FAILED;
}

int get_clipboard_text(Clipboard& clipboard, Notices& notices, std::string* sjis, std::size_t* replaced) {
    sjis->clear();
    if (replaced) *replaced = 0;
    std::string utf8;
    if (!clipboard.get_text(&utf8) || utf8.empty()) {
        notices.add("クリップボードにテキストはありません。", 3000);
        return CLIPBOARD_NO_TEXT;
    }
    // Every UTF-8 character of at most four bytes gives at least one byte
    // here: a text this long is too large before it is converted.
    std::string text;
    if (utf8.size() < 4 * CLIPBOARD_TEXT_LIMIT) text = import_clipboard_text(utf8, replaced);
    if (text.size() >= CLIPBOARD_TEXT_LIMIT || utf8.size() >= 4 * CLIPBOARD_TEXT_LIMIT) {
        notices.add("テキストが大きすぎます。", 3000);
        if (replaced) *replaced = 0;
        return CLIPBOARD_TOO_LARGE;
    }
    *sjis = std::move(text);
    return CLIPBOARD_OK;
}

bool cut_marked(EditContext& c, Clipboard& clipboard, const ClipboardHooks& hooks) {
    if (!have_marking(c)) return false;
    const std::string text = export_marked_text(c);
    if (put_clipboard_text(clipboard, text, c.notices) != CLIPBOARD_OK) return false;
    const Marking m = c.edit.mark;
    end_marking(c, true);
    delete_range(c, m.end, m.start, c.edit.cursor);
    if (hooks.add_copy_history) hooks.add_copy_history(text);
    return true;
}

bool copy_marked(EditContext& c, Clipboard& clipboard, bool keep_highlight, const ClipboardHooks& hooks) {
    if (!have_marking(c)) return false;
    const std::string text = export_marked_text(c);
    if (put_clipboard_text(clipboard, text, c.notices) != CLIPBOARD_OK) return false;
    end_marking(c, !keep_highlight);
    if (hooks.add_copy_history) hooks.add_copy_history(text);
    return true;
}

bool paste_text(EditContext& c, const std::string& sjis) {
    if (c.edit.mark.on) {
        const Marking m = c.edit.mark;
        end_marking(c, true);
        if (m.start < m.end) delete_range(c, m.end, m.start, c.edit.cursor);
    }
    return !sjis.empty() && insert_text(c, sjis, c.edit.insert_mode);
}

bool paste_clipboard(EditContext& c, Clipboard& clipboard) {
    std::string text;
    std::size_t replaced = 0;
    if (get_clipboard_text(clipboard, c.notices, &text, &replaced) != CLIPBOARD_OK) return false;
    const bool ok = paste_text(c, text);
    if (ok && replaced > 0)
        c.notices.add("シフトJISにない文字" + std::to_string(replaced) + "字を〓に置き換えて貼り付けました｡", 3000);
    return ok;
}

bool select_all(EditContext& c) {
    if (c.session) load_all(c.doc, c.state, *c.session, &c.notices);
    if (c.doc.lines.count() == 0) return false;
    const TextPos end = document_end(c.doc);
    if (!(TextPos(0, 0) < end)) return false;
    c.edit.mark.on = true;
    c.edit.mark.by_mouse = false;
    c.edit.mark.start = TextPos(0, 0);
    c.edit.mark.end = end;
    c.edit.damage.marking = true;
    return true;
}

bool run_clipboard_command(EditContext& c, Clipboard& clipboard, int command, const ClipboardHooks& hooks) {
    switch (command) {
    case COMMAND_CUT: return cut_marked(c, clipboard, hooks);
    case COMMAND_COPY: return copy_marked(c, clipboard, false, hooks);
    case COMMAND_COPY_KEEP_HIGHLIGHT: return copy_marked(c, clipboard, true, hooks);
    case COMMAND_PASTE: return paste_clipboard(c, clipboard);
    case COMMAND_SELECT_ALL: return select_all(c);
    default: return false;
    }
}

}  // namespace rix

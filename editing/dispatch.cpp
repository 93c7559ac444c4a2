// The key dispatcher's editing keys, the repeat acceleration, the Ctrl+letter
// edit keys and typed text. The moves themselves live in moves.cpp.
#include "editing/dispatch.h"

#include <algorithm>
#include <string>

#include "document/display_lines.h"
#include "document/storage.h"
#include "editing/cursor.h"
#include "editing/edit_text.h"

namespace rix {

namespace {

constexpr char FULL_WIDTH_BLANK[] = "\x81\x40";

// Deletes [start, end) (delete_range moves both ends out of any block they
// lie in); `restore` is the cursor an undo puts back.
bool delete_span(EditContext& c, TextPos start, TextPos end, const Cursor& restore) {
    if (start >= end) return false;
    return delete_range(c, end, start, restore);
}

// Deletes the marked range; marking ends.
bool delete_marked(EditContext& c) {
    const Marking m = c.edit.mark;
    const Cursor restore = c.edit.cursor;
    end_marking(c);
    return delete_span(c, m.start, m.end, restore);
}

bool back_space(EditContext& c) {
    if (c.edit.mark.on) return delete_marked(c);
    if (at_document_start(c.edit.cursor.pos)) return false;
    const Cursor restore = c.edit.cursor;
    if (!previous_character(c)) return false;
    const TextPos at = c.edit.cursor.pos;
    return delete_range(c, at, at, restore);   // the character (a ruby with its first base character)
}

bool delete_key(EditContext& c) {
    if (c.edit.mark.on) return delete_marked(c);
    const TextPos at = c.edit.cursor.pos;
    if (at_document_end(c, at)) return false;
    return delete_range(c, at, at, c.edit.cursor);
}

// Ctrl+Delete: the cursor's display line from its start to the start of the
// next one; on the document's last display line, up to the text end mark
// (which stays).
bool delete_display_line(EditContext& c) {
    const Cursor restore = c.edit.cursor;
    const TextPos pos = c.edit.cursor.pos;
    if (pos.line() >= c.doc.lines.count()) return false;
    const TextPos start = cell_at(c.doc, pos).line_start;
    load_for(c, pos, 2);
    DisplayMove next = display_lines_forward(c.doc, pos, 1);
    const TextPos end = next.moved != 0 ? next.pos : document_end(c.doc);
    return delete_span(c, start, end, restore);
}

// The blanks (full-width 0x8140 and half-width 0x20) that begin the cursor's
// line, at most MAX_AUTO_INDENT_BYTES and no further than the cursor.
std::string leading_blanks(const EditContext& c) {
    const TextPos pos = c.edit.cursor.pos;
    std::string blanks;
    if (pos.line() >= c.doc.lines.count()) return blanks;
    const std::uint8_t* p = c.doc.line_pointer(pos.line());
    if (p == nullptr) return blanks;
    const std::uint32_t limit = std::min(MAX_AUTO_INDENT_BYTES, pos.column());
    LineScanner scanner(p, MAX_LINE_SCAN);
    for (;;) {
        ScanItem it = scanner.next();
        if (it.column + it.length > limit) break;
        if (it.kind == ItemKind::DOUBLE && it.code == 0x8140) blanks += FULL_WIDTH_BLANK;
        else if (it.kind == ItemKind::SINGLE && it.code == 0x20) blanks += ' ';
        else if (it.kind == ItemKind::PAIR && p[it.column] == 0x20) {
            blanks += ' ';
            if (p[it.column + 1] != 0x20) break;
            blanks += ' ';
        } else {
            break;
        }
    }
    return blanks;
}

bool enter_key(EditContext& c) {
    std::string text = "\r\n";
    if (c.edit.options.auto_indent) text += leading_blanks(c);
    return insert_text(c, text, true);
}

bool tab_key(EditContext& c) {
    const int n = c.edit.options.tab_width;
    if (n <= 0) return false;
    std::string blanks;
    for (int i = 0; i < n; ++i) blanks += FULL_WIDTH_BLANK;
    return insert_text(c, blanks, c.edit.insert_mode);
}

// A single byte that may stand in the text as a typed character.
bool is_typed_single(std::uint8_t b) { return (b >= 0x20 && b <= 0x7E) || b == 0x80 || (b >= 0xA0 && b <= 0xDF); }

}  // namespace

void dispatch_key(EditContext& c, int key, int flags) {
    key = map_orientation(key, c.edit.frame.vertical);
    if (key == VK_RETURN && !c.edit.insert_mode) key = KEY_OVERWRITE_ENTER;
    if (move_key(c, key, flags)) return;
    const bool ctrl = (flags & KEY_CTRL) != 0;
    switch (key) {
        case VK_BACK: back_space(c); return;
        case VK_DELETE:
            if (ctrl) {
                end_marking(c);
                delete_display_line(c);
            } else {
                delete_key(c);
            }
            return;
        case VK_TAB:
            end_marking(c);
            tab_key(c);
            return;
        case VK_RETURN:
            end_marking(c);
            enter_key(c);
            return;
        case VK_INSERT:
            end_marking(c);
            c.edit.insert_mode = !c.edit.insert_mode;
            return;
        default: return;   // Shift, Ctrl, Alt alone and keys without a meaning
    }
}

bool alt_arrow_command(EditContext& c, int command) {
    static constexpr int KEYS[] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN};
    if (command < COMMAND_ALT_ARROW_FIRST || command > COMMAND_ALT_ARROW_LAST) return false;
    dispatch_key(c, KEYS[command - COMMAND_ALT_ARROW_FIRST], KEY_PLAIN_MOVE);
    return true;
}

void wheel_turn(EditContext& c, int delta, int wheel_columns) {
    if (delta == 0) return;
    const bool vertical = c.edit.frame.vertical;
    const int key = delta < 0 ? (vertical ? VK_LEFT : VK_DOWN) : (vertical ? VK_RIGHT : VK_UP);
    for (int i = 0; i < wheel_columns; ++i) dispatch_key(c, key, KEY_PLAIN_MOVE);
}

int edit_key_command(EditContext& c, int letter_index) {
    if (letter_index < 0 || letter_index >= static_cast<int>(c.edit.edit_keys.size())) return 0;
    const EditKey k = c.edit.edit_keys[static_cast<std::size_t>(letter_index)];
    if (k.key == 0) return 0;
    if (k.key >= COMMAND_UNDO) return k.key;
    dispatch_key(c, k.key, k.flags);
    accelerate_key(c, k.key, k.flags);
    return 0;
}

void type_characters(EditContext& c, std::string_view bytes) {
    std::string& pending = c.edit.pending;
    std::string ready;
    for (char ch : bytes) {
        const auto b = static_cast<std::uint8_t>(ch);
        if (!pending.empty()) {
            const bool whole = is_trail_byte(b);
            if (whole) ready += pending + ch;
            pending.clear();   // a lead byte without a trail byte is dropped
            if (whole) continue;
        }
        if (is_stored_lead(b)) pending.push_back(ch);
        else if (is_typed_single(b)) ready += ch;
    }
    if (ready.empty()) return;
    end_marking(c);
    const int before = c.edit.cursor.screen_line;
    if (!insert_text(c, ready, c.edit.insert_mode)) return;
    const int moved = c.edit.cursor.screen_line - before;
    if (c.edit.options.auto_scroll && moved > 0) scroll_frame(c, moved);
}

}  // namespace rix

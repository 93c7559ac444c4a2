// Line-format words while editing (see line_formats.h).
//
// Journal record of a change of words (RECORD_LINE_FORMAT), pushed in this
// order and read back from its end:
//   per line k = 0 .. n-1: old word (4), new word (4); first line (4); n (2); 3
// Words and the line number go through journal_push_position (four bytes,
// low first). n has 16 bits: a change of more lines is split into records.
#include "editing/line_formats.h"

#include <algorithm>
#include <vector>

#include "document/display_lines.h"
#include "document/line_format.h"
#include "document/storage.h"
#include "editing/cursor.h"
#include "editing/dispatch.h"
#include "editing/edit_text_internal.h"
#include "platform/codec.h"

namespace rix {
namespace {

constexpr std::uint32_t MAX_RECORD_LINES = 0xFFFF;

// The words are in place: wrap the lines again, keep the top on a display
// line start and the cursor where it was, and end the change.
void settle_words(EditContext& c, std::uint32_t first, std::uint32_t n) {
    Document& doc = c.doc;
    const DamageBase damage = damage_base(doc, TextPos(first, 0));
    for (std::uint32_t l = first; l < first + n; ++l) doc.lines.set_display_lines(l, count_display_lines(doc, l));
    doc.cache.invalidate();
    TextPos& top = c.edit.frame.top;
    if (top.line() >= first && top.line() < first + n && top.column() != 0) {
        const TextPos start = cell_at(doc, top).line_start;
        if (start != top) {
            top = start;
            c.edit.damage.top_moved = true;
        }
    }
    ChangeDone done{TextPos(first, 0), 0, MODIFIED_EXTENSION, c.edit.cursor.pos, first, n, "a change of line formats"};
    done.remember_cell = false;
    end_change(c, done, damage);
    const DisplayLineNo from{doc.lines.display_lines_before(first)};
    c.edit.damage.note_text_from(from.before(1));
    c.edit.damage.lines_changed = true;
}

// Writes the words of lines [first, first + words.size()), journaling the
// change unless the journal is suspended (undo and redo).
void write_words(EditContext& c, std::uint32_t first, std::span<const std::uint32_t> words) {
    UndoJournal& j = c.edit.journal;
    for (std::size_t done = 0; done < words.size(); done += MAX_RECORD_LINES) {
        const std::size_t n = std::min<std::size_t>(words.size() - done, MAX_RECORD_LINES);
        const auto at = static_cast<std::uint32_t>(first + done);
        journal_begin(j);
        for (std::size_t k = 0; k < n; ++k) {
            const auto line = static_cast<std::uint32_t>(at + k);
            journal_push_position(j, TextPos(c.doc.formats.word(line)));
            journal_push_position(j, TextPos(words[done + k]));
            c.doc.formats.set_word(line, words[done + k]);
        }
        journal_push_position(j, TextPos(at));
        journal_push_length(j, static_cast<std::uint16_t>(n));
        journal_push(j, RECORD_LINE_FORMAT);
        if (!journal_end(j))
            c.notices.add("この編集は大きすぎるため元に戻せません｡\n元に戻す(Undo)データを消去しました｡", 3000);
    }
}

// The code of the first or last character of typed text: a double-byte
// code (lead << 8 | trail) or a single byte; 0 for no text.
std::uint16_t first_code(std::string_view s) {
    if (s.empty()) return 0;
    const auto b0 = static_cast<std::uint8_t>(s[0]);
    if (is_stored_lead(b0) && s.size() >= 2) return static_cast<std::uint16_t>(b0 << 8 | static_cast<std::uint8_t>(s[1]));
    return b0;
}

std::uint16_t last_code(std::string_view s) {
    std::uint16_t code = 0;
    for (std::size_t k = 0; k < s.size();) {
        code = first_code(s.substr(k));
        k += code > 0xFF ? 2 : 1;
    }
    return code;
}

// Non-empty text of whole characters (no lead byte at its end).
bool whole_characters(std::string_view s) {
    std::size_t k = 0;
    while (k < s.size()) k += is_stored_lead(static_cast<std::uint8_t>(s[k])) ? 2 : 1;
    return !s.empty() && k == s.size();
}

// The first enabled slot of the timing (after = 後) whose trigger is 0 or `code`; -1 when none.
int matching_slot(const RegisteredLineFormats& r, bool after, std::uint16_t code) {
    for (int j = 0; j < LINE_FORMAT_SLOTS; ++j) {
        const bool enabled = (r.enabled >> j) & 1;
        const bool slot_after = (r.after_typing >> j) & 1;
        if (enabled && slot_after == after && (r.triggers[j] == 0 || r.triggers[j] == code)) return j;
    }
    return -1;
}

// The cursor stands before its line's end or the end of the text.
bool before_line_end(const EditContext& c) {
    const TextPos pos = c.edit.cursor.pos;
    if (pos.line() >= c.doc.lines.count() || c.doc.line_pointer(pos.line()) == nullptr) return false;
    const std::uint8_t b = c.doc.line_pointer(pos.line())[pos.column()];
    return b == LINE_END_MARK || b == TEXT_END_MARK;
}

}  // namespace

bool set_line_words(EditContext& c, std::uint32_t first, std::span<const std::uint32_t> words) {
    const std::uint32_t count = c.doc.lines.count();
    if (first >= count) return false;
    words = words.first(std::min<std::size_t>(words.size(), count - first));
    bool changed = false;
    for (std::size_t k = 0; k < words.size(); ++k) changed |= c.doc.formats.word(first + static_cast<std::uint32_t>(k)) != words[k];
    if (!changed) return false;
    write_words(c, first, words);
    settle_words(c, first, static_cast<std::uint32_t>(words.size()));
    return true;
}

bool set_line_word(EditContext& c, std::uint32_t line, std::uint32_t word) {
    return set_line_words(c, line, std::span<const std::uint32_t>(&word, 1));
}

bool step_line_size(EditContext& c, int direction) {
    const std::uint32_t line = c.edit.cursor.pos.line();
    if (line >= c.doc.lines.count() || direction == 0) return false;
    const std::uint32_t word = c.doc.formats.word(line);
    const int next = line_size_index(word) + (direction > 0 ? 1 : -1);
    return set_line_word(c, line, with_size_index(word, (next + LINE_SIZE_STEPS) % LINE_SIZE_STEPS));
}

bool auto_line_format(EditContext& c, int mode, std::string_view typed) {
    const RegisteredLineFormats& r = c.edit.options.line_formats;
    const std::uint32_t line = c.edit.cursor.pos.line();
    if (line >= c.doc.lines.count()) return false;
    int slot = -1;
    if (mode == AUTO_FORMAT_BEFORE) {
        if (c.edit.cursor.pos.column() != 0) return false;
        slot = matching_slot(r, false, first_code(typed));
    } else if (mode == AUTO_FORMAT_AFTER) {
        if (!before_line_end(c)) return false;
        slot = matching_slot(r, true, last_code(typed));
    } else if (mode >= AUTO_FORMAT_KEY_FIRST && mode <= AUTO_FORMAT_KEY_LAST) {
        if (!r.function_keys) return false;
        slot = mode - AUTO_FORMAT_KEY_FIRST;
    }
    if (slot < 0) return false;
    // The word is applied even when the line has it already: the rule was met.
    set_line_word(c, line, r.words[slot]);
    c.state.modified |= MODIFIED_EXTENSION;
    return true;
}

void type_with_line_formats(EditContext& c, std::string_view bytes) {
    // A lead byte waiting for its trail byte: no character is typed yet.
    const bool whole = c.edit.pending.empty() && whole_characters(bytes);
    const bool before = whole && auto_line_format(c, AUTO_FORMAT_BEFORE, bytes);
    type_characters(c, bytes);
    if (whole && !before) auto_line_format(c, AUTO_FORMAT_AFTER, bytes);
}

bool replay_line_format_record(EditContext& c, const JournalRecord& r, bool undo) {
    RecordReader in(r);
    const std::uint32_t n = in.length();
    const std::uint32_t first = in.position().value;
    std::vector<std::uint32_t> words(n);
    for (std::uint32_t k = n; k-- > 0;) {
        const std::uint32_t now = in.position().value;
        const std::uint32_t old = in.position().value;
        words[k] = undo ? old : now;
    }
    if (!in.ok() || n == 0 || first >= c.doc.lines.count() || c.doc.lines.count() - first < n) return false;
    for (std::uint32_t k = 0; k < n; ++k) c.doc.formats.set_word(first + k, words[k]);
    const TextPos cursor = c.edit.cursor.pos;
    if (cursor.line() < first || cursor.line() >= first + n) place_cursor(c, TextPos(first, 0));
    settle_words(c, first, n);
    return true;
}

}  // namespace rix

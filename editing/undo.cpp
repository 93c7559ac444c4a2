// Undo and redo: a journal record read backwards and applied through the
// exact forms of insertion and deletion with the journal suspended.
//
//   RECORD       UNDO                                  REDO
//   insertion    delete [before, after)                insert the bytes at before
//   overwrite    replace [before, end of new bytes)    replace [before, end of replaced bytes)
//                by the replaced bytes                 by the new bytes
//   deletion     insert the bytes at the range start   delete [start, end)
//   line format  the old words back on their lines     the new words again
//   line move    the lines moved back                  the lines moved again
//
// Spans are measured in the raw editing form, so the end of a span that
// crosses line ends is found by walking its bytes (CR LF = next line).
// A record that cannot be applied (the text was changed behind the
// journal's back) empties the journal rather than apply a wrong edit.
#include <string>

#include "document/storage.h"
#include "editing/cursor.h"
#include "editing/dispatch.h"
#include "editing/edit_text.h"
#include "editing/edit_text_internal.h"
#include "editing/line_formats.h"
#include "platform/codec.h"

namespace rix {
namespace {

constexpr unsigned NOTHING_TO_DO_MS = 2000;

std::string as_string(const std::vector<std::uint8_t>& bytes) { return std::string(bytes.begin(), bytes.end()); }

// The position after the raw text `raw` inserted at pos.
TextPos advance(TextPos pos, std::string_view raw) {
    std::uint32_t line = pos.line(), column = pos.column();
    for (std::size_t k = 0; k < raw.size();) {
        const auto b = static_cast<std::uint8_t>(raw[k]);
        if (b == RUBY_MARK || b == TAG_MARK) {
            std::size_t j = k + (b == RUBY_MARK ? 2 : 3);
            while (j < raw.size() && static_cast<std::uint8_t>(raw[j]) != b) ++j;
            const std::size_t n = std::min(j + 1, raw.size()) - k;
            column += static_cast<std::uint32_t>(n);
            k += n;
        } else if (b == '\r' && k + 1 < raw.size() && raw[k + 1] == '\n') {
            ++line;
            column = 0;
            k += 2;
        } else {
            ++column;
            ++k;
        }
    }
    return TextPos(line, column);
}

Cursor cursor_from(RecordReader& in) {
    Cursor k;
    k.second_half = in.byte() != 0;
    k.cell = in.byte();
    k.screen_line = in.byte();
    return k;
}

// Replaces [pos, advance(pos, old_text)) by new_text.
bool replace_span(EditContext& c, TextPos pos, std::string_view old_text, std::string_view new_text) {
    const TextPos end = advance(pos, old_text);
    if (!old_text.empty() && !delete_exact(c, pos, end, c.edit.cursor)) return false;
    if (!new_text.empty() && !insert_at(c, pos, new_text, true, nullptr)) return false;
    return true;
}

struct LineMove {
    std::uint32_t first = 0, n = 0, before = 0;
};

bool read_line_move(const JournalRecord& r, LineMove* m) {
    RecordReader in(r);
    m->before = in.position().value;
    m->n = in.position().value;
    m->first = in.position().value;
    return in.ok();
}

bool apply_undo(EditContext& c, const JournalRecord& r) {
    RecordReader in(r);
    switch (r.type) {
    case RECORD_DELETION: {
        const TextPos start = in.position();
        const std::string text = as_string(in.text(in.length()));
        in.position();
        cursor_from(in);
        if (!in.ok() || !insert_at(c, start, text, true, nullptr)) return false;
        place_cursor(c, start);
        keep_cursor_on_screen(c);
        return true;
    }
    case RECORD_INSERTION: {
        const TextPos after = in.position();
        const TextPos before = in.position();
        const Cursor restore = cursor_from(in);
        in.skip(in.length());
        if (!in.ok()) return false;
        return before == after || delete_exact(c, before, after, restore);
    }
    case RECORD_OVERWRITE: {
        const TextPos before = in.position();
        const std::string replaced = as_string(in.text(in.length()));
        const std::string written = as_string(in.text(in.length()));
        if (!in.ok() || !replace_span(c, before, written, replaced)) return false;
        place_cursor(c, before);
        keep_cursor_on_screen(c);
        return true;
    }
    case RECORD_LINE_FORMAT:
        return replay_line_format_record(c, r, true);
    case RECORD_LINE_MOVE: {
        // The moved lines stand at [before, before + n) or [before - n, before) now.
        LineMove m;
        if (!read_line_move(r, &m)) return false;
        if (m.before < m.first) return move_lines(c, m.before, m.n, m.first + m.n) != NO_LINE;
        return m.before >= m.n && move_lines(c, m.before - m.n, m.n, m.first) != NO_LINE;
    }
    default:
        return false;
    }
}

bool apply_redo(EditContext& c, const JournalRecord& r) {
    RecordReader in(r);
    switch (r.type) {
    case RECORD_DELETION: {
        const TextPos start = in.position();
        in.skip(in.length());
        const TextPos end = in.position();
        const Cursor restore = cursor_from(in);
        return in.ok() && delete_exact(c, start, end, restore);
    }
    case RECORD_INSERTION: {
        in.position();
        const TextPos before = in.position();
        cursor_from(in);
        const std::string text = as_string(in.text(in.length()));
        return in.ok() && insert_at(c, before, text, true, nullptr);
    }
    case RECORD_OVERWRITE: {
        const TextPos before = in.position();
        const std::string replaced = as_string(in.text(in.length()));
        const std::string written = as_string(in.text(in.length()));
        return in.ok() && replace_span(c, before, replaced, written);
    }
    case RECORD_LINE_FORMAT:
        return replay_line_format_record(c, r, false);
    case RECORD_LINE_MOVE: {
        LineMove m;
        return read_line_move(r, &m) && move_lines(c, m.first, m.n, m.before) != NO_LINE;
    }
    default:
        return false;
    }
}

template <class Take, class Apply>
bool run_journal(EditContext& c, Take take, Apply apply, std::string_view nothing_utf8) {
    UndoJournal& j = c.edit.journal;
    JournalRecord r;
    if (!take(j, &r)) {
        c.notices.add(std::string(nothing_utf8), NOTHING_TO_DO_MS);
        return false;
    }
    // The marked range named the text before the change: it ends.
    end_marking(c);
    j.suspended = true;
    const bool ok = apply(c, r);
    j.suspended = false;
    if (!ok) journal_clear(j);
    return ok;
}

}  // namespace

bool undo(EditContext& c) {
    return run_journal(c, journal_take_undo, apply_undo, "元に戻す(Undo)データはありません｡");
}

bool redo(EditContext& c) {
    return run_journal(c, journal_take_redo, apply_redo, "やり直し(ReUndo)データはありません｡");
}

void reset_editing(EditState& edit) {
    journal_clear(edit.journal);
    edit.journal.refused = false;
    edit.line_cache.invalidate();
    edit.staging.clear();
    edit.pending.clear();
    edit.lowest_changed = TextPos(0xFFFFFFFFu);
    edit.page_count_stale = true;
    edit.autosave_edits = 0;
}

}  // namespace rix

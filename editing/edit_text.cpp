// insert_text and delete_range: the one place where document text changes.
//
// Each operation takes the edited logical line in its raw editing form
// (edit_convert.h), changes it, converts it back and lets place_edit_lines
// put the produced lines into the buffer and the tables. Then, in this
// order: the structure index follows the lines, the undo record is written,
// and end_change (edit_text_internal.h) ends it as it ends every change of
// the document (a block rewritten in place, lines moved, line formats): the
// document state and the counters other subsystems read are updated, the
// screen frame follows, more of a partly loaded document is loaded when the
// screen would run past it, the cursor is placed and the damage noted.
//
// Undo and redo apply their records through the exact forms insert_at and
// delete_exact: no moving past tag blocks, no snapping, no journaling (the
// journal is suspended). A record always describes byte-exact spans, so an
// undo gives back the very bytes the edit replaced.
#include "editing/edit_text.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "document/display_lines.h"
#include "document/edit_convert.h"
#include "document/export.h"
#include "document/storage.h"
#include "editing/cursor.h"
#include "editing/edit_text_internal.h"
#include "platform/codec.h"

namespace rix {
namespace {

constexpr std::uint32_t MAX_JOURNAL_SPAN = 0xFFFF;   // lengths in the journal have 16 bits

void notice_not_journaled(Notices& notices) {
    notices.add("この編集は大きすぎるため元に戻せません｡\n元に戻す(Undo)データを消去しました｡", 3000);
}

// Tells why a conversion could not be placed.
void notice_refused(EditConvertStatus status, Notices& notices) {
    switch (status) {
    case EditConvertStatus::LINE_TOO_LONG:
        notices.add("1行の長さは全角16000字迄です｡挿入が出\n来ません｡適当な所で行換えしてください｡", 3000);
        break;
    case EditConvertStatus::TOO_MANY_LINES:
        notices.add("行数が上限の65536行を超えるため､\n挿入が出来ません｡", 3000);
        break;
    case EditConvertStatus::NO_BUFFER:
        notices.add("テキストバッファーを拡大出来ません。", 4000);
        break;
    case EditConvertStatus::OK:
        break;
    }
}

bool ends_line(ItemKind k) { return k == ItemKind::LINE_END || k == ItemKind::TEXT_END || k == ItemKind::CUT; }
bool is_cell(ItemKind k) { return k == ItemKind::DOUBLE || k == ItemKind::SINGLE || k == ItemKind::PAIR; }

// The item of a loaded line that holds column `column` (the end item when
// the column lies at or beyond the line end).
ScanItem item_at(const Document& doc, std::uint32_t line, std::uint32_t column) {
    LineScanner scan(doc.line_pointer(line), MAX_LINE_SCAN);
    for (;;) {
        ScanItem it = scan.next();
        if (ends_line(it.kind) || it.column + it.length > column) return it;
    }
}

// The nearest boundary at or before pos (the second half of a half-width
// pair is a boundary), within the line's end.
TextPos snap_back(const Document& doc, TextPos pos) {
    ScanItem it = item_at(doc, pos.line(), pos.column());
    if (it.column >= pos.column()) return pos;
    if (ends_line(it.kind)) return TextPos(pos.line(), it.column);
    if (it.kind == ItemKind::PAIR && pos.column() == it.column + 1) return pos;
    return TextPos(pos.line(), it.column);
}

// The nearest boundary at or after pos, never past the line's end mark.
TextPos snap_forward(const Document& doc, TextPos pos) {
    ScanItem it = item_at(doc, pos.line(), pos.column());
    if (it.column >= pos.column()) return pos;
    if (ends_line(it.kind)) return TextPos(pos.line(), it.column);
    if (it.kind == ItemKind::PAIR && pos.column() == it.column + 1) return pos;
    return TextPos(pos.line(), it.column + it.length);
}

// A position standing on tag blocks moves past them.
TextPos past_tags(const Document& doc, TextPos pos) {
    for (;;) {
        ScanItem it = item_at(doc, pos.line(), pos.column());
        if (it.kind != ItemKind::TAG || it.column != pos.column()) return pos;
        pos = TextPos(pos.line(), it.column + it.length);
    }
}

// A position of the loaded text: lines beyond the loaded ones give the end.
TextPos loaded_position(const Document& doc, TextPos pos) {
    if (pos.line() >= doc.lines.count()) return document_end(doc);
    return pos;
}

void journal_cursor(UndoJournal& j, const Cursor& k) {
    journal_push(j, static_cast<std::uint8_t>(std::clamp(k.screen_line, 0, 255)));
    journal_push(j, static_cast<std::uint8_t>(std::min<std::uint32_t>(k.cell, 255)));
    journal_push(j, k.second_half ? 1 : 0);
}

void journal_bytes_reversed(UndoJournal& j, std::string_view bytes) {
    for (std::size_t k = bytes.size(); k > 0; --k) journal_push(j, static_cast<std::uint8_t>(bytes[k - 1]));
}

void finish_record(UndoJournal& j, Notices& notices) {
    if (!journal_end(j)) notice_not_journaled(notices);
}

// The record apply_undo and apply_redo read for an overwrite: the position,
// then the replaced bytes, then the written ones. Past the span a record can
// hold, the journal is refused and the writer told.
void record_overwrite(EditContext& c, TextPos pos, std::string_view replaced, std::string_view written) {
    UndoJournal& j = c.edit.journal;
    if (written.size() > MAX_JOURNAL_SPAN || replaced.size() > MAX_JOURNAL_SPAN) {
        journal_refuse(j);
        notice_not_journaled(c.notices);
        return;
    }
    journal_begin(j);
    journal_bytes_reversed(j, written);
    journal_push_length(j, static_cast<std::uint16_t>(written.size()));
    journal_bytes_reversed(j, replaced);
    journal_push_length(j, static_cast<std::uint16_t>(replaced.size()));
    journal_push_position(j, pos);
    journal_push(j, RECORD_OVERWRITE);
    finish_record(j, c.notices);
}

// The raw editing form of [start, end) (line ends as CR LF), byte-exact.
std::string raw_span(const Document& doc, TextPos start, TextPos end) {
    std::string out;
    for (std::uint32_t line = start.line(); line <= end.line() && line < doc.lines.count(); ++line) {
        const std::string text = edit_text_of_line(doc, line);
        const std::size_t from = line == start.line() ? start.column() : 0;
        const std::size_t to = line == end.line() ? std::min<std::size_t>(end.column(), text.size()) : text.size();
        if (from < to) out.append(text, from, to - from);
    }
    return out;
}

}  // namespace

// What the screen must redraw: from the display line before the one of
// `from` (a kinsoku or a half-width pair may pull a character back onto it).
// A change that adds or removes logical lines lays out to the end even when
// the display lines add up to as many as before: the changed display lines
// then belong to more than one logical line.
DamageBase damage_base(Document& doc, TextPos from) {
    DamageBase d;
    const DisplayLineNo first{doc.lines.display_lines_before(from.line())};
    const DisplayLineNo at = document_display_line(doc, from);
    d.from_display_line = at > first ? at.before(1) : at;
    d.total = doc.lines.total_display_lines();
    d.lines = doc.lines.count();
    return d;
}

void end_change(EditContext& c, const ChangeDone& done, const DamageBase& d) {
    // The document state and the counters other subsystems read.
    c.state.modified |= done.modified;
    if (done.modified & MODIFIED_TEXT) {
        c.edit.page_count_stale = true;
        if (done.from < c.edit.lowest_changed) c.edit.lowest_changed = done.from;
        c.edit.autosave_edits += done.bytes;
    }
    // The frame, loading, the cursor.
    if (done.show_cursor) {
        refresh_frame(c);
        load_for(c, done.cursor, static_cast<std::uint32_t>(std::max(1, c.edit.frame.screen_lines)));
        place_cursor(c, done.cursor, done.remember_cell);
        keep_cursor_on_screen(c);
    }
    // The damage.
    ViewDamage& v = c.edit.damage;
    v.note_text_from(d.from_display_line);
    if (c.doc.lines.total_display_lines() != d.total || c.doc.lines.count() != d.lines) v.lines_changed = true;
    check_after_edit(c.doc, done.first_line, done.lines, done.what);
}

namespace {

// The top of the screen after the old text [start, old_end) became the new
// text [start, new_end); lines after the change shift by line_shift.
void follow_top(EditContext& c, TextPos start, TextPos old_end, TextPos new_end, std::int64_t line_shift) {
    TextPos& top = c.edit.frame.top;
    if (top <= start) return;
    if (top < old_end) {
        top = start;
    } else if (top.line() == old_end.line()) {
        top = TextPos(new_end.line(), new_end.column() + (top.column() - old_end.column()));
    } else {
        top = TextPos(static_cast<std::uint32_t>(static_cast<std::int64_t>(top.line()) + line_shift), top.column());
    }
}

// Index entries on removed lines leave with a notice each.
void remove_index_entries(Document& doc, std::uint32_t at, std::uint32_t n, Notices& notices) {
    if (n == 0) return;
    for (const IndexEntry& e : adjust_index_entries(doc.index, at, n, false))
        notices.add("索引の付いている行を\n削除しましたので、\n行 " + std::to_string(e.line + 1) + "「" +
                        sjis_to_utf8(e.title) + "」も削除します。",
                    4000);
}

// The format words of the lines produced from line `line` split at raw column `column`.
std::vector<std::uint32_t> split_words(const EditContext& c, std::uint32_t line, std::uint32_t column, std::size_t n) {
    const std::uint32_t word = c.doc.formats.word(line);
    std::vector<std::uint32_t> words(n, word);
    if (n <= 1 || !c.edit.options.reset_format_on_break) return words;
    std::fill(words.begin(), words.end(), 0);
    if (column == 0) words.back() = word;   // the text and its format move down
    else words.front() = word;
    return words;
}

std::uint32_t tab_width(const EditContext& c) { return static_cast<std::uint32_t>(std::max(0, c.edit.options.tab_width)); }

// The raw editing form of `line`, through the edit-line cache.
std::string& staged_line(EditContext& c, TextPos pos) {
    EditLineCache& cache = c.edit.line_cache;
    const std::uint32_t line = pos.line();
    if (!cache.holds(c.doc, line, pos.column(), c.edit.staging.size())) {
        c.edit.staging = edit_text_of_line(c.doc, line);
        cache.line = line;
        cache.column = pos.column();
        cache.start = c.doc.lines.start(line);
        cache.raw_length = static_cast<std::uint32_t>(c.edit.staging.size());
        cache.insertion_point = pos.column();
        cache.generation = c.doc.generation;
    }
    return c.edit.staging;
}

// Bytes of the line's characters in its raw form (the terminator excluded).
std::size_t raw_text_end(const std::string& raw) {
    if (!raw.empty() && static_cast<std::uint8_t>(raw.back()) == TEXT_END_MARK) return raw.size() - 1;
    return raw.size() >= 2 ? raw.size() - 2 : 0;
}

// Length of the raw item at k: a whole block, a double-byte character or one byte.
std::size_t raw_item_length(const std::string& raw, std::size_t k, std::size_t end) {
    const auto b = static_cast<std::uint8_t>(raw[k]);
    if (b == RUBY_MARK || b == TAG_MARK) {
        std::size_t j = k + (b == RUBY_MARK ? 2 : 3);
        while (j < end && static_cast<std::uint8_t>(raw[j]) != b) ++j;
        return std::min(j + 1, end) - k;
    }
    if (is_stored_lead(b) && k + 1 < end) return 2;
    return 1;
}

struct Overwrite {
    std::size_t covered_end = 0;   // raw end of the replaced span
    bool blank = false;            // a blank fills the half of a double-byte character left over
};

// What writing `length` bytes over the line from `ip` replaces: characters
// one by one, blocks among them whole, up to the line's characters' end.
Overwrite overwrite_span(const std::string& raw, std::size_t ip, std::size_t length) {
    const std::size_t end = raw_text_end(raw);
    Overwrite o;
    if (ip + length >= end) {
        o.covered_end = std::max(ip, end);
        return o;
    }
    std::size_t covered = 0, k = ip;
    while (covered < length && k < end) {
        const std::size_t n = raw_item_length(raw, k, end);
        const auto b = static_cast<std::uint8_t>(raw[k]);
        if (b != RUBY_MARK && b != TAG_MARK) covered += n;
        k += n;
    }
    o.covered_end = k;
    o.blank = covered > length;
    return o;
}

struct LineEdit {
    std::uint32_t line = 0;
    std::string raw;                        // the new raw form of the line
    std::vector<std::uint32_t> offsets;     // raw offsets whose positions are wanted
    std::uint32_t split_column = 0;         // where line breaks were inserted (format inheritance)
    bool text_moves_down = false;           // inserted at the line's start: its text ends on the last line made
};

// Converts and places one edited line. The positions of the offsets come
// back absolute. False when refused (with the notice).
bool apply_line_edit(EditContext& c, const LineEdit& e, std::vector<TextPos>* positions, std::uint32_t* produced) {
    EditConversion conv =
        convert_edit_text(e.raw, c.doc.rules, c.doc.formats.word(e.line), tab_width(c), e.offsets);
    std::vector<std::uint32_t> words = split_words(c, e.line, e.split_column, conv.lines.size());
    EditConvertStatus st = place_edit_lines(c.doc, e.line, 1, conv, words);
    if (st != EditConvertStatus::OK) {
        notice_refused(st, c.notices);
        return false;
    }
    *produced = static_cast<std::uint32_t>(conv.lines.size());
    // Index entries stay with their line's text: after the first line made,
    // or on the last one when the text was pushed down from the line's start
    // (else an undo of that break would delete the entry with the new line).
    if (*produced > 1) adjust_index_entries(c.doc.index, e.text_moves_down ? e.line : e.line + 1, *produced - 1, true);
    positions->clear();
    for (TextPos p : conv.positions) positions->push_back(TextPos(e.line + p.line(), p.column()));
    // The staging area keeps the line as stored for the next insertion.
    EditLineCache& cache = c.edit.line_cache;
    if (*produced == 1) {
        c.edit.staging = conv.lines[0] + (conv.text_end ? std::string(1, static_cast<char>(TEXT_END_MARK)) : "\r\n");
        cache.line = e.line;
        cache.column = positions->front().column();
        cache.insertion_point = cache.column;
        cache.start = c.doc.lines.start(e.line);
        cache.raw_length = static_cast<std::uint32_t>(c.edit.staging.size());
        cache.generation = c.doc.generation;
    } else {
        cache.invalidate();
    }
    return true;
}

}  // namespace

namespace {

// One past the closing mark of a well-formed block opening at k, else 0:
// a ruby holds at most MAX_RUBY_TEXT bytes and no line or text end, a tag
// at most MAX_TAG_TEXT bytes of text and no text end or line-end mark. A
// tag's two size bytes may be anything but its mark (252, the largest, is
// 0xFC).
std::size_t whole_block_end(std::string_view in, std::size_t k) {
    const auto mark = static_cast<std::uint8_t>(in[k]);
    const bool ruby = mark == RUBY_MARK;
    const std::size_t first = k + (ruby ? 2 : 3);
    const std::size_t most = ruby ? MAX_RUBY_TEXT : MAX_TAG_TEXT + 2;
    for (std::size_t j = first; j < in.size() && j - first <= most; ++j) {
        const auto b = static_cast<std::uint8_t>(in[j]);
        if (b == mark) return j + 1;
        if (!ruby && j < first + 2) continue;   // a size byte
        if (b == TEXT_END_MARK || b == LINE_END_MARK || b == IGNORED_MARK) return 0;
        if (ruby && (b == '\r' || b == '\n' || b == TAG_MARK)) return 0;
    }
    return 0;
}

// The first CR LF of raw text that is not inside a block.
std::size_t first_line_break(std::string_view text) {
    for (std::size_t k = 0; k < text.size();) {
        const auto b = static_cast<std::uint8_t>(text[k]);
        if (b == RUBY_MARK || b == TAG_MARK) {
            const std::size_t end = whole_block_end(text, k);
            k = end ? end : k + 1;
        } else if (b == '\r' && k + 1 < text.size() && text[k + 1] == '\n') {
            return k;
        } else {
            k += is_stored_lead(b) && k + 1 < text.size() ? 2 : 1;
        }
    }
    return std::string_view::npos;
}

}  // namespace

// Keeps of text handed to insert_text what may stand in the raw form: whole
// well-formed blocks, whole characters (a lead byte without its trail
// becomes 〓), CR LF pairs and lone CRs; line-end marks, 0xFC, 0x1A, the
// marks of broken blocks and lone LFs are dropped.
std::string sanitize_insert_text(std::string_view in) {
    std::string out;
    out.reserve(in.size());
    for (std::size_t k = 0; k < in.size();) {
        const auto b = static_cast<std::uint8_t>(in[k]);
        if (b == RUBY_MARK || b == TAG_MARK) {
            const std::size_t end = whole_block_end(in, k);
            if (end) out.append(in.substr(k, end - k));
            k = end ? end : k + 1;
            continue;
        }
        if (b == LINE_END_MARK || b == IGNORED_MARK || b == TEXT_END_MARK) {
            ++k;
            continue;
        }
        if (b == 0x0A) {
            if (!out.empty() && out.back() == '\r' && k > 0 && in[k - 1] == '\r') out.push_back('\n');
            ++k;
            continue;
        }
        if (is_stored_lead(b)) {
            if (k + 1 < in.size() && is_trail_byte(static_cast<std::uint8_t>(in[k + 1]))) {
                out.append(in.substr(k, 2));
                k += 2;
            } else {
                out += GETA_MARK;
                ++k;
            }
            continue;
        }
        out.push_back(static_cast<char>(b));
        ++k;
    }
    return out;
}

#ifndef NDEBUG
void check_after_edit(const Document& doc, std::uint32_t first, std::uint32_t n, const char* what) {
    const std::string bad = check_lines_invariant(doc, first, n);
    if (bad.empty()) return;
    std::fprintf(stderr, "rix: the document is broken after %s at line %u: %s\n", what, first, bad.c_str());
    std::abort();
}
#endif

bool insert_at(EditContext& c, TextPos pos, std::string_view text, bool insert, TextPos* after) {
    Document& doc = c.doc;
    if (text.empty() || pos.line() >= doc.lines.count()) return false;
    const Cursor before_cursor = c.edit.cursor;
    const DamageBase damage = damage_base(doc, pos);
    const std::uint32_t line = pos.line();
    const std::string& staged = staged_line(c, pos);
    const std::size_t ip = pos.column();

    LineEdit e;
    e.line = line;
    e.split_column = pos.column();
    e.text_moves_down = insert && pos.column() == 0;
    std::string replaced;
    if (insert) {
        e.raw.reserve(staged.size() + text.size());
        e.raw.append(staged, 0, ip).append(text).append(staged, ip);
        e.offsets = {static_cast<std::uint32_t>(ip + text.size())};
    } else {
        Overwrite o = overwrite_span(staged, ip, text.size());
        replaced = staged.substr(ip, o.covered_end - ip);
        e.raw.append(staged, 0, ip).append(text);
        if (o.blank) e.raw.push_back(' ');
        e.raw.append(staged, o.covered_end);
        const auto cursor_at = static_cast<std::uint32_t>(ip + text.size());
        e.offsets = {cursor_at, cursor_at + (o.blank ? 1u : 0u)};
    }
    std::vector<TextPos> positions;
    std::uint32_t produced = 1;
    if (!apply_line_edit(c, e, &positions, &produced)) return false;
    const TextPos cursor = positions[0];

    UndoJournal& j = c.edit.journal;
    if (!j.suspended) {
        if (insert) {
            if (text.size() > MAX_JOURNAL_SPAN) {
                journal_refuse(j);
                notice_not_journaled(c.notices);
            } else {
                journal_begin(j);
                journal_bytes_reversed(j, text);
                journal_push_length(j, static_cast<std::uint16_t>(text.size()));
                journal_cursor(j, before_cursor);
                journal_push_position(j, pos);
                journal_push_position(j, cursor);
                journal_push(j, RECORD_INSERTION);
                finish_record(j, c.notices);
            }
        } else {
            record_overwrite(c, pos, replaced, raw_span(doc, pos, positions[1]));
        }
    }
    const TextPos old_end = insert ? pos : TextPos(line, static_cast<std::uint32_t>(pos.column() + replaced.size()));
    follow_top(c, pos, old_end, positions.back(), static_cast<std::int64_t>(produced) - 1);
    end_change(c, {pos, text.size(), MODIFIED_TEXT, cursor, line, produced, insert ? "an insertion" : "an overwrite"},
               damage);
    if (after) *after = cursor;
    return true;
}

bool delete_exact(EditContext& c, TextPos start, TextPos end, const Cursor& restore) {
    Document& doc = c.doc;
    if (!(start < end) || end.line() >= doc.lines.count()) return false;
    // Joining lines takes the first line's marks, shown on its first display line.
    const DamageBase damage = damage_base(doc, start.line() != end.line() ? TextPos(start.line(), 0) : start);
    const std::uint32_t l1 = start.line(), l2 = end.line();
    const std::string deleted = raw_span(doc, start, end);
    c.edit.line_cache.invalidate();

    if (start.column() == 0 && end.column() == 0) {
        // Whole lines: their entries go, nothing is converted.
        remove_line_entries(doc, l2, l2 - l1);
        remove_index_entries(doc, l2, l2 - l1, c.notices);
        if (doc.fully_loaded()) doc.load.end = TextPos(doc.load.end.line() - (l2 - l1), doc.load.end.column());
    } else {
        EditConversion conv;
        std::string raw = edit_text_of_line(doc, l1).substr(0, start.column());
        raw += edit_text_of_line(doc, l2).substr(end.column());
        const std::uint32_t offset = start.column();
        conv = convert_edit_text(raw, doc.rules, doc.formats.word(l1), tab_width(c), {&offset, 1});
        EditConvertStatus st = place_edit_lines(doc, l1, l2 - l1 + 1, conv, {doc.formats.word(l1)});
        if (st != EditConvertStatus::OK) {
            notice_refused(st, c.notices);
            return false;
        }
        if (l2 > l1) {
            doc.lines.set_marks(l1, 0);   // a line made by joining lines has no marks
            remove_index_entries(doc, l2 + 1, l2 - l1, c.notices);
        }
    }

    UndoJournal& j = c.edit.journal;
    if (!j.suspended) {
        if (deleted.size() > MAX_JOURNAL_SPAN) {
            journal_refuse(j);
            notice_not_journaled(c.notices);
        } else {
            journal_begin(j);
            journal_cursor(j, restore);
            journal_push_position(j, end);
            journal_bytes_reversed(j, deleted);
            journal_push_length(j, static_cast<std::uint16_t>(deleted.size()));
            journal_push_position(j, start);
            journal_push(j, RECORD_DELETION);
            finish_record(j, c.notices);
        }
    }
    follow_top(c, start, end, start, -static_cast<std::int64_t>(l2 - l1));
    end_change(c, {start, deleted.size(), MODIFIED_TEXT, start, l1, 1, "a deletion"}, damage);
    return true;
}

bool insert_text(EditContext& c, std::string_view raw, bool insert) {
    Document& doc = c.doc;
    if (doc.lines.count() == 0) return false;
    std::string text = sanitize_insert_text(raw);
    if (text.empty()) return false;
    TextPos pos = past_tags(doc, snap_back(doc, loaded_position(doc, c.edit.cursor.pos)));
    if (insert) return insert_at(c, pos, text, true, nullptr);
    // Overwriting stops at a line break: what follows it is inserted.
    const std::size_t brk = first_line_break(text);
    if (brk == std::string_view::npos) return insert_at(c, pos, text, false, nullptr);
    TextPos after = pos;
    if (brk > 0 && !insert_at(c, pos, std::string_view(text).substr(0, brk), false, &after)) return false;
    return insert_at(c, after, std::string_view(text).substr(brk), true, nullptr);
}

bool delete_range(EditContext& c, TextPos end, TextPos start, const Cursor& restore) {
    Document& doc = c.doc;
    if (doc.lines.count() == 0) return false;
    if (end < start) std::swap(start, end);
    const bool single = start == end;
    start = past_tags(doc, snap_back(doc, loaded_position(doc, start)));
    if (single) {
        ScanItem it = item_at(doc, start.line(), start.column());
        switch (it.kind) {
        case ItemKind::TEXT_END:
        case ItemKind::CUT:
            return false;   // the end of the text is never deleted
        case ItemKind::LINE_END:
            while (start.line() + 1 >= doc.lines.count() && c.session && load_more(doc, c.state, *c.session, &c.notices)) {
            }
            if (start.line() + 1 >= doc.lines.count()) return false;
            end = TextPos(start.line() + 1, 0);
            break;
        case ItemKind::RUBY: {
            // A ruby goes with the first character of its base.
            ScanItem base = item_at(doc, start.line(), it.column + it.length);
            std::uint32_t stop = it.column + it.length;
            if (is_cell(base.kind) && base.column == stop) stop += base.kind == ItemKind::PAIR ? 1 : base.length;
            end = TextPos(start.line(), stop);
            break;
        }
        case ItemKind::PAIR:
            end = TextPos(start.line(), start.column() + 1);
            break;
        default:
            end = TextPos(start.line(), it.column + it.length);
            break;
        }
    } else {
        // A range reaching past the loaded lines joins what it reaches: load it first.
        if (end.line() >= doc.lines.count() && c.session)
            while (end.line() >= doc.lines.count() && load_more(doc, c.state, *c.session, &c.notices)) {
            }
        end = snap_forward(doc, loaded_position(doc, end));
        if (end < start) end = start;
    }
    return delete_exact(c, start, end, restore);
}

bool delete_block_at(EditContext& c, TextPos pos, const Cursor& restore) {
    if (pos.line() >= c.doc.lines.count()) return false;
    const ScanItem it = item_at(c.doc, pos.line(), pos.column());
    if (it.column != pos.column() || (it.kind != ItemKind::TAG && it.kind != ItemKind::RUBY)) return false;
    return delete_exact(c, pos, TextPos(pos.line(), it.column + it.length), restore);
}

bool insert_block_at(EditContext& c, TextPos pos, std::string_view block) {
    if (pos.line() >= c.doc.lines.count() || block.empty()) return false;
    if (static_cast<std::uint8_t>(block[0]) != TAG_MARK || whole_block_end(block, 0) != block.size()) return false;
    if (snap_back(c.doc, pos) != pos) return false;
    return insert_at(c, pos, block, true, nullptr);
}

bool replace_block_at(EditContext& c, TextPos pos, std::string_view block, bool record) {
    Document& doc = c.doc;
    if (pos.line() >= doc.lines.count() || block.empty()) return false;
    if (static_cast<std::uint8_t>(block[0]) != TAG_MARK || whole_block_end(block, 0) != block.size()) return false;
    const ScanItem it = item_at(doc, pos.line(), pos.column());
    if (it.column != pos.column() || it.kind != ItemKind::TAG) return false;
    if (!record && block.size() != it.length) return false;
    const TextPos end(pos.line(), it.column + it.length);
    const std::string old = raw_span(doc, pos, end);
    const DamageBase damage = damage_base(doc, pos);
    const EditConvertStatus st = rewrite_line_bytes(doc, pos, it.length, block, tab_width(c));
    if (st != EditConvertStatus::OK) {
        notice_refused(st, c.notices);
        return false;
    }
    UndoJournal& j = c.edit.journal;
    if (record && !j.suspended) record_overwrite(c, pos, old, block);
    // The cursor and the top keep their places in the text.
    const auto new_end = TextPos(pos.line(), static_cast<std::uint32_t>(pos.column() + block.size()));
    TextPos cursor = c.edit.cursor.pos;
    if (cursor.line() == pos.line() && !(cursor < end))
        cursor = TextPos(cursor.line(), cursor.column() - it.length + static_cast<std::uint32_t>(block.size()));
    follow_top(c, pos, end, new_end, 0);
    const std::uint8_t modified = record ? MODIFIED_TEXT : MODIFIED_EXTENSION;
    end_change(c, {pos, block.size(), modified, cursor, pos.line(), 1, "a block rewrite", record}, damage);
    return true;
}

std::uint32_t move_lines(EditContext& c, std::uint32_t first, std::uint32_t n, std::uint32_t before) {
    Document& doc = c.doc;
    const std::uint32_t count = doc.lines.count();
    // The last line holds the end of the text: it never moves, nothing goes after it.
    if (n == 0 || first >= count || n >= count - first || before >= count || (before > first && before < first + n))
        return NO_LINE;
    const std::uint32_t lowest = std::min(first, before);
    const DamageBase damage = damage_base(doc, TextPos(lowest, 0));
    // A marked range would be torn apart; typed bytes waiting for a trail byte are dropped.
    if (c.edit.mark.on) {
        c.edit.mark.on = false;
        c.edit.damage.marking = true;
    }
    c.edit.pending.clear();
    c.edit.line_cache.invalidate();
    const std::uint32_t to = move_line_entries(doc, first, n, before);
    // The cursor and the top stay on their text.
    auto follow = [&](TextPos p) { return TextPos(moved_line(p.line(), first, n, before), p.column()); };
    if (c.edit.frame.top.line() < count) c.edit.frame.top = follow(c.edit.frame.top);
    const TextPos cursor = c.edit.cursor.pos.line() < count ? follow(c.edit.cursor.pos) : c.edit.cursor.pos;
    UndoJournal& j = c.edit.journal;
    if (!j.suspended) {
        journal_begin(j);
        journal_push_position(j, TextPos(first));
        journal_push_position(j, TextPos(n));
        journal_push_position(j, TextPos(before));
        journal_push(j, RECORD_LINE_MOVE);
        finish_record(j, c.notices);
    }
    end_change(c, {TextPos(lowest, 0), 0, MODIFIED_TEXT | MODIFIED_EXTENSION, cursor, to, n, "a move of lines"},
               damage);
    c.edit.damage.full = true;
    c.edit.damage.lines_changed = true;
    c.edit.damage.note_text_from(DisplayLineNo{});
    return to;
}

}  // namespace rix

// Ruby input (see ruby.h): the base at the cursor and the pending edit.
#include "editing/ruby.h"

#include <algorithm>

#include "document/notation.h"
#include "editing/cursor.h"
#include "editing/edit_text.h"
#include "platform/codec.h"

namespace rix {
namespace {

constexpr std::uint16_t CODE_LONG_VOWEL = 0x815B;   // ー

bool is_cell(ItemKind k) { return k == ItemKind::DOUBLE || k == ItemKind::SINGLE || k == ItemKind::PAIR; }
bool ends_line(ItemKind k) { return k == ItemKind::LINE_END || k == ItemKind::TEXT_END || k == ItemKind::CUT; }

RubyClass single_class(std::uint8_t b) { return b >= 0xA0 && b <= 0xDF ? RubyClass::KANA : RubyClass::LATIN; }

// Bytes of the stored line from column `from` to its line end (the line end excluded).
std::uint32_t bytes_to_line_end(const Document& doc, std::uint32_t line, std::uint32_t from) {
    LineScanner scan(doc.line_pointer(line), MAX_LINE_SCAN);
    for (;;) {
        ScanItem it = scan.next();
        if (ends_line(it.kind)) return it.column > from ? it.column - from : 0;
    }
}

// Stored bytes of [start, end): a line end counts its two bytes.
std::uint64_t range_bytes(const Document& doc, TextPos start, TextPos end) {
    if (start.line() == end.line()) return end.column() > start.column() ? end.column() - start.column() : 0;
    std::uint64_t n = bytes_to_line_end(doc, start.line(), start.column()) + 2;
    for (std::uint32_t l = start.line() + 1; l < end.line() && l < doc.lines.count(); ++l)
        n += bytes_to_line_end(doc, l, 0) + 2;
    return n + end.column();
}

// The base candidate from column `at` of `line`: stored characters up to
// `end_column` (or `most_bytes`), cut at the first block or line end.
std::string base_candidate(const Document& doc, std::uint32_t line, std::uint32_t at, std::uint32_t end_column,
                           std::size_t most_bytes) {
    const std::uint8_t* p = doc.line_pointer(line) + at;
    std::string out;
    LineScanner scan(p, MAX_LINE_SCAN);
    for (;;) {
        ScanItem it = scan.next();
        if (!is_cell(it.kind) || at + it.column >= end_column) break;
        if (out.size() + it.length > most_bytes) break;
        out.append(reinterpret_cast<const char*>(p + it.column), it.length);
    }
    return out;
}

}  // namespace

RubyClass ruby_class(ItemKind kind, std::uint16_t code, std::uint8_t first_byte) {
    if (kind != ItemKind::DOUBLE) return single_class(first_byte);
    const auto lead = static_cast<std::uint8_t>(code >> 8);
    if (lead == 0x81) return RubyClass::SYMBOL;
    if (lead < 0x83) return RubyClass::LATIN;
    if (lead < 0x88) return RubyClass::KANA;
    return RubyClass::KANJI;
}

std::uint32_t count_cells(std::string_view stored) {
    std::uint32_t n = 0;
    LineScanner scan(reinterpret_cast<const std::uint8_t*>(stored.data()), stored.size());
    for (ScanItem it = scan.next(); !ends_line(it.kind); it = scan.next())
        if (is_cell(it.kind)) ++n;
    return n;
}

std::string_view first_cells(std::string_view stored, std::uint32_t cells) {
    LineScanner scan(reinterpret_cast<const std::uint8_t*>(stored.data()), stored.size());
    std::uint32_t n = 0;
    for (ScanItem it = scan.next(); !ends_line(it.kind); it = scan.next()) {
        if (!is_cell(it.kind)) continue;
        if (n == cells) return stored.substr(0, it.column);
        ++n;
    }
    return stored;
}

std::uint32_t word_cells(std::string_view stored) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(stored.data());
    LineScanner scan(p, stored.size());
    std::uint32_t n = 0;
    RubyClass run = RubyClass::SYMBOL;
    for (ScanItem it = scan.next(); !ends_line(it.kind); it = scan.next()) {
        if (!is_cell(it.kind)) break;
        const bool continues = it.kind == ItemKind::DOUBLE && (it.code == CODE_LONG_VOWEL || it.code == CODE_KANJI_REPEAT);
        RubyClass cls = continues ? run : ruby_class(it.kind, it.code, p[it.column]);
        if (n > 0 && cls != run) break;
        run = cls;
        ++n;
        // A pair of two classes: the run ends with this cell.
        if (it.kind == ItemKind::PAIR && single_class(p[it.column + 1]) != cls) break;
    }
    return n;
}

RubyTarget prepare_ruby_edit(EditContext& c, std::size_t limit_bytes, bool report_line_end) {
    RubyTarget t;
    const Document& doc = c.doc;
    TextPos end_of_range(0xFFFFFFFFu);
    if (c.edit.mark.on) {
        if (range_bytes(doc, c.edit.mark.start, c.edit.mark.end) > limit_bytes) {
            c.notices.add(" 指定文字範囲が長すぎます｡", RUBY_NOTICE_MS);
            return t;
        }
        t.marked = true;
        end_of_range = c.edit.mark.end;
        place_cursor(c, c.edit.mark.start);
    }
    TextPos at = c.edit.cursor.pos;
    if (at.line() >= doc.lines.count()) return t;
    const std::uint8_t* p = doc.line_pointer(at.line());
    // Past tag blocks; then what stands there.
    ScanItem it;
    for (;;) {
        LineScanner scan(p + at.column(), MAX_LINE_SCAN);
        it = scan.next();
        if (it.kind != ItemKind::TAG) break;
        at = TextPos(at.line(), at.column() + it.length);
    }
    if (at != c.edit.cursor.pos) place_cursor(c, at);
    t.at = at;
    if (ends_line(it.kind)) {
        if (report_line_end) c.notices.add(" CR や EOF にはルビを付けられません｡", RUBY_NOTICE_MS);
        return t;
    }
    std::uint32_t base_at = at.column();
    if (it.kind == ItemKind::RUBY && it.length >= 3) {
        const std::uint8_t* b = p + at.column();
        t.existing = true;
        t.param = b[1];
        t.ruby_text.assign(reinterpret_cast<const char*>(b + 2), it.length - 3);
        t.block_end = TextPos(at.line(), at.column() + it.length);
        base_at += it.length;
    }
    const std::uint32_t end_column = t.marked && end_of_range.line() == at.line() ? end_of_range.column() : UINT32_MAX;
    t.base = base_candidate(doc, at.line(), base_at, end_column, t.marked ? limit_bytes : RUBY_CANDIDATE_BYTES);
    const std::uint32_t cells = count_cells(t.base);
    if (cells == 0) return t;   // a block or the range's end stands where the base would begin
    t.word = t.marked ? cells : word_cells(t.base);
    t.most_cells = std::min<std::uint32_t>(cells, MAX_RUBY_BASE_CELLS);
    t.result = t.existing ? t.param : 0;
    return t;
}

std::string make_ruby_block(std::uint8_t allotment, std::uint32_t cells, std::string_view text) {
    std::string block(1, static_cast<char>(RUBY_MARK));
    block += static_cast<char>((allotment & 0x0F) << 4 | (cells & 0x0F));
    block += text;
    block += static_cast<char>(RUBY_MARK);
    return block;
}

bool apply_ruby_edit(EditContext& c, PendingRubyEdit& pending) {
    PendingRubyEdit e = std::move(pending);
    pending = PendingRubyEdit{};
    if (e.kind == RubyEditKind::NONE || e.at.line() >= c.doc.lines.count()) return false;
    const std::uint8_t flags = c.state.modified;
    if (e.kind == RubyEditKind::REPLACE || e.kind == RubyEditKind::REMOVE) {
        // The old block must still stand where the dialog found it.
        LineScanner scan(c.doc.line_pointer(e.at.line()) + e.at.column(), MAX_LINE_SCAN);
        ScanItem it = scan.next();
        if (it.kind != ItemKind::RUBY || e.old_end != TextPos(e.at.line(), e.at.column() + it.length)) return false;
        place_cursor(c, e.at);
        if (!delete_range(c, e.old_end, e.at, c.edit.cursor)) return false;
        c.state.modified = flags | MODIFIED_EXTENSION;
        if (e.kind == RubyEditKind::REMOVE) {
            place_cursor(c, e.at);
            return true;
        }
    }
    place_cursor(c, e.at);
    if (!insert_text(c, e.block, true)) {
        // Refused (the line is at its limit): a replaced ruby comes back.
        if (e.kind == RubyEditKind::REPLACE) undo(c);
        c.state.modified = flags;
        place_cursor(c, e.at);
        return false;
    }
    c.state.modified = flags | MODIFIED_EXTENSION;
    place_cursor(c, e.at);
    return true;
}

}  // namespace rix

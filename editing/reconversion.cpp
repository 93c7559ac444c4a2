// The phrase offered for reconversion: one scan of a logical line.
#include "editing/reconversion.h"

#include <limits>

#include "document/storage.h"
#include "platform/codec.h"

namespace rix {

namespace {

constexpr std::uint32_t NONE = std::numeric_limits<std::uint32_t>::max();
constexpr std::uint16_t FIRST_NON_SYMBOL = 0x824F;   // full-width punctuation and symbols lie below
constexpr std::uint16_t FIRST_KATAKANA = 0x8340;     // katakana and kanji lie at and above

// One character of a scanned line.
struct ScanChar {
    std::uint32_t column = 0;
    int width = 0;                  // 1 or 2 bytes
    std::uint16_t code = 0;
};

// The characters of [from, limit) of a stored line, handed to `visit` one
// by one; `visit` returns false to stop. Blocks are reported with width 0
// and the line's end (or the limit) with width -1.
template <class Visit>
void scan_line(const std::uint8_t* p, std::uint32_t from, std::uint32_t limit, Visit&& visit) {
    LineScanner scanner(p + from, MAX_LINE_SCAN - from);
    for (;;) {
        const ScanItem it = scanner.next();
        const std::uint32_t col = from + it.column;
        if (col >= limit) {
            visit(ScanChar{col, -1, 0}, it.length);
            return;
        }
        switch (it.kind) {
            case ItemKind::IGNORED: continue;
            case ItemKind::RUBY:
            case ItemKind::TAG:
                if (!visit(ScanChar{col, 0, 0}, it.length)) return;
                continue;
            case ItemKind::DOUBLE:
                if (!visit(ScanChar{col, 2, it.code}, 2)) return;
                continue;
            case ItemKind::SINGLE:
                if (!visit(ScanChar{col, 1, it.code}, 1)) return;
                continue;
            case ItemKind::PAIR:
                if (!visit(ScanChar{col, 1, p[col]}, 1)) return;
                if (col + 1 >= limit) {
                    visit(ScanChar{col + 1, -1, 0}, 0);
                    return;
                }
                if (!visit(ScanChar{col + 1, 1, it.code}, 1)) return;
                continue;
            default:
                visit(ScanChar{col, -1, 0}, 0);
                return;
        }
    }
}

// The character as offered: half-width letters, digits and signs in their
// full-width forms, the half-width space as the ideographic space.
char32_t offered_char(char32_t c) {
    if (c == U' ') return U'\u3000';
    if (c > 0x20 && c < 0x7F) return c + 0xFEE0;
    return c;
}

}  // namespace

ReconversionSegment reconversion_segment(const Document& doc, TextPos cursor, bool marked, TextPos mark_start,
                                         TextPos mark_end) {
    ReconversionSegment seg;
    std::uint32_t limit = NONE;
    if (marked) {
        // The range ends on its own line, or at the start of the next (the line end marked with it).
        const bool one_line = mark_end.line() == mark_start.line() ||
                              (mark_end.line() == mark_start.line() + 1 && mark_end.column() == 0);
        if (!one_line || !(mark_start < mark_end)) {
            seg.result = ReconversionResult::RANGE_SPANS_LINES;
            return seg;
        }
        if (mark_end.line() == mark_start.line()) limit = mark_end.column();
        cursor = mark_start;
        seg.from_marking = true;
    }
    seg.line = cursor.line();
    if (seg.line >= doc.lines.count() || doc.line_pointer(seg.line) == nullptr) return seg;
    const std::uint8_t* p = doc.line_pointer(seg.line);
    const std::uint32_t cur = cursor.column();
    std::uint32_t start = marked ? cur : 0, target = NONE, end = NONE, run_start = NONE;
    int prev_width = 0;
    bool prev_run = false;
    scan_line(p, marked ? cur : 0, limit, [&](const ScanChar& ch, std::uint32_t length) {
        if (ch.width < 0) {
            end = ch.column;
            return false;
        }
        const bool past_target = target != NONE && ch.column > target;
        if (ch.width == 0) {   // a ruby or tag block
            if (target != NONE) {
                end = ch.column;
                return false;
            }
            start = ch.column + length;
            prev_width = 0;
            prev_run = false;
            return true;
        }
        if (target == NONE && ch.column >= cur) target = ch.column;
        const bool symbol = ch.width == 2 && ch.code < FIRST_NON_SYMBOL;
        if (symbol) {
            if (past_target) {
                end = ch.column;
                return false;
            }
            start = ch.column + 2;
            prev_width = 0;
            prev_run = false;
            return true;
        }
        if (prev_width != 0 && ch.width != prev_width) {
            if (past_target) {
                end = ch.column;
                return false;
            }
            start = ch.column;
        }
        const bool in_run = ch.width == 2 && ch.code >= FIRST_KATAKANA;
        if (in_run && !prev_run) run_start = ch.column;
        if (in_run && run_start <= cur && run_start > start) start = run_start;
        prev_width = ch.width;
        prev_run = in_run;
        return true;
    });
    if (end == NONE) return seg;
    if (target == NONE || target >= end || target < start) return seg;
    seg.start = start;
    seg.target = target;
    seg.end = end;
    seg.byte_width = is_stored_lead(p[target]) ? 2 : 1;
    seg.result = ReconversionResult::OK;
    return seg;
}

std::string reconversion_text(const Document& doc, const ReconversionSegment& seg, int* chars_before_target) {
    std::string out;
    int before = 0;
    if (seg.result == ReconversionResult::OK) {
        const std::uint8_t* p = doc.line_pointer(seg.line);
        const std::string_view bytes(reinterpret_cast<const char*>(p) + seg.start, seg.end - seg.start);
        for (std::size_t at = 0; at < bytes.size();) {
            std::size_t n = 0;
            const char32_t c = decode_char_at(bytes, at, &n);
            if (n == 0) break;
            if (seg.start + at < seg.target) ++before;
            out += char_to_utf8(offered_char(c));
            at += n;
        }
    }
    if (chars_before_target) *chars_before_target = before;
    return out;
}

std::uint32_t reconversion_column(const Document& doc, const ReconversionSegment& seg, int index) {
    if (seg.result != ReconversionResult::OK) return 0;
    const std::uint8_t* p = doc.line_pointer(seg.line);
    const std::string_view bytes(reinterpret_cast<const char*>(p) + seg.start, seg.end - seg.start);
    std::size_t at = 0;
    for (int i = 0; i < index && at < bytes.size(); ++i) {
        const std::size_t n = char_length_at(bytes, at);
        if (n == 0) break;
        at += n;
    }
    return seg.start + static_cast<std::uint32_t>(at);
}

}  // namespace rix

// The wrap cache, display-line counts and moves between display lines.
//
// Every walk here uses the LineScanner over at most MAX_LINE_SCAN bytes of a
// line, so no walk reads past the buffer's guaranteed slack; the character
// after an item (next_character) is looked for only within that distance
// (beyond it counts as a line end).
#include "document/display_lines.h"

#include <algorithm>
#include <cstdlib>

#include "document/storage.h"

namespace rix {

namespace {

constexpr unsigned LOOP_ERROR_MS = 3000;

bool takes_cell(ItemKind kind) {
    return kind == ItemKind::DOUBLE || kind == ItemKind::SINGLE || kind == ItemKind::PAIR;
}

// Walks one loaded line and calls on_break(column) for every display line
// after the first (column = where it starts). Returns false when the line had
// no end within the scan limit.
template <class OnBreak>
bool wrap_line(const Document& doc, std::uint32_t line, OnBreak on_break) {
    const std::uint8_t* p = doc.line_pointer(line);
    if (p == nullptr) return true;
    std::uint32_t word = doc.formats.word(line);
    std::uint32_t cap = line_capacity(doc.rules, word, true);
    std::uint32_t j = 0;
    LineScanner scanner(p, MAX_LINE_SCAN);
    for (;;) {
        // The cells before the last one of a display line need no decision.
        if (j + 1 < cap) j += scanner.skip_doubles(cap - 1 - j);
        ScanItem it = scanner.next();
        if (it.kind == ItemKind::LINE_END || it.kind == ItemKind::TEXT_END) return true;
        if (it.kind == ItemKind::CUT) return false;
        if (!takes_cell(it.kind)) continue;
        if (++j < cap) continue;
        std::size_t after = std::size_t{it.column} + it.length;
        if (may_break_in_line(doc.rules, j, it.code, p, after)) {
            on_break(static_cast<std::uint32_t>(after));
            j = 0;
            cap = line_capacity(doc.rules, word, false);
        }
    }
}

void note_loop_error(Document& doc) {
    doc.notices.add("lp_load()ループエラー", LOOP_ERROR_MS);
}

}  // namespace

void lp_load(Document& doc, TextPos pos) {
    WrapCache& cache = doc.cache;
    std::uint32_t line = pos.line();
    if (cache.line != line || cache.breaks.empty()) {
        cache.breaks.assign(1, 0);
        if (line < doc.lines.count()) {
            bool ended = wrap_line(doc, line, [&](std::uint32_t column) { cache.breaks.push_back(column); });
            if (!ended) note_loop_error(doc);
        }
        cache.line = line;
    }
    // The last break not greater than the column (breaks[0] = 0 always qualifies).
    auto after = std::upper_bound(cache.breaks.begin(), cache.breaks.end(), pos.column());
    cache.current = static_cast<std::uint32_t>(after - cache.breaks.begin() - 1);
}

std::uint32_t display_line_index_of(Document& doc, TextPos pos) {
    lp_load(doc, pos);
    return doc.cache.current;
}

std::uint32_t display_lines_from(Document& doc, TextPos pos) {
    lp_load(doc, pos);
    return doc.cache.break_count() - doc.cache.current + 1;
}

DisplayLineNo document_display_line(Document& doc, TextPos pos) {
    std::uint32_t line = std::min(pos.line(), doc.lines.count());
    return DisplayLineNo{doc.lines.display_lines_before(line) + display_line_index_of(doc, pos)};
}

std::uint32_t count_display_lines(const Document& doc, std::uint32_t line) {
    if (line >= doc.lines.count()) return 1;
    std::uint32_t breaks = 0;
    wrap_line(doc, line, [&](std::uint32_t) { ++breaks; });
    return breaks + 1;
}

DisplayLineNo recount_display_lines(Document& doc, TextPos pos) {
    for (std::uint32_t line = 0; line < doc.lines.count(); ++line)
        doc.lines.set_display_lines(line, count_display_lines(doc, line));
    doc.cache.invalidate();
    return document_display_line(doc, pos);
}

DisplayMove display_lines_forward(Document& doc, TextPos pos, std::uint32_t n) {
    std::uint32_t count = doc.lines.count();
    std::uint32_t line = pos.line();
    if (line >= count) return {pos, 0};
    std::uint32_t column = pos.column();
    std::uint32_t r = n;   // display lines still to move
    for (;;) {
        lp_load(doc, TextPos(line, column));
        std::uint32_t b = doc.cache.break_count();
        std::uint32_t d = doc.cache.current;
        if (b - d >= r) return {TextPos(line, doc.cache.breaks[d + r]), n};
        if (line + 1 >= count) {
            // The last loaded line: stop on its last display line, which is a real position.
            return {TextPos(line, doc.cache.breaks[b]), n - (r - (b - d))};
        }
        r -= b - d + 1;   // the step onto the next line's first display line counts as one
        ++line;
        column = 0;
    }
}

DisplayMove display_lines_backward(Document& doc, TextPos pos, std::uint32_t n) {
    std::uint32_t count = doc.lines.count();
    std::uint32_t line = pos.line();
    std::uint32_t r = n;
    bool stepped = false;   // came in from the line after: start on the last display line
    if (line >= count) {
        // The position after the last line lies one display line beyond it.
        if (count == 0 || n == 0) return {pos, 0};
        line = count - 1;
        r = n - 1;
        stepped = true;
    }
    for (;;) {
        lp_load(doc, stepped ? TextPos(line, 0) : pos);
        std::uint32_t d = stepped ? doc.cache.break_count() : doc.cache.current;
        if (d >= r) return {TextPos(line, doc.cache.breaks[d - r]), n};
        if (line == 0) return {TextPos(0, 0), n - (r - d)};
        r -= d + 1;
        --line;
        stepped = true;
    }
}

namespace {

// Walks the display line that starts at `start` up to cell `cell`.
CellMove walk_display_line(Document& doc, TextPos start, std::uint32_t cell, bool half) {
    CellMove out;
    out.ok = true;
    out.line_start = start;
    std::uint32_t line = start.line();
    lp_load(doc, start);
    std::uint32_t cap = line_capacity(doc.rules, doc.formats.word(line), doc.cache.current == 0);
    const std::uint8_t* p = doc.line_pointer(line);
    if (p == nullptr) return {};
    std::uint32_t col0 = start.column();
    LineScanner scanner(p + col0, MAX_LINE_SCAN - col0);
    std::uint32_t j = 0;
    std::uint32_t ruby_open = 0, ruby_end = UINT32_MAX;   // the last ruby block passed
    auto stop = [&](std::uint32_t column, std::uint16_t ch, bool second) {
        out.pos = TextPos(line, column);
        out.cell = j;
        out.ch = ch;
        out.second_half = second;
        return out;
    };
    for (;;) {
        ScanItem it = scanner.next();
        std::uint32_t col = col0 + it.column;
        switch (it.kind) {
            case ItemKind::LINE_END: return stop(col, LINE_END_MARK, false);
            case ItemKind::TEXT_END: return stop(col, TEXT_END_MARK, false);
            case ItemKind::CUT: return stop(col, 0, false);
            case ItemKind::IGNORED: continue;
            case ItemKind::RUBY:
            case ItemKind::TAG:
                if (j == cell) return stop(col, p[col], false);
                if (it.kind == ItemKind::RUBY) {
                    ruby_open = col;
                    ruby_end = col + it.length;
                }
                continue;
            case ItemKind::PAIR:
                if (j == cell) return half ? stop(col + 1, it.code, true) : stop(col, p[col], false);
                break;
            case ItemKind::DOUBLE:
            case ItemKind::SINGLE:
                if (j == cell) return stop(col, it.code, false);
                break;
        }
        if (++j < cap) continue;
        std::size_t after = std::size_t{col} + it.length;
        if (may_break_in_line(doc.rules, j, it.code, p, after)) {
            // The cell asked for lies beyond this display line: stand on its last character,
            // before the ruby block that belongs to it.
            --j;
            std::uint16_t ch = it.kind == ItemKind::PAIR ? p[col] : it.code;
            return stop(ruby_end == col ? ruby_open : col, ch, false);
        }
    }
}

}  // namespace

CellMove move_by_display_lines(Document& doc, TextPos cursor, int k, std::uint32_t cell, bool half) {
    auto n = static_cast<std::uint32_t>(std::llabs(static_cast<long long>(k)));
    DisplayMove target = k > 0 ? display_lines_forward(doc, cursor, n) : display_lines_backward(doc, cursor, n);
    if (k != 0 && target.moved == 0) return {};
    if (target.pos.line() >= doc.lines.count()) return {};
    return walk_display_line(doc, target.pos, cell, half);
}

void insert_line_entries(Document& doc, std::uint32_t at, std::uint32_t n) {
    ++doc.generation;
    doc.lines.insert_entries(at, n);
    doc.formats.insert_entries(at, n);
    doc.cache.invalidate();
}

void remove_line_entries(Document& doc, std::uint32_t at, std::uint32_t n) {
    ++doc.generation;
    doc.lines.remove_entries(at, n);
    doc.formats.remove_entries(at, n);
    doc.cache.invalidate();
}

std::uint32_t moved_line(std::uint32_t line, std::uint32_t first, std::uint32_t n, std::uint32_t before) {
    const bool towards_start = before < first;
    if (line >= first && line < first + n) return towards_start ? before + (line - first) : before - n + (line - first);
    if (towards_start && line >= before && line < first) return line + n;
    if (!towards_start && line >= first + n && line < before) return line - n;
    return line;
}

std::uint32_t move_line_entries(Document& doc, std::uint32_t first, std::uint32_t n, std::uint32_t before) {
    ++doc.generation;
    doc.lines.move_entries(first, n, before);
    doc.formats.move_entries(first, n, before);
    doc.cache.invalidate();
    for (IndexEntry& e : doc.index) e.line = moved_line(e.line, first, n, before);
    // Entries of one line keep their order; the levels of a line are distinct.
    std::stable_sort(doc.index.begin(), doc.index.end(), [](const IndexEntry& a, const IndexEntry& b) {
        return a.line != b.line ? a.line < b.line : (a.level & 0x07) < (b.level & 0x07);
    });
    return moved_line(first, first, n, before);
}

std::vector<IndexEntry> adjust_index_entries(std::vector<IndexEntry>& index, std::uint32_t at, std::uint32_t n,
                                             bool inserted) {
    std::uint32_t first_removed = at >= n ? at - n : 0;
    std::vector<IndexEntry> removed;
    std::vector<IndexEntry> kept;
    kept.reserve(index.size());
    for (IndexEntry& e : index) {
        if (inserted) {
            if (e.line >= at) e.line += n;
        } else if (e.line >= first_removed && e.line < at) {
            removed.push_back(std::move(e));
            continue;
        } else if (e.line >= at) {
            e.line -= n;
        }
        kept.push_back(std::move(e));
    }
    index = std::move(kept);
    return removed;
}

}  // namespace rix

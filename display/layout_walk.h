// The one walk of the text onto screen lines, shared by drawing, counting
// and inverting the marked range (internal to display/).
//
// From a start position it goes through the stored bytes with the
// LineScanner, places each cell at (screen line, cell), ends display lines
// where the document's break rule ends them, and tells a visitor what it
// met. The visitor decides what to do with it; the walk writes nothing.
//
// Visitor interface:
//   void line_start(int line, std::uint32_t logical, int indent, bool first);
//   void cell(int line, int indent, int k, std::uint16_t code, const ScanItem& it, std::uint32_t logical,
//             std::uint32_t column);            // column of the item in its logical line
//   void mark(int line, int indent, int k, std::uint16_t code, std::uint32_t logical, std::uint32_t column);
//   void block(int line, int indent, int k, const ScanItem& it, const std::uint8_t* bytes,
//              std::uint32_t logical, std::uint32_t column, std::uint32_t word);
//   void text_end(int line);                    // after the end-of-text mark on `line`
//   void stopped(int line);                     // the text ended without a mark; lines from `line` are empty
#pragma once

#include <algorithm>
#include <cstdint>

#include "display/render.h"
#include "document/display_lines.h"
#include "document/storage.h"

namespace rix::detail {

// Indentation cells of a display line (the document's rule, shared with
// line_capacity so that a line's cells start where its capacity assumes).
inline int indent_cells(std::uint32_t word, bool first) { return static_cast<int>(display_line_indent(word, first)); }

// The map code of a cell item: a double-byte code, or the two bytes of a
// half-width cell (a lone character is paired with a space).
inline std::uint16_t cell_code(const ScanItem& it, const std::uint8_t* line, std::uint32_t column) {
    if (it.kind == ItemKind::DOUBLE) return it.code;
    if (it.kind == ItemKind::PAIR) return static_cast<std::uint16_t>(line[column] << 8 | it.code);
    return static_cast<std::uint16_t>(it.code << 8 | 0x20);
}

// Walks from `start` over screen lines [first_line, last_line). Returns the
// position after the last display line laid out (or of the text end).
template <class Visitor>
TextPos walk_layout(Document& doc, TextPos start, int first_line, int start_cell, int last_line, Visitor& v) {
    int j = first_line;
    int k = std::max(start_cell, 0);
    std::uint32_t l = start.line();
    std::uint32_t col = start.column();
    while (j < last_line) {
        if (l >= doc.lines.count() || doc.line_pointer(l) == nullptr) {
            v.stopped(j);
            return TextPos(l, 0);
        }
        const std::uint8_t* p = doc.line_pointer(l);
        const std::uint32_t word = doc.formats.word(l);
        bool first = col == 0 || display_line_index_of(doc, TextPos(l, col)) == 0;
        int a = indent_cells(word, first);
        std::uint32_t cap = line_capacity(doc.rules, word, first);
        if (k == 0) v.line_start(j, l, a, first);
        LineScanner scanner(p + col, MAX_LINE_SCAN - col);
        bool next_line = false;
        while (!next_line) {
            const ScanItem it = scanner.next();
            const std::uint32_t c = col + it.column;
            switch (it.kind) {
                case ItemKind::IGNORED: continue;
                case ItemKind::RUBY:
                case ItemKind::TAG: v.block(j, a, k, it, p + c, l, c, word); continue;
                case ItemKind::CUT: v.stopped(k > 0 ? j + 1 : j); return TextPos(l, c);
                case ItemKind::TEXT_END:
                    v.mark(j, a, k, CELL_TEXT_END, l, c);
                    v.text_end(j);
                    return TextPos(l, c);
                case ItemKind::LINE_END:
                    v.mark(j, a, k, CELL_LINE_END, l, c);
                    ++l;
                    col = 0;
                    k = 0;
                    ++j;
                    next_line = true;
                    continue;
                default: break;
            }
            v.cell(j, a, k, cell_code(it, p, c), it, l, c);
            ++k;
            if (static_cast<std::uint32_t>(k) < cap) continue;
            const std::size_t after = std::size_t{c} + it.length;
            if (!may_break_in_line(doc.rules, static_cast<std::uint32_t>(k), it.code, p, after)) continue;
            ++j;
            k = 0;
            if (j >= last_line) return TextPos(l, static_cast<std::uint32_t>(after));
            first = false;
            a = indent_cells(word, false);
            cap = line_capacity(doc.rules, word, false);
            v.line_start(j, l, a, false);
        }
    }
    return TextPos(l, col);
}

}  // namespace rix::detail

// Builds Documents by hand for the document tests: stored lines written at
// the append position (even starts), LineTable entries with their counts,
// and the wrapping rules with the shipped kinsoku sets.
#pragma once

#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "document/display_lines.h"
#include "document/document.h"
#include "platform/codec.h"

namespace rix::test {

// Code page 932 bytes of a UTF-8 literal.
inline std::string sj(std::string_view utf8) { return utf8_to_sjis(utf8); }

// A ruby block over `base_cells` cells with the given ruby text (UTF-8).
inline std::string ruby(std::string_view text_utf8, int base_cells) {
    return std::string("\xFF") + static_cast<char>(base_cells) + sj(text_utf8) + "\xFF";
}
// A tag block with serial bytes that look like markers (they are skipped unexamined).
inline std::string tag(std::string_view text) {
    return std::string("\xFD\xFD\xFF\x01\x02", 5) + std::string(text) + "\xFD";
}

inline WrapRules rules(std::uint32_t n, std::uint8_t mode, bool small_kana = false) {
    WrapRules r;
    r.chars_per_column = n;
    r.kinsoku_mode = mode;
    r.small_kana_kinsoku = small_kana;
    r.line_start_prohibited = sj("、。，．？！゛゜ヽヾゝゞ〃々―～…‥’”）〕］｝〉》」』】");
    r.line_end_prohibited = sj("‘“（〔［｛〈《「『【");
    return r;
}

// Writes raw bytes at the append position, then pads to an even offset.
inline BufferOffset append_bytes(Document& doc, const std::string& bytes) {
    BufferOffset start = doc.buffer.append_position();
    doc.buffer.reserve(bytes.size() + 1);
    std::memcpy(doc.buffer.pointer(start), bytes.data(), bytes.size());
    BufferOffset end = start + static_cast<BufferOffset>(bytes.size());
    if (end % 2) *doc.buffer.pointer(end++) = 0;
    doc.buffer.set_append_position(end);
    return start;
}

// Replaces the document by `lines` (stored bytes without their end marks;
// the last line gets the end-of-text mark) with the given format words.
inline void build(Document& doc, const std::vector<std::string>& lines, const std::vector<std::uint32_t>& words = {}) {
    ++doc.generation;
    doc.buffer.clear();
    doc.lines.clear();
    doc.formats.clear();
    doc.cache.invalidate();
    doc.load = LoadState{};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        bool last = i + 1 == lines.size();
        BufferOffset start = append_bytes(doc, lines[i] + std::string(last ? "\x1A\0" : "\xFE\0", 2));
        auto line = static_cast<std::uint32_t>(i);
        if (i < words.size()) doc.formats.set_word(line, words[i]);
        doc.lines.append(start, 0, 1);
        doc.lines.set_display_lines(line, count_display_lines(doc, line));
    }
    if (!lines.empty())
        doc.load.end = TextPos(static_cast<std::uint32_t>(lines.size() - 1),
                               static_cast<std::uint32_t>(lines.back().size()));
}

// A line format word: start indentation s, end indentation e, first-line adjustment a (0..7).
constexpr std::uint32_t format_word(std::uint32_t s, std::uint32_t e, std::uint32_t a) {
    return s << 20 | e << 16 | a << 24;
}

}  // namespace rix::test

// Reconversion: which text the input method is offered to convert again.
//
// The phrase at the cursor (or the marked text, when it lies within one
// logical line) is found by one scan of the cursor's logical line with the
// LineScanner. The target starts at the first character at or after the
// cursor; the segment start follows the scan: past a ruby or tag block,
// past full-width punctuation and symbols (codes below 0x824F), to the first
// character of a run of katakana and kanji (0x8340 and above) that begins
// at or before the cursor, and to the character where the width changes
// between half-width and full-width. After the cursor, a block, a
// punctuation character and a width change end the phrase, as do the line
// end, the end of the text and the end of the marked range.
//
// The offered text is UTF-16-free UTF-8: half-width letters, digits and
// signs reach the input method as their full-width forms (a half-width
// space as the ideographic space), so that a converted phrase comes back in
// the width the writer sees. Reads the document only; never shows messages
// (the input method asks often and on its own).
#pragma once

#include <cstdint>
#include <string>

#include "document/document.h"

namespace rix {

enum class ReconversionResult : std::uint8_t {
    OK,
    RANGE_SPANS_LINES,     // the marked range is not within one logical line
    NOTHING_HERE,          // no phrase at the cursor (punctuation, a block, the line end)
};

struct ReconversionSegment {
    ReconversionResult result = ReconversionResult::NOTHING_HERE;
    std::uint32_t line = 0;            // logical line
    std::uint32_t start = 0;           // byte column of the segment start
    std::uint32_t target = 0;          // byte column of the target start
    std::uint32_t end = 0;             // byte column where the scan ended
    bool from_marking = false;         // the target is the marked text
    int byte_width = 2;                // 1: half-width characters, 2: full-width
};

// The segment at `cursor`, or of the marked range [mark_start, mark_end)
// when `marked`.
ReconversionSegment reconversion_segment(const Document& doc, TextPos cursor, bool marked, TextPos mark_start,
                                         TextPos mark_end);

// The segment's text as offered (UTF-8) and the characters before the
// target in it.
std::string reconversion_text(const Document& doc, const ReconversionSegment& seg, int* chars_before_target);

// The byte column in the segment's line of the character `index` of the
// offered text (index past the end: the scan end). Characters are counted as
// reconversion_text counts them.
std::uint32_t reconversion_column(const Document& doc, const ReconversionSegment& seg, int index);

}  // namespace rix

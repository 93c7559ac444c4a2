// The chunk converter, editing form: the raw text of one edited logical line
// back into the stored form, and the produced lines into the buffer and the
// line tables.
//
// Raw editing text is the stored form of a line with its line end written
// as CR LF (the last line of the text ends with 0x1A instead); an insertion
// may have added characters, CR LF line breaks, tabs, and whole ruby and tag
// blocks. Converting it:
//
//   RAW                          STORED
//   ruby / tag block, closed     copied whole (0xFF..0xFF, 0xFD..0xFD)
//   CR LF                        ends a produced line (0xFE 0x00)
//   0x1A as the last byte        ends the text (0x1A 0x00); elsewhere dropped
//   lone CR                      0x0D inside the line
//   lone LF, 0xFC-0xFF, an       dropped
//   unclosed block's mark
//   tab                          full-width blanks to the next tab stop when the display
//                                line has room for a whole stop, else dropped
//   lead byte + trail byte       the character; a lead byte without a valid trail is 〓
//   any other byte               the single-byte character
//
// No extension records are merged and no notations are read: editing never
// reinterprets text the user typed.
//
// Placement. The produced lines replace a run of loaded lines. They are
// written back where the replaced lines lay when those were stored one after
// another and either the new bytes fit there or the run ends at the buffer's
// append position (the line edited last, still the newest bytes of the
// buffer); otherwise at the append position. So typing in one line rewrites
// it in place, while a line loaded or edited after it is never overwritten.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "document/document.h"

namespace rix {

enum class EditConvertStatus : std::uint8_t {
    OK,
    LINE_TOO_LONG,     // a produced line would pass LINE_TEXT_LIMIT / LINE_BLOCK_LIMIT
    TOO_MANY_LINES,    // the document would pass MAX_LINES lines
    NO_BUFFER,         // the buffer could not take the bytes
};

struct EditConversion {
    EditConvertStatus status = EditConvertStatus::OK;
    std::vector<std::string> lines;      // stored bytes of each produced line, end mark excluded
    bool text_end = false;               // the last produced line ends the text (0x1A)
    // Where each requested raw offset lands: line relative to the first
    // produced line, column in its stored bytes. An offset at the start of
    // a dropped or expanded item lands where its output begins; one inside
    // an item lands after the item.
    std::vector<TextPos> positions;
};

// Converts raw editing text (see above). `raw` must end with CR LF or 0x1A;
// without either it is taken as ending in CR LF. The tab stops and display
// lines follow `rules` and `format_word`; tab_width 0 drops tabs.
EditConversion convert_edit_text(std::string_view raw, const WrapRules& rules, std::uint32_t format_word,
                                 std::uint32_t tab_width, std::span<const std::uint32_t> raw_offsets);

// The raw editing text of a loaded line: its stored bytes and CR LF, or 0x1A
// for the line that ends the text.
std::string edit_text_of_line(const Document& doc, std::uint32_t line);

// Bytes the stored line takes in the buffer: through its end mark and the
// filler byte that keeps the next start even.
std::uint32_t stored_line_size(const Document& doc, std::uint32_t line);

// Replaces loaded lines [first, first + replaced) by the converted lines
// (placement above): writes the bytes, opens or closes entries of both line
// tables (marks of `first` are kept, new entries have none), gives each
// produced line its format word from `words` (missing words are 0) and its
// display-line count, and moves the end position (recomputed from the
// output when the text end was produced). The structure index is the
// caller's. Nothing changes unless the result is OK.
EditConvertStatus place_edit_lines(Document& doc, std::uint32_t first, std::uint32_t replaced,
                                   const EditConversion& conversion, const std::vector<std::uint32_t>& words);

// Bytes [at, at + old_length) of loaded line at.line() (whole items, before
// its end mark) replaced by `bytes` (whole items in the stored form, no line
// end). Of the same length they are written where they stand; otherwise the
// line is converted again (tab_width as for convert_edit_text) and placed as
// place_edit_lines places it, its display lines counted afresh. The line's
// marks and format word stay. Refused (nothing changes): a span outside the
// line, and what place_edit_lines refuses.
EditConvertStatus rewrite_line_bytes(Document& doc, TextPos at, std::uint32_t old_length, std::string_view bytes,
                                     std::uint32_t tab_width);

// What must hold of a document after any edit: the line table's own
// invariant, even line starts, every line closed by its end mark within the
// position limits (the end of the text on the last line exactly when the
// document is loaded to its end, and the end position naming it), ruby and
// tag blocks closed, the stored display-line counts equal to a fresh count,
// index entries on loaded lines. "" when it holds, else what is wrong.
std::string check_document_invariant(const Document& doc);

// The part of check_document_invariant a single edit can break, at a cost
// independent of the document's length: the line count and the end position,
// lines [first, first + n) and the last line, each scanned and its display
// lines counted afresh (the line table's sums are not walked). For the
// checks of debug builds after every change of text.
std::string check_lines_invariant(const Document& doc, std::uint32_t first, std::uint32_t n);

}  // namespace rix

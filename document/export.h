// The buffer as external text, in its three forms:
//
//   FORM     WHAT IS WRITTEN
//   RAW      every stored byte as is, blocks and markers included (the editing form)
//   SAVE     the characters; rubies and tags become extension records (ExtensionWriter)
//            at their column in this form, each line's marks and format word a line record
//   EXPORT   the characters with notations: a line-information line before a line with
//            marks or a stored format word (line-information writing), the index entry of
//            the line (index writing), the line's indentation as full-width spaces, rubies
//            in the delimiters of the notation after their base (ruby writing); tags left out
//
// In every form a line end becomes CR LF (LF when asked) and the end of the
// text is written as 0x1A (unless asked not to); the end of the text ends
// the walk. Output goes to a growable string: no form can
// overrun a block.
//
// Rubies in notation. The reader takes as a ruby's base what was written
// since its base start (RubyBaseState, notation.h): where a run of kanji
// began, a ｜ (held until the next ruby), or the end of the previous ruby; at
// most the last 15 cells. The writer runs the same state over the text it
// writes and puts ｜ before a base exactly when the reader would not find
// that base by itself, or when a ｜ of the text itself still holds the base
// start (the reader would take it away). So writing out and reading back
// gives the same rubies and keeps a ｜ of the text. Not representable: a base
// that holds a ｜, and delimiters standing in the text as characters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "document/document.h"
#include "document/extension_writer.h"
#include "document/text_pos.h"

namespace rix {

enum class ExportForm : std::uint8_t { RAW = 0, SAVE = 1, EXPORT = 2 };

constexpr std::size_t EXPORT_PIECE_BYTES = 2u * 1024 * 1024;   // a call stops after a line end past this
// Format-word bits that give a line a line-information line (the bits the
// extension file keeps, so the first-line indentation and the size survive).
constexpr std::uint32_t EXPORT_LINE_INFO_BITS = EXT_LINE_FORMAT_STORED_BITS;

struct ExportOptions {
    ExportForm form = ExportForm::SAVE;
    // EXPORT form (the writing options and the notation settings).
    bool write_rubies = false;
    bool write_line_info = false;
    bool write_index = false;
    std::string line_id_symbol;          // 2 bytes; otherwise no line-information lines are written
    std::uint8_t ruby_notation = 3;      // 1 （）, 2 〈〉, 3 《》, 4 custom
    std::string custom_delimiters;       // notation 4: two double-byte characters
    // SAVE form: tag window sizes (width / 2, height / 2) written for a tag whose size is 0.
    std::uint8_t tag_default_attr1 = 0;
    std::uint8_t tag_default_attr2 = 0;
    // Line ends and the end of the text as the file had them (a save keeps the
    // file's form); the defaults, CR LF and 0x1A, are the program's own form.
    bool lf_line_ends = false;
    bool end_mark = true;
};

struct ExportResult {
    std::size_t bytes = 0;      // bytes appended to the text
    bool finished = false;      // the end position, the end of the text or the last loaded line was reached
};

// Appends the text from *start (a loaded line; its column is a stored byte
// column) up to `end` (exclusive) to *out, and, in SAVE form, the per-line
// records to *records (which must not be null then; the index and jump
// strings are the caller's). Stops after a line end once more than
// EXPORT_PIECE_BYTES were appended; *start then names where to go on.
ExportResult export_text(const Document& doc, const ExportOptions& options, TextPos* start, TextPos end,
                         std::string* out, ExtensionWriter* records = nullptr);

// The line-information line of a line in EXPORT form ("" when none is due),
// CR LF included.
std::string line_information_line(const Document& doc, const ExportOptions& options, std::uint32_t line);

}  // namespace rix

// The extension file (N.rix beside the text file N.X): writing.
//
// The layout is the reader's (extension_file.h holds the OFFSET / SIZE /
// MEANING tables and the constants); this file turns the in-memory values
// back into those bytes. Owns nothing: every function appends to a string
// the caller gives.
//
// Rules the writer keeps so that the reader gets back what was written:
// - Texts are cut on a character boundary to their field (titles 24 and 40
//   bytes, jump strings 24, index titles 40, ruby texts 48, tag texts 1000).
// - A line record is written only for a line with marks or a format word
//   with any of EXT_LINE_FORMAT_STORED_BITS; the whole word is stored.
// - The first per-line record after the jump strings (when no index record
//   follows them) must not look like a jump unit: a line record of line
//   65535 with marks 1..8 and a zero word would. The writer puts a neutral
//   line record of line 0 (no marks, zero word: the same as none) first.
// - The header records the text file's extension as the reader compares it:
//   its first three bytes in code page 932, cut on a character boundary.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "document/extension_file.h"

namespace rix {

// The header (always the 128-byte form of the current version).
std::string extension_header_bytes(const ExtensionHeader& header);

// True when a line with these marks and this word needs a line record.
constexpr bool line_record_due(std::uint8_t marks, std::uint32_t word) {
    return (marks & 0x0F) != 0 || (word & EXT_LINE_FORMAT_STORED_BITS) != 0;
}

// Builds one file in order: the header and jump strings on construction,
// then index records, then per-line records in text order.
class ExtensionWriter {
public:
    explicit ExtensionWriter(const ExtensionHeader& header);

    // One structure-index record (before any per-line record); the level
    // keeps its low four bits.
    void add_index(const ExtensionIndexEntry& entry);
    void add_line_record(std::uint32_t line, std::uint8_t marks, std::uint32_t format_word);
    // False (nothing written) for an empty text or a parameter byte whose
    // low nibble is 0: the reader would drop such a record.
    bool add_ruby(std::uint32_t line, std::uint16_t column, std::uint8_t param, std::string_view text);
    void add_tag(std::uint32_t line, std::uint16_t column, std::uint8_t attr1, std::uint8_t attr2,
                 std::string_view text);

    const std::string& bytes() const { return out_; }
    // The header alone with bytes 8..127 all zero (see extension_bytes_empty).
    bool keeps_nothing() const;

private:
    void begin_record_unit(std::string_view unit);

    std::string out_;
    bool index_written_ = false;
    bool line_records_begun_ = false;
};

// The whole file from its in-memory form (header, jump strings, index, the
// per-line records in line order: the line record, then rubies and tags in
// column order).
std::string encode_extension_file(const ExtensionFile& file);

// True for a file of the header alone whose bytes 8..127 are all zero: it
// keeps nothing and is not written (an existing one is removed).
bool extension_bytes_empty(std::string_view bytes);

// What the header records for the text file's extension (see above).
std::string recorded_text_extension(const std::string& text_path);

}  // namespace rix

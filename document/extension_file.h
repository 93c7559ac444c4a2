// The extension file (N.rix beside the text file N.X): reading.
//
// The extension file carries what plain text cannot: rubies, tags, the four
// line marks, line-format words, structure-index entries, the eight jump
// strings, the document and print titles, the cursor position and the screen
// format. This file owns its layout (tables below), the in-memory form
// (ExtensionFile) and the record reader the loader drives line by line.
//
// Design rules:
// - Extension files are untrusted. Nothing here asserts on file bytes; every
//   length is checked against the bytes left and the destination's limit.
//   A file that ends inside a header or record is CORRUPT, and what was read
//   before the damage is still handed out; a record that is whole but cannot
//   be valid (a tag text holding 0x1A or a block marker 0xFD-0xFF that would
//   break the buffer's block structure, a ruby with no text or no base
//   cells) is skipped and counted in ExtensionFile::dropped.
// - Ruby text is cleaned as typed ruby text is (storable_ruby_text): no CR,
//   LF or other control byte, no lone lead byte, at most 48 bytes cut on a
//   character boundary; a cleaned ruby counts in ExtensionFile::cleaned.
// - The file is read whole (at most EXT_MAX_FILE_BYTES) and parsed once; the
//   per-line records are grouped by line, so the order of the line record
//   among its line's rubies and tags (which changed at version 41) does not
//   matter, and a record of a line that was passed never blocks later ones.
// - The writer uses the same constants, structs and path rule.
//
// All multi-byte numbers are big-endian. Texts are code page 932, NUL-padded.
//
// Header, 128 bytes (version 23 files have only the first 32):
//   OFFSET  SIZE  MEANING
//   0       5     magic "RIX45" (older: "RIX41", "RIX28", "RIX23"); compared case-insensitively
//   5       3     the text file's extension without the dot, NUL-padded (all 0 = none)
//   8       24    document title, NUL-padded
//   32      4     cursor TextPos (line << 16 | column); 0 when not stored
//   36      3     zero
//   39      1     1 when the text file is encrypted (any non-zero value is taken as encrypted)
//   40      1     screen format number 0..4 in use when saved
//   41      47    zero
//   88      40    print title, NUL-padded
//
// After the header, in this order, in 8-byte units:
//
// 1. Jump-string record (32 bytes), one per non-empty jump string, slot order:
//   OFFSET  SIZE  MEANING
//   0       2     0xFF 0xFF
//   2       1     slot 1..8
//   3       5     zero
//   8       24    jump string, NUL-padded
//
// 2. Structure-index record (8 + n*8 bytes), one per entry, list order:
//   OFFSET  SIZE  MEANING
//   0       2     line number (0-based)
//   2       1     0x80 | n << 4 | level; n = (title length - 1) / 8 + 1 (1..5), level 0..15
//   3       5     zero
//   8       n*8   title, NUL-padded (at most 40 bytes)
//
// 3. Per-line records, in text order; for each line its line record (files
//    below version 41: after its rubies and tags), then its rubies and tags
//    in the order of their places in the line.
//   Line record (8 bytes; only for a line with marks or a format word with
//   any of the bits 0x0FFFF000):
//   OFFSET  SIZE  MEANING
//   0       2     line number
//   2       1     mark bits (bit 0 mark 1 .. bit 3 mark 4)
//   3       1     0
//   4       4     line-format word
//
//   Ruby record (8 + n*8 bytes):
//   OFFSET  SIZE  MEANING
//   0       2     line number
//   2       1     n << 4; n = (ruby text length - 1) / 8 + 1 (1..6)
//   3       1     ruby parameter byte: allotment << 4 | base cells (low nibble 1..15)
//   4       2     zero
//   6       2     column: byte offset in the line's save form where the base text begins
//   8       n*8   ruby text (at most 48 bytes), NUL-padded
//
//   Tag record (8 + n*8 bytes):
//   OFFSET  SIZE  MEANING
//   0       2     line number
//   2       1     0
//   3       1     n = (tag text length + 1) / 8 + 1 (1..126)
//   4       1     attribute byte 1
//   5       1     attribute byte 2
//   6       2     column: byte offset in the line's save form where the tag stands
//   8       n*8   tag text (at most 1000 bytes), NUL-padded
//
// Record kinds are told apart by bytes 2 and 3: byte 3 = 0 is a line record;
// otherwise byte 2 = 0 is a tag, else a ruby. (A tag of 119-126 bytes has
// n = 16, whose low nibble is 0: judging line records by the low nibble of
// byte 3 alone would take it for one.)
// Jump records are read while a unit has exactly the form above (a later
// record for a slot already filled is skipped); index records while byte 2
// has bit 7 set. Hence the one ambiguity of the layout: when no index record
// follows the jump strings, a line record of line 65535 with marks 1..8 and
// a zero format word looks like a jump unit (read as one; the next three
// units are then taken for its string). Only the 65,536th line of a
// document can meet it; the writer has to take care of it.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "document/notices.h"
#include "document/text_pos.h"

namespace rix {

// Sizes and offsets of the layout above.
constexpr std::size_t EXT_UNIT_BYTES = 8;
constexpr std::size_t EXT_HEADER_BYTES = 128;
constexpr std::size_t EXT_SHORT_HEADER_BYTES = 32;      // versions below 28
constexpr std::size_t EXT_MAGIC_BYTES = 5;
constexpr std::size_t EXT_OFFSET_TEXT_EXTENSION = 5;
constexpr std::size_t EXT_TEXT_EXTENSION_BYTES = 3;
constexpr std::size_t EXT_OFFSET_TITLE = 8;
constexpr std::size_t EXT_TITLE_BYTES = 24;
constexpr std::size_t EXT_OFFSET_CURSOR = 32;
constexpr std::size_t EXT_OFFSET_ENCRYPTED = 39;
constexpr std::size_t EXT_OFFSET_SCREEN_FORMAT = 40;
constexpr std::size_t EXT_OFFSET_PRINT_TITLE = 88;
constexpr std::size_t EXT_PRINT_TITLE_BYTES = 40;
constexpr std::size_t EXT_JUMP_SLOTS = 8;
constexpr std::size_t EXT_JUMP_BYTES = 24;
constexpr std::size_t EXT_JUMP_RECORD_BYTES = EXT_UNIT_BYTES + EXT_JUMP_BYTES;
constexpr std::size_t EXT_INDEX_TITLE_BYTES = 40;
constexpr std::size_t EXT_RUBY_TEXT_BYTES = 48;
constexpr std::size_t EXT_TAG_TEXT_BYTES = 1000;
constexpr std::uint32_t EXT_LINE_FORMAT_STORED_BITS = 0x0FFFF000;  // a word with any of these gets a line record
constexpr std::size_t EXT_MAX_FILE_BYTES = 64u * 1024 * 1024;      // larger files are not read

// Versions: the two digits of the magic.
constexpr int EXT_VERSION_CURRENT = 45;
constexpr int EXT_VERSION_LINE_RECORD_FIRST = 41;  // from here the line record leads its line; below, a question
constexpr int EXT_VERSION_LONG_HEADER = 28;        // from here the header is 128 bytes
constexpr int EXT_VERSION_OLDEST = 23;             // below this the file is not used

constexpr std::uint8_t EXT_NO_SCREEN_FORMAT = 0xFF;

enum class ExtensionStatus {
    OK,               // read whole (ExtensionFile::dropped may still count skipped records)
    MISSING,          // no extension file, or the document has no path
    UNSUPPORTED,      // not an extension file, or older than version 23: ignored silently
    OTHER_EXTENSION,  // made for a text file of another extension: ignored silently
    DECLINED,         // the user chose not to use it (old version, other date)
    CORRUPT,          // the file ends inside a header or record; what came before is kept
    UNREADABLE,       // it exists but cannot be read, or is larger than EXT_MAX_FILE_BYTES
};

struct ExtensionHeader {
    int version = 0;                        // 23..99 from the magic; 0 = nothing read
    std::size_t size = 0;                   // 32 or 128
    std::string text_extension;             // at most 3 bytes; "" = none
    std::string title;                      // document title, at most 24 bytes
    TextPos cursor;                         // stored cursor; 0 = none stored
    bool encrypted = false;                 // byte 39 non-zero
    std::uint8_t screen_format = EXT_NO_SCREEN_FORMAT;  // 0..4; EXT_NO_SCREEN_FORMAT = none or out of range
    std::string print_title;                // at most 40 bytes
    std::array<std::string, EXT_JUMP_SLOTS> jumps;  // slot s (1..8) at [s - 1]; "" = empty slot
};

struct ExtensionIndexEntry {
    std::uint32_t line = 0;                 // logical line, 0..65535
    std::uint8_t level = 0;                 // 0..15 as stored
    std::string title;                      // at most 40 bytes, cut on a character boundary
};

struct LineRecord {
    std::uint32_t line = 0;                 // logical line, 0..65535
    std::uint8_t marks = 0;                 // bits 0..3 = marks 1..4 (higher stored bits are dropped)
    std::uint32_t format_word = 0;          // line-format word as stored
};

enum class PositionKind : std::uint8_t { RUBY, TAG };

// A ruby or tag record.
struct PositionRecord {
    PositionKind kind = PositionKind::RUBY;
    std::uint32_t line = 0;                 // logical line, 0..65535
    std::uint16_t column = 0;               // byte column in the line's save form (text without blocks)
    std::uint8_t param = 0;                 // ruby: parameter byte (low nibble 1..15); tag: 0
    std::uint8_t attr1 = 0;                 // tag: window width / 2, 0..252 (0 = default size; stored 253-255 read as 0); ruby: 0
    std::uint8_t attr2 = 0;                 // tag: window height / 2, same range; ruby: 0
    std::string text;                       // ruby 1..48 bytes of storable_ruby_text; tag <= 1000, never 0x00, 0x1A or 0xFD-0xFF
};

// The whole file in memory.
struct ExtensionFile {
    ExtensionHeader header;
    std::vector<ExtensionIndexEntry> index;     // list order, every entry the file holds
    std::vector<LineRecord> line_records;       // ascending line, at most one per line (the first stored wins)
    std::vector<PositionRecord> positions;      // ascending line, then column; file order among equals
    std::size_t records_offset = 0;             // file offset of the first per-line record
    std::size_t dropped = 0;                    // whole records skipped as invalid
    std::size_t cleaned = 0;                    // ruby records whose text had to be cleaned
    std::size_t damage_offset = 0;              // CORRUPT: where the unreadable part begins; else 0

    void clear() { *this = ExtensionFile{}; }
};

// The kind of a per-line record unit (bytes 2 and 3; see the rule above).
enum class RecordUnitKind { LINE, RUBY, TAG };
RecordUnitKind classify_record_unit(std::uint8_t byte2, std::uint8_t byte3);

// The version of a magic: the two digits after "RIX" (case-insensitive), or 0
// when the five bytes are not of that form.
int extension_version(std::string_view magic);

// Parses a whole file image into *out (cleared first). Asks nothing: the
// version and text extension are in out->header for the caller to judge.
// UNSUPPORTED for a magic that is not "RIXnn" or a version below 23; CORRUPT
// when the bytes end inside the header (nothing kept) or inside a later
// record (what came before is kept).
ExtensionStatus read_extension_bytes(std::string_view bytes, ExtensionFile* out);

// The header alone of the extension file of the document at `text_path`
// (its titles, for lists of documents): OK with *out filled, MISSING,
// UNSUPPORTED or CORRUPT (too short) with *out empty. Asks nothing.
ExtensionStatus read_extension_header(const std::string& text_path, ExtensionHeader* out);

// Path of the extension file of a text file: the same name with ".rix" in
// place of its extension (name_with_extension, platform/file_names.h: ".memo" has ".memo.rix"). ""
// when there is none: no path, or the text file's extension is "rix" in any
// case (its extension file would be the text file).
std::string extension_path_for(const std::string& text_path);

// open_extension_file: reads the extension file of the document at
// `text_path` with the checks made on opening a document, in this order:
// missing or unreadable; not an extension file or older than 23 (silently
// ignored); recorded for another text extension (silently ignored); below
// version 41 the question whether to read an old file (yes/no; no declines);
// the text file and the extension file differ in date, hour or minute, the
// question whether to use it (yes/no; no declines). The questions go to
// `questions` for `owner`. On any status but OK and CORRUPT, *out is left
// empty: the document has no attributes.
ExtensionStatus open_extension_file(const std::string& text_path, std::uintptr_t owner, ExtensionFile* out,
                                    Questions& questions);

// A damaged extension file (CORRUPT or UNREADABLE) is never deleted or
// overwritten: the next save of its document moves it aside under this
// name beside it, "N.rix.damaged" (then "N.rix.damaged-2" .. "-99" when
// taken), before the new one is written. "" when every name is taken.
std::string damaged_extension_name(const std::string& ext_path);

// Adds the notice (for `owner`) of what of the extension file at `ext_path`
// could not be read and the name it will be kept under; `read` is what was
// read before the damage. For CORRUPT and UNREADABLE only.
void tell_extension_damage(const std::string& ext_path, ExtensionStatus status, const ExtensionFile& read,
                           std::uintptr_t owner, Notices& notices);

// Where the record reader stands: a plain value, saved at the start of a
// line and restored when the loader converts that line again (an incomplete
// last line of a chunk), so that loading in any chunk size hands out the
// same records.
struct ExtensionReaderState {
    std::uint32_t line = 0;                 // the line begun last
    std::size_t next_position = 0;          // index into ExtensionFile::positions
};

// Hands the loader the records due, line by line. The file must outlive the
// reader and stay unchanged; pointers returned are valid as long as it does.
// Per line, the loader calls begin_line(line) at its start and then, before
// each raw byte at column c, next_ruby_due(c), next_tag_due(c),
// next_ruby_due(c) (a record is due when its column is at most c), and at the
// line end next_tag_due(c). Calling next_due(c) until it returns nullptr
// instead hands every due record out in stored order, which also keeps two
// tags at one place together. Records of a line that are not handed out by
// the time a later line begins are passed over.
class ExtensionReader {
public:
    ExtensionReader() = default;            // no records
    explicit ExtensionReader(const ExtensionFile* file) : file_(file) {}

    // Starts `line` and returns its line record, or nullptr. Begin the same
    // line again to hand its records out again from the start.
    const LineRecord* begin_line(std::uint32_t line);
    const PositionRecord* next_ruby_due(std::uint32_t column) { return next_of(column, true, PositionKind::RUBY); }
    const PositionRecord* next_tag_due(std::uint32_t column) { return next_of(column, true, PositionKind::TAG); }
    const PositionRecord* next_due(std::uint32_t column) { return next_of(column, false, PositionKind::RUBY); }
    // The column of the next record of the line begun last (the first column
    // at which one is due), UINT32_MAX when the line has no more.
    std::uint32_t next_column() const;
    ExtensionReaderState save_state() const { return state_; }
    void restore_state(const ExtensionReaderState& state) { state_ = state; }

private:
    const PositionRecord* next_of(std::uint32_t column, bool of_kind, PositionKind kind);

    const ExtensionFile* file_ = nullptr;
    ExtensionReaderState state_;
};

}  // namespace rix

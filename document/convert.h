// The chunk converter, loading form: raw code page 932 text of the file into
// the stored form of the TextBuffer (storage.h), one LineTable entry per
// logical line, merging the extension file's per-line records and reading
// the plain-text notations (rubies in delimiters, line-information lines).
//
// What the converter guarantees:
// - It commits whole lines only. A line is written to the buffer and entered
//   in the tables when its end (CR LF, a lone LF, the 0x1A, or a forced
//   split) is converted; the bytes of an unfinished last line are given back
//   together with every effect they had (records handed out, tag serials,
//   index entries, modified bits), so converting a file in chunks of any
//   size gives the same document as converting it in one piece.
// - A stored line never passes the limits of a position: at most
//   LINE_TEXT_LIMIT bytes of characters (and LINE_BLOCK_LIMIT with blocks)
//   before its end mark; a longer line of the file is split. A line of the
//   file is split as well after RAW_LINE_SPLIT raw bytes.
// - What the extension file says never changes the text: its rubies and
//   tags take only the room the line's text leaves (a line of the file is
//   never split for them); a record that does not fit is not merged, and
//   the writer is told once a load.
// - The document never passes MAX_LINES lines: the conversion stops before
//   the line that would, with a notice, leaving the rest of the file
//   untouched (a save copies it unchanged).
// - Bytes 0xFC-0xFF standing as characters are dropped; as trail bytes they
//   are part of their character (0x81 0xFC is a character). A character with
//   lead byte 0xFC, and a lead byte without a valid trail byte, become 〓.
// - Every change to the file's text is counted in Document::load.report with
//   the place of the first (load_report.h) and marks the document converted
//   (MODIFIED_TEXT | MODIFIED_CONVERTED); so is every 〓 the input lists as
//   a lost character. The line ends of the file's first kind (CR LF or LF)
//   are no change: they are written back as they came.
//
// Cost: one pass over the raw bytes (runs of plain double-byte characters
// in one tight loop), plus a count of display lines by the wrapper for the
// finished lines the pass cannot count itself; no allocation per byte.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "document/document.h"
#include "document/document_state.h"
#include "document/extension_file.h"
#include "document/notices.h"
#include "platform/codec.h"

namespace rix {

constexpr std::uint32_t RAW_LINE_SPLIT = 0x1FFFFD;            // raw bytes of one line before it is split
constexpr std::uint32_t LINE_BLOCK_LIMIT = MAX_LINE_BYTES - 1;  // stored bytes before the end mark, blocks included
constexpr std::uint32_t LINE_TEXT_LIMIT = LINE_BLOCK_LIMIT - 1024;  // characters split here; blocks use the rest
constexpr std::size_t DEFAULT_CHUNK_BYTES = 4u * 1024 * 1024;

struct LoadOptions {
    bool read_rubies = false;          // ruby notation after its base becomes ruby blocks
    bool read_index = false;           // "symbol D title" lines become structure-index entries
    bool read_line_info = false;       // "symbol + 12 hex digits" lines become marks and line formats
    std::uint8_t ruby_notation = 3;    // 1 （）, 2 〈〉, 3 《》, 4 custom; others = 3
    std::string custom_delimiters;     // notation 4: two double-byte characters (4 bytes)
    std::uint8_t ruby_allotment = 0;   // 0 even, 1 top, 2 centre; high nibble of every read ruby
    std::string line_id_symbol;        // exactly 2 bytes, else no line-information lines are read
    std::uint32_t tab_width = 4;       // cells a tab stop spans; 0 is taken as 1
    std::size_t chunk_size = DEFAULT_CHUNK_BYTES;   // raw bytes read per chunk
};

// What one load carries from chunk to chunk (beside Document::load).
struct ConvertCarry {
    bool ruby_reading = false;         // the user may turn it off for the rest of the load
    bool at_file_line_start = true;    // the next raw byte begins a line of the file (not a split)
    bool stopped = false;              // a limit was met: nothing more is converted
    std::map<std::uint64_t, bool> answers;  // file offset of a too-long ruby -> the answer given (true: go on)
    std::map<std::uint64_t, std::size_t> refused_records;   // file offset of a line -> its records not merged
    bool refusal_told = false;         // the writer was told that records were not merged
};

struct ChunkInput {
    std::string_view bytes;            // raw bytes from the file read offset on
    std::uint64_t file_offset = 0;     // file offset of bytes[0]
    bool final = false;                // the text ends within bytes (an 0x1A, or the end of bytes)
    const std::vector<LostCharacter>* lost = nullptr;   // 〓 in bytes that stand for lost characters, in order
};

struct ChunkResult {
    std::size_t consumed = 0;          // raw bytes through the last committed line end or split
    bool text_ended = false;           // the 0x1A was converted; doc.load.end is set
    bool refused = false;              // a limit stopped the conversion (the notice says which)
};

// Characters (a half-width pair is two) in the first `bytes` stored bytes of a line.
std::uint32_t characters_in(const std::uint8_t* line, std::uint32_t bytes);

// Converts whole lines of `in` at the buffer's append position. `records`
// may be null (no extension file). The too-long-ruby question goes to
// `questions` (yes: go on reading rubies); the line-count, buffer and
// records-not-merged notices are added to `notices` as they arise, so that
// a question finds every notice before it there.
ChunkResult convert_chunk(Document& doc, DocumentState& state, const LoadOptions& options,
                          ExtensionReader* records, ConvertCarry& carry, const ChunkInput& in, Questions& questions,
                          Notices& notices);

}  // namespace rix

// Loading a document: the text file, converted chunk by chunk as the screen
// or a search needs more lines, with the extension file's records merged in.
//
// Owns nothing but the LoadSession it is given: the Document receives the
// text and tables, the DocumentState supplies the open text file and takes
// the modified bits. The file stays open; what was not converted yet stays
// in the file, and a save copies it from Document::load.file_offset on.
//
// Lifecycle: clear_document -> start_load (first chunk) -> load_more ...
// until Document::fully_loaded() or load_more returns false (a limit stopped
// the load: the notice says so, the document holds every line before it).
//
// What a load has to tell the writer (the encoding judged wrong, a limit, a
// read error, what the conversion changed) comes back in the `Notices` the
// caller passes, in order; a null `notices` drops them. A question half-way
// (the too-long ruby) goes to LoadSession::questions.
#pragma once

#include <cstdint>
#include <vector>

#include "document/convert.h"
#include "document/document.h"
#include "document/document_state.h"
#include "document/extension_file.h"
#include "document/notices.h"
#include "document/text_pos.h"

namespace rix {

// The state of one document's load, kept between chunks.
struct LoadSession {
    LoadOptions options;
    const ExtensionFile* extension = nullptr;   // its records are merged; must outlive the load; null = none
    Questions* questions = nullptr;             // asked half-way; must outlive the load; null = every answer no
    ExtensionReader reader;
    ConvertCarry carry;
    std::vector<char> staging;                  // raw bytes of the chunk being converted
    std::string decoded;                        // a UTF-8 chunk in code page 932
    std::vector<LostCharacter> lost;            // the characters it lost
    std::uint64_t decoded_offset = 0;           // converted bytes before the file read offset (UTF-8)
    bool started = false;                       // start_load is done: later chunks tell what they change
};

// Resets the document for a new load: empty buffer and tables, wrap cache
// dropped, load state at the start (end not loaded, tag serial 0), no index.
void clear_document(Document& doc);

// Clears the document and the modified bits, judges the file's encoding on
// its first ENCODING_CHECK_BYTES (a notice when UTF-8 goes wrong there),
// takes the extension file's index entries and converts the first chunk (a
// document without a file, text_fd < 0, becomes the end mark alone). A UTF-8
// file is converted whole, so that what it loses is known before editing
// starts. What the load changed is told once (tell_load_report); a document
// that lost characters keeps its file in state.keep_original. With `restore_cursor`, loads on
// to the line of the cursor stored in the extension header (and one chunk
// more when fewer than `screen_lines` lines follow it) and returns that
// position, moved back to the start of the character it falls in and to
// the line's end when beyond it; a line that does not exist gives line 0
// column 0, as does a load without restore.
TextPos start_load(Document& doc, DocumentState& state, LoadSession& session, bool restore_cursor = false,
                   std::uint32_t screen_lines = 40, Notices* notices = nullptr);

// Converts the next chunk. False when nothing more can be loaded: the text
// end was reached before, or the load stopped (a limit, a read error).
bool load_more(Document& doc, DocumentState& state, LoadSession& session, Notices* notices = nullptr);

// Tells the writer what the load changed and lost so far, once: the lost
// characters, then the conversions. Further chunks that change text after
// that are counted, not told again.
void tell_load_report(Document& doc, Notices& notices);

// Loads to the end (or until the load stops). True when fully loaded.
bool load_all(Document& doc, DocumentState& state, LoadSession& session, Notices* notices = nullptr);

// The nearest position at or before `pos` where a cursor may stand: the
// start of a character or block, the second half of a half-width pair, or
// the line's end mark. Lines beyond the loaded ones give line 0 column 0.
TextPos clamp_to_character(const Document& doc, TextPos pos);

// Counts of a loaded document (rix --info).
struct DocumentCounts {
    std::uint32_t lines = 0;            // logical lines
    std::uint64_t display_lines = 0;    // sum of the stored display-line counts
    std::uint64_t cells = 0;            // character cells (a half-width pair is one)
    std::uint64_t bytes = 0;            // bytes of the characters, markers and blocks left out
    std::uint64_t rubies = 0;           // ruby blocks
    std::uint64_t tags = 0;             // tag blocks
    std::uint64_t index_entries = 0;    // structure-index entries
    std::uint64_t unmappable = 0;       // characters the load replaced by 〓 (UTF-8 file)
    std::uint64_t converted = 0;        // bytes of the file the load changed
};
DocumentCounts count_document(const Document& doc);

}  // namespace rix

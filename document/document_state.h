// The state of the edited document that the shell keeps: which file, under
// which name it is saved, whether it is held open, and what has changed.
//
// Owns the open text file descriptor and the in-use mark. The file stays open
// for the whole editing time (the rest of a partly loaded document is read
// from it); close_document gives both back.
#pragma once

#include <cstdint>
#include <string>

#include "document/notices.h"
#include "platform/cipher.h"

#include "platform/files.h"

namespace rix {

// Bits of DocumentState::modified.
enum : std::uint8_t {
    MODIFIED_TEXT = 0x01,        // text changed
    MODIFIED_EXTENSION = 0x02,   // rubies, tags, marks, index or titles changed
    MODIFIED_CONVERTED = 0x04,   // converted while reading (notations, lone LF, ...)
    MODIFIED_NOTEBOOK = 0x08,    // notebook data changed
};

struct DocumentState {
    std::string opened_path;     // native path as opened; "" = nothing to load
    std::string save_name;       // native path the document is saved under; the title
    int text_fd = -1;            // the text file held open for reading; -1 = none
    std::int64_t file_length = 0;   // bytes of the text file when opened
    std::int64_t opened_length = 0; // bytes of the text file as it was opened (saves leave it)
    std::int64_t opened_time = 0;   // its modification time, seconds since the epoch
    std::uint8_t modified = 0;   // MODIFIED_* bits
    bool created_new = false;    // this process created the (empty) file
    bool in_use_mark_held = false;  // this process removed the write bits
    std::uint32_t saved_mode = 0;   // permission bits to restore with the mark
    bool downloaded = false;     // fetched from an http address at start
    std::string title;           // document title (code page 932), e.g. from a download
    std::string damaged_extension;  // path of the damaged extension file read at the load; "" = none
    std::string recovered_from;  // the recovery file the text was loaded from; "" = the document itself
    std::string keep_original;   // a file the load lost characters of: never saved over; "" = none
    // Encryption (document/encryption.h). An unlocked encrypted document is
    // read from its decrypted copy in memory: text_fd then holds that copy.
    bool decrypted = false;      // text_fd is the decrypted copy of an encrypted text file
    bool encrypt = false;        // saves write the text encrypted with `key`
    std::string key;             // the key text (code page 932, at most 255 bytes)
    KeyForm key_form = KeyForm::STRONG;   // the form the key took in the file read
    // The key the text file on disk is enciphered with ("" = the file is
    // plain, or not known): a backup that is a second name of that file is
    // secret only when this is the key the saves write with.
    std::string file_key;
    KeyForm file_key_form = KeyForm::STRONG;
};

// What a document file turned out to be before it is opened.
// ENCRYPTED: its extension file marks the text as encrypted (the bytes are
// not looked at: enciphered text holds NUL bytes).
enum class DocumentKind { TEXT, UNICODE_TEXT, NOT_TEXT, UNREADABLE, ENCRYPTED };

constexpr std::size_t KIND_CHECK_BYTES = 2u * 1024 * 1024;   // the kind is judged from this much

// Judges the first 2 MiB: UTF-16 (a byte-order mark before the first NUL, or
// the NUL pattern of UTF-16 text) is UNICODE_TEXT; any other NUL makes it
// NOT_TEXT; everything else is TEXT.
DocumentKind classify_document_bytes(const std::string& head);
DocumentKind check_document_kind(const std::string& path);
// Adds the refusal notice (for `owner`) for UNICODE_TEXT, NOT_TEXT and
// UNREADABLE to `notices`; returns true for TEXT and ENCRYPTED.
bool accept_document_kind(DocumentKind kind, std::uintptr_t owner, Notices* notices = nullptr);

// What a path that is no regular file turned out to be, as one line of a
// notice (UTF-8); "" for REGULAR and OTHER.
std::string path_kind_reason(PathKind kind);
// The notice for a document path that cannot be opened: "文書ファイルを開けません｡",
// the path, and what the path turned out to be (a folder, a FIFO, a device,
// a link loop, ...). UTF-8.
std::string unopenable_file_text(const std::string& path, PathKind kind);
// Opens a document's text file for reading without ever blocking: a
// descriptor, or -1 with the notice above added to `notices`.
int open_text_file(const std::string& path, std::uintptr_t owner, Notices* notices = nullptr);

// Opens the text file for reading and holds it. A read-only file (no write
// bit) is another user's or truly read-only: a notice says so and the
// document is edited without the mark; otherwise the write bits are removed
// as the in-use mark. Returns false when the file cannot be opened (with the
// notice of open_text_file). The notices go to `notices`; null drops them.
bool open_document_file(DocumentState* doc, const std::string& path, std::uintptr_t owner,
                        Notices* notices = nullptr);
// Closes the held file and gives the in-use mark back. When the file was
// created new and is still unchanged (`delete_if_unchanged_new`), it is deleted.
void close_document(DocumentState* doc, bool delete_if_unchanged_new);

}  // namespace rix

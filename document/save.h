// Saving a document: the text file N.X and the extension file N.rix beside
// it, written through temporary files in the document's folder, with the
// previous text kept as N.bak on the first save of a run; and the write-out
// of the text with notations into another file.
//
// Owns nothing between calls but what SaveRun remembers. The document is
// loaded to its end first (a load that stops at a limit leaves the rest of
// the text file, which is copied unchanged from the file read offset).
//
// What a save guarantees:
// - A file under its final name is always whole: the old text file and the
//   old extension file are replaced only by an atomic rename over them.
//   A rename that fails twice leaves the old file as it was, keeps the
//   temporary file, names it in the message, and gives SaveResult::Failed.
// - The extension file gets the text file's modification time, so that the
//   next open finds the two of one age. A document that keeps nothing in it
//   (header alone, bytes 8..127 zero) has none: an existing one is removed.
// - A damaged extension file the document was loaded from
//   (DocumentState::damaged_extension) is never removed or overwritten: it
//   is renamed to its kept name (damaged_extension_name) first, and the
//   save fails when it cannot be.
// - When the text is unchanged and the save form equals the file, the text
//   file is left alone (no backup, same time).
// - The text is written in the file's form (Document::load.form): its
//   encoding (UTF-8 with its byte-order mark when it had one), its line ends,
//   and 0x1A at the end unless a UTF-8 file had none. A document whose load
//   lost characters is never written over the file it came from
//   (DocumentState::keep_original): that save fails with a notice.
// - The backup is a second name of the old file (a copy where the file
//   system has no links), made before the new text is renamed into place.
//
// Notices (added in order to the `Notices` the caller passes; null drops
// them): the read-only notice, the unchanged notice, the temporary-file
// notice, the rename retry notices, and those of loading the rest.
#pragma once

#include <cstdint>
#include <string>

#include "document/document.h"
#include "document/document_state.h"
#include "document/export.h"
#include "document/extension_file.h"
#include "document/loader.h"

namespace rix {

// Modes of save_document.
enum : int {
    SAVE_MODE_SWITCH_OR_END = 0,   // a switch or the end of editing (the in-use mark is given up)
    SAVE_MODE_SAVE_AND_END = 1,    // 保存・終了 (the mark is given up)
    SAVE_MODE_MENU = 2,            // 上書き保存 (editing goes on)
    SAVE_MODE_NEW_NAME = 3,        // under a new name (editing goes on)
};
// What a save did. The one result of every save in the program, from this
// function up to the shell's hooks.
enum class SaveResult {
    Saved,     // written (modified bits cleared)
    Nothing,   // nothing needed writing, or the writer chose not to
    Failed,    // refused or failed; the files on disk are as they were
};

using RenameFunction = int (*)(const char* from, const char* to);

struct SaveRequest {
    int mode = SAVE_MODE_MENU;
    ExtensionHeader header;             // titles, jump strings, screen format; the rest is filled here
    std::uint8_t restore_flags = 0;     // bit 0: the cursor is stored; 0 = nothing to restore
    TextPos cursor;                     // stored when restore_flags bit 0 is set
    bool no_backup = false;             // the backup is removed at the final save
    std::uint8_t tag_default_attr1 = 0; // tag size written for a tag without one (width / 2)
    std::uint8_t tag_default_attr2 = 0; // (height / 2)
    RenameFunction rename = nullptr;    // how files are renamed into place; null = rename(2)
    // A copy under another name (a recovery file, an auto-save): the document
    // stays bound to the file it holds, its load position included.
    bool copy = false;
};

// What the saves of one run remember.
struct SaveRun {
    std::string backup_of;              // the save name whose N.bak this run made; "" = none
};

// Saves under state.save_name. Failed leaves the files on disk as they
// were, but for a kept temporary file named in the notice.
SaveResult save_document(Document& doc, DocumentState& state, LoadSession& session, const SaveRequest& request,
                         SaveRun& run, Notices* notices = nullptr);

// Writes the document and its extension file as a save does, under
// `text_path` (an auto-save copy): the document's own files, name, mark,
// modified bits and backups are left as they were. The copy gets the mode of
// the document's file. False when it could not be written (the notices of
// the save say why).
bool write_document_copy(Document& doc, const DocumentState& state, LoadSession& session, SaveRequest request,
                         const std::string& text_path, Notices* notices = nullptr);

// The backup name of a text file: the same name with ".bak" in place of its extension.
std::string backup_path_for(const std::string& text_path);

// Writes the whole document in EXPORT form (options.form is taken as
// EXPORT) into `path` through a temporary file; the rest of a document whose
// load stopped is appended as it stands in the text file. False with a
// notice when it could not be written; the file at `path` is then as it was.
bool write_out_document(Document& doc, DocumentState& state, LoadSession& session, const ExportOptions& options,
                        const std::string& path, Notices* notices = nullptr, RenameFunction rename = nullptr);

}  // namespace rix

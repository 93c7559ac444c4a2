// Recovery files: the edited text of a document whose editor was asked to
// end (SIGTERM, SIGHUP) before it was saved, kept beside the document so that
// nothing typed is lost, and offered when the document is opened again.
//
// Names, for a document "<stem><ext>" (".txt" when the name has no extension):
//   "<stem>.recovered<ext>"        the first
//   "<stem>.recovered-<n><ext>"    n = 2..MAX_RECOVERY_FILES, when the ones
//                                  before are taken (never overwritten)
// each with its own extension file "<stem>.recovered[-<n>].rix" beside it, so
// that rubies, tags, marks and the index come back with the text. A recovery
// file is an ordinary document: it can be opened, read and saved like any.
//
// A recovery file is written as a save is, through save temporaries, and a
// new one takes its name only by a rename that never overwrites: no name
// ever holds a file that is still being written. It is removed only after
// the writer chose to open it and its text reached a save
// (DocumentState::recovered_from).
#pragma once

#include <string>
#include <vector>

#include "document/save.h"

namespace rix {

constexpr int MAX_RECOVERY_FILES = 9;

// The n-th recovery file name of a document (n = 1..MAX_RECOVERY_FILES).
std::string recovery_path_for(const std::string& text_path, int n);
// The recovery files of a document that exist, newest first.
std::vector<std::string> find_recovery_files(const std::string& text_path);
// Writes the whole edited document (the text in save form and its extension
// file) into a recovery file: the one it was recovered from when it came
// from one, else the first free name. The document, `state` and the files
// of the document are left as they were. Returns the file written, or ""
// when none could be (the notices of the save, added to `notices`, say why).
std::string write_recovery_file(Document& doc, const DocumentState& state, LoadSession& session,
                                SaveRequest request, Notices* notices = nullptr);
// Whether a recovery file holds a whole save: not empty, and ending in the
// end mark unless it is UTF-8 or enciphered (written without one). Only a
// whole one is offered; a file cut short is left as it is.
bool recovery_file_whole(const std::string& path);
// Whether the document file at `text_path` holds characters a load would
// lose (a UTF-8 file with characters code page 932 cannot hold). A text
// recovered from a recovery file carries 〓 for them and reads as if nothing
// was lost, so this is asked of the document's own file.
bool file_loses_characters(const std::string& text_path);
// Removes a recovery file and its extension file.
void remove_recovery_file(const std::string& path);

}  // namespace rix

// Loading the edited document: the reading options of the running program,
// the extension file, and the load session, tied to the application.
#pragma once

#include <cstdio>
#include <memory>

#include "app/settings/settings_record.h"
#include "document/loader.h"
#include "document/notices.h"
#include "editing/edit_state.h"

namespace rix {

// The reading options (索引読込, 行情報読込, ルビ読込): state of the running
// program, off at start, not stored in the settings.
struct ReadingOptions {
    bool rubies = false;
    bool index = false;
    bool line_info = false;
    bool decrypt = false;     // 復号化読込: the next documents are deciphered with `key`
    std::string key;          // code page 932
    bool show_key = false;    // 暗号キーを表示
};

// Everything a loaded document needs beside DocumentState.
struct LoadedDocument {
    Document document;
    ExtensionFile extension;
    LoadSession session;
    TextPos cursor;              // where the load put the cursor; follows the editing cursor
    EditState edit;              // the pane's cursor, marking, undo journal
    std::unique_ptr<Questions> questions;   // the load's questions (session.questions); null = every answer no

    explicit LoadedDocument(std::string spill_folder, std::uint64_t spill_threshold)
        : document(std::move(spill_folder), spill_threshold) {}
};

// The load options from the settings, the reading options and the screen format.
LoadOptions load_options_for(const SettingsRecord& rec, const ReadingOptions& reading, int slot);

// Reads the extension file of state.opened_path and starts the load of the
// held text file (a new document becomes the end mark alone). `restore`
// moves the cursor to the stored position. Of a damaged extension file the
// records before the damage are used; the writer is told, and
// state.damaged_extension names it so that the save keeps it. The questions
// of the extension file and of the load go to `questions`, which becomes
// the session's and must outlive the load; every notice gathered before a
// question is shown before it is asked. Returns the notices still to show.
Notices start_document_load(LoadedDocument& loaded, DocumentState& state, const SettingsRecord& rec,
                            const ReadingOptions& reading, int slot, bool restore, Questions& questions);

// The document operations with what they report shown at once (show_notices).
bool accept_document_kind_shown(DocumentKind kind, std::uintptr_t owner = 0);
int open_text_file_shown(const std::string& path);
bool open_document_file_shown(DocumentState* doc, const std::string& path);
bool load_all_shown(Document& doc, DocumentState& state, LoadSession& session);

// `rix --info`: loads `path` whole without holding or marking it and prints
// its counts as key=value lines to `out`. An encrypted document is read with
// its key file, found as every other form finds it (app/documents/crypt_flow.h:
// the key folder of the settings, else `program_folder`). The load's
// questions go to `questions`. Returns the process exit code.
int print_document_info(const std::string& path, const SettingsRecord& rec, const std::string& program_folder,
                        const ReadingOptions& reading, int slot, Questions& questions, std::FILE* out);

}  // namespace rix

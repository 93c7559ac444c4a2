// Saving from the shell: the save question, 上書き保存 (command 101),
// 名前を付けて保存 (command 102), the write-out with notations, the hooks
// the exit and switch flows call, and the batch forms `rix --save-as` and
// `rix --write-out` that open no window.
//
// The writing options and what the saves of this run remember live in
// app.save_flow. The settings reach the document layer as plain option
// structs built here (SaveRequest, ExportOptions).
#pragma once

#include <functional>
#include <string>

#include "app/shell/application.h"
#include "app/documents/save_state.h"
#include "document/export.h"
#include "document/save.h"

namespace rix {

// The export options of the write-out: the writing options and the notation settings.
ExportOptions write_out_options(const SettingsRecord& rec, const WritingOptions& writing);
// The save request of a save in `mode` from the settings and the loaded document.
SaveRequest save_request_for(const Application& app, int mode);

// The save question: MSG_RESULT_YES, _NO or _CANCEL.
int save_question(Application& app, bool explicit_save);
// save_document in `mode` on the application's document. After a save the
// edit-history hook runs.
SaveResult save_in_mode(Application& app, int mode);
// Command 101.
SaveResult menu_save(Application& app);
// Command 102: Saved when saved (or written out), Nothing when the writer
// cancelled or refused to overwrite, Failed when the save failed.
SaveResult save_as(Application& app);
// Writes the document with notations into `path`; false when it failed.
bool write_out(Application& app, const std::string& path);

// Sets save_question, save_document and save_as in app.hooks.
void install_save_hooks(Application& app);

// The form a save writes in another encoding ("sjis", "utf8"; "" keeps it):
// UTF-8 without a byte-order mark or end mark, Shift_JIS with the end mark;
// the line ends stay the document's.
void convert_form(TextForm& form, const std::string& encoding);

// `rix --save-as OUT DOC` and `rix --write-out OUT DOC`: loads DOC (with its
// extension file, without the in-use mark) and saves it as OUT (with OUT's
// extension file; in the encoding of --encoding) or writes it out into OUT.
// Returns the exit code.
int batch_save_as(Application& app, const std::string& document, const std::string& out);
int batch_write_out(Application& app, const std::string& document, const std::string& out);

}  // namespace rix

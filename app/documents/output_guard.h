// An output never replaces one of its inputs. Every writer (print into a
// PDF, PDF, EPUB, HTML, the preview and window snapshots, write-out, save
// as, the database's PDF) asks here before it writes: the file it would write is
// compared with each file it reads, as the same absolute name or as one
// file reached through two names (a link, another spelling of the folder:
// the same device and inode).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "document/document_state.h"

namespace rix {

// The files an open document is read from: its text file as opened and as it
// is saved, and their extension files.
std::vector<std::string> document_inputs(const DocumentState& doc);
// The extension files alone: a document saved under a new name may take its
// own name again, never the name of the file that holds its rubies and tags.
std::vector<std::string> document_extension_files(const DocumentState& doc);
// The files of a database: the file itself and SQLite's journal, write-ahead
// log and shared memory beside it (replacing one of them loses changes).
std::vector<std::string> database_inputs(const std::string& database);

// True when `output` is one of `inputs` ("" entries are skipped).
bool output_is_an_input(const std::string& output, const std::vector<std::string>& inputs);

// The writers' refusal: when `output` is one of `inputs`, shows
// "編集中の文書に<what>を上書きすることはできません｡" with the file's name
// and returns true. `what_utf8` names the output as the writer's own
// messages do (ＰＤＦ, ＥＰＵＢ, ＨＴＭＬ, 画像, 書出しファイル).
bool refuse_output_over_input(const std::string& output, std::string_view what_utf8,
                              const std::vector<std::string>& inputs);

}  // namespace rix

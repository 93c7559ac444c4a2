// An EPUB run tied to the application: the metadata of EPUB_DB (or of the
// document, for the batch form), the options of the settings record, the
// writing direction of the print format, the book built in memory by
// publish/epub_writer and written through a temporary file, so that a
// failure leaves an existing book whole. Used by ＥＰＵＢファイル出力 (502),
// by EPUB 出力 of the print settings and by `rix --epub`.
#pragma once

#include <cstddef>
#include <string>

#include "app/shell/application.h"
#include "publish/epub_writer.h"

namespace rix {

struct EpubRunRequest {
    int slot = -1;                 // print format slot 5..7 (its writing direction); -1 = the current one
    std::string path;              // UTF-8: the book to write
    EpubMetadata metadata;
    bool ask_to_open = true;       // ask whether to show the book in a reader afterwards
};

enum class EpubOutcome : std::uint8_t {
    WRITTEN,
    REFUSED,          // the font or the output name was refused (message shown)
    FAILED,           // the book could not be built or written (message shown)
};

struct EpubRunSummary {
    int files = 0;                 // content files
    int contents = 0;              // contents entries
    std::size_t bytes = 0;
};

// Writes the loaded document's book (loaded whole first).
EpubOutcome write_document_epub(Application& app, const EpubRunRequest& request, EpubRunSummary* summary);

// The metadata of a document nobody asked about: its title, its print
// title as the description; the creator, rights and publisher as given.
EpubMetadata default_epub_metadata(const Application& app, const EpubMetadata& kept);

// Writes the book EPUB_DB stored in app.epub (its texts and path) in the
// current print format's writing direction, asking afterwards whether to
// show it.
EpubOutcome write_session_epub(Application& app);

// `rix --epub OUT.epub [--print-format N] DOC`: 0 when the book was written
// (its counts on standard output), else 1 with a message on standard error.
// The creator, rights and publisher are those kept in Rix.ini.
int batch_epub(Application& app, const std::string& document);

}  // namespace rix

// A PDF run tied to the application: the current (or a given) print format
// over the settings record, laid out on its paper at 600 dpi, the range of
// the print settings (or a marked range), the document's titles and
// structure index, built by publish/pdf_writer and written whole through a
// temporary file, so that a failure leaves an existing PDF as it was.
// Used by 印刷・ＰＤＦ出力 → PDF 出力 and by `rix --pdf`.
#pragma once

#include <cstddef>
#include <string>

#include "app/shell/application.h"
#include "publish/pdf_writer.h"

namespace rix {

struct PdfRunRequest {
    int slot = -1;                 // print format slot 5..7; -1 = the current one
    PrintRange range;              // the range fields to use
    bool marked = false;           // write [mark_start, mark_end) instead
    TextPos mark_start, mark_end;
    std::string path;              // UTF-8: the PDF to write
    PdfInfo info;
    PdfOptions options;
    bool report = true;            // show the success message (or open the viewer)
};

enum class PdfOutcome : std::uint8_t {
    WRITTEN,
    REFUSED,          // the format's check, the range or the output name was refused (message shown)
    FAILED,           // the file could not be built or written (message shown)
};

struct PdfRunSummary {
    int pages = 0;                 // PDF pages (sheets)
    int halves = 0;                // numbered pages
    int outline_items = 0;
    std::size_t bytes = 0;
    PrintLayout layout;
};

// Writes the loaded document's PDF (loaded whole first). The document's
// wrap rules are the screen's again afterwards, whatever the outcome.
PdfOutcome write_document_pdf(Application& app, const PdfRunRequest& request, PdfRunSummary* summary);

// The PDF document information of a document nobody asked about: its title,
// its print title as the subtitle, the logged-on user as the author.
PdfInfo default_pdf_info(const Application& app);

// `rix --pdf OUT.pdf [--print-format N] [--pages A-B] [--compress]
// [--outline|--outline-title] DOC`: 0 when the PDF was written (its counts
// on standard output), else 1 with a message on standard error.
int batch_pdf(Application& app, const std::string& document);

}  // namespace rix

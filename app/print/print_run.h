// A print run tied to the application: the current (or a given) print
// format over the settings record, the document's titles, a print device
// from the window's factory, the sheet loop of publish/page_layout, and the
// messages of every way it can fail. Used by the print command (111) and by
// `rix --print`, which writes the pages into a PDF file without a window.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "app/shell/application.h"
#include "platform/printer.h"
#include "publish/page_layout.h"

namespace rix {

using PrintDeviceFactory = std::function<std::unique_ptr<PrintDevice>(const PrintDeviceSetup&)>;

constexpr int PRINT_DPI = 600;

struct PrintRequest {
    int slot = -1;                 // print format slot 5..7; -1 = the current one
    PrintRange range;              // the range fields to use
    bool marked = false;           // print [mark_start, mark_end) instead
    TextPos mark_start, mark_end;
    std::string pdf_path;          // UTF-8: where the PDF device writes
};

enum class PrintOutcome : std::uint8_t {
    PRINTED,
    REFUSED,          // the format's check or the range failed (its message was shown)
    CANCELLED,        // 中止: a printer prints the pages so far; a PDF file is not written
    DEVICE_FAILED,    // the device refused a start, a page or the end (message shown)
};

// What a run did, for the batch's report and the tests.
struct PrintSummary {
    int sheets = 0;                // sheets drawn (pages of the PDF)
    int counted_sheets = 0;        // sheets of the range as count_pages gives them
    PrintLayout layout;            // the geometry the pages were drawn with
};

// Prints the loaded document (loaded whole first). `progress` is asked
// before each tier (null: no progress window). The document's wrap rules
// are the screen's again afterwards, whatever the outcome.
PrintOutcome print_loaded_document(Application& app, const PrintRequest& request, const PrintDeviceFactory& devices,
                                   const TierProgress& progress, PrintSummary* summary);

// `rix --print OUT.pdf [--print-format N] [--pages A-B] DOC`: 0 when the
// PDF was written (its sheets and pitches on standard output), else 1 with a
// message on standard error.
int batch_print(Application& app, const std::string& document, const PrintDeviceFactory& devices);

// The batch forms' document: held open read-only and its load started
// (false with the message shown when it cannot be opened); closed again by
// close_batch_document.
bool open_batch_document(Application& app, const std::string& document);
void close_batch_document(Application& app);
// The whole document, or the sheets of --pages.
PrintRange batch_range(const Application& app);

// What the preview snapshot needs of the platform: an image surface and
// its PNG file.
struct PreviewImages {
    std::function<std::unique_ptr<Surface>(int width, int height, double scale)> make;
    std::function<bool(Surface& image, const std::string& png_path)> save;
};

// `rix --preview-snapshot OUT.png [--print-format N] [--sheet K] [--size WxH]
// DOC`: the preview of sheet K (the page scaled to the height of --size,
// else 1000 pixels), as printing draws it. 0 when the PNG was written.
int batch_preview_snapshot(Application& app, const std::string& document, const PreviewImages& images);

}  // namespace rix

// PrintDevice: a printer as the logic sees it, one document of pages drawn
// through a Surface in device pixels. The Qt implementation
// (platform/qt/qt_printer.h) is a QPrinter; one that writes a PDF file
// needs no printer installed, which is how printing is tested.
//
// Every step reports whether the device took it: a refused start, page or
// end is a failure the caller tells the user about, never a success. A
// device that writes a file never leaves a part of a document under the
// file's name: killed midway, failed or cancelled, the old file stays.
#pragma once

#include <cstdint>
#include <string>

#include "platform/surface.h"

namespace rix {

struct PrintDeviceSetup {
    std::string pdf_path;          // UTF-8 file name of the PDF written
    std::string title;             // UTF-8 document name of the job
    int width_mm = 210, height_mm = 297;   // the paper as it lies (landscape: wider than high)
    int dpi = 600;
};

class PrintDevice {
public:
    virtual ~PrintDevice() = default;
    // Starts the document on its first page; false when the device refuses.
    virtual bool begin() = 0;
    // Ends the page and starts the next one.
    virtual bool new_page() = 0;
    // Ends the document; false when it could not be finished. A PDF file
    // is written under a temporary name and takes its own name only here,
    // when every page is whole.
    virtual bool end() = 0;
    // Ends a document that stops short: after a cancel or a failure. A
    // printer prints the pages so far, as end does; a PDF file is dropped,
    // and a file already under its name stays as it was.
    virtual void cancel() = 0;
    // The printable area and resolution, valid after begin.
    virtual int width_px() const = 0;
    virtual int height_px() const = 0;
    virtual int dpi_x() const = 0;
    virtual int dpi_y() const = 0;
    // Draws on the current page.
    virtual Surface& surface() = 0;
};

}  // namespace rix

// PrintDevice: a printer as the logic sees it, one document of pages drawn
// through a Surface in device pixels. The Qt implementation
// (platform/qt/qt_printer.h) is a QPrinter; one that writes a PDF file
// needs no printer installed, which is how printing is tested.
//
// Every step reports whether the device took it: a refused start, page or
// end is a failure the caller tells the user about, never a success.
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
    // Ends the document (also after a cancel); false when it could not be finished.
    virtual bool end() = 0;
    // The printable area and resolution, valid after begin.
    virtual int width_px() const = 0;
    virtual int height_px() const = 0;
    virtual int dpi_x() const = 0;
    virtual int dpi_y() const = 0;
    // Draws on the current page.
    virtual Surface& surface() = 0;
};

}  // namespace rix

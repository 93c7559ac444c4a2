// PrinterSurface: the drawing code of the screen surface on any paint device
// (a QPrinter, a preview picture). It shares PainterSurface's cells, lines
// and fills; a printer has no pixels to invert or copy, so those do nothing.
// The print flow (jobs, pages) belongs to the caller: it starts the device,
// draws, calls flush(), and moves to the next page itself.
#pragma once

#include <QPaintDevice>

#include "platform/qt/image_surface.h"

namespace rix {

class PrinterSurface final : public PainterSurface {
public:
    // The device must outlive the surface.
    explicit PrinterSurface(QPaintDevice* device) : PainterSurface(device), device_(device) {}
    int width() const override { return device_ ? device_->width() : 0; }
    int height() const override { return device_ ? device_->height() : 0; }

private:
    QPaintDevice* device_;
};

}  // namespace rix

// The Qt print device: QPrinter in PDF output mode at the asked resolution,
// full page (no printer margins), drawn through a PainterSurface whose
// painter stays open from begin to end. The PDF is written into a temporary
// beside its file and renamed into place when the document ends whole.
#include "platform/qt/qt_printer.h"

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPageSetupDialog>
#include <QPrinter>
#include <QString>

#include "platform/files.h"
#include "platform/qt/image_surface.h"

namespace rix {

namespace {

class PrinterSurface final : public PainterSurface {
public:
    explicit PrinterSurface(QPrinter* printer) : PainterSurface(printer), printer_(printer) { keep_painter_open(true); }
    int width() const override { return printer_->width(); }
    int height() const override { return printer_->height(); }
    bool begin() { return begin_painter(); }
    bool new_page() {
        draw_pending();
        return printer_->newPage();
    }
    bool end() { return end_painter(); }

private:
    QPrinter* printer_;
};

// Whether the PDF writer got to the end of its file: a write refused half
// way (a full disk, a size limit) leaves a file without its closing "%%EOF",
// which QPainter::end does not report.
bool pdf_finished(const std::string& path) {
    QFile file(QString::fromUtf8(path.c_str()));
    if (!file.open(QIODevice::ReadOnly)) return false;
    constexpr qint64 TAIL = 32;
    if (file.size() > TAIL && !file.seek(file.size() - TAIL)) return false;
    return file.readAll().contains("%%EOF");
}

class QtPrintDevice final : public PrintDevice {
public:
    explicit QtPrintDevice(const PrintDeviceSetup& setup) : printer_(QPrinter::HighResolution) {
        if (!setup.pdf_path.empty()) {
            // The PDF goes into a temporary beside the file and takes the
            // file's name at end: a run killed or failed half way leaves
            // what was there before.
            to_file_ = true;
            printer_.setOutputFormat(QPrinter::PdfFormat);
            if (output_.open(setup.pdf_path))
                printer_.setOutputFileName(QString::fromUtf8(output_.temporary().c_str()));
            printer_.setResolution(setup.dpi);
        } else {
            printer_.setOutputFormat(QPrinter::NativeFormat);
        }
        printer_.setDocName(QString::fromUtf8(setup.title.c_str()));
        printer_.setCreator(QStringLiteral("ミルトア"));
        const bool landscape = setup.width_mm > setup.height_mm;
        const QSizeF portrait(landscape ? setup.height_mm : setup.width_mm,
                              landscape ? setup.width_mm : setup.height_mm);
        printer_.setFullPage(true);
        printer_.setPageLayout(QPageLayout(QPageSize(portrait, QPageSize::Millimeter),
                                           landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                                           QMarginsF(0, 0, 0, 0)));
        surface_ = std::make_unique<PrinterSurface>(&printer_);
    }
    bool begin() override {
        if (to_file_ && !output_.is_open()) return false;   // no temporary could be made beside the file
        begun_ = surface_->begin();
        return begun_;
    }
    bool new_page() override { return surface_->new_page(); }
    bool end() override {
        const bool ended = surface_->end();
        if (!to_file_) return ended;
        if (ended && begun_ && pdf_finished(output_.temporary())) return output_.commit();
        output_.discard();
        return false;
    }
    void cancel() override {
        surface_->end();
        if (to_file_) output_.discard();
    }
    int width_px() const override { return printer_.width(); }
    int height_px() const override { return printer_.height(); }
    int dpi_x() const override { return printer_.logicalDpiX(); }
    int dpi_y() const override { return printer_.logicalDpiY(); }
    Surface& surface() override { return *surface_; }

private:
    QPrinter printer_;
    std::unique_ptr<PrinterSurface> surface_;
    bool to_file_ = false;
    bool begun_ = false;
    FileReplacement output_;      // the PDF's temporary; removed unless end put it in place
};

}  // namespace

std::unique_ptr<PrintDevice> create_pdf_print_device(const PrintDeviceSetup& setup) {
    if (setup.pdf_path.empty()) return nullptr;
    return std::make_unique<QtPrintDevice>(setup);
}

std::unique_ptr<PrintDevice> create_print_device(const PrintDeviceSetup& setup) {
    return std::make_unique<QtPrintDevice>(setup);
}

bool page_size_of_paper(int paper_number, int* width_mm, int* height_mm) {
    const QPageSize::PageSizeId id = QPageSize::id(paper_number);
    if (paper_number <= 0 || id == QPageSize::Custom) return false;
    const QSizeF mm = QPageSize::size(id, QPageSize::Millimeter);
    *width_mm = static_cast<int>(mm.width() + 0.5);
    *height_mm = static_cast<int>(mm.height() + 0.5);
    return true;
}

int paper_number_of_size(double width_mm, double height_mm) {
    const QPageSize::PageSizeId id = QPageSize::id(QSizeF(width_mm, height_mm), QPageSize::Millimeter,
                                                   QPageSize::FuzzyOrientationMatch);
    return id == QPageSize::Custom ? 0 : QPageSize::windowsId(id);
}

bool run_page_setup_dialog(int* paper_number, bool* landscape) {
    QPrinter printer(QPrinter::HighResolution);
    const QPageSize::PageSizeId id = *paper_number > 0 ? QPageSize::id(*paper_number) : QPageSize::Custom;
    if (id != QPageSize::Custom) printer.setPageSize(QPageSize(id));
    printer.setPageOrientation(*landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    QPageSetupDialog dialog(&printer, QApplication::activeWindow());
    if (dialog.exec() != QDialog::Accepted) return false;
    const QPageLayout layout = printer.pageLayout();
    const QPageSize size = layout.pageSize();
    *paper_number = size.id() == QPageSize::Custom ? 0 : size.windowsId();
    *landscape = layout.orientation() == QPageLayout::Landscape;
    return true;
}

void pump_print_events() { QCoreApplication::processEvents(); }

std::unique_ptr<Surface> create_preview_image(int width, int height, double scale) {
    auto image = std::make_unique<ImageSurface>(width, height, 0xFFFFFF);
    image->set_scale(scale);
    return image;
}

bool save_preview_image(Surface& image, const std::string& png_path) {
    auto* pixels = dynamic_cast<ImageSurface*>(&image);
    return pixels && save_png_file(pixels->image(), png_path);
}

}  // namespace rix

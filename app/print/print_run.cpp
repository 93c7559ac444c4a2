// A print run tied to the application.
#include "app/print/print_run.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "app/edit/background.h"
#include "app/documents/crypt_flow.h"
#include "app/documents/document_load.h"
#include "app/edit/format_views.h"
#include "app/documents/output_guard.h"
#include "app/print/print_format_view.h"
#include "document/loader.h"
#include "platform/codec.h"
#include "platform/files.h"
#include "platform/messages.h"
#include "publish/preview.h"

namespace rix {

namespace {

void notice(const std::string& sjis, unsigned ms) { show_message(MSG_NOTICE, 0, sjis, ms); }

void device_failed(const char* step) {
    notice(utf8_to_sjis(std::string("印刷できませんでした｡（") + step + "）"), 3000);
}

std::string file_title(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

PrintDeviceSetup device_setup(const PrintFormat& format, const std::string& pdf_path, const std::string& document) {
    PrintDeviceSetup setup;
    setup.pdf_path = pdf_path;
    setup.title = file_title(document);
    const PaperSize paper = paper_size(format.paper);
    const bool landscape = paper_landscape(format.paper);
    setup.width_mm = landscape ? paper.height_mm : paper.width_mm;
    setup.height_mm = landscape ? paper.width_mm : paper.height_mm;
    setup.dpi = PRINT_DPI;
    return setup;
}

// The range resolved on the paper's page before the device starts, so that
// a range that cannot be printed leaves no empty document behind.
bool range_printable(Document& doc, const PrintFormat& format, const PrintRequest& request) {
    PrintLayout probe;
    if (!make_print_layout(format, request.range, page_for_paper(format.paper, PRINT_DPI, PRINT_DPI), &probe))
        return true;   // the device's own page decides
    probe.index = index_hooks_for(doc.index);
    PrintScope scope(doc, probe.rules);
    PrintJob job;
    const RangeResult range =
        resolve_print_range(doc, probe, request.range, request.marked, request.mark_start, request.mark_end, &job);
    if (range == RangeResult::OK) return true;
    notice(range_message(range), 2000);
    return false;
}

}  // namespace

PrintOutcome print_loaded_document(Application& app, const PrintRequest& request, const PrintDeviceFactory& devices,
                                   const TierProgress& progress, PrintSummary* summary) {
    *summary = PrintSummary{};
    int* sheets = &summary->sheets;
    LoadedDocument& loaded = *app.loaded;
    Document& doc = loaded.document;
    load_all_shown(doc, app.doc, loaded.session);
    const SettingsRecord& rec = app.settings.rec;
    PrintFormat format;
    if (!checked_print_format(rec, request.slot, request.range, &format)) return PrintOutcome::REFUSED;
    if (!range_printable(doc, format, request)) return PrintOutcome::REFUSED;
    const PrintDeviceSetup setup = device_setup(format, request.pdf_path, app.doc.opened_path);
    std::unique_ptr<PrintDevice> device = devices ? devices(setup) : nullptr;
    if (!device || !device->begin()) {
        device_failed("開始");
        return PrintOutcome::DEVICE_FAILED;
    }
    PrintPage page{device->width_px(), device->height_px(), device->dpi_x(), device->dpi_y()};
    PrintLayout layout;
    if (!make_print_layout(format, request.range, page, &layout)) {
        device->cancel();
        device_failed("用紙");
        return PrintOutcome::DEVICE_FAILED;
    }
    layout.index = index_hooks_for(doc.index);
    layout.render.print_line_colours = app.line_format_colours;
    PrintRun run = PrintRun::DONE;
    {
        PrintScope scope(doc, layout.rules);
        PrintJob job;
        const RangeResult range = resolve_print_range(doc, layout, request.range, request.marked,
                                                      request.mark_start, request.mark_end, &job);
        if (range != RangeResult::OK) {
            device->cancel();
            notice(range_message(range), 2000);
            return PrintOutcome::REFUSED;
        }
        summary->counted_sheets = job.last_sheet - job.first_sheet + 1;
        summary->layout = layout;
        HeaderTitles titles{loaded.extension.header.title, loaded.extension.header.print_title};
        SheetPainter painter;
        start_sheets(painter, layout, &device->surface());
        // The print format's 画面背景: the screen format's fill or picture under every sheet.
        BackgroundPicture picture;
        BackgroundPaint background;
        if (layout.format.print_background) background = page_background(app, picture);
        run = print_sheets(doc, painter, layout, job, titles,
                           [&](int sheet) {
                               if (sheet != job.first_sheet && !device->new_page()) return false;
                               if (layout.format.print_background)
                                   paint_background_area(device->surface(), background,
                                                         {0, 0, layout.page.width, layout.page.height});
                               return true;
                           },
                           progress, sheets);
    }
    // A run that stops short leaves no part of a document in a PDF file.
    const bool whole = run == PrintRun::DONE;
    if (!whole) device->cancel();
    const bool ended = !whole || device->end();
    if (run == PrintRun::DEVICE_FAILED) {
        device_failed("改頁");
        return PrintOutcome::DEVICE_FAILED;
    }
    if (!ended) {
        device_failed("終了");
        return PrintOutcome::DEVICE_FAILED;
    }
    return run == PrintRun::CANCELLED ? PrintOutcome::CANCELLED : PrintOutcome::PRINTED;
}

bool open_batch_document(Application& app, const std::string& document) {
    DocumentState& doc = app.doc;
    if (!accept_document_kind_shown(check_document_kind(document))) return false;
    doc.text_fd = ::open(document.c_str(), O_RDONLY | O_CLOEXEC);
    if (doc.text_fd < 0) {
        notice(utf8_to_sjis("文書ファイルを開けません｡\n" + document), 3000);
        return false;
    }
    doc.file_length = file_size(document);
    doc.opened_path = document;
    doc.save_name = document;
    if (!unlock_with_key_file(doc, document_key_file(app, document))) {
        close_batch_document(app);
        return false;
    }
    app.loaded = std::make_unique<LoadedDocument>(std::string(), UINT64_MAX);
    start_loading(app, false);
    return true;
}

void close_batch_document(Application& app) {
    if (app.doc.text_fd >= 0) ::close(app.doc.text_fd);
    app.doc.text_fd = -1;
}

PrintRange batch_range(const Application& app) {
    PrintRange range = print_range_view(app.settings.rec);
    range.mode = app.line.pages_start > 0 ? RANGE_PAGES : RANGE_ALL;
    range.start = app.line.pages_start > 0 ? app.line.pages_start : 1;
    range.end = app.line.pages_start > 0 ? app.line.pages_end : 65535;
    return range;
}

int batch_print(Application& app, const std::string& document, const PrintDeviceFactory& devices) {
    if (!open_batch_document(app, document)) return 1;
    if (refuse_output_over_input(app.line.print_path, "ＰＤＦ", document_inputs(app.doc))) {
        close_batch_document(app);
        return 1;
    }
    PrintRequest request;
    request.slot = app.line.print_format;
    request.range = batch_range(app);
    request.pdf_path = app.line.print_path;
    PrintSummary summary;
    const PrintOutcome outcome = print_loaded_document(app, request, devices, nullptr, &summary);
    close_batch_document(app);
    if (outcome != PrintOutcome::PRINTED) return 1;
    const DisplayGeometry& g = summary.layout.geo;
    std::printf("sheets=%d\ncounted_sheets=%d\nwidth=%d\nheight=%d\nline_pitch=%d\nchar_pitch=%d\n"
                "margin_start=%d\nmargin_top=%d\nfont=%d\ncell_size=%d\n",
                summary.sheets, summary.counted_sheets, g.client_w, g.client_h, g.line_pitch, g.char_pitch,
                g.margin_start_px, g.margin_top_px, g.font_w, g.cell_size);
    return 0;
}

int batch_preview_snapshot(Application& app, const std::string& document, const PreviewImages& images) {
    if (!open_batch_document(app, document)) return 1;
    if (refuse_output_over_input(app.line.preview_path, "画像", document_inputs(app.doc))) {
        close_batch_document(app);
        return 1;
    }
    Document& doc = app.loaded->document;
    load_all_shown(doc, app.doc, app.loaded->session);
    close_batch_document(app);
    const SettingsRecord& rec = app.settings.rec;
    const PrintRange range = batch_range(app);
    PrintFormat format;
    if (!checked_print_format(rec, app.line.print_format, range, &format)) return 1;
    const PrintPage page = page_for_paper(format.paper, PRINT_DPI, PRINT_DPI);
    const double scale = preview_scale(page, app.line.snapshot_height > 0 ? app.line.snapshot_height : 1000);
    int width = 0, height = 0;
    preview_size(page, scale, &width, &height);
    PrintLayout layout;
    if (!make_print_layout(format, range, page, &layout)) return 1;
    layout.index = index_hooks_for(doc.index);
    PrintScope scope(doc, layout.rules);
    PrintJob job;
    const RangeResult resolved = resolve_print_range(doc, layout, range, false, {}, {}, &job);
    if (resolved != RangeResult::OK) {
        notice(range_message(resolved), 2000);
        return 1;
    }
    int sheet = app.line.preview_sheet;
    TextPos pos;
    if (!count_pages(doc, layout, COUNT_FIND_START, &sheet, &pos)) {
        notice(range_message(RangeResult::START_PAGE_TOO_LARGE), 2000);
        return 1;
    }
    std::unique_ptr<Surface> image = images.make ? images.make(width, height, scale) : nullptr;
    if (!image) return 1;
    SheetPainter painter;
    start_sheets(painter, layout, image.get());
    HeaderTitles titles{app.loaded->extension.header.title, app.loaded->extension.header.print_title};
    BackgroundPicture picture;
    const BackgroundPaint background = page_background(app, picture);
    paint_preview_sheet(doc, painter, layout, job, titles, sheet, pos,
                        layout.format.print_background ? &background : nullptr);
    if (!images.save(*image, app.line.preview_path)) {
        notice(utf8_to_sjis("画像を書き出せません｡\n" + app.line.preview_path), 3000);
        return 1;
    }
    return 0;
}

}  // namespace rix

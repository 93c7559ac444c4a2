// A PDF run tied to the application.
#include "app/print/pdf_run.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "app/edit/background.h"
#include "app/documents/document_load.h"
#include "app/edit/format_views.h"
#include "app/documents/output_guard.h"
#include "app/documents/output_path.h"
#include "app/print/print_format_view.h"
#include "app/print/print_run.h"
#include "document/loader.h"
#include "platform/codec.h"
#include "platform/file_names.h"
#include "platform/files.h"
#include "platform/messages.h"
#include "platform/shell.h"
#include "publish/pdf_file.h"

namespace rix {

namespace {

constexpr std::size_t PDF_INFO_BYTES = 49;

void notice(const std::string& utf8, unsigned ms) { show_message(MSG_NOTICE, 0, utf8_to_sjis(utf8), ms); }

PdfTime local_time_now() {
    const std::time_t now = std::time(nullptr);
    std::tm t{};
    localtime_r(&now, &t);
    return PdfTime{t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec};
}

// The background the print format asks for: the active screen format's
// fill, or its picture as tiles or stretched over the page.
PdfBackground background_of(Application& app, const PrintFormat& format) {
    PdfBackground bg;
    if (!format.print_background) return bg;
    BackgroundPicture local;
    const BackgroundPaint paint = page_background(app, local);
    bg.fill_colour = paint.fill_colour;
    bg.mode = PDF_BACKGROUND_FILL;
    if (paint.mode == BACKGROUND_FILL || !paint.picture || !paint.picture->valid()) return bg;
    const Picture& pic = *paint.picture;
    bg.mode = paint.mode == BACKGROUND_TILED ? PDF_BACKGROUND_TILE : PDF_BACKGROUND_STRETCH;
    bg.reference_width = paint.reference_width;
    bg.image.width = pic.width;
    bg.image.height = pic.height;
    bg.image.pixels.resize(pic.pixels.size() * 3);
    for (std::size_t i = 0; i < pic.pixels.size(); ++i) {
        bg.image.pixels[3 * i] = static_cast<char>(pic.pixels[i] >> 16 & 0xFF);
        bg.image.pixels[3 * i + 1] = static_cast<char>(pic.pixels[i] >> 8 & 0xFF);
        bg.image.pixels[3 * i + 2] = static_cast<char>(pic.pixels[i] & 0xFF);
    }
    return bg;
}

std::string cut(const std::string& s, std::size_t limit) { return s.substr(0, cut_on_boundary(s, limit)); }

}  // namespace

PdfInfo default_pdf_info(const Application& app) {
    PdfInfo info;
    if (app.loaded) {
        info.title = app.loaded->extension.header.title;
        info.subtitle = app.loaded->extension.header.print_title;
    }
    if (info.title.empty()) info.title = utf8_to_sjis(std::string(stem_of(app.doc.opened_path)));
    info.author = utf8_to_sjis(logged_on_user_name());
    info.title = cut(info.title, PDF_INFO_BYTES);
    info.subtitle = cut(info.subtitle, PDF_INFO_BYTES);
    info.author = cut(info.author, PDF_INFO_BYTES);
    return info;
}

PdfOutcome write_document_pdf(Application& app, const PdfRunRequest& request, PdfRunSummary* summary) {
    *summary = PdfRunSummary{};
    LoadedDocument& loaded = *app.loaded;
    Document& doc = loaded.document;
    load_all_shown(doc, app.doc, loaded.session);
    const SettingsRecord& rec = app.settings.rec;
    PrintFormat format;
    if (!checked_print_format(rec, request.slot, request.range, &format)) return PdfOutcome::REFUSED;
    if (request.path.empty()) {
        notice("ＰＤＦファイル名が指定されていません｡", 3000);
        return PdfOutcome::REFUSED;
    }
    if (refuse_output_over_input(request.path, "ＰＤＦ", document_inputs(app.doc))) return PdfOutcome::REFUSED;
    PrintLayout layout;
    if (!make_print_layout(format, request.range, page_for_paper(format.paper, PRINT_DPI, PRINT_DPI), &layout)) {
        notice("この用紙には印刷書式を割付けられません｡", 3000);
        return PdfOutcome::REFUSED;
    }
    layout.index = index_hooks_for(doc.index);
    PdfRequest pdf;
    pdf.info = request.info;
    pdf.options = request.options;
    pdf.titles = HeaderTitles{loaded.extension.header.title, loaded.extension.header.print_title};
    pdf.line_format_colours = app.line_format_colours;
    pdf.background = background_of(app, format);
    pdf.time = local_time_now();
    pdf.index = doc.index;
    std::string file;
    PdfReport report;
    PdfStatus status = PdfStatus::OK;
    {
        PrintScope scope(doc, layout.rules);
        PrintJob job;
        const RangeResult range = resolve_print_range(doc, layout, request.range, request.marked, request.mark_start,
                                                      request.mark_end, &job);
        if (range != RangeResult::OK) {
            show_message(MSG_NOTICE, 0, range_message(range), 2000);
            return PdfOutcome::REFUSED;
        }
        status = build_pdf(doc, layout, job, pdf, &file, &report);
    }
    for (const std::string& n : report.notices) notice(n, 5000);
    if (status == PdfStatus::TOO_LARGE) {
        notice("ＰＤＦファイルが大き過ぎるため出力できません｡（1 GB まで）", 5000);
        return PdfOutcome::FAILED;
    }
    if (!atomic_replace(request.path, file)) {
        const int error = errno;
        notice("ＰＤＦファイルを書き出せません｡\n" + request.path + "\n" + std::strerror(error), 5000);
        return PdfOutcome::FAILED;
    }
    summary->pages = report.pages;
    summary->halves = report.halves;
    summary->outline_items = report.outline_items;
    summary->bytes = file.size();
    summary->layout = layout;
    if (request.report) {
        if (!(request.options.open_viewer && open_local_file(absolute_path(request.path))))
            notice(request.path + "\nにＰＤＦファイルを出力しました｡", 8000);
    }
    return PdfOutcome::WRITTEN;
}

int batch_pdf(Application& app, const std::string& document) {
    if (!open_batch_document(app, document)) return 1;
    PdfRunRequest request;
    request.slot = app.line.print_format;
    request.range = batch_range(app);
    request.path = app.line.pdf_path;
    request.info = default_pdf_info(app);
    const SettingsRecord& rec = app.settings.rec;
    request.options = PdfOptions::from_bytes(rec.pdf_options, rec.pdf_outline_options);
    request.options.open_viewer = false;
    if (app.line.pdf_compress >= 0) request.options.compress = app.line.pdf_compress == 1;
    if (app.line.pdf_outline >= 0) request.options.outline = app.line.pdf_outline == 1;
    if (app.line.pdf_outline_title) request.options.outline_title = true;
    request.report = false;
    PdfRunSummary summary;
    const PdfOutcome outcome = write_document_pdf(app, request, &summary);
    close_batch_document(app);
    if (outcome != PdfOutcome::WRITTEN) return 1;
    const DisplayGeometry& g = summary.layout.geo;
    std::printf("pages=%d\nhalves=%d\noutline_items=%d\nbytes=%zu\nwidth=%d\nheight=%d\nline_pitch=%d\n"
                "char_pitch=%d\nfont=%d\n",
                summary.pages, summary.halves, summary.outline_items, summary.bytes, g.client_w, g.client_h,
                g.line_pitch, g.char_pitch, g.font_w);
    return 0;
}

}  // namespace rix

// The document as the preview window shows it.
#include "app/print/print_preview.h"

#include <algorithm>
#include <cstdio>

#include "app/edit/background.h"
#include "app/edit/format_views.h"
#include "app/print/print_format_view.h"
#include "app/print/print_run.h"
#include "document/loader.h"
#include "platform/codec.h"
#include "platform/messages.h"
#include "publish/preview.h"

namespace rix {

DocumentPreview::DocumentPreview(Application& app, const PreviewRequest& request)
    : app_(app), doc_(app.loaded->document) {
    load_all_shown(doc_, app.doc, app.loaded->session);
    const SettingsRecord& rec = app.settings.rec;
    PrintRange range = print_range_view(rec);
    if (request.from_menu) range = PrintRange{RANGE_ALL, 1, 65535, range.first_page_number};
    PrintFormat format;
    if (!checked_print_format(rec, current_print_slot(rec), range, &format)) return;
    range_ = range;
    if (!make_print_layout(format, range, page_for_paper(format.paper, PRINT_DPI, PRINT_DPI), &layout_)) return;
    layout_.index = index_hooks_for(doc_.index);
    layout_.render.print_line_colours = app.line_format_colours;
    PrintScope scope(doc_, layout_.rules);
    const RangeResult r = resolve_print_range(doc_, layout_, range, request.marked, request.mark_start,
                                              request.mark_end, &job_);
    if (r != RangeResult::OK) {
        show_message(MSG_NOTICE, 0, range_message(r), 2000);
        return;
    }
    start_ = job_.first_sheet;
    if (request.from_menu) {
        TextPos cursor = app.loaded->cursor;
        int sheet = 1;
        if (count_pages(doc_, layout_, COUNT_FIND_SHEET, &sheet, &cursor)) start_ = sheet;
        start_ = std::clamp(start_, first_sheet(), last_sheet());
    }
    titles_ = HeaderTitles{app.loaded->extension.header.title, app.loaded->extension.header.print_title};
    ready_ = true;
}

std::string DocumentPreview::paper_text() const {
    const PaperSize paper = paper_size(layout_.format.paper);
    const int code = layout_.format.paper & 0x7F;
    if (code >= 8 && code <= 13 && paper.name) return std::string("用紙") + paper.name;
    char buf[80];
    std::snprintf(buf, sizeof buf, "用紙サイズ[mm]  縦:%d x 横:%d", layout_.page.height * 254 / 6000,
                  layout_.page.width * 254 / 6000);
    return buf;
}

void DocumentPreview::paint(int sheet, Surface& image) {
    if (!ready_) return;
    PrintScope scope(doc_, layout_.rules);
    // The sheets of the job follow each other from its start, as printing walks them.
    TextPos pos = job_.start;
    for (int s = job_.first_sheet; s < sheet; ++s) {
        bool ended = false;
        for (int h = 0; h < layout_.halves && !ended; ++h) {
            const HalfPlan half = plan_half(doc_, layout_, pos);
            pos = half.next;
            ended = half.text_ended;
        }
        if (ended) break;
    }
    SheetPainter painter;
    start_sheets(painter, layout_, &image);
    BackgroundPicture picture;
    BackgroundPaint background;
    if (layout_.format.print_background) background = page_background(app_, picture);
    paint_preview_sheet(doc_, painter, layout_, job_, titles_, sheet, pos,
                        layout_.format.print_background ? &background : nullptr);
}

namespace {

PrintMargins margins_of(const ScreenFormat& f) {
    return {f.margin_start_permille, f.margin_top_permille, f.margin_end_permille, f.margin_bottom_permille};
}

}  // namespace

int DocumentPreview::margin_corner(int x, int y) const {
    if (!ready_) return 0;
    return margin_corner_at(x, y, layout_.page.width, layout_.page.height, layout_.geo.vertical,
                            margins_of(layout_.format.screen));
}

bool DocumentPreview::release_margin(int corner, int x, int y) {
    if (!ready_) return false;
    PrintMargins m;
    if (!margins_from_release(corner, x, y, layout_.page.width, layout_.page.height, layout_.geo.vertical,
                              layout_.halves, margins_of(layout_.format.screen), &m))
        return false;
    PrintFormat format = layout_.format;
    format.screen.margin_start_permille = m.start;
    format.screen.margin_top_permille = m.top;
    format.screen.margin_end_permille = m.end;
    format.screen.margin_bottom_permille = m.bottom;
    PrintLayout layout;
    if (!make_print_layout(format, range_, layout_.page, &layout)) return false;
    layout.index = layout_.index;
    layout.render.print_line_colours = layout_.render.print_line_colours;
    layout_ = std::move(layout);
    SettingsRecord& rec = app_.settings.rec;
    const int slot = layout_.format.screen.slot;
    rec.margin_start_permille[slot] = static_cast<std::uint8_t>(m.start);
    rec.margin_top_permille[slot] = static_cast<std::uint8_t>(m.top);
    rec.margin_end_permille[slot] = static_cast<std::uint8_t>(m.end);
    rec.margin_bottom_permille[slot] = static_cast<std::uint8_t>(m.bottom);
    mark_settings_changed(&app_.settings);
    return true;
}

void show_print_preview(Application& app, const PreviewRequest& request) {
    if (!app.loaded || !app.window.preview_window) return;
    DocumentPreview preview(app, request);
    if (preview.ready()) app.window.preview_window(preview);
}

}  // namespace rix

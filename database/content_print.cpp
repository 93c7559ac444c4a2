#include "database/content_print.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "database/content_text.h"
#include "platform/codec.h"

namespace rix {

int hundredths_mm_to_twips(int hundredths) { return static_cast<int>(static_cast<long long>(hundredths) * 567 / 1000); }

int hundredths_mm_to_pixels(int hundredths, int dpi) {
    return static_cast<int>(static_cast<long long>(hundredths) * dpi / 2540);
}

int preview_scale_thirtieths(int available_height, int printable_height) {
    if (printable_height <= 0 || available_height <= 0) return 1;
    const long long k = static_cast<long long>(available_height) * 30 / printable_height;
    return static_cast<int>(std::clamp<long long>(k, 1, 30 * 30));
}

ContentPageGeometry content_page_geometry(int width, int height, int dpi, const DbPrintSettings& s, int font_px,
                                          bool vertical) {
    ContentPageGeometry g;
    g.page = {0, 0, std::max(width, 1), std::max(height, 1)};
    const int left = hundredths_mm_to_pixels(std::max(s.margin_left, 0), dpi);
    const int top = hundredths_mm_to_pixels(std::max(s.margin_top, 0), dpi);
    const int right = hundredths_mm_to_pixels(std::max(s.margin_right, 0), dpi);
    const int bottom = hundredths_mm_to_pixels(std::max(s.margin_bottom, 0), dpi);
    g.text = {left, top, std::max(g.page.w - left - right, 1), std::max(g.page.h - top - bottom, 1)};
    g.cells.area = g.text;
    g.cells.cell = std::max(font_px, 1);
    g.cells.gap = std::max(2, g.cells.cell / 2);
    g.cells.vertical = vertical;
    g.columns_per_page = g.cells.visible_columns();
    return g;
}

ContentPages::ContentPages(std::string_view cp932, const ContentPageGeometry& geometry) : geometry_(geometry) {
    model_.set_cells_per_line(geometry.cells.cells_per_line());
    model_.set_text(cp932);
    // The columns that hold something drawn: blank lines at the end make no page.
    int last = -1;
    for (const TextBoxSlot& s : model_.entries())
        if (s.length > 0 && !s.line_break) last = s.cell.column;
    const int per_page = std::max(geometry.columns_per_page, 1);
    for (int first = 0; first <= last; first += per_page) first_columns_.push_back(first);
}

void ContentPages::draw(Surface& surface, std::size_t index, const TextBoxStyle& style,
                        const FontRequest& number_font) const {
    if (index >= first_columns_.size()) return;
    // The model only scrolls; its text and layout stay. A visible count of
    // one keeps the last page's first column where the page starts.
    TextBoxModel& model = const_cast<TextBoxModel&>(model_);
    model.scroll_to(first_columns_[index], 1);
    TextBoxPaint paint;
    paint.selection = false;
    paint.fill = geometry_.page;
    draw_text_box(surface, model_, geometry_.cells, style, paint);

    const std::string label = content_page_number_text(static_cast<int>(index) + 1);
    if (!surface.set_font(FONT_MARK, number_font)) return;
    const int h = std::max(number_font.pixel_height, 1);
    const int half = std::max(h / 2, 1);
    const int width = static_cast<int>(label.size()) * half;
    const SurfaceRect box = content_page_number_box(geometry_, width, h, geometry_.cells.vertical);
    for (std::size_t i = 0; i < label.size(); i += 2) {
        CellGlyph g;
        g.font = FONT_MARK;
        const auto first = static_cast<std::uint8_t>(label[i]);
        const auto second = static_cast<std::uint8_t>(i + 1 < label.size() ? label[i + 1] : ' ');
        g.code = static_cast<std::uint16_t>(first << 8 | second);
        g.half = true;
        g.mode = GlyphMode::HORIZONTAL;
        g.box = {box.x + static_cast<int>(i) * half, box.y, h, h};
        g.second_offset = half;
        g.colour = style.text_colour;
        surface.draw_cell(g);
    }
}

std::string content_page_number_text(int number) {
    char text[32];
    std::snprintf(text, sizeof text, "-- %d --", number);
    return text;
}

SurfaceRect content_page_number_box(const ContentPageGeometry& g, int label_width, int label_height, bool vertical) {
    if (vertical)
        return {g.text.x + (g.text.w - label_width) / 2, std::max(0, (g.text.y - label_height) / 2), label_width,
                label_height};
    return {std::max(0, (g.text.x - label_width) / 2), g.text.y + (g.text.h - label_height) / 2, label_width,
            label_height};
}

FontRequest content_print_font(std::int16_t height, std::int16_t weight, bool italic, std::string_view face,
                               bool vertical, int dpi) {
    FontRequest r;
    const std::string_view plain = !face.empty() && face.front() == '@' ? face.substr(1) : face;
    r.face = plain.empty() ? utf8_to_sjis("IPAex明朝") : std::string(plain);
    r.vertical = vertical;
    const int h = height == 0 ? 16 : std::abs(static_cast<int>(height));
    r.pixel_height = std::max(1, h * dpi / 100);
    r.weight = weight > 400 ? 700 : 400;
    r.italic = italic;
    return r;
}

namespace {

TextBoxStyle style_for(const ContentPrintJob& job, int dpi) {
    TextBoxStyle style;
    style.font = content_print_font(job.font_height, job.font_weight, job.font_italic, job.font_face, job.vertical, dpi);
    style.raise = content_spacing_twips(job.spacing) * dpi / 1440;
    return style;
}

FontRequest number_font_for(const TextBoxStyle& style) {
    FontRequest n = style.font;
    n.vertical = false;
    n.pixel_height = std::max(1, style.font.pixel_height * 2 / 3);
    n.weight = 400;
    n.italic = false;
    return n;
}

}  // namespace

bool content_has_print(std::string_view cp932) {
    // Cleaned as the box cleans it, a text holds something to print when
    // anything is left besides its line breaks.
    const std::string clean = clean_box_text(cp932);
    return clean.find_first_not_of("\r\n") != std::string::npos;
}

ContentPrintResult print_content(PrintDevice& device, const ContentPrintJob& job, int* pages) {
    *pages = 0;
    // Nothing to print starts no document at all: an existing file stays.
    if (!content_has_print(job.text)) return ContentPrintResult::EMPTY;
    if (!device.begin()) return ContentPrintResult::DEVICE_FAILED;
    const int dpi = device.dpi_y();
    const TextBoxStyle style = style_for(job, dpi);
    const ContentPageGeometry g = content_page_geometry(device.width_px(), device.height_px(), dpi, job.settings,
                                                       style.font.pixel_height, job.vertical);
    const ContentPages content(job.text, g);
    if (content.count() == 0) {
        device.cancel();
        return ContentPrintResult::EMPTY;
    }
    const FontRequest number = number_font_for(style);
    for (std::size_t i = 0; i < content.count(); ++i) {
        if (i > 0 && !device.new_page()) {
            device.cancel();
            *pages = 0;
            return ContentPrintResult::DEVICE_FAILED;
        }
        content.draw(device.surface(), i, style, number);
        ++*pages;
    }
    return device.end() ? ContentPrintResult::PRINTED : ContentPrintResult::DEVICE_FAILED;
}

ContentPreview::ContentPreview(const ContentPrintJob& job, int page_width, int page_height, int dpi,
                               std::string paper_utf8)
    : width_(page_width),
      height_(page_height),
      vertical_(job.vertical),
      paper_(std::move(paper_utf8)),
      style_(style_for(job, dpi)),
      number_font_(number_font_for(style_)),
      pages_(job.text, content_page_geometry(page_width, page_height, dpi, job.settings, style_.font.pixel_height,
                                             job.vertical)) {}

void ContentPreview::paint(int sheet, Surface& image) {
    image.fill_rect({0, 0, width_, height_}, 0xFFFFFF);
    if (sheet >= 1 && static_cast<std::size_t>(sheet) <= pages_.count())
        pages_.draw(image, static_cast<std::size_t>(sheet - 1), style_, number_font_);
}

}  // namespace rix

// Printing of the record content box's text: the page settings kept while
// the program runs, the pages of a text (vertical columns from right to
// left, or horizontal lines), the page number "-- %d --", and one page
// drawn on any Surface (a printer, the preview's image, the recording
// surface of the tests) through the shared text box's drawing.
//
// Everything is in device pixels of the surface drawn on; margins are kept
// in hundredths of a millimetre and turned into pixels at the device's
// resolution, so that the text, its margins and the page number share one
// unit system.
//
// A page is a run of whole columns (lines): the box's layout for the text
// rectangle of the page, cut every `columns_per_page` columns. The table of
// page starts has no limit; an empty text has no page.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/preview_window.h"
#include "platform/printer.h"
#include "platform/surface.h"
#include "platform/text_box.h"
#include "platform/text_box_draw.h"
#include "platform/text_box_model.h"

namespace rix {

// Kept while the program runs, never stored.
struct DbPrintSettings {
    std::string device;             // printer name; "" = the default printer
    int margin_left = 1000;         // hundredths of a millimetre
    int margin_top = 1000;
    int margin_right = 1000;
    int margin_bottom = 1000;
};

// Hundredths of a millimetre -> twips (× 0.567, truncated): 1000 -> 567.
int hundredths_mm_to_twips(int hundredths);
// Hundredths of a millimetre -> pixels at `dpi` (truncated).
int hundredths_mm_to_pixels(int hundredths, int dpi);
// The preview's scale in thirtieths (k = result / 30): the height left for
// the page over the printable height, never below 1/30.
int preview_scale_thirtieths(int available_height, int printable_height);

struct ContentPageGeometry {
    SurfaceRect page;               // the printable area, from (0, 0)
    SurfaceRect text;               // inside the margins
    TextBoxGeometry cells;          // the text rectangle in cells of the print font
    int columns_per_page = 1;       // columns (vertical) or lines (horizontal) a page holds
};

// The geometry of a page of `width` × `height` pixels at `dpi` with the
// print font of `font_px` pixels (at the device).
ContentPageGeometry content_page_geometry(int width, int height, int dpi, const DbPrintSettings& settings,
                                          int font_px, bool vertical);

// The text laid out for printing: the model and where each page starts.
class ContentPages {
public:
    ContentPages(std::string_view cp932, const ContentPageGeometry& geometry);
    std::size_t count() const { return first_columns_.size(); }
    // The first column (line) of page `index` (0-based).
    int first_column(std::size_t index) const { return first_columns_[index]; }
    const TextBoxModel& model() const { return model_; }
    const ContentPageGeometry& geometry() const { return geometry_; }
    // Draws page `index` (0-based) with its number `index + 1`. `style`
    // holds the print font as a FontRequest (vertical for vertical text);
    // `number_font` the page number's font (horizontal).
    void draw(Surface& surface, std::size_t index, const TextBoxStyle& style, const FontRequest& number_font) const;

private:
    TextBoxModel model_;
    ContentPageGeometry geometry_;
    std::vector<int> first_columns_;
};

// The page number's text: "-- %d --".
std::string content_page_number_text(int number);
// Where the page number stands (its box's top left): with vertical text
// centred across the page above the text rectangle, in the middle of the
// top margin; with horizontal text in the middle of the left margin and
// centred down the page.
SurfaceRect content_page_number_box(const ContentPageGeometry& g, int label_width, int label_height, bool vertical);

// The print font at a device: the stored height is in pixels of a
// 100-dpi screen (as the box's point size is taken from it), so at `dpi`
// it is |height| × dpi / 100 pixels; 0 (unset) means 16.
FontRequest content_print_font(std::int16_t height, std::int16_t weight, bool italic, std::string_view face,
                               bool vertical, int dpi);

enum class ContentPrintResult : std::uint8_t {
    PRINTED,
    EMPTY,           // nothing to print: no page was started
    DEVICE_FAILED,   // the device refused to start, take a page or finish
};

struct ContentPrintJob {
    std::string text;               // code page 932
    bool vertical = true;
    std::int16_t font_height = 0;   // the stored print font
    std::int16_t font_weight = 400;
    bool font_italic = false;
    std::string font_face;          // code page 932, "@" allowed
    int spacing = 2;                // content line spacing 0..4
    DbPrintSettings settings;
};

// Whether a content has anything to print: not when it is empty or holds
// line breaks alone. Needs no device, so that an output is never opened for
// a content that prints nothing.
bool content_has_print(std::string_view cp932);

// Prints every page of the job on `device`; *pages receives the count. An
// empty content (content_has_print) starts no document; a failed page ends
// the document by cancel, so that a PDF file is left as it was.
ContentPrintResult print_content(PrintDevice& device, const ContentPrintJob& job, int* pages);

// The preview's source: the pages of a job at a device's size, shown one
// sheet per page.
class ContentPreview final : public PreviewSource {
public:
    ContentPreview(const ContentPrintJob& job, int page_width, int page_height, int dpi, std::string paper_utf8);
    int first_sheet() const override { return 1; }
    int last_sheet() const override { return pages_.count() > 0 ? static_cast<int>(pages_.count()) : 1; }
    int start_sheet() const override { return 1; }
    int page_width() const override { return width_; }
    int page_height() const override { return height_; }
    bool vertical() const override { return vertical_; }
    std::string paper_text() const override { return paper_; }
    void paint(int sheet, Surface& image) override;
    std::size_t page_count() const { return pages_.count(); }

private:
    int width_, height_;
    bool vertical_;
    std::string paper_;
    TextBoxStyle style_;
    FontRequest number_font_;
    ContentPages pages_;
};

}  // namespace rix

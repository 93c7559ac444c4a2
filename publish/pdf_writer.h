// The PDF writer: the pages of a print job as a PDF 1.3 file, laid out as
// the printed page of the print format is (grid, vertical or horizontal
// writing, half-width runs, ruby, page numbers and titles, 袋とじ, page
// breaks at index entries), with an outline from the structure index.
//
// Text is not converted: the code page 932 bytes of the document are shown
// through the predefined CMaps 90ms-RKSJ-V / 90ms-RKSJ-H with CID-keyed
// TrueType fonts named after the print font's family; no font is embedded.
//
// Objects (fixed numbers; see publish/pdf_file.h for the serializer):
//   1 Info (UTF-16BE hex strings)     2 Catalog
//   3 F1  4 CIDFont  5 FontDescriptor (text font, V or H)
//   6 F2  (half-width, H, over 4)     7 F3  8 CIDFont ",Bold" (bold lines)
//   9 F4  (half-width bold, H)        10 F5 11 CIDFont 12 FontDescriptor (header font)
//   13 F6 (header half-width, H)      14 Resources
//   15 the background and grid stream every page shows
//   16 the background image, or a dummy holding null
//   17 Pages                          18 + 2i page i, 19 + 2i its text stream
//   then the outline objects when there are index entries and the option asks.
//
// Coordinates: the layout runs in device pixels of a 600 dpi page (the print
// geometry); the PDF page is the paper itself, one device pixel being 72/dpi
// of a PDF unit. The same walk of display lines as the screen and printing
// (display/layout_walk.h) places every cell, so a PDF page breaks where the
// printed page does.
//
// Nothing here touches files or windows: build_pdf returns the file image;
// the application writes it (app/print/pdf_run.h).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "publish/page_layout.h"

namespace rix {

// The document information of PDF_DB (code page 932, at most 49 bytes each).
struct PdfInfo {
    std::string title;
    std::string subtitle;
    std::string author;
};

struct PdfOptions {
    bool open_viewer = false;        // pdf_options bit 0
    bool compress = false;           // bit 1: content streams deflated
    bool outline = false;            // pdf_outline_options bit 0
    bool outline_title = false;      // bit 1: one top item named after the title
    bool outline_open = false;       // bit 2: the reader opens the outline pane
    static PdfOptions from_bytes(std::uint8_t pdf_options, std::uint8_t outline_options);
};

// An 8-bit RGB picture, top row first, 3 bytes a pixel.
struct RgbImage {
    int width = 0, height = 0;
    std::string pixels;              // width × height × 3 bytes
    bool valid() const {
        return width > 0 && height > 0 && pixels.size() == static_cast<std::size_t>(width) * height * 3;
    }
};

enum : int { PDF_BACKGROUND_NONE = -1, PDF_BACKGROUND_FILL = 0, PDF_BACKGROUND_TILE = 1, PDF_BACKGROUND_STRETCH = 2 };

struct PdfBackground {
    int mode = PDF_BACKGROUND_NONE;  // PDF_BACKGROUND_*; NONE when print_background is off
    std::uint32_t fill_colour = 0xFFFFFF;   // COLORREF of mode FILL
    RgbImage image;                  // modes TILE and STRETCH; an invalid image draws nothing
    int reference_width = 0;         // tiles keep image width / reference width of the page; 0 = 1:1
};

struct PdfTime {
    int year = 2000, month = 1, day = 1, hour = 0, minute = 0, second = 0;   // local time of writing
};

struct PdfRequest {
    PdfInfo info;
    PdfOptions options;
    HeaderTitles titles;             // the page header's titles
    bool line_format_colours = false;// 行書式の文字色有効: a line's own colour replaces the text colour
    PdfBackground background;
    PdfTime time;
    std::vector<IndexEntry> index;   // the structure index (for the outline)
};

enum class PdfStatus : std::uint8_t {
    OK,
    TOO_LARGE,                       // the file would pass PDF_SIZE_LIMIT
};

struct PdfReport {
    int pages = 0;                   // PDF pages (sheets)
    int halves = 0;                  // numbered pages (halves) written
    int outline_items = 0;           // outline items (title item included)
    std::vector<std::string> notices;// compression failures (each stream then went plain); UTF-8
};

// Builds the PDF of the job into *file. The document is fully loaded and
// wraps by the layout's rules (PrintScope). Stops with TOO_LARGE (and an
// empty *file) when the image would pass PDF_SIZE_LIMIT.
PdfStatus build_pdf(Document& doc, const PrintLayout& layout, const PrintJob& job, const PdfRequest& request,
                    std::string* file, PdfReport* report);

// ---- the layout of the text, exposed for the tests ----

// What a content stream has set last, so that only changes are written.
struct PdfPen {
    int font = 0;                    // 1..6: /F<n> last set; 0 = none
    double size = -1;                // its size
    double spacing = 0;              // Tc
    std::uint32_t colour = 0xFFFFFFFF;   // last fill colour; 0xFFFFFFFF = none yet
};

// The state carried from run to run within one page stream.
struct PdfTextState {
    PdfPen pen;                      // of the page's text
    bool bold = false;               // the current logical line is bold
    std::uint32_t line_colour = 0;   // its text colour
    std::uint32_t logical = 0xFFFFFFFF;  // the logical line whose attributes are loaded
};

// One tier of `lines` display lines from `start`, screen lines of the tier
// `tier` of the half whose geometry is `geo`, appended to *out as text
// operators. Rubies are collected into *rubies (written after the page's
// text). Returns the position after the tier: the start of the next.
TextPos emit_tier_text(Document& doc, const PrintLayout& layout, const DisplayGeometry& geo, int tier, TextPos start,
                       int lines, bool line_format_colours, PdfTextState* state, std::string* out,
                       std::string* rubies);

}  // namespace rix

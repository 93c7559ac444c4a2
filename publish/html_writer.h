// The HTML writer: the pages of ＨＴＭＬ(ﾎｰﾑﾍﾟｰｼﾞ)作成 and of the mail command.
//
//   the static vertical page   a style sheet that sets vertical writing with
//                              the sizes, colours and margins of the active
//                              screen format, the text with ruby markup (LF)
//   the viewer page            the viewer applet "rix.class" with the
//                              document's (or the list file's) name and the
//                              screen format's geometry as parameters (CR LF)
//   the vertical template      "縦書ひな形.htm": the static page's style with
//                              the lines' bold and colour attributes (CR LF)
//
// Everything is made in memory as code page 932 bytes: the document's own
// bytes go through unchanged (no conversion), and every page declares
// Shift_JIS right after <head>. Text is escaped (& < > in text, & " < in
// attribute values); numbers are written without the locale. Nothing here
// touches files, windows or the settings record: the application fills the
// two plain structs below (app/publish/html_run.h) and writes the bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "document/document.h"

namespace rix {

// What the pages take from the active screen format (geometry in pixels).
struct HtmlScreen {
    bool vertical = true;
    int font_w = 0;                  // font width; 0 = unknown (no division by it)
    int char_pitch = 0;              // distance of successive cells along a column
    int line_pitch = 0;              // distance of successive columns (lines)
    int start_origin = 0;            // margin on the line-start side
    int top_origin = 0;              // margin at the top
    int client_w = 0, client_h = 0;  // the edit window's size; 0 = unknown
    int columns = 0;                 // columns (lines) per tier
    int chars = 0;                   // characters per column
    int tiers = 1;
    int tier_pitch = 0;              // distance from one tier to the next
    int cell_size = 0;               // side of a grid cell
    int grid_style = 0;              // 0 none, 1 縦線, 2 重線, 3 桝目
    int cell_offset = 0;             // 桝目位置補正, -10..10
    std::uint32_t text_colour = 0;           // COLORREF 0x00BBGGRR
    std::uint32_t fill_colour = 0xFFFFFF;
    std::uint32_t grid_colour = 0x808080;
    int background_mode = 0;         // 0 fill, 1 tiled image, 2 full image
    std::string background_image;    // code page 932 file name of the image the mode uses; "" = none
    std::string font_face;           // code page 932 face name of the screen font ("@" kept)
    int font_weight = 400;           // 100..900; above 500 is bold
    std::string line_start_prohibited;   // code page 932 characters
    std::string line_end_prohibited;
};

// The HTML options of the settings record.
struct HtmlOptions {
    int font = 0;                    // 0 明朝, 1 ゴシック
    bool bold = false;
    bool next_guide = false;         // the viewer's page guides
    bool prev_guide = false;
    bool back_button = false;        // [戻 る] under the viewer
    int ruby_separators = 0;         // 0 none, 1 （）, 2 〈〉, 3 《》, 4 custom
    std::string custom_separators;   // code page 932, two double-byte characters
    int help_lines = 0;              // bit 0 page turning, bit 1 list, bit 2 help
    int help_size = 0;               // 0..2
    int help_colour = 0;             // palette index 0..15 (COLOUR_NAMES)
    int guide_colour = 0;            // palette index 0..15
    bool percent_size = false;       // the viewer sized in per cent of the browser window
    int height_percent = 100;        // 10..100
    int width_percent = 100;
};

struct HtmlDate {
    int year = 0, month = 0, day = 0;
};

// The palette's colour names for HTML, in palette order (BASIC_PALETTE).
extern const char* const COLOUR_NAMES[16];

constexpr int HTML_MAX_INDENT = 14;      // ideographic spaces at most before a line
constexpr int HTML_BOLD_WEIGHT_ABOVE = 500;

// ---- pieces, exposed for the tests ----

// The font size class of a screen font `font_w` pixels wide: 0..4 for
// x-small .. x-large; (w - 10) / 4 for 10..29, else 4.
int html_size_class(int font_w);
// "x-small" .. "x-large" of a class (out of range: "x-large").
const char* html_size_name(int size_class);
// A COLORREF 0x00BBGGRR as "RRGGBB".
std::string rgb_hex(std::uint32_t colorref);
// "<!--- YYYY.MM.DD「ミルトアver.7.11」により作成 --->" + line end (code page 932).
std::string html_generation_comment(const HtmlDate& date, std::string_view line_end);
// The 4-byte separator pair of html_ruby_separators (code page 932); "" for 0.
std::string html_ruby_separator_pair(const HtmlOptions& options);

struct HtmlCounts {
    std::uint32_t lines = 0;         // logical lines written
    std::uint32_t rubies = 0;        // ruby elements written
};

// ---- the pages ----

// The static vertical page of the whole (fully loaded) document. `title`
// (code page 932) heads the page when it is not empty. LF line ends.
std::string vertical_html_page(Document& doc, const HtmlScreen& screen, const HtmlOptions& options,
                               std::string_view title, const HtmlDate& date, HtmlCounts* counts = nullptr);

// The viewer page. `mode`: 0 one document, n >= 1 a list page starting at
// document n, -1 a list page starting with the selection list. `text_name`
// (code page 932): the document's or the list file's name. CR LF line ends.
std::string applet_html_page(const HtmlScreen& screen, const HtmlOptions& options, int mode,
                             std::string_view text_name, std::string_view title, const HtmlDate& date);

// "縦書ひな形.htm" of the whole (fully loaded) document. CR LF line ends.
std::string template_html_page(Document& doc, const HtmlScreen& screen, const HtmlDate& date,
                               HtmlCounts* counts = nullptr);

}  // namespace rix

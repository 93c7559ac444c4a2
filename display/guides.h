// Guides: where the cursor is and how large the document is, in the units
// of manuscript paper (頁 page, 列 column = display line, 行 line = logical
// line, 字 character), for the title bar, the guide boxes at the left of the
// edit window and the position bar over its top margin.
//
// Everything here is a pure function of plain values, or draws on a Surface;
// the application decides when (app/guides). Texts are code page 932 bytes.
//
// Design rules:
// - Nothing here reads the settings record or a window: the caller hands in
//   the values of the shown format.
// - Drawing a guide box or the bar paints all of it (background included),
//   so a box drawn after any redraw of the screen is whole.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "document/document.h"
#include "platform/surface.h"

namespace rix {

// ---- numbers ----

// Ten 20-byte buffers used in turn, so that up to ten numbers formatted by
// format_count can stand in one message. A returned pointer is valid until
// the ring has been used ten more times.
struct CountRing {
    std::array<std::array<char, 20>, 10> buffers{};
    int next = 0;                        // the buffer the next call writes; wraps after ten
};
// n with thousands separators: "999", "1,000", "999,999", "1,000,000".
const char* format_count(CountRing& ring, std::uint64_t n);
// The same as a string, whatever its size: group_thousands (platform/text_tools.h).

// Full-width digits of n ("１２"), code page 932.
std::string fullwidth_digits(int n);

// ---- the cursor's position ----

struct GuidePosition {
    std::uint64_t page = 0;              // 0-based
    std::uint64_t column = 0;            // 0-based; within the page when numbered per page
    std::uint32_t line = 0;              // logical line, 0-based
    std::uint32_t character = 1;         // 1-based: byte offset / 2 + 1
};
// display_line: the cursor's display line from the document's start;
// page_cols 0 reads as 1; per_page: column_numbering 1 (頁単位).
GuidePosition guide_position(DisplayLineNo display_line, int page_cols, bool per_page, TextPos cursor);

// ---- counts of the text ----

struct TextCounts {
    std::uint64_t full = 0;              // F: full-width characters
    std::uint64_t half = 0;              // Hc: half-width characters
    std::uint64_t lines = 0;             // N: line breaks, plus a last line with text and no break
    std::uint64_t empty_lines = 0;       // E: line breaks at the very start of a logical line
    bool ends_after_break = false;       // Z: the text ends right after a line break
    std::uint64_t characters() const { return full + half; }
    // B = 2F + Hc + 2N + 2Z − 1; an empty text gives 0, never a negative size.
    std::uint64_t bytes() const;
};
// Counts the loaded text in [from, to); `to` past the loaded lines means to
// the end of the text.
TextCounts count_text(const Document& doc, TextPos from, TextPos to);

// The capacity the guides show: the counts of the text and the pages of the
// print format they were counted in.
struct Capacity {
    bool known = false;                  // false: not counted yet (nothing shown)
    std::uint64_t pages = 0;
    int print_format = 1;                // 1..3
    TextCounts text;
};

// "%5d" up to 99999, else "%4dk" with n / 1000.
std::string five_or_kilo(std::uint64_t n);

// ---- the title bar ----

// The input-method state as the window can tell it.
struct ImeState {
    bool known = false;                  // false: the platform cannot tell (the part stays blank)
    bool open = false;
    int conversion = 0;                  // conversion mode; its low four bits choose the indicator
};
// "「%s」" with the two-byte indicator of the state; "" when not known. A
// conversion index past the list shows a blank.
std::string ime_mode_part(const ImeState& ime);

// A space and the file name (no folder) cut to at most 30 bytes on a
// character boundary.
std::string title_name_part(std::string_view path);
// "［書式%s　頁：%s　列：%s　行：%s　字：%s］"; while the page count is stale
// "書式 %d ［ 計数中］  行:%d 字:%d".
std::string title_position_part(CountRing& ring, int format_number, const GuidePosition& p, bool stale);
// "［文書容量　頁：%s（書式%s） 行：%s　字：%s］"
std::string title_capacity_part(CountRing& ring, const Capacity& c);

struct TitleParts {
    std::string name;                    // title_name_part
    std::string position;                // title_position_part
    std::string capacity;                // title_capacity_part
    std::string ime;                     // ime_mode_part
    std::string char_code;               // char_code_part; "" = off
};
// The title: name, then (title-bar mode only) the position unless content
// is 1 and the capacity unless content is 0, 上書, 変更, a separating "　",
// the input-method part and the character code.
std::string compose_title(const TitleParts& parts, bool in_title_bar, int content, bool overwrite,
                          bool modified);
// " [J半 %04X]" or " [J全 %04X]" for the character at `pos`; "" at a line
// end, a block or past the text.
std::string char_code_part(const Document& doc, TextPos pos);

// ---- the guide boxes ----

enum : int { GUIDE_PLACE_TITLE = 0, GUIDE_PLACE_SMALL = 1, GUIDE_PLACE_MEDIUM = 2, GUIDE_PLACE_LARGE = 3 };

// Where the boxes of one size stand on the edit surface, in pixels.
struct GuideBoxLayout {
    int font_px = 0;                     // 9, 11 or 14 points at 96 dpi
    SurfaceRect position;                // the position box
    SurfaceRect capacity;                // the capacity box, below it
};
// The layout of place 1..3; place 0 (the title bar) gives empty boxes.
GuideBoxLayout guide_box_layout(int place);
// The width the boxes take from the text (guide_px of the geometry).
int guide_box_width(int place);

// The fields of a box, top to bottom: a caption row, then label and value
// rows. Values are what the box shows ("" = an empty field).
struct GuideBoxFields {
    std::vector<std::string> rows;
    bool operator==(const GuideBoxFields&) const = default;
};
// 書式N, 頁, page, 列, column, 行, line, 字, character, 上書, 変更. While the
// page count is stale, page and column are five spaces.
GuideBoxFields position_box_fields(int format_number, const GuidePosition& p, bool stale, bool overwrite,
                                   bool modified);
// 書式N (print format), 頁数, pages, 行数, N, 字数, characters, ﾊﾞｲﾄ, bytes.
GuideBoxFields capacity_box_fields(const Capacity& c);

// Paints one box (background, frame, its rows) in font slot FONT_GUIDE.
// Given what the box shows now (`shown`, drawn by this function with the
// same box and font), only the cells that differ are painted again: a typed
// character changes a digit or two of the position, not the box.
void draw_guide_box(Surface& surface, const SurfaceRect& box, int font_px, const GuideBoxFields& fields,
                    std::uint32_t text_colour, const GuideBoxFields* shown = nullptr);

// ---- the position bar ----

struct PositionBar {
    bool shown = false;                  // false: the window is too narrow for it
    int x0 = 0, y = 7, length = 0;       // the bar: (x0, y) to (x0 + length, y)
    int tick_x = 0;                      // where the tick stands
    int tick = 4;                        // the tick's half height
    SurfaceRect area;                    // what is cleared before drawing
};
// The bar over the top margin of a surface `width` pixels wide, for the
// cursor's display line `cursor` of `last` (the last display line of the
// text). A text of one display line puts the tick at the start.
PositionBar position_bar(int width, std::uint64_t cursor, std::uint64_t last, bool vertical);
// Clears the bar's area from the same area of the blank page (null: left as
// it is) and draws the bar and its tick.
void draw_position_bar(Surface& surface, const Surface* blank_page, const PositionBar& bar,
                       std::uint32_t colour);

}  // namespace rix

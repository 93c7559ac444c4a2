// Print formats: the paper counterpart of a screen format, as plain values
// the application takes out of the settings record (app/print_format_view),
// and the checks every output runs before it composes a page: the sixteen
// numbers of the print settings with their ranges and messages, and the
// agreement of the writing direction with the print font.
//
// Nothing here reads the settings record or draws. The dialog, printing,
// the preview, the PDF writer and the EPUB writer all call
// check_print_format before any composition, so that a damaged record (zero
// columns, a fold longer than the column) never reaches the layout.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "display/screen_format.h"
#include "document/wrap.h"
#include "platform/fonts.h"

namespace rix {

constexpr int PRINT_SLOT_FIRST = 5;            // print formats 1..3 are format slots 5..7
constexpr int DEFAULT_PRINT_FONT_TENTHS = 105; // 10.5 points: a print or header size of 0
constexpr int MAX_PRINT_COLUMNS = 100;
constexpr int MAX_PRINT_CHARS = 100;

// print_flags bits.
enum : std::uint8_t {
    PRINT_PAGE_NUMBERS = 0x01,       // 頁数印刷あり
    PRINT_TITLE_MASK = 0x06,         // title mode << 1: 0 none, 1 document title, 2 print title
    PRINT_NUMBER_AFTER_TITLE = 0x08, // 頁数は表題の後
    PRINT_NUMBER_BRACKETS = 0x10,    // 括弧付
    PRINT_SWAP_ON_SECOND = 0x20,     // 袋綴じ時位置反転
};

constexpr int RANGE_ALL = 0, RANGE_LINES = 1, RANGE_PAGES = 2;

// The range fields of the record (one for all print formats).
struct PrintRange {
    int mode = RANGE_ALL;            // RANGE_*
    int start = 1;                   // first line or sheet, 1..65535
    int end = 65535;                 // last line or sheet
    int first_page_number = 0;       // 0: pages carry their real number; 1..999
};

struct PrintFormat {
    ScreenFormat screen;             // the fields the geometry needs (print = true)
    int grid_style = 0;              // 0 none, 1 rules, 2 double rules, 3 cells
    std::uint32_t text_colour = 0;   // COLORREF (from the palette index)
    std::uint32_t grid_colour = 0;
    std::uint32_t header_colour = 0;
    FontDescription font;            // the print text font record
    FontDescription header_font;     // height 0: the text font is used
    int print_font_size = 0;         // tenths of a point; 0 = not chosen
    int header_font_size = 0;        // tenths of a point; 0 = the print size
    std::uint8_t paper = 0;          // bits 0..6 paper code (0 = the printer's default), bit 7 landscape
    std::uint8_t flags = 0;          // PRINT_* bits
    bool wrap_enabled = false;
    int wrap_chars = 0;              // 折返し文字数
    int fukuro_offset_permille = 0;
    int header_offset_v_permille = 0;
    int header_offset_h_permille = 0;
    bool position_adjust = false;
    int adjust_column_interval = 1;
    int adjust_column_offset = 0;    // signed device pixels
    int adjust_char_offset = 0;
    std::uint8_t index_flags = 0;    // bit 0 page breaks at index entries, bit 1 index title
    bool print_background = false;
    int page_number_position = 0;    // position codes 0..7
    int title_position = 0;
    // Copied from the active screen format for the run.
    int halfwidth_display = 0;
    WrapRules rules;                 // kinsoku of the screen format; the width is the print format's

    int halves() const { return screen.two_pages_per_sheet ? 2 : 1; }
    int title_mode() const { return (flags & PRINT_TITLE_MASK) >> 1; }
    bool vertical_font() const { return is_vertical_face(font.face); }
};

// ---- the sixteen numbers of the print settings (edits 2000 + n) ----

constexpr int PRINT_NUMBER_COUNT = 16;
constexpr int PN_START = 0, PN_END = 1, PN_FIRST_PAGE = 2, PN_COLUMNS = 3, PN_CHARS = 4, PN_TIERS = 5,
              PN_TIER_GAP = 6, PN_CELL_WIDTH = 7, PN_CELL_OFFSET = 8, PN_WRAP = 9, PN_FUKURO_OFFSET = 10,
              PN_ADJUST_INTERVAL = 11, PN_ADJUST_COLUMN = 12, PN_ADJUST_CHAR = 13, PN_HEADER_V = 14,
              PN_HEADER_H = 15;

struct PrintNumberRange {
    const char* name;                // UTF-8, as the message names it
    int min, max;                    // PN_WRAP's max is the fold bound of the check
};
extern const PrintNumberRange PRINT_NUMBER_RANGES[PRINT_NUMBER_COUNT];

using PrintNumbers = std::array<int, PRINT_NUMBER_COUNT>;

enum class PrintCheckResult : std::uint8_t {
    OK,
    OUT_OF_RANGE,       // field `field` lies outside [min, max]
    START_AFTER_END,    // 印刷開始 > 印刷終了
    FONT_DIRECTION,     // the print font's "@" disagrees with the writing direction
};

struct PrintCheck {
    PrintCheckResult result = PrintCheckResult::OK;
    int field = -1;                  // OUT_OF_RANGE: PN_*
    int min = 0, max = 0;            // its bounds
    bool ok() const { return result == PrintCheckResult::OK; }
};

// Checks the numbers in the table's order: the first field outside its range
// (the fold length exempt while folding is off, the adjustment interval while
// adjustment is off), then start <= end, whatever the range mode. The fold
// length may not exceed the smaller of `fold_bound` (characters per column
// when the settings were filled) and the characters per column given now.
PrintCheck check_print_numbers(const PrintNumbers& n, bool wrap_on, bool adjust_on, int fold_bound);
// The numbers a stored format and range hold, in the table's order.
PrintNumbers print_numbers_of(const PrintFormat& f, const PrintRange& range);
// Everything composition relies on: the stored numbers (fold bound = the
// format's own characters per column), then the font's direction.
PrintCheck check_print_format(const PrintFormat& f, const PrintRange& range);
// The message of a failed check, code page 932 ("" for OK).
std::string print_check_message(const PrintCheck& check);
// How long the message stays (ms): 4 s for the font direction, else 0 (a
// notice the user closes).
unsigned print_check_message_ms(const PrintCheck& check);

// ---- fonts at the device ----

// Pixel height of a size in tenths of a point at `dpi`; a size of 0 is
// DEFAULT_PRINT_FONT_TENTHS. At least 1.
int print_font_pixels(int tenths, int dpi);
// The request of the print text font (or of the header font, which falls
// back to the text font when its record height or size is 0) at `dpi`.
FontRequest print_text_font(const PrintFormat& f, int dpi);
FontRequest print_header_font(const PrintFormat& f, int dpi);
bool header_font_vertical(const PrintFormat& f);

// ---- header positions ----

// Position codes 4 and 7 (middle) need a vertical header font, 5 and 6
// (centre) a horizontal one: a code that does not fit is mapped onto its
// counterpart (6 <-> 7, 5 <-> 4).
int fit_position_code(int code, bool vertical_header);

// ---- paper ----

struct PaperSize {
    int width_mm = 0, height_mm = 0;  // portrait
    const char* name = nullptr;       // UTF-8 name of the preview's paper line; null = none
};
// The size of a stored paper code (bits 0..6); an unknown code (0 included)
// gives A4, the default of a printer that was never set up.
PaperSize paper_size(std::uint8_t code);
bool paper_landscape(std::uint8_t code);
// The code stored for a printer's paper number and orientation: numbers
// outside 1..127 do not fit the seven bits and are stored as 0 (the
// printer's default), keeping the orientation bit.
std::uint8_t stored_paper_code(int paper_number, bool landscape);

}  // namespace rix

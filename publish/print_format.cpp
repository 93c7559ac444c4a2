// Print formats: the checks before composition, fonts at the device, header
// position codes and the paper table.
#include "publish/print_format.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "platform/codec.h"

namespace rix {

const PrintNumberRange PRINT_NUMBER_RANGES[PRINT_NUMBER_COUNT] = {
    {"印刷開始", 1, 65535},        {"印刷終了", 1, 65535},          {"先頭の頁数", 0, 999},
    {"１頁の列数", 5, 100},         {"１列の文字数", 5, 100},        {"段 組 数", 1, 4},
    {"段間桁数", 0, 3},             {"桝目幅 [%]", 10, 100},        {"桝目位置補正 [%]", -10, 10},
    {"折返し文字数", 5, 100},       {"袋綴じ位置補正", 0, 20},       {"位置補整列間隔", 1, 100},
    {"位置補整列位置", -99, 99},    {"位置補整桁位置", -99, 99},     {"縦位置余白割合[‰]", 0, 90},
    {"横位置余白割合[‰]", 0, 90},
};

PrintCheck check_print_numbers(const PrintNumbers& n, bool wrap_on, bool adjust_on, int fold_bound) {
    PrintCheck check;
    for (int i = 0; i < PRINT_NUMBER_COUNT; ++i) {
        if ((i == PN_WRAP && !wrap_on) || (i == PN_ADJUST_INTERVAL && !adjust_on)) continue;
        int lo = PRINT_NUMBER_RANGES[i].min, hi = PRINT_NUMBER_RANGES[i].max;
        if (i == PN_WRAP) hi = std::min(fold_bound, n[PN_CHARS]);
        const int v = n[static_cast<std::size_t>(i)];
        if (v < lo || v > hi) {
            check.result = PrintCheckResult::OUT_OF_RANGE;
            check.field = i;
            check.min = lo;
            check.max = hi;
            return check;
        }
    }
    if (n[PN_START] > n[PN_END]) check.result = PrintCheckResult::START_AFTER_END;
    return check;
}

PrintNumbers print_numbers_of(const PrintFormat& f, const PrintRange& range) {
    const ScreenFormat& s = f.screen;
    return {range.start,          range.end,
            range.first_page_number, s.columns_per_page,
            s.chars_per_column,   s.tier_count,
            s.tier_gap,           s.cell_width_percent,
            s.cell_offset_percent, f.wrap_chars,
            f.fukuro_offset_permille, f.adjust_column_interval,
            f.adjust_column_offset, f.adjust_char_offset,
            f.header_offset_v_permille, f.header_offset_h_permille};
}

PrintCheck check_print_format(const PrintFormat& f, const PrintRange& range) {
    PrintCheck check = check_print_numbers(print_numbers_of(f, range), f.wrap_enabled, f.position_adjust,
                                           f.screen.chars_per_column);
    if (check.ok() && f.vertical_font() != f.screen.vertical) check.result = PrintCheckResult::FONT_DIRECTION;
    return check;
}

std::string print_check_message(const PrintCheck& check) {
    char buf[200];
    switch (check.result) {
        case PrintCheckResult::OK: return {};
        case PrintCheckResult::OUT_OF_RANGE:
            std::snprintf(buf, sizeof buf, "%sの数値範囲は\n%d から %d までです。",
                          PRINT_NUMBER_RANGES[std::clamp(check.field, 0, PRINT_NUMBER_COUNT - 1)].name, check.min,
                          check.max);
            return utf8_to_sjis(buf);
        case PrintCheckResult::START_AFTER_END:
            return utf8_to_sjis("印刷開始は印刷終了より\n大きくてはいけません。");
        case PrintCheckResult::FONT_DIRECTION:
            return utf8_to_sjis(
                "縦／横形式指定と\n現在の印刷フォントが違っています\nフォントタイプ（フォント名先頭の＠有無）か、\n"
                "縦／横書式指定の再設定が必要です。");
    }
    return {};
}

unsigned print_check_message_ms(const PrintCheck& check) {
    return check.result == PrintCheckResult::FONT_DIRECTION ? 4000 : 0;
}

int print_font_pixels(int tenths, int dpi) {
    if (tenths <= 0) tenths = DEFAULT_PRINT_FONT_TENTHS;
    return std::max(tenths * std::max(dpi, 1) / 720, 1);
}

namespace {

// The request of a record scaled so that its height is `tenths`/10 points
// at `dpi`; the width keeps its proportion to the height (0 stays 0).
FontRequest scaled_request(const FontDescription& font, int tenths, int dpi) {
    const int px = print_font_pixels(tenths, dpi);
    const int h = std::abs(static_cast<int>(font.height));
    const int w = std::abs(static_cast<int>(font.width));
    FontRequest r = font_request_from_fields(static_cast<std::int16_t>(px), 0, font.weight, font.italic != 0, font.face);
    r.pixel_height = px;
    r.pixel_width = h > 0 && w > 0 ? std::max(w * px / h, 1) : 0;
    return r;
}

bool header_uses_text_font(const PrintFormat& f) { return f.header_font.height == 0 || f.header_font_size == 0; }

}  // namespace

FontRequest print_text_font(const PrintFormat& f, int dpi) { return scaled_request(f.font, f.print_font_size, dpi); }

FontRequest print_header_font(const PrintFormat& f, int dpi) {
    if (header_uses_text_font(f)) return scaled_request(f.font, f.print_font_size, dpi);
    return scaled_request(f.header_font, f.header_font_size, dpi);
}

bool header_font_vertical(const PrintFormat& f) {
    return is_vertical_face(header_uses_text_font(f) ? f.font.face : f.header_font.face);
}

int fit_position_code(int code, bool vertical_header) {
    code &= 7;
    if (vertical_header) {
        if (code == 6) return 7;
        if (code == 5) return 4;
    } else {
        if (code == 7) return 6;
        if (code == 4) return 5;
    }
    return code;
}

PaperSize paper_size(std::uint8_t code) {
    switch (code & 0x7F) {
        case 1: return {216, 279, nullptr};        // Letter
        case 5: return {216, 356, nullptr};        // Legal
        case 8: return {297, 420, "Ａ３"};
        case 9: return {210, 297, "Ａ４"};
        case 10: return {210, 297, "Ａ４ｓ"};
        case 11: return {148, 210, "Ａ５"};
        case 12: return {257, 364, "Ｂ４"};        // JIS B4
        case 13: return {182, 257, "Ｂ５"};        // JIS B5
        default: return {210, 297, nullptr};
    }
}

bool paper_landscape(std::uint8_t code) { return (code & 0x80) != 0; }

std::uint8_t stored_paper_code(int paper_number, bool landscape) {
    const int size = paper_number >= 1 && paper_number <= 127 ? paper_number : 0;
    return static_cast<std::uint8_t>(size | (landscape ? 0x80 : 0));
}

}  // namespace rix

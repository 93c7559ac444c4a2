// Print formats: the checks before composition, fonts at the device, header
// position codes and paper codes.
// Owed: the dialog's store of the checked numbers (tests/app).
#include "publish/print_format.h"

#include <gtest/gtest.h>

#include "platform/codec.h"

namespace rix {
namespace {

PrintNumbers valid_numbers() {
    return {1, 10, 0, 20, 20, 1, 0, 20, 0, 20, 0, 1, 0, 0, 40, 50};
}

std::string utf8(const std::string& sjis) { return sjis_to_utf8(sjis); }

TEST(PrintNumbers, TheFirstFieldOutOfRangeIsReportedWithItsNameAndBounds) {
    PrintNumbers n = valid_numbers();
    EXPECT_TRUE(check_print_numbers(n, true, true, 20).ok());
    n[PN_TIERS] = 0;
    n[PN_HEADER_H] = 91;   // later in the table: not reached
    PrintCheck c = check_print_numbers(n, true, true, 20);
    EXPECT_EQ(c.result, PrintCheckResult::OUT_OF_RANGE);
    EXPECT_EQ(c.field, PN_TIERS);
    EXPECT_EQ(utf8(print_check_message(c)), "段 組 数の数値範囲は\n1 から 4 までです。");
    n[PN_TIERS] = 2;
    c = check_print_numbers(n, true, true, 20);
    EXPECT_EQ(c.field, PN_HEADER_H);
    EXPECT_EQ(utf8(print_check_message(c)), "横位置余白割合[‰]の数値範囲は\n0 から 90 までです。");
    n[PN_HEADER_H] = 0;
    n[PN_CELL_OFFSET] = -11;
    c = check_print_numbers(n, true, true, 20);
    EXPECT_EQ(utf8(print_check_message(c)), "桝目位置補正 [%]の数値範囲は\n-10 から 10 までです。");
}

TEST(PrintNumbers, FoldAndAdjustmentAreExemptWhileOff) {
    PrintNumbers n = valid_numbers();
    n[PN_WRAP] = 300;
    n[PN_ADJUST_INTERVAL] = 0;
    EXPECT_TRUE(check_print_numbers(n, false, false, 20).ok());
    EXPECT_EQ(check_print_numbers(n, true, false, 20).field, PN_WRAP);
    n[PN_WRAP] = 10;
    EXPECT_EQ(check_print_numbers(n, true, true, 20).field, PN_ADJUST_INTERVAL);
}

TEST(PrintNumbers, TheFoldBoundIsTheSmallerOfTheFilledAndTheNewCharacters) {
    PrintNumbers n = valid_numbers();
    n[PN_CHARS] = 30;
    n[PN_WRAP] = 25;
    // Raised characters per column do not raise the bound read at fill time.
    PrintCheck c = check_print_numbers(n, true, false, 20);
    EXPECT_EQ(c.field, PN_WRAP);
    EXPECT_EQ(c.max, 20);
    // Lowered ones lower it at once: no fold longer than the column.
    n[PN_CHARS] = 10;
    n[PN_WRAP] = 15;
    c = check_print_numbers(n, true, false, 20);
    EXPECT_EQ(c.field, PN_WRAP);
    EXPECT_EQ(c.max, 10);
    EXPECT_EQ(utf8(print_check_message(c)), "折返し文字数の数値範囲は\n5 から 10 までです。");
}

TEST(PrintNumbers, StartAfterEndIsCheckedLastWhateverTheMode) {
    PrintNumbers n = valid_numbers();
    n[PN_START] = 11;
    PrintCheck c = check_print_numbers(n, false, false, 20);
    EXPECT_EQ(c.result, PrintCheckResult::START_AFTER_END);
    EXPECT_EQ(utf8(print_check_message(c)), "印刷開始は印刷終了より\n大きくてはいけません。");
    n[PN_COLUMNS] = 4;
    EXPECT_EQ(check_print_numbers(n, false, false, 20).result, PrintCheckResult::OUT_OF_RANGE);
}

PrintFormat a_format() {
    PrintFormat f;
    f.screen.print = true;
    f.screen.vertical = true;
    f.screen.columns_per_page = 20;
    f.screen.chars_per_column = 20;
    f.screen.tier_count = 1;
    f.screen.cell_width_percent = 20;
    f.font.face = utf8_to_sjis("@IPAex明朝");
    f.font.height = -20;
    f.print_font_size = 160;
    f.wrap_chars = 20;
    f.adjust_column_interval = 1;
    return f;
}

TEST(PrintFormatCheck, ADamagedRecordNeverReachesComposition) {
    PrintFormat f = a_format();
    EXPECT_TRUE(check_print_format(f, PrintRange{}).ok());
    f.screen.columns_per_page = 0;
    EXPECT_EQ(check_print_format(f, PrintRange{}).field, PN_COLUMNS);
    f = a_format();
    f.screen.tier_count = 0;
    EXPECT_EQ(check_print_format(f, PrintRange{}).field, PN_TIERS);
    f = a_format();
    f.wrap_enabled = true;
    f.wrap_chars = 40;   // longer than the column
    EXPECT_EQ(check_print_format(f, PrintRange{}).field, PN_WRAP);
}

TEST(PrintFormatCheck, TheFontMustAgreeWithTheWritingDirection) {
    PrintFormat f = a_format();
    f.screen.vertical = false;
    PrintCheck c = check_print_format(f, PrintRange{});
    EXPECT_EQ(c.result, PrintCheckResult::FONT_DIRECTION);
    EXPECT_EQ(print_check_message_ms(c), 4000u);
    EXPECT_NE(utf8(print_check_message(c)).find("フォントタイプ（フォント名先頭の＠有無）か、"), std::string::npos);
    f.font.face = utf8_to_sjis("IPAex明朝");
    EXPECT_TRUE(check_print_format(f, PrintRange{}).ok());
}

TEST(PrintFonts, SizesAreTenthsOfAPointAtTheDeviceAndZeroFallsBack) {
    EXPECT_EQ(print_font_pixels(160, 600), 133);   // 16 pt at 600 dpi
    EXPECT_EQ(print_font_pixels(0, 600), 87);      // the default 10.5 pt
    EXPECT_EQ(print_font_pixels(1, 72), 1);
    PrintFormat f = a_format();
    f.print_font_size = 0;
    f.font.height = 0;
    FontRequest r = print_text_font(f, 600);
    EXPECT_EQ(r.pixel_height, 87);
    EXPECT_TRUE(r.vertical);
    // A header record of height 0 or a size of 0 takes the text font.
    f.header_font.face = "IPAexGothic";
    f.header_font.height = -13;
    f.header_font_size = 0;
    EXPECT_TRUE(header_font_vertical(f));
    EXPECT_EQ(print_header_font(f, 600).pixel_height, 87);
    f.header_font_size = 100;
    EXPECT_FALSE(header_font_vertical(f));
    EXPECT_EQ(print_header_font(f, 600).pixel_height, 83);
}

TEST(HeaderPositions, CodesThatDoNotFitTheFontDirectionAreMapped) {
    const int vertical[8] = {0, 1, 2, 3, 4, 4, 7, 7};
    const int horizontal[8] = {0, 1, 2, 3, 5, 5, 6, 6};
    for (int c = 0; c < 8; ++c) {
        EXPECT_EQ(fit_position_code(c, true), vertical[c]) << c;
        EXPECT_EQ(fit_position_code(c, false), horizontal[c]) << c;
    }
}

TEST(PaperCodes, OnlySevenBitNumbersAreStoredAndB4B5AreJis) {
    EXPECT_EQ(stored_paper_code(9, true), 0x89);
    EXPECT_EQ(stored_paper_code(13, false), 13);
    EXPECT_EQ(stored_paper_code(128, false), 0);    // would have wrapped into another paper
    EXPECT_EQ(stored_paper_code(256 + 9, true), 0x80);
    EXPECT_EQ(stored_paper_code(-1, false), 0);
    EXPECT_EQ(paper_size(12).width_mm, 257);
    EXPECT_EQ(paper_size(13).height_mm, 257);
    EXPECT_EQ(paper_size(0x89).width_mm, 210);
    EXPECT_TRUE(paper_landscape(0x89));
    EXPECT_EQ(paper_size(0).height_mm, 297);       // the printer's default reads as A4
}

}  // namespace
}  // namespace rix

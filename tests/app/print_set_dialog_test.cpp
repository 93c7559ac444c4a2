// The print settings dialog through the fake host: what it shows, the
// checks of its numbers (a refused store leaves the record byte-identical),
// switching formats, the header enable rules and remapped positions, the
// actions and their questions; and the print view of the record.
// Owed: the page-setup dialog itself through a Qt host.
#include "app/print/print_set_dialog.h"

#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

#include "app/settings/default_settings.h"
#include "app/print/print_colour_dialog.h"
#include "app/print/print_format_view.h"
#include "platform/codec.h"
#include "platform/fake_dialogs.h"
#include "platform/fake_messages.h"

namespace rix {
namespace {

std::string sj(std::string_view utf8) { return utf8_to_sjis(utf8); }

struct PrintSetDialogTest : ::testing::Test {
    FakeDialogHost host;
    FakeMessages messages;
    SettingsState settings;
    PrintSetServices services;

    void SetUp() override { build_default_settings(&settings.rec); }
    int run() { return open_print_settings(&settings, &services, 0); }
};

TEST_F(PrintSetDialogTest, ShowsTheCurrentFormatAndClosesWithoutStoring) {
    host.script([](DialogSession& d) {
        EXPECT_TRUE(d.get_check(PRINT_SET_FORMAT_FIRST));
        EXPECT_EQ(d.get_number(PRINT_SET_NUMBER_FIRST + PN_COLUMNS), 20);
        EXPECT_EQ(d.get_number(PRINT_SET_NUMBER_FIRST + PN_CHARS), 20);
        EXPECT_TRUE(d.get_check(PRINT_SET_FUKURO));
        EXPECT_TRUE(d.get_check(PRINT_SET_NUMBERS));
        EXPECT_EQ(d.get_text(PRINT_SET_FONT_FACE), sj("IPAex明朝"));   // without the "@"
        EXPECT_FALSE(d.is_enabled(PRINT_SET_NUMBER_FIRST + PN_START));  // range "all"
        EXPECT_FALSE(d.is_enabled(PRINT_SET_INDEX_BREAK));              // no index entries
        EXPECT_FALSE(d.is_visible(PRINT_SET_NUMBER_FIRST + PN_ADJUST_INTERVAL));
        EXPECT_NE(d.caption().find(sj("印 刷")), std::string::npos);
        d.type_text(PRINT_SET_NUMBER_FIRST + PN_COLUMNS, "30");
        d.press(2);
    });
    EXPECT_EQ(run(), -1);
    EXPECT_EQ(settings.rec.columns_per_page[5], 20);
    EXPECT_FALSE(settings.changed);
    EXPECT_TRUE(host.missing.empty());
}

TEST_F(PrintSetDialogTest, ARefusedStoreLeavesTheRecordByteIdentical) {
    SettingsRecord before;
    std::memcpy(&before, &settings.rec, sizeof before);
    host.script([this](DialogSession& d) {
        d.type_text(PRINT_SET_NUMBER_FIRST + PN_COLUMNS, "40");    // valid, must not reach the record
        d.type_text(PRINT_SET_NUMBER_FIRST + PN_HEADER_H, "91");
        d.press(PRINT_SET_STORE);
        ASSERT_EQ(messages.log.size(), 1u);
        EXPECT_EQ(messages.utf8(0), "横位置余白割合[‰]の数値範囲は\n0 から 90 までです。");
        d.press(PRINT_SET_RANGE_FIRST + 1);       // lines: the range fields open
        d.type_text(PRINT_SET_NUMBER_FIRST + PN_HEADER_H, "50");
        d.type_text(PRINT_SET_NUMBER_FIRST + PN_START, "9");
        d.type_text(PRINT_SET_NUMBER_FIRST + PN_END, "3");
        d.press(PRINT_SET_STORE);
        EXPECT_EQ(messages.utf8(1), "印刷開始は印刷終了より\n大きくてはいけません。");
        d.press(2);
    });
    run();
    EXPECT_EQ(std::memcmp(&before, &settings.rec, sizeof before), 0);
}

TEST_F(PrintSetDialogTest, TheFoldIsCheckedAgainstTheBoundOfTheFillOnlyWhileOn) {
    host.script([this](DialogSession& d) {
        d.type_text(PRINT_SET_NUMBER_FIRST + PN_CHARS, "30");
        d.press(PRINT_SET_WRAP);
        d.type_text(PRINT_SET_NUMBER_FIRST + PN_WRAP, "25");
        d.press(PRINT_SET_WRAP);
        d.press(PRINT_SET_STORE);                 // folding off: not checked
        EXPECT_TRUE(messages.log.empty());
        d.press(PRINT_SET_WRAP);
        d.press(PRINT_SET_STORE);
        ASSERT_EQ(messages.log.size(), 1u);
        EXPECT_EQ(messages.utf8(0), "折返し文字数の数値範囲は\n5 から 20 までです。");
        d.press(2);
    });
    run();
    EXPECT_EQ(settings.rec.chars_per_column[5], 30);
    EXPECT_EQ(settings.rec.wrap_chars[0], 25);
    EXPECT_EQ(settings.rec.wrap_enabled[0], 0);
}

TEST_F(PrintSetDialogTest, SwitchingFormatsStoresTheOneLeftOrStaysOnIt) {
    host.script([this](DialogSession& d) {
        d.type_text(PRINT_SET_NUMBER_FIRST + PN_TIERS, "2");
        d.press(PRINT_SET_FORMAT_FIRST + 1);
        EXPECT_EQ(settings.rec.current_print_format, 6);
        EXPECT_EQ(settings.rec.tier_count[5], 2);
        EXPECT_TRUE(d.get_check(PRINT_SET_FORMAT_FIRST + 1));
        EXPECT_FALSE(d.get_check(PRINT_SET_FUKURO));                  // format 2's own values
        d.type_text(PRINT_SET_NUMBER_FIRST + PN_TIERS, "5");
        d.press(PRINT_SET_FORMAT_FIRST + 2);
        EXPECT_EQ(settings.rec.current_print_format, 6);
        EXPECT_TRUE(d.get_check(PRINT_SET_FORMAT_FIRST + 1));
        d.press(2);
    });
    run();
}

TEST_F(PrintSetDialogTest, HeaderControlsFollowTheirSwitchesAndTheFontDirection) {
    settings.rec.page_number_position[0] = 6;   // top-centre with a vertical header font
    settings.rec.header_font[0] = settings.rec.font[5];   // "@IPAex明朝"
    settings.rec.header_font_size[0] = 100;
    host.script([](DialogSession& d) {
        EXPECT_EQ(d.get_text(PRINT_SET_HEADER_LABEL), sj("縦書"));
        EXPECT_TRUE(d.get_check(PRINT_SET_NUMBER_POS + 7));            // moved to middle-right
        EXPECT_FALSE(d.is_enabled(PRINT_SET_NUMBER_POS + 6));
        EXPECT_TRUE(d.is_enabled(PRINT_SET_NUMBER_POS + 4));
        EXPECT_FALSE(d.is_enabled(PRINT_SET_DOCUMENT_TITLE));
        EXPECT_FALSE(d.is_enabled(PRINT_SET_NUMBER_AFTER));
        d.press(PRINT_SET_TITLE_FIRST + 2);
        EXPECT_TRUE(d.is_enabled(PRINT_SET_PRINT_TITLE));
        d.press(PRINT_SET_TITLE_POS + 7);
        EXPECT_TRUE(d.is_enabled(PRINT_SET_NUMBER_AFTER));             // same position
        d.press(PRINT_SET_NUMBERS);
        EXPECT_FALSE(d.is_enabled(PRINT_SET_BRACKETS));
        EXPECT_FALSE(d.is_enabled(PRINT_SET_NUMBER_AFTER));
        d.press(PRINT_SET_ADJUST);
        EXPECT_TRUE(d.is_visible(PRINT_SET_NUMBER_FIRST + PN_ADJUST_CHAR));
        d.press(2);
    });
    run();
}

TEST_F(PrintSetDialogTest, ActionsRunTheirChecksAndReturnTheirId) {
    services.print_title = sj("羅生門");
    settings.rec.first_page_number = 5;
    messages.answer(MSG_RESULT_NO);
    messages.answer(MSG_RESULT_YES);
    host.script([this](DialogSession& d) {
        d.press(PRINT_SET_PDF);
        EXPECT_FALSE(d.ended());                  // "no" keeps the dialog
        EXPECT_TRUE(messages.saw("先頭の頁数が 5 に設定されています。"));
        d.press(PRINT_SET_PDF);
    });
    EXPECT_EQ(run(), PRINT_SET_PDF);
    EXPECT_TRUE(services.titles_changed);
    EXPECT_EQ(services.print_title, sj("羅生門"));
    EXPECT_TRUE(settings.changed);
}

TEST_F(PrintSetDialogTest, AClosedPdfDialogKeepsTheSettingsOpen) {
    int asked = 0;
    services.pdf_dialog = [&asked](WindowRef) { return ++asked == 2; };
    host.script([this](DialogSession& d) {
        d.press(PRINT_SET_PDF);
        EXPECT_FALSE(d.ended());                  // PDF_DB closed: back to the settings
        d.press(PRINT_SET_PDF);
    });
    EXPECT_EQ(run(), PRINT_SET_PDF);
    EXPECT_EQ(asked, 2);
    EXPECT_TRUE(settings.changed);                // stored before PDF_DB was asked
}

TEST_F(PrintSetDialogTest, AFontOfTheOtherDirectionCannotPrint) {
    settings.rec.writing_direction[5] = 1;
    host.script([this](DialogSession& d) {
        d.press(PRINT_SET_VERTICAL + 1);
        d.press(1);
        EXPECT_FALSE(d.ended());
        EXPECT_TRUE(messages.saw("縦／横形式指定と\n現在の印刷フォントが違っています"));
        d.press(PRINT_SET_VERTICAL);
        d.press(1);
    });
    EXPECT_EQ(run(), PRINT_SET_PRINT);
}

TEST_F(PrintSetDialogTest, PageSetupStoresThePaperOfTheCurrentFormatOnly) {
    std::vector<std::pair<int, bool>> asked;
    std::vector<std::pair<int, bool>> answers = {{13, false}, {300, true}};
    bool cancel = false;
    services.page_setup = [&](int* paper, bool* landscape) {
        asked.push_back({*paper, *landscape});
        if (cancel) {
            *paper = 8;   // a cancelled dialog's values are never taken
            return false;
        }
        *paper = answers.front().first;
        *landscape = answers.front().second;
        answers.erase(answers.begin());
        return true;
    };
    const std::uint8_t second = settings.rec.printer_paper[1];
    host.script([&](DialogSession& d) {
        d.press(PRINT_SET_PRINTER);                 // format 1: JIS B5 portrait
        d.press(PRINT_SET_FORMAT_FIRST + 2);
        d.press(PRINT_SET_PRINTER);                 // format 3: a number beyond 7 bits
        cancel = true;
        d.press(PRINT_SET_PRINTER);
        d.press(2);
    });
    run();
    ASSERT_EQ(asked.size(), 3u);
    EXPECT_EQ(asked[0], (std::pair<int, bool>{9, true}));   // the shipped A4 landscape
    EXPECT_EQ(settings.rec.printer_paper[0], 13);
    EXPECT_EQ(settings.rec.printer_paper[1], second);
    EXPECT_EQ(settings.rec.printer_paper[2], 0x80);         // the printer's default paper, landscape
    EXPECT_EQ(asked[2], (std::pair<int, bool>{0, true}));
    EXPECT_TRUE(settings.changed);
}

TEST_F(PrintSetDialogTest, PrintColoursStoreTheThreeIndicesOnlyOnSet) {
    bool line_formats = false;
    services.line_format_colours = &line_formats;
    settings.rec.text_colour[5] = 0;
    settings.rec.header_colour[0] = 4;
    settings.rec.grid_colour[5] = 40;   // beyond the palette: kept unless chosen
    host.script([](DialogSession& d) {
        d.press(PRINT_SET_COLOURS);
        d.press(PRINT_SET_COLOURS);
        d.press(2);
    });
    host.script([](DialogSession& d) {
        EXPECT_TRUE(d.get_check(PRINT_COLOUR_TEXT_FIRST + 0));
        EXPECT_TRUE(d.get_check(PRINT_COLOUR_HEADER_FIRST + 4));
        EXPECT_EQ(d.get_radio(PRINT_COLOUR_GRID_FIRST, PRINT_COLOUR_GRID_FIRST + 15), 0);
        EXPECT_EQ(d.get_colour(PRINT_COLOUR_SWATCH_FIRST + 9), BASIC_PALETTE[9]);
        d.press(PRINT_COLOUR_TEXT_FIRST + 9);
        d.press(PRINT_COLOUR_LINE_FORMATS);
        d.press(2);                                 // 取消
    });
    host.script([this](DialogSession& d) {
        EXPECT_FALSE(settings.changed);
        EXPECT_TRUE(d.get_check(PRINT_COLOUR_TEXT_FIRST + 0));
        EXPECT_FALSE(d.get_check(PRINT_COLOUR_LINE_FORMATS));
        d.press(PRINT_COLOUR_TEXT_FIRST + 12);
        d.press(PRINT_COLOUR_HEADER_FIRST + 15);
        d.press(PRINT_COLOUR_LINE_FORMATS);
        d.press(PRINT_COLOUR_SWATCH_FIRST + 3);    // a swatch chooses nothing
        d.press(1);                                 // 設定
    });
    run();
    EXPECT_EQ(settings.rec.text_colour[5], 12);
    EXPECT_EQ(settings.rec.header_colour[0], 15);
    EXPECT_EQ(settings.rec.grid_colour[5], 40);
    EXPECT_TRUE(line_formats);
    EXPECT_TRUE(settings.changed);
    EXPECT_EQ(host.left_open, 0);
    EXPECT_TRUE(host.missing.empty());
    const PrintFormat f = print_format_view(settings.rec, 5, 0);
    EXPECT_EQ(f.text_colour, BASIC_PALETTE[12]);
    EXPECT_EQ(f.header_colour, BASIC_PALETTE[15]);
}

TEST(PrintFormatView, TheShippedFormatsPassTheirChecks) {
    SettingsRecord rec{};
    build_default_settings(&rec);
    for (int slot = 5; slot < 8; ++slot) {
        const PrintFormat f = print_format_view(rec, slot, 0);
        EXPECT_TRUE(check_print_format(f, print_range_view(rec)).ok()) << slot;
        EXPECT_TRUE(f.screen.print);
    }
    const PrintFormat first = print_format_view(rec, 5, 0);
    EXPECT_EQ(first.halves(), 2);
    EXPECT_TRUE(paper_landscape(first.paper));
    EXPECT_EQ(print_format_view(rec, 99, 0).screen.slot, current_print_slot(rec));
}

}  // namespace
}  // namespace rix

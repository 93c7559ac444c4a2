// Pages of the content's printing on the recording surface, and a run on a
// device that records its steps.
// Owed: the preview window's paging (tested through its source in app/).
#include "database/content_print.h"

#include <gtest/gtest.h>

#include "platform/codec.h"
#include "platform/recording_surface.h"

#include <string>
#include <vector>

namespace rix {
namespace {

std::string sj(const char* utf8) { return utf8_to_sjis(utf8); }

TEST(ContentPrintUnits, TwipsPixelsAndScale) {
    EXPECT_EQ(hundredths_mm_to_twips(1000), 567);
    EXPECT_EQ(hundredths_mm_to_twips(2540), 1440);
    EXPECT_EQ(hundredths_mm_to_pixels(2540, 600), 600);
    EXPECT_EQ(hundredths_mm_to_pixels(1000, 600), 236);
    EXPECT_EQ(preview_scale_thirtieths(600, 7000), 2);
    EXPECT_EQ(preview_scale_thirtieths(100, 7000), 1);     // never zero
    EXPECT_EQ(preview_scale_thirtieths(0, 7000), 1);
    EXPECT_EQ(preview_scale_thirtieths(100, 0), 1);
}

// A page of 1000 × 1400 pixels at 254 dpi: 10 mm margins are 100 pixels.
ContentPageGeometry small_page(bool vertical, int font_px = 40) {
    return content_page_geometry(1000, 1400, 254, DbPrintSettings{}, font_px, vertical);
}

TEST(ContentPrintPages, ColumnsPerPageAndCount) {
    const ContentPageGeometry g = small_page(true);
    EXPECT_EQ(g.text.x, 100);
    EXPECT_EQ(g.text.w, 800);
    EXPECT_EQ(g.cells.cells_per_line(), 30);       // 1200 / 40
    EXPECT_EQ(g.columns_per_page, 13);              // (800 + 20) / 60
    EXPECT_EQ(ContentPages("", g).count(), 0u);     // empty content: no page
    EXPECT_EQ(ContentPages("\r\n\r\n", g).count(), 0u);
    EXPECT_EQ(ContentPages("a", g).count(), 1u);
    std::string one_page;
    for (int i = 0; i < 13; ++i) one_page += std::string(30, 'x') + "\r\n";
    EXPECT_EQ(ContentPages(one_page, g).count(), 1u);   // the last line break opens no page
    EXPECT_EQ(ContentPages(one_page + "y", g).count(), 2u);
}

TEST(ContentPrintPages, LongTextHasMoreThanAHundredPagesAndThe101stDraws) {
    const ContentPageGeometry g = small_page(true);
    // 13 columns of 30 characters a page: 150 pages of text.
    std::string text;
    for (int page = 0; page < 150; ++page)
        for (int col = 0; col < 13; ++col) text += sj("あ") + std::to_string(page % 10) + "\r\n";
    ContentPages pages(text, g);
    ASSERT_EQ(pages.count(), 150u);
    EXPECT_EQ(pages.first_column(100), 1300);
    RecordingSurface s(1000, 1400);
    TextBoxStyle style;
    style.font.face = "IPAexMincho";
    style.font.vertical = true;
    style.font.pixel_height = 40;
    FontRequest number;
    number.face = "IPAexGothic";
    number.pixel_height = 20;
    pages.draw(s, 100, style, number);
    // The first column of the page stands at the right edge of the text.
    const auto cells = s.lines_starting("cell 0 ");
    ASSERT_FALSE(cells.empty());
    EXPECT_NE(cells.front().find(" 860,100,40x40"), std::string::npos) << cells.front();
    // "-- 101 --": 9 characters in 5 half-width pairs.
    EXPECT_EQ(s.lines_starting("cell 2 ").size(), 5u);
    // The last page: its own columns, not the previous page's again.
    s.clear();
    pages.draw(s, 149, style, number);
    EXPECT_EQ(s.lines_starting("cell 0 ").size(), 13u * 2u);
}

// Every page shows exactly the cells of its own columns, the page numbers
// follow one another, and the page breaks fall every columns_per_page
// columns, however far into the text the page lies.
TEST(ContentPrintPages, EachPageDrawsItsOwnColumnsOnly) {
    const ContentPageGeometry g = small_page(true);
    std::string text;
    for (int line = 0; line < 200; ++line) {
        text += std::string(static_cast<std::size_t>(line * 7 % 75), 'k');   // wrapped over up to three columns
        if (line % 9 == 0) text += "\r\n";                                    // and empty lines
        text += "\r\n";
    }
    const ContentPages pages(text, g);
    ASSERT_GT(pages.count(), 20u);
    TextBoxStyle style;
    style.font.pixel_height = 40;
    style.font.vertical = true;
    FontRequest number;
    number.pixel_height = 20;
    std::size_t total = 0;
    for (std::size_t i = 0; i < pages.count(); ++i) {
        EXPECT_EQ(pages.first_column(i), static_cast<int>(i) * g.columns_per_page);
        const int from = pages.first_column(i);
        const int to = from + g.columns_per_page;
        std::size_t expected = 0;
        for (const TextBoxSlot& s : pages.model().entries())
            if (s.cell.column >= from && s.cell.column < to && s.length > 0 && !s.line_break) ++expected;
        RecordingSurface surface(1000, 1400);
        pages.draw(surface, i, style, number);
        EXPECT_EQ(surface.lines_starting("cell 0 ").size(), expected) << "page " << i + 1;
        total += expected;
    }
    EXPECT_EQ(total, text.size() - 2 * 223u);   // every character once: 200 line ends and 23 empty lines
}

// A device that records its steps; `refuse_page` fails the n-th new page.
class StepDevice final : public PrintDevice {
public:
    explicit StepDevice(int refuse_page = 0) : refuse_page_(refuse_page), surface_(1000, 1400) {}
    bool begin() override { return steps.push_back("begin"), true; }
    bool new_page() override {
        steps.push_back("page");
        return ++pages_ != refuse_page_;
    }
    bool end() override { return steps.push_back("end"), true; }
    void cancel() override { steps.push_back("cancel"); }
    int width_px() const override { return 1000; }
    int height_px() const override { return 1400; }
    int dpi_x() const override { return 254; }
    int dpi_y() const override { return 254; }
    Surface& surface() override { return surface_; }
    std::vector<std::string> steps;

private:
    int refuse_page_;
    int pages_ = 0;
    RecordingSurface surface_;
};

TEST(ContentPrintRun, NothingToPrintStartsNoDocumentAndAFailedPageDropsIt) {
    const ContentPageGeometry g = small_page(true);
    for (const char* text : {"", "\r\n", "\r\n\r\n\r\n", "\n\r\n", " ", "a", "\r\n\t"}) {
        EXPECT_EQ(content_has_print(text), ContentPages(text, g).count() > 0) << text;
        ContentPrintJob job;
        job.text = text;
        StepDevice device;
        int pages = -1;
        const ContentPrintResult result = print_content(device, job, &pages);
        if (content_has_print(text)) {
            EXPECT_EQ(result, ContentPrintResult::PRINTED);
            EXPECT_EQ(device.steps, (std::vector<std::string>{"begin", "end"}));
        } else {
            EXPECT_EQ(result, ContentPrintResult::EMPTY);
            EXPECT_TRUE(device.steps.empty()) << text;   // the output was never opened
            EXPECT_EQ(pages, 0);
        }
    }
    ContentPrintJob job;
    for (int i = 0; i < 2000; ++i) job.text += "x\r\n";
    StepDevice refusing(2);
    int pages = -1;
    EXPECT_EQ(print_content(refusing, job, &pages), ContentPrintResult::DEVICE_FAILED);
    EXPECT_EQ(refusing.steps, (std::vector<std::string>{"begin", "page", "page", "cancel"}));
    EXPECT_EQ(pages, 0);
}

TEST(ContentPrintPageNumber, PlacedInOneUnitAndCentred) {
    EXPECT_EQ(content_page_number_text(7), "-- 7 --");
    const ContentPageGeometry v = small_page(true);
    SurfaceRect r = content_page_number_box(v, 70, 20, true);
    EXPECT_EQ(r.x, 100 + (800 - 70) / 2);    // centred over the text
    EXPECT_EQ(r.y, 40);                       // in the middle of the 100-pixel top margin
    const ContentPageGeometry h = small_page(false);
    r = content_page_number_box(h, 70, 20, false);
    EXPECT_EQ(r.x, 15);
    EXPECT_EQ(r.y, 100 + (1200 - 20) / 2);
    // Drawn where it was placed.
    RecordingSurface s(1000, 1400);
    ContentPages pages("abc", v);
    TextBoxStyle style;
    style.font.pixel_height = 40;
    style.font.vertical = true;
    FontRequest number;
    number.pixel_height = 20;
    pages.draw(s, 0, style, number);
    const auto cells = s.lines_starting("cell 2 ");
    ASSERT_EQ(cells.size(), 4u);    // "-- 1 --" in four pairs
    EXPECT_NE(cells[0].find(" 465,40,20x20"), std::string::npos) << cells[0];
}

}  // namespace
}  // namespace rix

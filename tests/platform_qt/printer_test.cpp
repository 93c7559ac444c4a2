// The printer's paper on Qt: the paper numbers the page setup dialog gives
// name the sizes printing lays out, and the dialog hands back what it was
// given when the user accepts it unchanged. The PDF device puts its file in
// place only when the document ends whole.
// Owed: a choice changed inside the dialog (it needs a print system).
#include "platform/qt/qt_printer.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/files.h"
#include "publish/print_format.h"
#include "tests/support/temp_folder.h"
#include "tests/support/modal_answer.h"

namespace rix {
namespace {

TEST(PaperNumbers, TheSystemsSizesAreThoseThatPrintingLaysOut) {
    for (int code : {1, 5, 8, 9, 11, 12, 13}) {
        int w = 0, h = 0;
        ASSERT_TRUE(page_size_of_paper(code, &w, &h)) << code;
        const PaperSize ours = paper_size(static_cast<std::uint8_t>(code));
        EXPECT_LE(std::abs(w - ours.width_mm), 1) << code;
        EXPECT_LE(std::abs(h - ours.height_mm), 1) << code;
    }
    EXPECT_EQ(paper_number_of_size(257, 364), 12);   // B4 and B5 are JIS sizes
    EXPECT_EQ(paper_number_of_size(182, 257), 13);
    EXPECT_NE(paper_number_of_size(250, 353), 12);   // ISO B4 is another paper
    EXPECT_EQ(paper_number_of_size(123, 77), 0);
    int w = 0, h = 0;
    EXPECT_FALSE(page_size_of_paper(0, &w, &h));
}

TEST(PdfDevice, TheFileTakesItsNameOnlyWhenTheDocumentEndsWhole) {
    test::TempFolder dir;
    const std::string pdf = dir.write("out.pdf", "the pages printed before");
    PrintDeviceSetup setup;
    setup.pdf_path = pdf;
    setup.dpi = 100;
    const auto draw_two_pages = [](PrintDevice& device) {
        ASSERT_TRUE(device.begin());
        device.surface().fill_rect({10, 10, 50, 50}, 0x000000);
        ASSERT_TRUE(device.new_page());
        device.surface().fill_rect({10, 10, 50, 50}, 0x0000FF);
    };
    {
        std::unique_ptr<PrintDevice> device = create_pdf_print_device(setup);
        draw_two_pages(*device);
        // While the pages are drawn the file is as it was.
        EXPECT_EQ(test::slurp(pdf), "the pages printed before");
        device->cancel();
    }
    EXPECT_EQ(test::slurp(pdf), "the pages printed before");
    EXPECT_EQ(list_folder_names(dir.path()), std::vector<std::string>{"out.pdf"});
    {
        std::unique_ptr<PrintDevice> device = create_pdf_print_device(setup);
        draw_two_pages(*device);
    }   // dropped without an end, as a run that failed
    EXPECT_EQ(test::slurp(pdf), "the pages printed before");
    EXPECT_EQ(list_folder_names(dir.path()), std::vector<std::string>{"out.pdf"});

    std::unique_ptr<PrintDevice> device = create_pdf_print_device(setup);
    draw_two_pages(*device);
    ASSERT_TRUE(device->end());
    const std::string written = test::slurp(pdf);
    EXPECT_EQ(written.substr(0, 5), "%PDF-");
    EXPECT_NE(written.find("%%EOF"), std::string::npos);
    EXPECT_EQ(list_folder_names(dir.path()), std::vector<std::string>{"out.pdf"});

    setup.pdf_path = dir.file("missing/out.pdf");   // no folder to write in: refused at the start
    EXPECT_FALSE(create_pdf_print_device(setup)->begin());
}

using test::answer_next_dialog;

TEST(PageSetupDialog, GivesBackThePaperItWasOpenedWithOrNothingWhenCancelled) {
    int paper = 13;
    bool landscape = true;
    answer_next_dialog(true);
    ASSERT_TRUE(run_page_setup_dialog(&paper, &landscape));
    EXPECT_EQ(paper, 13);
    EXPECT_TRUE(landscape);
    EXPECT_EQ(stored_paper_code(paper, landscape), 0x8D);

    paper = 9;
    landscape = false;
    answer_next_dialog(false);
    EXPECT_FALSE(run_page_setup_dialog(&paper, &landscape));
    EXPECT_EQ(paper, 9);
    EXPECT_FALSE(landscape);
}

}  // namespace
}  // namespace rix

// 印刷・ＰＤＦ出力 (command 111) as the main window runs it: the marked-range
// question, the settings dialog, the run on the window's print device with
// the progress window and its 中止, and the screen as it was afterwards.
// Owed: the preview window itself (platform/qt), margins dragged in it.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/window/command_table.h"
#include "app/shell/features.h"
#include "app/settings/default_settings.h"
#include "app/edit/editor.h"
#include "app/print/pdf_dialog.h"
#include "app/print/pdf_run.h"
#include "app/print/print_set_dialog.h"
#include "publish/print_format.h"
#include "app/edit/screen.h"
#include "app/window/shell_events.h"
#include "document/document_state.h"
#include "document/display_lines.h"
#include "platform/codec.h"
#include "platform/files.h"
#include "platform/fake_dialogs.h"
#include "platform/fake_fonts.h"
#include "document/line_format.h"
#include "platform/fake_messages.h"
#include "platform/recording_surface.h"
#include "tests/support/command_app.h"
#include "tests/support/temp_folder.h"

namespace rix {
namespace {

std::string sj(std::string_view utf8) { return utf8_to_sjis(utf8); }

// A printer that records what it is asked; `refuse_page` fails new_page.
struct FakePrinter {
    int begun = 0, pages = 0, ended = 0, cancelled = 0;
    std::vector<std::string> cells;   // the cells drawn on the paper
    bool refuse_page = false;
    PrintDeviceSetup setup;
};

class FakeDevice final : public PrintDevice {
public:
    FakeDevice(FakePrinter* log, const PrintDeviceSetup& setup) : log_(log), surface_(4960, 7015, "paper") {
        log_->setup = setup;
    }
    bool begin() override { ++log_->begun; ++log_->pages; return true; }
    bool new_page() override {
        if (log_->refuse_page) return false;
        ++log_->pages;
        return true;
    }
    bool end() override {
        ++log_->ended;
        log_->cells = surface_.lines_starting("cell ");
        return true;
    }
    void cancel() override { ++log_->cancelled; }
    int width_px() const override { return surface_.width(); }
    int height_px() const override { return surface_.height(); }
    int dpi_x() const override { return 600; }
    int dpi_y() const override { return 600; }
    Surface& surface() override { return surface_; }

private:
    FakePrinter* log_;
    RecordingSurface surface_;
};

struct PrintCommandTest : test::CommandAppTest {
    FakePrinter printer;

    void SetUp() override {
        CommandAppTest::SetUp();
        app.window.print_devices = [this](const PrintDeviceSetup& setup) -> std::unique_ptr<PrintDevice> {
            return std::make_unique<FakeDevice>(&printer, setup);
        };
        std::string text;
        for (int i = 0; i < 60; ++i) text += sj("ある日の暮方の事である。一人の下人が、羅生門の下で雨やみを待っていた。\r\n");
        const std::string path = dir.write("羅生門.txt", text);
        ASSERT_TRUE(open_document_file(&app.doc, path, 0));
        app.doc.save_name = path;
        load_into_application(app);
        start_editing(app);
        app.startup_done = true;
        app.hooks.rebuild_screen(app);
        ASSERT_TRUE(screen.screen.geo.computed());
    }
    void TearDown() override { close_document(&app.doc, false); }
    CommandTable& commands() { return shell->commands(); }
};

TEST_F(PrintCommandTest, PrintsEverySheetAndLeavesTheScreenAsItWas) {
    const WrapRules before = app.loaded->document.rules;
    const std::uint64_t lines = app.loaded->document.lines.total_display_lines();
    EXPECT_TRUE(commands().enabled(COMMAND_PRINT));
    dialogs.script([](DialogSession& d) { d.press(PRINT_SET_PRINT); });
    ASSERT_TRUE(commands().run(COMMAND_PRINT));
    EXPECT_EQ(printer.begun, 1);
    EXPECT_EQ(printer.ended, 1);
    EXPECT_GT(printer.pages, 1);
    EXPECT_TRUE(printer.setup.pdf_path.empty());
    EXPECT_EQ(printer.setup.width_mm, 297);          // format 1: A4 landscape
    EXPECT_EQ(printer.setup.height_mm, 210);
    ASSERT_EQ(dialogs.opened.size(), 2u);            // the settings, then the progress window
    EXPECT_EQ(dialogs.opened[1], "PR_GUIDE");
    EXPECT_FALSE(dialogs.is_open(1));
    EXPECT_EQ(app.loaded->document.rules.chars_per_column, before.chars_per_column);
    EXPECT_EQ(app.loaded->document.lines.total_display_lines(), lines);
    EXPECT_TRUE(app.settings.changed);
}

TEST_F(PrintCommandTest, ALinesOwnColourReachesThePaperOnlyWhenThePrintColoursSaySo) {
    LineFormat red;
    red.colour_on = true;
    red.colour = 9;
    app.loaded->document.formats.set_word(0, encode_line_format(red));
    auto red_cells = [this] {
        int n = 0;
        for (const std::string& c : printer.cells) n += c.ends_with("#FF0000") ? 1 : 0;
        return n;
    };
    for (const bool on : {false, true}) {
        app.line_format_colours = on;
        dialogs.script([](DialogSession& d) { d.press(PRINT_SET_PRINT); });
        ASSERT_TRUE(commands().run(COMMAND_PRINT));
        ASSERT_FALSE(printer.cells.empty());
        // The first line's 35 characters and nothing else.
        EXPECT_EQ(red_cells(), on ? 35 : 0) << "switch " << on;
    }
}

TEST_F(PrintCommandTest, PdfOutputAsksItsInformationAndWritesThePdfBesideTheDocument) {
    app.settings.rec.pdf_options = 0;   // no viewer: the message names the file
    const std::uint32_t rules_before = app.loaded->document.rules.chars_per_column;
    dialogs.script([](DialogSession& d) { d.press(PRINT_SET_PDF); });
    dialogs.script([](DialogSession& d) {
        d.set_text(PDF_DB_TITLE, sj("羅生門"));
        d.press(1);
    });
    ASSERT_TRUE(commands().run(COMMAND_PRINT));
    ASSERT_EQ(dialogs.opened.size(), 2u);
    EXPECT_EQ(dialogs.opened[1], "PDF_DB");
    EXPECT_EQ(printer.begun, 0);                     // not through the printer
    const std::string pdf = dir.file("羅生門.pdf");
    EXPECT_EQ(app.pdf.path, pdf);
    std::string bytes;
    ASSERT_TRUE(read_whole_file(pdf, &bytes));
    EXPECT_EQ(bytes.rfind("%PDF-1.3\r\n", 0), 0u);
    EXPECT_NE(bytes.find("/Title <FEFF7F85751F9580>"), std::string::npos);
    EXPECT_TRUE(messages.saw("ＰＤＦファイルを出力しました"));
    EXPECT_EQ(app.loaded->document.rules.chars_per_column, rules_before);
}

TEST_F(PrintCommandTest, AClosedPdfDialogReturnsToTheSettingsAndTheDocumentIsNeverTheOutput) {
    dialogs.script([](DialogSession& d) {
        d.press(PRINT_SET_PDF);
        EXPECT_FALSE(d.ended());
        d.press(2);
    });
    dialogs.script([](DialogSession& d) { d.press(2); });
    ASSERT_TRUE(commands().run(COMMAND_PRINT));
    EXPECT_FALSE(file_exists(dir.file("羅生門.pdf")));

    // The document's own file named as the output: refused, the text kept.
    std::string before;
    ASSERT_TRUE(read_whole_file(app.doc.opened_path, &before));
    app.pdf.path = app.doc.opened_path;
    PdfRunRequest request;
    request.path = app.doc.opened_path;
    PdfRunSummary summary;
    EXPECT_EQ(write_document_pdf(app, request, &summary), PdfOutcome::REFUSED);
    EXPECT_TRUE(messages.saw("編集中の文書にＰＤＦを上書きすることはできません"));
    std::string after;
    ASSERT_TRUE(read_whole_file(app.doc.opened_path, &after));
    EXPECT_EQ(after, before);
}

TEST_F(PrintCommandTest, CancelStopsAfterTheTierAndEndsTheDocument) {
    dialogs.script([](DialogSession& d) { d.press(PRINT_SET_PRINT); });
    // 中 止 pressed while the first tier's progress is shown.
    app.window.pump_events = [this] {
        for (DialogHandle h = 1; h < 4; ++h)
            if (dialogs.is_open(h)) dialogs.session(h)->press(2);
    };
    ASSERT_TRUE(commands().run(COMMAND_PRINT));
    EXPECT_EQ(printer.pages, 1);
    // Ended as a cancel: a printer prints the page so far, a PDF file is not written.
    EXPECT_EQ(printer.cancelled, 1);
    EXPECT_EQ(printer.ended, 0);
    EXPECT_TRUE(messages.saw("印刷を中止しました"));
}

TEST_F(PrintCommandTest, ARefusedPageIsReportedAndTheMarkedQuestionComesFirst) {
    app.loaded->edit.mark = Marking{true, TextPos(2, 0), TextPos(40, 0), false};
    messages.answer(MSG_RESULT_YES);
    printer.refuse_page = true;
    dialogs.script([](DialogSession& d) {
        EXPECT_FALSE(d.is_enabled(PRINT_SET_RANGE_FIRST));   // a marked range: no range choice
        d.press(PRINT_SET_PRINT);
    });
    ASSERT_TRUE(commands().run(COMMAND_PRINT));
    EXPECT_TRUE(messages.saw("文字列が反転マークされています。"));
    EXPECT_FALSE(app.loaded->edit.mark.on);
    EXPECT_TRUE(messages.saw("印刷できませんでした"));
    EXPECT_EQ(printer.cancelled, 1);
    EXPECT_EQ(printer.ended, 0);
}

TEST_F(PrintCommandTest, ClosingTheDialogPrintsNothing) {
    dialogs.script([](DialogSession& d) { d.press(2); });
    ASSERT_TRUE(commands().run(COMMAND_PRINT));
    EXPECT_EQ(printer.begun, 0);
}

TEST_F(PrintCommandTest, ThePreviewShowsTheSheetsAsPrintedFromTheCursorsSheet) {
    const std::uint64_t lines = app.loaded->document.lines.total_display_lines();
    int first = 0, last = 0, start = 0;
    RecordingSurface second(800, 600, "preview");
    app.window.preview_window = [&](PreviewSource& source) {
        first = source.first_sheet();
        last = source.last_sheet();
        start = source.start_sheet();
        EXPECT_EQ(source.paper_text(), "用紙Ａ４");
        EXPECT_TRUE(source.vertical());
        source.paint(2, second);
    };
    app.loaded->cursor = TextPos(40, 0);
    ASSERT_TRUE(commands().enabled(COMMAND_PRINT_PREVIEW));
    ASSERT_TRUE(commands().run(COMMAND_PRINT_PREVIEW));
    EXPECT_EQ(first, 1);
    EXPECT_GT(last, 2);
    EXPECT_GT(start, 1);
    EXPECT_LE(start, last);
    // Sheet 2 carries pages 3 and 4 in full-width digits, and the fold line.
    EXPECT_FALSE(second.lines_starting("cell 2 8252").empty());
    EXPECT_FALSE(second.lines_starting("cell 2 8253").empty());
    EXPECT_FALSE(second.lines_starting("dots ").empty());
    // The screen's display lines are the screen's again.
    EXPECT_EQ(app.loaded->document.lines.total_display_lines(), lines);
}

TEST_F(PrintCommandTest, AMarginDraggedInThePreviewIsStoredAtOnce) {
    SettingsRecord& rec = app.settings.rec;
    app.settings.changed = false;
    app.window.preview_window = [&](PreviewSource& source) {
        const int w = source.page_width(), h = source.page_height();
        // Top-right of a vertical page: the start and top margins.
        EXPECT_EQ(source.margin_corner(w - 10, 10), 1);
        EXPECT_TRUE(source.release_margin(2, w / 4, h / 10));          // the left (end) margin: 249‰
        // A drag that leaves no room for text on a half is refused.
        EXPECT_FALSE(source.release_margin(1, w - w * 255 / 1000, h / 10));
        EXPECT_TRUE(source.release_margin(1, w - w / 50, h / 10));
        RecordingSurface image(800, 600, "preview");
        source.paint(1, image);
    };
    ASSERT_TRUE(commands().run(COMMAND_PRINT_PREVIEW));
    EXPECT_EQ(rec.margin_start_permille[5], 20);
    EXPECT_EQ(rec.margin_top_permille[5], 100);
    EXPECT_EQ(rec.margin_end_permille[5], 249);
    EXPECT_TRUE(app.settings.changed);
}

TEST_F(PrintCommandTest, ThePreviewButtonOfTheSettingsShowsTheRangeOfTheFields) {
    app.settings.rec.print_range_mode = RANGE_PAGES;
    app.settings.rec.print_range_start = 2;
    app.settings.rec.print_range_end = 2;
    int first = 0, last = 0;
    app.window.preview_window = [&](PreviewSource& source) {
        first = source.first_sheet();
        last = source.last_sheet();
    };
    dialogs.script([](DialogSession& d) {
        d.press(PRINT_SET_PREVIEW);
        d.press(2);
    });
    ASSERT_TRUE(commands().run(COMMAND_PRINT));
    EXPECT_EQ(first, 2);
    EXPECT_EQ(last, 2);
    EXPECT_EQ(printer.begun, 0);
}

}  // namespace
}  // namespace rix

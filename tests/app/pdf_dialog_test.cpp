// The PDF document information dialog through the fake host: what an
// opening takes from the document and what it keeps, the output path, the
// enable rules, ｸﾘｱ and 参照, 実 行 with its limits and refusals, and 閉じる
// leaving everything as it was.
// Owed: the folder chooser's Qt side with a folder changed inside the dialog.
#include "app/print/pdf_dialog.h"

#include <gtest/gtest.h>

#include <deque>
#include <fstream>
#include <functional>

#include "platform/codec.h"
#include "platform/fake_dialogs.h"
#include "platform/fake_messages.h"
#include "rix_build_paths.h"

namespace rix {
namespace {

std::string sj(std::string_view utf8) { return utf8_to_sjis(utf8); }

std::string repeat(std::string_view s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

struct PdfDialogTest : ::testing::Test {
    FakeDialogHost host;
    FakeMessages messages;
    SettingsState settings;
    PdfSession session;
    PdfDialogServices services;

    void SetUp() override {
        services.document_path = "/home/kaku/原稿/第一章.txt";
        services.document_title = sj("海辺の町");
        services.print_title = sj("第一章　潮");
        services.user_name = sj("kaku");
    }
    int run() { return open_pdf_dialog(&settings, &session, services, 0); }
    // Runs the dialog, reading what it shows, and closes it.
    void peek(const std::function<void(DialogSession&)>& look) {
        host.script([&look](DialogSession& d) {
            look(d);
            d.press(2);
        });
        EXPECT_EQ(run(), DIALOG_CANCEL);
    }
};

TEST(PdfOutputPath, DocumentNameWithPdfInTheGivenFolder) {
    EXPECT_EQ(pdf_output_path("", "/a/b/原稿.txt"), "/a/b/原稿.pdf");
    EXPECT_EQ(pdf_output_path("/out/old.pdf", "/a/b/原稿.txt"), "/out/原稿.pdf");
    EXPECT_EQ(pdf_output_path("/out/", "/a/b/doc"), "/out/doc.pdf");        // no extension: one is added
    EXPECT_EQ(pdf_output_path("/out/x", "/a/b/v1.2.txt"), "/out/v1.2.pdf");  // only the last one is replaced
    EXPECT_EQ(pdf_output_path("", "/a/b/.memo"), "/a/b/.memo.pdf");         // a leading dot is no extension
    EXPECT_EQ(pdf_output_path("", "/a.d/b"), "/a.d/b.pdf");                  // a dot of the folder neither
    EXPECT_EQ(pdf_output_path("old.pdf", "doc.txt"), "doc.pdf");
    EXPECT_EQ(pdf_output_path("/out/x.pdf", ""), "/out/x.pdf");              // no document: left alone
}

TEST_F(PdfDialogTest, AnotherDocumentTakesItsTitlesTheUserAndItsOwnPath) {
    session.info = {sj("前の題"), sj("前の副題"), ""};
    session.for_document = "/home/kaku/前の文書.txt";
    peek([](DialogSession& d) {
        EXPECT_EQ(d.get_text(PDF_DB_TITLE), sj("海辺の町"));
        EXPECT_EQ(d.get_text(PDF_DB_SUBTITLE), sj("第一章　潮"));
        EXPECT_EQ(d.get_text(PDF_DB_AUTHOR), sj("kaku"));
        EXPECT_EQ(d.get_text(PDF_DB_PATH), sj("/home/kaku/原稿/第一章.pdf"));
    });
    EXPECT_TRUE(host.missing.empty());
    EXPECT_EQ(host.opened, std::vector<std::string>{"PDF_DB"});
}

TEST_F(PdfDialogTest, TheSameDocumentKeepsWhatWasStoredAndTheFolder) {
    session.info = {sj("改めた題"), "", sj("筆名")};
    session.path = "/srv/出力/別名.pdf";
    session.for_document = services.document_path;
    peek([](DialogSession& d) {
        EXPECT_EQ(d.get_text(PDF_DB_TITLE), sj("改めた題"));
        EXPECT_EQ(d.get_text(PDF_DB_SUBTITLE), "");                     // an emptied subtitle stays empty
        EXPECT_EQ(d.get_text(PDF_DB_AUTHOR), sj("筆名"));               // a given author is not replaced
        EXPECT_EQ(d.get_text(PDF_DB_PATH), sj("/srv/出力/第一章.pdf"));  // folder kept, name the document's
    });
    // Another document: new titles, the author and the folder stay.
    services.document_path = "/home/kaku/原稿/第二章";
    peek([](DialogSession& d) {
        EXPECT_EQ(d.get_text(PDF_DB_TITLE), sj("海辺の町"));
        EXPECT_EQ(d.get_text(PDF_DB_AUTHOR), sj("筆名"));
        EXPECT_EQ(d.get_text(PDF_DB_PATH), sj("/srv/出力/第二章.pdf"));
    });
}

TEST_F(PdfDialogTest, OutlineChecksFollowTheIndexAndEachOther) {
    settings.rec.pdf_outline_options = 0x06;   // details on, the outline itself off
    peek([](DialogSession& d) {                // no index entries: nothing of the outline
        for (int id : {PDF_DB_OUTLINE, PDF_DB_OUTLINE_TITLE, PDF_DB_OUTLINE_OPEN}) EXPECT_FALSE(d.is_enabled(id)) << id;
        EXPECT_FALSE(d.is_enabled(PDF_DB_BROWSE));    // no chooser
        EXPECT_FALSE(d.is_enabled(PDF_DB_PREVIEW));   // no preview
        EXPECT_TRUE(d.get_check(PDF_DB_OUTLINE_TITLE));
    });
    services.has_index = true;
    int previews = 0;
    services.preview = [&previews] { ++previews; };
    services.choose_folder = [](std::string*) { return false; };
    peek([](DialogSession& d) {
        EXPECT_TRUE(d.is_enabled(PDF_DB_OUTLINE));
        EXPECT_FALSE(d.is_enabled(PDF_DB_OUTLINE_TITLE));
        EXPECT_FALSE(d.is_enabled(PDF_DB_OUTLINE_OPEN));
        d.press(PDF_DB_OUTLINE);
        EXPECT_TRUE(d.is_enabled(PDF_DB_OUTLINE_TITLE));
        EXPECT_TRUE(d.is_enabled(PDF_DB_OUTLINE_OPEN));
        d.press(PDF_DB_OUTLINE);
        EXPECT_FALSE(d.is_enabled(PDF_DB_OUTLINE_OPEN));
        EXPECT_TRUE(d.is_enabled(PDF_DB_BROWSE));
        d.press(PDF_DB_PREVIEW);
        d.press(PDF_DB_HELP);
    });
    EXPECT_EQ(previews, 1);
    EXPECT_EQ(messages.help_topics, std::vector<std::string>{"PDF"});
    std::ifstream page(std::string(RIX_RESOURCE_DIR) + "/help/HLP_PDF.htm");
    EXPECT_TRUE(page.good());
}

TEST_F(PdfDialogTest, ClearEmptiesItsOwnFieldAndAnEmptyPathIsRefused) {
    host.script([this](DialogSession& d) {
        d.press(PDF_DB_TITLE_CLEAR);
        d.press(PDF_DB_AUTHOR_CLEAR);
        d.press(PDF_DB_PATH_CLEAR);
        EXPECT_EQ(d.get_text(PDF_DB_TITLE), "");
        EXPECT_EQ(d.get_text(PDF_DB_SUBTITLE), sj("第一章　潮"));
        EXPECT_EQ(d.get_text(PDF_DB_AUTHOR), "");
        EXPECT_EQ(d.get_text(PDF_DB_PATH), "");
        d.press(1);
        EXPECT_FALSE(d.ended());
        ASSERT_EQ(messages.log.size(), 1u);
        EXPECT_EQ(messages.utf8(0), "出力ファイル名を入力してください｡");
        d.type_text(PDF_DB_PATH, "/tmp/out/");      // a folder is no file either
        d.press(1);
        EXPECT_FALSE(d.ended());
        EXPECT_EQ(messages.log.size(), 2u);
        EXPECT_TRUE(session.path.empty());
        EXPECT_FALSE(settings.changed);
        d.press(PDF_DB_SUBTITLE_CLEAR);
        d.type_text(PDF_DB_PATH, "/tmp/out/a.pdf");
        d.press(1);
    });
    EXPECT_EQ(run(), DIALOG_OK);
    EXPECT_EQ(host.focused, (std::vector<int>{PDF_DB_PATH, PDF_DB_PATH}));
    EXPECT_EQ(session.info.title, "");
    EXPECT_EQ(session.info.subtitle, "");
    EXPECT_EQ(session.info.author, "");
    EXPECT_EQ(session.path, "/tmp/out/a.pdf");
}

TEST_F(PdfDialogTest, BrowseReplacesTheFolderAndKeepsTheFileName) {
    std::vector<std::string> starts;
    std::deque<std::string> answers{"/mnt/共有", "/", ""};
    services.choose_folder = [&](std::string* folder) {
        starts.push_back(*folder);
        if (answers.empty()) return false;
        *folder = answers.front();
        answers.pop_front();
        return true;
    };
    host.script([&answers](DialogSession& d) {
        d.type_text(PDF_DB_PATH, sj("/tmp/自分の名前.pdf"));
        d.press(PDF_DB_BROWSE);
        EXPECT_EQ(d.get_text(PDF_DB_PATH), sj("/mnt/共有/自分の名前.pdf"));
        d.press(PDF_DB_BROWSE);
        EXPECT_EQ(d.get_text(PDF_DB_PATH), sj("/自分の名前.pdf"));
        d.press(PDF_DB_BROWSE);                 // an empty answer changes nothing
        d.press(PDF_DB_BROWSE);                 // cancelled
        EXPECT_EQ(d.get_text(PDF_DB_PATH), sj("/自分の名前.pdf"));
        d.press(PDF_DB_PATH_CLEAR);             // no name left: the document's is taken
        answers.push_back("/mnt");
        d.press(PDF_DB_BROWSE);
        EXPECT_EQ(d.get_text(PDF_DB_PATH), sj("/mnt/第一章.pdf"));
        d.press(1);
    });
    EXPECT_EQ(run(), DIALOG_OK);
    EXPECT_EQ(starts, (std::vector<std::string>{"/tmp/", "/mnt/共有/", "/", "/", "/home/kaku/原稿/"}));
    EXPECT_EQ(session.path, "/mnt/第一章.pdf");
}

TEST_F(PdfDialogTest, RunStoresTextsCutOnACharacterAndBothOptionBytes) {
    services.document_title = repeat(sj("あ"), 30);             // 60 bytes: byte 49 is a trail byte
    services.print_title = "a" + repeat(sj("い"), 30);          // 61 bytes: byte 49 ends a character
    services.has_index = true;
    settings.rec.pdf_options = 0xF1;                            // viewer on, bits 4-7 not ours
    settings.rec.pdf_outline_options = 0x80;
    host.script([](DialogSession& d) {
        EXPECT_TRUE(d.get_check(PDF_DB_OPEN_VIEWER));
        d.press(PDF_DB_OPEN_VIEWER);
        d.press(PDF_DB_COMPRESS);
        d.press(PDF_DB_OUTLINE);
        d.press(PDF_DB_OUTLINE_OPEN);
        d.press(1);
    });
    EXPECT_EQ(run(), DIALOG_OK);
    EXPECT_EQ(session.info.title, repeat(sj("あ"), 24));
    EXPECT_EQ(session.info.subtitle, "a" + repeat(sj("い"), 24));
    EXPECT_EQ(session.info.author, sj("kaku"));
    EXPECT_EQ(session.path, "/home/kaku/原稿/第一章.pdf");
    EXPECT_EQ(session.for_document, services.document_path);
    EXPECT_EQ(settings.rec.pdf_options, 0xF2);
    EXPECT_EQ(settings.rec.pdf_outline_options, 0x85);
    EXPECT_TRUE(settings.changed);

    // A long user name is cut the same way.
    services.user_name = repeat(sj("ユ"), 40);
    session.info.author.clear();
    host.script([](DialogSession& d) { d.press(1); });
    EXPECT_EQ(run(), DIALOG_OK);
    EXPECT_EQ(session.info.author, repeat(sj("ユ"), 24));
}

TEST_F(PdfDialogTest, APathOutsideCodePage932SurvivesUntilRetyped) {
    session.path = "/home/kaku/Ελληνικά🙂/x.pdf";   // the emoji has no code page 932 form
    session.for_document = services.document_path;
    host.script([](DialogSession& d) { d.press(1); });
    EXPECT_EQ(run(), DIALOG_OK);
    EXPECT_EQ(session.path, "/home/kaku/Ελληνικά🙂/第一章.pdf");

    host.script([](DialogSession& d) {
        d.type_text(PDF_DB_PATH, sj("/tmp/書いた.pdf"));
        d.press(1);
    });
    EXPECT_EQ(run(), DIALOG_OK);
    EXPECT_EQ(session.path, "/tmp/書いた.pdf");
}

TEST_F(PdfDialogTest, APathLongerThanTheLimitIsRefusedNotCut) {
    const std::string folder = "/" + repeat("d", 250) + "/";
    session.path = folder + "x.pdf";
    session.for_document = services.document_path;
    host.script([this](DialogSession& d) {
        d.press(1);                              // 250 + 2 + 13 UTF-8 bytes
        EXPECT_FALSE(d.ended());
        EXPECT_TRUE(messages.saw("長すぎます"));
        d.press(2);
    });
    EXPECT_EQ(run(), DIALOG_CANCEL);
    EXPECT_EQ(session.path, folder + "x.pdf");
    EXPECT_FALSE(settings.changed);
}

TEST_F(PdfDialogTest, CloseStoresNothingAndTheNextOpeningStillTakesTheTitles) {
    session.info = {sj("前の題"), sj("前の副題"), sj("前の人")};
    session.path = "/old/前.pdf";
    session.for_document = "/old/前.txt";
    settings.rec.pdf_options = 0x01;
    host.script([](DialogSession& d) {
        d.type_text(PDF_DB_TITLE, sj("書きかけ"));
        d.type_text(PDF_DB_PATH, "/tmp/x.pdf");
        d.press(PDF_DB_COMPRESS);
        d.press(PDF_DB_AUTHOR_CLEAR);
        d.press(2);
    });
    EXPECT_EQ(run(), DIALOG_CANCEL);
    EXPECT_EQ(session.info.title, sj("前の題"));
    EXPECT_EQ(session.info.author, sj("前の人"));
    EXPECT_EQ(session.path, "/old/前.pdf");
    EXPECT_EQ(session.for_document, "/old/前.txt");
    EXPECT_EQ(settings.rec.pdf_options, 0x01);
    EXPECT_FALSE(settings.changed);
    peek([](DialogSession& d) { EXPECT_EQ(d.get_text(PDF_DB_TITLE), sj("海辺の町")); });
}

}  // namespace
}  // namespace rix

// The EPUB book dialog through the fake host: what an opening takes from
// the document, Rix.ini and the session, the output path, the enable rules,
// ｸﾘｱ, 参照, 既定ﾌｫﾙﾀﾞ and the font chooser, 実 行 storing the record's
// bytes, the session and Rix.ini, its refusals, and 閉じる storing nothing.
// Owed: the font chooser's Qt side.
#include "app/publish/epub_dialog.h"

#include <gtest/gtest.h>

#include <deque>
#include <fstream>
#include <functional>

#include "app/publish/epub_ini.h"
#include "platform/codec.h"
#include "platform/fake_dialogs.h"
#include "platform/fake_messages.h"
#include "rix_build_paths.h"
#include "tests/support/temp_folder.h"

namespace rix {
namespace {

std::string sj(std::string_view utf8) { return utf8_to_sjis(utf8); }

std::string repeat(std::string_view s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

struct EpubDialogTest : ::testing::Test {
    FakeDialogHost host;
    FakeMessages messages;
    test::TempFolder data;
    SettingsState settings;
    EpubSession session;
    EpubDialogServices services;

    void SetUp() override {
        services.document_path = "/home/kaku/原稿/第一章.txt";
        services.document_title = sj("海辺の町");
        services.program_folder = data.path();
        settings.rec.epub_flags = 0x05;
        settings.rec.epub_split_kb = 100;
        settings.rec.epub_font_size_index = 2;
        settings.rec.epub_line_spacing_index = 2;
    }
    int run() { return open_epub_dialog(&settings, &session, services, 0); }
    // Runs the dialog, reading what it shows, and closes it.
    void peek(const std::function<void(DialogSession&)>& look) {
        host.script([&look](DialogSession& d) {
            look(d);
            d.press(2);
        });
        EXPECT_EQ(run(), DIALOG_CANCEL);
    }
    std::string ini() const { return test::slurp(data.file("Rix.ini")); }
};

TEST(EpubOutputPath, DocumentNameWithEpubInTheGivenFolder) {
    EXPECT_EQ(epub_output_path("", "/a/b/原稿.txt"), "/a/b/原稿.epub");
    EXPECT_EQ(epub_output_path("/out/old.epub", "/a/b/原稿.txt"), "/out/原稿.epub");
    EXPECT_EQ(epub_output_path("", "/a/b/.memo"), "/a/b/.memo.epub");      // a leading dot is no extension
    EXPECT_EQ(epub_output_path("", "/a.d/b"), "/a.d/b.epub");
    EXPECT_EQ(epub_output_path("/out/x.epub", ""), "/out/x.epub");         // no document: left alone
}

TEST_F(EpubDialogTest, OpeningTakesTheDocumentsTitlesAndTheKeptTexts) {
    data.write("Rix.ini", "[EPUB]\r\nDescription=" + sj("前の内容") + "\r\nCreator=" + sj("筆名") +
                              "\r\nCopyRight=(c) 2024\r\nPublisher=" + sj("自費出版") + "\r\n");
    session.metadata = {sj("前の題"), sj("古い"), sj("古い"), "", ""};
    peek([](DialogSession& d) {
        EXPECT_EQ(d.get_text(EPUB_DB_TITLE), sj("海辺の町"));
        EXPECT_EQ(d.get_text(EPUB_DB_DESCRIPTION), sj("前の内容"));      // no print title
        EXPECT_EQ(d.get_text(EPUB_DB_CREATOR), sj("筆名"));
        EXPECT_EQ(d.get_text(EPUB_DB_RIGHTS), "(c) 2024");
        EXPECT_EQ(d.get_text(EPUB_DB_PUBLISHER), sj("自費出版"));
        EXPECT_EQ(d.get_text(EPUB_DB_PATH), sj("/home/kaku/原稿/第一章.epub"));
    });
    EXPECT_TRUE(host.missing.empty());
    EXPECT_EQ(host.opened, std::vector<std::string>{"EPUB_DB"});

    services.print_title = sj("第一章　潮");
    peek([](DialogSession& d) { EXPECT_EQ(d.get_text(EPUB_DB_DESCRIPTION), sj("第一章　潮")); });

    // Without Rix.ini the texts of this run stay.
    std::remove(data.file("Rix.ini").c_str());
    services.print_title.clear();
    peek([](DialogSession& d) {
        EXPECT_EQ(d.get_text(EPUB_DB_TITLE), sj("海辺の町"));
        EXPECT_EQ(d.get_text(EPUB_DB_DESCRIPTION), sj("古い"));
        EXPECT_EQ(d.get_text(EPUB_DB_CREATOR), sj("古い"));
    });
}

TEST_F(EpubDialogTest, TheKeptPathServesItsDocumentAndOnlyItsFolderAnother) {
    session.path = "/srv/本/別名.epub";
    session.for_document = services.document_path;
    peek([](DialogSession& d) { EXPECT_EQ(d.get_text(EPUB_DB_PATH), sj("/srv/本/別名.epub")); });
    services.document_path = "/home/kaku/原稿/第二章.txt";   // not written over another document's book
    peek([](DialogSession& d) { EXPECT_EQ(d.get_text(EPUB_DB_PATH), sj("/srv/本/第二章.epub")); });
}

TEST_F(EpubDialogTest, OptionsShowTheRecordAndEnableEachOther) {
    settings.rec.epub_flags = 0x03;                 // chapter numbers, font; no split
    settings.rec.epub_split_kb = 0;                 // read as 1 by the writer
    settings.rec.epub_font_size_index = 0;
    settings.rec.epub_line_spacing_index = 9;       // out of range: 標準
    store_field(settings.rec.epub_font_file, sizeof settings.rec.epub_font_file, "ipaexm.ttf");
    peek([](DialogSession& d) {
        EXPECT_TRUE(d.get_check(EPUB_DB_CHAPTER_NUMBERS));
        EXPECT_FALSE(d.is_enabled(EPUB_DB_CHAPTER_NUMBERS));   // no index entries
        EXPECT_FALSE(d.is_enabled(EPUB_DB_CHAPTER_GROUP));
        EXPECT_FALSE(d.is_enabled(EPUB_DB_SPLIT_KB));
        EXPECT_FALSE(d.is_enabled(EPUB_DB_SPLIT_SPIN));
        EXPECT_EQ(d.get_number(EPUB_DB_SPLIT_KB), 1);
        EXPECT_TRUE(d.is_enabled(EPUB_DB_FONT_FILE));
        EXPECT_FALSE(d.is_enabled(EPUB_DB_CHOOSE_FONT));        // no chooser
        EXPECT_FALSE(d.is_enabled(EPUB_DB_BROWSE));
        EXPECT_FALSE(d.is_enabled(EPUB_DB_PREVIEW));
        EXPECT_EQ(d.get_text(EPUB_DB_FONT_FILE), "ipaexm.ttf");
        EXPECT_EQ(d.get_radio(EPUB_DB_FONT_SIZE_FIRST, EPUB_DB_FONT_SIZE_FIRST + 4), EPUB_DB_FONT_SIZE_FIRST);
        EXPECT_EQ(d.get_radio(EPUB_DB_LINE_SPACING_FIRST, EPUB_DB_LINE_SPACING_FIRST + 4),
                  EPUB_DB_LINE_SPACING_FIRST + 2);
    });
    services.has_index = true;
    services.choose_font_file = [](const std::string&, std::string*) { return false; };
    int previews = 0;
    services.preview = [&previews] { ++previews; };
    peek([](DialogSession& d) {
        EXPECT_TRUE(d.is_enabled(EPUB_DB_CHAPTER_NUMBERS));
        EXPECT_TRUE(d.is_enabled(EPUB_DB_CHOOSE_FONT));
        d.press(EPUB_DB_SPLIT);
        EXPECT_TRUE(d.is_enabled(EPUB_DB_SPLIT_KB));
        EXPECT_TRUE(d.is_enabled(EPUB_DB_SPLIT_SPIN));
        d.press(EPUB_DB_EMBED_FONT);
        EXPECT_FALSE(d.is_enabled(EPUB_DB_FONT_FILE));
        EXPECT_FALSE(d.is_enabled(EPUB_DB_CHOOSE_FONT));
        d.press(EPUB_DB_PREVIEW);
        d.press(EPUB_DB_HELP);
    });
    EXPECT_EQ(previews, 1);
    EXPECT_EQ(messages.help_topics, std::vector<std::string>{"EPUB"});
    std::ifstream page(std::string(RIX_RESOURCE_DIR) + "/help/HLP_EPUB.htm");
    EXPECT_TRUE(page.good());
}

TEST_F(EpubDialogTest, ClearBrowseAndTheDefaultFolderChangeOnlyTheirField) {
    std::vector<std::string> starts;
    std::deque<std::string> answers{"/mnt/共有", ""};
    services.choose_folder = [&](std::string* folder) {
        starts.push_back(*folder);
        if (answers.empty()) return false;
        *folder = answers.front();
        answers.pop_front();
        return true;
    };
    host.script([this](DialogSession& d) {
        for (int id : {EPUB_DB_TITLE, EPUB_DB_DESCRIPTION, EPUB_DB_CREATOR, EPUB_DB_RIGHTS, EPUB_DB_PUBLISHER})
            d.type_text(id, "x");
        d.press(EPUB_DB_CREATOR + 1);
        EXPECT_EQ(d.get_text(EPUB_DB_CREATOR), "");
        EXPECT_EQ(d.get_text(EPUB_DB_RIGHTS), "x");
        d.type_text(EPUB_DB_PATH, sj("/tmp/自分の本.epub"));
        d.press(EPUB_DB_BROWSE);
        EXPECT_EQ(d.get_text(EPUB_DB_PATH), sj("/mnt/共有/自分の本.epub"));
        d.press(EPUB_DB_BROWSE);                      // an empty answer changes nothing
        d.press(EPUB_DB_BROWSE);                      // cancelled
        EXPECT_EQ(d.get_text(EPUB_DB_PATH), sj("/mnt/共有/自分の本.epub"));
        d.press(EPUB_DB_DEFAULT_FOLDER);              // no default folder: told, nothing changes
        EXPECT_EQ(d.get_text(EPUB_DB_PATH), sj("/mnt/共有/自分の本.epub"));
        ASSERT_EQ(messages.log.size(), 1u);
        EXPECT_EQ(messages.utf8(0), "「文書の保存既定フォルダ」が設定されていません。\n\n次に開く環境設定画面で設定出来ます。\n");
        EXPECT_EQ(messages.log[0].time_ms, 8000u);
        store_field(settings.rec.document_folder, sizeof settings.rec.document_folder, sj("/home/kaku/文書/"));
        d.press(EPUB_DB_DEFAULT_FOLDER);
        EXPECT_EQ(d.get_text(EPUB_DB_PATH), sj("/home/kaku/文書/自分の本.epub"));
        d.type_text(EPUB_DB_PATH, "");                // no name left: the document's is taken
        d.press(EPUB_DB_DEFAULT_FOLDER);
        EXPECT_EQ(d.get_text(EPUB_DB_PATH), sj("/home/kaku/文書/第一章.epub"));
        d.press(1);
    });
    EXPECT_EQ(run(), DIALOG_OK);
    EXPECT_EQ(starts, (std::vector<std::string>{"/tmp/", "/mnt/共有/", "/mnt/共有/"}));
    EXPECT_EQ(session.path, "/home/kaku/文書/第一章.epub");
    EXPECT_EQ(session.metadata.creator, "");
    EXPECT_EQ(session.metadata.rights, "x");
}

TEST_F(EpubDialogTest, TheFontChooserKeepsANameTheWriterCanFind) {
    data.write("明朝体.ttf", "font");
    std::deque<std::string> answers{"/elsewhere/other.ttf", data.path() + "/" + repeat("f", 32) + ".ttf",
                                    data.file("明朝体.ttf")};
    data.write(repeat("f", 32) + ".ttf", "font");
    std::vector<std::string> starts;
    services.choose_font_file = [&](const std::string& folder, std::string* path) {
        starts.push_back(folder);
        *path = answers.front();
        answers.pop_front();
        return true;
    };
    settings.rec.epub_flags = 0x02;
    host.script([this](DialogSession& d) {
        d.press(EPUB_DB_CHOOSE_FONT);                 // not in the data folder
        EXPECT_TRUE(messages.saw("データフォルダに置いてください"));
        EXPECT_EQ(d.get_text(EPUB_DB_FONT_FILE), "");
        d.press(EPUB_DB_CHOOSE_FONT);                 // a name longer than the field
        EXPECT_TRUE(messages.saw("このフォントファイル名は使えません"));
        EXPECT_EQ(d.get_text(EPUB_DB_FONT_FILE), "");
        d.press(EPUB_DB_CHOOSE_FONT);
        EXPECT_EQ(d.get_text(EPUB_DB_FONT_FILE), sj("明朝体.ttf"));
        d.press(1);
    });
    EXPECT_EQ(run(), DIALOG_OK);
    EXPECT_EQ(starts, std::vector<std::string>(3, data.path()));
    EXPECT_EQ(std::string(read_field(settings.rec.epub_font_file, sizeof settings.rec.epub_font_file)),
              sj("明朝体.ttf"));
}

TEST_F(EpubDialogTest, RunStoresTheRecordTheSessionAndRixIni) {
    data.write("Rix.ini", "[Other]\r\nk=v\r\n");
    services.print_title = "a" + repeat(sj("い"), 30);   // 61 bytes: cut after byte 49
    services.has_index = true;
    settings.rec.epub_flags = 0xF1;                       // chapter numbers on, bits 3-7 not ours
    settings.changed = false;
    host.script([](DialogSession& d) {
        d.press(EPUB_DB_CHAPTER_NUMBERS);
        d.press(EPUB_DB_EMBED_FONT);
        d.type_text(EPUB_DB_FONT_FILE, "book.ttf");
        d.press(EPUB_DB_SPLIT);
        d.type_text(EPUB_DB_SPLIT_KB, "64");
        d.press(EPUB_DB_FONT_SIZE_FIRST + 4);
        d.press(EPUB_DB_LINE_SPACING_FIRST + 1);
        d.type_text(EPUB_DB_CREATOR, sj("筆名"));
        d.type_text(EPUB_DB_PUBLISHER, sj("自費\r\n出版"));
        d.press(1);
    });
    EXPECT_EQ(run(), DIALOG_OK);
    const SettingsRecord& r = settings.rec;
    EXPECT_EQ(r.epub_flags, 0xF6);
    EXPECT_EQ(r.epub_split_kb, 64);
    EXPECT_EQ(r.epub_font_size_index, 4);
    EXPECT_EQ(r.epub_line_spacing_index, 1);
    EXPECT_EQ(std::string(read_field(r.epub_font_file, sizeof r.epub_font_file)), "book.ttf");
    EXPECT_TRUE(settings.changed);
    EXPECT_EQ(session.metadata.title, sj("海辺の町"));
    EXPECT_EQ(session.metadata.description, "a" + repeat(sj("い"), 24));
    EXPECT_EQ(session.metadata.creator, sj("筆名"));
    EXPECT_EQ(session.path, "/home/kaku/原稿/第一章.epub");
    EXPECT_EQ(session.for_document, services.document_path);
    EXPECT_EQ(ini(), "[Other]\r\nk=v\r\n[EPUB]\r\nDescription=a" + repeat(sj("い"), 24) + "\r\nCreator=" +
                         sj("筆名") + "\r\nCopyRight=\r\nPublisher=" + sj("自費出版") + "\r\n");
}

TEST_F(EpubDialogTest, RefusalsKeepTheDialogAndStoreNothing) {
    settings.rec.epub_flags = 0x00;
    settings.changed = false;
    host.script([this](DialogSession& d) {
        d.type_text(EPUB_DB_PATH, "");
        d.press(1);
        EXPECT_FALSE(d.ended());
        EXPECT_TRUE(messages.saw("出力ファイル名を入力してください"));
        d.type_text(EPUB_DB_PATH, "/tmp/out/");           // a folder is no file
        d.press(1);
        EXPECT_FALSE(d.ended());
        d.type_text(EPUB_DB_PATH, "/tmp/out/b.epub");
        d.press(EPUB_DB_EMBED_FONT);                      // a font without a name
        d.press(1);
        EXPECT_FALSE(d.ended());
        EXPECT_TRUE(messages.saw("フォントファイルを選択してください"));
        d.press(EPUB_DB_EMBED_FONT);
        d.press(EPUB_DB_SPLIT);
        d.type_text(EPUB_DB_SPLIT_KB, "0");               // split size outside 1..255
        d.press(1);
        EXPECT_FALSE(d.ended());
        EXPECT_TRUE(messages.saw("分割ｻｲｽﾞ"));
        EXPECT_TRUE(session.path.empty());
        EXPECT_FALSE(settings.changed);
        EXPECT_TRUE(ini().empty());
        d.press(2);
    });
    EXPECT_EQ(run(), DIALOG_CANCEL);
    EXPECT_EQ(host.focused, (std::vector<int>{EPUB_DB_PATH, EPUB_DB_PATH, EPUB_DB_FONT_FILE, EPUB_DB_SPLIT_KB}));
    EXPECT_EQ(settings.rec.epub_split_kb, 100);
}

TEST_F(EpubDialogTest, CloseStoresNothing) {
    session.metadata = {sj("前の題"), "", sj("前の人"), "", ""};
    session.path = "/old/前.epub";
    session.for_document = "/old/前.txt";
    host.script([](DialogSession& d) {
        d.type_text(EPUB_DB_TITLE, sj("書きかけ"));
        d.type_text(EPUB_DB_CREATOR, sj("別人"));
        d.type_text(EPUB_DB_PATH, "/tmp/x.epub");
        d.press(EPUB_DB_CHAPTER_NUMBERS);
        d.press(EPUB_DB_SPLIT);
        d.press(EPUB_DB_FONT_SIZE_FIRST);
        d.press(2);
    });
    EXPECT_EQ(run(), DIALOG_CANCEL);
    EXPECT_EQ(session.metadata.title, sj("前の題"));
    EXPECT_EQ(session.metadata.creator, sj("前の人"));
    EXPECT_EQ(session.path, "/old/前.epub");
    EXPECT_EQ(settings.rec.epub_flags, 0x05);
    EXPECT_EQ(settings.rec.epub_font_size_index, 2);
    EXPECT_FALSE(settings.changed);
    EXPECT_TRUE(ini().empty());
}

}  // namespace
}  // namespace rix

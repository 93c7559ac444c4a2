// The HTML dialogs through the fake host: what HTML_MAKE shows and enables,
// 作 成 storing the record and making the pages of one document or of a
// list (with its refusals), the document list of HTML_SEL (adding, reading
// a list file, the limit, moving, titles) and the colours of HTML_COL.
#include "app/publish/html_dialog.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/codec.h"
#include "platform/fake_dialogs.h"
#include "platform/fake_messages.h"
#include "tests/support/temp_folder.h"

namespace rix {
namespace {

std::string sj(std::string_view utf8) { return utf8_to_sjis(utf8); }

struct Written {
    int mode;
    std::string name, text, title;
};

struct HtmlDialogTest : ::testing::Test {
    FakeDialogHost host;
    FakeMessages messages;
    test::TempFolder folder;
    SettingsState settings;
    HtmlSession session;
    HtmlMakeServices services;
    std::vector<Written> pages;        // what the writers were asked for
    std::vector<std::string> vertical;
    std::vector<std::vector<HtmlDocEntry>> lists;
    std::vector<std::string> list_names;
    bool modified = false;

    void SetUp() override {
        services.document_path = folder.file("第一章.txt");
        services.document_title = sj("海辺の町");
        services.print_title = sj("第一章　潮");
        services.folder_names = {"第一章.txt", "list_002.txt", "list_007.txt"};
        services.modified = [this] { return modified; };
        services.write_vertical = [this](const std::string& name, const std::string& title) {
            vertical.push_back(name + "|" + title);
            return folder.file(name);
        };
        services.write_viewer = [this](int mode, const std::string& name, const std::string& text,
                                       const std::string& title) {
            pages.push_back({mode, name, text, title});
            return folder.file(name);
        };
        services.write_list = [this](const std::vector<HtmlDocEntry>& docs, const std::string& name) {
            lists.push_back(docs);
            list_names.push_back(name);
            return true;
        };
        settings.rec.html_height_percent = 80;
        settings.rec.html_width_percent = 90;
    }
    void run(const std::function<void(DialogSession&)>& act) {
        host.script([&act](DialogSession& d) {
            act(d);
            d.press(HTML_MAKE_CLOSE);
        });
        open_html_dialog(&settings, &session, &services, 0);
        EXPECT_EQ(host.left_open, 0);
    }
    void add_documents(int n) {
        for (int i = 1; i <= n; ++i) session.documents.push_back({HTML_TITLE_NONE, folder.file("d" + std::to_string(i) + ".txt"), "", ""});
    }
};

TEST_F(HtmlDialogTest, OpeningShowsTheRecordAndProposesTheNames) {
    settings.rec.html_format = 0;
    settings.rec.html_font = 1;
    settings.rec.html_title_mode = 2;
    settings.rec.html_ruby_separators = 4;
    store_field(settings.rec.html_custom_separators, sizeof settings.rec.html_custom_separators, sj("【】"));
    settings.rec.html_help_lines = 0x05;
    run([](DialogSession& d) {
        EXPECT_TRUE(d.get_check(HTML_MAKE_FORM_VERTICAL));
        EXPECT_TRUE(d.get_check(HTML_MAKE_GOTHIC));
        EXPECT_EQ(d.get_text(HTML_MAKE_FILE), sj("第一章.htm"));
        EXPECT_EQ(d.get_text(HTML_MAKE_LIST_FILE), "list_008.txt");
        EXPECT_EQ(d.get_text(HTML_MAKE_RUBY_CUSTOM), sj("【】"));
        EXPECT_TRUE(d.get_check(HTML_MAKE_HELP_LINE_FIRST));
        EXPECT_FALSE(d.get_check(HTML_MAKE_HELP_LINE_FIRST + 1));
        EXPECT_TRUE(d.get_check(HTML_MAKE_HELP_LINE_FIRST + 2));
        // The print title box only, by the title mode.
        EXPECT_FALSE(d.is_enabled(HTML_MAKE_DOCUMENT_TITLE));
        EXPECT_TRUE(d.is_enabled(HTML_MAKE_PRINT_TITLE));
        EXPECT_EQ(d.get_text(HTML_MAKE_PRINT_TITLE), sj("第一章　潮"));
        // The viewer's options wait for the viewer form.
        for (int id : {HTML_MAKE_NEXT_GUIDE, HTML_MAKE_BACK_BUTTON, HTML_MAKE_RUBY_FIRST, HTML_MAKE_RUBY_CUSTOM,
                       HTML_MAKE_HELP_LINE_FIRST, HTML_MAKE_SIZE_PERCENT, HTML_MAKE_SEVERAL, HTML_MAKE_SELECT})
            EXPECT_FALSE(d.is_enabled(id)) << id;
        EXPECT_FALSE(d.is_enabled(HTML_MAKE_PUBLISH));
        EXPECT_FALSE(d.is_enabled(HTML_MAKE_RUBY_EXPORT));
        d.press(HTML_MAKE_FORM_VIEWER);
        EXPECT_NE(sjis_to_utf8(d.get_text(HTML_MAKE_DESCRIPTION)).find("ビューア"), std::string::npos);
        EXPECT_TRUE(d.is_enabled(HTML_MAKE_RUBY_CUSTOM));
        EXPECT_TRUE(d.is_enabled(HTML_MAKE_SEVERAL));
        EXPECT_FALSE(d.is_enabled(HTML_MAKE_SELECT));
        EXPECT_FALSE(d.is_enabled(HTML_MAKE_HEIGHT_PERCENT));
        d.press(HTML_MAKE_SEVERAL);
        EXPECT_TRUE(d.is_enabled(HTML_MAKE_SELECT));
        EXPECT_TRUE(d.is_enabled(HTML_MAKE_LIST_FILE));
        d.press(HTML_MAKE_SIZE_PERCENT);
        EXPECT_TRUE(d.is_enabled(HTML_MAKE_HEIGHT_PERCENT));
        d.press(HTML_MAKE_TITLE_FIRST + 1);
        EXPECT_TRUE(d.is_enabled(HTML_MAKE_DOCUMENT_TITLE));
        EXPECT_FALSE(d.is_enabled(HTML_MAKE_PRINT_TITLE));
    });
    EXPECT_TRUE(host.missing.empty());
    // 閉じる stores nothing.
    EXPECT_EQ(settings.rec.html_format, 0);
    EXPECT_FALSE(settings.changed);
}

TEST_F(HtmlDialogTest, CreateStoresTheOptionsAndWritesTheVerticalPage) {
    run([](DialogSession& d) {
        d.press(HTML_MAKE_BOLD);
        d.press(HTML_MAKE_TITLE_FIRST + 1);
        d.type_text(HTML_MAKE_DOCUMENT_TITLE, sj("浜辺の町"));
        d.type_text(HTML_MAKE_FILE, "umi.htm");
        d.press(HTML_MAKE_CREATE);
        EXPECT_FALSE(d.ended());   // the dialog stays for more pages
    });
    ASSERT_EQ(vertical.size(), 1u);
    EXPECT_EQ(vertical[0], "umi.htm|" + sj("浜辺の町"));
    EXPECT_TRUE(pages.empty());
    EXPECT_EQ(settings.rec.html_bold, 1);
    EXPECT_EQ(settings.rec.html_title_mode, 1);
    EXPECT_TRUE(settings.changed);
    EXPECT_TRUE(services.titles_changed);
    EXPECT_EQ(services.document_title, sj("浜辺の町"));
    EXPECT_EQ(session.made, HTML_MADE_PAGE);
    EXPECT_EQ(session.made_page, folder.file("umi.htm"));
    // The name is kept for this document.
    run([](DialogSession& d) { EXPECT_EQ(d.get_text(HTML_MAKE_FILE), "umi.htm"); });
}

TEST_F(HtmlDialogTest, RefusalsWriteNothing) {
    settings.rec.html_format = 1;
    settings.rec.html_size_mode = 1;
    settings.rec.html_height_percent = 5;
    run([](DialogSession& d) { d.press(HTML_MAKE_CREATE); });
    EXPECT_TRUE(messages.saw("画面割合の設定値が不正です｡"));
    EXPECT_EQ(messages.log.back().time_ms, 5000u);

    // A name with a folder, an empty name.
    settings.rec.html_size_mode = 0;
    run([](DialogSession& d) {
        d.type_text(HTML_MAKE_FILE, "../up.htm");
        d.press(HTML_MAKE_CREATE);
        d.type_text(HTML_MAKE_FILE, "");
        d.press(HTML_MAKE_CREATE);
    });
    EXPECT_TRUE(messages.saw("フォルダ"));
    EXPECT_TRUE(messages.saw("ファイル名を入力してください"));

    // The viewer of a changed document.
    modified = true;
    run([](DialogSession& d) { d.press(HTML_MAKE_CREATE); });
    EXPECT_TRUE(messages.saw("文章を保存してから再実行してください。"));
    EXPECT_EQ(messages.log.back().time_ms, 7000u);

    // Several documents with none listed.
    modified = false;
    run([](DialogSession& d) {
        d.press(HTML_MAKE_SEVERAL);
        d.press(HTML_MAKE_CREATE);
    });
    EXPECT_TRUE(messages.saw("文章が選択されていません。"));
    EXPECT_EQ(messages.log.back().time_ms, 10000u);
    EXPECT_TRUE(pages.empty());
    EXPECT_TRUE(vertical.empty());
    EXPECT_TRUE(lists.empty());
    EXPECT_EQ(session.made, HTML_MADE_NOTHING);
}

TEST_F(HtmlDialogTest, TheViewerPageOfOneDocumentShowsItsFile) {
    settings.rec.html_format = 1;
    run([](DialogSession& d) { d.press(HTML_MAKE_CREATE); });
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0].mode, 0);
    EXPECT_EQ(pages[0].name, "第一章.htm");
    EXPECT_EQ(pages[0].text, "第一章.txt");
    EXPECT_EQ(pages[0].title, "");
    // Once ﾙﾋﾞ書出 made the "_ruby" file the target, the page shows it.
    services.ruby_export = [this] { return folder.file("第一章_ruby.txt"); };
    run([](DialogSession& d) {
        d.press(HTML_MAKE_RUBY_EXPORT);
        d.press(HTML_MAKE_CREATE);
    });
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[1].text, "第一章_ruby.txt");
}

TEST_F(HtmlDialogTest, SeveralDocumentsMakeTheListAndOnePagePerDocument) {
    settings.rec.html_format = 1;
    settings.rec.html_title_mode = 1;
    add_documents(3);
    run([](DialogSession& d) {
        d.press(HTML_MAKE_SEVERAL);
        d.press(HTML_MAKE_PAGE_EACH);
        d.type_text(HTML_MAKE_FILE, "name.htm");
        EXPECT_EQ(sjis_to_utf8(d.get_text(HTML_MAKE_COUNT)), "登録 3 件");
        d.press(HTML_MAKE_CREATE);
    });
    ASSERT_EQ(lists.size(), 1u);
    EXPECT_EQ(lists[0].size(), 3u);
    EXPECT_EQ(list_names[0], "list_008.txt");
    ASSERT_EQ(pages.size(), 3u);
    for (int n = 1; n <= 3; ++n) {
        EXPECT_EQ(pages[n - 1].mode, n);
        EXPECT_EQ(pages[n - 1].name, "name00" + std::to_string(n) + ".htm");
        EXPECT_EQ(pages[n - 1].text, "list_008.txt");
        EXPECT_EQ(pages[n - 1].title, sj("海辺の町"));
    }
    EXPECT_EQ(session.made, HTML_MADE_LIST);
    EXPECT_EQ(session.made_page, folder.file("name001.htm"));
    EXPECT_EQ(session.made_list, folder.file("list_008.txt"));
    EXPECT_FALSE(services.titles_changed);   // a list page stores no titles of the document

    // One page: the first document's number clipped to the list, or the selection list.
    pages.clear();
    run([](DialogSession& d) {
        EXPECT_FALSE(d.get_check(HTML_MAKE_SEVERAL));   // switched off at every opening
        EXPECT_TRUE(d.get_check(HTML_MAKE_PAGE_EACH));  // the rest of the choice is kept
        d.press(HTML_MAKE_SEVERAL);
        d.press(HTML_MAKE_PAGE_EACH);
        d.type_text(HTML_MAKE_FIRST_NUMBER, "9");
        d.press(HTML_MAKE_CREATE);
        d.press(HTML_MAKE_FIRST_LIST);
        d.press(HTML_MAKE_CREATE);
    });
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_EQ(pages[0].mode, 3);
    EXPECT_EQ(pages[0].name, "name.htm");
    EXPECT_EQ(pages[1].mode, -1);
}

TEST(HtmlPageNames, NumberedNamesKeepTheExtension) {
    EXPECT_EQ(numbered_page_name("name.htm", 1), "name001.htm");
    EXPECT_EQ(numbered_page_name("name.html", 300), "name300.html");
    EXPECT_EQ(numbered_page_name("name", 12), "name012");
}

struct HtmlSelectTest : ::testing::Test {
    FakeDialogHost host;
    FakeMessages messages;
    test::TempFolder folder;
    HtmlSession session;
    HtmlSelectServices services;
    std::vector<std::string> chosen;
    std::string list_file;

    void SetUp() override {
        services.choose_documents = [this](std::vector<std::string>* paths) {
            *paths = chosen;
            return !chosen.empty();
        };
        services.choose_list_file = [this](std::string* path) {
            *path = list_file;
            return !list_file.empty();
        };
    }
    void run(const std::function<void(DialogSession&)>& act) {
        host.script([&act](DialogSession& d) {
            act(d);
            d.press(2);
        });
        open_html_select(&session, services, 0);
        EXPECT_EQ(host.left_open, 0);
    }
};

TEST_F(HtmlSelectTest, AddingTakesTitlesFromTheExtensionFilesAndRefusesUnlistableNames) {
    // A document with an extension file holding both titles.
    std::string header(128, '\0');
    header.replace(0, 5, "RIX45");
    header.replace(5, 3, "txt");
    const std::string title = sj("港の灯"), print = sj("第二話　港の灯");
    header.replace(8, title.size(), title);
    header.replace(88, print.size(), print);
    folder.write("b.rix", header);
    folder.write("b.txt", "x");
    chosen = {folder.file("a.txt"), folder.file("b.txt"), folder.file("c,d.txt")};
    run([](DialogSession& d) {
        d.press(HTML_SEL_ADD);
        EXPECT_EQ(d.item_count(HTML_SEL_LIST), 2);
        EXPECT_EQ(d.cell_text(HTML_SEL_LIST, 1, 1), "b.txt");
        EXPECT_EQ(d.cell_text(HTML_SEL_LIST, 1, 2), sj("港の灯"));
    });
    ASSERT_EQ(session.documents.size(), 2u);
    EXPECT_EQ(session.documents[0].title_mode, HTML_TITLE_NONE);
    EXPECT_EQ(session.documents[1].title_mode, HTML_TITLE_DOCUMENT);
    EXPECT_EQ(session.documents[1].print_title, print);
    EXPECT_TRUE(messages.saw("はリストに加えられません"));
}

TEST_F(HtmlSelectTest, AListFileIsReadUpToItsFirstBadLine) {
    list_file = folder.write("list_001.txt", "a.txt," + sj("一の巻") + "\r\nb.txt,\r\nno comma\r\nc.txt,x\r\n");
    run([](DialogSession& d) { d.press(HTML_SEL_READ_LIST); });
    ASSERT_EQ(session.documents.size(), 2u);
    EXPECT_EQ(session.documents[0].path, folder.file("a.txt"));
    EXPECT_EQ(session.documents[0].title_mode, HTML_TITLE_PRINT);
    EXPECT_EQ(session.documents[0].print_title, sj("一の巻"));
    EXPECT_TRUE(messages.saw("list_001.txtは\nリストファイルではありません。"));
    EXPECT_EQ(messages.log.back().time_ms, 5000u);
}

TEST_F(HtmlSelectTest, TheListStopsAtThreeHundred) {
    for (int i = 0; i < HTML_MAX_DOCUMENTS - 1; ++i) session.documents.push_back({0, "/x/" + std::to_string(i), "", ""});
    chosen = {folder.file("a.txt"), folder.file("b.txt")};
    run([](DialogSession& d) { d.press(HTML_SEL_ADD); });
    EXPECT_EQ(session.documents.size(), static_cast<std::size_t>(HTML_MAX_DOCUMENTS));
    EXPECT_TRUE(messages.saw(" 選択の最大数は300です。"));
    std::string lines;
    for (int i = 0; i < 5; ++i) lines += "e" + std::to_string(i) + ".txt,\r\n";
    list_file = folder.write("list_002.txt", lines);
    messages.log.clear();
    run([](DialogSession& d) { d.press(HTML_SEL_READ_LIST); });
    EXPECT_EQ(session.documents.size(), static_cast<std::size_t>(HTML_MAX_DOCUMENTS));
    EXPECT_TRUE(messages.saw(" 選択の最大数は300です。"));
}

TEST_F(HtmlSelectTest, RowsMoveChangeTitlesAndGo) {
    session.documents = {{0, "/d/a.txt", "", ""}, {0, "/d/b.txt", "", ""}, {0, "/d/c.txt", "", ""}};
    messages.answer(MSG_RESULT_NO);
    run([](DialogSession& d) {
        d.select(HTML_SEL_LIST, 2);
        d.press(HTML_SEL_UP);
        EXPECT_EQ(d.get_selection(HTML_SEL_LIST), 1);
        d.press(HTML_SEL_TITLE_FIRST + HTML_TITLE_PRINT);
        EXPECT_TRUE(d.is_enabled(HTML_SEL_PRINT_TITLE));
        EXPECT_FALSE(d.is_enabled(HTML_SEL_DOCUMENT_TITLE));
        d.type_text(HTML_SEL_PRINT_TITLE, sj("三の巻"));
        d.press(HTML_SEL_CHANGE);
        d.select(HTML_SEL_LIST, 0);
        d.press(HTML_SEL_DELETE);
        d.press(HTML_SEL_DELETE_ALL);   // answered no
    });
    ASSERT_EQ(session.documents.size(), 2u);
    EXPECT_EQ(session.documents[0].path, "/d/c.txt");
    EXPECT_EQ(session.documents[0].title_mode, HTML_TITLE_PRINT);
    EXPECT_EQ(session.documents[0].print_title, sj("三の巻"));
    EXPECT_EQ(session.documents[1].path, "/d/b.txt");
    messages.answer(MSG_RESULT_YES);
    run([](DialogSession& d) { d.press(HTML_SEL_DELETE_ALL); });
    EXPECT_TRUE(session.documents.empty());
    EXPECT_EQ(messages.unexpected, 0);
}

TEST(HtmlColours, BothColoursAreStoredOnlyBySetting) {
    FakeDialogHost host;
    SettingsState settings;
    settings.rec.html_help_colour = 15;
    settings.rec.html_guide_colour = 0;
    host.script([](DialogSession& d) {
        EXPECT_TRUE(d.get_check(HTML_COL_HELP_FIRST + 15));
        EXPECT_EQ(d.get_colour(HTML_COL_SWATCH_FIRST + 13), 0xFF00FFu);
        d.press(HTML_COL_HELP_FIRST + 13);   // fuchsia
        d.press(HTML_COL_GUIDE_FIRST + 9);   // red
        d.press(2);
    });
    EXPECT_FALSE(open_html_colours(&settings, 0));
    EXPECT_EQ(settings.rec.html_help_colour, 15);
    host.script([](DialogSession& d) {
        d.press(HTML_COL_HELP_FIRST + 13);
        d.press(HTML_COL_GUIDE_FIRST + 9);
        d.press(1);
    });
    EXPECT_TRUE(open_html_colours(&settings, 0));
    EXPECT_EQ(settings.rec.html_help_colour, 13);
    EXPECT_EQ(settings.rec.html_guide_colour, 9);
    EXPECT_TRUE(settings.changed);
    EXPECT_TRUE(host.missing.empty());
}

}  // namespace
}  // namespace rix

// The HTML pages as the application writes them, through the fake message
// host: the list file of three documents with the copy question (never
// overwriting), the list stopped at 300 entries, the static and viewer pages
// in the document's folder with the question to show them, the background
// image and rix.class copied on yes only when the data folder has them, the
// template in the data folder, failures told and refusals of the document's
// own file. The browser is a stand-in `xdg-open` on PATH that notes the page.
// Owed: the dialogs that call these (HTML_MAKE, HTML_SEL, HTML_COL).
#include "app/publish/html_run.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <thread>

#include "app/settings/default_settings.h"
#include "document/document_state.h"
#include "platform/codec.h"
#include "platform/fake_messages.h"
#include "tests/support/temp_folder.h"

namespace rix {
namespace {

std::string sj(std::string_view utf8) { return utf8_to_sjis(utf8); }

// Sets a file's modification time `days` days back.
void days_back(const std::string& path, int days) {
    struct timespec t[2];
    ::clock_gettime(CLOCK_REALTIME, &t[0]);
    t[0].tv_sec -= days * 86400L;
    t[1] = t[0];
    ::utimensat(AT_FDCWD, path.c_str(), t, 0);
}

struct HtmlRunTest : ::testing::Test {
    FakeMessages messages;
    test::TempFolder dir;        // the document's folder
    test::TempFolder data;       // the data folder
    test::TempFolder other;      // another folder of documents
    test::TempFolder bin;        // the stand-in browser
    Application app;
    std::string document;
    std::string old_path;

    void SetUp() override {
        build_default_settings(&app.settings.rec);
        app.paths.program_folder = data.path();
        app.loaded = std::make_unique<LoadedDocument>(std::string(), UINT64_MAX);
        document = dir.write("羅生門.txt", sj("ある日の暮方の事である。\r\n下人が<雨>やみを待っていた。\r\n"));
        ASSERT_TRUE(open_document_file(&app.doc, document, 0));
        app.doc.save_name = document;
        load_into_application(app);
        bin.write("xdg-open", "#!/bin/sh\necho \"$1\" >>\"" + bin.file("opened") + "\"\n");
        ::chmod(bin.file("xdg-open").c_str(), 0755);
        old_path = std::getenv("PATH") ? std::getenv("PATH") : "";
        ::setenv("PATH", (bin.path() + ":" + old_path).c_str(), 1);
    }
    void TearDown() override {
        ::setenv("PATH", old_path.c_str(), 1);
        close_document(&app.doc, false);
    }
    // What the stand-in browser was asked to open (it runs detached).
    std::string opened() {
        for (int i = 0; i < 100 && !file_exists(bin.file("opened")); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return test::slurp(bin.file("opened"));
    }
};

TEST_F(HtmlRunTest, ThreeDocumentsMakeTheListFileWithTheCopyQuestion) {
    const std::string a = dir.write("a.txt", "A"), b = other.write("b.txt", "B"), c = dir.write("c.txt", "C");
    std::vector<HtmlDocEntry> docs = {{HTML_TITLE_DOCUMENT, a, sj("第一話"), sj("印刷用")},
                                      {HTML_TITLE_PRINT, b, sj("第二話"), sj("二の印刷題")},
                                      {HTML_TITLE_NONE, c, sj("第三話"), ""}};
    messages.answer(MSG_RESULT_YES);   // b.txt is copied
    ASSERT_TRUE(write_html_list_file(app, docs, "list_001.txt"));
    EXPECT_EQ(test::slurp(dir.file("list_001.txt")),
              sj("a.txt,第一話\r\nb.txt,二の印刷題\r\nc.txt,\r\n"));
    ASSERT_EQ(messages.log.size(), 1u);
    EXPECT_EQ(messages.utf8(0), "現在のフォルダにファイル\nb.txtがありません。\nフォルダ" + other.path() +
                                    "\nからコピーしますか？");
    EXPECT_EQ(test::slurp(dir.file("b.txt")), "B");

    // Again, with another b.txt in the folder: yes copies nothing over it.
    dir.write("b.txt", "mine");
    messages.answer(MSG_RESULT_YES);
    ASSERT_TRUE(write_html_list_file(app, docs, "list_002.txt"));
    EXPECT_EQ(test::slurp(dir.file("b.txt")), "mine");
    EXPECT_TRUE(messages.saw("コピーしませんでした"));
    EXPECT_EQ(messages.unexpected, 0);
}

TEST_F(HtmlRunTest, TheListStopsAt300AndAFailedWriteIsTold) {
    const std::string a = dir.write("a.txt", "A");
    std::vector<HtmlDocEntry> docs(301, HtmlDocEntry{HTML_TITLE_NONE, a, "", ""});
    ASSERT_TRUE(write_html_list_file(app, docs, "list_001.txt"));
    const std::string list = test::slurp(dir.file("list_001.txt"));
    EXPECT_EQ(std::count(list.begin(), list.end(), '\n'), 300);

    messages.log.clear();
    EXPECT_FALSE(write_html_list_file(app, docs, "missing/list_002.txt"));
    EXPECT_TRUE(messages.saw("書き出せません"));
    EXPECT_FALSE(write_html_list_file(app, docs, "羅生門.txt"));   // the document itself
    EXPECT_TRUE(messages.saw("上書きすることはできません"));
    EXPECT_EQ(test::slurp(document).substr(0, 2), sj("あ"));
}

TEST_F(HtmlRunTest, TheStaticPageIsWrittenBesideTheDocumentAndShownOnYes) {
    messages.answer(MSG_RESULT_NO);
    const std::string path = write_vertical_html(app, "羅生門.htm", sj("羅生門 & 門"));
    EXPECT_EQ(path, dir.file("羅生門.htm"));
    const std::string page = test::slurp(path);
    EXPECT_EQ(page.find(sj("<!--- ")), 0u);
    EXPECT_NE(page.find("<head>\n<meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">\n"),
              std::string::npos);
    EXPECT_NE(page.find(sj("<title>羅生門 &amp; 門</title>")), std::string::npos);
    EXPECT_NE(page.find(sj("下人が&lt;雨&gt;やみを待っていた。<br>")), std::string::npos);
    EXPECT_EQ(messages.utf8(0), "HTMLﾌｧｲﾙ\n" + path + "\nを作成しました。\nブラウザで表示しますか？");
    EXPECT_FALSE(file_exists(bin.file("opened")));

    // A tiled background image: copied from the data folder on yes, with the notice.
    SettingsRecord& rec = app.settings.rec;
    const int slot = rec.current_screen_format;
    rec.background_mode[slot] = 1;
    std::memcpy(rec.background_images[slot].tile_image_name, "washi.jpg", 10);
    data.write("washi.jpg", "JPEG");
    messages.log.clear();
    messages.answer(MSG_RESULT_YES);
    ASSERT_EQ(write_vertical_html(app, "羅生門.htm", ""), path);
    EXPECT_NE(test::slurp(path).find("background-image: url(washi.jpg);"), std::string::npos);
    EXPECT_TRUE(messages.saw("画像ファイルをコピーします。"));
    EXPECT_EQ(test::slurp(dir.file("washi.jpg")), "JPEG");
    EXPECT_EQ(opened(), path + "\n");

    // Without the question nothing is asked; a failed write is told and returns "".
    messages.log.clear();
    EXPECT_EQ(write_vertical_html(app, "x.htm", "", false), dir.file("x.htm"));
    EXPECT_TRUE(messages.log.empty());
    EXPECT_EQ(write_vertical_html(app, "missing/x.htm", "", false), "");
    EXPECT_TRUE(messages.saw("書き出せません"));
    EXPECT_EQ(write_vertical_html(app, "羅生門.txt", "", false), "");
    EXPECT_EQ(test::slurp(document).substr(0, 2), sj("あ"));
    EXPECT_EQ(messages.unexpected, 0);
}

TEST_F(HtmlRunTest, TheViewerPageCopiesRixClassOnlyWhenTheDataFolderHasIt) {
    // No rix.class anywhere: yes opens the page and says it could not be copied.
    messages.answer(MSG_RESULT_YES);
    const std::string path = write_applet_html(app, 0, "羅生門.htm", "羅生門.txt", "");
    ASSERT_EQ(path, dir.file("羅生門.htm"));
    const std::string page = test::slurp(path);
    EXPECT_NE(page.find(sj("<param name = \"text\" value = \"羅生門.txt\">\r\n")), std::string::npos);
    EXPECT_NE(page.find("<param name = \"multi_txt\" value = \"0\">\r\n"), std::string::npos);
    EXPECT_FALSE(file_exists(dir.file("rix.class")));
    EXPECT_FALSE(messages.saw("rix.classをコピーします"));
    EXPECT_TRUE(messages.saw("コピーできません"));

    // In the data folder: copied when missing; an older copy is replaced.
    data.write("rix.class", "new");
    messages.log.clear();
    messages.answer(MSG_RESULT_YES);
    ASSERT_FALSE(write_applet_html(app, 1, "p001.htm", "list_001.txt", "").empty());
    EXPECT_TRUE(messages.saw("rix.classファイルがありません。"));
    EXPECT_EQ(test::slurp(dir.file("rix.class")), "new");
    dir.write("rix.class", "old");
    days_back(dir.file("rix.class"), 3);
    messages.log.clear();
    messages.answer(MSG_RESULT_YES);
    ASSERT_FALSE(write_applet_html(app, -1, "p.htm", "list_001.txt", "").empty());
    EXPECT_TRUE(messages.saw("旧版です。"));
    EXPECT_EQ(test::slurp(dir.file("rix.class")), "new");

    // Pages after the first of a series ask nothing.
    messages.log.clear();
    EXPECT_EQ(write_applet_html(app, 2, "p002.htm", "list_001.txt", ""), dir.file("p002.htm"));
    EXPECT_TRUE(messages.log.empty());
    EXPECT_EQ(messages.unexpected, 0);
}

TEST_F(HtmlRunTest, TheTemplateGoesIntoTheDataFolderAndIsOpened) {
    const std::string path = write_template_html(app);
    EXPECT_EQ(path, data.file("縦書ひな形.htm"));
    const std::string page = test::slurp(path);
    EXPECT_NE(page.find(sj("ある日の暮方の事である。<br>\r\n")), std::string::npos);
    EXPECT_EQ(opened(), path + "\n");
}

// libxml2's HTML parser on a written page: its messages other than the
// ruby elements its HTML 4 element table does not know ("" = none).
std::string parser_errors(const std::string& path) {
    const std::string command = "xmllint --html --noout '" + path + "' 2>&1";
    std::string out, errors;
    if (FILE* p = ::popen(command.c_str(), "r")) {
        char buf[4096];
        while (std::size_t n = std::fread(buf, 1, sizeof buf, p)) out.append(buf, n);
        if (::pclose(p) != 0) errors = "xmllint failed\n";
    }
    std::size_t at = 0;
    while (at < out.size()) {
        const std::size_t end = std::min(out.find('\n', at), out.size());
        const std::string line = out.substr(at, end - at);
        at = end + 1;
        if (line.find(": HTML parser ") == std::string::npos && line.find(": parser ") == std::string::npos) continue;
        bool ruby = false;
        for (const char* tag : {"ruby", "rb", "rp", "rt"})
            ruby = ruby || line.ends_with(std::string("HTML parser error : Tag ") + tag + " invalid");
        if (!ruby) errors += line + "\n";
    }
    return errors;
}

TEST_F(HtmlRunTest, EveryPageParsesAsHtml) {
    if (std::system("command -v xmllint >/dev/null 2>&1") != 0) GTEST_SKIP() << "xmllint is missing";
    SettingsRecord& rec = app.settings.rec;
    rec.html_help_lines = 7;
    rec.html_back_button = 1;
    rec.html_ruby_separators = 3;
    const std::string page = write_vertical_html(app, "p.htm", sj("題 & <名>"), false);
    messages.answer(MSG_RESULT_NO);
    const std::string viewer = write_applet_html(app, 1, "v.htm", "list_001.txt", sj("題 & \"名\""));
    const std::string template_page = write_template_html(app);
    for (const std::string& path : {page, viewer, template_page}) {
        ASSERT_FALSE(path.empty());
        EXPECT_EQ(parser_errors(path), "") << path;
    }
}

TEST_F(HtmlRunTest, TheScreenAndOptionsComeFromTheRecord) {
    SettingsRecord& rec = app.settings.rec;
    rec.text_colour_rgb[2] = 0x00332211;
    rec.writing_direction[2] = 1;
    rec.html_help_colour = 0x1D;                  // a corrupt index wraps to 13
    rec.html_size_mode = 1;
    const HtmlScreen s = html_screen(app, 2);
    EXPECT_FALSE(s.vertical);
    EXPECT_EQ(s.text_colour, 0x00332211u);
    EXPECT_GT(s.font_w, 0);
    EXPECT_GT(s.client_w, 0);
    EXPECT_EQ(s.columns, rec.columns_per_page[2]);
    const HtmlOptions o = html_options(rec);
    EXPECT_EQ(o.help_colour, 13);
    EXPECT_TRUE(o.percent_size);
}

}  // namespace
}  // namespace rix

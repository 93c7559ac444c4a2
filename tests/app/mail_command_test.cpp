// メール送信 (command 504) and the mail address of the right-click menu
// (command 230) as the main window runs them: the URL the desktop is given,
// the address under the cursor, the long body's rest on the clipboard with
// the notice, a refused clipboard and a missing mail program told, a partly
// loaded document mailed whole, other addresses of 230 opened as before.
// Owed: the vertical template page (app/publish/html_run.h) once it is wired in.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/window/command_table.h"
#include "app/shell/features.h"
#include "app/settings/default_settings.h"
#include "app/edit/editor.h"
#include "app/publish/mail_run.h"
#include "app/edit/screen.h"
#include "app/window/shell_events.h"
#include "document/document_state.h"
#include "document/loader.h"
#include "platform/clipboard.h"
#include "platform/codec.h"
#include "platform/fake_fonts.h"
#include "platform/fake_messages.h"
#include "platform/files.h"
#include "platform/recording_surface.h"
#include "rix_build_paths.h"
#include "tests/support/command_app.h"
#include "tests/support/temp_folder.h"

namespace rix {
namespace {

std::string sj(std::string_view utf8) { return utf8_to_sjis(utf8); }

const char* const SENTENCE = "ある日の暮方の事である。一人の下人が、羅生門の下で雨やみを待っていた。\r\n";
const char* const LAST_LINE = "下人の行方は、誰も知らない。";

struct MailCommandTest : test::CommandAppTest {
    FakeClipboard clipboard;
    std::vector<std::string> opened;
    bool opens = true;

    void SetUp() override {
        CommandAppTest::SetUp();
        app.window.clipboard = &clipboard;
        app.window.open_address = [this](const std::string& url) {
            opened.push_back(url);
            return opens;
        };
    }
    void open(const std::string& utf8_text) {
        const std::string path = dir.write("羅生門.txt", sj(utf8_text));
        ASSERT_TRUE(open_document_file(&app.doc, path, 0));
        app.doc.save_name = path;
        load_into_application(app);
        start_editing(app);
        app.startup_done = true;
        app.hooks.rebuild_screen(app);
    }
    std::string long_text() {
        std::string text;
        for (int i = 0; i < 60; ++i) text += SENTENCE;
        return text + LAST_LINE;
    }
    void TearDown() override { close_document(&app.doc, false); }
    CommandTable& commands() { return shell->commands(); }
};

TEST_F(MailCommandTest, TheMenuCommandOpensTheEncodedMail) {
    open("abc&d\r\n日本 #1");
    EXPECT_TRUE(commands().enabled(COMMAND_MAIL));
    ASSERT_TRUE(commands().run(COMMAND_MAIL));
    EXPECT_EQ(opened, std::vector<std::string>{"mailto:?body=abc%26d%0A%E6%97%A5%E6%9C%AC%20%231"});
    EXPECT_TRUE(messages.log.empty());
    EXPECT_FALSE(clipboard.has_text);
    // Its help page is there.
    EXPECT_EQ(commands().topic(COMMAND_MAIL), "MAIL");
    EXPECT_TRUE(file_exists(std::string(RIX_RESOURCE_DIR) + "/help/HLP_MAIL.htm"));
}

TEST_F(MailCommandTest, TheAddressUnderTheCursorIsUsedWhenItIsAMailAddress) {
    open("宛先 foo@example.jp まで\r\nhttp://example.jp/a");
    app.loaded->edit.cursor.pos = TextPos(0, 8);
    EXPECT_EQ(mail_address_at_cursor(app), "mailto:foo@example.jp");
    ASSERT_TRUE(commands().run(COMMAND_MAIL));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].rfind("mailto:foo@example.jp?body=%E5%AE%9B", 0), 0u) << opened[0];
    // A web address, or none, leaves the writer to fill the address in.
    app.loaded->edit.cursor.pos = TextPos(1, 3);
    EXPECT_EQ(mail_address_at_cursor(app), "mailto:");
    app.loaded->edit.cursor.pos = TextPos(0, 0);
    EXPECT_EQ(mail_address_at_cursor(app), "mailto:");
}

TEST_F(MailCommandTest, ALongBodyGoesOnTheClipboardWithTheNotice) {
    open(long_text());
    ASSERT_TRUE(commands().run(COMMAND_MAIL));
    ASSERT_EQ(opened.size(), 1u);
    ASSERT_EQ(messages.log.size(), 1u);
    EXPECT_EQ(messages.log[0].kind, MSG_NOTICE);
    EXPECT_EQ(messages.log[0].time_ms, 18000u);
    EXPECT_EQ(messages.utf8(0),
              "インターネット仕様上のメーラー起動容量制限に達しましたので、\n本文の残りはクリップボードに格納しました。\n\n"
              "送信メッセージ欄の最後にカーソルを合わせ、\n右クリックメニューの「貼り付け」か、\n"
              "Sift+Insertキーで残りの本文を付け加えてください。");
    ASSERT_TRUE(clipboard.has_text);
    // The rest ends the document in CR LF lines, in UTF-8 as the clipboard takes it.
    EXPECT_NE(clipboard.text.find("\r\n"), std::string::npos);
    EXPECT_EQ(clipboard.text.find("%0A"), std::string::npos);
    const std::string last = LAST_LINE;
    EXPECT_EQ(clipboard.text.substr(clipboard.text.size() - last.size()), last);
    EXPECT_EQ(opened[0].find("%E4%B8%8B%E4%BA%BA%E3%81%AE%E8%A1%8C"), std::string::npos);   // 下人の行
}

TEST_F(MailCommandTest, ARefusedClipboardAndAMissingMailProgramAreTold) {
    open(long_text());
    clipboard.fail_next_set = true;
    opens = false;
    EXPECT_TRUE(commands().run(COMMAND_MAIL));
    EXPECT_EQ(opened.size(), 1u);
    EXPECT_FALSE(messages.saw("クリップボードに格納しました"));
    EXPECT_TRUE(messages.saw("クリップボードへ転送できませんでした"));
    EXPECT_TRUE(messages.saw("メールソフトを起動できませんでした"));
}

TEST_F(MailCommandTest, APartlyLoadedDocumentIsMailedWhole) {
    open(long_text());
    LoadedDocument& loaded = *app.loaded;
    loaded.session.options.chunk_size = 512;
    start_load(loaded.document, app.doc, loaded.session);
    ASSERT_FALSE(loaded.document.fully_loaded());
    ASSERT_TRUE(commands().run(COMMAND_MAIL));
    EXPECT_TRUE(loaded.document.fully_loaded());
    const std::string last = LAST_LINE;
    ASSERT_GE(clipboard.text.size(), last.size());
    EXPECT_EQ(clipboard.text.substr(clipboard.text.size() - last.size()), last);
}

TEST_F(MailCommandTest, TheRightClickAddressMailsOnlyMailAddresses) {
    open("abc");
    open_offered_address(app, "mailto:x@y.jp");
    open_offered_address(app, "http://example.jp/?q=1&r=2");
    EXPECT_EQ(opened, (std::vector<std::string>{"mailto:x@y.jp?body=abc", "http://example.jp/?q=1&r=2"}));
    // Without the mail feature a mail address opens as it is.
    app.hooks.send_mail.clear();
    open_offered_address(app, "mailto:x@y.jp");
    EXPECT_EQ(opened.back(), "mailto:x@y.jp");
}

TEST_F(MailCommandTest, TheTemplatePageComesBetweenComposingAndOpening) {
    open(long_text());
    std::vector<std::string> order;
    MailServices services;
    services.template_page = [&] { order.push_back(clipboard.has_text ? "page after the clipboard" : "page"); };
    services.open_address = [&](const std::string&) {
        order.push_back("open");
        return true;
    };
    EXPECT_TRUE(send_document_mail(app, "mailto:", services));
    EXPECT_EQ(order, (std::vector<std::string>{"page after the clipboard", "open"}));
}

}  // namespace
}  // namespace rix

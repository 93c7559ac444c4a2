// FILE_CRYPT and FILE_SEARC through the fake dialog host: encrypting a copy
// with its questions and failures, the search and its buttons.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "app/files/file_crypt_dialog.h"
#include "app/files/file_search_dialog.h"
#include "platform/codec.h"
#include "platform/fake_dialogs.h"
#include "platform/fake_messages.h"
#include "platform/files.h"
#include "tests/support/temp_folder.h"

namespace rix {
namespace {

using test::slurp;
using test::TempFolder;

std::string sj(std::string_view utf8) { return utf8_to_sjis(utf8); }

struct FileCryptDialogTest : ::testing::Test {
    FakeDialogHost host;
    FakeMessages messages;
    TempFolder t;
    std::string key = "secret";
    FileCryptState state;
    FileCryptServices services;
    std::vector<std::string> viewed;

    void SetUp() override {
        state.key = &key;
        services.view = [this](const std::string& p) { viewed.push_back(p); };
    }
    void run(std::function<void(DialogSession&)> act) {
        host.script([act](DialogSession& d) {
            act(d);
            d.press(FILE_CRYPT_CLOSE);
        });
        run_file_crypt_dialog(&state, services, 0);
        EXPECT_EQ(host.left_open, 0);
    }
};

TEST_F(FileCryptDialogTest, EncryptsACopyAndDecryptsItBack) {
    t.write("doc.txt", "原稿の本文");
    state.show_result = true;
    run([&](DialogSession& d) {
        EXPECT_EQ(d.get_text(300), "secret");
        EXPECT_FALSE(d.is_visible(301));
        d.type_text(FILE_CRYPT_SOURCE, sj(t.file("doc.txt")));
        d.type_text(FILE_CRYPT_OUTPUT, sj(t.file("doc.enc")));
        d.press(FILE_CRYPT_ENCRYPT);
        EXPECT_FALSE(d.ended());
        EXPECT_TRUE(messages.saw("暗号化を完了しました｡"));
        d.type_text(FILE_CRYPT_SOURCE, sj(t.file("doc.enc")));
        d.type_text(FILE_CRYPT_OUTPUT, sj(t.file("back.txt")));
        d.press(FILE_CRYPT_DECRYPT);
        EXPECT_TRUE(messages.saw("復号化を完了しました｡"));
    });
    EXPECT_NE(slurp(t.file("doc.enc")), "原稿の本文");
    EXPECT_EQ(slurp(t.file("back.txt")), "原稿の本文");
    EXPECT_EQ(viewed, (std::vector<std::string>{t.file("doc.enc"), t.file("back.txt")}));
    // The paths stay for the next opening.
    EXPECT_EQ(state.source, t.file("doc.enc"));
    run([&](DialogSession& d) { EXPECT_EQ(sjis_to_utf8(d.get_text(FILE_CRYPT_OUTPUT)), t.file("back.txt")); });
}

TEST_F(FileCryptDialogTest, NoToOverwriteLeavesBothFiles) {
    t.write("a", "source");
    t.write("b", "existing");
    messages.answer(MSG_RESULT_NO);
    run([&](DialogSession& d) {
        d.type_text(FILE_CRYPT_SOURCE, sj(t.file("a")));
        d.type_text(FILE_CRYPT_OUTPUT, sj(t.file("b")));
        d.press(FILE_CRYPT_ENCRYPT);
    });
    EXPECT_TRUE(messages.saw("は既に存在します｡\n上書きしますか？"));
    EXPECT_EQ(slurp(t.file("a")), "source");
    EXPECT_EQ(slurp(t.file("b")), "existing");
    EXPECT_FALSE(messages.saw("完了"));
}

TEST_F(FileCryptDialogTest, FailuresAreToldAndKeepTheOldOutput) {
    t.write("b", "existing");
    messages.answer(MSG_RESULT_YES);
    run([&](DialogSession& d) {
        d.type_text(FILE_CRYPT_SOURCE, sj(t.file("missing")));
        d.type_text(FILE_CRYPT_OUTPUT, sj(t.file("b")));
        d.press(FILE_CRYPT_ENCRYPT);
        EXPECT_TRUE(messages.saw("元のファイルをオープン出来ません｡"));
        d.type_text(FILE_CRYPT_SOURCE, sj(t.file("b")));
        d.type_text(FILE_CRYPT_OUTPUT, sj(t.file("nowhere/c")));
        d.press(FILE_CRYPT_DECRYPT);
        EXPECT_TRUE(messages.saw("復号化ファイルをオープン出来ません｡"));
    });
    EXPECT_EQ(slurp(t.file("b")), "existing");
}

TEST_F(FileCryptDialogTest, TheKeyCanBeShownAndTheChoosersFillTheEdits) {
    services.choose_source = [&](std::string* p) { *p = t.file("chosen.txt"); return true; };
    run([&](DialogSession& d) {
        EXPECT_FALSE(d.is_enabled(FILE_CRYPT_CHOOSE_OUTPUT));
        d.press(FILE_CRYPT_SHOW_KEY);
        EXPECT_TRUE(d.is_visible(301));
        d.type_text(301, "other");
        d.press(FILE_CRYPT_CHOOSE_SOURCE);
        EXPECT_EQ(sjis_to_utf8(d.get_text(FILE_CRYPT_SOURCE)), t.file("chosen.txt"));
        d.press(FILE_CRYPT_HELP);
    });
    EXPECT_EQ(key, "other");
    EXPECT_TRUE(state.show_key);
    EXPECT_EQ(messages.help_topics, (std::vector<std::string>{"CRYPT"}));
}

struct FileSearchDialogTest : ::testing::Test {
    FakeDialogHost host;
    FakeMessages messages;
    TempFolder t;
    FileSearchState state;
    FileSearchServices services;
    std::vector<std::string> viewed, opened;

    void SetUp() override {
        services.document_folder = t.path();
        services.view = [this](const std::string& p) { viewed.push_back(p); };
        services.open_document = [this](const std::string& p) { opened.push_back(p); };
        ::mkdir(t.file("x").c_str(), 0755);
        t.write("x/draft.txt", "");
        t.write("notes.doc", "");
    }
    void run(std::function<void(DialogSession&)> act) {
        host.script([act](DialogSession& d) {
            act(d);
            if (!d.ended()) d.press(FILE_SEARCH_CLOSE);
        });
        run_file_search_dialog(&state, services, 0);
        EXPECT_EQ(host.left_open, 0);
    }
};

TEST_F(FileSearchDialogTest, ShowsUsageThenResultsAndOpensOne) {
    run([&](DialogSession& d) {
        EXPECT_EQ(d.get_text(FILE_SEARCH_TEXT), ".txt");
        EXPECT_EQ(sjis_to_utf8(d.get_text(FILE_SEARCH_FOLDER)), t.path() + "/");
        EXPECT_EQ(d.item_count(FILE_SEARCH_LIST), 23);
        d.press(FILE_SEARCH_PREVIEW);
        EXPECT_TRUE(messages.saw("先に選択してください。"));
        d.select(FILE_SEARCH_LIST, 3);   // a usage line is no result
        d.press(FILE_SEARCH_OPEN);
        EXPECT_TRUE(opened.empty());
        d.press_enter();
        ASSERT_EQ(d.item_count(FILE_SEARCH_LIST), 1);
        EXPECT_NE(d.item_text(FILE_SEARCH_LIST, 0).find("draft.txt"), std::string::npos);
        EXPECT_EQ(d.get_text(FILE_SEARCH_COUNTER), "0/1 1-1");
        d.select(FILE_SEARCH_LIST, 0);
        EXPECT_EQ(d.get_text(FILE_SEARCH_COUNTER), "  1/1");
        d.double_click(FILE_SEARCH_LIST, 0);
        d.press(FILE_SEARCH_OPEN);
        EXPECT_TRUE(d.ended());
    });
    EXPECT_EQ(viewed, (std::vector<std::string>{t.file("x/draft.txt")}));
    EXPECT_EQ(opened, (std::vector<std::string>{t.file("x/draft.txt")}));
    EXPECT_EQ(state.folder, t.path() + "/x/");
}

TEST_F(FileSearchDialogTest, EscapeEndsTheSearchWithWhatWasFound) {
    int polls = 0;
    services.escape_pressed = [&] { return ++polls > 1; };
    run([&](DialogSession& d) {
        d.type_text(FILE_SEARCH_TEXT, "");
        d.type_text(FILE_SEARCH_TEXT, ".doc");
        d.press(FILE_SEARCH_RUN);
        EXPECT_LE(d.item_count(FILE_SEARCH_LIST), 1);
    });
    EXPECT_EQ(state.last.end, SearchEnd::CANCELLED);
    EXPECT_EQ(state.text, ".doc");
}

}  // namespace
}  // namespace rix

// FILE_SEL through the fake dialog host: the modes, listing and sorting,
// choosing, renaming, secure deletion, the read-only toggle and the buttons
// that hand over to other dialogs.
#include "app/files/file_select_dialog.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "files/select_file.h"
#include "platform/codec.h"
#include "platform/fake_dialogs.h"
#include "platform/fake_messages.h"
#include "platform/files.h"
#include "platform/window_host.h"
#include "tests/support/temp_folder.h"

namespace rix {
namespace {

using test::slurp;
using test::TempFolder;

std::string sj(std::string_view utf8) { return utf8_to_sjis(utf8); }

std::string header(std::string_view ext, std::string_view title) {
    std::string h(128, '\0');
    h.replace(0, 5, "RIX45");
    h.replace(5, ext.size(), ext);
    h.replace(8, title.size(), title);
    return h;
}

struct FileSelectTest : ::testing::Test {
    FakeDialogHost host;
    FakeMessages messages;
    TempFolder t;
    FileSelectServices s;
    std::uint8_t order = SORT_NAME, folders_first = 1;
    int changed = 0;

    void SetUp() override {
        s.file_list_order = &order;
        s.folders_first = &folders_first;
        s.settings_changed = [this] { ++changed; };
        t.write("b.txt", "second");
        t.write("a.txt", "first");
        t.write("a.rix", header("txt", sj("海の章")));
        ::mkdir(t.file("sub").c_str(), 0755);
    }
    FileSelectOutcome run(int mode, const std::string& preset, std::function<void(DialogSession&)> act) {
        host.script([act](DialogSession& d) {
            act(d);
            if (!d.ended()) d.press(FILE_SEL_CLOSE);
        });
        FileSelectOutcome out = run_file_select_dialog(mode, preset, s, 0);
        EXPECT_EQ(host.left_open, 0);
        return out;
    }
    // The row of a file or folder name (the name cell without its padding).
    static int row_named(DialogSession& d, std::string_view name) {
        for (int i = 0; i < d.item_count(FILE_SEL_LIST); ++i) {
            std::string cell = d.cell_text(FILE_SEL_LIST, i, 1);
            std::erase(cell, ' ');
            if (cell == sj(name)) return i;
        }
        return -1;
    }
};

TEST_F(FileSelectTest, OpensListingTheFolderWithTitles) {
    run(SELECT_OPEN, t.path() + "/", [&](DialogSession& d) {
        EXPECT_EQ(sjis_to_utf8(d.caption()), "　文書を開く");
        EXPECT_TRUE(d.is_visible(FILE_SEL_NEW));
        EXPECT_FALSE(d.is_visible(FILE_SEL_PICKED));
        ASSERT_EQ(d.item_count(FILE_SEL_LIST), 5);   // root, parent, sub, a.txt, b.txt
        EXPECT_EQ(d.cell_text(FILE_SEL_LIST, 2, 0), "F");
        const int a = row_named(d, "a.txt");
        ASSERT_GE(a, 0);
        EXPECT_EQ(sjis_to_utf8(d.cell_text(FILE_SEL_LIST, a, 4)), "海の章");
        EXPECT_EQ(d.get_text(FILE_SEL_COUNTER), "     5");
        EXPECT_EQ(sjis_to_utf8(d.get_text(FILE_SEL_PATH)), t.path() + "/*.*");
    });
}

TEST_F(FileSelectTest, ModesSetCaptionsAndButtons) {
    run(SELECT_SAVE_AS, t.file("new.txt"), [&](DialogSession& d) {
        EXPECT_EQ(sjis_to_utf8(d.caption()), "　名前を付けて保存");
        EXPECT_FALSE(d.is_visible(FILE_SEL_NEW));
        EXPECT_EQ(sjis_to_utf8(d.get_text(FILE_SEL_PATH)), t.file("new.txt"));
    });
    s.write_options = [] {};
    run(SELECT_SAVE_AS, t.file("new.txt"), [&](DialogSession& d) {
        EXPECT_TRUE(d.is_visible(FILE_SEL_OPTIONS));
        EXPECT_EQ(sjis_to_utf8(d.get_text(FILE_SEL_OPTIONS)), "書出設定");
    });
    run(SELECT_READ_IN, t.path() + "/", [&](DialogSession& d) {
        EXPECT_EQ(sjis_to_utf8(d.caption()), "　現在行に読込み");
        EXPECT_FALSE(d.is_visible(FILE_SEL_OPTIONS));
    });
    run(SELECT_DOCUMENTS, t.path() + "/", [&](DialogSession& d) {
        EXPECT_EQ(sjis_to_utf8(d.caption()), "　文書の選択");
        EXPECT_TRUE(d.is_visible(FILE_SEL_PICKED));
    });
    run(SELECT_LIST, t.path() + "/", [&](DialogSession& d) { EXPECT_EQ(sjis_to_utf8(d.caption()), "　リストの選択"); });
}

TEST_F(FileSelectTest, AClickFillsThePathAndADoubleClickChooses) {
    FileSelectOutcome out = run(SELECT_OPEN, t.path() + "/", [&](DialogSession& d) {
        const int b = row_named(d, "b.txt");
        d.select(FILE_SEL_LIST, b);
        EXPECT_EQ(sjis_to_utf8(d.get_text(FILE_SEL_PATH)), t.file("b.txt"));
        EXPECT_EQ(d.get_text(FILE_SEL_COUNTER), "  5/5");
        d.double_click(FILE_SEL_LIST, b);
    });
    EXPECT_EQ(out.result, CHOSEN_EXISTING);
    EXPECT_EQ(out.path, t.file("b.txt"));

    // A folder row lists that folder; a new name is a new document.
    out = run(SELECT_OPEN, t.path() + "/", [&](DialogSession& d) {
        d.double_click(FILE_SEL_LIST, row_named(d, "sub"));
        EXPECT_EQ(sjis_to_utf8(d.get_text(FILE_SEL_PATH)), t.path() + "/sub/*.*");
        EXPECT_EQ(d.item_count(FILE_SEL_LIST), 2);
        EXPECT_TRUE(messages.saw("指定のファイルがありません｡"));
        d.type_text(FILE_SEL_PATH, sj(t.file("sub/新しい.txt")));
        d.press_enter();
    });
    EXPECT_EQ(out.result, CHOSEN_NEW_NAME);
    EXPECT_EQ(out.path, t.file("sub/新しい.txt"));
}

TEST_F(FileSelectTest, ExecutingRefusesMissingFoldersAndNonDocuments) {
    t.write("data.bin2", std::string("ab\0cd", 5));
    FileSelectOutcome out = run(SELECT_OPEN, t.path() + "/", [&](DialogSession& d) {
        d.type_text(FILE_SEL_PATH, sj(t.file("none/x.txt")));
        d.press(FILE_SEL_EXECUTE);
        EXPECT_FALSE(d.ended());
        EXPECT_TRUE(messages.saw("フォルダが存在しません｡"));
        EXPECT_EQ(d.get_text(FILE_SEL_PATH), "");
        d.type_text(FILE_SEL_PATH, sj(t.file("data.bin2")));
        d.press(FILE_SEL_EXECUTE);
        EXPECT_FALSE(d.ended());
        EXPECT_TRUE(messages.saw("非文書ファイルです｡"));
        d.type_text(FILE_SEL_PATH, sj(t.file("missing.txt")));
    });
    EXPECT_EQ(out.result, CHOSEN_CANCELLED);
    // Reading into the line needs a file that exists.
    out = run(SELECT_READ_IN, t.path() + "/", [&](DialogSession& d) {
        d.type_text(FILE_SEL_PATH, sj(t.file("missing.txt")));
        d.press(FILE_SEL_EXECUTE);
        EXPECT_FALSE(d.ended());
    });
    EXPECT_EQ(out.result, CHOSEN_CANCELLED);
}

TEST_F(FileSelectTest, ConversionsSwitchedOnAreConfirmed) {
    s.reading_conversions_on = [] { return true; };
    messages.answer(MSG_RESULT_NO);
    messages.answer(MSG_RESULT_YES);
    FileSelectOutcome out = run(SELECT_OPEN, t.path() + "/", [&](DialogSession& d) {
        d.type_text(FILE_SEL_PATH, sj(t.file("a.txt")));
        d.press(FILE_SEL_EXECUTE);
        EXPECT_FALSE(d.ended());
        d.press(FILE_SEL_EXECUTE);
    });
    EXPECT_EQ(out.result, CHOSEN_EXISTING);
    EXPECT_TRUE(messages.saw("読込実行が設定されています｡"));
}

TEST_F(FileSelectTest, ColumnClicksSortAndRememberTheOrder) {
    t.write("c.txt", std::string(5000, 'c'));
    run(SELECT_OPEN, t.path() + "/", [&](DialogSession& d) {
        d.click_column(FILE_SEL_LIST, SORT_SIZE);   // the first click turns the column descending
        EXPECT_EQ(order, SORT_SIZE | 0x10);
        EXPECT_EQ(row_named(d, "c.txt"), 3);        // root, parent, sub, then the largest
        d.click_column(FILE_SEL_LIST, SORT_SIZE);
        EXPECT_EQ(order, SORT_SIZE);
        EXPECT_EQ(row_named(d, "a.txt"), 3);        // 5 bytes, then b.txt's 6
        d.press(FILE_SEL_FOLDERS_FIRST);   // folders now after the files
        EXPECT_EQ(folders_first, 0);
        EXPECT_EQ(d.cell_text(FILE_SEL_LIST, d.item_count(FILE_SEL_LIST) - 1, 1), sj("sub"));
    });
    EXPECT_EQ(changed, 3);
}

TEST_F(FileSelectTest, EachColumnsDirectionIsKeptByTheCaller) {
    auto click_size = [&] {
        run(SELECT_OPEN, t.path() + "/", [](DialogSession& d) { d.click_column(FILE_SEL_LIST, SORT_SIZE); });
    };
    std::uint8_t kept[SORT_COLUMNS] = {};
    s.column_directions = kept;
    click_size();
    EXPECT_EQ(order, SORT_SIZE | 0x10);   // descending first
    order = SORT_NAME;                    // another key meanwhile
    click_size();
    EXPECT_EQ(order, SORT_SIZE);          // the size column remembered descending: it turns
    // Another caller's memory (or none) starts afresh.
    std::uint8_t other[SORT_COLUMNS] = {};
    s.column_directions = other;
    order = SORT_NAME;
    click_size();
    EXPECT_EQ(order, SORT_SIZE | 0x10);
    s.column_directions = nullptr;
    order = SORT_NAME;
    click_size();
    EXPECT_EQ(order, SORT_SIZE | 0x10);
}

TEST_F(FileSelectTest, SeveralDocumentsInMode3) {
    t.write("c.txt", "third");
    FileSelectOutcome out = run(SELECT_DOCUMENTS, t.path() + "/", [&](DialogSession& d) {
        d.select(FILE_SEL_LIST, row_named(d, "a.txt"));
        d.select(FILE_SEL_LIST, row_named(d, "c.txt"));
        d.select(FILE_SEL_LIST, row_named(d, "b.txt"));
        d.select(FILE_SEL_LIST, row_named(d, "b.txt"));   // a second click takes it back
        EXPECT_EQ(d.get_text(FILE_SEL_PICKED), "2");
        d.type_text(FILE_SEL_PATH, sj(t.file("a.txt")));
        d.press(FILE_SEL_EXECUTE);
    });
    EXPECT_EQ(out.result, CHOSEN_EXISTING);
    EXPECT_EQ(out.chosen, (std::vector<std::string>{t.file("a.txt"), t.file("c.txt")}));
}

TEST_F(FileSelectTest, RenameTakesTheExtensionFileAndAsksForTheBackup) {
    t.write("a.bak", "old");
    messages.answer(MSG_RESULT_YES);   // rename?
    messages.answer(MSG_RESULT_NO);    // the .bak too?
    run(SELECT_OPEN, t.path() + "/", [&](DialogSession& d) {
        d.select(FILE_SEL_LIST, row_named(d, "a.txt"));
        d.press(FILE_SEL_RENAME);
        EXPECT_TRUE(messages.saw("名前は変更されていません。"));
        d.type_text(FILE_SEL_PATH, sj(t.file("b.txt")));
        d.press(FILE_SEL_RENAME);
        EXPECT_TRUE(messages.saw("この名前の文書は既に存在します。"));
        d.type_text(FILE_SEL_PATH, "z.txt");   // a bare name stays in the folder listed
        d.press(FILE_SEL_RENAME);
        EXPECT_GE(row_named(d, "z.txt"), 0);
        EXPECT_EQ(row_named(d, "a.txt"), -1);
    });
    EXPECT_EQ(slurp(t.file("z.txt")), "first");
    EXPECT_TRUE(file_exists(t.file("z.rix")));
    EXPECT_TRUE(file_exists(t.file("a.bak")));
    EXPECT_EQ(messages.unexpected, 0);
}

TEST_F(FileSelectTest, SecureDeleteAsksForTheFileAndItsExtensionFile) {
    messages.answer(MSG_RESULT_YES);
    messages.answer(MSG_RESULT_NO);
    run(SELECT_OPEN, t.path() + "/", [&](DialogSession& d) {
        d.select(FILE_SEL_LIST, row_named(d, "a.txt"));
        d.press(FILE_SEL_DELETE);
    });
    EXPECT_FALSE(file_exists(t.file("a.txt")));
    EXPECT_TRUE(file_exists(t.file("a.rix")));
    EXPECT_TRUE(messages.saw("このファイルを完全削除しますか？"));

    // Read-only (also for root) and the open document are refused.
    ASSERT_EQ(::chmod(t.file("b.txt").c_str(), 0444), 0);
    s.open_document = t.file("c.txt");
    t.write("c.txt", "open");
    messages.answer(MSG_RESULT_YES);
    messages.answer(MSG_RESULT_YES);
    run(SELECT_OPEN, t.path() + "/", [&](DialogSession& d) {
        d.select(FILE_SEL_LIST, row_named(d, "b.txt"));
        d.press(FILE_SEL_DELETE);
        EXPECT_TRUE(messages.saw("この文書は読取専用ファイルの可能性があります。"));
        d.select(FILE_SEL_LIST, row_named(d, "c.txt"));
        d.press(FILE_SEL_DELETE);
        EXPECT_TRUE(messages.saw("編集中"));
    });
    EXPECT_EQ(slurp(t.file("b.txt")), "second");
    EXPECT_EQ(slurp(t.file("c.txt")), "open");
}

TEST_F(FileSelectTest, ReadOnlyToggleAndPreview) {
    std::vector<std::string> previewed;
    s.preview = [&](const std::string& p) { previewed.push_back(p); };
    messages.answer(MSG_RESULT_YES);
    run(SELECT_OPEN, t.path() + "/", [&](DialogSession& d) {
        d.select(FILE_SEL_LIST, row_named(d, "b.txt"));
        d.press(FILE_SEL_READ_ONLY);
        d.press(FILE_SEL_PREVIEW);
    });
    EXPECT_TRUE(is_read_only(t.file("b.txt")));
    EXPECT_TRUE(messages.saw("この文書は書込可能ファイルです｡"));
    EXPECT_EQ(previewed, (std::vector<std::string>{t.file("b.txt")}));
}

TEST_F(FileSelectTest, OtherButtons) {
    s.document_folder = "";
    int settings_opened = 0;
    s.common_settings = [&] { ++settings_opened; };
    s.edit_history = [&](std::string* p) { *p = t.file("b.txt"); return true; };
    s.file_search = true;
    run(SELECT_OPEN, t.path() + "/sub/", [&](DialogSession& d) {
        d.press(FILE_SEL_DEFAULT_FOLDER);
        EXPECT_TRUE(messages.saw("「文書の保存既定フォルダ」が設定されていません。"));
        EXPECT_EQ(settings_opened, 1);
        d.press(FILE_SEL_HELP);
    });
    EXPECT_EQ(messages.help_topics, (std::vector<std::string>{"FILE"}));
    FileSelectOutcome out = run(SELECT_OPEN, t.path() + "/", [&](DialogSession& d) { d.press(FILE_SEL_HISTORY); });
    EXPECT_EQ(out.result, CHOSEN_EXISTING);
    EXPECT_EQ(out.path, t.file("b.txt"));
    out = run(SELECT_OPEN, t.path() + "/", [&](DialogSession& d) { d.press(FILE_SEL_SEARCH); });
    EXPECT_EQ(out.result, CHOSEN_CANCELLED);
    EXPECT_TRUE(out.search_requested);
    s.document_folder = t.path() + "/sub";
    run(SELECT_SAVE_AS, t.file("keep.txt"), [&](DialogSession& d) {
        d.press(FILE_SEL_DEFAULT_FOLDER);
        EXPECT_EQ(sjis_to_utf8(d.get_text(FILE_SEL_PATH)), t.path() + "/sub/keep.txt");
    });
    s.new_document_name = [] { return std::string("原稿_004.txt"); };
    messages.answer(MSG_RESULT_YES);
    run(SELECT_OPEN, t.path() + "/", [&](DialogSession& d) {
        d.press(FILE_SEL_NEW);
        EXPECT_EQ(sjis_to_utf8(d.get_text(FILE_SEL_PATH)), t.path() + "/原稿_004.txt");
    });
}

}  // namespace
}  // namespace rix

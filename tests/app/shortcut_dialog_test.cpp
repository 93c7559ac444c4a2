// ショートカット作成: the arguments taken apart by the command line's rule and
// put back together, and SC_MKDB through the fake dialog host: an entry on
// the desktop fills the fields, 実 行 writes one that reads back the same
// (blanks and quotes in paths included), another program's entry is refused.
//
// Still owed: the IME state given back when the dialog closes.
#include "app/settings/shortcut_dialog.h"

#include <gtest/gtest.h>

#include "platform/codec.h"
#include "platform/desktop_entry.h"
#include "platform/fake_dialogs.h"
#include "platform/fake_messages.h"
#include "platform/files.h"
#include "tests/support/temp_folder.h"

namespace rix {
namespace {

using Args = std::vector<std::string>;
std::string sj(const std::string& utf8) { return utf8_to_sjis(utf8); }

TEST(ShortcutArguments, SwitchesByTheirEnding) {
    const ShortcutFields f = split_shortcut_arguments({"work.env/e", "work.log/l", "/home/u/doc/a.txt"});
    EXPECT_EQ(f.env, "work.env");
    EXPECT_EQ(f.log, "work.log");
    EXPECT_EQ(f.document, "/home/u/doc/a.txt");
    EXPECT_EQ(shortcut_arguments(f), (Args{"work.env/e", "work.log/l", "/home/u/doc/a.txt"}));
    // Either case; "/e" anywhere else is no switch; an address never is one.
    const ShortcutFields g = split_shortcut_arguments({"A.ENV/E", "/e/x.txt", "http://h/x/e"});
    EXPECT_EQ(g.env, "A.ENV");
    EXPECT_EQ(g.document, "http://h/x/e");
    EXPECT_EQ(split_shortcut_arguments({std::string(513, 'x') + "/e"}).env, "");   // too long: ignored
    EXPECT_EQ(shortcut_arguments({"", "", "/d/a b.txt"}), (Args{"/d/a b.txt"}));
    EXPECT_EQ(shortcut_icon_index("/usr/share/rix/icons/rix3.png"), 3);
    EXPECT_EQ(shortcut_icon_index("rix"), 0);
}

struct ShortcutDialogTest : ::testing::Test {
    FakeMessages messages;
    FakeDialogHost host;
    test::TempFolder dir;
    ShortcutServices services;
    std::vector<std::string> chooser_answers;

    void SetUp() override {
        services.program = "/opt/my tools/rix";
        services.data_folder = dir.path() + "/data";
        services.document_folder = dir.path();
        services.desktop_folder = dir.path();
        services.menu_folder = dir.path() + "/menu";
        services.icon_folder = "/usr/share/rix/icons";
        services.choose_file = [this](const std::string&, const std::string&, const std::string&, std::string* path) {
            if (chooser_answers.empty()) return false;
            *path = chooser_answers.front();
            chooser_answers.erase(chooser_answers.begin());
            return true;
        };
    }
    void TearDown() override {
        EXPECT_TRUE(host.missing.empty());
        EXPECT_EQ(host.left_open, 0);
        EXPECT_EQ(messages.unexpected, 0);
    }
};

TEST_F(ShortcutDialogTest, TheDesktopEntryFillsTheFieldsAndRunWritesOneThatReadsBack) {
    DesktopEntry e;
    e.name = "ミルトア";
    e.comment = "いつもの設定";
    e.exec = {"/opt/my tools/rix", "work.env/e", "work.log/l", "/home/u/doc/a.txt"};
    e.path = "/home/u";
    e.icon = "/usr/share/rix/icons/rix2.png";
    ASSERT_TRUE(write_desktop_entry(dir.file("ミルトア.desktop"), e));
    host.script([&](DialogSession& d) {
        EXPECT_EQ(d.get_text(SC_TARGET), sj("/opt/my tools/rix"));
        EXPECT_EQ(d.get_text(SC_FOLDER), sj(dir.path()));
        EXPECT_EQ(d.get_text(SC_NAME), sj("ミルトア"));
        EXPECT_EQ(d.get_text(SC_ENV), "work.env");
        EXPECT_EQ(d.get_text(SC_LOG), "work.log");
        EXPECT_EQ(d.get_text(SC_DOC), "/home/u/doc/a.txt");
        EXPECT_EQ(d.get_text(SC_COMMENT), sj("いつもの設定"));
        EXPECT_TRUE(d.get_check(SC_ICON_FIRST + 2));
        // A second pen name: its own settings and a document with blanks and quotes.
        d.type_text(SC_NAME, sj("第二の筆名"));
        d.type_text(SC_ENV, "pen two.env");
        d.type_text(SC_LOG, "");
        d.type_text(SC_DOC, sj("/home/u/my docs/\"題\" $1.txt"));
        d.press(SC_ICON_FIRST + 4);
        d.press(SC_RUN);
    });
    EXPECT_EQ(run_shortcut_dialog(services), DIALOG_OK);
    EXPECT_TRUE(messages.saw("ショートカットファイルを作成しました｡"));
    DesktopEntry back;
    ASSERT_TRUE(read_desktop_entry(dir.file("第二の筆名.desktop"), &back));
    EXPECT_EQ(back.exec, (Args{"/opt/my tools/rix", "pen two.env/e", "/home/u/my docs/\"題\" $1.txt"}));
    EXPECT_EQ(back.path, "/home/u");
    EXPECT_EQ(back.icon, "/usr/share/rix/icons/rix4.png");
    EXPECT_EQ(back.comment, "いつもの設定");
    EXPECT_EQ(test::mode_of(dir.file("第二の筆名.desktop")), 0755u);
}

TEST_F(ShortcutDialogTest, WithoutAnEntryTheProgramIsTheTargetAndOthersAreRefused) {
    DesktopEntry other;
    other.name = "x";
    other.exec = {"/usr/bin/gedit", "%U"};
    ASSERT_TRUE(write_desktop_entry(dir.file("gedit.desktop"), other));
    chooser_answers = {dir.file("gedit.desktop"), dir.file("missing.desktop"), dir.path() + "/data/pen.env"};
    host.script([&](DialogSession& d) {
        EXPECT_TRUE(messages.saw("ショートカット情報の取得に失敗しました｡\n[参照先変更]"));
        EXPECT_EQ(d.get_text(SC_TARGET), sj("/opt/my tools/rix"));
        d.press(SC_CHANGE);
        EXPECT_TRUE(messages.saw("「ミルトア」用ではありません"));
        d.press(SC_CHANGE);
        EXPECT_TRUE(messages.saw("他のショートカットを選択してください｡"));
        EXPECT_EQ(d.get_text(SC_TARGET), sj("/opt/my tools/rix"));
        d.press(SC_ENV_CHOOSE);
        EXPECT_EQ(d.get_text(SC_ENV), "pen.env");   // from the data folder: by name
        d.press(SC_MENU);
        EXPECT_EQ(d.get_text(SC_FOLDER), sj(dir.path() + "/menu"));
        d.type_text(SC_NAME, "pen");
        d.press(SC_RUN);                            // the menu folder does not exist
        EXPECT_FALSE(d.ended());
        EXPECT_TRUE(messages.saw("ショートカットファイルの作成に失敗しました｡"));
        d.press(SC_DESKTOP);
        d.type_text(SC_NAME, "../pen");            // no folder part in a name
        d.press(SC_RUN);
        EXPECT_FALSE(d.ended());
        d.press(SC_CLOSE);
    });
    run_shortcut_dialog(services);
    EXPECT_FALSE(file_exists(dir.path() + "/../pen.desktop"));
}

}  // namespace
}  // namespace rix

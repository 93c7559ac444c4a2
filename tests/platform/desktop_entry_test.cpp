// Desktop entries: the Exec quoting both ways, the file read back, the
// user's folders.
//
// Still owed: an entry written into a folder that cannot be written.
#include "platform/desktop_entry.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/support/temp_folder.h"

namespace rix {
namespace {

using Args = std::vector<std::string>;

Args round_trip(const Args& args) {
    Args back;
    EXPECT_TRUE(split_exec_value(exec_value(args), &back)) << exec_value(args);
    return back;
}

TEST(DesktopExec, QuotingIsUndoneExactly) {
    EXPECT_EQ(exec_value({"/usr/bin/rix", "work.env/e"}), "/usr/bin/rix work.env/e");
    EXPECT_EQ(exec_value({"/opt/my rix/rix"}), "\"/opt/my rix/rix\"");
    // Inside quotes the backslash is escaped once for the quoting and the
    // result again for the value: one backslash becomes four.
    EXPECT_EQ(exec_value({"a\\b c"}), "\"a\\\\\\\\b c\"");
    EXPECT_EQ(exec_value({"100%"}), "100%%");
    for (const Args& args : {Args{"/usr/bin/rix", "/home/u/my documents/a b.txt"},
                             Args{"rix", "say \"hi\" `now` $HOME \\ end", "100% done"},
                             Args{"rix", "", "tab\there", "line\nbreak", "it's"},
                             Args{"rix", "/home/u/原稿 第一部.txt"}})
        EXPECT_EQ(round_trip(args), args);
}

TEST(DesktopExec, FieldCodesAndBrokenQuoting) {
    Args args;
    ASSERT_TRUE(split_exec_value("\"/usr/bin/rix\" %u", &args));
    EXPECT_EQ(args, (Args{"/usr/bin/rix"}));
    ASSERT_TRUE(split_exec_value("rix   a.txt\\s%%", &args));   // \s is a blank of the value layer
    EXPECT_EQ(args, (Args{"rix", "a.txt", "%"}));
    EXPECT_FALSE(split_exec_value("rix \"open quote", &args));
}

TEST(DesktopEntryFile, WrittenEntryReadsBackTheSame) {
    test::TempFolder t;
    DesktopEntry e;
    e.name = "ミルトア 第二の筆名";
    e.comment = " 別の設定で \"書く\"";
    e.exec = {"/opt/rix tools/rix", "/home/u/pen name/work.env/e", "work.log/l", "/home/u/doc/a b.txt"};
    e.path = "/home/u/pen name";
    e.icon = "/usr/share/rix/icons/rix2.svg";
    const std::string path = t.file("pen.desktop");
    ASSERT_TRUE(write_desktop_entry(path, e));
    EXPECT_EQ(test::mode_of(path), 0755u);
    DesktopEntry back;
    ASSERT_TRUE(read_desktop_entry(path, &back));
    EXPECT_EQ(back.name, e.name);
    EXPECT_EQ(back.comment, e.comment);
    EXPECT_EQ(back.exec, e.exec);
    EXPECT_EQ(back.path, e.path);
    EXPECT_EQ(back.icon, e.icon);
    // Writing under the same name replaces it.
    e.comment = "second";
    ASSERT_TRUE(write_desktop_entry(path, e));
    ASSERT_TRUE(read_desktop_entry(path, &back));
    EXPECT_EQ(back.comment, "second");
}

TEST(DesktopEntryFile, OtherGroupsAndKindsArePassedOver) {
    DesktopEntry e;
    EXPECT_TRUE(parse_desktop_entry("# c\n[Desktop Entry]\nName[ja]=x\nName = Rix\nType=Application\n"
                                    "Exec=rix %f\n[Desktop Action new]\nExec=other\nName=Other\n",
                                    &e));
    EXPECT_EQ(e.name, "Rix");
    EXPECT_EQ(e.exec, (Args{"rix"}));
    EXPECT_FALSE(parse_desktop_entry("[Desktop Entry]\nType=Link\nURL=x\nExec=rix\n", &e));
    EXPECT_FALSE(parse_desktop_entry("[Desktop Entry]\nType=Application\nName=no exec\n", &e));
    EXPECT_FALSE(parse_desktop_entry("Exec=rix\nType=Application\n", &e));   // outside the group
}

TEST(DesktopOpenWith, TheEntryIsWrittenAndRemovedUnderTheDataFolder) {
    test::TempFolder t;
    ::setenv("XDG_DATA_HOME", (t.path() + "/data").c_str(), 1);
    ASSERT_TRUE(write_open_with_entry("/opt/my rix/rix"));
    EXPECT_EQ(open_with_entry_path(), t.path() + "/data/applications/rix-open.desktop");
    const std::string text = test::slurp(open_with_entry_path());
    EXPECT_NE(text.find("\nExec=\"/opt/my rix/rix\" %u\n"), std::string::npos) << text;
    EXPECT_NE(text.find("MimeType=text/plain;application/zip;"), std::string::npos);
    ASSERT_TRUE(remove_open_with_entry());
    EXPECT_FALSE(file_exists(open_with_entry_path()));
    EXPECT_TRUE(remove_open_with_entry());   // already gone: no failure
    ::unsetenv("XDG_DATA_HOME");
}

TEST(DesktopFolders, FromTheUserDirsFileOrHome) {
    test::TempFolder t;
    const char* old_home = std::getenv("HOME");
    const std::string saved_home = old_home ? old_home : "";
    ::setenv("HOME", t.path().c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", t.path().c_str(), 1);
    ::setenv("XDG_DATA_HOME", (t.path() + "/data").c_str(), 1);
    EXPECT_EQ(desktop_folder(), t.path() + "/Desktop");
    t.write("user-dirs.dirs", "# x\nXDG_DOCUMENTS_DIR=\"$HOME/Docs\"\nXDG_DESKTOP_DIR=\"$HOME/デスクトップ/\"\n");
    EXPECT_EQ(desktop_folder(), t.path() + "/デスクトップ");
    EXPECT_EQ(applications_folder(), t.path() + "/data/applications");
    ::setenv("HOME", saved_home.c_str(), 1);
    ::unsetenv("XDG_CONFIG_HOME");
    ::unsetenv("XDG_DATA_HOME");
}

}  // namespace
}  // namespace rix

// The desktop association store against a temporary XDG data folder: the
// files a registration writes (MIME package, desktop entry with the quoted
// program), lookup, another program's claim, and deletion.
//
// Tests still owed: a data folder that cannot be written (tests run as root).
#include "platform/association.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/files.h"
#include "tests/support/temp_folder.h"

namespace rix {
namespace {

struct AssociationTest : ::testing::Test {
    test::TempFolder dir;
    std::string saved_home, saved_dirs;
    bool had_home = false, had_dirs = false;

    void SetUp() override {
        if (const char* v = std::getenv("XDG_DATA_HOME")) had_home = true, saved_home = v;
        if (const char* v = std::getenv("XDG_DATA_DIRS")) had_dirs = true, saved_dirs = v;
        ::setenv("XDG_DATA_HOME", dir.file("data").c_str(), 1);
        ::setenv("XDG_DATA_DIRS", dir.file("system").c_str(), 1);
    }
    void TearDown() override {
        if (had_home) ::setenv("XDG_DATA_HOME", saved_home.c_str(), 1);
        else ::unsetenv("XDG_DATA_HOME");
        if (had_dirs) ::setenv("XDG_DATA_DIRS", saved_dirs.c_str(), 1);
        else ::unsetenv("XDG_DATA_DIRS");
    }
    std::string read(const std::string& relative) {
        std::string text;
        read_whole_file(dir.file(relative), &text);
        return text;
    }
};

TEST(AssociationExtension, OnlyPlainNamesAfterADot) {
    EXPECT_TRUE(valid_extension(".txt"));
    EXPECT_TRUE(valid_extension(".c++"));
    for (const char* bad : {"", ".", "txt", "./x", ".a b", ".a/b", "..", ".\"x"}) EXPECT_FALSE(valid_extension(bad)) << bad;
}

TEST_F(AssociationTest, RegisterWritesPackageAndEntryThenFindsAndDeletes) {
    auto store = make_desktop_associations("/opt/my app/rix");
    EXPECT_EQ(store->find(), "");
    ASSERT_TRUE(store->add(".mss"));
    const std::string xml = read("data/mime/packages/rix-mss.xml");
    EXPECT_NE(xml.find("<mime-type type=\"text/x-rix-mss\">"), std::string::npos);
    EXPECT_NE(xml.find("<glob pattern=\"*.mss\""), std::string::npos);
    EXPECT_NE(xml.find("<sub-class-of type=\"text/plain\"/>"), std::string::npos);
    const std::string entry = read("data/applications/rix-mss.desktop");
    EXPECT_NE(entry.find("\nExec=\"/opt/my app/rix\" %f\n"), std::string::npos);
    EXPECT_NE(entry.find("\nMimeType=text/x-rix-mss;\n"), std::string::npos);
    EXPECT_EQ(entry.rfind("[Desktop Entry]\n", 0), 0u);
    EXPECT_EQ(store->find(), ".mss");
    // Another program's entry is not ours.
    EXPECT_EQ(make_desktop_associations("/usr/bin/other")->find(), "");
    ASSERT_TRUE(store->remove(".mss"));
    EXPECT_FALSE(file_exists(dir.file("data/mime/packages/rix-mss.xml")));
    EXPECT_FALSE(file_exists(dir.file("data/applications/rix-mss.desktop")));
    EXPECT_EQ(store->find(), "");
}

TEST_F(AssociationTest, ProgramPathsAreQuotedAsDesktopEntriesRequire) {
    auto store = make_desktop_associations("/a/$b\"c`d\\e%f/rix");
    ASSERT_TRUE(store->add(".t"));
    // ", `, $ and \ escaped in the quotes, then every backslash doubled; % doubled.
    EXPECT_NE(read("data/applications/rix-t.desktop").find("Exec=\"/a/\\\\$b\\\\\"c\\\\`d\\\\\\\\e%%f/rix\" %f\n"),
              std::string::npos);
    EXPECT_FALSE(store->add("../x"));
    EXPECT_FALSE(make_desktop_associations("/a\nb")->add(".t2"));
}

TEST_F(AssociationTest, AnotherProgramsGlobIsSeen) {
    auto store = make_desktop_associations("/usr/bin/rix");
    EXPECT_FALSE(store->taken_by_other(".txt"));
    ASSERT_TRUE(folder_exists(dir.path()));
    ::mkdir(dir.file("system").c_str(), 0755);
    ::mkdir(dir.file("system/mime").c_str(), 0755);
    dir.write("system/mime/globs2", "# comment\n50:text/plain:*.txt\n50:text/x-rix-mss:*.mss\n");
    EXPECT_TRUE(store->taken_by_other(".TXT"));
    EXPECT_FALSE(store->taken_by_other(".mss"));   // our own type
    EXPECT_FALSE(store->taken_by_other(".doc"));
}

}  // namespace
}  // namespace rix

// Renaming a document with what belongs to it, and secure deletion.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "files/file_ops.h"
#include "platform/files.h"
#include "tests/support/temp_folder.h"

namespace rix {
namespace {

using test::slurp;
using test::TempFolder;

std::string header(std::string_view ext) {
    std::string h(128, '\0');
    h.replace(0, 5, "RIX45");
    h.replace(5, ext.size(), ext);
    return h;
}

TEST(RenameDocumentTest, TakesTheExtensionFileAndTheBackupOnlyWhenAsked) {
    TempFolder t;
    t.write("a.txt", "text");
    t.write("a.rix", header("txt"));
    t.write("a.bak", "old");
    int asked = 0;
    RenameReport r = rename_document(t.file("a.txt"), t.file("b.txt"), [&] { return ++asked, true; });
    EXPECT_EQ(r.result, RenameResult::RENAMED);
    EXPECT_TRUE(r.extension_renamed);
    EXPECT_TRUE(r.backup_renamed);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(slurp(t.file("b.txt")), "text");
    EXPECT_TRUE(file_exists(t.file("b.rix")));
    EXPECT_EQ(slurp(t.file("b.bak")), "old");
    EXPECT_FALSE(file_exists(t.file("a.txt")) || file_exists(t.file("a.rix")) || file_exists(t.file("a.bak")));

    r = rename_document(t.file("b.txt"), t.file("c.txt"), [] { return false; });
    EXPECT_EQ(r.result, RenameResult::RENAMED);
    EXPECT_FALSE(r.backup_renamed);
    EXPECT_TRUE(file_exists(t.file("b.bak")));
    EXPECT_TRUE(file_exists(t.file("c.rix")));
}

TEST(RenameDocumentTest, NeverOverwritesAndLeavesForeignExtensionFiles) {
    TempFolder t;
    t.write("a.txt", "mine");
    t.write("a.rix", header("txt"));
    t.write("b.txt", "theirs");
    auto never = [] { ADD_FAILURE() << "asked"; return false; };
    EXPECT_EQ(rename_document(t.file("a.txt"), t.file("b.txt"), never).result, RenameResult::NAME_TAKEN);
    EXPECT_EQ(slurp(t.file("b.txt")), "theirs");
    EXPECT_EQ(rename_document(t.file("a.txt"), t.file("a.txt"), never).result, RenameResult::SAME_NAME);

    // The extension file's new name is taken: nothing moves.
    t.write("d.rix", "someone else's");
    EXPECT_EQ(rename_document(t.file("a.txt"), t.file("d.txt"), never).result, RenameResult::NAME_TAKEN);
    EXPECT_EQ(slurp(t.file("a.txt")), "mine");
    EXPECT_EQ(slurp(t.file("d.rix")), "someone else's");

    // The backup's new name is taken: nothing moves either.
    t.write("a.bak", "a's backup");
    t.write("e.bak", "e's backup");
    EXPECT_EQ(rename_document(t.file("a.txt"), t.file("e.txt"), never).result, RenameResult::NAME_TAKEN);
    EXPECT_EQ(slurp(t.file("e.bak")), "e's backup");

    // x.rix belongs to x.tex, not to x.txt.
    t.write("x.txt", "x");
    t.write("x.rix", header("tex"));
    RenameReport r = rename_document(t.file("x.txt"), t.file("y.txt"), never);
    EXPECT_EQ(r.result, RenameResult::RENAMED);
    EXPECT_FALSE(r.extension_renamed);
    EXPECT_TRUE(file_exists(t.file("x.rix")));
}

TEST(SecureDeleteTest, OverwritesWithZerosBeforeRemoving) {
    TempFolder t;
    const std::string doc = t.write("secret.txt", std::string(200000, 'S'));
    // A second name for the same bytes shows what the deletion left on the disk.
    ASSERT_EQ(::link(doc.c_str(), t.file("witness").c_str()), 0);
    EXPECT_EQ(secure_delete(doc, ""), DeleteResult::REMOVED);
    EXPECT_FALSE(file_exists(doc));
    EXPECT_EQ(slurp(t.file("witness")), std::string(200000, '\0'));
}

TEST(SecureDeleteTest, RefusesReadOnlyFilesAlsoAsRootAndTheOpenDocument) {
    TempFolder t;
    const std::string ro = t.write("ro.txt", "keep");
    ASSERT_EQ(::chmod(ro.c_str(), 0444), 0);
    EXPECT_EQ(secure_delete(ro, ""), DeleteResult::READ_ONLY);
    EXPECT_EQ(slurp(ro), "keep");

    const std::string open = t.write("open.txt", "editing");
    EXPECT_EQ(secure_delete(t.path() + "/./open.txt", open), DeleteResult::OPEN_DOCUMENT);
    EXPECT_EQ(slurp(open), "editing");
    EXPECT_EQ(secure_delete(t.file("missing"), ""), DeleteResult::FAILED);
}

TEST(ReadOnlyMarkTest, TogglesTheWriteBits) {
    TempFolder t;
    const std::string f = t.write("f.txt", "x");
    ASSERT_EQ(::chmod(f.c_str(), 0664), 0);
    EXPECT_TRUE(set_read_only(f, true));
    EXPECT_EQ(test::mode_of(f), 0444u);
    EXPECT_TRUE(is_read_only(f));
    EXPECT_TRUE(set_read_only(f, false));
    EXPECT_EQ(test::mode_of(f), 0644u);
    EXPECT_FALSE(set_read_only(t.file("missing"), true));
}

}  // namespace
}  // namespace rix

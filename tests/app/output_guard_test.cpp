// The writers' check that an output is none of their inputs: the same file
// under another name, through a link, the document's extension file, the
// database's journal and log; the refusal's message.
#include "app/documents/output_guard.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "platform/fake_messages.h"
#include "tests/support/temp_folder.h"

namespace rix {
namespace {

TEST(OutputGuard, TheDocumentsFilesUnderAnyNameAreInputs) {
    test::TempFolder dir;
    const std::string doc = dir.write("章.txt", "text");
    dir.write("章.rix", "extension");
    ASSERT_EQ(::symlink("章.txt", dir.file("link.txt").c_str()), 0);
    ASSERT_EQ(::mkdir(dir.file("sub").c_str(), 0755), 0);
    DocumentState state;
    state.opened_path = doc;
    state.save_name = doc;
    const std::vector<std::string> inputs = document_inputs(state);
    EXPECT_TRUE(output_is_an_input(doc, inputs));
    EXPECT_TRUE(output_is_an_input(dir.file("link.txt"), inputs));            // one file, two names
    EXPECT_TRUE(output_is_an_input(dir.path() + "/sub/../章.txt", inputs));   // another spelling of the folder
    EXPECT_TRUE(output_is_an_input(dir.file("章.rix"), inputs));               // the extension file
    EXPECT_FALSE(output_is_an_input(dir.file("章.pdf"), inputs));
    EXPECT_FALSE(output_is_an_input(dir.file("章.pdf"), document_inputs(DocumentState{})));

    // Saved under another name: both names and both extension files.
    state.save_name = dir.file("新.txt");
    EXPECT_TRUE(output_is_an_input(dir.file("新.txt"), document_inputs(state)));
    EXPECT_TRUE(output_is_an_input(dir.file("新.rix"), document_inputs(state)));
    EXPECT_TRUE(output_is_an_input(doc, document_inputs(state)));
    // Saving again under a name of its own is no output over an input; over its extension file it is.
    EXPECT_FALSE(output_is_an_input(doc, document_extension_files(state)));
    EXPECT_TRUE(output_is_an_input(dir.file("章.rix"), document_extension_files(state)));
    EXPECT_TRUE(output_is_an_input(dir.file("新.rix"), document_extension_files(state)));
}

TEST(OutputGuard, TheDatabasesJournalAndLogAreInputs) {
    test::TempFolder dir;
    const std::string db = dir.write("n.ksl", "SQLite format 3");
    ASSERT_EQ(::symlink("n.ksl", dir.file("l.ksl").c_str()), 0);
    for (const char* name : {"n.ksl", "n.ksl-journal", "n.ksl-wal", "n.ksl-shm"})
        EXPECT_TRUE(output_is_an_input(dir.file(name), database_inputs(dir.file("l.ksl")))) << name;
    EXPECT_FALSE(output_is_an_input(dir.file("n.pdf"), database_inputs(db)));
}

TEST(OutputGuard, TheRefusalNamesTheOutputAndWritesNothing) {
    test::TempFolder dir;
    const std::string doc = dir.write("a.txt", "text");
    FakeMessages messages;
    EXPECT_FALSE(refuse_output_over_input(dir.file("a.pdf"), "ＰＤＦ", {doc}));
    EXPECT_TRUE(messages.log.empty());
    EXPECT_TRUE(refuse_output_over_input(doc, "ＰＤＦ", {doc}));
    ASSERT_EQ(messages.log.size(), 1u);
    EXPECT_EQ(messages.utf8(0), "編集中の文書にＰＤＦを上書きすることはできません｡\n" + doc);
    EXPECT_EQ(test::slurp(doc), "text");
}

}  // namespace
}  // namespace rix

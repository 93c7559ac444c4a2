// The edit-line cache: the staged copy of the edited line serves the next
// insertion only while the document is at the generation it was copied at.
// A load or a save between two insertions makes the line be staged afresh
// from the buffer, even where the line number, column, start and length
// still agree with the copy.
#include "edit_fixture.h"

#include "document/loader.h"
#include "document/save.h"
#include "fuzz/fuzz_entries.h"
#include "tests/support/temp_folder.h"

namespace rix::test {
namespace {

struct LineCache : EditFixture {
    LoadSession session;
};

TEST_F(LineCache, ALoadBetweenTwoInsertionsStagesTheNewLine) {
    fuzz::load_bytes(doc, state, session, "abcd");
    at(0, 2);
    ASSERT_TRUE(type("1"));
    ASSERT_EQ(line(0), "ab1cd");
    ASSERT_EQ(doc.lines.start(0), 0u);   // rewritten in place
    const std::uint64_t before = doc.generation;

    // Another text of the same length loads into the same place.
    fuzz::load_bytes(doc, state, session, "PQRST");
    EXPECT_NE(doc.generation, before);
    ASSERT_EQ(doc.lines.start(0), 0u);
    at(0, 3);
    ASSERT_TRUE(type("2"));
    EXPECT_EQ(line(0), "PQR2ST");
    EXPECT_EQ(invariant(), "");
}

TEST_F(LineCache, ASaveBetweenTwoInsertionsStagesTheLineAfresh) {
    TempFolder dir;
    const std::string path = dir.write("a.txt", "abcd");
    ASSERT_TRUE(open_document_file(&state, path, 0));
    state.save_name = path;
    start_load(doc, state, session);
    load_all(doc, state, session);
    at(0, 2);
    ASSERT_TRUE(type("1"));
    ASSERT_EQ(line(0), "ab1cd");
    // What a copy that the save left behind would hold (same length).
    edit.staging = "ZZZZZ\x1A";

    SaveRun run;
    ASSERT_EQ(save_document(doc, state, session, SaveRequest{}, run), SaveResult::Saved);
    at(0, 3);
    ASSERT_TRUE(type("2"));
    EXPECT_EQ(line(0), "ab12cd");
    EXPECT_EQ(invariant(), "");
    close_document(&state, false);
}

// Edits, undo and redo keep the cache in step: typing on after each of them
// gives the text a fresh copy of the line would give.
TEST_F(LineCache, TypingOnAfterUndoAndRedoUsesTheLineAsItStands) {
    build(doc, {"abc", "def"});
    at(0, 1);
    ASSERT_TRUE(type("xy"));
    ASSERT_TRUE(undo(c));
    EXPECT_EQ(line(0), "abc");
    at(0, 1);
    ASSERT_TRUE(type("z"));
    EXPECT_EQ(line(0), "azbc");
    ASSERT_TRUE(undo(c));
    ASSERT_TRUE(redo(c));
    at(0, 2);
    ASSERT_TRUE(type("w"));
    EXPECT_EQ(line(0), "azwbc");
    EXPECT_EQ(invariant(), "");
}

}  // namespace
}  // namespace rix::test

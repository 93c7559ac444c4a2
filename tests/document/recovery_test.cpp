// Recovery files: their names, writing one leaves the document and its
// state as they were (file, mark, descriptor), a partly loaded document is
// kept whole, a second one never overwrites the first, and a recovered text
// that reaches a save takes its recovery file away (after backing up the
// document it replaces).
#include "document/recovery.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "../support/notices.h"
#include "platform/files.h"
#include "platform/save_temporaries.h"
#include "tests/support/temp_folder.h"
#include "doc_builder.h"

namespace rix {
namespace {

using test::slurp;
using test::mode_of;

using test::sj;

struct Held {
    Document doc;
    DocumentState state;
    ExtensionFile ext;
    LoadSession session;
    Notices notices;
    test::ScriptedQuestions questions;
};

void open_and_load(Held& h, const std::string& path, std::size_t chunk = DEFAULT_CHUNK_BYTES) {
    ASSERT_TRUE(open_document_file(&h.state, path, 0, &h.notices));
    h.state.save_name = path;
    h.session.extension =
        open_extension_file(path, 0, &h.ext, h.questions) == ExtensionStatus::OK ? &h.ext : nullptr;
    h.session.options.chunk_size = chunk;
    h.doc.rules = test::rules(20, 1);
    start_load(h.doc, h.state, h.session, false, 40, &h.notices);
}

class Recovery : public ::testing::Test {
protected:
    void TearDown() override {
        for (Held* h : {&a, &b}) close_document(&h->state, false);
    }
    test::TempFolder dir;
    Held a, b;
};

TEST(RecoveryNames, SitBesideTheDocumentAndKeepTheirExtensionFileApart) {
    EXPECT_EQ(recovery_path_for("/d/原稿.txt", 1), "/d/原稿.recovered.txt");
    EXPECT_EQ(recovery_path_for("/d/原稿.txt", 2), "/d/原稿.recovered-2.txt");
    EXPECT_EQ(recovery_path_for("/d/a.b.txt", 1), "/d/a.b.recovered.txt");
    // Without an extension, ".txt" keeps "<name>.rix" the document's own.
    EXPECT_EQ(recovery_path_for("/d/memo", 1), "/d/memo.recovered.txt");
    EXPECT_EQ(recovery_path_for("/d/.memo", 1), "/d/.memo.recovered.txt");
    EXPECT_EQ(extension_path_for(recovery_path_for("/d/memo", 1)), "/d/memo.recovered.rix");
    EXPECT_EQ(recovery_path_for("/d/x.txt", 0), "");
    EXPECT_EQ(recovery_path_for("/d/x.txt", MAX_RECOVERY_FILES + 1), "");
    EXPECT_EQ(recovery_path_for("", 1), "");
}

TEST_F(Recovery, KeepsTheEditedTextAndLeavesTheDocumentAsItWas) {
    std::string path = dir.write("原稿.txt", sj("古い文\r\n"));
    ::chmod(path.c_str(), 0640);
    open_and_load(a, path);
    test::build(a.doc, {sj("新") + test::ruby("あたら", 1) + sj("しい文"), ""});
    a.state.modified = MODIFIED_TEXT | MODIFIED_EXTENSION;
    const DocumentState before = a.state;

    std::string written = write_recovery_file(a.doc, a.state, a.session, SaveRequest{});
    ASSERT_EQ(written, dir.file("原稿.recovered.txt"));
    EXPECT_EQ(slurp(written), sj("新しい文\r\n") + "\x1A");
    EXPECT_TRUE(file_size(dir.file("原稿.recovered.rix")) > 0);   // the ruby
    EXPECT_EQ(mode_of(written), 0640u);
    // The document: same file, same text, still marked, still held, still changed.
    EXPECT_EQ(slurp(path), sj("古い文\r\n"));
    EXPECT_EQ(mode_of(path), 0440u);
    EXPECT_EQ(a.state.text_fd, before.text_fd);
    EXPECT_EQ(::fcntl(a.state.text_fd, F_GETFD), FD_CLOEXEC);
    EXPECT_TRUE(a.state.in_use_mark_held);
    EXPECT_EQ(a.state.modified, before.modified);
    EXPECT_FALSE(file_exists(dir.file("原稿.bak")));
    for (const std::string& name : list_folder_names(dir.path())) EXPECT_EQ(save_temporary_owner(name), 0) << name;

    // The recovery file reads back with its ruby.
    open_and_load(b, written);
    load_all(b.doc, b.state, b.session);
    ASSERT_NE(b.session.extension, nullptr);
    EXPECT_EQ(b.session.extension->positions.size(), 1u);
}

TEST_F(Recovery, APartlyLoadedDocumentIsKeptWhole) {
    std::string text;
    for (int i = 0; i < 300; ++i) text += "line " + std::to_string(i) + "\r\n";
    std::string path = dir.write("long.txt", text);
    open_and_load(a, path, 64);
    ASSERT_FALSE(a.doc.fully_loaded());
    a.state.modified = MODIFIED_TEXT;
    std::string written = write_recovery_file(a.doc, a.state, a.session, SaveRequest{});
    ASSERT_FALSE(written.empty());
    EXPECT_EQ(slurp(written), text + "\x1A");
    // The document's own descriptor still reads its file.
    char head[4] = {};
    EXPECT_EQ(::pread(a.state.text_fd, head, 4, 0), 4);
    EXPECT_EQ(std::string(head, 4), "line");
}

TEST_F(Recovery, ASecondNeverOverwritesTheFirstAndTheNewestComesFirst) {
    std::string path = dir.write("d.txt", "old\r\n");
    open_and_load(a, path);
    test::build(a.doc, {"first", ""});
    a.state.modified = MODIFIED_TEXT;
    std::string first = write_recovery_file(a.doc, a.state, a.session, SaveRequest{});
    test::build(a.doc, {"second", ""});
    std::string second = write_recovery_file(a.doc, a.state, a.session, SaveRequest{});
    EXPECT_EQ(first, dir.file("d.recovered.txt"));
    EXPECT_EQ(second, dir.file("d.recovered-2.txt"));
    EXPECT_EQ(slurp(first), "first\r\n\x1A");
    struct timespec later[2] = {{0, UTIME_OMIT}, {::time(nullptr) + 10, 0}};
    ::utimensat(AT_FDCWD, second.c_str(), later, 0);
    EXPECT_EQ(find_recovery_files(path), (std::vector<std::string>{second, first}));
    // A stray extension file alone also takes a name.
    remove_recovery_file(first);
    dir.write("d.recovered.rix", "stray");
    test::build(a.doc, {"third", ""});
    EXPECT_EQ(write_recovery_file(a.doc, a.state, a.session, SaveRequest{}), dir.file("d.recovered-3.txt"));
    EXPECT_EQ(slurp(dir.file("d.recovered.rix")), "stray");
}

// What was under the target name when each file was renamed into place.
bool target_was_taken = false;
int observing_rename(const char* from, const char* to) {
    struct stat st {};
    if (::lstat(to, &st) == 0) target_was_taken = true;
    return ::rename(from, to);
}

// An editor killed while it writes a recovery file must leave nothing under
// the name: the name appears only with the whole file renamed onto it.
TEST_F(Recovery, TheNameAppearsOnlyWithTheWholeFile) {
    std::string path = dir.write("k.txt", "old\r\n");
    open_and_load(a, path);
    test::build(a.doc, {"typed" + test::ruby("r", 1), ""});
    a.state.modified = MODIFIED_TEXT | MODIFIED_EXTENSION;
    target_was_taken = false;
    SaveRequest q;
    q.rename = observing_rename;
    ASSERT_EQ(write_recovery_file(a.doc, a.state, a.session, q), dir.file("k.recovered.txt"));
    EXPECT_FALSE(target_was_taken);
    EXPECT_EQ(slurp(dir.file("k.recovered.txt")), "typed\r\n\x1A");
    EXPECT_TRUE(file_exists(dir.file("k.recovered.rix")));
    EXPECT_TRUE(recovery_file_whole(dir.file("k.recovered.txt")));
}

TEST(RecoveryWhole, EmptyAndCutFilesAreNotWholeSaves) {
    test::TempFolder dir;
    EXPECT_FALSE(recovery_file_whole(dir.write("empty.recovered.txt", "")));
    EXPECT_FALSE(recovery_file_whole(dir.write("cut.recovered.txt", "typed but cut")));
    EXPECT_FALSE(recovery_file_whole(dir.file("none.recovered.txt")));
    EXPECT_TRUE(recovery_file_whole(dir.write("whole.recovered.txt", "typed\r\n\x1A")));
    // A UTF-8 text is written without the end mark when its file had none.
    EXPECT_TRUE(recovery_file_whole(dir.write("u.recovered.txt", "\xEF\xBB\xBF\xE5\x8E\x9F\xE7\xA8\xBF\r\n")));
}

TEST_F(Recovery, ARecoveredTextThatIsSavedTakesItsRecoveryFileAway) {
    std::string path = dir.write("r.txt", "saved before\r\n");
    std::string recovered = dir.write("r.recovered.txt", "typed after\r\n\x1A");
    ASSERT_TRUE(open_document_file(&a.state, path, 0));
    a.state.save_name = path;
    ::close(a.state.text_fd);
    a.state.text_fd = open_regular_file(recovered);
    a.state.opened_path = recovered;
    a.state.recovered_from = recovered;
    a.doc.rules = test::rules(20, 1);
    start_load(a.doc, a.state, a.session);
    a.state.modified = MODIFIED_TEXT;
    SaveRun run;
    SaveRequest q;
    q.mode = SAVE_MODE_MENU;
    ASSERT_EQ(save_document(a.doc, a.state, a.session, q, run), SaveResult::Saved);
    EXPECT_EQ(slurp(path), "typed after\r\n\x1A");
    EXPECT_EQ(slurp(dir.file("r.bak")), "saved before\r\n");
    EXPECT_FALSE(file_exists(recovered));
    EXPECT_TRUE(a.state.recovered_from.empty());
    EXPECT_EQ(a.state.opened_path, path);
}

}  // namespace
}  // namespace rix

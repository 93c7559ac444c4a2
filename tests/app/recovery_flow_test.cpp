// The end on a signal (recovery file, mark, the document left as it was),
// the offer of a recovery file when its document is opened again (yes
// takes it, and the save takes it away; no leaves it), and the marks of
// killed editors given back at the start after a notice.
//
// The signal itself, in a real window program, is tests/cli/signals_test.sh.
#include "app/documents/recovery_flow.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include "app/documents/save_flow.h"
#include "document/recovery.h"
#include "platform/codec.h"
#include "platform/fake_messages.h"
#include "platform/files.h"
#include "tests/document/doc_builder.h"
#include "tests/support/temp_folder.h"

namespace rix {
namespace {

using test::slurp;
using test::mode_of;

using test::sj;

struct RecoveryFlowTest : ::testing::Test {
    FakeMessages messages;
    FakeWindowHost host;
    test::TempFolder home;
    test::TempFolder dir;
    std::unique_ptr<Application> app;

    void SetUp() override { fresh_process(); }
    void TearDown() override { close_document(&app->doc, false); }
    // A new editor process: its own state, the same folders.
    void fresh_process() {
        if (app) close_document(&app->doc, false);
        app = std::make_unique<Application>();
        app->host = &host;
        app->paths.program_folder = home.path();
        app->paths.env_path = home.file("rix.env");
        app->loaded = std::make_unique<LoadedDocument>(std::string(), UINT64_MAX);
        app->hooks.load_document.set([](Application& a) { load_into_application(a); });
        install_save_hooks(*app);
    }
    // Opens the document as the start does: held, marked, offered, loaded.
    bool open(const std::string& path) {
        EXPECT_TRUE(open_document_file_shown(&app->doc, path));
        app->doc.save_name = path;
        bool recovered = offer_recovery(*app);
        app->hooks.load_document(*app);
        if (recovered) after_recovered_load(*app);
        return recovered;
    }
    // Types `line` over the whole document (one line).
    void type(const std::string& line) {
        test::build(app->loaded->document, {line, ""});
        app->doc.modified |= MODIFIED_TEXT;
    }
};

TEST_F(RecoveryFlowTest, SignalKeepsTheTypedTextAndGivesTheDocumentBack) {
    std::string path = dir.write("原稿.txt", sj("保存した文\r\n"));
    ::chmod(path.c_str(), 0604);
    open(path);
    EXPECT_EQ(mode_of(path), 0404u);
    type(sj("書きかけの文"));
    end_on_signal(*app, SIGTERM);
    EXPECT_EQ(slurp(dir.file("原稿.recovered.txt")), sj("書きかけの文\r\n") + "\x1A");
    EXPECT_EQ(slurp(path), sj("保存した文\r\n"));   // nothing written over the document
    EXPECT_EQ(mode_of(path), 0604u);                // the mark given back
    EXPECT_EQ(app->doc.text_fd, -1);
    EXPECT_TRUE(app->shut_down);
    EXPECT_TRUE(messages.log.empty());   // nobody is there to answer: nothing asked
}

TEST_F(RecoveryFlowTest, AnUnchangedDocumentLeavesNoRecoveryFile) {
    std::string path = dir.write("a.txt", "text\r\n");
    open(path);
    end_on_signal(*app, SIGHUP);
    EXPECT_TRUE(find_recovery_files(path).empty());
    EXPECT_FALSE(is_read_only(path));
}

TEST_F(RecoveryFlowTest, YesOpensTheRecoveredTextAndItsSaveTakesTheFileAway) {
    std::string path = dir.write("b.txt", "saved\r\n");
    open(path);
    type("typed");
    end_on_signal(*app, SIGTERM);
    std::string recovered = dir.file("b.recovered.txt");
    ASSERT_TRUE(file_exists(recovered));

    fresh_process();
    messages.answer(MSG_RESULT_YES);
    EXPECT_TRUE(open(path));
    EXPECT_TRUE(messages.saw("復元した文章を開きますか"));
    EXPECT_TRUE(messages.saw(recovered));
    EXPECT_TRUE(app->doc.modified & MODIFIED_TEXT);   // differs from the saved document
    EXPECT_EQ(app->doc.save_name, path);
    EXPECT_TRUE(is_read_only(path));                 // the document's own mark
    EXPECT_TRUE(file_exists(recovered));             // not gone before it is saved
    EXPECT_EQ(save_in_mode(*app, SAVE_MODE_MENU), SaveResult::Saved);
    EXPECT_EQ(slurp(path), "typed\r\n\x1A");
    EXPECT_EQ(slurp(dir.file("b.bak")), "saved\r\n");
    EXPECT_FALSE(file_exists(recovered));
    EXPECT_EQ(messages.unexpected, 0);
}

// A recovered text stands for its document: the 〓 it carries for the
// characters of a UTF-8 document that code page 932 cannot hold is never
// saved over that document, and the document's damaged extension file is
// kept, not replaced.
TEST_F(RecoveryFlowTest, ARecoveredTextKeepsWhatItsDocumentKeeps) {
    const std::string original = "\xF0\xA0\xAE\xB7\xE3\x81\xAE\xE5\xAE\xB6\n";   // 𠮷の家
    std::string path = dir.write("u.txt", original);
    open(path);
    EXPECT_FALSE(app->doc.keep_original.empty());
    messages.log.clear();
    type(sj("〓の家と庭"));
    end_on_signal(*app, SIGTERM);
    std::string recovered = dir.file("u.recovered.txt");
    ASSERT_TRUE(file_exists(recovered));

    fresh_process();
    messages.answer(MSG_RESULT_YES);
    EXPECT_TRUE(open(path));
    EXPECT_EQ(app->doc.keep_original, path);
    EXPECT_NE(save_in_mode(*app, SAVE_MODE_MENU), SaveResult::Saved);
    EXPECT_EQ(slurp(path), original);
    EXPECT_TRUE(file_exists(recovered));

    // A damaged extension file of the document is kept beside it.
    close_document(&app->doc, false);
    std::string plain = dir.write("d.txt", "saved\r\n");
    dir.write("d.rix", "RIX45");
    fresh_process();
    open(plain);
    type("typed");
    end_on_signal(*app, SIGTERM);
    fresh_process();
    messages.answer(MSG_RESULT_YES);
    EXPECT_TRUE(open(plain));
    EXPECT_EQ(app->doc.damaged_extension, dir.file("d.rix"));
    EXPECT_EQ(save_in_mode(*app, SAVE_MODE_MENU), SaveResult::Saved);
    EXPECT_EQ(slurp(dir.file("d.rix.damaged")), "RIX45");
}

// An editor killed while it wrote a recovery file may have left an empty
// or cut one: it is never offered (it would replace the text with less); a
// whole older one still is.
TEST_F(RecoveryFlowTest, AnEmptyOrCutRecoveryFileIsNeverOffered) {
    std::string path = dir.write("k.txt", "saved\r\n");
    std::string empty = dir.write("k.recovered.txt", "");
    open(path);
    EXPECT_EQ(messages.unexpected, 0);
    EXPECT_FALSE(messages.saw("復元した文章を開きますか"));
    EXPECT_EQ(app->doc.opened_path, path);

    fresh_process();
    std::string whole = dir.write("k.recovered-2.txt", "typed\r\n\x1A");
    std::string cut = dir.write("k.recovered-3.txt", "typed but c");
    struct timespec older[2] = {{0, UTIME_OMIT}, {::time(nullptr) - 100, 0}};
    ::utimensat(AT_FDCWD, whole.c_str(), older, 0);
    messages.answer(MSG_RESULT_YES);
    EXPECT_TRUE(open(path));
    EXPECT_TRUE(messages.saw(whole));
    EXPECT_FALSE(messages.saw(cut));
    EXPECT_FALSE(messages.saw(empty));
    EXPECT_EQ(app->doc.recovered_from, whole);
    EXPECT_TRUE(file_exists(cut));   // left as it is
}

TEST_F(RecoveryFlowTest, NoOpensTheDocumentAndLeavesTheRecoveryFile) {
    std::string path = dir.write("c.txt", "saved\r\n");
    open(path);
    type("typed");
    end_on_signal(*app, SIGTERM);
    std::string recovered = dir.file("c.recovered.txt");

    fresh_process();
    messages.answer(MSG_RESULT_NO);
    EXPECT_FALSE(open(path));
    EXPECT_EQ(app->doc.modified, 0);
    type("edited again");
    EXPECT_EQ(save_in_mode(*app, SAVE_MODE_MENU), SaveResult::Saved);
    EXPECT_EQ(slurp(recovered), "typed\r\n\x1A");   // never removed without a yes
    EXPECT_EQ(messages.unexpected, 0);

    // A document another editor holds (read-only here) is not offered its recovery file.
    fresh_process();
    ::chmod(path.c_str(), 0444);
    EXPECT_FALSE(open(path));
    EXPECT_TRUE(messages.saw("読取専用ファイルか"));
    EXPECT_EQ(messages.unexpected, 0);   // no question
    ::chmod(path.c_str(), 0644);
}

TEST_F(RecoveryFlowTest, MarksOfKilledEditorsAreGivenBackAfterANotice) {
    std::string path = dir.write("d.txt", "text\r\n");
    ::chmod(path.c_str(), 0620);
    InstanceRegistry registry(home.file("run"));
    pid_t child = ::fork();
    if (child == 0) {
        // An editor that marks its document and is killed.
        RegistryMarkJournal journal(&registry);
        install_in_use_mark_journal(&journal);
        std::uint32_t mode = 0;
        set_in_use_mark(path, &mode);
        ::raise(SIGKILL);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(mode_of(path), 0400u);

    EXPECT_EQ(give_back_stale_marks(registry), 1);
    EXPECT_EQ(mode_of(path), 0620u);
    ASSERT_EQ(messages.log.size(), 1u);
    EXPECT_EQ(messages.log[0].kind & 0xFF, MSG_NOTICE);
    EXPECT_TRUE(messages.saw("使用中の印が残っています"));
    EXPECT_TRUE(messages.saw(path));
    // Once only; and the document opens with the mark of this editor.
    EXPECT_EQ(give_back_stale_marks(registry), 0);
    EXPECT_EQ(messages.log.size(), 1u);
    open(path);
    EXPECT_TRUE(app->doc.in_use_mark_held);
}

}  // namespace
}  // namespace rix

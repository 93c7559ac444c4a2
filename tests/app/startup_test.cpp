// The start-up action, the environment file lookup, and the exit flow,
// through the message fake and the window fake.
// Owed: the download path (covered by the network test).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "app/shell/application.h"
#include "app/shell/process_start.h"
#include "platform/codec.h"
#include "platform/fake_messages.h"
#include "platform/files.h"
#include "tests/support/temp_folder.h"

using namespace rix;

namespace {

struct Fixture {
    rix::test::TempFolder home;     // the program folder
    rix::test::TempFolder docs;     // the document folder
    FakeMessages messages;
    FakeWindowHost host;
    Application app;

    explicit Fixture(int startup_action = 0) {
        SettingsState s;
        s.rec.startup_action = static_cast<std::uint8_t>(startup_action);
        store_field(s.rec.document_folder, sizeof s.rec.document_folder, utf8_to_sjis(docs.path()));
        store_field(s.rec.new_document_name, sizeof s.rec.new_document_name, utf8_to_sjis("原稿_.txt"));
        std::memcpy(s.rec.file_signature, "RIX-WIN v7.11", 13);
        s.changed = true;
        write_settings(home.file("rix.env"), 1, &s);
        app.paths.program_folder = home.path();
        app.paths.start_folder = home.path();
        app.host = &host;
    }
    Flow start(std::vector<std::string> args = {}) {
        EXPECT_TRUE(parse_command_line(args, &app.line));
        if (locate_environment_file(app) == Flow::End) return Flow::End;
        return run_startup_action(app);
    }
    SettingsRecord on_disk() {
        SettingsState s;
        FakeMessages quiet;
        read_settings(home.file("rix.env"), &s);
        return s.rec;
    }
};

mode_t mode_of(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

}  // namespace

TEST(Environment, MissingFileEndsWithNotice) {
    Fixture f;
    ::unlink(f.home.file("rix.env").c_str());
    EXPECT_EQ(f.start(), Flow::End);
    ASSERT_EQ(f.messages.log.size(), 1u);
    EXPECT_TRUE(f.messages.saw("環境設定ファイル（rix.env）が見つかりません。"));
    EXPECT_TRUE(f.messages.saw(f.home.path()));   // the data folder, where it belongs
}

TEST(Environment, NamedFileMissingFallsBackAfterQuestion) {
    Fixture f;
    f.messages.answer(MSG_RESULT_YES);
    EXPECT_EQ(f.start({"x.env/e"}), Flow::Continue);
    EXPECT_TRUE(f.messages.saw("指定の環境設定ファイル\n" + f.home.file("x.env") + "\nがありません。"));
    EXPECT_EQ(f.app.paths.env_path, f.home.file("rix.env"));

    Fixture g;
    g.messages.answer(MSG_RESULT_NO);
    EXPECT_EQ(g.start({"x.env/e"}), Flow::End);
}

TEST(Environment, NamedFileIsUsed) {
    Fixture f;
    std::string bytes;
    ASSERT_TRUE(read_whole_file(f.home.file("rix.env"), &bytes));
    f.home.write("x.env", bytes);
    EXPECT_EQ(f.start({"x.env/e"}), Flow::Continue);
    EXPECT_EQ(f.app.paths.env_path, f.home.file("x.env"));
    EXPECT_EQ(f.messages.unexpected, 0);
}

TEST(Environment, TheSettingsFileIsPrivateFromTheFirstStart) {
    // It keeps the FTP passwords: 0600 when installed, whatever the umask,
    // and an older one with wider modes loses its group and other bits.
    rix::test::TempFolder t;
    const std::string data = t.file("data");
    const char* had = std::getenv("RIX_HOME");
    const std::string before = had ? had : "";
    ::setenv("RIX_HOME", data.c_str(), 1);
    const mode_t mask = ::umask(022);
    char arg0[] = "rix", arg1[] = "--data-folder";
    char* argv[] = {arg0, arg1, nullptr};
    auto start = [&argv] {
        Application app;
        testing::internal::CaptureStdout();
        const int code = start_without_window(app, 2, argv);
        testing::internal::GetCapturedStdout();
        return code;
    };
    EXPECT_EQ(start(), 0);
    EXPECT_EQ(mode_of(data + "/rix.env"), 0600u);
    EXPECT_EQ(mode_of(data + "/help/HLP_SHORT.htm"), 0644u);   // the rest as before
    ASSERT_EQ(::chmod((data + "/rix.env").c_str(), 0664), 0);
    EXPECT_EQ(start(), 0);
    EXPECT_EQ(mode_of(data + "/rix.env"), 0600u);
    ::umask(mask);
    if (had) ::setenv("RIX_HOME", before.c_str(), 1);
    else ::unsetenv("RIX_HOME");
}

TEST(Environment, ANamedSettingsFileIsMadePrivateToo) {
    Fixture f;
    std::string bytes;
    ASSERT_TRUE(read_whole_file(f.home.file("rix.env"), &bytes));
    f.home.write("x.env", bytes);
    ASSERT_EQ(::chmod(f.home.file("x.env").c_str(), 0640), 0);
    EXPECT_EQ(f.start({"x.env/e"}), Flow::Continue);
    EXPECT_EQ(mode_of(f.home.file("x.env")), 0600u);
}

TEST(Startup, NewDocumentCreatedAndDeletedWhenUnchanged) {
    Fixture f(0);
    EXPECT_EQ(f.start(), Flow::Continue);
    std::string made = f.docs.file("原稿_001.txt");
    EXPECT_EQ(f.app.doc.save_name, made);
    EXPECT_TRUE(f.app.doc.created_new);
    EXPECT_TRUE(file_exists(made));
    EXPECT_TRUE(is_read_only(made));   // the in-use mark
    EXPECT_EQ(exit_application(f.app, false), Flow::End);
    EXPECT_TRUE(f.host.destroyed);
    shutdown_process(f.app);
    EXPECT_FALSE(file_exists(made));
    EXPECT_EQ(f.messages.unexpected, 0);
}

TEST(Startup, DeletedPreviousDocumentFallsBackToNew) {
    Fixture f(1);
    store_field(f.app.settings.rec.previous_document, 128, "");
    SettingsState s;
    {
        FakeMessages quiet;
        read_settings(f.home.file("rix.env"), &s);
    }
    store_field(s.rec.previous_document, sizeof s.rec.previous_document, utf8_to_sjis(f.docs.file("消えた.txt")));
    s.changed = true;
    write_settings(f.home.file("rix.env"), 1, &s);

    EXPECT_EQ(f.start(), Flow::Continue);
    EXPECT_TRUE(f.messages.saw("前回編集指定の文書\n" + f.docs.file("消えた.txt") + "\nが見つかりません。"));
    EXPECT_EQ(f.app.settings.rec.startup_action, 0);
    EXPECT_TRUE(f.app.settings.changed);
    EXPECT_EQ(f.app.doc.save_name, f.docs.file("原稿_001.txt"));
    exit_application(f.app, false);
    shutdown_process(f.app);
    // The next start behaves as "new document".
    EXPECT_EQ(f.on_disk().startup_action, 0);
}

TEST(Startup, PreviousDocumentReopenedAndRememberedAtExit) {
    Fixture f(1);
    std::string doc = f.docs.write("前回.txt", "\x82\xa0\r\n");
    SettingsState s;
    {
        FakeMessages quiet;
        read_settings(f.home.file("rix.env"), &s);
    }
    store_field(s.rec.previous_document, sizeof s.rec.previous_document, utf8_to_sjis(doc));
    s.changed = true;
    write_settings(f.home.file("rix.env"), 1, &s);
    int loads = 0;
    f.app.hooks.load_document.set([&](Application&) { ++loads; });

    EXPECT_EQ(f.start(), Flow::Continue);
    EXPECT_EQ(f.app.doc.save_name, doc);
    EXPECT_EQ(loads, 1);
    EXPECT_TRUE(f.messages.log.empty());
    EXPECT_EQ(exit_application(f.app, false), Flow::End);
    shutdown_process(f.app);
    EXPECT_EQ(sjis_to_utf8(read_field(f.on_disk().previous_document, 128)), doc);
}

TEST(Startup, CommandLineDocumentIsOpenedWithTheMark) {
    Fixture f(2);
    std::string doc = f.docs.write("章.txt", "text\r\n");
    ::chmod(doc.c_str(), 0640);
    EXPECT_EQ(f.start({doc}), Flow::Continue);
    EXPECT_EQ(f.app.doc.opened_path, doc);
    EXPECT_GE(f.app.doc.text_fd, 0);
    EXPECT_EQ(f.app.doc.file_length, 6);
    EXPECT_TRUE(f.app.doc.in_use_mark_held);
    EXPECT_EQ(mode_of(doc), 0440u);
    exit_application(f.app, false);
    shutdown_process(f.app);
    EXPECT_EQ(mode_of(doc), 0640u);   // given back exactly
    EXPECT_TRUE(file_exists(doc));
}

TEST(Startup, DocumentInUseIsEditedWithoutTheMark) {
    Fixture f(2);
    std::string doc = f.docs.write("使用中.txt", "text\r\n");
    ::chmod(doc.c_str(), 0444);
    EXPECT_EQ(f.start({doc}), Flow::Continue);
    EXPECT_FALSE(f.app.doc.in_use_mark_held);
    EXPECT_TRUE(f.messages.saw("この文書は読取専用ファイルか\n他のユーザーが使用中です。"));
    shutdown_process(f.app);
    EXPECT_EQ(mode_of(doc), 0444u);   // not ours to give back
}

TEST(Startup, CommandLineNewNameCreatesTheFile) {
    Fixture f(2);
    std::string doc = f.docs.file("新作.txt");
    EXPECT_EQ(f.start({doc}), Flow::Continue);
    EXPECT_TRUE(f.messages.saw("新しい文書を作成します｡"));
    EXPECT_TRUE(file_exists(doc));
    EXPECT_TRUE(f.app.doc.created_new);
    EXPECT_TRUE(f.app.doc.opened_path.empty());
    exit_application(f.app, false);
    shutdown_process(f.app);
    EXPECT_FALSE(file_exists(doc));   // never typed into
}

TEST(Startup, RefusedKindsAndCancelledChoiceEnd) {
    Fixture f(2);
    std::string doc = f.docs.write("utf16.txt", std::string("\xFF\xFE" "a\0b\0", 6));
    // The command-line document is refused, and the start ends without a document.
    EXPECT_EQ(f.start({doc}), Flow::End);
    EXPECT_TRUE(f.messages.saw("この文書はＵＮＩＣＯＤＥファイルです｡"));
    EXPECT_TRUE(f.messages.saw(" 無操作終了します｡"));
    EXPECT_TRUE(f.host.destroyed);
}

TEST(Startup, ChoiceByDialog) {
    Fixture f(2);
    std::string doc = f.docs.write("選んだ.txt", "abc");
    f.host.choices.push_back({CHOSEN_EXISTING, doc});
    EXPECT_EQ(f.start(), Flow::Continue);
    ASSERT_FALSE(f.host.calls.empty());
    EXPECT_EQ(f.host.calls.front(), "choose 0 " + f.docs.path() + "/");   // a folder is given with its "/"
    EXPECT_EQ(f.app.doc.opened_path, doc);
}

TEST(Startup, WakeupChoiceRemembered) {
    Fixture f(3);
    f.host.startup_answer = 0;
    f.host.startup_dont_ask = true;
    EXPECT_EQ(f.start(), Flow::Continue);
    EXPECT_EQ(f.app.settings.rec.startup_action, 0);   // the choice times two
    EXPECT_TRUE(f.app.settings.changed);
    EXPECT_TRUE(f.app.doc.created_new);
}

TEST(Exit, OnlyInstanceOneWritesTheSettings) {
    Fixture f(2);
    std::string doc = f.docs.write("a.txt", "x");
    f.app.instance_number = 2;
    ASSERT_EQ(f.start({doc}), Flow::Continue);
    f.app.settings.rec.no_backup = 1;
    mark_settings_changed(&f.app.settings);
    exit_application(f.app, false);
    shutdown_process(f.app);
    EXPECT_EQ(f.on_disk().no_backup, 0);

    Fixture g(2);
    doc = g.docs.write("a.txt", "x");
    ASSERT_EQ(g.start({doc}), Flow::Continue);
    g.app.settings.rec.no_backup = 1;
    mark_settings_changed(&g.app.settings);
    exit_application(g.app, false);
    shutdown_process(g.app);
    EXPECT_EQ(g.on_disk().no_backup, 1);
}

TEST(Exit, CloseBoxAsksAndDatabaseWindowBlocks) {
    Fixture f(2);
    std::string doc = f.docs.write("a.txt", "x");
    ASSERT_EQ(f.start({doc}), Flow::Continue);
    f.messages.answer(MSG_RESULT_NO);
    EXPECT_EQ(close_requested(f.app), Flow::Continue);
    EXPECT_FALSE(f.host.destroyed);

    bool db_open = true;
    f.app.hooks.database_open.set([&] { return db_open; });
    EXPECT_EQ(exit_application(f.app, false), Flow::Continue);
    EXPECT_TRUE(f.messages.saw("文書データベースが開いています。"));
    db_open = false;
    f.messages.answer(MSG_RESULT_YES);
    EXPECT_EQ(close_requested(f.app), Flow::End);
    EXPECT_TRUE(f.host.destroyed);
}

TEST(Exit, NewDocumentSavedUnderAnotherNameLeavesNoNumberedFile) {
    Fixture f(2);
    std::string numbered = f.docs.file("新作.txt");
    ASSERT_EQ(f.start({numbered}), Flow::Continue);
    ASSERT_TRUE(f.app.doc.created_new);
    f.app.doc.modified = MODIFIED_TEXT;
    std::string chosen = f.docs.file("題名.txt");
    f.host.choices.push_back({CHOSEN_NEW_NAME, chosen});
    std::string saved_to;
    f.app.hooks.save_document.set([&](Application& a) {
        saved_to = a.doc.save_name;
        EXPECT_FALSE(a.doc.in_use_mark_held);   // the numbered file's mark is given back first
        EXPECT_TRUE(atomic_replace(a.doc.save_name, "text"));
        a.doc.modified = 0;
        a.doc.created_new = false;
        return SaveResult::Saved;
    });
    EXPECT_EQ(exit_application(f.app, true), Flow::End);
    shutdown_process(f.app);
    EXPECT_EQ(saved_to, chosen);
    EXPECT_TRUE(file_exists(chosen));
    EXPECT_FALSE(file_exists(numbered));
}

TEST(Exit, FailedSaveStopsTheExitAndCancelToo) {
    Fixture f(2);
    std::string doc = f.docs.write("a.txt", "x");
    ASSERT_EQ(f.start({doc}), Flow::Continue);
    f.app.doc.modified = MODIFIED_TEXT;
    int answer = MSG_RESULT_CANCEL;
    f.app.hooks.save_question.set([&](Application&, bool) { return answer; });
    SaveResult result = SaveResult::Failed;
    f.app.hooks.save_document.set([&](Application&) { return result; });
    EXPECT_EQ(exit_application(f.app, false), Flow::Continue);
    answer = MSG_RESULT_YES;
    EXPECT_EQ(exit_application(f.app, false), Flow::Continue);   // the save failed
    answer = MSG_RESULT_NO;
    EXPECT_EQ(exit_application(f.app, false), Flow::End);
}

TEST(Exit, NothingToSaveIsNoFailure) {
    Fixture f(2);
    std::string doc = f.docs.write("a.txt", "x");
    ASSERT_EQ(f.start({doc}), Flow::Continue);
    f.app.doc.modified = MODIFIED_TEXT;
    f.app.hooks.save_question.set([](Application&, bool) { return MSG_RESULT_YES; });
    f.app.hooks.save_document.set([](Application&) { return SaveResult::Nothing; });
    EXPECT_EQ(exit_application(f.app, false), Flow::End);
}

TEST(Timers, MinimiseStopsAndRestoreRestartsOnce) {
    Fixture f(2);
    std::string doc = f.docs.write("a.txt", "x");
    ASSERT_EQ(f.start({doc}), Flow::Continue);
    f.host.calls.clear();
    window_minimized(f.app);
    window_restored(f.app);
    window_restored(f.app);
    std::vector<std::string> expected = {"kill_timer 1", "kill_timer 2", "kill_timer 3", "set_timer 1 60000"};
    EXPECT_EQ(f.host.calls, expected);
}

TEST(WindowMenu, FullWidthNumbersAndTwentyAtMost) {
    std::vector<InstanceEntry> list;
    for (int i = 1; i <= 21; ++i) list.push_back({i, 100 + i, "t" + std::to_string(i)});
    std::vector<WindowMenuEntry> entries = window_menu_entries(list, 12);
    ASSERT_EQ(entries.size(), 20u);
    EXPECT_EQ(entries[0].label, "１ t1");
    EXPECT_EQ(entries[11].label, "１２ t12");
    EXPECT_TRUE(entries[11].checked);
    EXPECT_FALSE(entries[0].checked);
    EXPECT_EQ(entries[19].command, 769);
    // The 21st instance cannot be reached by Ctrl+Page Up/Down either.
    EXPECT_EQ(neighbour_instance(list, 21, 1), -1);
    EXPECT_EQ(neighbour_instance(list, 1, -1), 19);
    EXPECT_EQ(neighbour_instance(list, 20, 1), 0);
    EXPECT_EQ(neighbour_instance({{5, 1, "only"}}, 5, 1), -1);
}

TEST(ReadIntoLine, InsertsTheWholeFileAfterTheQuestion) {
    Fixture f(2);
    std::string doc = f.docs.write("a.txt", "x");
    ASSERT_EQ(f.start({doc}), Flow::Continue);
    EXPECT_FALSE(read_into_current_line(f.app));   // nothing can insert yet: the command does nothing

    std::string inserted;
    f.app.hooks.insert_text.set([&](Application&, const std::string& text) {
        inserted += text;
        return true;
    });
    std::string other = f.docs.write("b.txt", "一\r\n二\r\n\x1A");
    f.host.choices.push_back({CHOSEN_EXISTING, other});
    f.messages.answer(MSG_RESULT_YES);
    EXPECT_TRUE(read_into_current_line(f.app));
    EXPECT_EQ(inserted, "一\r\n二\r\n");

    f.host.choices.push_back({CHOSEN_NEW_NAME, f.docs.file("none.txt")});
    f.messages.answer(MSG_RESULT_YES);
    EXPECT_FALSE(read_into_current_line(f.app));
    EXPECT_TRUE(f.messages.saw("文書が見つかりませんでした｡"));
    EXPECT_EQ(f.messages.unexpected, 0);
}

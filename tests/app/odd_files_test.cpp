// Paths that are not documents (a FIFO, a folder, a device, a link loop, a
// broken link) and a damaged extension file, through the start-up and
// `rix --info`: each gets an answer saying what it is, nothing waits on it,
// nothing is made in its place.
//
// Tests still owed: a file that may not be read (the tests run as root).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "app/documents/document_load.h"
#include "app/settings/default_settings.h"
#include "app/shell/application.h"
#include "files/select_file.h"
#include "platform/codec.h"
#include "platform/fake_messages.h"
#include "platform/files.h"
#include "tests/support/notices.h"
#include "tests/support/temp_folder.h"

using namespace rix;

namespace {

struct OddPaths {
    rix::test::TempFolder dir;
    std::string fifo = dir.file("pipe.txt");
    std::string loop = dir.file("loop.txt");
    std::string broken = dir.file("broken.txt");
    std::string folder = dir.file("folder.txt");
    OddPaths() {
        ::mkfifo(fifo.c_str(), 0644);
        ::symlink("loop.txt", loop.c_str());
        ::symlink("nowhere.txt", broken.c_str());
        ::mkdir(folder.c_str(), 0755);
    }
};

struct OddCase {
    std::string path;
    PathKind kind;
    const char* said;   // what the notice says it is
};

std::vector<OddCase> odd_cases(const OddPaths& p) {
    return {{p.fifo, PathKind::FIFO, "名前付きパイプ（FIFO）"},
            {p.loop, PathKind::LINK_LOOP, "シンボリックリンクが循環しています"},
            {p.broken, PathKind::BROKEN_LINK, "シンボリックリンクの指す先がありません"},
            {p.folder, PathKind::FOLDER, "これはフォルダです"},
            {"/dev/null", PathKind::DEVICE, "これはデバイスで"}};
}

// `rix --info` on `path`: its exit code, what it printed on standard output.
int info(const std::string& path, std::string* printed) {
    SettingsRecord rec;
    build_default_settings(&rec);
    char* buf = nullptr;
    std::size_t size = 0;
    std::FILE* out = ::open_memstream(&buf, &size);
    ReadingOptions reading;
    reading.rubies = true;
    test::ScriptedQuestions questions;   // none expected: a question would be answered no
    int rc = print_document_info(path, rec, folder_of(path), reading, 0, questions, out);
    EXPECT_TRUE(questions.asked.empty());
    std::fclose(out);
    printed->assign(buf, size);
    std::free(buf);
    return rc;
}

}  // namespace

TEST(OddFiles, EachKindIsToldApartBeforeAnythingIsOpened) {
    OddPaths p;
    for (const OddCase& c : odd_cases(p)) {
        EXPECT_EQ(path_kind(c.path), c.kind) << c.path;
        PathKind kind = PathKind::REGULAR;
        EXPECT_EQ(open_regular_file(c.path, &kind), -1) << c.path;
        EXPECT_EQ(kind, c.kind) << c.path;
    }
    EXPECT_EQ(path_kind(p.dir.file("none.txt")), PathKind::MISSING);
    EXPECT_EQ(path_kind(p.dir.file("none/x.txt")), PathKind::MISSING);
    std::string doc = p.dir.write("doc.txt", "a");
    EXPECT_EQ(path_kind(doc), PathKind::REGULAR);
    int fd = open_regular_file(doc);
    EXPECT_GE(fd, 0);
    ::close(fd);
}

TEST(OddFiles, InfoAnswersWhatThePathIsInsteadOfWaiting) {
    OddPaths p;
    for (const OddCase& c : odd_cases(p)) {
        FakeMessages fake;
        std::string printed;
        EXPECT_EQ(info(c.path, &printed), 1) << c.path;
        EXPECT_EQ(printed, "") << c.path;
        EXPECT_TRUE(fake.saw("文書ファイルを開けません｡\n" + c.path)) << c.path;
        EXPECT_TRUE(fake.saw(c.said)) << c.path;
    }
    struct stat st {};
    ASSERT_EQ(::lstat(p.fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));   // left as it was
}

TEST(OddFiles, StartWithOneEndsWithoutMakingANewDocument) {
    OddPaths p;
    for (const OddCase& c : odd_cases(p)) {
        if (c.kind == PathKind::FOLDER) continue;   // a folder opens the file selection instead
        FakeMessages fake;
        FakeWindowHost host;
        Application app;
        app.host = &host;
        app.batch = true;   // as rix --snapshot
        build_default_settings(&app.settings.rec);
        ASSERT_TRUE(parse_command_line({c.path}, &app.line));
        EXPECT_EQ(run_startup_action(app), Flow::End) << c.path;
        EXPECT_TRUE(fake.saw(c.said)) << c.path;
        EXPECT_FALSE(fake.saw("新しい文書を作成します")) << c.path;
        EXPECT_TRUE(host.destroyed);
        EXPECT_EQ(app.doc.text_fd, -1);
    }
    EXPECT_EQ(path_kind(p.broken), PathKind::BROKEN_LINK);   // nothing was made at its target
    EXPECT_FALSE(file_exists(p.dir.file("nowhere.txt")));
}

TEST(OddFiles, SaveAsOntoOneIsRefused) {
    OddPaths p;
    FakeMessages fake;
    FakeWindowHost host;
    std::string path = p.fifo;
    host.choices.push_back({CHOSEN_NEW_NAME, p.fifo});
    Notices notices;
    EXPECT_EQ(select_file(host, SELECT_SAVE_AS, &path, notices), CHOSEN_CANCELLED);
    show_notices(notices);
    EXPECT_TRUE(fake.saw("この名前では保存出来ません"));
    EXPECT_TRUE(fake.saw("名前付きパイプ"));
}

TEST(DamagedExtensionInfo, CountsWhatWasReadAndLeavesTheFileAlone) {
    rix::test::TempFolder dir;
    std::string text = dir.write("doc.txt", "\x8A\xBF\x8E\x9A\r\n\x8A\xBF\x8E\x9A\x1A");   // 漢字 漢字
    // Header (RIX45, "txt", zeros), two rubies of "かな" at column 0 of lines 0
    // and 1, the second cut two bytes short.
    std::string rix(128, '\0');
    std::memcpy(rix.data(), "RIX45txt", 8);
    for (int line = 0; line < 2; ++line) {
        std::string rec = {0, static_cast<char>(line), 0x10, 0x02, 0, 0, 0, 0};
        rec += "\x82\xA9\x82\xC8";
        rec.resize(16, '\0');
        rix += rec;
    }
    rix.resize(rix.size() - 2);
    std::string rix_path = dir.write("doc.rix", rix);
    struct stat st {};
    ::stat(text.c_str(), &st);
    struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::utimensat(AT_FDCWD, rix_path.c_str(), times, 0);

    FakeMessages fake;
    std::string printed;
    EXPECT_EQ(info(text, &printed), 0);
    EXPECT_NE(printed.find("rubies=1\n"), std::string::npos) << printed;
    EXPECT_TRUE(fake.saw("拡張ファイルが壊れています"));
    EXPECT_TRUE(fake.saw("144バイト目から後の14バイトを読めませんでした"));
    std::string still;
    read_whole_file(rix_path, &still);
    EXPECT_EQ(still, rix);
    EXPECT_FALSE(file_exists(rix_path + ".damaged"));
}

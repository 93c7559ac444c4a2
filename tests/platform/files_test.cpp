// Tests of platform/files: paths, the data folder, safe replacement, renames
// that never overwrite, the in-use mark and bounded reads.
// Every test works in its own fresh folder under /tmp; the tests run as root,
// so failures are provoked by other means than permissions.
//
// Still owed: the link + unlink fallback of rename_no_overwrite (needs a file
// system without RENAME_NOREPLACE).
#include "platform/file_names.h"
#include "platform/files.h"

#include <fcntl.h>
#include <ftw.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <gtest/gtest.h>

namespace rix {
namespace {

int remove_entry(const char* path, const struct stat*, int, struct FTW*) { return ::remove(path); }

class FilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/rix-files-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
    }
    void TearDown() override { ::nftw(dir_.c_str(), remove_entry, 16, FTW_DEPTH | FTW_PHYS); }
    std::string at(const std::string& name) const { return join_path(dir_, name); }
    static void put(const std::string& path, const std::string& bytes) {
        ASSERT_TRUE(atomic_replace(path, bytes)) << path;
    }
    static std::string get(const std::string& path) {
        std::string s;
        EXPECT_TRUE(read_whole_file(path, &s)) << path;
        return s;
    }
    static unsigned mode_of(const std::string& path) {
        struct stat st {};
        EXPECT_EQ(::stat(path.c_str(), &st), 0) << path;
        return st.st_mode & 07777;
    }
    std::string dir_;
};

// Sets an environment variable for one scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name)) old_ = old, had_ = true;
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedEnv() { had_ ? ::setenv(name_, old_.c_str(), 1) : ::unsetenv(name_); }

private:
    const char* name_;
    std::string old_;
    bool had_ = false;
};

TEST(FilesPaths, JoinFolderAndName) {
    EXPECT_EQ(join_path("/a/", "b"), "/a/b");
    EXPECT_EQ(join_path("/a//", "/b"), "/a/b");
    EXPECT_EQ(join_path("/", "b"), "/b");
    EXPECT_EQ(join_path("", "b"), "b");
    EXPECT_EQ(join_path("a", ""), "a");

    EXPECT_EQ(folder_of("b.txt"), "");
    EXPECT_EQ(name_of("b.txt"), "b.txt");
    EXPECT_EQ(folder_of("/b.txt"), "/");
    EXPECT_EQ(folder_of("/"), "/");
    EXPECT_EQ(name_of("/"), "");
    EXPECT_EQ(folder_of("a/b/"), "a");
    EXPECT_EQ(name_of("a/b/"), "b");
    EXPECT_EQ(folder_of("/a//b"), "/a");
}

// Extensions as every layer takes them: the last dot of the file name, never
// of a folder; a name that begins with its only dot has none.
TEST(FilesPaths, ExtensionsAndStems) {
    struct Case {
        const char* path;
        const char* extension;
        const char* stem;
        const char* as_pdf;
    };
    const Case cases[] = {
        {"/d/a.txt", "txt", "a", "a.pdf"},
        {"a.TXT", "TXT", "a", "a.pdf"},                 // case kept
        {"/d/a.b.txt", "txt", "a.b", "a.b.pdf"},        // only the last dot
        {"/d.x/memo", "", "memo", "memo.pdf"},          // a folder's dot is no extension
        {"/d.x/", "", "", ".pdf"},                      // no name at all
        {"/d/.memo", "", ".memo", ".memo.pdf"},         // a name that is only an "extension"
        {".memo", "", ".memo", ".memo.pdf"},
        {"/d/.memo.txt", "txt", ".memo", ".memo.pdf"},
        {"/d/a.", "", "a", "a.pdf"},                    // a trailing dot: an empty extension
        {"noext", "", "noext", "noext.pdf"},
        {"", "", "", ".pdf"},
        {"/d/原稿.テキスト", "テキスト", "原稿", "原稿.pdf"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(extension_of(c.path), c.extension);
        EXPECT_EQ(stem_of(c.path), c.stem);
        EXPECT_EQ(name_with_extension(c.path, "pdf"), c.as_pdf);
    }

    EXPECT_TRUE(has_extension("/d/A.TXT", "txt"));
    EXPECT_TRUE(has_extension("a.Zip", "ZIP"));
    EXPECT_FALSE(has_extension("/d/.txt", "txt"));     // a hidden file named ".txt"
    EXPECT_FALSE(has_extension("/d.txt/a", "txt"));
    EXPECT_FALSE(has_extension("/d/a.txt2", "txt"));
    EXPECT_TRUE(has_extension("/d/a.", ""));           // a trailing dot: the empty extension
    EXPECT_FALSE(has_extension("/d/a", ""));           // no extension is not the empty one
}

TEST(FilesPaths, AbsolutePathIsLexicallyClean) {
    EXPECT_EQ(absolute_path("/"), "/");
    EXPECT_EQ(absolute_path("/a/./b/"), "/a/b");
    EXPECT_EQ(absolute_path("/a/b/../c"), "/a/c");
    EXPECT_EQ(absolute_path("/../.."), "/");
    EXPECT_EQ(absolute_path("x/../y.txt", "/home/u"), "/home/u/y.txt");
    EXPECT_EQ(absolute_path("../../../z", "/home/u"), "/z");
    EXPECT_EQ(absolute_path("", "/home/u/"), "/home/u");
    char cwd[4096];
    ASSERT_NE(::getcwd(cwd, sizeof cwd), nullptr);
    EXPECT_EQ(absolute_path("./n"), join_path(cwd, "n"));
}

TEST(FilesDataFolder, EnvironmentOrder) {
    ScopedEnv rix("RIX_HOME", "/x/rixhome");
    ScopedEnv xdg("XDG_DATA_HOME", "/x/data");
    ScopedEnv home("HOME", "/x/home");
    EXPECT_EQ(data_folder(), "/x/rixhome");
    ::setenv("RIX_HOME", "", 1);
    EXPECT_EQ(data_folder(), "/x/data/rix");
    ::unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(data_folder(), "/x/home/.local/share/rix");
    ::setenv("XDG_DATA_HOME", "relative", 1);   // not absolute: ignored
    EXPECT_EQ(data_folder(), "/x/home/.local/share/rix");
}

TEST_F(FilesTest, InstallCopiesMissingFilesAndKeepsExistingOnes) {
    std::string res = at("res");
    ASSERT_EQ(::mkdir(res.c_str(), 0755), 0);
    ASSERT_EQ(::mkdir(at("res/help").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir(at("res/help/img").c_str(), 0755), 0);
    put(at("res/settings.dat"), std::string("default\0settings", 16));
    put(at("res/help/index.html"), "<p>help</p>");
    put(at("res/help/img/a.png"), "PNG");
    ASSERT_EQ(::chmod(at("res/help/index.html").c_str(), 0444), 0);   // read-only source
    ASSERT_EQ(::mkfifo(at("res/fifo").c_str(), 0644), 0);              // not a regular file

    std::string data = at("home/nested/rix");
    ASSERT_TRUE(install_data_folder(data, res));
    EXPECT_EQ(mode_of(data), 0700u);   // private: copy history and settings live here
    EXPECT_EQ(get(join_path(data, "settings.dat")), std::string("default\0settings", 16));
    EXPECT_EQ(get(join_path(data, "help/index.html")), "<p>help</p>");
    EXPECT_EQ(get(join_path(data, "help/img/a.png")), "PNG");
    EXPECT_FALSE(is_read_only(join_path(data, "help/index.html")));   // not taken for an in-use mark
    EXPECT_FALSE(file_exists(join_path(data, "fifo")));

    put(join_path(data, "settings.dat"), "mine");
    ASSERT_EQ(::unlink(join_path(data, "help/img/a.png").c_str()), 0);
    ASSERT_TRUE(install_data_folder(data, res));
    EXPECT_EQ(get(join_path(data, "settings.dat")), "mine");   // never overwritten
    EXPECT_EQ(get(join_path(data, "help/img/a.png")), "PNG");
    EXPECT_EQ(list_folder_names(data), (std::vector<std::string>{"help", "settings.dat"}));

    put(at("blocker"), "a file");
    EXPECT_FALSE(install_data_folder(at("blocker/rix"), res));
}

TEST_F(FilesTest, PrivateFilesAreInstalledAndKeptPrivate) {
    std::string res = at("res");
    ASSERT_EQ(::mkdir(res.c_str(), 0755), 0);
    ASSERT_EQ(::mkdir(at("res/sub").c_str(), 0755), 0);
    put(at("res/secret.env"), "passwords");
    put(at("res/open.txt"), "text");
    put(at("res/sub/secret.env"), "only the top level is meant");
    const mode_t mask = ::umask(022);
    std::string data = at("data");
    ASSERT_TRUE(install_data_folder(data, res, {"secret.env"}));
    EXPECT_EQ(mode_of(join_path(data, "secret.env")), 0600u);
    EXPECT_EQ(mode_of(join_path(data, "open.txt")), 0644u);
    EXPECT_EQ(mode_of(join_path(data, "sub/secret.env")), 0644u);
    EXPECT_EQ(get(join_path(data, "secret.env")), "passwords");
    ::umask(mask);

    // Only the group and other bits go; the owner's stay as they were.
    const std::string wide = join_path(data, "open.txt");
    ASSERT_EQ(::chmod(wide.c_str(), 0754), 0);
    EXPECT_TRUE(keep_private(wide));
    EXPECT_EQ(mode_of(wide), 0700u);
    ASSERT_EQ(::chmod(wide.c_str(), 0400), 0);
    EXPECT_TRUE(keep_private(wide));
    EXPECT_EQ(mode_of(wide), 0400u);
    // Another user's file (one root can make), a folder and a missing name are left alone.
    if (::geteuid() == 0) {
        ASSERT_EQ(::chmod(wide.c_str(), 0644), 0);
        ASSERT_EQ(::chown(wide.c_str(), 4242, static_cast<gid_t>(-1)), 0);
        EXPECT_FALSE(keep_private(wide));
        EXPECT_EQ(mode_of(wide), 0644u);
    }
    EXPECT_FALSE(keep_private(join_path(data, "sub")));
    EXPECT_EQ(mode_of(join_path(data, "sub")), 0700u);
    EXPECT_FALSE(keep_private(join_path(data, "missing.env")));
}

TEST_F(FilesTest, InstallKeepsATextAndItsExtensionFileTogether) {
    std::string res = at("res");
    ASSERT_EQ(::mkdir(res.c_str(), 0755), 0);
    put(at("res/sample.txt"), "text");
    put(at("res/sample.rix"), "RIX45");
    put(at("res/sample.s.rix"), "other group");
    // Sources of different dates: the installed pair still shares one time.
    const struct timespec old_times[2] = {{1000000000, 0}, {1000000000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, at("res/sample.txt").c_str(), old_times, 0), 0);

    std::string data = at("fresh");
    ASSERT_TRUE(install_data_folder(data, res));
    EXPECT_EQ(get(join_path(data, "sample.txt")), "text");
    EXPECT_EQ(get(join_path(data, "sample.rix")), "RIX45");
    struct stat text {}, ext {};
    ASSERT_EQ(::stat(join_path(data, "sample.txt").c_str(), &text), 0);
    ASSERT_EQ(::stat(join_path(data, "sample.rix").c_str(), &ext), 0);
    EXPECT_EQ(text.st_mtim.tv_sec, ext.st_mtim.tv_sec);
    EXPECT_NE(text.st_mtim.tv_sec, 1000000000);

    // A writer who kept the text but removed its extension file: the shipped
    // one would describe another text, so it is not added. The same for a
    // removed text beside a kept extension file.
    ASSERT_EQ(::unlink(join_path(data, "sample.rix").c_str()), 0);
    put(join_path(data, "sample.txt"), "my own text");
    ASSERT_TRUE(install_data_folder(data, res));
    EXPECT_FALSE(file_exists(join_path(data, "sample.rix")));
    EXPECT_EQ(get(join_path(data, "sample.txt")), "my own text");
    ASSERT_EQ(::unlink(join_path(data, "sample.txt").c_str()), 0);
    put(join_path(data, "sample.rix"), "mine");
    ASSERT_TRUE(install_data_folder(data, res));
    EXPECT_FALSE(file_exists(join_path(data, "sample.txt")));
    EXPECT_EQ(get(join_path(data, "sample.rix")), "mine");
    EXPECT_EQ(get(join_path(data, "sample.s.rix")), "other group");
}

TEST_F(FilesTest, AtomicReplaceWritesAndKeepsMode) {
    std::string f = at("doc.txt");
    mode_t old_mask = ::umask(022);
    put(f, std::string("a\0b", 3));
    ::umask(old_mask);
    EXPECT_EQ(get(f), std::string("a\0b", 3));
    EXPECT_EQ(mode_of(f), 0644u);
    ASSERT_EQ(::chmod(f.c_str(), 0640), 0);
    put(f, std::string(3 << 20, 'x'));
    EXPECT_EQ(file_size(f), 3 << 20);
    EXPECT_EQ(mode_of(f), 0640u);
    EXPECT_EQ(list_folder_names(dir_), std::vector<std::string>{"doc.txt"});   // no temporary left

    ASSERT_EQ(::symlink("doc.txt", at("link").c_str()), 0);   // replaced through, stays a link
    put(at("link"), "");
    EXPECT_EQ(file_size(f), 0);
    struct stat st {};
    ASSERT_EQ(::lstat(at("link").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
}

TEST_F(FilesTest, AtomicReplaceFailureLeavesOldFileWhole) {
    EXPECT_FALSE(atomic_replace(at("missing/doc.txt"), "x"));
    ASSERT_EQ(::mkdir(at("sub").c_str(), 0755), 0);
    EXPECT_FALSE(atomic_replace(at("sub"), "x"));
    EXPECT_TRUE(folder_exists(at("sub")));

    // A write that fails half-way (file size limit) must not touch the target.
    std::string f = at("doc.txt");
    put(f, "old contents");
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::signal(SIGXFSZ, SIG_IGN);
        struct rlimit lim {4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &lim);
        bool replaced = atomic_replace(f, std::string(100000, 'n'));
        ::_exit(replaced ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "failure reported as success";
    EXPECT_EQ(get(f), "old contents");
    EXPECT_EQ(list_folder_names(dir_), (std::vector<std::string>{"doc.txt", "sub"}));
}

// A writer that opens the file by its name (as a printer writing a PDF does)
// writes into the temporary; the file takes the new contents only at commit.
TEST_F(FilesTest, ReplacementWrittenByNameTakesItsPlaceOnlyAtCommit) {
    const std::string f = at("out.pdf");
    put(f, "old pages");
    ASSERT_EQ(::chmod(f.c_str(), 0640), 0);
    const auto write_by_name = [](const std::string& path, const std::string& bytes) {
        const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
        ::close(fd);
    };
    {
        FileReplacement out;   // dropped unfinished: the old file stays, no temporary
        ASSERT_TRUE(out.open(f));
        write_by_name(out.temporary(), "half a page");
        EXPECT_EQ(get(f), "old pages");
        EXPECT_EQ(list_folder_names(dir_).size(), 2u);
    }
    EXPECT_EQ(list_folder_names(dir_), std::vector<std::string>{"out.pdf"});
    FileReplacement out;
    ASSERT_TRUE(out.open(f));
    write_by_name(out.temporary(), "new pages");
    out.discard();
    EXPECT_EQ(get(f), "old pages");
    ASSERT_TRUE(out.open(f));
    write_by_name(out.temporary(), "new pages");
    ASSERT_TRUE(out.commit());
    EXPECT_EQ(get(f), "new pages");
    EXPECT_EQ(mode_of(f), 0640u);
    EXPECT_EQ(list_folder_names(dir_), std::vector<std::string>{"out.pdf"});
    EXPECT_FALSE(out.commit());   // nothing open any more

    ASSERT_EQ(::symlink("out.pdf", at("link.pdf").c_str()), 0);   // replaced through, stays a link
    ASSERT_TRUE(out.open(at("link.pdf")));
    write_by_name(out.temporary(), "through the link");
    ASSERT_TRUE(out.commit());
    EXPECT_EQ(get(f), "through the link");
    struct stat st {};
    ASSERT_EQ(::lstat(at("link.pdf").c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(link_target(at("link.pdf")), f);
    EXPECT_EQ(link_target(f), f);

    ASSERT_EQ(::mkdir(at("sub").c_str(), 0755), 0);
    EXPECT_FALSE(out.open(at("sub")));               // no file to replace
    EXPECT_FALSE(out.open(at("missing/x.pdf")));     // no folder to write in
    EXPECT_FALSE(out.is_open());
}

TEST_F(FilesTest, RenameAndCreateNeverOverwrite) {
    put(at("a"), "A");
    put(at("b"), "B");
    EXPECT_FALSE(rename_no_overwrite(at("a"), at("b")));
    EXPECT_EQ(errno, EEXIST);
    EXPECT_EQ(get(at("a")) + get(at("b")), "AB");
    EXPECT_TRUE(rename_no_overwrite(at("a"), at("c")));
    EXPECT_EQ(list_folder_names(dir_), (std::vector<std::string>{"b", "c"}));

    int fd = create_exclusive(at("new"));
    ASSERT_GE(fd, 0);
    ::close(fd);
    EXPECT_EQ(create_exclusive(at("b")), -1);
    EXPECT_EQ(errno, EEXIST);
    EXPECT_EQ(get(at("b")), "B");
}

TEST_F(FilesTest, InUseMarkRestoresExactMode) {
    std::string f = at("doc.txt");
    put(f, "text");
    for (unsigned mode : {0640u, 0604u, 0777u, 0600u, 02664u}) {
        ASSERT_EQ(::chmod(f.c_str(), mode), 0);
        EXPECT_FALSE(is_read_only(f));
        std::uint32_t saved = 0;
        ASSERT_TRUE(set_in_use_mark(f, &saved));
        EXPECT_EQ(saved, mode);
        EXPECT_EQ(mode_of(f), mode & ~0222u);
        EXPECT_TRUE(is_read_only(f));
        ASSERT_TRUE(clear_in_use_mark(f, saved));
        EXPECT_EQ(mode_of(f), mode) << std::oct << mode;
    }
    ASSERT_EQ(::chmod(f.c_str(), 0460), 0);   // group may write, owner may not
    EXPECT_TRUE(is_read_only(f));
}

TEST_F(FilesTest, ReadsAreBoundedAndOnlyOfRegularFiles) {
    std::string f = at("data");
    put(f, std::string("0123456789\0tail", 15));
    std::string s = "junk";
    ASSERT_TRUE(read_file_prefix(f, 4, &s));
    EXPECT_EQ(s, "0123");
    ASSERT_TRUE(read_file_prefix(f, 1000, &s));
    EXPECT_EQ(s.size(), 15u);

    EXPECT_FALSE(read_whole_file(dir_, &s));
    EXPECT_EQ(file_size(dir_), -1);
    ASSERT_EQ(::mkfifo(at("fifo").c_str(), 0644), 0);
    EXPECT_FALSE(read_file_prefix(at("fifo"), 10, &s));   // must not block
    EXPECT_FALSE(file_exists(at("fifo")));
}

}  // namespace
}  // namespace rix

// Tests of platform/instances: numbering, stale entries, the listing limit,
// hostile folder contents and registration from several processes at once.
// Each test uses its own registry folder under /tmp.
//
// Hold records: a mark of a dead holder is found and given back, and
// nothing else is touched (a replaced file, a writable one, a file a live
// instance holds, a live holder's record).
//
// Still owed: a pid reused by an unrelated process is taken for live (the
// entry format has no start time to tell them apart; hold records have one).
#include "platform/instances.h"

#include <ftw.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <set>

#include "platform/files.h"
#include "tests/support/temp_folder.h"
#include "tests/support/processes.h"

namespace rix {
namespace {

using test::dead_pid;

using test::mode_of;

int remove_entry(const char* path, const struct stat*, int, struct FTW*) { return ::remove(path); }

class InstanceTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/rix-inst-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
    }
    void TearDown() override { ::nftw(dir_.c_str(), remove_entry, 16, FTW_DEPTH | FTW_PHYS); }
    std::vector<int> numbers(const InstanceRegistry& reg, std::size_t limit = 100) const {
        std::vector<int> out;
        for (const InstanceEntry& e : reg.list(limit)) out.push_back(e.number);
        return out;
    }
    std::string dir_;
    long me_ = ::getpid();
};

TEST_F(InstanceTest, NumbersCountUpAndComeBack) {
    InstanceRegistry reg(dir_ + "/sub/reg");   // created on first use
    int highest = -1;
    EXPECT_EQ(reg.register_self(me_, "one", &highest), 1);
    EXPECT_EQ(highest, 0);
    EXPECT_EQ(reg.register_self(me_, "two", &highest), 2);
    EXPECT_EQ(highest, 1);
    EXPECT_EQ(reg.register_self(me_, "three"), 3);
    struct stat st {};
    ASSERT_EQ(::stat(reg.folder().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);

    reg.update_title(2, "second");
    ASSERT_EQ(reg.list().size(), 3u);
    EXPECT_EQ(reg.list()[1].title, "second");

    reg.unregister(3);
    EXPECT_EQ(numbers(reg), (std::vector<int>{1, 2}));
    EXPECT_EQ(reg.register_self(me_, "again"), 3);
    reg.unregister(1);
    EXPECT_EQ(reg.register_self(me_, "four", &highest), 4);   // highest live + 1, not the gap
    EXPECT_EQ(highest, 3);
}

TEST_F(InstanceTest, StaleEntriesAreIgnoredAndRemoved) {
    InstanceRegistry reg(dir_);
    long dead = dead_pid();
    EXPECT_EQ(reg.register_self(me_, "live"), 1);
    EXPECT_EQ(reg.register_self(dead, "gone"), 2);
    EXPECT_EQ(numbers(reg), std::vector<int>{1});
    int highest = -1;
    EXPECT_EQ(reg.register_self(me_, "new", &highest), 2);   // the stale 2 is taken again
    EXPECT_EQ(highest, 1);
    ASSERT_EQ(reg.list().size(), 2u);
    EXPECT_EQ(reg.list()[1].title, "new");

    // A stale entry in the middle is removed by the next registration.
    EXPECT_EQ(reg.register_self(dead, "gone"), 3);
    EXPECT_EQ(reg.register_self(me_, "x"), 3);
    ASSERT_TRUE(atomic_replace(dir_ + "/2", std::to_string(dead) + "\nold"));
    EXPECT_EQ(reg.register_self(me_, "y"), 4);
    EXPECT_FALSE(file_exists(dir_ + "/2"));
    EXPECT_EQ(numbers(reg), (std::vector<int>{1, 3, 4}));
}

TEST_F(InstanceTest, ListShowsAtMostTwentySorted) {
    InstanceRegistry reg(dir_);
    for (int i = 1; i <= 21; ++i) ASSERT_EQ(reg.register_self(me_, "w" + std::to_string(i)), i);
    std::vector<int> listed = numbers(reg, MAX_LISTED_INSTANCES);
    ASSERT_EQ(listed.size(), 20u);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(listed[i], i + 1);   // 10 after 9, not after 1
    EXPECT_EQ(numbers(reg).size(), 21u);
}

TEST_F(InstanceTest, TitlesAreCutOnACharacterBoundary) {
    InstanceRegistry reg(dir_);
    std::string title;
    for (int i = 0; i < 150; ++i) title += "\xE5\x8E\x9F";   // 原
    ASSERT_EQ(reg.register_self(me_, title), 1);
    ASSERT_EQ(reg.list().size(), 1u);
    EXPECT_EQ(reg.list()[0].title, title.substr(0, 99 * 3));
    reg.update_title(1, "a\nb");
    EXPECT_EQ(reg.list()[0].title, "a\nb");

    // Not UTF-8 at all: still cut short enough to be read back.
    reg.update_title(1, std::string(5000, '\x80'));
    ASSERT_EQ(reg.list().size(), 1u);
    EXPECT_LE(reg.list()[0].title.size(), 99u * 4);
    EXPECT_EQ(reg.register_self(me_, "next"), 2);
    EXPECT_EQ(reg.register_self(0, "no pid"), 0);
}

TEST_F(InstanceTest, HostileContentIsIgnored) {
    auto put = [&](const std::string& name, const std::string& bytes) {
        ASSERT_TRUE(atomic_replace(dir_ + "/" + name, bytes)) << name;
    };
    for (const char* name : {"abc", "01", "0", "-4", "99999999999999999999"})
        put(name, std::to_string(me_) + "\nnot an entry name");
    put("5", "not a pid");
    put("6", "0\npid zero");          // kill(0, 0) would ask about our own group
    put("7", "-1\nall processes");
    put("8", std::string(1 << 20, '1'));
    put("10", "99999999999999\noverflow");
    ASSERT_EQ(::mkdir((dir_ + "/11").c_str(), 0700), 0);
    ASSERT_EQ(::mkfifo((dir_ + "/12").c_str(), 0600), 0);
    ASSERT_EQ(::symlink("/proc/self/status", (dir_ + "/13").c_str()), 0);

    InstanceRegistry reg(dir_);
    EXPECT_TRUE(reg.list().empty());
    int highest = -1;
    EXPECT_EQ(reg.register_self(me_, "ok", &highest), 1);
    EXPECT_EQ(highest, 0);
    EXPECT_EQ(numbers(reg), std::vector<int>{1});
    reg.update_title(5, "x");   // garbage stays garbage
    std::string s;
    ASSERT_TRUE(read_whole_file(dir_ + "/5", &s));
    EXPECT_EQ(s, "not a pid");
}

TEST_F(InstanceTest, FolderOfAnotherUserIsRefused) {
    ASSERT_EQ(::chown(dir_.c_str(), 65534, 65534), 0);
    InstanceRegistry reg(dir_);
    EXPECT_EQ(reg.register_self(me_, "x"), 0);
    ASSERT_EQ(::chown(dir_.c_str(), ::geteuid(), ::getegid()), 0);
    ASSERT_EQ(::chmod(dir_.c_str(), 0777), 0);   // others could plant entries
    EXPECT_EQ(reg.register_self(me_, "x"), 0);
    EXPECT_TRUE(reg.list().empty());
    ASSERT_EQ(::chmod(dir_.c_str(), 0700), 0);
    EXPECT_EQ(reg.register_self(me_, "x"), 1);
}

TEST_F(InstanceTest, ConcurrentRegistrationsGetDistinctNumbers) {
    constexpr int CHILDREN = 8;
    std::vector<pid_t> kids;
    for (int i = 0; i < CHILDREN; ++i) {
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            InstanceRegistry reg(dir_);
            ::_exit(reg.register_self(::getppid(), "kid"));
        }
        kids.push_back(child);
    }
    std::set<int> got;
    for (pid_t child : kids) {
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status));
        got.insert(WEXITSTATUS(status));
    }
    std::set<int> expected;
    for (int i = 1; i <= CHILDREN; ++i) expected.insert(i);
    EXPECT_EQ(got, expected);
    EXPECT_EQ(InstanceRegistry(dir_).list().size(), static_cast<std::size_t>(CHILDREN));
}

// A child process puts the in-use mark on `path` (recorded in `folder`) and
// dies without giving it back, as a killed editor does.
void mark_and_die(const std::string& folder, const std::string& path) {
    pid_t child = ::fork();
    if (child == 0) {
        InstanceRegistry reg(folder);
        RegistryMarkJournal journal(&reg);
        install_in_use_mark_journal(&journal);
        std::uint32_t mode = 0;
        ::_exit(set_in_use_mark(path, &mode) ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

std::string write_file(const std::string& path, unsigned mode) {
    atomic_replace(path, "text");
    ::chmod(path.c_str(), mode);
    return path;
}

TEST_F(InstanceTest, MarkOfAKilledHolderIsFoundAndGivenBackOnce) {
    std::string doc = write_file(dir_ + "/原稿.txt", 0640);
    InstanceRegistry reg(dir_ + "/reg");
    mark_and_die(reg.folder(), doc);
    EXPECT_EQ(mode_of(doc), 0440u);   // the mark the killed editor left

    std::vector<HeldFile> stale = reg.stale_holds();
    ASSERT_EQ(stale.size(), 1u);
    EXPECT_EQ(stale[0].path, doc);
    EXPECT_EQ(stale[0].mode, 0640u);
    EXPECT_NE(stale[0].start_time, 0u);
    EXPECT_TRUE(reg.stale_mark_present(stale[0]));
    EXPECT_EQ(reg.give_back_stale_mark(stale[0]), StaleMark::GIVEN_BACK);
    EXPECT_EQ(mode_of(doc), 0640u);
    EXPECT_TRUE(reg.stale_holds().empty());
    EXPECT_EQ(reg.give_back_stale_mark(stale[0]), StaleMark::LEFT);
    // The registry's numbering is not disturbed by the records.
    EXPECT_EQ(reg.register_self(me_, "x"), 1);
}

TEST_F(InstanceTest, OwnMarksAreRecordedWhileHeldAndNeverTakenForStale) {
    std::string doc = write_file(dir_ + "/a.txt", 0644);
    InstanceRegistry reg(dir_ + "/reg");
    RegistryMarkJournal journal(&reg);
    install_in_use_mark_journal(&journal);
    std::uint32_t mode = 0;
    ASSERT_TRUE(set_in_use_mark(doc, &mode));
    std::size_t records = 0;
    for (const std::string& name : list_folder_names(reg.folder())) records += name.rfind("held-", 0) == 0;
    EXPECT_EQ(records, 1u);
    EXPECT_TRUE(reg.stale_holds().empty());
    ASSERT_TRUE(clear_in_use_mark(doc, mode));
    install_in_use_mark_journal(nullptr);
    for (const std::string& name : list_folder_names(reg.folder())) EXPECT_NE(name.rfind("held-", 0), 0u) << name;
}

// A document renamed while it is held keeps its record: the mark is given
// back under the new name, by this process at its end and by the next start
// after a killed holder. A file put under the old name meanwhile is not ours.
TEST_F(InstanceTest, TheMarkOfARenamedFileIsGivenBackUnderItsNewName) {
    InstanceRegistry reg(dir_ + "/reg");
    std::string doc = write_file(dir_ + "/before.txt", 0640);
    RegistryMarkJournal journal(&reg);
    install_in_use_mark_journal(&journal);
    std::uint32_t mode = 0;
    ASSERT_TRUE(set_in_use_mark(doc, &mode));
    const std::string after = dir_ + "/after.txt";
    ASSERT_EQ(::rename(doc.c_str(), after.c_str()), 0);
    EXPECT_TRUE(clear_in_use_mark(doc, mode));
    install_in_use_mark_journal(nullptr);
    EXPECT_EQ(mode_of(after), 0640u);
    for (const std::string& name : list_folder_names(reg.folder())) EXPECT_NE(name.rfind("held-", 0), 0u) << name;

    std::string killed = write_file(dir_ + "/killed.txt", 0604);
    mark_and_die(reg.folder(), killed);
    const std::string moved = dir_ + "/moved.txt";
    ASSERT_EQ(::rename(killed.c_str(), moved.c_str()), 0);
    std::vector<HeldFile> stale = reg.stale_holds();
    ASSERT_EQ(stale.size(), 1u);
    EXPECT_EQ(reg.stale_mark_location(stale[0]), moved);
    EXPECT_EQ(reg.give_back_stale_mark(stale[0]), StaleMark::GIVEN_BACK);
    EXPECT_EQ(mode_of(moved), 0604u);

    std::string reused = write_file(dir_ + "/reused.txt", 0644);
    mark_and_die(reg.folder(), reused);
    ASSERT_EQ(::rename(reused.c_str(), (dir_ + "/elsewhere.txt").c_str()), 0);
    write_file(reused, 0400);   // another file under the old name
    stale = reg.stale_holds();
    ASSERT_EQ(stale.size(), 1u);
    EXPECT_EQ(reg.give_back_stale_mark(stale[0]), StaleMark::LEFT);
    EXPECT_EQ(mode_of(reused), 0400u);
}

TEST_F(InstanceTest, StaleRecordsOfChangedFilesTouchNothing) {
    InstanceRegistry reg(dir_ + "/reg");
    // Replaced since (a save by someone else): another file under the name.
    std::string replaced = write_file(dir_ + "/replaced.txt", 0644);
    mark_and_die(reg.folder(), replaced);
    write_file(replaced, 0400);   // renamed over the old one while it exists: a new inode
    // Made writable again by hand.
    std::string writable = write_file(dir_ + "/writable.txt", 0644);
    mark_and_die(reg.folder(), writable);
    ::chmod(writable.c_str(), 0600);
    // Deleted.
    std::string gone = write_file(dir_ + "/gone.txt", 0644);
    mark_and_die(reg.folder(), gone);
    ::unlink(gone.c_str());

    std::vector<HeldFile> stale = reg.stale_holds();
    ASSERT_EQ(stale.size(), 3u);
    for (const HeldFile& h : stale) {
        EXPECT_FALSE(reg.stale_mark_present(h)) << h.path;
        EXPECT_EQ(reg.give_back_stale_mark(h), StaleMark::LEFT) << h.path;
    }
    EXPECT_EQ(mode_of(replaced), 0400u);
    EXPECT_EQ(mode_of(writable), 0600u);
    EXPECT_TRUE(reg.stale_holds().empty());
}

TEST_F(InstanceTest, AFileALiveInstanceHoldsKeepsItsMark) {
    std::string doc = write_file(dir_ + "/shared.txt", 0644);
    InstanceRegistry reg(dir_ + "/reg");
    mark_and_die(reg.folder(), doc);
    // This process holds the same file now (its mark taken after the bits
    // were given back by hand), and the dead holder's record is still there.
    ::chmod(doc.c_str(), 0644);
    RegistryMarkJournal journal(&reg);
    install_in_use_mark_journal(&journal);
    std::uint32_t mode = 0;
    ASSERT_TRUE(set_in_use_mark(doc, &mode));
    install_in_use_mark_journal(nullptr);
    std::vector<HeldFile> stale = reg.stale_holds();
    ASSERT_EQ(stale.size(), 1u);
    EXPECT_FALSE(reg.stale_mark_present(stale[0]));
    EXPECT_EQ(reg.give_back_stale_mark(stale[0]), StaleMark::LEFT);
    EXPECT_EQ(mode_of(doc), 0444u);
}

TEST_F(InstanceTest, ForgedHoldRecordsAreIgnored) {
    InstanceRegistry reg(dir_ + "/reg");
    std::string doc = write_file(dir_ + "/victim.txt", 0400);
    ASSERT_EQ(reg.register_self(me_, "x"), 1);   // makes the folder
    std::string dead = std::to_string(dead_pid());
    // Not under the name its path gives, not absolute, a mode beyond 07777, junk.
    atomic_replace(reg.folder() + "/held-" + dead + "-0000000000000000", dead + "\n0\n644\n0\n0\n" + doc);
    atomic_replace(reg.folder() + "/held-" + dead + "-1", dead + "\n0\n644\n0\n0\nvictim.txt");
    atomic_replace(reg.folder() + "/held-" + dead + "-2", dead + "\n0\n17777\n0\n0\n" + doc);
    atomic_replace(reg.folder() + "/held-x", "\n\n\n");
    EXPECT_TRUE(reg.stale_holds().empty());
    EXPECT_EQ(mode_of(doc), 0400u);
}

}  // namespace
}  // namespace rix

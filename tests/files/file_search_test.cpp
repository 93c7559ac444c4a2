// File search: what matches, how far the walk goes, and the result lines.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include "files/file_search.h"
#include "platform/codec.h"
#include "tests/support/temp_folder.h"

namespace rix {
namespace {

using test::TempFolder;

std::vector<std::string> names(const SearchOutcome& o) {
    std::vector<std::string> v;
    for (const FoundFile& f : o.found) v.push_back(f.name);
    std::sort(v.begin(), v.end());
    return v;
}

TEST(FileSearchTest, FindsNamesContainingTheTextInEveryFolder) {
    TempFolder t;
    t.write("a.txt", "");
    t.write("c.doc", "");
    ::mkdir(t.file("x").c_str(), 0755);   // a one-character folder is searched too
    t.write("x/b.txt.bak", "");
    t.write("x/what?.txt", "");
    ::mkdir(t.file("x/y").c_str(), 0755);
    t.write("x/y/deep.txt", "");
    int progress = 0;
    SearchOutcome o = search_files(t.path(), ".txt", {nullptr, [&](const SearchCounters&) { ++progress; }});
    EXPECT_EQ(o.end, SearchEnd::DONE);
    EXPECT_EQ(names(o), (std::vector<std::string>{"a.txt", "b.txt.bak", "deep.txt", "what?.txt"}));
    EXPECT_EQ(o.counters.matches, 4);
    EXPECT_EQ(o.counters.folders, 2);
    EXPECT_EQ(o.counters.deepest, 2);
    EXPECT_EQ(o.counters.level, 0);
    EXPECT_GE(progress, 3);
    const auto deep = std::find_if(o.found.begin(), o.found.end(), [](const FoundFile& f) { return f.name == "deep.txt"; });
    EXPECT_EQ(deep->folder, t.path() + "/x/y/");
}

TEST(FileSearchTest, MatchesDecodedCharactersNotBytes) {
    TempFolder t;
    t.write("ア.txt", "");   // 0x83 0x41 in code page 932
    EXPECT_TRUE(search_files(t.path(), "A", {}).found.empty());
    EXPECT_EQ(search_files(t.path(), utf8_to_sjis("ア"), {}).found.size(), 1u);
}

TEST(FileSearchTest, SymbolicLinksAreNotFollowed) {
    TempFolder t;
    ::mkdir(t.file("d").c_str(), 0755);
    t.write("d/note.txt", "");
    ASSERT_EQ(::symlink("..", t.file("d/up").c_str()), 0);     // a loop
    ASSERT_EQ(::symlink("d", t.file("again").c_str()), 0);
    SearchOutcome o = search_files(t.path(), "note", {});
    EXPECT_EQ(o.end, SearchEnd::DONE);
    EXPECT_EQ(o.counters.matches, 1);
    EXPECT_EQ(o.counters.folders, 1);
}

TEST(FileSearchTest, Level51EndsTheWalk) {
    TempFolder t;
    std::string path = t.path();
    for (int level = 2; level <= 52; ++level) {
        path += "/d";
        ASSERT_EQ(::mkdir(path.c_str(), 0755), 0);
        t.write(path.substr(t.path().size() + 1) + "/hit.txt", "");
    }
    SearchOutcome o = search_files(t.path(), "hit", {});
    EXPECT_EQ(o.end, SearchEnd::TOO_DEEP);
    EXPECT_EQ(o.counters.deepest, SEARCH_MAX_LEVELS - 1);
    EXPECT_EQ(o.counters.folders, SEARCH_MAX_LEVELS - 1);
}

TEST(FileSearchTest, CountsEveryMatchButKeeps5000) {
    TempFolder t;
    for (int i = 0; i < 6000; ++i) t.write("m" + std::to_string(i) + ".txt", "");
    SearchOutcome o = search_files(t.path(), ".txt", {});
    EXPECT_EQ(o.counters.matches, 6000);
    EXPECT_EQ(o.found.size(), static_cast<std::size_t>(SEARCH_MAX_RESULTS));
}

TEST(FileSearchTest, StopEndsTheWalkWithWhatWasFound) {
    TempFolder t;
    for (int i = 0; i < 20; ++i) t.write("s" + std::to_string(i) + ".txt", "");
    int steps = 0;
    SearchOutcome o = search_files(t.path(), ".txt", {[&] { return ++steps > 5; }, nullptr});
    EXPECT_EQ(o.end, SearchEnd::CANCELLED);
    EXPECT_EQ(o.found.size(), 5u);
    EXPECT_EQ(search_files(t.file("missing"), "x", {}).end, SearchEnd::NO_FOLDER);
}

TEST(FileSearchTest, ResultLinesKeepTheirWidthAndCutOnCharacters) {
    FoundFile f{"/home/w/", "a.txt", 1234567, 0};
    std::string line = result_line(7, f);
    EXPECT_EQ(line.substr(0, 5), "   7 ");
    EXPECT_EQ(line.substr(5, 16), "/home/w/   a.txt");
    EXPECT_NE(line.find(std::string(65, ' ') + "  1,234,567b "), std::string::npos);

    // A folder of double-byte characters, cut where a character would split:
    // "/a" and 34 characters (70 bytes), "…", one blank: 73 bytes beside "a.txt".
    std::string kana;
    for (int i = 0; i < 50; ++i) kana += "あ";
    f.folder = "/a" + kana + "/";
    line = result_line(1, f);
    std::string kept;
    for (int i = 0; i < 34; ++i) kept += "あ";
    EXPECT_EQ(line.substr(5, 70), utf8_to_sjis("/a" + kept));
    EXPECT_EQ(line.substr(75, 2), utf8_to_sjis("…"));
    EXPECT_EQ(line.substr(77, 9), "    a.txt");
}

TEST(FileSearchTest, CounterTextAndUsage) {
    EXPECT_EQ(counter_text({3, 7, 120, 42}), "3/7 120-42");
    std::vector<std::string> usage = search_usage_lines();
    ASSERT_EQ(usage.size(), 23u);
    EXPECT_EQ(sjis_to_utf8(usage[1]), "--- 使用方法 ---");
}

}  // namespace
}  // namespace rix

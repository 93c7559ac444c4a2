// The copy history without a window: the slots (50 entries, oldest dropped,
// duplicates kept, 999 bytes cut on a character boundary and never between
// CR and LF), the file form (golden bytes from its description, round trip,
// 999-byte entries read whole, lone CRs bounded), and damaged, short and
// missing files.
//
// Owed: a file past COPY_HISTORY_READ_LIMIT on disk (parse covers its cut).
#include "aids/copy_history.h"

#include <gtest/gtest.h>

#include "tests/support/temp_folder.h"

namespace rix {
namespace {

constexpr std::string_view KAN = "\x8a\xbf";   // 漢

std::vector<std::string> parsed(std::string_view bytes, CopyHistoryFile expect = CopyHistoryFile::READ,
                                bool cut_short = false) {
    CopyHistory h;
    h.entries = {"stale"};
    EXPECT_EQ(parse_copy_history(bytes, cut_short, &h), expect) << bytes;
    EXPECT_FALSE(h.changed);
    return h.entries;
}

TEST(CopyHistorySlots, FiftyNewestInCopyOrderWithDuplicatesKept) {
    CopyHistory h;
    for (int k = 1; k <= 50; ++k) add_copy_history(h, "c" + std::to_string(k));
    add_copy_history(h, "c50");
    ASSERT_EQ(h.entries.size(), 50u);
    EXPECT_EQ(h.entries.front(), "c2");   // the 51st copy dropped the oldest
    EXPECT_EQ(h.entries[48], "c50");
    EXPECT_EQ(h.entries.back(), "c50");
    EXPECT_TRUE(h.changed);

    EXPECT_TRUE(remove_copy_history_entry(h, 0));
    EXPECT_FALSE(remove_copy_history_entry(h, 49));
    EXPECT_EQ(h.entries.front(), "c3");
    clear_copy_history(h);
    EXPECT_TRUE(h.entries.empty());
}

TEST(CopyHistorySlots, LongCopiesAreCutOnACharacterBoundaryNeverInsideCrLf) {
    const std::string a998(998, 'a');
    EXPECT_EQ(copy_history_entry(std::string(999, 'a')).size(), 999u);
    EXPECT_EQ(copy_history_entry(std::string(1000, 'a')).size(), 999u);
    // 漢 would take bytes 999 and 1000: it goes whole.
    EXPECT_EQ(copy_history_entry(a998 + std::string(KAN) + "b"), a998);
    // The CR of a line break at byte 999 goes with its LF.
    EXPECT_EQ(copy_history_entry(a998 + "\r\nb"), a998);
    EXPECT_EQ(copy_history_entry(std::string(997, 'a') + "\r\nb"), std::string(997, 'a') + "\r\n");
    // A lone CR at the end of the slot stays.
    EXPECT_EQ(copy_history_entry(a998 + "\rb"), a998 + "\r");
}

TEST(CopyHistoryFileForm, GoldenBytes) {
    CopyHistory h;
    h.entries = {"ab\r\ncd", std::string(KAN), "", "line\r\n"};
    // One line per entry, oldest first; each inner CR LF written as one CR,
    // then CR LF.
    EXPECT_EQ(copy_history_file_bytes(h), "ab\rcd\r\n\x8a\xbf\r\n\r\nline\r\r\n");
    EXPECT_EQ(parsed("ab\rcd\r\n\x8a\xbf\r\n\r\nline\r\r\n"), h.entries);
}

TEST(CopyHistoryFileForm, TwoLineCopyAndFullSlotsRoundTripThroughTheFile) {
    test::TempFolder dir;
    const std::string path = dir.file(COPY_HISTORY_FILE_NAME);
    CopyHistory h;
    add_copy_history(h, "first\r\nsecond");
    // 999 bytes: a 1001-byte line, longer than one read of the old reader.
    std::string full;
    while (full.size() < 997) full += KAN;
    full += "z";
    ASSERT_EQ(full.size(), 999u);
    add_copy_history(h, full);
    std::string breaks;
    for (int k = 0; k < 333; ++k) breaks += "a\r\n";
    add_copy_history(h, breaks);
    ASSERT_TRUE(save_copy_history(path, h));
    EXPECT_FALSE(h.changed);

    CopyHistory back;
    EXPECT_EQ(load_copy_history(path, &back), CopyHistoryFile::READ);
    EXPECT_EQ(back.entries, h.entries);
    EXPECT_EQ(back.entries[0], "first\r\nsecond");

    // A failed write leaves the history to be written again.
    add_copy_history(h, "x");
    EXPECT_FALSE(save_copy_history(dir.file("none/rix.clg"), h));
    EXPECT_TRUE(h.changed);
}

TEST(CopyHistoryFileForm, LoneCrsComeBackAsLineBreaksWithinTheSlot) {
    // A 999-byte entry of lone CRs: each CR becomes CR LF and the entry is
    // cut at 998 bytes, between two breaks.
    std::vector<std::string> e = parsed(std::string(999, '\r') + "\r\n");
    ASSERT_EQ(e.size(), 1u);
    std::string want;
    for (int k = 0; k < 499; ++k) want += "\r\n";
    EXPECT_EQ(e[0], want);
    e = parsed("a\rb\r\n");
    EXPECT_EQ(e, std::vector<std::string>{"a\r\nb"});
}

TEST(CopyHistoryFaults, DamagedAndShortFilesReadAsFarAsTheyAreSound) {
    using V = std::vector<std::string>;
    EXPECT_EQ(parsed(""), V{});
    // Only a line end that is there is stripped.
    EXPECT_EQ(parsed("ab\ncd\r\n"), (V{"ab", "cd"}));
    EXPECT_EQ(parsed("ab\r\ncd"), (V{"ab", "cd"}));
    EXPECT_EQ(parsed("ab\r\ncd\r"), (V{"ab", "cd\r\n"}));
    EXPECT_EQ(parsed("ab\r\ncd", CopyHistoryFile::DAMAGED, true), V{"ab"});
    // Bytes that are no text end the reading before their line.
    EXPECT_EQ(parsed(std::string("ok\r\nb\0d\r\nc\r\n", 12), CopyHistoryFile::DAMAGED), V{"ok"});
    EXPECT_EQ(parsed("ok\r\n\x1a\r\n", CopyHistoryFile::DAMAGED), V{"ok"});
    EXPECT_EQ(parsed("ok\r\n\xfc\x40\r\n", CopyHistoryFile::DAMAGED), V{"ok"});
    EXPECT_EQ(parsed("ok\r\nx\x8a\r\n", CopyHistoryFile::DAMAGED), V{"ok"});
    EXPECT_EQ(parsed("ok\r\nx\x8a", CopyHistoryFile::DAMAGED), V{"ok"});
    // Half-width katakana and the single bytes 0x80 and 0xA0 are text.
    EXPECT_EQ(parsed("\xb1\x80\xa0\r\n"), V{"\xb1\x80\xa0"});
    // A line far past the slot is cut as a copy is.
    EXPECT_EQ(parsed(std::string(5000, 'q') + "\r\n")[0].size(), 999u);

    std::string many;
    for (int k = 1; k <= 52; ++k) many += "e" + std::to_string(k) + "\r\n";
    const V kept = parsed(many);
    ASSERT_EQ(kept.size(), 50u);
    EXPECT_EQ(kept.front(), "e3");
    EXPECT_EQ(kept.back(), "e52");
}

TEST(CopyHistoryFaults, MissingAndUnreadableFilesGiveAnEmptyHistory) {
    test::TempFolder dir;
    CopyHistory h;
    h.entries = {"old"};
    EXPECT_EQ(load_copy_history(dir.file("rix.clg"), &h), CopyHistoryFile::MISSING);
    EXPECT_TRUE(h.entries.empty());
    h.entries = {"old"};
    EXPECT_EQ(load_copy_history(dir.path(), &h), CopyHistoryFile::FAILED);
    EXPECT_TRUE(h.entries.empty());
    const std::string path = dir.write("rix.clg", std::string("one\r\ntw\0o\r\n", 11));
    EXPECT_EQ(load_copy_history(path, &h), CopyHistoryFile::DAMAGED);
    EXPECT_EQ(h.entries, std::vector<std::string>{"one"});
}

}  // namespace
}  // namespace rix

// The undo journal: records read back in reverse, whole-record eviction,
// records too large, the redo list and its limit.
#include "document/undo_journal.h"

#include <gtest/gtest.h>

namespace rix {
namespace {

// A record of `n` payload bytes (value `fill`) and the given type.
bool push_record(UndoJournal& j, std::uint8_t type, std::size_t n, std::uint8_t fill = 0x41) {
    journal_begin(j);
    for (std::size_t k = 0; k < n; ++k) journal_push(j, fill);
    journal_push_length(j, static_cast<std::uint16_t>(n));
    journal_push(j, type);
    return journal_end(j);
}

TEST(UndoJournal, FieldsComeBackInReadingOrder) {
    UndoJournal j;
    journal_begin(j);
    for (char ch : std::string("abc")) journal_push(j, static_cast<std::uint8_t>(ch));
    journal_push_length(j, 0x1234);
    journal_push(j, 7);
    journal_push_position(j, TextPos(3, 0x0102));
    journal_push(j, RECORD_INSERTION);
    ASSERT_TRUE(journal_end(j));
    EXPECT_EQ(journal_state(j), JOURNAL_CAN_UNDO);

    JournalRecord r;
    ASSERT_TRUE(journal_take_undo(j, &r));
    EXPECT_EQ(r.type, RECORD_INSERTION);
    RecordReader in(r);
    EXPECT_EQ(in.position(), TextPos(3, 0x0102));
    EXPECT_EQ(in.byte(), 7);
    EXPECT_EQ(in.length(), 0x1234);
    std::vector<std::uint8_t> text = in.text(3);   // pushed a, b, c: read back c, b, a
    EXPECT_EQ(std::string(text.begin(), text.end()), "cba");
    EXPECT_TRUE(in.ok());
    in.byte();
    EXPECT_FALSE(in.ok());
    EXPECT_EQ(journal_state(j), JOURNAL_CAN_REDO);

    JournalRecord again;
    ASSERT_TRUE(journal_take_redo(j, &again));
    EXPECT_EQ(again.reversed, r.reversed);
    EXPECT_EQ(journal_state(j), JOURNAL_CAN_UNDO);
    EXPECT_FALSE(journal_take_redo(j, &again));
}

TEST(UndoJournal, FullJournalDropsWholeOldestRecordsAcrossTheWrap) {
    UndoJournal j;
    j.capacity = 100;
    for (int k = 0; k < 10; ++k) ASSERT_TRUE(push_record(j, RECORD_DELETION, 27, static_cast<std::uint8_t>(k)));
    // 30 bytes a record: three fit; each record must come back whole, newest first.
    for (int k = 9; k >= 7; --k) {
        JournalRecord r;
        ASSERT_TRUE(journal_take_undo(j, &r)) << k;
        RecordReader in(r);
        ASSERT_EQ(in.length(), 27);
        std::vector<std::uint8_t> payload = in.text(27);
        EXPECT_EQ(payload, std::vector<std::uint8_t>(27, static_cast<std::uint8_t>(k)));
    }
    JournalRecord r;
    EXPECT_FALSE(journal_take_undo(j, &r));
}

TEST(UndoJournal, RecordLargerThanTheJournalEmptiesIt) {
    UndoJournal j;
    j.capacity = 50;
    ASSERT_TRUE(push_record(j, RECORD_INSERTION, 10));
    EXPECT_FALSE(push_record(j, RECORD_INSERTION, 60));
    EXPECT_TRUE(j.refused);
    EXPECT_EQ(journal_state(j), 0);
    ASSERT_TRUE(push_record(j, RECORD_INSERTION, 47));   // exactly full is fine
    EXPECT_FALSE(j.refused);
    journal_refuse(j);
    EXPECT_EQ(journal_state(j), 0);
}

TEST(UndoJournal, NewRecordEndsRedoAndSuspensionWritesNothing) {
    UndoJournal j;
    ASSERT_TRUE(push_record(j, RECORD_INSERTION, 1));
    ASSERT_TRUE(push_record(j, RECORD_INSERTION, 1));
    JournalRecord r;
    ASSERT_TRUE(journal_take_undo(j, &r));
    j.suspended = true;
    ASSERT_TRUE(push_record(j, RECORD_DELETION, 5));
    j.suspended = false;
    EXPECT_EQ(journal_state(j), JOURNAL_CAN_UNDO | JOURNAL_CAN_REDO);
    ASSERT_TRUE(push_record(j, RECORD_DELETION, 1));
    EXPECT_EQ(journal_state(j), JOURNAL_CAN_UNDO);
    int records = 0;
    while (journal_take_undo(j, &r)) ++records;
    EXPECT_EQ(records, 2);
}

TEST(UndoJournal, RedoLimitDropsTheEarliestUndoneRecord) {
    UndoJournal j;
    j.redo_limit = 2;
    for (std::uint8_t k = 0; k < 4; ++k) ASSERT_TRUE(push_record(j, RECORD_INSERTION, 1, k));
    JournalRecord r;
    for (int k = 0; k < 4; ++k) ASSERT_TRUE(journal_take_undo(j, &r));
    // Undone in the order 3, 2, 1, 0; redo may replay 0 and 1 (in that order) only.
    std::vector<std::uint8_t> replayed;
    while (journal_take_redo(j, &r)) replayed.push_back(r.reversed.back());
    EXPECT_EQ(replayed, (std::vector<std::uint8_t>{0, 1}));
    EXPECT_EQ(journal_state(j), JOURNAL_CAN_UNDO);
    int records = 0;
    while (journal_take_undo(j, &r)) ++records;
    EXPECT_EQ(records, 2);
}

}  // namespace
}  // namespace rix

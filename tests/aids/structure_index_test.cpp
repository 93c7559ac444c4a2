// The structure index without a window: registering and changing with the
// one-entry-per-level rule, names from the line, renumbering through the
// editing layer's insertions and deletions, the section move (both ways,
// the refusals, one step of undo and redo) and the list rows with their
// glyphs and ordinals.
//
// Owed: a move on a partly loaded document (the window loads it first).
#include "aids/structure_index.h"

#include "../editing/edit_fixture.h"
#include "document/undo_journal.h"
#include "editing/edit_text.h"

namespace rix {
namespace {

using test::sj;

struct StructureIndex : test::EditFixture {
    // Lines "L1".."Ln" (1-based names, so a line's text names where it started).
    void lines(int n) {
        std::vector<std::string> text;
        for (int k = 1; k <= n; ++k) text.push_back("L" + std::to_string(k));
        test::build(doc, text);
    }
    IndexEntry entry(std::uint32_t line0, int level, std::string_view name = "x", bool page_break = false) {
        return IndexEntry{line0, index_level_byte(level, page_break), std::string(name)};
    }
    std::string order() const {
        std::string out;
        for (std::uint32_t k = 0; k < doc.lines.count(); ++k) out += line(k) + (k + 1 < doc.lines.count() ? " " : "");
        return out;
    }
    std::string entries() const {
        std::string out;
        for (const IndexEntry& e : doc.index)
            out += std::to_string(e.line + 1) + ":" + std::to_string(index_level(e)) + e.title + " ";
        return out;
    }
    IndexStatus move(std::size_t source, std::size_t destination) {
        IndexSection sec;
        IndexStatus st = plan_index_move(doc, source, destination, &sec);
        if (st == IndexStatus::OK) moved_to = apply_index_move(c, sec);
        return st;
    }
    std::uint32_t moved_to = 0;
};

TEST_F(StructureIndex, OneEntryPerLevelPerLineInLineAndLevelOrder) {
    lines(5);
    std::size_t at = 99;
    ASSERT_EQ(add_index_entry(doc, state, 2, 2, false, "b", &at), IndexStatus::OK);
    EXPECT_EQ(state.modified & MODIFIED_EXTENSION, MODIFIED_EXTENSION);
    EXPECT_EQ(add_index_entry(doc, state, 2, 2, true, "dup"), IndexStatus::DUPLICATE);
    ASSERT_EQ(add_index_entry(doc, state, 2, 3, false, "c", &at), IndexStatus::OK);
    EXPECT_EQ(at, 1u);   // after the level-2 entry of its line
    ASSERT_EQ(add_index_entry(doc, state, 2, 1, true, "a", &at), IndexStatus::OK);
    EXPECT_EQ(at, 0u);
    ASSERT_EQ(add_index_entry(doc, state, 0, 7, false, "", &at), IndexStatus::OK);
    EXPECT_EQ(entries(), "1:7 3:1a 3:2b 3:3c ");
    EXPECT_TRUE(index_page_break(doc.index[1]));
    EXPECT_EQ(doc.index[1].level, 0x08);

    // A change to a level the line holds already is refused and changes nothing.
    EXPECT_EQ(change_index_entry(doc, state, 3, 2, false, "z"), IndexStatus::DUPLICATE);
    EXPECT_EQ(entries(), "1:7 3:1a 3:2b 3:3c ");
    // Another level keeps the line's entries shallower first.
    ASSERT_EQ(change_index_entry(doc, state, 1, 5, false, "A", &at), IndexStatus::OK);
    EXPECT_EQ(entries(), "1:7 3:2b 3:3c 3:5A ");
    EXPECT_EQ(at, 3u);
    EXPECT_EQ(index_invariant(doc.index), "");
    EXPECT_EQ(delete_index_entry(doc, state, 9), IndexStatus::NO_ENTRY);
    ASSERT_EQ(delete_index_entry(doc, state, 0), IndexStatus::OK);
    EXPECT_EQ(entries(), "3:2b 3:3c 3:5A ");

    doc.index.clear();
    for (std::uint32_t k = 0; k < INDEX_MAX_ENTRIES; ++k) doc.index.push_back(entry(k, 1));
    EXPECT_EQ(add_index_entry(doc, state, 2000, 1, false, "one too many"), IndexStatus::FULL);
    EXPECT_EQ(doc.index.size(), INDEX_MAX_ENTRIES);
    // A document read with more keeps them all: sound, and each one can
    // still be changed and deleted.
    for (std::uint32_t k = INDEX_MAX_ENTRIES; k < INDEX_MAX_ENTRIES + 200; ++k) doc.index.push_back(entry(k, 1));
    EXPECT_EQ(index_invariant(doc.index), "");
    EXPECT_EQ(add_index_entry(doc, state, 5000, 1, false, "more"), IndexStatus::FULL);
    EXPECT_EQ(change_index_entry(doc, state, INDEX_MAX_ENTRIES + 199, 2, false, "last"), IndexStatus::OK);
    EXPECT_EQ(delete_index_entry(doc, state, INDEX_MAX_ENTRIES + 100), IndexStatus::OK);
    EXPECT_EQ(doc.index.size(), INDEX_MAX_ENTRIES + 199);
    EXPECT_EQ(index_invariant(doc.index), "");
}

TEST_F(StructureIndex, NamesAreCutOnCharactersAndTakenFromTheLineText) {
    EXPECT_EQ(index_name(sj("あいうえおかきくけこさしすせそたちつてと") + "x"), sj("あいうえおかきくけこさしすせそたちつてと"));
    EXPECT_EQ(index_name("a" + sj("あいうえおかきくけこさしすせそたちつてと")), "a" + sj("あいうえおかきくけこさしすせそたちつて"));
    EXPECT_EQ(index_name(sj("あ") + std::string(68, 'b'), INDEX_NOTEBOOK_NAME_BYTES).size(), 69u);
    EXPECT_EQ(index_name(std::string(68, 'b') + sj("あ"), INDEX_NOTEBOOK_NAME_BYTES).size(), 68u);

    test::build(doc, {sj("　　第一章　旅立ち"), sj("ほんの") + test::ruby("かん", 2) + sj("漢字"), "",
                      sj("あいうえおかきくけこさしすせそたちつてとなにぬ")});
    EXPECT_EQ(index_name_from_line(doc, 0, edit.options), sj("第一章　旅立ち"));
    EXPECT_EQ(index_name_from_line(doc, 1, edit.options), sj("ほんの漢字"));   // no ruby, no line information
    edit.options.export_rubies = true;
    EXPECT_EQ(index_name_from_line(doc, 1, edit.options), sj("ほんの漢字《かん》"));
    EXPECT_EQ(index_name_from_line(doc, 2, edit.options), "");
    EXPECT_EQ(index_name_from_line(doc, 3, edit.options), sj("あいうえおかきくけこさしすせそたちつてと"));
    // Entries of the line are not written into its text.
    doc.index.push_back(entry(0, 1, sj("章")));
    edit.options.export_index = true;
    edit.options.export_line_info = true;
    EXPECT_EQ(index_name_from_line(doc, 0, edit.options), sj("第一章　旅立ち"));
}

TEST_F(StructureIndex, EntriesFollowInsertedAndDeletedLines) {
    lines(22);
    doc.index = {entry(4, 1, "five"), entry(5, 1, "six"), entry(10, 2, "eleven"), entry(19, 1, "twenty")};
    // Two lines inserted after line 5 (1-based).
    at(4, 2);
    ASSERT_TRUE(type("\r\na\r\nb"));
    EXPECT_EQ(entries(), "5:1five 8:1six 13:2eleven 22:1twenty ");
    // Lines 12-14 (1-based) deleted: the entry of line 13 goes with a notice.
    ASSERT_TRUE(delete_range(c, TextPos(11, 0), TextPos(14, 0), edit.cursor));
    EXPECT_EQ(entries(), "5:1five 8:1six 19:1twenty ");
    EXPECT_TRUE(told.saw("索引の付いている行を\n削除しましたので、\n行 13「eleven」も削除します。"));
    EXPECT_EQ(invariant(), "");
}

TEST_F(StructureIndex, ABreakAtTheStartOfAnEntrysLineTakesTheEntryAlongAndUndoKeepsIt) {
    lines(4);
    doc.index = {entry(2, 1, "three")};
    at(2, 0);
    ASSERT_TRUE(type("\r\n"));   // a blank line before the heading
    EXPECT_EQ(line(3), "L3");
    EXPECT_EQ(entries(), "4:1three ");
    ASSERT_TRUE(undo(c));       // the blank line goes; the entry stays with its text
    EXPECT_EQ(line(2), "L3");
    EXPECT_EQ(entries(), "3:1three ");
    EXPECT_TRUE(messages.log.empty());
    at(2, 1);
    ASSERT_TRUE(type("\r\n"));   // inside the line the entry keeps its first part
    EXPECT_EQ(entries(), "3:1three ");
    EXPECT_EQ(invariant(), "");
}

TEST_F(StructureIndex, SectionMovesTowardsTheStartAndTheEnd) {
    lines(10);
    // 1 A(1) | 3 B(1) 4 b(2) | 6 C(1) | 8 D(1)
    doc.index = {entry(0, 1, "A"), entry(2, 1, "B"), entry(3, 2, "b"), entry(5, 1, "C"), entry(7, 1, "D")};
    at(0, 0);
    ASSERT_TRUE(type("Z"));   // something to undo
    ASSERT_NE(journal_state(edit.journal) & JOURNAL_CAN_UNDO, 0);

    // B's section (lines 3-5) before A's line.
    ASSERT_EQ(move(1, 0), IndexStatus::OK);
    EXPECT_EQ(order(), "L3 L4 L5 ZL1 L2 L6 L7 L8 L9 L10");
    EXPECT_EQ(entries(), "1:1B 2:2b 4:1A 6:1C 8:1D ");
    EXPECT_EQ(moved_to, 0u);
    EXPECT_EQ(state.modified & (MODIFIED_TEXT | MODIFIED_EXTENSION), MODIFIED_TEXT | MODIFIED_EXTENSION);
    EXPECT_TRUE(edit.damage.full);
    EXPECT_EQ(invariant(), "");

    // Towards the end: B's section (lines 1-3) before D's line.
    ASSERT_EQ(move(0, 4), IndexStatus::OK);
    EXPECT_EQ(order(), "ZL1 L2 L6 L7 L3 L4 L5 L8 L9 L10");
    EXPECT_EQ(entries(), "1:1A 3:1C 5:1B 6:2b 8:1D ");
    EXPECT_EQ(moved_to, 4u);
    EXPECT_EQ(invariant(), "");
    EXPECT_EQ(index_invariant(doc.index), "");

    // The last section of the outline moves only its own line.
    ASSERT_EQ(move(4, 0), IndexStatus::OK);
    EXPECT_EQ(order(), "L8 ZL1 L2 L6 L7 L3 L4 L5 L9 L10");
    EXPECT_EQ(entries(), "1:1D 2:1A 4:1C 6:1B 7:2b ");
    EXPECT_EQ(invariant(), "");
}

TEST_F(StructureIndex, ASectionMoveIsOneStepOfUndoAndRedo) {
    lines(10);
    doc.index = {entry(0, 1, "A"), entry(2, 1, "B"), entry(3, 2, "b"), entry(5, 1, "C"), entry(7, 1, "D")};
    doc.lines.set_marks(3, LINE_MARK_2);
    doc.formats.set_word(4, 0x00000100);
    at(0, 0);
    ASSERT_TRUE(type("Z"));
    const std::string typed = text();
    const std::string typed_entries = entries();
    at(6, 1);   // on "L7", after the moved section: it stays on its text
    const std::uint64_t generation = doc.generation;
    state.modified = 0;

    ASSERT_EQ(move(1, 4), IndexStatus::OK);   // B's section (lines 3-5) before D's line
    EXPECT_EQ(order(), "ZL1 L2 L6 L7 L3 L4 L5 L8 L9 L10");
    EXPECT_NE(doc.generation, generation);
    EXPECT_EQ(edit.cursor.pos, TextPos(3, 1));
    EXPECT_EQ(doc.lines.marks(5), LINE_MARK_2);        // the marks and words went with their lines
    EXPECT_EQ(doc.formats.word(6), 0x00000100u);
    EXPECT_EQ(state.modified & (MODIFIED_TEXT | MODIFIED_EXTENSION), MODIFIED_TEXT | MODIFIED_EXTENSION);
    EXPECT_EQ(invariant(), "");
    const std::string moved = text();
    const std::string moved_entries = entries();

    // One undo puts the lines, their marks and words and the entries back;
    // the next one undoes the typing before the move.
    ASSERT_TRUE(undo(c));
    EXPECT_EQ(text(), typed);
    EXPECT_EQ(entries(), typed_entries);
    EXPECT_EQ(doc.lines.marks(3), LINE_MARK_2);
    EXPECT_EQ(doc.formats.word(4), 0x00000100u);
    EXPECT_EQ(edit.cursor.pos, TextPos(6, 1));
    EXPECT_EQ(invariant(), "");
    ASSERT_TRUE(redo(c));
    EXPECT_EQ(text(), moved);
    EXPECT_EQ(entries(), moved_entries);
    EXPECT_EQ(invariant(), "");
    ASSERT_TRUE(undo(c));
    ASSERT_TRUE(undo(c));
    EXPECT_EQ(line(0), "L1");
    EXPECT_EQ(order(), "L1 L2 L3 L4 L5 L6 L7 L8 L9 L10");

    // Towards the start, undone the same way.
    ASSERT_TRUE(redo(c));
    ASSERT_TRUE(redo(c));
    ASSERT_EQ(move(4, 0), IndexStatus::OK);   // D's line before A's
    EXPECT_EQ(order(), "L8 ZL1 L2 L6 L7 L3 L4 L5 L9 L10");
    ASSERT_TRUE(undo(c));
    EXPECT_EQ(text(), moved);
    EXPECT_EQ(entries(), moved_entries);
    EXPECT_EQ(invariant(), "");
}

TEST_F(StructureIndex, SectionMovesThatCannotBeDoneChangeNothing) {
    lines(7);
    // 1 A(1) 2 a(2) | 3 B(1) 3 b(2) | 6 E(1) | 7 F(1) on the last line
    doc.index = {entry(0, 1, "A"), entry(1, 2, "a"), entry(2, 1, "B"), entry(2, 2, "b"), entry(5, 1, "E"),
                 entry(6, 1, "F")};
    const std::string before = order() + "/" + entries();
    EXPECT_EQ(move(0, 0), IndexStatus::SAME_ENTRY);
    EXPECT_EQ(move(5, 0), IndexStatus::LAST_LINE);
    EXPECT_EQ(move(0, 1), IndexStatus::INTO_ITSELF);   // a lies inside A's section
    EXPECT_EQ(move(2, 3), IndexStatus::INTO_ITSELF);   // b shares B's line
    EXPECT_EQ(move(3, 0), IndexStatus::SHARED_LINE);   // b would leave B behind on line 3
    EXPECT_EQ(move(9, 0), IndexStatus::NO_ENTRY);
    EXPECT_EQ(order() + "/" + entries(), before);

    // The destination's line holds a shallower entry before the one chosen:
    // the moved entries still go before every entry of that line.
    ASSERT_EQ(move(4, 3), IndexStatus::OK);   // E's line before line 3
    EXPECT_EQ(order(), "L1 L2 L6 L3 L4 L5 L7");
    EXPECT_EQ(entries(), "1:1A 2:2a 3:1E 4:1B 4:2b 7:1F ");
    EXPECT_EQ(index_invariant(doc.index), "");
    EXPECT_EQ(invariant(), "");
}

TEST_F(StructureIndex, GlyphRowsAndOrdinalsWithAndWithoutLevelTwo) {
    doc.index = {entry(0, 1, "A"), entry(1, 2, "B"), entry(2, 3, "C"),
                 entry(3, 3, "D", true), entry(4, 2, "E"), entry(99, 1, "F")};
    auto texts = [&](std::uint8_t filter) {
        std::vector<std::string> out;
        for (const IndexRow& r : index_rows(doc.index, filter)) out.push_back(sjis_to_utf8(r.text));
        return out;
    };
    EXPECT_EQ(texts(INDEX_ALL_LEVELS), (std::vector<std::string>{
                                           "    1 01 A",
                                           "    2 ├01 B",
                                           "    3 │├01 C",
                                           "    4+│└02 D",
                                           "    5 └02 E",
                                           "  100 02 F",
                                       }));
    EXPECT_EQ(texts(INDEX_ALL_LEVELS & ~0x02), (std::vector<std::string>{
                                                   "    1 01 A",
                                                   "    3 ├─01 C",
                                                   "    4+└─02 D",
                                                   "  100 02 F",
                                               }));
    const std::vector<IndexRow> rows = index_rows(doc.index, INDEX_ALL_LEVELS & ~0x02);
    EXPECT_EQ(rows[1].entry, 2u);
    EXPECT_EQ(rows[3].entry, 5u);
    EXPECT_TRUE(index_rows(doc.index, 0).empty());

    EXPECT_EQ(index_entry_for_line(doc.index, 3), 3u);
    EXPECT_EQ(index_entry_for_line(doc.index, 5), 5u);
    EXPECT_EQ(index_entry_for_line(doc.index, 200), 5u);
    EXPECT_EQ(index_entry_for_line({}, 0), NO_INDEX_ENTRY);
}

// The refusals are reported in the writer's words, with the window they
// belong to; a success reports nothing.
TEST(StructureIndexNotices, ARefusalIsReportedNotShown) {
    FakeMessages messages;
    Notices n;
    note_index_status(IndexStatus::OK, 1, 7, n);
    EXPECT_TRUE(n.empty());
    note_index_status(IndexStatus::DUPLICATE, 3, 7, n);
    note_index_status(IndexStatus::NO_ENTRY, 0, 7, n);
    note_index_status(IndexStatus::SHARED_LINE, 0, 7, n);
    ASSERT_EQ(n.items.size(), 3u);
    EXPECT_EQ(n.items[0].utf8, "この行には既に階層 3 の\n索引が付いています。");
    EXPECT_EQ(n.items[0].time_ms, 3000u);
    EXPECT_EQ(n.items[0].owner, 7u);
    EXPECT_EQ(n.items[1].utf8, "索引が選ばれていません。");
    EXPECT_EQ(n.items[1].time_ms, 1500u);
    EXPECT_EQ(n.items[2].time_ms, 3000u);
    EXPECT_TRUE(messages.log.empty());
}

}  // namespace
}  // namespace rix

// Thousands of random insertions (line breaks, tabs and blocks among them),
// overwrites, deletions and pastes on a corpus novel loaded with its
// rubies; the document holds its invariants after each, undoing everything
// gives back the loaded bytes and redoing everything the edited ones.
#include "edit_fixture.h"

#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>

#include "document/loader.h"
#include "editing/clipboard_commands.h"
#include "fuzz/fuzz_entries.h"
#include "rix_build_paths.h"
#include "tests/support/corpus.h"

namespace rix {
namespace {

using test::read_corpus;

using test::sj;

struct Property : test::EditFixture, ::testing::WithParamInterface<const char*> {
    std::mt19937 rng{20240611};
    FakeClipboard clipboard;

    std::uint32_t pick(std::uint32_t n) { return n == 0 ? 0 : static_cast<std::uint32_t>(rng() % n); }

    TextPos random_position() {
        const std::uint32_t l = pick(doc.lines.count());
        const std::uint32_t len = static_cast<std::uint32_t>(line(l).size());
        return clamp_to_character(doc, TextPos(l, pick(len + 1)));
    }

    std::string random_text() {
        static const std::vector<std::string> pool = {
            "a", "Z", " ", "\t", "\r\n", "\r", "\n", sj("あ"), sj("漢"), sj("。"), sj("「"), "\xB1\xB2",
            test::ruby("るび", 1), test::tag("tg"), std::string("\xFF\x01", 2), "\x1A", "\x82"};
        std::string out;
        const std::uint32_t n = 1 + pick(rng() % 8 == 0 ? 40 : 4);
        for (std::uint32_t k = 0; k < n; ++k) out += pool[pick(static_cast<std::uint32_t>(pool.size()))];
        return out;
    }

    std::string last;   // what the last operation was, for a failure message

    // The last lines in hexadecimal, for a failure message.
    std::string dump() {
        std::string out = " count " + std::to_string(doc.lines.count()) + " end " +
                          std::to_string(doc.load.end.line()) + ":" + std::to_string(doc.load.end.column());
        for (std::uint32_t l = doc.lines.count() >= 3 ? doc.lines.count() - 3 : 0; l < doc.lines.count(); ++l) {
            std::string raw = edit_text_of_line(doc, l);
            out += "\n" + std::to_string(l) + ": ";
            for (unsigned char ch : raw.substr(raw.size() > 12 ? raw.size() - 12 : 0)) {
                char b[4];
                std::snprintf(b, sizeof b, "%02X ", ch);
                out += b;
            }
        }
        return out;
    }

    void one_operation() {
        const std::uint32_t kind = pick(8);
        last = "kind " + std::to_string(kind) + " cursor " + std::to_string(edit.cursor.pos.value);
        switch (kind) {
        case 0: case 1: case 2:
            place_cursor(c, random_position());
            insert_text(c, random_text(), true);
            break;
        case 3:
            place_cursor(c, random_position());
            insert_text(c, random_text(), false);
            break;
        case 4: case 5: {
            TextPos a = random_position();
            TextPos b = pick(3) == 0 ? a : random_position();
            if (b < a) std::swap(a, b);
            if (b.line() > a.line() + 3) b = TextPos(a.line() + 3, 0);
            last += " delete " + std::to_string(a.line()) + ":" + std::to_string(a.column()) + " - " +
                    std::to_string(b.line()) + ":" + std::to_string(b.column());
            delete_range(c, b, a, edit.cursor);
            break;
        }
        case 6: {
            TextPos a = random_position(), b = random_position();
            if (b < a) std::swap(a, b);
            if (b.line() > a.line() + 3) b = TextPos(a.line() + 3, 0);
            edit.mark = Marking{a < b, a, b, false};
            if (pick(2)) cut_marked(c, clipboard);
            else copy_marked(c, clipboard, false);
            break;
        }
        default:
            place_cursor(c, random_position());
            if (clipboard.has_text) paste_clipboard(c, clipboard);
            break;
        }
    }
};

TEST_P(Property, RandomEditsKeepInvariantsAndUndoRedoAreExact) {
    const std::string file = read_corpus(GetParam());
    ASSERT_FALSE(file.empty());
    LoadSession session;
    session.options.read_rubies = true;
    fuzz::load_bytes(doc, state, session, file);
    ASSERT_TRUE(doc.fully_loaded());
    edit.journal.capacity = 64u << 20;
    edit.journal.redo_limit = 1u << 20;
    edit.options.tab_width = 4;
    const std::string original = text();

    const int operations = 2500;
    for (int k = 0; k < operations; ++k) {
        one_operation();
        const std::string bad = invariant();
        ASSERT_EQ(bad, "") << "after operation " << k << ": " << last << dump();
        ASSERT_EQ(journal_state(edit.journal) & JOURNAL_CAN_REDO, 0);
    }
    const std::string edited = text();
    ASSERT_NE(edited, original);

    int undone = 0;
    while (journal_state(edit.journal) & JOURNAL_CAN_UNDO) {
        ASSERT_TRUE(undo(c)) << undone;
        ++undone;
    }
    ASSERT_EQ(invariant(), "");
    EXPECT_TRUE(text() == original) << "undo all differs from the loaded text";
    EXPECT_GE(undone, operations / 3);

    while (journal_state(edit.journal) & JOURNAL_CAN_REDO) ASSERT_TRUE(redo(c));
    ASSERT_EQ(invariant(), "");
    EXPECT_TRUE(text() == edited) << "redo all differs from the edited text";
    EXPECT_FALSE(told.saw("元に戻せません"));
}

INSTANTIATE_TEST_SUITE_P(Corpus, Property, ::testing::Values("rashomon.txt", "yume_juya.txt"),
                         [](const auto& info) { return std::string(info.param).substr(0, 4); });

}  // namespace
}  // namespace rix

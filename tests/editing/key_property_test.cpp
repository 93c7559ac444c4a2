// Thousands of random keys through the dispatcher, random typed text, a few
// jumps, held keys with acceleration and undo/redo in between, on
// corpus novels and on small documents with rubies, tags, half-width pairs
// and short lines, in both writing directions with one and two tiers. After
// every step the document holds its invariants, the cursor stands on a
// character boundary with its cell, half and line numbers agreeing with a
// fresh computation and on screen, the marking is a proper range and the
// top of the screen starts a display line. Undoing everything gives back the
// original text, redoing everything the edited one. One case works near the
// end of a partly loaded document.
#include "edit_fixture.h"

#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>

#include "document/display_lines.h"
#include "document/loader.h"
#include "editing/dispatch.h"
#include "fuzz/fuzz_entries.h"
#include "rix_build_paths.h"
#include "tests/support/corpus.h"

namespace rix {
namespace {

using test::read_corpus;

using test::build;
using test::sj;

std::string pos_text(TextPos p) { return std::to_string(p.line()) + ":" + std::to_string(p.column()); }

struct KeyStep {
    int key;
    int flags;
    const char* name;
};

// Every key of the dispatcher's table with the flags that change its meaning.
const KeyStep KEYS[] = {
    {VK_LEFT, 0, "Left"},           {VK_RIGHT, 0, "Right"},           {VK_UP, 0, "Up"},
    {VK_DOWN, 0, "Down"},           {VK_LEFT, KEY_SHIFT, "S+Left"},   {VK_RIGHT, KEY_SHIFT, "S+Right"},
    {VK_UP, KEY_SHIFT, "S+Up"},     {VK_DOWN, KEY_SHIFT, "S+Down"},   {VK_LEFT, KEY_CTRL, "C+Left"},
    {VK_RIGHT, KEY_CTRL, "C+Right"}, {VK_UP, KEY_CTRL, "C+Up"},       {VK_DOWN, KEY_CTRL, "C+Down"},
    {VK_LEFT, KEY_PLAIN_MOVE, "P+Left"}, {VK_RIGHT, KEY_PLAIN_MOVE, "P+Right"},
    {VK_UP, KEY_PLAIN_MOVE, "P+Up"}, {VK_DOWN, KEY_PLAIN_MOVE, "P+Down"},
    {VK_LEFT, KEY_SHIFT | KEY_PLAIN_MOVE, "SP+Left"}, {VK_RIGHT, KEY_SHIFT | KEY_PLAIN_MOVE, "SP+Right"},
    {VK_UP, KEY_SHIFT | KEY_CTRL, "SC+Up"}, {VK_HOME, 0, "Home"},      {VK_END, 0, "End"},
    {VK_PRIOR, 0, "PageUp"},        {VK_NEXT, 0, "PageDown"},         {VK_TAB, 0, "Tab"},
    {VK_RETURN, 0, "Enter"},        {VK_BACK, 0, "BackSpace"},        {VK_DELETE, 0, "Delete"},
    {VK_DELETE, KEY_CTRL, "C+Delete"}, {VK_INSERT, 0, "Insert"},      {VK_SHIFT, KEY_SHIFT, "Shift"},
};

struct KeyProperty : test::EditFixture {
    std::mt19937 rng;
    std::uint32_t seed = 0;
    std::string last;   // the last step, for a failure message
    bool kept_marking = false;   // the last key should have ended the marking

    std::uint32_t pick(std::uint32_t n) { return n == 0 ? 0 : static_cast<std::uint32_t>(rng() % n); }

    void start(std::uint32_t s, bool vertical, int tiers, int lines_per_tier) {
        seed = s;
        rng.seed(s);
        edit.journal.capacity = 64u << 20;
        edit.journal.redo_limit = 1u << 20;
        edit.options.tab_width = static_cast<int>(s % 3);
        edit.options.auto_indent = s % 2 == 0;
        edit.options.auto_scroll = s % 5 < 2;
        edit.options.reset_format_on_break = s % 3 == 1;
        edit.options.accel_chars = static_cast<int>(s % 5);
        edit.options.accel_columns = static_cast<int>((s / 2) % 5);
        edit.insert_mode = true;
        edit.frame.vertical = vertical;
        edit.frame.tiers = tiers;
        edit.frame.screen_lines = tiers * lines_per_tier;
        edit.frame.page_columns = lines_per_tier;
        set_top(c, TextPos(0, 0));
        place_cursor(c, TextPos(0, 0));
    }

    std::string random_typed() {
        static const std::vector<std::string> pool = {
            "a", "Z", "ab", " ", sj("あ"), sj("漢字"), sj("。"), sj("「"), "\xB1", "\xB1\xB2\xB3",
            "\r\n", "\x82", "\xA0", "x\ty", std::string("\0", 1), "\x1A", "\xFF\xFE", sj("あいうえおかきくけこ")};
        return pool[pick(static_cast<std::uint32_t>(std::size(pool)))];
    }

    void one_step() {
        const Cursor& k = edit.cursor;
        last = "at " + pos_text(k.pos) + " screen " + std::to_string(k.screen_line) + " top " +
               pos_text(edit.frame.top) + (edit.mark.on ? " marked " + pos_text(edit.mark.start) + "-" +
                                                                   pos_text(edit.mark.end)
                                                             : "") +
               (edit.insert_mode ? "" : " overwrite") + ": ";
        kept_marking = false;
        if (pick(150) == 0) {
            // A jump, as the mouse or a search makes one.
            const std::uint32_t l = pick(doc.lines.count());
            const TextPos to = clamp_to_character(doc, TextPos(l, pick(300)));
            last += "jump to " + pos_text(to);
            end_marking(c);
            place_cursor(c, to);
            keep_cursor_on_screen(c);
            return;
        }
        if (pick(60) == 0) {
            const bool back = pick(3) != 0;
            last += back ? "undo" : "redo";
            if (journal_state(edit.journal) & (back ? JOURNAL_CAN_UNDO : JOURNAL_CAN_REDO)) back ? undo(c) : redo(c);
            return;
        }
        if (pick(40) == 0) {
            const KeyStep& s = KEYS[pick(4)];
            last += std::string("held ") + s.name;
            edit.key_repeat = static_cast<int>(pick(30));
            dispatch_key(c, s.key, 0);
            accelerate_key(c, s.key, 0);
            return;
        }
        if (pick(5) == 0) {
            const std::string t = random_typed();
            last += "type";
            for (unsigned char ch : t) {
                char b[4];
                std::snprintf(b, sizeof b, " %02X", ch);
                last += b;
            }
            type_characters(c, t);
            return;
        }
        // Arrows and Shift+arrows more often than the rest.
        const std::uint32_t n = static_cast<std::uint32_t>(std::size(KEYS));
        const KeyStep& s = KEYS[pick(3) == 0 ? pick(n) : pick(8)];
        last += s.name;
        dispatch_key(c, s.key, s.flags);
        const bool marking_key = (s.flags & KEY_SHIFT) != 0 && (s.flags & KEY_CTRL) == 0 && s.key >= VK_LEFT &&
                                 s.key <= VK_DOWN;
        kept_marking = !marking_key && s.key != VK_SHIFT && edit.mark.on;
    }

    // "" when every invariant of the editing state holds.
    std::string check() {
        std::string bad = check_document_invariant(doc);
        if (!bad.empty()) return "document: " + bad;
        const Cursor& k = edit.cursor;
        const TextPos end = document_end(doc);
        if (k.pos.line() >= doc.lines.count()) return "cursor line beyond the loaded lines";
        if (end < k.pos) return "cursor " + pos_text(k.pos) + " past the document end " + pos_text(end);
        if (clamp_to_character(doc, k.pos) != k.pos)
            return "cursor " + pos_text(k.pos) + " inside a character or block";
        const CellAt at = cell_at(doc, k.pos);
        if (at.cell != k.cell) return "cursor cell " + std::to_string(k.cell) + " != " + std::to_string(at.cell);
        if (at.second_half != k.second_half) return "cursor second half differs";
        const DisplayLineNo dl = document_display_line(doc, k.pos);
        if (dl != k.display_line)
            return "cursor display line " + std::to_string(k.display_line.value) + " != " + std::to_string(dl.value);
        const ViewFrame& f = edit.frame;
        if (cell_at(doc, f.top).line_start != f.top) return "top " + pos_text(f.top) + " is no display-line start";
        if (f.top_display_line != document_display_line(doc, f.top)) return "top display line differs";
        if (static_cast<std::int64_t>(k.screen_line) !=
            display_distance(f.top_display_line, k.display_line))
            return "screen line " + std::to_string(k.screen_line) + " disagrees with the display lines";
        if (k.screen_line < 0 || k.screen_line >= f.screen_lines)
            return "cursor off screen: screen line " + std::to_string(k.screen_line);
        const Marking& m = edit.mark;
        if (kept_marking) return "a key other than Shift+arrow kept the marking";
        if (m.on) {
            if (!(m.start < m.end)) return "marking " + pos_text(m.start) + "-" + pos_text(m.end) + " not ordered";
            if (end < m.end) return "marking end past the document end";
            if (m.end.line() >= doc.lines.count()) return "marking end beyond the loaded lines";
            if (clamp_to_character(doc, m.start) != m.start || clamp_to_character(doc, m.end) != m.end)
                return "marking " + pos_text(m.start) + "-" + pos_text(m.end) + " not on boundaries";
        }
        return "";
    }

    // Runs `steps` random steps, checking after each; then undo and redo all.
    void run(int steps, bool undo_all = true) {
        const std::string original = text();
        for (int step = 0; step < steps; ++step) {
            one_step();
            const std::string bad = check();
            ASSERT_EQ(bad, "") << "seed " << seed << " step " << step << ": " << last;
        }
        if (!undo_all) return;
        finish(original);
    }

    void finish(const std::string& original) {
        end_marking(c);
        while (journal_state(edit.journal) & JOURNAL_CAN_REDO) ASSERT_TRUE(redo(c)) << "seed " << seed;
        const std::string edited = text();
        for (int k = 0; journal_state(edit.journal) & JOURNAL_CAN_UNDO; ++k) {
            ASSERT_TRUE(undo(c)) << "seed " << seed;
            ASSERT_EQ(check(), "") << "seed " << seed << " undo " << k;
        }
        ASSERT_EQ(check_document_invariant(doc), "") << "seed " << seed;
        EXPECT_TRUE(text() == original) << "seed " << seed << ": undoing everything differs from the original";
        for (int k = 0; journal_state(edit.journal) & JOURNAL_CAN_REDO; ++k) {
            ASSERT_TRUE(redo(c)) << "seed " << seed;
            ASSERT_EQ(check(), "") << "seed " << seed << " redo " << k;
        }
        EXPECT_TRUE(text() == edited) << "seed " << seed << ": redoing everything differs from the edited text";
        EXPECT_FALSE(told.saw("元に戻せません"));
    }

    void build_small(int variant) {
        switch (variant % 5) {
            case 4:
                doc.rules = test::rules(1, 1);
                build(doc, {sj("あ。") + "ab", "", test::ruby("るび", 2) + sj("字字") + test::tag("q")});
                break;
            case 0:
                doc.rules = test::rules(4, 1);
                build(doc, {sj("あab") + test::ruby("かん", 2) + sj("漢字") + "c", "", "x",
                            test::tag("tg") + sj("いう") + test::tag("t2"), "ab" + sj("。") + "cd",
                            sj("「あいうえおかきくけこ」。、") + "\xB1\xB2\xB3", ""});
                break;
            case 1:
                doc.rules = test::rules(3, 0);
                build(doc, {""});
                break;
            case 2:
                doc.rules = test::rules(5, 2);
                build(doc, {"a", "", test::ruby("るび", 3) + sj("漢字かな") + "\xB6\xC5",
                            "abcdefghijklmnop" + sj("、"), sj("あ")},
                      {0, test::format_word(1, 1, 0), 0, test::format_word(2, 0, 1), 0});
                break;
            default:
                doc.rules = test::rules(2, 1);
                build(doc, {"\xB1", sj("あ") + test::tag("x"), "", "", test::ruby("る", 1) + sj("字")});
                break;
        }
        ASSERT_EQ(check_document_invariant(doc), "");
    }
};

TEST_F(KeyProperty, SmallDocumentsInEveryFrame) {
    std::uint32_t s = 7001;
    for (int variant = 0; variant < 5; ++variant)
        for (int frame = 0; frame < 6; ++frame) {
            SCOPED_TRACE("variant " + std::to_string(variant) + " frame " + std::to_string(frame));
            edit = EditState{};
            build_small(variant);
            start(s++, frame % 2 == 0, frame % 4 < 2 ? 1 : 2, frame < 4 ? 3 : 1);
            run(1500);
            if (HasFatalFailure()) return;
        }
}

struct CorpusKeyProperty : KeyProperty, ::testing::WithParamInterface<const char*> {};

TEST_P(CorpusKeyProperty, KeysOnANovel) {
    const std::string file = read_corpus(GetParam());
    ASSERT_FALSE(file.empty());
    std::uint32_t s = 9100;
    for (int frame = 0; frame < 2; ++frame) {
        edit = EditState{};
        LoadSession session;
        session.options.read_rubies = true;
        doc.rules = test::rules(12, 1);
        fuzz::load_bytes(doc, state, session, file);
        ASSERT_TRUE(doc.fully_loaded());
        start(s++, frame == 0, frame == 0 ? 1 : 2, 8);
        run(2500);
        if (HasFatalFailure()) return;
    }
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusKeyProperty, ::testing::Values("rashomon.txt", "yume_juya.txt"),
                         [](const auto& info) { return std::string(info.param).substr(0, 4); });

// Undo and redo change the text the marked range named: the marking ends, so
// a following Delete takes the character at the cursor, not a stale range
// that now cuts a character in two.
TEST_F(KeyProperty, UndoEndsTheMarking) {
    build(doc, {sj("あいう")});
    start(1, true, 1, 5);
    type_characters(c, "a");                   // aあいう, the cursor after a
    dispatch_key(c, VK_DOWN, KEY_SHIFT);       // marks あ: [1, 3)
    ASSERT_TRUE(edit.mark.on);
    ASSERT_TRUE(undo(c));                      // あいう: [1, 3) would split あ and い
    EXPECT_FALSE(edit.mark.on);
    EXPECT_EQ(check(), "");
    dispatch_key(c, VK_DELETE, 0);
    EXPECT_EQ(line(0), sj("いう"));

    ASSERT_TRUE(undo(c));                      // あいう again
    dispatch_key(c, VK_DOWN, KEY_SHIFT);
    ASSERT_TRUE(edit.mark.on);
    ASSERT_TRUE(redo(c));                      // いう
    EXPECT_FALSE(edit.mark.on);
    EXPECT_EQ(line(0), sj("いう"));
    EXPECT_EQ(check(), "");
}

// A document loaded in small chunks: the keys work near the end of what is
// loaded, loading further as they go.
TEST_F(KeyProperty, KeysNearTheEndOfAPartlyLoadedNovel) {
    const std::string file = read_corpus("rashomon.txt");
    ASSERT_FALSE(file.empty());
    // The text as a full load gives it.
    std::string original;
    {
        LoadSession whole;
        whole.options.read_rubies = true;
        doc.rules = test::rules(12, 1);
        fuzz::load_bytes(doc, state, whole, file);
        original = text();
    }
    for (std::uint32_t s = 9300; s < 9304; ++s) {
        edit = EditState{};
        LoadSession session;
        session.options.read_rubies = true;
        session.options.chunk_size = 700;
        state.text_fd = fuzz::memory_file(file);
        state.file_length = static_cast<std::int64_t>(file.size());
        start_load(doc, state, session);
        load_more(doc, state, session);
        ASSERT_FALSE(doc.fully_loaded());
        c.session = &session;
        start(s, s % 2 == 0, s % 4 < 2 ? 1 : 2, 5);
        // Near the end of the loaded text.
        const std::uint32_t lastl = doc.lines.count() - 1;
        place_cursor(c, TextPos(lastl > 2 ? lastl - 2 : 0, 0));
        keep_cursor_on_screen(c);
        run(1200, false);
        if (HasFatalFailure()) break;
        load_all(doc, state, session);
        ASSERT_TRUE(doc.fully_loaded());
        refresh_frame(c);
        finish(original);
        c.session = nullptr;
        ::close(state.text_fd);
        state.text_fd = -1;
        if (HasFatalFailure()) return;
    }
}

}  // namespace
}  // namespace rix

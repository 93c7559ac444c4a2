// Thousands of random keys and typed characters, each followed by
// apply_view_damage, on corpus novels and a small hand-built document, in
// vertical and horizontal writing, in one tier or two (with a gap and
// without, a centre gutter, page-break marks, one, two or no hanging cells,
// upright half-width pairs, no marks): after every step the screen (pixels,
// cell map, line marks, the cursor's place) equals a fresh full layout from
// the same top with the same highlight, and a click on the middle of the
// cursor's cell finds the cursor's line and cell again.
//
// Each case is a test of its own, so that ctest runs them side by side. A
// long hunt: RIX_SCREEN_STEPS (steps a case), RIX_SCREEN_SEED_SHIFT (added
// to every seed), RIX_SCREEN_DEBUG=1 (a picture of the first difference).
//
// Still owed: tag windows shown, a background picture, an oversized font.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <ostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "display/caret.h"
#include "display/edit_view.h"
#include "display/hit_test.h"
#include "document/display_lines.h"
#include "document/storage.h"
#include "editing/cursor.h"
#include "editing/dispatch.h"
#include "fuzz/fuzz_entries.h"
#include "platform/fake_messages.h"
#include "platform/virtual_keys.h"
#include "tests/display/pixel_surface.h"
#include "tests/document/doc_builder.h"
#include "rix_build_paths.h"
#include "tests/support/corpus.h"

namespace rix {
namespace {

using test::read_corpus;

using test::PixelSurface;
using test::sj;

constexpr int W = 360, H = 420;

struct Shape {
    bool vertical = true;
    int tiers = 2;
    int centre_permille = 0;   // the gutter between the halves of a tier
    int columns = 8;
    int chars = 6;
    int tier_gap = 1;          // empty cells between tiers
    int kinsoku = 1;           // kinsoku mode: 0 none, 1 one hanging cell, 2 two
    std::uint8_t mark_flags = 1;   // bit 0 line-end marks, bit 1 page-break marks (every 5 lines)
    int halfwidth = 0;         // vertical writing: 1 upright pairs
};

DisplayGeometry shape_geometry(const Shape& sh) {
    ScreenFormat f;
    f.vertical = sh.vertical;
    f.columns_per_page = sh.columns;
    f.chars_per_column = sh.chars;
    f.tier_count = sh.tiers;
    f.centre_margin_permille = sh.centre_permille;
    f.kinsoku_mode = sh.kinsoku;
    f.page_columns = 5;
    return test::pixel_geometry(f, W, H, sh.tier_gap);
}

struct View {
    PixelSurface surface{W, H}, blank{W, H}, snapshot{W, H};
    Screen s;

    View(const DisplayGeometry& g, const Shape& sh) {
        s.geo = g;
        s.fmt.font.face = "IPAex";
        s.fmt.font.pixel_height = 16;
        s.fmt.font_record_px = 16;
        s.fmt.grid_style = 3;
        s.fmt.mark_flags = sh.mark_flags;
        s.fmt.halfwidth_display = sh.halfwidth;
        s.fmt.fill_colour = 0xE0F0FF;
        s.fmt.grid_colour = 0x3060A0;
        s.fmt.mark_colour = 0x0000FF;
        s.surface = &surface;
        s.blank_page = &blank;
        s.snapshot = &snapshot;
        prepare_screen(s);
    }
};

// Short lines with what makes layout hard: a ruby whose base runs onto the
// next display line, a tag, half-width pairs, empty lines, indentation and
// first-line adjustment, line marks.
void build_hand_document(Document& doc) {
    std::vector<std::string> lines = {
        sj("あいうえお") + test::ruby("げにん", 2) + sj("下人") + "ab" + sj("かきくけこ"),
        "",
        sj("「羅生門」") + test::tag("tg") + sj("の下で") + "xy" + sj("雨やみ"),
        sj("一二三四五六七八九十一二三"),
        "",
        "ab cd" + sj("ア") + "\xB1\xB2" + sj("イウ"),
        sj("まみ") + test::ruby("らしょうもん", 3) + sj("羅生門") + sj("むめも"),
        sj("、。ーーー「」"),
        "",
        sj("末尾の行"),
    };
    const std::vector<std::uint32_t> words = {0, 0, test::format_word(2, 1, 0), test::format_word(1, 0, 2), 0,
                                              test::format_word(0, 2, 1), 0, 0, 0, test::format_word(3, 0, 0)};
    test::build(doc, lines, words);
    doc.lines.set_marks(0, 1);
    doc.lines.set_marks(3, 6);
    doc.lines.set_marks(6, 8);
}

struct ScreenProperty {
    FakeMessages messages;
    Document doc;
    DocumentState state;
    EditState edit;
    EditContext c{doc, state, edit, nullptr};
    DisplayGeometry geo;
    View view;
    View fresh;   // the fresh layout compared against, painted whole each time
    std::mt19937 rng;
    std::string last;   // the last step, for a failure message

    ScreenProperty(const Shape& sh, unsigned seed) : geo(shape_geometry(sh)), view(geo, sh), fresh(geo, sh), rng(seed) {
        fresh.s.snapshot = nullptr;
        doc.rules = test::rules(static_cast<std::uint32_t>(geo.chars), static_cast<std::uint8_t>(geo.kinsoku_mode));
        edit.journal.capacity = 16u << 20;
        edit.options.tab_width = 4;
    }

    void load_corpus(const char* name) {
        LoadSession session;
        session.options.read_rubies = true;
        fuzz::load_bytes(doc, state, session, read_corpus(name));
    }

    // The screen painted from the start, the cursor at the start.
    void start() {
        view.s.top = TextPos(0, 0);
        view.s.top_display_line = DisplayLineNo{};
        repaint_screen(doc, view.s, false);
        frame_from_screen(view.s, 10, &edit.frame);
        edit.frame.top = view.s.top;
        edit.frame.top_display_line = view.s.top_display_line;
        place_cursor(c, TextPos(0, 0));
        apply_view_damage(doc, view.s, edit);
    }

    std::uint32_t pick(std::uint32_t n) { return n == 0 ? 0 : static_cast<std::uint32_t>(rng() % n); }

    void step() {
        static const int arrows[] = {VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN};
        static const int arrow_flags[] = {0, 0, 0, KEY_SHIFT, KEY_SHIFT, KEY_CTRL, KEY_PLAIN_MOVE, KEY_SHIFT | KEY_CTRL};
        static const std::vector<std::string> typed = {
            sj("あ"), sj("漢字"), "a", "ab", "x y", sj("、"), sj("。"), sj("「"), sj("」"), sj("ー"),
            "\xB1", "\xB1\xB2\xB3", sj("あいうえおかきくけこ"), sj("全角"), " "};
        from = edit.cursor.pos;
        const std::uint32_t kind = pick(100);
        int key = 0, flags = 0;
        if (kind < 50) {
            key = arrows[pick(4)];
            flags = arrow_flags[pick(8)];
        } else if (kind < 56) {
            key = pick(2) ? VK_PRIOR : VK_NEXT;
            flags = pick(3) == 0 ? KEY_SHIFT : 0;
        } else if (kind < 60) {
            key = pick(2) ? VK_HOME : VK_END;
            flags = pick(3) == 0 ? KEY_SHIFT : 0;
        } else if (kind < 65) {
            key = VK_RETURN;
        } else if (kind < 71) {
            key = VK_BACK;
        } else if (kind < 77) {
            key = VK_DELETE;
        } else if (kind < 80) {
            key = VK_DELETE;
            flags = KEY_CTRL;
        } else if (kind < 82) {
            key = VK_TAB;
        } else if (kind < 83) {
            edit.insert_mode = !edit.insert_mode;
            last = std::string("insert mode ") + (edit.insert_mode ? "on" : "off");
            return;
        } else {
            const std::string& t = typed[pick(static_cast<std::uint32_t>(typed.size()))];
            last = "type " + std::to_string(t.size()) + " bytes";
            type_characters(c, t);
            apply();
            return;
        }
        last = "key " + std::to_string(key) + " flags " + std::to_string(flags);
        dispatch_key(c, key, flags);
        apply();
    }

    TextPos from;         // the cursor before the last step
    ViewDamage applied;   // the damage of the last step, for a failure message
    std::vector<std::uint32_t> before;   // the pixels before the last step (RIX_SCREEN_DEBUG)
    void apply() {
        if (std::getenv("RIX_SCREEN_DEBUG")) before = view.surface.pixels();
        applied = edit.damage;
        apply_view_damage(doc, view.s, edit);
    }

    std::string where() const {
        char b[320];
        std::snprintf(b, sizeof b, "%s at %u:%u (damage text %d from %llu lines %d top %d marking %d full %d); cursor %u:%u top %u:%u (display line %llu) mark %d %u:%u-%u:%u", last.c_str(), from.line(), from.column(),
                      applied.text, static_cast<unsigned long long>(applied.from_display_line.value), applied.lines_changed,
                      applied.top_moved, applied.marking, applied.full, edit.cursor.pos.line(), edit.cursor.pos.column(), edit.frame.top.line(),
                      edit.frame.top.column(), static_cast<unsigned long long>(edit.frame.top_display_line.value),
                      edit.mark.on ? 1 : 0, edit.mark.start.line(), edit.mark.start.column(), edit.mark.end.line(),
                      edit.mark.end.column());
        return b;
    }

    // With RIX_SCREEN_DEBUG set, a pixel difference prints every screen line
    // (its start in the text, strip and cells) and a map of the pixels round
    // the first difference: '#' drawn alike, 'e' erased here but drawn in the
    // fresh layout, 'x' drawn here where the fresh layout is blank, 'X' drawn
    // differently; then the first differing pixel here, fresh, blank, before.
    void print_failure_picture() {
        const auto px = [](const PixelSurface& p, int x, int y) {
            return p.pixels()[static_cast<std::size_t>(y * W + x)];
        };
        for (int j = 0; j < geo.screen_lines; ++j) {
            const SurfaceRect r = screen_line_strip(fresh.s, j);
            const TextPos at = display_lines_forward(doc, fresh.s.top, static_cast<std::uint32_t>(j)).pos;
            std::printf("line %d at %u:%u strip %d,%d %dx%d cells", j, at.line(), at.column(), r.x, r.y, r.w, r.h);
            for (int k = 0; k < fresh.s.cells.used(j); ++k) std::printf(" %04x", fresh.s.cells.code(j, k));
            std::printf("\n");
        }
        int fx = 0, fy = 0;
        while (fy < H && px(view.surface, fx, fy) == px(fresh.surface, fx, fy))
            if (++fx == W) fx = 0, ++fy;
        if (fy == H) return;
        for (int y = std::max(fy - 12, 0); y < std::min(fy + 12, H); ++y) {
            std::printf("%4d ", y);
            for (int x = std::max(fx - 30, 0); x < std::min(fx + 30, W); ++x) {
                const std::uint32_t a = px(view.surface, x, y), b = px(fresh.surface, x, y);
                const std::uint32_t blank = px(fresh.blank, x, y);
                std::putchar(a != b ? (a == blank ? 'e' : (b == blank ? 'x' : 'X')) : (a == blank ? '.' : '#'));
            }
            std::printf("\n");
        }
        std::printf("columns from %d; at %d,%d: %06x, fresh %06x, blank %06x, before %06x\n", std::max(fx - 30, 0),
                    fx, fy, px(view.surface, fx, fy), px(fresh.surface, fx, fy), px(fresh.blank, fx, fy),
                    before.empty() ? 0u : before[static_cast<std::size_t>(fy * W + fx)]);
    }

    // Empty when the screen is what a fresh layout from the frame's top shows.
    std::string compare() {
        Screen& s = view.s;
        if (s.top != edit.frame.top) return "screen top differs from the frame's";
        if (edit.frame.top_display_line != document_display_line(doc, edit.frame.top))
            return "frame.top_display_line is not the top's display line";
        fresh.s.top = edit.frame.top;
        fresh.s.top_display_line = edit.frame.top_display_line;
        fresh.s.cursor = edit.cursor.pos;
        repaint_screen(doc, fresh.s, false);
        if (edit.mark.on && edit.mark.start < edit.mark.end)
            invert_marked_screen(doc, fresh.s, edit.mark.start, edit.mark.end);
        const int n = geo.screen_lines;
        for (int j = 0; j < n; ++j) {
            const std::string at = " on screen line " + std::to_string(j);
            if (s.cells.used(j) != fresh.s.cells.used(j))
                return "cells used " + std::to_string(s.cells.used(j)) + " vs " +
                       std::to_string(fresh.s.cells.used(j)) + at;
            if (s.cells.indent(j) != fresh.s.cells.indent(j)) return "indentation differs" + at;
            for (int k = 0; k < fresh.s.cells.used(j); ++k)
                if (s.cells.code(j, k) != fresh.s.cells.code(j, k)) return "cell " + std::to_string(k) + " differs" + at;
            if (s.marks.get(j) != fresh.s.marks.get(j)) return "line marks differ" + at;
        }
        const int diff = view.surface.differences(fresh.surface);
        if (diff != 0) {
            // Which screen lines hold the differing pixels.
            std::string lines;
            for (int j = 0; j < n; ++j) {
                const SurfaceRect r = screen_line_strip(fresh.s, j);
                int d = 0;
                for (int y = std::max(r.y, 0); y < std::min(r.y + r.h, H); ++y)
                    for (int x = std::max(r.x, 0); x < std::min(r.x + r.w, W); ++x)
                        d += view.surface.pixels()[static_cast<std::size_t>(y * W + x)] !=
                             fresh.surface.pixels()[static_cast<std::size_t>(y * W + x)];
                if (d) lines += " " + std::to_string(j) + "(" + std::to_string(d) + ")";
            }
            std::string first;
            for (int i = 0; i < W * H && first.empty(); ++i)
                if (view.surface.pixels()[static_cast<std::size_t>(i)] != fresh.surface.pixels()[static_cast<std::size_t>(i)])
                    first = " first at " + std::to_string(i % W) + "," + std::to_string(i / W);
            if (std::getenv("RIX_SCREEN_DEBUG")) print_failure_picture();
            return std::to_string(diff) + " pixels differ; by screen line:" + lines + first;
        }
        // The cursor: the editing layer's place against where a layout meets it.
        const int expected_line = edit.cursor.screen_line;
        if (display_distance(edit.frame.top_display_line, edit.cursor.display_line) !=
            expected_line)
            return "cursor screen line is not its display line less the top's";
        if (expected_line >= 0 && expected_line < n) {
            if (fresh.s.cursor_at.line != expected_line || s.cursor_at.line != expected_line)
                return "cursor line " + std::to_string(s.cursor_at.line) + ", layout meets it on " +
                       std::to_string(fresh.s.cursor_at.line) + ", editing says " + std::to_string(expected_line);
            if (fresh.s.cursor_at.cell != s.cursor_at.cell || fresh.s.cursor_at.second_half != s.cursor_at.second_half)
                return "cursor cell " + std::to_string(s.cursor_at.cell) + (s.cursor_at.second_half ? "b" : "") +
                       ", layout meets it at " + std::to_string(fresh.s.cursor_at.cell) +
                       (fresh.s.cursor_at.second_half ? "b" : "");
            // A click on the middle of the cursor's glyph box finds it again.
            const CaretShape caret = caret_shape(geo, CARET_FRAMES, caret_place(s), false);
            if (!caret.visible) return "caret not shown on a screen line";
            const int along_font = geo.vertical ? geo.font_h : geo.font_w;
            int x = caret.rect.x + caret.rect.w / 2, y = caret.rect.y + caret.rect.h / 2;
            // A half-width character: the middle of its half.
            const std::uint16_t code = s.cells.code(expected_line, s.cells.indent(expected_line) + s.cursor_at.cell);
            const bool pair = code != 0 && !is_mark_cell(code) && (code & 0xFF) != 0x20 &&
                              !is_stored_lead(static_cast<std::uint8_t>(code >> 8));
            if (pair) {
                const int quarter = along_font / 4;
                int& along = geo.vertical ? y : x;
                // The caret's box of a second half already starts half a font along.
                along = (geo.vertical ? caret.rect.y : caret.rect.x) + quarter;
                if (geo.vertical) x = caret.rect.x + caret.rect.w / 2;
            }
            // Past the hanging cells and the gap the cursor stands on the next
            // tier's first cell (a click there means that cell) or beyond the
            // last tier: only the end of a line that fills its hanging cells
            // where no gap follows, or cells a refused break pushed on, go there.
            if (s.cells.indent(expected_line) + s.cursor_at.cell >= geo.max_cells + geo.gap) return "";
            const Hit h = hit_test(geo, s.cells, x, y);
            if (h.result != HIT_TEXT || h.line != expected_line || h.cell != s.cursor_at.cell ||
                (pair && h.second_half != s.cursor_at.second_half))
                return "hit test at the cursor's cell gives line " + std::to_string(h.line) + " cell " +
                       std::to_string(h.cell) + (h.second_half ? "b" : "") + " result " + std::to_string(h.result) +
                       " for " + std::to_string(expected_line) + ":" + std::to_string(s.cursor_at.cell) +
                       (s.cursor_at.second_half ? "b" : "");
        } else if (s.cursor_at.line != -1) {
            return "cursor off the screen but located on line " + std::to_string(s.cursor_at.line);
        }
        return "";
    }

    void run(unsigned seed, int steps) {
        start();
        ASSERT_EQ(compare(), "") << "seed " << seed << " at the start";
        for (int k = 0; k < steps; ++k) {
            step();
            const std::string bad = compare();
            ASSERT_EQ(bad, "") << "seed " << seed << " step " << k << ": " << where();
            ASSERT_FALSE(edit.damage.text || edit.damage.top_moved || edit.damage.full);
            if (doc.lines.count() == 0) break;
        }
    }
};

struct Case {
    const char* name;
    const char* corpus;   // null: the hand-built document
    Shape shape;
    unsigned seed;
    int steps;
};

// The case's name stands for it in test lists (ctest names the test by it).
void PrintTo(const Case& k, std::ostream* out) { *out << k.name << " seed " << k.seed; }

class ScreenMatchesLayout : public ::testing::TestWithParam<Case> {};

// RIX_SCREEN_STEPS overrides every case's step count and RIX_SCREEN_SEED_SHIFT
// adds to every seed, for long hunting runs.
int env_number(const char* name, int fallback) {
    const char* v = std::getenv(name);
    return v && *v ? std::atoi(v) : fallback;
}

TEST_P(ScreenMatchesLayout, AfterEveryKey) {
    const Case& k = GetParam();
    const unsigned seed = k.seed + static_cast<unsigned>(env_number("RIX_SCREEN_SEED_SHIFT", 0));
    ScreenProperty p(k.shape, seed);
    if (k.corpus) p.load_corpus(k.corpus);
    else build_hand_document(p.doc);
    ASSERT_GT(p.doc.lines.count(), 0u);
    p.run(seed, env_number("RIX_SCREEN_STEPS", k.steps));
}

// Typing in a line of the first tier, beside the line of the same row in
// the second tier, whose ruby begins an eighth of a ruby character before
// its first cell: erasing the one line leaves the other's ruby whole.
TEST(ScreenMatchesLayoutAfter, TypingBesideTheNextTiersRuby) {
    for (bool vertical : {true, false}) {
        SCOPED_TRACE(vertical ? "vertical" : "horizontal");
        ScreenProperty p({.vertical = vertical}, 1);
        std::vector<std::string> lines = {sj("かきく")};
        for (int i = 1; i < 8; ++i) lines.push_back(sj("あ"));
        lines.push_back(test::ruby("げにん", 0x02) + sj("下人"));
        test::build(p.doc, lines);
        p.start();
        place_cursor(p.c, TextPos(0, 2));
        type_characters(p.c, sj("ん"));
        p.apply();
        EXPECT_EQ(p.compare(), "");
    }
}

// One-line scrolls in two tiers whose last tier ends past the surface: a
// line whose end mark ran off the edge is laid out where it lands, not
// moved without its mark.
TEST(ScreenMatchesLayoutAfter, ScrollingLinesThatEndedPastTheSurface) {
    for (bool vertical : {true, false}) {
        SCOPED_TRACE(vertical ? "vertical" : "horizontal");
        ScreenProperty p({.vertical = vertical}, 1);
        test::build(p.doc, std::vector<std::string>(24, sj("あいうえおか")));
        p.start();
        const int last = p.geo.screen_lines - 1;
        ASSERT_GT(cell_position(p.geo, last, 6) + p.geo.font_w, p.geo.vertical ? H : W) << "the end mark runs off";
        place_cursor(p.c, TextPos(static_cast<std::uint32_t>(last), 0));
        for (int i = 0; i < 2; ++i) {
            dispatch_key(p.c, vertical ? VK_LEFT : VK_DOWN, 0);
            p.apply();
            EXPECT_EQ(p.compare(), "");
        }
        EXPECT_EQ(p.edit.frame.top_display_line.value, 2u) << "scrolled a line at a time";
    }
}

// A line break that splits a line of two display lines into two lines of
// one each: the display lines add up as before, yet the second one now
// begins a logical line and must be laid out again.
TEST(ScreenMatchesLayoutAfter, ABreakThatKeepsTheDisplayLineCount) {
    for (bool vertical : {true, false}) {
        SCOPED_TRACE(vertical ? "vertical" : "horizontal");
        ScreenProperty p({.vertical = vertical}, 1);
        test::build(p.doc, {sj("あいうえおかきくけこ"), sj("さし")});
        p.doc.lines.set_marks(0, 3);
        p.start();
        const std::uint64_t total = p.doc.lines.total_display_lines();
        place_cursor(p.c, TextPos(0, 10));
        dispatch_key(p.c, VK_RETURN, 0);
        ASSERT_EQ(p.doc.lines.count(), 3u);
        ASSERT_EQ(p.doc.lines.total_display_lines(), total);
        EXPECT_TRUE(p.edit.damage.lines_changed);
        p.apply();
        EXPECT_EQ(p.compare(), "");
    }
}

// A line that fills its hanging cell and ends there draws its line-end
// mark past its tier's cells: with no gap it lies on the next tier's first
// cell, with page-break marks (every fifth line) where the next tier's line
// draws its own mark. Typing in either of the two lines of that row shows
// both as a fresh layout does.
TEST(ScreenMatchesLayoutAfter, TypingBesideAMarkSharedBetweenTiers) {
    struct Form {
        const char* name;
        Shape shape;
    };
    const Form forms[] = {{"no gap", {.tier_gap = 0}},
                          {"no gap, horizontal", {.vertical = false, .tier_gap = 0}},
                          {"page marks", {.mark_flags = 3}},
                          {"page marks, horizontal", {.vertical = false, .mark_flags = 3}},
                          {"page marks, no gap", {.tier_gap = 0, .mark_flags = 3}}};
    for (const Form& form : forms) {
        for (std::uint32_t typed_line : {2u, 10u}) {
            SCOPED_TRACE(std::string(form.name) + ", typing on line " + std::to_string(typed_line));
            ScreenProperty p(form.shape, 1);
            // Line 2, indented by one: five cells, the hanging 、 and the line-end mark after it.
            std::vector<std::string> lines(12, sj("あ"));
            lines[2] = sj("あいうえお、");
            lines[10] = sj("さしす");
            std::vector<std::uint32_t> words(lines.size(), 0);
            words[2] = test::format_word(1, 0, 0);
            test::build(p.doc, lines, words);
            p.start();
            ASSERT_EQ(p.view.s.cells.used(2), p.geo.max_cells + 1);
            place_cursor(p.c, TextPos(typed_line, 1));
            type_characters(p.c, sj("ん"));
            p.apply();
            EXPECT_EQ(p.compare(), "");
        }
    }
}

// 4,000 steps a case, 21 cases: about a minute of the sanitized build in
// all, which ctest shares between the cores.
constexpr int STEPS = 4000;
const Case CASES[] = {
    // The hand-built document: short lines with what makes layout hard.
    {"hand_vertical_tiers", nullptr, {}, 11, STEPS},
    {"hand_horizontal_tiers", nullptr, {.vertical = false}, 12, STEPS},
    {"hand_vertical", nullptr, {.tiers = 1, .chars = 12}, 13, STEPS},
    {"hand_horizontal", nullptr, {.vertical = false, .tiers = 1, .chars = 12}, 14, STEPS},
    {"hand_vertical_gutter", nullptr, {.centre_permille = 60}, 15, STEPS},
    {"hand_horizontal_tiers_again", nullptr, {.vertical = false}, 24, STEPS},
    {"hand_vertical_no_gap", nullptr, {.tier_gap = 0}, 31, STEPS},
    {"hand_horizontal_no_gap", nullptr, {.vertical = false, .tier_gap = 0}, 32, STEPS},
    {"hand_vertical_page_marks", nullptr, {.mark_flags = 3}, 34, STEPS},
    {"hand_vertical_two_hanging", nullptr, {.kinsoku = 2}, 36, STEPS},
    {"hand_vertical_upright_pairs", nullptr, {.tiers = 1, .chars = 12, .halfwidth = 1}, 38, STEPS},
    {"hand_vertical_no_marks", nullptr, {.mark_flags = 0}, 39, STEPS},
    // Novels: long paragraphs, rubies, scrolling far.
    {"rashomon_vertical_tiers", "rashomon.txt", {}, 21, STEPS},
    {"rashomon_horizontal", "rashomon.txt", {.vertical = false, .tiers = 1, .chars = 12}, 22, STEPS},
    {"rashomon_horizontal_tiers", "rashomon.txt", {.vertical = false}, 24, STEPS},
    {"rashomon_vertical_no_gap", "rashomon.txt", {.tier_gap = 0}, 33, STEPS},
    {"rashomon_horizontal_page_marks", "rashomon.txt",
     {.vertical = false, .tiers = 1, .chars = 12, .mark_flags = 3}, 35, STEPS},
    {"rashomon_vertical_no_kinsoku", "rashomon.txt", {.kinsoku = 0}, 40, STEPS},
    {"yume_vertical_gutter", "yume_juya.txt", {.tiers = 1, .centre_permille = 60, .chars = 12}, 23, STEPS},
    {"yume_horizontal_tiers", "yume_juya.txt", {.vertical = false}, 24, STEPS},
    {"yume_horizontal_two_hanging", "yume_juya.txt", {.vertical = false, .kinsoku = 2}, 37, STEPS},
};

INSTANTIATE_TEST_SUITE_P(Random, ScreenMatchesLayout, ::testing::ValuesIn(CASES),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace rix

// Tests of the shipped settings and the range check.
//
// Owed: laying the shipped screen formats out on a real window size (needs
// the geometry code) to show that every format fits 1100 × 760.
#include "app/settings/default_settings.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "app/settings/settings_record.h"
#include "platform/codec.h"
#include "platform/fake_messages.h"
#include "rix_build_paths.h"

namespace rix {
namespace {

SettingsRecord defaults() {
    SettingsRecord rec;
    build_default_settings(&rec);
    return rec;
}

std::string raw(const SettingsRecord& rec) { return {reinterpret_cast<const char*>(&rec), sizeof rec}; }

std::string text(const char* field, std::size_t width) { return sjis_to_utf8(read_field(field, width)); }

const std::string SHIPPED = std::string(RIX_RESOURCE_DIR) + "/rix.env";

TEST(ShippedSettings, FileEqualsTheCodeAndPassesTheRanges) {
    std::ifstream in(SHIPPED, std::ios::binary);
    std::string file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_EQ(file.size(), 4096u) << SHIPPED << ": run rix_make_env to regenerate it";
    EXPECT_EQ(file, raw(defaults())) << "resources/rix.env is stale: run rix_make_env";

    std::string problem;
    EXPECT_TRUE(check_settings_ranges(defaults(), &problem)) << problem;

    FakeMessages messages;
    SettingsState s;
    EXPECT_EQ(read_settings(SHIPPED, &s), 4096u);
    EXPECT_FALSE(s.changed);
    EXPECT_TRUE(messages.log.empty());
    EXPECT_EQ(raw(s.rec), file);   // nothing normalised, no colours rebuilt
}

TEST(ShippedSettings, TextsDecodeAsIntended) {
    SettingsRecord r = defaults();
    EXPECT_EQ(std::string(r.file_signature, 16), std::string("RIX-WIN v7.11\0\0\0", 16));
    EXPECT_EQ(text(r.line_start_prohibited, 96), "、。，．？！゛゜ヽヾゝゞ〃々―～…‥’”）〕］｝〉》」』】");
    EXPECT_EQ(text(r.line_end_prohibited, 48), "‘“（〔［｛〈《「『【");
    EXPECT_EQ(text(r.new_document_name, 32), "原稿_.txt");
    for (int slot = 0; slot < FORMAT_SLOT_COUNT; ++slot) {
        std::string_view name = read_field(r.format_name[slot], 16);
        EXPECT_GT(name.size(), 0u);
        EXPECT_LE(name.size(), 15u) << "names keep a terminator";
        EXPECT_EQ(utf8_to_sjis(sjis_to_utf8(name)), name) << "no character lost";
    }
    EXPECT_EQ(text(r.font[0].face, 32), "@IPAex明朝");
    EXPECT_EQ(+r.ruby_notation, 3);
    EXPECT_EQ(+r.startup_action, 0);
}

TEST(ShippedSettings, FormatsAreTheWritersPages) {
    SettingsRecord r = defaults();
    struct Shape { int direction, chars, columns, tiers, grid; };
    const Shape screen[5] = {{0, 20, 20, 1, 3}, {0, 20, 17, 2, 1}, {1, 20, 20, 1, 3}, {1, 40, 30, 1, 0}, {0, 30, 40, 1, 1}};
    for (int f = 0; f < 5; ++f) {
        SCOPED_TRACE(f);
        EXPECT_EQ(+r.writing_direction[f], screen[f].direction);
        EXPECT_EQ(+r.chars_per_column[f], screen[f].chars);
        EXPECT_EQ(+r.columns_per_page[f], screen[f].columns);
        EXPECT_EQ(+r.tier_count[f], screen[f].tiers);
        EXPECT_EQ(+r.grid_style[f], screen[f].grid);
        EXPECT_NE(+r.text_colour_rgb[f], +r.fill_colour[f]);
    }
    EXPECT_EQ(+r.kinsoku[0].kinsoku_mode, 1);
    EXPECT_GE(+r.tier_gap[1], 1);   // dragging across tiers needs a gap
    EXPECT_LT(-r.font[4].height, -r.font[0].height);   // overview: small characters

    const Shape print[3] = {{0, 20, 20, 1, 3}, {0, 20, 20, 1, 1}, {1, 40, 30, 1, 0}};
    const int paper[3] = {9 | 0x80, 13, 9};   // A4 landscape, B5 (JIS), A4
    for (int p = 0; p < 3; ++p) {
        SCOPED_TRACE(p);
        const int s = FIRST_PRINT_SLOT + p;
        EXPECT_EQ(+r.writing_direction[s], print[p].direction);
        EXPECT_EQ(+r.chars_per_column[s], print[p].chars);
        EXPECT_EQ(+r.columns_per_page[s], print[p].columns);
        EXPECT_EQ(+r.grid_style[s], print[p].grid);
        EXPECT_EQ(+r.printer_paper[p], paper[p]);
        EXPECT_EQ(r.print_flags[p] & 1, 1);   // page numbers
    }
    EXPECT_EQ(+r.fukuro_toji[0], 1);
}

// ---- the range check finds what is wrong ----

TEST(RangeCheck, ReportsTheFirstFaultyField) {
    struct Fault {
        void (*spoil)(SettingsRecord*);
        const char* expected;
    };
    const Fault faults[] = {
        {[](SettingsRecord* r) { r->chars_per_column[2] = 3; }, "chars_per_column[2]"},
        {[](SettingsRecord* r) { r->columns_per_page[6] = 4; }, "columns_per_page[6]"},
        {[](SettingsRecord* r) { r->tier_count[0] = 0; }, "tier_count[0]"},
        {[](SettingsRecord* r) { r->cell_offset_percent[7] = -11; }, "cell_offset_percent[7]"},
        {[](SettingsRecord* r) { r->wrap_chars[2] = 41; }, "wrap_chars[2]"},
        {[](SettingsRecord* r) { r->font[2].face[0] = '@'; }, "font[2]"},
        {[](SettingsRecord* r) { r->toolbar_items[3] = 6; }, "toolbar_items[3]"},
        {[](SettingsRecord* r) { r->right_click_items[1] = r->right_click_items[0]; }, "right_click_items[1]"},
        {[](SettingsRecord* r) { r->print_range_start = 1000; }, "print_range_end"},
        {[](SettingsRecord* r) { r->page_number_position[0] = 4; }, "page_number_position[0]"},
        {[](SettingsRecord* r) { r->autosave_minutes = 0; }, "autosave_minutes"},
        {[](SettingsRecord* r) { r->line_id_symbol[2] = 'x'; }, "line_id_symbol"},
        {[](SettingsRecord* r) { r->line_end_prohibited[0] = 'a'; }, "line_end_prohibited"},
    };
    for (const Fault& fault : faults) {
        SettingsRecord r = defaults();
        fault.spoil(&r);
        std::string problem;
        EXPECT_FALSE(check_settings_ranges(r, &problem)) << fault.expected;
        EXPECT_EQ(problem.rfind(fault.expected, 0), 0u) << problem;
    }
    SettingsRecord r = defaults();
    EXPECT_TRUE(check_settings_ranges(r, nullptr));
}

}  // namespace
}  // namespace rix

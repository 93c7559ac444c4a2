// The guides as the main window runs them: the title after each redraw, the
// guide boxes drawn on the edit surface and their width taken from the
// text, the debounced count behind the capacity, and 計数表示 (406) with
// its message.
// Owed: the capacity after a print-format change through PRINT_SET.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "app/window/command_table.h"
#include "app/edit/guides.h"
#include "app/window/shell_events.h"
#include "document/document_state.h"
#include "platform/codec.h"
#include "platform/files.h"
#include "rix_build_paths.h"
#include "tests/support/command_app.h"

namespace rix {
namespace {

std::string sj(std::string_view utf8) { return utf8_to_sjis(utf8); }

struct GuidesCommandTest : test::CommandAppTest {
    void SetUp() override {
        CommandAppTest::SetUp();
        for (int f = 0; f < SCREEN_FORMAT_COUNT; ++f) {
            app.settings.rec.edit_info_place[f] = 0;
            app.settings.rec.edit_info_content[f] = 2;
            app.settings.rec.show_position_bar[f] = 1;
        }
    }
    void open(const std::string& utf8_text) {
        const std::string path = dir.write("guide.txt", sj(utf8_text));
        ASSERT_TRUE(open_document_file(&app.doc, path, 0));
        app.doc.save_name = path;
        load_into_application(app);
        start_editing(app);
        app.startup_done = true;
        redraw();
    }
    void redraw() {
        app.hooks.rebuild_screen(app);
        window_changed(app);
    }
    int count_timers_set() const {
        int n = 0;
        for (const std::string& call : host.calls) n += call == "set_timer 6 0";
        return n;
    }
    GuideState& guides() { return *app.features.guides; }
    int slot() const { return app.settings.rec.current_screen_format; }
    void TearDown() override { close_document(&app.doc, false); }
};

TEST_F(GuidesCommandTest, EditsBeforeTheTimerFiresAreCountedOnce) {
    open("ab");
    EXPECT_EQ(count_timers_set(), 1);
    EXPECT_EQ(guides().passes, 0);
    shell->timer(TIMER_COUNT);
    EXPECT_EQ(guides().passes, 1);
    EXPECT_EQ(guides().capacity.text.characters(), 2u);
    EXPECT_NE(host.title.find(sj("［文書容量　頁：1（書式")), std::string::npos) << sjis_to_utf8(host.title);
    EXPECT_NE(host.title.find(sj("行：1　字：2］")), std::string::npos) << sjis_to_utf8(host.title);

    shell->characters_typed("c");
    shell->characters_typed("d");
    shell->characters_typed("e");
    EXPECT_EQ(count_timers_set(), 2);   // one timer for the three edits
    shell->timer(TIMER_COUNT);
    shell->timer(TIMER_COUNT);          // a second firing finds nothing to do
    EXPECT_EQ(guides().passes, 2);
    EXPECT_EQ(guides().capacity.text.characters(), 5u);
    EXPECT_NE(host.title.find(sj("字：5］")), std::string::npos) << sjis_to_utf8(host.title);
    EXPECT_NE(host.title.find(sj("　変更")), std::string::npos);
    // Moving the cursor counts nothing.
    shell->key_down(0x24, 0);   // Home
    EXPECT_EQ(count_timers_set(), 2);
}

TEST_F(GuidesCommandTest, PositionOnlyNeverCounts) {
    for (int f = 0; f < SCREEN_FORMAT_COUNT; ++f) app.settings.rec.edit_info_content[f] = 0;
    open("ab");
    shell->characters_typed("c");
    EXPECT_EQ(count_timers_set(), 0);
    EXPECT_EQ(host.title, sj(" guide.txt　［書式") + fullwidth_digits(slot() + 1) + sj("　頁：1　列：1　行：1　字：1］　変更　"));
}

TEST_F(GuidesCommandTest, BoxesTakeTheirWidthAndGiveItBack) {
    app.settings.rec.edit_info_place[slot()] = GUIDE_PLACE_SMALL;
    open("ab");
    EXPECT_EQ(screen.screen.geo.guide_px, guide_box_width(GUIDE_PLACE_SMALL));
    EXPECT_FALSE(surface.lines_starting("cell 3 ").empty());   // the position box
    const std::size_t before = surface.lines_starting("cell 3 ").size();
    shell->timer(TIMER_COUNT);
    EXPECT_GT(surface.lines_starting("cell 3 ").size(), before);   // the capacity box joins it
    // The title keeps only the name and the states in box mode.
    EXPECT_EQ(host.title.find(sj("［")), std::string::npos) << sjis_to_utf8(host.title);

    app.settings.rec.edit_info_place[slot()] = GUIDE_PLACE_TITLE;
    surface.clear();
    redraw();
    EXPECT_EQ(screen.screen.geo.guide_px, 0);
    EXPECT_TRUE(surface.lines_starting("cell 3 ").empty());
}

TEST_F(GuidesCommandTest, ATypedCharacterRepaintsOnlyTheFiguresThatChanged) {
    app.settings.rec.edit_info_place[slot()] = GUIDE_PLACE_SMALL;
    open("ab");
    shell->timer(TIMER_COUNT);
    const SurfaceRect box = guide_box_layout(GUIDE_PLACE_SMALL).position;
    const std::string whole_box = "fill " + std::to_string(box.x) + "," + std::to_string(box.y) + "," +
                                  std::to_string(box.w) + "x" + std::to_string(box.h) + " #F0F0F0";
    auto painted_whole = [&] {
        const auto fills = surface.lines_starting("fill ");
        return std::find(fills.begin(), fills.end(), whole_box) != fills.end();
    };
    surface.clear();
    shell->characters_typed("c");
    EXPECT_FALSE(painted_whole());
    // 変更 appears; 字 stays 1 (a single byte further): two cells, not the box's dozen.
    EXPECT_EQ(surface.lines_starting("cell 3 ").size(), 2u) << surface.dump();
    surface.clear();
    shell->characters_typed("d");
    EXPECT_EQ(surface.lines_starting("cell 3 ").size(), 1u);   // 字 1 -> 2
    surface.clear();
    update_guides(app, guides(), GUIDES_POSITION);
    EXPECT_TRUE(surface.lines_starting("cell 3 ").empty());
    EXPECT_TRUE(surface.lines_starting("fill ").empty());
    // Painted blank: the boxes are drawn whole again.
    surface.clear();
    redraw();
    EXPECT_TRUE(painted_whole());
}

TEST_F(GuidesCommandTest, TheCountDisplayMessage) {
    open("ab\r\n");
    ASSERT_TRUE(shell->commands().enabled(COMMAND_COUNT_DISPLAY));
    ASSERT_TRUE(shell->commands().run(COMMAND_COUNT_DISPLAY));
    ASSERT_EQ(messages.log.size(), 1u);
    const SettingsRecord& r = app.settings.rec;
    const int print_slot = r.current_print_format;
    const std::string name(read_field(r.format_name[print_slot], sizeof r.format_name[print_slot]));
    EXPECT_EQ(messages.log[0].text,
              sj("　計数表示\n 範囲は全部です｡\n\n印刷ﾍﾟｰｼﾞ数  1\n[書式") + std::to_string(print_slot - 4) + ":" + name +
                  sj("]\n\n行数(改行) 1 (0)\n\n文字数(半角) 2 (2)\n\nｺｰﾄﾞｻｲｽﾞ 5 byte\n\n索引数    0 \n付箋数    0\n"));
    EXPECT_EQ(messages.log[0].time_ms, 20000u);
    EXPECT_EQ(shell->commands().topic(COMMAND_COUNT_DISPLAY), "CNT");
    EXPECT_TRUE(file_exists(std::string(RIX_RESOURCE_DIR) + "/help/HLP_CNT.htm"));
}

TEST_F(GuidesCommandTest, ARangeOfLinesAndAStartPastTheText) {
    open("ab\r\n\r\n" + std::string("xyz"));
    app.settings.rec.print_range_mode = RANGE_LINES;
    app.settings.rec.print_range_start = 2;
    app.settings.rec.print_range_end = 3;
    ASSERT_TRUE(shell->commands().run(COMMAND_COUNT_DISPLAY));
    ASSERT_EQ(messages.log.size(), 1u);
    EXPECT_TRUE(messages.saw(" 範囲は行 2-3 です｡")) << messages.utf8(0);
    EXPECT_TRUE(messages.saw("行数(改行) 2 (1)")) << messages.utf8(0);
    EXPECT_TRUE(messages.saw("文字数(半角) 3 (3)")) << messages.utf8(0);

    app.settings.rec.print_range_start = 40;
    app.settings.rec.print_range_end = 50;
    ASSERT_TRUE(shell->commands().run(COMMAND_COUNT_DISPLAY));
    ASSERT_EQ(messages.log.size(), 2u);
    EXPECT_EQ(messages.utf8(1), "印刷開始行が大き過ぎます｡");
    EXPECT_EQ(messages.log[1].time_ms, 2000u);
}

}  // namespace
}  // namespace rix

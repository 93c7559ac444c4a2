// TAGSET and TAGLIST through the fake dialog host: the box of the writing
// direction, 貼 付 inserting the tag after the dialog, the refusals (a tag
// at the cursor, an empty or too long text), 背景 storing the colour and
// reopening with the text, the list's rows, counter and jumps, and the
// format colour chooser's title and greys.
// Owed: ﾌｫﾝﾄ applied to the box (waits for the shared text box).
#include <gtest/gtest.h>

#include "../editing/edit_fixture.h"
#include "app/tags/tag_dialogs.h"
#include "platform/fake_dialogs.h"
#include "platform/format_colour.h"

namespace rix::test {
namespace {

struct TagDialogTest : EditFixture {
    FakeDialogHost host;
    SettingsState settings;
    TagServices services;
    int redraws = 0;

    void SetUp() override {
        EditFixture::SetUp();
        settings.rec.current_screen_format = 0;
        settings.rec.writing_direction[0] = 0;   // vertical
        settings.rec.tag_size_vertical[0] = 52, settings.rec.tag_size_vertical[1] = 300;
        services.settings = &settings;
        services.edit = [this](const std::function<void(EditContext&)>& work) {
            work(c);
            return true;
        };
        services.redraw = [this] { ++redraws; };
    }
};

TEST_F(TagDialogTest, AttachPinsTheTypedTextAtTheCursorAfterTheDialog) {
    build(doc, {sj("あい")});
    doc.load.tag_serial = 4;
    at(0, 2);
    host.script([](DialogSession& d) {
        EXPECT_TRUE(d.is_visible(TAGSET_BOX_VERTICAL));
        EXPECT_FALSE(d.is_visible(TAGSET_BOX_HORIZONTAL));
        d.type_text(TAGSET_BOX_VERTICAL, sj("要確認\r\n二行目"));
        d.press(TAGSET_ATTACH);
    });
    EXPECT_EQ(run_tag_set(services), DIALOG_OK);
    EXPECT_EQ(line(0), sj("あ") + make_tag_block(4, 0x1B, 150, sj("要確認\r\n二行目")) + sj("い"));
    EXPECT_EQ(redraws, 1);
    // On the tag now: refused before any dialog.
    at(0, 2);
    EXPECT_EQ(run_tag_set(services), DIALOG_CANCEL);
    EXPECT_EQ(messages.utf8(0), "ここには既に付箋が有ります。");
    EXPECT_EQ(host.opened.size(), 1u);
}

TEST_F(TagDialogTest, EmptyAndTooLongTextsInsertNothing) {
    settings.rec.writing_direction[0] = 1;   // horizontal
    build(doc, {"ab"});
    host.script([](DialogSession& d) {
        EXPECT_TRUE(d.is_visible(TAGSET_BOX_HORIZONTAL));
        d.type_text(TAGSET_BOX_HORIZONTAL, std::string(1001, 'x'));
        d.press(TAGSET_ATTACH);
        EXPECT_FALSE(d.ended());   // told, and still open
        d.type_text(TAGSET_BOX_HORIZONTAL, "");
        d.press(TAGSET_ATTACH);
    });
    EXPECT_EQ(run_tag_set(services), DIALOG_OK);
    EXPECT_EQ(messages.utf8(0), "付箋の最大文字数は全角で５００文字です。");
    EXPECT_EQ(line(0), "ab");
    EXPECT_EQ(redraws, 0);
}

TEST_F(TagDialogTest, BackgroundStoresTheColourAndReopensWithTheText) {
    build(doc, {"ab"});
    host.colour_answers = {std::uint32_t{0}};   // black
    host.script([](DialogSession& d) {
        d.type_text(TAGSET_BOX_VERTICAL, "kept");
        d.press(TAGSET_BACKGROUND);
    });
    host.script([](DialogSession& d) {
        EXPECT_EQ(d.get_text(TAGSET_BOX_VERTICAL), "kept");
        d.press(TAGSET_CLOSE);
    });
    EXPECT_EQ(run_tag_set(services), DIALOG_CANCEL);
    EXPECT_EQ(settings.rec.tag_background[0], 0x010101u);   // 0 would mean "not set"
    ASSERT_EQ(host.colour_captions.size(), 1u);
    EXPECT_EQ(host.colour_captions[0], sj(" 書式 1　付箋背景色設定"));
    EXPECT_EQ(line(0), "ab");
}

TEST_F(TagDialogTest, TheListShowsRowsAndJumpsOnAClick) {
    build(doc, {"a" + make_tag_block(0, 1, 1, std::string(45, 'x')), "b", make_tag_block(1, 1, 1, "two")});
    at(1, 0);
    host.script([this](DialogSession& d) {
        ASSERT_EQ(d.item_count(TAGLIST_ROWS), 2);
        EXPECT_EQ(d.item_text(TAGLIST_ROWS, 0), "  1:0001 " + std::string(44, 'x') + sj("‥‥"));
        EXPECT_EQ(d.item_text(TAGLIST_ROWS, 1), "  2:0003 two");
        EXPECT_EQ(d.get_selection(TAGLIST_ROWS), 1);   // the first at or after the cursor
        EXPECT_EQ(d.get_text(TAGLIST_COUNTER), "2 / 2");
        d.select(TAGLIST_ROWS, 0);
        EXPECT_EQ(edit.cursor.pos, TextPos(0, 1));
        EXPECT_EQ(d.get_text(TAGLIST_COUNTER), "1 / 2");
        d.press(TAGLIST_TOWARDS_END);
        EXPECT_EQ(edit.cursor.pos, TextPos(2, 0));
        d.press(TAGLIST_TOWARDS_END);   // none after: told, the cursor stays
        EXPECT_EQ(edit.cursor.pos, TextPos(2, 0));
        d.press(TAGLIST_CLOSE);
    });
    EXPECT_EQ(run_tag_list(services), DIALOG_CANCEL);
    EXPECT_EQ(messages.utf8(0), "目的の箇所が見付かりません｡");
}

TEST_F(TagDialogTest, AnEmptyListCountsOneOfNone) {
    build(doc, {"ab"});
    host.script([](DialogSession& d) {
        EXPECT_EQ(d.item_count(TAGLIST_ROWS), 0);
        EXPECT_EQ(d.get_text(TAGLIST_COUNTER), "1 / 0");
        d.press(TAGLIST_CLOSE);
    });
    EXPECT_EQ(run_tag_list(services), DIALOG_CANCEL);
}

TEST(FormatColour, TitleByKindAndSixteenGreys) {
    EXPECT_EQ(format_colour_caption(3, COLOUR_KIND_GRID), utf8_to_sjis(" 書式 3　桝目色設定"));
    EXPECT_EQ(format_colour_caption(1, COLOUR_KIND_POINTER), utf8_to_sjis(" 書式 1　ﾏｳｽｶｰｿﾙ色設定"));
    const int greys[16] = {254, 250, 246, 239, 234, 224, 212, 198, 182, 164, 144, 122, 98, 72, 44, 14};
    for (int i = 0; i < 16; ++i) EXPECT_EQ(format_colour_grey(i), greys[i]) << i;
}

}  // namespace
}  // namespace rix::test

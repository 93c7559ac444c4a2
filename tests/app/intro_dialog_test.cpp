// The introduction dialog through the fake dialog host.
// Owed: the contact-page button (no page of ours to open).
#include <gtest/gtest.h>

#include "app/window/intro_dialog.h"
#include "platform/codec.h"
#include "platform/dialog_model.h"
#include "platform/fake_dialogs.h"
#include "platform/fake_messages.h"
#include "tests/support/temp_folder.h"

using namespace rix;

namespace {
struct Fixture {
    rix::test::TempFolder home;
    FakeMessages messages;
    FakeDialogHost dialogs;
    FakeWindowHost host;
    Application app;
    Fixture() {
        app.paths.program_folder = home.path();
        app.host = &host;
    }
};
}  // namespace

TEST(Introduction, DueOnlyForAnEmptyDocumentInInstanceOne) {
    Fixture f;
    EXPECT_TRUE(introduction_due(f.app));
    f.app.doc.file_length = 10;
    EXPECT_FALSE(introduction_due(f.app));
    f.app.doc.file_length = 0;
    f.app.instance_number = 2;
    EXPECT_FALSE(introduction_due(f.app));
    f.app.instance_number = 1;
    f.app.settings.rec.intro_flags = 0x80;
    EXPECT_FALSE(introduction_due(f.app));
}

TEST(Introduction, TickingTheBoxSwitchesItOff) {
    Fixture f;
    f.dialogs.script([](DialogSession& s) {
        EXPECT_TRUE(s.is_visible(1000));
        EXPECT_FALSE(s.is_visible(1010));
        s.press(9);   // to horizontal
        EXPECT_FALSE(s.is_visible(1000));
        EXPECT_TRUE(s.is_visible(1010));
        EXPECT_EQ(sjis_to_utf8(s.get_text(9)), "縦表示へ");
        EXPECT_FALSE(s.get_text(1011).empty());
        s.press(7);   // help on the beginning
        s.press(3);   // the check box
        s.press(2);
    });
    show_introduction(f.app);
    EXPECT_EQ(f.app.settings.rec.intro_flags & 0x80, 0x80);
    EXPECT_TRUE(f.app.settings.changed);
    ASSERT_EQ(f.messages.help_topics.size(), 1u);
    EXPECT_EQ(f.messages.help_topics[0], "BEGIN");
    EXPECT_EQ(f.dialogs.left_open, 0);
}

TEST(Introduction, SampleButtonWithoutSampleSaysSo) {
    Fixture f;
    f.dialogs.script([](DialogSession& s) { s.press(1); });
    show_introduction(f.app);
    EXPECT_TRUE(f.messages.saw("サンプル文書がありません｡"));
    EXPECT_FALSE(f.app.settings.changed);   // the box was left as it was
}

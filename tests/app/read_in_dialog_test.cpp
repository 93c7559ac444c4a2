// The reading options dialog through the fake host: what it shows and
// enables, the two-byte symbol rule, the custom delimiter pair, storing and
// closing without storing.
#include "app/documents/read_in_dialog.h"

#include <gtest/gtest.h>

#include "platform/codec.h"
#include "platform/fake_dialogs.h"
#include "platform/fake_messages.h"

namespace rix {
namespace {

std::string sj(std::string_view utf8) { return utf8_to_sjis(utf8); }

struct ReadInDialogTest : ::testing::Test {
    FakeDialogHost host;
    FakeMessages messages;
    SettingsState settings;
    ReadingOptions reading;

    void SetUp() override {
        store_field(settings.rec.line_id_symbol, 3, sj("◆"));
        store_field(settings.rec.ruby_custom_delimiters, 5, sj("［］"));
    }
    int run() { return run_read_in_dialog(&settings, &reading, 0); }
};

TEST_F(ReadInDialogTest, ShowsPresetsAndEnablesByTheSwitches) {
    settings.rec.ruby_notation = 0;
    settings.rec.ruby_allotment = 2;
    host.script([](DialogSession& d) {
        EXPECT_TRUE(d.get_check(143));       // a stored 0 shows 《》
        EXPECT_TRUE(d.get_check(162));
        EXPECT_EQ(d.get_text(130), sj("◆"));
        EXPECT_FALSE(d.is_enabled(130));
        EXPECT_FALSE(d.is_enabled(141));
        EXPECT_FALSE(d.is_enabled(150));
        EXPECT_FALSE(d.get_check(READ_IN_DECRYPT));
        EXPECT_FALSE(d.is_visible(301));     // the key is shown as "*"
        d.press(110);
        EXPECT_TRUE(d.is_enabled(130));
        d.press(120);
        EXPECT_TRUE(d.is_enabled(141));
        EXPECT_TRUE(d.is_enabled(150));
        EXPECT_TRUE(d.is_enabled(160));
        d.press(6);
        d.press(2);
    });
    EXPECT_EQ(run(), DIALOG_CANCEL);
    EXPECT_FALSE(reading.line_info);         // 閉じる stores nothing
    EXPECT_FALSE(reading.rubies);
    EXPECT_FALSE(settings.changed);
    EXPECT_EQ(messages.help_topics, std::vector<std::string>{"RDIN"});
    EXPECT_TRUE(host.missing.empty());
}

// 復号化読込 keeps its key for the documents opened next; it needs one.
TEST_F(ReadInDialogTest, DecryptionTakesItsKey) {
    host.script([](DialogSession& d) {
        d.press(READ_IN_DECRYPT);
        d.press(1);
        EXPECT_FALSE(d.ended());
        d.press(READ_IN_SHOW_KEY);
        d.type_text(301, "key");
        d.press(1);
    });
    EXPECT_EQ(run(), DIALOG_OK);
    EXPECT_TRUE(messages.saw("暗号キーを入力してください"));
    EXPECT_TRUE(reading.decrypt && reading.show_key);
    EXPECT_EQ(reading.key, "key");
}

TEST_F(ReadInDialogTest, SymbolMustBeTwoBytesWhileItIsUsed) {
    host.script([this](DialogSession& d) {
        d.press(100);
        d.type_text(130, "#");
        d.press(1);
        EXPECT_FALSE(d.ended());
        ASSERT_EQ(messages.log.size(), 1u);
        EXPECT_EQ(messages.utf8(0), "行識別記号の長さは２バイトです｡");
        EXPECT_EQ(messages.log[0].time_ms, 4000u);
        EXPECT_FALSE(reading.index);
        d.type_text(130, "#$%");             // the edit keeps two bytes
        EXPECT_EQ(d.get_text(130), "#$");
        d.press(1);
    });
    EXPECT_EQ(run(), DIALOG_OK);
    EXPECT_TRUE(reading.index);
    EXPECT_EQ(read_field(settings.rec.line_id_symbol, 3), "#$");
    EXPECT_TRUE(settings.changed);
}

TEST_F(ReadInDialogTest, UnusedBadSymbolNeverBlocksAndIsKept) {
    store_field(settings.rec.line_id_symbol, 3, "");
    host.script([](DialogSession& d) {
        d.press(120);
        d.press(161);
        d.press(1);
    });
    EXPECT_EQ(run(), DIALOG_OK);
    EXPECT_TRUE(reading.rubies);
    EXPECT_EQ(settings.rec.ruby_allotment, 1);
    EXPECT_EQ(settings.rec.ruby_notation, 3);
    EXPECT_EQ(read_field(settings.rec.line_id_symbol, 3), "");
}

TEST_F(ReadInDialogTest, CustomDelimitersMustBeTwoDoubleByteCharacters) {
    host.script([this](DialogSession& d) {
        d.press(120);
        d.press(144);
        d.type_text(150, "[]");
        d.press(1);
        EXPECT_FALSE(d.ended());
        EXPECT_TRUE(messages.saw("全角２文字"));
        d.type_text(150, sj("【】"));
        d.press(1);
    });
    EXPECT_EQ(run(), DIALOG_OK);
    EXPECT_EQ(settings.rec.ruby_notation, 4);
    EXPECT_EQ(read_field(settings.rec.ruby_custom_delimiters, 5), sj("【】"));
    EXPECT_EQ(settings.rec.ruby_custom_delimiters[4], 0);
}

}  // namespace
}  // namespace rix

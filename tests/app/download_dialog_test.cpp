// ダウンロード設定: the flags packed and unpacked, bit 0 following only a done
// change of the desktop entry, the ruby controls following their check, and
// ruby conversion left off keeping the ruby fields.
//
// Still owed: the downloaded document's disposal (bits 3-4) at the end.
#include "app/settings/download_dialog.h"

#include <gtest/gtest.h>

#include "app/settings/default_settings.h"
#include "platform/codec.h"
#include "platform/fake_dialogs.h"
#include "platform/fake_messages.h"

namespace rix {
namespace {

TEST(DownloadForm, FlagsPackAndUnpack) {
    SettingsRecord r{};
    build_default_settings(&r);
    r.download_flags = 0xC1;   // bit 0 and two bits this dialog does not own
    r.ruby_notation = 0;       // shown as 3
    DownloadForm f = download_form(r);
    EXPECT_EQ(f.notation, 3);
    EXPECT_FALSE(f.ruby);
    f.ruby = true;
    f.single = true;
    f.title = true;
    f.disposal = 2;
    f.notation = 4;
    f.custom = utf8_to_sjis("＜＞");
    f.allotment = 2;
    store_download_form(f, &r);
    EXPECT_EQ(r.download_flags, 0xC1 | 2 | 4 | 2 << 3 | 0x20);
    EXPECT_EQ(r.ruby_notation, 4);
    EXPECT_EQ(std::string(read_field(r.ruby_custom_delimiters, 5)), utf8_to_sjis("＜＞"));
    EXPECT_EQ(r.ruby_allotment, 2);
    const DownloadForm back = download_form(r);
    EXPECT_TRUE(back.single && back.title && back.ruby);
    EXPECT_EQ(back.disposal, 2);
    // Ruby conversion off: the ruby fields stay as they were.
    f.ruby = false;
    f.notation = 1;
    f.allotment = 0;
    f.disposal = 3;
    store_download_form(f, &r);
    EXPECT_EQ(r.ruby_notation, 4);
    EXPECT_EQ(r.ruby_allotment, 2);
    EXPECT_EQ(r.download_flags & 0x1A, 3 << 3);
}

struct DownloadDialogTest : ::testing::Test {
    FakeMessages messages;
    FakeDialogHost host;
    SettingsState settings;
    std::vector<bool> entry_calls;
    bool entry_works = true;
    DownloadServices services;

    void SetUp() override {
        build_default_settings(&settings.rec);
        settings.rec.download_flags = 0;
        settings.changed = false;
        services.settings = &settings;
        services.set_entry = [this](bool on) {
            entry_calls.push_back(on);
            return entry_works;
        };
    }
    void TearDown() override {
        EXPECT_TRUE(host.missing.empty());
        EXPECT_EQ(host.left_open, 0);
        EXPECT_EQ(messages.unexpected, 0);
    }
};

TEST_F(DownloadDialogTest, TheEntryFollowsTheAnswerAndItsSuccess) {
    messages.answer(MSG_RESULT_NO);    // switched on, then no
    messages.answer(MSG_RESULT_YES);   // switched on, yes, but writing fails
    messages.answer(MSG_RESULT_YES);   // switched on, yes, written
    host.script([&](DialogSession& d) {
        d.press(DWL_ENTRY);
        EXPECT_FALSE(d.get_check(DWL_ENTRY));
        EXPECT_EQ(settings.rec.download_flags & 1, 0);
        entry_works = false;
        d.press(DWL_ENTRY);
        EXPECT_FALSE(d.get_check(DWL_ENTRY));
        EXPECT_TRUE(messages.saw("登録に失敗しました"));
        entry_works = true;
        d.press(DWL_ENTRY);
        EXPECT_TRUE(d.get_check(DWL_ENTRY));
        EXPECT_EQ(settings.rec.download_flags & 1, 1);   // stored at once
        EXPECT_TRUE(settings.changed);
        d.press(DWL_CLOSE);
    });
    run_download_dialog(services);
    EXPECT_EQ(entry_calls, (std::vector<bool>{true, true}));
    EXPECT_EQ(settings.rec.download_flags & 1, 1);   // 閉じる does not take it back

    settings.changed = false;
    messages.answer(MSG_RESULT_NO);
    host.script([&](DialogSession& d) {
        EXPECT_TRUE(d.get_check(DWL_ENTRY));
        d.press(DWL_ENTRY);   // off, no: stays on
        EXPECT_TRUE(d.get_check(DWL_ENTRY));
        d.press(DWL_CLOSE);
    });
    run_download_dialog(services);
    EXPECT_EQ(settings.rec.download_flags & 1, 1);
    EXPECT_FALSE(settings.changed);
}

TEST_F(DownloadDialogTest, RubyControlsFollowTheirCheckAndSetStores) {
    host.script([&](DialogSession& d) {
        EXPECT_FALSE(d.is_enabled(DWL_NOTATION_FIRST));
        EXPECT_FALSE(d.is_enabled(DWL_ALLOT_FIRST + 2));
        d.press(DWL_RUBY);
        EXPECT_TRUE(d.is_enabled(DWL_NOTATION_FIRST));
        d.press(DWL_NOTATION_FIRST);
        d.press(DWL_ALLOT_FIRST + 1);
        d.press(DWL_DISPOSAL_FIRST + 3);
        d.press(DWL_SINGLE);
        d.press(DWL_SET);
    });
    EXPECT_EQ(run_download_dialog(services), DIALOG_OK);
    EXPECT_EQ(settings.rec.download_flags, 2 | 4 | 3 << 3);
    EXPECT_EQ(settings.rec.ruby_notation, 1);
    EXPECT_EQ(settings.rec.ruby_allotment, 1);
    EXPECT_TRUE(settings.changed);
    EXPECT_TRUE(entry_calls.empty());
}

}  // namespace
}  // namespace rix

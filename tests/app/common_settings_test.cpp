// The common settings: the store function's corrections (ranges, fallbacks,
// the wheel clamp, flag dependencies, byte-limited texts), and ENV_COMMON
// through the fake dialog host: the dependent controls, the greyed buttons,
// 手動実行, the folder pickers, the extension association's three states, and
// ﾀﾞｳﾝﾛｰﾄﾞ機能 and ｼｮｰﾄｶｯﾄ 作成 opening their dialogs.
//
// Tests still owed: the IME state kept across the dialog.
#include "app/settings/common_settings_dialog.h"

#include <gtest/gtest.h>

#include "app/settings/default_settings.h"
#include "platform/codec.h"
#include "platform/fake_dialogs.h"
#include "platform/fake_messages.h"

namespace rix {
namespace {

std::string sj(const std::string& utf8) { return utf8_to_sjis(utf8); }

SettingsRecord stored(const CommonSettingsForm& f) {
    SettingsRecord r{};
    build_default_settings(&r);
    store_common_settings(f, &r);
    return r;
}

TEST(CommonSettingsStore, NumbersOutsideTheirRangeTakeTheFallback) {
    EXPECT_EQ(ranged_number("99", 1, 99, 1), 99);
    for (const char* bad : {"0", "100", "150", "-5", "", "abc", "99999999999999999999999"})
        EXPECT_EQ(ranged_number(bad, 1, 99, 1), 1) << bad;
    EXPECT_EQ(ranged_number(" 12x", 1, 99, 1), 12);   // "%ld" reads the leading number

    CommonSettingsForm f = common_settings_form(stored({}));
    f.autosave_generations = "0";
    f.autosave_chars = "10000";
    f.autosave_minutes = "-1";
    SettingsRecord r = stored(f);
    EXPECT_EQ(r.autosave_generations, 1);
    EXPECT_EQ(r.autosave_chars, 1);
    EXPECT_EQ(r.autosave_minutes, 1);
    f.autosave_generations = "150";
    f.autosave_chars = "9999";
    f.autosave_minutes = "70000";   // past 16 bits: never stored wrapped
    r = stored(f);
    EXPECT_EQ(r.autosave_generations, 1);
    EXPECT_EQ(r.autosave_chars, 9999);
    EXPECT_EQ(r.autosave_minutes, 1);
    f.autosave_generations = "99";
    EXPECT_EQ(stored(f).autosave_generations, 99);
}

TEST(CommonSettingsStore, WheelIsClampedAndUnreadableTextKeepsIt) {
    CommonSettingsForm f = common_settings_form(stored({}));
    const std::uint8_t before = stored(f).wheel_columns;
    f.wheel_columns = "300";
    EXPECT_EQ(stored(f).wheel_columns, 255);
    f.wheel_columns = "-4";
    EXPECT_EQ(stored(f).wheel_columns, 0);
    f.wheel_columns = "7";
    EXPECT_EQ(stored(f).wheel_columns, 7);
    f.wheel_columns = "x";
    EXPECT_EQ(stored(f).wheel_columns, before);
}

TEST(CommonSettingsStore, FlagsFollowTheirConditions) {
    CommonSettingsForm f = common_settings_form(stored({}));
    f.startup_action = 1;
    f.restore_position = true;
    EXPECT_EQ(stored(f).restore_flags, 1);
    f.startup_action = 2;   // another start-up action clears it
    EXPECT_EQ(stored(f).restore_flags, 0);
    f.by_chars = true;
    f.by_minutes = false;
    f.both_required = true;   // ticked, then 経過時間 unticked
    EXPECT_EQ(stored(f).autosave_flags, 1);
    f.by_minutes = true;
    EXPECT_EQ(stored(f).autosave_flags, 7);
    f.synonym_partial = true;
    EXPECT_EQ(stored(f).synonym_search, 0xFF);
    f.synonym_partial = false;
    EXPECT_EQ(stored(f).synonym_search, 0);
    f.hide_menubar = true;
    f.hide_taskbar = false;
    EXPECT_EQ(stored(f).bar_flags & 3, 2);
    f.list_line_spacing = 0;
    EXPECT_EQ(stored(f).list_line_spacing, 0);
}

TEST(CommonSettingsStore, TextsAreCutBetweenCharacters) {
    CommonSettingsForm f = common_settings_form(stored({}));
    // 17 full-width characters are 34 bytes: the 32-byte name keeps 16 whole ones.
    f.new_document_name = sj("あいうえおかきくけこさしすせそたち");
    f.key_folder = "/k";
    const SettingsRecord r = stored(f);
    EXPECT_EQ(read_field(r.new_document_name, 32), sj("あいうえおかきくけこさしすせそた"));
    EXPECT_EQ(read_field(r.key_folder, 64), "/k");
    // An odd start leaves 31 bytes: the half character is not kept.
    f.new_document_name = "x" + sj("あいうえおかきくけこさしすせそたち");
    EXPECT_EQ(read_field(stored(f).new_document_name, 32), "x" + sj("あいうえおかきくけこさしすせそ"));
}

TEST(CommonSettingsStore, AFormRoundTripsTheRecord) {
    SettingsRecord r{};
    build_default_settings(&r);
    SettingsRecord again = r;
    store_common_settings(common_settings_form(r), &again);
    EXPECT_EQ(common_settings_form(again).autosave_chars, common_settings_form(r).autosave_chars);
    EXPECT_EQ(again.wheel_columns, r.wheel_columns);
    EXPECT_EQ(again.startup_action, r.startup_action);
    EXPECT_EQ(read_field(again.document_folder, 128), read_field(r.document_folder, 128));
}

// An association store that remembers in memory.
struct MemoryAssociations final : AssociationStore {
    std::string registered;
    bool other = false;
    bool fail = false;
    std::string find() override { return registered; }
    bool taken_by_other(const std::string&) override { return other; }
    bool add(const std::string& e) override {
        if (fail) return false;
        registered = e;
        return true;
    }
    bool remove(const std::string&) override {
        registered.clear();
        return !fail;
    }
};

struct CommonSettingsDialogTest : ::testing::Test {
    FakeDialogHost host;
    FakeMessages messages;
    SettingsState settings;
    MemoryAssociations associations;
    CommonSettingsServices services;

    void SetUp() override {
        build_default_settings(&settings.rec);
        services.settings = &settings;
        services.associations = &associations;
    }
    void TearDown() override {
        EXPECT_TRUE(host.missing.empty());
        EXPECT_EQ(host.left_open, 0);
        EXPECT_EQ(messages.unexpected, 0);
    }
};

TEST_F(CommonSettingsDialogTest, DependentControlsAndGreyedButtons) {
    settings.rec.startup_action = 0;
    settings.rec.autosave_flags = 1;
    host.script([](DialogSession& d) {
        EXPECT_FALSE(d.is_enabled(COMMON_RESTORE));
        EXPECT_FALSE(d.is_enabled(COMMON_MANUAL_AUTOSAVE));   // no auto-save installed
        EXPECT_FALSE(d.is_enabled(COMMON_DOWNLOAD));
        EXPECT_FALSE(d.is_enabled(COMMON_SHORTCUT));
        EXPECT_FALSE(d.is_enabled(COMMON_DOCUMENT_BROWSE));   // no folder chooser
        EXPECT_TRUE(d.is_enabled(COMMON_CHARS));
        EXPECT_FALSE(d.is_enabled(COMMON_MINUTES));
        EXPECT_FALSE(d.is_enabled(COMMON_BOTH));
        d.press(COMMON_STARTUP_FIRST + 1);
        EXPECT_TRUE(d.is_enabled(COMMON_RESTORE));
        d.press(COMMON_RESTORE);
        d.press(COMMON_BY_MINUTES);
        EXPECT_TRUE(d.is_enabled(COMMON_BOTH));
        d.press(COMMON_BOTH);
        d.type_text(COMMON_GENERATIONS, "0");
        d.press(COMMON_SPACING_SMALL + 2);   // 大
        d.press(COMMON_HELP);
        d.press(DIALOG_OK);
    });
    EXPECT_EQ(run_common_settings_dialog(services), DIALOG_OK);
    EXPECT_TRUE(settings.changed);
    EXPECT_EQ(settings.rec.startup_action, 1);
    EXPECT_EQ(settings.rec.restore_flags, 1);
    EXPECT_EQ(settings.rec.autosave_flags, 7);
    EXPECT_EQ(settings.rec.autosave_generations, 1);
    EXPECT_EQ(settings.rec.list_line_spacing, 0);
    EXPECT_EQ(messages.help_topics, std::vector<std::string>{"ENV_COM"});
}

TEST_F(CommonSettingsDialogTest, CancelStoresNothingAndManualAutoSaveRunsTheHook) {
    int runs = 0;
    services.manual_autosave = [&runs] { ++runs; };
    const SettingsRecord before = settings.rec;
    host.script([](DialogSession& d) {
        EXPECT_TRUE(d.is_enabled(COMMON_MANUAL_AUTOSAVE));
        d.press(COMMON_MANUAL_AUTOSAVE);
        d.type_text(COMMON_WHEEL, "9");
        d.press(DIALOG_CANCEL);
    });
    EXPECT_EQ(run_common_settings_dialog(services), DIALOG_CANCEL);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(settings.rec.wheel_columns, before.wheel_columns);
    EXPECT_FALSE(settings.changed);
}

TEST_F(CommonSettingsDialogTest, FolderPickersRefuseWhatTheSettingsCannotHold) {
    std::vector<std::string> answers{"/home/w/原稿", "/home/w/\xF0\x9F\x98\x80", "/" + std::string(130, 'a')};
    std::size_t next = 0;
    services.choose_folder = [&](std::string* folder) {
        *folder = answers[next++];
        return true;
    };
    host.script([&](DialogSession& d) {
        d.press(COMMON_DOCUMENT_BROWSE);
        EXPECT_EQ(d.get_text(COMMON_DOCUMENT_FOLDER), sj("/home/w/原稿"));
        d.press(COMMON_KEY_BROWSE);   // an emoji: refused
        d.press(COMMON_DOCUMENT_BROWSE);   // too long: refused
        EXPECT_EQ(d.get_text(COMMON_DOCUMENT_FOLDER), sj("/home/w/原稿"));
        d.press(DIALOG_OK);
    });
    run_common_settings_dialog(services);
    EXPECT_EQ(read_field(settings.rec.document_folder, 128), sj("/home/w/原稿"));
    ASSERT_EQ(messages.log.size(), 2u);
    EXPECT_TRUE(messages.saw("保存出来ない文字"));
    EXPECT_TRUE(messages.saw("長過ぎます"));
}

TEST_F(CommonSettingsDialogTest, AssociationIsLookedUpRegisteredAndDeleted) {
    associations.other = true;
    messages.answer(MSG_RESULT_YES);   // overwrite the other program's
    messages.answer(MSG_RESULT_YES);   // delete
    host.script([](DialogSession& d) {
        d.press(COMMON_ASSOCIATE);
        EXPECT_EQ(d.get_text(COMMON_ASSOCIATE), sj("登録"));
        d.press(COMMON_ASSOCIATE);   // nothing typed
        d.type_text(COMMON_EXTENSION, "txt");
        d.press(COMMON_ASSOCIATE);
        EXPECT_EQ(d.get_text(COMMON_EXTENSION), ".txt");
        EXPECT_EQ(d.get_text(COMMON_ASSOCIATE), sj("削除"));
        d.press(COMMON_ASSOCIATE);
        EXPECT_EQ(d.get_text(COMMON_EXTENSION), "");
        EXPECT_EQ(d.get_text(COMMON_ASSOCIATE), sj("登録"));
        d.press(DIALOG_CANCEL);
    });
    run_common_settings_dialog(services);
    EXPECT_EQ(associations.registered, "");
    ASSERT_EQ(messages.log.size(), 6u);
    EXPECT_EQ(messages.utf8(0), "関連付けの拡張子は登録されていません。\n拡張子名を入力してから「登録」ボタンを\nクリックすれば登録出来ます。");
    EXPECT_EQ(messages.utf8(1), "拡張子名を入力してください｡");
    EXPECT_EQ(messages.log[2].kind, MSG_YES_NO);
    EXPECT_EQ(messages.utf8(3), "関連付けの拡張子を登録しました｡");
    EXPECT_EQ(messages.utf8(4), "関連付けの拡張子 .txt を削除しますか？");
    EXPECT_EQ(messages.utf8(5), "関連付けの拡張子を削除しました｡");
}

TEST_F(CommonSettingsDialogTest, FoundAssociationOffersDeletionAndFailuresAreReported) {
    associations.registered = ".rix";
    host.script([this](DialogSession& d) {
        d.press(COMMON_ASSOCIATE);
        EXPECT_EQ(d.get_text(COMMON_EXTENSION), ".rix");
        EXPECT_EQ(d.get_text(COMMON_ASSOCIATE), sj("削除"));
        associations.fail = true;
        d.press(COMMON_ASSOCIATE);
        EXPECT_EQ(d.get_text(COMMON_ASSOCIATE), sj("削除"));   // still offered
        d.press(DIALOG_CANCEL);
    });
    messages.answer(MSG_RESULT_YES);
    run_common_settings_dialog(services);
    EXPECT_TRUE(messages.saw("関連付けの拡張子 .rix が登録されています。"));
    EXPECT_TRUE(messages.saw("レジストリの書換えに失敗しました｡"));
}

TEST_F(CommonSettingsDialogTest, DownloadAndShortcutButtonsOpenTheirDialogs) {
    int downloads = 0, shortcuts = 0;
    services.download_settings = [&] { ++downloads; };
    services.make_shortcut = [&] { ++shortcuts; };
    host.script([&](DialogSession& d) {
        EXPECT_TRUE(d.is_enabled(COMMON_DOWNLOAD));
        EXPECT_TRUE(d.is_enabled(COMMON_SHORTCUT));
        d.press(COMMON_DOWNLOAD);
        d.press(COMMON_SHORTCUT);
        d.press(COMMON_SHORTCUT);
        EXPECT_FALSE(d.ended());   // the common settings stay open under them
        d.press_escape();
    });
    run_common_settings_dialog(services);
    EXPECT_EQ(downloads, 1);
    EXPECT_EQ(shortcuts, 2);
}

}  // namespace
}  // namespace rix

// The database browser's dialogs through the fake host: DB_DTIN's forms and
// its refusal, DB_EVSET's choices stored only by 設 定, DB_FIND's search on
// character boundaries, replace and replace all; the settings record's
// fields of the browser, there and back.
// Owed: the font buttons of DB_EVSET with a fake font chooser.
#include "app/database/db_dialogs.h"

#include <gtest/gtest.h>

#include "platform/codec.h"
#include "platform/fake_dialogs.h"
#include "platform/fake_messages.h"

namespace rix {
namespace {

std::string sj(const char* utf8) { return utf8_to_sjis(utf8); }

// A box that holds text and a selection.
class HeldBox final : public TextBox {
public:
    void set_text(std::string_view t) override { text_ = std::string(t), anchor = caret = 0; }
    std::string text() const override { return text_; }
    void set_format(const TextBoxFormat& f) override { format_ = f; }
    const TextBoxFormat& format() const override { return format_; }
    void set_byte_limit(std::size_t) override {}
    void set_read_only(bool) override {}
    bool read_only() const override { return false; }
    void set_events(TextBoxEvents) override {}
    void select_all() override {}
    bool cut() override { return false; }
    bool copy() override { return false; }
    bool paste() override { return false; }
    bool undo() override { return false; }
    bool redo() override { return false; }
    bool can_undo() const override { return false; }
    bool can_redo() const override { return false; }
    bool has_selection() const override { return anchor != caret; }
    std::size_t caret_offset() const override { return caret; }
    void select(std::size_t a, std::size_t c) override { anchor = a, caret = c; }
    void take_focus() override {}
    void paint(Surface&, const SurfaceRect&) override {}
    std::size_t anchor = 0, caret = 0;

private:
    std::string text_;
    TextBoxFormat format_;
};

std::tm may_3rd() {
    std::tm t{};
    t.tm_year = 2024 - 1900;
    t.tm_mon = 4;
    t.tm_mday = 3;
    t.tm_hour = 14;
    t.tm_min = 7;
    return t;
}

TEST(DbDateTimeDialog, FormsRefusalAndTheChoiceKept) {
    FakeDialogHost host;
    FakeMessages messages;
    DateTimeChoice choice;
    std::string text;
    host.script([](DialogSession& d) {
        EXPECT_TRUE(d.get_check(901));   // mm-dd and hh:mm at first
        EXPECT_TRUE(d.get_check(911));
        d.press(905);
        d.press(913);
        d.press(1);                      // both none: refused, the dialog stays
        EXPECT_FALSE(d.ended());
        d.press(904);
        d.press(1);
    });
    ASSERT_TRUE(run_date_time_dialog(&choice, may_3rd(), &text, 0));
    EXPECT_TRUE(messages.saw("日付か時刻のどちらかを選んでください。"));
    EXPECT_EQ(text, sj("2024年5月3日"));
    host.script([](DialogSession& d) {
        EXPECT_TRUE(d.get_check(904));   // remembered
        d.press(902);
        d.press(911);
        d.press(1);
    });
    ASSERT_TRUE(run_date_time_dialog(&choice, may_3rd(), &text, 0));
    EXPECT_EQ(text, "2024-05-03 14:07");
    host.script([](DialogSession& d) { d.press(2); });
    EXPECT_FALSE(run_date_time_dialog(&choice, may_3rd(), &text, 0));
    EXPECT_TRUE(host.missing.empty());
}

TEST(DbSettingsDialog, StoresOnlyOnSetting) {
    FakeDialogHost host;
    FakeMessages messages;
    DbBrowserSettings s;
    s.content_spacing = 2;
    s.list_spacing = 1;
    host.script([](DialogSession& d) {
        EXPECT_TRUE(d.get_check(10));
        EXPECT_TRUE(d.get_check(21));
        EXPECT_TRUE(d.get_check(32));
        EXPECT_FALSE(d.is_enabled(40));   // no font chooser given
        d.press(11);
        d.press(2);
    });
    EXPECT_FALSE(run_db_settings_dialog(&s, {}, 0));
    EXPECT_FALSE(s.horizontal);
    host.script([](DialogSession& d) {
        d.press(11);
        d.press(22);
        d.press(34);
        d.type_text(8050, "/home/writer/notes");
        d.press(1);
    });
    EXPECT_TRUE(run_db_settings_dialog(&s, {}, 0));
    EXPECT_TRUE(s.horizontal);
    EXPECT_EQ(s.list_spacing, 2);
    EXPECT_EQ(s.content_spacing, 4);
    EXPECT_EQ(s.document_folder, "/home/writer/notes");
    EXPECT_TRUE(host.missing.empty());
}

TEST(DbFindDialog, FindReplaceAndReplaceAll) {
    FakeDialogHost host;
    FakeMessages messages;
    HeldBox box;
    box.set_text(sj("アa-a-A"));   // ア's trail byte is an 'A'
    host.script([&box](DialogSession& d) {
        EXPECT_FALSE(d.is_visible(11));   // the find form has no replace box
        d.type_text(10, "a");
        d.press(30);
        EXPECT_EQ(box.anchor, 2u);
        d.press(30);
        EXPECT_EQ(box.anchor, 4u);
        d.press(30);
        EXPECT_EQ(box.anchor, 6u);
        d.press(30);                      // no more
        d.press(2);
    });
    EXPECT_FALSE(run_content_find_dialog(box, false, 0));
    EXPECT_TRUE(messages.saw("検索語が見付かりません。"));

    host.script([&box](DialogSession& d) {
        d.type_text(10, "a");
        d.type_text(11, "aa");
        d.press(32);                      // every one, once
        d.press(2);
    });
    EXPECT_TRUE(run_content_find_dialog(box, true, 0));
    EXPECT_EQ(box.text(), sj("アaa-aa-aa"));
    EXPECT_TRUE(messages.saw(" 3 個置換しました。"));

    host.script([&box](DialogSession& d) {
        d.type_text(10, "aa");
        d.type_text(11, "b");
        d.press(31);                      // finds the first
        d.press(31);                      // replaces it, finds the next
        d.press(2);
    });
    EXPECT_TRUE(run_content_find_dialog(box, true, 0));
    EXPECT_EQ(box.text(), sj("アb-aa-aa"));
    EXPECT_TRUE(host.missing.empty());
}

TEST(DbPageSetupDialog, MarginsInMillimetresWithinRange) {
    FakeDialogHost host;
    FakeMessages messages;
    DbPrintSettings s;
    host.script([](DialogSession& d) {
        EXPECT_EQ(d.get_text(10), "10");
        d.type_text(10, "25");
        d.type_text(13, "101");
        d.press(1);                       // refused: the dialog stays
        EXPECT_FALSE(d.ended());
        d.type_text(13, "0");
        d.press(1);
    });
    ASSERT_TRUE(run_db_page_setup_dialog(&s, 0));
    EXPECT_TRUE(messages.saw("余白は 0 から 100"));
    EXPECT_EQ(s.margin_left, 2500);
    EXPECT_EQ(s.margin_top, 1000);
    EXPECT_EQ(s.margin_bottom, 0);
    EXPECT_EQ(hundredths_mm_to_twips(s.margin_left), 1417);
    EXPECT_TRUE(host.missing.empty());
}

TEST(DbSettingsRecord, BrowserFieldsThereAndBack) {
    SettingsRecord rec{};
    DbBrowserSettings s;
    s.horizontal = true;
    s.content_spacing = 9;   // clamped
    s.last_table = 3;
    s.last_record = 40000;
    s.rect = {10, 20, 640, 480};
    s.last_file = "/data/" + std::string(200, 'x') + ".ksl";   // too long for the field: not kept
    s.screen_font.height = -18;
    s.screen_font.face = sj("IPAex明朝");
    store_database_settings(s, &rec);
    EXPECT_EQ(rec.db_flags & 1, 1);
    EXPECT_EQ(rec.db_content_spacing, 4);
    EXPECT_EQ(rec.db_last_record, 32767);
    EXPECT_EQ(rec.db_window_rect[2], 640);
    const DbBrowserSettings back = database_settings_of(rec);
    EXPECT_TRUE(back.horizontal);
    EXPECT_EQ(back.last_table, 3);
    EXPECT_EQ(back.last_file, "");
    EXPECT_EQ(back.screen_font.height, -18);
    EXPECT_EQ(back.screen_font.face, sj("IPAex明朝"));
    s.last_file = "/data/notes.ksl";
    store_database_settings(s, &rec);
    EXPECT_EQ(database_settings_of(rec).last_file, "/data/notes.ksl");
}

}  // namespace
}  // namespace rix

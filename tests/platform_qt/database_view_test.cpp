// The database browser's window on real widgets (offscreen): the record
// list's columns, their order after a drag and their widths, the lists set
// without events, the content box's keys in vertical writing and its edits
// reported.
// Owed: the content menu (QMenu::exec runs its own loop) and a file drop.
#include "platform/qt/qt_database_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTableWidget>

#include "database/browser.h"
#include "platform/codec.h"
#include "platform/fake_messages.h"
#include "platform/qt/qt_text_box.h"
#include "tests/support/temp_folder.h"

namespace rix {
namespace {

std::string sj(std::string_view utf8) { return utf8_to_sjis(utf8); }

// The browser's prompts on the (fake) message box, as the program shows them.
class BoxPrompts final : public BrowserPrompts {
public:
    void tell(const Notices& notices) override {
        for (const Notice& n : notices.items) show_message(MSG_NOTICE, n.owner, sj(n.utf8), n.time_ms);
    }
    bool yes_no(std::string_view utf8, std::uintptr_t owner) override {
        return show_message(MSG_YES_NO, owner, sj(utf8), 0) == MSG_RESULT_YES;
    }
    void help(std::string_view topic) override { messages().show_help(topic); }
};

QWidget* top_of(DatabaseView& v) { return reinterpret_cast<QWidget*>(v.window()); }

void press(QWidget* w, int key) {
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(w, &down);
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(w, &up);
}

TEST(QtDatabaseView, ColumnsOrderWidthsAndQuietSetting) {
    auto view = create_qt_database_view();
    int events = 0;
    DatabaseEvents e;
    e.table_clicked = [&](int) { ++events; };
    e.record_clicked = [&](int, int) { ++events; };
    e.content_edited = [&] { ++events; };
    view->set_events(e);
    view->show({}, 0);
    view->set_tables({sj("  1 登場人物"), sj("  2 年表")}, 1);
    view->set_record_columns({sj("名前"), sj("読み"), sj("メモ")}, {80, 90, 200}, 1);
    view->set_records({{"1", sj("佐伯"), "saeki", sj("一行目\r\n二行目")}, {"2", "b", "", ""}});
    view->select_record(1);
    EXPECT_EQ(view->selected_record(), 1);
    EXPECT_EQ(view->column_widths(), (std::vector<int>{80, 90, 200}));
    EXPECT_EQ(view->column_order(), (std::vector<int>{0, 1, 2}));
    auto* table = top_of(*view)->findChild<QTableWidget*>();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->item(0, 3)->text(), QString::fromUtf8("一行目..."));
    table->horizontalHeader()->moveSection(3, 1);    // the writer drags メモ to the front
    EXPECT_EQ(view->column_order(), (std::vector<int>{2, 0, 1}));
    // Another table: every column back in its place.
    view->set_record_columns({"a", "b"}, {50, 60}, 0);
    EXPECT_EQ(view->column_order(), (std::vector<int>{0, 1}));
    EXPECT_EQ(view->column_widths(), (std::vector<int>{50, 60}));
    EXPECT_EQ(events, 0);
    view->close();
}

TEST(QtDatabaseView, ContentBoxTurnsArrowsInVerticalWritingAndReportsEdits) {
    auto view = create_qt_database_view();
    int edits = 0;
    DatabaseEvents e;
    e.content_edited = [&] { ++edits; };
    view->set_events(e);
    view->show({100, 100, 700, 900}, 100);
    QApplication::processEvents();
    TextBoxFormat f;
    f.face = sj("IPAex明朝");
    f.pixel_height = 16;
    f.vertical = true;
    view->content().set_format(f);
    auto* box = dynamic_cast<QtTextBox*>(&view->content());
    ASSERT_NE(box, nullptr);
    box->setMinimumSize(300, 300);
    QApplication::processEvents();
    view->content().set_text(sj("あいう\r\nかきく"));
    EXPECT_EQ(edits, 0);
    QWidget* in = box->input_widget();
    press(in, Qt::Key_Down);    // the next character down the column
    EXPECT_EQ(view->content().caret_offset(), 2u);
    press(in, Qt::Key_Left);    // the next column, to the left
    EXPECT_EQ(view->content().caret_offset(), 10u);
    press(in, Qt::Key_Up);
    EXPECT_EQ(view->content().caret_offset(), 8u);
    press(in, Qt::Key_Right);   // back to the first column
    EXPECT_EQ(view->content().caret_offset(), 0u);
    QKeyEvent typed(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, "x");
    QApplication::sendEvent(in, &typed);
    EXPECT_EQ(edits, 1);
    EXPECT_EQ(view->content().text().substr(0, 1), "x");
    view->close();
}

// A picture of the window with the sample's kind of content
// (database_window.png in the test's working folder) to look at.
TEST(QtDatabaseView, PictureOfTheWindow) {
    auto view = create_qt_database_view();
    view->show({0, 0, 760, 640}, 230);
    view->set_caption(sj("　文書データベース　サンプル１.ksl"));
    view->set_tables({sj("  1 取材メモ"), sj("  2 登場人物"), sj("  3 年表")}, 1);
    view->set_fields(sj("「登場人物」項目"), {sj(" 1 名前"), sj(" 2 読み"), sj(" 3 役割"), sj(" 4 人物像")}, 3);
    view->set_record_columns({sj("名前"), sj("読み"), sj("役割"), sj("人物像")}, {90, 110, 90, 300}, 3);
    view->set_records({{"1", sj("佐伯　透"), sj("さえき　とおる"), sj("主人公"), sj("三十二歳。港町の古書店を継いだ元新聞記者。\r\n")},
                       {"2", sj("水野　葉子"), sj("みずの　ようこ"), sj("相手役"), sj("二十八歳。図書館の司書。")}});
    view->select_record(0);
    view->set_record_count_text(sj("テーブル 2 Rec."));
    TextBoxFormat f;
    f.face = sj("IPAex明朝");
    f.pixel_height = 16;
    f.vertical = true;
    view->content().set_format(f);
    view->content().set_text(sj("三十二歳。港町の古書店を継いだ元新聞記者。\r\n口数は少ないが、人の話を最後まで聞く。"));
    view->set_content_title(sj("サイズ：39 文字"));
    QApplication::processEvents();
    EXPECT_TRUE(top_of(*view)->grab().save("database_window.png"));
    view->close();
}

// The browser's logic on the real window: the sample made and shown, its
// records in the grid, a record clicked, the window closed (browser.png).
TEST(QtDatabaseView, BrowserOnTheRealWindow) {
    test::TempFolder dir;
    FakeMessages messages;
    auto view = create_qt_database_view();
    DbBrowserSettings settings;
    settings.rect = {0, 0, 760, 640};
    DbBrowserServices services;
    services.start_folder = dir.path();
    BoxPrompts prompts;
    DatabaseBrowser browser(*view, settings, services, prompts);
    browser.open();
    QApplication::processEvents();
    auto* table = top_of(*view)->findChild<QTableWidget*>();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->rowCount(), 3);      // 取材メモ's three records
    EXPECT_EQ(table->columnCount(), 4);   // the ROWID and three fields
    EXPECT_EQ(table->item(0, 1)->text(), QString::fromUtf8("古書店の一日"));
    EXPECT_EQ(view->content().text(), sj("古書店の一日"));
    browser.table_clicked(1);
    browser.record_clicked(0, 4);
    QApplication::processEvents();
    EXPECT_EQ(table->rowCount(), 4);
    EXPECT_EQ(view->content().text().substr(0, 8), sj("三十二歳"));
    EXPECT_TRUE(top_of(*view)->grab().save("database_browser.png"));
    EXPECT_TRUE(browser.close());
    EXPECT_FALSE(top_of(*view)->isVisible());
    EXPECT_EQ(messages.unexpected, 0);
}

}  // namespace
}  // namespace rix

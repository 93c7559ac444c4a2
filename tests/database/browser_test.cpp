// The database browser over a fake window, real SQLite files and prompts
// answered from a script.
// Owed: DB選択 onto a file that is no database while another is open.
#include "database/browser.h"

#include <gtest/gtest.h>

#include <deque>

#include "platform/codec.h"
#include "platform/fake_messages.h"
#include "tests/support/temp_folder.h"

namespace rix {
namespace {

using test::TempFolder;

std::string sj(const char* utf8) { return utf8_to_sjis(utf8); }

constexpr WindowRef BROWSER_WINDOW = 77;

// What the browser tells and asks, in order (UTF-8), each with its owner;
// questions answered from a script, a question with no answer counted in
// `unexpected` and answered no.
class ScriptedPrompts final : public BrowserPrompts {
public:
    void tell(const Notices& notices) override {
        for (const Notice& n : notices.items) {
            log.push_back(n.utf8);
            owners.push_back(n.owner);
        }
    }
    bool yes_no(std::string_view utf8, std::uintptr_t owner) override {
        log.emplace_back(utf8);
        owners.push_back(owner);
        if (script.empty()) {
            ++unexpected;
            return false;
        }
        const bool yes = script.front();
        script.pop_front();
        return yes;
    }
    void help(std::string_view topic) override { help_topics.emplace_back(topic); }

    void answer(bool yes) { script.push_back(yes); }
    bool saw(std::string_view needle) const {
        for (const std::string& m : log)
            if (m.find(needle) != std::string::npos) return true;
        return false;
    }

    std::vector<std::string> log;
    std::vector<WindowRef> owners;
    std::vector<std::string> help_topics;
    std::deque<bool> script;
    int unexpected = 0;
};

class FakeBox final : public TextBox {
public:
    void set_text(std::string_view t) override { text_ = std::string(t); }
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
    bool has_selection() const override { return false; }
    std::size_t caret_offset() const override { return 0; }
    void select(std::size_t, std::size_t) override {}
    void take_focus() override {}
    void paint(Surface&, const SurfaceRect&) override {}

private:
    std::string text_;
    TextBoxFormat format_;
};

class FakeView final : public DatabaseView {
public:
    void set_events(DatabaseEvents e) override { events = std::move(e); }
    void show(const DatabaseWindowRect&, int) override { shown = true; }
    void raise() override {}
    void close() override { shown = false; }
    DatabaseWindowRect rect() const override { return {10, 20, 640, 480}; }
    int list_bottom() const override { return 200; }
    WindowRef window() const override { return BROWSER_WINDOW; }
    void set_caption(std::string_view c) override { caption = std::string(c); }
    void set_tables(const std::vector<std::string>& items, int selected) override {
        tables = items;
        table = selected;
    }
    void set_fields(std::string_view t, const std::vector<std::string>& items, int selected) override {
        field_title = std::string(t);
        fields = items;
        field = selected;
    }
    void select_field(int index) override { field = index; }
    void set_record_columns(const std::vector<std::string>& titles, const std::vector<int>& w, int) override {
        columns = titles;
        widths = w;
        order.clear();
        for (std::size_t i = 0; i < titles.size(); ++i) order.push_back(static_cast<int>(i));
    }
    void set_records(const std::vector<std::vector<std::string>>& r) override {
        rows = r;
        record = -1;
    }
    void highlight_column(int) override {}
    void select_record(int row) override { record = row; }
    int selected_record() const override { return record; }
    std::vector<int> column_widths() const override { return widths; }
    std::vector<int> column_order() const override { return order; }
    void set_row_height(int px) override { row_height = px; }
    void set_record_count_text(std::string_view t) override { count_text = std::string(t); }
    TextBox& content() override { return box; }
    void set_content_title(std::string_view t) override { content_title = std::string(t); }
    void set_content_menu(const std::vector<MenuItem>& items) override { menu = items; }
    int operation() const override { return op; }
    void set_operation_label(std::string_view t) override { op_label = std::string(t); }
    std::string value_text() const override { return value; }
    void set_value_text(std::string_view t) override { value = std::string(t); }
    void set_filter_text(std::string_view t) override { filter_text = std::string(t); }
    bool choose_file(const std::string&, std::string_view caption, std::string_view, bool writing, bool,
                     std::string* path) override {
        captions.emplace_back(caption);
        if (chosen.empty()) return false;
        *path = chosen.front();
        chosen.erase(chosen.begin());
        (void)writing;
        return true;
    }

    // The writer types into the content box.
    void type(const std::string& text) {
        box.set_text(text);
        events.content_edited();
    }

    DatabaseEvents events;
    FakeBox box;
    bool shown = false;
    std::string caption, field_title, count_text, content_title, op_label, value, filter_text;
    std::vector<std::string> tables, fields, columns;
    std::vector<int> widths, order;
    std::vector<std::vector<std::string>> rows;
    std::vector<MenuItem> menu;
    std::vector<std::string> chosen, captions;   // answers of the file dialog, and what it was asked
    int table = -1, field = -1, record = -1, row_height = 0, op = 0;
};

struct Browser {
    TempFolder dir;
    FakeMessages messages;   // the browser never reaches the message box
    ScriptedPrompts prompts;
    FakeView view;
    DbBrowserSettings settings;
    DbBrowserServices services;
    std::unique_ptr<DatabaseBrowser> browser;
    int closed = 0;

    // Opens the browser on a database made by `make` (none: the sample).
    explicit Browser(const std::function<void(DocumentDb&)>& make = {}) {
        services.start_folder = dir.path();
        services.closed = [this] { ++closed; };
        if (make) {
            settings.last_file = dir.file("w.ksl");
            DocumentDb db;
            EXPECT_EQ(db.open(settings.last_file), DbOpenResult::OPENED_NEW);
            make(db);
            EXPECT_TRUE(db.close());
        }
    }
    DatabaseBrowser& open() {
        browser = std::make_unique<DatabaseBrowser>(view, settings, services, prompts);
        browser->open();
        return *browser;
    }
};

void people(DocumentDb& db) {
    ASSERT_TRUE(db.create_table("people", {"name", "note"}));
    ASSERT_TRUE(db.create_table("places", {"where"}));
    ASSERT_TRUE(db.add_record("people", "name", "Ann"));
    ASSERT_TRUE(db.add_record("people", "name", "Bob"));
    ASSERT_TRUE(db.change_record("people", "note", 2, "likes 'tea'"));
}

TEST(DatabaseBrowserOpen, FirstUseMakesTheSampleAndShowsItsFirstRecord) {
    Browser t;
    DatabaseBrowser& b = t.open();
    EXPECT_TRUE(file_exists(t.dir.file("サンプル１.ksl")));
    EXPECT_TRUE(t.prompts.saw("サンプル"));
    ASSERT_EQ(t.view.tables.size(), 3u);
    EXPECT_EQ(t.view.tables[0], sj("  1 取材メモ"));
    EXPECT_EQ(t.view.fields[0], sj(" 1 題目"));
    EXPECT_EQ(t.view.field_title, sj("「取材メモ」項目"));
    EXPECT_EQ(t.view.record, 0);
    EXPECT_EQ(t.view.box.text(), sj("古書店の一日"));
    EXPECT_EQ(t.view.columns.size(), 3u);
    EXPECT_EQ(t.view.rows[0][0], "1");
    EXPECT_EQ(t.view.count_text, sj("テーブル 3 Rec."));
    EXPECT_EQ(t.view.menu.size(), 19u);    // 14 items and 5 separators
    EXPECT_FALSE(b.modified());
    EXPECT_EQ(t.settings.last_file, t.dir.file("サンプル１.ksl"));
    b.button(DBV_HELP);
    EXPECT_EQ(t.prompts.help_topics, (std::vector<std::string>{"DB"}));
    EXPECT_TRUE(t.messages.log.empty() && t.messages.help_topics.empty());
}

TEST(DatabaseBrowserOpen, NotADatabaseIsReportedAndLeavesNothingOpen) {
    Browser t;
    t.settings.last_file = t.dir.write("junk.ksl", "not a database at all, only text\n" + std::string(600, 'z'));
    DatabaseBrowser& b = t.open();
    EXPECT_TRUE(t.prompts.saw("ファイルのオープンに失敗しました。"));
    EXPECT_FALSE(b.db().is_open());
    EXPECT_TRUE(t.view.tables.empty());
    b.button(DBV_ADD);   // nothing to add to: nothing happens
    EXPECT_TRUE(b.close());
}

TEST(DatabaseBrowserOpen, StoredSelectionIsClampedToTheLists) {
    Browser t(people);
    t.settings.last_table = 9;
    t.settings.last_field = 9;
    t.settings.last_record = 99;
    DatabaseBrowser& b = t.open();
    EXPECT_EQ(b.current_table(), 1);   // places
    EXPECT_EQ(b.current_field(), 0);
    EXPECT_EQ(t.view.record, -1);      // no records there
}

TEST(DatabaseBrowserModified, AskBeforeSwitchingAndRestoreOnNo) {
    Browser t(people);
    DatabaseBrowser& b = t.open();
    ASSERT_EQ(b.current_table(), 0);
    t.view.type("Anne");
    EXPECT_TRUE(b.modified());
    EXPECT_EQ(t.view.content_title, sj("サイズ：4 文字　変更"));
    t.prompts.answer(false);
    t.view.events.table_clicked(1);
    EXPECT_TRUE(t.prompts.saw("切換えると"));
    EXPECT_EQ(b.current_table(), 0);
    EXPECT_EQ(t.view.table, 0);        // the list shows the old table again
    EXPECT_EQ(t.view.box.text(), "Anne");
    // The same count after another edit still marks it.
    t.view.type("Anna");
    EXPECT_TRUE(b.modified());
    t.prompts.answer(true);
    t.view.events.record_clicked(1, 2);
    EXPECT_EQ(b.current_rowid(), 2);
    EXPECT_EQ(b.current_field(), 1);
    EXPECT_EQ(t.view.box.text(), "likes 'tea'");
    EXPECT_FALSE(b.modified());
    EXPECT_EQ(t.prompts.unexpected, 0);
    ASSERT_EQ(t.prompts.log.size(), 2u);
    EXPECT_EQ(t.prompts.log[1], "文書が変更されています。\r\n\r\n入力か追加を行なわず切換えると\r\n変更した文書が失われます。"
                                "\r\n\r\nこのまま文書を切換えますか？");
    EXPECT_EQ(t.prompts.owners, (std::vector<WindowRef>{BROWSER_WINDOW, BROWSER_WINDOW}));
    EXPECT_TRUE(t.messages.log.empty());
}

TEST(DatabaseBrowserModified, ClosingAsksAndNoKeepsTheWindow) {
    Browser t(people);
    DatabaseBrowser& b = t.open();
    t.view.type("draft");
    t.prompts.answer(false);
    EXPECT_FALSE(b.close());
    EXPECT_TRUE(t.prompts.saw("終了すると"));
    EXPECT_TRUE(b.is_open());
    t.prompts.answer(true);
    EXPECT_TRUE(b.close());
    EXPECT_EQ(t.closed, 1);
    EXPECT_EQ(t.settings.rect.w, 640);
}

TEST(DatabaseBrowserRecords, AddInputFilterDelete) {
    Browser t(people);
    DatabaseBrowser& b = t.open();
    t.view.type("");
    b.button(DBV_ADD);
    EXPECT_TRUE(t.prompts.saw("入力値が必要です"));
    t.view.type("Cy's");
    b.button(DBV_ADD);
    ASSERT_EQ(b.records().size(), 3u);
    EXPECT_EQ(b.records()[2].values, (std::vector<std::string>{"Cy's", ""}));   // only the current field
    EXPECT_EQ(t.view.record, 2);
    EXPECT_FALSE(b.modified());
    t.view.type("Cyrus");
    b.button(DBV_INPUT);
    EXPECT_EQ(b.records()[2].values[0], "Cyrus");
    EXPECT_EQ(t.view.record, 2);

    t.view.type("Bob");
    b.button(DBV_FILTER);
    EXPECT_EQ(t.view.filter_text, sj("解 除"));
    ASSERT_EQ(b.records().size(), 1u);
    EXPECT_EQ(t.view.content_title, sj("1 レコード"));
    b.button(DBV_FILTER);
    EXPECT_EQ(b.records().size(), 3u);

    b.button(DBV_INPUT);
    EXPECT_TRUE(t.prompts.saw("レコードを選択してください"));
    t.prompts.answer(true);   // the edited content may go
    t.view.events.record_clicked(0, 0);
    EXPECT_TRUE(t.prompts.saw("連番項目は選択出来ません"));
    t.prompts.answer(true);
    b.button(DBV_DELETE);
    EXPECT_TRUE(t.prompts.saw("レコード 1 を削除しますか？"));
    EXPECT_EQ(b.records().size(), 2u);
    EXPECT_TRUE(b.db().vacuum_needed());
    EXPECT_EQ(t.prompts.unexpected, 0);
}

TEST(DatabaseBrowserTables, CreateRenameCopyDropAndFields) {
    Browser t(people);
    DatabaseBrowser& b = t.open();
    t.view.events.button(400);
    EXPECT_EQ(t.view.op_label, sj("テーブル名と項目名を入力"));
    t.view.op = 400;
    t.view.value = sj("表題\r\n\r\nァ名\r\n");
    b.button(DBV_EXECUTE);
    EXPECT_TRUE(t.prompts.saw("項目名の中に空白は使えません"));
    t.view.value = sj("表題\r\n\r\n名前\r\n\r\n");
    t.prompts.answer(true);
    b.button(DBV_EXECUTE);
    ASSERT_EQ(b.tables().size(), 3u);
    EXPECT_EQ(b.tables()[b.current_table()], sj("表題"));
    EXPECT_EQ(b.fields(), std::vector<std::string>{sj("名前")});

    t.view.op = 401;
    t.view.value = "order";
    t.prompts.answer(true);
    b.button(DBV_EXECUTE);
    EXPECT_EQ(b.tables()[b.current_table()], "order");

    t.view.op = 403;
    t.view.value = "x'; DROP TABLE 'people";
    t.prompts.answer(true);
    b.button(DBV_EXECUTE);
    EXPECT_EQ(b.tables().size(), 4u);
    t.prompts.answer(true);
    b.button(DBV_EXECUTE);   // the same copy again fails and says so
    EXPECT_TRUE(t.prompts.saw("テーブルコピーに失敗しました。"));

    t.view.op = 404;
    t.view.value = "a\r\nb";
    b.button(DBV_EXECUTE);
    EXPECT_TRUE(t.prompts.saw("追加可能項目は一つのみです"));
    t.view.value = "group";
    t.prompts.answer(true);
    b.button(DBV_EXECUTE);
    EXPECT_EQ(b.fields().size(), 2u);

    t.prompts.answer(true);   // the table switch while the content holds the notice
    t.view.events.table_clicked(0);
    EXPECT_EQ(b.tables()[b.current_table()], "order");
    t.view.op = 402;
    t.prompts.answer(true);
    b.button(DBV_EXECUTE);
    EXPECT_EQ(b.tables().size(), 3u);
    EXPECT_NE(std::find(b.tables().begin(), b.tables().end(), "people"), b.tables().end());
}

TEST(DatabaseBrowserTables, DropWithRecordsAsksTwiceAndArrangeRewrites) {
    Browser t(people);
    DatabaseBrowser& b = t.open();
    t.view.order = {1, 0};
    t.view.widths = {50, 90};
    t.prompts.answer(true);
    b.button(DBV_ARRANGE);
    EXPECT_EQ(b.fields(), (std::vector<std::string>{"note", "name"}));
    EXPECT_EQ(t.view.widths, (std::vector<int>{90, 50}));
    b.button(DBV_ARRANGE);
    EXPECT_TRUE(t.prompts.saw("項目の並び順は変更されていません"));

    t.view.op = 402;
    t.prompts.answer(true);
    t.prompts.answer(false);
    b.button(DBV_EXECUTE);
    EXPECT_TRUE(t.prompts.saw("2件のデータが存在します"));
    EXPECT_EQ(b.tables().size(), 2u);
    EXPECT_EQ(t.prompts.unexpected, 0);
}

TEST(DatabaseBrowserTables, ColumnWidthsTheWriterSetFollowTheTable) {
    Browser t(people);
    DatabaseBrowser& b = t.open();
    t.view.widths = {111, 222};          // the writer drags the column edges
    t.view.type("Dee");
    b.button(DBV_ADD);                   // the records are listed again
    EXPECT_EQ(t.view.widths, (std::vector<int>{111, 222}));
    t.view.events.table_clicked(1);
    EXPECT_EQ(t.view.widths, (std::vector<int>{DB_DEFAULT_WIDTH}));
    t.view.events.table_clicked(0);
    EXPECT_EQ(t.view.widths, (std::vector<int>{111, 222}));
    t.view.op = 400;                     // a table sorting first moves "people" down
    t.view.value = "aaa\r\nx";
    t.prompts.answer(true);
    b.button(DBV_EXECUTE);
    t.view.events.table_clicked(1);
    EXPECT_EQ(b.tables()[1], "people");
    EXPECT_EQ(t.view.widths, (std::vector<int>{111, 222}));
    EXPECT_TRUE(b.close());
    DocumentDb db;
    ASSERT_EQ(db.open(t.settings.last_file), DbOpenResult::OPENED);
    EXPECT_EQ(db.widths().at(1, 1), 222);
    EXPECT_EQ(t.prompts.unexpected, 0);
}

TEST(DatabaseBrowserContent, DateImportAndDropSetTheFlag) {
    Browser t(people);
    t.services.date_time = [](std::string* text, WindowRef) {
        *text = "2024-05-03";
        return true;
    };
    DatabaseBrowser& b = t.open();
    b.content_command(DBC_DATE_TIME);
    EXPECT_EQ(t.view.box.text(), "2024-05-03");
    EXPECT_TRUE(b.modified());

    t.prompts.answer(true);
    const std::string nul = t.dir.write("nul.txt", std::string("keep\0lost", 9));
    b.files_dropped({nul});
    EXPECT_EQ(t.view.box.text(), "keep");
    EXPECT_TRUE(b.modified());
    EXPECT_TRUE(t.prompts.saw("NUL"));
    b.files_dropped({nul, nul});   // two files: nothing
    EXPECT_EQ(t.prompts.unexpected, 0);
    EXPECT_EQ(b.print_job().text, "keep");
    EXPECT_TRUE(b.print_job().vertical);
}

}  // namespace
}  // namespace rix

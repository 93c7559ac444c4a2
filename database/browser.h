// The document database browser (command 407): the logic of its window over
// a DatabaseView, a DocumentDb and the record content box.
//
// Owns the open database, the lists as last listed, the current table,
// field and record, the filter state and the content box's modified flag.
// The settings it reads and writes are handed in as plain values
// (DbBrowserSettings); the app copies them to and from the settings record.
//
// The modified rule: before anything replaces the content box's text (a
// table, field or record chosen, a table or field operation, another file,
// closing) an edited content is confirmed once; "No" puts the old selection
// back and changes nothing, "Yes" holds until the content is loaded anew.
// Every change of the box's text by the writer sets the modified flag.
//
// The browser never opens a message box itself: its notices, its questions
// and the help of 説明 go to the BrowserPrompts app/ gives it.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "database/content_print.h"
#include "database/document_db.h"
#include "document/notices.h"
#include "platform/database_view.h"

namespace rix {

inline constexpr char DB_HELP_TOPIC[] = "DB";
inline constexpr char DB_SAMPLE_NAME[] = "サンプル１.ksl";   // UTF-8
constexpr std::size_t DB_PATH_FIELD = 128;                   // bytes of the settings' path field

// Commands of the content box's menu.
enum : int {
    DBC_UNDO = 200,
    DBC_REDO = 201,
    DBC_CUT = 202,
    DBC_COPY = 203,
    DBC_PASTE = 205,
    DBC_SELECT_ALL = 215,
    DBC_FIND = 9000,
    DBC_REPLACE = 9010,
    DBC_DATE_TIME = 9020,
    DBC_IMPORT = 9030,
    DBC_EXPORT = 9040,
    DBC_PAGE_SETUP = 9050,
    DBC_PREVIEW = 9060,
    DBC_PRINT = 9070,
};

// A stored font as plain values.
struct DbFont {
    std::int16_t height = 0;     // pixels; negative = character height; 0 = unset
    std::int16_t weight = 400;
    bool italic = false;
    std::string face;            // code page 932
};

struct DbBrowserSettings {
    std::string document_folder;     // UTF-8; "" = the current folder
    int content_spacing = 2;         // 0..4
    int list_spacing = 0;            // 0..2
    int last_table = 0, last_field = 0, last_record = 0;
    DatabaseWindowRect rect;         // w = 0: none kept
    int list_bottom = 0;
    bool horizontal = false;         // the content box writes horizontally
    std::string last_file;           // UTF-8; "" = none
    DbFont screen_font, print_font;
    std::uint32_t text_colour = 0;   // of the current screen format
};

struct DbBrowserServices {
    std::string start_folder;        // where the sample goes when no file is kept
    // DB_EVSET on the settings; true when stored.
    std::function<bool(DbBrowserSettings& settings, WindowRef owner)> settings_dialog;
    // DB_DTIN: the date and time text (code page 932); false when cancelled.
    std::function<bool(std::string* text, WindowRef owner)> date_time;
    // Find and replace over the box (replace: the replace form); true when
    // the box's text was changed.
    std::function<bool(TextBox& box, bool replace, WindowRef owner)> find;
    // Printing: page setup (true when changed), print, preview.
    std::function<bool(DbPrintSettings& settings)> page_setup;
    std::function<bool(const ContentPrintJob& job)> print;
    std::function<void(const ContentPrintJob& job)> preview;
    std::function<void()> settings_changed;   // the settings record must be written
    std::function<void()> closed;             // the window is gone
};

// How the browser talks to the writer, always over its own window: notices
// in the order they arose, yes/no questions (Questions::yes_no; true for
// yes) and a help topic to show. app/ answers through the message box and
// the help viewer; a test from a script.
class BrowserPrompts : public Questions {
public:
    virtual void tell(const Notices& notices) = 0;
    virtual void help(std::string_view topic) = 0;
};

class DatabaseBrowser {
public:
    // `prompts` outlives the browser.
    DatabaseBrowser(DatabaseView& view, DbBrowserSettings& settings, DbBrowserServices services,
                    BrowserPrompts& prompts);

    // Shows the window and opens the kept file, or the sample (made when missing).
    void open();
    // 閉じる: false when the writer kept an edited content.
    bool close();
    bool is_open() const { return open_; }

    // ---- what the view reports ----
    void table_clicked(int index);
    void field_clicked(int index);
    void record_clicked(int row, int column);
    void button(int id);
    void content_edited();
    void content_command(int command);
    void files_dropped(const std::vector<std::string>& paths);

    // Applies the settings to the window after DB_EVSET (orientation,
    // list rows, content font).
    void apply_settings(const DbBrowserSettings& before);

    // For the tests and the glue.
    DocumentDb& db() { return db_; }
    bool modified() const { return modified_; }
    int current_table() const { return table_; }
    int current_field() const { return field_; }
    std::int64_t current_rowid() const { return rowid_; }
    const std::vector<std::string>& tables() const { return tables_; }
    const std::vector<std::string>& fields() const { return fields_; }
    const std::vector<DbRecord>& records() const { return records_; }
    DbPrintSettings& print_settings() { return print_settings_; }
    ContentPrintJob print_job() const;

private:
    void open_file(const std::string& path, bool use_stored);
    void close_database();
    bool confirm_switch(bool closing);
    void load_content(const std::string& text);
    void update_title();
    void show_value();
    void list_tables();
    void list_fields();
    void list_records();
    void set_columns();
    void store_widths();
    void select_table_named(const std::string& name);
    void reselect_rowid(std::int64_t rowid);
    void add_record();
    void input_record();
    void toggle_filter();
    void delete_record();
    void execute();
    void arrange();
    void choose_file();
    void settings_dialog();
    void import_file(const std::string& path);
    void export_file();
    void apply_font();
    void notice(const std::string& cp932, unsigned ms);
    bool ask(const std::string& cp932);
    void failed(const char* what_utf8);

    DatabaseView& view_;
    DbBrowserSettings& settings_;
    DbBrowserServices services_;
    BrowserPrompts& prompts_;
    DbPrintSettings print_settings_;
    DocumentDb db_;
    bool open_ = false;
    std::vector<std::string> tables_, fields_;
    std::vector<DbRecord> records_;
    int table_ = -1;             // -1 = none
    int columns_table_ = -1;     // the table whose columns the record list shows; -1 = none
    int field_ = -1;
    int record_ = -1;            // list row; -1 = none
    std::int64_t rowid_ = 0;     // 0 = none
    bool filtered_ = false;
    bool modified_ = false;
    bool confirmed_ = false;     // the writer let the edited content go
    std::size_t count_ = 0;      // characters of the content
};

}  // namespace rix

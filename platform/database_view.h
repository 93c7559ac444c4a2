// DatabaseView: the document database's browser window as the logic sees
// it. The window (platform/qt/qt_database_view.h) holds the table and field
// lists, the record list (a grid with the ROWID in column 0, resizable and
// movable field columns), the record content box (the shared text box,
// vertical or horizontal, with its own context menu), the record buttons,
// the table and field operations with their value box, and the buttons
// along the bottom. It reports what the user does through DatabaseEvents;
// the logic (database/browser.h) decides and sets the lists back.
//
// Rules:
// - Texts are code page 932; the view converts at its edge.
// - Setting lists, selections or the content never reports an event.
// - The content box's menu and its commands are the logic's: the view only
//   shows the items it is given and reports the chosen command.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gui.h"
#include "platform/messages.h"
#include "platform/text_box.h"

namespace rix {

// Buttons of the window (the ids its template had).
enum : int {
    DBV_ADD = 1,           // 追 加
    DBV_CLOSE = 2,         // 閉じる
    DBV_FILTER = 3,        // 選 択 / 解 除
    DBV_HELP = 6,          // ﾍﾙﾌﾟ
    DBV_INPUT = 5,         // 入　力
    DBV_DELETE = 7,        // 削 除
    DBV_OP_FIRST = 400,    // the operation radios 400..406
    DBV_OP_LAST = 406,
    DBV_EXECUTE = 502,     // 実 行
    DBV_CHOOSE_FILE = 600, // DB選択
    DBV_SETTINGS = 700,    // 設 定
    DBV_ARRANGE = 800,     // ↑ 整列
};

struct DatabaseEvents {
    std::function<void(int index)> table_clicked;          // -1: none
    std::function<void(int index)> field_clicked;
    std::function<void(int row, int column)> record_clicked;   // row -1: none; column 0 = ROWID
    std::function<void(int column)> header_clicked;        // logical column
    std::function<void(int id)> button;                    // DBV_* (radios too)
    std::function<void()> content_edited;                  // the user changed the content
    std::function<void(int command)> content_command;      // an item of the content menu
    std::function<void(const std::vector<std::string>& paths)> files_dropped;   // on the content box (UTF-8)
    std::function<void()> close_box;                       // the window's close box or Escape
    std::function<void()> resized;
};

struct DatabaseWindowRect {
    int x = 0, y = 0, w = 0, h = 0;
};

class DatabaseView {
public:
    virtual ~DatabaseView() = default;
    virtual void set_events(DatabaseEvents events) = 0;
    // Shows the window at `rect` (w = 0: centred over the main window) with
    // the record list's bottom at `list_bottom` (0: the default).
    virtual void show(const DatabaseWindowRect& rect, int list_bottom) = 0;
    virtual void raise() = 0;
    virtual void close() = 0;
    virtual DatabaseWindowRect rect() const = 0;
    virtual int list_bottom() const = 0;
    virtual WindowRef window() const = 0;
    virtual void set_caption(std::string_view cp932) = 0;

    virtual void set_tables(const std::vector<std::string>& items, int selected) = 0;
    virtual void set_fields(std::string_view title, const std::vector<std::string>& items, int selected) = 0;
    virtual void select_field(int index) = 0;
    // Column 0 without title shows the ROWID; `widths` (pixels) go with
    // `titles`. The field `highlight` (logical column, -1 none) is drawn
    // in the highlight colours.
    virtual void set_record_columns(const std::vector<std::string>& titles, const std::vector<int>& widths,
                                    int highlight) = 0;
    virtual void set_records(const std::vector<std::vector<std::string>>& rows) = 0;
    virtual void highlight_column(int column) = 0;
    virtual void select_record(int row) = 0;             // -1: none; scrolled into view
    virtual int selected_record() const = 0;
    virtual std::vector<int> column_widths() const = 0;  // field columns, in field order
    virtual std::vector<int> column_order() const = 0;   // field indices in the order shown
    virtual void set_row_height(int pixels) = 0;
    virtual void set_record_count_text(std::string_view cp932) = 0;

    virtual TextBox& content() = 0;
    virtual void set_content_title(std::string_view cp932) = 0;
    virtual void set_content_menu(const std::vector<MenuItem>& items) = 0;

    virtual int operation() const = 0;                   // the checked radio 400..406, 0 none
    virtual void set_operation_label(std::string_view cp932) = 0;
    virtual std::string value_text() const = 0;
    virtual void set_value_text(std::string_view cp932) = 0;
    virtual void set_filter_text(std::string_view cp932) = 0;

    // A file dialog over the window, starting in `folder` (UTF-8; "" = the
    // current folder), caption and filter in UTF-8 (Qt's "label (*.x)").
    // `writing`: a name that need not exist yet (asking before replacing a
    // file when `confirm_replace`). False when cancelled.
    virtual bool choose_file(const std::string& folder, std::string_view caption, std::string_view filter,
                             bool writing, bool confirm_replace, std::string* path) = 0;
};

}  // namespace rix

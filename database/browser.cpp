#include "database/browser.h"

#include <algorithm>
#include <cstdio>

#include "database/content_text.h"
#include "platform/codec.h"
#include "platform/files.h"

namespace rix {

namespace {

std::string sj(const char* utf8) { return utf8_to_sjis(utf8); }

std::string numbered(int n, const std::string& name, const char* format) {
    char head[16];
    std::snprintf(head, sizeof head, format, n);
    return head + name;
}

// The items of the content box's menu: the mnemonic after "&", the key text after a tab.
std::vector<MenuItem> content_menu_items() {
    const struct {
        int command;
        const char* label;
    } items[] = {
        {DBC_UNDO, "元に戻す･Undo (&Uﾓ)"},   {DBC_REDO, "やり直し･ReUndo (&Rﾔ)"}, {0, ""},
        {DBC_CUT, "切り取り (&Tｷ)\tShift+Del"}, {DBC_COPY, "コ ピ ー (&Cｺ)\tCtrl +Ins"},
        {DBC_PASTE, "貼り付け (&Pﾊ)\tShift+Ins"}, {0, ""},
        {DBC_FIND, "検索 (&Sｹ)"},              {DBC_REPLACE, "置換 (&Rﾁ)"},          {0, ""},
        {DBC_SELECT_ALL, "全て選択 (&Aｽ)"},    {DBC_DATE_TIME, "日時入力 (&Dﾆ)"},    {0, ""},
        {DBC_IMPORT, "ファイルから読込 (&Rﾖ)"}, {DBC_EXPORT, "ファイルへ書出 (&Wｶ)"}, {0, ""},
        {DBC_PAGE_SETUP, "ページ設定 (&Sｾ)"},  {DBC_PRINT, "印刷 (&Pｲ)"},           {DBC_PREVIEW, "プレビュー (&Vﾌ)"},
    };
    std::vector<MenuItem> out;
    for (const auto& i : items) {
        MenuItem m;
        m.command = i.command;
        m.label = i.label;
        out.push_back(std::move(m));
    }
    return out;
}

const char* const OPERATION_LABELS[] = {
    "テーブル名と項目名を入力", "変更後のテーブル名を入力", "削除するテーブルを選択", "コピー先のテーブル名を入力",
    "追加する項目名を入力",     "変更後の項目名を入力",     "削除する項目を選択",
};

}  // namespace

DatabaseBrowser::DatabaseBrowser(DatabaseView& view, DbBrowserSettings& settings, DbBrowserServices services,
                                 BrowserPrompts& prompts)
    : view_(view), settings_(settings), services_(std::move(services)), prompts_(prompts) {}

// The texts are put together in code page 932, as the names in the database
// are; the prompts take them in UTF-8, over the browser's window.
void DatabaseBrowser::notice(const std::string& cp932, unsigned ms) {
    Notices notices;
    notices.add(sjis_to_utf8(cp932), ms, view_.window());
    prompts_.tell(notices);
}

bool DatabaseBrowser::ask(const std::string& cp932) { return prompts_.yes_no(sjis_to_utf8(cp932), view_.window()); }

// SQLite's text holds its own ASCII and the names as they were given (code page 932).
void DatabaseBrowser::failed(const char* what_utf8) { notice(sj(what_utf8) + "\r\n\r\n" + db_.last_error(), 10000); }

// ---- opening and closing -----------------------------------------------------------

void DatabaseBrowser::open() {
    if (open_) {
        view_.raise();
        return;
    }
    DatabaseEvents e;
    e.table_clicked = [this](int i) { table_clicked(i); };
    e.field_clicked = [this](int i) { field_clicked(i); };
    e.record_clicked = [this](int r, int c) { record_clicked(r, c); };
    e.header_clicked = [this](int c) {
        if (c >= 1) field_clicked(c - 1);
    };
    e.button = [this](int id) { button(id); };
    e.content_edited = [this] { content_edited(); };
    e.content_command = [this](int c) { content_command(c); };
    e.files_dropped = [this](const std::vector<std::string>& p) { files_dropped(p); };
    e.close_box = [this] { close(); };
    view_.set_events(std::move(e));
    view_.set_content_menu(content_menu_items());
    view_.content().set_byte_limit(CONTENT_LIMIT);
    view_.set_row_height(settings_.list_spacing == 0 ? 33 : settings_.list_spacing == 1 ? 30 : 27);
    view_.set_operation_label("");
    view_.set_filter_text(sj("選 択"));
    apply_font();
    view_.show(settings_.rect, settings_.list_bottom);
    open_ = true;
    std::string path = settings_.last_file;
    bool sample = false;
    if (path.empty()) {
        path = join_path(services_.start_folder, DB_SAMPLE_NAME);
        sample = !file_exists(path);
        if (sample) create_sample_database(path);
    }
    open_file(path, !settings_.last_file.empty());
    if (sample && db_.is_open())
        notice(sj("サンプルのデータベース「サンプル１.ksl」を作りました。\r\n登場人物・年表・取材メモの三つのテーブルが"
                  "入っています。\r\n書き換えても、消してもかまいません。\r\n"
                  "新しいファイルは「DB選択」で名前を付けて作れます。"),
               50000);
}

void DatabaseBrowser::open_file(const std::string& path, bool use_stored) {
    tables_.clear();
    fields_.clear();
    records_.clear();
    table_ = field_ = record_ = columns_table_ = -1;
    rowid_ = 0;
    filtered_ = false;
    view_.set_filter_text(sj("選 択"));
    const DbOpenResult r = db_.open(path);
    if (r == DbOpenResult::FAILED) {
        notice(sj("ファイルのオープンに失敗しました。"), 10000);
        view_.set_tables({}, -1);
        view_.set_fields("", {}, -1);
        view_.set_record_columns({}, {}, -1);
        view_.set_records({});
        load_content("");
        return;
    }
    // The settings' field holds shorter paths only; a longer one is not kept.
    settings_.last_file = path.size() < DB_PATH_FIELD ? path : std::string();
    view_.set_caption(sj("　文書データベース　") + utf8_to_sjis(path));
    if (r == DbOpenResult::OPENED_NEW) notice(sj(" 新規ＤＢファイルを作成します。"), 3000);
    if (r == DbOpenResult::WIDTHS_FAILED) failed("カラム幅テーブルの作製に失敗しました。");
    db_.list_tables(&tables_);
    const bool stored = use_stored && r == DbOpenResult::OPENED;
    table_ = tables_.empty() ? -1 : stored ? clamp_index(settings_.last_table, static_cast<int>(tables_.size())) : 0;
    list_tables();
    list_fields();
    if (!fields_.empty()) field_ = stored ? clamp_index(settings_.last_field, static_cast<int>(fields_.size())) : 0;
    list_records();
    if (!records_.empty()) {
        record_ = stored ? clamp_index(settings_.last_record, static_cast<int>(records_.size())) : 0;
        rowid_ = records_[static_cast<std::size_t>(record_)].rowid;
        view_.select_record(record_);
    }
    if (field_ >= 0) view_.select_field(field_);
    show_value();
}

void DatabaseBrowser::close_database() {
    if (!db_.is_open()) return;
    store_widths();
    columns_table_ = -1;
    settings_.last_table = std::max(table_, 0);
    settings_.last_field = std::max(field_, 0);
    settings_.last_record = std::max(record_, 0);
    if (!db_.close()) failed("カラム幅の保存に失敗しました。");
}

bool DatabaseBrowser::close() {
    if (!open_) return true;
    if (!confirm_switch(true)) return false;
    close_database();
    settings_.rect = view_.rect();
    settings_.list_bottom = view_.list_bottom();
    if (services_.settings_changed) services_.settings_changed();
    open_ = false;
    view_.close();
    if (services_.closed) services_.closed();
    return true;
}

// ---- the content -----------------------------------------------------------------------

bool DatabaseBrowser::confirm_switch(bool closing) {
    if (!modified_ || confirmed_) return true;
    const std::string verb = closing ? sj("終了す") : sj("切換え");
    const std::string verb2 = closing ? sj("終了し") : sj("文書を切換え");
    if (!ask(sj("文書が変更されています。\r\n\r\n入力か追加を行なわず") + verb + sj("ると\r\n変更した文書が失われます。") +
             sj("\r\n\r\nこのまま") + verb2 + sj("ますか？")))
        return false;
    confirmed_ = true;
    return true;
}

void DatabaseBrowser::load_content(const std::string& text) {
    view_.content().set_text(text);
    modified_ = false;
    confirmed_ = false;
    count_ = count_characters(view_.content().text());
    update_title();
}

void DatabaseBrowser::update_title() { view_.set_content_title(content_title(count_, modified_)); }

void DatabaseBrowser::content_edited() {
    count_ = count_characters(view_.content().text());
    modified_ = true;
    confirmed_ = false;
    update_title();
}

void DatabaseBrowser::show_value() {
    std::string value;
    if (table_ >= 0 && field_ >= 0 && rowid_ > 0 &&
        !db_.read_value(tables_[static_cast<std::size_t>(table_)], fields_[static_cast<std::size_t>(field_)], rowid_,
                        &value))
        value.clear();
    load_content(value);
}

// ---- lists ---------------------------------------------------------------------------

void DatabaseBrowser::list_tables() {
    std::vector<std::string> items;
    for (std::size_t i = 0; i < tables_.size(); ++i) items.push_back(numbered(static_cast<int>(i) + 1, tables_[i], "%3d "));
    view_.set_tables(items, table_);
}

void DatabaseBrowser::list_fields() {
    fields_.clear();
    field_ = -1;
    if (table_ >= 0) db_.list_fields(tables_[static_cast<std::size_t>(table_)], &fields_);
    if (!fields_.empty()) field_ = 0;
    std::vector<std::string> items;
    for (std::size_t j = 0; j < fields_.size(); ++j) items.push_back(numbered(static_cast<int>(j) + 1, fields_[j], "%2d "));
    const std::string title = table_ >= 0 ? sj("「") + tables_[static_cast<std::size_t>(table_)] + sj("」項目") : "";
    view_.set_fields(title, items, field_);
}

void DatabaseBrowser::set_columns() {
    columns_table_ = table_;
    std::vector<int> widths;
    for (std::size_t j = 0; j < fields_.size(); ++j) widths.push_back(db_.widths().at(table_, static_cast<int>(j)));
    view_.set_record_columns(fields_, widths, field_);
}

void DatabaseBrowser::list_records() {
    store_widths();   // what the writer did to the columns shown until now
    records_.clear();
    record_ = -1;
    if (table_ >= 0) {
        const std::string& table = tables_[static_cast<std::size_t>(table_)];
        if (filtered_ && field_ >= 0)
            db_.filter_records(table, fields_[static_cast<std::size_t>(field_)], view_.content().text(), &records_);
        else
            db_.list_records(table, &records_);
    }
    std::vector<std::vector<std::string>> rows;
    for (const DbRecord& r : records_) {
        std::vector<std::string> row{std::to_string(r.rowid)};
        row.insert(row.end(), r.values.begin(), r.values.end());
        rows.push_back(std::move(row));
    }
    set_columns();
    view_.set_records(rows);
    char count[48];
    std::snprintf(count, sizeof count, "%zu Rec.", records_.size());
    view_.set_record_count_text(sj("テーブル ") + count);
}

void DatabaseBrowser::store_widths() {
    if (columns_table_ < 0 || columns_table_ >= static_cast<int>(tables_.size())) return;
    const std::vector<int> widths = view_.column_widths();
    for (std::size_t j = 0; j < widths.size(); ++j) db_.widths().set(columns_table_, static_cast<int>(j), widths[j]);
}

void DatabaseBrowser::select_table_named(const std::string& name) {
    // The tables moved: the columns shown belong to no place in the list now
    // (their widths were stored and moved with their table by the database).
    columns_table_ = -1;
    db_.list_tables(&tables_);
    const auto it = std::find(tables_.begin(), tables_.end(), name);
    table_ = it != tables_.end() ? static_cast<int>(it - tables_.begin())
             : tables_.empty()   ? -1
                                 : clamp_index(table_, static_cast<int>(tables_.size()));
    filtered_ = false;
    view_.set_filter_text(sj("選 択"));
    list_tables();
    list_fields();
    list_records();
    rowid_ = 0;
    show_value();
}

void DatabaseBrowser::reselect_rowid(std::int64_t rowid) {
    record_ = -1;
    for (std::size_t i = 0; i < records_.size(); ++i)
        if (records_[i].rowid == rowid) record_ = static_cast<int>(i);
    rowid_ = record_ >= 0 ? rowid : 0;
    view_.select_record(record_);
}

// ---- what the writer does ----------------------------------------------------------------

void DatabaseBrowser::table_clicked(int index) {
    if (index == table_ || index < 0 || index >= static_cast<int>(tables_.size())) return;
    if (!confirm_switch(false)) {
        list_tables();
        return;
    }
    store_widths();
    table_ = index;
    list_tables();   // the list shows the table chosen, however it was chosen
    filtered_ = false;
    view_.set_filter_text(sj("選 択"));
    list_fields();
    list_records();
    rowid_ = 0;
    load_content(sj("テーブルが切り替わりましたので、\r\nレコードを選択してください。"));
}

void DatabaseBrowser::field_clicked(int index) {
    if (index < 0 || index >= static_cast<int>(fields_.size())) return;
    if (index == field_) return;
    if (!confirm_switch(false)) {
        view_.select_field(field_);
        return;
    }
    field_ = index;
    view_.select_field(field_);
    view_.highlight_column(field_);
    show_value();
}

void DatabaseBrowser::record_clicked(int row, int column) {
    if (!confirm_switch(false)) {
        view_.select_record(record_);
        return;
    }
    if (row < 0 || row >= static_cast<int>(records_.size())) {
        record_ = -1;
        rowid_ = 0;
        load_content("");
        return;
    }
    record_ = row;
    rowid_ = records_[static_cast<std::size_t>(row)].rowid;
    if (column == 0) {
        notice(sj(" 連番項目は選択出来ません。"), 3000);
    } else if (column - 1 < static_cast<int>(fields_.size())) {
        field_ = column - 1;
        view_.select_field(field_);
        view_.highlight_column(field_);
    }
    show_value();
}

void DatabaseBrowser::button(int id) {
    if (id >= DBV_OP_FIRST && id <= DBV_OP_LAST) {
        view_.set_operation_label(sj(OPERATION_LABELS[id - DBV_OP_FIRST]));
        return;
    }
    switch (id) {
    case DBV_ADD: add_record(); break;
    case DBV_INPUT: input_record(); break;
    case DBV_FILTER: toggle_filter(); break;
    case DBV_DELETE: delete_record(); break;
    case DBV_EXECUTE: execute(); break;
    case DBV_ARRANGE: arrange(); break;
    case DBV_CHOOSE_FILE: choose_file(); break;
    case DBV_SETTINGS: settings_dialog(); break;
    case DBV_HELP: prompts_.help(DB_HELP_TOPIC); break;
    case DBV_CLOSE: close(); break;
    default: break;
    }
}

void DatabaseBrowser::add_record() {
    if (table_ < 0 || field_ < 0) return;
    const std::string text = view_.content().text();
    if (text.empty()) {
        notice(sj(" 入力値が必要です。"), 2000);
        return;
    }
    std::int64_t rowid = 0;
    if (!db_.add_record(tables_[static_cast<std::size_t>(table_)], fields_[static_cast<std::size_t>(field_)], text,
                        &rowid)) {
        failed("入力に失敗しました。");
        return;
    }
    filtered_ = false;
    view_.set_filter_text(sj("選 択"));
    list_records();
    reselect_rowid(rowid);
    load_content(text);
}

void DatabaseBrowser::input_record() {
    if (table_ < 0 || field_ < 0) return;
    const std::string text = view_.content().text();
    if (text.empty()) {
        notice(sj(" 入力値が必要です。"), 2000);
        return;
    }
    if (rowid_ <= 0) {
        notice(sj(" レコードを選択してください。"), 2000);
        return;
    }
    const std::int64_t rowid = rowid_;
    if (!db_.change_record(tables_[static_cast<std::size_t>(table_)], fields_[static_cast<std::size_t>(field_)], rowid,
                           text)) {
        failed("変更に失敗しました。");
        return;
    }
    list_records();
    reselect_rowid(rowid);
    load_content(text);
}

void DatabaseBrowser::toggle_filter() {
    if (table_ < 0 || field_ < 0) return;
    filtered_ = !filtered_;
    view_.set_filter_text(sj(filtered_ ? "解 除" : "選 択"));
    list_records();
    rowid_ = 0;
    if (filtered_) {
        char count[32];
        std::snprintf(count, sizeof count, "%zu ", records_.size());
        view_.set_content_title(count + sj("レコード"));
    } else {
        update_title();
    }
}

void DatabaseBrowser::delete_record() {
    if (table_ < 0) return;
    if (rowid_ <= 0) {
        notice(sj(" レコードを選択してください。"), 2000);
        return;
    }
    if (!ask(sj("レコード ") + std::to_string(rowid_) + sj(" を削除しますか？"))) return;
    if (!db_.delete_record(tables_[static_cast<std::size_t>(table_)], rowid_)) {
        failed("削除に失敗しました。");
        return;
    }
    list_records();
    rowid_ = 0;
    load_content("");
}

void DatabaseBrowser::execute() {
    const int op = view_.operation();
    if (op == 0) {
        notice(sj(" 処理を選択してください。"), 2000);
        return;
    }
    const std::string value = view_.value_text();
    const bool deletion = op == 402 || op == 406;
    if (!deletion && value.empty()) {
        notice(sj(" 入力値が必要です。"), 2000);
        return;
    }
    if (op != 400 && op != 404 && table_ < 0) return;
    const std::string no_space = sj("項目名の中に空白は使えません。\r\n\r\nアンダーバー（_下線）等を使ってください。\r\n");
    const std::string current = table_ >= 0 ? tables_[static_cast<std::size_t>(table_)] : "";
    const std::string field = field_ >= 0 ? fields_[static_cast<std::size_t>(field_)] : "";
    if (!confirm_switch(false)) return;
    switch (op) {
    case 400: {
        std::string table;
        std::vector<std::string> fields;
        parse_create_box(value, &table, &fields);
        if (fields.empty()) {
            notice(sj(" １つ以上の項目名が必要です。"), 3000);
            return;
        }
        std::string joined;
        for (const auto& f : fields) {
            if (!field_name_allowed(f)) {
                notice(no_space, 5000);
                return;
            }
            joined += (joined.empty() ? "" : sj("、")) + f;
        }
        if (!ask(sj("テーブル「") + table + sj("」と項目\r\n「") + joined + sj("」\r\nを作製しますか？"))) return;
        store_widths();
        if (!db_.create_table(table, fields)) return failed("テーブル作製に失敗しました。");
        select_table_named(table);
        return;
    }
    case 401:
        if (!ask(sj("テーブル「") + current + sj("」を「") + value + sj("」に名称変更しますか？"))) return;
        store_widths();
        if (!db_.rename_table(current, value)) return failed("テーブル名変更に失敗しました。");
        select_table_named(value);
        return;
    case 402: {
        if (!ask(sj("テーブル「") + current + sj("」を削除しますか？"))) return;
        std::vector<DbRecord> all;
        db_.list_records(current, &all);
        if (!all.empty() && !ask(sj("「") + current + sj("」には") + std::to_string(all.size()) +
                                 sj("件のデータが存在します。\r\n本当に削除しますか？")))
            return;
        store_widths();
        if (!db_.drop_table(current)) return failed("テーブル削除に失敗しました。");
        select_table_named(current);
        return;
    }
    case 403:
        if (!ask(sj("テーブル「") + current + sj("」を「") + value + sj("」にコピーしますか？"))) return;
        store_widths();
        if (!db_.copy_table(current, value)) return failed("テーブルコピーに失敗しました。");
        select_table_named(value);
        return;
    case 404:
        if (table_ < 0) return;
        if (value.find_first_of("\r\n") != std::string::npos) {
            notice(sj(" 追加可能項目は一つのみです。"), 2000);
            return;
        }
        if (!field_name_allowed(value)) {
            notice(no_space, 5000);
            return;
        }
        if (!ask(sj("項目「") + value + sj("」を追加しますか？"))) return;
        store_widths();
        if (!db_.add_field(current, value)) return failed("項目追加に失敗しました。");
        select_table_named(current);
        return;
    case 405:
        if (field_ < 0) return;
        if (!field_name_allowed(value)) {
            notice(no_space, 5000);
            return;
        }
        if (!ask(sj("項目「") + field + sj("」を「") + value + sj("」に名称変更しますか？"))) return;
        store_widths();
        if (!db_.rename_field(current, field, value)) return failed("項目名変更に失敗しました。");
        select_table_named(current);
        return;
    case 406:
        if (field_ < 0) return;
        if (!ask(sj("項目「") + field + sj("」を削除しますか？"))) return;
        store_widths();
        if (!db_.delete_field(current, field)) return failed("項目削除に失敗しました。");
        select_table_named(current);
        return;
    default: return;
    }
}

void DatabaseBrowser::arrange() {
    if (table_ < 0) return;
    const std::vector<int> order = view_.column_order();
    bool moved = false;
    for (std::size_t i = 0; i < order.size(); ++i)
        if (order[i] != static_cast<int>(i)) moved = true;
    if (!moved || order.size() != fields_.size()) {
        notice(sj(" 項目の並び順は変更されていません。"), 3000);
        return;
    }
    if (!ask(sj(" 整列を実行するとテーブルが書換えられます。\r\n\r\n実行しますか？"))) return;
    if (!confirm_switch(false)) return;
    store_widths();
    std::vector<std::string> names;
    for (int j : order) names.push_back(fields_[static_cast<std::size_t>(j)]);
    const std::string current = tables_[static_cast<std::size_t>(table_)];
    if (!db_.reorder_fields(current, names)) failed("項目の整列に失敗しました。");
    select_table_named(current);
}

void DatabaseBrowser::choose_file() {
    if (!confirm_switch(false)) return;
    std::string path;
    if (!view_.choose_file(settings_.document_folder, " データベースファイルの選択", "KSLファイル (*.ksl)", true,
                           false, &path))
        return;
    close_database();
    settings_.last_table = settings_.last_field = settings_.last_record = 0;
    open_file(path, false);
}

void DatabaseBrowser::settings_dialog() {
    if (!services_.settings_dialog) return;
    const DbBrowserSettings before = settings_;
    if (!services_.settings_dialog(settings_, view_.window())) return;
    apply_settings(before);
    if (services_.settings_changed) services_.settings_changed();
}

void DatabaseBrowser::apply_settings(const DbBrowserSettings& before) {
    if (before.list_spacing != settings_.list_spacing) {
        view_.set_row_height(settings_.list_spacing == 0 ? 33 : settings_.list_spacing == 1 ? 30 : 27);
        list_records();
        reselect_rowid(rowid_);
    }
    apply_font();
}

void DatabaseBrowser::apply_font() {
    const DbFont& f = settings_.screen_font;
    const std::string face = f.face.empty() ? sj("IPAex明朝") : f.face;
    view_.content().set_format(content_format(f.height, f.weight, f.italic, face, settings_.content_spacing,
                                              !settings_.horizontal, settings_.text_colour));
}

// ---- the content box's menu -------------------------------------------------------------

ContentPrintJob DatabaseBrowser::print_job() const {
    ContentPrintJob job;
    job.text = const_cast<DatabaseView&>(view_).content().text();
    job.vertical = !settings_.horizontal;
    job.font_height = settings_.print_font.height;
    job.font_weight = settings_.print_font.weight;
    job.font_italic = settings_.print_font.italic;
    job.font_face = settings_.print_font.face;
    job.spacing = settings_.content_spacing;
    job.settings = print_settings_;
    return job;
}

void DatabaseBrowser::content_command(int command) {
    TextBox& box = view_.content();
    bool changed = false;
    switch (command) {
    case DBC_UNDO: changed = box.undo(); break;
    case DBC_REDO: changed = box.redo(); break;
    case DBC_CUT: changed = box.cut(); break;
    case DBC_COPY: box.copy(); break;
    case DBC_PASTE: changed = box.paste(); break;
    case DBC_SELECT_ALL: box.select_all(); break;
    case DBC_FIND:
    case DBC_REPLACE:
        if (services_.find) changed = services_.find(box, command == DBC_REPLACE, view_.window());
        break;
    case DBC_DATE_TIME: {
        std::string text;
        if (services_.date_time && services_.date_time(&text, view_.window())) {
            load_content(text);
            changed = true;   // ready to be stored: not stored yet
        }
        break;
    }
    case DBC_IMPORT: {
        std::string path;
        if (view_.choose_file(settings_.document_folder, " 読込元ファイルの選択", "全てのファイル (*)", false, false, &path))
            import_file(path);
        break;
    }
    case DBC_EXPORT: export_file(); break;
    case DBC_PAGE_SETUP:
        if (services_.page_setup) services_.page_setup(print_settings_);
        break;
    case DBC_PRINT:
        if (services_.print && !box.text().empty()) services_.print(print_job());
        break;
    case DBC_PREVIEW:
        if (services_.preview) services_.preview(print_job());
        break;
    default: break;
    }
    if (changed) content_edited();
}

void DatabaseBrowser::files_dropped(const std::vector<std::string>& paths) {
    if (paths.size() != 1) return;
    import_file(paths.front());
}

void DatabaseBrowser::import_file(const std::string& path) {
    std::string text;
    const ImportResult r = import_content_file(path, &text);
    if (r == ImportResult::FAILED) return;
    if (!confirm_switch(false)) return;
    load_content(text);
    content_edited();
    if (r == ImportResult::CUT_AT_LIMIT)
        notice(sj("文書サイズ制限を越えましたので、\r\n文書の最後までの読込みを行なえませんでした。"), 5000);
    if (r == ImportResult::CUT_AT_NUL)
        notice(sj("ファイルの途中に文字でないデータ（NUL）がありましたので、\r\nそこから後は読込みませんでした。"), 5000);
}

void DatabaseBrowser::export_file() {
    std::string path;
    if (!view_.choose_file(settings_.document_folder, " 書出先ファイルの設定", "全てのファイル (*)", true, true, &path))
        return;
    if (!export_content_file(path, view_.content().text())) notice(sj("ファイルの書出しに失敗しました。"), 3000);
}

}  // namespace rix

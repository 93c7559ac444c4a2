#include "database/document_db.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>

#include "platform/codec.h"
#include "platform/files.h"

namespace rix {

namespace {

// SQLite compares table names without regard to ASCII case: "coluMn-table"
// is the width table to it, and "SQLITE_x" one of its own.
bool same_table_name(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

bool hidden_table(std::string_view name) {
    return same_table_name(name, COLUMN_TABLE) || (name.size() >= 7 && same_table_name(name.substr(0, 7), "sqlite_"));
}

// One prepared statement, finalized when it goes out of scope.
class Statement {
public:
    Statement(sqlite3* db, const std::string& sql) {
        if (sqlite3_prepare_v2(db, sql.c_str(), static_cast<int>(sql.size()), &st_, nullptr) != SQLITE_OK) st_ = nullptr;
    }
    ~Statement() { sqlite3_finalize(st_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    bool ok() const { return st_ != nullptr; }
    sqlite3_stmt* get() { return st_; }
    bool bind_text(int index, std::string_view text) {
        return sqlite3_bind_text(st_, index, text.data(), static_cast<int>(text.size()), SQLITE_TRANSIENT) == SQLITE_OK;
    }
    bool bind_int(int index, std::int64_t value) { return sqlite3_bind_int64(st_, index, value) == SQLITE_OK; }
    // Runs a statement that returns no rows.
    bool run() {
        int rc;
        while ((rc = sqlite3_step(st_)) == SQLITE_ROW) {
        }
        return rc == SQLITE_DONE;
    }
    // A column's bytes; NULL reads as "".
    std::string column(int index) {
        const unsigned char* text = sqlite3_column_text(st_, index);
        if (!text) return {};
        return std::string(reinterpret_cast<const char*>(text), static_cast<std::size_t>(sqlite3_column_bytes(st_, index)));
    }

private:
    sqlite3_stmt* st_ = nullptr;
};

DbFault fault_of(int code) {
    switch (code & 0xFF) {
    case SQLITE_NOTADB: return DbFault::NOT_A_DATABASE;
    case SQLITE_CORRUPT: return DbFault::DAMAGED;
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return DbFault::BUSY;
    case SQLITE_READONLY:
        // A hot journal (or a log to recover) that a reader may not put right.
        return code == SQLITE_READONLY_ROLLBACK || code == SQLITE_READONLY_RECOVERY ? DbFault::UNFINISHED_CHANGE
                                                                                  : DbFault::OTHER;
    default: return DbFault::OTHER;
    }
}

// A file name as the path of an SQLite URI: '%', '?' and '#' escaped,
// everything else (UTF-8 bytes too) as it is.
std::string uri_of(const std::string& absolute) {
    std::string uri = "file://";
    for (char c : absolute) {
        if (c == '%') uri += "%25";
        else if (c == '?') uri += "%3f";
        else if (c == '#') uri += "%23";
        else uri += c;
    }
    return uri;
}

std::string joined_identifiers(const std::vector<std::string>& names) {
    std::string out;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i) out += ", ";
        out += quote_identifier(names[i]);
    }
    return out;
}

// A stored width as a number: text digits; anything else keeps the default.
int stored_width(const std::string& text) {
    if (text.empty() || text.size() > 9) return DB_DEFAULT_WIDTH;
    for (char c : text)
        if (c < '0' || c > '9') return DB_DEFAULT_WIDTH;
    return std::atoi(text.c_str());
}

// SQLite takes a double-quoted name that names no column for a string
// literal: a field that is not there would copy its own name into every
// record. With this off, it is an error, as it should be.
void refuse_string_identifiers(sqlite3* db) {
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
}

}  // namespace

std::string quote_identifier(std::string_view name) {
    std::string out = "\"";
    for (char c : name) {
        out += c;
        if (c == '"') out += '"';
    }
    out += '"';
    return out;
}

bool field_name_allowed(std::string_view name) {
    if (name.empty()) return false;
    for (char c : name)
        if (c == 0x20 || c == 0x40) return false;
    return true;
}

int escape_apostrophes(std::string_view text, std::string* out) {
    int count = 0;
    out->clear();
    for (char c : text) {
        *out += c;
        if (c == '\'') {
            *out += '\'';
            ++count;
        }
    }
    return count;
}

void parse_create_box(std::string_view text, std::string* table, std::vector<std::string>* fields) {
    table->clear();
    fields->clear();
    bool first = true;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (first) {
            *table = std::string(line);
            first = false;
        } else if (!line.empty()) {
            fields->emplace_back(line);
        }
        if (end == text.size()) break;
        start = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
    }
}

int clamp_index(int index, int count) {
    if (count <= 0 || index < 0) return 0;
    return index >= count ? count - 1 : index;
}

std::string database_backup_path(const std::string& path) {
    const std::string folder = folder_of(path);
    std::string name = name_of(path);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot == 0)
        name += "_back";
    else
        name.insert(dot, "_back");
    return folder.empty() ? name : join_path(folder, name);
}

// ---- WidthTable ----------------------------------------------------------------

void WidthTable::reset() {
    for (auto& row : w_) row.fill(DB_DEFAULT_WIDTH);
}

int WidthTable::at(int table, int field) const {
    if (table < 0 || table >= DB_WIDTH_TABLES || field < 0 || field >= DB_WIDTH_FIELDS) return DB_DEFAULT_WIDTH;
    return w_[static_cast<std::size_t>(table)][static_cast<std::size_t>(field)];
}

void WidthTable::set(int table, int field, int width) {
    if (table < 0 || table >= DB_WIDTH_TABLES || field < 0 || field >= DB_WIDTH_FIELDS) return;
    w_[static_cast<std::size_t>(table)][static_cast<std::size_t>(field)] = width < 0 ? 0 : width;
}

void WidthTable::rearrange(int table, const std::vector<int>& order) {
    if (table < 0 || table >= DB_WIDTH_TABLES) return;
    std::array<std::int32_t, DB_WIDTH_FIELDS> row;
    row.fill(DB_DEFAULT_WIDTH);
    for (std::size_t j = 0; j < order.size() && j < row.size(); ++j) row[j] = at(table, order[j]);
    w_[static_cast<std::size_t>(table)] = row;
}

// ---- DocumentDb ----------------------------------------------------------------

DocumentDb::~DocumentDb() {
    if (db_) sqlite3_close(db_);
}

bool DocumentDb::fail() {
    error_ = db_ ? sqlite3_errmsg(db_) : "no database";
    fault_ = db_ ? fault_of(sqlite3_extended_errcode(db_)) : DbFault::OTHER;
    return false;
}

bool DocumentDb::exec(const char* sql) {
    char* message = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &message) == SQLITE_OK) return true;
    error_ = message ? message : sqlite3_errmsg(db_);
    fault_ = fault_of(sqlite3_extended_errcode(db_));
    sqlite3_free(message);
    return false;
}

void DocumentDb::start_over() {
    if (db_) close();
    vacuum_ = false;
    read_only_ = false;
    widths_.reset();
    error_.clear();
    fault_ = DbFault::NONE;
}

bool DocumentDb::connect(const std::string& path, int flags) {
    if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK) {
        fail();
        sqlite3_close(db_);
        db_ = nullptr;
        return false;
    }
    sqlite3_busy_timeout(db_, DB_BUSY_TIMEOUT_MS);
    refuse_string_identifiers(db_);
    return true;
}

bool DocumentDb::text_kept_as_given() {
    Statement st(db_, "PRAGMA encoding");
    if (!st.ok() || sqlite3_step(st.get()) != SQLITE_ROW) return fail();
    const std::string encoding = st.column(0);
    if (encoding == "UTF-8") return true;
    error_ = "the database keeps its text in " + encoding + ", not in UTF-8";
    return false;
}

DbOpenResult DocumentDb::open(const std::string& path) {
    start_over();
    std::string bytes;
    if (file_exists(path)) {
        if (!read_whole_file(path, &bytes) || !atomic_replace(database_backup_path(path), bytes)) {
            // A backup that cannot be made is no reason to refuse the file.
        }
    }
    if (!connect(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE)) return DbOpenResult::FAILED;
    // sqlite3_open reads nothing yet: the first query tells a database from
    // any other file.
    bool has_widths = false;
    bool has_tables = false;
    bool readable = false;
    {
        Statement st(db_, "SELECT name FROM sqlite_master WHERE type='table'");
        if (st.ok()) {
            int rc;
            while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
                has_tables = true;
                if (same_table_name(st.column(0), COLUMN_TABLE)) has_widths = true;
            }
            readable = rc == SQLITE_DONE;
        }
        if (!readable) fail();
    }
    if (!readable || !text_kept_as_given()) {
        sqlite3_close(db_);
        db_ = nullptr;
        return DbOpenResult::FAILED;
    }
    path_ = path;
    if (has_widths) {
        read_widths();
        return DbOpenResult::OPENED;
    }
    if (!create_width_table()) return DbOpenResult::WIDTHS_FAILED;
    return has_tables ? DbOpenResult::OPENED_NO_WIDTHS : DbOpenResult::OPENED_NEW;
}

DbOpenResult DocumentDb::open_read_only(const std::string& path) {
    start_over();
    // SQLite keeps its journal and log beside the file a link names.
    const std::string real = link_target(absolute_path(path));
    const bool alone = !file_exists(real + "-journal") && !file_exists(real + "-wal");
    const std::string uri = uri_of(real) + (alone ? "?mode=ro&immutable=1" : "?mode=ro");
    if (!connect(uri, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI)) return DbOpenResult::FAILED;
    std::vector<std::string> tables;
    if (!list_tables(&tables) || !text_kept_as_given()) {
        sqlite3_close(db_);
        db_ = nullptr;
        return DbOpenResult::FAILED;
    }
    read_only_ = true;
    path_ = path;
    read_widths();
    return DbOpenResult::OPENED;
}

bool DocumentDb::create_width_table() {
    std::string columns;
    for (int j = 1; j <= DB_WIDTH_FIELDS; ++j) {
        if (j > 1) columns += ", ";
        columns += quote_identifier(std::to_string(j));
    }
    const std::string sql = "CREATE TABLE " + quote_identifier(COLUMN_TABLE) + " (" + columns + ")";
    return exec(sql.c_str());
}

bool DocumentDb::read_widths() {
    Statement st(db_, "SELECT * FROM " + quote_identifier(COLUMN_TABLE) + " ORDER BY ROWID");
    if (!st.ok()) return fail();
    int row = 0;
    int rc;
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
        const int columns = sqlite3_column_count(st.get());
        for (int j = 0; j < columns && j < DB_WIDTH_FIELDS; ++j) widths_.set(row, j, stored_width(st.column(j)));
        ++row;
    }
    return rc == SQLITE_DONE || fail();
}

bool DocumentDb::write_widths() {
    std::vector<std::string> tables;
    if (!list_tables(&tables)) return false;
    if (!exec("BEGIN IMMEDIATE")) return false;
    bool ok = exec(("DELETE FROM " + quote_identifier(COLUMN_TABLE)).c_str());
    std::string marks;
    for (int j = 0; j < DB_WIDTH_FIELDS; ++j) marks += j ? ", ?" : "?";
    const std::string sql = "INSERT INTO " + quote_identifier(COLUMN_TABLE) + " VALUES(" + marks + ")";
    for (std::size_t i = 0; ok && i < tables.size(); ++i) {
        Statement st(db_, sql);
        ok = st.ok();
        for (int j = 0; ok && j < DB_WIDTH_FIELDS; ++j)
            ok = st.bind_text(j + 1, std::to_string(widths_.at(static_cast<int>(i), j)));
        ok = ok && st.run();
        if (!ok) fail();
    }
    if (ok && exec("COMMIT")) return true;
    const std::string kept = error_;
    exec("ROLLBACK");
    error_ = kept;
    return false;
}

bool DocumentDb::close() {
    if (!db_) return true;
    const bool ok = read_only_ || write_widths();
    read_only_ = false;
    if (vacuum_) exec("VACUUM");
    sqlite3_close(db_);
    db_ = nullptr;
    path_.clear();
    vacuum_ = false;
    return ok;
}

bool DocumentDb::list_tables(std::vector<std::string>* names) {
    names->clear();
    if (!db_) return fail();
    Statement st(db_,
                 "SELECT name FROM sqlite_master WHERE type='table' UNION ALL "
                 "SELECT name FROM sqlite_temp_master WHERE type='table' ORDER BY name");
    if (!st.ok()) return fail();
    int rc;
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
        std::string name = st.column(0);
        if (hidden_table(name)) continue;
        names->push_back(std::move(name));
    }
    // In byte order whatever SQLite sorted by: a damaged schema may keep a
    // name as a blob, which SQLite sorts after every text.
    std::sort(names->begin(), names->end());
    return rc == SQLITE_DONE || fail();
}

bool DocumentDb::list_fields(std::string_view table, std::vector<std::string>* names) {
    names->clear();
    if (!db_) return fail();
    Statement st(db_, "SELECT name FROM pragma_table_info(?)");
    if (!st.ok() || !st.bind_text(1, table)) return fail();
    int rc;
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) names->push_back(st.column(0));
    return rc == SQLITE_DONE || fail();
}

bool DocumentDb::fetch_records(const std::string& sql, const std::string* bound, std::vector<DbRecord>* records) {
    records->clear();
    if (!db_) return fail();
    Statement st(db_, sql);
    if (!st.ok()) return fail();
    if (bound && !st.bind_text(1, *bound)) return fail();
    int rc;
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
        DbRecord r;
        r.rowid = sqlite3_column_int64(st.get(), 0);
        const int columns = sqlite3_column_count(st.get());
        for (int j = 1; j < columns; ++j) r.values.push_back(st.column(j));
        records->push_back(std::move(r));
    }
    return rc == SQLITE_DONE || fail();
}

bool DocumentDb::list_records(std::string_view table, std::vector<DbRecord>* records) {
    return fetch_records("SELECT ROWID, * FROM " + quote_identifier(table) + " ORDER BY ROWID", nullptr, records);
}

bool DocumentDb::filter_records(std::string_view table, std::string_view field, std::string_view value,
                                std::vector<DbRecord>* records) {
    const std::string v(value);
    return fetch_records("SELECT ROWID, * FROM " + quote_identifier(table) + " WHERE " + quote_identifier(field) +
                             " = ? ORDER BY ROWID",
                         &v, records);
}

bool DocumentDb::read_value(std::string_view table, std::string_view field, std::int64_t rowid, std::string* value) {
    value->clear();
    if (!db_) return fail();
    Statement st(db_, "SELECT " + quote_identifier(field) + " FROM " + quote_identifier(table) + " WHERE ROWID = ?");
    if (!st.ok() || !st.bind_int(1, rowid)) return fail();
    const int rc = sqlite3_step(st.get());
    if (rc == SQLITE_ROW) {
        *value = st.column(0);
        return true;
    }
    if (rc == SQLITE_DONE) {
        error_ = "no such record";
        fault_ = DbFault::NO_RECORD;
        return false;
    }
    return fail();
}

bool DocumentDb::add_record(std::string_view table, std::string_view field, std::string_view value,
                            std::int64_t* rowid) {
    if (!db_) return fail();
    Statement st(db_, "INSERT INTO " + quote_identifier(table) + " (" + quote_identifier(field) + ") VALUES (?)");
    if (!st.ok() || !st.bind_text(1, value) || !st.run()) return fail();
    if (rowid) *rowid = sqlite3_last_insert_rowid(db_);
    return true;
}

bool DocumentDb::change_record(std::string_view table, std::string_view field, std::int64_t rowid,
                               std::string_view value) {
    if (!db_) return fail();
    Statement st(db_, "UPDATE " + quote_identifier(table) + " SET " + quote_identifier(field) + " = ? WHERE ROWID = ?");
    if (!st.ok() || !st.bind_text(1, value) || !st.bind_int(2, rowid) || !st.run()) return fail();
    if (sqlite3_changes(db_) == 0) {
        // Another editor of the file deleted the record meanwhile.
        error_ = "no such record";
        return false;
    }
    return true;
}

bool DocumentDb::delete_record(std::string_view table, std::int64_t rowid) {
    if (!db_) return fail();
    Statement st(db_, "DELETE FROM " + quote_identifier(table) + " WHERE ROWID = ?");
    if (!st.ok() || !st.bind_int(1, rowid) || !st.run()) return fail();
    vacuum_ = true;
    return true;
}

int DocumentDb::table_index(std::string_view table) {
    std::vector<std::string> tables;
    if (!list_tables(&tables)) return -1;
    for (std::size_t i = 0; i < tables.size(); ++i)
        if (tables[i] == table) return static_cast<int>(i);
    return -1;
}

bool DocumentDb::exec_keeping_widths(const std::string& sql, std::string_view from, std::string_view to, bool copy) {
    if (!db_) return fail();
    NamedWidths saved = save_widths_by_name();
    if (!exec(sql.c_str())) return false;
    if (!from.empty()) {
        NamedWidths moved;
        for (const auto& [key, width] : saved) {
            if (key.first == from) {
                moved[{std::string(to), key.second}] = width;
                if (copy) moved[key] = width;
            } else {
                moved[key] = width;
            }
        }
        saved = std::move(moved);
    }
    restore_widths_by_name(saved);
    return true;
}

bool DocumentDb::create_table(std::string_view table, const std::vector<std::string>& fields) {
    return exec_keeping_widths("CREATE TABLE " + quote_identifier(table) + " (" + joined_identifiers(fields) + ")", {},
                               {}, false);
}

bool DocumentDb::rename_table(std::string_view from, std::string_view to) {
    return exec_keeping_widths("ALTER TABLE " + quote_identifier(from) + " RENAME TO " + quote_identifier(to), from, to,
                               false);
}

bool DocumentDb::copy_table(std::string_view from, std::string_view to) {
    return exec_keeping_widths("CREATE TABLE " + quote_identifier(to) + " AS SELECT * FROM " + quote_identifier(from),
                               from, to, true);
}

bool DocumentDb::drop_table(std::string_view table) {
    if (!exec_keeping_widths("DROP TABLE " + quote_identifier(table), {}, {}, false)) return false;
    vacuum_ = true;
    return true;
}

bool DocumentDb::add_field(std::string_view table, std::string_view field) {
    if (!db_) return fail();
    return exec(("ALTER TABLE " + quote_identifier(table) + " ADD COLUMN " + quote_identifier(field)).c_str());
}

bool DocumentDb::rebuild_table(std::string_view table, const std::vector<std::string>& old_names,
                               const std::vector<std::string>& new_names) {
    if (!db_) return fail();
    if (old_names.size() != new_names.size() || new_names.empty()) {
        error_ = "field lists differ";
        return false;
    }
    if (!exec("BEGIN IMMEDIATE")) return false;
    const std::string temp = quote_identifier(TEMPORARY_TABLE);
    const std::string name = quote_identifier(table);
    const std::string fresh = joined_identifiers(new_names);
    const bool ok = exec(("ALTER TABLE " + name + " RENAME TO " + temp).c_str()) &&
                    exec(("CREATE TABLE " + name + " (" + fresh + ")").c_str()) &&
                    exec(("INSERT INTO " + name + " (" + fresh + ") SELECT " + joined_identifiers(old_names) +
                          " FROM " + temp + " ORDER BY ROWID")
                             .c_str()) &&
                    exec(("DROP TABLE " + temp).c_str()) && exec("COMMIT");
    if (ok) {
        vacuum_ = true;
        return true;
    }
    const std::string kept = error_;
    exec("ROLLBACK");
    error_ = kept;
    return false;
}

bool DocumentDb::rename_field(std::string_view table, std::string_view from, std::string_view to) {
    std::vector<std::string> fields;
    if (!list_fields(table, &fields)) return false;
    std::vector<std::string> renamed = fields;
    for (auto& f : renamed)
        if (f == from) f = std::string(to);
    return rebuild_table(table, fields, renamed);
}

bool DocumentDb::delete_field(std::string_view table, std::string_view field) {
    std::vector<std::string> fields;
    if (!list_fields(table, &fields)) return false;
    std::vector<std::string> kept;
    std::vector<int> order;
    for (std::size_t j = 0; j < fields.size(); ++j) {
        if (fields[j] == field) continue;
        kept.push_back(fields[j]);
        order.push_back(static_cast<int>(j));
    }
    if (!rebuild_table(table, kept, kept)) return false;
    widths_.rearrange(table_index(table), order);
    return true;
}

bool DocumentDb::reorder_fields(std::string_view table, const std::vector<std::string>& order) {
    std::vector<std::string> fields;
    if (!list_fields(table, &fields)) return false;
    std::vector<int> from;
    for (const auto& name : order) {
        const auto it = std::find(fields.begin(), fields.end(), name);
        from.push_back(it == fields.end() ? -1 : static_cast<int>(it - fields.begin()));
    }
    if (!rebuild_table(table, order, order)) return false;
    widths_.rearrange(table_index(table), from);
    return true;
}

NamedWidths DocumentDb::save_widths_by_name() {
    NamedWidths saved;
    std::vector<std::string> tables, fields;
    if (!list_tables(&tables)) return saved;
    for (std::size_t i = 0; i < tables.size() && i < DB_WIDTH_TABLES; ++i) {
        if (!list_fields(tables[i], &fields)) continue;
        for (std::size_t j = 0; j < fields.size() && j < DB_WIDTH_FIELDS; ++j)
            saved[{tables[i], fields[j]}] = widths_.at(static_cast<int>(i), static_cast<int>(j));
    }
    return saved;
}

void DocumentDb::restore_widths_by_name(const NamedWidths& saved) {
    widths_.reset();
    std::vector<std::string> tables, fields;
    if (!list_tables(&tables)) return;
    for (std::size_t i = 0; i < tables.size() && i < DB_WIDTH_TABLES; ++i) {
        if (!list_fields(tables[i], &fields)) continue;
        for (std::size_t j = 0; j < fields.size() && j < DB_WIDTH_FIELDS; ++j) {
            auto it = saved.find({tables[i], fields[j]});
            if (it != saved.end()) widths_.set(static_cast<int>(i), static_cast<int>(j), it->second);
        }
    }
}

}  // namespace rix

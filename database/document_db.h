// DocumentDb: the document database, a writer's tables of texts in one
// SQLite 3 file (".ksl"), without any window.
//
// Owns one SQLite connection and the width table of the record list. Names
// and values are code page 932 bytes exactly as the stored files hold them:
// they go to SQLite unconverted, so a file written by this class and one
// written by older versions of the program read the same.
//
// Rules:
// - Every identifier is quoted as an SQL identifier (double quotes, a double
//   quote inside doubled) and every value is a bound parameter; no name or
//   value a writer types can end a statement or start another.
// - A change of several statements (the rebuild of a table, the rewrite of
//   the widths) runs in one transaction: it happens whole or not at all.
// - NULL reads as an empty value.
// - Nothing here shows a message: each operation returns whether it worked
//   and keeps SQLite's error text (UTF-8) for the caller's message.
//
// The hidden table "column-table" (thirty typeless columns "1".."30") holds
// the widths in pixels of the record list's field columns, as text numbers:
//
//   row (ROWID order)   column "j"            meaning
//   i-th row            j = 1..30             width of field j of the i-th
//                                             user table in name order
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

struct sqlite3;

namespace rix {

inline constexpr char COLUMN_TABLE[] = "column-table";
inline constexpr char TEMPORARY_TABLE[] = "temporary-table";
constexpr int DB_WIDTH_TABLES = 200;   // tables the width table keeps
constexpr int DB_WIDTH_FIELDS = 30;    // fields per table it keeps
constexpr int DB_DEFAULT_WIDTH = 180;  // pixels
constexpr int DB_BUSY_TIMEOUT_MS = 5000;   // another editor holding the file's lock

// "x" -> "\"x\"": an SQL identifier, any bytes inside.
std::string quote_identifier(std::string_view name);
// A field name may hold neither the byte 0x20 nor 0x40, also not as the
// second byte of a two-byte character (the full-width space, ァ, ...), and
// may not be empty.
bool field_name_allowed(std::string_view name);
// Doubles every apostrophe of `text` into *out; returns how many there were.
int escape_apostrophes(std::string_view text, std::string* out);
// The create box's text: the first line the table name, every further
// non-empty line a field name (CR LF, LF or CR between lines).
void parse_create_box(std::string_view text, std::string* table, std::vector<std::string>* fields);
// A stored list index, clamped into [0, count) (0 when the list is empty).
int clamp_index(int index, int count);
// "<stem>_back.<ext>" beside `path` (UTF-8 file names).
std::string database_backup_path(const std::string& path);

struct DbRecord {
    std::int64_t rowid = 0;
    std::vector<std::string> values;   // one per field, code page 932; NULL = ""
};

// Widths in pixels of the record list's columns: DB_WIDTH_TABLES tables ×
// DB_WIDTH_FIELDS fields. Indices beyond the table read the default width
// and are never written.
class WidthTable {
public:
    WidthTable() { reset(); }
    void reset();
    int at(int table, int field) const;
    void set(int table, int field, int width);
    // The widths of `table` after its fields moved: new field j takes the
    // width old field order[j] had (-1: the default).
    void rearrange(int table, const std::vector<int>& order);

private:
    std::array<std::array<std::int32_t, DB_WIDTH_FIELDS>, DB_WIDTH_TABLES> w_{};
};

// Widths kept by table name and field name across a change that moves
// tables or fields in the lists.
using NamedWidths = std::map<std::pair<std::string, std::string>, int>;

enum class DbOpenResult : std::uint8_t {
    OPENED,         // an existing database with its width table
    OPENED_NEW,     // a file with no tables at all: the width table was created
    OPENED_NO_WIDTHS,   // tables, but no width table: it was created
    FAILED,         // not a database, or not readable: nothing open
    WIDTHS_FAILED,  // open, but the width table could not be created
};

// What the last failure was, so that a caller can say what is wrong.
enum class DbFault : std::uint8_t {
    NONE,
    NO_RECORD,          // read_value: no record with that ROWID
    NOT_A_DATABASE,     // the file is no database (or not one SQLite can read)
    DAMAGED,            // the file is a database, but a page of it is corrupt
    UNFINISHED_CHANGE,  // a change was cut short: its journal lies beside the file,
                        // and only opening it for writing (open) rolls it back
    BUSY,               // another program holds the file locked
    OTHER,              // anything else (last_error says what)
};

enum class RebuildKind : std::uint8_t { RENAME, DELETE, REORDER };

class DocumentDb {
public:
    DocumentDb() = default;
    ~DocumentDb();
    DocumentDb(const DocumentDb&) = delete;
    DocumentDb& operator=(const DocumentDb&) = delete;

    // Copies the file to its backup (when it exists), opens or creates it,
    // checks that it is a database, reads or creates the width table.
    DbOpenResult open(const std::string& path);
    // Opens an existing file for reading only: no backup, nothing created
    // or written, also not by close (OPENED or FAILED). A file with no
    // journal or write-ahead log beside it is read as immutable, so that no
    // -wal or -shm file is made next to a database in WAL mode; with a log
    // beside it the log is read as well (its changes are committed ones).
    // A journal of a change cut short is not rolled back: FAILED with
    // UNFINISHED_CHANGE.
    DbOpenResult open_read_only(const std::string& path);
    // Writes the widths (one transaction), vacuums when something was
    // deleted, closes. False when the widths could not be written (the
    // file is closed all the same; its widths stay as they were).
    bool close();
    bool is_open() const { return db_ != nullptr; }
    const std::string& path() const { return path_; }
    // SQLite's text of the last failure (UTF-8).
    const std::string& last_error() const { return error_; }
    DbFault last_fault() const { return fault_; }
    // Set by every deletion of records, tables or fields.
    bool vacuum_needed() const { return vacuum_; }

    // ---- lists ----------------------------------------------------------------
    // The user tables in name order (byte order), without "column-table".
    bool list_tables(std::vector<std::string>* names);
    bool list_fields(std::string_view table, std::vector<std::string>* names);
    bool list_records(std::string_view table, std::vector<DbRecord>* records);
    bool filter_records(std::string_view table, std::string_view field, std::string_view value,
                        std::vector<DbRecord>* records);
    // The value of one field of one record; false when there is no such record.
    bool read_value(std::string_view table, std::string_view field, std::int64_t rowid, std::string* value);

    // ---- records ----------------------------------------------------------------
    bool add_record(std::string_view table, std::string_view field, std::string_view value,
                    std::int64_t* rowid = nullptr);
    bool change_record(std::string_view table, std::string_view field, std::int64_t rowid, std::string_view value);
    bool delete_record(std::string_view table, std::int64_t rowid);

    // ---- tables and fields ---------------------------------------------------------
    // Creating, renaming, copying and dropping tables keep every width with
    // its table and field by name (a copy takes its source's widths), as
    // the tables' places in the name order change.
    bool create_table(std::string_view table, const std::vector<std::string>& fields);
    bool rename_table(std::string_view from, std::string_view to);
    bool copy_table(std::string_view from, std::string_view to);
    bool drop_table(std::string_view table);
    bool add_field(std::string_view table, std::string_view field);
    // Makes `table` anew with the fields `new_names`, filled from the
    // fields `old_names` (same count) of the old table; ROWIDs are
    // renumbered. One transaction: on failure the table is as it was.
    bool rebuild_table(std::string_view table, const std::vector<std::string>& old_names,
                       const std::vector<std::string>& new_names);
    // The field operations through the rebuild; the widths of the table's
    // columns follow their fields (a deleted field's width goes).
    bool rename_field(std::string_view table, std::string_view from, std::string_view to);
    bool delete_field(std::string_view table, std::string_view field);
    // `order`: the table's field names in their new order.
    bool reorder_fields(std::string_view table, const std::vector<std::string>& order);

    // ---- widths ---------------------------------------------------------------------
    WidthTable& widths() { return widths_; }
    // Every width of every table and field by name, from the lists as they are now.
    NamedWidths save_widths_by_name();
    // Puts widths saved by name back at the tables' and fields' new places.
    void restore_widths_by_name(const NamedWidths& saved);
    // Rewrites "column-table" from the width table (one transaction).
    bool write_widths();

    sqlite3* handle() { return db_; }

private:
    // Closes what is open and forgets its state.
    void start_over();
    // Opens the connection with `flags` and sets it up as every connection
    // of ours is (busy timeout, no quoted name taken for a string); false
    // with the error kept when SQLite refuses.
    bool connect(const std::string& path, int flags);
    bool exec(const char* sql);
    // Names and values go to SQLite as code page 932 bytes and come back as
    // they went only from a database that keeps its text in UTF-8 (SQLite's
    // default); one in UTF-16 would convert them both ways and garble them,
    // so it is refused (false, with the reason kept).
    bool text_kept_as_given();
    bool read_widths();
    bool create_width_table();
    bool fetch_records(const std::string& sql, const std::string* bound, std::vector<DbRecord>* records);
    bool fail();
    int table_index(std::string_view table);
    // Runs `sql`; on success the widths saved before are put back by name,
    // the table `from` now called `to` (`copy`: both keep them).
    bool exec_keeping_widths(const std::string& sql, std::string_view from, std::string_view to, bool copy);

    sqlite3* db_ = nullptr;
    std::string path_;
    std::string error_;
    DbFault fault_ = DbFault::NONE;
    bool vacuum_ = false;
    bool read_only_ = false;
    WidthTable widths_;
};

// Creates the sample database (登場人物, 年表, 取材メモ with a few rows) at
// `path` when no file is there. False when it cannot be written.
bool create_sample_database(const std::string& path);

}  // namespace rix

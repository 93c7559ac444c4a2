// Fuzz target for the document database (.ksl): a file of any bytes opened
// by the database layer, its tables, fields and records listed and read, a
// record added and the fields of a table put in another order, then the file
// closed and opened again read-only. SQLite's own file format is SQLite's
// business; this target is about our reading of what it gives.
//
//   OFFSET  SIZE  MEANING
//   0       1     bit 0 change the first table (add a record, reverse its fields)
//   1       ...   the .ksl file
//
// What the layer promises: a file that is no database is refused and nothing
// stays open; the lists never name the width table; every record has one
// value per field, and a value read alone is the value listed; widths are
// never negative; and, in a file SQLite finds sound, a change happens whole
// or not at all and closing (widths written, vacuum) never changes a table,
// a field or a value.
#include <algorithm>
#include <map>

#include <sqlite3.h>

#include "database/content_text.h"
#include "database/document_db.h"
#include "fuzz/fuzz_target.h"

namespace {

constexpr std::size_t TABLES_READ = 8;

// Every table with its fields and records, as the lists give them.
struct Contents {
    bool listed = false;   // the table list could be read
    std::vector<std::string> tables;
    std::map<std::string, std::vector<std::string>> fields;
    std::map<std::string, std::vector<rix::DbRecord>> records;
};

std::string read_contents(rix::DocumentDb& db, Contents* out) {
    if (!db.list_tables(&out->tables)) return "";
    out->listed = true;
    if (!std::is_sorted(out->tables.begin(), out->tables.end())) return "tables out of name order";
    for (std::size_t t = 0; t < out->tables.size() && t < TABLES_READ; ++t) {
        const std::string& table = out->tables[t];
        if (table == rix::COLUMN_TABLE) return "the width table is listed";
        std::vector<std::string>& fields = out->fields[table];
        std::vector<rix::DbRecord>& records = out->records[table];
        if (!db.list_fields(table, &fields) || !db.list_records(table, &records)) continue;
        // ROWIDs that repeat come from a b-tree SQLite itself calls malformed
        // (and may not have noticed yet): a record cannot be told by its ROWID there.
        bool rowids_unique = true;
        for (std::size_t i = 1; i < records.size(); ++i) rowids_unique &= records[i - 1].rowid < records[i].rowid;
        for (const rix::DbRecord& r : records) {
            if (r.values.size() != fields.size()) return "a record without one value per field";
            for (std::size_t f = 0; f < fields.size() && f < 4 && rowids_unique; ++f) {
                std::string value;
                if (db.read_value(table, fields[f], r.rowid, &value) && value != r.values[f])
                    return "a value read alone differs from the list";
                rix::content_title(rix::count_characters(r.values[f]), false);
            }
        }
        for (int f = 0; f < static_cast<int>(fields.size()) + 1; ++f)
            if (db.widths().at(static_cast<int>(t), f) < 0) return "a negative width";
    }
    return "";
}

bool same_values(const Contents& a, const Contents& b) {
    if (a.tables != b.tables || a.fields != b.fields || a.records.size() != b.records.size()) return false;
    for (const auto& [table, records] : a.records) {
        const std::vector<rix::DbRecord>& other = b.records.at(table);
        if (records.size() != other.size()) return false;
        for (std::size_t i = 0; i < records.size(); ++i)
            if (records[i].values != other[i].values) return false;   // a vacuum may renumber ROWIDs
    }
    return true;
}

std::string change_first_table(rix::DocumentDb& db, const Contents& before) {
    if (before.tables.empty() || !before.fields.count(before.tables[0])) return "";
    const std::string& table = before.tables[0];
    const std::vector<std::string>& fields = before.fields.at(table);
    if (fields.empty()) return "";
    std::vector<rix::DbRecord> records;
    const bool added = db.add_record(table, fields[0], "\x93\x6F\x8F\xEA\x90\x6C\x95\xA8");   // 登場人物
    if (!db.list_records(table, &records)) return "";
    const std::size_t had = before.records.at(table).size();
    if (records.size() != had + (added ? 1 : 0)) return "adding a record did not add one record";
    std::vector<std::string> reversed(fields.rbegin(), fields.rend());
    std::vector<rix::DbRecord> old_records = records;
    const bool reordered = db.reorder_fields(table, reversed);
    std::vector<std::string> now_fields;
    if (!db.list_fields(table, &now_fields) || !db.list_records(table, &records)) return "";
    if (now_fields != (reordered ? reversed : fields)) return "the fields are in neither order";
    if (records.size() != old_records.size()) return "reordering lost or made records";
    for (std::size_t i = 0; i < records.size(); ++i) {
        std::vector<std::string> values = old_records[i].values;
        if (reordered) std::reverse(values.begin(), values.end());
        if (records[i].values != values) return "reordering changed a value";
    }
    return "";
}

// Whether SQLite finds its own structures sound. In a file it calls
// malformed, what a change does is SQLite's business: only the reading is
// checked there.
bool sqlite_sound(rix::DocumentDb& db) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db.handle(), "PRAGMA quick_check", -1, &st, nullptr) != SQLITE_OK) return false;
    bool ok = sqlite3_step(st) == SQLITE_ROW && sqlite3_column_text(st, 0) &&
              std::string_view(reinterpret_cast<const char*>(sqlite3_column_text(st, 0))) == "ok";
    sqlite3_finalize(st);
    return ok;
}

std::string database_entry(const std::uint8_t* data, std::size_t size) {
    std::string_view in = rix::fuzz::bytes_of(data, size);
    const std::uint8_t flags = rix::fuzz::take_flags(&in);
    const std::string folder = rix::fuzz::scratch_folder() + "/db";
    ::mkdir(folder.c_str(), 0700);
    rix::fuzz::empty_folder(folder);
    const std::string path = folder + "/サンプル.ksl";
    if (!rix::fuzz::write_file(path, in)) return "";

    Contents before, after;
    {
        rix::DocumentDb db;
        rix::DbOpenResult opened = db.open(path);
        if (opened == rix::DbOpenResult::FAILED) return db.is_open() ? "a refused file stays open" : "";
        if (!db.is_open()) return "an opened file is not open";
        const bool sound = sqlite_sound(db);
        if (std::string bad = read_contents(db, &before); !bad.empty()) return bad;
        if (!sound) return "";
        if (flags & 1) {
            if (std::string bad = change_first_table(db, before); !bad.empty()) return bad;
            before = Contents{};
            if (std::string bad = read_contents(db, &before); !bad.empty()) return "after the change: " + bad;
        }
        db.close();
        if (db.is_open()) return "closed but open";
    }
    rix::DocumentDb again;
    if (again.open_read_only(path) != rix::DbOpenResult::OPENED) return "";
    if (std::string bad = read_contents(again, &after); !bad.empty()) return "read-only: " + bad;
    // (A connection SQLite gave up on after a failed change lists nothing:
    // there is nothing to compare then.)
    if (before.listed && after.listed && !same_values(before, after)) return "closing changed tables, fields or values";
    return "";
}

}  // namespace

RIX_FUZZ_TARGET(database, database_entry)

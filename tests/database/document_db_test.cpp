// The document database on real SQLite files in a temporary folder.
// Owed: a file locked by another editor for longer than the busy timeout.
#include "database/document_db.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

#include <sys/wait.h>
#include <unistd.h>

#include "platform/codec.h"
#include "platform/files.h"
#include "tests/support/temp_folder.h"

namespace rix {
namespace {

using test::TempFolder;

std::string sj(const char* utf8) { return utf8_to_sjis(utf8); }

// Opens a fresh database with one table and its fields.
struct Fixture {
    TempFolder dir;
    DocumentDb db;
    std::string path = dir.file("t.ksl");
    Fixture() { EXPECT_EQ(db.open(path), DbOpenResult::OPENED_NEW); }
};

std::vector<std::string> tables_of(DocumentDb& db) {
    std::vector<std::string> t;
    EXPECT_TRUE(db.list_tables(&t));
    return t;
}

std::vector<std::string> fields_of(DocumentDb& db, const std::string& table) {
    std::vector<std::string> f;
    EXPECT_TRUE(db.list_fields(table, &f));
    return f;
}

TEST(DocumentDbNames, QuotingAndFieldNameRule) {
    EXPECT_EQ(quote_identifier("a\"b"), "\"a\"\"b\"");
    EXPECT_FALSE(field_name_allowed(sj("ァ名")));   // 0x83 0x40
    EXPECT_FALSE(field_name_allowed("a b"));
    EXPECT_FALSE(field_name_allowed("a@b"));
    EXPECT_FALSE(field_name_allowed(sj("全　角")));  // 0x81 0x40
    EXPECT_FALSE(field_name_allowed(""));
    EXPECT_TRUE(field_name_allowed(sj("表題")));
    EXPECT_TRUE(field_name_allowed(sj("ポイント")));
    EXPECT_TRUE(field_name_allowed("order"));

    std::string out;
    EXPECT_EQ(escape_apostrophes("it's 'x'", &out), 3);
    EXPECT_EQ(out, "it''s ''x''");

    std::string table;
    std::vector<std::string> fields;
    parse_create_box("people\r\n\r\nname\r\n\r\nage\r\n", &table, &fields);
    EXPECT_EQ(table, "people");
    EXPECT_EQ(fields, (std::vector<std::string>{"name", "age"}));
    parse_create_box("only", &table, &fields);
    EXPECT_TRUE(fields.empty());

    EXPECT_EQ(clamp_index(5, 3), 2);
    EXPECT_EQ(clamp_index(-1, 3), 0);
    EXPECT_EQ(clamp_index(7, 0), 0);
    EXPECT_EQ(database_backup_path("/d/a.b.ksl"), "/d/a.b_back.ksl");
    EXPECT_EQ(database_backup_path("/d/noext"), "/d/noext_back");
}

TEST(DocumentDbOpen, NewFileHoldsOnlyTheWidthTable) {
    Fixture f;
    EXPECT_TRUE(tables_of(f.db).empty());
    ASSERT_TRUE(f.db.close());
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(f.path.c_str(), &raw), SQLITE_OK);
    sqlite3_stmt* st = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(raw, "SELECT name FROM sqlite_master WHERE type='table'", -1, &st, nullptr), SQLITE_OK);
    std::vector<std::string> names;
    while (sqlite3_step(st) == SQLITE_ROW) names.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    ASSERT_EQ(sqlite3_prepare_v2(raw, "SELECT * FROM \"column-table\"", -1, &st, nullptr), SQLITE_OK);
    EXPECT_EQ(sqlite3_column_count(st), 30);
    EXPECT_STREQ(sqlite3_column_name(st, 0), "1");
    EXPECT_STREQ(sqlite3_column_name(st, 29), "30");
    sqlite3_finalize(st);
    sqlite3_close(raw);
    EXPECT_EQ(names, (std::vector<std::string>{"column-table"}));
}

TEST(DocumentDbOpen, NotADatabaseIsRefusedAndLeftAlone) {
    TempFolder dir;
    const std::string junk = "This is a manuscript, not a database.\r\n" + std::string(2000, 'x');
    const std::string path = dir.write("notes.ksl", junk);
    DocumentDb db;
    EXPECT_EQ(db.open(path), DbOpenResult::FAILED);
    EXPECT_FALSE(db.is_open());
    EXPECT_FALSE(db.last_error().empty());
    EXPECT_EQ(test::slurp(path), junk);
    std::vector<std::string> t;
    EXPECT_FALSE(db.list_tables(&t));
}

// A database that keeps its text in UTF-16 (made by another tool) would turn
// our code page 932 bytes into other bytes both ways: refused, left alone.
TEST(DocumentDbOpen, DatabaseInUtf16IsRefusedAndLeftAlone) {
    TempFolder dir;
    const std::string path = dir.file("utf16.ksl");
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &raw), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(raw, "PRAGMA encoding='UTF-16le'; CREATE TABLE t(a); INSERT INTO t VALUES('x');", nullptr,
                           nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(raw);
    const std::string before = test::slurp(path);
    for (bool read_only : {false, true}) {
        DocumentDb db;
        EXPECT_EQ(read_only ? db.open_read_only(path) : db.open(path), DbOpenResult::FAILED) << read_only;
        EXPECT_FALSE(db.is_open());
        EXPECT_NE(db.last_error().find("UTF-16"), std::string::npos) << db.last_error();
    }
    EXPECT_EQ(test::slurp(path), before);
}

TEST(DocumentDbOpen, BackupCopyIsMadeBeforeOpening) {
    Fixture f;
    ASSERT_TRUE(f.db.create_table("a", {"x"}));
    ASSERT_TRUE(f.db.close());
    const std::string before = test::slurp(f.path);
    DocumentDb again;
    ASSERT_EQ(again.open(f.path), DbOpenResult::OPENED);
    EXPECT_EQ(test::slurp(f.dir.file("t_back.ksl")), before);
}

TEST(DocumentDbValues, ApostrophesAndTrailBytesComeBackExact) {
    Fixture f;
    const std::string table = sj("表題");          // 0x95 0x5C ...
    const std::vector<std::string> fields = {sj("ポイント"), "order", sj("十能")};
    ASSERT_TRUE(f.db.create_table(table, fields));
    EXPECT_EQ(fields_of(f.db, table), fields);
    const std::string value = sj("ソ十能ポァ表 it's 'quoted' \\|@ 終わり\r\n次の行");
    std::int64_t rowid = 0;
    ASSERT_TRUE(f.db.add_record(table, fields[1], value, &rowid));
    ASSERT_TRUE(f.db.add_record(table, fields[0], "second"));
    std::vector<DbRecord> records;
    ASSERT_TRUE(f.db.list_records(table, &records));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].rowid, rowid);
    EXPECT_EQ(records[0].values, (std::vector<std::string>{"", value, ""}));   // NULL lists as empty
    std::string read;
    ASSERT_TRUE(f.db.read_value(table, fields[2], rowid, &read));
    EXPECT_EQ(read, "");
    ASSERT_TRUE(f.db.change_record(table, fields[2], rowid, "it''s"));
    ASSERT_TRUE(f.db.read_value(table, fields[2], rowid, &read));
    EXPECT_EQ(read, "it''s");
    ASSERT_TRUE(f.db.filter_records(table, fields[1], value, &records));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].rowid, rowid);
    EXPECT_FALSE(f.db.change_record(table, fields[2], 999, "x"));   // no such record is a failure
    ASSERT_TRUE(f.db.delete_record(table, rowid));
    EXPECT_TRUE(f.db.vacuum_needed());
    ASSERT_TRUE(f.db.list_records(table, &records));
    EXPECT_EQ(records.size(), 1u);
    // Byte-exact in the file too, after a reopen.
    ASSERT_TRUE(f.db.close());
    DocumentDb again;
    ASSERT_EQ(again.open(f.path), DbOpenResult::OPENED);
    EXPECT_EQ(tables_of(again), std::vector<std::string>{table});
}

TEST(DocumentDbValues, HostileNamesRunNoSecondStatement) {
    Fixture f;
    ASSERT_TRUE(f.db.create_table("y", {"v"}));
    ASSERT_TRUE(f.db.add_record("y", "v", "keep me"));
    const std::string hostile = "x'; DROP TABLE 'y";
    ASSERT_TRUE(f.db.create_table(hostile, {"a\"; DROP TABLE y; --", "b'c"}));
    ASSERT_TRUE(f.db.add_record(hostile, "b'c", "'); DROP TABLE y; --"));
    ASSERT_TRUE(f.db.rename_table(hostile, "z\"; DROP TABLE y; --"));
    ASSERT_TRUE(f.db.copy_table("z\"; DROP TABLE y; --", "w'); DROP TABLE y;"));
    ASSERT_TRUE(f.db.add_field("y", "c\"); DROP TABLE y; --"));
    const auto tables = tables_of(f.db);
    EXPECT_NE(std::find(tables.begin(), tables.end(), "y"), tables.end());
    std::vector<DbRecord> records;
    ASSERT_TRUE(f.db.list_records("y", &records));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].values[0], "keep me");
    ASSERT_TRUE(f.db.list_records("w'); DROP TABLE y;", &records));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].values[1], "'); DROP TABLE y; --");
}

TEST(DocumentDbTables, KeywordsAndTrailBytesCreatedAndRenamed) {
    Fixture f;
    ASSERT_TRUE(f.db.create_table("order", {"select", sj("表")}));
    ASSERT_TRUE(f.db.add_record("order", sj("表"), "v"));
    ASSERT_TRUE(f.db.rename_table("order", sj("ポイント")));
    ASSERT_TRUE(f.db.rename_field(sj("ポイント"), sj("表"), "group"));
    EXPECT_EQ(fields_of(f.db, sj("ポイント")), (std::vector<std::string>{"select", "group"}));
    ASSERT_TRUE(f.db.add_field(sj("ポイント"), sj("表題")));
    EXPECT_EQ(fields_of(f.db, sj("ポイント")).size(), 3u);
    std::vector<DbRecord> records;
    ASSERT_TRUE(f.db.list_records(sj("ポイント"), &records));
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].values[1], "v");
    // A duplicate name fails and says why.
    EXPECT_FALSE(f.db.create_table(sj("ポイント"), {"a"}));
    EXPECT_FALSE(f.db.last_error().empty());
    EXPECT_FALSE(f.db.copy_table("missing", "copy"));
    EXPECT_FALSE(f.db.drop_table("missing"));
    ASSERT_TRUE(f.db.drop_table(sj("ポイント")));
    EXPECT_TRUE(tables_of(f.db).empty());
}

TEST(DocumentDbRebuild, RenameKeepsValuesAndFailureLeavesTheTable) {
    Fixture f;
    ASSERT_TRUE(f.db.create_table("t", {"a", "b", "c"}));
    for (int i = 0; i < 5; ++i) {
        std::int64_t id = 0;
        ASSERT_TRUE(f.db.add_record("t", "a", "a" + std::to_string(i), &id));
        ASSERT_TRUE(f.db.change_record("t", "b", id, "b" + std::to_string(i)));
    }
    ASSERT_TRUE(f.db.delete_record("t", 2));
    ASSERT_TRUE(f.db.rename_field("t", "b", "bee"));
    std::vector<DbRecord> records;
    ASSERT_TRUE(f.db.list_records("t", &records));
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[1].rowid, 2);   // renumbered by the copy
    EXPECT_EQ(records[1].values, (std::vector<std::string>{"a2", "b2", ""}));

    // Renaming onto another field's name fails at the new table: nothing changes.
    EXPECT_FALSE(f.db.rename_field("t", "bee", "a"));
    EXPECT_EQ(fields_of(f.db, "t"), (std::vector<std::string>{"a", "bee", "c"}));
    // A copy from a field that is not there fails after the new table was
    // made (not read as the text "nope").
    EXPECT_FALSE(f.db.rebuild_table("t", {"a", "nope", "c"}, {"a", "b", "c"}));
    EXPECT_EQ(fields_of(f.db, "t"), (std::vector<std::string>{"a", "bee", "c"}));
    ASSERT_TRUE(f.db.list_records("t", &records));
    EXPECT_EQ(records.size(), 4u);
    EXPECT_EQ(tables_of(f.db), std::vector<std::string>{"t"});   // no "temporary-table" left
}

TEST(DocumentDbRebuild, ReorderMovesDataAndWidthsTogether) {
    Fixture f;
    ASSERT_TRUE(f.db.create_table("t", {"a", "b", "c"}));
    ASSERT_TRUE(f.db.add_record("t", "c", "cc"));
    f.db.widths().set(0, 0, 10);
    f.db.widths().set(0, 1, 20);
    f.db.widths().set(0, 2, 30);
    ASSERT_TRUE(f.db.reorder_fields("t", {"c", "a", "b"}));
    EXPECT_EQ(fields_of(f.db, "t"), (std::vector<std::string>{"c", "a", "b"}));
    std::vector<DbRecord> records;
    ASSERT_TRUE(f.db.list_records("t", &records));
    EXPECT_EQ(records[0].values[0], "cc");
    EXPECT_EQ(f.db.widths().at(0, 0), 30);
    EXPECT_EQ(f.db.widths().at(0, 1), 10);
    EXPECT_EQ(f.db.widths().at(0, 2), 20);
    ASSERT_TRUE(f.db.delete_field("t", "a"));
    EXPECT_EQ(fields_of(f.db, "t"), (std::vector<std::string>{"c", "b"}));
    EXPECT_EQ(f.db.widths().at(0, 0), 30);
    EXPECT_EQ(f.db.widths().at(0, 1), 20);
}

TEST(DocumentDbWidths, SurviveReopenRenameAndAnEarlierTable) {
    Fixture f;
    ASSERT_TRUE(f.db.create_table("m", {"x", "y"}));
    f.db.widths().set(0, 1, 77);
    ASSERT_TRUE(f.db.close());
    {
        DocumentDb db;
        ASSERT_EQ(db.open(f.path), DbOpenResult::OPENED);
        EXPECT_EQ(db.widths().at(0, 1), 77);
        ASSERT_TRUE(db.rename_table("m", "q"));
        EXPECT_EQ(db.widths().at(0, 1), 77);
        ASSERT_TRUE(db.create_table("a", {"z"}));   // sorts before "q"
        EXPECT_EQ(db.widths().at(0, 0), DB_DEFAULT_WIDTH);
        EXPECT_EQ(db.widths().at(1, 1), 77);
        ASSERT_TRUE(db.copy_table("q", "b"));        // a, b, q: the copy takes the widths
        EXPECT_EQ(db.widths().at(1, 1), 77);
        EXPECT_EQ(db.widths().at(2, 1), 77);
        ASSERT_TRUE(db.drop_table("a"));
        EXPECT_EQ(db.widths().at(1, 1), 77);
        ASSERT_TRUE(db.close());
    }
    DocumentDb db;
    ASSERT_EQ(db.open(f.path), DbOpenResult::OPENED);
    EXPECT_EQ(tables_of(db), (std::vector<std::string>{"b", "q"}));
    EXPECT_EQ(db.widths().at(1, 1), 77);
    EXPECT_EQ(db.widths().at(1, 0), DB_DEFAULT_WIDTH);
}

// SQLite knows table names without regard to ASCII case: a width table
// stored as "Column-Table" is the width table, never a table of the writer's
// into which the widths are written at the close.
TEST(DocumentDbWidths, TheWidthTableInAnotherCaseIsStillTheWidthTable) {
    TempFolder dir;
    const std::string path = dir.file("c.ksl");
    {
        sqlite3* raw = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &raw), SQLITE_OK);
        std::string sql = "CREATE TABLE \"Column-Table\" (";
        for (int j = 0; j < DB_WIDTH_FIELDS; ++j) sql += (j ? ", c" : "c") + std::to_string(j);
        sql += "); CREATE TABLE m(x, y); INSERT INTO m VALUES('a', 'b');";
        ASSERT_EQ(sqlite3_exec(raw, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(raw);
    }
    for (int round = 0; round < 2; ++round) {
        DocumentDb db;
        ASSERT_EQ(db.open(path), DbOpenResult::OPENED);
        EXPECT_EQ(tables_of(db), (std::vector<std::string>{"m"}));
        db.widths().set(0, 1, 55 + round);
        ASSERT_TRUE(db.close());
    }
    DocumentDb db;
    ASSERT_EQ(db.open(path), DbOpenResult::OPENED);
    EXPECT_EQ(tables_of(db), (std::vector<std::string>{"m"}));
    EXPECT_EQ(db.widths().at(0, 1), 56);
}

TEST(DocumentDbWidths, ManyTablesAndFieldsStayInBounds) {
    Fixture f;
    std::vector<std::string> fields;
    for (int j = 0; j < 31; ++j) fields.push_back("f" + std::to_string(j));
    ASSERT_EQ(sqlite3_exec(f.db.handle(), "BEGIN", nullptr, nullptr, nullptr), SQLITE_OK);
    for (int i = 0; i < 201; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "t%03d", i);
        ASSERT_TRUE(f.db.create_table(name, i == 200 ? fields : std::vector<std::string>{"a"}));
    }
    ASSERT_EQ(sqlite3_exec(f.db.handle(), "COMMIT", nullptr, nullptr, nullptr), SQLITE_OK);
    f.db.widths().set(200, 0, 5);    // beyond the table: ignored
    f.db.widths().set(0, 30, 5);
    EXPECT_EQ(f.db.widths().at(200, 0), DB_DEFAULT_WIDTH);
    EXPECT_EQ(f.db.widths().at(0, 30), DB_DEFAULT_WIDTH);
    f.db.widths().set(199, 29, 44);
    ASSERT_TRUE(f.db.close());
    DocumentDb db;
    ASSERT_EQ(db.open(f.path), DbOpenResult::OPENED);
    EXPECT_EQ(db.widths().at(199, 29), 44);
    EXPECT_EQ(tables_of(db).size(), 201u);
}

TEST(DocumentDbWidths, FailedRewriteKeepsTheStoredWidths) {
    Fixture f;
    ASSERT_TRUE(f.db.create_table("t", {"a"}));
    f.db.widths().set(0, 0, 66);
    ASSERT_TRUE(f.db.write_widths());
    // Another connection holds the write lock past the busy timeout.
    sqlite3* other = nullptr;
    ASSERT_EQ(sqlite3_open(f.path.c_str(), &other), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(other, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_busy_timeout(f.db.handle(), 50);
    f.db.widths().set(0, 0, 99);
    EXPECT_FALSE(f.db.write_widths());
    sqlite3_exec(other, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    ASSERT_EQ(sqlite3_prepare_v2(other, "SELECT \"1\" FROM \"column-table\"", -1, &st, nullptr), SQLITE_OK);
    ASSERT_EQ(sqlite3_step(st), SQLITE_ROW);
    EXPECT_STREQ(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)), "66");
    EXPECT_EQ(sqlite3_step(st), SQLITE_DONE);
    sqlite3_finalize(st);
    sqlite3_close(other);
    ASSERT_TRUE(f.db.close());   // now it can write
    DocumentDb db;
    ASSERT_EQ(db.open(f.path), DbOpenResult::OPENED);
    EXPECT_EQ(db.widths().at(0, 0), 99);
}

// A database made with SQLite itself (no backup, no width table), with the
// statements given; false when one of them fails.
bool make_raw(const std::string& path, const std::vector<std::string>& statements, sqlite3** kept = nullptr) {
    sqlite3* db = nullptr;
    if (sqlite3_open(path.c_str(), &db) != SQLITE_OK) return false;
    bool ok = true;
    for (const std::string& sql : statements) ok = ok && sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
    if (kept && ok) *kept = db;
    else sqlite3_close(db);
    return ok;
}

// Reading a database for printing writes nothing beside it, reads what was
// committed, and says what is wrong instead of taking one fault for another.
TEST(DocumentDbReadOnly, WalDatabaseLeavesNoFilesAndCommittedChangesAreRead) {
    TempFolder dir;
    const std::string path = dir.file("w.ksl");
    ASSERT_TRUE(make_raw(path, {"PRAGMA journal_mode=WAL", "CREATE TABLE t (a)", "INSERT INTO t VALUES ('first')"}));
    ASSERT_EQ(test::slurp(path).substr(18, 2), std::string("\x02\x02"));   // in WAL mode
    DocumentDb db;
    ASSERT_EQ(db.open_read_only(path), DbOpenResult::OPENED) << db.last_error();
    std::string value;
    ASSERT_TRUE(db.read_value("t", "a", 1, &value));
    EXPECT_EQ(value, "first");
    EXPECT_TRUE(db.close());
    EXPECT_EQ(list_folder_names(dir.path()), std::vector<std::string>{"w.ksl"});

    // A writer still at work: its committed change lives in the log and is read.
    sqlite3* writer = nullptr;
    ASSERT_TRUE(make_raw(path, {"PRAGMA wal_autocheckpoint=0", "INSERT INTO t VALUES ('second')"}, &writer));
    ASSERT_TRUE(file_exists(path + "-wal"));
    ASSERT_EQ(db.open_read_only(path), DbOpenResult::OPENED) << db.last_error();
    EXPECT_TRUE(db.read_value("t", "a", 2, &value)) << db.last_error();
    EXPECT_EQ(value, "second");
    EXPECT_TRUE(db.close());
    sqlite3_close(writer);
}

TEST(DocumentDbReadOnly, ChangeCutShortIsReportedAndTheFilesStayAsTheyWere) {
    TempFolder dir;
    const std::string path = dir.file("j.ksl");
    std::vector<std::string> fill = {"CREATE TABLE t (a)"};
    for (int i = 0; i < 100; ++i) fill.push_back("INSERT INTO t VALUES (printf('%.1000c', 'x'))");
    ASSERT_TRUE(make_raw(path, fill));
    // A writer killed in the middle of a large change: the pages it spilled
    // into the file are undone only by its journal.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::vector<std::string> change = {"PRAGMA cache_size=2", "BEGIN", "UPDATE t SET a = 'z' WHERE rowid < 60"};
        for (int i = 0; i < 100; ++i) change.push_back("INSERT INTO t VALUES (printf('%.1000c', 'y'))");
        sqlite3* db = nullptr;
        sqlite3_open(path.c_str(), &db);
        for (const std::string& sql : change) sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(file_exists(path + "-journal"));
    const std::string file = test::slurp(path), journal = test::slurp(path + "-journal");
    DocumentDb db;
    EXPECT_EQ(db.open_read_only(path), DbOpenResult::FAILED);
    EXPECT_EQ(db.last_fault(), DbFault::UNFINISHED_CHANGE) << db.last_error();
    EXPECT_EQ(test::slurp(path), file);
    EXPECT_EQ(test::slurp(path + "-journal"), journal);
    EXPECT_EQ(list_folder_names(dir.path()).size(), 2u);
    // Opened for writing, the change is rolled back and every row is whole.
    ASSERT_EQ(db.open(path), DbOpenResult::OPENED_NO_WIDTHS) << db.last_error();
    std::vector<DbRecord> records;
    ASSERT_TRUE(db.list_records("t", &records));
    EXPECT_EQ(records.size(), 100u);
    EXPECT_EQ(records[0].values[0], std::string(1000, 'x'));
}

TEST(DocumentDbReadOnly, DamagedPageIsNoMissingRecord) {
    TempFolder dir;
    const std::string path = dir.file("c.ksl");
    ASSERT_TRUE(make_raw(path, {"PRAGMA page_size=4096", "CREATE TABLE t (a)",
                                "INSERT INTO t VALUES (printf('%.20000c', 'x'))", "INSERT INTO t VALUES ('short')"}));
    // Page 4 is one of the first record's overflow pages.
    std::string bytes = test::slurp(path);
    ASSERT_GE(bytes.size(), 5u * 4096);
    std::fill(bytes.begin() + 3 * 4096, bytes.begin() + 4 * 4096, '\xFF');
    dir.write("c.ksl", bytes);
    DocumentDb db;
    ASSERT_EQ(db.open_read_only(path), DbOpenResult::OPENED) << db.last_error();
    std::string value;
    EXPECT_TRUE(db.read_value("t", "a", 2, &value));
    EXPECT_EQ(value, "short");
    EXPECT_FALSE(db.read_value("t", "a", 1, &value));
    EXPECT_EQ(db.last_fault(), DbFault::DAMAGED) << db.last_error();
    EXPECT_FALSE(db.read_value("t", "a", 99, &value));
    EXPECT_EQ(db.last_fault(), DbFault::NO_RECORD);
    EXPECT_TRUE(db.close());
    EXPECT_EQ(test::slurp(path), bytes);

    const std::string junk = dir.write("junk.ksl", std::string(3000, 'j'));
    EXPECT_EQ(db.open_read_only(junk), DbOpenResult::FAILED);
    EXPECT_EQ(db.last_fault(), DbFault::NOT_A_DATABASE) << db.last_error();
}

// A name with the characters an SQLite URI gives a meaning to is the file's own.
TEST(DocumentDbReadOnly, NamesWithUriCharactersAreOpened) {
    TempFolder dir;
    const std::string path = dir.file("取材 100%?#1.ksl");
    ASSERT_TRUE(make_raw(path, {"CREATE TABLE t (a)", "INSERT INTO t VALUES ('here')"}));
    DocumentDb db;
    ASSERT_EQ(db.open_read_only(path), DbOpenResult::OPENED) << db.last_error();
    std::string value;
    EXPECT_TRUE(db.read_value("t", "a", 1, &value));
    EXPECT_EQ(value, "here");
    EXPECT_TRUE(db.close());
    EXPECT_EQ(list_folder_names(dir.path()).size(), 1u);
}

TEST(DocumentDbSharing, TwoConnectionsShareOneFile) {
    Fixture f;
    ASSERT_TRUE(f.db.create_table("t", {"a"}));
    DocumentDb second;
    ASSERT_EQ(second.open(f.path), DbOpenResult::OPENED);
    // The first holds a write transaction for a moment; the second waits for it.
    sqlite3* holder = nullptr;
    ASSERT_EQ(sqlite3_open(f.path.c_str(), &holder), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(holder, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    std::thread release([holder] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        sqlite3_exec(holder, "COMMIT", nullptr, nullptr, nullptr);
    });
    const bool added = second.add_record("t", "a", "from the second");
    release.join();
    sqlite3_close(holder);
    EXPECT_TRUE(added) << second.last_error();
    std::vector<DbRecord> records;
    ASSERT_TRUE(f.db.list_records("t", &records));
    EXPECT_EQ(records.size(), 1u);
    EXPECT_TRUE(second.close());
}

TEST(DocumentDbSample, HoldsTheThreeTablesWithRows) {
    TempFolder dir;
    const std::string path = dir.file("sample.ksl");
    ASSERT_TRUE(create_sample_database(path));
    DocumentDb db;
    ASSERT_EQ(db.open(path), DbOpenResult::OPENED);
    const auto tables = tables_of(db);
    EXPECT_EQ(tables, (std::vector<std::string>{sj("取材メモ"), sj("登場人物"), sj("年表")}));
    for (const auto& t : tables) {
        for (const auto& field : fields_of(db, t)) EXPECT_TRUE(field_name_allowed(field));
        std::vector<DbRecord> records;
        ASSERT_TRUE(db.list_records(t, &records));
        EXPECT_GE(records.size(), 3u);
    }
    EXPECT_EQ(db.widths().at(1, 3), 360);
    ASSERT_TRUE(db.close());
    const std::string before = test::slurp(path);
    ASSERT_TRUE(create_sample_database(path));   // an existing file is kept
    EXPECT_EQ(test::slurp(path), before);
}

}  // namespace
}  // namespace rix

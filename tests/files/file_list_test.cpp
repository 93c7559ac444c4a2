// The file list: path classification, patterns, titles from extension
// headers, the order of rows and the listing of a folder.
//
// Owed: the locale order of titles beyond ASCII case folding.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "files/file_list.h"
#include "platform/codec.h"
#include "platform/fake_messages.h"
#include "tests/support/temp_folder.h"

namespace rix {
namespace {

using test::TempFolder;

std::string sj(std::string_view utf8) { return utf8_to_sjis(utf8); }

// A 128-byte extension header as the stored format lays it out: magic at 0,
// the text extension at 5, the document title at 8, the print title at 88.
std::string header(std::string_view magic, std::string_view ext, std::string_view title, std::string_view print) {
    std::string h(128, '\0');
    h.replace(0, magic.size(), magic);
    h.replace(5, ext.size(), ext);
    h.replace(8, title.size(), title);
    h.replace(88, print.size(), print);
    return h;
}

TEST(ClassifyPathTest, TellsFoldersPatternsFilesAndNewNames) {
    TempFolder t;
    t.write("a.txt", "x");
    ::mkdir(t.file("sub").c_str(), 0755);
    std::string p = t.file("sub");
    EXPECT_EQ(classify_path(&p), PATH_LISTABLE);
    EXPECT_EQ(p, t.file("sub/"));
    p = t.file("*.txt");
    EXPECT_EQ(classify_path(&p), PATH_LISTABLE);
    p = t.file("a.txt");
    EXPECT_EQ(classify_path(&p), PATH_EXISTING);
    p = t.file("new.txt");
    EXPECT_EQ(classify_path(&p), PATH_NEW_NAME);

    FakeMessages messages;
    p = t.file("none/a.txt");
    EXPECT_EQ(classify_path(&p), PATH_NO_FOLDER);
    EXPECT_EQ(p, t.file("none/a.txt"));
    Notices notices;
    EXPECT_EQ(classify_path(&p, &notices), PATH_NO_FOLDER);
    ASSERT_EQ(notices.items.size(), 1u);
    EXPECT_EQ(notices.items[0].utf8, "フォルダが存在しません｡");
    EXPECT_EQ(notices.items[0].time_ms, 2000u);
    EXPECT_TRUE(p.empty());
    EXPECT_TRUE(messages.log.empty());   // reported, not shown
}

TEST(ClassifyPathTest, ARelativeNameIsCompletedWithTheCurrentFolder) {
    std::string p = "rix-no-such-file.txt";
    EXPECT_EQ(classify_path(&p), PATH_NEW_NAME);
    ASSERT_FALSE(p.empty());
    EXPECT_EQ(p.front(), '/');
}

TEST(WildcardTest, MatchesAsTheDialogsUsersExpect) {
    EXPECT_TRUE(wildcard_match("*.*", "a.txt"));
    EXPECT_TRUE(wildcard_match("*.*", "README"));            // no dot still matches
    EXPECT_TRUE(wildcard_match("*.TXT", "draft.txt"));       // case-insensitive
    EXPECT_FALSE(wildcard_match("*.txt", "draft.txt.bak"));
    EXPECT_TRUE(wildcard_match("d?aft*", "DRAFT-2.txt"));
    EXPECT_TRUE(wildcard_match("?.txt", "あ.txt"));          // one whole character
    EXPECT_FALSE(wildcard_match("??.txt", "あ.txt"));
    EXPECT_TRUE(wildcard_match("a*b*c", "axxbyyc"));
    EXPECT_FALSE(wildcard_match("a*b*c", "axxbyy"));
    EXPECT_TRUE(wildcard_match("*", ""));
}

TEST(TitleColumnTest, ReadsTheHeadersOfEachVersion) {
    TempFolder t;
    t.write("doc.txt", "x");
    t.write("doc.rix", header("RIX45", "txt", sj("表題です"), sj("印刷")));
    EXPECT_EQ(sjis_to_utf8(title_column(t.file("doc.txt"))), "表題です");

    t.write("print.txt", "x");
    t.write("print.rix", header("RIX41", "txt", "", sj("印刷表題")));
    EXPECT_EQ(sjis_to_utf8(title_column(t.file("print.txt"))), "印刷表題");

    t.write("none.txt", "x");
    t.write("none.rix", header("RIX45", "TXT", "", ""));
    EXPECT_EQ(title_column(t.file("none.txt")), "*");

    t.write("old.txt", "x");
    t.write("old.rix", header("RIX20", "txt", sj("古い"), ""));
    EXPECT_EQ(title_column(t.file("old.txt")), "+");

    // Version 23 headers are 32 bytes: what follows is records, not a print title.
    std::string v23 = header("RIX23", "txt", "", "");
    v23.replace(88, 8, "GARBAGE!");
    t.write("v23.txt", "x");
    t.write("v23.rix", v23);
    EXPECT_EQ(title_column(t.file("v23.txt")), "*");

    // A title filling its 24 bytes stops there, not in the next field.
    std::string full = header("RIX45", "txt", std::string(24, 'T'), "");
    full[32] = 'X';
    t.write("full.txt", "x");
    t.write("full.rix", full);
    EXPECT_EQ(title_column(t.file("full.txt")), std::string(24, 'T'));

    // An extension file made for doc2.tex says nothing about doc2.txt.
    t.write("doc2.txt", "x");
    t.write("doc2.rix", header("RIX45", "tex", sj("別の文書"), ""));
    EXPECT_EQ(title_column(t.file("doc2.txt")), "");

    t.write("bare.txt", "x");
    EXPECT_EQ(title_column(t.file("bare.txt")), "");
}

FileRow row(RowKind kind, std::string name, std::int64_t size = 0, std::int64_t mtime = 0, std::string title = "") {
    FileRow r;
    r.kind = kind;
    r.name = std::move(name);
    r.size = size;
    r.mtime = mtime;
    r.title = std::move(title);
    r.code = kind == RowKind::FOLDER ? "F" : kind_code_of(r.name);
    return r;
}

std::string order_of(const std::vector<FileRow>& rows) {
    std::string s;
    for (const FileRow& r : rows) s += (r.kind == RowKind::PARENT ? std::string("..") : r.name) + " ";
    return s;
}

TEST(SortRowsTest, OrdersByKeyDirectionAndFolderPlace) {
    std::vector<FileRow> rows = {row(RowKind::FILE, "b.txt", 300, 5), row(RowKind::FOLDER, "z"),
                                 row(RowKind::FILE, "A.htm", 100, 9), row(RowKind::FILE, "c.dat", 200, 1),
                                 row(RowKind::PARENT, ""), row(RowKind::FOLDER, "m")};
    sort_rows(&rows, SORT_NAME, true);
    EXPECT_EQ(order_of(rows), ".. m z A.htm b.txt c.dat ");
    sort_rows(&rows, SORT_NAME | 0x10, true);
    EXPECT_EQ(order_of(rows), ".. z m c.dat b.txt A.htm ");
    sort_rows(&rows, SORT_SIZE, false);
    EXPECT_EQ(order_of(rows), ".. A.htm c.dat b.txt m z ");
    sort_rows(&rows, SORT_DATE | 0x80, true);
    EXPECT_EQ(order_of(rows), ".. z m A.htm b.txt c.dat ");
    sort_rows(&rows, SORT_KIND, true);   // "" < "H" < "T"
    EXPECT_EQ(order_of(rows), ".. m z c.dat A.htm b.txt ");
}

TEST(SortRowsTest, EqualKeysFallBackToTheName) {
    EXPECT_TRUE(file_row_less(row(RowKind::FILE, "a", 5), row(RowKind::FILE, "b", 5), SORT_SIZE, true));
    EXPECT_FALSE(file_row_less(row(RowKind::FILE, "a", 5), row(RowKind::FILE, "a", 5), SORT_SIZE, true));
}

TEST(ListFolderTest, ListsFoldersAndDocumentsButNotProgramsOrExtensionFiles) {
    TempFolder t;
    t.write("a.txt", "abc");
    t.write("a.rix", header("RIX45", "txt", sj("表題"), ""));
    t.write("tool.EXE", "x");
    t.write("page.html", "x");
    t.write("c.class", "x");
    ::mkdir(t.file("sub").c_str(), 0755);
    FolderListing l;
    ASSERT_TRUE(list_folder(t.path(), "", SORT_NAME, true, &l));
    EXPECT_EQ(l.pattern, "*.*");
    ASSERT_EQ(l.rows.size(), 6u);   // root, parent, sub, a.txt, c.class, page.html
    EXPECT_EQ(l.rows[0].kind, RowKind::ROOT);
    EXPECT_EQ(l.rows[1].kind, RowKind::PARENT);
    EXPECT_EQ(l.rows[1].path, folder_of(t.path()) + "/");
    EXPECT_EQ(l.rows[2].name, "sub");
    EXPECT_EQ(l.rows[2].code, "F");
    EXPECT_EQ(l.rows[3].name, "a.txt");
    EXPECT_EQ(l.rows[3].code, "T");
    EXPECT_EQ(sjis_to_utf8(l.rows[3].title), "表題");
    EXPECT_EQ(l.rows[4].code, "C");
    EXPECT_EQ(l.rows[5].code, "H");
    EXPECT_FALSE(l.capped);

    ASSERT_TRUE(list_folder(t.path(), "*.txt", SORT_NAME, false, &l));
    ASSERT_EQ(l.rows.size(), 4u);   // folders are listed whatever the pattern
    EXPECT_EQ(l.rows[2].name, "a.txt");
    EXPECT_EQ(l.rows[3].name, "sub");
    EXPECT_FALSE(list_folder(t.file("missing"), "", SORT_NAME, true, &l));
}

TEST(ListFolderTest, SixThousandFilesGive4999Rows) {
    TempFolder t;
    for (int i = 0; i < 6000; ++i) t.write("f" + std::to_string(i) + ".txt", "");
    FolderListing l;
    ASSERT_TRUE(list_folder(t.path(), "", SORT_NAME, true, &l));
    EXPECT_EQ(l.rows.size(), static_cast<std::size_t>(FILE_LIST_MAX_ROWS));
    EXPECT_TRUE(l.capped);
}

TEST(RowCellsTest, SizesAbove2GiBAndFolders) {
    TempFolder t;
    const std::string big = t.write("big.txt", "");
    ASSERT_EQ(::truncate(big.c_str(), 2'147'483'649ll), 0);   // sparse: no blocks written
    FolderListing l;
    ASSERT_TRUE(list_folder(t.path(), "big.txt", SORT_NAME, true, &l));
    ASSERT_EQ(l.rows.size(), 3u);
    std::vector<std::string> cells = row_cells(l.rows[2]);
    EXPECT_EQ(cells[2], "2,147,483,649");
    EXPECT_EQ(cells[1], "big                     .txt");
    EXPECT_EQ(sjis_to_utf8(row_cells(l.rows[1])[1]), "上のﾌｫﾙﾀﾞ   ");
    FileRow small = row(RowKind::FILE, "s.txt", 12345);
    EXPECT_EQ(row_cells(small)[2], "   12,345");
    EXPECT_EQ(sjis_to_utf8(row_cells(row(RowKind::FOLDER, "dir"))[2]), " ﾌｫﾙﾀﾞ  ");
}

TEST(ShortenPathTest, KeepsTheStartAndTheEndOnCharacterBoundaries) {
    EXPECT_EQ(shorten_path("/home/a.txt", 60), "/home/a.txt");
    EXPECT_EQ(shorten_path("/home/writer/documents/a.txt", 14), "/ho...ts/a.txt");
    EXPECT_EQ(shorten_path("/あいうえおかきくけこ.txt", 12), "/あい...けこ.txt");
}

}  // namespace
}  // namespace rix

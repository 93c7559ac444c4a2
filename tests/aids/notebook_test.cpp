// The notebook without a window: the file form (golden bytes, round trip,
// files past 100,000 bytes read whole, the atomic write), dated headings
// under a fixed clock, the four list modes, word search over both kinds of
// blank, and the changes with their refusals.
//
// Owed: the byte limits of the heading and article stores at their edge.
#include "aids/notebook.h"

#include <gtest/gtest.h>

#include "tests/support/temp_folder.h"

namespace rix {
namespace {

// Written out from the file description, byte by byte.
constexpr std::string_view HEADER = "7.11 \x83\x7e\x83\x8b\x83\x67\x83\x41\x8e\xe8\x92\x9f\r\n";  // 7.11 ミルトア手帖
constexpr std::string_view KAIGI = "\x89\xef\x8b\x63\x83\x81\x83\x82";                          // 会議メモ
constexpr std::string_view KIGO_HANA = "\x8b\x47\x8c\xea\x81\x40\x89\xd4";                      // 季語　花
constexpr std::string_view HANA = "\x89\xd4";                                                   // 花
constexpr std::string_view MARU = "\x81\x42";                                                   // 。

const NotebookClock MARCH_2 = [] { return NotebookDay{2025, 3, 2}; };

std::string s(std::string_view v) { return std::string(v); }

TEST(NotebookFileForm, GoldenBytes) {
    Notebook nb;
    nb.entries.push_back({s(KAIGI), "a\r\nb"});    // no final CR LF: gains one
    nb.entries.push_back({"250302x", ""});        // empty article: the heading line alone
    nb.entries.push_back({"y", "c\r\n"});
    const std::string expected = s(HEADER) + "\x81\x42" + s(KAIGI) + "\r\na\r\nb\r\n" + "\x81\x42" "250302x\r\n" +
                                 "\x81\x42y\r\nc\r\n";
    EXPECT_EQ(serialize_notebook(nb), expected);
    EXPECT_EQ(serialize_notebook(Notebook{}), s(HEADER));  // no headings: the header line alone
}

TEST(NotebookFileForm, ParsingRoundTripAndStrayLines) {
    const std::string file = s(HEADER) + "stray\r\n" + s(MARU) + "h1\r\nline 1\r\nline 2\r\n" + s(MARU) + "h2\r\n" +
                             s(MARU) + "h3\r\nlast without end";
    const Notebook nb = parse_notebook(file);
    ASSERT_EQ(nb.entries.size(), 3u);
    EXPECT_EQ(nb.entries[0].heading, "h1");
    EXPECT_EQ(nb.entries[0].article, "line 1\r\nline 2\r\n");
    EXPECT_EQ(nb.entries[1].article, "");
    EXPECT_EQ(nb.entries[2].article, "last without end\r\n");  // kept, not dropped
    // The stray line before the first heading is dropped on writing.
    EXPECT_EQ(serialize_notebook(nb), s(HEADER) + s(MARU) + "h1\r\nline 1\r\nline 2\r\n" + s(MARU) + "h2\r\n" +
                                          s(MARU) + "h3\r\nlast without end\r\n");
    EXPECT_TRUE(parse_notebook(s(HEADER)).entries.empty());
    EXPECT_TRUE(parse_notebook("").entries.empty());
    // The header line is skipped whatever it holds.
    EXPECT_EQ(parse_notebook(s(MARU) + "lost\r\n" + s(MARU) + "kept\r\n").entries.size(), 1u);
}

TEST(NotebookFileForm, FilesWrittenAndReadWhole) {
    test::TempFolder dir;
    const std::string path = dir.file("novel.ren");
    Notebook nb;
    EXPECT_EQ(read_notebook_file(path, &nb), NotebookFile::Missing);
    EXPECT_TRUE(nb.entries.empty());
    // Over 100 KB: every heading must come back.
    for (int k = 0; k < 300; ++k) nb.entries.push_back({"h" + std::to_string(k), std::string(500, 'x') + "\r\n"});
    ASSERT_TRUE(write_notebook_file(path, nb));
    EXPECT_GT(test::slurp(path).size(), 100000u);
    Notebook back;
    ASSERT_EQ(read_notebook_file(path, &back), NotebookFile::Read);
    ASSERT_EQ(back.entries.size(), 300u);
    EXPECT_EQ(back.entries[299].heading, "h299");
    EXPECT_EQ(back.entries[299].article, nb.entries[299].article);
    // Deleting every heading leaves the header line alone.
    ASSERT_TRUE(write_notebook_file(path, Notebook{}));
    EXPECT_EQ(test::slurp(path), s(HEADER));
    // A folder in place of the file cannot be written or read; nothing else is touched.
    EXPECT_FALSE(write_notebook_file(dir.file("none/x.ren"), nb));
    EXPECT_EQ(read_notebook_file(dir.path(), &back), NotebookFile::Failed);
}

// The notebook of an encrypted document: enciphered with the document's
// key, read back with it; a plain one written before is still read.
TEST(NotebookFileForm, EncipheredWithTheDocumentsKey) {
    test::TempFolder dir;
    const std::string path = dir.file("secret.ren");
    Notebook nb;
    nb.entries.push_back({s(KAIGI), s(HANA) + "\r\n"});
    const NotebookKey key{"k", KeyForm::EXPORT};
    ASSERT_TRUE(write_notebook_file(path, nb, &key));
    const std::string bytes = test::slurp(path);
    EXPECT_EQ(bytes.size(), HEADER.size() + 2 + KAIGI.size() + 2 + HANA.size() + 2);   // the same length
    EXPECT_NE(bytes.substr(0, HEADER.size()), s(HEADER));
    EXPECT_EQ(bytes.find(s(KAIGI)), std::string::npos);
    Notebook back;
    ASSERT_EQ(read_notebook_file(path, &back, &key), NotebookFile::Read);
    ASSERT_EQ(back.entries.size(), 1u);
    EXPECT_EQ(back.entries[0].heading, s(KAIGI));
    EXPECT_EQ(back.entries[0].article, s(HANA) + "\r\n");
    ASSERT_TRUE(write_notebook_file(path, nb));
    ASSERT_EQ(read_notebook_file(path, &back, &key), NotebookFile::Read);
    EXPECT_EQ(back.entries.size(), 1u);
}

TEST(NotebookFileForm, PathOfTheDocument) {
    EXPECT_EQ(notebook_path("", "/home/w/novel.txt"), "/home/w/novel.ren");
    EXPECT_EQ(notebook_path("", "/home/w.d/novel"), "/home/w.d/novel.ren");
    EXPECT_EQ(notebook_path("", "/home/w/.hidden"), "/home/w/.hidden.ren");
    EXPECT_EQ(notebook_path("/x/chosen.ren", "/home/w/novel.txt"), "/x/chosen.ren");
}

TEST(NotebookDates, CodesAndValidity) {
    EXPECT_EQ(date_code(MARCH_2()), "250302");
    EXPECT_EQ(date_code(NotebookDay{2100, 12, 31}), "001231");
    EXPECT_TRUE(has_date("991939"));
    EXPECT_TRUE(has_date("250302abc"));
    EXPECT_FALSE(has_date("253101"));  // month tens 3 > 1
    EXPECT_TRUE(has_date("251301"));   // place by place: month tens 1, units 3
    EXPECT_FALSE(has_date("25030"));
    EXPECT_FALSE(has_date("2503a2"));
    EXPECT_EQ(heading_text("250302abc"), "abc");
    EXPECT_EQ(heading_text("253101abc"), "253101abc");
    EXPECT_EQ(with_date("240101abc", "250302"), "250302abc");
    EXPECT_EQ(with_date("abc", "250302"), "250302abc");
}

TEST(NotebookList, FourModes) {
    Notebook nb;
    const std::string today = date_code(MARCH_2());
    ASSERT_EQ(register_heading(nb, 0, KAIGI, today), NotebookEdit::Done);
    EXPECT_EQ(nb.entries[0].heading, "250302" + s(KAIGI));
    nb.entries.push_back({"undated", ""});
    nb.entries.push_back({"240101old", ""});
    auto texts = [&](NotebookMode m) {
        std::string out;
        for (const NotebookRow& r : notebook_rows(nb, m)) out += r.text + "|" + std::to_string(r.entry) + " ";
        return out;
    };
    EXPECT_EQ(texts(NotebookMode::Plain), s(KAIGI) + "|0 undated|1 old|2 ");
    EXPECT_EQ(texts(NotebookMode::Dated), "250302 " + s(KAIGI) + "|0 undated|1 240101 old|2 ");
    EXPECT_EQ(texts(NotebookMode::DatedUp), "240101 old|2 250302 " + s(KAIGI) + "|0 undated|1 ");
    EXPECT_EQ(texts(NotebookMode::DatedDown), "undated|1 250302 " + s(KAIGI) + "|0 240101 old|2 ");
    EXPECT_EQ(row_of_entry(notebook_rows(nb, NotebookMode::DatedUp), 0), 1u);
}

TEST(NotebookSearch, WordsOverBothBlanks) {
    std::size_t next = 9;
    EXPECT_EQ(split_words(KIGO_HANA, 1, &next), HANA);
    EXPECT_EQ(next, 0u);
    EXPECT_EQ(split_words("  a \x81\x40\x81\x40 b c", 0, &next), "a");
    EXPECT_EQ(next, 1u);
    EXPECT_EQ(split_words("a b c", 1, &next), "b");
    EXPECT_EQ(next, 2u);
    EXPECT_EQ(split_words("a", 3, &next), "");
    // 0x81 0x40 only counts as a blank on a character boundary: 0x83 0x81 is メ.
    EXPECT_EQ(split_words("\x83\x81\x40", 0, &next), "\x83\x81\x40");

    std::vector<NotebookRow> rows{{"x", 0}, {s(KIGO_HANA), 1}, {"y", 2}, {s(HANA), 3}, {s(HANA) + " z", 4}};
    NotebookMatch m = search_rows(rows, 0, HANA);
    EXPECT_EQ(m.first, 1u);
    EXPECT_EQ(m.second, 3u);
    m = search_rows(rows, 4, HANA);
    EXPECT_EQ(m.first, 4u);
    EXPECT_EQ(m.second, SIZE_MAX);
    EXPECT_EQ(search_rows(rows, 0, "nothing").first, SIZE_MAX);
    EXPECT_EQ(search_rows(rows, 0, s(HANA) + " z").first, 4u);  // the whole text
}

TEST(NotebookChanges, RegisterAndChangeWithDates) {
    Notebook nb;
    const std::string today = "250302";
    ASSERT_EQ(register_heading(nb, 0, "240101 \x81\x40kept", today), NotebookEdit::Done);
    EXPECT_EQ(nb.entries[0].heading, "240101kept");  // its own date, blanks after it removed
    ASSERT_EQ(register_heading(nb, 0, "first\r\nsecond line", today), NotebookEdit::Done);
    EXPECT_EQ(nb.entries[0].heading, "250302first");  // inserted before, line end cut off
    ASSERT_EQ(register_heading(nb, 2, "end", today), NotebookEdit::Done);
    EXPECT_EQ(nb.entries[2].heading, "250302end");

    // The date question: only when the box has no date and the old heading has one.
    EXPECT_TRUE(change_asks_date("240101kept", "new"));
    EXPECT_FALSE(change_asks_date("240101kept", "230101new"));
    EXPECT_FALSE(change_asks_date("undated", "new"));
    ASSERT_EQ(change_heading(nb, 1, "new", today, false), NotebookEdit::Done);
    EXPECT_EQ(nb.entries[1].heading, "240101new");
    ASSERT_EQ(change_heading(nb, 1, "newer", today, true), NotebookEdit::Done);
    EXPECT_EQ(nb.entries[1].heading, "250302newer");
    ASSERT_EQ(change_heading(nb, 1, "230101 own", today, false), NotebookEdit::Done);
    EXPECT_EQ(nb.entries[1].heading, "230101own");
    EXPECT_EQ(change_heading(nb, 3, "x", today, true), NotebookEdit::NoSuchEntry);

    nb.entries.resize(NOTEBOOK_MAX_HEADINGS);
    EXPECT_EQ(register_heading(nb, 0, "one too many", today), NotebookEdit::TooMany);
    EXPECT_EQ(nb.entries.size(), NOTEBOOK_MAX_HEADINGS);
}

TEST(NotebookChanges, HeadingsCutOnCharacterBoundaries) {
    // 会 repeated past the limit: the cut never leaves a lead byte alone.
    std::string long_name;
    for (int k = 0; k < 200; ++k) long_name += "\x89\xef";
    long_name.insert(0, "a");  // odd start so the byte limit falls inside a character
    const std::string fitted = fit_heading(long_name);
    EXPECT_LE(fitted.size(), NOTEBOOK_HEADING_MAX);
    EXPECT_EQ(fitted.size() % 2, 1u);
    EXPECT_EQ(static_cast<unsigned char>(fitted.back()), 0xEF);
    Notebook nb;
    ASSERT_EQ(register_heading(nb, 0, long_name, "250302"), NotebookEdit::Done);
    EXPECT_LE(nb.entries[0].heading.size(), NOTEBOOK_HEADING_MAX);
    EXPECT_EQ(static_cast<unsigned char>(nb.entries[0].heading.back()), 0xEF);
}

TEST(NotebookChanges, DeleteMoveAndArticles) {
    Notebook nb;
    for (const char* h : {"a", "b", "c"}) nb.entries.push_back({h, std::string(h) + "\r\n"});
    EXPECT_EQ(move_heading(nb, NotebookMode::DatedUp, 1, true), NotebookEdit::SortedMode);
    EXPECT_EQ(move_heading(nb, NotebookMode::DatedDown, 1, false), NotebookEdit::SortedMode);
    EXPECT_EQ(move_heading(nb, NotebookMode::Plain, 0, true), NotebookEdit::AtEnd);
    EXPECT_EQ(move_heading(nb, NotebookMode::Plain, 2, false), NotebookEdit::AtEnd);
    ASSERT_EQ(move_heading(nb, NotebookMode::Dated, 1, true), NotebookEdit::Done);
    EXPECT_EQ(nb.entries[0].heading + nb.entries[0].article, "b" "b\r\n");  // the article goes with it
    EXPECT_EQ(nb.entries[1].heading, "a");

    // An article with a line beginning with 。 is refused and the old one kept.
    EXPECT_EQ(set_article(nb, 0, "fine\r\n" + s(MARU) + "bad\r\n"), NotebookEdit::HeadingMark);
    EXPECT_EQ(set_article(nb, 0, s(MARU) + "bad"), NotebookEdit::HeadingMark);
    EXPECT_EQ(nb.entries[0].article, "b\r\n");
    EXPECT_EQ(set_article(nb, 0, "mid " + s(MARU) + " is fine"), NotebookEdit::Done);
    EXPECT_EQ(nb.entries[0].article, "mid " + s(MARU) + " is fine");
    // Line ends of a text box: every kind becomes CR LF, so a 。 after a lone LF is caught.
    EXPECT_EQ(article_from_box("a\nb\r\nc\rd\n"), "a\r\nb\r\nc\r\nd\r\n");
    EXPECT_TRUE(has_heading_mark_line(article_from_box("ok\n" + s(MARU))));
    EXPECT_TRUE(article_edit_asks_date("240101x", "250302"));
    EXPECT_FALSE(article_edit_asks_date("250302x", "250302"));
    EXPECT_FALSE(article_edit_asks_date("x", "250302"));

    std::size_t select = 0;
    ASSERT_EQ(delete_heading(nb, 2, &select), NotebookEdit::Done);
    EXPECT_EQ(select, 1u);  // the last one went: the previous one is selected
    ASSERT_EQ(delete_heading(nb, 0, &select), NotebookEdit::Done);
    EXPECT_EQ(select, 0u);  // the following one
    ASSERT_EQ(delete_heading(nb, 0, &select), NotebookEdit::Done);
    EXPECT_EQ(select, SIZE_MAX);
    EXPECT_EQ(serialize_notebook(nb), s(HEADER));
}

}  // namespace
}  // namespace rix

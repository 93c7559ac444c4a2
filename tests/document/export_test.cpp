// The buffer as external text: the three forms, rubies in notation (｜
// exactly where the reader needs it), line-information and index lines,
// indentation, pieces of 2 MiB; and the write-out read back in.
//
// Tests still owed: a ruby text that holds the closing delimiter.
#include <gtest/gtest.h>

#include "document/export.h"
#include "document/loader.h"
#include "document/save.h"
#include "fuzz/fuzz_entries.h"
#include "platform/files.h"
#include "tests/support/temp_folder.h"
#include "doc_builder.h"
#include "rix_build_paths.h"

namespace rix {
namespace {

using test::ruby;
using test::sj;

std::string export_all(const Document& doc, const ExportOptions& o) {
    std::string out;
    TextPos at;
    while (!export_text(doc, o, &at, END_NOT_LOADED, &out).finished) {
    }
    return out;
}

ExportOptions with_rubies(std::uint8_t notation = 3) {
    ExportOptions o;
    o.form = ExportForm::EXPORT;
    o.write_rubies = true;
    o.ruby_notation = notation;
    o.custom_delimiters = sj("【】");
    return o;
}

// Loads `text` with ruby reading on (notation 3).
void load_text(Document& doc, const std::string& text, std::uint8_t notation = 3) {
    DocumentState state;
    LoadSession session;
    session.options.read_rubies = true;
    session.options.ruby_notation = notation;
    session.options.custom_delimiters = sj("【】");
    doc.rules = test::rules(20, 1);
    fuzz::load_bytes(doc, state, session, text);
}

TEST(ExportRubies, BarStandsExactlyWhereTheReaderNeedsIt) {
    struct Case {
        std::string line;       // stored
        const char* expected;   // UTF-8, the line as written out
    };
    const Case cases[] = {
        {ruby("とうきょう", 2) + sj("東京"), "東京《とうきょう》"},                     // a run of kanji at the line start
        {sj("は") + ruby("とうきょう", 2) + sj("東京"), "は東京《とうきょう》"},         // the run begins the base
        {sj("漢") + ruby("じ", 1) + sj("字"), "漢｜字《じ》"},                          // inside a run
        {sj("あ") + ruby("たわ", 2) + sj("タワ"), "あ｜タワ《たわ》"},                    // not kanji, not at the start
        {ruby("たわ", 2) + sj("タワ"), "タワ《たわ》"},                                  // at the line start
        {ruby("かん", 1) + sj("漢") + ruby("じ", 1) + sj("字"), "漢《かん》字《じ》"},    // after a ruby
        {sj("一") + ruby("に", 1) + sj("二") + sj("三"), "一｜二《に》三"},
        {sj("ア") + ruby("かな", 2) + sj("漢々"), "ア漢々《かな》"},
        {sj("春") + ruby("あき", 1) + sj("秋") + sj("｜"), "春｜秋《あき》｜"},
    };
    for (const Case& c : cases) {
        Document doc;
        test::build(doc, {c.line, ""});
        EXPECT_EQ(export_all(doc, with_rubies()), sj(c.expected) + "\r\n\x1A") << c.expected;
    }
    // Fifteen cells of a longer run: the reader keeps the last fifteen by itself.
    std::string run15;
    for (int i = 0; i < 15; ++i) run15 += sj("漢");
    Document doc;
    test::build(doc, {sj("字") + ruby("る", 15) + run15, ""});
    EXPECT_EQ(export_all(doc, with_rubies()), sj("字") + run15 + sj("《る》") + "\r\n\x1A");
}

TEST(ExportRubies, NotationsAndLeftOut) {
    Document doc;
    test::build(doc, {sj("あ") + ruby("かん", 1) + sj("漢") + test::tag("note") + sj("い"), ""});
    EXPECT_EQ(export_all(doc, with_rubies(1)), sj("あ漢（かん）い\r\n") + "\x1A");
    EXPECT_EQ(export_all(doc, with_rubies(2)), sj("あ漢〈かん〉い\r\n") + "\x1A");
    EXPECT_EQ(export_all(doc, with_rubies(4)), sj("あ漢【かん】い\r\n") + "\x1A");
    ExportOptions plain;
    plain.form = ExportForm::EXPORT;
    EXPECT_EQ(export_all(doc, plain), sj("あ漢い\r\n") + "\x1A");
    ExportOptions raw;
    raw.form = ExportForm::RAW;
    EXPECT_EQ(export_all(doc, raw), sj("あ") + ruby("かん", 1) + sj("漢") + test::tag("note") + sj("い\r\n") + "\x1A");
}

TEST(ExportRubies, WriteOutThenReadInGivesTheSameRubies) {
    for (std::uint8_t notation : {1, 3, 4}) {
        std::string text = sj("｜東京タワー《とうきょうたわー》の漢字《かんじ》と、かな漢字《かんじ》。\r\n"
                              "一二三四五六七八九十一二三四五六《ながい》\r\n"
                              "春《はる》秋《あき》｜冬《ふゆ》々《のま》");
        if (notation != 3) {
            Document first;
            load_text(first, text);
            text = export_all(first, with_rubies(notation));
        }
        Document a, b;
        load_text(a, text, notation);
        load_text(b, export_all(a, with_rubies(notation)), notation);
        DocumentState s;
        EXPECT_EQ(fuzz::document_image(b, s), fuzz::document_image(a, s)) << int(notation);
        EXPECT_EQ(count_document(a).rubies, 8u);
    }
}

TEST(ExportRubies, CorpusComesBackWithTheSameRubiesAndText) {
    for (const char* novel : {"bocchan.txt", "yume_juya.txt", "rashomon.txt"}) {
        std::string text;
        ASSERT_TRUE(read_whole_file(std::string(RIX_CORPUS_DIR) + "/" + novel, &text));
        Document a, b;
        load_text(a, text);
        load_text(b, export_all(a, with_rubies()));
        DocumentState s;
        EXPECT_EQ(fuzz::document_image(b, s), fuzz::document_image(a, s)) << novel;
        EXPECT_GT(count_document(b).rubies, 100u);
    }
}

TEST(ExportLines, InformationIndexAndIndentation) {
    Document doc;
    test::build(doc, {sj("見出し"), sj("本文"), sj("字下げ"), ""},
                {0, 0, test::format_word(2, 1, 1), 0});
    doc.lines.set_marks(0, 0x9);
    doc.formats.set_word(1, 0x00000800);   // bits below the kept ones: no line-information line
    doc.index.push_back({0, 1, sj("第一章")});
    doc.index.push_back({1, 12, sj("深い\r\n見出し")});
    ExportOptions o;
    o.form = ExportForm::EXPORT;
    o.line_id_symbol = sj("◆");
    o.write_line_info = true;
    o.write_index = true;
    std::string expected = sj("◆0900000000001 第一章\r\n見出し\r\n") + sj("◆9 深い  見出し\r\n本文\r\n") +
                           sj("◆000001210000\r\n　　　字下げ\r\n") + "\x1A";
    EXPECT_EQ(export_all(doc, o), expected);
    // An adjustment outward (5..7) indents by the start indentation alone.
    test::build(doc, {sj("外"), ""}, {test::format_word(1, 0, 6)});
    doc.index.clear();
    ExportOptions plain;
    plain.form = ExportForm::EXPORT;
    EXPECT_EQ(export_all(doc, plain), sj("　外\r\n") + "\x1A");

    // Read back with line-information and index reading: the same marks, words and entries.
    Document back;
    DocumentState state;
    LoadSession session;
    session.options.read_line_info = session.options.read_index = true;
    session.options.line_id_symbol = sj("◆");
    back.rules = test::rules(20, 1);
    fuzz::load_bytes(back, state, session, expected);
    ASSERT_EQ(back.lines.count(), 4u);
    EXPECT_EQ(back.lines.marks(0), 0x9);
    EXPECT_EQ(back.formats.word(2), test::format_word(2, 1, 1));
    ASSERT_EQ(back.index.size(), 2u);
    EXPECT_EQ(back.index[0].title, sj("第一章"));
    EXPECT_EQ(back.index[1].level, 9);
}

TEST(ExportPieces, StopsAfterALineEndPastTwoMebibytesAndGoesOn) {
    Document doc;
    std::vector<std::string> lines(3000, std::string(1000, 'x'));
    lines.push_back("");
    test::build(doc, lines);
    ExportOptions raw;
    raw.form = ExportForm::RAW;
    std::string out;
    TextPos at;
    ExportResult first = export_text(doc, raw, &at, END_NOT_LOADED, &out);
    EXPECT_FALSE(first.finished);
    EXPECT_GT(first.bytes, EXPORT_PIECE_BYTES);
    EXPECT_LT(first.bytes, EXPORT_PIECE_BYTES + 1002);
    EXPECT_EQ(out.substr(out.size() - 2), "\r\n");
    ExportResult second = export_text(doc, raw, &at, END_NOT_LOADED, &out);
    EXPECT_TRUE(second.finished);
    EXPECT_EQ(out.size(), 3000u * 1002 + 1);

    // A range inside the text: from a column to a position on a later line.
    std::string part;
    TextPos from(1, 998);
    export_text(doc, raw, &from, TextPos(2, 4), &part);
    EXPECT_EQ(part, "xx\r\nxxxx");
    EXPECT_EQ(from, TextPos(2, 4));
}

TEST(WriteOut, FileHoldsTheNotationsAndNothingElseChanges) {
    test::TempFolder dir;
    std::string src = dir.write("w.txt", sj("漢字《かんじ》\r\n"));
    Document doc;
    DocumentState state;
    LoadSession session;
    session.options.read_rubies = true;
    session.options.chunk_size = 16;
    ASSERT_TRUE(open_document_file(&state, src, 0));
    start_load(doc, state, session);
    std::uint8_t modified = state.modified;
    ASSERT_TRUE(write_out_document(doc, state, session, with_rubies(), dir.file("out.txt")));
    std::string written;
    read_whole_file(dir.file("out.txt"), &written);
    EXPECT_EQ(written, sj("漢字《かんじ》\r\n") + "\x1A");
    EXPECT_EQ(state.modified, modified);
    EXPECT_FALSE(file_exists(dir.file("out.rix")));
    close_document(&state, false);
}

}  // namespace
}  // namespace rix

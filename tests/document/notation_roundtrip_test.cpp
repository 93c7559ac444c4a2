// Rubies in notation both ways: every ruby block written out in any of the
// four notations reads back over the same base (and the text around it,
// ｜ included, comes back unchanged); and the reader's own cases — a ｜
// holding its base, delimiters that stay text, the too-long question, a line
// end inside the delimiters, a base of more than 15 cells; index lines in
// any order read into the structure index's order and written out whole.
//
// Tests still owed: a base that holds a ｜ (not representable in the notation).
#include <gtest/gtest.h>

#include "document/export.h"
#include "document/loader.h"
#include "fuzz/fuzz_entries.h"
#include "../support/notices.h"
#include "doc_builder.h"

namespace rix {
namespace {

using test::ruby;
using test::sj;

const char CUSTOM[] = "【】";

std::string written(const Document& doc, std::uint8_t notation) {
    ExportOptions o;
    o.form = ExportForm::EXPORT;
    o.write_rubies = true;
    o.ruby_notation = notation;
    o.custom_delimiters = sj(CUSTOM);
    std::string out;
    TextPos at;
    while (!export_text(doc, o, &at, END_NOT_LOADED, &out).finished) {
    }
    return out;
}

struct ReadBack {
    Document doc;
    DocumentState state;
    std::vector<std::string> lines;   // stored bytes without the end mark
    Notices notices;                  // what the load reported
    test::ScriptedQuestions questions;
};

void read_in(ReadBack& r, std::string_view text, std::uint8_t notation = 3) {
    LoadSession session;
    session.options.read_rubies = true;
    session.options.ruby_notation = notation;
    session.options.custom_delimiters = sj(CUSTOM);
    session.questions = &r.questions;
    r.doc.rules = test::rules(20, 1);
    fuzz::load_bytes(r.doc, r.state, session, text, false, &r.notices);
    for (std::uint32_t line = 0; line < r.doc.lines.count(); ++line) {
        const std::uint8_t* p = r.doc.line_pointer(line);
        LineScanner scan(p, MAX_LINE_SCAN);
        ScanItem item = scan.next();
        while (item.kind != ItemKind::LINE_END && item.kind != ItemKind::TEXT_END && item.kind != ItemKind::CUT)
            item = scan.next();
        r.lines.emplace_back(reinterpret_cast<const char*>(p), item.column);
    }
}

TEST(NotationRoundTrip, EveryRubyComesBackOverItsBaseInAllNotations) {
    const std::string lines[] = {
        sj("ひらがな") + ruby("かんじ", 2) + sj("漢字") + sj("です"),          // kanji after kana
        sj("漢") + ruby("じ", 1) + sj("字") + sj("東") + ruby("きょう", 1) + sj("京"),   // kanji after kanji
        sj("漢字") + ruby("かな", 2) + sj("かな") + sj("の話"),               // kana mid-line
        ruby("かな", 2) + sj("かなで始まる"),                                 // kana at the line start
        ruby("かん", 1) + sj("漢") + ruby("じ", 1) + sj("字"),                // right after another ruby
        sj("あ") + ruby("あ", 1) + sj("亜") + sj("亜") + ruby("あ", 1) + sj("亜"),   // 亜, the first kanji
        sj("人") + ruby("びと", 1) + sj("々") + sj("ア") + ruby("のま", 2) + sj("々々"),   // 々 continues a run
        sj("東京") + ruby("たわーえき", 4) + sj("タワー駅"),                  // kanji after kana behind ｜
        sj("漢") + ruby("えー", 1) + "ab" + sj("字"),                           // a half-width pair is one cell
        sj("｜") + ruby("かん", 1) + sj("漢") + "a" + sj("｜b") + ruby("じ", 2) + sj("字字") + sj("｜"),   // bars of the text
        "",   // delimiters of the other notations, as text (per notation below)
        "",
    };
    const char* other_pairs[] = {"", "〈《【括弧】》〉", "（《【括弧】》）", "（〈【括弧】〉）", "（〈《括弧》〉）"};
    for (std::uint8_t notation : {1, 2, 3, 4}) {
        SCOPED_TRACE(int(notation));
        std::vector<std::string> kept(std::begin(lines), std::end(lines));
        kept[10] = sj(other_pairs[notation]);
        Document doc;
        test::build(doc, kept);
        ReadBack back;
        read_in(back, written(doc, notation), notation);
        ASSERT_EQ(back.lines.size(), kept.size());
        for (std::size_t i = 0; i < kept.size(); ++i) EXPECT_EQ(back.lines[i], kept[i]) << "line " << i;
        EXPECT_TRUE(back.notices.empty());
        EXPECT_TRUE(back.questions.asked.empty());
    }
}

TEST(NotationRoundTrip, BarIsWrittenOnlyWhereTheReaderNeedsIt) {
    Document doc;
    test::build(doc, {sj("東京") + ruby("たわーえき", 4) + sj("タワー駅"), sj("ア") + ruby("あ", 1) + sj("亜"),
                      sj("漢") + ruby("かな", 2) + sj("かな"), ""});
    EXPECT_EQ(written(doc, 3), sj("東京｜タワー駅《たわーえき》\r\nア亜《あ》\r\n漢｜かな《かな》\r\n") + "\x1A");
}

TEST(NotationReading, BarHoldsTheBaseAndStaysWhenItMarksNothing) {
    ReadBack r;
    read_in(r, sj("｜タワー駅《たわーえき》\r\n前｜後\r\n｜｜漢字《かんじ》\r\n｜字《》"));
    EXPECT_EQ(r.lines[0], ruby("たわーえき", 4) + sj("タワー駅"));
    EXPECT_EQ(r.lines[1], sj("前｜後"));                       // no ruby follows: text
    EXPECT_EQ(r.lines[2], sj("｜") + ruby("かんじ", 2) + sj("漢字"));   // the first ｜ marks nothing
    EXPECT_EQ(r.lines[3], sj("｜字《》"));                     // empty delimiters stay text
}

TEST(NotationReading, TooLongRubyAsksAndTheAnswerCounts) {
    const std::string ruby25 = sj("あいうえおかきくけこさしすせそたちつてとなにぬねの");
    const std::string text = sj("漢《") + ruby25 + sj("》字《じ》");
    for (bool answer : {true, false}) {
        ReadBack r;
        r.questions.answers = {answer};
        read_in(r, text);
        ASSERT_EQ(r.questions.asked.size(), 1u);
        EXPECT_NE(r.questions.asked[0].find("行1で上のルビの長さが制限24を超えました。"), std::string::npos);
        const std::string tail = answer ? ruby("じ", 1) + sj("字") : sj("字《じ》");
        EXPECT_EQ(r.lines[0], sj("漢《") + ruby25 + sj("》") + tail) << answer;
    }
}

TEST(NotationReading, LineEndInsideAndLongBases) {
    std::string run20;
    for (int i = 0; i < 20; ++i) run20 += sj("漢");
    ReadBack r;
    read_in(r, sj("字【かん\r\nじ】") + "\r\n" + run20 + sj("【ながい】"), 4);
    EXPECT_EQ(r.lines[0], sj("字【かん"));
    EXPECT_EQ(r.lines[1], sj("じ】"));
    // Twenty kanji: the base keeps its last fifteen cells.
    EXPECT_EQ(r.lines[2], run20.substr(0, 10) + ruby("ながい", 15) + run20.substr(10));
}

// Several index lines before one text line, deeper first and one level
// twice: the index keeps one entry per level of the line, shallower first
// (the first read stays), and writing out gives every entry back.
TEST(NotationReading, IndexLinesOfOneLineInAnyOrder) {
    LoadSession session;
    session.options.read_index = true;
    session.options.line_id_symbol = sj("◆");
    Document doc;
    DocumentState state;
    fuzz::load_bytes(doc, state, session, sj("◆3 節\r\n◆1 章\r\n◆1 二つ目\r\n本文\r\n◆2 次\r\n次の行\r\n"));
    ASSERT_EQ(doc.index.size(), 3u);
    EXPECT_EQ(doc.index[0], (IndexEntry{0, 1, sj("章")}));
    EXPECT_EQ(doc.index[1], (IndexEntry{0, 3, sj("節")}));
    EXPECT_EQ(doc.index[2], (IndexEntry{1, 2, sj("次")}));

    ExportOptions o;
    o.form = ExportForm::EXPORT;
    o.write_index = true;
    o.line_id_symbol = sj("◆");
    std::string out;
    TextPos at;
    while (!export_text(doc, o, &at, END_NOT_LOADED, &out).finished) {
    }
    EXPECT_EQ(out, sj("◆1 章\r\n◆3 節\r\n本文\r\n◆2 次\r\n次の行\r\n") + "\x1A");
}

}  // namespace
}  // namespace rix

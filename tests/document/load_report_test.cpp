// UTF-8 documents and the load report: the encoding check, UTF-8 loaded in
// any chunk size to the document of its Shift_JIS original, lost characters
// counted at their place and never saved over the original, a UTF-8 file
// saved back byte for byte; and the conversions of any file counted, told
// once and kept out of an ordinary LF file.
//
// Still owed: a UTF-8 file longer than the encoding check whose ill-formed
// bytes lie beyond it (it loads with 〓 for them, counted as lost).
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "document/save.h"
#include "fuzz/fuzz_entries.h"
#include "platform/codec.h"
#include "platform/files.h"
#include "tests/support/notices.h"
#include "tests/support/temp_folder.h"
#include "doc_builder.h"
#include "rix_build_paths.h"
#include "tests/support/corpus.h"

namespace rix {
namespace {

using test::read_corpus;

using test::slurp;

using test::sj;

std::string without_cr(std::string s) {
    std::erase(s, '\r');
    return s;
}

struct Loaded {
    Document doc;
    DocumentState state;
    LoadSession session;
    Notices notices;   // what the load (and a save) reported
};

// Loads bytes from memory (no path: nothing to save over).
void load(Loaded& l, std::string_view bytes, std::size_t chunk = DEFAULT_CHUNK_BYTES, bool rubies = false) {
    l.session.options.chunk_size = chunk;
    l.session.options.read_rubies = rubies;
    l.doc.rules = test::rules(20, 1);
    fuzz::load_bytes(l.doc, l.state, l.session, bytes, false, &l.notices);
    EXPECT_EQ(fuzz::check_loaded(l.doc), "");
}

// Opens a file as the editor does (held, marked) and loads it whole.
void open_and_load(Loaded& l, const std::string& path) {
    ASSERT_TRUE(open_document_file(&l.state, path, 0, &l.notices));
    l.state.save_name = path;
    l.doc.rules = test::rules(20, 1);
    start_load(l.doc, l.state, l.session, false, 40, &l.notices);
    load_all(l.doc, l.state, l.session, &l.notices);
}

// The stored lines without the form the file had (what both encodings share).
std::string lines_image(const Document& doc) {
    DocumentState quiet;
    return fuzz::document_image(doc, quiet);
}

TEST(EncodingCheck, JudgesOnTheWholeFirstChunk) {
    EXPECT_EQ(judge_encoding("\xEF\xBB\xBF" "abc", true).encoding, TextEncoding::UTF8);
    EXPECT_TRUE(judge_encoding("\xEF\xBB\xBF", true).bom);
    EXPECT_EQ(judge_encoding("plain ASCII\r\n", true).encoding, TextEncoding::SHIFT_JIS);
    EXPECT_EQ(judge_encoding("", true).encoding, TextEncoding::SHIFT_JIS);
    EXPECT_EQ(judge_encoding("吾輩は猫である", true).encoding, TextEncoding::UTF8);
    EXPECT_EQ(judge_encoding(sj("吾輩は猫である"), true).encoding, TextEncoding::SHIFT_JIS);
    // Half-width katakana of Shift_JIS that happen to be well-formed 2-byte sequences.
    EXPECT_EQ(judge_encoding("\xC3\xBD", true).encoding, TextEncoding::SHIFT_JIS);
    // Cut inside its last character: not UTF-8, and said so.
    std::string cut = std::string("吾輩は猫である").substr(0, 20);
    EncodingJudgement j = judge_encoding(cut, true);
    EXPECT_EQ(j.encoding, TextEncoding::SHIFT_JIS);
    EXPECT_TRUE(j.refused_utf8);
    EXPECT_EQ(j.invalid_at, 18u);
    // The same bytes with more of the file after them are UTF-8.
    EXPECT_EQ(judge_encoding(cut, false).encoding, TextEncoding::UTF8);
}

TEST(EncodingCheck, AFileCutInASequenceLoadsAsShiftJisAndSaysSo) {
    Loaded l;
    load(l, std::string("吾輩は猫である").substr(0, 20));
    test::SeenNotices fake{l.notices};
    EXPECT_EQ(l.doc.load.form.encoding, TextEncoding::SHIFT_JIS);
    EXPECT_TRUE(fake.saw("19バイト目にUTF-8として正しくないバイト列があります"));
}

// Each novel in UTF-8, with CR LF and with LF, gives the document of the
// Shift_JIS original in one chunk and in 64-byte chunks, loses nothing and
// changes nothing.
TEST(Utf8Load, CorpusNovelsGiveTheDocumentOfTheirOriginal) {
    for (const char* name : {"rashomon.txt", "yume_juya.txt", "bocchan.txt"}) {
        const std::string sjis = read_corpus(name);
        Loaded original;
        load(original, sjis, DEFAULT_CHUNK_BYTES, true);
        EXPECT_TRUE(original.notices.empty()) << name;
        const std::string utf8 = sjis_to_utf8(sjis);
        for (const std::string& text : {utf8, without_cr(utf8)}) {
            for (std::size_t chunk : {DEFAULT_CHUNK_BYTES, std::size_t{64}}) {
                Loaded l;
                load(l, text, chunk, true);
                EXPECT_EQ(l.doc.load.form.encoding, TextEncoding::UTF8) << name;
                EXPECT_EQ(lines_image(l.doc), lines_image(original.doc)) << name << " chunk " << chunk;
                EXPECT_EQ(l.doc.load.report.unmappable, 0u) << name;
                EXPECT_EQ(l.doc.load.report.converted_bytes(), 0u) << name;
                EXPECT_EQ(l.doc.load.form.line_end,
                          text.find('\r') == std::string::npos ? LineEndStyle::LF : LineEndStyle::CR_LF);
                EXPECT_TRUE(l.notices.empty()) << name;
            }
        }
    }
}

// 𠮷 and 🍣 have no code in code page 932, ① has one.
TEST(Utf8Load, LostCharactersAreCountedAtTheirPlaceInAnyChunkSize) {
    const std::string text = "一行目\n" "ab𠮷c①\n" "🍣と①\n";
    Loaded one;
    {
        load(one, text);
        test::SeenNotices fake{one.notices};
        ASSERT_EQ(fake.log.size(), 1u);
        EXPECT_TRUE(fake.saw("表せない文字が2字"));
        EXPECT_TRUE(fake.saw("2行3字目のU+20BB7"));
    }
    const LoadReport& r = one.doc.load.report;
    EXPECT_EQ(r.unmappable, 2u);
    EXPECT_EQ(r.first_unmappable.line, 2u);
    EXPECT_EQ(r.first_unmappable.column, 3u);
    EXPECT_EQ(r.unmappable_char, U'𠮷');
    EXPECT_EQ(one.doc.load.report.converted_bytes(), 0u);
    EXPECT_NE(one.state.modified & MODIFIED_CONVERTED, 0);
    EXPECT_EQ(sjis_to_utf8(std::string(reinterpret_cast<const char*>(one.doc.line_pointer(1)), 7)), "ab〓c①");
    for (std::size_t chunk : {std::size_t{16}, std::size_t{17}, std::size_t{64}}) {
        Loaded l;
        load(l, text, chunk);
        test::SeenNotices fake{l.notices};
        EXPECT_EQ(fuzz::document_image(l.doc, l.state), fuzz::document_image(one.doc, one.state)) << chunk;
        EXPECT_EQ(l.doc.load.report.unmappable, 2u) << chunk;
        EXPECT_EQ(l.doc.load.report.first_unmappable.column, 3u) << chunk;
        EXPECT_EQ(fake.log.size(), 1u);
    }
}

// Lines a writer adds to a UTF-8 text of one line end in LF, as the
// system's text does.
TEST(Utf8Load, WithoutALineEndItsLinesEndInLf) {
    Loaded l;
    load(l, "縦書き");
    EXPECT_EQ(l.doc.load.form.encoding, TextEncoding::UTF8);
    EXPECT_EQ(l.doc.load.form.line_end, LineEndStyle::LF);
    EXPECT_FALSE(l.doc.load.form.end_mark);
}

TEST(Utf8Load, PureAsciiIsReadAsToday) {
    Loaded l;
    load(l, "abc\r\ndef\r\n");
    EXPECT_EQ(l.doc.load.form.encoding, TextEncoding::SHIFT_JIS);
    EXPECT_TRUE(l.doc.load.form.end_mark);
    EXPECT_EQ(l.state.modified, 0);
}

class Utf8Save : public ::testing::Test {
protected:
    void TearDown() override { close_document(&l.state, false); }
    SaveResult save(int mode = SAVE_MODE_MENU) {
        SaveRequest q;
        q.mode = mode;
        return save_document(l.doc, l.state, l.session, q, run, &l.notices);
    }
    test::TempFolder dir;
    Loaded l;
    test::SeenNotices fake{l.notices};
    SaveRun run;
};

// A UTF-8 file (with or without its mark, CR LF or LF, with or without a
// final line end) comes back byte for byte after an edit that changes nothing.
TEST_F(Utf8Save, AKeptDocumentIsSavedBackByteForByte) {
    const std::string body = "吾輩は猫である。\n名前はまだ無い。\n\nどこで生れたか①";
    int k = 0;
    for (const std::string& text : {body, body + "\n", std::string(UTF8_BOM) + body, [&] {
             std::string crlf;
             for (char c : body) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
             return crlf;
         }()}) {
        Loaded m;
        const std::string path = dir.write("doc" + std::to_string(k++) + ".txt", text);
        open_and_load(m, path);
        ASSERT_EQ(m.doc.load.form.encoding, TextEncoding::UTF8);
        m.state.modified |= MODIFIED_TEXT;   // as an edit would
        SaveRequest q;
        EXPECT_EQ(save_document(m.doc, m.state, m.session, q, run, &m.notices), SaveResult::Saved);
        close_document(&m.state, false);
        EXPECT_EQ(slurp(path), text) << k;
        EXPECT_FALSE(test::SeenNotices(m.notices).saw("変換しました")) << k;
    }
}

TEST_F(Utf8Save, ADocumentThatLostCharactersIsNeverSavedOverItsFile) {
    const std::string text = "ab𠮷c①\n🍣\n";
    const std::string path = dir.write("lost.txt", text);
    open_and_load(l, path);
    ASSERT_EQ(l.doc.load.report.unmappable, 2u);
    EXPECT_EQ(l.state.keep_original, path);
    EXPECT_EQ(save(), SaveResult::Failed);
    EXPECT_TRUE(fake.saw("上書き保存はしません"));
    EXPECT_EQ(slurp(path), text);
    // Under a new name it is saved, in UTF-8, with 〓 where characters were lost.
    clear_in_use_mark(path, l.state.saved_mode);
    l.state.save_name = dir.file("copy.txt");
    ASSERT_EQ(save(SAVE_MODE_NEW_NAME), SaveResult::Saved);
    EXPECT_EQ(slurp(dir.file("copy.txt")), "ab〓c①\n〓\n");
    EXPECT_EQ(slurp(path), text);
    // and the original stays out of reach from there too.
    l.state.save_name = path;
    l.state.in_use_mark_held = true;
    EXPECT_EQ(save(SAVE_MODE_NEW_NAME), SaveResult::Failed);
    EXPECT_EQ(slurp(path), text);
}

// Shift_JIS files: every kind of change counted with the place of the first,
// the document marked converted, the writer told once.
TEST(Conversions, CountedWithTheFirstPlaceAndToldOnce) {
    const std::string text = std::string("ab\r\n") + "cd\xFD" "e\x81\r\n" "f\ng\tx\r\n" "end\x1A" "tail";
    Loaded l;
    load(l, text);
    test::SeenNotices fake{l.notices};
    const LoadReport& r = l.doc.load.report;
    auto at = [&](Conversion k) { return r.conversions[static_cast<std::size_t>(k)]; };
    EXPECT_EQ(at(Conversion::DROPPED_BYTE).places, 1u);
    EXPECT_EQ(at(Conversion::LONE_LEAD).places, 1u);
    EXPECT_EQ(at(Conversion::LINE_END).places, 1u);   // the LF in a CR LF file
    EXPECT_EQ(at(Conversion::TAB).places, 1u);
    EXPECT_EQ(at(Conversion::TEXT_END).places, 1u);
    EXPECT_EQ(at(Conversion::TEXT_END).bytes, 4u);
    EXPECT_EQ(r.first_kind, Conversion::DROPPED_BYTE);
    EXPECT_EQ(r.first.line, 2u);
    EXPECT_EQ(r.first.column, 3u);
    EXPECT_EQ(r.converted_bytes(), 1u + 1 + 1 + 1 + 4);
    EXPECT_EQ(l.state.modified & (MODIFIED_TEXT | MODIFIED_CONVERTED), MODIFIED_TEXT | MODIFIED_CONVERTED);
    ASSERT_EQ(fake.log.size(), 1u);
    const std::string told = fake.utf8(0);
    EXPECT_NE(told.find("2行3字目"), std::string::npos) << told;
    EXPECT_EQ(told.substr(told.size() - std::string("8バイトを変換しました｡").size()), "8バイトを変換しました｡");
    // In 16-byte chunks: the same count, told once (with what the first chunk held).
    Loaded chunks;
    load(chunks, text, 16);
    test::SeenNotices small{chunks.notices};
    EXPECT_EQ(chunks.doc.load.report.converted_bytes(), r.converted_bytes());
    EXPECT_EQ(chunks.doc.load.report.first.column, 3u);
    EXPECT_EQ(small.log.size(), 1u);
}

// A Linux writer's LF file is no conversion: it is saved back with LF. A CR
// LF among LF line ends is one.
TEST(Conversions, AnLfFileKeepsItsLineEnds) {
    Loaded lf;
    load(lf, sj("一行目\n二行目\n"));
    EXPECT_EQ(lf.doc.load.form.line_end, LineEndStyle::LF);
    EXPECT_EQ(lf.state.modified, 0);
    EXPECT_TRUE(lf.notices.empty());
    ExportOptions o;
    o.lf_line_ends = true;
    o.end_mark = false;
    TextPos at;
    std::string out;
    export_text(lf.doc, o, &at, END_NOT_LOADED, &out, nullptr);
    EXPECT_EQ(out, sj("一行目\n二行目\n"));

    Loaded mixed;
    load(mixed, "a\nb\r\nc\n");
    EXPECT_EQ(mixed.doc.load.report.conversions[static_cast<std::size_t>(Conversion::LINE_END)].places, 1u);
    EXPECT_EQ(mixed.doc.load.report.first.line, 2u);
    EXPECT_EQ(mixed.notices.items.size(), 1u);
}

TEST(Conversions, OverLongLinesAreSplitAndCounted) {
    Loaded l;
    load(l, std::string(LINE_TEXT_LIMIT + 10, 'a') + "\r\n");
    test::SeenNotices fake{l.notices};
    EXPECT_EQ(l.doc.load.report.conversions[static_cast<std::size_t>(Conversion::LINE_SPLIT)].places, 1u);
    EXPECT_EQ(l.doc.load.report.first.column, LINE_TEXT_LIMIT + 1);
    EXPECT_TRUE(fake.saw("長すぎる行の分割"));
}

}  // namespace
}  // namespace rix

// The extension-file writer: golden bytes of a file with one record of each
// kind, laid out by hand from the layout tables; what the reader makes of
// them; the guards the writer keeps (field cuts, the jump-unit ambiguity,
// the empty file, the recorded extension).
//
// Tests still owed: a tag text of exactly 1000 bytes.
#include <gtest/gtest.h>

#include "document/extension_titles.h"
#include "document/extension_writer.h"
#include "platform/codec.h"

namespace rix {
namespace {

std::string sj(std::string_view utf8) { return utf8_to_sjis(utf8); }

// Writes `text` at `offset` of `out`, growing it as needed.
void put(std::string& out, std::size_t offset, std::string_view text) {
    if (out.size() < offset + text.size()) out.resize(offset + text.size(), '\0');
    out.replace(offset, text.size(), text);
}

std::string bytes(std::initializer_list<int> list) {
    std::string s;
    for (int b : list) s.push_back(static_cast<char>(b));
    return s;
}

// The file of the sample below, unit by unit from the layout tables.
std::string golden_file() {
    std::string f(128, '\0');
    put(f, 0, "RIX45");
    put(f, 5, "txt");
    put(f, 8, sj("題名"));
    put(f, 32, bytes({0x00, 0x01, 0x00, 0x04}));    // cursor line 1 column 4
    put(f, 40, bytes({0x02}));                      // screen format
    put(f, 88, sj("印刷題"));
    std::string jump = bytes({0xFF, 0xFF, 0x03, 0, 0, 0, 0, 0}) + sj("跳");
    jump.resize(32, '\0');
    std::string index = bytes({0x00, 0x01, 0x80 | 0x10 | 0x02, 0, 0, 0, 0, 0}) + sj("第一章");
    index.resize(16, '\0');
    std::string ruby = bytes({0x00, 0x00, 0x10, 0x02, 0, 0, 0x00, 0x02}) + sj("かんじ");
    ruby.resize(16, '\0');
    std::string tag = bytes({0x00, 0x00, 0x00, 0x01, 10, 20, 0x00, 0x06}) + "memo";
    tag.resize(16, '\0');
    std::string line = bytes({0x00, 0x01, 0x05, 0x00, 0x00, 0x30, 0x00, 0x00});
    return f + jump + index + ruby + tag + line;
}

ExtensionFile sample() {
    ExtensionFile e;
    e.header.text_extension = "txt";
    e.header.title = sj("題名");
    e.header.cursor = TextPos(1, 4);
    e.header.screen_format = 2;
    e.header.print_title = sj("印刷題");
    e.header.jumps[2] = sj("跳");
    e.index.push_back({1, 2, sj("第一章")});
    e.line_records.push_back({1, 5, 0x00300000});
    PositionRecord r;
    r.kind = PositionKind::RUBY, r.line = 0, r.column = 2, r.param = 0x02, r.text = sj("かんじ");
    e.positions.push_back(r);
    PositionRecord t;
    t.kind = PositionKind::TAG, t.line = 0, t.column = 6, t.attr1 = 10, t.attr2 = 20, t.text = "memo";
    e.positions.push_back(t);
    return e;
}

TEST(ExtensionWriter, GoldenBytesAndReadBack) {
    std::string written = encode_extension_file(sample());
    EXPECT_EQ(written, golden_file());

    ExtensionFile back;
    ASSERT_EQ(read_extension_bytes(written, &back), ExtensionStatus::OK);
    EXPECT_EQ(back.header.version, 45);
    EXPECT_EQ(back.header.title, sj("題名"));
    EXPECT_EQ(back.header.print_title, sj("印刷題"));
    EXPECT_EQ(back.header.cursor, TextPos(1, 4));
    EXPECT_EQ(back.header.screen_format, 2);
    EXPECT_EQ(back.header.jumps[2], sj("跳"));
    ASSERT_EQ(back.index.size(), 1u);
    EXPECT_EQ(back.index[0].title, sj("第一章"));
    ASSERT_EQ(back.line_records.size(), 1u);
    EXPECT_EQ(back.line_records[0].format_word, 0x00300000u);
    ASSERT_EQ(back.positions.size(), 2u);
    EXPECT_EQ(back.positions[0].text, sj("かんじ"));
    EXPECT_EQ(back.positions[1].attr2, 20);
    EXPECT_EQ(back.dropped, 0u);
    // Written again from what was read: the same bytes.
    EXPECT_EQ(encode_extension_file(back), written);
}

TEST(ExtensionWriter, FieldsAreCutOnCharacterBoundaries) {
    ExtensionHeader h;
    h.title = sj("一二三四五六七八九十一二三");   // 26 bytes: cut to 24
    h.jumps[0] = std::string(30, 'x');
    ExtensionWriter w(h);
    w.add_index({7, 0x1F, sj("あいうえおかきくけこさしすせそたちつてとなにぬ")});   // 46 bytes, level 15
    EXPECT_FALSE(w.add_ruby(0, 0, 0x10, sj("る")));    // base of 0 cells: the reader would drop it
    EXPECT_FALSE(w.add_ruby(0, 0, 0x01, ""));
    ExtensionFile back;
    ASSERT_EQ(read_extension_bytes(w.bytes(), &back), ExtensionStatus::OK);
    EXPECT_EQ(back.header.title, sj("一二三四五六七八九十一二"));
    EXPECT_EQ(back.header.jumps[0], std::string(24, 'x'));
    ASSERT_EQ(back.index.size(), 1u);
    EXPECT_EQ(back.index[0].level, 15);
    EXPECT_EQ(back.index[0].title.size(), 40u);
    EXPECT_TRUE(back.positions.empty());
}

TEST(ExtensionWriter, LastLineRecordNeverReadAsJumpString) {
    ExtensionWriter w{ExtensionHeader{}};
    w.add_line_record(65535, 3, 0);   // FF FF 03 00 00 00 00 00: the shape of a jump unit
    ExtensionFile back;
    ASSERT_EQ(read_extension_bytes(w.bytes(), &back), ExtensionStatus::OK);
    EXPECT_TRUE(back.header.jumps[2].empty());
    ASSERT_EQ(back.line_records.size(), 2u);   // the neutral record of line 0 comes first
    EXPECT_EQ(back.line_records[0].marks, 0);
    EXPECT_EQ(back.line_records[1].line, 65535u);
    EXPECT_EQ(back.line_records[1].marks, 3);

    ExtensionWriter with_index{ExtensionHeader{}};   // an index record ends the jump strings already
    with_index.add_index({0, 1, "a"});
    with_index.add_line_record(65535, 3, 0);
    EXPECT_EQ(with_index.bytes().size(), 128u + 16 + 8);
}

TEST(ExtensionWriter, EmptyFileAndRecordedExtension) {
    ExtensionWriter plain{ExtensionHeader{}};
    EXPECT_TRUE(plain.keeps_nothing());
    ExtensionHeader h;
    h.text_extension = "txt";    // the extension alone keeps nothing
    EXPECT_TRUE(ExtensionWriter(h).keeps_nothing());
    h.screen_format = 1;
    EXPECT_FALSE(ExtensionWriter(h).keeps_nothing());

    EXPECT_EQ(recorded_text_extension("/d/a.txt"), "txt");
    EXPECT_EQ(recorded_text_extension("/d/a.text"), "tex");
    EXPECT_EQ(recorded_text_extension("/d/a.HTML"), "HTM");
    EXPECT_EQ(recorded_text_extension("/d/noext"), "");
    EXPECT_EQ(recorded_text_extension("/d/a.あい"), sj("あ"));   // cut on a character boundary
}

// The titles a dialog hands back: the document counts as changed only when
// what the extension file will keep changes.
TEST(ExtensionTitles, WriteBackMarksOnlyRealChanges) {
    ExtensionHeader h;
    h.title = sj("表題");
    h.print_title = "print";
    DocumentState state;

    EXPECT_FALSE(write_back_titles(h, state, sj("表題"), "print"));   // the same titles again
    EXPECT_EQ(state.modified, 0);

    // A title that fills its field, handed back with more after it (or with
    // a NUL and anything behind that): the kept bytes are the same.
    h.title = sj("十二文字ある表題です。。");                          // 24 bytes
    ASSERT_EQ(h.title.size(), EXT_TITLE_BYTES);
    EXPECT_FALSE(write_back_titles(h, state, h.title + sj("続き"), "print"));
    EXPECT_FALSE(write_back_titles(h, state, h.title, std::string("print\0old", 9)));
    EXPECT_EQ(state.modified, 0);

    state.modified = MODIFIED_TEXT;
    EXPECT_TRUE(write_back_titles(h, state, sj("新しい表題"), "print"));
    EXPECT_EQ(state.modified, MODIFIED_TEXT | MODIFIED_EXTENSION);
    EXPECT_EQ(h.title, sj("新しい表題"));

    state.modified = 0;
    EXPECT_TRUE(write_back_titles(h, state, sj("新しい表題"), ""));   // a title taken away is a change
    EXPECT_EQ(h.print_title, "");
    EXPECT_EQ(state.modified, MODIFIED_EXTENSION);

    // The header holds what the file will keep: cut on a character boundary.
    state.modified = 0;
    EXPECT_TRUE(write_back_titles(h, state, "x" + sj("十二文字ある表題です。。"), ""));
    EXPECT_EQ(h.title, "x" + sj("十二文字ある表題です。"));
    EXPECT_EQ(stored_title(h.title, EXT_TITLE_BYTES), h.title);
    ExtensionFile back;
    ASSERT_EQ(read_extension_bytes(extension_header_bytes(h), &back), ExtensionStatus::OK);
    EXPECT_EQ(back.header.title, h.title);
}

}  // namespace
}  // namespace rix

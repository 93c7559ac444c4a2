// Cut, copy, paste and select all over the fake clipboard, the two text
// forms (export form out, raw form in), and the size limits of the transfer
// on the code page 932 bytes.
#include "edit_fixture.h"

#include "document/loader.h"
#include "editing/clipboard_commands.h"
#include "fuzz/fuzz_entries.h"
#include "platform/clipboard.h"

namespace rix {
namespace {

using test::sj;

struct ClipboardCommands : test::EditFixture {
    FakeClipboard clipboard;
    void mark(TextPos a, TextPos b) {
        edit.mark.on = true;
        edit.mark.start = a;
        edit.mark.end = b;
    }
};

TEST_F(ClipboardCommands, ImportNormalisesLineEndsAndReplacesWhatCodePage932Lacks) {
    std::size_t replaced = 99;
    const std::string raw = import_clipboard_text("a\nb\r\nc\rd\x1A\xE2\x82\xAC\xF0\x9F\x98\x80\xE3\x80\x93\xEF\xBD\xB1", &replaced);
    // € and the emoji have no code page 932 form; 〓 itself and ｱ have.
    EXPECT_EQ(raw, "a\r\nb\r\nc\r\nd\x81\xAC\x81\xAC\x81\xAC\xB1");
    EXPECT_EQ(replaced, 2u);
}

TEST_F(ClipboardCommands, CopyAndPasteRoundTripsText) {
    test::build(doc, {sj("一行目"), sj("二ab"), sj("")});
    mark(TextPos(0, 2), TextPos(1, 3));   // ends inside the half-width pair "ab"
    ASSERT_TRUE(run_clipboard_command(c, clipboard, COMMAND_COPY));
    EXPECT_EQ(clipboard.text, "行目\r\n二a");
    EXPECT_FALSE(edit.mark.on);
    EXPECT_TRUE(edit.damage.marking);
    at(2, 0);
    ASSERT_TRUE(run_clipboard_command(c, clipboard, COMMAND_PASTE));
    EXPECT_EQ(line(2), sj("行目"));
    EXPECT_EQ(line(3), sj("二a"));
    EXPECT_EQ(edit.cursor.pos, TextPos(3, 3));

    // A foreign text with LF, 0x1A and a character outside code page 932.
    clipboard.text = "x\ny\x1A\xE2\x82\xAC";
    ASSERT_TRUE(paste_clipboard(c, clipboard));
    EXPECT_EQ(line(3), sj("二ax"));
    EXPECT_EQ(line(4), sj("y〓"));
    EXPECT_TRUE(told.saw("〓に置き換えて"));
    EXPECT_EQ(invariant(), "");
}

TEST_F(ClipboardCommands, CutNeedsAMarkAndDeletesOnlyWhatReachedTheClipboard) {
    test::build(doc, {sj("abcdef")});
    EXPECT_FALSE(cut_marked(c, clipboard));
    EXPECT_EQ(told.utf8(0), "先に､ｼﾌﾄ+ｶｰｿﾙｷｰでマークしてください｡");
    EXPECT_EQ(told.log[0].time_ms, 2500u);

    mark(TextPos(0, 1), TextPos(0, 3));
    clipboard.fail_next_set = true;
    EXPECT_FALSE(cut_marked(c, clipboard));
    EXPECT_EQ(line(0), "abcdef");
    EXPECT_TRUE(edit.mark.on);

    std::vector<std::string> history;
    ClipboardHooks hooks;
    hooks.add_copy_history = [&](const std::string& t) { history.push_back(t); };
    ASSERT_TRUE(cut_marked(c, clipboard, hooks));
    EXPECT_EQ(clipboard.text, "bc");
    EXPECT_EQ(line(0), "adef");
    EXPECT_EQ(edit.cursor.pos, TextPos(0, 1));
    EXPECT_EQ(history, std::vector<std::string>{"bc"});
    ASSERT_TRUE(undo(c));
    EXPECT_EQ(line(0), "abcdef");
}

TEST_F(ClipboardCommands, PasteReplacesTheMarkAndCopyExportsRubiesAndIndent) {
    edit.options.export_rubies = true;
    // A ruby over 漢字 as the loader stores it.
    test::build(doc, {test::ruby("かんじ", 2) + sj("漢字です"), sj("かな")}, {test::format_word(2, 0, 0)});
    mark(TextPos(0, 0), TextPos(1, 0));
    ASSERT_TRUE(copy_marked(c, clipboard, true));
    EXPECT_EQ(clipboard.text, "　　漢字《かんじ》です\r\n");
    EXPECT_FALSE(edit.damage.marking);   // 204 leaves the highlight drawn

    clipboard.text = "Q";
    mark(TextPos(1, 0), TextPos(1, 2));
    ASSERT_TRUE(paste_clipboard(c, clipboard));
    EXPECT_EQ(line(1), sj("Qな"));
    EXPECT_FALSE(edit.mark.on);

    clipboard.has_text = false;
    EXPECT_FALSE(paste_clipboard(c, clipboard));
    EXPECT_TRUE(told.saw("クリップボードにテキストはありません。"));
}

TEST_F(ClipboardCommands, SelectAllLoadsTheRestFirst) {
    std::string file;
    for (int k = 0; k < 200; ++k) file += "row " + std::to_string(k) + "\r\n";
    LoadSession session;
    session.options.chunk_size = 128;
    state.text_fd = fuzz::memory_file(file);
    start_load(doc, state, session);
    c.session = &session;
    ASSERT_FALSE(doc.fully_loaded());
    ASSERT_TRUE(run_clipboard_command(c, clipboard, COMMAND_SELECT_ALL));
    EXPECT_TRUE(doc.fully_loaded());
    EXPECT_EQ(edit.mark.start, TextPos(0, 0));
    EXPECT_EQ(edit.mark.end, TextPos(200, 0));
    ASSERT_TRUE(copy_marked(c, clipboard, false));
    EXPECT_EQ(clipboard.text, file);
    ::close(state.text_fd);
}

TEST_F(ClipboardCommands, PutHoldsTheTransferBlockAndARefusedCopyChangesNothing) {
    EXPECT_EQ(put_clipboard_text(clipboard, std::string(CLIPBOARD_PUT_LIMIT, 'a'), c.notices), CLIPBOARD_OK);
    EXPECT_EQ(clipboard.text.size(), 2097051u);
    EXPECT_EQ(put_clipboard_text(clipboard, std::string(2097052, 'b'), c.notices), CLIPBOARD_FAILED);
    EXPECT_EQ(told.utf8(0), "テキストが大きすぎます。");
    EXPECT_EQ(clipboard.text[0], 'a');
    clipboard.fail_next_set = true;
    EXPECT_EQ(put_clipboard_text(clipboard, "x", c.notices), CLIPBOARD_FAILED);
    EXPECT_EQ(told.utf8(1), "クリップボードへの転送に失敗しました。");
    EXPECT_EQ(told.log[1].time_ms, 4000u);

    // A selection past the block is refused whole: cut deletes nothing and
    // the history gets nothing.
    std::vector<std::string> lines(35, std::string(60000, 'c'));
    lines.push_back("");
    test::build(doc, lines);
    mark(TextPos(0, 0), TextPos(35, 0));
    std::vector<std::string> history;
    ClipboardHooks hooks;
    hooks.add_copy_history = [&](const std::string& t) { history.push_back(t); };
    EXPECT_FALSE(cut_marked(c, clipboard, hooks));
    EXPECT_EQ(doc.lines.count(), 36u);
    EXPECT_TRUE(edit.mark.on);
    EXPECT_TRUE(history.empty());
    EXPECT_EQ(told.utf8(2), "テキストが大きすぎます。");
}

TEST_F(ClipboardCommands, GetRefusesEmptyAndOversizedTextsCountedAfterConversion) {
    std::string text;
    EXPECT_EQ(get_clipboard_text(clipboard, c.notices, &text), CLIPBOARD_NO_TEXT);
    clipboard.text.clear();
    clipboard.has_text = true;
    EXPECT_EQ(get_clipboard_text(clipboard, c.notices, &text), CLIPBOARD_NO_TEXT);
    EXPECT_EQ(told.utf8(1), "クリップボードにテキストはありません。");
    EXPECT_EQ(told.log[1].time_ms, 3000u);

    clipboard.text.assign(2097052, 'a');
    EXPECT_EQ(get_clipboard_text(clipboard, c.notices, &text), CLIPBOARD_OK);
    EXPECT_EQ(text.size(), 2097052u);
    clipboard.text.push_back('a');
    EXPECT_EQ(get_clipboard_text(clipboard, c.notices, &text), CLIPBOARD_TOO_LARGE);
    EXPECT_TRUE(text.empty());
    EXPECT_EQ(told.utf8(2), "テキストが大きすぎます。");
    // LF line ends become CR LF: half as many UTF-8 bytes already overflow.
    clipboard.text.assign(CLIPBOARD_TEXT_LIMIT / 2 + 1, '\n');
    EXPECT_EQ(get_clipboard_text(clipboard, c.notices, &text), CLIPBOARD_TOO_LARGE);
    clipboard.text = "a\nb\n";
    EXPECT_EQ(get_clipboard_text(clipboard, c.notices, &text), CLIPBOARD_OK);
    EXPECT_EQ(text, "a\r\nb\r\n");

    // An empty clipboard leaves the marked range as it was.
    test::build(doc, {sj("かなまじり")});
    mark(TextPos(0, 2), TextPos(0, 6));
    clipboard.has_text = false;
    EXPECT_FALSE(paste_clipboard(c, clipboard));
    EXPECT_TRUE(edit.mark.on);
    EXPECT_EQ(line(0), sj("かなまじり"));
    // An emoji from the system clipboard becomes 〓, told as typed text is.
    clipboard.text = "\xF0\x9F\x98\x80";
    clipboard.has_text = true;
    ASSERT_TRUE(paste_clipboard(c, clipboard));
    EXPECT_EQ(line(0), sj("か〓じり"));
    EXPECT_TRUE(told.saw("シフトJISにない文字1字を〓に置き換えて貼り付けました｡"));
}

}  // namespace
}  // namespace rix

// ＥＰＵＢファイル出力 (command 502) and EPUB 出力 → of the print settings as
// the main window runs them: EPUB_DB first, then the book written where the
// dialog said, with the texts it was given; a closed EPUB_DB writes nothing
// and, inside the print settings, keeps them open. The batch form takes
// the creator, rights and publisher kept in Rix.ini.
// Owed: the reader opened after the final question (platform/shell).
#include <gtest/gtest.h>

#include <zlib.h>

#include <cstdint>
#include <memory>

#include "app/window/command_table.h"
#include "app/shell/features.h"
#include "app/settings/default_settings.h"
#include "app/edit/editor.h"
#include "app/publish/epub_dialog.h"
#include "app/publish/epub_run.h"
#include "app/print/print_set_dialog.h"
#include "app/edit/screen.h"
#include "app/window/shell_events.h"
#include "document/document_state.h"
#include "platform/codec.h"
#include "platform/fake_dialogs.h"
#include "platform/fake_fonts.h"
#include "platform/fake_messages.h"
#include "platform/recording_surface.h"
#include "tests/support/command_app.h"
#include "tests/support/temp_folder.h"

namespace rix {
namespace {

std::string sj(std::string_view utf8) { return utf8_to_sjis(utf8); }

std::uint32_t le(const std::string& b, std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(b[at + i]);
    return v;
}

// The content of entry `name` of a zip, found through the central
// directory and inflated; "" when it is not there.
std::string zip_entry(const std::string& zip, const std::string& name) {
    const std::size_t end = zip.rfind(std::string("PK\x05\x06", 4));
    if (end == std::string::npos || end + 22 > zip.size()) return {};
    std::size_t at = le(zip, end + 16, 4);
    for (std::uint32_t n = le(zip, end + 10, 2); n > 0 && at + 46 <= zip.size(); --n) {
        const std::uint32_t method = le(zip, at + 10, 2), packed = le(zip, at + 20, 4), size = le(zip, at + 24, 4);
        const std::uint32_t name_len = le(zip, at + 28, 2), extra = le(zip, at + 30, 2), comment = le(zip, at + 32, 2);
        const std::uint32_t local = le(zip, at + 42, 4);
        if (zip.compare(at + 46, name_len, name) == 0 && name_len == name.size()) {
            const std::size_t data = local + 30 + le(zip, local + 26, 2) + le(zip, local + 28, 2);
            if (data + packed > zip.size()) return {};
            if (method == 0) return zip.substr(data, packed);
            std::string out(size, '\0');
            z_stream z{};
            inflateInit2(&z, -MAX_WBITS);
            z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zip.data() + data));
            z.avail_in = packed;
            z.next_out = reinterpret_cast<Bytef*>(out.data());
            z.avail_out = size;
            const int result = inflate(&z, Z_FINISH);
            inflateEnd(&z);
            return result == Z_STREAM_END ? out : std::string();
        }
        at += 46 + name_len + extra + comment;
    }
    return {};
}

struct EpubCommandTest : test::CommandAppTest {
    std::string book;

    void SetUp() override {
        CommandAppTest::SetUp();
        std::string text;
        for (int i = 0; i < 60; ++i) text += sj("ある日の暮方の事である。一人の下人が、羅生門の下で雨やみを待っていた。\r\n");
        const std::string path = dir.write("羅生門.txt", text);
        ASSERT_TRUE(open_document_file(&app.doc, path, 0));
        app.doc.save_name = path;
        load_into_application(app);
        start_editing(app);
        app.startup_done = true;
        app.hooks.rebuild_screen(app);
        book = dir.file("羅生門.epub");
    }
    void TearDown() override { close_document(&app.doc, false); }
    CommandTable& commands() { return shell->commands(); }
};

TEST_F(EpubCommandTest, TheMenuCommandWritesTheBookEpubDbDescribes) {
    EXPECT_TRUE(commands().enabled(COMMAND_EPUB));
    dialogs.script([](DialogSession& d) { d.press(2); });
    ASSERT_TRUE(commands().run(COMMAND_EPUB));          // closed: nothing written
    EXPECT_FALSE(file_exists(book));

    dialogs.script([this](DialogSession& d) {
        EXPECT_EQ(d.get_text(EPUB_DB_PATH), utf8_to_sjis(book));
        d.type_text(EPUB_DB_CREATOR, sj("芥川"));
        d.press(1);
    });
    messages.answer(MSG_RESULT_NO);                     // not shown in a reader
    ASSERT_TRUE(commands().run(COMMAND_EPUB));
    const std::string bytes = test::slurp(book);
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(bytes.substr(0, 4), std::string("PK\x03\x04", 4));
    EXPECT_NE(bytes.find("mimetype"), std::string::npos);
    EXPECT_NE(zip_entry(bytes, "OEBPS/content.opf").find("<dc:creator>芥川</dc:creator>"), std::string::npos);
    EXPECT_TRUE(messages.saw("を作成しました。"));
    EXPECT_EQ(app.epub.metadata.creator, sj("芥川"));
    EXPECT_EQ(app.epub.path, book);
    EXPECT_NE(test::slurp(dir.file("Rix.ini")).find("Creator=" + sj("芥川")), std::string::npos);
    EXPECT_TRUE(app.settings.changed);
}

TEST_F(EpubCommandTest, AClosedEpubDbKeepsThePrintSettingsOpen) {
    dialogs.script([this](DialogSession& d) {
        d.press(PRINT_SET_TITLE_FIRST + 2);             // the print title is printed: its edit opens
        d.type_text(PRINT_SET_PRINT_TITLE, sj("今昔物語より"));
        d.press(PRINT_SET_EPUB);
        EXPECT_FALSE(d.ended());                        // EPUB_DB closed: back to the settings
        EXPECT_FALSE(file_exists(book));
        d.press(PRINT_SET_EPUB);
    });
    dialogs.script([](DialogSession& d) { d.press(2); });
    dialogs.script([](DialogSession& d) {
        // The print title just typed in the settings is the description.
        EXPECT_EQ(d.get_text(EPUB_DB_DESCRIPTION), sj("今昔物語より"));
        d.press(1);
    });
    messages.answer(MSG_RESULT_NO);
    ASSERT_TRUE(commands().run(COMMAND_PRINT));
    EXPECT_EQ(dialogs.opened, (std::vector<std::string>{"PRINT_SET", "EPUB_DB", "EPUB_DB"}));
    const std::string bytes = test::slurp(book);
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(bytes.substr(0, 4), std::string("PK\x03\x04", 4));
    EXPECT_EQ(app.epub.metadata.description, sj("今昔物語より"));
    EXPECT_FALSE(messages.saw("この版ではできません"));
}

TEST(EpubBatch, TakesTheKeptCreatorRightsAndPublisher) {
    FakeMessages messages;
    test::TempFolder dir;
    Application app;
    build_default_settings(&app.settings.rec);
    app.batch = true;
    app.instance_number = 0;
    app.paths.program_folder = dir.path();
    dir.write("Rix.ini", "[EPUB]\r\nDescription=" + sj("使わない") + "\r\nCreator=" + sj("芥川") +
                             "\r\nCopyRight=(c)\r\nPublisher=" + sj("青空") + "\r\n");
    const std::string document = dir.write("羅生門.txt", sj("ある日の暮方の事である。\r\n"));
    app.line.epub_path = dir.file("batch.epub");
    ASSERT_EQ(batch_epub(app, document), 0);
    const std::string opf = zip_entry(test::slurp(app.line.epub_path), "OEBPS/content.opf");
    EXPECT_NE(opf.find("<dc:creator>芥川</dc:creator>"), std::string::npos) << opf;
    EXPECT_NE(opf.find("<dc:rights>(c)</dc:rights>"), std::string::npos);
    EXPECT_NE(opf.find("<dc:publisher>青空</dc:publisher>"), std::string::npos);
    EXPECT_EQ(opf.find("使わない"), std::string::npos);
}

}  // namespace
}  // namespace rix

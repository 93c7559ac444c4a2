// Encrypted documents through the shell: saved encrypted after RE_CRYPT,
// reopened with the key through DE_CRYPT, refused with a wrong one, never
// saved when the key was not given; 平文保存 and Escape; key files; the
// batch forms; auto-save copies and their timer.
#include "app/crypt_flow.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>

#include "app/autosave.h"
#include "app/save_flow.h"
#include "app/write_out_dialog.h"
#include "document/edit_convert.h"
#include "document/encryption.h"
#include "platform/codec.h"
#include "platform/fake_dialogs.h"
#include "platform/fake_messages.h"
#include "platform/file_choice.h"
#include "platform/files.h"
#include "tests/support/temp_folder.h"

namespace rix {
namespace {

using test::slurp;

std::string sj(std::string_view utf8) { return utf8_to_sjis(utf8); }

struct CryptFlowTest : ::testing::Test {
    FakeMessages messages;
    FakeDialogHost dialogs;
    FakeWindowHost host;
    test::TempFolder dir;
    Application app;

    void SetUp() override {
        app.host = &host;
        app.paths.program_folder = dir.path();
        app.loaded = std::make_unique<LoadedDocument>(std::string(), UINT64_MAX);
        app.settings.rec.autosave_generations = 3;
        install_save_hooks(app);
    }
    void TearDown() override { close_document(&app.doc, false); }
    void open(const std::string& path) {
        close_document(&app.doc, false);
        app.doc = DocumentState{};
        ASSERT_TRUE(open_document_file(&app.doc, path, 0));
        app.doc.save_name = path;
        load_into_application(app);
    }
    // The first line without its line end.
    std::string text() {
        std::string t = edit_text_of_line(app.loaded->document, 0);
        while (!t.empty() && (t.back() == '\n' || t.back() == '\r')) t.pop_back();
        return t;
    }
    // Saves the open document encrypted with `key` (暗号化書出, then RE_CRYPT's 暗号化保存).
    void save_encrypted(const std::string& key) {
        app.doc.key = key;
        app.save_flow.writing.encrypt = true;
        app.doc.modified |= MODIFIED_TEXT;
        dialogs.script([](DialogSession& d) { d.press(CRYPT_OK); });
        ASSERT_EQ(menu_save(app), SaveResult::Saved);
    }
    static void type_key(DialogSession& d, const std::string& key) {
        d.type_text(d.get_check(CRYPT_SHOW_KEY) ? CRYPT_KEY_SHOWN : CRYPT_KEY, key);
    }
};

TEST_F(CryptFlowTest, AnEncryptedSaveReopensWithTheKeyOnly) {
    const std::string path = dir.write("秘密.txt", sj("秘密の原稿\r\n"));
    open(path);
    save_encrypted("abc");
    const std::string plain = sj("秘密の原稿\r\n") + "\x1A";
    const std::string cipher = slurp(path);
    EXPECT_EQ(cipher.size(), plain.size());
    EXPECT_EQ(cipher.find(sj("秘密")), std::string::npos);
    EXPECT_EQ(slurp(dir.file("秘密.rix")).at(39), 1);   // the extension file says so

    // A wrong key is said so and asked again; the right one opens it.
    dialogs.script([](DialogSession& d) {
        type_key(d, "abd");
        d.press(CRYPT_OK);
    });
    dialogs.script([](DialogSession& d) {
        type_key(d, "abc");
        d.press(CRYPT_OK);
    });
    open(path);
    EXPECT_TRUE(messages.saw("暗号キーが違います"));
    EXPECT_EQ(text(), sj("秘密の原稿"));
    EXPECT_TRUE(app.doc.decrypted && app.doc.encrypt);

    // 取消: the enciphered bytes, and no save ever writes them.
    dialogs.script([](DialogSession& d) { d.press(CRYPT_PLAIN); });
    open(path);
    EXPECT_FALSE(app.doc.decrypted);
    app.doc.modified |= MODIFIED_TEXT;
    messages.answer(MSG_RESULT_YES);   // the bytes the load had to convert: save over them anyway?
    EXPECT_EQ(menu_save(app), SaveResult::Failed);
    EXPECT_TRUE(messages.saw("復号化出来ないため保存しません"));
    EXPECT_FALSE(auto_save(app, true));
    EXPECT_EQ(slurp(path), cipher);
    EXPECT_TRUE(dialogs.missing.empty());
}

TEST_F(CryptFlowTest, PlainSaveOnlyByItsButtonAndEscapeSavesNothing) {
    const std::string path = dir.write("p.txt", "text\r\n");
    open(path);
    save_encrypted("k");
    const std::string cipher = slurp(path);
    dialogs.script([](DialogSession& d) {
        type_key(d, "k");
        d.press(CRYPT_OK);
    });
    open(path);
    app.doc.modified |= MODIFIED_TEXT;
    dialogs.script([](DialogSession& d) { d.press_escape(); });
    EXPECT_EQ(menu_save(app), SaveResult::Failed);   // the exit flow stops, nothing is lost
    EXPECT_EQ(slurp(path), cipher);
    dialogs.script([](DialogSession& d) { d.press(CRYPT_PLAIN_SAVE); });
    EXPECT_EQ(menu_save(app), SaveResult::Saved);
    EXPECT_EQ(slurp(path), "text\r\n\x1A");
    EXPECT_FALSE(file_exists(dir.file("p.rix")) && slurp(dir.file("p.rix")).at(39) != 0);
    app.doc.modified |= MODIFIED_TEXT;
    EXPECT_EQ(menu_save(app), SaveResult::Saved);   // plain from now on: no question, no refusal
    EXPECT_EQ(dialogs.opened.back(), "RE_CRYPT");
    open(path);
    EXPECT_EQ(dialogs.opened.back(), "RE_CRYPT");   // and it opens without a key
    EXPECT_EQ(text(), "text");
}

TEST_F(CryptFlowTest, AChangedKeyIsKeptInTheKeyFileOnRequest) {
    const std::string path = dir.write("k.txt", "a\r\n");
    open(path);
    save_encrypted("old");
    EXPECT_FALSE(file_exists(dir.file("k.key")));
    dialogs.script([](DialogSession& d) {
        type_key(d, "old");
        d.press(CRYPT_OK);
    });
    open(path);
    app.doc.modified |= MODIFIED_TEXT;
    dialogs.script([](DialogSession& d) {
        EXPECT_FALSE(d.is_visible(CRYPT_KEY_SHOWN));
        d.press(CRYPT_SHOW_KEY);                // the key in plain characters
        EXPECT_EQ(d.get_text(CRYPT_KEY_SHOWN), "old");
        d.type_text(CRYPT_KEY_SHOWN, "new");
        d.press(CRYPT_OK);
    });
    messages.answer(MSG_RESULT_YES);            // キーを保存しますか？
    EXPECT_EQ(menu_save(app), SaveResult::Saved);
    EXPECT_TRUE(messages.saw("暗号キーが変更されました"));
    EXPECT_EQ(slurp(dir.file("k.key")), "new");
    // The key file fills DE_CRYPT, and the batch forms read it.
    dialogs.script([](DialogSession& d) {
        EXPECT_NE(d.get_text(CRYPT_STATUS).find(sj("保存ﾌｫﾙﾀﾞからキーを取得しました")), std::string::npos);
        EXPECT_EQ(d.get_text(CRYPT_KEY_SHOWN), "new");   // shown: the choice holds for the run
        d.press_enter();
    });
    open(path);
    EXPECT_EQ(text(), "a");
    DocumentState batch;
    batch.opened_path = path;
    batch.text_fd = ::open(path.c_str(), O_RDONLY);
    EXPECT_TRUE(unlock_with_key_file(batch, dir.file("k.key")));
    EXPECT_TRUE(batch.decrypted);
    ::close(batch.text_fd);
    ::unlink(dir.file("k.key").c_str());
    batch.decrypted = false;
    batch.text_fd = ::open(path.c_str(), O_RDONLY);
    EXPECT_FALSE(unlock_with_key_file(batch, dir.file("k.key")));
    ::close(batch.text_fd);
}

TEST_F(CryptFlowTest, TheWriteOutDialogSwitchesEncryptionOn) {
    std::string key;
    dialogs.script([](DialogSession& d) {
        d.press(WRITE_OUT_ENCRYPT);
        d.press(1);                              // refused: no key
        EXPECT_FALSE(d.ended());
        d.type_text(WRITE_OUT_KEY, "w");
        d.press(1);
    });
    EXPECT_EQ(run_write_out_dialog(&app.settings, &app.save_flow.writing, 0, &key), DIALOG_OK);
    EXPECT_TRUE(messages.saw("暗号キーを入力してください"));
    EXPECT_TRUE(app.save_flow.writing.encrypt);
    EXPECT_EQ(key, "w");
    EXPECT_FALSE(app.save_flow.writing.any());   // a save stays a save, not a write-out
}

TEST(AutosaveTest, TheConditionsCombineAsSet) {
    // flags, bytes edited, chars, minutes counted, minutes set
    EXPECT_FALSE(autosave_due(0, 10000, 10, 100, 1));
    EXPECT_TRUE(autosave_due(AUTOSAVE_BY_CHARS, 20, 10, 0, 5));
    EXPECT_FALSE(autosave_due(AUTOSAVE_BY_CHARS, 19, 10, 99, 5));   // twice the characters, in bytes
    EXPECT_TRUE(autosave_due(AUTOSAVE_BY_MINUTES, 0, 10, 5, 5));
    EXPECT_FALSE(autosave_due(AUTOSAVE_BY_MINUTES, 999, 10, 4, 5));
    const std::uint8_t both = AUTOSAVE_BY_CHARS | AUTOSAVE_BY_MINUTES;
    EXPECT_TRUE(autosave_due(both, 20, 10, 0, 5));                  // the first one reached
    EXPECT_TRUE(autosave_due(both, 0, 10, 5, 5));
    EXPECT_FALSE(autosave_due(both | AUTOSAVE_BOTH, 20, 10, 4, 5));  // both are needed
    EXPECT_TRUE(autosave_due(both | AUTOSAVE_BOTH, 20, 10, 5, 5));
    EXPECT_FALSE(autosave_due(AUTOSAVE_BOTH | AUTOSAVE_BY_CHARS, 20, 10, 5, 5));   // minutes off
}

TEST_F(CryptFlowTest, TheTimerWritesGenerationsBesideTheDocument) {
    const std::string path = dir.write("原稿.txt", sj("一行目\r\n"));
    open(path);
    app.settings.rec.autosave_flags = AUTOSAVE_BY_MINUTES;
    app.settings.rec.autosave_minutes = 2;
    autosave_tick(app);
    autosave_tick(app);   // nothing changed: no copy
    EXPECT_FALSE(file_exists(dir.file("自動保存01_原稿.txt")));
    app.doc.modified |= MODIFIED_TEXT;
    app.loaded->edit.autosave_edits = 4;
    autosave_tick(app);
    {
        const FileDialogOpen dialog;   // a minute with a file dialog open is not counted
        autosave_tick(app);
    }
    EXPECT_FALSE(file_exists(dir.file("自動保存01_原稿.txt")));
    autosave_tick(app);
    EXPECT_EQ(slurp(dir.file("自動保存01_原稿.txt")), sj("一行目\r\n") + "\x1A");
    EXPECT_EQ(app.doc.save_name, path);                    // the document keeps its name,
    EXPECT_TRUE(app.doc.modified & MODIFIED_TEXT);         // stays modified
    EXPECT_TRUE(is_read_only(path));                       // and keeps its mark
    EXPECT_FALSE(is_read_only(dir.file("自動保存01_原稿.txt")));
    EXPECT_EQ(app.autosave.minutes, 0u);
    EXPECT_EQ(app.loaded->edit.autosave_edits, 0u);
    // 手動実行: the next generation, and the writer is told.
    EXPECT_TRUE(auto_save(app, true));
    EXPECT_TRUE(file_exists(dir.file("自動保存02_原稿.txt")));
    EXPECT_TRUE(messages.saw("保存実行しました"));
    // A save clears the counters too.
    app.autosave.minutes = 1;
    EXPECT_EQ(menu_save(app), SaveResult::Saved);
    EXPECT_EQ(app.autosave.minutes, 0u);
    // A document without a name is not auto-saved.
    app.doc.save_name.clear();
    EXPECT_FALSE(auto_save(app, true));
}

TEST_F(CryptFlowTest, AnEncryptedDocumentIsAutoSavedEncrypted) {
    const std::string path = dir.write("e.txt", "secret\r\n");
    open(path);
    save_encrypted("abc");
    app.doc.modified |= MODIFIED_TEXT;
    ASSERT_TRUE(auto_save(app, false));
    EXPECT_TRUE(messages.saw("暗号化自動保存実行中"));
    const std::string copy = dir.file("自動保存01_e.txt");
    EXPECT_EQ(slurp(copy).find("secret"), std::string::npos);
    EXPECT_EQ(slurp(dir.file("自動保存01_e.rix")).at(39), 1);
    dialogs.script([](DialogSession& d) {
        type_key(d, "abc");
        d.press(CRYPT_OK);
    });
    open(copy);
    EXPECT_EQ(text(), "secret");
}

}  // namespace
}  // namespace rix

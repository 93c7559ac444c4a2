// Encrypted documents through the shell: saved encrypted after RE_CRYPT,
// reopened with the key through DE_CRYPT, refused with a wrong one, nothing
// opened when the key was not given; no plain backup beside them, and the
// offer to remove one; 平文保存 and Escape; key files; the batch forms and
// --info; auto-save copies and their timer.
#include "app/documents/crypt_flow.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "app/documents/autosave.h"
#include "app/documents/document_load.h"
#include "app/documents/recovery_flow.h"
#include "document/recovery.h"
#include "app/documents/save_flow.h"
#include "app/documents/write_out_dialog.h"
#include "aids/notebook.h"
#include "document/edit_convert.h"
#include "document/encryption.h"
#include "platform/codec.h"
#include "platform/fake_dialogs.h"
#include "platform/fake_messages.h"
#include "platform/file_choice.h"
#include "platform/files.h"
#include "tests/document/doc_builder.h"
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
    // The edited text: "second" in place of what was loaded.
    void type_characters_for_test() {
        test::build(app.loaded->document, {"second", ""});
        app.doc.modified |= MODIFIED_TEXT;
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

    // 取消: nothing is opened over the file; its mark is given back, and no
    // save or auto-save can write anything over it.
    dialogs.script([](DialogSession& d) { d.press(CRYPT_PLAIN); });
    open(path);
    EXPECT_TRUE(messages.saw("復号化しないため文書を開きません"));
    EXPECT_FALSE(app.doc.decrypted);
    EXPECT_EQ(app.doc.text_fd, -1);
    EXPECT_TRUE(app.doc.save_name.empty());
    EXPECT_EQ(app.doc.modified, 0);
    EXPECT_FALSE(is_read_only(path));
    EXPECT_EQ(text(), "\x1A");   // an empty document: the end mark alone
    app.doc.modified |= MODIFIED_TEXT;
    EXPECT_EQ(menu_save(app), SaveResult::Failed);
    EXPECT_FALSE(auto_save(app, true));
    EXPECT_EQ(slurp(path), cipher);
    EXPECT_TRUE(dialogs.missing.empty());
    EXPECT_EQ(messages.unexpected, 0);
}

// The first encrypted save of a plain document: its plain text is not kept
// as N.bak, RE_CRYPT says that the document is not encrypted yet (and says
// it is once it is), and a text too short to prove its key is said so.
TEST_F(CryptFlowTest, TheFirstEncryptedSaveKeepsNoPlainBackupAndSaysWhatItDoes) {
    const std::string path = dir.write("短.txt", "memo\r\n");
    open(path);
    app.doc.key = "abc";
    app.save_flow.writing.encrypt = true;
    app.doc.modified |= MODIFIED_TEXT;
    dialogs.script([](DialogSession& d) {
        EXPECT_NE(d.get_text(CRYPT_RESAVE_STATUS).find(sj("まだ暗号化されていません")), std::string::npos);
        d.press(CRYPT_OK);
    });
    ASSERT_EQ(menu_save(app), SaveResult::Saved);
    const std::string bak = slurp(dir.file("短.bak"));
    EXPECT_EQ(bak.find("memo"), std::string::npos);
    std::string back = bak;
    CipherStream stream(derive_cipher_key("abc", KeyForm::STRONG));
    stream.process(back.data(), back.size());
    EXPECT_EQ(back, "memo\r\n");
    app.doc.modified |= MODIFIED_TEXT;
    dialogs.script([](DialogSession& d) {
        EXPECT_NE(d.get_text(CRYPT_RESAVE_STATUS).find(sj("この文書は暗号化されています")), std::string::npos);
        d.press(CRYPT_OK);
    });
    ASSERT_EQ(menu_save(app), SaveResult::Saved);
    dialogs.script([](DialogSession& d) {
        type_key(d, "abc");
        d.press(CRYPT_OK);
    });
    open(path);
    EXPECT_TRUE(messages.saw("暗号キーが正しいか確認出来ませんでした"));
    EXPECT_EQ(text(), "memo");
    EXPECT_TRUE(dialogs.missing.empty());
}

// Encryption switched on beside a plain N.bak: its secure deletion is offered.
TEST_F(CryptFlowTest, TurningEncryptionOnOffersToRemoveAPlainBackup) {
    const std::string path = dir.write("b.txt", "draft two\r\n");
    dir.write("b.bak", "draft one\r\n\x1A");
    open(path);
    app.doc.key = "k";
    app.doc.encrypt = true;
    messages.answer(MSG_RESULT_NO);
    EXPECT_FALSE(offer_plain_backup_removal(app));
    EXPECT_TRUE(messages.saw("バックアップファイルは暗号化されていません"));
    EXPECT_TRUE(file_exists(dir.file("b.bak")));
    messages.answer(MSG_RESULT_YES);
    EXPECT_TRUE(offer_plain_backup_removal(app));
    EXPECT_FALSE(file_exists(dir.file("b.bak")));
    EXPECT_TRUE(messages.saw("完全削除しました"));
    // A backup enciphered with the key is no matter for a question.
    std::string secret = "draft one\r\n\x1A";
    CipherStream stream(derive_cipher_key("k", KeyForm::STRONG));
    stream.process(secret.data(), secret.size());
    dir.write("b.bak", secret);
    const std::size_t asked = messages.log.size();
    EXPECT_TRUE(offer_plain_backup_removal(app));
    EXPECT_EQ(messages.log.size(), asked);
    EXPECT_TRUE(file_exists(dir.file("b.bak")));
    EXPECT_EQ(messages.unexpected, 0);
}

// The recovery file of an encrypted document is enciphered as the document
// is, and reopened with the document's key file (not one named after it).
TEST_F(CryptFlowTest, ARecoveryFileIsSecretAndOpensWithTheDocumentsKey) {
    const std::string path = dir.write("r.txt", "first\r\n");
    open(path);
    save_encrypted("rk");
    ASSERT_TRUE(write_key_file(document_key_file(app, path), "rk"));
    type_characters_for_test();
    const std::string written = write_recovery_file(app.loaded->document, app.doc, app.loaded->session,
                                                    save_request_for(app, SAVE_MODE_SWITCH_OR_END));
    ASSERT_FALSE(written.empty());
    EXPECT_EQ(slurp(written).find("second"), std::string::npos);
    close_document(&app.doc, false);
    app.doc = DocumentState{};
    ASSERT_TRUE(open_document_file(&app.doc, path, 0));
    app.doc.save_name = path;
    messages.answer(MSG_RESULT_YES);   // open the recovered text
    ASSERT_TRUE(offer_recovery(app));
    dialogs.script([](DialogSession& d) {
        EXPECT_NE(d.get_text(CRYPT_STATUS).find(sj("保存ﾌｫﾙﾀﾞからキーを取得しました")), std::string::npos);
        d.press_enter();
    });
    load_into_application(app);
    EXPECT_EQ(text(), "second");
    EXPECT_TRUE(dialogs.missing.empty());
    EXPECT_EQ(messages.unexpected, 0);
}

// rix --info finds the key file where the other batch forms and the window
// do: in the key folder of the settings, else the data folder.
TEST_F(CryptFlowTest, InfoFindsTheKeyFileWhereEveryFormDoes) {
    const std::string path = dir.write("i.txt", "abc\r\n");
    open(path);
    save_encrypted("key1");
    close_document(&app.doc, false);
    ASSERT_TRUE(write_key_file(document_key_file(app, path), "key1"));
    EXPECT_EQ(document_key_file(app, path), dir.file("i.key"));   // no key folder set: the data folder
    char* buf = nullptr;
    std::size_t size = 0;
    std::FILE* out = ::open_memstream(&buf, &size);
    MessageQuestions questions(app);
    const int rc = print_document_info(path, app.settings.rec, app.paths.program_folder, app.reading, 0, questions, out);
    std::fclose(out);
    const std::string printed(buf, size);
    std::free(buf);
    EXPECT_EQ(rc, 0);
    EXPECT_NE(printed.find("lines="), std::string::npos) << printed;
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

namespace rix {
namespace {

// A changed key, or encryption switched off, takes the notebook along: it
// still opens with the document's key afterwards, and a notebook that the
// key does not decipher is refused, never read as articles.
TEST_F(CryptFlowTest, TheNotebookFollowsAChangedKey) {
    const std::string path = dir.write("n.txt", "a\r\n");
    open(path);
    save_encrypted("old");
    Notebook book;
    book.entries.push_back(NotebookEntry{sj("取材"), sj("京都の寺\r\n")});
    const NotebookKey old_key{"old", app.doc.key_form};
    ASSERT_TRUE(write_notebook_file(dir.file("n.ren"), book, &old_key));
    dialogs.script([](DialogSession& d) {
        type_key(d, "old");
        d.press(CRYPT_OK);
    });
    open(path);
    app.doc.modified |= MODIFIED_TEXT;
    dialogs.script([](DialogSession& d) {
        type_key(d, "new");
        d.press(CRYPT_OK);
    });
    messages.answer(MSG_RESULT_NO);            // キーを保存しますか？
    ASSERT_EQ(menu_save(app), SaveResult::Saved);

    Notebook read;
    const NotebookKey new_key{"new", app.doc.key_form};
    EXPECT_EQ(read_notebook_file(dir.file("n.ren"), &read, &old_key), NotebookFile::Failed);
    ASSERT_EQ(read_notebook_file(dir.file("n.ren"), &read, &new_key), NotebookFile::Read);
    ASSERT_EQ(read.entries.size(), 1u);
    EXPECT_EQ(read.entries[0].article, sj("京都の寺\r\n"));

    // 平文保存: the notebook is written plain with the text.
    app.doc.modified |= MODIFIED_TEXT;
    dialogs.script([](DialogSession& d) { d.press(CRYPT_PLAIN_SAVE); });
    ASSERT_EQ(menu_save(app), SaveResult::Saved);
    EXPECT_NE(slurp(dir.file("n.ren")).find(sj("京都の寺")), std::string::npos);
}

}  // namespace
}  // namespace rix

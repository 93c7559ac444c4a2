// Encrypted documents on disk: files enciphered in place keep their length,
// the right key (in either form) gives the plain text back, a wrong key is
// refused instead of giving garbage (judged on the whole text, a short one
// unverified); key files; auto-save file names.
#include "document/encryption.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>

#include <utime.h>

#include "document/autosave_files.h"
#include "platform/codec.h"
#include "tests/support/temp_folder.h"

namespace rix {
namespace {

using test::slurp;

std::string read_fd(int fd) {
    std::string out;
    char b[4096];
    for (off_t at = 0;;) {
        ssize_t n = ::pread(fd, b, sizeof b, at);
        if (n <= 0) return out;
        out.append(b, static_cast<std::size_t>(n));
        at += n;
    }
}

struct EncryptionTest : ::testing::Test {
    test::TempFolder dir;

    // Writes `plain` and enciphers it in place with `key` in `form`.
    std::string encrypted(const std::string& name, const std::string& plain, const std::string& key,
                          KeyForm form = KeyForm::STRONG) {
        const std::string path = dir.write(name, plain);
        int fd = ::open(path.c_str(), O_RDWR);
        EXPECT_TRUE(cipher_file_in_place(fd, key, form));
        ::close(fd);
        return path;
    }
    int unlock(const std::string& path, const std::string& key, KeyForm* form) {
        return unlock_encrypted_file_at(path, key, form, nullptr);
    }
    static int unlock_encrypted_file_at(const std::string& path, const std::string& key, KeyForm* form,
                                        KeyCheck* check) {
        int fd = ::open(path.c_str(), O_RDONLY);
        int plain = unlock_encrypted_file(fd, key, form, check);
        ::close(fd);
        return plain;
    }
};

TEST_F(EncryptionTest, TheRightKeyDeciphersAndAWrongOneIsRefused) {
    const std::string plain = utf8_to_sjis("吾輩は猫である。\r\n名前はまだ無い。\r\n") + "\x1A";
    const std::string path = encrypted("a.txt", plain, "abc");
    const std::string cipher = slurp(path);
    EXPECT_EQ(cipher.size(), plain.size());   // the length does not change
    EXPECT_NE(cipher, plain);
    KeyForm form = KeyForm::EXPORT;
    int fd = unlock(path, "abc", &form);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(read_fd(fd), plain);
    EXPECT_EQ(form, KeyForm::STRONG);
    ::close(fd);
    EXPECT_EQ(slurp(path), cipher);           // the file itself is untouched
    EXPECT_LT(unlock(path, "abd", &form), 0);
    EXPECT_LT(unlock(path, "", &form), 0);
}

TEST_F(EncryptionTest, TheExportFormIsFoundToo) {
    std::string plain(200000, 'x');
    plain += "\r\n\x1A";
    const std::string path = encrypted("b.txt", plain, utf8_to_sjis("秘密"), KeyForm::EXPORT);
    KeyForm form = KeyForm::STRONG;
    int fd = unlock(path, utf8_to_sjis("秘密"), &form);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(form, KeyForm::EXPORT);
    EXPECT_EQ(read_fd(fd), plain);
    ::close(fd);
}

// A deciphered text proves its key only as a whole text this program
// writes: valid code page 932 (or UTF-8) throughout, no NUL, one 0x1A at the end.
TEST_F(EncryptionTest, TheWholeTextIsJudgedNotItsHead) {
    const std::string line = utf8_to_sjis("吾輩は猫である。名前はまだ無い。ｱｲｳ abc\r\n");
    std::string longer;
    while (longer.size() < KEY_VERIFIED_BYTES) longer += line;
    EXPECT_EQ(check_deciphered_text(longer + "\x1A"), KeyCheck::RIGHT);
    EXPECT_EQ(check_deciphered_text(line + "\x1A"), KeyCheck::UNVERIFIED);   // too short to prove anything
    EXPECT_EQ(check_deciphered_text("\x1A"), KeyCheck::UNVERIFIED);          // an empty document
    EXPECT_EQ(check_deciphered_text(longer), KeyCheck::WRONG);                // no end mark
    EXPECT_EQ(check_deciphered_text(""), KeyCheck::WRONG);
    // One bad spot anywhere, far past the first 64 KiB too, refutes the key.
    const std::string far(100000, 'a');
    EXPECT_EQ(check_deciphered_text(far + std::string(1, '\0') + "\x1A"), KeyCheck::WRONG);
    EXPECT_EQ(check_deciphered_text(far + "\x1A" + "b\x1A"), KeyCheck::WRONG);   // text after the end mark
    EXPECT_EQ(check_deciphered_text(far + "\xFD" + "\x1A"), KeyCheck::WRONG);    // a marker byte
    EXPECT_EQ(check_deciphered_text(far + "\x82\x0D\n\x1A"), KeyCheck::WRONG); // a lead without its trail
    EXPECT_EQ(check_deciphered_text(far + "\x82\x1A"), KeyCheck::WRONG);         // a lead before the end mark
    EXPECT_EQ(check_deciphered_text(far + "\x80\xA0\xDF\x1A"), KeyCheck::RIGHT); // single bytes of the code page
    // A UTF-8 document is written enciphered in its own form.
    const std::string utf8 = "\xEF\xBB\xBF" + std::string(80, 'x') + "あいうえお\r\nかきくけこ\r\n" + std::string(60, 'y');
    EXPECT_EQ(check_deciphered_text(utf8 + "\x1A"), KeyCheck::RIGHT);
    EXPECT_EQ(check_deciphered_text(utf8 + "\xE3\x81\x1A"), KeyCheck::WRONG);   // a cut sequence
    // Pieces cut anywhere, through a double-byte character or a UTF-8
    // sequence, are judged as the whole.
    for (const std::string& text : {longer + "\x1A", utf8 + "\x1A", far + "\x82\x0D\n\x1A"}) {
        for (std::size_t cut : {std::size_t{1}, std::size_t{2}, std::size_t{3}, std::size_t{63}, std::size_t{64}, std::size_t{65}}) {
            DecipheredTextCheck pieces;
            for (std::size_t at = 0; at < text.size(); at += cut) pieces.feed(std::string_view(text).substr(at, cut));
            EXPECT_EQ(pieces.verdict(), check_deciphered_text(text)) << cut;
        }
    }
    // An empty file is no encrypted text.
    KeyForm form;
    EXPECT_LT(unlock(dir.write("empty.txt", ""), "k", &form), 0);
}

// The text a wrong key gives: a check of the end mark and of NUL bytes alone
// takes about one wrong key in 130 for a short text (one in 900 here); the
// whole text refutes every one of them, and a short text is at most
// "unverified", never proved.
TEST_F(EncryptionTest, AWrongKeyIsNotTakenForARightOne) {
    std::string plain;
    while (plain.size() < 2 * KEY_VERIFIED_BYTES) plain += utf8_to_sjis("山路を登りながら、こう考えた。\r\n");
    plain += "\x1A";
    const std::string short_plain = utf8_to_sjis("短い覚え書き\r\n") + "\x1A";
    auto decipher = [](std::string bytes, const std::string& key) {
        CipherStream s(derive_cipher_key(key, KeyForm::STRONG));
        s.process(bytes.data(), bytes.size());
        return bytes;
    };
    const std::string cipher = decipher(plain, "right");
    const std::string short_cipher = decipher(short_plain, "right");
    int head_check_passes = 0;
    std::string fooling_key;
    for (int k = 0; k < 20000; ++k) {
        const std::string key = "wrong" + std::to_string(k);
        const std::string text = decipher(cipher, key);
        const bool head_check = text.back() == '\x1A' && text.find('\0') == std::string::npos;
        if (head_check) {
            ++head_check_passes;
            if (fooling_key.empty()) fooling_key = key;
        }
        ASSERT_EQ(check_deciphered_text(text), KeyCheck::WRONG) << key;
        ASSERT_NE(check_deciphered_text(decipher(short_cipher, key)), KeyCheck::RIGHT) << key;
    }
    ASSERT_GT(head_check_passes, 0);   // the weakness is real for this text
    // Through the file: the key that fooled the head check opens nothing.
    const std::string path = encrypted("w.txt", plain, "right");
    KeyForm form = KeyForm::STRONG;
    KeyCheck check = KeyCheck::RIGHT;
    EXPECT_LT(unlock_encrypted_file_at(path, fooling_key, &form, &check), 0);
    EXPECT_EQ(check, KeyCheck::WRONG);
    int fd = unlock_encrypted_file_at(path, "right", &form, &check);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(check, KeyCheck::RIGHT);
    EXPECT_EQ(read_fd(fd), plain);
    ::close(fd);
    // A short text with its right key is opened, but said to be unverified.
    fd = unlock_encrypted_file_at(encrypted("s.txt", short_plain, "right"), "right", &form, &check);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(check, KeyCheck::UNVERIFIED);
    EXPECT_EQ(read_fd(fd), short_plain);
    ::close(fd);
}

TEST_F(EncryptionTest, KeyFiles) {
    EXPECT_EQ(key_file_path("/keys", "/docs/原稿.txt"), "/keys/原稿.key");
    EXPECT_EQ(key_file_path("/keys", "/docs/noext"), "/keys/noext.key");
    EXPECT_EQ(key_file_path("", "/docs/a.txt"), "");
    std::string key;
    EXPECT_FALSE(read_key_file(dir.file("missing.key"), &key));
    EXPECT_FALSE(read_key_file(dir.write("empty.key", ""), &key));
    ASSERT_TRUE(write_key_file(dir.file("k.key"), utf8_to_sjis("鍵")));
    EXPECT_EQ(test::mode_of(dir.file("k.key")) & 0777, 0600u);
    EXPECT_TRUE(read_key_file(dir.file("k.key"), &key));
    EXPECT_EQ(key, utf8_to_sjis("鍵"));
    // At most 255 bytes, never half a character.
    std::string long_key = std::string(254, 'a') + utf8_to_sjis("鍵") + "zzz";
    EXPECT_TRUE(read_key_file(dir.write("long.key", long_key), &key));
    EXPECT_EQ(key, std::string(254, 'a'));
}

// Auto-save copies: "自動保存" + two digits + "_" + the document's name.
TEST_F(EncryptionTest, AutosaveGenerationsTurnRoundAndKeepToTheirPattern) {
    EXPECT_EQ(autosave_generation_of("自動保存03_原稿.txt", "原稿.txt"), 3u);
    EXPECT_EQ(autosave_generation_of("自動保存3_原稿.txt", "原稿.txt"), 0u);
    EXPECT_EQ(autosave_generation_of("自動保存103_原稿.txt", "原稿.txt"), 0u);
    EXPECT_EQ(autosave_generation_of("自動保存03_原稿2.txt", "原稿.txt"), 0u);   // another document's
    EXPECT_EQ(autosave_generation_of("自動保存0x_原稿.txt", "原稿.txt"), 0u);
    const std::string doc = dir.write("原稿.txt", "a");
    EXPECT_EQ(next_autosave_path(doc, 3), dir.file("自動保存01_原稿.txt"));
    auto at = [&](const char* name, long seconds) {
        std::string p = dir.write(name, "x");
        struct utimbuf t {seconds, seconds};
        ::utime(p.c_str(), &t);
    };
    at("自動保存01_原稿.txt", 1000);
    at("自動保存02_原稿.txt", 3000);   // the newest
    at("自動保存03_原稿.txt", 2000);
    at("自動保存09_原稿2.txt", 9000);  // not this document's
    EXPECT_EQ(next_autosave_path(doc, 3), dir.file("自動保存03_原稿.txt"));
    at("自動保存03_原稿.txt", 4000);
    EXPECT_EQ(next_autosave_path(doc, 3), dir.file("自動保存01_原稿.txt"));   // round again
    EXPECT_EQ(next_autosave_path(doc, 5), dir.file("自動保存04_原稿.txt"));
}

}  // namespace
}  // namespace rix

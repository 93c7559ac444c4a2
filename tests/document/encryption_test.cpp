// Encrypted documents on disk: files enciphered in place keep their length,
// the right key (in either form) gives the plain text back, a wrong key is
// refused instead of giving garbage; key files; auto-save file names.
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
        int fd = ::open(path.c_str(), O_RDONLY);
        int plain = unlock_encrypted_file(fd, key, form);
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
    std::string plain(200000, 'x');   // longer than the head that is checked for NUL
    plain += "\r\n\x1A";
    const std::string path = encrypted("b.txt", plain, utf8_to_sjis("秘密"), KeyForm::EXPORT);
    KeyForm form = KeyForm::STRONG;
    int fd = unlock(path, utf8_to_sjis("秘密"), &form);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(form, KeyForm::EXPORT);
    EXPECT_EQ(read_fd(fd), plain);
    ::close(fd);
}

TEST_F(EncryptionTest, PlainTextIsKnownByItsEndMarkAndTheAbsenceOfNul) {
    EXPECT_TRUE(looks_like_plain_text("abc\r\n\x1A", '\x1A'));
    EXPECT_FALSE(looks_like_plain_text("abc\r\n", '\n'));
    EXPECT_FALSE(looks_like_plain_text(std::string("a\0b", 3), '\x1A'));
    // A NUL past the bytes looked at does not count.
    std::string head(PLAIN_CHECK_BYTES, 'a');
    EXPECT_TRUE(looks_like_plain_text(head + std::string(1, '\0'), '\x1A'));
    // An empty file is no encrypted text.
    KeyForm form;
    EXPECT_LT(unlock(dir.write("empty.txt", ""), "k", &form), 0);
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

// Whole-file encryption: the cipher's bytes, round trips, and the old output
// surviving a failure.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>

#include "files/file_crypt.h"
#include "platform/cipher.h"
#include "platform/files.h"
#include "tests/support/temp_folder.h"

namespace rix {
namespace {

using test::slurp;
using test::TempFolder;

std::string hex(std::string_view s) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : s) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string pattern_bytes(std::size_t n) {
    std::string s(n, '\0');
    for (std::size_t i = 0; i < n; ++i) s[i] = static_cast<char>((i * 7 + 3) & 0xFF);
    return s;
}

bool no_temporaries(const std::string& folder) {
    for (const std::string& name : list_folder_names(folder))
        if (name.rfind("cry", 0) == 0) return false;
    return true;
}

TEST(FileCryptTest, ZerosGiveTheKeystreamOfTheMd5Key) {
    // RC4 keyed with MD5("abc") = 900150983cd24fb0d6963f7d28e17f72.
    TempFolder t;
    const std::string src = t.write("zeros", std::string(16, '\0'));
    ASSERT_EQ(transform_file(src, t.file("out"), "abc"), CryptResult::DONE);
    EXPECT_EQ(hex(slurp(t.file("out"))), "2be4e9c0308482ea75ae551293fbbdad");
}

TEST(FileCryptTest, RoundTripsKeepLengthAndBytes) {
    TempFolder t;
    for (std::size_t n : {0u, 1u, 1023u, 1024u, 3000u}) {
        SCOPED_TRACE(n);
        const std::string plain = pattern_bytes(n);
        const std::string src = t.write("plain", plain);
        ASSERT_EQ(transform_file(src, t.file("enc"), "鍵 key"), CryptResult::DONE);
        const std::string enc = slurp(t.file("enc"));
        EXPECT_EQ(enc.size(), n);
        if (n > 0) {
            EXPECT_NE(enc, plain);
        }
        // Block by block equals the stream in one piece.
        std::string whole = plain;
        CipherStream stream(derive_cipher_key("鍵 key", KeyForm::STRONG));
        stream.process(whole.data(), whole.size());
        EXPECT_EQ(enc, whole);
        ASSERT_EQ(transform_file(t.file("enc"), t.file("dec"), "鍵 key"), CryptResult::DONE);
        EXPECT_EQ(slurp(t.file("dec")), plain);
    }
    EXPECT_TRUE(no_temporaries(t.path()));
}

TEST(FileCryptTest, AFailureKeepsTheOldOutputAndLeavesNoTemporary) {
    TempFolder t;
    const std::string src = t.write("src", "secret");
    const std::string out = t.write("out", "old output");
    EXPECT_EQ(transform_file(t.file("missing"), out, "k"), CryptResult::SOURCE_UNREADABLE);
    EXPECT_EQ(slurp(out), "old output");

    // A folder under the output's name cannot be replaced by a file.
    ::mkdir(t.file("dir").c_str(), 0755);
    t.write("dir/inside", "kept");
    EXPECT_EQ(transform_file(src, t.file("dir"), "k"), CryptResult::OUTPUT_UNWRITABLE);
    EXPECT_EQ(slurp(t.file("dir/inside")), "kept");
    EXPECT_TRUE(no_temporaries(t.path()));

    EXPECT_EQ(transform_file(src, t.file("nowhere/out"), "k"), CryptResult::OUTPUT_UNWRITABLE);
    // A folder as the source is not read.
    EXPECT_EQ(transform_file(t.file("dir"), out, "k"), CryptResult::SOURCE_UNREADABLE);
    EXPECT_EQ(slurp(out), "old output");
}

TEST(FileCryptTest, AnOutputOverItsSourceIsWholeAfterwards) {
    TempFolder t;
    const std::string src = t.write("doc", pattern_bytes(5000));
    ASSERT_EQ(transform_file(src, src, "k"), CryptResult::DONE);
    ASSERT_EQ(transform_file(src, src, "k"), CryptResult::DONE);
    EXPECT_EQ(slurp(src), pattern_bytes(5000));
}

}  // namespace
}  // namespace rix

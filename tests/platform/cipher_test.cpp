// The cipher of encrypted documents: MD5 and RC4 against published test
// vectors, the two key forms, and a stream cut into pieces.
#include "platform/cipher.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace rix {
namespace {

std::string hex(const std::uint8_t* p, std::size_t n) {
    std::string out;
    char b[3];
    for (std::size_t i = 0; i < n; ++i) {
        std::snprintf(b, sizeof b, "%02x", p[i]);
        out += b;
    }
    return out;
}
template <std::size_t N>
std::string hex(const std::array<std::uint8_t, N>& a) { return hex(a.data(), N); }

std::string rc4(std::string_view key, std::string text) {
    CipherKey k{};
    // The test vectors use short keys: RC4 repeats a key over its table, so a
    // 16-byte array is only right for 16-byte keys. Use the stream directly.
    EXPECT_EQ(key.size(), 16u);
    for (std::size_t i = 0; i < 16; ++i) k[i] = static_cast<std::uint8_t>(key[i]);
    CipherStream s(k);
    s.process(text.data(), text.size());
    return hex(reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

TEST(CipherTest, Md5MatchesTheReferenceVectors) {
    EXPECT_EQ(hex(md5_of("")), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(hex(md5_of("abc")), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(hex(md5_of("message digest")), "f96b697d7cb7938d525a2f31aaf161d0");
    EXPECT_EQ(hex(md5_of("12345678901234567890123456789012345678901234567890123456789012345678901234567890")),
              "57edf4a22be3c955ac49da2e2107b67a");
}

TEST(CipherTest, Rc4MatchesTheReferenceVectorOfA128BitKey) {
    // RFC 6229, key 0x0102...10, keystream at offset 0.
    std::string key;
    for (int i = 1; i <= 16; ++i) key += static_cast<char>(i);
    EXPECT_EQ(rc4(key, std::string(16, '\0')), "9ac7cc9a609d1ef7b2932899cde41b97");
}

TEST(CipherTest, BothKeyFormsOfAbc) {
    EXPECT_EQ(hex(derive_cipher_key("abc", KeyForm::STRONG)), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(hex(derive_cipher_key("abc", KeyForm::EXPORT)), "900150983c0000000000000000000000");
}

TEST(CipherTest, AStreamCutIntoPiecesGivesTheSameBytes) {
    std::string text;
    for (int i = 0; i < 5000; ++i) text += static_cast<char>(i * 7);
    const CipherKey key = derive_cipher_key("\x88\x9f\x8d\x86", KeyForm::STRONG);   // 暗号 in code page 932
    std::string whole = text;
    CipherStream(key).process(whole.data(), whole.size());
    std::string pieces = text;
    CipherStream s(key);
    for (std::size_t at = 0, n = 1; at < pieces.size(); at += n, n = n * 3 + 1)
        s.process(pieces.data() + at, std::min(n, pieces.size() - at));
    EXPECT_EQ(pieces, whole);
    EXPECT_EQ(whole.size(), text.size());
    EXPECT_NE(whole, text);
    CipherStream(key).process(whole.data(), whole.size());   // the same operation deciphers
    EXPECT_EQ(whole, text);
}

}  // namespace
}  // namespace rix

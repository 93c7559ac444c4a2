// Tests of the code page 932 codec and the stored byte fields (platform/codec.h).
// Expectations for the double-byte codes come from the generated tables; known
// Windows choices among duplicate codes are checked by hand.
#include "platform/codec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>

namespace rix {
namespace {

#include "platform/cp932_table.inc"
#include "rix_build_paths.h"

const std::string GETA = GETA_MARK;

std::string code_bytes(unsigned code) {
  std::string s;
  if (code >= 0x100) s.push_back(static_cast<char>(code >> 8));
  s.push_back(static_cast<char>(code & 0xFF));
  return s;
}

// The code the generated encode table holds for u, or 0.
unsigned table_code(char32_t u) {
  for (std::size_t i = 0; i < CP932_ENCODE_COUNT; ++i)
    if (CP932_ENCODE[2 * i] == u) return CP932_ENCODE[2 * i + 1];
  return 0;
}

TEST(CodecDoubleByte, EveryPairDecodesAndReencodes) {
  int not_exact = 0;
  for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
    if (!is_lead_byte(static_cast<std::uint8_t>(lead))) continue;
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
      const std::string bytes = code_bytes(lead << 8 | trail);
      std::size_t len = 0;
      const char32_t u = decode_char_at(bytes, 0, &len);
      SCOPED_TRACE(testing::Message() << std::hex << (lead << 8 | trail));
      if (!is_trail_byte(static_cast<std::uint8_t>(trail))) {
        EXPECT_EQ(len, 1u);
        EXPECT_EQ(u, CODEC_INVALID);
        continue;
      }
      ASSERT_EQ(len, 2u);
      if (u == CODEC_INVALID) continue;
      const std::string back = encode_char(u);
      ASSERT_EQ(back.size(), 2u);
      EXPECT_EQ(decode_char_at(back, 0), u);  // a duplicate code still keeps the character
      EXPECT_NE(static_cast<std::uint8_t>(back[0]), 0xFC);
      const unsigned want = table_code(u);
      EXPECT_EQ(back, code_bytes(want >> 8 == 0xFC ? (0xEEE1 + (want - 0xFC40)) : want));
      if (back != bytes) ++not_exact;
    }
  }
  EXPECT_EQ(not_exact, 398);  // the duplicate codes that are not Windows' choice
}

// The trail bytes by hand (the test above takes them from is_trail_byte).
TEST(CodecDoubleByte, TrailBytesLeaveOut7FAndTheBytesAroundTheRange) {
  for (const char* pair : {"\x88\x40", "\x88\x7E", "\x88\x80", "\x88\xFC", "\xFC\x40"})
    EXPECT_EQ(char_length_at(pair, 0), 2u) << testing::PrintToString(pair);
  for (const char* pair : {"\x88\x3F", "\x88\x7F", "\x88\xFD", "\xE0\x7F", "\x9F\x0A"}) {
    std::size_t len = 0;
    EXPECT_EQ(decode_char_at(pair, 0, &len), CODEC_INVALID) << testing::PrintToString(pair);
    EXPECT_EQ(len, 1u) << testing::PrintToString(pair);
  }
}

TEST(CodecDoubleByte, WindowsChoiceAmongDuplicates) {
  const struct { unsigned from; char32_t u; unsigned to; } cases[] = {
      {0xED40, 0x7E8A, 0xFA5C},  // NEC-selected IBM extension -> IBM extension
      {0xEEEF, 0x2170, 0xFA40},  // small roman one
      {0xFA4A, 0x2160, 0x8754},  // IBM roman one -> NEC row 13
      {0xFA58, 0x3231, 0x878A},  // parenthesised kabushiki
      {0xEEF9, 0xFFE2, 0x81CA},  // not sign -> JIS X 0208
      {0xFA5B, 0x2235, 0x81E6},  // because
      {0x8790, 0x2252, 0x81E0},  // approximately equal
      {0x8160, 0xFF5E, 0x8160},  // wave dash as Windows decodes it
      {0xFC4B, 0x9ED1, 0xEEEC},  // lead 0xFC: the storable duplicate
      {0xF040, 0xE000, 0xF040},  // user-defined area
  };
  for (const auto& c : cases) {
    EXPECT_EQ(decode_char_at(code_bytes(c.from), 0), c.u) << std::hex << c.from;
    EXPECT_EQ(encode_char(c.u), code_bytes(c.to)) << std::hex << c.from;
  }
  EXPECT_EQ(encode_char(0x301C), "\x81\x60");  // the other wave dash
  EXPECT_EQ(decode_char_at("\x85\x40", 0), CODEC_INVALID);  // unassigned but well-formed pair
}

TEST(CodecSingleByte, Conventions) {
  for (unsigned b = 0; b < 0x100; ++b) {
    if (is_lead_byte(static_cast<std::uint8_t>(b))) continue;
    const std::string s(1, static_cast<char>(b));
    std::size_t len = 0;
    const char32_t u = decode_char_at(s, 0, &len);
    EXPECT_EQ(len, 1u);
    const char32_t want = b <= 0x80 ? b : b == 0xA0 ? 0xF8F0 : b <= 0xDF ? 0xFEC0 + b : 0xF8F1 + (b - 0xFD);
    EXPECT_EQ(u, want) << std::hex << b;
    const bool storable = b != 0x00 && b != 0x1A && b < 0xFD;
    EXPECT_EQ(encode_char(u), storable ? s : GETA) << std::hex << b;
  }
  EXPECT_EQ(decode_char_at("\x81", 0), CODEC_INVALID);  // lead byte at the end
}

// Characters that are stored under the code of a look-alike.
char32_t folded(char32_t c) {
  switch (c) {
    case 0x00A2: return 0xFFE0;
    case 0x00A3: return 0xFFE1;
    case 0x00AC: return 0xFFE2;
    case 0x2016: return 0x2225;
    case 0x2212: return 0xFF0D;
    case 0x301C: return 0xFF5E;
    default: return c;
  }
}

// Every character becomes exactly one storable character: the original (or
// its look-alike) or 〓.
void expect_storable(const std::string& out, const std::u32string& in) {
  std::size_t chars = 0;
  for (std::size_t pos = 0, n = 0; pos < out.size(); pos += n, ++chars) {
    const auto b = static_cast<std::uint8_t>(out[pos]);
    ASSERT_TRUE(b != 0x00 && b != 0x1A && b < 0xFC) << "byte " << pos;
    n = char_length_at(out, pos);
    ASSERT_EQ(n, is_lead_byte(b) ? 2u : 1u) << "byte " << pos;
    ASSERT_LT(chars, in.size());
    const char32_t back = decode_char_at(out, pos);
    if (back != folded(in[chars])) {
      EXPECT_EQ(back, U'〓') << std::hex << static_cast<unsigned>(in[chars]);
    }
  }
  EXPECT_EQ(chars, in.size());
}

TEST(CodecStorage, RandomTextNeverWritesUnsafeBytes) {
  std::mt19937 rng(932);
  std::uniform_int_distribution<unsigned> any(0, 0x10FFFF), bmp(0, 0xFFFF);
  const std::u32string awkward = {0x0000, 0x001A, 0xD800, 0xDFFF, 0xF8F1, 0xF8F2, 0xF8F3, 0xFFFD, 0x1F600, 0x110000};
  for (int round = 0; round < 200; ++round) {
    std::u32string text = awkward;
    for (int i = 0; i < 300; ++i) text.push_back(i % 3 == 0 ? any(rng) : bmp(rng));
    std::shuffle(text.begin(), text.end(), rng);
    expect_storable(utf32_to_sjis(text), text);
  }
  EXPECT_EQ(utf32_to_sjis(U"\U0001F600\xD800"), GETA + GETA);
}

TEST(CodecUtf8, InvalidSequencesAndAstral) {
  const struct { std::string in; std::string out; } cases[] = {
      {"a\xE6\xBC\xA2\xEF\xBD\xB6", "a\x8A\xBF\xB6"},       // 漢 and half-width ｶ
      {"\xF0\x9F\x98\x80", GETA},                            // astral
      {"\xED\xA0\x80", GETA + GETA + GETA},                  // encoded surrogate
      {"\xE6\xBC", GETA},                                    // cut short
      {"\xE6\xBCx", GETA + "x"},                             // cut short before ASCII
      {"\xC0\x80", GETA + GETA},                             // overlong NUL
      {"\xF5\x80", GETA + GETA},                             // beyond U+10FFFF
      {"\x80\xBF", GETA + GETA},                             // stray continuations
      {std::string("\0\x1A", 2), GETA + GETA},               // unsafe controls
  };
  for (const auto& c : cases) {
    EXPECT_EQ(utf8_to_sjis(c.in), c.out) << testing::PrintToString(c.in);
    EXPECT_EQ(utf8_fits_sjis(c.in), c.in[0] == 'a') << testing::PrintToString(c.in);
  }
  EXPECT_TRUE(utf8_fits_sjis("/home/作者/原稿〓.txt"));
  EXPECT_FALSE(utf8_fits_sjis("café"));
  EXPECT_FALSE(utf8_fits_sjis("\xEE\xBB\xAC"));  // U+FEEC, unassigned in code page 932
  EXPECT_EQ(sjis_to_utf8("\x8A\xBF\xB6\xFD"), "漢ｶ\xEF\xA3\xB1");
}

TEST(CodecBoundary, CutNeverSplitsAPair) {
  // 'a', 亜, ｱ, a lead byte before a space, 0x8888 twice (trail bytes that look like leads).
  const std::string s = "a\x88\x9F\xB1\x81 \x88\x88\x88\x88";
  const std::size_t want[] = {0, 1, 1, 3, 4, 5, 6, 6, 8, 8, 10, 10};
  for (std::size_t max = 0; max < std::size(want); ++max) EXPECT_EQ(cut_on_boundary(s, max), want[max]) << max;
  EXPECT_EQ(char_length_at(s, s.size()), 0u);
  EXPECT_EQ(char_length_at("ab\x88", 2), 1u);  // lead byte at the end
  std::size_t len = 9;
  decode_char_at("ab", 2, &len);
  EXPECT_EQ(len, 0u);
}

TEST(CodecField, StoreAndBoundedRead) {
  const auto field = std::make_unique<char[]>(4);  // exactly the width: ASan sees any over-read
  store_field(field.get(), 4, "ab\x88\x9F");
  EXPECT_EQ(read_field(field.get(), 4), "ab\x88\x9F");  // fills the field, no NUL
  store_field(field.get(), 4, "a\x88\x9F\x88\x9F");
  EXPECT_EQ(std::string(field.get(), 4), std::string("a\x88\x9F\0", 4));
  store_field(field.get(), 4, "ab\x88\x9F" "c");
  EXPECT_EQ(read_field(field.get(), 4), "ab\x88\x9F");
  store_field(field.get(), 4, "abc\x88\x9F");
  EXPECT_EQ(std::string(field.get(), 4), std::string("abc\0", 4));  // the pair is not split
  store_field(field.get(), 4, "x");
  EXPECT_EQ(std::string(field.get(), 4), std::string("x\0\0\0", 4));
  EXPECT_EQ(read_field(field.get(), 4), "x");
  EXPECT_EQ(read_field(nullptr, 0), "");
}

TEST(CodecCorpus, NovelsRoundTripExactly) {
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(RIX_CORPUS_DIR)) {
    if (entry.path().extension() != ".txt") continue;
    SCOPED_TRACE(entry.path().string());
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_GT(bytes.size(), 10000u);
    const std::u32string text = sjis_to_utf32(bytes);
    EXPECT_EQ(text.find(CODEC_INVALID), std::u32string::npos);
    EXPECT_EQ(utf32_to_sjis(text), bytes);
    EXPECT_EQ(utf8_to_sjis(sjis_to_utf8(bytes)), bytes);
    if (entry.path().filename() == "yume_juya.txt") {
      EXPECT_NE(bytes.find("\x81\x60"), std::string::npos);
      EXPECT_NE(text.find(U'\uFF5E'), std::u32string::npos);
    }
    ++files;
  }
  EXPECT_EQ(files, 3);
}

// UTF-8 text of a file: a character is kept only when it comes back the
// same, so that a kept file is written back byte for byte.
TEST(Utf8Text, EveryKeptCharacterComesBackTheSame) {
  std::size_t kept = 0;
  for (char32_t c = 0x80; c < 0x30000; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    const std::string in = char_to_utf8(c);
    std::string out;
    std::vector<LostCharacter> lost;
    ASSERT_EQ(utf8_text_to_sjis(in, false, &out, &lost), in.size());
    if (!lost.empty()) {
      ASSERT_EQ(out, GETA_MARK) << std::hex << static_cast<unsigned>(c);
      EXPECT_EQ(lost[0].ch, c);
      continue;
    }
    ++kept;
    ASSERT_EQ(sjis_to_utf8(out), in) << std::hex << static_cast<unsigned>(c);
    ASSERT_EQ(utf8_bytes_for(in, out.size()), in.size());
  }
  EXPECT_GT(kept, 7000u);   // the JIS characters and the extensions
}

TEST(Utf8Text, LostCharactersAndIllFormedSequences) {
  std::string out;
  std::vector<LostCharacter> lost;
  const std::string in = "a𠮷b🍣①\x80" "c";
  EXPECT_EQ(utf8_text_to_sjis(in, false, &out, &lost), in.size());
  EXPECT_EQ(sjis_to_utf8(out), "a〓b〓①〓c");
  ASSERT_EQ(lost.size(), 3u);
  EXPECT_EQ(lost[0].at, 1u);
  EXPECT_EQ(lost[0].ch, U'𠮷');
  EXPECT_EQ(lost[1].at, 4u);
  EXPECT_EQ(lost[2].ch, CODEC_INVALID);   // the stray continuation byte
  // Control bytes pass as they are; the private-use stand-in of a marker
  // byte (which decoding 0xFD gives) is no character of the text.
  out.clear();
  lost.clear();
  utf8_text_to_sjis("\x1A\t\r\n\uF8F1", false, &out, &lost);
  EXPECT_EQ(out, "\x1A\t\r\n" + std::string(GETA_MARK));
  EXPECT_EQ(lost.size(), 1u);
}

// A sequence cut by the end of a piece is left for the next piece; at the
// end of the file it is ill-formed.
TEST(Utf8Text, ACutSequenceWaitsForMore) {
  const std::string in = std::string("あい").substr(0, 4);
  std::string out;
  std::vector<LostCharacter> lost;
  EXPECT_EQ(utf8_text_to_sjis(in, true, &out, &lost), 3u);
  EXPECT_EQ(sjis_to_utf8(out), "あ");
  EXPECT_TRUE(lost.empty());
  EXPECT_EQ(utf8_text_to_sjis(in, false, &out, &lost), 4u);
  EXPECT_EQ(lost.size(), 1u);
  // A count that ends inside a character's output takes the character.
  EXPECT_EQ(utf8_bytes_for("aあb", 2), 4u);
  EXPECT_EQ(utf8_bytes_for("aあb", 3), 4u);
  EXPECT_EQ(utf8_bytes_for("aあb", 9), 5u);
}

TEST(Utf8Text, CheckCountsSequencesUntilTheFirstIllFormedOne) {
  Utf8Check c = check_utf8("aé漢🍣", false);
  EXPECT_TRUE(c.valid);
  EXPECT_EQ(c.multibyte, 1u);
  EXPECT_EQ(c.long_sequences, 2u);
  c = check_utf8("漢\xE6\xBC", false);
  EXPECT_FALSE(c.valid);
  EXPECT_EQ(c.first_invalid, 3u);
  EXPECT_TRUE(check_utf8("漢\xE6\xBC", true).valid);
  c = check_utf8("\xC0\xAF" "abc", true);   // an overlong form is never well-formed
  EXPECT_FALSE(c.valid);
  EXPECT_EQ(c.first_invalid, 0u);
}

}  // namespace
}  // namespace rix

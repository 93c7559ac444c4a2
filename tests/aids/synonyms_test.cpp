// The synonym dictionary without a window: the stored form (golden bytes
// from the format's description, every byte value at every position
// scrambled and back, 126-byte texts, truncated and damaged files), the
// headword, the four match conditions and their edge cases, classes and
// related groups over mixed records (the end of the data closing the last
// ones), the limits of hits and classes, and the views with their texts.
//
// Owed: a file past SYNONYM_READ_LIMIT on disk (parse covers the cut).
#include "aids/synonyms.h"

#include <gtest/gtest.h>

#include <set>

#include "aids/synonym_scramble.h"
#include "platform/codec.h"
#include "tests/support/temp_folder.h"

namespace rix {
namespace {

std::string sj(std::string_view utf8) { return utf8_to_sjis(utf8); }
std::string bytes_of(std::initializer_list<int> b) {
    std::string s;
    for (int v : b) s.push_back(static_cast<char>(v));
    return s;
}

SynonymDictionary dict_of(std::initializer_list<std::pair<SynonymKind, const char*>> recs) {
    SynonymDictionary d;
    for (const auto& [kind, text] : recs) d.records.push_back({kind, sj(text)});
    return d;
}

constexpr SynonymKind W = SynonymKind::WORD, C = SynonymKind::CLASS, G = SynonymKind::GROUP;

// Written by hand from the format: header = (kind << 6 | chars) ^ 0xA7; each
// text byte rotated left by {3,6,1,4,7,2,5,0}[(popcount ^ offset) & 7].
// 曖昧 = 9E 42 96 86, あやふや = 82 A0 82 E2 82 D3 82 E2.
const std::string GOLDEN = bytes_of({0x25, 0x7A, 0x24, 0xD2, 0x34,                             // kind 2, 曖昧
                                     0xA3, 0x05, 0x0A, 0x14, 0xE2, 0x50, 0x9E, 0x41, 0x2E});  // kind 0, あやふや

TEST(SynonymFile, GoldenBytesReadAndWritten) {
    SynonymDictionary d;
    ASSERT_EQ(parse_synonym_dictionary(GOLDEN, &d), SynonymFile::READ);
    ASSERT_EQ(d.records.size(), 2u);
    EXPECT_EQ(d.records[0].kind, G);
    EXPECT_EQ(d.records[0].text, sj("曖昧"));
    EXPECT_EQ(d.records[1].kind, W);
    EXPECT_EQ(d.records[1].text, sj("あやふや"));
    EXPECT_EQ(synonym_dictionary_bytes(d), GOLDEN);
    // A class record with an annotation: kind 1, 6 characters.
    const SynonymDictionary one = dict_of({{C, "不明確（古）"}});
    EXPECT_EQ(synonym_dictionary_bytes(one), bytes_of({0xE1, 0xCA, 0xB9, 0xD2, 0xFA, 0x8A, 0x6B, 0xC0, 0x96, 0xC8,
                                                       0x0F, 0x0C, 0x6A}));
}

TEST(SynonymFile, EveryByteAtEveryPositionComesBack) {
    for (std::size_t pos = 0; pos < 2 * SYNONYM_TEXT_CHARS; ++pos) {
        std::set<int> stored;
        int moved = 0;
        for (int b = 0; b < 256; ++b) {
            const auto plain = static_cast<std::uint8_t>(b);
            const std::uint8_t s = scramble_synonym_byte(plain, pos);
            stored.insert(s);
            moved += s != plain;
            ASSERT_EQ(unscramble_synonym_byte(s, pos), plain) << "byte " << b << " at " << pos;
        }
        EXPECT_EQ(stored.size(), 256u) << pos;   // one to one at each position
        EXPECT_GT(moved, 128) << pos;            // and it does scramble
    }
    // Through the reader and the writer: 63 characters of every byte value.
    SynonymDictionary d;
    for (int start = 0; start < 256; start += 2 * SYNONYM_TEXT_CHARS) {
        std::string text;
        for (std::size_t k = 0; k < 2 * SYNONYM_TEXT_CHARS; ++k) text.push_back(static_cast<char>((start + k) & 0xFF));
        d.records.push_back({W, text});
    }
    SynonymDictionary back;
    ASSERT_EQ(parse_synonym_dictionary(synonym_dictionary_bytes(d), &back), SynonymFile::READ);
    ASSERT_EQ(back.records.size(), d.records.size());
    for (std::size_t k = 0; k < d.records.size(); ++k) EXPECT_EQ(back.records[k].text, d.records[k].text);
    EXPECT_EQ(back.records[0].text.size(), 126u);
}

TEST(SynonymFile, LongTextsAreCutToSixtyThreeCharactersWhenWritten) {
    SynonymDictionary d;
    d.records.push_back({G, std::string(130, '\x88')});
    SynonymDictionary back;
    ASSERT_EQ(parse_synonym_dictionary(synonym_dictionary_bytes(d), &back), SynonymFile::READ);
    EXPECT_EQ(back.records[0].text.size(), 126u);
}

TEST(SynonymFileFaults, ATruncatedRecordEndsTheReadingWithoutReadingPastTheEnd) {
    // The second record announces four characters and brings three.
    const std::string cut(GOLDEN.data(), GOLDEN.size() - 2);
    SynonymDictionary d;
    // A copy of exactly the cut bytes, so that AddressSanitizer sees a read past them.
    const std::unique_ptr<char[]> exact(new char[cut.size()]);
    std::copy(cut.begin(), cut.end(), exact.get());
    EXPECT_EQ(parse_synonym_dictionary(std::string_view(exact.get(), cut.size()), &d), SynonymFile::TRUNCATED);
    ASSERT_EQ(d.records.size(), 1u);
    EXPECT_EQ(d.records[0].text, sj("曖昧"));
    // A header alone.
    EXPECT_EQ(parse_synonym_dictionary(GOLDEN.substr(0, 6), &d), SynonymFile::TRUNCATED);
    EXPECT_EQ(d.records.size(), 1u);
    // An empty record is a record; kind 3 is not.
    EXPECT_EQ(parse_synonym_dictionary(bytes_of({0x00 ^ 0xA7}), &d), SynonymFile::READ);
    ASSERT_EQ(d.records.size(), 1u);
    EXPECT_TRUE(d.records[0].text.empty());
    EXPECT_EQ(parse_synonym_dictionary(GOLDEN.substr(0, 5) + bytes_of({0xC0 ^ 0xA7}), &d), SynonymFile::DAMAGED);
    EXPECT_EQ(d.records.size(), 1u);
    EXPECT_EQ(parse_synonym_dictionary("", &d), SynonymFile::READ);
    EXPECT_TRUE(d.records.empty());
}

TEST(SynonymFileFaults, MissingAndUnreadableFilesGiveAnEmptyDictionary) {
    test::TempFolder dir;
    SynonymDictionary d = dict_of({{G, "古い"}});
    EXPECT_EQ(load_synonym_dictionary(dir.file("none.syn"), &d), SynonymFile::MISSING);
    EXPECT_TRUE(d.records.empty());
    EXPECT_EQ(load_synonym_dictionary(dir.path(), &d), SynonymFile::FAILED);
    EXPECT_EQ(load_synonym_dictionary(dir.write("a.syn", GOLDEN), &d), SynonymFile::READ);
    EXPECT_EQ(d.records.size(), 2u);
}

TEST(SynonymMatching, HeadwordEndsAtTheFirstAnnotationBracket) {
    EXPECT_EQ(synonym_headword(sj("不明確（古）")), sj("不明確"));
    EXPECT_EQ(synonym_headword(sj("明瞭［文］（古）")), sj("明瞭"));
    EXPECT_EQ(synonym_headword(sj("あやふや")), sj("あやふや"));
    EXPECT_EQ(synonym_headword(sj("（注）")), "");
}

TEST(SynonymMatching, TheFourConditionsAtTheirEdges) {
    const std::string word = sj("あいまい"), term = sj("あい");
    // 先頭: the term must be shorter than the headword; 完全 needs it whole.
    EXPECT_TRUE(synonym_text_matches(word, term, SynonymMatch::PREFIX));
    EXPECT_FALSE(synonym_text_matches(word, word, SynonymMatch::PREFIX));
    EXPECT_TRUE(synonym_text_matches(word, word, SynonymMatch::EXACT));
    EXPECT_FALSE(synonym_text_matches(word, term, SynonymMatch::EXACT));
    EXPECT_TRUE(synonym_text_matches(word, word, SynonymMatch::PARTIAL));
    EXPECT_TRUE(synonym_text_matches(word, sj("まい"), SynonymMatch::SUFFIX));
    EXPECT_FALSE(synonym_text_matches(word, word, SynonymMatch::SUFFIX));
    // 後端 looks at the first occurrence only: まいまい ends with まい but finds it first at the start.
    EXPECT_FALSE(synonym_text_matches(sj("まいまい"), sj("まい"), SynonymMatch::SUFFIX));
    // Text of the annotation never matches, under any condition.
    const std::string noted = sj("不明確（古語）");
    EXPECT_FALSE(synonym_text_matches(noted, sj("古語"), SynonymMatch::PARTIAL));
    EXPECT_FALSE(synonym_text_matches(noted, sj("（古"), SynonymMatch::PARTIAL));
    EXPECT_TRUE(synonym_text_matches(noted, sj("明確"), SynonymMatch::SUFFIX));
    EXPECT_TRUE(synonym_text_matches(noted, sj("不明確"), SynonymMatch::EXACT));
    EXPECT_FALSE(synonym_text_matches(noted, "", SynonymMatch::PARTIAL));
}

TEST(SynonymMatching, OnlyOccurrencesOnACharacterBoundaryCount) {
    // 亜唖 = 88 9F 88 A0 holds 汕 (9F 88) straddling its two characters.
    const std::string straddle = sj("亜唖"), term = sj("汕");
    ASSERT_NE(straddle.find(term), std::string::npos);
    EXPECT_FALSE(synonym_text_matches(straddle, term, SynonymMatch::PARTIAL));
    // The same term later on a boundary is found, though the straddling one comes first.
    EXPECT_TRUE(synonym_text_matches(sj("亜唖汕"), term, SynonymMatch::PARTIAL));
    EXPECT_TRUE(synonym_text_matches(sj("亜唖汕"), term, SynonymMatch::SUFFIX));
}

// 0 G 曖昧 | 1 W あいまい | 2 C 不明確 | 3 C あやふや | 4 W 不確か | 5 G 明確 | 6 W はっきり | 7 C 明瞭 | 8 W 明らか
SynonymDictionary sample() {
    return dict_of({{G, "曖昧"}, {W, "あいまい"}, {C, "不明確"}, {C, "あやふや"}, {W, "不確か"},
                    {G, "明確"}, {W, "はっきり"}, {C, "明瞭"}, {W, "明らか（明白）"}});
}

void expect_class(const SynonymClass& c, std::uint32_t first, std::uint32_t b, std::uint32_t e, std::uint32_t rb,
                  std::uint32_t re) {
    EXPECT_EQ(c.first_match, first);
    EXPECT_EQ(c.begin, b);
    EXPECT_EQ(c.end, e);
    EXPECT_EQ(c.related_begin, rb);
    EXPECT_EQ(c.related_end, re);
}

TEST(SynonymSearch, ClassesAndRelatedGroupsOverMixedRecords) {
    const SynonymDictionary d = sample();
    SynonymResults r = search_synonyms(d, sj("明確"), SynonymMatch::PARTIAL);
    ASSERT_EQ(r.classes.size(), 2u);
    expect_class(r.classes[0], 2, 2, 3, 0, 5);
    expect_class(r.classes[1], 5, 5, 7, 5, 9);   // the end of the data closes the group
    ASSERT_EQ(r.hits.size(), 2u);
    EXPECT_EQ(r.hits[0].record, 2u);
    EXPECT_EQ(r.hits[0].cls, 0u);
    EXPECT_EQ(r.hits[1].record, 5u);
    EXPECT_EQ(r.hits[1].cls, 1u);
    EXPECT_FALSE(r.cut_short);

    // Two adjacent classes that both match keep their own words.
    r = search_synonyms(d, sj("不"), SynonymMatch::PREFIX);
    ASSERT_EQ(r.classes.size(), 2u);
    expect_class(r.classes[0], 2, 2, 3, 0, 5);
    expect_class(r.classes[1], 4, 3, 5, 0, 5);

    // A match after the last boundary record: the end closes its class.
    r = search_synonyms(d, sj("明らか"), SynonymMatch::EXACT);
    ASSERT_EQ(r.classes.size(), 1u);
    expect_class(r.classes[0], 8, 7, 9, 5, 9);

    // Two matches in one class make one class.
    r = search_synonyms(d, sj("い"), SynonymMatch::PARTIAL);
    ASSERT_EQ(r.classes.size(), 1u);
    expect_class(r.classes[0], 1, 0, 2, 0, 5);
    EXPECT_EQ(search_synonyms(d, "", SynonymMatch::PARTIAL).hits.size(), 0u);
    EXPECT_EQ(search_synonyms(d, sj("明白"), SynonymMatch::PARTIAL).hits.size(), 0u);
    EXPECT_EQ(search_synonyms(SynonymDictionary{}, sj("明"), SynonymMatch::PARTIAL).classes.size(), 0u);
}

TEST(SynonymSearch, WordsBeforeTheFirstBoundaryFormAClass) {
    const SynonymDictionary d = dict_of({{W, "前置き"}, {W, "序"}, {G, "本文"}});
    const SynonymResults r = search_synonyms(d, sj("序"), SynonymMatch::EXACT);
    ASSERT_EQ(r.classes.size(), 1u);
    expect_class(r.classes[0], 1, 0, 2, 0, 2);
}

TEST(SynonymSearch, HitsAndClassesStopAtTheirLimits) {
    SynonymDictionary many_hits;
    many_hits.records.push_back({G, sj("頭")});
    for (int k = 0; k < 1300; ++k) many_hits.records.push_back({W, sj("語")});
    SynonymResults r = search_synonyms(many_hits, sj("語"), SynonymMatch::EXACT);
    EXPECT_EQ(r.hits.size(), SYNONYM_MAX_HITS);
    ASSERT_EQ(r.classes.size(), 1u);
    EXPECT_EQ(r.classes[0].end, 1301u);
    EXPECT_TRUE(r.cut_short);

    SynonymDictionary many_classes;
    for (int k = 0; k < 1100; ++k) {
        many_classes.records.push_back({k % 3 == 0 ? G : C, sj("語")});
        many_classes.records.push_back({W, sj("別")});
    }
    r = search_synonyms(many_classes, sj("語"), SynonymMatch::EXACT);
    ASSERT_EQ(r.classes.size(), SYNONYM_MAX_CLASSES);
    EXPECT_EQ(r.hits.size(), SYNONYM_MAX_CLASSES);
    EXPECT_TRUE(r.cut_short);
    const SynonymClass& last = r.classes.back();
    EXPECT_EQ(last.begin, 1998u);
    EXPECT_EQ(last.end, 2000u);   // closed by the next boundary, though its matches are dropped
    EXPECT_EQ(last.related_begin, 1998u);
    EXPECT_EQ(last.related_end, 2004u);
    for (const SynonymClass& c : r.classes) EXPECT_GT(c.related_end, c.related_begin);
}

TEST(SynonymViews, ClassRowsWithSeparatorsAndWordNumbers) {
    const SynonymDictionary d = sample();
    const SynonymResults r = search_synonyms(d, sj("あやふや"), SynonymMatch::EXACT);
    ASSERT_EQ(r.classes.size(), 1u);
    const auto syn = synonym_class_rows(d, r.classes[0], false);
    ASSERT_EQ(syn.size(), 2u);
    EXPECT_EQ(syn[0].record, 3);
    EXPECT_EQ(syn[1].word, 2u);
    const auto rel = synonym_class_rows(d, r.classes[0], true);
    // 曖昧 あいまい ―― 不明確 ―― あやふや 不確か
    ASSERT_EQ(rel.size(), 7u);
    EXPECT_EQ(rel[2].record, -1);
    EXPECT_EQ(rel[4].record, -1);
    EXPECT_EQ(rel[5].record, 3);
    EXPECT_EQ(rel[5].word, 4u);
    EXPECT_EQ(synonym_word_count(rel), 5u);
    EXPECT_EQ(synonym_row_of(rel, 3), 5);
    EXPECT_EQ(synonym_row_of(rel, 8), -1);
    // A click on a separator moves on in the direction of the click.
    EXPECT_EQ(synonym_word_row(rel, 2, 1), 3);
    EXPECT_EQ(synonym_word_row(rel, 4, 5), 3);
    EXPECT_EQ(synonym_word_row(rel, 4, 1), 5);
    EXPECT_EQ(synonym_word_row(rel, 6, 0), 6);
    EXPECT_EQ(synonym_word_row(rel, 9, 0), -1);
    const std::vector<SynonymRow> lone{{-1, 0}, {7, 1}};
    EXPECT_EQ(synonym_word_row(lone, 0, 1), 1);   // nothing above: the word below
}

TEST(SynonymViews, TextsOfTheWindow) {
    const SynonymDictionary d = sample();
    const SynonymResults r = search_synonyms(d, sj("明"), SynonymMatch::PARTIAL);
    const auto rows = synonym_hit_rows(d, r);
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(sjis_to_utf8(rows[0]), " 1 不明確");
    EXPECT_EQ(sjis_to_utf8(rows[1]), " 2 明確");
    EXPECT_EQ(sjis_to_utf8(rows[2]), " 3 明瞭");
    EXPECT_EQ(sjis_to_utf8(rows[3]), "   明らか（明白）");
    EXPECT_EQ(sjis_to_utf8(synonym_hits_header(SynonymMatch::PARTIAL, r)), "［部分］3分類 4語ﾋｯﾄ");
    EXPECT_EQ(sjis_to_utf8(synonym_class_header(SynonymMatch::SUFFIX, 4, 1, 2, 6)), "［後端］4分類中2［2 /6］");
    EXPECT_EQ(sjis_to_utf8(synonym_remaining_label(3)), "残 ３");
    EXPECT_EQ(sjis_to_utf8(synonym_remaining_label(42)), "残 ４２");
    EXPECT_EQ(sjis_to_utf8(synonym_remaining_label(100)), "残 100");
    EXPECT_EQ(sjis_to_utf8(synonym_caption(70661)), " 類語一覧 70,661語");
    EXPECT_EQ(sjis_to_utf8(synonym_caption(999)), " 類語一覧 999語");
    EXPECT_EQ(sjis_to_utf8(synonym_caption(1234567)), " 類語一覧 1,234,567語");
    EXPECT_STREQ(synonym_match_name(SynonymMatch::PREFIX), "先頭");
    EXPECT_STREQ(synonym_match_name(SynonymMatch::EXACT), "完全");

    // From class 100 on the number takes three places, and so do the spaces.
    SynonymDictionary big;
    for (int k = 0; k < 101; ++k) {
        big.records.push_back({C, sj("語")});
        big.records.push_back({W, sj("語句")});
    }
    const auto wide = synonym_hit_rows(big, search_synonyms(big, sj("語"), SynonymMatch::PARTIAL));
    ASSERT_EQ(wide.size(), 202u);
    EXPECT_EQ(sjis_to_utf8(wide[197]), "   語句");
    EXPECT_EQ(sjis_to_utf8(wide[198]), "100 語");
    EXPECT_EQ(sjis_to_utf8(wide[199]), "    語句");
}

TEST(SynonymViews, ClassesCycle) {
    SynonymResults r;
    EXPECT_EQ(step_synonym_class(r, 0, true), 0u);
    r.classes.resize(3);
    EXPECT_EQ(step_synonym_class(r, 2, true), 0u);
    EXPECT_EQ(step_synonym_class(r, 0, false), 2u);
    EXPECT_EQ(step_synonym_class(r, 1, true), 2u);
}

}  // namespace
}  // namespace rix

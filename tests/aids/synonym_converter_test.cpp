// The converter (scripts/synonyms.py) as the build ran it: the small JSON of
// tests/data/synonyms gives exactly the records its rules call for (each
// group a related group opening with kind 2, each vocabulary number a class,
// the representative spelling first, full-width forms, fields as an
// annotation when they fit, deletion records, spellings outside code page
// 932 and overlong ones left out, repeats once); the sample dictionary reads
// whole and holds 曖昧 → あやふや; the licence and notice lie beside both.
#include <gtest/gtest.h>

#include "aids/synonyms.h"
#include "platform/codec.h"
#include "platform/files.h"
#include "rix_synonym_paths.h"

namespace rix {
namespace {

std::vector<std::pair<int, std::string>> records_of(const std::string& folder, SynonymFile expect) {
    SynonymDictionary d;
    EXPECT_EQ(load_synonym_dictionary(join_path(folder, SYNONYM_FILE_NAME), &d), expect);
    std::vector<std::pair<int, std::string>> out;
    for (const SynonymRecord& r : d.records) out.emplace_back(static_cast<int>(r.kind), sjis_to_utf8(r.text));
    return out;
}

TEST(SynonymConverter, TheSmallJsonGivesTheExpectedRecords) {
    std::string ii;
    for (int k = 0; k < 63; ++k) ii += "い";
    const std::vector<std::pair<int, std::string>> expected{
        {2, "曖昧"}, {0, "あいまい"}, {1, "不明確"}, {1, "あやふや"},                 // group 000001
        {2, "メール（ＩＴ）"}, {0, "Ｅｍａｉｌ（ＩＴ）"}, {1, "電子メール"},          // 000002
        {2, "履歴書"}, {1, "経歴"}, {1, ii},                                          // 000003
        {2, "海"}, {1, "海洋"},                                                       // 000005 (000004 left nothing)
    };
    EXPECT_EQ(records_of(RIX_SYNONYM_SMALL_DIR, SynonymFile::READ), expected);
}

TEST(SynonymConverter, TheSampleDictionaryAndItsLicence) {
    const auto records = records_of(RIX_SYNONYM_SAMPLE_DIR, SynonymFile::READ);
    ASSERT_GT(records.size(), 100u);
    EXPECT_EQ(records[0], (std::pair<int, std::string>{2, "曖昧"}));
    EXPECT_EQ(records[3], (std::pair<int, std::string>{1, "あやふや"}));
    for (const char* dir : {RIX_SYNONYM_SAMPLE_DIR, RIX_SYNONYM_DIR}) {
        std::string licence, notice;
        EXPECT_TRUE(read_whole_file(join_path(dir, "rix_lib_LICENSE.txt"), &licence)) << dir;
        EXPECT_NE(licence.find("Apache License"), std::string::npos) << dir;
        EXPECT_TRUE(read_whole_file(join_path(dir, "rix_lib_NOTICE.txt"), &notice)) << dir;
        EXPECT_NE(notice.find("sudachi-synonyms-dictionary 18.0.0"), std::string::npos) << dir;
    }
    // The program's own dictionary: the package's or the sample's, whole.
    EXPECT_GE(records_of(RIX_SYNONYM_DIR, SynonymFile::READ).size(), records.size());
}

}  // namespace
}  // namespace rix

// Archive lists and extraction, on archives built byte by byte from the
// ZIP and LZH header layouts (tests/support/archives.h: stored members only).
//
// Still owed: a compressed (lh5, deflate) member extracted.
#include "platform/archive.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/files.h"
#include "tests/support/archives.h"
#include "tests/support/temp_folder.h"

namespace rix {
namespace {

using namespace test;
using test::slurp;
using test::TempFolder;

const std::string GENKOU = "\x8c\xb4\x8d\x65.txt";   // 原稿.txt in code page 932
const std::string HYOU = "\x95\x5c";                 // 表: its trail byte is "\"

TEST(ArchiveList, ZipMembersWithSizesNamesAndFolders) {
    const std::string zip = make_zip({{"a.txt", "hello"},
                                      {GENKOU, "manuscript"},
                                      {"sub/", ""},
                                      {"sub/empty.txt", ""},
                                      {"\xe6\x9b\xb8.txt", "x", 0x0800}});   // 書.txt flagged UTF-8
    std::vector<ArchiveMember> m;
    ASSERT_EQ(parse_zip_members(zip, &m), ArchiveStatus::OK);
    ASSERT_EQ(m.size(), 5u);
    EXPECT_EQ(m[0].name, "a.txt");
    EXPECT_EQ(m[0].packed, 5u);
    EXPECT_EQ(m[0].original, 5u);
    EXPECT_EQ(m[1].name, GENKOU);
    EXPECT_TRUE(m[2].directory);
    EXPECT_FALSE(m[3].directory);
    EXPECT_EQ(m[4].name, "\x8f\x91.txt");   // converted to code page 932
    EXPECT_EQ(member_ratio_text(m[0], ArchiveKind::ZIP), "100.0");
    EXPECT_EQ(member_ratio_text(m[3], ArchiveKind::ZIP), "");   // zero size: no ratio
    EXPECT_EQ(archive_file_count(m), 4);
}

TEST(ArchiveList, LzhLevelsZeroOneAndTwo) {
    const std::string lzh = lzh_level0("one.txt", "first") + lzh_level1("two.txt", "dir\xff", "second") +
                            lzh_level2("three.txt", "a\xff" "b\xff", "third!") +
                            lzh_level2("", "emptydir\xff", "", "-lhd-") + lzh_level0(GENKOU, "") +
                            std::string(1, '\0');
    std::vector<ArchiveMember> m;
    ASSERT_EQ(parse_lzh_members(lzh, &m), ArchiveStatus::OK);
    ASSERT_EQ(m.size(), 5u);
    EXPECT_EQ(m[0].name, "one.txt");
    EXPECT_EQ(m[0].original, 5u);
    EXPECT_EQ(m[1].name, "dir\\two.txt");
    EXPECT_EQ(m[1].packed, 6u);   // the extended header is not data
    EXPECT_EQ(m[2].name, "a\\b\\three.txt");
    EXPECT_EQ(m[2].original, 6u);
    EXPECT_TRUE(m[3].directory);
    EXPECT_EQ(m[4].name, GENKOU);
    EXPECT_EQ(archive_file_count(m), 4);
    // The list ends at the end of the bytes as well as at a 0.
    ASSERT_EQ(parse_lzh_members(lzh.substr(0, lzh.size() - 1), &m), ArchiveStatus::OK);
    EXPECT_EQ(m.size(), 5u);
}

TEST(ArchiveList, RatiosOfBothKinds) {
    ArchiveMember m;
    m.packed = 2;
    m.original = 3;
    EXPECT_EQ(member_ratio_text(m, ArchiveKind::ZIP), " 66.7");
    EXPECT_EQ(member_ratio_text(m, ArchiveKind::LZH), " 66.6");   // whole tenths
    m.packed = 250;
    m.original = 1000;
    EXPECT_EQ(member_ratio_text(m, ArchiveKind::LZH), " 25.0");
    m.original = 0;
    EXPECT_EQ(member_ratio_text(m, ArchiveKind::LZH), "");
}

TEST(ArchiveList, DamagedArchivesAreRefused) {
    std::vector<ArchiveMember> m;
    const std::string zip = make_zip({{"a.txt", "hello"}});
    EXPECT_EQ(parse_zip_members("not a zip at all, just words", &m), ArchiveStatus::CORRUPT);
    EXPECT_EQ(parse_zip_members(zip.substr(0, zip.size() - 30), &m), ArchiveStatus::CORRUPT);
    std::string wrong_offset = zip;
    wrong_offset[wrong_offset.size() - 6] = '\x7f';   // central directory past its end
    EXPECT_EQ(parse_zip_members(wrong_offset, &m), ArchiveStatus::CORRUPT);
    std::string long_name = zip;                      // a name running into the end record
    long_name[zip.find(std::string("PK\x01\x02", 4)) + 28] = '\x7f';
    EXPECT_EQ(parse_zip_members(long_name, &m), ArchiveStatus::CORRUPT);

    const std::string lzh = lzh_level0("one.txt", "first");
    EXPECT_EQ(parse_lzh_members(lzh.substr(0, lzh.size() - 2), &m), ArchiveStatus::CORRUPT);   // data cut
    std::string bad_sum = lzh;
    bad_sum[1] ^= 1;
    EXPECT_EQ(parse_lzh_members(bad_sum, &m), ArchiveStatus::CORRUPT);
    std::string level3 = lzh_level2("x", "", "y");
    level3[20] = 3;
    EXPECT_EQ(parse_lzh_members(level3, &m), ArchiveStatus::UNSUPPORTED);
    std::string huge = lzh_level2("x", "", "y");
    huge[7] = '\xff';                                 // compressed size past the file
    EXPECT_EQ(parse_lzh_members(huge, &m), ArchiveStatus::CORRUPT);
    EXPECT_EQ(parse_lzh_members("PK\x03\x04 not lzh at all........", &m), ArchiveStatus::CORRUPT);
    EXPECT_EQ(list_archive("/nonexistent/x.zip", ArchiveKind::ZIP, &m), ArchiveStatus::UNREADABLE);
}

TEST(ArchiveNames, BaseNamesStayInsideTheFolder) {
    EXPECT_EQ(member_base_name("../x.txt"), "x.txt");
    EXPECT_EQ(member_base_name("/etc/passwd"), "passwd");
    EXPECT_EQ(member_base_name("..\\..\\win.ini"), "win.ini");
    EXPECT_EQ(member_base_name("a\xff" "b.txt"), "b.txt");
    EXPECT_EQ(member_base_name("dir/" + HYOU + ".txt"), HYOU + ".txt");   // 0x5C inside 表 is no separator
    EXPECT_EQ(member_base_name(HYOU), HYOU);
    EXPECT_EQ(member_base_name("dir/.."), "");
    EXPECT_EQ(member_base_name("dir/"), "");
    EXPECT_EQ(member_base_name("."), "");
}

TEST(ArchiveNames, KindsByExtension) {
    ArchiveKind k = ArchiveKind::ZIP;
    EXPECT_TRUE(archive_kind_of("/d/a.LZH", &k));
    EXPECT_EQ(k, ArchiveKind::LZH);
    EXPECT_TRUE(archive_kind_of("a.Zip", &k));
    EXPECT_EQ(k, ArchiveKind::ZIP);
    EXPECT_FALSE(archive_kind_of("a.txt", &k));
    EXPECT_FALSE(archive_kind_of("zip", &k));
}

// Extracts member `index` of the archive file at `path`.
ExtractResult extract(const std::string& path, ArchiveKind kind, int index, const std::string& folder, bool replace,
                      std::string* written) {
    std::vector<ArchiveMember> m;
    if (list_archive(path, kind, &m) != ArchiveStatus::OK) return ExtractResult::OPEN_FAILED;
    return extract_archive_member(path, kind, m, index, folder, replace, written);
}

TEST(ArchiveExtract, MembersLandUnderTheirBaseNames) {
    TempFolder t;
    const std::string out = t.file("out");
    ASSERT_EQ(::mkdir(out.c_str(), 0755), 0);
    const std::string zip = t.write("a.zip", make_zip({{"../evil.txt", "up"},
                                                        {"/tmp/abs.txt", "absolute"},
                                                        {"sub/", ""},
                                                        {GENKOU, "manuscript"}}));
    std::string written;
    ASSERT_EQ(extract(zip, ArchiveKind::ZIP, 0, out, false, &written), ExtractResult::OK);
    EXPECT_EQ(written, out + "/evil.txt");
    EXPECT_EQ(slurp(written), "up");
    EXPECT_FALSE(file_exists(t.file("evil.txt")));
    ASSERT_EQ(extract(zip, ArchiveKind::ZIP, 1, out, false, &written), ExtractResult::OK);
    EXPECT_EQ(written, out + "/abs.txt");
    EXPECT_EQ(extract(zip, ArchiveKind::ZIP, 2, out, false, &written), ExtractResult::NOT_FOUND);   // a folder
    ASSERT_EQ(extract(zip, ArchiveKind::ZIP, 3, out, false, &written), ExtractResult::OK);
    EXPECT_EQ(written, out + "/原稿.txt");
    EXPECT_EQ(slurp(written), "manuscript");
    EXPECT_EQ(list_folder_names(out).size(), 3u);   // nothing else left behind
}

TEST(ArchiveExtract, AnExistingFileIsReplacedOnlyWhenAllowed) {
    TempFolder t;
    const std::string zip = t.write("a.zip", make_zip({{"a.txt", "new text"}}));
    const std::string old = t.write("a.txt", "old text");
    std::string written;
    EXPECT_EQ(extract(zip, ArchiveKind::ZIP, 0, t.path(), false, &written), ExtractResult::EXISTS);
    EXPECT_EQ(slurp(old), "old text");
    ASSERT_EQ(extract(zip, ArchiveKind::ZIP, 0, t.path(), true, &written), ExtractResult::OK);
    EXPECT_EQ(slurp(old), "new text");
}

TEST(ArchiveExtract, AFailedExtractionLeavesNoFile) {
    TempFolder t;
    const std::string out = t.file("out");
    ASSERT_EQ(::mkdir(out.c_str(), 0755), 0);
    const std::string zip = t.write("bad.zip", make_zip({{"a.txt", "damaged data", 0, true}}));
    std::string written;
    EXPECT_EQ(extract(zip, ArchiveKind::ZIP, 0, out, false, &written), ExtractResult::READ_FAILED);
    EXPECT_TRUE(list_folder_names(out).empty());
    const std::string junk = t.write("junk.zip", "this is not an archive");
    std::vector<ArchiveMember> m(1);
    m[0].name = "a.txt";
    EXPECT_EQ(extract_archive_member(junk, ArchiveKind::ZIP, m, 0, out, false, &written), ExtractResult::OPEN_FAILED);
    EXPECT_TRUE(list_folder_names(out).empty());
}

TEST(ArchiveExtract, LzhMembersOfEachLevel) {
    TempFolder t;
    const std::string out = t.file("out");
    ASSERT_EQ(::mkdir(out.c_str(), 0755), 0);
    const std::string lzh = t.write("a.lzh", lzh_level0("one.txt", "first") + lzh_level1("two.txt", "d\xff", "second") +
                                                 lzh_level2("three.txt", "..\xff", "third!") + std::string(1, '\0'));
    std::string written;
    ASSERT_EQ(extract(lzh, ArchiveKind::LZH, 0, out, false, &written), ExtractResult::OK);
    EXPECT_EQ(slurp(out + "/one.txt"), "first");
    ASSERT_EQ(extract(lzh, ArchiveKind::LZH, 1, out, false, &written), ExtractResult::OK);
    EXPECT_EQ(slurp(out + "/two.txt"), "second");
    ASSERT_EQ(extract(lzh, ArchiveKind::LZH, 2, out, false, &written), ExtractResult::OK);
    EXPECT_EQ(slurp(out + "/three.txt"), "third!");
    EXPECT_EQ(list_folder_names(out).size(), 3u);
}

}  // namespace
}  // namespace rix

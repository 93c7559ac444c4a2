// Archive lists and extraction, on archives built byte by byte from the
// ZIP and LZH header layouts (tests/support/archives.h: stored members only).
//
// Still owed: a compressed (lh5, deflate) member extracted.
#include "platform/archive.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <string>
#include <utility>
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

    // A name whose last byte is the "\\" inside 表 is a file, not a folder.
    ASSERT_EQ(parse_zip_members(make_zip({{"dir/" + HYOU, "table"}, {"win\\", ""}}), &m), ArchiveStatus::OK);
    EXPECT_FALSE(m[0].directory);
    EXPECT_TRUE(m[1].directory);
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

TEST(ArchiveNames, FileNamesStayInsideTheFolder) {
    EXPECT_EQ(member_file_name("../x.txt"), "x.txt");
    EXPECT_EQ(member_file_name("/etc/passwd"), "passwd");
    EXPECT_EQ(member_file_name("..\\..\\win.ini"), "win.ini");
    EXPECT_EQ(member_file_name("a\xff" "b.txt"), "b.txt");
    EXPECT_EQ(member_file_name("dir/" + HYOU + ".txt"), "表.txt");   // 0x5C inside 表 is no separator
    EXPECT_EQ(member_file_name(HYOU), "表");
    EXPECT_EQ(member_file_name(GENKOU), "原稿.txt");
    EXPECT_EQ(member_file_name("dir/.."), "");
    EXPECT_EQ(member_file_name("dir/"), "");
    EXPECT_EQ(member_file_name("."), "");
    EXPECT_EQ(member_file_name(std::string("a\0b", 3)), "");
}

TEST(ArchiveNames, ALeadByteNeverHidesASeparator) {
    // A lead byte before "/" or 0xFF is no character: the separator stands.
    EXPECT_EQ(member_file_name("sub\x81/evil.txt"), "evil.txt");
    EXPECT_EQ(member_file_name("sub\x81\xff" "evil.txt"), "evil.txt");
    EXPECT_EQ(member_file_name("\x81/.."), "");
    EXPECT_EQ(member_file_name("a/b\x81"), "b\xef\xbf\xbd");   // the lone lead byte as U+FFFD
    // 0x5C after a lead byte is a trail byte: ―, not a separator.
    EXPECT_EQ(member_file_name("\x81\x5c" "a.txt"), "\xe2\x80\x95" "a.txt");   // U+2015
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

TEST(ArchiveExtract, TheChosenMemberIsFoundByItsHeaderNotItsPlace) {
    // The central directory names good.txt first, the headers stand the other
    // way round, and both members have one size.
    TempFolder t;
    const std::string zip = t.write("a.zip", make_zip({{"bad.txt", "BADBAD"}, {"good.txt", "GOODGO"}}, {1, 0}));
    std::vector<ArchiveMember> m;
    ASSERT_EQ(list_archive(zip, ArchiveKind::ZIP, &m), ArchiveStatus::OK);
    ASSERT_EQ(m.size(), 2u);
    ASSERT_EQ(m[0].name, "good.txt");
    EXPECT_GT(m[0].header_offset, m[1].header_offset);
    std::string written;
    ASSERT_EQ(extract_archive_member(zip, ArchiveKind::ZIP, m, 0, t.path(), false, &written), ExtractResult::OK);
    EXPECT_EQ(written, t.file("good.txt"));
    EXPECT_EQ(slurp(written), "GOODGO");
    ASSERT_EQ(extract_archive_member(zip, ArchiveKind::ZIP, m, 1, t.path(), false, &written), ExtractResult::OK);
    EXPECT_EQ(slurp(t.file("bad.txt")), "BADBAD");

    // A header at the offset that names another member: nothing is written.
    TempFolder out;
    std::vector<ArchiveMember> lying = m;
    std::swap(lying[0].header_offset, lying[1].header_offset);
    EXPECT_EQ(extract_archive_member(zip, ArchiveKind::ZIP, lying, 0, out.path(), false, &written),
              ExtractResult::NOT_FOUND);
    lying[0].header_offset = 1u << 30;   // past the end
    EXPECT_EQ(extract_archive_member(zip, ArchiveKind::ZIP, lying, 0, out.path(), false, &written),
              ExtractResult::NOT_FOUND);
    EXPECT_TRUE(list_folder_names(out.path()).empty());

    const std::string lzh =
        t.write("a.lzh", lzh_level0("one.txt", "first") + lzh_level2("two.txt", "", "secon") + std::string(1, '\0'));
    ASSERT_EQ(list_archive(lzh, ArchiveKind::LZH, &m), ArchiveStatus::OK);
    ASSERT_EQ(m.size(), 2u);
    m[1].header_offset = m[0].header_offset;
    EXPECT_EQ(extract_archive_member(lzh, ArchiveKind::LZH, m, 1, out.path(), false, &written), ExtractResult::NOT_FOUND);
    EXPECT_TRUE(list_folder_names(out.path()).empty());
}

TEST(ArchiveExtract, NoNameLeadsOutOfTheFolderOrThroughALink) {
    TempFolder t, outside;
    const std::string out = t.file("out");
    ASSERT_EQ(::mkdir(out.c_str(), 0755), 0);
    // A link named as "sub" + a lead byte decodes: writing through it would leave the folder.
    ASSERT_EQ(::symlink(outside.path().c_str(), (out + "/sub\xef\xbf\xbd").c_str()), 0);
    const std::string target = outside.write("kept.txt", "the writer's own");
    ASSERT_EQ(::symlink(target.c_str(), (out + "/kept.txt").c_str()), 0);
    const std::string zip = t.write("a.zip", make_zip({{"sub\x81/evil.txt", "escaped"},
                                                        {"kept.txt", "from the archive"},
                                                        {"sub\x81/..", "nothing"}}));
    std::string written;
    ASSERT_EQ(extract(zip, ArchiveKind::ZIP, 0, out, false, &written), ExtractResult::OK);
    EXPECT_EQ(written, out + "/evil.txt");
    EXPECT_EQ(slurp(written), "escaped");
    EXPECT_EQ(list_folder_names(outside.path()), std::vector<std::string>{"kept.txt"});

    // A link of the member's name is an existing file; replaced, it is the
    // link that goes, never the file it points to.
    EXPECT_EQ(extract(zip, ArchiveKind::ZIP, 1, out, false, &written), ExtractResult::EXISTS);
    ASSERT_EQ(extract(zip, ArchiveKind::ZIP, 1, out, true, &written), ExtractResult::OK);
    EXPECT_EQ(slurp(target), "the writer's own");
    struct stat st {};
    ASSERT_EQ(::lstat((out + "/kept.txt").c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(slurp(out + "/kept.txt"), "from the archive");

    EXPECT_EQ(extract(zip, ArchiveKind::ZIP, 2, out, false, &written), ExtractResult::BAD_NAME);
    EXPECT_EQ(list_folder_names(out).size(), 3u);   // the link, evil.txt, kept.txt
    EXPECT_EQ(list_folder_names(outside.path()).size(), 1u);
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

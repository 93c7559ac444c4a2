// Archive lists and extraction, on archives built here byte by byte from the
// ZIP and LZH header layouts (stored members only: lh0 and ZIP method 0).
//
// Still owed: a compressed (lh5, deflate) member extracted.
#include "platform/archive.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/files.h"
#include "tests/support/temp_folder.h"

namespace rix {
namespace {

using test::slurp;
using test::TempFolder;

void put16(std::string* s, std::uint32_t v) {
    s->push_back(static_cast<char>(v & 0xFF));
    s->push_back(static_cast<char>(v >> 8 & 0xFF));
}
void put32(std::string* s, std::uint32_t v) {
    put16(s, v & 0xFFFF);
    put16(s, v >> 16);
}

std::uint32_t crc32_of(std::string_view data) {
    std::uint32_t crc = 0xFFFFFFFFu;
    for (char ch : data) {
        crc ^= static_cast<std::uint8_t>(ch);
        for (int k = 0; k < 8; ++k) crc = crc & 1 ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
    }
    return ~crc;
}

std::uint16_t crc16_of(std::string_view data) {
    std::uint16_t crc = 0;
    for (char ch : data) {
        crc ^= static_cast<std::uint8_t>(ch);
        for (int k = 0; k < 8; ++k) crc = crc & 1 ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001) : crc >> 1;
    }
    return crc;
}

struct ZipEntry {
    std::string name;
    std::string data;               // stored as it is
    std::uint16_t flags = 0;        // 0x0800: UTF-8 name
    bool bad_crc = false;
};

// A ZIP of stored members: local headers with their data, the central
// directory, the end record.
std::string make_zip(const std::vector<ZipEntry>& entries) {
    std::string out, central;
    for (const ZipEntry& e : entries) {
        const std::uint32_t offset = static_cast<std::uint32_t>(out.size());
        const std::uint32_t crc = crc32_of(e.data) ^ (e.bad_crc ? 1u : 0u);
        std::string fixed;
        put16(&fixed, 20);          // version needed
        put16(&fixed, e.flags);
        put16(&fixed, 0);           // stored
        put16(&fixed, 0);           // time
        put16(&fixed, 0x21);        // date 1980-01-01
        put32(&fixed, crc);
        put32(&fixed, static_cast<std::uint32_t>(e.data.size()));
        put32(&fixed, static_cast<std::uint32_t>(e.data.size()));
        put16(&fixed, static_cast<std::uint32_t>(e.name.size()));
        put16(&fixed, 0);           // extra
        out += std::string("PK\x03\x04", 4) + fixed + e.name + e.data;
        central += std::string("PK\x01\x02", 4);
        put16(&central, 20);        // made by
        central += fixed;
        put16(&central, 0);         // comment
        put16(&central, 0);         // disk
        put16(&central, 0);         // internal attributes
        put32(&central, e.name.back() == '/' ? 0x10 : 0);
        put32(&central, offset);
        central += e.name;
    }
    const std::uint32_t at = static_cast<std::uint32_t>(out.size());
    out += central;
    out += std::string("PK\x05\x06", 4);
    put16(&out, 0);
    put16(&out, 0);
    put16(&out, static_cast<std::uint32_t>(entries.size()));
    put16(&out, static_cast<std::uint32_t>(entries.size()));
    put32(&out, static_cast<std::uint32_t>(central.size()));
    put32(&out, at);
    put16(&out, 0);
    return out;
}

// An lh0 member with a level 0 header.
std::string lzh_level0(const std::string& name, const std::string& data, const char* method = "-lh0-") {
    std::string h = method;
    put32(&h, static_cast<std::uint32_t>(data.size()));
    put32(&h, static_cast<std::uint32_t>(data.size()));
    put32(&h, 0x00210000);          // time
    h += '\x20';                    // attribute
    h += '\x00';                    // level
    h += static_cast<char>(name.size());
    h += name;
    put16(&h, crc16_of(data));
    unsigned sum = 0;
    for (char c : h) sum += static_cast<std::uint8_t>(c);
    return std::string(1, static_cast<char>(h.size())) + static_cast<char>(sum & 0xFF) + h + data;
}

// An lh0 member with a level 1 header and one extended header (a folder).
std::string lzh_level1(const std::string& name, const std::string& folder, const std::string& data) {
    std::string ext;                // type, data, size of the next (none)
    ext += '\x02';
    ext += folder;
    put16(&ext, 0);
    std::string h = "-lh0-";
    put32(&h, static_cast<std::uint32_t>(data.size() + ext.size()));
    put32(&h, static_cast<std::uint32_t>(data.size()));
    put32(&h, 0x00210000);
    h += '\x20';
    h += '\x01';
    h += static_cast<char>(name.size());
    h += name;
    put16(&h, crc16_of(data));
    h += 'M';                       // OS id
    put16(&h, static_cast<std::uint32_t>(ext.size()));
    unsigned sum = 0;
    for (char c : h) sum += static_cast<std::uint8_t>(c);
    return std::string(1, static_cast<char>(h.size())) + static_cast<char>(sum & 0xFF) + h + ext + data;
}

// A member with a level 2 header: the header's CRC, the name (and a folder) in
// extended headers.
std::string lzh_level2(const std::string& name, const std::string& folder, const std::string& data,
                       const char* method = "-lh0-") {
    std::vector<std::string> exts;
    exts.push_back(std::string("\x00\x00\x00", 3));   // the header's CRC-16, filled in below
    exts.push_back('\x01' + name);
    if (!folder.empty()) exts.push_back('\x02' + folder);
    std::string tail;               // the extended headers, each with the next one's size
    for (std::size_t i = 0; i < exts.size(); ++i) {
        tail += exts[i];
        put16(&tail, i + 1 < exts.size() ? static_cast<std::uint32_t>(exts[i + 1].size() + 2) : 0);
    }
    std::string h;
    const std::uint32_t total = static_cast<std::uint32_t>(26 + tail.size());
    put16(&h, total);
    h += method;
    put32(&h, static_cast<std::uint32_t>(data.size()));
    put32(&h, static_cast<std::uint32_t>(data.size()));
    put32(&h, 0x5F000000);          // Unix time
    h += '\x20';
    h += '\x02';
    put16(&h, crc16_of(data));
    h += 'U';
    put16(&h, static_cast<std::uint32_t>(exts[0].size() + 2));
    h += tail;
    const std::uint16_t crc = crc16_of(h);   // over the whole header with its own field zero
    h[27] = static_cast<char>(crc & 0xFF);
    h[28] = static_cast<char>(crc >> 8);
    return h + data;
}

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

// The FTP window's pure logic: LIST lines (Unix and DOS) and MLSD facts with
// Japanese names in both encodings, names that could leave the folder or add a
// command refused, the type marks, size and date texts, the sort order across
// the 69/70 year boundary, the site check of 接 続 and the log lines.
//
// Owed: listings from servers that put the year and the time both (some
// ls --full-time forms) are not read.
#include "publish/ftp_listing.h"

#include <gtest/gtest.h>

#include "platform/codec.h"

namespace rix {
namespace {

std::string sj(std::string_view utf8) { return utf8_to_sjis(utf8); }

FtpEntry entry_named(std::string_view utf8, bool folder = false) {
    FtpEntry e;
    e.raw = std::string(utf8);
    e.name = sj(utf8);
    e.folder = folder;
    return e;
}

TEST(FtpListing, UnixLinesGiveNameSizeAndDate) {
    FtpEntry e;
    ASSERT_TRUE(parse_list_line("-rw-r--r--   1 owner group     12345 Mar  5 12:34 第一章.htm\r", 2026, 12, &e));
    EXPECT_EQ(e.raw, "第一章.htm");
    EXPECT_FALSE(e.folder);
    EXPECT_EQ(e.size, 12345);
    EXPECT_EQ(e.year, 2026);
    EXPECT_EQ(e.month, 3);
    EXPECT_EQ(e.day, 5);
    EXPECT_EQ(e.hour, 12);
    EXPECT_EQ(e.minute, 34);

    // A time instead of a year: a month after the current one is of last year.
    ASSERT_TRUE(parse_list_line("-rw-r--r-- 1 u g 1 Nov 30 08:05 a.txt", 2026, 3, &e));
    EXPECT_EQ(e.year, 2025);

    ASSERT_TRUE(parse_list_line("drwxr-xr-x 2 u g 4096 Jan  1  1999 古い 原稿", 2026, 12, &e));
    EXPECT_TRUE(e.folder);
    EXPECT_EQ(e.raw, "古い 原稿");   // a space inside the name is kept
    EXPECT_EQ(e.year, 1999);
    EXPECT_EQ(e.hour, 0);

    // No group column; a link shows its own name.
    ASSERT_TRUE(parse_list_line("lrwxrwxrwx 1 owner 7 Feb 10 10:00 last -> 第一章.htm", 2026, 12, &e));
    EXPECT_EQ(e.raw, "last");
    EXPECT_EQ(e.size, 7);

    EXPECT_FALSE(parse_list_line("total 48", 2026, 12, &e));
    EXPECT_FALSE(parse_list_line("", 2026, 12, &e));
    EXPECT_FALSE(parse_list_line("drwxr-xr-x 2 u g 4096 Jan  1 12:00 .", 2026, 12, &e));
    EXPECT_FALSE(parse_list_line("drwxr-xr-x 2 u g 4096 Jan  1 12:00 ..", 2026, 12, &e));
    EXPECT_FALSE(parse_list_line("-rw-r--r-- 1 u g 10 Foo  1 12:00 x", 2026, 12, &e));
    EXPECT_FALSE(parse_list_line("-rw-r--r-- 1 u g 10 Jan 1 25:00 x", 2026, 12, &e));
    EXPECT_FALSE(parse_list_line("-rw-r--r-- 1 u g 10 Jan 1 12:00 ", 2026, 12, &e));
}

TEST(FtpListing, DosLinesGiveNameSizeAndDate) {
    FtpEntry e;
    ASSERT_TRUE(parse_list_line("03-05-19  12:34PM                 2048 序章.txt", 2026, 12, &e));
    EXPECT_EQ(e.raw, "序章.txt");
    EXPECT_EQ(e.size, 2048);
    EXPECT_EQ(e.year, 2019);
    EXPECT_EQ(e.hour, 12);
    ASSERT_TRUE(parse_list_line("12-31-98  12:05AM       <DIR>          images", 2026, 12, &e));
    EXPECT_TRUE(e.folder);
    EXPECT_EQ(e.year, 1998);
    EXPECT_EQ(e.hour, 0);
    EXPECT_EQ(e.minute, 5);
    ASSERT_TRUE(parse_list_line("07-04-2021  09:15PM  77 x.htm", 2026, 12, &e));
    EXPECT_EQ(e.year, 2021);
    EXPECT_EQ(e.hour, 21);
    EXPECT_FALSE(parse_list_line("13-01-19  12:00PM  1 bad", 2026, 12, &e));
    EXPECT_FALSE(parse_list_line("01-01-19  13:00PM  1 bad", 2026, 12, &e));
    EXPECT_FALSE(parse_list_line("01-01-19  12:00PM  many bad", 2026, 12, &e));
}

TEST(FtpListing, MlsdFactsGiveTypeSizeAndDate) {
    FtpEntry e;
    ASSERT_TRUE(parse_mlsd_line("type=file;size=512;modify=20190305123456.123;perm=r; 第二章.htm\r", &e));
    EXPECT_EQ(e.raw, "第二章.htm");
    EXPECT_EQ(e.size, 512);
    EXPECT_EQ(e.year, 2019);
    EXPECT_EQ(e.minute, 34);
    ASSERT_TRUE(parse_mlsd_line("Type=dir;Modify=19991231235900; old", &e));
    EXPECT_TRUE(e.folder);
    EXPECT_EQ(e.size, -1);
    EXPECT_FALSE(parse_mlsd_line("type=cdir;modify=20190101000000; /home/site", &e));
    EXPECT_FALSE(parse_mlsd_line("type=pdir;modify=20190101000000; ..", &e));
    EXPECT_FALSE(parse_mlsd_line("size=1; notype", &e));
    EXPECT_FALSE(parse_mlsd_line("type=file;size=1;", &e));
    // A modify fact that is no time leaves the date unknown; the entry stays.
    for (std::string_view when : {"20191305123456", "20190300123456", "20190305243456", "20190305126000"}) {
        ASSERT_TRUE(parse_mlsd_line("type=file;size=3;modify=" + std::string(when) + "; a.txt", &e)) << when;
        EXPECT_EQ(e.year, 0) << when;
        EXPECT_EQ(ftp_date_text(e), "") << when;
    }
}

TEST(FtpListing, NamesThatCouldLeaveTheFolderAreRefused) {
    EXPECT_TRUE(ftp_name_safe("第一章.htm"));
    EXPECT_TRUE(ftp_name_safe("..a"));
    for (std::string_view bad : {"", ".", "..", "../evil", "a/b", "a\\b", "a\rb", "a\nRMD x"})
        EXPECT_FALSE(ftp_name_safe(bad)) << bad;
    EXPECT_FALSE(ftp_name_safe(std::string_view("a\0b", 3)));

    // "ソ" in code page 932 ends in 0x5C, which is no backslash.
    const std::string so = sj("ソフト.txt");
    ASSERT_NE(so.find('\\'), std::string::npos);
    EXPECT_TRUE(ftp_server_name_safe(so, false));
    EXPECT_FALSE(ftp_server_name_safe("\\evil", false));
    EXPECT_FALSE(ftp_server_name_safe("a\\b", true));

    const std::string text =
        "-rw-r--r-- 1 u g 10 Jan  1 12:00 ../evil\r\n"
        "-rw-r--r-- 1 u g 10 Jan  1 12:00 ok.htm\r\n"
        "-rw-r--r-- 1 u g 10 Jan  1 12:00 a\rDELE x\r\n"
        "-rw-r--r-- 1 u g 10 Jan  1 12:00 ..\\..\\evil\r\n"
        "drwxr-xr-x 2 u g 4096 Jan  1 12:00 ..\r\n";
    FtpListing listing = parse_listing(text, false, true, 2026, 12);
    ASSERT_EQ(listing.entries.size(), 1u);
    EXPECT_EQ(listing.entries[0].raw, "ok.htm");
    EXPECT_EQ(listing.refused, 3);
    listing = parse_listing("type=file;size=1; ../evil\r\ntype=file;size=1; x/y\r\n", true, true, 2026, 12);
    EXPECT_TRUE(listing.entries.empty());
    EXPECT_EQ(listing.refused, 2);
}

TEST(FtpListing, NamesFollowTheServersEncoding) {
    // A server that announced UTF8 sends UTF-8; one that did not, code page 932.
    FtpListing u = parse_listing("-rw-r--r-- 1 u g 3 Jan  1 12:00 原稿.txt\r\n", false, true, 2026, 12);
    ASSERT_EQ(u.entries.size(), 1u);
    EXPECT_EQ(u.entries[0].name, sj("原稿.txt"));
    EXPECT_EQ(ftp_local_name(u.entries[0].raw, true), "原稿.txt");

    const std::string line = "03-05-19  12:34PM  3 " + sj("ソフト.txt") + "\r\n";
    FtpListing s = parse_listing(line, false, false, 2026, 12);
    ASSERT_EQ(s.entries.size(), 1u);
    EXPECT_EQ(s.entries[0].name, sj("ソフト.txt"));
    EXPECT_EQ(ftp_local_name(s.entries[0].raw, false), "ソフト.txt");
    EXPECT_EQ(ftp_server_name("ソフト.txt", false), sj("ソフト.txt"));
    EXPECT_EQ(ftp_server_name("ソフト.txt", true), "ソフト.txt");
}

TEST(FtpRows, TypeMarksSizesAndDates) {
    EXPECT_EQ(ftp_type_mark(entry_named("a.txt")), "T");
    EXPECT_EQ(ftp_type_mark(entry_named("A.TEX")), "T");
    EXPECT_EQ(ftp_type_mark(entry_named("p.htm")), "H");
    EXPECT_EQ(ftp_type_mark(entry_named("p.HTML")), "H");
    EXPECT_EQ(ftp_type_mark(entry_named("第一章.rix")), "V");
    // The applet: an extension that starts ".cla".
    EXPECT_EQ(ftp_type_mark(entry_named("rix.class")), "C");
    EXPECT_EQ(ftp_type_mark(entry_named(".class")), "C");
    EXPECT_EQ(ftp_type_mark(entry_named("class.txt.old")), "");
    EXPECT_EQ(ftp_type_mark(entry_named("images", true)), "F");
    EXPECT_EQ(ftp_type_mark(entry_named("a.txt.bak")), "");
    FtpEntry up = entry_named("..", true);
    up.parent = true;
    EXPECT_EQ(ftp_type_mark(up), sj("↑"));

    FtpEntry e = entry_named("a.txt");
    e.size = 1234;
    EXPECT_EQ(ftp_size_text(e), "    1234");
    e.size = 123456789;
    EXPECT_EQ(ftp_size_text(e), "123456789");
    EXPECT_EQ(ftp_size_text(entry_named("d", true)), sj(" ﾌｫﾙﾀﾞ"));
    EXPECT_EQ(ftp_size_text(entry_named("unknown")), "");

    e.year = 2007;
    e.month = 3;
    e.day = 9;
    e.hour = 8;
    e.minute = 5;
    EXPECT_EQ(ftp_date_text(e), "070309 08:05");
    e.year = 1999;
    e.month = 12;
    e.day = 31;
    e.hour = 23;
    e.minute = 59;
    EXPECT_EQ(ftp_date_text(e), "991231 23:59");
    EXPECT_EQ(ftp_date_text(entry_named("x")), "");
    EXPECT_EQ(ftp_row_cells(e), (std::vector<std::string>{"T", "a.txt", "123456789", "991231 23:59"}));
}

TEST(FtpRows, SortingFoldsCaseAndReadsTwoDigitYears) {
    const auto row = [](std::string_view name, std::string_view size, std::string_view date) {
        return std::vector<std::string>{"", sj(name), std::string(size), std::string(date)};
    };
    // 1970 and 1999 before 2000 and 2069.
    EXPECT_LT(ftp_compare_cells(row("a", "", "700101 00:00"), row("b", "", "000101 00:00"), FTP_COLUMN_DATE), 0);
    EXPECT_LT(ftp_compare_cells(row("a", "", "991231 23:59"), row("b", "", "000101 00:00"), FTP_COLUMN_DATE), 0);
    EXPECT_LT(ftp_compare_cells(row("a", "", "000101 00:00"), row("b", "", "691231 23:59"), FTP_COLUMN_DATE), 0);
    EXPECT_GT(ftp_compare_cells(row("a", "", "691231 23:59"), row("b", "", "700101 00:00"), FTP_COLUMN_DATE), 0);

    EXPECT_EQ(ftp_compare_cells(row("Index.HTM", "", ""), row("index.htm", "", ""), FTP_COLUMN_NAME), 0);
    EXPECT_LT(ftp_compare_cells(row("apple", "", ""), row("Banana", "", ""), FTP_COLUMN_NAME), 0);
    // The trail byte of "ア" (0x41) is not a letter to fold.
    const std::string lead_a = "\x83\x41", lead_a_lower = "\x83\x61";   // ア and ャ
    EXPECT_NE(ftp_compare_cells({"", lead_a}, {"", lead_a_lower}, FTP_COLUMN_NAME), 0);

    EXPECT_LT(ftp_compare_cells(row("a", "    9999", ""), row("b", "123456789", ""), FTP_COLUMN_SIZE), 0);

    std::vector<FtpEntry> entries;
    for (auto [name, year] : {std::pair{"b.htm", 2001}, {"A.txt", 1985}, {"c.rix", 2069}, {"D", 1970}}) {
        FtpEntry e = entry_named(name);
        e.year = year;
        e.month = 1;
        e.day = 1;
        entries.push_back(e);
    }
    FtpEntry up = entry_named("..", true);
    up.parent = true;
    entries.push_back(up);
    ftp_sort_entries(&entries, FTP_COLUMN_DATE, true);
    std::vector<std::string> names;
    for (const FtpEntry& e : entries) names.push_back(e.raw);
    EXPECT_EQ(names, (std::vector<std::string>{"..", "D", "A.txt", "b.htm", "c.rix"}));
    ftp_sort_entries(&entries, FTP_COLUMN_NAME, false);
    names.clear();
    for (const FtpEntry& e : entries) names.push_back(e.raw);
    EXPECT_EQ(names, (std::vector<std::string>{"..", "D", "c.rix", "b.htm", "A.txt"}));
}

TEST(FtpSiteCheck, TheLastMissingFieldInTheCheckOrderIsReported) {
    FtpSite full{"site", "ftp.example.jp", "user", "pass", "/www", ""};
    EXPECT_EQ(ftp_site_fault(full), FtpSiteFault::NONE);
    FtpSite s = full;
    s.site_folder.clear();
    EXPECT_EQ(ftp_site_fault(s), FtpSiteFault::SITE_FOLDER);
    s.password.clear();
    EXPECT_EQ(ftp_site_fault(s), FtpSiteFault::PASSWORD);
    s = full;
    s.host.clear();
    s.user.clear();
    EXPECT_EQ(ftp_site_fault(s), FtpSiteFault::HOST);
    s = full;
    s.user.clear();
    s.site_folder.clear();
    EXPECT_EQ(ftp_site_fault(s), FtpSiteFault::USER);
    EXPECT_EQ(ftp_site_fault_text(FtpSiteFault::HOST),
              sj("ホスト名が設定されていません｡\n[詳細]をクリックして設定してください｡"));
    EXPECT_EQ(ftp_site_fault_text(FtpSiteFault::PASSWORD),
              sj("Ｐａｓｓが設定されていません｡\n[詳細]をクリックして設定してください｡"));
    EXPECT_EQ(ftp_site_fault_text(FtpSiteFault::NONE), "");
}

TEST(FtpSiteCheck, APasswordWithALineBreakIsAFault) {
    FtpSite s{"site", "ftp.example.jp", "user", "pass\r\nDELE index.htm", "/www", ""};
    EXPECT_EQ(ftp_site_fault(s), FtpSiteFault::PASSWORD_LINE_BREAK);
    s.password = "pass\n";
    EXPECT_EQ(ftp_site_fault(s), FtpSiteFault::PASSWORD_LINE_BREAK);
    s.host.clear();   // a missing host still comes first
    EXPECT_EQ(ftp_site_fault(s), FtpSiteFault::HOST);
    EXPECT_TRUE(ftp_password_sendable("p a\tss"));
    EXPECT_FALSE(ftp_password_sendable("\rpass"));
    EXPECT_EQ(ftp_site_fault_text(FtpSiteFault::PASSWORD_LINE_BREAK),
              sj("Ｐａｓｓに改行が入っています｡\n[詳細]をクリックして設定してください｡"));
}

TEST(FtpLog, StatusLines) {
    EXPECT_EQ(ftp_status_line(FTP_STATUS_CONNECTING, "127.0.0.1:21", 0), sj("ソケットアドレス127.0.0.1:21に接続中"));
    EXPECT_EQ(ftp_status_line(FTP_STATUS_SENT, "", 14), sj("14バイト送信"));
    EXPECT_EQ(ftp_status_line(FTP_STATUS_RECEIVED, "", 230), sj("230バイト受信"));
    EXPECT_EQ(ftp_status_line(FTP_STATUS_CLOSED, "", 0), sj("サーバーからの接続をクローズ"));
    EXPECT_EQ(ftp_status_line(FTP_STATUS_HANDLE_CREATED, "", 0), sj("FTPセッションハンドルを作成"));
    EXPECT_EQ(ftp_status_line(42, "", 0), "");
}

}  // namespace
}  // namespace rix

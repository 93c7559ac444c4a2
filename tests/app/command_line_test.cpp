// Command line: switches by suffix, documents, batch options.
// Owed: nothing known.
#include <gtest/gtest.h>

#include "app/shell/command_line.h"

using namespace rix;

namespace {
CommandLine parse(std::vector<std::string> args) {
    CommandLine line;
    EXPECT_TRUE(parse_command_line(args, &line)) << line.error;
    return line;
}
}  // namespace

TEST(CommandLine, DocumentWithBlanksAndBothSwitches) {
    CommandLine line = parse({"/home/writer/原稿 第一章.txt", "other.env/e", "other.log/L"});
    EXPECT_EQ(line.document, "/home/writer/原稿 第一章.txt");
    EXPECT_EQ(line.env_name, "other.env");
    EXPECT_TRUE(line.env_named);
    EXPECT_EQ(line.log_name, "other.log");
}

TEST(CommandLine, PosixPathsAreNotSwitches) {
    // A path full of "/" is one document; only the "/e" and "/l" endings make switches.
    CommandLine line = parse({"/usr/share/doc/novel.txt"});
    EXPECT_EQ(line.document, "/usr/share/doc/novel.txt");
    EXPECT_FALSE(line.env_named);
    EXPECT_EQ(line.env_name, "rix.env");
    EXPECT_EQ(line.log_name, "rix.log");
}

TEST(CommandLine, OnlyTheFirstDocumentCounts) {
    CommandLine line = parse({"a.txt", "b.txt"});
    EXPECT_EQ(line.document, "a.txt");
}

TEST(CommandLine, EnvironmentSwitchAlone) {
    CommandLine line = parse({"x.env/E"});
    EXPECT_TRUE(line.document.empty());
    EXPECT_EQ(line.env_name, "x.env");
}

TEST(CommandLine, OverlongSwitchValueIgnored) {
    CommandLine line = parse({std::string(513, 'a') + "/e"});
    EXPECT_FALSE(line.env_named);
    EXPECT_EQ(line.env_name, "rix.env");
    line = parse({std::string(512, 'a') + "/e"});
    EXPECT_TRUE(line.env_named);
}

TEST(CommandLine, AddressesAreNeverSwitches) {
    CommandLine line = parse({"http://example.invalid/e"});
    EXPECT_EQ(line.document, "http://example.invalid/e");
    EXPECT_FALSE(line.env_named);
}

TEST(CommandLine, DocumentStartingWithBlankOrControlIsDiscarded) {
    EXPECT_TRUE(parse({" leading.txt"}).document.empty());
    EXPECT_TRUE(parse({"\x01x.txt"}).document.empty());
}

TEST(CommandLine, AfterDoubleDashEverythingIsADocument) {
    // A file named "e" in some folder ends in "/e".
    CommandLine line = parse({"--", "/home/writer/e"});
    EXPECT_EQ(line.document, "/home/writer/e");
    EXPECT_FALSE(line.env_named);
}

TEST(CommandLine, BatchOptions) {
    CommandLine line = parse({"--snapshot", "out.png", "--size", "800x600", "doc.txt"});
    EXPECT_EQ(line.snapshot_path, "out.png");
    EXPECT_EQ(line.snapshot_width, 800);
    EXPECT_EQ(line.snapshot_height, 600);
    EXPECT_EQ(line.document, "doc.txt");
    EXPECT_TRUE(line.batch());

    EXPECT_EQ(parse({"--save-as", "o.txt", "--encoding", "utf8", "d.txt"}).encoding, "utf8");
    line = parse({"--html", "o.htm", "--format", "3", "d.txt"});
    EXPECT_EQ(line.html_path, "o.htm");
    EXPECT_EQ(line.format, 2);
    EXPECT_TRUE(line.batch());

    // Every argument after the site is a file, however it looks.
    line = parse({"--ftp-put", "2", "a.htm", "--html", "b/c.htm"});
    EXPECT_EQ(line.ftp_site, 2);
    EXPECT_EQ(line.ftp_files, (std::vector<std::string>{"a.htm", "--html", "b/c.htm"}));
    EXPECT_TRUE(line.html_path.empty());
    EXPECT_TRUE(line.batch());

    CommandLine bad;
    EXPECT_FALSE(parse_command_line({"--ftp-put", "4", "a.htm"}, &bad));
    EXPECT_FALSE(parse_command_line({"--ftp-put", "1"}, &bad));
    EXPECT_FALSE(parse_command_line({"--encoding", "latin1", "d.txt"}, &bad));
    EXPECT_FALSE(parse_command_line({"--size", "80x60"}, &bad));
    EXPECT_FALSE(parse_command_line({"--snapshot"}, &bad));
    EXPECT_FALSE(parse_command_line({"--html"}, &bad));
    EXPECT_FALSE(parse_command_line({"--bogus"}, &bad));
}

TEST(CommandLine, InstanceArgumentsRoundTrip) {
    CommandLine original = parse({"my.env/e", "my.log/l"});
    std::vector<std::string> args = instance_arguments("/docs/e", original);
    CommandLine child = parse(args);
    EXPECT_EQ(child.document, "/docs/e");
    EXPECT_EQ(child.env_name, "my.env");
    EXPECT_EQ(child.log_name, "my.log");
    EXPECT_FALSE(child.new_document);

    CommandLine fresh = parse(instance_arguments("", original));
    EXPECT_TRUE(fresh.new_document);
    EXPECT_TRUE(fresh.document.empty());

    // A dropped binary the writer takes for an encrypted document.
    args.insert(args.begin(), "--decrypt");
    CommandLine told = parse(args);
    EXPECT_TRUE(told.decrypt);
    EXPECT_EQ(told.document, "/docs/e");
    EXPECT_FALSE(told.batch());
}

// Rix.ini: the four EPUB texts read from and written into a profile file
// that other programs and people also edit. Everything but the written keys
// stays byte for byte (other sections, comments, bytes that are not UTF-8,
// line ends); missing keys and a missing section are added; values are cut
// on a character and lose their line breaks; a missing file reads empty.
// Owed: a file that is a link to another folder's file.
#include "app/publish/epub_ini.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "platform/codec.h"
#include "tests/support/temp_folder.h"

namespace rix {
namespace {

std::string sj(std::string_view utf8) { return utf8_to_sjis(utf8); }

std::string repeat(std::string_view s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

TEST(ProfileText, ReadsTheFirstSectionAndKeyOfANameWhateverTheirCase) {
    const std::string file = "; comment=1\r\n[Other]\r\nCreator=wrong\r\n[epub]\r\n  creator =  \"  spaced  \" \r\n"
                             "Creator=second\r\nPublisher=\r\n[EPUB]\r\nRights=late\r\n";
    std::string v;
    EXPECT_TRUE(profile_value(file, "EPUB", "Creator", &v));
    EXPECT_EQ(v, "  spaced  ");                       // one pair of quotes taken off, blanks inside kept
    EXPECT_TRUE(profile_value(file, "EPUB", "Publisher", &v));
    EXPECT_EQ(v, "");
    EXPECT_FALSE(profile_value(file, "EPUB", "Rights", &v));   // only the first [EPUB] counts
    EXPECT_FALSE(profile_value(file, "None", "Creator", &v));
    // Lines ending in LF alone, and a last line without an end.
    EXPECT_TRUE(profile_value("[EPUB]\nCreator=a\nPublisher=b", "EPUB", "Publisher", &v));
    EXPECT_EQ(v, "b");
}

TEST(ProfileText, WritingKeepsEveryOtherByteAndReplacesOnlyTheKeys) {
    // A section of code page 932 names with a trail byte 0x5D (']') and
    // 0x5B ('['), a comment, a blank line, LF-only lines and a key that is
    // not ours inside the section.
    const std::string other = "[" + sj("設定") + "]\r\n" + sj("名前") + "=\x83\x5D\x83\x5B\r\n;\xFF\xFE odd\n\r\n";
    const std::string file = other + "[EPUB]\r\nDescription=old\r\nKeep=this\r\ncreator = old\n\r\n[Tail]\r\nx=1";
    const std::string out = with_profile_values(file, "EPUB", {{"Description", sj("新しい内容")}, {"Creator", "me"}});
    EXPECT_EQ(out, other + "[EPUB]\r\nDescription=" + sj("新しい内容") + "\r\nKeep=this\r\nCreator=me\n\r\n"
                       "[Tail]\r\nx=1");
    std::string v;
    EXPECT_TRUE(profile_value(out, sj("設定"), sj("名前"), &v));
    EXPECT_EQ(v, "\x83\x5D\x83\x5B");
}

TEST(ProfileText, MissingKeysFollowTheSectionAndAMissingSectionIsAppended) {
    EXPECT_EQ(with_profile_values("[EPUB]\r\nCreator=a\r\n\r\n[Next]\r\n", "EPUB", {{"Publisher", "p"}}),
              "[EPUB]\r\nCreator=a\r\nPublisher=p\r\n\r\n[Next]\r\n");
    EXPECT_EQ(with_profile_values("[EPUB]", "EPUB", {{"Creator", "c"}}), "[EPUB]\r\nCreator=c\r\n");
    EXPECT_EQ(with_profile_values("[A]\r\nk=v", "EPUB", {{"Creator", "c"}, {"Publisher", ""}}),
              "[A]\r\nk=v\r\n[EPUB]\r\nCreator=c\r\nPublisher=\r\n");
    EXPECT_EQ(with_profile_values("", "EPUB", {{"Creator", "c"}}), "[EPUB]\r\nCreator=c\r\n");
}

TEST(ProfileText, ValuesLoseLineBreaksAndKeepTheirEndsThroughQuotes) {
    const std::string out = with_profile_values("", "EPUB", {{"Creator", "two\r\nlines\n"},
                                                             {"Rights", " (c) "},
                                                             {"Publisher", "\"quoted\""}});
    EXPECT_EQ(out, "[EPUB]\r\nCreator=twolines\r\nRights=\" (c) \"\r\nPublisher=\"\"quoted\"\"\r\n");
    std::string v;
    for (const auto& [key, want] : {std::pair<const char*, const char*>{"Creator", "twolines"},
                                    {"Rights", " (c) "}, {"Publisher", "\"quoted\""}}) {
        EXPECT_TRUE(profile_value(out, "EPUB", key, &v));
        EXPECT_EQ(v, want) << key;
    }
}

TEST(EpubIni, SavesThroughTheFileAndReadsBackCut) {
    test::TempFolder dir;
    EpubIniValues values;
    EXPECT_FALSE(load_epub_ini(dir.path(), &values));        // no file: empty values
    EXPECT_EQ(values.creator, "");

    const std::string before = "[Window]\r\nLeft=10\r\n;" + sj("メモ") + "\r\n";
    dir.write("Rix.ini", before);
    values.description = repeat(sj("あ"), 30);              // 60 bytes: byte 49 is a trail byte
    values.creator = sj("筆名") + "\r\n";
    values.rights = "a" + repeat(sj("い"), 30);             // byte 49 ends a character
    values.publisher = sj("出版社");
    ASSERT_TRUE(save_epub_ini(dir.path(), values));
    EXPECT_EQ(test::slurp(dir.file("Rix.ini")),
              before + "[EPUB]\r\nDescription=" + repeat(sj("あ"), 24) + "\r\nCreator=" + sj("筆名") +
                  "\r\nCopyRight=a" + repeat(sj("い"), 24) + "\r\nPublisher=" + sj("出版社") + "\r\n");

    EpubIniValues back;
    ASSERT_TRUE(load_epub_ini(dir.path(), &back));
    EXPECT_EQ(back.description, repeat(sj("あ"), 24));
    EXPECT_EQ(back.creator, sj("筆名"));
    EXPECT_EQ(back.rights, "a" + repeat(sj("い"), 24));
    EXPECT_EQ(back.publisher, sj("出版社"));

    // A value written by hand beyond the limit reads cut too.
    dir.write("Rix.ini", "[EPUB]\r\nCreator=" + repeat(sj("う"), 40) + "\r\n");
    ASSERT_TRUE(load_epub_ini(dir.path(), &back));
    EXPECT_EQ(back.creator, repeat(sj("う"), 24));
    EXPECT_EQ(back.rights, "");
}

TEST(EpubIni, AFileThatCannotBeReadIsNotWrittenOver) {
    test::TempFolder dir;
    ASSERT_EQ(::mkdir(dir.file("Rix.ini").c_str(), 0755), 0);   // a folder by that name
    EpubIniValues values;
    values.creator = "c";
    EXPECT_FALSE(save_epub_ini(dir.path(), values));
    EXPECT_FALSE(load_epub_ini(dir.path(), &values));
    EXPECT_EQ(values.creator, "");
}

}  // namespace
}  // namespace rix

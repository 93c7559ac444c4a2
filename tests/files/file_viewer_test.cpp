// The file viewer's text: the 2 MiB cut and the end-of-text mark.
#include <gtest/gtest.h>

#include "files/file_viewer.h"
#include "platform/fake_messages.h"
#include "tests/support/temp_folder.h"

namespace rix {
namespace {

using test::TempFolder;

TEST(ViewerTextTest, ShowsAtMost2MiBCutOnACharacter) {
    TempFolder t;
    std::string text;
    ASSERT_TRUE(read_viewer_text(t.write("exact", std::string(VIEWER_MAX_BYTES, 'a')), &text));
    EXPECT_EQ(text.size(), VIEWER_MAX_BYTES);

    ASSERT_TRUE(read_viewer_text(t.write("long", std::string(VIEWER_MAX_BYTES + 100, 'b')), &text));
    EXPECT_EQ(text.size(), VIEWER_MAX_BYTES);

    // "あ" (0x82 0xA0) straddling the cut is left out whole.
    std::string straddle(VIEWER_MAX_BYTES - 1, 'c');
    straddle += "\x82\xA0zz";
    ASSERT_TRUE(read_viewer_text(t.write("straddle", straddle), &text));
    EXPECT_EQ(text, std::string(VIEWER_MAX_BYTES - 1, 'c'));

    // A character that ends exactly at the cut stays.
    std::string ends(VIEWER_MAX_BYTES - 2, 'd');
    ends += "\x82\xA0zz";
    ASSERT_TRUE(read_viewer_text(t.write("ends", ends), &text));
    EXPECT_EQ(text.size(), VIEWER_MAX_BYTES);
}

TEST(ViewerTextTest, DropsTheFinalEndOfTextMarkOnly) {
    TempFolder t;
    std::string text;
    ASSERT_TRUE(read_viewer_text(t.write("doc.txt", "本文\r\n\x1A"), &text));
    EXPECT_EQ(text, "本文\r\n");
    ASSERT_TRUE(read_viewer_text(t.write("mid", "a\x1A" "b"), &text));
    EXPECT_EQ(text, "a\x1A" "b");
    ASSERT_TRUE(read_viewer_text(t.write("empty", ""), &text));
    EXPECT_EQ(text, "");
}

TEST(ViewerTextTest, AFileThatCannotBeOpenedIsToldOf) {
    TempFolder t;
    FakeMessages messages;
    ViewerRequest r;
    Notices notices;
    EXPECT_FALSE(make_viewer_request(t.file("missing.txt"), {}, &r, notices));
    EXPECT_FALSE(make_viewer_request(t.path(), {}, &r, notices));
    ASSERT_EQ(notices.items.size(), 2u);
    EXPECT_EQ(notices.items[0].utf8, t.file("missing.txt") + "\n\nこのファイルは開けません｡");
    EXPECT_EQ(notices.items[1].time_ms, 3000u);
    EXPECT_TRUE(messages.log.empty());   // reported, not shown
    TextBoxFormat vertical;
    vertical.vertical = true;
    ASSERT_TRUE(make_viewer_request(t.write("ok.txt", "abc"), vertical, &r, notices));
    EXPECT_EQ(notices.items.size(), 2u);
    EXPECT_EQ(r.text, "abc");
    EXPECT_TRUE(r.format.vertical);
    EXPECT_EQ(r.label, t.file("ok.txt"));
}

}  // namespace
}  // namespace rix

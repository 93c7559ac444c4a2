// The scroll bar's values, reversed in vertical writing, and its keys.
#include <gtest/gtest.h>

#include "display/scroll_bar.h"
#include "platform/virtual_keys.h"

namespace rix {
namespace {

TEST(ScrollBar, ValuesRunBackwardsInVerticalWriting) {
    ScrollBarValues h = scroll_bar_values(true, false, DisplayLineNo{100}, 20, DisplayLineNo{30});
    EXPECT_FALSE(h.horizontal_bar);
    EXPECT_EQ(h.maximum, 119);
    EXPECT_EQ(h.page, 20);
    EXPECT_EQ(h.position, 30);
    ScrollBarValues v = scroll_bar_values(true, true, DisplayLineNo{100}, 20, DisplayLineNo{30});
    EXPECT_TRUE(v.horizontal_bar);
    EXPECT_EQ(v.position, 70);
    // A thumb position and the display line it stands for agree both ways.
    EXPECT_EQ(scroll_bar_display_line(v.position, true, DisplayLineNo{100}).value, 30u);
    EXPECT_EQ(scroll_bar_display_line(h.position, false, DisplayLineNo{100}).value, 30u);
    EXPECT_EQ(scroll_bar_display_line(500, true, DisplayLineNo{100}).value, 0u);
    EXPECT_EQ(scroll_bar_display_line(-4, false, DisplayLineNo{100}).value, 0u);
    EXPECT_FALSE(scroll_bar_values(false, true, DisplayLineNo{100}, 20, DisplayLineNo{30}).shown);
}

TEST(ScrollBar, ActionsAreKeysForTheWritingDirection) {
    EXPECT_EQ(scroll_bar_key(SCROLL_LINE_BACK, false), VK_UP);
    EXPECT_EQ(scroll_bar_key(SCROLL_LINE_FORWARD, false), VK_DOWN);
    EXPECT_EQ(scroll_bar_key(SCROLL_PAGE_BACK, false), VK_PRIOR);
    EXPECT_EQ(scroll_bar_key(SCROLL_PAGE_FORWARD, false), VK_NEXT);
    // The left end of the horizontal bar is the end of the document.
    EXPECT_EQ(scroll_bar_key(SCROLL_LINE_BACK, true), VK_LEFT);
    EXPECT_EQ(scroll_bar_key(SCROLL_LINE_FORWARD, true), VK_RIGHT);
    EXPECT_EQ(scroll_bar_key(SCROLL_PAGE_BACK, true), VK_NEXT);
    EXPECT_EQ(scroll_bar_key(SCROLL_PAGE_FORWARD, true), VK_PRIOR);
    EXPECT_EQ(scroll_bar_key(SCROLL_THUMB_TRACK, true), 0);
}

}  // namespace
}  // namespace rix

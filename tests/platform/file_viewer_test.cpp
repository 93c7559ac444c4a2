// The file viewer's gestures: where a press scrolls or closes, and the
// arrow keys of a vertical box.
#include <gtest/gtest.h>

#include "platform/file_viewer.h"
#include "platform/virtual_keys.h"

namespace rix {
namespace {

TEST(ViewerZoneTest, TheCentreClosesTheHalvesScroll) {
    // 300 × 300: the middle third is 100..199 both ways.
    EXPECT_EQ(viewer_zone(150, 150, 300, 300, true), ViewerZone::CLOSE);
    EXPECT_EQ(viewer_zone(100, 199, 300, 300, false), ViewerZone::CLOSE);
    EXPECT_EQ(viewer_zone(99, 150, 300, 300, true), ViewerZone::TOWARDS_END);     // left half, vertical
    EXPECT_EQ(viewer_zone(200, 150, 300, 300, true), ViewerZone::TOWARDS_START);
    EXPECT_EQ(viewer_zone(150, 99, 300, 300, true), ViewerZone::TOWARDS_START);   // x=150 lies in the right half
    EXPECT_EQ(viewer_zone(150, 250, 300, 300, false), ViewerZone::TOWARDS_END);   // lower half, horizontal
    EXPECT_EQ(viewer_zone(150, 20, 300, 300, false), ViewerZone::TOWARDS_START);
    EXPECT_NE(viewer_zone(0, 0, 0, 0, false), ViewerZone::CLOSE);                 // an empty box never closes
}

TEST(ViewerKeysTest, VerticalBoxesTurnTheArrows) {
    EXPECT_EQ(turn_viewer_key(VK_LEFT, true), VK_DOWN);
    EXPECT_EQ(turn_viewer_key(VK_UP, true), VK_LEFT);
    EXPECT_EQ(turn_viewer_key(VK_RIGHT, true), VK_UP);
    EXPECT_EQ(turn_viewer_key(VK_DOWN, true), VK_RIGHT);
    EXPECT_EQ(turn_viewer_key(VK_LEFT, false), VK_LEFT);
    EXPECT_EQ(turn_viewer_key('A', true), 'A');
}

}  // namespace
}  // namespace rix

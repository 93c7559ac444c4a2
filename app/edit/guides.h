// The guides tied to the application: the cursor's position and the
// document's capacity in the title bar or in the guide boxes of the edit
// window, the position bar, and the counting pass behind the capacity and
// the count display (計数表示).
//
// The boxes and the bar are drawn on the edit surface after every redraw
// (they are part of the picture, so the snapshot shows them). The capacity
// is counted once the window is idle after edits: an edit only sets
// TIMER_COUNT with no delay, and however many edits come before it fires,
// one pass counts them all.
#pragma once

#include <cstdint>

#include "app/shell/application.h"
#include "display/guides.h"

namespace rix {

// Who asks for a count: the text window and the capacity box get the page
// count silently, the menu command gets the count display message.
enum class CountOwner : std::uint8_t { TEXT_WINDOW, CAPACITY_BOX, MENU };

// What the boxes and the bar show on the edit surface, so that a redraw
// paints only what changed. It holds while the surface is the same and has
// not been painted blank since (Screen::paints).
struct ShownGuides {
    const Surface* surface = nullptr;    // null: nothing shown
    std::uint64_t paints = 0;
    int width = 0, height = 0, place = -1;
    GuideBoxFields position, capacity;
    bool capacity_shown = false;
    int bar_tick = -1;                   // -1: no bar shown
};

struct GuideState {
    CountRing ring;                      // numbers of the title and the message
    Capacity capacity;                   // the last count for the capacity (known = counted)
    bool count_pending = false;          // TIMER_COUNT is set
    std::uint64_t counted_generation = UINT64_MAX;   // Document::generation of the last count
    int counted_screen_slot = -1;        // the formats it was counted under
    int counted_print_slot = -1;
    int passes = 0;                      // counting passes run (for tests and the benchmark)
    TitleParts title;                    // the parts of the composed title
    ShownGuides shown;
};

// The width of the guide boxes of screen slot `slot` (0 in title-bar mode):
// the geometry's guide_px.
int guide_width(const SettingsRecord& rec, int slot);

// Mode 0 (a document was opened or renamed): the name part; 1: the
// position shown now, in the boxes or the title, and the position bar.
enum : int { GUIDES_NAME = 0, GUIDES_POSITION = 1 };
void update_guides(Application& app, GuideState& g, int mode);
// The capacity counted again and shown (needs a document file name and a
// capacity to show).
void update_capacity(Application& app, GuideState& g);
// After a redraw: sets the count timer when the text or the format changed
// since the last count, then refreshes the position.
void guides_after_redraw(Application& app, GuideState& g);
// TIMER_COUNT fired.
void guides_count_timer(Application& app, GuideState& g);

// The counting pass in the selected print format. The text window and the
// capacity box count the whole document silently; the menu counts the
// print range and shows the count display. Returns the number of pages.
std::uint64_t count_document(Application& app, GuideState& g, CountOwner owner);

}  // namespace rix

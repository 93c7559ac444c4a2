// Bringing the screen up to date after editing: which lines to lay out, when
// a scroll can move pixels, and keeping the marking highlight exact.
//
// The highlight is an inversion, its own inverse, so it must never be drawn
// twice nor left on a line that is drawn again. The order is therefore:
// take the shown highlight off the lines whose pixels stay (while the text
// there still reads as it did when it was drawn), draw, then invert the
// wanted range over the whole screen.
#include "display/edit_view.h"

#include <algorithm>
#include <cstdlib>

#include "document/display_lines.h"

namespace rix {

namespace {

enum class Plan { NOTHING, LINES, SCROLL, WHOLE };

ShownMarking wanted_marking(const EditState& edit) {
    ShownMarking m;
    if (edit.mark.on && edit.mark.start < edit.mark.end) m = {true, edit.mark.start, edit.mark.end};
    return m;
}

bool same_marking(const ShownMarking& a, const ShownMarking& b) {
    if (!a.on || !b.on) return a.on == b.on;
    return a.start == b.start && a.end == b.end;
}

void take_off_highlight(Document& doc, Screen& s, int skip_first, int skip_last) {
    if (s.shown_mark.on) invert_marked_screen(doc, s, s.shown_mark.start, s.shown_mark.end, skip_first, skip_last);
    s.shown_mark.on = false;
}

void locate_cursor(Screen& s, const EditState& edit) {
    const Cursor& k = edit.cursor;
    const bool shown = k.screen_line >= 0 && k.screen_line < s.geo.screen_lines;
    s.cursor_at.line = shown ? k.screen_line : -1;
    s.cursor_at.cell = static_cast<int>(k.cell);
    s.cursor_at.second_half = k.second_half;
}

// Moves the picture by `delta` display lines (the top moved that far towards
// the end when positive) and lays out the lines it uncovers. The caller has
// set s.top to the new top. False when scroll_screen_lines fell back to a
// full relayout.
bool scroll_picture(Document& doc, Screen& s, std::int64_t delta) {
    const int n = s.geo.screen_lines;
    const int moved = static_cast<int>(std::llabs(delta));
    if (scroll_screen_lines(doc, s, delta < 0, moved, 0)) return false;
    if (delta < 0) {
        layout_and_draw(doc, s, s.top, 0, 0, moved);
        return true;
    }
    const auto kept = static_cast<std::uint32_t>(n - moved);
    const DisplayMove at = display_lines_forward(doc, s.top, kept);
    // A text that ends on the kept lines leaves the uncovered ones empty (scrolling cleared them).
    if (at.moved == kept) layout_and_draw(doc, s, at.pos, n - moved, 0, moved);
    return true;
}

}  // namespace

void frame_from_screen(const Screen& s, int page_columns, ViewFrame* frame) {
    frame->screen_lines = std::max(s.geo.screen_lines, 1);
    frame->tiers = std::max(s.geo.tiers, 1);
    frame->vertical = s.geo.vertical;
    frame->page_columns = std::max(page_columns, 1);
}

void apply_view_damage(Document& doc, Screen& s, EditState& edit) {
    const ViewDamage d = edit.damage;
    edit.damage.clear();
    const ViewFrame& f = edit.frame;
    const TextPos old_top = s.top;
    const DisplayLineNo old_top_line = s.top_display_line;
    const bool top_changed = d.top_moved || f.top != old_top || f.top_display_line != old_top_line;
    s.top = f.top;
    s.top_display_line = f.top_display_line;
    s.cursor = edit.cursor.pos;
    const int n = s.geo.screen_lines;
    if (!s.surface || !s.geo.computed() || n <= 0) {
        s.shown_mark.on = false;
        locate_cursor(s, edit);
        return;
    }

    Plan plan = Plan::NOTHING;
    int first = 0, last = 0;   // Plan::LINES: the screen lines laid out
    const std::int64_t delta = display_distance(old_top_line, f.top_display_line);
    if (d.full || (top_changed && (d.text || delta == 0 || std::llabs(delta) >= n))) {
        plan = Plan::WHOLE;
    } else if (top_changed) {
        plan = Plan::SCROLL;
    } else if (d.text) {
        const std::int64_t a = display_distance(old_top_line, d.from_display_line);
        if (a < n) {
            plan = Plan::LINES;
            first = static_cast<int>(std::max<std::int64_t>(a, 0));
            last = n;
            // Unchanged display-line counts: only the rest of the changed logical
            // line differs. With a highlight shown the lines after it are drawn too,
            // so that it is never taken off text that may have moved.
            if (a >= 0 && !d.lines_changed && !s.shown_mark.on) {
                const DisplayMove at = display_lines_forward(doc, s.top, static_cast<std::uint32_t>(first));
                if (at.moved == static_cast<std::uint32_t>(first))
                    last = static_cast<int>(std::min<std::int64_t>(n, first + display_lines_from(doc, at.pos)));
            }
        }
    }

    const ShownMarking want = wanted_marking(edit);
    if (plan == Plan::NOTHING && same_marking(s.shown_mark, want)) {
        locate_cursor(s, edit);
        return;
    }
    switch (plan) {
        case Plan::NOTHING: take_off_highlight(doc, s, 0, 0); break;
        case Plan::WHOLE: relayout_screen(doc, s, false); break;
        case Plan::LINES: {
            take_off_highlight(doc, s, first, last);
            const TextPos start =
                first == 0 ? s.top : display_lines_forward(doc, s.top, static_cast<std::uint32_t>(first)).pos;
            layout_and_draw(doc, s, start, first, 0, last - first);
            break;
        }
        case Plan::SCROLL: {
            // The old highlight comes off with the old top, the text being unchanged.
            s.top = old_top;
            take_off_highlight(doc, s, 0, 0);
            s.top = f.top;
            scroll_picture(doc, s, delta);
            break;
        }
    }
    if (want.on) invert_marked_screen(doc, s, want.start, want.end);
    s.shown_mark = want;
    locate_cursor(s, edit);
    s.surface->flush();
    // A whole new picture is kept as the repaint road keeps it; after a
    // smaller change copying the whole window would cost more than the
    // drawing, so the old snapshot is only marked stale (ensure_snapshot).
    if (plan == Plan::WHOLE) take_snapshot(s);
    else s.snapshot_valid = false;
}

}  // namespace rix

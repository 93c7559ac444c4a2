// The image surface with the installed IPA fonts: vertical glyph forms,
// inversion, and the renderer's pixel operations (scrolling, erasing)
// compared pixel for pixel with a fresh layout.
//
// Still owed: the printer surface on a real QPrinter; half-width pairs
// upright (組文字) measured in pixels; a font with presentation forms but no
// `vert` table.
#include "platform/qt/image_surface.h"

#include <gtest/gtest.h>

#include <QRect>

#include "display/guides.h"
#include "display/render.h"
#include "platform/codec.h"
#include "platform/qt/qt_fonts.h"
#include "platform/recording_surface.h"
#include "tests/document/doc_builder.h"

namespace rix {
namespace {

using test::sj;

FontRequest mincho(int px, bool vertical) {
    FontRequest r;
    r.face = sj("IPAex明朝");
    r.vertical = vertical;
    r.pixel_height = px;
    return r;
}

// The bounding box of the pixels that differ from white inside `area`.
QRect ink(const QImage& image, const QRect& area) {
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qGray(image.pixel(x, y)) < 160) box |= QRect(x, y, 1, 1);
    return box;
}

QRect draw_one(const char* utf8, GlyphMode mode, int px = 40) {
    ImageSurface surface(100, 100);
    EXPECT_TRUE(surface.set_font(FONT_TEXT, mincho(px, mode != GlyphMode::HORIZONTAL)));
    CellGlyph g;
    const std::string b = sj(utf8);
    g.code = static_cast<std::uint16_t>(static_cast<std::uint8_t>(b[0]) << 8 | static_cast<std::uint8_t>(b[1]));
    g.mode = mode;
    g.box = {30, 30, px, px};
    surface.draw_cell(g);
    return ink(surface.image(), QRect(0, 0, 100, 100));
}

TEST(ImageSurface, VerticalFormsOfLongVowelAndBracket) {
    const QRect bar = draw_one("ー", GlyphMode::VERTICAL);
    ASSERT_FALSE(bar.isEmpty());
    EXPECT_GT(bar.height(), bar.width() * 2);
    const QRect flat = draw_one("ー", GlyphMode::HORIZONTAL);
    EXPECT_GT(flat.width(), flat.height() * 2);

    // Vertical forms stand where vertical typesetting puts them: 、 and 」 in
    // the top right of the 40-pixel box at (30, 30); 「 at the bottom, next
    // to the text it opens, as the horizontal 「 stands at the right.
    const QRect comma = draw_one("、", GlyphMode::VERTICAL);
    ASSERT_FALSE(comma.isEmpty());
    EXPECT_GE(comma.left(), 50);
    EXPECT_LE(comma.bottom(), 50);
    const QRect closing = draw_one("」", GlyphMode::VERTICAL);
    EXPECT_LE(closing.bottom(), 50);
    EXPECT_GE(closing.right(), 50);
    const QRect opening = draw_one("「", GlyphMode::VERTICAL);
    EXPECT_GE(opening.top(), 50);
    EXPECT_GE(opening.right(), 60);
    EXPECT_GT(opening.width(), opening.height());
    const QRect upright = draw_one("「", GlyphMode::HORIZONTAL);
    EXPECT_GE(upright.left(), 50);
    EXPECT_GT(upright.height(), upright.width());
}

// One full-width character drawn alone in a 40-pixel box at (30, 30).
QImage draw_image(const char* utf8, GlyphMode mode) {
    ImageSurface surface(100, 100);
    EXPECT_TRUE(surface.set_font(FONT_TEXT, mincho(40, mode != GlyphMode::HORIZONTAL)));
    CellGlyph g;
    const std::string b = sj(utf8);
    g.code = static_cast<std::uint16_t>(static_cast<std::uint8_t>(b[0]) << 8 | static_cast<std::uint8_t>(b[1]));
    g.mode = mode;
    g.box = {30, 30, 40, 40};
    surface.draw_cell(g);
    return surface.image().copy();
}

TEST(ImageSurface, UprightCharactersKeepTheirGlyphInVerticalText) {
    // The font has no vertical form of ！ and ？, and they need none: they
    // stand as in horizontal text, pixel for pixel, never lying on their side.
    for (const char* c : {"！", "？", "＃", "あ", "漢", "Ａ", "①"}) {
        SCOPED_TRACE(c);
        const QImage vertical = draw_image(c, GlyphMode::VERTICAL);
        EXPECT_FALSE(ink(vertical, vertical.rect()).isEmpty());
        EXPECT_EQ(vertical, draw_image(c, GlyphMode::HORIZONTAL));
    }
    const QRect mark = ink(draw_image("！", GlyphMode::VERTICAL), QRect(0, 0, 100, 100));
    EXPECT_GT(mark.height(), mark.width() * 3);
}

TEST(ImageSurface, TurningCharactersWithoutAVerticalFormLieTurned) {
    // Cyrillic and Greek letters, ≦ and ∥ turn in vertical text and the font
    // has no form for them: the horizontal glyph is drawn turned 90° clockwise.
    for (const char* c : {"Ж", "α", "≦", "∥"}) {
        SCOPED_TRACE(c);
        const QRect flat = ink(draw_image(c, GlyphMode::HORIZONTAL), QRect(0, 0, 100, 100));
        const QRect turned = ink(draw_image(c, GlyphMode::VERTICAL), QRect(0, 0, 100, 100));
        ASSERT_FALSE(flat.isEmpty());
        EXPECT_NE(flat.width(), flat.height());
        EXPECT_NEAR(turned.width(), flat.height(), 1);
        EXPECT_NEAR(turned.height(), flat.width(), 1);
    }
    // The Tr/R table against the characters code page 932 text can hold.
    for (char32_t c : {U'ー', U'～', U'…', U'‥', U'―', U'‐', U'－', U'＝', U'「', U'』', U'（', U'｛', U'〝', U'：',
                       U'｜', U'￣', U'＿', U'→', U'⇔', U'∈', U'≠', U'√', U'─', U'╋', U'Ω', U'я', U'°', U'¨'})
        EXPECT_TRUE(turns_in_vertical_text(c)) << std::hex << static_cast<std::uint32_t>(c);
    for (char32_t c : {U'！', U'？', U'、', U'。', U'，', U'．', U'あ', U'ぁ', U'ッ', U'ヽ', U'々', U'〆', U'亜', U'Ａ',
                       U'０', U'＋', U'±', U'×', U'÷', U'∞', U'∴', U'∵', U'※', U'〒', U'○', U'★', U'§', U'①', U'Ⅹ',
                       U'㍉', U'㈱', U'№', U'＼', U'／', U'＄', U'￥', U'‰', U'†', U'♪', U'　'})
        EXPECT_FALSE(turns_in_vertical_text(c)) << std::hex << static_cast<std::uint32_t>(c);
}

TEST(ImageSurface, InvertingTwiceRestoresTheImage) {
    ImageSurface surface(120, 80);
    surface.set_font(FONT_TEXT, mincho(30, true));
    CellGlyph g;
    g.code = 0x88A2;   // 旭
    g.mode = GlyphMode::VERTICAL;
    g.box = {10, 10, 30, 30};
    surface.draw_cell(g);
    surface.draw_line(0, 50, 119, 50, 0x0000FF);
    const QImage before = surface.image().copy();
    surface.invert_rect({5, 5, 60, 60});
    EXPECT_NE(surface.image(), before);
    surface.invert_rect({5, 5, 60, 60});
    EXPECT_EQ(surface.image(), before);
}

// A screen on an image: vertical, 8 lines × 2 tiers of 6 cells, ruled cells.
struct ImageScreen {
    Document doc;
    ImageSurface surface{360, 420};
    ImageSurface blank{360, 420};
    Screen s;

    explicit ImageScreen(bool vertical, bool rubies = true) {
        std::vector<std::string> lines;
        for (int i = 0; i < 30; ++i) {
            std::string line = sj("あいう、「かき」ー").substr(0, static_cast<std::size_t>(2 * (i % 9 + 1)));
            if (rubies && i % 4 == 1) line = test::ruby("るび", 0x12) + sj("漢字") + "ab";
            lines.push_back(line);
        }
        doc.rules = test::rules(6, 1);
        test::build(doc, lines);
        ScreenFormat f;
        f.vertical = vertical;
        f.columns_per_page = 8;
        f.chars_per_column = 6;
        f.tier_count = 2;
        f.tier_gap = 1;
        f.cell_width_percent = 20;
        f.margin_start_permille = 80;   // room for the first line's ruby inside the surface
        f.margin_top_permille = 100;
        f.font_height = -16;
        QtFonts fonts;
        FontMetrics m = fonts.metrics(mincho(16, vertical));
        format_font_size(-16, 0, true, &m.cell_w, &m.cell_h);
        ScreenFormatChanges changes;
        EXPECT_TRUE(recompute_geometry(f, 360, 420, m, DisplayGeometry{}, &s.geo, &changes));
        s.fmt.font = mincho(16, vertical);
        s.fmt.font_record_px = 16;
        s.fmt.grid_style = 3;
        s.fmt.mark_flags = 1;
        s.fmt.fill_colour = 0xE0F0FF;
        s.fmt.grid_colour = 0x3060A0;
        s.surface = &surface;
        s.blank_page = &blank;
        prepare_screen(s);
    }
    void show(std::uint32_t top_line) {
        s.top = TextPos(top_line, 0);
        s.top_display_line = document_display_line(doc, s.top);
        repaint_screen(doc, s, false);
    }
};

TEST(ImageSurface, FastScrollEqualsAFullRelayout) {
    for (bool vertical : {true, false}) {
        SCOPED_TRACE(vertical ? "vertical" : "horizontal");
        ImageScreen scrolled(vertical, false), fresh(vertical, false);
        // Forward: the top moves one display line back, lines move on by one.
        scrolled.show(4);
        scrolled.s.top = display_lines_backward(scrolled.doc, scrolled.s.top, 1).pos;
        ASSERT_FALSE(scroll_screen_lines(scrolled.doc, scrolled.s, true, 1, 0));
        layout_and_draw(scrolled.doc, scrolled.s, scrolled.s.top, 0, 0, 1);
        fresh.show(scrolled.s.top.line());
        EXPECT_EQ(scrolled.surface.image(), fresh.surface.image());
        for (int j = 0; j < fresh.s.geo.screen_lines; ++j) EXPECT_EQ(scrolled.s.cells.used(j), fresh.s.cells.used(j));

        // Backward by two: the top moves on by two, the last two lines are laid out anew.
        const int last = fresh.s.geo.screen_lines;
        ImageScreen back(vertical, false), fresh_back(vertical, false);
        back.show(4);
        back.s.top = display_lines_forward(back.doc, back.s.top, 2).pos;
        ASSERT_FALSE(scroll_screen_lines(back.doc, back.s, false, 2, 0));
        const TextPos tail = display_lines_forward(back.doc, back.s.top, static_cast<std::uint32_t>(last - 2)).pos;
        layout_and_draw(back.doc, back.s, tail, last - 2, 0, 2);
        fresh_back.show(back.s.top.line());
        ASSERT_EQ(fresh_back.s.top, back.s.top);
        EXPECT_EQ(back.surface.image(), fresh_back.surface.image());

        // Rubies stand across the grid rule beside their lines: moving line bands
        // would carry them wrong, so the screen is laid out again instead.
        ImageScreen ruby(vertical), fresh_ruby(vertical);
        ruby.show(4);
        ruby.s.top = display_lines_backward(ruby.doc, ruby.s.top, 1).pos;
        EXPECT_TRUE(scroll_screen_lines(ruby.doc, ruby.s, true, 1, 0));
        fresh_ruby.show(ruby.s.top.line());
        EXPECT_EQ(ruby.surface.image(), fresh_ruby.surface.image());
    }
}

TEST(ImageSurface, AnErasedStripEqualsTheBlankPage) {
    ImageScreen screen(true);
    screen.show(0);
    const SurfaceRect r = screen_line_strip(screen.s, 2);
    const QRect strip(r.x, r.y, r.w, r.h);
    EXPECT_NE(screen.surface.image().copy(strip), screen.blank.image().copy(strip));
    erase_screen_line(screen.s, 2);
    EXPECT_EQ(screen.surface.image().copy(strip), screen.blank.image().copy(strip));
}

// A guide box brought up to date cell by cell looks exactly as one drawn
// afresh: digits that change, a row that grows or shrinks, a row emptied.
TEST(ImageSurface, AGuideBoxUpdatedInPlaceEqualsAFreshOne) {
    QtFonts fonts;
    const GuideBoxLayout l = guide_box_layout(GUIDE_PLACE_MEDIUM);
    const GuidePosition before = guide_position(DisplayLineNo{45}, 20, true, TextPos(7, 10));
    const GuidePosition after = guide_position(DisplayLineNo{1204}, 20, true, TextPos(7, 9));
    const GuideBoxFields was = position_box_fields(1, before, false, true, false);
    const GuideBoxFields now = position_box_fields(1, after, true, false, true);
    ImageSurface updated(200, 600), fresh(200, 600);
    draw_guide_box(updated, l.position, l.font_px, was, 0);
    draw_guide_box(updated, l.position, l.font_px, now, 0, &was);
    draw_guide_box(fresh, l.position, l.font_px, now, 0);
    EXPECT_TRUE(updated.image() == fresh.image());
    // Only what changed was painted: the fresh box paints every row.
    RecordingSurface log(200, 600);
    draw_guide_box(log, l.position, l.font_px, now, 0, &now);
    EXPECT_EQ(log.dump(), "");
}

}  // namespace
}  // namespace rix

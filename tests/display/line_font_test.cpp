// Line colours and fonts: the font a word asks for, and lines drawn through
// the recording surface in their colour, size and weight, each line font
// made once.
// Owed: print slots with and without line colours through a print surface.
#include "display/line_font.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "display/render.h"
#include "document/line_format.h"
#include "platform/recording_surface.h"
#include "tests/document/doc_builder.h"

namespace rix {
namespace {

using test::sj;

FontRequest base_font(int weight) {
    FontRequest r;
    r.face = "IPAex";
    r.pixel_height = 20;
    r.pixel_width = 10;
    r.weight = weight;
    r.vertical = true;
    return r;
}

TEST(LineFontRequest, HeightsFollowTheSizeStep) {
    const FontRequest b = base_font(400);
    EXPECT_EQ(line_font_request(b, 0).pixel_height, 20);
    EXPECT_EQ(line_font_request(b, with_size_index(0, 0)).pixel_height, 28);   // 140 %
    EXPECT_EQ(line_font_request(b, with_size_index(0, 0)).pixel_width, 14);
    EXPECT_EQ(line_font_request(b, with_size_index(0, 3)).pixel_height, 22);   // 110 %
    EXPECT_EQ(line_font_request(b, with_size_index(0, 7)).pixel_height, 14);   // 70 %
    EXPECT_EQ(line_font_request(b, with_size_index(0, 7)).pixel_width, 7);
    EXPECT_TRUE(line_font_request(b, with_size_index(0, 7)).vertical);
    EXPECT_EQ(line_font_request(b, with_size_index(0, 7)).face, "IPAex");
}

TEST(LineFontRequest, WeightsFollowTheToggleAndTheFormatFont) {
    // A light format font keeps its weight; the toggle makes it bold.
    EXPECT_EQ(line_font_request(base_font(300), with_size_index(0, 0)).weight, 300);
    EXPECT_EQ(line_font_request(base_font(300), LINE_BOLD).weight, 700);
    // A heavy one (above 499) is drawn at 700; the toggle makes it 400.
    EXPECT_EQ(line_font_request(base_font(500), with_size_index(0, 2)).weight, 700);
    EXPECT_EQ(line_font_request(base_font(800), LINE_BOLD).weight, 400);
}

DisplayGeometry geometry() {
    DisplayGeometry g;
    g.client_w = 400;
    g.client_h = 600;
    g.vertical = false;
    g.columns = 4;
    g.chars = g.grid_chars = 5;
    g.tiers = 1;
    g.screen_lines = 4;
    g.kinsoku_mode = 1;
    g.max_cells = 6;
    g.font_w = g.font_h = 20;
    g.cell_size = 24;
    g.line_pitch = 40;
    g.char_pitch = 30;
    g.margin_start_px = 20;
    g.margin_top_px = 10;
    g.tier_pitch = g.max_cells * g.char_pitch;
    g.page_cols = 20;
    return g;
}

struct Drawn {
    Document doc;
    RecordingSurface surface{400, 600};
    RecordingSurface blank{400, 600, "blank"};
    Screen s;

    explicit Drawn(const std::vector<std::uint32_t>& words, bool print = false) {
        doc.rules = test::rules(5, 1);
        test::build(doc, {sj("あい"), sj("かき"), sj("さし")}, words);
        s.geo = geometry();
        s.fmt.font.face = "IPAex";
        s.fmt.font.pixel_height = 20;
        s.fmt.font_record_px = 20;
        s.fmt.text_colour = 0x000000;
        s.fmt.print = print;
        s.surface = &surface;
        s.blank_page = &blank;
        prepare_screen(s);
        surface.clear();
        relayout_screen(doc, s, true);
    }
    // The drawn cells of character `utf8`.
    std::vector<std::string> cells(const char* utf8) const {
        const std::string b = sj(utf8);
        char code[8];
        std::snprintf(code, sizeof code, "%02X%02X", static_cast<std::uint8_t>(b[0]), static_cast<std::uint8_t>(b[1]));
        std::vector<std::string> out;
        for (const std::string& l : surface.lines_starting("cell "))
            if (l.find(code) != std::string::npos) out.push_back(l);
        return out;
    }
};

TEST(LineFontDrawing, ColourSizeAndBoldOfEachLine) {
    const std::uint32_t red = 0x98000000;                           // colour 9 on
    const std::uint32_t large_bold = with_size_index(LINE_BOLD, 0);   // 140 %, bold
    Drawn d({red, large_bold, 0});
    ASSERT_EQ(d.cells("あ").size(), 1u);
    EXPECT_EQ(d.cells("あ")[0], "cell 0 82A0 H 20,10,20x20 #FF0000");
    EXPECT_EQ(d.cells("か")[0], "cell " + std::to_string(FONT_LINE_FIRST + 1) + " 82A9 H 20,50,28x28 #000000");
    EXPECT_EQ(d.cells("さ")[0], "cell 0 82B3 H 20,90,20x20 #000000");
    EXPECT_EQ(d.surface.lines_starting("font " + std::to_string(FONT_LINE_FIRST + 1) + " "),
              std::vector<std::string>{"font " + std::to_string(FONT_LINE_FIRST + 1) + " IPAex 28 w700"});

    // Drawn again, the line font is not made again.
    d.surface.clear();
    relayout_screen(d.doc, d.s, true);
    EXPECT_TRUE(d.surface.lines_starting("font ").empty());
    EXPECT_EQ(d.cells("か")[0], "cell " + std::to_string(FONT_LINE_FIRST + 1) + " 82A9 H 20,50,28x28 #000000");
}

TEST(LineFontDrawing, PaperTakesLineColoursOnlyWhenAsked) {
    Drawn plain({0x98000000}, true);
    EXPECT_EQ(plain.cells("あ")[0], "cell 0 82A0 H 20,10,20x20 #000000");
    Drawn coloured({0x98000000}, true);
    coloured.s.fmt.print_line_colours = true;
    coloured.surface.clear();
    relayout_screen(coloured.doc, coloured.s, true);
    EXPECT_EQ(coloured.cells("あ")[0], "cell 0 82A0 H 20,10,20x20 #FF0000");
}

}  // namespace
}  // namespace rix

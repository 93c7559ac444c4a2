// The PDF writer: tiers break where the display engine breaks them, the
// text comes out in reading order, 袋とじ pages, the outline, the fixed
// objects, line attributes, and a file that no locale changes.
// Background pictures as one image XObject, tiled and stretched.
// Owed: a JPEG passed through as a DCT stream (pictures go as Flate RGB).
#include "publish/pdf_writer.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "publish/pdf_file.h"
#include "tests/document/doc_builder.h"
#include "tests/support/comma_locale.h"

namespace rix {
namespace {

using test::sj;

PrintFormat small_format(bool vertical, bool fukuro, int columns, int chars, int tiers) {
    PrintFormat f;
    ScreenFormat& s = f.screen;
    s.slot = 5;
    s.print = true;
    s.vertical = vertical;
    s.columns_per_page = columns;
    s.chars_per_column = chars;
    s.tier_count = tiers;
    s.tier_gap = 1;
    s.kinsoku_mode = 1;
    s.cell_width_percent = 20;
    s.margin_start_permille = s.margin_end_permille = 50;
    s.margin_top_permille = s.margin_bottom_permille = 50;
    s.two_pages_per_sheet = fukuro;
    f.font.face = sj(vertical ? "@IPAex明朝" : "IPAex明朝");
    f.font.height = -20;
    f.print_font_size = 120;
    f.wrap_chars = chars;
    f.adjust_column_interval = 1;
    f.grid_style = 3;
    f.rules = test::rules(static_cast<std::uint32_t>(chars), 1);
    return f;
}

PrintLayout layout_of(const PrintFormat& f) {
    PrintLayout l;
    EXPECT_TRUE(make_print_layout(f, PrintRange{}, page_for_paper(9, 600, 600), &l));
    return l;
}

// The byte strings of the "<hex> Tj" operators of a stream, in order.
std::vector<std::string> shown(const std::string& stream) {
    std::vector<std::string> out;
    for (std::size_t at = stream.find('<'); at != std::string::npos; at = stream.find('<', at + 1)) {
        const std::size_t end = stream.find("> Tj", at);
        if (end == std::string::npos) break;
        const std::string hex = stream.substr(at + 1, end - at - 1);
        if (hex.find_first_not_of("0123456789ABCDEF") != std::string::npos) continue;
        std::string bytes;
        for (std::size_t i = 0; i + 1 < hex.size(); i += 2) bytes += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
        out.push_back(bytes);
        at = end;
    }
    return out;
}

// The characters of the document in reading order as the writer shows
// them: blocks, line ends and half-width blanks left out.
std::string text_of(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& line : lines) {
        for (std::size_t i = 0; i < line.size();) {
            const auto b = static_cast<std::uint8_t>(line[i]);
            if (b == 0xFF || b == 0xFD) {
                const std::size_t close = line.find(static_cast<char>(b), i + (b == 0xFD ? 2 : 2));
                i = close == std::string::npos ? line.size() : close + 1;
                continue;
            }
            if (is_stored_lead(b)) {
                out += line.substr(i, 2);
                i += 2;
                continue;
            }
            if (b != ' ') out += line[i];
            ++i;
        }
    }
    return out;
}

std::string random_line(std::mt19937& rng) {
    static const char* const FULL[] = {"漢", "字", "か", "な", "カ", "ナ", "日", "本", "語", "文", "章"};
    static const char* const PUNCT[] = {"、", "。", "」", "「", "（", "）", "ー", "…", "っ"};
    static const char* const HALF[] = {"abc", "XYZ", "12 34", "ｱｲｳ", "A", " q"};   // UTF-8: sj() makes them half-width
    std::string line;
    const int items = static_cast<int>(rng() % 40);
    for (int i = 0; i < items; ++i) {
        const unsigned k = rng() % 20;
        if (k < 11) line += sj(FULL[rng() % 11]);
        else if (k < 15) line += sj(PUNCT[rng() % 9]);
        else if (k < 18) line += sj(HALF[rng() % 6]);
        else if (k == 18) line += test::ruby("るびの", static_cast<int>(rng() % 3 + 1)) + sj("振仮名");
        else line += test::tag("note");
    }
    return line;
}

TEST(PdfTierText, TiersEndWhereTheDisplayEngineEndsThemAndReadInOrder) {
    for (unsigned seed = 1; seed <= 48; ++seed) {
        std::mt19937 rng(seed);
        const bool vertical = seed % 3 != 0;
        PrintFormat f = small_format(vertical, seed % 4 == 0, 6 + static_cast<int>(seed % 5),
                                     8 + static_cast<int>(seed % 7), 1 + static_cast<int>(seed % 2));
        f.halfwidth_display = static_cast<int>(seed / 2 % 2);
        f.rules.kinsoku_mode = static_cast<std::uint8_t>(seed % 3);
        f.screen.kinsoku_mode = f.rules.kinsoku_mode;
        const PrintLayout layout = layout_of(f);
        std::vector<std::string> lines;
        std::vector<std::uint32_t> words;
        for (int i = 0; i < 30; ++i) {
            lines.push_back(random_line(rng));
            words.push_back(test::format_word(rng() % 3, rng() % 2, rng() % 8));
        }
        Document doc;
        test::build(doc, lines, words);
        PrintScope scope(doc, layout.rules);
        std::string text, rubies;
        PdfTextState state;
        TextPos pos;
        for (int h = 0; h < 400; ++h) {
            const HalfPlan half = plan_half(doc, layout, pos);
            for (std::size_t t = 0; t < half.tiers.size(); ++t) {
                const TierPlan& tier = half.tiers[t];
                const TextPos end = emit_tier_text(doc, layout, layout.geo, static_cast<int>(t), tier.start, tier.lines,
                                                   false, &state, &text, &rubies);
                const bool last = t + 1 == half.tiers.size();
                if (last && half.text_ended) {
                    EXPECT_EQ(end.line(), doc.lines.count() - 1) << "seed " << seed;
                } else {
                    EXPECT_EQ(end, last ? half.next : half.tiers[t + 1].start) << "seed " << seed << " tier " << t;
                }
            }
            if (half.text_ended) break;
            pos = half.next;
        }
        std::string read;
        for (const std::string& s : shown(text)) read += s;
        EXPECT_EQ(read, text_of(lines)) << "seed " << seed;
        EXPECT_EQ(rubies.empty(), text_of(lines).find(sj("振仮名")) == std::string::npos) << "seed " << seed;
    }
}

// A small document on one format, written whole.
struct PdfJob {
    Document doc;
    PrintLayout layout;
    PdfRequest request;

    PdfJob(const PrintFormat& f, const std::vector<std::string>& lines, const std::vector<std::uint32_t>& words = {}) {
        test::build(doc, lines, words);
        layout = layout_of(f);
    }
    std::string write(const PrintRange& range = PrintRange{}, PdfReport* report = nullptr) {
        PrintScope scope(doc, layout.rules);
        PrintJob job;
        EXPECT_EQ(resolve_print_range(doc, layout, range, false, {}, {}, &job), RangeResult::OK);
        std::string file;
        PdfReport r;
        EXPECT_EQ(build_pdf(doc, layout, job, request, &file, &r), PdfStatus::OK);
        if (report) *report = r;
        return file;
    }
};

// Object n's text, from "n 0 obj" to its "endobj".
std::string object(const std::string& file, int n) {
    const PdfXref x = read_pdf_xref(file);
    if (!x.parsed || n < 1 || static_cast<std::size_t>(n) > x.offsets.size()) return {};
    const std::size_t at = x.offsets[static_cast<std::size_t>(n - 1)];
    return file.substr(at, file.find("endobj", at) - at);
}

std::vector<std::string> numbered_lines(int n) {
    std::vector<std::string> lines;
    for (int i = 0; i < n; ++i) lines.push_back(sj("行") + std::to_string(i));
    return lines;
}

TEST(PdfPages, FukuroTojiGivesOnePagePerSheetWithBothHalvesNumbered) {
    PrintFormat f = small_format(true, true, 5, 20, 1);
    f.flags = PRINT_PAGE_NUMBERS;
    PdfJob job(f, numbered_lines(23));   // 23 lines, 5 a half: 5 halves on 3 sheets
    PdfReport report;
    const std::string file = job.write(PrintRange{}, &report);
    EXPECT_EQ(report.pages, 3);
    EXPECT_EQ(report.halves, 5);
    EXPECT_NE(object(file, 17).find("/Count 3"), std::string::npos);
    EXPECT_NE(object(file, 17).find("/Kids [ 18 0 R 20 0 R 22 0 R ]"), std::string::npos);
    for (int sheet = 1; sheet <= 3; ++sheet) {
        const std::string stream = object(file, 17 + 2 * sheet);
        for (int half = 0; half < 2; ++half) {
            const int number = 2 * sheet - 1 + half;
            const bool printed = number <= 5;
            EXPECT_EQ(stream.find("<" + hex_bytes(page_number_text(number, false)) + "> Tj") != std::string::npos,
                      printed)
                << "sheet " << sheet << " page " << number;
        }
    }
    // Sheets 2-3 of the range: two PDF pages numbered 3 to 5.
    const std::string part = job.write(PrintRange{RANGE_PAGES, 2, 3, 0}, &report);
    EXPECT_EQ(report.pages, 2);
    EXPECT_NE(object(part, 19).find("<" + hex_bytes(page_number_text(3, false)) + "> Tj"), std::string::npos);
    EXPECT_NE(object(part, 21).find("<" + hex_bytes(page_number_text(5, false)) + "> Tj"), std::string::npos);
}

std::map<std::string, std::string> keys_of(const std::string& obj) {
    std::map<std::string, std::string> keys;
    for (const char* key : {"/Parent ", "/Prev ", "/Next ", "/First ", "/Last ", "/Count ", "/Dest [ ", "/Title <"}) {
        const std::size_t at = obj.find(key);
        if (at == std::string::npos) continue;
        const std::size_t from = at + std::string(key).size();
        keys[key] = obj.substr(from, obj.find_first_of(" >\r", from) - from);
    }
    return keys;
}

TEST(PdfOutline, ThreeLevelsHangTogetherAndNoEntriesWriteNone) {
    PrintFormat f = small_format(true, false, 5, 20, 1);
    PdfJob job(f, numbered_lines(24));
    job.request.options.outline = true;
    job.request.options.outline_open = true;
    // Levels 1, 2, 3, 2, 1 (level byte = level - 1); the last entry lies past the printed range.
    job.request.index = {{0, 0, sj("第一章")}, {2, 1, sj("一節")}, {3, 2, sj("一項")},
                         {7, 1, sj("二節")}, {22, 0, sj("第二章")}};
    PdfReport report;
    const std::string file = job.write(PrintRange{RANGE_PAGES, 1, 2, 0}, &report);
    ASSERT_EQ(report.pages, 2);
    const int root = 18 + 2 * report.pages;   // 22
    EXPECT_NE(object(file, 2).find("/Outlines 22 0 R"), std::string::npos);
    EXPECT_NE(object(file, 2).find("/PageMode /UseOutlines"), std::string::npos);
    const auto r = keys_of(object(file, root));
    EXPECT_EQ(r.at("/First "), "23");
    EXPECT_EQ(r.at("/Last "), "27");
    EXPECT_EQ(r.at("/Count "), "5");
    std::vector<std::map<std::string, std::string>> items;
    for (int i = 0; i < 5; ++i) items.push_back(keys_of(object(file, root + 1 + i)));
    EXPECT_EQ(items[0].at("/Parent "), "22");
    EXPECT_EQ(items[0].at("/Next "), "27");
    EXPECT_EQ(items[0].at("/First "), "24");
    EXPECT_EQ(items[0].at("/Last "), "26");
    EXPECT_EQ(items[1].at("/Parent "), "23");
    EXPECT_EQ(items[1].at("/First "), "25");
    EXPECT_EQ(items[1].at("/Next "), "26");
    EXPECT_EQ(items[2].at("/Parent "), "24");
    EXPECT_EQ(items[2].count("/Next "), 0u);
    EXPECT_EQ(items[3].at("/Prev "), "24");
    EXPECT_EQ(items[3].at("/Parent "), "23");
    EXPECT_EQ(items[4].at("/Prev "), "23");
    EXPECT_EQ(items[4].at("/Parent "), "22");
    EXPECT_EQ(items[0].at("/Title <"), to_utf16_hex(sj("第一章")));
    // Lines 0-4 are page 1 (object 18), line 7 page 2; line 22 was not printed: the last page.
    EXPECT_EQ(items[0].at("/Dest [ "), "18");
    EXPECT_EQ(items[3].at("/Dest [ "), "20");
    EXPECT_EQ(items[4].at("/Dest [ "), "20");

    // The title level: one top item, all entries below it.
    job.request.options.outline_title = true;
    job.request.info.title = sj("羅生門");
    const std::string titled = job.write(PrintRange{}, &report);
    const int top = 18 + 2 * report.pages + 1;
    const auto t = keys_of(object(titled, top));
    EXPECT_EQ(t.at("/Title <"), to_utf16_hex(sj("羅生門")));
    EXPECT_EQ(t.at("/Count "), "5");
    EXPECT_EQ(t.at("/Dest [ "), "18");
    EXPECT_EQ(keys_of(object(titled, top + 1)).at("/Parent "), std::to_string(top));
    EXPECT_EQ(keys_of(object(titled, top + 5)).at("/Parent "), std::to_string(top));

    job.request.index.clear();
    const std::string none = job.write();
    EXPECT_EQ(none.find("/Outlines"), std::string::npos);
    EXPECT_EQ(none.find("/PageMode"), std::string::npos);
}

TEST(PdfObjects, InfoFontsDummyAndBackground) {
    PdfJob vertical(small_format(true, false, 5, 20, 1), numbered_lines(3));
    std::string file = vertical.write();
    EXPECT_NE(object(file, 1).find("/Title <FEFF>\r\n"), std::string::npos);
    EXPECT_NE(object(file, 1).find("/CreationDate (D:20000101000000)"), std::string::npos);
    EXPECT_NE(object(file, 3).find("/Encoding /90ms-RKSJ-V"), std::string::npos);
    EXPECT_NE(object(file, 7).find("/Encoding /90ms-RKSJ-V"), std::string::npos);
    for (int n : {6, 9, 13}) EXPECT_NE(object(file, n).find("/Encoding /90ms-RKSJ-H"), std::string::npos) << n;
    EXPECT_NE(object(file, 3).find("/BaseFont /MS-Mincho"), std::string::npos);
    EXPECT_NE(object(file, 8).find("/BaseFont /MS-Mincho,Bold"), std::string::npos);
    EXPECT_EQ(object(file, 16), "16 0 obj % XObject-Dummy\r\nnull\r\n");
    EXPECT_EQ(object(file, 14).find("/XObject"), std::string::npos);
    EXPECT_NE(file.find("/MediaBox [ 0 0 595.2 841.8 ]"), std::string::npos);   // A4 in points

    PrintFormat h = small_format(false, false, 5, 20, 1);
    h.font.face = sj("IPAexゴシック");
    PdfJob horizontal(h, numbered_lines(3));
    horizontal.request.info.title = sj("①～髙");
    horizontal.request.background.mode = PDF_BACKGROUND_FILL;
    horizontal.request.background.fill_colour = 0x0000FF;
    file = horizontal.write();
    EXPECT_NE(object(file, 1).find("/Title <FEFF2460FF5E9AD9>"), std::string::npos);
    EXPECT_NE(object(file, 3).find("/Encoding /90ms-RKSJ-H"), std::string::npos);
    EXPECT_NE(object(file, 3).find("/BaseFont /MS-Gothic"), std::string::npos);
    EXPECT_NE(object(file, 15).find("1 0 0 rg\r\n0 0 595.2 841.8 re\r\nf"), std::string::npos);
    EXPECT_EQ(object(file, 14).find("/XObject"), std::string::npos);

    PrintFormat other = small_format(true, false, 5, 20, 1);
    other.font.face = sj("@Noto Serif CJK JP");
    PdfJob neither(other, numbered_lines(1));
    EXPECT_NE(object(neither.write(), 3).find("/BaseFont /MS-Mincho"), std::string::npos);
}

TEST(PdfObjects, BackgroundPictureTiledAndStretched) {
    PdfJob tiled(small_format(true, false, 5, 20, 1), numbered_lines(1));
    PdfBackground& bg = tiled.request.background;
    bg.mode = PDF_BACKGROUND_TILE;
    bg.image.width = 2;
    bg.image.height = 2;
    bg.image.pixels = std::string("\xFF\x00\x00\x00\xFF\x00\x00\x00\xFF\xFF\xFF\xFF", 12);
    bg.reference_width = 4;   // a tile is half the page wide: 595.2 × 2 / 4
    std::string file = tiled.write();
    EXPECT_NE(object(file, 14).find("/XObject << /Im1 16 0 R >>"), std::string::npos);
    const std::string image = object(file, 16);
    EXPECT_NE(image.find("/Subtype /Image"), std::string::npos);
    EXPECT_NE(image.find("/ColorSpace /DeviceRGB"), std::string::npos);
    EXPECT_NE(image.find("/Width 2 /Height 2"), std::string::npos);
    EXPECT_NE(image.find("/Filter /FlateDecode"), std::string::npos);
    // Two columns and three rows of 297.6-point tiles from the top left.
    const std::string shared = object(file, 15);
    std::size_t tiles = 0;
    for (std::size_t at = shared.find("/Im1 Do"); at != std::string::npos; at = shared.find("/Im1 Do", at + 1)) ++tiles;
    EXPECT_EQ(tiles, 6u);
    EXPECT_NE(shared.find("q 297.6 0 0 297.6 0 544.2 cm /Im1 Do Q"), std::string::npos);
    EXPECT_NE(shared.find("q 297.6 0 0 297.6 297.6 246.6 cm /Im1 Do Q"), std::string::npos);

    PdfJob stretched(small_format(true, false, 5, 20, 1), numbered_lines(1));
    stretched.request.background = bg;
    stretched.request.background.mode = PDF_BACKGROUND_STRETCH;
    file = stretched.write();
    EXPECT_NE(object(file, 15).find("q\r\n595.2 0 0 841.8 0 0 cm\r\n/Im1 Do\r\nQ"), std::string::npos);
}

TEST(PdfText, BoldAndColouredLinesTakeTheirFontAndColour) {
    constexpr std::uint32_t BOLD = 0x8000, RED = (1u << 27) | (9u << 28);
    PdfJob job(small_format(true, false, 5, 20, 1), {sj("普通"), sj("太字"), sj("赤字"), sj("戻る")}, {0, BOLD, RED, 0});
    job.request.line_format_colours = true;
    std::string page = object(job.write(), 19);
    const std::size_t bold = page.find("/F3 ");
    const std::size_t red = page.find("1 0 0 rg");
    ASSERT_NE(bold, std::string::npos);
    ASSERT_NE(red, std::string::npos);
    EXPECT_LT(page.find("<" + hex_bytes(sj("普通")) + ">"), bold);
    EXPECT_LT(bold, page.find("<" + hex_bytes(sj("太字")) + ">"));
    EXPECT_LT(red, page.find("<" + hex_bytes(sj("赤字")) + ">"));
    // The line after the red one goes back to the text colour.
    EXPECT_NE(page.find("0 0 0 rg", red), std::string::npos);
    job.request.line_format_colours = false;
    page = object(job.write(), 19);
    EXPECT_EQ(page.find("1 0 0 rg"), std::string::npos);
}

TEST(PdfText, ACommaLocaleLeavesTheFileAsItWas) {
    std::vector<std::string> lines = numbered_lines(30);
    lines.push_back(test::ruby("るび", 2) + sj("漢字") + "abc 12");
    PrintFormat f = small_format(true, true, 5, 20, 2);
    f.flags = PRINT_PAGE_NUMBERS | 2;
    PdfJob job(f, lines);
    job.request.options.compress = true;
    job.request.titles.document_title = sj("表題");
    const std::string plain = job.write();
    test::CommaLocale comma;
    const std::string under = job.write();
    const bool active = comma.active();
    comma.end();
    EXPECT_EQ(under, plain);
    if (!active) GTEST_SKIP() << "no locale with a decimal comma could be made";
}

}  // namespace
}  // namespace rix

// The EPUB writer: the package, navigation, NCX and style sheet against
// hand-written golden texts; content files split at index entries and by
// size; size classes, rubies and escaping; kanji numerals; the zip layout
// readers rely on; a comma locale.
// Owed: nothing here (epubcheck reads whole books in tests/cli/epub_test.sh).
#include "publish/epub_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/document/doc_builder.h"
#include "tests/support/comma_locale.h"

namespace rix {
namespace {

using test::sj;

const EpubIdentity ID{"0f8fad5b-d9cb-469f-a165-70867728950e", "2026-12-10T01:02:03Z", "原稿"};

EpubOptions vertical_options() {
    EpubOptions o;
    o.vertical = true;
    return o;
}

TEST(EpubPackage, TheOpfNamesEveryFileAndTheDirection) {
    EpubMetadata m;
    m.title = sj("羅生門");
    m.creator = sj("芥川龍之介");
    EpubOptions o = vertical_options();
    o.font_name = "font.ttf";
    const std::string expected =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\r\n"
        "<package xmlns=\"http://www.idpf.org/2007/opf\" version=\"3.0\" unique-identifier=\"BookId\" xml:lang=\"ja\">\r\n"
        "<metadata xmlns:dc=\"http://purl.org/dc/elements/1.1/\" xmlns:opf=\"http://www.idpf.org/2007/opf\">\r\n"
        "  <dc:identifier id=\"BookId\">urn:uuid:0f8fad5b-d9cb-469f-a165-70867728950e</dc:identifier>\r\n"
        "  <dc:title>羅生門</dc:title>\r\n"
        "  <dc:creator>芥川龍之介</dc:creator>\r\n"
        "  <dc:language>ja</dc:language>\r\n"
        "  <meta property=\"dcterms:modified\">2026-12-10T01:02:03Z</meta>\r\n"
        "  <meta name=\"generator\" content=\"『ミルトア』\" />\r\n"
        "</metadata>\r\n"
        "<manifest>\r\n"
        "  <item id=\"ncx\" href=\"toc.ncx\" media-type=\"application/x-dtbncx+xml\" />\r\n"
        "  <item id=\"nav\" properties=\"nav\" href=\"Text/nav.xhtml\" media-type=\"application/xhtml+xml\" />\r\n"
        "  <item id=\"css\" href=\"Text/style.css\" media-type=\"text/css\" />\r\n"
        "  <item id=\"font\" href=\"Text/font.ttf\" media-type=\"font/ttf\" />\r\n"
        "  <item id=\"t01\" href=\"Text/01.xhtml\" media-type=\"application/xhtml+xml\" />\r\n"
        "  <item id=\"t02\" href=\"Text/02.xhtml\" media-type=\"application/xhtml+xml\" />\r\n"
        "</manifest>\r\n"
        "<spine toc=\"ncx\" page-progression-direction=\"rtl\">\r\n"
        "  <itemref idref=\"t01\" />\r\n"
        "  <itemref idref=\"t02\" />\r\n"
        "</spine>\r\n"
        "</package>";
    EXPECT_EQ(epub_opf(m, o, ID, 2), expected);

    // Horizontal, no font, an empty title: the file name stands in.
    o.vertical = false;
    o.font_name.clear();
    const std::string h = epub_opf(EpubMetadata{}, o, ID, 1);
    EXPECT_NE(h.find("  <dc:title>原稿</dc:title>\r\n"), std::string::npos);
    EXPECT_NE(h.find("<spine toc=\"ncx\" page-progression-direction=\"ltr\">"), std::string::npos);
    EXPECT_EQ(h.find("dc:creator"), std::string::npos);
    EXPECT_EQ(h.find("font/ttf"), std::string::npos);
    EXPECT_EQ(h.find("<meta property=\"page-progression-direction\""), std::string::npos);
}

TEST(EpubPackage, NavAndNcxListTheContents) {
    const std::vector<EpubContentsEntry> contents = {{1, "一章　発端"}, {3, "二章　結末&lt;"}};
    const std::string nav =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"
        "<!DOCTYPE html>\r\n"
        "<html xmlns=\"http://www.w3.org/1999/xhtml\" xmlns:epub=\"http://www.idpf.org/2007/ops\" xml:lang=\"ja\" lang=\"ja\">\r\n"
        "<head>\r\n"
        "<title>目次</title>\r\n"
        "<link rel=\"stylesheet\" type=\"text/css\" href=\"style.css\"/>\r\n"
        "</head>\r\n"
        "<body>\r\n"
        "<section class=\"frontmatter TableOfContents\">\r\n"
        "<header>\r\n"
        "</header>\r\n"
        "<nav epub:type=\"toc\" id=\"toc\">\r\n"
        "<h1>目次</h1>\r\n"
        "<ol>\r\n"
        "  <li class=\"chapter\" id=\"toc-1\">\r\n"
        "    <a href=\"01.xhtml\">一章　発端</a>\r\n"
        "  </li>\r\n"
        "  <li class=\"chapter\" id=\"toc-3\">\r\n"
        "    <a href=\"03.xhtml\">二章　結末&lt;</a>\r\n"
        "  </li>\r\n"
        "</ol>\r\n"
        "</nav>\r\n"
        "</section>\r\n"
        "</body>\r\n"
        "</html>";
    EXPECT_EQ(epub_nav(contents), nav);
    const std::string ncx =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\r\n"
        "<ncx xmlns=\"http://www.daisy.org/z3986/2005/ncx/\" version=\"2005-1\">\r\n"
        "<head>\r\n"
        "<meta name=\"dtb:uid\" content=\"urn:uuid:0f8fad5b-d9cb-469f-a165-70867728950e\"/>\r\n"
        "<meta name=\"dtb:depth\" content=\"1\"/>\r\n"
        "<meta name=\"dtb:totalPageCount\" content=\"0\"/>\r\n"
        "<meta name=\"dtb:maxPageNumber\" content=\"0\"/>\r\n"
        "</head>\r\n"
        "<docTitle>\r\n"
        "<text>本</text>\r\n"
        "</docTitle>\r\n"
        "<navMap>\r\n"
        "  <navPoint id=\"navpoint1\" playOrder=\"1\">\r\n"
        "    <navLabel>\r\n"
        "      <text>一章　発端</text>\r\n"
        "    </navLabel>\r\n"
        "    <content src=\"Text/01.xhtml\"/>\r\n"
        "  </navPoint>\r\n"
        "  <navPoint id=\"navpoint2\" playOrder=\"2\">\r\n"
        "    <navLabel>\r\n"
        "      <text>二章　結末&lt;</text>\r\n"
        "    </navLabel>\r\n"
        "    <content src=\"Text/03.xhtml\"/>\r\n"
        "  </navPoint>\r\n"
        "</navMap>\r\n"
        "</ncx>";
    EXPECT_EQ(epub_ncx(contents, ID, "本"), ncx);
}

TEST(EpubStyle, VerticalAndHorizontalSheets) {
    EpubOptions o = vertical_options();
    o.font_name = "my font.ttf";
    std::string expected =
        "@charset \"utf-8\";\r\n"
        "/* 縦書スタイル */\r\n"
        "html {\r\n"
        "width: 100%;\r\n"
        "-epub-writing-mode: vertical-rl;\r\n"
        "writing-mode: vertical-rl;\r\n"
        "-webkit-writing-mode: vertical-rl;\r\n"
        "}\r\n"
        "\r\n"
        "@font-face {\r\n"
        "font-family: \"font-name\"; src: url(\"my font.ttf\");\r\n"
        "}\r\n"
        "\r\n"
        "body {\r\n"
        "display: block;\r\n"
        "max-height: 40em;\r\n"
        "margin: auto;\r\n"
        "padding-top: 0.7em;\r\n"
        "padding-bottom: 0.3em;\r\n"
        "font-family: \"font-name\", \"@ＭＳ 明朝\", \"@MS Mincho\", \"ヒラギノ明朝 ProN W3\", \"HiraMinProN-W3\", serif, sans-serif;\r\n"
        "line-height: 1.90;\r\n"
        "font-size: 1.00em;\r\n"
        "}\r\n";
    for (const char* c : {"07", "08", "09", "11", "12", "13", "14"}) {
        const int n = std::stoi(c);
        expected += std::string("\r\n.s") + c + " {\r\nfont-size: " + std::to_string(n / 10) + "." +
                    std::to_string(n % 10) + "em;\r\ndisplay: inline;\r\n}\r\n";
    }
    EXPECT_EQ(epub_css(o), expected);

    o.vertical = false;
    o.font_name.clear();
    o.font_size_index = 0;
    o.line_spacing_index = 4;
    const std::string h = epub_css(o);
    EXPECT_EQ(h.find("writing-mode"), std::string::npos);
    EXPECT_EQ(h.find("@ＭＳ"), std::string::npos);
    EXPECT_NE(h.find("font-family: \"ＭＳ 明朝\", \"MS Mincho\","), std::string::npos);
    EXPECT_NE(h.find("line-height: 1.50;\r\nfont-size: 1.25em;"), std::string::npos);

    // A decimal comma in the user's locale never reaches the sheet.
    test::CommaLocale comma;
    o.line_spacing_index = 2;
    EXPECT_NE(epub_css(o).find("line-height: 1.90;"), std::string::npos);
    EXPECT_NE(epub_css(o).find("font-size: 0.7em;"), std::string::npos);
}

TEST(EpubText, KanjiNumerals) {
    const std::pair<int, const char*> cases[] = {{1, "一"},       {10, "十"},     {11, "十一"},   {20, "二十"},
                                                 {100, "百"},     {105, "百五"},  {110, "百十"},  {1000, "千"},
                                                 {1234, "千二百三十四"}, {9999, "九千九百九十九"}};
    for (const auto& [n, text] : cases) EXPECT_EQ(kanji_numeral(n), text) << n;
    EXPECT_EQ(kanji_numeral(0), "");
    EXPECT_EQ(kanji_numeral(10000), "");
}

// The body of content file n (between "<body>\r\n" and "\r\n</body>").
std::string body_of(const std::string& file) {
    const std::size_t a = file.find("<body>\r\n") + 8;
    return file.substr(a, file.find("\r\n</body>") - a);
}

TEST(EpubText, LinesIndentsSizeClassesRubiesAndEscaping) {
    Document doc;
    constexpr std::uint32_t STEP2 = 2u << 12, STEP6 = 6u << 12;
    test::build(doc,
                {sj("普通"), sj("大きい"), sj("小さい"),
                 test::ruby("かんじ", 2) + sj("漢字") + sj("の"),
                 test::ruby("ｶﾅ", 2) + "ab" + sj("字"),
                 test::ruby("ながいながいながいながいながいながいながいなが", 1) + sj("長"),
                 test::ruby("くち", 2) + sj("入") + test::tag("memo") + sj("口"),
                 "a<b & c>d\x01" + sj("字"),
                 sj("最後")},
                {0, STEP2, STEP6, test::format_word(2, 0, 1), 0, 0, test::format_word(15, 0, 4), 0, STEP2});
    const EpubText text = write_epub_text(doc, vertical_options(), "T");
    ASSERT_EQ(text.files.size(), 1u);
    EXPECT_TRUE(text.splits.empty());
    const std::string expected =
        "普通<br/>\r\n"
        "<span class=\"s12\">大きい</span><br/>\r\n"
        "<span class=\"s08\">小さい</span><br/>\r\n"
        "　　　<ruby><rb>漢字</rb><rp>《</rp><rt>かんじ</rt><rp>》</rp></ruby>の<br/>\r\n"
        "<ruby><rb>ab字</rb><rp>《</rp><rt>ｶﾅ</rt><rp>》</rp></ruby><br/>\r\n"
        "<ruby><rb>長</rb><rp>《</rp><rt>ながいながいながいながいながいながいながいなが</rt><rp>》</rp></ruby><br/>\r\n"
        "　　　　　　　　　　　　　　<ruby><rb>入口</rb><rp>《</rp><rt>くち</rt><rp>》</rp></ruby><br/>\r\n"
        "a&lt;b &amp; c&gt;d字<br/>\r\n"
        "<span class=\"s12\">最後</span>";
    EXPECT_EQ(body_of(text.files[0]), expected);
    EXPECT_NE(text.files[0].find("<title>T</title>"), std::string::npos);
}

std::vector<std::string> numbered_lines(int n) {
    std::vector<std::string> lines;
    for (int i = 0; i < n; ++i) lines.push_back(sj("行") + std::to_string(i));
    return lines;
}

TEST(EpubText, FilesSplitAtPageBreakEntriesAndBySize) {
    Document doc;
    test::build(doc, numbered_lines(120));
    // No entries: one file, one contents entry 一.
    EpubText one = write_epub_text(doc, vertical_options(), "T");
    ASSERT_EQ(one.files.size(), 1u);
    auto contents = epub_contents(one, doc.index, true);
    ASSERT_EQ(contents.size(), 1u);
    EXPECT_EQ(contents[0].label, "一");

    // Page-break entries at lines 0, 40 and 90 (level byte bit 3).
    doc.index = {{0, 0x08, sj("序")}, {40, 0x08, sj("破")}, {60, 0x01, sj("節")}, {90, 0x08, sj("急")}};
    EpubText three = write_epub_text(doc, vertical_options(), "T");
    ASSERT_EQ(three.files.size(), 3u);
    EXPECT_NE(body_of(three.files[0]).find("行39"), std::string::npos);
    EXPECT_EQ(body_of(three.files[0]).find("行40"), std::string::npos);
    EXPECT_EQ(body_of(three.files[1]).rfind("行40", 0), 0u);
    EXPECT_EQ(body_of(three.files[2]).rfind("行90", 0), 0u);
    contents = epub_contents(three, doc.index, true);
    ASSERT_EQ(contents.size(), 3u);
    EXPECT_EQ(contents[0].label, "一章　序");
    EXPECT_EQ(contents[1].label, "二章　破");
    EXPECT_EQ(contents[2].label, "三章　急");
    EXPECT_EQ(contents[2].file, 3);
    contents = epub_contents(three, doc.index, false);
    EXPECT_EQ(contents[1].label, "破");

    // Entry 0 at line 5 starts the second file; the first chapter has no
    // entry of its own and is named by its number.
    doc.index = {{5, 0x08, sj("本編")}};
    EpubText late = write_epub_text(doc, vertical_options(), "T");
    ASSERT_EQ(late.files.size(), 2u);
    ASSERT_EQ(late.splits.size(), 1u);
    EXPECT_EQ(late.splits[0].entry, 0);
    contents = epub_contents(late, doc.index, false);
    ASSERT_EQ(contents.size(), 2u);
    EXPECT_EQ(contents[0].label, "一");
    EXPECT_EQ(contents[1].label, "本編");

    // By size: 1 KB files, never more than a line over.
    test::build(doc, numbered_lines(400));
    EpubOptions o = vertical_options();
    o.split_by_size = true;
    o.split_kb = 1;
    const EpubText sized = write_epub_text(doc, o, "T");
    EXPECT_GE(sized.files.size(), 4u);
    std::string all;
    for (const std::string& f : sized.files) {
        EXPECT_LT(body_of(f).size(), 1024u + 64u);
        all += body_of(f) + "\r\n";
    }
    for (int i = 0; i < 399; ++i) EXPECT_NE(all.find("行" + std::to_string(i) + "<br/>"), std::string::npos) << i;
    EXPECT_NE(all.find("行399\r\n"), std::string::npos);
}

TEST(EpubZip, MimetypeFirstStoredAtOffset38AndTheContainer) {
    Document doc;
    test::build(doc, numbered_lines(3));
    const std::vector<EpubEntry> entries = epub_entries(doc, EpubMetadata{}, vertical_options(), ID);
    ASSERT_GE(entries.size(), 7u);
    EXPECT_EQ(entries[0].name, "mimetype");
    EXPECT_EQ(entries[1].name, "META-INF/container.xml");
    EXPECT_EQ(std::string(EPUB_CONTAINER_XML).size(), 264u);
    std::string zip, error;
    ASSERT_TRUE(pack_zip(entries, &zip, &error)) << error;
    ASSERT_GT(zip.size(), 60u);
    EXPECT_EQ(zip.compare(0, 4, "PK\x03\x04"), 0);
    EXPECT_EQ(zip[8], 0);                        // method 0: stored
    EXPECT_EQ(zip[9], 0);
    EXPECT_EQ(zip[28], 0);                       // no extra field
    EXPECT_EQ(zip[29], 0);
    EXPECT_EQ(zip.compare(30, 8, "mimetype"), 0);
    EXPECT_EQ(zip.compare(38, 20, "application/epub+zip"), 0);
}

}  // namespace
}  // namespace rix

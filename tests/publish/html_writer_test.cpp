// The HTML writer: the static page, the viewer page and the template
// against golden texts written from the description of the pages; size
// classes, colours, rubies whole, tag blocks dropped, indentation clamped,
// escaping, line ends, sizes that are zero, a comma locale.
// Owed: nothing here (tests/cli/html_test.sh parses and renders real pages).
#include "publish/html_writer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/document/doc_builder.h"
#include "tests/support/comma_locale.h"

namespace rix {
namespace {

using test::sj;

const HtmlDate DAY{2026, 12, 10};
constexpr std::uint32_t BOLD = 0x8000;
constexpr std::uint32_t colour_word(std::uint32_t index) { return 1u << 27 | index << 28; }
constexpr std::uint32_t indent_word(std::uint32_t start, std::uint32_t first) { return start << 20 | first << 24; }

// A vertical 20 × 20 screen: font 20 px, cells 25 px apart, columns 30 px
// apart, margins 50 px (start) and 60 px (top) of a 1000 × 600 window.
HtmlScreen screen() {
    HtmlScreen s;
    s.vertical = true;
    s.font_w = 20;
    s.char_pitch = 25;
    s.line_pitch = 30;
    s.start_origin = 50;
    s.top_origin = 60;
    s.client_w = 1000;
    s.client_h = 600;
    s.columns = 20;
    s.chars = 20;
    s.tiers = 1;
    s.tier_pitch = 520;
    s.cell_size = 24;
    s.grid_style = 3;
    s.cell_offset = -2;
    s.text_colour = 0x00332211;   // red 11, green 22, blue 33
    s.fill_colour = 0x00F0F8FF;
    s.grid_colour = 0x00808080;
    s.font_face = sj("@IPAexゴシック");
    s.font_weight = 700;
    s.line_start_prohibited = sj("、。");
    s.line_end_prohibited = sj("「（");
    return s;
}

// The style sheet of the static page up to the text's division.
std::string static_head(bool vertical, const std::string& title, const std::string& body_padding) {
    std::string s =
        "<!--- 2026.12.10「ミルトアver.7.11」により作成 --->\n"
        "<html>\n<head>\n"
        "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">\n"
        "<title>" + title + "</title>\n\n"
        "<style type=\"text/css\" media=\"screen\">\n<!--\n/* 全体のスタイル */\nbody {\n";
    if (vertical) s += "direction: rtl;\noverflow-y: auto;\n";
    s += "font-family: \"ＭＳ 明朝\", serif;\nfont-weight: normal;\nfont-size: medium;\ncolor: #112233;\n"
         "background-color: #FFF8F0;\nmargin: 0;\n}\n\n"
         "/* ヘッダーと本文の共通スタイル */\ndiv {\ndirection: ltr;\n}\n\n";
    if (!title.empty())
        s += "/* ヘッダーのスタイル */\ndiv.header {\nFONT-SIZE: 80%;\nOVERFLOW-X: auto;\nHEIGHT: 5%;\n}\n\n"
             ".header P {\nMARGIN: 0.6% 0px 0px 0.8%;\nTEXT-INDENT: 0px\n}\n\n";
    s += "/* 本文のスタイル */\ndiv.text {\n";
    if (vertical) s += "writing-mode: tb-rl;\noverflow: auto;\n";
    s += "line-height: 180%;\nletter-spacing: 0.25em;\n" + body_padding + "width: 100%;\nbox-sizing: border-box;\n}\n--></style>\n</head>\n\n<BODY>\n";
    if (!title.empty()) s += "<DIV class=header>\n<p>" + title + "</p>\n</DIV>\n\n";
    s += "<DIV class=text>\n";
    return s;
}

const char* const PAGE_END = "\n</DIV>\n</BODY>\n</html>\n";

TEST(HtmlPieces, SizeClassesColoursAndTheComment) {
    const std::vector<std::pair<int, const char*>> sizes = {
        {9, "x-large"}, {10, "x-small"}, {13, "x-small"}, {14, "small"}, {29, "x-large"}, {30, "x-large"}};
    for (const auto& [width, name] : sizes) EXPECT_STREQ(html_size_name(html_size_class(width)), name) << width;
    EXPECT_EQ(html_size_class(18), 2);
    EXPECT_EQ(html_size_class(22), 3);
    EXPECT_EQ(html_size_class(0), 4);

    EXPECT_EQ(rgb_hex(0x00332211), "112233");
    EXPECT_EQ(rgb_hex(0x000000FF), "FF0000");
    EXPECT_EQ(rgb_hex(0x00FF0000), "0000FF");
    EXPECT_EQ(rgb_hex(0xFFFFFFFF), "FFFFFF");   // the unused top byte never shows
    EXPECT_STREQ(COLOUR_NAMES[13], "fuchsia");
    EXPECT_STREQ(COLOUR_NAMES[7], "gray");
    EXPECT_EQ(html_generation_comment({2027, 1, 5}, "\r\n"), sj("<!--- 2027.01.05「ミルトアver.7.11」により作成 --->\r\n"));
}

TEST(HtmlStaticPage, VerticalWithHeaderRubiesIndentsAndTags) {
    Document doc;
    test::build(doc,
                {sj("ある日の暮方の事である。"),
                 sj("一人の") + test::ruby("げにん", 2) + sj("下人が、"),
                 sj("雨") + test::tag("private") + sj("やみ"),
                 "ab" + sj("あ"),
                 ""},
                {indent_word(1, 0), 0, 0, indent_word(2, 1), 0});
    HtmlCounts counts;
    const std::string page = vertical_html_page(doc, screen(), HtmlOptions{}, sj("羅生門"), DAY, &counts);
    const std::string expected = sj(static_head(true, "羅生門", "padding: 5% 5%;\nheight: 95%;\n") +
                                    "　ある日の暮方の事である。<br>"
                                    "一人の<RUBY><RB>下人</RB><RP>《</RP><RT>げにん</RT><RP>》</RP></RUBY>が、<br>"
                                    "雨やみ<br>"
                                    "　　　ab" "あ<br>"
                                    "<br>" +
                                    PAGE_END);
    EXPECT_EQ(page, expected);
    EXPECT_EQ(counts.lines, 5u);
    EXPECT_EQ(counts.rubies, 1u);
    EXPECT_EQ(page.find("private"), std::string::npos);
    EXPECT_EQ(page.find('\r'), std::string::npos);   // LF line ends only
}

TEST(HtmlStaticPage, HorizontalWithoutHeaderHasNoVerticalStyle) {
    Document doc;
    test::build(doc, {sj("本文")});
    HtmlScreen s = screen();
    s.vertical = false;
    const std::string page = vertical_html_page(doc, s, HtmlOptions{}, "", DAY);
    EXPECT_EQ(page, sj(static_head(false, "", "padding: 10% 5%;\nheight: 100%;\n") + "本文<br>" + PAGE_END));
    EXPECT_EQ(page.find("writing-mode"), std::string::npos);
    EXPECT_EQ(page.find("direction: rtl"), std::string::npos);
}

TEST(HtmlStaticPage, OptionsImageAndEscapedText) {
    Document doc;
    test::build(doc, {"a<b & c>d " + sj("＜表＞")});
    HtmlScreen s = screen();
    s.background_mode = 1;
    s.background_image = "washi.jpg";
    HtmlOptions o;
    o.font = 1;
    o.bold = true;
    const std::string page = vertical_html_page(doc, s, o, "<x>&\"", DAY);
    const std::string want_body = sj("font-family: \"ＭＳ ゴシック\",sans-serif;\nfont-weight: bold;\n");
    EXPECT_NE(page.find(want_body), std::string::npos);
    EXPECT_NE(page.find("background-image: url(washi.jpg);\nmargin: 0;\n"), std::string::npos);
    EXPECT_EQ(page.find("background-color"), std::string::npos);
    EXPECT_NE(page.find("<title>&lt;x&gt;&amp;\"</title>"), std::string::npos);
    EXPECT_NE(page.find("<p>&lt;x&gt;&amp;\"</p>"), std::string::npos);
    EXPECT_NE(page.find("a&lt;b &amp; c&gt;d " + sj("＜表＞") + "<br>"), std::string::npos);
}

TEST(HtmlStaticPage, LongRubiesNegativeIndentsAndZeroSizes) {
    // A reading of 15 characters (30 bytes) stays whole; a first-line
    // adjustment out of the margin writes no space; an indent of 15 + 4
    // writes 14; a zero font width and window size divide by nothing.
    Document doc;
    const char* long_reading = "あいうえおかきくけこさしすせそ";
    test::build(doc, {test::ruby(long_reading, 1) + sj("字"), sj("外"), sj("奥")},
                {0, indent_word(0, 7), indent_word(15, 4)});
    HtmlScreen s = screen();
    s.font_w = 0;
    s.client_w = 0;
    s.client_h = 0;
    const std::string page = vertical_html_page(doc, s, HtmlOptions{}, "", DAY);
    EXPECT_NE(page.find(sj(std::string("<RT>") + long_reading + "</RT>")), std::string::npos);
    EXPECT_NE(page.find(sj("》</RP></RUBY><br>外<br>")), std::string::npos);
    std::string fourteen;
    for (int i = 0; i < 14; ++i) fourteen += sj("　");
    EXPECT_NE(page.find("<br>" + fourteen + sj("奥<br>")), std::string::npos);
    EXPECT_EQ(page.find(fourteen + sj("　")), std::string::npos);
    EXPECT_NE(page.find("font-size: x-large;\n"), std::string::npos);
    EXPECT_NE(page.find("line-height: 120%;\nletter-spacing: 0.00em;\npadding: 0% 0%;\n"), std::string::npos);
}

TEST(HtmlStaticPage, NumbersIgnoreACommaLocale) {
    test::CommaLocale comma;
    if (!comma.active()) GTEST_SKIP() << "no decimal-comma locale could be made";
    Document doc;
    test::build(doc, {sj("本文")});
    HtmlScreen s = screen();
    const std::string page = vertical_html_page(doc, s, HtmlOptions{}, "", DAY);
    s.char_pitch = 18;   // narrower than the font: a negative spacing
    const std::string narrow = vertical_html_page(doc, s, HtmlOptions{}, "", DAY);
    comma.end();
    EXPECT_NE(page.find("letter-spacing: 0.25em;"), std::string::npos);
    EXPECT_NE(narrow.find("letter-spacing: -0.10em;"), std::string::npos);
    EXPECT_EQ(page.find("0,25"), std::string::npos);
}

// ---- the viewer page ----

std::string crlf(const std::string& lf) {
    std::string out;
    for (char c : lf) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

const char* const FALLBACK =
    "<em>あなたのブラウザはＪａｖａアプレットをサポートしていません。<br>\n"
    "Internet Explorerの場合はインターネットオプションのセキュリティ\n"
    "[Javaを有効にする]に設定してください。\n"
    "Netscapeの場合は「フルインストール」し直してください。<br>\n"
    "お問い合わせは「ミルトア」のヘルプの［サポート］をご覧ください。</em>\n";

TEST(HtmlViewerPage, FixedSizeOneDocumentEveryParameter) {
    HtmlOptions o;
    o.ruby_separators = 3;
    o.help_lines = 7;
    o.help_size = 1;
    o.help_colour = 13;
    o.guide_colour = 9;
    o.next_guide = o.prev_guide = true;
    o.back_button = true;
    const std::string page = applet_html_page(screen(), o, 0, sj("羅生門.txt"), "A & \"B\" <C>", DAY);
    const std::string expected = crlf(sj(
        std::string("<!--- 2026.12.10「ミルトアver.7.11」により作成 --->\n"
                    "<html>\n<head>\n"
                    "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">\n"
                    "<title>「ミルトア」縦書アプレット</title>\n</head>\n"
                    "<body bgcolor=black text=white>\n<center>\n<applet\n"
                    "code = \"rix.class\" width = \"1000\" height = \"600\">\n"
                    "<param name = \"version\" value = \"7.11\">\n"
                    "<param name = \"java_ver\" value = \"4.2\">\n"
                    "<param name = \"text\" value = \"羅生門.txt\">\n"
                    "<param name = \"multi_txt\" value = \"0\">\n"
                    "<param name = \"title\" value = \"A &amp; &quot;B&quot; &lt;C>\">\n"
                    "<param name = \"ev_vh\" value = \"0\">\n"
                    "<param name = \"ev_row\" value = \"20\">\n"
                    "<param name = \"ev_column\" value = \"20\">\n"
                    "<param name = \"ev_x_top\" value = \"50\">\n"
                    "<param name = \"ev_y_top\" value = \"60\">\n"
                    "<param name = \"clm_pitch\" value = \"25\">\n"
                    "<param name = \"line_pitch\" value = \"30\">\n"
                    "<param name = \"char_width\" value = \"20\">\n"
                    "<param name = \"ev_dan\" value = \"1\">\n"
                    "<param name = \"ev_dan_dot\" value = \"520\">\n"
                    "<param name = \"grid_width\" value = \"24\">\n"
                    "<param name = \"grid_type\" value = \"3\">\n"
                    "<param name = \"grid_pos\" value = \"-2\">\n"
                    "<param name = \"top_inhb\" value = \"、。\">\n"
                    "<param name = \"btm_inhb\" value = \"「（\">\n"
                    "<param name = \"ruby_use\" value = \"1\">\n"
                    "<param name = \"ruby_sep\" value = \"《》\">\n"
                    "<param name = \"font\" value = \"0\">\n"
                    "<param name = \"bold\" value = \"0\">\n"
                    "<param name = \"pg_guide\" value = \"2\">\n"
                    "<param name = \"back_color\" value = \"FFF8F0\">\n"
                    "<param name = \"tx_col\" value = \"112233\">\n"
                    "<param name = \"grid_col\" value = \"808080\">\n"
                    "<param name = \"guide_col\" value = \"FF0000\">\n") +
        FALLBACK +
        "</applet>\n<br>\n"
        "<font color = fuchsia size = 3>\n"
        "画面左右のクリックでページが替わります。キー（←･→･Up･Down）も使えます。<br>\n"
        "画面右下の［ヘルプ］のクリックで操作説明画面が開きます。<br>\n"
        "</font>\n"
        "<form><input type=BUTTON value=\"戻 る\" onClick=\"history.go(-1)\"></form>\n"
        "</center>\n</body>\n</html>\n"));
    EXPECT_EQ(page, expected);
}

TEST(HtmlViewerPage, PercentagesListPagesAndRubySettings) {
    HtmlScreen s = screen();
    s.vertical = false;
    HtmlOptions o;
    o.percent_size = true;
    o.width_percent = 80;
    o.height_percent = 90;
    o.help_lines = 2;
    o.font = 1;
    o.bold = true;
    o.next_guide = true;
    const std::string page = applet_html_page(s, o, -1, "list_001.txt", "", DAY);
    for (const char* line : {"code = \"rix.class\" width = \"80%\" height = \"90%\">\r\n",
                             "<param name = \"text\" value = \"list_001.txt\">\r\n",
                             "<param name = \"multi_txt\" value = \"-1\">\r\n",
                             "<param name = \"title\" value = \"\">\r\n",
                             "<param name = \"ev_vh\" value = \"1\">\r\n",
                             "<param name = \"ev_row\" value = \"0\">\r\n",
                             "<param name = \"ev_column\" value = \"0\">\r\n",
                             "<param name = \"ruby_use\" value = \"0\">\r\n",
                             "<param name = \"ruby_sep\" value = \"\">\r\n",
                             "<param name = \"font\" value = \"1\">\r\n",
                             "<param name = \"bold\" value = \"1\">\r\n",
                             "<param name = \"pg_guide\" value = \"1\">\r\n",
                             "<param name = \"guide_col\" value = \"000000\">\r\n",
                             "<font color = black size = 2>\r\n"})
        EXPECT_NE(page.find(line), std::string::npos) << line;
    // The list line only on a page of several documents; no back button.
    const std::string list_line = sj("マウスの右クリックまたはctrlキー＋クリックで文書の選択ボックスが開きます。<br>\r\n");
    EXPECT_NE(page.find(list_line), std::string::npos);
    EXPECT_EQ(applet_html_page(s, o, 0, "a.txt", "", DAY).find(list_line), std::string::npos);
    EXPECT_EQ(page.find("<form>"), std::string::npos);

    const std::vector<std::pair<int, std::string>> pairs = {
        {1, sj("（）")}, {2, sj("〈〉")}, {3, sj("《》")}, {4, sj("【】")}};
    o.custom_separators = sj("【】");
    for (const auto& [mode, pair] : pairs) {
        o.ruby_separators = mode;
        const std::string p = applet_html_page(s, o, 2, "list_001.txt", "", DAY);
        EXPECT_NE(p.find("<param name = \"ruby_sep\" value = \"" + pair + "\">\r\n"), std::string::npos) << mode;
        EXPECT_NE(p.find("<param name = \"ruby_use\" value = \"1\">\r\n"), std::string::npos) << mode;
    }
}

TEST(HtmlViewerPage, EveryLineEndsInCrLf) {
    HtmlOptions o;
    o.help_lines = 7;
    o.back_button = true;
    const std::string page = applet_html_page(screen(), o, 1, "a.txt", "t", DAY);
    ASSERT_FALSE(page.empty());
    for (std::size_t i = 0; i < page.size(); ++i) {
        if (page[i] == '\n') {
            EXPECT_TRUE(i > 0 && page[i - 1] == '\r') << i;
        } else if (page[i] == '\r') {
            EXPECT_TRUE(i + 1 < page.size() && page[i + 1] == '\n') << i;
        }
    }
    EXPECT_EQ(page.substr(page.size() - 9), "</html>\r\n");
}

// ---- the template ----

TEST(HtmlTemplate, BoldAndColourTransitionsNest) {
    Document doc;
    test::build(doc, {sj("一"), sj("二"), sj("三"), sj("四"), test::ruby("ご", 1) + sj("五六")},
                {0, BOLD, BOLD | colour_word(9), colour_word(12) | indent_word(1, 0), 0});
    HtmlCounts counts;
    const std::string page = template_html_page(doc, screen(), DAY, &counts);
    const std::string expected = crlf(sj(
        "<!--- 2026.12.10「ミルトアver.7.11」により作成 --->\n"
        "<html>\n<head>\n"
        "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">\n"
        "<style type=\"text/css\">\n<!--\nbody {\n"
        "overflow-x: auto;\noverflow-y: hidden;\n"
        "background-color: #FFF8F0;\nmargin: 0;\n}\n\n"
        "div.text {\n"
        "writing-mode: tb-rl;\noverflow: auto;\n"
        "line-height: 150%;\nletter-spacing: 0.25em;\n"
        "padding: 10% 5%;\nwidth: 100%;\nheight: 94%;\nbox-sizing: border-box;\n"
        "font-family: \"ＭＳ ゴシック\",sans-serif;\nfont-weight: bold;\n"
        "font-size: medium;\ncolor: #112233;\n"
        "}\n--></style>\n</head>\n\n<BODY>\n<DIV class=text>\n"
        "一<br>\n"
        "<B>二<br>\n"
        "<font color=\"#FF0000\">三<br>\n"
        "</font></B><font color=\"#0000FF\">　四<br>\n"
        "</font><RUBY><RB>五</RB><RP>《</RP><RT>ご</RT><RP>》</RP></RUBY>六<br>\n"
        "\n</DIV>\n</BODY>\n</html>\n"));
    EXPECT_EQ(page, expected);
    EXPECT_EQ(counts.lines, 5u);

    // A Mincho face of normal weight, horizontal, a full image; a colour
    // and bold still open at the end are closed before the division ends.
    test::build(doc, {sj("終")}, {BOLD | colour_word(2)});
    HtmlScreen s = screen();
    s.vertical = false;
    s.font_face = sj("@ＭＳ 明朝");
    s.font_weight = 400;
    s.background_mode = 2;
    s.background_image = "full.jpg";
    const std::string h = template_html_page(doc, s, DAY);
    EXPECT_NE(h.find(sj("font-family: \"ＭＳ 明朝\", serif;\r\nfont-weight: normal;\r\n")), std::string::npos);
    EXPECT_NE(h.find("body {\r\nbackground-image: url(full.jpg);\r\nmargin: 0;\r\n"), std::string::npos);
    EXPECT_EQ(h.find("writing-mode"), std::string::npos);
    EXPECT_NE(h.find(sj("<B><font color=\"#008000\">終<br>\r\n</font></B>\r\n</DIV>")), std::string::npos);
}

}  // namespace
}  // namespace rix

// The mail URL: the query with and without titles and with an address that
// has a query of its own; the escapes of "&", "?" and line breaks; rubies
// and tag blocks leaving no trace; wrapping with indentation and the break
// rule; the cut past 2000 bytes with the CR LF rest; the desktop form's
// percent-encoding.
// Owed: nothing here (the command and the clipboard are in tests/app/mail_command_test.cpp).
#include "publish/mail_url.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/document/doc_builder.h"

namespace rix {
namespace {

using test::sj;

const std::string SPACE = "\x81\x40";   // an ideographic space

std::string repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

struct MailUrlTest : ::testing::Test {
    Document doc;
    WrapRules rules = test::rules(20, 1);

    MailUrl mail(const std::vector<std::string>& lines, const std::vector<std::uint32_t>& words = {},
                 std::string_view title = {}, std::string_view print_title = {},
                 std::string_view address = "mailto:") {
        test::build(doc, lines, words);
        return compose_mail_url(address, doc, rules, title, print_title);
    }
};

TEST(EscapeMailByte, UrlAndClipboardForms) {
    char out[3];
    auto as = [&](bool clipboard, std::uint8_t b) { return std::string(out, escape_mail_byte(clipboard, b, out)); };
    EXPECT_EQ(as(false, '&'), "%26");
    EXPECT_EQ(as(false, '?'), "%3F");
    EXPECT_EQ(as(false, '\n'), "%0A");
    EXPECT_EQ(as(false, '%'), "%");
    EXPECT_EQ(as(false, 0x82), "\x82");
    EXPECT_EQ(as(true, '&'), "&");
    EXPECT_EQ(as(true, '?'), "?");
    EXPECT_EQ(as(true, '\n'), "\r\n");
}

TEST_F(MailUrlTest, TheQueryTakesTheLongerTitle) {
    EXPECT_EQ(mail({"abc"}).url, "mailto:?body=abc");
    EXPECT_EQ(mail({"abc"}, {}, sj("羅生門")).url, "mailto:?subject=" + sj("羅生門") + "&body=abc");
    EXPECT_EQ(mail({"abc"}, {}, sj("羅生門"), sj("今昔物語より")).url,
              "mailto:?subject=" + sj("今昔物語より") + "&body=abc");
    EXPECT_EQ(mail({"abc"}, {}, sj("羅生門"), sj("下人")).url, "mailto:?subject=" + sj("羅生門") + "&body=abc");
    EXPECT_EQ(mail({"abc"}, {}, "", sj("下人")).url, "mailto:?subject=" + sj("下人") + "&body=abc");
    EXPECT_EQ(mail({"abc"}, {}, "", "", "mailto:a@b.jp").url, "mailto:a@b.jp?body=abc");
    // An address with a query of its own: subject and body are further fields.
    EXPECT_EQ(mail({"abc"}, {}, "T", "", "mailto:a@b.jp?cc=c@d.jp").url, "mailto:a@b.jp?cc=c@d.jp&subject=T&body=abc");
    EXPECT_FALSE(mail({"abc"}).cut);
    EXPECT_TRUE(mail({"abc"}).remainder.empty());
}

TEST_F(MailUrlTest, AmpersandQuestionMarkAndLineBreaksAreEscaped) {
    EXPECT_EQ(mail({"A&B?", ""}).url, "mailto:?body=A%26B%3F%0A");
    EXPECT_EQ(mail({sj("一行目"), "", sj("三行目")}).url, "mailto:?body=" + sj("一行目") + "%0A%0A" + sj("三行目"));
    // Half-width pairs share a cell and are escaped each.
    EXPECT_EQ(mail({"?&"}).url, "mailto:?body=%3F%26");
}

TEST_F(MailUrlTest, RubyReadingsAndTagBlocksLeaveNoTrace) {
    const MailUrl m = mail({sj("その") + test::ruby("らしょうもん", 3) + sj("羅生門の下"), sj("で") + test::ruby("", 1) + sj("雨")});
    EXPECT_EQ(m.url, "mailto:?body=" + sj("その羅生門の下%0Aで雨"));
    EXPECT_EQ(m.url.find(sj("らしょうもん")), std::string::npos);
    // A tag's text (with bytes that look like lead bytes and escapes) is
    // skipped whole, and the character after it stays whole.
    const std::string secret = std::string("secret&?\x82", 9);
    const MailUrl t = mail({sj("前") + test::tag(secret) + sj("後") + test::tag("x") + "z"});
    EXPECT_EQ(t.url, "mailto:?body=" + sj("前後") + "z");
    EXPECT_EQ(desktop_mail_url(t).find("secret"), std::string::npos);
}

TEST_F(MailUrlTest, TheBodyWrapsAsTheScreenWithIndentation) {
    rules = test::rules(5, 1);
    // Start indentation 1: every display line begins with one space and holds 4 cells.
    EXPECT_EQ(mail({sj("あいうえおかき")}, {test::format_word(1, 0, 0)}).url,
              "mailto:?body=" + SPACE + sj("あいうえ") + "%0A" + SPACE + sj("おかき"));
    // First-line adjustment 2 on top: 3 spaces and 2 cells on the first display line only.
    EXPECT_EQ(mail({sj("あいうえおかき")}, {test::format_word(1, 0, 2)}).url,
              "mailto:?body=" + repeat(SPACE, 3) + sj("あい") + "%0A" + SPACE + sj("うえおか") + "%0A" + SPACE + sj("き"));
    // End indentation 2: 3 cells a display line, and only the indented line is affected.
    EXPECT_EQ(mail({sj("あいうえお"), sj("かきく")}, {test::format_word(0, 2, 0), 0}).url,
              "mailto:?body=" + sj("あいう") + "%0A" + sj("えお") + "%0A" + sj("かきく"));
    // An outdent beyond the indentation reads as none.
    EXPECT_EQ(mail({sj("あいう")}, {test::format_word(0, 0, 6)}).url, "mailto:?body=" + sj("あいう"));
}

TEST_F(MailUrlTest, AClosingBracketHangsAtTheLineEnd) {
    rules = test::rules(5, 1);
    // 」 may not begin a line: it stays on the full line, and the break follows it.
    EXPECT_EQ(mail({sj("あいうえお」かき")}).url, "mailto:?body=" + sj("あいうえお」") + "%0A" + sj("かき"));
    // A line that ends on a full display line (the bracket hanging or not)
    // breaks once, with the line end: the screen's empty display line after
    // it is no blank line in the mail, nor a break after the text's end.
    EXPECT_EQ(mail({sj("あいうえお」"), sj("か")}).url, "mailto:?body=" + sj("あいうえお」") + "%0A" + sj("か"));
    EXPECT_EQ(mail({sj("あいうえお"), sj("か")}).url, "mailto:?body=" + sj("あいうえお") + "%0A" + sj("か"));
    EXPECT_EQ(mail({sj("か"), sj("あいうえお」")}).url, "mailto:?body=" + sj("か") + "%0A" + sj("あいうえお」"));
    EXPECT_EQ(mail({sj("あいうえ") + test::ruby("よみ", 1) + sj("お") + test::tag("t")}, {}).url,
              "mailto:?body=" + sj("あいうえお"));
    // Without kinsoku the bracket begins the next line.
    rules = test::rules(5, 0);
    EXPECT_EQ(mail({sj("あいうえお」か")}).url, "mailto:?body=" + sj("あいうえお") + "%0A" + sj("」か"));
}

TEST_F(MailUrlTest, ALongBodyIsCutPast2000BytesAndGoesOnWithCrLf) {
    // "mailto:?body=" is 13 bytes, a full line of 20 あ with its break 43:
    // 46 lines reach 1991 bytes, the fifth い of the next line 2001.
    std::vector<std::string> lines(46, repeat(sj("あ"), 20));
    lines.push_back(repeat(sj("い"), 5) + sj("う") + repeat(sj("え"), 14));
    lines.push_back(sj("お") + "&?");
    const MailUrl m = mail(lines);
    EXPECT_EQ(m.url, "mailto:?body=" + repeat(repeat(sj("あ"), 20) + "%0A", 46) + repeat(sj("い"), 5));
    EXPECT_EQ(m.url.size(), 2001u);
    EXPECT_TRUE(m.cut);
    EXPECT_EQ(m.remainder, sj("う") + repeat(sj("え"), 14) + "\r\n" + sj("お") + "&?");
    EXPECT_EQ(m.parts.size(), m.url.size());
}

TEST_F(MailUrlTest, ExactlyTheLimitIsNoCutAndAFinalCharacterLeavesNoEmptyRest) {
    rules = test::rules(2000, 1);
    // 13 + 1 + 993 × 2 = 2000 bytes: within the limit.
    MailUrl m = mail({"a" + repeat(sj("あ"), 993)});
    EXPECT_EQ(m.url.size(), 2000u);
    EXPECT_FALSE(m.cut);
    // One character more passes the limit, but nothing is left to paste.
    m = mail({"a" + repeat(sj("あ"), 994)});
    EXPECT_EQ(m.url.size(), 2002u);
    EXPECT_FALSE(m.cut);
    EXPECT_TRUE(m.remainder.empty());
    // A half-width pair is one step: both its bytes stay in the URL.
    m = mail({"a" + repeat(sj("あ"), 993) + "bcd"});
    EXPECT_EQ(m.url.substr(2000), "bc");
    EXPECT_EQ(m.remainder, "d");
    EXPECT_TRUE(m.cut);
}

TEST_F(MailUrlTest, TheDesktopFormEncodesTextOnce) {
    const MailUrl m = mail({"a#b%c+d e" + sj("日本") + "&%26?", ""}, {}, sj("A&B"));
    EXPECT_EQ(desktop_mail_url(m),
              "mailto:?subject=A%26B&body=a%23b%25c%2Bd%20e%E6%97%A5%E6%9C%AC%26%2526%3F%0A");
    // Indentation is text too: U+3000.
    EXPECT_EQ(desktop_mail_url(mail({"x"}, {test::format_word(1, 0, 0)})), "mailto:?body=%E3%80%80x");
    // The address keeps its query punctuation and own escapes; a fragment
    // mark, which would hide the body, is encoded.
    EXPECT_EQ(desktop_mail_url(mail({"x"}, {}, "", "", "mailto:a.b@c.jp?cc=d%40e.jp")),
              "mailto:a.b@c.jp?cc=d%40e.jp&body=x");
    EXPECT_EQ(desktop_mail_url(mail({"x"}, {}, "", "", "mailto:a@b.jp#f")), "mailto:a@b.jp%23f?body=x");
}

TEST(MailAddress, OnlyMailtoInAnyCase) {
    EXPECT_TRUE(is_mail_address("mailto:"));
    EXPECT_TRUE(is_mail_address("MailTo:a@b.jp"));
    EXPECT_FALSE(is_mail_address("http://a.jp"));
    EXPECT_FALSE(is_mail_address("mailto"));
}

}  // namespace
}  // namespace rix

// The HTML writer: the static vertical page, the viewer page, the template.
#include "publish/html_writer.h"

#include <algorithm>
#include <charconv>

#include "display/screen_format.h"
#include "document/line_table.h"
#include "document/storage.h"
#include "platform/codec.h"
#include "platform/text_tools.h"

namespace rix {

const char* const COLOUR_NAMES[16] = {"black", "maroon", "green", "olive",   "navy", "purple", "teal", "gray",
                                      "silver", "red",   "lime",  "yellow", "blue", "fuchsia", "aqua", "white"};

namespace {

// Literals below are UTF-8 in the source; the pages are code page 932, so
// every Japanese literal goes through sj() once.
std::string sj(std::string_view utf8) { return utf8_to_sjis(utf8); }

const char IDEOGRAPHIC_SPACE[] = "\x81\x40";       // 　 in code page 932
// The text's box holds its padding: without this a browser of today adds
// the padding to the 100 % and puts the first columns (the right edge of
// vertical text) and the ends of the columns outside the window.
const char BORDER_BOX[] = "box-sizing: border-box;\n";
const char* const SIZE_NAMES[5] = {"x-small", "small", "medium", "large", "x-large"};

std::string number(long long n) {
    char buf[24];
    const auto r = std::to_chars(buf, buf + sizeof buf, n);
    return std::string(buf, r.ptr);
}

// "%.2f" of v without the locale.
std::string fixed2(double v) {
    char buf[40];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 2);
    return std::string(buf, r.ptr);
}

// a × b / c in integers, 0 when c is not positive (an unknown size).
long long scaled(long long a, long long b, long long c) { return c > 0 ? a * b / c : 0; }

// "line-height: %d%%;\nletter-spacing: %.2fem;\n": the column pitch against
// the font width (× `percent`) and the character pitch less one font width.
// An unknown font width gives the plain values (one font width each).
std::string spacing_lines(const HtmlScreen& s, int percent) {
    const long long height = s.font_w > 0 ? scaled(s.line_pitch, percent, s.font_w) : percent;
    const double spacing = s.font_w > 0 ? static_cast<double>(s.char_pitch) / s.font_w - 1.0 : 0.0;
    return "line-height: " + number(height) + "%;\nletter-spacing: " + fixed2(spacing) + "em;\n";
}

std::string background_lines(const HtmlScreen& s) {
    if (s.background_mode != 0 && !s.background_image.empty())
        return "background-image: url(" + escape_markup(s.background_image, Markup::HTML_ATTRIBUTE) + ");\n";
    return "background-color: #" + rgb_hex(s.fill_colour) + ";\n";
}

const char* font_family(bool mincho) {
    static const std::string MINCHO = sj("\"ＭＳ 明朝\", serif"), GOTHIC = sj("\"ＭＳ ゴシック\",sans-serif");
    return mincho ? MINCHO.c_str() : GOTHIC.c_str();
}

const std::string& encoding_meta() {
    static const std::string META = "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=Shift_JIS\">";
    return META;
}

// Text in LF form becomes CR LF (the pages written "in text mode").
std::string crlf(std::string_view lf) {
    std::string out;
    out.reserve(lf.size() + lf.size() / 16);
    for (char c : lf) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}


// ---- the walk of the document's lines ----

// Writes the lines of a document one after the other: each begins with its
// indent and ends with "<br>" + `line_end`; characters and half-width pairs
// copied, rubies as ruby markup over their bases, tag blocks dropped. The
// template's per-line attributes go through `open_line`.
class LineWalk {
public:
    LineWalk(std::string* out, std::string_view line_end) : out_(out), line_end_(line_end) {}
    template <typename OpenLine>
    HtmlCounts walk(Document& doc, OpenLine open_line) {
        HtmlCounts counts;
        const std::uint32_t count = doc.lines.count();
        for (std::uint32_t l = 0; l < count; ++l) {
            const std::uint8_t* p = doc.line_pointer(l);
            if (!p) break;
            const std::uint32_t word = doc.formats.word(l);
            open_line(word);
            const int indent = static_cast<int>(start_indent(word)) + first_line_adjustment(word);
            for (int i = 0; i < std::clamp(indent, 0, HTML_MAX_INDENT); ++i) *out_ += IDEOGRAPHIC_SPACE;
            ++counts.lines;
            const bool text_end = walk_line(p, &counts);
            flush();
            *out_ += "<br>";
            *out_ += line_end_;
            if (text_end) break;
        }
        return counts;
    }

private:
    void flush() {
        append_markup(out_, pending_, Markup::HTML_TEXT);
        pending_.clear();
    }
    static bool is_cell(ItemKind k) { return k == ItemKind::DOUBLE || k == ItemKind::SINGLE || k == ItemKind::PAIR; }

    // One stored line; true when the text ends in it.
    bool walk_line(const std::uint8_t* p, HtmlCounts* counts) {
        LineScanner scanner(p, MAX_LINE_SCAN);
        ScanItem it = scanner.next();
        for (;;) {
            if (is_cell(it.kind)) {
                pending_.append(reinterpret_cast<const char*>(p) + it.column, it.length);
                it = scanner.next();
            } else if (it.kind == ItemKind::RUBY) {
                write_ruby(p, it, scanner, &it, counts);
            } else if (it.kind == ItemKind::TAG || it.kind == ItemKind::IGNORED) {
                it = scanner.next();
            } else {
                return it.kind == ItemKind::TEXT_END;
            }
        }
    }

    // The ruby block `it` over its base (document/storage.h); the reading
    // is taken whole.
    void write_ruby(const std::uint8_t* p, const ScanItem& it, LineScanner& scanner, ScanItem* next,
                    HtmlCounts* counts) {
        const RubyRun run = read_ruby_run(p, it, scanner);
        *next = run.next;
        const std::string& ruby = run.reading;
        const std::string& base = run.base;
        if (ruby.empty() || base.empty()) {
            pending_ += base;
            return;
        }
        flush();
        *out_ += "<RUBY><RB>";
        append_markup(out_, base, Markup::HTML_TEXT);
        *out_ += "</RB><RP>" + sj("《") + "</RP><RT>";
        append_markup(out_, ruby, Markup::HTML_TEXT);
        *out_ += "</RT><RP>" + sj("》") + "</RP></RUBY>";
        ++counts->rubies;
    }

    std::string* out_;
    std::string_view line_end_;
    std::string pending_;
};

void head(std::string* s, const HtmlDate& date) {
    *s += html_generation_comment(date, "\n");
    *s += "<html>\n<head>\n" + encoding_meta() + "\n";
}

}  // namespace

int html_size_class(int font_w) { return font_w >= 10 && font_w <= 29 ? (font_w - 10) / 4 : 4; }

const char* html_size_name(int size_class) { return SIZE_NAMES[size_class >= 0 && size_class < 5 ? size_class : 4]; }

std::string rgb_hex(std::uint32_t c) {
    static const char HEX[] = "0123456789ABCDEF";
    const unsigned bytes[3] = {c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF};
    std::string s;
    for (unsigned b : bytes) {
        s += HEX[b >> 4];
        s += HEX[b & 0x0F];
    }
    return s;
}

std::string html_generation_comment(const HtmlDate& date, std::string_view line_end) {
    auto digits = [](int n, std::size_t width) {
        std::string s = number(n < 0 ? 0 : n);
        if (s.size() < width) s.insert(0, width - s.size(), '0');
        return s;
    };
    return "<!--- " + digits(date.year, 4) + "." + digits(date.month, 2) + "." + digits(date.day, 2) +
           sj("「ミルトアver.7.11」により作成") + " --->" + std::string(line_end);
}

std::string html_ruby_separator_pair(const HtmlOptions& o) {
    switch (o.ruby_separators) {
        case 1: return sj("（）");
        case 2: return sj("〈〉");
        case 3: return sj("《》");
        case 4: return std::string(o.custom_separators.substr(0, cut_on_boundary(o.custom_separators, 4)));
        default: return {};
    }
}

std::string vertical_html_page(Document& doc, const HtmlScreen& sc, const HtmlOptions& o, std::string_view title,
                               const HtmlDate& date, HtmlCounts* counts) {
    const bool header = !title.empty();
    std::string s;
    head(&s, date);
    s += "<title>" + escape_markup(title, Markup::HTML_TEXT) + "</title>\n\n";
    s += "<style type=\"text/css\" media=\"screen\">\n<!--\n" + sj("/* 全体のスタイル */") + "\nbody {\n";
    if (sc.vertical) s += "direction: rtl;\noverflow-y: auto;\n";
    s += std::string("font-family: ") + font_family(o.font == 0) + ";\nfont-weight: " + (o.bold ? "bold" : "normal") +
         ";\n";
    s += std::string("font-size: ") + html_size_name(html_size_class(sc.font_w)) + ";\n";
    s += "color: #" + rgb_hex(sc.text_colour) + ";\n";
    s += background_lines(sc);
    s += "margin: 0;\n}\n\n";
    s += sj("/* ヘッダーと本文の共通スタイル */") + "\ndiv {\ndirection: ltr;\n}\n\n";
    if (header) {
        s += sj("/* ヘッダーのスタイル */") + "\ndiv.header {\nFONT-SIZE: 80%;\nOVERFLOW-X: auto;\nHEIGHT: 5%;\n}\n\n";
        s += ".header P {\nMARGIN: 0.6% 0px 0px 0.8%;\nTEXT-INDENT: 0px\n}\n\n";
    }
    s += sj("/* 本文のスタイル */") + "\ndiv.text {\n";
    if (sc.vertical) s += "writing-mode: tb-rl;\noverflow: auto;\n";
    s += spacing_lines(sc, 120);
    const int h = header ? 1 : 0;
    const long long top = std::max(0LL, scaled(sc.top_origin, 100, sc.client_h) - 5 * h);
    const long long left = scaled(sc.start_origin, 100, sc.client_w);
    s += "padding: " + number(top) + "% " + number(left) + "%;\nheight: " + number(100 - 5 * h) +
         "%;\nwidth: 100%;\n" + BORDER_BOX;
    s += "}\n--></style>\n</head>\n\n";
    s += "<BODY>\n";
    if (header) s += "<DIV class=header>\n<p>" + escape_markup(title, Markup::HTML_TEXT) + "</p>\n</DIV>\n\n";
    s += "<DIV class=text>\n";
    LineWalk walk(&s, "");
    const HtmlCounts c = walk.walk(doc, [](std::uint32_t) {});
    if (counts) *counts = c;
    s += "\n</DIV>\n</BODY>\n</html>\n";
    return s;
}

std::string applet_html_page(const HtmlScreen& sc, const HtmlOptions& o, int mode, std::string_view text_name,
                             std::string_view title, const HtmlDate& date) {
    std::string s;
    head(&s, date);
    s += "<title>" + sj("「ミルトア」縦書アプレット") + "</title>\n</head>\n<body bgcolor=black text=white>\n";
    s += "<center>\n<applet\n";
    if (o.percent_size)
        s += "code = \"rix.class\" width = \"" + number(o.width_percent) + "%\" height = \"" + number(o.height_percent) +
             "%\">\n";
    else
        s += "code = \"rix.class\" width = \"" + number(sc.client_w) + "\" height = \"" + number(sc.client_h) + "\">\n";
    auto text = [&s](const char* name, std::string_view value) {
        s += std::string("<param name = \"") + name + "\" value = \"" + escape_markup(value, Markup::HTML_ATTRIBUTE) + "\">\n";
    };
    auto num = [&s](const char* name, long long value) {
        s += std::string("<param name = \"") + name + "\" value = \"" + number(value) + "\">\n";
    };
    auto colour = [&s](const char* name, std::uint32_t colorref) {
        s += std::string("<param name = \"") + name + "\" value = \"" + rgb_hex(colorref) + "\">\n";
    };
    text("version", "7.11");
    text("java_ver", "4.2");
    text("text", text_name);
    num("multi_txt", mode);
    text("title", title);
    num("ev_vh", sc.vertical ? 0 : 1);
    num("ev_row", o.percent_size ? 0 : sc.columns);
    num("ev_column", o.percent_size ? 0 : sc.chars);
    num("ev_x_top", sc.start_origin);
    num("ev_y_top", sc.top_origin);
    num("clm_pitch", sc.char_pitch);
    num("line_pitch", sc.line_pitch);
    num("char_width", sc.font_w);
    num("ev_dan", sc.tiers);
    num("ev_dan_dot", sc.tier_pitch);
    num("grid_width", sc.cell_size);
    num("grid_type", sc.grid_style);
    num("grid_pos", sc.cell_offset);
    text("top_inhb", sc.line_start_prohibited);
    text("btm_inhb", sc.line_end_prohibited);
    num("ruby_use", o.ruby_separators != 0 ? 1 : 0);
    text("ruby_sep", html_ruby_separator_pair(o));
    num("font", o.font);
    num("bold", o.bold ? 1 : 0);
    num("pg_guide", (o.next_guide ? 1 : 0) + (o.prev_guide ? 1 : 0));
    colour("back_color", sc.fill_colour);
    colour("tx_col", sc.text_colour);
    colour("grid_col", sc.grid_colour);
    colour("guide_col", BASIC_PALETTE[o.guide_colour & 0x0F]);
    s += sj("<em>あなたのブラウザはＪａｖａアプレットをサポートしていません。<br>\n"
            "Internet Explorerの場合はインターネットオプションのセキュリティ\n"
            "[Javaを有効にする]に設定してください。\n"
            "Netscapeの場合は「フルインストール」し直してください。<br>\n"
            "お問い合わせは「ミルトア」のヘルプの［サポート］をご覧ください。</em>\n");
    s += "</applet>\n<br>\n";
    s += std::string("<font color = ") + COLOUR_NAMES[o.help_colour & 0x0F] + " size = " +
         number(std::clamp(o.help_size, 0, 2) + 2) + ">\n";
    if (o.help_lines & 1)
        s += sj("画面左右のクリックでページが替わります。キー（←･→･Up･Down）も使えます。<br>\n");
    if ((o.help_lines & 2) && mode != 0)
        s += sj("マウスの右クリックまたはctrlキー＋クリックで文書の選択ボックスが開きます。<br>\n");
    if (o.help_lines & 4) s += sj("画面右下の［ヘルプ］のクリックで操作説明画面が開きます。<br>\n");
    s += "</font>\n";
    if (o.back_button)
        s += sj("<form><input type=BUTTON value=\"戻 る\" onClick=\"history.go(-1)\"></form>\n");
    s += "</center>\n</body>\n</html>\n";
    return crlf(s);
}

std::string template_html_page(Document& doc, const HtmlScreen& sc, const HtmlDate& date, HtmlCounts* counts) {
    std::string s;
    head(&s, date);
    s += "<style type=\"text/css\">\n<!--\nbody {\n";
    if (sc.vertical) s += "overflow-x: auto;\noverflow-y: hidden;\n";
    s += background_lines(sc);
    s += "margin: 0;\n}\n\n";
    s += "div.text {\n";
    if (sc.vertical) s += "writing-mode: tb-rl;\noverflow: auto;\n";
    s += spacing_lines(sc, 100);
    s += "padding: " + number(scaled(sc.top_origin, 100, sc.client_h)) + "% " +
         number(scaled(sc.start_origin, 100, sc.client_w)) + "%;\nwidth: 100%;\nheight: 94%;\n" + BORDER_BOX;
    const bool mincho = sc.font_face.find(sj("明朝")) != std::string::npos;
    s += std::string("font-family: ") + font_family(mincho) + ";\nfont-weight: " +
         (sc.font_weight > HTML_BOLD_WEIGHT_ABOVE ? "bold" : "normal") + ";\n";
    s += std::string("font-size: ") + html_size_name(html_size_class(sc.font_w)) + ";\n";
    s += "color: #" + rgb_hex(sc.text_colour) + ";\n";
    s += "}\n--></style>\n</head>\n\n<BODY>\n<DIV class=text>\n";
    // Bold runs over lines; a coloured line opens its own font element, and
    // every line closes the one before first, so that the two always nest.
    bool bold = false, font_open = false;
    LineWalk walk(&s, "\n");
    const HtmlCounts c = walk.walk(doc, [&](std::uint32_t word) {
        const bool line_bold = line_bold_toggle(word);
        if (font_open) s += "</font>";
        font_open = false;
        if (line_bold != bold) s += line_bold ? "<B>" : "</B>";
        bold = line_bold;
        if (line_colour_on(word)) {
            s += "<font color=\"#" + rgb_hex(BASIC_PALETTE[line_colour(word)]) + "\">";
            font_open = true;
        }
    });
    if (counts) *counts = c;
    if (font_open) s += "</font>";
    if (bold) s += "</B>";
    s += "\n</DIV>\n</BODY>\n</html>\n";
    return crlf(s);
}

}  // namespace rix

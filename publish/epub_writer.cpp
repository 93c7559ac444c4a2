// The EPUB writer: content files, style sheet, package, navigation, NCX.
// The zip is in epub_zip.cpp.
#include "publish/epub_writer.h"

#include <algorithm>
#include <charconv>

#include "document/line_table.h"
#include "document/storage.h"
#include "platform/codec.h"
#include "platform/text_tools.h"
#include "publish/pdf_file.h"

namespace rix {

const double EPUB_FONT_SIZES[EPUB_SIZE_STEPS] = {1.25, 1.12, 1.0, 0.92, 0.85};
const double EPUB_LINE_HEIGHTS[EPUB_SIZE_STEPS] = {2.3, 2.1, 1.9, 1.7, 1.5};

const char EPUB_CONTAINER_XML[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\r\n"
    "<container version=\"1.0\" xmlns=\"urn:oasis:names:tc:opendocument:xmlns:container\">\r\n"
    "<rootfiles>\r\n"
    "<rootfile full-path=\"OEBPS/content.opf\" media-type=\"application/oebps-package+xml\"/>\r\n"
    "</rootfiles>\r\n"
    "</container>";

namespace {

constexpr const char* CRLF = "\r\n";
const char* const IDEOGRAPHIC_SPACE = "\xE3\x80\x80";   // U+3000 in UTF-8

std::string two_digits(int n) {
    char buf[16];
    const auto r = std::to_chars(buf, buf + sizeof buf, n);
    std::string s(buf, r.ptr);
    if (s.size() < 2) s.insert(0, 2 - s.size(), '0');
    return s;
}

// The id of content file n: an XML name (an id may not begin with a digit).
std::string file_id(int n) { return "t" + two_digits(n); }
std::string file_name(int n) { return two_digits(n) + ".xhtml"; }

// The title (code page 932) of an index entry, as XML text.
std::string entry_title(const IndexEntry& e) { return xml_text(e.title); }

bool starts_page(const IndexEntry& e) { return (e.level & 0x08) != 0; }

// ---- the walk of one content file ----

struct TextFile {
    std::string body;
    std::string pending;           // code page 932 bytes not yet converted
    int size_class = EPUB_NORMAL_CLASS;

    void flush() {
        if (pending.empty()) return;
        body += xml_text(pending);
        pending.clear();
    }
    void open_line(std::uint32_t word) {
        const int indent = static_cast<int>(start_indent(word)) + first_line_adjustment(word);
        for (int i = 0; i < std::clamp(indent, 0, EPUB_MAX_INDENT); ++i) body += IDEOGRAPHIC_SPACE;
        size_class = epub_size_class(word);
        if (size_class != EPUB_NORMAL_CLASS) body += "<span class=\"s" + two_digits(size_class) + "\">";
    }
    // Ends a line: its text, its size span, and (unless the text ends
    // here) "<br/>" and a line break.
    void close_line(bool text_end) {
        flush();
        if (size_class != EPUB_NORMAL_CLASS) body += "</span>";
        size_class = EPUB_NORMAL_CLASS;
        if (!text_end) body += "<br/>\r\n";
    }
};

// The ruby block at `it` of line p over its base (document/storage.h).
void write_ruby(TextFile& f, const std::uint8_t* p, const ScanItem& it, LineScanner& scanner, ScanItem* next) {
    const RubyRun run = read_ruby_run(p, it, scanner);
    *next = run.next;
    if (run.reading.empty()) {
        f.pending += run.base;
        return;
    }
    f.flush();
    f.body += "<ruby><rb>" + xml_text(run.base) + "</rb><rp>《</rp><rt>" + xml_text(run.reading) +
              "</rt><rp>》</rp></ruby>";
}

struct FileEnd {
    std::uint32_t next_line = 0;   // where the next file begins
    bool ended = false;            // the document ended in this file
    int entry = -1;                // the index entry that starts the next file; -1 = size or end
};

// The first index entry with the page flag on `line`, or -1.
int page_entry_on(const std::vector<IndexEntry>& index, std::uint32_t line) {
    for (std::size_t i = 0; i < index.size(); ++i)
        if (index[i].line == line && starts_page(index[i])) return static_cast<int>(i);
    return -1;
}

FileEnd write_text_file(Document& doc, const EpubOptions& options, std::uint32_t first, TextFile& f) {
    const std::size_t limit = static_cast<std::size_t>(std::clamp(options.split_kb, 1, 255)) * 1024;
    const std::uint32_t count = doc.lines.count();
    for (std::uint32_t l = first; l < count; ++l) {
        const std::uint8_t* p = doc.line_pointer(l);
        if (!p) break;
        const std::uint32_t word = doc.formats.word(l);
        f.open_line(word);
        LineScanner scanner(p, MAX_LINE_SCAN);
        ScanItem it = scanner.next();
        bool line_done = false;
        while (!line_done) {
            switch (it.kind) {
                case ItemKind::DOUBLE:
                case ItemKind::SINGLE:
                case ItemKind::PAIR:
                    f.pending.append(reinterpret_cast<const char*>(p) + it.column, it.length);
                    it = scanner.next();
                    continue;
                case ItemKind::RUBY:
                    write_ruby(f, p, it, scanner, &it);
                    continue;
                case ItemKind::TAG:
                case ItemKind::IGNORED:
                    it = scanner.next();
                    continue;
                case ItemKind::TEXT_END:
                    f.close_line(true);
                    return FileEnd{0, true, -1};
                case ItemKind::LINE_END:
                case ItemKind::CUT:
                    line_done = true;
                    break;
            }
        }
        const bool last = l + 1 >= count;
        f.close_line(false);
        if (last) break;
        const int entry = page_entry_on(doc.index, l + 1);
        if (entry >= 0) return FileEnd{l + 1, false, entry};
        if (options.split_by_size && f.body.size() > limit) return FileEnd{l + 1, false, -1};
    }
    return FileEnd{0, true, -1};
}

std::string content_file(const std::string& title, const std::string& body) {
    std::string s;
    s += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";
    s += "<!DOCTYPE html>\r\n";
    s += "<html xmlns=\"http://www.w3.org/1999/xhtml\" lang=\"ja\" xml:lang=\"ja\">\r\n";
    s += "<head>\r\n";
    s += "<link rel=\"stylesheet\" type=\"text/css\" href=\"style.css\"/>\r\n";
    s += "<title>" + title + "</title>\r\n";
    s += "</head>\r\n\r\n<body>\r\n";
    s += body;
    s += "\r\n</body>\r\n</html>";
    return s;
}

// "%1.2f" / "%1.1f" without the locale: trailing zeros kept to the width.
std::string fixed(double v, int decimals) {
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    return std::string(buf, r.ptr);
}

}  // namespace

EpubOptions EpubOptions::from_record(std::uint8_t flags, std::uint8_t font_size_index, std::uint8_t line_spacing_index,
                                     std::uint8_t split_kb, bool vertical) {
    EpubOptions o;
    o.vertical = vertical;
    o.chapter_numbers = flags & 1;
    o.split_by_size = flags & 4;
    o.split_kb = std::clamp<int>(split_kb, 1, 255);
    o.font_size_index = font_size_index < EPUB_SIZE_STEPS ? font_size_index : 2;
    o.line_spacing_index = line_spacing_index < EPUB_SIZE_STEPS ? line_spacing_index : 2;
    return o;
}

// Code page 932 holds no surrogates and no U+FFFE/U+FFFF: the only
// characters XML does not allow are the C0 controls other than tab and the
// line ends, which Markup::XML drops.
std::string xml_text(std::string_view sjis) { return escape_markup(sjis_to_utf8(sjis), Markup::XML); }

std::string kanji_numeral(int n) {
    if (n < 1 || n > 9999) return {};
    static const char* const DIGITS[] = {"", "一", "二", "三", "四", "五", "六", "七", "八", "九"};
    static const char* const UNITS[] = {"千", "百", "十", ""};
    static const int VALUES[] = {1000, 100, 10, 1};
    std::string out;
    for (int i = 0; i < 4; ++i) {
        const int d = n / VALUES[i] % 10;
        if (d == 0) continue;
        if (d > 1 || VALUES[i] == 1) out += DIGITS[d];
        out += UNITS[i];
    }
    return out;
}

int epub_size_class(std::uint32_t format_word) {
    return 14 - line_size_index(format_word);   // 140 % is class 14, 70 % class 7
}

EpubText write_epub_text(Document& doc, const EpubOptions& options, const std::string& title) {
    EpubText text;
    std::uint32_t line = 0;
    // Every file moves on by a line at least: the line count bounds the loop.
    for (std::uint32_t guard = 0; guard <= doc.lines.count(); ++guard) {
        TextFile f;
        const FileEnd end = write_text_file(doc, options, line, f);
        text.files.push_back(content_file(title, f.body));
        if (end.entry >= 0) text.splits.push_back(EpubSplit{static_cast<int>(text.files.size()), end.entry});
        if (end.ended || end.next_line <= line) break;
        line = end.next_line;
    }
    return text;
}

std::vector<EpubContentsEntry> epub_contents(const EpubText& text, const std::vector<IndexEntry>& index,
                                             bool chapter_numbers) {
    std::vector<EpubContentsEntry> out;
    const int files = static_cast<int>(text.files.size());
    if (text.splits.empty()) {
        for (int n = 1; n <= files; ++n) out.push_back({n, kanji_numeral(n)});
        return out;
    }
    // Chapter 1 is the first file; each split starts a chapter at the file after it.
    std::vector<std::pair<int, int>> chapters;   // (first file, entry starting it; -1 = none)
    int first_entry = -1;
    for (std::size_t i = 0; i < index.size(); ++i)
        if (index[i].line == 0) {
            first_entry = static_cast<int>(i);
            break;
        }
    chapters.push_back({1, first_entry});
    for (const EpubSplit& s : text.splits)
        if (s.file + 1 <= files) chapters.push_back({s.file + 1, s.entry});
    const bool titles = chapters.size() > 1;
    for (std::size_t c = 0; c < chapters.size(); ++c) {
        const auto [file, entry] = chapters[c];
        std::string label = chapter_numbers ? kanji_numeral(static_cast<int>(c + 1)) + "章" : "";
        const std::string title = titles && entry >= 0 && static_cast<std::size_t>(entry) < index.size()
            ? entry_title(index[static_cast<std::size_t>(entry)]) : "";
        if (!title.empty()) label += label.empty() ? title : "　" + title;
        if (label.empty()) label = kanji_numeral(static_cast<int>(c + 1));
        out.push_back({file, label});
    }
    return out;
}

std::string epub_css(const EpubOptions& o) {
    std::string s = "@charset \"utf-8\";\r\n";
    if (o.vertical) {
        s += "/* 縦書スタイル */\r\nhtml {\r\nwidth: 100%;\r\n-epub-writing-mode: vertical-rl;\r\n"
             "writing-mode: vertical-rl;\r\n-webkit-writing-mode: vertical-rl;\r\n}\r\n\r\n";
    }
    std::string prefix;
    if (!o.font_name.empty()) {
        s += "@font-face {\r\nfont-family: \"font-name\"; src: url(\"" + escape_markup(o.font_name, Markup::XML) + "\");\r\n}\r\n\r\n";
        prefix = "\"font-name\", ";
    }
    const std::string families = o.vertical
        ? "\"@ＭＳ 明朝\", \"@MS Mincho\", \"ヒラギノ明朝 ProN W3\", \"HiraMinProN-W3\", serif, sans-serif"
        : "\"ＭＳ 明朝\", \"MS Mincho\", \"ヒラギノ明朝 ProN W3\", \"HiraMinProN-W3\", serif, sans-serif";
    s += "body {\r\ndisplay: block;\r\nmax-height: 40em;\r\nmargin: auto;\r\npadding-top: 0.7em;\r\n"
         "padding-bottom: 0.3em;\r\n";
    s += "font-family: " + prefix + families + ";\r\n";
    s += "line-height: " + fixed(EPUB_LINE_HEIGHTS[std::clamp(o.line_spacing_index, 0, EPUB_SIZE_STEPS - 1)], 2) + ";\r\n";
    s += "font-size: " + fixed(EPUB_FONT_SIZES[std::clamp(o.font_size_index, 0, EPUB_SIZE_STEPS - 1)], 2) + "em;\r\n";
    s += "}\r\n";
    for (int c = 7; c <= 14; ++c) {
        if (c == EPUB_NORMAL_CLASS) continue;
        s += "\r\n.s" + two_digits(c) + " {\r\nfont-size: " + fixed(c / 10.0, 1) + "em;\r\ndisplay: inline;\r\n}\r\n";
    }
    return s;
}

std::string epub_title(const EpubMetadata& metadata, const EpubIdentity& identity) {
    std::string t = xml_text(metadata.title);
    return t.empty() ? escape_markup(identity.fallback_title, Markup::XML) : t;
}

std::string epub_opf(const EpubMetadata& m, const EpubOptions& o, const EpubIdentity& id, int files) {
    const char* direction = o.vertical ? "rtl" : "ltr";
    std::string s;
    s += "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\r\n";
    s += "<package xmlns=\"http://www.idpf.org/2007/opf\" version=\"3.0\" unique-identifier=\"BookId\" xml:lang=\"ja\">\r\n";
    s += "<metadata xmlns:dc=\"http://purl.org/dc/elements/1.1/\" xmlns:opf=\"http://www.idpf.org/2007/opf\">\r\n";
    s += "  <dc:identifier id=\"BookId\">urn:uuid:" + escape_markup(id.uuid, Markup::XML) + "</dc:identifier>\r\n";
    s += "  <dc:title>" + epub_title(m, id) + "</dc:title>\r\n";
    const std::pair<const char*, const std::string*> optional[] = {
        {"description", &m.description}, {"creator", &m.creator}, {"rights", &m.rights}, {"publisher", &m.publisher}};
    for (const auto& [name, value] : optional) {
        const std::string v = xml_text(*value);
        if (!v.empty()) s += std::string("  <dc:") + name + ">" + v + "</dc:" + name + ">\r\n";
    }
    s += "  <dc:language>ja</dc:language>\r\n";
    s += "  <meta property=\"dcterms:modified\">" + escape_markup(id.modified, Markup::XML) + "</meta>\r\n";
    s += "  <meta name=\"generator\" content=\"『ミルトア』\" />\r\n";
    s += "</metadata>\r\n";
    s += "<manifest>\r\n";
    s += "  <item id=\"ncx\" href=\"toc.ncx\" media-type=\"application/x-dtbncx+xml\" />\r\n";
    s += "  <item id=\"nav\" properties=\"nav\" href=\"Text/nav.xhtml\" media-type=\"application/xhtml+xml\" />\r\n";
    s += "  <item id=\"css\" href=\"Text/style.css\" media-type=\"text/css\" />\r\n";
    if (!o.font_name.empty())
        s += "  <item id=\"font\" href=\"Text/" + escape_markup(o.font_name, Markup::XML) + "\" media-type=\"font/ttf\" />\r\n";
    for (int n = 1; n <= files; ++n)
        s += "  <item id=\"" + file_id(n) + "\" href=\"Text/" + file_name(n) + "\" media-type=\"application/xhtml+xml\" />\r\n";
    s += "</manifest>\r\n";
    s += std::string("<spine toc=\"ncx\" page-progression-direction=\"") + direction + "\">\r\n";
    for (int n = 1; n <= files; ++n) s += "  <itemref idref=\"" + file_id(n) + "\" />\r\n";
    s += "</spine>\r\n</package>";
    return s;
}

std::string epub_nav(const std::vector<EpubContentsEntry>& contents) {
    std::string s;
    s += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n";
    s += "<!DOCTYPE html>\r\n";
    s += "<html xmlns=\"http://www.w3.org/1999/xhtml\" xmlns:epub=\"http://www.idpf.org/2007/ops\" xml:lang=\"ja\" lang=\"ja\">\r\n";
    s += "<head>\r\n<title>目次</title>\r\n";
    s += "<link rel=\"stylesheet\" type=\"text/css\" href=\"style.css\"/>\r\n";
    s += "</head>\r\n<body>\r\n<section class=\"frontmatter TableOfContents\">\r\n<header>\r\n</header>\r\n";
    s += "<nav epub:type=\"toc\" id=\"toc\">\r\n<h1>目次</h1>\r\n<ol>\r\n";
    for (const EpubContentsEntry& e : contents) {
        s += "  <li class=\"chapter\" id=\"toc-" + std::to_string(e.file) + "\">\r\n";
        s += "    <a href=\"" + file_name(e.file) + "\">" + e.label + "</a>\r\n";
        s += "  </li>\r\n";
    }
    s += "</ol>\r\n</nav>\r\n</section>\r\n</body>\r\n</html>";
    return s;
}

std::string epub_ncx(const std::vector<EpubContentsEntry>& contents, const EpubIdentity& id, const std::string& title) {
    std::string s;
    s += "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\r\n";
    s += "<ncx xmlns=\"http://www.daisy.org/z3986/2005/ncx/\" version=\"2005-1\">\r\n";
    s += "<head>\r\n";
    s += "<meta name=\"dtb:uid\" content=\"urn:uuid:" + escape_markup(id.uuid, Markup::XML) + "\"/>\r\n";
    s += "<meta name=\"dtb:depth\" content=\"1\"/>\r\n";
    s += "<meta name=\"dtb:totalPageCount\" content=\"0\"/>\r\n";
    s += "<meta name=\"dtb:maxPageNumber\" content=\"0\"/>\r\n";
    s += "</head>\r\n<docTitle>\r\n<text>" + title + "</text>\r\n</docTitle>\r\n<navMap>\r\n";
    int order = 0;
    for (const EpubContentsEntry& e : contents) {
        ++order;
        s += "  <navPoint id=\"navpoint" + std::to_string(order) + "\" playOrder=\"" + std::to_string(order) + "\">\r\n";
        s += "    <navLabel>\r\n      <text>" + e.label + "</text>\r\n    </navLabel>\r\n";
        s += "    <content src=\"Text/" + file_name(e.file) + "\"/>\r\n";
        s += "  </navPoint>\r\n";
    }
    s += "</navMap>\r\n</ncx>";
    return s;
}

std::vector<EpubEntry> epub_entries(Document& doc, const EpubMetadata& metadata, const EpubOptions& options,
                                    const EpubIdentity& identity, EpubCounts* counts) {
    const std::string title = epub_title(metadata, identity);
    EpubText text = write_epub_text(doc, options, title);
    const std::vector<EpubContentsEntry> contents = epub_contents(text, doc.index, options.chapter_numbers);
    if (counts) *counts = EpubCounts{static_cast<int>(text.files.size()), static_cast<int>(contents.size())};
    std::vector<EpubEntry> entries;
    entries.push_back({"mimetype", "application/epub+zip", true});
    entries.push_back({"META-INF/container.xml", EPUB_CONTAINER_XML, false});
    entries.push_back({"OEBPS/content.opf", epub_opf(metadata, options, identity, static_cast<int>(text.files.size())),
                       false});
    entries.push_back({"OEBPS/toc.ncx", epub_ncx(contents, identity, title), false});
    entries.push_back({"OEBPS/Text/style.css", epub_css(options), false});
    if (!options.font_name.empty()) entries.push_back({"OEBPS/Text/" + options.font_name, options.font_bytes, false});
    for (std::size_t i = 0; i < text.files.size(); ++i)
        entries.push_back({"OEBPS/Text/" + file_name(static_cast<int>(i + 1)), std::move(text.files[i]), false});
    entries.push_back({"OEBPS/Text/nav.xhtml", epub_nav(contents), false});
    return entries;
}

}  // namespace rix

// The PDF writer: fonts, the shared page stream, the page loop, the text
// of a tier, rubies, the header and the outline.
#include "publish/pdf_writer.h"

#include <algorithm>
#include <cstdio>

#include "display/layout_walk.h"
#include "document/display_lines.h"
#include "document/line_table.h"
#include "platform/codec.h"
#include "publish/pdf_file.h"

namespace rix {

namespace {

// The em square of a CJK face stands 0.88 above its baseline and 0.12 below:
// a horizontal run's baseline lies 0.88 em under the top of its glyph box.
constexpr double EM_ASCENT = 0.88;
constexpr double EM_DESCENT = 0.12;

constexpr int OBJ_INFO = 1, OBJ_CATALOG = 2, OBJ_RESOURCES = 14, OBJ_SHARED = 15, OBJ_IMAGE = 16, OBJ_PAGES = 17,
              OBJ_FIRST_PAGE = 18;

const char* const CREATOR = "ミルトア ver.7.11";
const char* const PRODUCER = "『ＰＤＦファイル出力』　ミルトア";

// Device pixels of the layout onto PDF units of the paper.
struct Mapper {
    double k = 0.12;        // PDF units per device pixel (72 / dpi)
    int height_px = 0;      // H
    double x(double px) const { return px * k; }
    double y(double py) const { return (height_px - py) * k; }
    double len(double px) const { return px * k; }
};

std::string num(double v) { return pdf_number(v, 2); }
std::string num3(double v) { return pdf_number(v, 3); }

std::string rgb(std::uint32_t colour) {
    return pdf_number((colour & 0xFF) / 255.0, 3) + " " + pdf_number(((colour >> 8) & 0xFF) / 255.0, 3) + " " +
           pdf_number(((colour >> 16) & 0xFF) / 255.0, 3);
}

// "MS-Gothic" for a gothic face, "MS-Mincho" for a mincho face or one that
// names neither.
std::string family_of(const std::string& face) {
    static const std::string gothic = utf8_to_sjis("ゴシック");
    static const std::string mincho = utf8_to_sjis("明朝");
    if (face.find(mincho) != std::string::npos) return "MS-Mincho";
    if (face.find(gothic) != std::string::npos) return "MS-Gothic";
    return "MS-Mincho";
}

bool bold_font(const FontRequest& f) { return f.weight > BOLD_WEIGHT_ABOVE; }

// ---- the pen: what the stream has set last ----


void use_font(PdfPen& pen, std::string* out, int font, double size, double spacing) {
    if (pen.font != font || pen.size != size) {
        *out += "/F" + std::to_string(font) + " " + num(size) + " Tf " + num3(spacing) + " Tc\r\n";
    } else if (pen.spacing != spacing) {
        *out += num3(spacing) + " Tc\r\n";
    } else {
        return;
    }
    pen.font = font;
    pen.size = size;
    pen.spacing = spacing;
}

void use_colour(PdfPen& pen, std::string* out, std::uint32_t colour) {
    if (pen.colour == colour) return;
    *out += rgb(colour) + " rg\r\n";
    pen.colour = colour;
}

// One Tj at (x, y) PDF units; `rotated`: the run turned 90° clockwise.
// Appends in place: a page holds thousands of these.
void show(std::string* out, bool rotated, double x, double y, std::string_view bytes) {
    static const char HEX[] = "0123456789ABCDEF";
    *out += rotated ? "0 -1 1 0 " : "1 0 0 1 ";
    *out += num(x);
    *out += ' ';
    *out += num(y);
    *out += " Tm <";
    for (unsigned char b : bytes) {
        *out += HEX[b >> 4];
        *out += HEX[b & 0xF];
    }
    *out += "> Tj\r\n";
}

// ---- the text of a tier ----

enum class RunKind : std::uint8_t { FULL, HALF };

struct TextContext {
    Document& doc;
    const PrintLayout& layout;
    const DisplayGeometry& g;
    Mapper m;
    bool line_format_colours;
    PdfTextState* state;
    PdfPen* pen;
    std::string* out;
    std::string* rubies;
    int first_line, last_line;     // the tier's screen lines [first, last)
};

void load_line_attributes(TextContext& c, std::uint32_t logical) {
    PdfTextState& st = *c.state;
    if (st.logical == logical) return;
    st.logical = logical;
    const std::uint32_t word = c.doc.formats.word(logical);
    st.bold = line_bold_toggle(word);
    st.line_colour = c.line_format_colours && line_colour_on(word) ? BASIC_PALETTE[line_colour(word)]
                                                                     : c.layout.format.text_colour;
}

// Writes the rubies of one line's pieces into c.rubies.
void emit_ruby(TextContext& c, const std::vector<RubyPiece>& pieces, std::uint32_t colour, PdfPen* pen) {
    const DisplayGeometry& g = c.g;
    const int rp = std::max(c.layout.render.font.pixel_height / 2, 1);
    const double size = c.m.len(rp);
    for (const RubyPiece& p : pieces) {
        if (p.line < c.first_line || p.line >= c.last_line || p.glyphs.empty()) continue;
        std::string bytes;
        for (const auto& [code, along] : p.glyphs) {
            bytes += static_cast<char>(code >> 8);
            bytes += static_cast<char>(code & 0xFF);
        }
        const int step = p.glyphs.size() > 1 ? p.glyphs[1].second - p.glyphs[0].second : rp;
        const double gap = c.m.len(step) - size;
        use_colour(*pen, c.rubies, colour);
        use_font(*pen, c.rubies, 1, size, g.vertical ? -gap : gap);
        const int along = p.glyphs[0].second;
        if (g.vertical) show(c.rubies, false, c.m.x(p.across - rp / 2.0), c.m.y(along), bytes);
        else show(c.rubies, false, c.m.x(along), c.m.y(p.across + EM_ASCENT * rp), bytes);
    }
}

// The walk's visitor: gathers the cells of a display line into runs and
// writes each run when it ends. A half-width run is counted in half cells:
// a blank (0x20) ends it, drawing nothing, and the next character starts a
// run of its own at its half cell.
struct PdfTextVisitor {
    TextContext& c;
    PdfPen ruby_pen;
    std::string bytes;             // the run
    RunKind kind = RunKind::FULL;
    int line = -1;                 // its screen line
    int first_slot = 0;            // its first cell (full) or half cell (half), indentation included
    int slots = 0;                 // cells or half cells it holds

    bool upright_pairs() const { return c.g.vertical && c.layout.format.halfwidth_display == 1; }

    void flush() {
        if (bytes.empty()) return;
        const DisplayGeometry& g = c.g;
        PdfTextState& st = *c.state;
        const int fw = std::max(g.font_w, 1), fh = std::max(g.font_h, 1);
        const double size = c.m.len(fh);
        const double pitch = c.m.len(g.char_pitch);
        const int across = line_position(g, line);
        if (kind == RunKind::FULL) {
            const int along = cell_position(g, line, first_slot);
            const double gap = pitch - size;
            use_colour(*c.pen, c.out, st.line_colour);
            use_font(*c.pen, c.out, st.bold ? 3 : 1, size, g.vertical ? -gap : gap);
            if (g.vertical) show(c.out, false, c.m.x(across - fw / 2.0), c.m.y(along), bytes);
            else show(c.out, false, c.m.x(along), c.m.y(across + EM_ASCENT * fh), bytes);
            bytes.clear();
            slots = 0;
            return;
        }
        const int cell = first_slot / 2;
        const bool second = first_slot % 2 != 0;
        const double along = cell_position(g, line, cell) + (second ? g.char_pitch / 2.0 : 0.0);
        use_colour(*c.pen, c.out, st.line_colour);
        if (!g.vertical) {
            use_font(*c.pen, c.out, st.bold ? 4 : 2, size, pitch / 2 - size / 2);
            show(c.out, false, c.m.x(along), c.m.y(across + EM_ASCENT * fh), bytes);
        } else if (upright_pairs()) {
            // 組文字: the pair stands upright in its cell, side by side.
            const int top = cell_position(g, line, cell);
            use_font(*c.pen, c.out, st.bold ? 4 : 2, size, (c.m.len(fw) - size) / 2);
            show(c.out, false, c.m.x(across - fw + (second ? fw / 2.0 : 0.0)), c.m.y(top + EM_ASCENT * fh), bytes);
        } else {
            // 横転: the run lies down the column, its tops to the right; the
            // spacing is positive so that the characters follow each other
            // downwards, two to a cell.
            use_font(*c.pen, c.out, st.bold ? 4 : 2, size, pitch / 2 - size / 2);
            show(c.out, true, c.m.x(across - fw + EM_DESCENT * fh), c.m.y(along), bytes);
        }
        bytes.clear();
        slots = 0;
    }

    void add_full(int j, int at, std::uint16_t code) {
        if (j != line || kind != RunKind::FULL || at != first_slot + slots) flush();
        if (bytes.empty()) {
            line = j;
            kind = RunKind::FULL;
            first_slot = at;
        }
        bytes += static_cast<char>(code >> 8);
        bytes += static_cast<char>(code & 0xFF);
        ++slots;
    }
    void add_half(int j, int half_slot, char b) {
        if (b == ' ') {
            flush();
            return;
        }
        if (j != line || kind != RunKind::HALF || half_slot != first_slot + slots ||
            (upright_pairs() && half_slot / 2 != first_slot / 2))
            flush();
        if (bytes.empty()) {
            line = j;
            kind = RunKind::HALF;
            first_slot = half_slot;
        }
        bytes += b;
        ++slots;
    }

    void line_start(int, std::uint32_t logical, int, bool) {
        flush();
        load_line_attributes(c, logical);
    }
    void cell(int j, int a, int k, std::uint16_t code, const ScanItem& it, std::uint32_t, std::uint32_t) {
        const int at = a + k;
        if (it.kind == ItemKind::DOUBLE) {
            add_full(j, at, code);
            return;
        }
        add_half(j, 2 * at, static_cast<char>(code >> 8));
        // A lone half-width character leaves the rest of its cell empty.
        if (it.kind == ItemKind::SINGLE) flush();
        else add_half(j, 2 * at + 1, static_cast<char>(code & 0xFF));
    }
    void mark(int, int, int, std::uint16_t, std::uint32_t, std::uint32_t) { flush(); }
    void block(int j, int a, int k, const ScanItem& it, const std::uint8_t* block_bytes, std::uint32_t l,
               std::uint32_t col, std::uint32_t word) {
        flush();
        if (it.kind != ItemKind::RUBY || it.length < 3) return;
        load_line_attributes(c, l);
        const RubyBase base = ruby_base(c.doc, a, k, block_bytes + 1, word, TextPos(l, col), it.length);
        const auto pieces =
            place_ruby(c.g, j, a + k, block_bytes + 1, it.length - 2, detail::indent_cells(word, false), base);
        emit_ruby(c, pieces, c.state->line_colour, &ruby_pen);
    }
    void text_end(int) { flush(); }
    void stopped(int) { flush(); }
};

// A walk over one display line that only places its rubies.
struct RubyOnlyVisitor {
    TextContext& c;
    PdfPen* pen;
    void line_start(int, std::uint32_t logical, int, bool) { load_line_attributes(c, logical); }
    void cell(int, int, int, std::uint16_t, const ScanItem&, std::uint32_t, std::uint32_t) {}
    void mark(int, int, int, std::uint16_t, std::uint32_t, std::uint32_t) {}
    void block(int j, int a, int k, const ScanItem& it, const std::uint8_t* block_bytes, std::uint32_t l,
               std::uint32_t col, std::uint32_t word) {
        if (it.kind != ItemKind::RUBY || it.length < 3) return;
        const RubyBase base = ruby_base(c.doc, a, k, block_bytes + 1, word, TextPos(l, col), it.length);
        emit_ruby(c, place_ruby(c.g, j, a + k, block_bytes + 1, it.length - 2, detail::indent_cells(word, false), base),
                  c.state->line_colour, pen);
    }
    void text_end(int) {}
    void stopped(int) {}
};

// The part of a ruby whose base began on the display line before the tier
// (the same logical line), as printing carries it in.
void carry_in_ruby(TextContext& c, TextPos start, PdfPen* pen) {
    if (start.column() == 0 || start.line() >= c.doc.lines.count()) return;
    const DisplayMove back = display_lines_backward(c.doc, start, 1);
    if (back.moved != 1 || back.pos.line() != start.line()) return;
    RubyOnlyVisitor v{c, pen};
    detail::walk_layout(c.doc, back.pos, c.first_line - 1, 0, c.first_line, v);
}

}  // namespace

TextPos emit_tier_text(Document& doc, const PrintLayout& layout, const DisplayGeometry& geo, int tier, TextPos start,
                       int lines, bool line_format_colours, PdfTextState* state, std::string* out,
                       std::string* rubies) {
    const int first = tier * std::max(geo.columns, 1);
    const double k = 72.0 / std::max(layout.page.res(), 1);
    TextContext c{doc, layout, geo, Mapper{k, layout.page.height}, line_format_colours, state, &state->pen, out, rubies,
                  first, first + std::max(lines, 0)};
    PdfTextVisitor v{c, {}, {}, RunKind::FULL, -1, 0, 0};
    carry_in_ruby(c, start, &v.ruby_pen);
    const TextPos end = lines > 0 ? detail::walk_layout(doc, start, first, 0, first + lines, v) : start;
    v.flush();
    return end;
}

PdfOptions PdfOptions::from_bytes(std::uint8_t pdf_options, std::uint8_t outline_options) {
    PdfOptions o;
    o.open_viewer = pdf_options & 1;
    o.compress = pdf_options & 2;
    o.outline = outline_options & 1;
    o.outline_title = outline_options & 2;
    o.outline_open = outline_options & 4;
    return o;
}

namespace {

// ---- the header ----

void emit_pdf_header(const PrintLayout& layout, const PageHeaderLayout& h, const Mapper& m, std::string* out) {
    if ((layout.format.flags & 7) == 0) return;
    const int fh = std::max(h.font_px, 1);
    const double size = m.len(fh);
    PdfPen pen;
    use_colour(pen, out, layout.format.header_colour);
    for (int i = 0; i < 2; ++i) {
        if (!h.shown[i]) continue;
        const std::string& s = h.text[i];
        int along = h.vertical ? h.y[i] : h.x[i];
        for (std::size_t pos = 0; pos < s.size();) {
            // A blank draws nothing (readers show a missing glyph for it).
            if (s[pos] == ' ') {
                along += fh / 2;
                ++pos;
                continue;
            }
            // One run of characters of the same width.
            const bool full = char_length_at(s, pos) == 2;
            const int start = along;
            std::size_t end = pos;
            while (end < s.size()) {
                const std::size_t n = std::max<std::size_t>(char_length_at(s, end), 1);
                if ((n == 2) != full || s[end] == ' ') break;
                along += full ? fh : fh / 2;
                end += n;
            }
            const std::string_view run(s.data() + pos, end - pos);
            pos = end;
            use_font(pen, out, full ? 5 : 6, size, 0);
            if (h.vertical) {
                if (full) show(out, false, m.x(h.x[i] - fh / 2.0), m.y(start), run);
                else show(out, true, m.x(h.x[i] - fh + EM_DESCENT * fh), m.y(start), run);
            } else {
                show(out, false, m.x(start), m.y(h.y[i] + EM_ASCENT * fh), run);
            }
        }
    }
}

// ---- the grid: draw_grid of the display engine, recorded as a path ----

class PathSurface final : public Surface {
public:
    PathSurface(int w, int h) : w_(w), h_(h) {}
    int width() const override { return w_; }
    int height() const override { return h_; }
    bool set_font(int, const FontRequest&) override { return true; }
    void draw_cell(const CellGlyph&) override {}
    void draw_line(int x0, int y0, int x1, int y1, std::uint32_t colour) override {
        stroke_colour(colour);
        // A one-pixel line covers its pixels: the stroke runs through their
        // centres (pixel row y spans h - y - 1 .. h - y once y is flipped).
        ops += pdf_number(x0 + 0.5, 1) + " " + pdf_number(h_ - y0 - 0.5, 1) + " m " + pdf_number(x1 + 0.5, 1) + " " +
               pdf_number(h_ - y1 - 0.5, 1) + " l\r\n";
    }
    void draw_dotted_line(int x0, int y0, int x1, int y1, std::uint32_t colour) override {
        draw_line(x0, y0, x1, y1, colour);
    }
    void draw_ellipse(const SurfaceRect&, std::uint32_t) override {}
    void draw_arc(const SurfaceRect&, int, int, int, int, std::uint32_t) override {}
    void fill_rect(const SurfaceRect& r, std::uint32_t colour) override {
        if (r.empty()) return;
        end_path();
        ops += rgb(colour) + " rg " + std::to_string(r.x) + " " + std::to_string(h_ - r.y - r.h) + " " +
               std::to_string(r.w) + " " + std::to_string(r.h) + " re f\r\n";
    }
    void invert_rect(const SurfaceRect&) override {}
    void copy_from(const Surface&, const SurfaceRect&, int, int) override {}

    void end_path() {
        if (open_) ops += "S\r\n";
        open_ = false;
    }
    std::string ops;

private:
    void stroke_colour(std::uint32_t colour) {
        if (colour != colour_) {
            end_path();
            ops += rgb(colour) + " RG\r\n";
            colour_ = colour;
        }
        open_ = true;
    }
    int w_, h_;
    bool open_ = false;
    std::uint32_t colour_ = 0xFFFFFFFF;
};

// The geometry of half h of a sheet (the first half is the right one in
// vertical writing, the top one in horizontal writing).
DisplayGeometry half_geometry(const PrintLayout& layout, int h) {
    DisplayGeometry g = layout.geo;
    if (h == 0) return g;
    if (g.vertical) g.page_x = -(layout.page.width / 2 - layout.fukuro_offset_px);
    else g.page_y = layout.page.height / 2 - layout.fukuro_offset_px;
    return g;
}

std::string grid_operators(const PrintLayout& layout, const Mapper& m) {
    if (layout.format.grid_style < 1 || layout.format.grid_style > 3) return {};
    PathSurface path(layout.page.width, layout.page.height);
    for (int h = 0; h < layout.halves; ++h) {
        Screen s;
        s.geo = half_geometry(layout, h);
        s.fmt = layout.render;
        s.surface = &path;
        draw_grid(s);
    }
    path.end_path();
    if (path.ops.empty()) return {};
    return "q\r\n1 w\r\n" + num3(m.k) + " 0 0 " + num3(m.k) + " 0 0 cm\r\n" + path.ops + "Q";
}

std::string background_operators(const PdfBackground& bg, double page_w, double page_h) {
    if (bg.mode == PDF_BACKGROUND_NONE) return {};
    if (bg.mode == PDF_BACKGROUND_FILL)
        return rgb(bg.fill_colour) + " rg\r\n0 0 " + num(page_w) + " " + num(page_h) + " re\r\nf\r\n";
    if (!bg.image.valid()) return {};
    std::string out;
    if (bg.mode == PDF_BACKGROUND_TILE) {
        const double ref = bg.reference_width > 0 ? bg.reference_width : page_w;
        const double tw = std::max(1.0, page_w * bg.image.width / ref);
        const double th = std::max(1.0, page_w * bg.image.height / ref);
        const int columns = static_cast<int>((page_w - 1) / tw) + 1;
        const int rows = static_cast<int>((page_h - 1) / th) + 1;
        for (int row = 1; row <= rows; ++row)
            for (int col = 0; col < columns; ++col)
                out += "q " + num(tw) + " 0 0 " + num(th) + " " + num(col * tw) + " " + num(page_h - row * th) +
                       " cm /Im1 Do Q\r\n";
        return out;
    }
    return "q\r\n" + num(page_w) + " 0 0 " + num(page_h) + " 0 0 cm\r\n/Im1 Do\r\nQ\r\n";
}

bool uses_image(const PdfBackground& bg) {
    return (bg.mode == PDF_BACKGROUND_TILE || bg.mode == PDF_BACKGROUND_STRETCH) && bg.image.valid();
}

// ---- fonts ----

void type0_font(PdfFile& f, int number, int name, const std::string& family, int descendant, char encoding) {
    f.begin_object(number);
    f.line("<<");
    f.line("/Type /Font");
    f.line("/Subtype /Type0");
    f.line("/Name /F" + std::to_string(name));
    f.line("/BaseFont /" + family);
    f.line("/DescendantFonts [" + std::to_string(descendant) + " 0 R]");
    f.line(std::string("/Encoding /90ms-RKSJ-") + encoding);
    f.line(">>");
    f.line("endobj");
}

void cid_font(PdfFile& f, int number, const std::string& family, bool bold, int descriptor) {
    f.begin_object(number);
    f.line("<<");
    f.line("/Type /Font");
    f.line("/Subtype /CIDFontType2");
    f.line("/BaseFont /" + family + (bold ? ",Bold" : ""));
    f.line("/WinCharSet 128");
    f.line("/FontDescriptor " + std::to_string(descriptor) + " 0 R");
    f.line("/CIDSystemInfo");
    f.line("<<");
    f.line("/Registry(Adobe) /Ordering(Japan1) /Supplement 2");
    f.line(">>");
    f.line("/DW 1000");
    f.line("/W [");
    f.line("231 389 500");
    f.line("631 631 500");
    f.line("]");
    f.line(">>");
    f.line("endobj");
}

void font_descriptor(PdfFile& f, int number, const std::string& family) {
    f.begin_object(number);
    f.line("<<");
    f.line("/Type /FontDescriptor");
    f.line("/FontName /" + family);
    f.line("/Flags 5");
    f.line("/FontBBox [ -100 -141 1100 1000 ]");
    f.line("/MissingWidth 500");
    f.line("/StemV 91");
    f.line("/StemH 91");
    f.line("/ItalicAngle 0");
    f.line("/CapHeight 859");
    f.line("/XHeight 430");
    f.line("/Ascent 859");
    f.line("/Descent -141");
    f.line("/Leading 0");
    f.line("/MaxWidth 1000");
    f.line("/AvgWidth 500");
    f.line("/Style << /Panose <000000000000000000000000> >>");
    f.line(">>");
    f.line("endobj");
}

void font_objects(PdfFile& f, const PrintLayout& layout) {
    const FontRequest text = layout.render.font;
    const FontRequest header = print_header_font(layout.format, layout.page.res());
    const std::string family = family_of(text.face);
    const std::string header_family = family_of(header.face);
    const char v = layout.geo.vertical ? 'V' : 'H';
    const char hv = header_font_vertical(layout.format) ? 'V' : 'H';
    type0_font(f, 3, 1, family, 4, v);
    cid_font(f, 4, family, bold_font(text), 5);
    font_descriptor(f, 5, family);
    type0_font(f, 6, 2, "MS-Gothic", 4, 'H');
    type0_font(f, 7, 3, family, 8, v);
    cid_font(f, 8, family, true, 5);
    type0_font(f, 9, 4, "MS-Gothic", 8, 'H');
    type0_font(f, 10, 5, header_family, 11, hv);
    cid_font(f, 11, header_family, bold_font(header), 12);
    font_descriptor(f, 12, header_family);
    type0_font(f, 13, 6, "MS-Gothic", 11, 'H');
}

// ---- pages ----

struct PageText {
    std::string stream;
    TextPos next;                  // where the text goes on after the sheet
    bool ended = false;
    int halves = 0;
};

PageText emit_page_text(Document& doc, const PrintLayout& layout, const PrintJob& job, const PdfRequest& request,
                        int sheet, TextPos pos, const Mapper& m) {
    PageText page;
    page.next = pos;
    std::string text, rubies, header;
    text.reserve(16384);
    PdfTextState state;
    for (int h = 0; h < layout.halves; ++h) {
        const DisplayGeometry geo = half_geometry(layout, h);
        const int number = page_number(job, layout, sheet, h);
        const HalfPlan half = plan_half(doc, layout, page.next);
        for (std::size_t t = 0; t < half.tiers.size(); ++t) {
            const TierPlan& tier = half.tiers[t];
            if (tier.lines <= 0) continue;
            emit_tier_text(doc, layout, geo, static_cast<int>(t), tier.start, tier.lines,
                           request.line_format_colours, &state, &text, &rubies);
        }
        if (layout.format.flags != 0)
            emit_pdf_header(layout, layout_page_header(layout, request.titles, number, half.last_tier_start(), h), m,
                            &header);
        ++page.halves;
        page.next = half.next;
        if (job_done(job, half)) {
            page.ended = true;
            break;
        }
    }
    page.stream.reserve(text.size() + rubies.size() + header.size() + 8);
    page.stream += "BT\r\n";
    page.stream += text;
    page.stream += rubies;
    page.stream += header;
    page.stream += "ET";
    return page;
}

// ---- the outline ----

struct OutlineItem {
    int level = 1;                 // 1..8; the title item 0
    std::string title;             // code page 932
    int page = 0;                  // destination: page index
    int parent = -1, prev = -1, next = -1, first = -1, last = -1;   // item indices; parent -1 = the root
    int descendants = 0;
};

std::vector<OutlineItem> outline_items(const std::vector<IndexEntry>& index, const std::vector<int>& pages,
                                       const PdfRequest& request) {
    std::vector<OutlineItem> items;
    if (request.options.outline_title) items.push_back(OutlineItem{0, request.info.title, 0});
    for (std::size_t i = 0; i < index.size(); ++i)
        items.push_back(OutlineItem{(index[i].level & 7) + 1, index[i].title, pages[i]});
    int root_last = -1;
    for (int i = 0; i < static_cast<int>(items.size()); ++i) {
        OutlineItem& it = items[static_cast<std::size_t>(i)];
        // The nearest preceding item of a lower level is the parent.
        int parent = -1;
        for (int p = i - 1; p >= 0; --p)
            if (items[static_cast<std::size_t>(p)].level < it.level) {
                parent = p;
                break;
            }
        it.parent = parent;
        int& last = parent < 0 ? root_last : items[static_cast<std::size_t>(parent)].last;
        if (last >= 0) {
            items[static_cast<std::size_t>(last)].next = i;
            it.prev = last;
        } else if (parent >= 0) {
            items[static_cast<std::size_t>(parent)].first = i;
        }
        last = i;
        for (int p = parent; p >= 0; p = items[static_cast<std::size_t>(p)].parent)
            ++items[static_cast<std::size_t>(p)].descendants;
    }
    return items;
}

void outline_objects(PdfFile& f, int root, const std::vector<OutlineItem>& items) {
    auto obj = [root](int i) { return std::to_string(root + 1 + i) + " 0 R"; };
    int root_first = -1, root_last = -1;
    for (int i = 0; i < static_cast<int>(items.size()); ++i)
        if (items[static_cast<std::size_t>(i)].parent < 0) {
            if (root_first < 0) root_first = i;
            root_last = i;
        }
    f.begin_object(root);
    f.line("<<");
    f.line("/Type /Outlines");
    f.line("/First " + obj(root_first));
    f.line("/Last " + obj(root_last));
    f.line("/Count " + std::to_string(items.size()));
    f.line(">>");
    f.line("endobj");
    for (int i = 0; i < static_cast<int>(items.size()); ++i) {
        const OutlineItem& it = items[static_cast<std::size_t>(i)];
        f.begin_object(root + 1 + i);
        f.line("<< /Title <" + to_utf16_hex(it.title) + ">");
        f.line("/Parent " + (it.parent < 0 ? std::to_string(root) + " 0 R" : obj(it.parent)));
        if (it.prev >= 0) f.line("/Prev " + obj(it.prev));
        if (it.next >= 0) f.line("/Next " + obj(it.next));
        if (it.first >= 0) {
            f.line("/First " + obj(it.first));
            f.line("/Last " + obj(it.last));
            f.line("/Count " + std::to_string(it.descendants));
        }
        f.line("/Dest [ " + std::to_string(OBJ_FIRST_PAGE + 2 * it.page) + " 0 R /Fit ]");
        f.line(">>");
        f.line("endobj");
    }
}

std::string date_text(const PdfTime& t) {
    char buf[40];
    std::snprintf(buf, sizeof buf, "(D:%04u%02u%02u%02u%02u%02u)", static_cast<unsigned>(t.year) % 10000u,
                  static_cast<unsigned>(t.month) % 100u, static_cast<unsigned>(t.day) % 100u,
                  static_cast<unsigned>(t.hour) % 100u, static_cast<unsigned>(t.minute) % 100u,
                  static_cast<unsigned>(t.second) % 100u);
    return buf;
}

void note_stream(const PdfFile::StreamResult& r, PdfReport* report) {
    if (!r.error.empty()) report->notices.push_back(r.error);
}

}  // namespace

PdfStatus build_pdf(Document& doc, const PrintLayout& layout, const PrintJob& job, const PdfRequest& request,
                    std::string* file, PdfReport* report) {
    *report = PdfReport{};
    file->clear();
    const Mapper m{72.0 / std::max(layout.page.res(), 1), layout.page.height};
    const double page_w = m.len(layout.page.width), page_h = m.len(layout.page.height);

    // The pages first: their count decides the kids list and the outline's number.
    std::vector<std::string> streams;
    std::vector<int> destinations(request.index.size(), -1);
    std::size_t assigned = 0, total = 0;
    TextPos pos = job.start;
    const std::uint64_t lines = doc.lines.total_display_lines() + 1;
    const std::uint64_t last = job.mode == RANGE_PAGES && !job.marked
        ? static_cast<std::uint64_t>(std::max(job.last_sheet, job.first_sheet))
        : static_cast<std::uint64_t>(job.first_sheet) + lines;
    for (std::uint64_t sheet = static_cast<std::uint64_t>(job.first_sheet); sheet <= last; ++sheet) {
        PageText page = emit_page_text(doc, layout, job, request, static_cast<int>(sheet), pos, m);
        total += page.stream.size();
        if (total > PDF_SIZE_LIMIT) return PdfStatus::TOO_LARGE;
        report->halves += page.halves;
        // Entries whose line begins before the position reached open this page.
        const int index = static_cast<int>(streams.size());
        while (assigned < request.index.size() &&
               (page.ended || TextPos(request.index[assigned].line, 0) < page.next)) {
            destinations[assigned++] = index;
        }
        streams.push_back(std::move(page.stream));
        if (page.ended) break;
        pos = page.next;
    }
    const int pages = static_cast<int>(streams.size());
    report->pages = pages;
    for (int& d : destinations)
        if (d < 0) d = std::max(pages - 1, 0);   // past the last page: the last page

    const bool outline = request.options.outline && !request.index.empty() && pages > 0;
    const int outline_root = OBJ_FIRST_PAGE + 2 * pages;

    PdfFile f;
    f.reserve(total + static_cast<std::size_t>(pages) * 256 + 65536);
    f.begin_object(OBJ_INFO);
    f.line("<<");
    f.line("/Title <" + to_utf16_hex(request.info.title) + ">");
    f.line("/Subject <" + to_utf16_hex(request.info.subtitle) + ">");
    f.line("/Author <" + to_utf16_hex(request.info.author) + ">");
    f.line("/Creator <" + to_utf16_hex(utf8_to_sjis(CREATOR)) + ">");
    f.line("/Producer <" + to_utf16_hex(utf8_to_sjis(PRODUCER)) + ">");
    f.line("/CreationDate " + date_text(request.time));
    f.line("/ModDate " + date_text(request.time));
    f.line(">>");
    f.line("endobj");

    f.begin_object(OBJ_CATALOG);
    f.line("<<");
    f.line("/Type /Catalog");
    f.line("/Pages " + std::to_string(OBJ_PAGES) + " 0 R");
    if (outline) {
        f.line("/Outlines " + std::to_string(outline_root) + " 0 R");
        if (request.options.outline_open) f.line("/PageMode /UseOutlines");
    }
    f.line(">>");
    f.line("endobj");

    font_objects(f, layout);

    const bool image = uses_image(request.background);
    f.begin_object(OBJ_RESOURCES, "Resource");
    f.line("<<");
    f.line("/ProcSet [ /PDF /Text /ImageC ]");
    f.line("/Font << /F1 3 0 R /F2 6 0 R /F3 7 0 R /F4 9 0 R /F5 10 0 R /F6 13 0 R >>");
    if (image) f.line("/XObject << /Im1 16 0 R >>");
    f.line(">>");
    f.line("endobj");

    std::string shared = background_operators(request.background, page_w, page_h);
    shared += grid_operators(layout, m);
    if (!shared.empty() && shared.size() >= 2 && shared.compare(shared.size() - 2, 2, "\r\n") == 0)
        shared.resize(shared.size() - 2);
    note_stream(f.stream_object(OBJ_SHARED, {}, shared, request.options.compress), report);

    if (image) {
        const RgbImage& img = request.background.image;
        note_stream(f.stream_object(OBJ_IMAGE,
                                    {"/Type /XObject", "/Subtype /Image", "/BitsPerComponent 8",
                                     "/ColorSpace /DeviceRGB",
                                     "/Width " + std::to_string(img.width) + " /Height " + std::to_string(img.height)},
                                    img.pixels, true),
                    report);
    } else {
        f.begin_object(OBJ_IMAGE, "XObject-Dummy");
        f.line("null");
        f.line("endobj");
    }

    f.begin_object(OBJ_PAGES);
    f.line("<<");
    f.line("/Type /Pages");
    std::string kids = "/Kids [ ";
    for (int i = 0; i < pages; ++i) kids += std::to_string(OBJ_FIRST_PAGE + 2 * i) + " 0 R ";
    f.line(kids + "]");
    f.line("/Count " + std::to_string(pages));
    f.line("/MediaBox [ 0 0 " + num(page_w) + " " + num(page_h) + " ]");
    f.line("/Resources " + std::to_string(OBJ_RESOURCES) + " 0 R");
    f.line(">>");
    f.line("endobj");

    for (int i = 0; i < pages; ++i) {
        f.begin_object(OBJ_FIRST_PAGE + 2 * i);
        f.line("<<");
        f.line("/Type /Page");
        f.line("/Parent " + std::to_string(OBJ_PAGES) + " 0 R");
        f.line("/Contents [ " + std::to_string(OBJ_SHARED) + " 0 R " + std::to_string(OBJ_FIRST_PAGE + 2 * i + 1) +
               " 0 R ]");
        f.line(">>");
        f.line("endobj");
        note_stream(f.stream_object(OBJ_FIRST_PAGE + 2 * i + 1, {}, streams[static_cast<std::size_t>(i)],
                                    request.options.compress),
                    report);
        std::string().swap(streams[static_cast<std::size_t>(i)]);
        if (f.size() > PDF_SIZE_LIMIT) return PdfStatus::TOO_LARGE;
    }

    if (outline) {
        const std::vector<OutlineItem> items = outline_items(request.index, destinations, request);
        outline_objects(f, outline_root, items);
        report->outline_items = static_cast<int>(items.size());
    }
    *file = f.finish(OBJ_CATALOG, OBJ_INFO);
    if (file->size() > PDF_SIZE_LIMIT) {
        file->clear();
        return PdfStatus::TOO_LARGE;
    }
    return PdfStatus::OK;
}

}  // namespace rix

// PainterSurface and ImageSurface: drawing on QPainter, vertical glyph
// forms through HarfBuzz, and the pixel operations of the backing store.
#include "platform/qt/image_surface.h"

#include <QBuffer>
#include <QGlyphRun>
#include <QPen>

#include <hb.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "platform/codec.h"
#include "platform/files.h"
#include "platform/qt/qt_fonts.h"

namespace rix {

namespace {

// Unicode vertical presentation forms of the characters that have one. The
// Tu characters among them (、。，！？) take theirs too when the font has no
// `vert` alternate: a presentation form is the transformed glyph Tu asks
// for, and it stands upright; only Tr and R characters ever rotate.
struct PresentationForm {
    char32_t ch, form;
};
constexpr PresentationForm PRESENTATION_FORMS[] = {
    {0x2014, 0xFE31}, {0x2013, 0xFE32}, {0x2025, 0xFE30}, {0x2026, 0xFE19}, {0x3001, 0xFE11},
    {0x3002, 0xFE12}, {0x3008, 0xFE3F}, {0x3009, 0xFE40}, {0x300A, 0xFE3D}, {0x300B, 0xFE3E},
    {0x300C, 0xFE41}, {0x300D, 0xFE42}, {0x300E, 0xFE43}, {0x300F, 0xFE44}, {0x3010, 0xFE3B},
    {0x3011, 0xFE3C}, {0x3014, 0xFE39}, {0x3015, 0xFE3A}, {0x3016, 0xFE17}, {0x3017, 0xFE18},
    {0xFF01, 0xFE15}, {0xFF08, 0xFE35}, {0xFF09, 0xFE36}, {0xFF0C, 0xFE10}, {0xFF1A, 0xFE13},
    {0xFF1B, 0xFE14}, {0xFF1F, 0xFE16}, {0xFF3B, 0xFE47}, {0xFF3D, 0xFE48}, {0xFF3F, 0xFE33},
    {0xFF5B, 0xFE37}, {0xFF5D, 0xFE38},
};

// The characters of code page 932 text whose vertical orientation is Tr or R
// (Unicode's Vertical_Orientation property, VerticalOrientation.txt of
// UAX #50 revision 17, Unicode 9.0): brackets, dashes, ー, ～, …, arrows,
// most mathematical operators, Greek, Cyrillic, box drawing and a few
// Latin-1 marks. Ranges cover whole runs of the data file, so a code point
// between two code page 932 characters is classed as the data classes it.
// Everything else (U and Tu: kana, kanji, 、。！？，．, full-width letters and
// digits, circled numbers, squared words) stands upright. Half-width
// characters never come here: they lie or stand as their cell asks.
struct CodeRange {
    char32_t first, last;
};
constexpr CodeRange TURNING_IN_VERTICAL_TEXT[] = {
    {0x00A8, 0x00A8}, {0x00B0, 0x00B0}, {0x00B4, 0x00B4}, {0x00B6, 0x00B6}, {0x0370, 0x04FF},
    {0x2010, 0x2015}, {0x2018, 0x201F}, {0x2022, 0x202F}, {0x2032, 0x203A}, {0x212B, 0x212B},
    {0x2190, 0x221D}, {0x221F, 0x2233}, {0x2236, 0x22FF}, {0x2500, 0x259F}, {0x3008, 0x3011},
    {0x3014, 0x301F}, {0x3030, 0x3030}, {0x30A0, 0x30A0}, {0x30FC, 0x30FC}, {0xFF08, 0xFF09},
    {0xFF0D, 0xFF0D}, {0xFF1A, 0xFF1E}, {0xFF3B, 0xFF3B}, {0xFF3D, 0xFF3D}, {0xFF3F, 0xFF3F},
    {0xFF5B, 0xFF60}, {0xFFE3, 0xFFE3},
};

}  // namespace

bool save_png_file(const QImage& image, const std::string& path) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) return false;
    return atomic_replace(path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

bool turns_in_vertical_text(char32_t c) {
    return std::any_of(std::begin(TURNING_IN_VERTICAL_TEXT), std::end(TURNING_IN_VERTICAL_TEXT),
                       [c](const CodeRange& r) { return r.first <= c && c <= r.last; });
}

namespace {

char32_t presentation_form(char32_t c) {
    for (const PresentationForm& f : PRESENTATION_FORMS)
        if (f.ch == c) return f.form;
    return 0;
}

// hb_face tables served from the QRawFont Qt loaded.
hb_blob_t* reference_table(hb_face_t*, hb_tag_t tag, void* user) {
    const auto* raw = static_cast<const QRawFont*>(user);
    const char name[5] = {static_cast<char>(tag >> 24), static_cast<char>(tag >> 16), static_cast<char>(tag >> 8),
                          static_cast<char>(tag), 0};
    auto* data = new QByteArray(raw->fontTable(name));
    if (data->isEmpty()) {
        delete data;
        return hb_blob_get_empty();
    }
    return hb_blob_create(data->constData(), static_cast<unsigned>(data->size()), HB_MEMORY_MODE_READONLY, data,
                          [](void* p) { delete static_cast<QByteArray*>(p); });
}

hb_font_t* make_hb_font(const QRawFont& raw) {
    hb_face_t* face = hb_face_create_for_tables(reference_table, new QRawFont(raw),
                                                [](void* p) { delete static_cast<QRawFont*>(p); });
    hb_font_t* font = hb_font_create(face);
    hb_face_destroy(face);
    return font;
}

char32_t decode_cell_char(std::uint16_t code, bool single) {
    std::string bytes;
    if (!single) bytes.push_back(static_cast<char>(code >> 8));
    bytes.push_back(static_cast<char>(code & 0xFF));
    return decode_char_at(bytes, 0);
}

QRect rect_of(const SurfaceRect& r) { return QRect(r.x, r.y, r.w, r.h); }

}  // namespace

QColor qt_colour(std::uint32_t c) {
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
}

PainterSurface::FontSlot::~FontSlot() {
    if (hb) hb_font_destroy(hb);
}

PainterSurface::~PainterSurface() {
    if (painter_.isActive()) painter_.end();
}

void PainterSurface::set_device(QPaintDevice* device) {
    flush();
    device_ = device;
}

QPainter& PainterSurface::painter() {
    if (!painter_.isActive() && device_) {
        painter_.begin(device_);
        if (scale_ != 1) painter_.scale(scale_, scale_);
        painter_.setRenderHint(QPainter::Antialiasing, false);
        painter_.setRenderHint(QPainter::TextAntialiasing, true);
    }
    return painter_;
}

void PainterSurface::flush() {
    flush_run();
    if (painter_.isActive() && !keep_painter_open_) painter_.end();
}

bool PainterSurface::end_painter() {
    flush_run();
    return !painter_.isActive() || painter_.end();
}

namespace {

bool same_request(const FontRequest& a, const FontRequest& b) {
    return a.face == b.face && a.vertical == b.vertical && a.pixel_height == b.pixel_height &&
           a.pixel_width == b.pixel_width && a.weight == b.weight && a.italic == b.italic;
}

}  // namespace

bool PainterSurface::set_font(int slot, const FontRequest& request) {
    if (slot < 0 || slot >= FONT_SLOTS) return false;
    // The font of the slot already: it stays, with the glyphs it has looked up
    // (the guide boxes set theirs on every redraw).
    const auto& held = fonts_[static_cast<std::size_t>(slot)];
    if (held && same_request(held->request, request)) return true;
    QtFonts fonts;
    const FontMetrics m = fonts.metrics(request);
    if (!m.valid) return false;
    QRawFont raw = QRawFont::fromFont(qt_font_for(request));
    if (!raw.isValid()) return false;
    flush_run();
    auto f = std::make_unique<FontSlot>();
    f->request = request;
    f->raw = raw;
    f->ascent = m.ascent;
    if (request.vertical) f->hb = make_hb_font(raw);
    fonts_[static_cast<std::size_t>(slot)] = std::move(f);
    return true;
}

quint32 PainterSurface::vertical_glyph(FontSlot& slot, char32_t ch, quint32 horizontal) {
    hb_buffer_t* buf = hb_buffer_create();
    const std::uint32_t cp = ch;
    hb_buffer_add_utf32(buf, &cp, 1, 0, 1);
    hb_buffer_set_direction(buf, HB_DIRECTION_TTB);
    hb_buffer_guess_segment_properties(buf);
    hb_feature_t vert;
    hb_feature_from_string("vert", -1, &vert);
    hb_shape(slot.hb, buf, &vert, 1);
    unsigned count = 0;
    const hb_glyph_info_t* info = hb_buffer_get_glyph_infos(buf, &count);
    const quint32 glyph = count == 1 ? info[0].codepoint : horizontal;
    hb_buffer_destroy(buf);
    return glyph;
}

const PainterSurface::GlyphForm& PainterSurface::glyph_form(FontSlot& slot, std::uint16_t code, bool single,
                                                            bool vertical) {
    const std::uint32_t key = code | (single ? 1u << 16 : 0) | (vertical ? 1u << 17 : 0);
    auto it = slot.cache.find(key);
    if (it != slot.cache.end()) return it->second;
    GlyphForm form;
    const char32_t ch = decode_cell_char(code, single);
    auto glyph_of = [&](char32_t c) -> quint32 {
        const QVector<quint32> g = slot.raw.glyphIndexesForString(QString::fromUcs4(&c, 1));
        return g.isEmpty() ? 0 : g.front();
    };
    form.glyph = glyph_of(ch);
    if (vertical && !slot.request.vertical) {
        form.turned = true;   // not a vertical font: everything lies, as in a rotated font
    } else if (vertical) {
        const quint32 alternate = slot.hb ? vertical_glyph(slot, ch, form.glyph) : form.glyph;
        const char32_t pf = presentation_form(ch);
        if (alternate != form.glyph && alternate != 0) form.glyph = alternate;
        else if (pf != 0 && slot.raw.supportsCharacter(pf)) form.glyph = glyph_of(pf);
        else form.turned = turns_in_vertical_text(ch);
    }
    const QVector<QPointF> adv = slot.raw.advancesForGlyphIndexes(QVector<quint32>{form.glyph});
    form.advance = adv.isEmpty() ? 0 : adv.front().x();
    return slot.cache.emplace(key, form).first->second;
}

void PainterSurface::flush_run() {
    if (run_glyphs_.isEmpty() || run_font_ < 0 || !fonts_[static_cast<std::size_t>(run_font_)]) {
        run_glyphs_.clear();
        run_positions_.clear();
        return;
    }
    QGlyphRun run;
    run.setRawFont(fonts_[static_cast<std::size_t>(run_font_)]->raw);
    run.setGlyphIndexes(run_glyphs_);
    run.setPositions(run_positions_);
    QPainter& p = painter();
    p.setPen(qt_colour(run_colour_));
    p.drawGlyphRun(QPointF(0, 0), run);
    run_glyphs_.clear();
    run_positions_.clear();
}

void PainterSurface::place_upright(int slot, const GlyphForm& form, QPointF origin, std::uint32_t colour) {
    if (run_font_ != slot || run_colour_ != colour) {
        flush_run();
        run_font_ = slot;
        run_colour_ = colour;
    }
    run_glyphs_.push_back(form.glyph);
    run_positions_.push_back(origin);
}

void PainterSurface::place_turned(FontSlot& slot, const GlyphForm& form, QPointF top_right, std::uint32_t colour) {
    flush_run();
    QGlyphRun run;
    run.setRawFont(slot.raw);
    run.setGlyphIndexes({form.glyph});
    run.setPositions({QPointF(0, slot.ascent)});
    QPainter& p = painter();
    p.save();
    p.translate(top_right);
    p.rotate(90);
    p.setPen(qt_colour(colour));
    p.drawGlyphRun(QPointF(0, 0), run);
    p.restore();
}

void PainterSurface::draw_pair(int slot_index, const CellGlyph& g) {
    FontSlot& slot = *fonts_[static_cast<std::size_t>(slot_index)];
    const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(g.code >> 8), static_cast<std::uint8_t>(g.code & 0xFF)};
    for (int i = 0; i < 2; ++i) {
        if (bytes[i] == 0x20) continue;
        const GlyphForm& form = glyph_form(slot, bytes[i], true, false);
        const int offset = i == 0 ? 0 : g.second_offset;
        if (g.mode == GlyphMode::HALF_LYING) {
            place_turned(slot, form, QPointF(g.box.x + g.box.w, g.box.y + offset), g.colour);
        } else {
            place_upright(slot_index, form, QPointF(g.box.x + offset, g.box.y + slot.ascent), g.colour);
        }
    }
}

void PainterSurface::draw_cell(const CellGlyph& g) {
    if (g.font < 0 || g.font >= FONT_SLOTS || !fonts_[static_cast<std::size_t>(g.font)]) return;
    FontSlot& slot = *fonts_[static_cast<std::size_t>(g.font)];
    if (g.clip) {
        flush_run();
        painter().save();
        painter().setClipRect(rect_of(g.box));
    }
    if (g.half) {
        draw_pair(g.font, g);
    } else {
        const bool vertical = g.mode == GlyphMode::VERTICAL;
        const GlyphForm& form = glyph_form(slot, g.code, false, vertical);
        const qreal em = slot.raw.pixelSize();
        if (form.turned) {
            place_turned(slot, form, QPointF(g.box.x + g.box.w, g.box.y), g.colour);
        } else {
            // Vertical glyphs hang from the line's right edge; horizontal ones start at the box.
            const qreal x = vertical ? g.box.x + g.box.w - em : g.box.x;
            place_upright(g.font, form, QPointF(x, g.box.y + slot.ascent), g.colour);
        }
    }
    if (g.clip) {
        flush_run();
        painter().restore();
    }
}

void PainterSurface::draw_line(int x0, int y0, int x1, int y1, std::uint32_t colour) {
    flush_run();
    QPainter& p = painter();
    p.setPen(QPen(qt_colour(colour), 0));
    if (x0 == x1 && y0 == y1) p.drawPoint(x0, y0);
    else p.drawLine(x0, y0, x1, y1);
}

void PainterSurface::draw_dotted_line(int x0, int y0, int x1, int y1, std::uint32_t colour) {
    flush_run();
    QPainter& p = painter();
    p.setPen(QPen(qt_colour(colour), 0, Qt::DotLine));
    p.drawLine(x0, y0, x1, y1);
}

void PainterSurface::draw_ellipse(const SurfaceRect& box, std::uint32_t colour) {
    flush_run();
    QPainter& p = painter();
    p.setPen(QPen(qt_colour(colour), 0));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(box.x, box.y, std::max(box.w - 1, 0), std::max(box.h - 1, 0)));
}

void PainterSurface::draw_arc(const SurfaceRect& box, int xs, int ys, int xe, int ye, std::uint32_t colour) {
    flush_run();
    const qreal cx = box.x + box.w / 2.0, cy = box.y + box.h / 2.0;
    const qreal a0 = std::atan2(-(ys - cy), xs - cx) * 180.0 / M_PI;
    const qreal a1 = std::atan2(-(ye - cy), xe - cx) * 180.0 / M_PI;
    qreal span = a1 - a0;
    while (span <= 0) span += 360.0;
    QPainter& p = painter();
    p.setPen(QPen(qt_colour(colour), 0));
    p.drawArc(QRectF(box.x, box.y, std::max(box.w - 1, 0), std::max(box.h - 1, 0)), static_cast<int>(a0 * 16),
              static_cast<int>(span * 16));
}

void PainterSurface::fill_rect(const SurfaceRect& r, std::uint32_t colour) {
    flush_run();
    painter().fillRect(rect_of(r), qt_colour(colour));
}

void PainterSurface::draw_picture(const Picture& picture, const SurfaceRect& dst, const SurfaceRect& clip) {
    if (!picture.valid() || dst.empty() || clip.empty()) return;
    flush_run();
    // The pixels are 0xFFRRGGBB rows without padding: a 32-bit RGB image
    // over them, no copy.
    const QImage image(reinterpret_cast<const uchar*>(picture.pixels.data()), picture.width, picture.height,
                       static_cast<qsizetype>(picture.width) * 4, QImage::Format_RGB32);
    QPainter& p = painter();
    p.save();
    p.setClipRect(rect_of(clip));
    // A picture stretched by a whole factor (the tiles of the screen and of a
    // page twice as wide) keeps its pixels sharp; any other stretch is smoothed.
    const bool whole = dst.w % picture.width == 0 && dst.h % picture.height == 0 &&
                       dst.w / picture.width == dst.h / picture.height;
    p.setRenderHint(QPainter::SmoothPixmapTransform, !whole);
    p.drawImage(rect_of(dst), image);
    p.restore();
}

// ---- ImageSurface ----

ImageSurface::ImageSurface(int width, int height, std::uint32_t fill)
    : PainterSurface(nullptr), image_(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32) {
    image_.fill(qt_colour(fill));
    set_device(&image_);
}

void ImageSurface::resize(int width, int height, std::uint32_t fill) {
    end_painting();
    image_ = QImage(std::max(width, 1), std::max(height, 1), QImage::Format_RGB32);
    image_.fill(qt_colour(fill));
    set_device(&image_);
}

const QImage& ImageSurface::image() {
    end_painting();
    return image_;
}

void ImageSurface::invert_rect(const SurfaceRect& r) {
    end_painting();
    const QRect area = rect_of(r).intersected(image_.rect());
    for (int y = area.top(); y <= area.bottom(); ++y) {
        auto* line = reinterpret_cast<quint32*>(image_.scanLine(y));
        for (int x = area.left(); x <= area.right(); ++x) line[x] ^= 0x00FFFFFFu;
    }
}

void ImageSurface::copy_from(const Surface& src, const SurfaceRect& r, int dst_x, int dst_y) {
    auto* source = dynamic_cast<const ImageSurface*>(&src);
    if (!source) return;
    // Pending drawing of either surface must reach its pixels first.
    const_cast<ImageSurface*>(source)->end_painting();
    end_painting();
    QRect from = rect_of(r).intersected(source->image_.rect());
    if (from.isEmpty()) return;
    QRect to(dst_x + (from.x() - r.x), dst_y + (from.y() - r.y), from.width(), from.height());
    const QRect clipped = to.intersected(image_.rect());
    if (clipped.isEmpty()) return;
    from.translate(clipped.x() - to.x(), clipped.y() - to.y());
    from.setSize(clipped.size());
    // A copy of the source rows first: source and destination may overlap.
    const QImage piece = source->image_.copy(from);
    const std::size_t row_bytes = static_cast<std::size_t>(clipped.width()) * 4;
    for (int y = 0; y < clipped.height(); ++y) {
        std::memcpy(image_.scanLine(clipped.y() + y) + static_cast<std::size_t>(clipped.x()) * 4,
                    piece.constScanLine(y), row_bytes);
    }
}

}  // namespace rix

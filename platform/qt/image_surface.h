// Surfaces on QPainter: PainterSurface holds the drawing code shared by the
// screen and the printer (fonts, one character cell at a time, lines,
// fills); ImageSurface is the QImage backing store the edit view copies to
// the screen, with the pixel operations (invert, copy, scroll) a window
// device context offers.
//
// Vertical writing: a full-width character of a vertical ("@") font stands
// upright in the glyph HarfBuzz's `vert` feature selects from the font
// tables Qt loaded (QRawFont tables -> hb_face), drawn with QGlyphRun; where
// the font has no vertical alternate, the Unicode vertical presentation form
// (U+FE10..FE19, U+FE30..FE4F) when the font has it, else the horizontal
// glyph turned 90° clockwise for the characters whose vertical orientation
// is Tr or R (long vowel mark, dashes, brackets, ...: turns_in_vertical_text).
// Every other character (kana, kanji, ！, ？, ...) stands upright in its
// horizontal glyph when the font has no form of its own. A font that is not vertical draws
// every character turned, as a rotated font would. Half-width pairs lie
// turned or stand upright side by side as the cell asks. The baseline is the
// font's typographic ascender below the top of the glyph box. Glyph choices
// are cached per font slot and code.
//
// Upright glyphs are collected and drawn as one QGlyphRun per font and
// colour; everything else draws the collected run first, so the order of
// drawing is kept. flush() draws what is pending and ends the painter.
#pragma once

#include <QImage>
#include <QPainter>
#include <QPointF>
#include <QRawFont>

#include <array>
#include <string>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/picture_surface.h"
#include "platform/surface.h"

struct hb_font_t;

namespace rix {

class PainterSurface : public Surface, public PictureSurface {
public:
    ~PainterSurface() override;
    PainterSurface(const PainterSurface&) = delete;
    PainterSurface& operator=(const PainterSurface&) = delete;

    bool set_font(int slot, const FontRequest& request) override;
    void draw_cell(const CellGlyph& glyph) override;
    void draw_line(int x0, int y0, int x1, int y1, std::uint32_t colour) override;
    void draw_dotted_line(int x0, int y0, int x1, int y1, std::uint32_t colour) override;
    void draw_ellipse(const SurfaceRect& box, std::uint32_t colour) override;
    void draw_arc(const SurfaceRect& box, int xs, int ys, int xe, int ye, std::uint32_t colour) override;
    void fill_rect(const SurfaceRect& r, std::uint32_t colour) override;
    void draw_picture(const Picture& picture, const SurfaceRect& dst, const SurfaceRect& clip) override;
    // A printer has no pixels to invert or copy: these do nothing here.
    void invert_rect(const SurfaceRect&) override {}
    void copy_from(const Surface&, const SurfaceRect&, int, int) override {}
    void flush() override;
    // Every drawing is scaled by `factor` (a preview: the page drawn in
    // device pixels, shown smaller).
    void set_scale(qreal factor) { scale_ = factor; }

protected:
    explicit PainterSurface(QPaintDevice* device) : device_(device) {}
    void set_device(QPaintDevice* device);
    // Draws what is pending and ends the painter (before pixel access).
    void end_painting() { flush(); }
    // A printer's painter lives for the whole document: flush() then only
    // draws what is pending, and the printer ends the painter itself.
    void keep_painter_open(bool keep) { keep_painter_open_ = keep; }
    // The painter on the device, begun on first use; false when it cannot begin.
    bool begin_painter() { return painter().isActive(); }
    // Draws what is pending and ends the painter; false when the device refused.
    bool end_painter();
    void draw_pending() { flush_run(); }

private:
    struct GlyphForm {
        quint32 glyph = 0;
        bool turned = false;        // drawn turned 90° clockwise
        qreal advance = 0;          // horizontal advance, pixels
    };
    struct FontSlot {
        FontRequest request;
        QRawFont raw;
        qreal ascent = 0;           // typographic ascender, pixels
        hb_font_t* hb = nullptr;    // for the `vert` feature; null when not vertical
        std::unordered_map<std::uint32_t, GlyphForm> cache;   // key: code | flags << 16
        ~FontSlot();
    };

    QPainter& painter();
    const GlyphForm& glyph_form(FontSlot& slot, std::uint16_t code, bool half, bool vertical);
    quint32 vertical_glyph(FontSlot& slot, char32_t ch, quint32 horizontal);
    void place_upright(int slot, const GlyphForm& form, QPointF origin, std::uint32_t colour);
    void place_turned(FontSlot& slot, const GlyphForm& form, QPointF top_right, std::uint32_t colour);
    void draw_pair(int slot_index, const CellGlyph& g);
    void flush_run();

    QPaintDevice* device_;
    QPainter painter_;
    bool keep_painter_open_ = false;
    qreal scale_ = 1;
    std::array<std::unique_ptr<FontSlot>, FONT_SLOTS> fonts_;
    // The pending run of upright glyphs.
    int run_font_ = -1;
    std::uint32_t run_colour_ = 0;
    QVector<quint32> run_glyphs_;
    QVector<QPointF> run_positions_;
};

class ImageSurface final : public PainterSurface {
public:
    ImageSurface(int width, int height, std::uint32_t fill = 0xFFFFFF);
    // The painter ends before the image it paints on goes.
    ~ImageSurface() override { end_painter(); }

    int width() const override { return image_.width(); }
    int height() const override { return image_.height(); }
    void invert_rect(const SurfaceRect& r) override;
    void copy_from(const Surface& src, const SurfaceRect& src_rect, int dst_x, int dst_y) override;

    // The pixels, with pending drawing done.
    const QImage& image();
    // A new image of that size, filled; the fonts stay.
    void resize(int width, int height, std::uint32_t fill);

private:
    QImage image_;
};

QColor qt_colour(std::uint32_t colorref);

// True for a character whose vertical orientation is Tr or R: the one that
// turns in vertical text when the font has no vertical form for it.
bool turns_in_vertical_text(char32_t c);

// Writes `image` as a PNG file, whole or not at all: encoded in memory and
// put in place through a temporary file (an existing file stays as it was
// when anything fails).
bool save_png_file(const QImage& image, const std::string& path);

}  // namespace rix

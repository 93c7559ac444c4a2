// Fonts as the logic sees them: a description of a font (the LOGFONT-like
// fields the settings store, as plain values), the FontRequest a font is made from,
// the metrics the geometry and the drawing need, and two small services:
// FontService makes fonts and lists the Japanese faces; FontChooser lets the
// user pick one (the font dialog). The Qt implementations live in
// platform/qt/qt_fonts.h; tests use platform/fake_fonts.h.
//
// Face names are code page 932 bytes. A face that begins with "@" is the
// vertical-writing form of the face after the "@". Windows face names met in
// settings files from elsewhere (ＭＳ 明朝, MS Gothic, ...) are mapped to the
// installed IPA faces when a font is made; the record keeps what it held.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rix {

constexpr std::int16_t FONT_VERTICAL_ESCAPEMENT = 2700;   // tenths of a degree: text runs downwards
constexpr int BOLD_WEIGHT_ABOVE = 500;              // weight > 500 is bold

// The fields of a stored font record, as plain values.
struct FontDescription {
    std::int16_t height = 0;          // pixels; negative = character height
    std::int16_t width = 0;           // pixels; 0 = from the height
    std::int16_t escapement = 0;      // tenths of a degree
    std::int16_t orientation = 0;
    std::int16_t weight = 400;        // 100..900
    std::uint8_t italic = 0;
    std::uint8_t underline = 0;
    std::uint8_t strike_out = 0;
    std::uint8_t charset = 128;       // Shift_JIS
    std::uint8_t out_precision = 0;
    std::uint8_t clip_precision = 0;
    std::uint8_t quality = 0;
    std::uint8_t pitch_and_family = 0;
    std::string face;                 // code page 932, at most 31 bytes stored
};

// What a font is made from.
struct FontRequest {
    std::string face;                 // code page 932, without the leading "@"
    bool vertical = false;            // the face began with "@"
    int pixel_height = 0;             // character height in pixels, >= 1
    int pixel_width = 0;              // 0 = the face's own width
    int weight = 400;                 // 1..1000
    bool italic = false;
};

// Metrics of a made font, in pixels.
struct FontMetrics {
    bool valid = false;               // false: the font could not be made
    int pixel_height = 0;             // the size it was made at
    int cell_w = 0;                   // size of one character as the layout takes it (font_w):
    int cell_h = 0;                   //   the FontRequest's width (or height) and height; a format's
                                      //   own rules may replace them (create_format_font)
    int ascent = 0;                   // the face's typographic ascender: the baseline below the top
    int descent = 0;                  // typographic descender, positive
    int fullwidth_advance = 0;        // advance of a full-width character (あ)
    int halfwidth_advance = 0;        // advance of a half-width digit
    bool substituted = false;         // the face was mapped to an installed one
};

// The FontRequest of a stored font. `face` is the field already read bounded
// (read_field). pixel_height is |height|, at least 1; a weight outside
// 1..1000 becomes 400 (below) or 1000 (above).
FontRequest font_request_from_fields(std::int16_t height, std::int16_t width, std::int16_t weight,
                               bool italic, std::string_view face);

// True when the face names a vertical-writing font.
inline bool is_vertical_face(std::string_view face) { return !face.empty() && face.front() == '@'; }

// The installed face (code page 932, without "@") that stands for `face`
// (with or without "@"): Windows mincho names map to IPAex明朝, gothic names
// to IPAexゴシック; any other name is returned unchanged.
std::string installed_face_for(std::string_view face);

class FontService {
public:
    virtual ~FontService() = default;
    // Makes the font a FontRequest describes and measures it; valid is false when no such
    // face is installed (after the mapping) or the size is unusable.
    virtual FontMetrics metrics(const FontRequest& request) = 0;
    // The faces a format font may use: each installed Japanese family twice,
    // first plain, then with "@"; code page 932, sorted by the plain name.
    virtual std::vector<std::string> japanese_faces() = 0;
};

// A request to the font dialog.
struct FontChoice {
    std::string caption;              // code page 932
    std::string help_topic;           // e.g. "ENV_FONT"
    int min_points = 1;               // size limits of the dialog
    int max_points = 24;
    bool screen_fonts_only = true;    // false for print formats
    FontDescription font;             // in: the current font; out: the chosen one
};

class FontChooser {
public:
    virtual ~FontChooser() = default;
    // Opens the dialog; true and choice->font filled on OK, false on cancel.
    virtual bool choose_font(FontChoice* choice) = 0;
};

}  // namespace rix

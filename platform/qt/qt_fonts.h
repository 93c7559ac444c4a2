// QtFonts: the font service on Qt Gui. Face names are mapped to installed
// families (installed_face_for), the font is made at a pixel size, and its
// metrics are measured: the baseline from the face's own typographic
// ascender (the OS/2 table), not Qt's line ascent, so that the screen, the
// page and the preview place glyphs alike. The surface code makes its QFont
// with qt_font_for so that drawing uses the font that was measured.
#pragma once

#include <QFont>
#include <QString>

#include <string>
#include <string_view>
#include <vector>

#include "platform/fonts.h"

namespace rix {

// The installed family a face name (code page 932, with or without "@") stands for.
QString qt_family_for(std::string_view face);
// The QFont of a FontRequest: mapped family, pixel size, weight, italic, and a
// stretch when it asks for a width of its own.
QFont qt_font_for(const FontRequest& request);

class QtFonts final : public FontService {
public:
    FontMetrics metrics(const FontRequest& request) override;
    std::vector<std::string> japanese_faces() override;
};

}  // namespace rix

// QtFonts: making and measuring fonts, and listing the Japanese families.
//
// Reads only what Qt already loaded: the OS/2 table through QRawFont for the
// typographic ascender and descender. A table that is missing or too short
// falls back to QRawFont's ascent and descent.
#include "platform/qt/qt_fonts.h"

#include <QByteArray>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QRawFont>

#include <algorithm>
#include <cmath>

#include "platform/codec.h"

namespace rix {

namespace {

// OS/2 table:
//   OFFSET  SIZE  MEANING
//   68      2     sTypoAscender, signed, font units, big-endian
//   70      2     sTypoDescender, signed (negative below the baseline)
constexpr int OS2_TYPO_ASCENDER = 68;
constexpr int OS2_TYPO_DESCENDER = 70;

int read_be16(const QByteArray& table, int offset) {
    const auto hi = static_cast<std::uint8_t>(table[offset]);
    const auto lo = static_cast<std::uint8_t>(table[offset + 1]);
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(hi << 8 | lo));
}

// Typographic ascender and descender in pixels; false when the face has none.
bool typo_metrics(const QRawFont& raw, int* ascent, int* descent) {
    const QByteArray os2 = raw.fontTable("OS/2");
    const qreal units = raw.unitsPerEm();
    if (os2.size() < OS2_TYPO_DESCENDER + 2 || units <= 0) return false;
    const int asc = read_be16(os2, OS2_TYPO_ASCENDER);
    const int desc = -read_be16(os2, OS2_TYPO_DESCENDER);
    if (asc <= 0) return false;
    const qreal scale = raw.pixelSize() / units;
    *ascent = static_cast<int>(std::lround(asc * scale));
    *descent = static_cast<int>(std::lround(std::max(desc, 0) * scale));
    return true;
}

}  // namespace

QString qt_family_for(std::string_view face) {
    return QString::fromStdString(sjis_to_utf8(installed_face_for(face)));
}

QFont qt_font_for(const FontRequest& request) {
    QFont font(qt_family_for(request.face));
    font.setPixelSize(std::max(request.pixel_height, 1));
    font.setWeight(static_cast<QFont::Weight>(std::clamp(request.weight, 1, 1000)));
    font.setItalic(request.italic);
    if (request.pixel_width > 0) {
        font.setStretch(std::clamp(request.pixel_width * 100 / std::max(request.pixel_height, 1), 1, 4000));
    }
    font.setStyleStrategy(QFont::NoSubpixelAntialias);
    return font;
}

// Whether the family is installed, by its own or a localised name (IPAex明朝
// for IPAexMincho). The font database resolves localised names only once it
// has been populated, which listing the families does.
static bool family_installed(const QString& family) {
    if (family.isEmpty()) return false;
    static const bool populated = !QFontDatabase::families().isEmpty();
    return populated && QFontDatabase::hasFamily(family);
}

FontMetrics QtFonts::metrics(const FontRequest& request) {
    FontMetrics m;
    const QString family = qt_family_for(request.face);
    if (!family_installed(family)) return m;
    const QFont font = qt_font_for(request);
    const QRawFont raw = QRawFont::fromFont(font);
    if (!raw.isValid()) return m;
    m.valid = true;
    m.substituted = installed_face_for(request.face) != request.face;
    m.pixel_height = std::max(request.pixel_height, 1);
    m.cell_w = request.pixel_width > 0 ? request.pixel_width : m.pixel_height;
    m.cell_h = m.pixel_height;
    if (!typo_metrics(raw, &m.ascent, &m.descent)) {
        m.ascent = static_cast<int>(std::lround(raw.ascent()));
        m.descent = static_cast<int>(std::lround(raw.descent()));
    }
    const QFontMetrics fm(font);
    m.fullwidth_advance = fm.horizontalAdvance(QChar(0x3042));   // あ
    m.halfwidth_advance = fm.horizontalAdvance(QLatin1Char('0'));
    return m;
}

std::vector<std::string> QtFonts::japanese_faces() {
    QStringList families = QFontDatabase::families(QFontDatabase::Japanese);
    families.sort();
    std::vector<std::string> faces;
    for (const QString& family : families) {
        const std::string utf8 = family.toStdString();
        // "@" names are ours; a name code page 932 cannot hold cannot be stored.
        if (family.startsWith(QLatin1Char('@')) || QFontDatabase::isPrivateFamily(family) ||
            !utf8_fits_sjis(utf8)) {
            continue;
        }
        const std::string face = utf8_to_sjis(utf8);
        if (face.size() >= 31) continue;   // "@" + face must fit the 32-byte field with its NUL
        faces.push_back(face);
        faces.push_back("@" + face);
    }
    return faces;
}

}  // namespace rix

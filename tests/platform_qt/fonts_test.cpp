// Fonts: requests from stored fields, the mapping of Windows face names, and the
// Qt service measuring the installed IPA faces (fonts-ipaexfont). The font
// dialog (QtFontChooser) is driven in fmset_dialog_test.cpp.
#include "platform/qt/qt_fonts.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/codec.h"

namespace rix {
namespace {

std::string sj(std::string_view utf8) { return utf8_to_sjis(utf8); }

TEST(Fonts, RequestFromStoredFields) {
    FontRequest s = font_request_from_fields(-24, 0, 700, true, sj("@IPAex明朝"));
    EXPECT_TRUE(s.vertical);
    EXPECT_EQ(s.face, sj("IPAex明朝"));
    EXPECT_EQ(s.pixel_height, 24);
    // Damaged fields: a height of 0 still makes a font, −32768 does not overflow.
    s = font_request_from_fields(0, -12, 0, false, "");
    EXPECT_EQ(s.pixel_height, 1);
    EXPECT_EQ(s.weight, 400);
    EXPECT_EQ(font_request_from_fields(-32768, 0, 9999, false, "x").pixel_height, 32768);
}

TEST(Fonts, WindowsFaceNamesMapToTheIpaFaces) {
    const std::string mincho = sj("IPAex明朝");
    const std::string gothic = sj("IPAexゴシック");
    EXPECT_EQ(installed_face_for(sj("ＭＳ 明朝")), mincho);
    EXPECT_EQ(installed_face_for(sj("@ＭＳ 明朝")), mincho);
    EXPECT_EQ(installed_face_for(sj("ＭＳ Ｐ明朝")), mincho);
    EXPECT_EQ(installed_face_for("MS Mincho"), mincho);
    EXPECT_EQ(installed_face_for(sj("ＭＳ ゴシック")), gothic);
    EXPECT_EQ(installed_face_for("@MS PGothic"), gothic);
    EXPECT_EQ(installed_face_for(sj("@IPAex明朝")), mincho);
    EXPECT_EQ(installed_face_for("Times"), "Times");
}

TEST(Fonts, MeasuresTheMappedFace) {
    QtFonts fonts;
    FontMetrics m = fonts.metrics(font_request_from_fields(-24, 0, 400, false, sj("@ＭＳ 明朝")));
    ASSERT_TRUE(m.valid);
    EXPECT_TRUE(m.substituted);
    EXPECT_EQ(m.cell_h, 24);
    // IPAex faces: typographic ascender 880, descender −120 of 1000 units:
    // 0.88 × 24 = 21.12 → 21, 0.12 × 24 = 2.88 → 3.
    EXPECT_EQ(m.ascent, 21);
    EXPECT_EQ(m.descent, 3);
    EXPECT_EQ(m.fullwidth_advance, 24);
    // IPAex Latin letters and digits are proportional: narrower than a full width.
    EXPECT_GT(m.halfwidth_advance, 0);
    EXPECT_LT(m.halfwidth_advance, m.fullwidth_advance);

    m = fonts.metrics(font_request_from_fields(-16, 0, 400, false, sj("IPAexゴシック")));
    ASSERT_TRUE(m.valid);
    EXPECT_FALSE(m.substituted);
    EXPECT_EQ(m.fullwidth_advance, 16);

    EXPECT_FALSE(fonts.metrics(font_request_from_fields(-24, 0, 400, false, sj("無い書体"))).valid);
}

TEST(Fonts, JapaneseFacesComePlainAndVertical) {
    QtFonts fonts;
    const std::vector<std::string> faces = fonts.japanese_faces();
    ASSERT_FALSE(faces.empty());
    ASSERT_EQ(faces.size() % 2, 0u);
    for (std::size_t i = 0; i < faces.size(); i += 2) {
        EXPECT_EQ(faces[i + 1], "@" + faces[i]);
        EXPECT_FALSE(is_vertical_face(faces[i]));
    }
    const bool has_mincho = std::any_of(faces.begin(), faces.end(), [](const std::string& f) {
        return f == "IPAexMincho" || f == sj("IPAex明朝");
    });
    EXPECT_TRUE(has_mincho);
}

}  // namespace
}  // namespace rix

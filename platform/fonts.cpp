// The portable half of the font services: font requests from stored fields and the
// mapping of Windows face names to the installed IPA faces.
#include "platform/fonts.h"

#include <cstdlib>

#include "platform/codec.h"

namespace rix {

namespace {

// A face name folded for comparison: full-width ASCII made half-width,
// spaces (half- and full-width) dropped, Latin letters lower-cased.
std::u32string fold_face(std::string_view face_cp932) {
    std::u32string out;
    for (char32_t c : sjis_to_utf32(face_cp932)) {
        if (c >= 0xFF01 && c <= 0xFF5E) c -= 0xFEE0;
        if (c == U' ' || c == 0x3000) continue;
        if (c >= U'A' && c <= U'Z') c += 0x20;
        out.push_back(c);
    }
    return out;
}

struct FaceMapping {
    const char32_t* folded;   // as fold_face gives it
    bool gothic;              // false: mincho
};

constexpr FaceMapping WINDOWS_FACES[] = {
    {U"ms明朝", false},      {U"msmincho", false},   {U"msp明朝", false},
    {U"mspmincho", false},   {U"游明朝", false},     {U"yumincho", false},
    {U"msゴシック", true},   {U"msgothic", true},    {U"mspゴシック", true},
    {U"mspgothic", true},    {U"msuigothic", true},  {U"メイリオ", true},
    {U"meiryo", true},       {U"游ゴシック", true},  {U"yugothic", true},
};

}  // namespace

FontRequest font_request_from_fields(std::int16_t height, std::int16_t width, std::int16_t weight,
                               bool italic, std::string_view face) {
    FontRequest request;
    request.vertical = is_vertical_face(face);
    request.face = std::string(request.vertical ? face.substr(1) : face);
    request.pixel_height = std::abs(static_cast<int>(height));
    if (request.pixel_height < 1) request.pixel_height = 1;
    request.pixel_width = std::abs(static_cast<int>(width));
    request.weight = weight < 1 ? 400 : (weight > 1000 ? 1000 : weight);
    request.italic = italic;
    return request;
}

std::string installed_face_for(std::string_view face) {
    if (is_vertical_face(face)) face.remove_prefix(1);
    const std::u32string folded = fold_face(face);
    for (const FaceMapping& m : WINDOWS_FACES) {
        if (folded == m.folded) return utf8_to_sjis(m.gothic ? "IPAexゴシック" : "IPAex明朝");
    }
    return std::string(face);
}

}  // namespace rix

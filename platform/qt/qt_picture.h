// The BMP decoder of platform/picture.h on Qt: a file whose headers passed
// check_bmp is decoded by QImage (every depth, RLE and bit fields included)
// and handed back as opaque 0xFFRRGGBB pixels.
#pragma once

#include <string_view>

#include "platform/picture.h"

namespace rix {

bool decode_bmp_with_qt(std::string_view file, Picture* out);
// Makes decode_bmp_with_qt the installed BMP decoder.
void install_qt_picture_decoder();

}  // namespace rix

// Pictures for the background of the edit window and of printed pages:
// reading a JPEG or Windows BMP file into a decoded picture held in memory.
//
// JPEG is decoded here with libjpeg-turbo; its errors come back through a
// handler that jumps out of the decoder, so a broken file never ends the
// process. A BMP file's headers are checked here against the file's real
// size before anyone decodes it (BMP_RULES below); the pixels are then
// decoded by the installed BMP decoder (the Qt adapter installs one; until
// then BMP files are refused as unreadable).
//
// BMP_RULES, what a BMP file must satisfy to be handed to the decoder:
//
//   OFFSET  SIZE  FIELD          RULE
//   0       2     bfType         "BM"                          else NOT_BITMAP
//   2       4     bfSize         not trusted: the real size counts
//   10      4     bfOffBits      54 + colour table <= it < real size
//   14      4     biSize         40 .. 124 (40, 52, 56, 108, 124 in practice)
//   18      4     biWidth        1 .. PICTURE_MAX_SIDE
//   22      4     biHeight       1 .. PICTURE_MAX_SIDE, or negative (top-down)
//   28      2     biBitCount     1, 4, 8, 16, 24 or 32
//   30      4     biCompression  0 RGB, 1 RLE8 (8 bits), 2 RLE4 (4 bits), 3 bit fields (16/32)
//   34      4     biSizeImage    RLE: 1 .. bytes after bfOffBits
//   46      4     biClrUsed      <= 2^bitcount and <= 256; 0 with <= 8 bits means 2^bitcount
//   pixels        uncompressed: rows of ((width × bits + 31) / 32) × 4 bytes, all
//                 of them inside the file
//
// Everything else (a short file, fields past these bounds) is BAD_BITMAP.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rix {

// A decoded picture: opaque 0xFFRRGGBB per pixel (the layout of a 32-bit RGB
// image), rows top first, no padding.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;   // width × height
    bool valid() const {
        return width > 0 && height > 0 && pixels.size() == static_cast<std::size_t>(width) * height;
    }
};

constexpr int PICTURE_MAX_SIDE = 16384;
constexpr std::int64_t PICTURE_MAX_PIXELS = 64LL * 1024 * 1024;
constexpr std::size_t PICTURE_FILE_LIMIT = 256u * 1024 * 1024;   // larger files are not read

enum class PictureStatus : std::uint8_t {
    OK,
    OPEN_FAILED,    // missing, unreadable, empty or too large a file
    NOT_BITMAP,     // no "BM" at its start
    BAD_BITMAP,     // BMP headers that do not fit the file (BMP_RULES)
    JPEG_FAILED,    // the JPEG decoder gave up (or the picture is too large)
};

// The checked header fields of a BMP file.
struct BmpHeader {
    std::uint32_t pixel_offset = 0;   // bfOffBits
    int width = 0;
    int height = 0;                   // rows; positive whatever the file's order
    bool top_down = false;
    int bit_count = 0;
    int compression = 0;
    int colours = 0;                  // entries of the colour table (implied ones counted)
};

// Checks a whole BMP file image against BMP_RULES.
PictureStatus check_bmp(std::string_view file, BmpHeader* out);

// Decodes a JPEG file image into *out (RGB; greyscale converted, CMYK refused).
PictureStatus decode_jpeg(std::string_view file, Picture* out);

// Decodes a BMP file image whose headers passed check_bmp. Returns false
// when it cannot. Installed by the window adapter; nullptr uninstalls.
using BmpDecoder = bool (*)(std::string_view file, Picture* out);
void install_bmp_decoder(BmpDecoder decoder);
bool bmp_decoder_installed();

// Whether a picture name is decoded as JPEG: it ends in "jpg" or "jpeg",
// in any case.
bool is_jpeg_name(std::string_view name);

// Reads the picture file at `path` (native file name): JPEG by its name,
// else BMP. *out is left empty unless OK.
PictureStatus load_picture_file(const std::string& path, Picture* out);

}  // namespace rix

// Picture files (see picture.h): the BMP header checks, the decoder hook and
// the file reading. The JPEG decoder is in jpeg.cpp.
#include "platform/picture.h"

#include <cctype>

#include "platform/files.h"

namespace rix {

namespace {

constexpr std::size_t FILE_HEADER = 14;
constexpr std::uint32_t INFO_MIN = 40;
constexpr std::uint32_t INFO_MAX = 124;

BmpDecoder g_bmp_decoder = nullptr;

std::uint32_t u32(std::string_view b, std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<std::uint8_t>(b[at])) |
           static_cast<std::uint32_t>(static_cast<std::uint8_t>(b[at + 1])) << 8 |
           static_cast<std::uint32_t>(static_cast<std::uint8_t>(b[at + 2])) << 16 |
           static_cast<std::uint32_t>(static_cast<std::uint8_t>(b[at + 3])) << 24;
}

std::uint16_t u16(std::string_view b, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<std::uint8_t>(b[at]) | static_cast<std::uint8_t>(b[at + 1]) << 8);
}

bool known_depth(int bits, int compression) {
    switch (compression) {
    case 0: return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
    case 1: return bits == 8;
    case 2: return bits == 4;
    case 3: return bits == 16 || bits == 32;
    default: return false;
    }
}

}  // namespace

PictureStatus check_bmp(std::string_view file, BmpHeader* out) {
    if (file.size() < 2 || file[0] != 'B' || file[1] != 'M') return PictureStatus::NOT_BITMAP;
    if (file.size() < FILE_HEADER + INFO_MIN) return PictureStatus::BAD_BITMAP;
    const std::uint64_t size = file.size();
    const std::uint32_t offset = u32(file, 10);
    const std::uint32_t info = u32(file, 14);
    if (info < INFO_MIN || info > INFO_MAX || FILE_HEADER + info > size) return PictureStatus::BAD_BITMAP;
    const auto width = static_cast<std::int32_t>(u32(file, 18));
    const auto raw_height = static_cast<std::int32_t>(u32(file, 22));
    const int bits = u16(file, 28);
    const int compression = static_cast<int>(u32(file, 30));
    const std::uint32_t image_size = u32(file, 34);
    const std::uint32_t used = u32(file, 46);
    if (raw_height == INT32_MIN) return PictureStatus::BAD_BITMAP;
    const std::int64_t height = raw_height < 0 ? -static_cast<std::int64_t>(raw_height) : raw_height;
    if (width < 1 || width > PICTURE_MAX_SIDE || height < 1 || height > PICTURE_MAX_SIDE) return PictureStatus::BAD_BITMAP;
    if (static_cast<std::int64_t>(width) * height > PICTURE_MAX_PIXELS) return PictureStatus::BAD_BITMAP;
    if (!known_depth(bits, compression)) return PictureStatus::BAD_BITMAP;
    if (raw_height < 0 && (compression == 1 || compression == 2)) return PictureStatus::BAD_BITMAP;
    // The colour table: at most 256 entries and no more than the depth can
    // index; none given with 8 bits or fewer means all 2^bits of them.
    const std::uint32_t implied = bits <= 8 ? 1u << bits : 0;
    if (used > 256 || (bits <= 8 && used > implied)) return PictureStatus::BAD_BITMAP;
    const std::uint32_t colours = used == 0 ? implied : used;
    // Bit-field masks follow a 40-byte header as three more fields.
    const std::uint64_t masks = compression == 3 && info == INFO_MIN ? 12 : 0;
    const std::uint64_t table_end = FILE_HEADER + info + masks + 4ull * colours;
    if (offset < table_end || offset >= size) return PictureStatus::BAD_BITMAP;
    const std::uint64_t room = size - offset;
    if (compression == 1 || compression == 2) {
        if (image_size == 0 || image_size > room) return PictureStatus::BAD_BITMAP;
    } else {
        const std::uint64_t stride = (static_cast<std::uint64_t>(width) * bits + 31) / 32 * 4;
        if (stride * static_cast<std::uint64_t>(height) > room) return PictureStatus::BAD_BITMAP;
    }
    if (out) {
        out->pixel_offset = offset;
        out->width = width;
        out->height = static_cast<int>(height);
        out->top_down = raw_height < 0;
        out->bit_count = bits;
        out->compression = compression;
        out->colours = static_cast<int>(colours);
    }
    return PictureStatus::OK;
}

void install_bmp_decoder(BmpDecoder decoder) { g_bmp_decoder = decoder; }
bool bmp_decoder_installed() { return g_bmp_decoder != nullptr; }

bool is_jpeg_name(std::string_view name) {
    auto ends_with = [&](std::string_view tail) {
        if (name.size() < tail.size()) return false;
        for (std::size_t i = 0; i < tail.size(); ++i) {
            const unsigned char c = static_cast<unsigned char>(name[name.size() - tail.size() + i]);
            if (std::tolower(c) != tail[i]) return false;
        }
        return true;
    };
    return ends_with("jpg") || ends_with("jpeg");
}

PictureStatus load_picture_file(const std::string& path, Picture* out) {
    *out = {};
    std::string file;
    if (!read_file_prefix(path, PICTURE_FILE_LIMIT + 1, &file) || file.empty() || file.size() > PICTURE_FILE_LIMIT)
        return PictureStatus::OPEN_FAILED;
    if (is_jpeg_name(path)) return decode_jpeg(file, out);
    BmpHeader header;
    const PictureStatus checked = check_bmp(file, &header);
    if (checked != PictureStatus::OK) return checked;
    Picture decoded;
    if (!g_bmp_decoder || !g_bmp_decoder(file, &decoded) || !decoded.valid() || decoded.width != header.width ||
        decoded.height != header.height)
        return PictureStatus::BAD_BITMAP;
    *out = std::move(decoded);
    return PictureStatus::OK;
}

}  // namespace rix

// Fuzz target for background pictures: the BMP header check and the JPEG
// decoder, each on every input, and the file read through load_picture_file
// under both kinds of name.
//
// The BMP pixels are decoded by the window adapter, which takes the header
// check's word that every row lies inside the file. This target installs a
// decoder of its own that reads the pixels exactly where the checked header
// says they are, from a buffer of the file's size, so AddressSanitizer
// catches a header let through whose pixels are not all there.
//
// What the readers promise: a picture that is OK is within the side and
// pixel limits, holds width × height opaque pixels and, for BMP, the size
// its header gives; anything else is a status, never a crash.
#include <cstring>
#include <memory>

#include "fuzz/fuzz_target.h"
#include "platform/picture.h"

namespace {

std::uint32_t little(const unsigned char* p, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = v << 8 | p[i];
    return v;
}

// Reads every pixel the header names; a palette index past the table reads black.
bool read_pixels(std::string_view file, rix::Picture* out) {
    rix::BmpHeader h;
    if (rix::check_bmp(file, &h) != rix::PictureStatus::OK) return false;
    // The bytes in a buffer of exactly the file's size: a read past it is caught.
    std::unique_ptr<unsigned char[]> bytes(new unsigned char[file.size()]);
    std::memcpy(bytes.get(), file.data(), file.size());
    const unsigned char* table = bytes.get() + 14 + little(bytes.get() + 14, 4);
    if (h.compression == 3 && little(bytes.get() + 14, 4) == 40) table += 12;
    out->width = h.width;
    out->height = h.height;
    if (h.compression == 1 || h.compression == 2) {
        // Run-length data: the runs are walked, the picture itself left black.
        if (static_cast<std::int64_t>(h.width) * h.height > (1 << 20)) return false;
        const std::uint32_t size = little(bytes.get() + 34, 4);
        static volatile std::uint32_t sum;
        for (std::uint32_t i = 0; i < size; ++i) sum = sum + bytes[h.pixel_offset + i];
        out->pixels.assign(static_cast<std::size_t>(h.width) * h.height, 0xFF000000u);
        return true;
    }
    const std::size_t stride = (static_cast<std::size_t>(h.width) * h.bit_count + 31) / 32 * 4;
    out->pixels.resize(static_cast<std::size_t>(h.width) * h.height);
    for (int y = 0; y < h.height; ++y) {
        const unsigned char* row = bytes.get() + h.pixel_offset + stride * static_cast<std::size_t>(y);
        int target = h.top_down ? y : h.height - 1 - y;
        for (int x = 0; x < h.width; ++x) {
            std::uint32_t rgb = 0;
            if (h.bit_count <= 8) {
                const int per_byte = 8 / h.bit_count;
                const int shift = 8 - h.bit_count * (x % per_byte + 1);
                const std::uint32_t index = (row[x / per_byte] >> shift) & ((1u << h.bit_count) - 1);
                if (index < static_cast<std::uint32_t>(h.colours)) rgb = little(table + 4 * index, 3);
            } else {
                rgb = little(row + static_cast<std::size_t>(x) * (h.bit_count / 8), h.bit_count / 8);
            }
            out->pixels[static_cast<std::size_t>(target) * h.width + x] = 0xFF000000u | (rgb & 0xFFFFFFu);
        }
    }
    return true;
}

std::string check_picture(const rix::Picture& p) {
    if (!p.valid()) return "an OK picture is not valid";
    if (p.width > rix::PICTURE_MAX_SIDE || p.height > rix::PICTURE_MAX_SIDE ||
        static_cast<std::int64_t>(p.width) * p.height > rix::PICTURE_MAX_PIXELS)
        return "picture past its limits";
    for (std::uint32_t px : p.pixels)
        if ((px >> 24) != 0xFF) return "a pixel that is not opaque";
    return "";
}

std::string picture_entry(const std::uint8_t* data, std::size_t size) {
    std::string_view file = rix::fuzz::bytes_of(data, size);
    rix::install_bmp_decoder(read_pixels);
    rix::BmpHeader header;
    rix::PictureStatus bmp = rix::check_bmp(file, &header);
    if (bmp == rix::PictureStatus::OK) {
        rix::Picture p;
        if (!read_pixels(file, &p)) return "";
        if (std::string bad = check_picture(p); !bad.empty()) return "BMP: " + bad;
    } else if (bmp != rix::PictureStatus::NOT_BITMAP && bmp != rix::PictureStatus::BAD_BITMAP) {
        return "BMP check gave another status";
    }
    rix::Picture jpeg;
    rix::PictureStatus st = rix::decode_jpeg(file, &jpeg);
    if (st == rix::PictureStatus::OK) {
        if (std::string bad = check_picture(jpeg); !bad.empty()) return "JPEG: " + bad;
    } else if (st != rix::PictureStatus::JPEG_FAILED) {
        return "JPEG decoder gave another status";
    }

    const std::string& folder = rix::fuzz::scratch_folder();
    for (const char* name : {"/washi.bmp", "/washi.JPG"}) {
        const std::string path = folder + name;
        if (!rix::fuzz::write_file(path, file)) return "";
        rix::Picture loaded;
        rix::PictureStatus got = rix::load_picture_file(path, &loaded);
        ::unlink(path.c_str());
        const bool jpeg_name = name[7] == 'J';
        if (got == rix::PictureStatus::OK) {
            if (std::string bad = check_picture(loaded); !bad.empty()) return name + bad;
            if (!jpeg_name && (loaded.width != header.width || loaded.height != header.height))
                return "BMP loaded at another size than its header";
        } else if (!loaded.pixels.empty() || loaded.width != 0) {
            return "a refused picture left pixels";
        }
        if (size == 0 && got != rix::PictureStatus::OPEN_FAILED) return "an empty file is not refused";
        if (jpeg_name && size > 0 && got != st) return "the JPEG file reads otherwise than its bytes";
    }
    return "";
}

}  // namespace

RIX_FUZZ_TARGET(picture, picture_entry)

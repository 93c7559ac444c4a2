// Picture files made by the tests: BMP files of a chosen shape (and
// broken ones made from them) and JPEG files written by libjpeg.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace rix::test {

inline void put32(std::string& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>(v >> (8 * i) & 0xFF);
}
inline void put16(std::string& b, std::size_t at, std::uint16_t v) {
    b[at] = static_cast<char>(v & 0xFF);
    b[at + 1] = static_cast<char>(v >> 8);
}

// A BMP file of the given shape whose colour table holds `table` entries and
// whose header says `used`; the pixel rows follow the table.
struct BmpShape {
    int width = 4, height = 3, bits = 24;
    std::uint32_t used = 0;
    int table = 0;
    std::string bytes() const {
        const std::size_t stride = (static_cast<std::size_t>(width) * bits + 31) / 32 * 4;
        const std::size_t offset = 54 + 4 * static_cast<std::size_t>(table);
        std::string b(offset + stride * static_cast<std::size_t>(height < 0 ? -height : height), '\x40');
        b[0] = 'B';
        b[1] = 'M';
        put32(b, 2, static_cast<std::uint32_t>(b.size()));
        put32(b, 6, 0);
        put32(b, 10, static_cast<std::uint32_t>(offset));
        put32(b, 14, 40);
        put32(b, 18, static_cast<std::uint32_t>(width));
        put32(b, 22, static_cast<std::uint32_t>(height));
        put16(b, 26, 1);
        put16(b, 28, static_cast<std::uint16_t>(bits));
        put32(b, 30, 0);
        put32(b, 34, 0);
        put32(b, 38, 2835);
        put32(b, 42, 2835);
        put32(b, 46, used);
        put32(b, 50, 0);
        return b;
    }
};

// A JPEG of w × h in one colour, written by libjpeg.
inline std::string make_jpeg(int w, int h, unsigned char r, unsigned char g, unsigned char bl) {
    jpeg_compress_struct c;
    jpeg_error_mgr e;
    c.err = jpeg_std_error(&e);
    jpeg_create_compress(&c);
    unsigned char* mem = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &mem, &size);
    c.image_width = static_cast<JDIMENSION>(w);
    c.image_height = static_cast<JDIMENSION>(h);
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 95, TRUE);
    jpeg_start_compress(&c, TRUE);
    std::vector<unsigned char> row(static_cast<std::size_t>(w) * 3);
    for (int x = 0; x < w; ++x) {
        row[3 * x] = r;
        row[3 * x + 1] = g;
        row[3 * x + 2] = bl;
    }
    while (c.next_scanline < c.image_height) {
        JSAMPROW p = row.data();
        jpeg_write_scanlines(&c, &p, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    std::string out(reinterpret_cast<char*>(mem), size);
    std::free(mem);
    return out;
}

}  // namespace rix::test

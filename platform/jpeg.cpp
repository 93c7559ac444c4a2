// JPEG decoding with libjpeg-turbo (see picture.h).
//
// libjpeg reports a fatal error by calling error_exit, whose default ends
// the process. Ours jumps back to decode_jpeg instead, which destroys the
// decoder and fails. Corrupt-data warnings (a file cut short, a bad Huffman
// code) jump out the same way: such a picture would show grey or smeared
// rows. Nothing with a destructor lives in decode_jpeg's frame between the
// setjmp and a jump back to it; the pixels belong to the caller's Picture.
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>
#include <jerror.h>

#include "platform/picture.h"

namespace rix {

namespace {

struct ErrorJump {
    jpeg_error_mgr manager;   // first: libjpeg sees only this part
    std::jmp_buf jump;
};

[[noreturn]] void jump_out(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<ErrorJump*>(cinfo->err)->jump, 1);
}

void on_message(j_common_ptr cinfo, int level) {
    // Level -1 is a warning about the data; stray bytes between markers are
    // harmless, anything else spoils the picture.
    if (level < 0 && cinfo->err->msg_code != JWRN_EXTRANEOUS_DATA) jump_out(cinfo);
}

void no_output(j_common_ptr) {}

}  // namespace

PictureStatus decode_jpeg(std::string_view file, Picture* out) {
    *out = {};
    if (file.empty()) return PictureStatus::JPEG_FAILED;
    jpeg_decompress_struct cinfo;
    ErrorJump errors;
    cinfo.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = jump_out;
    errors.manager.emit_message = on_message;
    errors.manager.output_message = no_output;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&cinfo);
        out->width = out->height = 0;
        out->pixels.clear();
        out->pixels.shrink_to_fit();
        return PictureStatus::JPEG_FAILED;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(file.data()), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&cinfo, TRUE);
    if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK) ERREXIT(&cinfo, JERR_CONVERSION_NOTIMPL);
    cinfo.out_color_space = JCS_RGB;
    if (cinfo.image_width < 1 || cinfo.image_width > PICTURE_MAX_SIDE || cinfo.image_height < 1 ||
        cinfo.image_height > PICTURE_MAX_SIDE ||
        static_cast<std::int64_t>(cinfo.image_width) * cinfo.image_height > PICTURE_MAX_PIXELS)
        ERREXIT(&cinfo, JERR_IMAGE_TOO_BIG);
    jpeg_start_decompress(&cinfo);
    if (cinfo.output_components != 3) ERREXIT(&cinfo, JERR_BAD_J_COLORSPACE);
    const int width = static_cast<int>(cinfo.output_width);
    const int height = static_cast<int>(cinfo.output_height);
    out->pixels.resize(static_cast<std::size_t>(width) * height);
    JSAMPARRAY row = (*cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&cinfo), JPOOL_IMAGE,
                                                static_cast<JDIMENSION>(width) * 3, 1);
    while (cinfo.output_scanline < cinfo.output_height) {
        const int y = static_cast<int>(cinfo.output_scanline);
        if (jpeg_read_scanlines(&cinfo, row, 1) != 1) ERREXIT(&cinfo, JERR_INPUT_EOF);
        std::uint32_t* dst = out->pixels.data() + static_cast<std::size_t>(y) * width;
        const JSAMPLE* src = row[0];
        for (int x = 0; x < width; ++x, src += 3)
            dst[x] = 0xFF000000u | static_cast<std::uint32_t>(src[0]) << 16 | static_cast<std::uint32_t>(src[1]) << 8 | src[2];
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    out->width = width;
    out->height = height;
    return PictureStatus::OK;
}

}  // namespace rix

// The PDF serializer.
#include "publish/pdf_file.h"

#include <zlib.h>

#include <cassert>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "platform/codec.h"

namespace rix {

namespace {

constexpr std::size_t MAX_UTF16_UNITS = 300;
const char HEX[] = "0123456789ABCDEF";

void put_hex16(std::string* out, unsigned unit) {
    for (int shift = 12; shift >= 0; shift -= 4) *out += HEX[(unit >> shift) & 0xF];
}

std::string padded(std::size_t value, int width) {
    std::string digits = std::to_string(value);
    if (static_cast<int>(digits.size()) < width) digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
    return digits;
}

}  // namespace

std::string pdf_number(double v, int decimals) {
    if (!std::isfinite(v)) v = 0;
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    std::string s(buf, r.ptr);
    if (s.find('.') != std::string::npos) {
        while (!s.empty() && s.back() == '0') s.pop_back();
        if (!s.empty() && s.back() == '.') s.pop_back();
    }
    if (s == "-0" || s.empty()) s = "0";
    return s;
}

std::string to_utf16_hex(std::string_view sjis) {
    std::string out = "FEFF";
    std::size_t units = 0;
    for (char32_t c : sjis_to_utf32(sjis)) {
        if (c >= 0x10000) {
            if (units + 2 > MAX_UTF16_UNITS) break;
            const char32_t v = c - 0x10000;
            put_hex16(&out, 0xD800 + (v >> 10));
            put_hex16(&out, 0xDC00 + (v & 0x3FF));
            units += 2;
        } else {
            if (units + 1 > MAX_UTF16_UNITS) break;
            put_hex16(&out, c);
            units += 1;
        }
    }
    return out;
}

std::string hex_bytes(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char b : bytes) {
        out += HEX[b >> 4];
        out += HEX[b & 0xF];
    }
    return out;
}

bool deflate_bytes(std::string_view in, std::string* out, std::string* error) {
    out->clear();
    z_stream z{};
    if (deflateInit(&z, Z_DEFAULT_COMPRESSION) != Z_OK) {
        *error = "圧縮の初期化失敗！";
        return false;
    }
    out->resize(deflateBound(&z, static_cast<uLong>(in.size())) + 16);
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    z.avail_in = static_cast<uInt>(in.size());
    z.next_out = reinterpret_cast<Bytef*>(out->data());
    z.avail_out = static_cast<uInt>(out->size());
    const int rc = deflate(&z, Z_FINISH);
    const std::string message = z.msg ? z.msg : "???";
    const std::size_t produced = out->size() - z.avail_out;
    const int end = deflateEnd(&z);
    if (rc != Z_STREAM_END) {
        *error = "deflate: " + message;
        out->clear();
        return false;
    }
    if (end != Z_OK) {
        *error = "deflateEnd: " + message;
        out->clear();
        return false;
    }
    out->resize(produced);
    return true;
}

PdfFile::PdfFile() { line("%PDF-1.3"); }

void PdfFile::line(std::string_view text) {
    data_ += text;
    data_ += "\r\n";
}

void PdfFile::begin_object(int number, std::string_view comment) {
    assert(number == count() + 1 && "objects come in ascending order without gaps");
    (void)number;
    offsets_.push_back(data_.size());
    std::string head = std::to_string(offsets_.size()) + " 0 obj";
    if (!comment.empty()) head += " % " + std::string(comment);
    line(head);
}

PdfFile::StreamResult PdfFile::stream_object(int number, const std::vector<std::string>& dictionary,
                                             std::string_view content, bool compress, std::string_view comment) {
    StreamResult result;
    std::string packed;
    if (compress) {
        // The uncompressed stream is written instead when zlib fails.
        result.compressed = deflate_bytes(content, &packed, &result.error);
    }
    const std::string_view data = result.compressed ? std::string_view(packed) : content;
    begin_object(number, comment);
    line("<<");
    for (const std::string& d : dictionary) line(d);
    line("/Length " + std::to_string(data.size()));
    if (result.compressed) line("/Filter /FlateDecode");
    line(">>");
    line("stream");
    data_ += data;
    line("");
    line("endstream");
    line("endobj");
    return result;
}

std::string PdfFile::finish(int root, int info) {
    line("");
    const std::size_t xref = data_.size();
    const std::size_t size = offsets_.size() + 1;
    line("xref");
    line("0 " + std::to_string(size));
    line("0000000000 65535 f");
    for (std::size_t offset : offsets_) line(padded(offset, 10) + " 00000 n");
    line("trailer");
    line("<<");
    line("/Root " + std::to_string(root) + " 0 R");
    line("/Info " + std::to_string(info) + " 0 R");
    line("/Size " + std::to_string(size));
    line(">>");
    line("startxref");
    line(std::to_string(xref));
    line("%%EOF");
    offsets_.clear();
    std::string out;
    out.swap(data_);
    return out;
}

PdfXref read_pdf_xref(std::string_view file) {
    PdfXref x;
    const std::size_t sx = file.rfind("startxref\r\n");
    if (sx == std::string_view::npos) return x;
    std::size_t at = 0;
    const char* first = file.data() + sx + 11;
    const char* last = file.data() + file.size();
    if (std::from_chars(first, last, at).ec != std::errc() || file.substr(at, 6) != "xref\r\n") return x;
    std::size_t pos = at + 6;
    std::size_t count = 0;
    const auto space = file.find(' ', pos);
    if (space == std::string_view::npos || file.substr(pos, 2) != "0 ") return x;
    if (std::from_chars(file.data() + space + 1, last, count).ec != std::errc() || count == 0) return x;
    pos = file.find("\r\n", pos) + 2;
    pos += 20;   // the free entry of object 0
    for (std::size_t n = 1; n < count; ++n) {
        if (pos + 20 > file.size()) return x;
        std::size_t offset = 0;
        std::from_chars(file.data() + pos, file.data() + pos + 10, offset);
        x.offsets.push_back(offset);
        pos += 20;
    }
    x.parsed = true;
    return x;
}

}  // namespace rix

// The PDF serializer: the file's frame byte for byte, exact stream lengths
// at any size, zlib round trips, text strings in UTF-16BE, numbers in any
// locale.
// Owed: nothing.
#include "publish/pdf_file.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <clocale>
#include <string>

#include "tests/document/doc_builder.h"
#include "tests/support/comma_locale.h"

namespace rix {
namespace {

using test::sj;

std::string inflate_all(const std::string& packed, std::size_t expected) {
    std::string out(expected + 16, '\0');
    uLongf size = static_cast<uLongf>(out.size());
    if (uncompress(reinterpret_cast<Bytef*>(out.data()), &size, reinterpret_cast<const Bytef*>(packed.data()),
                   static_cast<uLong>(packed.size())) != Z_OK)
        return "(inflate failed)";
    out.resize(size);
    return out;
}

// The data between "stream\r\n" and "\r\nendstream" of the first stream,
// and the number after its /Length.
void first_stream(const std::string& file, std::string* data, std::size_t* length) {
    const std::size_t l = file.find("/Length ");
    const std::size_t s = file.find("stream\r\n");
    const std::size_t e = file.find("\r\nendstream");
    ASSERT_NE(l, std::string::npos);
    ASSERT_NE(e, std::string::npos);
    *length = std::stoul(file.substr(l + 8));
    *data = file.substr(s + 8, e - s - 8);
}

TEST(PdfFile, TheFrameIsWrittenByteForByte) {
    PdfFile f;
    f.begin_object(1);
    f.line("<<");
    f.line("/Type /Catalog");
    f.line(">>");
    f.line("endobj");
    f.stream_object(2, {"/Type /Test"}, "BT\r\nET", false);
    f.begin_object(3, "XObject-Dummy");
    f.line("null");
    f.line("endobj");
    const std::string file = f.finish(1, 3);
    const std::string o1 = "1 0 obj\r\n<<\r\n/Type /Catalog\r\n>>\r\nendobj\r\n";
    const std::string o2 = "2 0 obj\r\n<<\r\n/Type /Test\r\n/Length 6\r\n>>\r\nstream\r\nBT\r\nET\r\nendstream\r\nendobj\r\n";
    const std::string o3 = "3 0 obj % XObject-Dummy\r\nnull\r\nendobj\r\n";
    const std::string head = "%PDF-1.3\r\n";
    const std::size_t xref = head.size() + o1.size() + o2.size() + o3.size() + 2;
    auto entry = [](std::size_t offset) {
        std::string d = std::to_string(offset);
        return std::string(10 - d.size(), '0') + d + " 00000 n\r\n";
    };
    const std::string expected = head + o1 + o2 + o3 + "\r\nxref\r\n0 4\r\n0000000000 65535 f\r\n" +
                                 entry(head.size()) + entry(head.size() + o1.size()) +
                                 entry(head.size() + o1.size() + o2.size()) +
                                 "trailer\r\n<<\r\n/Root 1 0 R\r\n/Info 3 0 R\r\n/Size 4\r\n>>\r\nstartxref\r\n" +
                                 std::to_string(xref) + "\r\n%%EOF\r\n";
    EXPECT_EQ(file, expected);

    const PdfXref x = read_pdf_xref(file);
    ASSERT_TRUE(x.parsed);
    ASSERT_EQ(x.offsets.size(), 3u);
    for (std::size_t n = 0; n < 3; ++n) {
        const std::string head = std::to_string(n + 1) + " 0 obj";
        EXPECT_EQ(file.compare(x.offsets[n], head.size(), head), 0) << n;
    }
}

TEST(PdfFile, StreamLengthsAreExactAtAnySizeAndDeflateRoundTrips) {
    // Above 99,999 bytes (a five-digit field would overflow) and above a
    // million, plain and deflated.
    for (std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{100'003}, std::size_t{1'234'567}}) {
        std::string content;
        for (std::size_t i = 0; content.size() < size; ++i) content += std::to_string(i % 977) + " 0 m\r\n";
        content.resize(size);
        for (bool compress : {false, true}) {
            PdfFile f;
            const PdfFile::StreamResult r = f.stream_object(1, {}, content, compress);
            EXPECT_EQ(r.compressed, compress);
            EXPECT_TRUE(r.error.empty());
            const std::string file = f.finish(1, 1);
            std::string data;
            std::size_t length = 0;
            first_stream(file, &data, &length);
            EXPECT_EQ(length, data.size()) << size << " " << compress;
            EXPECT_EQ(file.find("/Filter /FlateDecode") != std::string::npos, compress);
            EXPECT_EQ(compress ? inflate_all(data, size) : data, content) << size;
        }
    }
}

TEST(PdfText, Utf16HexOfCodePage932) {
    EXPECT_EQ(to_utf16_hex(""), "FEFF");
    EXPECT_EQ(to_utf16_hex(sj("あA")), "FEFF30420041");
    // Characters whose Unicode differs between code page 932 and plain Shift_JIS.
    EXPECT_EQ(to_utf16_hex(sj("～－①")), "FEFFFF5EFF0D2460");
    EXPECT_EQ(to_utf16_hex(std::string("\x81\x60", 2)), "FEFFFF5E");
    EXPECT_EQ(to_utf16_hex(std::string("\xFB\xFC", 2)), "FEFF9AD9");   // IBM extension: 髙
    // At most 300 code units.
    std::string many;
    for (int i = 0; i < 400; ++i) many += sj("字");
    EXPECT_EQ(to_utf16_hex(many).size(), 4u + 300u * 4u);
    EXPECT_EQ(hex_bytes(std::string("\x82\xA0 \x0A", 4)), "82A0200A");
}

TEST(PdfText, NumbersIgnoreTheLocale) {
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    test::CommaLocale comma;
    EXPECT_EQ(pdf_number(0.125, 3), "0.125");
    EXPECT_EQ(pdf_number(0.12, 3), "0.12");
    EXPECT_EQ(pdf_number(-3.0, 2), "-3");
    EXPECT_EQ(pdf_number(-0.0001, 2), "0");
    EXPECT_EQ(pdf_number(595.2756, 2), "595.28");
    EXPECT_EQ(pdf_number(1e7, 2), "10000000");
    const bool had_comma = comma.active();
    comma.end();
    std::setlocale(LC_ALL, saved.c_str());
    if (!had_comma) GTEST_SKIP() << "no locale with a decimal comma could be made";
}

}  // namespace
}  // namespace rix

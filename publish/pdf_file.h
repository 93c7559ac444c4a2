// The PDF serializer: a PDF 1.3 file image assembled in memory, object by
// object in ascending number order, every line ended by CR LF, each
// object's offset recorded when it begins, and the cross-reference table
// and trailer written from those offsets at the end.
//
// Shape of the file (the writer in publish/pdf_writer.cpp decides what the
// objects hold):
//
//   "%PDF-1.3"
//   "N 0 obj" [" % comment"] ... "endobj"          objects 1, 2, 3 ... in order
//   ""  "xref"  "0 <count + 1>"  "0000000000 65535 f"
//   "%010d 00000 n" per object
//   "trailer" "<<" "/Root R 0 R" "/Info I 0 R" "/Size <count + 1>" ">>"
//   "startxref" <offset of "xref"> "%%EOF"
//
// A stream object is "N 0 obj", "<<", its dictionary lines, "/Length L",
// optionally "/Filter /FlateDecode", ">>", "stream", the data, CR LF,
// "endstream", "endobj". L is the exact byte count of the data: for plain
// content the bytes up to, not including, the CR LF before "endstream"; for
// deflated content the deflate output. Nothing is written into fixed-width
// fields afterwards, so no length or offset can overflow.
//
// Numbers are written by pdf_number, never through the C library's locale:
// a user locale with a decimal comma cannot reach the file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rix {

// The largest file image the writer builds; a bigger PDF is refused with a
// message instead of exhausting memory.
constexpr std::size_t PDF_SIZE_LIMIT = std::size_t{1} << 30;

// `v` with at most `decimals` digits after a '.', trailing zeros and a
// trailing '.' removed ("0.12", "-3", "10.5"); -0 is written as "0".
std::string pdf_number(double v, int decimals);

// A text string of the PDF: "FEFF" and the UTF-16BE code units of the code
// page 932 text as upper-case hex, at most 300 units (a surrogate pair is
// never cut). An empty text gives "FEFF".
std::string to_utf16_hex(std::string_view sjis);
// The bytes as upper-case hex pairs ("8250").
std::string hex_bytes(std::string_view bytes);

// zlib (stream format, default level) of `in` into *out. False with zlib's
// message in *error when compression failed; *out is then empty.
bool deflate_bytes(std::string_view in, std::string* out, std::string* error);

class PdfFile {
public:
    PdfFile();   // the header line

    // Appends a line and its CR LF.
    void line(std::string_view text);
    // Starts object `number` ("N 0 obj", with " % comment" when given) and
    // records its offset. Objects must come in ascending order without gaps.
    void begin_object(int number, std::string_view comment = {});

    // How a stream object was written.
    struct StreamResult {
        bool compressed = false;      // written with /Filter /FlateDecode
        std::string error;            // compression failed (the stream is plain); "" = none
    };
    // Writes a whole stream object. `dictionary` lines come after "<<" and
    // before "/Length". `content` is the data without a final CR LF.
    StreamResult stream_object(int number, const std::vector<std::string>& dictionary, std::string_view content,
                               bool compress, std::string_view comment = {});

    // Room for `bytes` of file image, so that it grows without copies.
    void reserve(std::size_t bytes) { data_.reserve(bytes); }
    // Objects begun so far (the next object is count() + 1).
    int count() const { return static_cast<int>(offsets_.size()); }
    std::size_t size() const { return data_.size(); }
    // Appends the cross-reference table and the trailer and hands over the
    // file image. The PdfFile is empty afterwards.
    std::string finish(int root, int info);

private:
    std::string data_;
    std::vector<std::size_t> offsets_;
};

// The objects of a finished file as the cross-reference table lists them:
// the offsets, and whether "N 0 obj" stands at each (for tests and checks).
struct PdfXref {
    bool parsed = false;              // "startxref" found, its offset holds "xref"
    std::vector<std::size_t> offsets; // offsets[n - 1] is object n
};
PdfXref read_pdf_xref(std::string_view file);

}  // namespace rix

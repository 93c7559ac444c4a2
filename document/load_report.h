// What a load found about the file and what it had to change.
//
// TextForm is the form of the text file: its encoding, its byte-order mark,
// its line ends and whether it ends in 0x1A. The load finds it and a save
// writes the text back in it, so a document that lost nothing is saved as it
// came.
//
// LoadReport counts what the load could not keep as it stood in the file:
// bytes that cannot stand as text (dropped), lead bytes without a trail
// byte (〓), text after the first 0x1A (ignored), line ends of the other
// kind than the file's first one, lines split at the limits of a position,
// tabs turned into spaces; and, for a UTF-8 file, characters code page 932
// cannot hold (〓). Each kind counts places and bytes; the first change of
// any kind and the first lost character keep their place (line and
// character, both from 1). The converter counts with its lines: what an
// unfinished line counted is taken back with it.
//
// The writer is told once (tell_load_report); a document that lost
// characters is never saved over its original file (DocumentState::keep_original).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace rix {

enum class TextEncoding : std::uint8_t { SHIFT_JIS, UTF8 };
enum class LineEndStyle : std::uint8_t { CR_LF, LF };

struct TextForm {
    TextEncoding encoding = TextEncoding::SHIFT_JIS;
    bool bom = false;                      // UTF-8: the file began with EF BB BF (written back)
    LineEndStyle line_end = LineEndStyle::CR_LF;   // the kind of the file's first line end
    bool line_end_known = false;           // a line end was met (until then CR LF, for UTF-8 LF)
    bool end_mark = true;                  // a save ends the text with 0x1A; a UTF-8 file only when it had one
};

// The bytes of the UTF-8 byte-order mark.
constexpr std::string_view UTF8_BOM = "\xEF\xBB\xBF";
// The kind check judges the encoding on this much of the file's start,
// whatever the chunk size of the load, so that every chunk size agrees.
constexpr std::size_t ENCODING_CHECK_BYTES = 4u * 1024 * 1024;

struct EncodingJudgement {
    TextEncoding encoding = TextEncoding::SHIFT_JIS;
    bool bom = false;
    bool refused_utf8 = false;             // well-formed UTF-8 at first, then an ill-formed sequence
    std::uint64_t invalid_at = 0;          // its file offset when refused_utf8
};
// UTF-8 is a file with the byte-order mark, or one whose first bytes are
// well-formed UTF-8 with a sequence of 3 or 4 bytes or at least four of 2
// (fewer is taken for Shift_JIS half-width katakana). Pure ASCII is
// Shift_JIS, as it always was. `whole_file`: nothing follows `head`.
EncodingJudgement judge_encoding(std::string_view head, bool whole_file);

enum class Conversion : std::uint8_t {
    DROPPED_BYTE,   // a byte 0xFC-0xFF standing alone
    LONE_LEAD,      // a lead byte without its trail byte (or a character of lead 0xFC): 〓
    TEXT_END,       // bytes after the first 0x1A
    LINE_END,       // a line end of the other kind than the file's first one
    LINE_SPLIT,     // a line longer than a position holds, split
    TAB,            // a tab turned into full-width spaces (or dropped at a line's end)
};
constexpr std::size_t CONVERSION_KINDS = 6;

struct ReportPlace {
    std::uint32_t line = 0;                // logical line, from 1; 0 = none yet
    std::uint32_t column = 0;              // character of the line, from 1
};

struct ConversionCount {
    std::uint32_t places = 0;
    std::uint64_t bytes = 0;               // bytes of the file changed, dropped or added
};

struct LoadReport {
    std::array<ConversionCount, CONVERSION_KINDS> conversions{};
    Conversion first_kind = Conversion::DROPPED_BYTE;
    ReportPlace first;                     // of the first conversion; line 0 = none
    std::uint64_t unmappable = 0;          // characters that became 〓 (UTF-8 file)
    ReportPlace first_unmappable;
    char32_t unmappable_char = 0;          // the first of them; U+FFFD for an ill-formed sequence
    bool told = false;                     // the writer was told what is counted so far

    std::uint64_t converted_bytes() const;
    bool any() const { return unmappable > 0 || first.line != 0; }
    void count(Conversion kind, std::uint64_t bytes, ReportPlace place);
    void count_unmappable(char32_t ch, ReportPlace place);
};

// "sjis" or "utf8" (rix --info), and the name the writer sees ("UTF-8 BOM付き").
const char* encoding_key(TextEncoding encoding);
std::string encoding_name(const TextForm& form);
// Japanese names of a kind of conversion and of a character ("U+20BB7").
std::string conversion_name(Conversion kind);
std::string character_name(char32_t ch);
// The messages (UTF-8): what was changed, ending "…バイトを変換しました｡";
// and what was lost, with the refusal to save over the original.
std::string conversion_message(const LoadReport& report);
std::string unmappable_message(const LoadReport& report);

}  // namespace rix

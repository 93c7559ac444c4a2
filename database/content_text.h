// The record content box's logic without a widget: the character count and
// the title, the date and time texts, find and replace over the box's text,
// import and export of plain files, the font and spacing of the box.
//
// Text is code page 932 with CR LF line breaks, as the shared text box
// (platform/text_box.h) holds it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

#include "platform/text_box.h"

namespace rix {

constexpr std::size_t CONTENT_LIMIT = 2621440;          // characters (and bytes) the box takes
constexpr std::size_t CONTENT_IMPORT_CAP = 2621439;     // bytes read from an imported file
constexpr std::size_t CONTENT_FIND_LIMIT = 199;         // bytes of a find or replace text

// Characters of the text: a two-byte character and a CR LF count once.
std::size_t count_characters(std::string_view cp932);
// "サイズ：%s 文字", with "　変更" while modified (code page 932).
std::string content_title(std::size_t characters, bool modified);

// ---- date and time (DB_DTIN) ---------------------------------------------------
enum class DateKind : std::uint8_t { MM_DD, YY_MM_DD, MM_DD_JA, YY_MM_DD_JA, NONE };
enum class TimeKind : std::uint8_t { HH_MM, HH_MM_JA, NONE };
// The date, the time or both joined by a space (code page 932); "" when both are none.
std::string format_date_time(DateKind date, TimeKind time, const std::tm& when);

// ---- find and replace ----------------------------------------------------------
// The next occurrence of `what` in `text` on character boundaries, ASCII
// letters matched without regard to case: forwards, the first starting at
// or after `from`; backwards, the last starting before `from`. npos when
// none (or `what` empty).
std::size_t find_in_content(std::string_view text, std::string_view what, std::size_t from, bool down);
// Replaces every occurrence found in one pass from the start; the text
// put in is never searched again ("a" -> "aa" ends). Returns the count;
// an empty `what` replaces nothing.
std::size_t replace_all_in_content(std::string* text, std::string_view what, std::string_view with);

// ---- import and export ------------------------------------------------------------
enum class ImportResult : std::uint8_t {
    READ,          // the whole file
    CUT_AT_LIMIT,  // longer than the box takes: the rest was left out
    CUT_AT_NUL,    // a NUL byte: what follows it was left out
    FAILED,        // not readable: the box stays as it was
};
// Reads a file as code page 932 text for the box: at most
// CONTENT_IMPORT_CAP bytes, up to the first NUL, a lead byte left without
// its trail at the cut dropped.
ImportResult import_content_file(const std::string& path, std::string* text);
// Writes the text as it stands (no terminator) through a temporary file;
// false unless every byte was written.
bool export_content_file(const std::string& path, std::string_view text);

// ---- fonts -------------------------------------------------------------------------
// Raise of the text for the content line spacing 0..4 (最大..最小), twips.
int content_spacing_twips(int spacing);
// The box's format from a stored font: face without "@", height in pixels
// from the record's height (its absolute value: a positive height too),
// bold above 400, the spacing's raise.
TextBoxFormat content_format(std::int16_t height, std::int16_t weight, bool italic, std::string_view face,
                             int spacing, bool vertical, std::uint32_t text_colour);

}  // namespace rix

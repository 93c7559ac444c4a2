// What a load found and changed (see load_report.h).
#include "document/load_report.h"

#include <cstdio>

#include "platform/codec.h"

namespace rix {
namespace {

constexpr std::size_t MIN_TWO_BYTE_SEQUENCES = 4;   // fewer, and nothing longer: Shift_JIS by accident

std::string place_text(ReportPlace p) { return std::to_string(p.line) + "行" + std::to_string(p.column) + "字目"; }

}  // namespace

EncodingJudgement judge_encoding(std::string_view head, bool whole_file) {
    EncodingJudgement j;
    if (head.substr(0, UTF8_BOM.size()) == UTF8_BOM) {
        j.encoding = TextEncoding::UTF8;
        j.bom = true;
        return j;
    }
    const Utf8Check c = check_utf8(head, !whole_file);
    const bool looks_utf8 = c.long_sequences > 0 || c.multibyte >= MIN_TWO_BYTE_SEQUENCES;
    if (c.valid && looks_utf8) j.encoding = TextEncoding::UTF8;
    // Well-formed UTF-8 that goes wrong later (a file cut inside a sequence,
    // bytes of another encoding appended): read as Shift_JIS, and say so.
    if (!c.valid && looks_utf8) {
        j.refused_utf8 = true;
        j.invalid_at = c.first_invalid;
    }
    return j;
}

std::uint64_t LoadReport::converted_bytes() const {
    std::uint64_t n = 0;
    for (const ConversionCount& c : conversions) n += c.bytes;
    return n;
}

void LoadReport::count(Conversion kind, std::uint64_t bytes, ReportPlace place) {
    ConversionCount& c = conversions[static_cast<std::size_t>(kind)];
    ++c.places;
    c.bytes += bytes;
    if (first.line == 0) {
        first_kind = kind;
        first = place;
    }
}

void LoadReport::count_unmappable(char32_t ch, ReportPlace place) {
    if (unmappable++ == 0) {
        first_unmappable = place;
        unmappable_char = ch;
    }
}

const char* encoding_key(TextEncoding encoding) { return encoding == TextEncoding::UTF8 ? "utf8" : "sjis"; }

std::string encoding_name(const TextForm& form) {
    if (form.encoding == TextEncoding::SHIFT_JIS) return "Shift_JIS";
    return form.bom ? "UTF-8 BOM付き" : "UTF-8";
}

std::string conversion_name(Conversion kind) {
    switch (kind) {
    case Conversion::DROPPED_BYTE: return "文字にならないバイト（0xFC～0xFF）の削除";
    case Conversion::LONE_LEAD: return "2バイト文字の片割れを〓に置換";
    case Conversion::TEXT_END: return "終端記号（0x1A）より後の読み捨て";
    case Conversion::LINE_END: return "改行の種類の統一";
    case Conversion::LINE_SPLIT: return "長すぎる行の分割";
    case Conversion::TAB: return "タブを全角空白に置換";
    }
    return "";
}

std::string character_name(char32_t ch) {
    if (ch == CODEC_INVALID) return "UTF-8として正しくないバイト列";
    char code[16];
    std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(ch));
    return code;
}

std::string conversion_message(const LoadReport& r) {
    std::string text = "読込み時に文書を次のとおり変換しました｡\n";
    for (std::size_t k = 0; k < CONVERSION_KINDS; ++k) {
        const ConversionCount& c = r.conversions[k];
        if (c.places == 0) continue;
        text += "・" + conversion_name(static_cast<Conversion>(k)) + "：" + std::to_string(c.places) + "か所\n";
    }
    text += "最初の変換は" + place_text(r.first) + "（" + conversion_name(r.first_kind) + "）です｡\n";
    text += "上書き保存すると元の文書は変換後の内容になります｡\n";
    text += "合計" + std::to_string(r.converted_bytes()) + "バイトを変換しました｡";
    return text;
}

std::string unmappable_message(const LoadReport& r) {
    return "この文書にはShift_JISで表せない文字が" + std::to_string(r.unmappable) +
           "字あり､〓に置き換えました｡\n最初は" + place_text(r.first_unmappable) + "の" +
           character_name(r.unmappable_char) +
           "です｡\n\n元の文書を守るため上書き保存はしません｡\n保存するときは「名前を付けて保存」で\n"
           "別の名前を付けてください｡";
}

}  // namespace rix

// Guides: position, capacity, title texts, guide boxes and the position bar.
#include "display/guides.h"

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "document/storage.h"
#include "platform/codec.h"

namespace rix {

namespace {

// Texts are written here in UTF-8 and handed on as code page 932.
std::string sj(std::string_view utf8) { return utf8_to_sjis(utf8); }

// Appends `n` with thousands separators from the ring.
std::string counted(CountRing& ring, std::uint64_t n) { return format_count(ring, n); }

// Byte length of the character at text[i] (2 for a lead byte with its trail).
std::size_t char_length(std::string_view text, std::size_t i) {
    return is_lead_byte(static_cast<std::uint8_t>(text[i])) && i + 1 < text.size() ? 2 : 1;
}

bool ends_with_ideographic_space(std::string_view text) {
    std::size_t i = 0, last = std::string_view::npos;
    while (i < text.size()) {
        last = i;
        i += char_length(text, i);
    }
    return last != std::string_view::npos && text.substr(last) == "\x81\x40";
}

std::string printf_text(const char* format, std::uint64_t n) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, format, n);
    return buffer;
}

// Pixels of `du` dialog units for a box font of `font_px` (a dialog unit is
// an eighth of the font's height, its average width being half of it).
int dialog_px(int du, int font_px) { return du * font_px / 8; }

}  // namespace

const char* format_count(CountRing& ring, std::uint64_t n) {
    // Groups of three from the right, also past the millions ("4,294,967,295").
    char digits[24];
    std::snprintf(digits, sizeof digits, "%" PRIu64, n);
    const std::size_t length = std::strlen(digits);
    char text[40];
    std::size_t k = 0;
    for (std::size_t i = 0; i < length; ++i) {
        if (i > 0 && (length - i) % 3 == 0) text[k++] = ',';
        text[k++] = digits[i];
    }
    text[k] = '\0';
    // Every count below 10^15 fits its 20 bytes; a larger one keeps its first 19 characters.
    char* out = ring.buffers[static_cast<std::size_t>(ring.next)].data();
    const std::size_t size = ring.buffers[0].size();
    std::snprintf(out, size, "%.19s", text);
    ring.next = (ring.next + 1) % static_cast<int>(ring.buffers.size());
    return out;
}

std::string fullwidth_digits(int n) {
    const std::string digits = std::to_string(n < 0 ? 0 : n);
    std::string out;
    for (char d : digits) {
        out += '\x82';
        out += static_cast<char>(0x4F + (d - '0'));
    }
    return out;
}

GuidePosition guide_position(DisplayLineNo display_line, int page_cols, bool per_page, TextPos cursor) {
    const std::uint64_t p = page_cols > 0 ? static_cast<std::uint64_t>(page_cols) : 1;
    GuidePosition g;
    g.page = display_line.value / p;
    g.column = per_page ? display_line.value % p : display_line.value;
    g.line = cursor.line();
    g.character = cursor.column() / 2 + 1;
    return g;
}

std::uint64_t TextCounts::bytes() const {
    const std::uint64_t b = 2 * full + half + 2 * lines + (ends_after_break ? 2 : 0);
    return b > 0 ? b - 1 : 0;
}

TextCounts count_text(const Document& doc, TextPos from, TextPos to) {
    TextCounts c;
    const std::uint32_t count = doc.lines.count();
    const bool to_end = to.line() >= count;
    const std::uint32_t last = to_end ? (count > 0 ? count - 1 : 0) : to.line();
    for (std::uint32_t line = from.line(); line < count && line <= last; ++line) {
        LineScanner scan(doc.line_pointer(line), MAX_LINE_SCAN);
        const std::uint32_t start = line == from.line() ? from.column() : 0;
        const bool limited = !to_end && line == last;
        bool text_seen = false;
        for (;;) {
            if (!limited && scan.column() >= start) {
                const std::uint32_t doubles = scan.skip_doubles(UINT32_MAX);
                c.full += doubles;
                text_seen = text_seen || doubles > 0;
            }
            const ScanItem item = scan.next();
            if (limited && item.column >= to.column()) {
                if (text_seen) ++c.lines;
                return c;
            }
            if (item.kind == ItemKind::LINE_END) {
                if (item.column >= start) {
                    ++c.lines;
                    if (!text_seen && start == 0) ++c.empty_lines;
                }
                break;
            }
            if (item.kind == ItemKind::TEXT_END || item.kind == ItemKind::CUT) {
                if (text_seen) ++c.lines;
                else if (item.kind == ItemKind::TEXT_END && line > 0 && start == 0) c.ends_after_break = true;
                break;
            }
            if (item.column < start) continue;
            switch (item.kind) {
            case ItemKind::DOUBLE: ++c.full; text_seen = true; break;
            case ItemKind::SINGLE: ++c.half; text_seen = true; break;
            case ItemKind::PAIR: c.half += 2; text_seen = true; break;
            default: break;
            }
        }
    }
    return c;
}

std::string five_or_kilo(std::uint64_t n) {
    if (n > 99999) return printf_text("%4" PRIu64 "k", n / 1000);
    return printf_text("%5" PRIu64, n);
}

// ---- the title bar ----

std::string ime_mode_part(const ImeState& ime) {
    if (!ime.known) return {};
    static constexpr const char* MODES[] = {" A", "_A", "　", "　", "_ｶ", "　", "　",
                                            "　", "　", "Ａ", "あ", "　", "カ"};
    constexpr std::size_t COUNT = sizeof MODES / sizeof MODES[0];
    std::string_view mode = " A";
    if (ime.open) {
        const std::size_t entry = static_cast<std::size_t>(ime.conversion & 0x0F) + 1;
        mode = entry < COUNT ? MODES[entry] : "　";
    }
    return sj("「") + sj(mode) + sj("」");
}

std::string title_name_part(std::string_view path) {
    const std::size_t slash = path.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    constexpr std::size_t LIMIT = 30;
    std::size_t end = 0;
    while (end < name.size()) {
        const std::size_t n = char_length(name, end);
        if (end + n > LIMIT) break;
        end += n;
    }
    return " " + std::string(name.substr(0, end));
}

std::string title_position_part(CountRing& ring, int format_number, const GuidePosition& p, bool stale) {
    if (stale)
        return sj("書式 ") + std::to_string(format_number) + sj(" ［ 計数中］  行:") + std::to_string(p.line + 1u) +
               sj(" 字:") + std::to_string(p.character);
    return sj("［書式") + fullwidth_digits(format_number) + sj("　頁：") + counted(ring, p.page + 1) + sj("　列：") +
           counted(ring, p.column + 1) + sj("　行：") + counted(ring, p.line + 1u) + sj("　字：") +
           counted(ring, p.character) + sj("］");
}

std::string title_capacity_part(CountRing& ring, const Capacity& c) {
    return sj("［文書容量　頁：") + counted(ring, c.pages) + sj("（書式") + fullwidth_digits(c.print_format) +
           sj("） 行：") + counted(ring, c.text.lines) + sj("　字：") + counted(ring, c.text.characters()) + sj("］");
}

std::string compose_title(const TitleParts& parts, bool in_title_bar, int content, bool overwrite, bool modified) {
    std::string t = parts.name;
    const std::string space = sj("　");
    if (in_title_bar && content != 1) t += space + parts.position;
    if (in_title_bar && content != 0) t += space + parts.capacity;
    if (overwrite) t += sj("　上書");
    if (modified) t += sj("　変更");
    if (!ends_with_ideographic_space(t)) t += space;
    t += parts.ime;
    t += parts.char_code;
    return t;
}

std::string char_code_part(const Document& doc, TextPos pos) {
    if (pos.line() >= doc.lines.count()) return {};
    LineScanner scan(doc.line_pointer(pos.line()), MAX_LINE_SCAN);
    for (;;) {
        const ScanItem item = scan.next();
        if (item.kind == ItemKind::LINE_END || item.kind == ItemKind::TEXT_END || item.kind == ItemKind::CUT)
            return {};
        if (item.column + item.length <= pos.column()) continue;
        if (item.column > pos.column()) return {};
        char code[16];
        if (item.kind == ItemKind::DOUBLE) {
            std::snprintf(code, sizeof code, " %04X]", item.code);
            return " [J" + sj("全") + code;
        }
        if (item.kind == ItemKind::SINGLE || item.kind == ItemKind::PAIR) {
            const std::uint8_t* bytes = doc.line_pointer(pos.line());
            std::snprintf(code, sizeof code, " %04X]", static_cast<unsigned>(bytes[pos.column()]));
            return " [J" + sj("半") + code;
        }
        return {};
    }
}

// ---- the guide boxes ----

GuideBoxLayout guide_box_layout(int place) {
    GuideBoxLayout l;
    if (place < GUIDE_PLACE_SMALL || place > GUIDE_PLACE_LARGE) return l;
    static constexpr int POINTS[] = {9, 11, 14};
    l.font_px = (POINTS[place - 1] * 96 + 36) / 72;
    const int x = dialog_px(3, l.font_px), w = dialog_px(28, l.font_px);
    l.position = SurfaceRect{x, dialog_px(3, l.font_px), w, dialog_px(135, l.font_px)};
    l.capacity = SurfaceRect{x, dialog_px(145, l.font_px), w, dialog_px(129, l.font_px)};
    return l;
}

int guide_box_width(int place) {
    const GuideBoxLayout l = guide_box_layout(place);
    return l.position.empty() ? 0 : l.position.x + l.position.w;
}

GuideBoxFields position_box_fields(int format_number, const GuidePosition& p, bool stale, bool overwrite,
                                   bool modified) {
    const std::string blank(5, ' ');
    GuideBoxFields f;
    f.rows = {sj("書式") + fullwidth_digits(format_number),
              sj("頁"),
              stale ? blank : printf_text("%5" PRIu64, p.page + 1),
              sj("列"),
              stale ? blank : printf_text("%5" PRIu64, p.column + 1),
              sj("行"),
              printf_text("%5" PRIu64, std::uint64_t{p.line} + 1),
              sj("字"),
              printf_text("%5" PRIu64, std::uint64_t{p.character}),
              overwrite ? sj("上書") : std::string(),
              modified ? sj("変更") : std::string()};
    return f;
}

GuideBoxFields capacity_box_fields(const Capacity& c) {
    GuideBoxFields f;
    f.rows = {sj("書式") + fullwidth_digits(c.print_format),
              sj("頁数"),
              printf_text("%5" PRIu64, c.pages),
              sj("行数"),
              printf_text("%5" PRIu64, c.text.lines),
              sj("字数"),
              five_or_kilo(c.text.characters()),
              sj("ﾊﾞｲﾄ"),
              five_or_kilo(c.text.bytes())};
    return f;
}

namespace {

constexpr std::uint32_t GUIDE_BOX_BACKGROUND = 0xF0F0F0;

// One cell of a box row: a full-width character, or two single-byte ones
// side by side (a lone one beside a space). 0x2020 is an empty cell.
struct BoxCell {
    std::uint16_t code = 0x2020;
    bool half = false;
    bool operator==(const BoxCell&) const = default;
};

std::vector<BoxCell> box_cells(const std::string& text) {
    std::vector<BoxCell> cells;
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<std::uint8_t>(text[i]);
        BoxCell c;
        if (char_length(text, i) == 2) {
            c.code = static_cast<std::uint16_t>(b << 8 | static_cast<std::uint8_t>(text[i + 1]));
            i += 2;
        } else {
            const bool pair = i + 1 < text.size() && char_length(text, i + 1) == 1;
            const std::uint8_t second = pair ? static_cast<std::uint8_t>(text[i + 1]) : ' ';
            c.code = static_cast<std::uint16_t>(b << 8 | second);
            c.half = true;
            i += pair ? 2 : 1;
        }
        cells.push_back(c);
    }
    return cells;
}

SurfaceRect intersect(const SurfaceRect& a, const SurfaceRect& b) {
    const int x0 = std::max(a.x, b.x), y0 = std::max(a.y, b.y);
    const int x1 = std::min(a.x + a.w, b.x + b.w), y1 = std::min(a.y + a.h, b.y + b.h);
    return x1 > x0 && y1 > y0 ? SurfaceRect{x0, y0, x1 - x0, y1 - y0} : SurfaceRect{};
}

}  // namespace

void draw_guide_box(Surface& surface, const SurfaceRect& box, int font_px, const GuideBoxFields& fields,
                    std::uint32_t text_colour, const GuideBoxFields* shown) {
    if (box.empty() || font_px <= 0) return;
    const int rows = static_cast<int>(fields.rows.size());
    // Only the differing cells are painted when the box shows rows of the same number.
    const bool partial = shown && shown->rows.size() == fields.rows.size();
    if (!partial) {
        surface.fill_rect(box, GUIDE_BOX_BACKGROUND);
        const std::uint32_t frame = 0x808080;
        surface.draw_line(box.x, box.y, box.x + box.w - 1, box.y, frame);
        surface.draw_line(box.x, box.y + box.h - 1, box.x + box.w - 1, box.y + box.h - 1, frame);
        surface.draw_line(box.x, box.y, box.x, box.y + box.h - 1, frame);
        surface.draw_line(box.x + box.w - 1, box.y, box.x + box.w - 1, box.y + box.h - 1, frame);
    }
    const SurfaceRect inside{box.x + 1, box.y + 1, box.w - 2, box.h - 2};
    const int pitch = rows > 0 ? std::max(box.h / rows, 1) : 1;
    bool font_set = false;
    for (int r = 0; r < rows; ++r) {
        const std::vector<BoxCell> cells = box_cells(fields.rows[static_cast<std::size_t>(r)]);
        std::vector<BoxCell> before;
        if (partial) before = box_cells(shown->rows[static_cast<std::size_t>(r)]);
        const int y = box.y + r * pitch + (pitch - font_px) / 2;
        const std::size_t n = std::max(cells.size(), before.size());
        for (std::size_t k = 0; k < n; ++k) {
            const BoxCell now = k < cells.size() ? cells[k] : BoxCell{};
            const BoxCell was = k < before.size() ? before[k] : BoxCell{};
            if (partial && now == was) continue;
            const int x = box.x + 2 + static_cast<int>(k) * font_px;
            if (partial) {
                const SurfaceRect cell = intersect(SurfaceRect{x, y, font_px, font_px}, inside);
                if (!cell.empty()) surface.fill_rect(cell, GUIDE_BOX_BACKGROUND);
            }
            if (now.code == 0x2020) continue;
            if (!font_set) {
                FontRequest font;
                font.face = sj("IPAexゴシック");
                font.pixel_height = font_px;
                if (!surface.set_font(FONT_GUIDE, font)) return;
                font_set = true;
            }
            CellGlyph g;
            g.font = FONT_GUIDE;
            g.colour = text_colour;
            g.box = SurfaceRect{x, y, font_px, font_px};
            g.code = now.code;
            g.half = now.half;
            if (now.half) g.second_offset = font_px / 2;
            surface.draw_cell(g);
        }
    }
}

PositionBar position_bar(int width, std::uint64_t cursor, std::uint64_t last, bool vertical) {
    PositionBar bar;
    bar.x0 = 2 * width / 3;
    bar.length = width / 3 - 4;
    bar.area = SurfaceRect{bar.x0, 3, std::max(bar.length + 1, 0), 10};
    bar.shown = 2 * bar.y < bar.length;
    const std::uint64_t t = last > 1 ? last - 1 : last;
    const std::uint64_t c = std::min(cursor, t);
    const std::uint64_t along = vertical ? t - c : c;
    // One display line (t = 0): the tick stands at the start.
    bar.tick_x = bar.x0 + (t == 0 ? 0 : static_cast<int>(static_cast<std::uint64_t>(std::max(bar.length, 0)) * along / t));
    return bar;
}

void draw_position_bar(Surface& surface, const Surface* blank_page, const PositionBar& bar, std::uint32_t colour) {
    if (!bar.shown) return;
    if (blank_page) surface.copy_from(*blank_page, bar.area, bar.area.x, bar.area.y);
    surface.draw_line(bar.x0, bar.y, bar.x0 + bar.length, bar.y, colour);
    surface.draw_line(bar.tick_x, bar.y - bar.tick, bar.tick_x, bar.y + bar.tick + 2, colour);
}

}  // namespace rix

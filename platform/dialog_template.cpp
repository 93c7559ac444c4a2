// Reader of dialog templates: resources/dialogs/NAME.dlg.
//
// Owns the template file format. A template is UTF-8 text, one statement per
// line; texts become code page 932 on load. The reader never trusts the file:
// every fault is a status with the line and a message, never an assert, and
// the sizes are capped (MAX_FILE_BYTES, MAX_LINE_BYTES, MAX_CONTROLS).
//
//   file     := { line }
//   line     := blank | '#' comment | header | control
//   header   := "dialog" NAME W H [TEXT]       exactly one, before any control
//   control  := KIND ID X Y W H [TEXT] { option }
//   KIND     := static | edit | number | check | radio | button | list | combo
//             | listview | tabs | colour | textbox | group | spin
//   ID       := integer 0..65535 | "-" (no id)
//   TEXT     := '"' { character | \" | \\ | \n | \r | \t } '"'
//   option   := FLAG | limit=N | min=N | max=N | group=N | page=N | buddy=ID
//             | colour=N | item=TEXT | tab=TEXT | column=N,TEXT
//   FLAG     := readonly | password | multiline | vertical | disabled | hidden
//             | default | fixedfont | multiselect
//
// NAME is [A-Za-z0-9_]{1,64}; W, H, X, Y and sizes are dialog units 0..32767
// (the dialog's own W and H at least 1). Numbers are decimal with an optional
// minus sign, or hexadecimal after 0x. An option is accepted only on the kinds
// it applies to (limit: edit, number, textbox; min/max: spin, number; group:
// radio; buddy: spin, naming an edit or number; colour: colour; item: list,
// combo; tab: tabs; column: listview; page: anything but tabs, below the
// number of tab= captions of the dialog's one tabs control).
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>

#include "platform/codec.h"
#include "platform/dialogs.h"

namespace rix {

namespace {

constexpr std::size_t MAX_FILE_BYTES = 1u << 20;
constexpr std::size_t MAX_LINE_BYTES = 8192;
constexpr std::size_t MAX_CONTROLS = 4000;
constexpr std::size_t MAX_NAME = 64;
constexpr int MAX_UNITS = 32767;
constexpr int MAX_BYTE_LIMIT = 1 << 24;
constexpr int MAX_GROUP = 65535;
constexpr int AUTO_GROUP_BASE = 0x10000;   // groups made for radios without group=

struct KindName {
    const char* word;
    ControlKind kind;
};
constexpr KindName KIND_NAMES[] = {
    {"static", ControlKind::STATIC},   {"edit", ControlKind::EDIT},         {"number", ControlKind::NUMBER},
    {"check", ControlKind::CHECK},     {"radio", ControlKind::RADIO},       {"button", ControlKind::BUTTON},
    {"list", ControlKind::LIST},       {"combo", ControlKind::COMBO},       {"listview", ControlKind::LIST_VIEW},
    {"tabs", ControlKind::TAB_PAGES},  {"colour", ControlKind::COLOUR},     {"textbox", ControlKind::TEXT_BOX},
    {"group", ControlKind::GROUP_BOX}, {"spin", ControlKind::SPIN},
};

struct FlagName {
    const char* word;
    std::uint32_t flag;
};
constexpr FlagName FLAG_NAMES[] = {
    {"readonly", CONTROL_READ_ONLY}, {"password", CONTROL_PASSWORD}, {"multiline", CONTROL_MULTILINE},
    {"vertical", CONTROL_VERTICAL},  {"disabled", CONTROL_DISABLED}, {"hidden", CONTROL_HIDDEN},
    {"default", CONTROL_DEFAULT},    {"fixedfont", CONTROL_FIXED_FONT},
    {"multiselect", CONTROL_MULTI_SELECT},
};

// A fault found on one line; the message is UTF-8 until the end.
struct Fault {
    TemplateStatus status;
    std::string message;
};

// Walks one line: words end at a blank or a quote, texts are quoted.
class Cursor {
public:
    explicit Cursor(std::string_view s) : s_(s) {}

    bool at_end() {
        skip_blanks();
        return i_ >= s_.size();
    }
    bool at_quote() {
        skip_blanks();
        return i_ < s_.size() && s_[i_] == '"';
    }
    // The next word (empty at the end of the line). It stops before a quote.
    std::string_view word() {
        skip_blanks();
        std::size_t start = i_;
        while (i_ < s_.size() && s_[i_] != ' ' && s_[i_] != '\t' && s_[i_] != '"') ++i_;
        return s_.substr(start, i_ - start);
    }
    // A quoted text right here (no blank before it when `adjacent`), in code page 932.
    std::optional<Fault> text(std::string* out, bool adjacent = false) {
        if (!adjacent) skip_blanks();
        if (i_ >= s_.size() || s_[i_] != '"') return Fault{TemplateStatus::BAD_LINE, "a quoted text is expected"};
        std::string utf8;
        for (++i_; i_ < s_.size(); ++i_) {
            char c = s_[i_];
            if (c == '"') {
                ++i_;
                *out = utf8_to_sjis(utf8);
                return std::nullopt;
            }
            if (c != '\\') {
                utf8 += c;
                continue;
            }
            if (++i_ >= s_.size()) break;
            switch (s_[i_]) {
            case '"': utf8 += '"'; break;
            case '\\': utf8 += '\\'; break;
            case 'n': utf8 += '\n'; break;
            case 'r': utf8 += '\r'; break;
            case 't': utf8 += '\t'; break;
            default: return Fault{TemplateStatus::BAD_LINE, "unknown escape \\" + std::string(1, s_[i_])};
            }
        }
        return Fault{TemplateStatus::BAD_LINE, "the text has no closing quote"};
    }
    bool next_is_quote() const { return i_ < s_.size() && s_[i_] == '"'; }

private:
    void skip_blanks() {
        while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t')) ++i_;
    }
    std::string_view s_;
    std::size_t i_ = 0;
};

// A decimal or 0x-hexadecimal number that fits an int.
bool parse_int(std::string_view w, int* out) {
    bool negative = !w.empty() && w[0] == '-';
    if (negative) w.remove_prefix(1);
    int base = 10;
    if (w.size() > 2 && w[0] == '0' && (w[1] == 'x' || w[1] == 'X')) {
        base = 16;
        w.remove_prefix(2);
    }
    if (w.empty() || w.size() > 10) return false;
    long long v = 0;
    for (char c : w) {
        int d = c >= '0' && c <= '9' ? c - '0'
              : base == 16 && c >= 'a' && c <= 'f' ? c - 'a' + 10
              : base == 16 && c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
        if (d < 0 || d >= base) return false;
        v = v * base + d;
    }
    if (negative) v = -v;
    if (v < INT32_MIN || v > INT32_MAX) return false;
    *out = static_cast<int>(v);
    return true;
}

std::optional<Fault> read_number(Cursor& c, const char* what, int lo, int hi, int* out) {
    std::string_view w = c.word();
    int v = 0;
    if (!parse_int(w, &v) || v < lo || v > hi)
        return Fault{TemplateStatus::BAD_LINE,
                     std::string(what) + " must be a number from " + std::to_string(lo) + " to " +
                         std::to_string(hi) + ", not \"" + std::string(w) + "\""};
    *out = v;
    return std::nullopt;
}

bool valid_name(std::string_view name) {
    if (name.empty() || name.size() > MAX_NAME) return false;
    return std::all_of(name.begin(), name.end(), [](char ch) {
        return (ch >= 'A' && ch <= 'Z') || (ch >= 'a' && ch <= 'z') || (ch >= '0' && ch <= '9') || ch == '_';
    });
}

std::optional<Fault> parse_header(Cursor& c, DialogTemplate* t) {
    std::string_view name = c.word();
    if (!valid_name(name)) return Fault{TemplateStatus::BAD_LINE, "the dialog name must be [A-Za-z0-9_]{1,64}"};
    t->name = std::string(name);
    if (auto f = read_number(c, "the dialog width", 1, MAX_UNITS, &t->w)) return f;
    if (auto f = read_number(c, "the dialog height", 1, MAX_UNITS, &t->h)) return f;
    if (c.at_quote())
        if (auto f = c.text(&t->caption)) return f;
    if (!c.at_end()) return Fault{TemplateStatus::BAD_LINE, "unexpected \"" + std::string(c.word()) + "\""};
    return std::nullopt;
}

bool option_applies(std::string_view key, ControlKind k) {
    using K = ControlKind;
    if (key == "limit") return k == K::EDIT || k == K::NUMBER || k == K::TEXT_BOX;
    if (key == "min" || key == "max") return k == K::SPIN || k == K::NUMBER;
    if (key == "group") return k == K::RADIO;
    if (key == "buddy") return k == K::SPIN;
    if (key == "colour") return k == K::COLOUR;
    if (key == "item") return k == K::LIST || k == K::COMBO;
    if (key == "tab") return k == K::TAB_PAGES;
    if (key == "column") return k == K::LIST_VIEW;
    if (key == "page") return k != K::TAB_PAGES;
    return false;
}

// One option word (the cursor stands after it; texts are read from there).
std::optional<Fault> parse_option(Cursor& c, std::string_view word, ControlDef* def) {
    std::size_t eq = word.find('=');
    if (eq == std::string_view::npos) {
        for (const FlagName& f : FLAG_NAMES)
            if (word == f.word) {
                def->flags |= f.flag;
                return std::nullopt;
            }
        return Fault{TemplateStatus::BAD_LINE, "unknown flag \"" + std::string(word) + "\""};
    }
    std::string_view key = word.substr(0, eq);
    std::string_view value = word.substr(eq + 1);
    if (key != "limit" && key != "min" && key != "max" && key != "group" && key != "page" && key != "buddy" &&
        key != "colour" && key != "item" && key != "tab" && key != "column")
        return Fault{TemplateStatus::BAD_LINE, "unknown option \"" + std::string(key) + "\""};
    if (!option_applies(key, def->kind))
        return Fault{TemplateStatus::BAD_LINE, "option \"" + std::string(key) + "\" does not apply to this kind"};
    if (key == "item" || key == "tab" || key == "column") {
        int width = 0;
        if (key == "column") {
            if (value.empty() || value.back() != ',' || !parse_int(value.substr(0, value.size() - 1), &width) ||
                width < 0 || width > MAX_UNITS)
                return Fault{TemplateStatus::BAD_LINE, "column= takes a width, a comma and a quoted text"};
        } else if (!value.empty()) {
            return Fault{TemplateStatus::BAD_LINE, std::string(key) + "= takes a quoted text"};
        }
        if (!c.next_is_quote()) return Fault{TemplateStatus::BAD_LINE, std::string(key) + "= takes a quoted text"};
        std::string text;
        if (auto f = c.text(&text, true)) return f;
        if (key == "item") def->items.push_back(std::move(text));
        else def->columns.push_back(std::move(text));
        if (key == "column") def->column_widths.push_back(width);
        return std::nullopt;
    }
    int v = 0;
    if (!parse_int(value, &v)) return Fault{TemplateStatus::BAD_LINE, std::string(key) + "= takes a number"};
    struct Target {
        const char* key;
        int lo, hi;
        int* field;
    };
    int colour = 0;
    const Target targets[] = {
        {"limit", 0, MAX_BYTE_LIMIT, &def->byte_limit}, {"min", INT32_MIN, INT32_MAX, &def->min},
        {"max", INT32_MIN, INT32_MAX, &def->max},       {"group", 1, MAX_GROUP, &def->group},
        {"page", 0, 255, &def->page},                   {"buddy", 0, CONTROL_ID_MAX, &def->buddy},
        {"colour", 0, 0xFFFFFF, &colour},
    };
    for (const Target& target : targets) {
        if (key != target.key) continue;
        if (v < target.lo || v > target.hi)
            return Fault{TemplateStatus::BAD_LINE, std::string(key) + "= is out of range"};
        *target.field = v;
    }
    if (key == "colour") def->colour = static_cast<std::uint32_t>(colour);
    return std::nullopt;
}

std::optional<Fault> parse_control(Cursor& c, std::string_view kind_word, ControlDef* def) {
    const KindName* kind = std::find_if(std::begin(KIND_NAMES), std::end(KIND_NAMES),
                                        [&](const KindName& k) { return kind_word == k.word; });
    if (kind == std::end(KIND_NAMES))
        return Fault{TemplateStatus::BAD_LINE, "unknown control kind \"" + std::string(kind_word) + "\""};
    def->kind = kind->kind;
    std::string_view id = c.word();
    if (id != "-") {
        int v = 0;
        if (!parse_int(id, &v) || v < 0 || v > CONTROL_ID_MAX)
            return Fault{TemplateStatus::BAD_LINE, "the id must be 0..65535 or -, not \"" + std::string(id) + "\""};
        def->id = v;
    }
    if (auto f = read_number(c, "x", 0, MAX_UNITS, &def->x)) return f;
    if (auto f = read_number(c, "y", 0, MAX_UNITS, &def->y)) return f;
    if (auto f = read_number(c, "the width", 0, MAX_UNITS, &def->w)) return f;
    if (auto f = read_number(c, "the height", 0, MAX_UNITS, &def->h)) return f;
    if (c.at_quote())
        if (auto f = c.text(&def->text)) return f;
    while (!c.at_end()) {
        std::string_view w = c.word();
        if (w.empty()) return Fault{TemplateStatus::BAD_LINE, "a text is not expected here"};
        if (auto f = parse_option(c, w, def)) return f;
    }
    return std::nullopt;
}

// Cross-checks that need the whole file: ids, buddies, pages.
std::optional<Fault> check_template(const DialogTemplate& t, int* line, const std::vector<int>& lines) {
    std::map<int, std::size_t> seen;
    const ControlDef* tabs = nullptr;
    for (std::size_t i = 0; i < t.controls.size(); ++i) {
        const ControlDef& s = t.controls[i];
        *line = lines[i];
        if (s.id >= 0 && !seen.emplace(s.id, i).second)
            return Fault{TemplateStatus::BAD_LINE, "id " + std::to_string(s.id) + " is used twice"};
        if (s.kind == ControlKind::TAB_PAGES) {
            if (tabs) return Fault{TemplateStatus::BAD_LINE, "a dialog has at most one tabs control"};
            if (s.id < 0) return Fault{TemplateStatus::BAD_LINE, "a tabs control needs an id"};
            tabs = &s;
        }
    }
    for (std::size_t i = 0; i < t.controls.size(); ++i) {
        const ControlDef& s = t.controls[i];
        *line = lines[i];
        if (s.kind == ControlKind::SPIN && s.buddy >= 0) {
            const ControlDef* b = t.find(s.buddy);
            if (!b || (b->kind != ControlKind::EDIT && b->kind != ControlKind::NUMBER))
                return Fault{TemplateStatus::BAD_LINE, "buddy " + std::to_string(s.buddy) + " is no edit or number"};
        }
        if (s.page >= 0 && (!tabs || static_cast<std::size_t>(s.page) >= tabs->columns.size()))
            return Fault{TemplateStatus::BAD_LINE, "page " + std::to_string(s.page) + " does not exist"};
    }
    *line = 0;
    return std::nullopt;
}

TemplateResult failure(TemplateStatus status, int line, const std::string& utf8) {
    TemplateResult r;
    r.status = status;
    r.line = line;
    r.message = utf8_to_sjis(line > 0 ? "line " + std::to_string(line) + ": " + utf8 : utf8);
    return r;
}

// Parses one statement into `t`; `auto_group` numbers radios without group=.
std::optional<Fault> parse_statement(std::string_view text, DialogTemplate* t, bool* have_header,
                                     int* auto_group) {
    Cursor c(text);
    std::string_view first = c.word();
    if (first == "dialog") {
        if (*have_header) return Fault{TemplateStatus::BAD_LINE, "a second dialog header"};
        *have_header = true;
        return parse_header(c, t);
    }
    if (!*have_header) return Fault{TemplateStatus::BAD_LINE, "the file must begin with a dialog header"};
    if (t->controls.size() >= MAX_CONTROLS) return Fault{TemplateStatus::TOO_LARGE, "too many controls"};
    ControlDef def;
    if (auto f = parse_control(c, first, &def)) return f;
    if (def.kind == ControlKind::RADIO && def.group == 0) {
        bool follows_radio = !t->controls.empty() && t->controls.back().kind == ControlKind::RADIO;
        def.group = follows_radio ? t->controls.back().group : ++*auto_group;
    }
    t->controls.push_back(std::move(def));
    return std::nullopt;
}

}  // namespace

const ControlDef* DialogTemplate::find(int id) const {
    if (id < 0) return nullptr;
    for (const ControlDef& def : controls)
        if (def.id == id) return &def;
    return nullptr;
}

TemplateResult parse_dialog_template(std::string_view utf8, DialogTemplate* out) {
    *out = DialogTemplate{};
    if (utf8.size() > MAX_FILE_BYTES) return failure(TemplateStatus::TOO_LARGE, 0, "the file is too large");
    if (utf8.substr(0, 3) == "\xEF\xBB\xBF") utf8.remove_prefix(3);
    DialogTemplate t;
    std::vector<int> control_lines;
    bool have_header = false;
    int auto_group = AUTO_GROUP_BASE;
    int line_no = 0;
    while (!utf8.empty()) {
        ++line_no;
        std::size_t nl = utf8.find('\n');
        std::string_view line = utf8.substr(0, nl);
        utf8 = nl == std::string_view::npos ? std::string_view() : utf8.substr(nl + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.size() > MAX_LINE_BYTES) return failure(TemplateStatus::TOO_LARGE, line_no, "the line is too long");
        if (line.find('\0') != std::string_view::npos)
            return failure(TemplateStatus::BAD_LINE, line_no, "the line holds a NUL byte");
        std::size_t start = line.find_first_not_of(" \t");
        if (start == std::string_view::npos || line[start] == '#') continue;
        std::size_t before = t.controls.size();
        if (auto f = parse_statement(line, &t, &have_header, &auto_group))
            return failure(f->status, line_no, f->message);
        if (t.controls.size() > before) control_lines.push_back(line_no);
    }
    if (!have_header) return failure(TemplateStatus::BAD_LINE, 0, "the file has no dialog header");
    int bad_line = 0;
    if (auto f = check_template(t, &bad_line, control_lines)) return failure(f->status, bad_line, f->message);
    *out = std::move(t);
    return TemplateResult{};
}

TemplateResult load_dialog_template(const std::string& resource_dir, std::string_view name, DialogTemplate* out) {
    *out = DialogTemplate{};
    std::string file = std::string(name) + ".dlg";
    if (!valid_name(name)) return failure(TemplateStatus::BAD_NAME, 0, "bad dialog name");
    std::ifstream in(resource_dir + "/dialogs/" + file, std::ios::binary);
    if (!in) return failure(TemplateStatus::NOT_FOUND, 0, file + ": cannot be read");
    std::string text;
    char buf[16384];
    while (in.read(buf, sizeof buf) || in.gcount() > 0) {
        text.append(buf, static_cast<std::size_t>(in.gcount()));
        if (text.size() > MAX_FILE_BYTES) return failure(TemplateStatus::TOO_LARGE, 0, file + ": too large");
    }
    if (in.bad()) return failure(TemplateStatus::NOT_FOUND, 0, file + ": cannot be read");
    TemplateResult r = parse_dialog_template(text, out);
    if (r.ok() && out->name != name) {
        std::string header_name = out->name;
        *out = DialogTemplate{};
        return failure(TemplateStatus::BAD_LINE, 0, file + ": the header names \"" + header_name + "\"");
    }
    if (!r.ok()) r.message = utf8_to_sjis(file + ": ") + r.message;
    return r;
}

}  // namespace rix

// Reader of the menu table, labels, and the menus built from settings bytes.
#include "app/window/menus.h"

#include <fstream>
#include <sstream>

#include "app/window/command_table.h"
#include "platform/codec.h"
#include "platform/virtual_keys.h"

namespace rix {
namespace {

constexpr int SLOT_MASK = 0x3F;
constexpr int HELP_SLOT = 49;

// Splits off the next blank-separated word of `rest`.
std::string_view next_word(std::string_view* rest) {
    std::size_t start = rest->find_first_not_of(' ');
    if (start == std::string_view::npos) {
        *rest = {};
        return {};
    }
    std::size_t end = rest->find(' ', start);
    std::string_view word = rest->substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
    *rest = end == std::string_view::npos ? std::string_view() : rest->substr(end);
    return word;
}

bool read_number(std::string_view word, int* out) {
    if (word.empty() || word.size() > 6) return false;
    int n = 0;
    for (char c : word) {
        if (c < '0' || c > '9') return false;
        n = n * 10 + (c - '0');
    }
    *out = n;
    return true;
}

// "Ctrl+Alt+Num0" -> key and flags; false when a part is unknown.
bool read_keys(std::string_view text, int* vk, int* flags) {
    *flags = 0;
    while (true) {
        std::size_t plus = text.find('+');
        if (plus == std::string_view::npos || plus + 1 >= text.size()) break;
        std::string_view mod = text.substr(0, plus);
        if (mod == "Ctrl") *flags |= KEY_FLAG_CTRL;
        else if (mod == "Alt") *flags |= KEY_FLAG_ALT;
        else if (mod == "Shift") *flags |= KEY_FLAG_SHIFT;
        else return false;
        text.remove_prefix(plus + 1);
    }
    *vk = virtual_key_named(text);
    return *vk != 0;
}

// accel KEYS ID, where KEYS may end in a run "K1..K2".
bool read_accelerator(std::string_view rest, std::vector<Accelerator>* out) {
    std::string_view keys = next_word(&rest);
    int command = 0;
    if (!read_number(next_word(&rest), &command) || !next_word(&rest).empty()) return false;
    std::size_t dots = keys.find("..");
    int first = 0, last = 0, flags = 0, last_flags = 0;
    if (dots == std::string_view::npos) {
        if (!read_keys(keys, &first, &flags)) return false;
        last = first;
    } else {
        std::size_t plus = keys.rfind('+', dots);
        std::string prefix(keys.substr(0, plus == std::string_view::npos ? 0 : plus + 1));
        if (!read_keys(keys.substr(0, dots), &first, &flags) ||
            !read_keys(prefix + std::string(keys.substr(dots + 2)), &last, &last_flags) || last < first ||
            last - first > 40)
            return false;
    }
    for (int vk = first; vk <= last; ++vk) out->push_back(Accelerator{vk, flags, command + (vk - first)});
    return true;
}

// item ID L K TEXT
bool read_item(std::string_view rest, bool blank, MenuEntry* out) {
    int command = 0;
    std::string_view letter = next_word(&rest);
    if (!read_number(letter, &command) || command == 0) return false;
    letter = next_word(&rest);
    std::string_view kana = next_word(&rest);
    std::size_t start = rest.find_first_not_of(' ');
    if (letter.size() != 1 || letter[0] < 'A' || letter[0] > 'Z' || kana.empty() || start == std::string_view::npos)
        return false;
    std::string text(rest.substr(start));
    std::string key;
    if (std::size_t tab = text.find("\\t"); tab != std::string::npos) {
        key = text.substr(tab + 2);
        text.resize(tab);
    }
    out->command = command;
    out->label = menu_label(utf8_to_sjis(text), letter[0], utf8_to_sjis(kana), blank, key);
    return true;
}

// title "TEXT" L K [window]
bool read_title(std::string_view rest, MenuResource* out) {
    std::size_t open = rest.find('"');
    std::size_t close = open == std::string_view::npos ? open : rest.find('"', open + 1);
    if (close == std::string_view::npos) return false;
    std::string_view text = rest.substr(open + 1, close - open - 1);
    rest.remove_prefix(close + 1);
    std::string_view letter = next_word(&rest);
    std::string_view kana = next_word(&rest);
    std::string_view flag = next_word(&rest);
    if (letter.size() != 1 || letter[0] < 'A' || letter[0] > 'Z' || kana.empty()) return false;
    if (!flag.empty() && flag != "window") return false;
    out->title = menu_label(utf8_to_sjis(text), letter[0], utf8_to_sjis(kana), true);
    out->window_menu = flag == "window";
    return true;
}

}  // namespace

const MenuResource* MenuTables::popup(std::string_view name) const {
    for (const MenuResource& m : popups)
        if (m.name == name) return &m;
    return nullptr;
}

std::string menu_label(std::string_view text, char letter, std::string_view kana, bool blank_before,
                       std::string_view key_text) {
    std::string label(text);
    if (blank_before) label += ' ';
    label += "(\x1E";
    label += letter;
    label += '\x1F';
    label += kana;
    label += ')';
    if (!key_text.empty()) {
        label += '\t';
        label += key_text;
    }
    return label;
}

std::string display_label(std::string_view label) {
    std::string out;
    for (std::size_t i = 0; i < label.size();) {
        std::size_t n = char_length_at(label, i);
        if (n == 0) n = 1;
        if (label[i] == '\x1E') {
            out += '&';
        } else if (label[i] == '\x1F') {
            // the katakana follows the letter directly
        } else {
            std::string piece(label.substr(i, n));
            out += piece == "&" ? std::string("&&") : sjis_to_utf8(piece);
        }
        i += n;
    }
    return out;
}

bool parse_menu_tables(std::string_view text, MenuTables* out, std::string* error) {
    *out = MenuTables{};
    MenuResource* current = nullptr;
    bool blank = true;
    int line_number = 0;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        ++line_number;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        std::string_view rest = line;
        std::string_view word = next_word(&rest);
        bool ok = true;
        if (word.empty() || word[0] == '#') {
            continue;
        } else if (word == "menubar") {
            current = nullptr;
        } else if (word == "title") {
            out->bar.emplace_back();
            current = &out->bar.back();
            blank = true;
            ok = read_title(rest, current);
        } else if (word == "popup") {
            std::string_view name = next_word(&rest);
            std::string_view flag = next_word(&rest);
            ok = !name.empty() && (flag.empty() || flag == "noblank");
            out->popups.emplace_back();
            current = &out->popups.back();
            current->name = std::string(name);
            blank = flag.empty();
        } else if (word == "item" || word == "sep") {
            MenuEntry entry;
            ok = current != nullptr && (word == "sep" || read_item(rest, blank, &entry));
            if (ok) current->items.push_back(entry);
        } else if (word == "accel") {
            ok = read_accelerator(rest, &out->accelerators);
        } else {
            ok = false;
        }
        if (!ok) {
            *error = "menu table line " + std::to_string(line_number) + ": " + std::string(line);
            return false;
        }
    }
    return true;
}

bool load_menu_tables(const std::string& resource_dir, MenuTables* out, std::string* error) {
    std::string path = resource_dir + "/" + MENU_TABLE_FILE;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *error = "cannot read " + path;
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return parse_menu_tables(text.str(), out, error);
}

int accelerator_command(const std::vector<Accelerator>& table, int vk, int flags) {
    flags &= KEY_FLAG_MODIFIERS;
    for (const Accelerator& a : table)
        if (a.vk == vk && a.flags == flags) return a.command;
    return 0;
}

std::vector<MenuItem> menu_items(const MenuResource& menu, const std::function<bool(int)>& enabled) {
    std::vector<MenuItem> items;
    for (const MenuEntry& e : menu.items) {
        MenuItem item;
        item.command = e.command;
        if (e.command) {
            item.label = display_label(e.label);
            item.enabled = enabled ? enabled(e.command) : true;
        }
        items.push_back(std::move(item));
    }
    return items;
}

namespace {

// The entries of a tool-bar or right-click byte list up to its first 0:
// fn(byte, slot, command slot) for each byte naming a used slot not listed
// before; empty slots, numbers above 51 and repeats are skipped.
template <class Fn>
void for_each_listed_slot(const std::uint8_t (&items)[32], Fn&& fn) {
    bool placed[COMMAND_SLOT_COUNT + 1] = {};
    for (std::uint8_t byte : items) {
        if (byte == 0) break;
        const int slot = byte & SLOT_MASK;
        const CommandSlot* s = command_slot(slot);
        if (!s || placed[slot]) continue;
        placed[slot] = true;
        fn(byte, slot, *s);
    }
}

}  // namespace

std::vector<ToolbarButton> toolbar_buttons(const std::uint8_t (&items)[32]) {
    std::vector<ToolbarButton> buttons;
    for_each_listed_slot(items, [&](std::uint8_t byte, int slot, const CommandSlot& slot_entry) {
        const CommandSlot* s = &slot_entry;
        ToolbarButton b;
        b.command = s->command;
        b.image = slot - 1;
        b.separators_before = byte >> 6;
        b.tip = s->name;
        buttons.push_back(std::move(b));
    });
    return buttons;
}

std::vector<MenuItem> right_click_items(const std::uint8_t (&items)[32], const MenuResource* help_menu,
                                        const std::function<bool(int)>& enabled) {
    std::vector<MenuItem> menu;
    for_each_listed_slot(items, [&](std::uint8_t byte, int slot, const CommandSlot& slot_entry) {
        const CommandSlot* s = &slot_entry;
        if ((byte & 0x80) && !menu.empty() && menu.back().command != 0) menu.push_back(MenuItem{});
        MenuItem item;
        item.command = s->command;
        item.label = display_label(std::string((byte & 0x40) ? "   " : "") + slot_menu_text(slot));
        item.enabled = enabled ? enabled(s->command) : true;
        if (slot == HELP_SLOT && help_menu) {
            item.submenu = menu_items(*help_menu, enabled);
            item.enabled = true;
        }
        menu.push_back(std::move(item));
    });
    return menu;
}

std::vector<std::uint8_t> default_right_click_bytes() {
    struct Entry {
        int command;
        std::uint8_t bits;
    };
    static constexpr Entry DEFAULTS[] = {
        {200, 0}, {201, 0}, {202, 0}, {203, 0}, {205, 0}, {215, 0}, {214, 0x80}, {206, 0},
        {207, 0}, {300, 0x80}, {301, 0}, {310, 0}, {401, 0x80}, {403, 0}, {404, 0}, {405, 0},
        {406, 0}, {600, 0x80}, {601, 0}, {115, 0x80}, {799, 0}, {606, 0x40},
    };
    std::vector<std::uint8_t> bytes;
    for (const Entry& e : DEFAULTS) bytes.push_back(static_cast<std::uint8_t>(slot_of_command(e.command) | e.bits));
    return bytes;
}

}  // namespace rix

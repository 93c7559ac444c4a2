// The menus of the main window read from their table (resources/menus/
// RIXMenu.mnu), the accelerator table, and the tool bar and right-click menu
// built from the settings bytes.
//
// Labels are kept in code page 932 in the menu label form: the text, a blank
// (not in the drop menu), then "(" 0x1E letter 0x1F katakana ")", and for
// items with a key a tab and the key text. display_label turns one into what
// Qt shows: the letter as the mnemonic ("&"), the katakana after it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gui.h"

namespace rix {

struct MenuEntry {
    int command = 0;          // 0 = separator
    std::string label;        // code page 932, menu label form
};

struct MenuResource {
    std::string name;         // popups: the resource name
    std::string title;        // menus of the bar: the title, label form
    bool window_menu = false; // rebuilt from the running editors at each opening
    std::vector<MenuEntry> items;
};

struct Accelerator {
    int vk = 0;               // virtual key
    int flags = 0;            // KEY_FLAG_SHIFT | KEY_FLAG_CTRL | KEY_FLAG_ALT, exactly
    int command = 0;
};

struct MenuTables {
    std::vector<MenuResource> bar;
    std::vector<MenuResource> popups;       // RIX_Help_Menu, RIX_Help_Menu_POPUP, RIX_Drop_Menu
    std::vector<Accelerator> accelerators;
    const MenuResource* popup(std::string_view name) const;
};

constexpr const char* MENU_TABLE_FILE = "menus/RIXMenu.mnu";

// Reads the table text (UTF-8). False with a message naming the line when a
// line cannot be read.
bool parse_menu_tables(std::string_view text, MenuTables* out, std::string* error);
// Reads resource_dir/menus/RIXMenu.mnu.
bool load_menu_tables(const std::string& resource_dir, MenuTables* out, std::string* error);

// A label in the menu label form (all texts code page 932).
std::string menu_label(std::string_view text, char letter, std::string_view kana, bool blank_before,
                       std::string_view key_text = {});
// What a label shows (UTF-8): "(" 0x1E L 0x1F K ")" becomes "(&L K)" without
// the control bytes, other "&" are doubled; the tab and key text stay.
std::string display_label(std::string_view label);

// The command of a key with its KEY_FLAG_* modifiers, 0 when none.
int accelerator_command(const std::vector<Accelerator>& table, int vk, int flags);

// Items of a menu resource for the window (enabled by `enabled`).
std::vector<MenuItem> menu_items(const MenuResource& menu, const std::function<bool(int)>& enabled);

// The tool bar from `toolbar_items`: separators (bits 6-7) and a button per
// valid slot; a 0 ends the list; empty slots, slots above 51 and slots
// already placed are passed over.
std::vector<ToolbarButton> toolbar_buttons(const std::uint8_t (&items)[32]);

// The right-click menu from `right_click_items`: a separator before an item
// with bit 7 (never at the top), three blanks before an indented one (bit 6),
// slot 49 as the help submenu; invalid bytes are passed over as in the tool
// bar. Empty when the list names no command.
std::vector<MenuItem> right_click_items(const std::uint8_t (&items)[32], const MenuResource* help_menu,
                                        const std::function<bool(int)>& enabled);

// The shipped right-click list: the edit and jump menus, exit and help.
std::vector<std::uint8_t> default_right_click_bytes();

}  // namespace rix

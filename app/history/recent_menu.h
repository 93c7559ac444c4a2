// The recent documents of the file menu: up to ten items (commands 150..159,
// the newest first) above the menu's last two items (保存・終了, 終了), with a
// separator of their own before 保存・終了. Labels are the paths in code
// page 932.
#pragma once

#include <string>
#include <vector>

#include "app/window/menus.h"

namespace rix {

constexpr std::size_t RECENT_MENU_COUNT = 10;

// Items 150 + k for the paths (code page 932), the newest first.
std::vector<MenuEntry> recent_menu_entries(const std::vector<std::string>& paths);
// The file menu with the recent items inserted; unchanged when there are none.
MenuResource with_recent_documents(const MenuResource& file_menu, const std::vector<MenuEntry>& recent);

}  // namespace rix

// The recent documents of the file menu (see recent_menu.h).
#include "app/history/recent_menu.h"

#include "editing/command_ids.h"

namespace rix {

std::vector<MenuEntry> recent_menu_entries(const std::vector<std::string>& paths) {
    std::vector<MenuEntry> entries;
    for (std::size_t k = 0; k < paths.size() && k < RECENT_MENU_COUNT; ++k)
        entries.push_back(MenuEntry{COMMAND_RECENT_FIRST + static_cast<int>(k), paths[k]});
    return entries;
}

MenuResource with_recent_documents(const MenuResource& file_menu, const std::vector<MenuEntry>& recent) {
    MenuResource menu = file_menu;
    if (recent.empty() || menu.items.size() < 2) return menu;
    // Above the last two items (保存・終了, 終了), after a separator of their own.
    auto at = menu.items.end() - 2;
    std::vector<MenuEntry> inserted = recent;
    inserted.push_back(MenuEntry{});
    menu.items.insert(at, inserted.begin(), inserted.end());
    return menu;
}

}  // namespace rix

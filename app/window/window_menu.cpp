// The window menu and the Ctrl+Page Up/Down walk through the instances.
#include <cstdio>

#include "app/shell/application.h"
#include "platform/codec.h"

namespace rix {

std::string fullwidth_number(int n) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%d", n);
    std::string out;
    for (const char* p = digits; *p; ++p) {
        if (*p == '-') {
            out += "－";
            continue;
        }
        // U+FF10 + digit, written as UTF-8 (EF BC 90..99).
        out += "\xEF\xBC";
        out += static_cast<char>(0x90 + (*p - '0'));
    }
    return out;
}

std::string document_window_title(const Application& app) {
    if (!app.doc.save_name.empty()) {
        if (!app.loaded || app.loaded->document.load.form.encoding == TextEncoding::SHIFT_JIS) return app.doc.save_name;
        return app.doc.save_name + " [" + encoding_name(app.loaded->document.load.form) + "]";
    }
    return "『ミルトア』 ver. 7.11";
}

std::vector<WindowMenuEntry> window_menu_entries(const std::vector<InstanceEntry>& list, int self_number) {
    std::vector<WindowMenuEntry> entries;
    for (std::size_t i = 0; i < list.size() && i < static_cast<std::size_t>(MAX_LISTED_INSTANCES); ++i) {
        WindowMenuEntry e;
        e.command = COMMAND_WINDOW_FIRST + static_cast<int>(i);
        e.label = fullwidth_number(static_cast<int>(i) + 1) + " " + list[i].title;
        e.checked = list[i].number == self_number;
        e.instance_number = list[i].number;
        entries.push_back(e);
    }
    return entries;
}

int neighbour_instance(const std::vector<InstanceEntry>& list, int self_number, int direction) {
    int n = static_cast<int>(std::min<std::size_t>(list.size(), MAX_LISTED_INSTANCES));
    int p = -1;
    for (int i = 0; i < n; ++i)
        if (list[static_cast<std::size_t>(i)].number == self_number) p = i;
    if (p < 0 || n < 2) return -1;
    return ((p + direction) % n + n) % n;
}

bool handle_window_command(Application& app, int command) {
    if (!app.registry) return false;
    std::vector<InstanceEntry> list = app.registry->list();
    int position = -1;
    if (command == COMMAND_PREVIOUS_INSTANCE || command == COMMAND_NEXT_INSTANCE) {
        position = neighbour_instance(list, app.instance_number, command == COMMAND_NEXT_INSTANCE ? 1 : -1);
    } else if (command >= COMMAND_WINDOW_FIRST && command < COMMAND_WINDOW_FIRST + MAX_LISTED_INSTANCES) {
        position = command - COMMAND_WINDOW_FIRST;
    } else {
        return false;
    }
    if (position >= 0 && position < static_cast<int>(list.size()) &&
        list[static_cast<std::size_t>(position)].number != app.instance_number)
        app.host->raise_instance(list[static_cast<std::size_t>(position)].number);
    return true;
}

}  // namespace rix

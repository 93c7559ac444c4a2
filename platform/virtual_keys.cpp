// Names of the virtual keys, for the accelerator table in resources/menus.
#include "platform/virtual_keys.h"

#include <cstddef>

namespace rix {
namespace {

struct NamedKey {
    const char* name;
    int vk;
};

constexpr NamedKey NAMED_KEYS[] = {
    {"Back", VK_BACK},   {"Tab", VK_TAB},       {"Enter", VK_RETURN}, {"Esc", VK_ESCAPE},
    {"Space", VK_SPACE}, {"PgUp", VK_PRIOR},    {"PgDn", VK_NEXT},    {"End", VK_END},
    {"Home", VK_HOME},   {"Left", VK_LEFT},     {"Up", VK_UP},        {"Right", VK_RIGHT},
    {"Down", VK_DOWN},   {"Ins", VK_INSERT},    {"Del", VK_DELETE},
};

// "F1".."F24" -> 1..24, "Num0".."Num9" -> 0..9; -1 when not such a name.
int number_after(std::string_view name, std::string_view prefix) {
    if (name.size() <= prefix.size() || name.substr(0, prefix.size()) != prefix) return -1;
    int n = 0;
    for (char c : name.substr(prefix.size())) {
        if (c < '0' || c > '9' || n > 100) return -1;
        n = n * 10 + (c - '0');
    }
    return n;
}

}  // namespace

int virtual_key_named(std::string_view name) {
    if (name.size() == 1) {
        char c = name[0];
        if (c >= 'A' && c <= 'Z') return VK_A + (c - 'A');
        if (c >= '0' && c <= '9') return VK_0 + (c - '0');
        return 0;
    }
    for (const NamedKey& k : NAMED_KEYS)
        if (name == k.name) return k.vk;
    int n = number_after(name, "Num");
    if (n >= 0 && n <= 9) return VK_NUMPAD0 + n;
    n = number_after(name, "F");
    if (n >= 1 && n <= 24) return VK_F1 + n - 1;
    return 0;
}

}  // namespace rix

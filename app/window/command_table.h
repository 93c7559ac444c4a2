// The command table of the main window: every command number the menus, the
// accelerators, the tool bar and the right-click menu can send, with its help
// topic and the handler that carries it out.
//
// A command whose part of the program is not built has no handler: it is
// greyed in every menu and on the tool bar, and its keys do nothing. A later
// part enables its commands by giving them a handler (and, where the state of
// the document decides, a predicate asked each time a menu opens):
//
//     table.set_handler(200, [&](int) { undo(...); }, [&] { return can_undo(...); });
//
// The command slots are the fixed list of commands that the tool bar and the
// right-click menu may show (settings bytes name them by slot number).
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "app/shell/events.h"

#include "editing/command_ids.h"

namespace rix {

// ---- Command slots --------------------------------------------------------

constexpr int COMMAND_SLOT_COUNT = 51;
constexpr int SLOT_SUFFIX_FIELD = 24;   // bytes of a suffix, its terminating NUL included

struct CommandSlot {
    int command;             // 0 = an empty slot
    const char* name;        // UTF-8; tool tip and right-click text
    char letter;             // mnemonic letter of the suffix
    const char* kana;        // UTF-8, one half-width katakana letter
    const char* key_text;    // after the group: blanks and a key ("" = none)
    const char* code;        // short code of the settings lists (UTF-8)
};

// Slot 1..51; nullptr for 0, an empty slot or a number above 51.
const CommandSlot* command_slot(int slot);
// The slot holding `command`, 0 when none does.
int slot_of_command(int command);
// Code page 932 texts of a slot (empty for a slot command_slot rejects):
// the name, the suffix "(" 0x1E letter 0x1F kana ")" + key text, and the
// right-click text name + " " + suffix.
std::string slot_name(int slot);
std::string slot_suffix(int slot);
std::string slot_menu_text(int slot);

// ---- The table ------------------------------------------------------------

using CommandHandler = std::function<void(int id)>;
using CommandPredicate = std::function<bool()>;

struct CommandEntry {
    int first = 0, last = 0;     // the ids it covers (one id or a range)
    std::string topic;           // help topic key (HLP_<topic>.htm); "" = none
    CommandHandler run;          // empty: not built yet, greyed
    CommandPredicate enabled;    // asked at menu-open time; empty = always
};

class CommandTable {
public:
    CommandTable();   // every command of the main window, with its topic, no handler

    const CommandEntry* find(int id) const;
    bool known(int id) const { return find(id) != nullptr; }
    // A handler is there and the predicate (if any) says yes.
    bool enabled(int id) const;
    std::string topic(int id) const;
    // Gives the entry holding `id` its handler; false for an unknown id.
    bool set_handler(int id, CommandHandler run, CommandPredicate enabled = {});
    // Takes a handler away again (the command is greyed).
    void clear_handler(int id);
    // Runs the command when it is enabled; false when greyed or unknown.
    bool run(int id) const;
    // Every id the table knows, ranges spelled out.
    std::vector<int> ids() const;

    // Input that goes to the editing layer rather than to a command; each is
    // unset until that layer's feature answers it (once: a second setter
    // throws), and then the input is dropped.
    // Keys below 0x30 with KEY_FLAG_SHIFT / KEY_FLAG_CTRL, and 8 for a plain
    // move (wheel, Alt+arrows).
    Slot<void(int vk, int flags)> dispatch_key;
    // Any key released (the key-repeat acceleration counts from it).
    Slot<void(int vk)> key_released;
    // Typed characters and input-method commits, code page 932.
    Slot<void(const std::string& text)> type_characters;
    // Ctrl+A..Z (1000..1025) through the edit-key table: the command to run
    // next (0 = nothing more to do).
    Slot<int(int id)> edit_key;
    // Keys of the line formats (F5..F12, the size steps) with KEY_FLAG_*
    // modifiers, before the accelerators: true when the key was taken.
    Slot<bool(int vk, int mods)> line_format_key;

private:
    std::vector<CommandEntry> entries_;
};

}  // namespace rix

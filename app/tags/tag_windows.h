// The tag windows beside the text: after each screen update the tags on the
// screen get their windows (opened, moved, or closed when they left the
// screen), each with its connector; a window's edits are written back into
// the tag when it loses the focus, its new size into the settings and the
// tag block, and its right-click menu runs here.
//
// Owns the table of the tags shown (aids/tags.h ShownTagTable); the windows
// themselves belong to the window side (platform/tag_windows.h), reached
// through app.window.tag_windows when something happens, so a test gives
// its own. Without windows nothing here does anything.
//
// Rules:
// - A tag has one window: a serial met twice on the screen (a copied tag
//   block) shows the first only, so that a write-back finds its own tag.
// - Nothing is refreshed while a tag's block is being rewritten: the
//   rewrite refreshes once when it is done.
// - A window whose tag changed under it (undo) shows the tag's text again,
//   unless the writer is typing in it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "aids/tags.h"
#include "app/shell/application.h"
#include "platform/gui.h"
#include "platform/tag_windows.h"
#include "platform/text_box.h"

namespace rix {

// Commands of the tag text box's menu.
enum : int {
    TAG_BOX_UNDO = 200,
    TAG_BOX_REDO = 201,
    TAG_BOX_CUT = 202,
    TAG_BOX_COPY = 203,
    TAG_BOX_PASTE = 205,
    TAG_BOX_SELECT_ALL = 215,
    TAG_BOX_LIST = 216,
    TAG_BOX_HIDE = 217,
    TAG_BOX_DELETE = 218,
    TAG_BOX_HELP = 219,
    TAG_BOX_OPEN_ADDRESS = 230,
};

// The thirteen rows of the tag text box's menu (separators included), with
// the address under the caret and a separator first when there is one.
// 付箋を削除 is greyed in TAGSET (`in_tag_set`).
std::vector<MenuItem> tag_box_menu(const std::string& address_utf8, bool in_tag_set);

// The look of a tag box in screen slot `slot`: the tag font (the slot's font
// while its height is 0), the slot's text colour, the tags' background and
// the writing direction.
TextBoxFormat tag_box_format(const SettingsRecord& rec, int slot, bool vertical);

class TagWindowGlue {
public:
    explicit TagWindowGlue(Application& app) : app_(app) {}
    // After every screen update.
    void refresh();
    // Every window closed and the table emptied (another document, TAGSET).
    void close_all();
    // 付箋を隠す: hidden until show_again (TAGSET opens).
    void hide_all();
    void show_again();
    bool hidden() const { return hidden_; }
    const ShownTagTable& table() const { return table_; }

    // What the windows report.
    void focus_gained(std::uint16_t serial);
    void focus_lost(std::uint16_t serial, const std::string& text);
    void resized(std::uint16_t serial, int width, int height);
    void context_menu(std::uint16_t serial, int x, int y);
    // A command of the box's menu for the window of `serial`.
    void box_command(std::uint16_t serial, int command);

    // Opens TAGLIST (set by the tag commands; the menu's 付箋一覧).
    std::function<void()> open_tag_list;
    // Pops the box's menu up at edit-view pixel x, y; unset: the window's
    // popup_menu. Returns the command chosen, 0 for none.
    std::function<int(const std::vector<MenuItem>&, int x, int y)> popup;

private:
    TagWindows* windows();
    void connect(TagWindows* w);
    void write_back(std::uint16_t serial, TextPos anchor, const std::string& text);
    void tell_unset_background(int slot);
    bool vertical() const;

    Application& app_;
    ShownTagTable table_;
    TagWindows* connected_ = nullptr;   // the windows whose events come here
    TextBoxFormat format_;              // the look of the open windows
    bool format_known_ = false;
    bool hidden_ = false;
    bool rewriting_ = false;            // a tag's block is being rewritten
    bool told_full_ = false;            // more than SHOWN_TAG_LIMIT tags were on the screen once
    bool told_background_[5] = {};      // the unset background was reported for the slot
    std::uint16_t focus_serial_ = 0;    // the window the writer types in
    bool focused_ = false;
};

}  // namespace rix

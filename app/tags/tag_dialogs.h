// The tag dialogs: TAGSET (command 401, a new tag at the cursor) and
// TAGLIST (command 402, the document's tags with jumps), the tag page of the
// jump sheet's list, the tag font and the tags' background colour.
//
// The dialogs never change the text themselves: TAGSET leaves the typed text
// and create_tag (aids/tags.h) inserts it after the dialog has closed;
// the list's jumps run through the EditRunner, which redraws afterwards.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "aids/tags.h"
#include "app/search/find_dialog.h"
#include "app/settings/settings_record.h"
#include "platform/dialogs.h"
#include "platform/fonts.h"

namespace rix {

// Control ids of TAGSET.
constexpr int TAGSET_ATTACH = 1;             // 貼 付 (the dialog's OK)
constexpr int TAGSET_CLOSE = 2;              // ×
constexpr int TAGSET_LIST = 3;               // 付箋一覧
constexpr int TAGSET_FONT = 4;               // ﾌｫﾝﾄ
constexpr int TAGSET_BACKGROUND = 5;         // 背景
constexpr int TAGSET_HELP = 6;               // ﾍﾙﾌﾟ
constexpr int TAGSET_BOX_VERTICAL = 1301;    // the text box of vertical documents
constexpr int TAGSET_BOX_HORIZONTAL = 1302;  // and of horizontal ones
constexpr int TAGSET_REOPEN = 100;           // result: open again (a new background)

// Control ids of TAGLIST.
constexpr int TAGLIST_ROWS = 10;
constexpr int TAGLIST_COUNTER = 5;           // "%d / %d"
constexpr int TAGLIST_CLOSE = 2;             // 閉じる
constexpr int TAGLIST_TOWARDS_END = 3;       // 文末へ
constexpr int TAGLIST_TOWARDS_START = 4;     // 文頭へ
constexpr int TAGLIST_HELP = 9;              // ﾍﾙﾌﾟ

constexpr unsigned TAG_TOO_LONG_MS = 4000;
constexpr unsigned TAG_LIST_FULL_MS = 4000;
constexpr std::uint32_t TAG_BACKGROUND_UNSET = 0xE0E0E0;   // light grey until one is chosen

struct TagServices {
    SettingsState* settings = nullptr;
    EditRunner edit;                         // runs work on the document, then shows the change
    std::function<void()> redraw;            // lays the whole screen out again; may be unset
    FontChooser* font_chooser = nullptr;     // null disables ﾌｫﾝﾄ
    WindowRef owner = 0;
};

// Whether the current screen format writes vertically.
bool tags_vertical(const SettingsRecord& rec);
// The size bytes a new tag takes: the stored size for the orientation, halved.
void new_tag_size_bytes(const SettingsRecord& rec, std::uint8_t* width_byte, std::uint8_t* height_byte);
// The tags' background of the current screen format (light grey while unset).
std::uint32_t tag_background(const SettingsRecord& rec);

// The tag font dialog: starts from the record's tag font (the current screen
// format's font while its height is 0); on OK the record takes the chosen
// font and the settings are marked changed. Cancelled: nothing changes.
bool choose_tag_font(SettingsState* settings, FontChooser& chooser);

// TAGSET's procedure. `text` is what the box starts with; after 貼 付 it
// holds what was typed, and after 背景 what the box held then.
class TagSetDialog final : public DialogProcedure {
public:
    TagSetDialog(const TagServices& services, std::string* text) : services_(services), text_(text) {}
    void init(DialogContext& ctx) override;
    bool command(DialogContext& ctx, int id, int notification) override;
    bool ok(DialogContext& ctx) override;
    void cancel(DialogContext&) override {}

private:
    int box() const;
    TagServices services_;
    std::string* text_;
};

// The rows, counter and jumps of a tag list, shared by TAGLIST and the
// jump sheet's tag page.
class TagListPanel {
public:
    TagListPanel(int rows_id, int counter_id) : rows_(rows_id), counter_(counter_id) {}
    // Collects the tags, fills the rows, selects the first tag at or after
    // the cursor. Tells the user once when the list is cut at 2000.
    void fill(DialogContext& ctx, const EditRunner& edit);
    // The cursor to row `index`, which becomes the selection.
    void jump(DialogContext& ctx, const EditRunner& edit, int index);
    // The next or previous row from the selection (not found: told).
    void step(DialogContext& ctx, const EditRunner& edit, bool forward);
    const TagList& list() const { return list_; }

private:
    void show_counter(DialogContext& ctx, int index);
    int rows_, counter_;
    TagList list_;
};

class TagListDialog final : public DialogProcedure {
public:
    explicit TagListDialog(const TagServices& services) : services_(services) {}
    void init(DialogContext& ctx) override { panel_.fill(ctx, services_.edit); }
    bool command(DialogContext& ctx, int id, int notification) override;
    bool ok(DialogContext&) override { return false; }
    void cancel(DialogContext&) override {}

private:
    TagServices services_;
    TagListPanel panel_{TAGLIST_ROWS, TAGLIST_COUNTER};
};

// Command 401: "ここには既に付箋が有ります。" (3 s) when the cursor stands on a
// tag; else TAGSET, and after 貼 付 the tag is inserted (create_tag) and the
// screen redrawn; 付箋一覧 goes on to TAGLIST. Returns the last dialog's result.
int run_tag_set(const TagServices& services);
// Command 402.
int run_tag_list(const TagServices& services);

}  // namespace rix

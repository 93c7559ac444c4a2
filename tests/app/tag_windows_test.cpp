// The tag windows as the application drives them, on a fake of the window
// side: windows for the tags on the screen (moved with the text, closed
// when scrolled away, all closed for another document), the write-back on
// focus loss as one undo step, a stale anchor, the resize clamp and the
// stored sizes, the box's menu, hiding, and horizontal formats.
// Owed: the unset-background notice per format across format switches.
#include "app/tags/tag_windows.h"

#include <gtest/gtest.h>

#include <map>

#include "aids/search.h"
#include "app/settings/default_settings.h"
#include "app/edit/editor.h"
#include "app/documents/save_flow.h"
#include "document/edit_convert.h"
#include "document/storage.h"
#include "editing/edit_text.h"
#include "platform/codec.h"
#include "platform/fake_fonts.h"
#include "platform/fake_messages.h"
#include "platform/files.h"
#include "platform/recording_surface.h"
#include "tests/support/temp_folder.h"

namespace rix {
namespace {

std::string sj(std::string_view utf8) { return utf8_to_sjis(utf8); }

// A text box that holds its text and an undo of one step.
class FakeBox final : public TextBox {
public:
    void set_text(std::string_view t) override { text_ = std::string(t), before_ = text_; }
    std::string text() const override { return text_; }
    void set_format(const TextBoxFormat& f) override { format_ = f; }
    const TextBoxFormat& format() const override { return format_; }
    void set_byte_limit(std::size_t bytes) override { limit = bytes; }
    void set_read_only(bool) override {}
    bool read_only() const override { return false; }
    void set_events(TextBoxEvents) override {}
    void select_all() override { selected = true; }
    bool cut() override { return false; }
    bool copy() override { return false; }
    bool paste() override { return false; }
    bool undo() override { text_ = before_; return true; }
    bool redo() override { return false; }
    bool can_undo() const override { return text_ != before_; }
    bool can_redo() const override { return false; }
    bool has_selection() const override { return selected; }
    std::size_t caret_offset() const override { return caret; }
    void select(std::size_t, std::size_t c) override { caret = c; }
    void take_focus() override {}
    void paint(Surface&, const SurfaceRect&) override {}

    void type(const std::string& t) { text_ = t; }   // the writer's typing
    std::size_t limit = 0, caret = 0;
    bool selected = false;

private:
    std::string text_, before_;
    TextBoxFormat format_;
};

class FakeTagWindows final : public TagWindows {
public:
    struct Window {
        SurfaceRect rect;
        FakeBox box;
        bool hidden = false;
        int moves = 0;
    };
    void set_events(TagWindowEvents e) override { events = std::move(e); }
    void open(std::uint16_t serial, const SurfaceRect& rect, std::string_view text, const TextBoxFormat& format,
              bool hidden) override {
        Window& w = open_[serial];
        w.rect = rect;
        w.box.set_format(format);
        w.box.set_text(text);
        w.hidden = hidden;
        ++opened;
    }
    void move(std::uint16_t serial, const SurfaceRect& rect) override {
        auto it = open_.find(serial);
        ASSERT_NE(it, open_.end());
        it->second.rect = rect;
        ++it->second.moves;
    }
    void close(std::uint16_t serial) override { EXPECT_EQ(open_.erase(serial), 1u); }
    void close_all() override { open_.clear(); }
    void set_hidden(bool h) override {
        hidden = h;
        for (auto& [serial, w] : open_) w.hidden = h;
    }
    void set_connectors(const std::vector<TagConnector>& l) override { lines = l; }
    TextBox* box(std::uint16_t serial) override {
        auto it = open_.find(serial);
        return it == open_.end() ? nullptr : &it->second.box;
    }
    Window* window(std::uint16_t serial) {
        auto it = open_.find(serial);
        return it == open_.end() ? nullptr : &it->second;
    }
    std::size_t count() const { return open_.size(); }

    TagWindowEvents events;
    std::vector<TagConnector> lines;
    bool hidden = false;
    int opened = 0;

private:
    std::map<std::uint16_t, Window> open_;
};

struct TagWindowTest : ::testing::Test {
    FakeMessages messages;
    FakeWindowHost host;
    FakeFonts fonts;
    FakeTagWindows windows;
    test::TempFolder dir;
    Application app;
    ScreenState screen;
    RecordingSurface surface{800, 600};
    TagWindowGlue glue{app};

    void SetUp() override {
        build_default_settings(&app.settings.rec);
        app.settings.rec.tag_background[0] = 0xC0FFFF;
        app.settings.rec.tag_background[2] = 0xC0FFFF;
        app.host = &host;
        app.loaded = std::make_unique<LoadedDocument>(std::string(), UINT64_MAX);
        app.hooks.rebuild_screen.set([this](Application& a) {
            rebuild_screen(a, screen, &surface, {}, fonts);
            editing_after_rebuild(a, screen);
            window_changed(a);
        });
        app.window.screen = &screen;
        app.window.show_surface = [] {};
        app.window.tag_windows = &windows;
        app.events.redraw.subscribe([this] { glue.refresh(); });
    }
    void TearDown() override { close_document(&app.doc, false); }
    // Opens `lines` and pins tags (line, column, text) into them, in order
    // (serials 0, 1, ...; a column counts the tags pinned before it).
    void open(const std::vector<std::string>& lines,
              const std::vector<std::tuple<std::uint32_t, std::uint32_t, std::string>>& tags) {
        std::string text;
        for (const std::string& l : lines) text += l + "\r\n";
        const std::string path = dir.write("原稿.txt", text);
        ASSERT_TRUE(open_document_file(&app.doc, path, 0));
        app.doc.save_name = path;
        load_into_application(app);
        start_editing(app);
        app.startup_done = true;
        app.hooks.rebuild_screen(app);
        for (const auto& [l, column, tag_text] : tags) {
            run_edit(app, [&](EditContext& c) {
                move_to_target(c, TextPos(l, column), false);
                ASSERT_EQ(create_tag(c, tag_text, 0, 0), TagEdit::DONE);
            });
        }
        run_edit(app, [](EditContext& c) { move_to_target(c, TextPos(0, 0), true); });
    }
    std::string line(std::uint32_t n) {
        std::string raw = edit_text_of_line(app.loaded->document, n);
        return raw.substr(0, raw.back() == '\x1A' ? raw.size() - 1 : raw.size() - 2);
    }
    void edit(const std::function<void(EditContext&)>& work) { run_edit(app, work); }
};

std::vector<std::string> many_lines(int n) {
    std::vector<std::string> lines;
    for (int i = 0; i < n; ++i) lines.push_back(sj("本文の行です。"));
    return lines;
}

TEST_F(TagWindowTest, WindowsOpenForTheTagsOnScreenMoveWithTheTextAndCloseOffScreen) {
    open(many_lines(60), {{0, 4, sj("一つ目")}, {1, 2, sj("二つ目")}, {50, 0, sj("遠く")}});
    ASSERT_EQ(windows.count(), 2u);
    FakeTagWindows::Window* first = windows.window(0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->box.text(), sj("一つ目"));
    EXPECT_EQ(first->box.limit, 1000u);
    EXPECT_EQ(first->box.format().background, 0xC0FFFFu);
    EXPECT_TRUE(first->box.format().vertical);
    EXPECT_EQ(first->rect.w, 200);   // no stored size: the default
    // Vertical: beside its column, the connector in the mark colour from the column to the window.
    ASSERT_EQ(windows.lines.size(), 2u);
    const TagConnector& l = windows.lines[0];
    const std::uint32_t mark = app.settings.rec.mark_colour[0];   // (a packed field: copied)
    EXPECT_EQ(l.colour, mark);
    EXPECT_TRUE(l.x1 == first->rect.x || l.x1 == first->rect.x + first->rect.w - 1);
    EXPECT_GE(l.y1, first->rect.y);
    // Typing before the first tag moves its window down by one cell.
    const int y = first->rect.y;
    const int opened = windows.opened;
    edit([](EditContext& c) {
        move_to_target(c, TextPos(0, 0), false);
        ASSERT_TRUE(insert_text(c, sj("新"), true));
    });
    ASSERT_NE(windows.window(0), nullptr);
    EXPECT_GT(windows.window(0)->rect.y, y);
    EXPECT_EQ(windows.opened, opened);
    // Far down: the two close, the distant one opens.
    edit([](EditContext& c) { move_to_target(c, TextPos(50, 0), true); });
    EXPECT_EQ(windows.window(0), nullptr);
    EXPECT_EQ(windows.window(1), nullptr);
    ASSERT_NE(windows.window(2), nullptr);
    EXPECT_EQ(windows.window(2)->box.text(), sj("遠く"));
    // Another document: all close.
    app.events.document_cleared.subscribe([this] { glue.close_all(); });
    app.events.document_cleared.publish();
    EXPECT_EQ(windows.count(), 0u);
    EXPECT_TRUE(windows.lines.empty());
}

TEST_F(TagWindowTest, FocusLossWritesTheTextBackAsOneUndoStepAndUndoReachesTheWindow) {
    open({sj("あいうえお"), sj("かきくけこ")}, {{0, 4, sj("旧い")}});
    ASSERT_NE(windows.window(0), nullptr);
    const std::string before = line(0);
    app.doc.modified = 0;
    windows.events.focus_gained(0);
    windows.window(0)->box.type(sj("新しい\r\nメモ"));
    windows.events.focus_lost(0, windows.window(0)->box.text());
    EXPECT_EQ(line(0), sj("あい") + make_tag_block(0, 0, 0, sj("新しい\r\nメモ")) + sj("うえお"));
    EXPECT_EQ(app.doc.modified, MODIFIED_EXTENSION);
    // One undo gives the old text back, and the window shows it.
    edit([](EditContext& c) { ASSERT_TRUE(undo(c)); });
    EXPECT_EQ(line(0), before);
    EXPECT_EQ(windows.window(0)->box.text(), sj("旧い"));
    // An emptied box deletes the tag, and its window closes.
    windows.events.focus_gained(0);
    windows.window(0)->box.type("");
    windows.events.focus_lost(0, "");
    EXPECT_EQ(line(0), sj("あいうえお"));
    EXPECT_EQ(windows.count(), 0u);
}

TEST_F(TagWindowTest, AStaleAnchorFindsItsTagOrDeletesNothing) {
    open({sj("あいうえおかきく")}, {{0, 2, "A"}, {0, 15, "B"}});
    ASSERT_EQ(windows.count(), 2u);
    // Tag A goes behind the windows' back: B's anchor is stale now.
    edit([](EditContext& c) { ASSERT_TRUE(delete_block_at(c, TextPos(0, 2), c.edit.cursor)); });
    const std::string b_only = line(0);
    ASSERT_EQ(b_only, sj("あいうえ") + make_tag_block(1, 0, 0, "B") + sj("おかきく"));
    // A's window, already gone from the screen, writes nothing; B's finds its tag in the line.
    windows.events.focus_lost(0, "");
    EXPECT_EQ(line(0), b_only);
    windows.events.focus_lost(1, "B2");
    EXPECT_EQ(line(0), sj("あいうえ") + make_tag_block(1, 0, 0, "B2") + sj("おかきく"));
}

TEST_F(TagWindowTest, AnEditedWindowScrolledAwayOrReformattedIsWrittenBackFirst) {
    open(many_lines(60), {{0, 2, "old"}});
    windows.events.focus_gained(0);
    windows.window(0)->box.type("typed");
    edit([](EditContext& c) { move_to_target(c, TextPos(55, 0), true); });
    EXPECT_EQ(windows.count(), 0u);
    // The screen stays with the cursor, not with the tag written far above it.
    EXPECT_EQ(app.loaded->edit.cursor.pos, TextPos(55, 0));
    EXPECT_GT(screen.screen.top.line(), 35u);
    EXPECT_EQ(line(0), sj("本") + make_tag_block(0, 0, 0, "typed") + sj("文の行です。"));
    // Another format makes new boxes: the edit in the old one is kept too.
    edit([](EditContext& c) { move_to_target(c, TextPos(0, 0), true); });
    windows.events.focus_gained(0);
    windows.window(0)->box.type("again");
    app.settings.rec.current_screen_format = 2;
    app.hooks.rebuild_screen(app);
    EXPECT_EQ(line(0), sj("本") + make_tag_block(0, 0, 0, "again") + sj("文の行です。"));
    ASSERT_NE(windows.window(0), nullptr);
    EXPECT_FALSE(windows.window(0)->box.format().vertical);
}

TEST_F(TagWindowTest, ResizingClampsStoresTheSizeAndWritesTheBlock) {
    open({sj("あいうえお")}, {{0, 2, "t"}});
    app.settings.changed = false;
    windows.events.resized(0, 600, 300);
    EXPECT_TRUE(messages.saw("設定可能な付箋の最大サイズを"));
    EXPECT_EQ(line(0), sj("あ") + make_tag_block(0, 252, 150, "t") + sj("いうえお"));
    EXPECT_EQ(app.settings.rec.tag_size_vertical[0], 505);
    EXPECT_EQ(app.settings.rec.tag_size_vertical[1], 300);
    EXPECT_TRUE(app.settings.changed);
    ASSERT_NE(windows.window(0), nullptr);
    EXPECT_EQ(windows.window(0)->rect.w, 505);
    EXPECT_EQ(windows.window(0)->rect.h, 300);
    // A size within the limit is kept as it is, silently.
    messages.log.clear();
    windows.events.resized(0, 120, 80);
    EXPECT_TRUE(messages.log.empty());
    EXPECT_EQ(line(0), sj("あ") + make_tag_block(0, 60, 40, "t") + sj("いうえお"));
    EXPECT_EQ(windows.window(0)->rect.w, 120);
}

TEST_F(TagWindowTest, HorizontalFormatsShowEveryTagAtTheStoredSizeAboveItsLine) {
    app.settings.rec.current_screen_format = 2;   // format 3: horizontal
    app.settings.rec.tag_size_horizontal[0] = 180, app.settings.rec.tag_size_horizontal[1] = 60;
    open(many_lines(20), {{10, 2, "x"}});
    edit([](EditContext& c) {   // a tag with a size of its own
        ASSERT_TRUE(resize_tag(c, TextPos(10, 2), 0, 300, 300, true).written);
    });
    glue.close_all();
    glue.refresh();
    FakeTagWindows::Window* w = windows.window(0);
    ASSERT_NE(w, nullptr);
    EXPECT_FALSE(w->box.format().vertical);
    EXPECT_EQ(w->rect.w, 180);
    EXPECT_EQ(w->rect.h, 60);
    ASSERT_EQ(windows.lines.size(), 1u);
    EXPECT_LT(w->rect.y, windows.lines[0].y0);   // above the anchor's line
    EXPECT_EQ(windows.lines[0].y1, w->rect.y + w->rect.h - 1);
}

TEST_F(TagWindowTest, TheBoxMenuDeletesHidesAndOffersTheAddressFirst) {
    open({sj("あいうえお")}, {{0, 2, "see www.example.jp now"}});
    FakeTagWindows::Window* w = windows.window(0);
    ASSERT_NE(w, nullptr);
    std::vector<MenuItem> shown;
    int answer = 0;
    glue.popup = [&](const std::vector<MenuItem>& items, int, int) {
        shown = items;
        return answer;
    };
    w->box.select(0, 6);   // the caret in the address
    windows.events.context_menu(0, 10, 10);
    ASSERT_EQ(shown.size(), 15u);
    EXPECT_EQ(shown[0].command, TAG_BOX_OPEN_ADDRESS);
    EXPECT_EQ(shown[0].label, "http://www.example.jp");
    EXPECT_EQ(shown[1].command, 0);
    w->box.select(0, 0);
    windows.events.context_menu(0, 10, 10);
    ASSERT_EQ(shown.size(), 13u);
    EXPECT_EQ(shown[11].command, TAG_BOX_DELETE);
    EXPECT_TRUE(shown[11].enabled);
    EXPECT_FALSE(tag_box_menu("", true)[11].enabled);   // greyed in TAGSET
    // 付箋を隠す: hidden with their connectors until shown again.
    answer = TAG_BOX_HIDE;
    windows.events.context_menu(0, 10, 10);
    EXPECT_TRUE(windows.hidden);
    EXPECT_TRUE(windows.lines.empty());
    glue.show_again();
    EXPECT_FALSE(windows.hidden);
    EXPECT_EQ(windows.lines.size(), 1u);
    // 付箋を削除: asked, No keeps it, Yes deletes it.
    answer = TAG_BOX_DELETE;
    messages.answer(MSG_RESULT_NO);
    windows.events.context_menu(0, 10, 10);
    EXPECT_EQ(windows.count(), 1u);
    messages.answer(MSG_RESULT_YES);
    windows.events.context_menu(0, 10, 10);
    EXPECT_TRUE(messages.saw("この付箋を削除しますか？"));
    EXPECT_EQ(line(0), sj("あいうえお"));
    EXPECT_EQ(windows.count(), 0u);
}

TEST_F(TagWindowTest, AnUnsetBackgroundIsToldOnceAndLightGreyUsed) {
    app.settings.rec.tag_background[0] = 0;
    open({sj("あいうえお")}, {{0, 2, "a"}, {0, 6, "b"}});
    ASSERT_EQ(windows.count(), 2u);
    EXPECT_EQ(windows.window(0)->box.format().background, 0xE0E0E0u);
    int told = 0;
    for (std::size_t i = 0; i < messages.log.size(); ++i)
        if (messages.utf8(i).find("書式１の付箋背景色が設定されていません。") == 0) ++told;
    EXPECT_EQ(told, 1);
    EXPECT_EQ(app.settings.rec.tag_background[0], 0xE0E0E0u);
}

}  // namespace
}  // namespace rix

// Dialogs without widgets: the template reader (good files, bad lines, random
// bytes), the value model's rules (byte limits, spin ranges, radio groups,
// list selections) and a sample procedure driven through the fake host.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <random>

#include "platform/codec.h"
#include "platform/dialog_model.h"
#include "platform/fake_dialogs.h"
#include "platform/fake_messages.h"
#include "tests/support/temp_folder.h"
#include "rix_build_paths.h"

namespace rix {
namespace {

std::string sj(const char* utf8) { return utf8_to_sjis(utf8); }

DialogTemplate sample() {
    DialogTemplate t;
    TemplateResult r = load_dialog_template(RIX_RESOURCE_DIR, "SAMPLE_TEST", &t);
    EXPECT_TRUE(r.ok()) << sjis_to_utf8(r.message);
    return t;
}

// ---- templates ----------------------------------------------------------------

TEST(DialogTemplate, EveryShippedTemplateReads) {
    int read = 0;
    for (const auto& entry : std::filesystem::directory_iterator(std::string(RIX_RESOURCE_DIR) + "/dialogs")) {
        if (entry.path().extension() != ".dlg") continue;
        DialogTemplate t;
        const TemplateResult r = load_dialog_template(RIX_RESOURCE_DIR, entry.path().stem().string(), &t);
        EXPECT_TRUE(r.ok()) << sjis_to_utf8(r.message);
        EXPECT_FALSE(t.controls.empty()) << entry.path();
        ++read;
    }
    EXPECT_GE(read, 10);
}

// Every control of a shipped template lies inside its dialog, and no two
// controls a user works with cover each other (frames and labels may).
TEST(DialogTemplate, ShippedControlsFitAndDoNotOverlap) {
    for (const auto& entry : std::filesystem::directory_iterator(std::string(RIX_RESOURCE_DIR) + "/dialogs")) {
        if (entry.path().extension() != ".dlg") continue;
        DialogTemplate t;
        if (!load_dialog_template(RIX_RESOURCE_DIR, entry.path().stem().string(), &t).ok()) continue;
        const std::string name = entry.path().stem().string();
        auto active = [](const ControlDef& c) {
            return c.kind != ControlKind::GROUP_BOX && c.kind != ControlKind::STATIC && c.kind != ControlKind::TAB_PAGES &&
                   !(c.flags & CONTROL_HIDDEN);
        };
        for (std::size_t i = 0; i < t.controls.size(); ++i) {
            const ControlDef& a = t.controls[i];
            if (a.page < 0) {
                EXPECT_LE(a.x + a.w, t.w) << name << " control " << a.id;
                EXPECT_LE(a.y + a.h, t.h) << name << " control " << a.id;
            }
            if (!active(a)) continue;
            for (std::size_t j = i + 1; j < t.controls.size(); ++j) {
                const ControlDef& b = t.controls[j];
                if (!active(b) || a.page != b.page) continue;
                // A combo's height includes its dropped-down list.
                auto height = [](const ControlDef& c) { return c.kind == ControlKind::COMBO ? std::min(c.h, 14) : c.h; };
                const bool overlap = a.x < b.x + b.w && b.x < a.x + a.w && a.y < b.y + height(b) && b.y < a.y + height(a);
                EXPECT_FALSE(overlap) << name << ": " << a.id << " and " << b.id;
            }
        }
    }
}

TEST(DialogTemplate, ShippedTemplatesRead) {
    DialogTemplate t = sample();
    EXPECT_EQ(t.name, "SAMPLE_TEST");
    EXPECT_EQ(t.caption, sj("試験ダイアログ"));
    EXPECT_EQ(t.w, 240);
    ASSERT_NE(t.find(100), nullptr);
    EXPECT_EQ(t.find(100)->byte_limit, 8);
    const ControlDef* spin = t.find(10001);
    ASSERT_NE(spin, nullptr);
    EXPECT_EQ(spin->kind, ControlKind::SPIN);
    EXPECT_EQ(spin->buddy, 101);
    EXPECT_EQ(spin->min, -10);
    EXPECT_EQ(t.find(200)->group, t.find(201)->group);
    EXPECT_NE(t.find(200)->group, 0);
    EXPECT_EQ(t.find(400)->items, (std::vector<std::string>{sj("大"), sj("中"), sj("小")}));
    EXPECT_EQ(t.find(500)->columns, (std::vector<std::string>{sj("名称"), sj("件数")}));
    EXPECT_EQ(t.find(500)->column_widths, (std::vector<int>{60, 40}));
    EXPECT_EQ(t.find(600)->colour, 0x0000FFu);
    EXPECT_EQ(t.find(700)->columns.size(), 2u);
    EXPECT_EQ(t.find(702)->page, 1);
    EXPECT_TRUE(t.find(1)->flags & CONTROL_DEFAULT);
    EXPECT_EQ(t.find(-1), nullptr);

    DialogTemplate wake;
    ASSERT_TRUE(load_dialog_template(RIX_RESOURCE_DIR, "WAKEUP_MSG", &wake).ok());
    EXPECT_EQ(wake.find(10)->text, sj("新規文書の作成"));
    EXPECT_EQ(wake.find(10)->group, wake.find(11)->group);
    EXPECT_EQ(wake.find(20)->kind, ControlKind::CHECK);
    EXPECT_EQ(wake.find(1)->text, sj("実 行"));
}

TEST(DialogTemplate, TextsEscapesAndGroups) {
    DialogTemplate t;
    ASSERT_TRUE(parse_dialog_template("\xEF\xBB\xBF# c\r\ndialog X 10 10\r\n"
                                      "  static - 0 0 1 1 \"a\\\"b\\\\c\\nd\"\n"
                                      "radio 1 0 0 1 1\nradio 2 0 0 1 1\nstatic - 0 0 1 1\n"
                                      "radio 3 0 0 1 1\nradio 4 0 0 1 1 group=3\n",
                                      &t)
                    .ok());
    EXPECT_EQ(t.caption, "");
    EXPECT_EQ(t.controls[0].text, "a\"b\\c\nd");
    EXPECT_EQ(t.find(1)->group, t.find(2)->group);
    EXPECT_NE(t.find(3)->group, t.find(1)->group);
    EXPECT_EQ(t.find(4)->group, 3);
}

TEST(DialogTemplate, BadLinesAreReportedWithTheirLine) {
    struct Case {
        const char* text;
        TemplateStatus status;
        int line;
    };
    const Case cases[] = {
        {"static - 0 0 1 1\n", TemplateStatus::BAD_LINE, 1},               // no header first
        {"", TemplateStatus::BAD_LINE, 0},                                 // no header at all
        {"dialog X 10 10\ndialog Y 1 1\n", TemplateStatus::BAD_LINE, 2},
        {"dialog ../X 10 10\n", TemplateStatus::BAD_LINE, 1},
        {"dialog X 0 10\n", TemplateStatus::BAD_LINE, 1},
        {"dialog X 10 10\nslider 1 0 0 1 1\n", TemplateStatus::BAD_LINE, 2},
        {"dialog X 10 10\nedit 70000 0 0 1 1\n", TemplateStatus::BAD_LINE, 2},
        {"dialog X 10 10\nedit 1 0 0 1\n", TemplateStatus::BAD_LINE, 2},
        {"dialog X 10 10\nedit 1 0 0 1 1 \"open\n", TemplateStatus::BAD_LINE, 2},
        {"dialog X 10 10\nedit 1 0 0 1 1 \"\\q\"\n", TemplateStatus::BAD_LINE, 2},
        {"dialog X 10 10\nedit 1 0 0 1 1 shiny\n", TemplateStatus::BAD_LINE, 2},
        {"dialog X 10 10\nedit 1 0 0 1 1 limit=-1\n", TemplateStatus::BAD_LINE, 2},
        {"dialog X 10 10\nbutton 1 0 0 1 1 limit=4\n", TemplateStatus::BAD_LINE, 2},
        {"dialog X 10 10\nlistview 1 0 0 1 1 column=\"a\"\n", TemplateStatus::BAD_LINE, 2},
        {"dialog X 10 10\nedit 1 0 0 1 1\nedit 1 0 0 1 1\n", TemplateStatus::BAD_LINE, 3},
        {"dialog X 10 10\nstatic 1 0 0 1 1\nspin 2 0 0 1 1 buddy=1\n", TemplateStatus::BAD_LINE, 3},
        {"dialog X 10 10\ncheck 1 0 0 1 1 page=0\n", TemplateStatus::BAD_LINE, 2},
        {"dialog X 10 10\ntabs 1 0 0 1 1 tab=\"a\"\ncheck 2 0 0 1 1 page=1\n", TemplateStatus::BAD_LINE, 3},
        {"dialog X 10 10\ntabs 1 0 0 1 1\ntabs 2 0 0 1 1\n", TemplateStatus::BAD_LINE, 3},
        {"dialog X 10 10\nedit 1 0 0 1 1 \"a\" \"b\"\n", TemplateStatus::BAD_LINE, 2},
        {"dialog X 10 10\nedit 1 0 0 1 1 colour=5\n", TemplateStatus::BAD_LINE, 2},
        {"dialog X 10 10\nedit 1 0 0 1 1\xE3\x81\n\0x\n", TemplateStatus::BAD_LINE, 2},
    };
    for (const Case& c : cases) {
        DialogTemplate t;
        t.name = "stale";
        TemplateResult r = parse_dialog_template(c.text, &t);
        EXPECT_EQ(r.status, c.status) << c.text;
        EXPECT_EQ(r.line, c.line) << c.text;
        EXPECT_FALSE(r.message.empty());
        EXPECT_TRUE(t.controls.empty() && t.name.empty()) << c.text;
    }
    DialogTemplate t;
    std::string nul = std::string("dialog X 1 1\nedit 1 0 0 1 1 \"a", 30) + std::string(1, '\0') + "\"\n";
    EXPECT_EQ(parse_dialog_template(nul, &t).line, 2);
    EXPECT_EQ(parse_dialog_template("dialog X 1 1\n" + std::string(10000, ' ') + "x\n", &t).status,
              TemplateStatus::TOO_LARGE);
}

TEST(DialogTemplate, FilesByName) {
    test::TempFolder dir;
    ::mkdir(dir.file("dialogs").c_str(), 0700);
    dir.write("dialogs/GOOD.dlg", "dialog GOOD 10 10 \"良\"\nbutton 1 0 0 5 5 \"OK\"\n");
    dir.write("dialogs/OTHER.dlg", "dialog GOOD 10 10\n");
    dir.write("dialogs/BROKEN.dlg", "dialog BROKEN 10 10\nfrob\n");
    DialogTemplate t;
    EXPECT_TRUE(load_dialog_template(dir.path(), "GOOD", &t).ok());
    EXPECT_EQ(t.caption, sj("良"));
    EXPECT_EQ(load_dialog_template(dir.path(), "OTHER", &t).status, TemplateStatus::BAD_LINE);
    EXPECT_TRUE(t.controls.empty());
    TemplateResult broken = load_dialog_template(dir.path(), "BROKEN", &t);
    EXPECT_EQ(broken.line, 2);
    EXPECT_EQ(broken.message.rfind("BROKEN.dlg: line 2:", 0), 0u) << broken.message;
    EXPECT_EQ(load_dialog_template(dir.path(), "NONE", &t).status, TemplateStatus::NOT_FOUND);
    EXPECT_EQ(load_dialog_template(dir.path(), "../dialogs/GOOD", &t).status, TemplateStatus::BAD_NAME);
    EXPECT_EQ(load_dialog_template(dir.path(), "", &t).status, TemplateStatus::BAD_NAME);
}

TEST(DialogTemplate, RandomInputNeverBreaksTheReader) {
    const char* pieces[] = {"dialog", " X", " 1", " -", " 0x", "\"", "\\", "\n", " edit", " spin", " tabs",
                            " page=", " buddy=", " column=", "3,", " tab=", " item=", "\xE3\x81\x82", "\xFF",
                            " radio", " 65536", " -2147483649", " 99999999999", "#", "\r", "\t"};
    std::mt19937 rng(7);
    for (int round = 0; round < 3000; ++round) {
        std::string text = round % 2 ? "dialog X 5 5\n" : "";
        int n = static_cast<int>(rng() % 40);
        for (int i = 0; i < n; ++i) text += pieces[rng() % std::size(pieces)];
        DialogTemplate t;
        TemplateResult r = parse_dialog_template(text, &t);
        if (r.ok()) EXPECT_EQ(t.name, "X");
        else EXPECT_TRUE(t.controls.empty());
    }
}

// ---- the value model --------------------------------------------------------------

class NullProcedure : public DialogProcedure {
public:
    void init(DialogContext&) override {}
    bool command(DialogContext&, int, int) override { return false; }
    bool ok(DialogContext&) override { return true; }
    void cancel(DialogContext&) override {}
};

TEST(DialogModel, ByteLimitsCountCodePage932BytesAndKeepCharactersWhole) {
    NullProcedure proc;
    DialogSession s(sample(), proc, nullptr, 0);
    s.set_text(100, sj("あいうえお"));
    EXPECT_EQ(s.get_text(100), sj("あいうえ"));
    s.set_text(100, sj("aあいうえ"));           // 9 bytes: the last kana would be cut in half
    EXPECT_EQ(s.get_text(100), sj("aあいう"));
    s.set_text(100, sj("ｱｲｳｴｵｶｷｸｹ"));           // half-width kana are single bytes
    EXPECT_EQ(s.get_text(100).size(), 8u);
    s.type_text(100, sj("漢字漢字漢字"));
    EXPECT_EQ(s.get_text(100), sj("漢字漢字"));
    s.set_text(101, std::string(300, '1'));     // no limit on this one
    EXPECT_EQ(s.get_text(101).size(), 300u);
    EXPECT_EQ(limit_text("\x82", 1), "\x82");  // a lone lead byte at the end counts as one
    EXPECT_EQ(limit_text(sj("あ"), 1), "");
    EXPECT_EQ(limit_text("abc", 0), "abc");
}

TEST(DialogModel, NumbersAndSpinRanges) {
    NullProcedure proc;
    DialogSession s(sample(), proc, nullptr, 0);
    bool ok = false;
    s.set_text(101, " -12 ");
    EXPECT_EQ(s.get_number(101, &ok), -12);
    EXPECT_TRUE(ok);
    for (const std::string& bad : {std::string(), std::string("-"), std::string("1x"), std::string("1 2"),
                                   std::string("99999999999"), sj("１")}) {
        s.set_text(101, bad);
        EXPECT_EQ(s.get_number(101, &ok), 0) << bad;
        EXPECT_FALSE(ok) << bad;
    }
    s.set_number(101, -2147483647 - 1);
    EXPECT_EQ(s.get_number(101, &ok), -2147483647 - 1);
    EXPECT_TRUE(ok);

    s.set_range(10001, 0xFFF6, 10);             // the low half read as signed: -10
    s.set_pos(10001, -20);
    EXPECT_EQ(s.get_pos(10001), -10);
    s.set_pos(10001, 0x10005);                  // no wrap-around through 16 bits
    EXPECT_EQ(s.get_pos(10001), 10);
    s.set_range(10001, 0x10000 + 3, 5);         // high bits of a half are dropped
    EXPECT_EQ(s.get_pos(10001), 5);
    s.set_range(10001, 8, 6);                   // a range given high to low
    s.set_pos(10001, 0);
    EXPECT_EQ(s.get_pos(10001), 6);
    s.set_range(10001, 0x8000, 0x7FFF);
    s.set_pos(10001, -100000);
    EXPECT_EQ(s.get_pos(10001), -32768);
    s.spin(10001, -1);                          // at the end of the range nothing moves
    EXPECT_EQ(s.get_pos(10001), -32768);
    EXPECT_EQ(s.get_text(101), "-2147483648");
    s.spin(10001, 2);                           // the default handling fills the buddy
    EXPECT_EQ(s.get_text(101), "-32766");
    s.type_text(101, "40000");                  // a typed number moves the spin, clamped
    EXPECT_EQ(s.get_pos(10001), 32767);
}

TEST(DialogModel, RadiosListsAndMissingIds) {
    NullProcedure proc;
    DialogSession s(sample(), proc, nullptr, 0);
    EXPECT_EQ(s.get_radio(200, 201), 0);
    s.set_check(200, true);
    s.set_check(201, true);                     // one mark per group
    EXPECT_EQ(s.get_radio(200, 201), 201);
    EXPECT_FALSE(s.get_check(200));
    s.press(200);
    EXPECT_EQ(s.get_radio(200, 201), 200);
    s.set_radio(200, 201, 0);
    EXPECT_EQ(s.get_radio(200, 201), 0);

    EXPECT_EQ(s.item_count(400), 3);
    s.set_selection(400, 2);
    EXPECT_EQ(s.get_text(400), sj("小"));
    s.insert_item(400, 0, "x");                 // the selection follows its item
    EXPECT_EQ(s.get_selection(400), 3);
    s.delete_item(400, 1);
    EXPECT_EQ(s.get_selection(400), 2);
    s.delete_item(400, 2);
    EXPECT_EQ(s.get_selection(400), -1);
    s.set_selection(400, 99);
    EXPECT_EQ(s.get_selection(400), -1);
    s.set_text(400, sj("中"));
    EXPECT_EQ(s.get_selection(400), 1);

    EXPECT_EQ(s.add_row(500, {"b", "2"}), 0);
    s.set_item_data(500, 0, 42);
    EXPECT_EQ(s.cell_text(500, 0, 1), "2");
    EXPECT_EQ(s.cell_text(500, 0, 5), "");
    EXPECT_EQ(s.item_data(500, 0), 42);
    EXPECT_EQ(s.item_data(500, 9), 0);
    EXPECT_TRUE(s.model().missing.empty());
    s.set_text(9999, "x");
    EXPECT_EQ(s.get_pos(100), 0);               // an edit is no spin
    EXPECT_EQ(s.model().missing, (std::vector<int>{9999, 100}));
}

// A multiselect list view keeps every selected row through inserts and
// deletes; the user's choice of several rows notifies once; a plain list view
// keeps one.
TEST(DialogModel, SeveralRowsOfAListView) {
    DialogTemplate t;
    ASSERT_TRUE(parse_dialog_template("dialog X 100 100\n"
                                      "listview 10 0 0 50 50 multiselect column=20,\"a\"\n"
                                      "listview 11 50 0 50 50 column=20,\"a\"\n",
                                      &t)
                    .ok());
    EXPECT_TRUE(t.find(10)->flags & CONTROL_MULTI_SELECT);
    struct Counting : NullProcedure {
        bool command(DialogContext&, int, int n) override {
            selections += n == NOTIFY_SELECTION;
            return true;
        }
        int selections = 0;
    } proc;
    DialogSession s(t, proc, nullptr, 0);
    for (const char* row : {"a", "b", "c", "d"}) {
        s.add_row(10, {row});
        s.add_row(11, {row});
    }
    s.select_rows(10, {3, 1, 9, 1});
    EXPECT_EQ(s.selected_rows(10), (std::vector<int>{1, 3}));
    EXPECT_EQ(s.get_selection(10), 1);
    EXPECT_EQ(proc.selections, 1);
    s.select_rows(10, {1, 3});                  // no change, no notice
    EXPECT_EQ(proc.selections, 1);
    s.insert_item(10, 0, "z");
    EXPECT_EQ(s.selected_rows(10), (std::vector<int>{2, 4}));
    s.delete_item(10, 2);
    EXPECT_EQ(s.selected_rows(10), (std::vector<int>{3}));
    s.set_selection(10, 0);
    EXPECT_EQ(s.selected_rows(10), (std::vector<int>{0}));
    s.set_rows(10, {{"x"}, {"y"}});
    EXPECT_TRUE(s.selected_rows(10).empty());

    s.select_rows(11, {2, 3});
    EXPECT_EQ(s.selected_rows(11), (std::vector<int>{2}));
    s.set_selection(11, -1);
    EXPECT_TRUE(s.selected_rows(11).empty());
}

// ---- a procedure through the fake host ----------------------------------------------

// The settings a sample dialog edits.
struct SampleSettings {
    std::string name;
    int shift = 0;
    bool vertical = true;
    bool indent = false;
    std::uint32_t colour = 0;
};

class SampleProcedure : public DialogProcedure {
public:
    explicit SampleProcedure(SampleSettings& s) : settings_(s) {}
    void init(DialogContext& ctx) override {
        ctx.set_text(100, settings_.name);
        ctx.set_range(10001, 0xFFF6, 10);
        ctx.set_pos(10001, settings_.shift);
        ctx.set_number(101, settings_.shift);
        ctx.set_radio(200, 201, settings_.vertical ? 200 : 201);
        ctx.set_check(300, settings_.indent);
        ctx.set_colour(600, settings_.colour);
        ctx.set_rows(500, {{"b", "2"}, {"a", "10"}, {"c", "1"}});
    }
    bool command(DialogContext& ctx, int id, int notification) override {
        log.push_back(id * 0x10000 + notification);
        if (id == 500 && is_column_click(notification)) {
            sort_rows(ctx, clicked_column(notification));
            return true;
        }
        return false;
    }
    bool ok(DialogContext& ctx) override {
        bool good = false;
        int shift = ctx.get_number(101, &good);
        if (!good || shift < -5 || shift > 5) {
            ctx.show_message(MSG_NOTICE, sj("補正の数値範囲は\n-5 から 5 までです。"), 3000);
            ctx.focus(101);
            return false;
        }
        settings_.name = ctx.get_text(100);
        settings_.shift = shift;
        settings_.vertical = ctx.get_radio(200, 201) == 200;
        settings_.indent = ctx.get_check(300);
        settings_.colour = ctx.get_colour(600);
        return true;
    }
    void cancel(DialogContext&) override { ++cancels; }

    std::vector<int> log;   // id << 16 | notification
    int cancels = 0;

private:
    void sort_rows(DialogContext& ctx, int column) {
        std::vector<std::vector<std::string>> rows;
        for (int i = 0; i < ctx.item_count(500); ++i) rows.push_back({ctx.cell_text(500, i, 0), ctx.cell_text(500, i, 1)});
        std::sort(rows.begin(), rows.end(), [column](const auto& a, const auto& b) {
            return column == 1 ? std::stoi(a[1]) < std::stoi(b[1]) : a[0] < b[0];
        });
        ctx.set_rows(500, rows);
        ctx.set_sort_indicator(500, column, true);
    }
    SampleSettings& settings_;
};

TEST(FakeDialogs, ProcedureSeesValuesAndABadNumberKeepsTheDialogOpen) {
    FakeMessages messages;
    FakeDialogHost host;
    SampleSettings settings{sj("原稿"), 3, true, false, 0x123456};
    SampleProcedure proc(settings);
    host.script([&](DialogSession& d) {
        EXPECT_EQ(d.get_text(100), sj("原稿"));
        EXPECT_EQ(d.get_pos(10001), 3);
        EXPECT_EQ(d.get_radio(200, 201), 200);
        d.type_text(100, sj("新しい名前です"));
        d.press(201);
        d.press(300);
        d.spin(10001, 4);                       // 7: out of the procedure's range
        EXPECT_EQ(d.get_text(101), "7");
        d.press(1);
        EXPECT_FALSE(d.ended());
        EXPECT_TRUE(messages.saw("-5 から 5"));
        d.spin(10001, -3);
        d.click_column(500, 1);
        EXPECT_EQ(d.cell_text(500, 0, 0), "c");
        d.press_enter();                        // the default button is 1
    });
    EXPECT_EQ(run_dialog("SAMPLE_TEST", proc, 0), DIALOG_OK);
    EXPECT_EQ(settings.name, sj("新しい名"));
    EXPECT_EQ(settings.shift, 4);
    EXPECT_FALSE(settings.vertical);
    EXPECT_TRUE(settings.indent);
    EXPECT_EQ(settings.colour, 0x123456u);
    EXPECT_EQ(host.focused, (std::vector<int>{101}));
    EXPECT_EQ(proc.log, (std::vector<int>{100 << 16 | NOTIFY_EDIT_CHANGE, 201 << 16 | NOTIFY_CLICKED,
                                          300 << 16 | NOTIFY_CLICKED, 10001 << 16 | NOTIFY_SPIN, 1 << 16,
                                          10001 << 16 | NOTIFY_SPIN, 500 << 16 | (NOTIFY_COLUMN_CLICK + 1), 1 << 16}));
    EXPECT_EQ(host.left_open, 0);
    EXPECT_TRUE(host.missing.empty());
}

TEST(FakeDialogs, CancelEscapeAndUnscriptedDialogsChangeNothing) {
    FakeMessages messages;
    FakeDialogHost host;
    SampleSettings settings{"a", 0, true, false, 0};
    SampleProcedure proc(settings);
    host.script([](DialogSession& d) {
        d.type_text(100, "changed");
        d.press(2);
    });
    host.script([](DialogSession& d) { d.press_escape(); });
    EXPECT_EQ(run_dialog("SAMPLE_TEST", proc, 0), DIALOG_CANCEL);
    EXPECT_EQ(run_dialog("SAMPLE_TEST", proc, 0), DIALOG_CANCEL);
    EXPECT_EQ(run_dialog("SAMPLE_TEST", proc, 0), DIALOG_CANCEL);
    EXPECT_EQ(proc.cancels, 3);
    EXPECT_EQ(host.unscripted, 1);
    EXPECT_EQ(settings.name, "a");
    EXPECT_EQ(run_dialog("NO_SUCH_DIALOG", proc, 0), DIALOG_FAILED);
    EXPECT_TRUE(messages.saw("NO_SUCH_DIALOG.dlg"));
    EXPECT_EQ(host.opened.size(), 3u);
}

TEST(FakeDialogs, PagesColoursAndWhatTheUserCannotReach) {
    FakeDialogHost host;
    SampleSettings settings;
    SampleProcedure proc(settings);
    host.colour_answers = {std::nullopt, 0xFF00AA};
    host.script([&](DialogSession& d) {
        d.press(702);                           // on the page not shown
        EXPECT_FALSE(d.get_check(702));
        d.select_page(700, 1);
        d.press(702);
        EXPECT_TRUE(d.get_check(702));
        d.enable(300, false);
        d.press(300);
        EXPECT_FALSE(d.get_check(300));
        d.press(600);                           // cancelled chooser
        EXPECT_EQ(d.get_colour(600), 0u);
        d.press(600);
        EXPECT_EQ(d.get_colour(600), 0xFF00AAu);
        d.select(400, 1);
        d.select(400, 1);                       // no change, no notification
        d.press(1);
    });
    EXPECT_EQ(run_dialog("SAMPLE_TEST", proc, 0), DIALOG_OK);
    EXPECT_EQ(settings.colour, 0xFF00AAu);
    EXPECT_EQ(host.colour_captions.size(), 2u);
    EXPECT_EQ(proc.log, (std::vector<int>{700 << 16 | NOTIFY_PAGE_CHANGE, 702 << 16, 600 << 16, 600 << 16,
                                          600 << 16 | NOTIFY_SELECTION, 400 << 16 | NOTIFY_SELECTION, 1 << 16}));
}

// A procedure that ends its dialog itself from a button.
class ClosingProcedure : public NullProcedure {
public:
    bool command(DialogContext& ctx, int id, int) override {
        if (id == 300) ctx.end_dialog(7);
        return id == 300;
    }
};

TEST(FakeDialogs, ModelessDialogsAndTheBatchHost) {
    DialogTemplate t = sample();
    ClosingProcedure proc;
    {
        FakeDialogHost host;
        DialogHandle h = host.open_modeless(t, proc, 0);
        ASSERT_TRUE(host.is_open(h));
        host.context(h)->set_text(100, "find");
        host.session(h)->press(300);
        EXPECT_FALSE(host.is_open(h));
        EXPECT_EQ(host.context(h), nullptr);
        host.close_modeless(h);
        host.close_modeless(999);
        DialogHandle h2 = host.open_modeless(t, proc, 0);
        host.close_modeless(h2);
        EXPECT_FALSE(host.is_open(h2));
    }
    EXPECT_EQ(dialog_host().run_dialog(t, proc, 0), DIALOG_CANCEL);   // batch: init, then cancel
    EXPECT_EQ(dialog_host().open_modeless(t, proc, 0), 0u);
}

}  // namespace
}  // namespace rix

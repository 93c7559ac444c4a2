// Template dialogs on real widgets (offscreen): typing past a byte limit,
// radios and the spin, the default button and Escape, a list view's header
// click, the look, and modeless dialogs. Every wait is bounded.
// Every shipped template opens (and can be saved as a picture to look at).
// Owed: the colour chooser (a modal inside the modal).
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "platform/codec.h"
#include "platform/fake_messages.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_text_box.h"
#include "platform/qt/spin_box.h"
#include "rix_build_paths.h"

namespace rix {
namespace {

std::string sj(const char* utf8) { return utf8_to_sjis(utf8); }

DialogTemplate sample() {
    DialogTemplate t;
    EXPECT_TRUE(load_dialog_template(RIX_RESOURCE_DIR, "SAMPLE_TEST", &t).ok());
    return t;
}

template <class W>
W* child(QDialog* d, int id) {
    W* w = d->findChild<W*>(QString::number(id));
    EXPECT_NE(w, nullptr) << "control " << id;
    return w;
}

void key(QWidget* target, int k, const QString& text = {}) {
    QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier, text);
    QApplication::sendEvent(target, &press);
}

// Runs the dialog and calls `act` once it is on screen. A dialog still open
// after three seconds is cancelled by force and fails the test.
int run(QtDialogHost& host, DialogProcedure& proc, std::function<void(QDialog*)> act) {
    QTimer poll;
    bool acted = false;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (d && d->isVisible() && !acted) {
            acted = true;
            act(d);
        }
    });
    poll.start(5);
    QTimer::singleShot(3000, &poll, [] {
        if (auto* d = QApplication::activeModalWidget()) {
            ADD_FAILURE() << "dialog left open";
            key(d, Qt::Key_Escape);
        }
    });
    int result = host.run_dialog(sample(), proc, 0);
    EXPECT_TRUE(acted);
    return result;
}

class Procedure : public DialogProcedure {
public:
    void init(DialogContext& ctx) override {
        ctx.set_text(100, sj("原稿"));
        ctx.set_range(10001, 0xFFF6, 10);
        ctx.set_pos(10001, 0);
        ctx.set_number(101, 0);
        ctx.set_radio(200, 201, 200);
        ctx.set_rows(500, {{"b", "2"}, {"a", "10"}, {"c", "1"}});
    }
    bool command(DialogContext& ctx, int id, int notification) override {
        log.push_back(id * 0x10000 + notification);
        if (id != 500 || !is_column_click(notification)) return false;
        std::vector<std::vector<std::string>> rows;
        for (int i = 0; i < ctx.item_count(500); ++i) rows.push_back({ctx.cell_text(500, i, 0), ctx.cell_text(500, i, 1)});
        std::sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) { return std::stoi(a[1]) < std::stoi(b[1]); });
        ctx.set_rows(500, rows);
        ctx.set_sort_indicator(500, clicked_column(notification), true);
        return true;
    }
    bool ok(DialogContext& ctx) override {
        bool good = false;
        shift = ctx.get_number(101, &good);
        if (!good || shift < -5 || shift > 5) {
            ctx.show_message(MSG_NOTICE, sj("範囲外です。"), 3000);
            return false;
        }
        name = ctx.get_text(100);
        radio = ctx.get_radio(200, 201);
        return true;
    }
    void cancel(DialogContext&) override { ++cancels; }

    std::vector<int> log;
    std::string name;
    int radio = 0, shift = 0, cancels = 0;
};

TEST(QtDialogs, TypedValuesRadiosAndTheSpinReachTheProcedure) {
    QtDialogHost host;
    Procedure proc;
    int result = run(host, proc, [](QDialog* d) {
        auto* name = child<QLineEdit>(d, 100);
        EXPECT_EQ(name->text(), QString::fromUtf8("原稿"));
        name->selectAll();
        for (int i = 0; i < 6; ++i) key(name, Qt::Key_unknown, QString::fromUtf8("漢"));
        EXPECT_EQ(name->text(), QString::fromUtf8("漢漢漢漢"));   // 8 bytes, the limit
        child<QRadioButton>(d, 201)->click();
        EXPECT_FALSE(child<QRadioButton>(d, 200)->isChecked());
        auto* spin = child<SpinBox>(d, 10001);
        spin->up_button()->click();
        spin->up_button()->click();
        auto* shift = child<QLineEdit>(d, 101);
        EXPECT_EQ(shift->text(), "2");
        key(shift, Qt::Key_X, "x");                              // a number takes digits only
        EXPECT_EQ(shift->text(), "2");
        child<QPushButton>(d, 1)->click();
    });
    EXPECT_EQ(result, DIALOG_OK);
    EXPECT_EQ(proc.name, sj("漢漢漢漢"));
    EXPECT_EQ(proc.radio, 201);
    EXPECT_EQ(proc.shift, 2);
    EXPECT_EQ(std::count(proc.log.begin(), proc.log.end(), 10001 << 16 | NOTIFY_SPIN), 2);
}

TEST(QtDialogs, EnterPressesTheDefaultButtonAndABadNumberKeepsItOpen) {
    FakeMessages messages;
    QtDialogHost host;
    Procedure proc;
    int result = run(host, proc, [&](QDialog* d) {
        auto* shift = child<QLineEdit>(d, 101);
        shift->setFocus();
        shift->selectAll();
        key(shift, Qt::Key_9, "9");
        key(shift, Qt::Key_Return);
        EXPECT_TRUE(d->isVisible());
        EXPECT_EQ(messages.log.size(), 1u);
        shift->selectAll();
        key(shift, Qt::Key_4, "4");
        key(shift, Qt::Key_Return);
    });
    EXPECT_EQ(result, DIALOG_OK);
    EXPECT_EQ(proc.shift, 4);
    EXPECT_EQ(proc.cancels, 0);
}

TEST(QtDialogs, HeaderClickLetsTheProcedureSortAndEscapeCancels) {
    QtDialogHost host;
    Procedure proc;
    int result = run(host, proc, [](QDialog* d) {
        auto* tree = child<QTreeWidget>(d, 500);
        ASSERT_EQ(tree->topLevelItemCount(), 3);
        QHeaderView* header = tree->header();
        QPoint at(header->sectionViewportPosition(1) + header->sectionSize(1) / 2, header->height() / 2);
        QMouseEvent press(QEvent::MouseButtonPress, at, header->viewport()->mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QMouseEvent release(QEvent::MouseButtonRelease, at, header->viewport()->mapToGlobal(at), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(header->viewport(), &press);
        QApplication::sendEvent(header->viewport(), &release);
        EXPECT_EQ(tree->topLevelItem(0)->text(0), "c");
        EXPECT_EQ(tree->topLevelItem(2)->text(0), "a");
        EXPECT_TRUE(header->isSortIndicatorShown());
        EXPECT_EQ(header->sortIndicatorSection(), 1);
        key(d, Qt::Key_Escape);
    });
    EXPECT_EQ(result, DIALOG_CANCEL);
    EXPECT_EQ(proc.cancels, 1);
    EXPECT_NE(std::find(proc.log.begin(), proc.log.end(), 500 << 16 | (NOTIFY_COLUMN_CLICK + 1)), proc.log.end());
}

TEST(QtDialogs, LookAndPlacement) {
    QtDialogHost host;
    Procedure proc;
    run(host, proc, [](QDialog* d) {
        EXPECT_EQ(d->palette().color(QPalette::Window), QColor(0xF0, 0xF8, 0xD8));
        EXPECT_TRUE(d->autoFillBackground());
        for (QLabel* label : d->findChildren<QLabel*>()) EXPECT_FALSE(label->autoFillBackground());
        EXPECT_EQ(d->windowTitle(), QString::fromUtf8("試験ダイアログ"));
        QFontMetrics fm(dialog_font());
        auto* name = child<QLineEdit>(d, 100);
        EXPECT_EQ(name->x(), (50 * fm.averageCharWidth() + 2) / 4);
        EXPECT_EQ(name->y(), (6 * fm.height() + 4) / 8);
        EXPECT_FALSE(child<QWidget>(d, 702)->isVisible());    // on the page not shown
        key(d, Qt::Key_Escape);
    });
}

TEST(QtDialogs, SpinBoxKeepsItsPositionInsideTheRange) {
    SpinBox spin;
    std::vector<int> moved;
    QObject::connect(&spin, &SpinBox::moved, [&](int pos) { moved.push_back(pos); });
    spin.set_range(0xFFF6, 10);
    spin.set_position(-20);
    EXPECT_EQ(spin.position(), -10);
    spin.set_position(0x10005);
    EXPECT_EQ(spin.position(), 10);
    EXPECT_TRUE(moved.empty());
    spin.step(1);                       // at the top: nothing moves
    EXPECT_TRUE(moved.empty());
    spin.down_button()->click();
    key(&spin, Qt::Key_PageDown);
    ASSERT_EQ(moved.size(), 2u);
    EXPECT_EQ(moved[1], 4);
    spin.set_range(0, 3);               // a new range takes the position in
    EXPECT_EQ(spin.position(), 3);
}

TEST(QtDialogs, ByteLimitValidatorDropsWhatWasInsertedLast) {
    QLineEdit edit;
    edit.setValidator(new ByteLimitValidator(8, false, false, &edit));
    edit.setText("ab");
    edit.setCursorPosition(1);
    edit.insert(QString::fromUtf8("あいうえお"));
    EXPECT_EQ(edit.text(), QString::fromUtf8("aあいうb"));
    EXPECT_EQ(edit.cursorPosition(), 4);
    QLineEdit number;
    number.setValidator(new ByteLimitValidator(4, true, true, &number));
    number.insert(QString::fromUtf8("-1a-2３45"));
    EXPECT_EQ(number.text(), "-124");
}

TEST(QtDialogs, ModelessDialogStaysUntilItEnds) {
    QtDialogHost host;
    Procedure proc;
    DialogHandle h = host.open_modeless(sample(), proc, 0);
    ASSERT_TRUE(host.is_open(h));
    QDialog* d = host.window(h);
    ASSERT_NE(d, nullptr);
    EXPECT_TRUE(d->isVisible());
    EXPECT_FALSE(d->isModal());
    host.context(h)->set_text(100, "find");
    EXPECT_EQ(child<QLineEdit>(d, 100)->text(), "find");
    child<QPushButton>(d, 2)->click();
    EXPECT_FALSE(host.is_open(h));
    EXPECT_EQ(proc.cancels, 1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(host.window(h), nullptr);
    DialogHandle h2 = host.open_modeless(sample(), proc, 0);
    host.close_modeless(h2);
    EXPECT_FALSE(host.is_open(h2));
    EXPECT_EQ(proc.cancels, 1);         // closing from outside asks nobody
}

// Every shipped template opens on real widgets with its caption and its
// controls inside the dialog. With RIX_DIALOG_SHOTS naming a folder, each
// dialog is also saved there as NAME.png, to look at.
TEST(QtDialogs, EveryShippedTemplateOpensOnWidgets) {
    struct Quiet final : DialogProcedure {
        void init(DialogContext&) override {}
        bool command(DialogContext&, int, int) override { return true; }
        bool ok(DialogContext&) override { return false; }
        void cancel(DialogContext&) override {}
    } proc;
    const char* shots = std::getenv("RIX_DIALOG_SHOTS");
    QtDialogHost host;
    int opened = 0;
    for (const auto& entry : std::filesystem::directory_iterator(std::string(RIX_RESOURCE_DIR) + "/dialogs")) {
        if (entry.path().extension() != ".dlg") continue;
        DialogTemplate t;
        ASSERT_TRUE(load_dialog_template(RIX_RESOURCE_DIR, entry.path().stem().string(), &t).ok());
        DialogHandle h = host.open_modeless(t, proc, 0);
        ASSERT_TRUE(host.is_open(h)) << t.name;
        QDialog* d = host.window(h);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->windowTitle().toStdString(), sjis_to_utf8(t.caption)) << t.name;
        for (QWidget* w : d->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
            if (w->isVisibleTo(d)) {
                EXPECT_LE(w->geometry().right(), d->width()) << t.name << " " << w->objectName().toStdString();
                EXPECT_LE(w->geometry().bottom(), d->height()) << t.name << " " << w->objectName().toStdString();
            }
        if (shots) d->grab().save(QString::fromUtf8(shots) + "/" + QString::fromStdString(t.name) + ".png");
        host.close_modeless(h);
        ++opened;
    }
    EXPECT_GE(opened, 20);
}

class TextProcedure : public DialogProcedure {
public:
    void init(DialogContext& ctx) override { ctx.set_text(10, sj("一行目\r\n二行目")); }
    bool command(DialogContext& ctx, int id, int notification) override {
        if (notification == NOTIFY_EDIT_CHANGE) seen.push_back(ctx.get_text(id));
        return false;
    }
    bool ok(DialogContext&) override { return true; }
    void cancel(DialogContext&) override {}
    std::vector<std::string> seen;
};

// Text boxes are the shared box: vertical or horizontal, read-only, the byte
// limit cutting what was typed (never the text after it), and a change
// reported to the procedure.
TEST(QtDialogs, TextBoxControlsAreTheSharedBox) {
    DialogTemplate t;
    t.name = "TEXT_BOX_TEST";
    t.w = 200;
    t.h = 120;
    ControlDef vertical;
    vertical.id = 10;
    vertical.kind = ControlKind::TEXT_BOX;
    vertical.x = 4;
    vertical.y = 4;
    vertical.w = 90;
    vertical.h = 100;
    vertical.flags = CONTROL_VERTICAL | CONTROL_MULTILINE;
    vertical.byte_limit = 20;
    ControlDef horizontal = vertical;
    horizontal.id = 11;
    horizontal.x = 100;
    horizontal.flags = CONTROL_READ_ONLY | CONTROL_MULTILINE;
    t.controls = {vertical, horizontal};

    QtDialogHost host;
    TextProcedure proc;
    DialogHandle h = host.open_modeless(t, proc, 0);
    ASSERT_TRUE(host.is_open(h));
    QDialog* d = host.window(h);
    auto* vbox = d->findChild<QtTextBox*>("10");
    auto* hbox = d->findChild<QtTextBox*>("11");
    ASSERT_NE(vbox, nullptr);
    ASSERT_NE(hbox, nullptr);
    EXPECT_TRUE(vbox->format().vertical);
    EXPECT_FALSE(hbox->format().vertical);
    EXPECT_TRUE(hbox->read_only());
    EXPECT_EQ(vbox->text(), sj("一行目\r\n二行目"));

    key(vbox->input_widget(), Qt::Key_Z, "z");
    ASSERT_EQ(proc.seen.size(), 1u);
    EXPECT_EQ(proc.seen[0], "z" + sj("一行目\r\n二行目"));
    QInputMethodEvent commit(QString(), {});
    commit.setCommitString(QString::fromUtf8("漢字漢字"));   // 5 bytes of room: two of them
    QApplication::sendEvent(vbox->input_widget(), &commit);
    EXPECT_EQ(vbox->text(), "z" + sj("漢字一行目\r\n二行目"));
    EXPECT_EQ(proc.seen.back(), vbox->text());

    host.context(h)->set_text(11, sj("読むだけ"));
    EXPECT_EQ(hbox->text(), sj("読むだけ"));
    key(hbox->input_widget(), Qt::Key_X, "x");   // read-only: nothing
    EXPECT_EQ(hbox->text(), sj("読むだけ"));
    EXPECT_EQ(proc.seen.size(), 2u);
    host.close_modeless(h);
}

// A multiselect list view lets the user pick several rows; the procedure
// reads them all and its own choice shows on the widget.
TEST(QtDialogs, SeveralRowsOfAListViewReachTheProcedure) {
    DialogTemplate t;
    ASSERT_TRUE(parse_dialog_template("dialog MULTI 120 100\n"
                                      "listview 10 4 4 110 90 multiselect column=40,\"a\"\n",
                                      &t)
                    .ok());
    struct Rows : DialogProcedure {
        void init(DialogContext& ctx) override { ctx.set_rows(10, {{"a"}, {"b"}, {"c"}}); }
        bool command(DialogContext& ctx, int id, int notification) override {
            if (id == 10 && notification == NOTIFY_SELECTION) seen = ctx.selected_rows(10);
            return true;
        }
        bool ok(DialogContext&) override { return true; }
        void cancel(DialogContext&) override {}
        std::vector<int> seen;
    } proc;
    QtDialogHost host;
    DialogHandle h = host.open_modeless(t, proc, 0);
    ASSERT_TRUE(host.is_open(h));
    auto* tree = host.window(h)->findChild<QTreeWidget*>("10");
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->selectionMode(), QAbstractItemView::ExtendedSelection);
    tree->topLevelItem(0)->setSelected(true);
    tree->topLevelItem(2)->setSelected(true);
    EXPECT_EQ(proc.seen, (std::vector<int>{0, 2}));
    host.context(h)->set_selected_rows(10, {1});
    EXPECT_FALSE(tree->topLevelItem(0)->isSelected());
    EXPECT_TRUE(tree->topLevelItem(1)->isSelected());
    host.close_modeless(h);
}

}  // namespace
}  // namespace rix

// The screen format dialog and the font dialog on real widgets (offscreen):
// a number typed into its edit and a face picked in the font dialog reach the
// settings record's bytes through 設 定; the font dialog's own cancel.
// Every wait is bounded.
// Owed: the colour chooser opened from the dialog, the hidden test view.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>

#include <cstring>
#include <functional>

#include "app/settings/fmset_dialog.h"
#include "platform/codec.h"
#include "platform/fake_fonts.h"
#include "platform/fake_messages.h"
#include "platform/qt/qt_dialogs.h"
#include "platform/qt/qt_font_chooser.h"

namespace rix {
namespace {

std::string sj(const char* utf8) { return utf8_to_sjis(utf8); }

void type_into(QLineEdit* edit, const QString& text) {
    edit->setFocus();
    edit->selectAll();
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(edit, &press);
    }
}

// Clicks after the current event, so that a dialog it opens runs its loop
// outside the poll that clicked.
void click_later(QAbstractButton* button) {
    ASSERT_NE(button, nullptr);
    QMetaObject::invokeMethod(button, "click", Qt::QueuedConnection);
}

// Calls `step` with the modal window on top every few milliseconds until it
// returns true (done); a run still going after five seconds is ended with
// Escape on every modal window and fails the test.
void drive(std::function<bool(QWidget*)> step, std::function<void()> run) {
    QTimer poll;
    bool done = false;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* top = QApplication::activeModalWidget();
        if (!done && top && top->isVisible()) done = step(top);
    });
    poll.start(10);
    QTimer::singleShot(5000, &poll, [&] {
        if (done) return;
        ADD_FAILURE() << "dialog left open";
        while (QWidget* top = QApplication::activeModalWidget()) {
            QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(top, &esc);
            if (QApplication::activeModalWidget() == top) top->close();
            QApplication::processEvents();
        }
    });
    run();
    EXPECT_TRUE(done);
}

SettingsState make_settings() {
    SettingsState s;
    for (int f = 0; f < SCREEN_FORMAT_COUNT; ++f) {
        SettingsRecord& r = s.rec;
        r.columns_per_page[f] = 20;
        r.chars_per_column[f] = 20;
        r.tier_count[f] = 1;
        r.page_columns[f] = 20;
        r.tab_width[f] = 4;
        r.cell_width_percent[f] = 20;
        r.kinsoku[f].kinsoku_mode = 1;
        r.font[f].height = -16;
        r.font[f].weight = 400;
        store_field(r.font[f].face, sizeof r.font[f].face, sj("@IPAex明朝"));
    }
    return s;
}

bool is_fmset(QWidget* w) { return w->windowTitle().contains(QString::fromUtf8("画面書式設定")); }

template <class W>
W* child(QWidget* parent, const QString& name) {
    return parent->findChild<W*>(name);
}

TEST(FmsetDialogQt, TypedNumberAndChosenFontReachTheRecord) {
    FakeMessages messages;
    QtDialogHost host;
    install_dialog_host(&host);
    FakeFonts fonts;
    fonts.faces = {sj("IPAexゴシック"), sj("@IPAexゴシック"), sj("IPAex明朝"), sj("@IPAex明朝")};
    QtFontChooser chooser(fonts);
    SettingsState settings = make_settings();
    FmsetUi ui;
    int applied = 0;
    FmsetServices services;
    services.font_chooser = &chooser;
    services.apply = [&] { ++applied; };

    int stage = 0;
    int result = DIALOG_FAILED;
    drive(
        [&](QWidget* top) {
            if (stage == 0 && is_fmset(top)) {
                auto* columns = child<QLineEdit>(top, QStringLiteral("2000"));
                EXPECT_EQ(columns->text(), QStringLiteral("20"));
                type_into(columns, QStringLiteral("35"));
                click_later(child<QPushButton>(top, QStringLiteral("1210")));
                stage = 1;
            } else if (stage == 1 && child<QListWidget>(top, QtFontChooser::FACE_LIST)) {
                auto* faces = child<QListWidget>(top, QtFontChooser::FACE_LIST);
                EXPECT_EQ(faces->currentRow(), 3);           // the record's face is preselected
                EXPECT_EQ(child<QListWidget>(top, QtFontChooser::SIZE_LIST)->currentRow(), 11);   // 12 pt
                EXPECT_EQ(top->windowTitle(), QString::fromUtf8(" 書式 1　文字フォントの設定"));
                faces->setCurrentRow(1);
                child<QListWidget>(top, QtFontChooser::SIZE_LIST)->setCurrentRow(17);   // 18 pt
                click_later(child<QPushButton>(top, QtFontChooser::OK_BUTTON));
                stage = 2;
            } else if (stage == 2 && is_fmset(top) &&
                       child<QLabel>(top, QStringLiteral("1220"))->text() == QString::fromUtf8(" @IPAexゴシック")) {
                // The font box shows the choice once the font dialog has returned.
                click_later(child<QPushButton>(top, QStringLiteral("1")));
                return true;
            }
            return false;
        },
        [&] { result = run_fmset_dialog(&ui, &settings, services, 0); });
    install_dialog_host(nullptr);

    EXPECT_EQ(result, DIALOG_OK);
    const auto* bytes = reinterpret_cast<const unsigned char*>(&settings.rec);
    EXPECT_EQ(bytes[0x470], 35);                          // columns_per_page of format 1
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes + 0x4f0 + 18)), sj("@IPAexゴシック"));
    std::int16_t height = 0;
    std::memcpy(&height, bytes + 0x4f0, 2);
    EXPECT_EQ(height, -(18 * screen_dpi() + 36) / 72);
    EXPECT_TRUE(settings.changed);
    EXPECT_EQ(applied, 1);
    EXPECT_TRUE(messages.log.empty());
}

TEST(FmsetDialogQt, FontDialogCancelLeavesTheChoiceAlone) {
    FakeFonts fonts;
    fonts.faces = {sj("IPAex明朝"), sj("@IPAex明朝")};
    QtFontChooser chooser(fonts);
    FontChoice choice;
    choice.caption = sj(" 書式 2　文字フォントの設定");
    choice.font.face = sj("@ＭＳ 明朝");   // a Windows name finds its installed face
    choice.font.height = -16;
    bool chosen = true;
    drive(
        [&](QWidget* top) {
            auto* faces = child<QListWidget>(top, QtFontChooser::FACE_LIST);
            if (!faces) return false;
            EXPECT_EQ(faces->currentRow(), 1);
            click_later(child<QPushButton>(top, QtFontChooser::CANCEL_BUTTON));
            return true;
        },
        [&] { chosen = chooser.choose_font(&choice); });
    EXPECT_FALSE(chosen);
    EXPECT_EQ(choice.font.face, sj("@ＭＳ 明朝"));
    EXPECT_EQ(choice.font.height, -16);
}

}  // namespace
}  // namespace rix

// The message box and the help viewer on the offscreen platform: how each
// kind of box ends, the caption flag, the layout and placement, and the help
// viewer's pages and rectangle.
// Owed: the beep (not observable offscreen).
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>
#include <QTimer>

#include <functional>

#include "platform/codec.h"
#include "platform/qt/qt_messages.h"
#include "rix_build_paths.h"

namespace rix {
namespace {

using Act = std::function<void(QDialog*)>;

// Shows one box and runs `act` on it once it is up. A box still open after
// three seconds is closed by force and fails the test instead of hanging it.
int run_box(QtMessages& service, int kind, std::string_view text, Act act, unsigned time_ms = 0,
            WindowRef owner = 0) {
    QTimer poll;
    bool acted = false;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (box && box->isVisible() && !acted && act) {
            acted = true;
            act(box);
        }
    });
    poll.start(5);
    QTimer::singleShot(3000, &poll, [] {
        if (auto* box = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            ADD_FAILURE() << "box left open";
            box->done(MSG_RESULT_OK);
        }
    });
    return service.show_message(kind, owner, text, time_ms);
}

QString qs(const char* utf8) { return QString::fromUtf8(utf8); }

void press(QDialog* box, int key) {
    QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(box, &event);
}

Act click(const char* label) {
    return [label](QDialog* box) {
        for (QPushButton* b : box->findChildren<QPushButton*>())
            if (b->text() == qs(label)) return b->click();
        ADD_FAILURE() << "no button " << label;
    };
}

Act escape = [](QDialog* box) { press(box, Qt::Key_Escape); };

TEST(QtMessageBox, EachKindEndsAsDescribed) {
    QtMessages service("", nullptr, {});
    service.set_beep(false);
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(run_box(service, MSG_NOTICE, "saved", nullptr, 50), MSG_RESULT_OK);
    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_EQ(run_box(service, MSG_NOTICE, "saved", escape, 60000), MSG_RESULT_CANCEL);
    EXPECT_EQ(run_box(service, MSG_NOTICE, "saved", click("閉じる")), MSG_RESULT_OK);

    EXPECT_EQ(run_box(service, MSG_YES_NO_CANCEL, "q", escape), MSG_RESULT_CANCEL);
    EXPECT_EQ(run_box(service, MSG_YES_NO_CANCEL, "q", [](QDialog* b) { b->close(); }),
              MSG_RESULT_CANCEL);
    EXPECT_EQ(run_box(service, MSG_YES_NO_CANCEL, "q", click("は い")), MSG_RESULT_YES);
    EXPECT_EQ(run_box(service, MSG_YES_NO_CANCEL, "q", click("取消")), MSG_RESULT_CANCEL);
    EXPECT_EQ(run_box(service, MSG_YES_NO_CANCEL, "q", [](QDialog* b) { press(b, Qt::Key_Return); }),
              MSG_RESULT_YES);  // Enter takes the first button

    EXPECT_EQ(run_box(service, MSG_YES_NO, "q", [](QDialog* box) {
                  escape(box);
                  EXPECT_FALSE(box->close());
                  EXPECT_TRUE(box->isVisible());
                  click("いいえ")(box);
              }),
              MSG_RESULT_NO);
}

TEST(QtMessageBox, CaptionFlagTakesTheFirstLine) {
    QtMessages service("", nullptr, {});
    QString title;
    QStringList lines;
    Act look = [&](QDialog* box) {
        title = box->windowTitle();
        lines.clear();
        for (QLabel* l : box->findChildren<QLabel*>()) lines << l->text();
        escape(box);
    };
    run_box(service, MSG_NOTICE | MSG_CAPTION, "Heading\nfirst\r\nsecond\n", look);
    EXPECT_EQ(title, qs("Heading"));
    EXPECT_EQ(lines, QStringList({"first", "second"}));
    service.set_beep(false);
    run_box(service, MSG_NOTICE, utf8_to_sjis("題名\n<b>本文</b>"), look);
    EXPECT_EQ(title, qs("ミルトア"));
    EXPECT_EQ(lines, QStringList({qs("題名"), qs("<b>本文</b>")}));  // plain text, never markup
}

TEST(QtMessageBox, LayoutOfTextAndButtons) {
    const int w = 7, bw = 75, bh = 23;
    MessageBoxLayout one = layout_message_box(MSG_NOTICE, w, 1, 40, bw, bh);
    EXPECT_EQ(one.width, 44 * w);
    EXPECT_EQ(one.height, 19 + bh + 35);  // one line of 2.7 × 7
    EXPECT_NEAR(one.button_left[0] * 2 + bw, one.width, 1);

    MessageBoxLayout q = layout_message_box(MSG_YES_NO_CANCEL, w, 2, 30, bw, bh);
    EXPECT_EQ(q.width, 4 * bw);  // the text is narrower than 3.6 buttons
    EXPECT_EQ(q.button_left[2] - q.button_left[1], 90);
    EXPECT_EQ(q.button_left[1] - q.button_left[0], 90);
    EXPECT_EQ(layout_message_box(MSG_YES_NO_CANCEL, w, 1, 36, bw, bh).width, 40 * w);

    MessageBoxLayout yn = layout_message_box(MSG_YES_NO, w, 1, 2, bw, bh);
    EXPECT_EQ(yn.button_left[1] - (yn.button_left[0] + bw), 20);
    EXPECT_GE(yn.button_left[0], 0);  // a short text still leaves room for the buttons
}

TEST(QtMessageBox, SizeFollowsTheTextAndSitsOverTheOwner) {
    QtMessages service("", nullptr, {});
    service.set_beep(false);
    QRect got;
    Act measure = [&](QDialog* box) {
        got = box->geometry();
        escape(box);
    };
    const int unit = message_unit_width();
    run_box(service, MSG_NOTICE, std::string(40, 'x'), measure);
    QRect narrow = got;
    EXPECT_EQ(narrow.width(), 44 * unit);
    EXPECT_LE((narrow.center() - QGuiApplication::primaryScreen()->availableGeometry().center())
                  .manhattanLength(), 4);

    QWidget owner;
    owner.setGeometry(120, 80, 500, 400);
    owner.show();
    run_box(service, MSG_NOTICE, "a\n" + std::string(60, 'x') + "\nb", measure, 0,
            reinterpret_cast<WindowRef>(&owner));
    EXPECT_EQ(got.width() - narrow.width(), 20 * unit);
    EXPECT_EQ(got.height() - narrow.height(), 2 * qRound(2.7 * unit));
    EXPECT_LE((got.center() - owner.frameGeometry().center()).manhattanLength(), 4);
    // A reference to no live widget is not followed.
    EXPECT_EQ(run_box(service, MSG_NOTICE, "x", escape, 0, 0x10), MSG_RESULT_CANCEL);
}

TEST(QtHelp, ShowsPagesAndATextForMissingOnes) {
    QtMessages service(RIX_RESOURCE_DIR "/help", nullptr, {});
    service.show_help("");
    ASSERT_NE(service.help_window(), nullptr);
    EXPECT_EQ(service.help_window()->windowTitle(), qs("ミルトア ヘルプ"));
    QTextBrowser* browser = service.help_browser();
    EXPECT_TRUE(browser->toPlainText().contains(qs("はじめに")));
    for (const char* topic : {"NO_SUCH_TOPIC", "../help/HLP_BEGIN", "PR\xff\x01NT"}) {
        service.show_help(topic);
        EXPECT_TRUE(browser->toPlainText().contains(qs("ヘルプがありません"))) << topic;
    }
    service.show_help("ENV_COM");  // a page again after a missing one
    service.show_help("");         // the last topic
    EXPECT_TRUE(browser->toPlainText().contains(qs("全書式共通項目")));

    QtMessages nowhere("/nonexistent", nullptr, {});
    nowhere.show_help("BEGIN");
    EXPECT_TRUE(nowhere.help_browser()->toPlainText().contains(qs("ヘルプがありません")));
}

TEST(QtHelp, ViewerRectangleIsReadOnceAndStoredWhenTheOwnerMoves) {
    const QRect desk = QGuiApplication::primaryScreen()->geometry();
    const int dw = desk.width(), dh = desk.height();
    std::int16_t rect[4] = {20, 30, static_cast<std::int16_t>(20 + dw / 2),
                            static_cast<std::int16_t>(30 + dh / 2)};
    int changed = 0;
    QtMessages service(RIX_RESOURCE_DIR "/help", rect, [&] { ++changed; });
    service.owner_moved();  // no viewer yet
    service.show_help("BEGIN");
    EXPECT_EQ(service.help_window()->geometry(), QRect(20, 30, dw / 2, dh / 2));

    service.help_window()->setGeometry(-30, 40, 500, 400);
    service.owner_moved();
    EXPECT_EQ(changed, 1);
    EXPECT_EQ(std::vector<int>(rect, rect + 4), (std::vector<int>{0, 40, 470, 440}));
    service.help_window()->hide();
    service.owner_moved();
    EXPECT_EQ(changed, 1);

    // Not more than a quarter of the screen wide: the default place instead.
    std::int16_t small[4] = {0, 0, static_cast<std::int16_t>(dw / 4), static_cast<std::int16_t>(dh)};
    QtMessages other(RIX_RESOURCE_DIR "/help", small, {});
    other.show_help("BEGIN");
    EXPECT_EQ(other.help_window()->pos(), QPoint(0, 0));
    EXPECT_EQ(other.help_window()->size(), QSize(dw * 65 / 100, dh * 95 / 100));
}

}  // namespace
}  // namespace rix

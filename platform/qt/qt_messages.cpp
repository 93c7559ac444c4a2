// QtMessages: the program's message box and help viewer on Qt Widgets.
//
// Owns the help viewer window (created on the first show_help, kept until this
// service is destroyed). A message box lives only for one show_message call.
// Message texts arrive as code page 932 and are converted here; nothing in
// them is interpreted as markup, and an owner reference is used only when it
// names a widget that still exists.
#include "platform/qt/qt_messages.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTextBrowser>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <vector>

#include "platform/codec.h"

namespace rix {

namespace {

constexpr int FONT_PIXEL_HEIGHT = 13;   // 0.8 of the 16-pixel dialog base unit
constexpr int TEXT_TOP = 10;            // first line below the client top
constexpr int EXTRA_HEIGHT = 35;        // top gap + gap above buttons + bottom gap
constexpr int BOTTOM_GAP = 12;          // below the button row
constexpr int SIDE_GAP = 10;            // least room beside the buttons
constexpr int YES_NO_GAP = 20;          // between "は い" and "いいえ"
constexpr int BUTTON_MIN_WIDTH = 75;
constexpr int BUTTON_MIN_HEIGHT = 23;
constexpr unsigned TIMER_MAX_MS = 0xFFFF;  // the close time is a 16-bit value
constexpr int HELP_NAME_MAX = 64;          // longest accepted topic key

const char* const BOX_TITLE = "ミルトア";
const char* const HELP_TITLE = "ミルトア ヘルプ";
const char* const FIRST_TOPIC = "BEGIN";

QString from_sjis(std::string_view sjis) {
    std::string utf8 = sjis_to_utf8(sjis);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// "標準ゴシック" of the original layout is the IPAex gothic face here.
QFont message_font() {
    QFont font;
    font.setFamilies({QStringLiteral("IPAexGothic"), QString::fromUtf8("IPAexゴシック"),
                      QStringLiteral("IPAGothic")});
    font.setPixelSize(FONT_PIXEL_HEIGHT);
    font.setWeight(QFont::Medium);
    font.setFixedPitch(true);
    font.setStyleHint(QFont::SansSerif, QFont::PreferQuality);
    return font;
}

// The description of one button: its label and the answer it gives.
struct ButtonDescription {
    const char* label;
    int result;
};

std::vector<ButtonDescription> buttons_of(int kind) {
    if (kind == MSG_YES_NO_CANCEL)
        return {{"は い", MSG_RESULT_YES}, {"いいえ", MSG_RESULT_NO}, {"取消", MSG_RESULT_CANCEL}};
    if (kind == MSG_YES_NO) return {{"は い", MSG_RESULT_YES}, {"いいえ", MSG_RESULT_NO}};
    return {{"閉じる", MSG_RESULT_OK}};
}

// Splits at "\n"; a "\r" before it is dropped, and a final line feed does not
// open an empty last line.
std::vector<std::string_view> split_lines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        std::size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        if (nl == std::string_view::npos) break;
        text.remove_prefix(nl + 1);
    }
    return lines;
}

// The modal box. Escape and the close box answer cancel, except in a yes/no
// box, where they do nothing.
class MessageBoxDialog final : public QDialog {
public:
    MessageBoxDialog(QWidget* parent, int kind) : QDialog(parent), kind_(kind) {}

    void reject() override {
        if (kind_ != MSG_YES_NO) done(MSG_RESULT_CANCEL);
    }

protected:
    void closeEvent(QCloseEvent* event) override {
        if (kind_ == MSG_YES_NO) {
            event->ignore();
            return;
        }
        QDialog::closeEvent(event);
    }

private:
    int kind_;
};

// The top-level widget behind an owner reference, or nullptr when the
// reference names no live, visible widget.
QWidget* find_owner(WindowRef owner) {
    if (owner == 0) return nullptr;
    const QWidgetList widgets = QApplication::allWidgets();
    for (QWidget* w : widgets) {
        if (reinterpret_cast<WindowRef>(w) == owner) {
            QWidget* top = w->window();
            return top->isVisible() ? top : nullptr;
        }
    }
    return nullptr;
}

// Centres the box over the owner (or the screen) and keeps it on the screen.
void place_box(QDialog* box, QWidget* owner) {
    QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    QPoint centre = owner ? owner->frameGeometry().center() : area.center();
    int x = centre.x() - box->width() / 2;
    int y = centre.y() - box->height() / 2;
    x = std::max(area.left(), std::min(x, area.right() + 1 - box->width()));
    y = std::max(area.top(), std::min(y, area.bottom() + 1 - box->height()));
    box->move(x, y);
}

void paint_dialog_background(QWidget* box) {
    QPalette pal = box->palette();
    pal.setBrush(QPalette::Window, QBrush(QColor(0xF0, 0xF8, 0xD8)));
    box->setPalette(pal);
    box->setAutoFillBackground(true);
}

// Builds the box's labels and buttons and sizes it; the caller runs it.
void build_box(MessageBoxDialog* box, int kind, const std::vector<std::string_view>& lines) {
    QFont font = message_font();
    box->setFont(font);
    paint_dialog_background(box);
    QFontMetrics fm(font);

    std::vector<QPushButton*> buttons;
    int button_w = BUTTON_MIN_WIDTH;
    int button_h = BUTTON_MIN_HEIGHT;
    for (const ButtonDescription& def : buttons_of(kind)) {
        auto* button = new QPushButton(QString::fromUtf8(def.label), box);
        int result = def.result;
        QObject::connect(button, &QPushButton::clicked, box, [box, result] { box->done(result); });
        button_w = std::max(button_w, button->sizeHint().width());
        button_h = std::max(button_h, button->sizeHint().height());
        buttons.push_back(button);
    }

    int longest = 0;
    int widest_px = 0;
    std::vector<QString> texts;
    for (std::string_view line : lines) {
        texts.push_back(from_sjis(line));
        longest = std::max(longest, static_cast<int>(line.size()));
        widest_px = std::max(widest_px, fm.horizontalAdvance(texts.back()));
    }
    int unit = message_unit_width();
    MessageBoxLayout lay = layout_message_box(kind, unit, static_cast<int>(lines.size()), longest,
                                              button_w, button_h);
    // A line set in wide Latin letters may need more than its bytes' worth.
    int text_width = widest_px + 2 * unit;
    if (text_width > lay.width) {
        lay = layout_message_box(kind, unit, static_cast<int>(lines.size()),
                                 (text_width + unit - 1) / unit - 4, button_w, button_h);
    }

    for (std::size_t i = 0; i < texts.size(); ++i) {
        auto* label = new QLabel(texts[i], box);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        label->setAutoFillBackground(false);
        label->setGeometry(0, lay.line_top + static_cast<int>(i) * lay.line_step, lay.width,
                           lay.line_step);
    }
    for (int i = 0; i < lay.button_count; ++i)
        buttons[i]->setGeometry(lay.button_left[i], lay.button_top, button_w, button_h);
    buttons[0]->setDefault(true);
    buttons[0]->setFocus();
    box->setFixedSize(lay.width, lay.height);
}

}  // namespace

MessageBoxLayout layout_message_box(int kind, int unit_w, int body_lines, int longest_bytes,
                                    int button_w, int button_h) {
    MessageBoxLayout lay;
    lay.line_top = TEXT_TOP;
    lay.line_step = static_cast<int>(std::lround(2.7 * unit_w));
    lay.width = (std::max(longest_bytes, 0) + 4) * unit_w;
    lay.height = std::max(body_lines, 0) * lay.line_step + button_h + EXTRA_HEIGHT;
    lay.button_top = lay.height - BOTTOM_GAP - button_h;

    int spread = static_cast<int>(std::lround(1.2 * button_w));
    if (kind == MSG_YES_NO_CANCEL) {
        if (lay.width * 10 < 36 * button_w) lay.width = 4 * button_w;
        lay.width = std::max(lay.width, 2 * spread + button_w + 2 * SIDE_GAP);
    } else if (kind == MSG_YES_NO) {
        lay.width = std::max(lay.width, 2 * button_w + YES_NO_GAP + 2 * SIDE_GAP);
    } else {
        lay.width = std::max(lay.width, button_w + 2 * SIDE_GAP);
    }

    int middle = lay.width / 2 - button_w / 2;
    if (kind == MSG_YES_NO_CANCEL) {
        lay.button_count = 3;
        lay.button_left[0] = middle - spread;
        lay.button_left[1] = middle;
        lay.button_left[2] = middle + spread;
    } else if (kind == MSG_YES_NO) {
        lay.button_count = 2;
        lay.button_left[0] = lay.width / 2 - YES_NO_GAP / 2 - button_w;
        lay.button_left[1] = lay.width / 2 + YES_NO_GAP / 2;
    } else {
        lay.button_count = 1;
        lay.button_left[0] = middle;
    }
    return lay;
}

int message_unit_width() {
    static const int unit = std::max(1, QFontMetrics(message_font()).horizontalAdvance(QLatin1Char('0')));
    return unit;
}

// ---- help viewer ----------------------------------------------------------

namespace {

QString missing_page(const QString& topic) {
    return QString::fromUtf8("<html><body><h2>ヘルプがありません</h2>"
                             "<p>「%1」の説明はまだ用意されていません。</p>"
                             "<p>基本の操作は「はじめに」のページをご覧ください。</p>"
                             "</body></html>")
        .arg(topic.toHtmlEscaped());
}

bool valid_topic(std::string_view topic) {
    if (topic.empty() || topic.size() > HELP_NAME_MAX) return false;
    return std::all_of(topic.begin(), topic.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
               c == '_' || c == '-';
    });
}

std::int16_t to_int16(int v) {
    return static_cast<std::int16_t>(std::clamp(v, -32768, 32767));
}

}  // namespace

QtMessages::QtMessages(std::string help_folder, std::int16_t* help_rect,
                       std::function<void()> rect_changed)
    : help_folder_(std::move(help_folder)), help_rect_(help_rect),
      rect_changed_(std::move(rect_changed)) {}

QtMessages::~QtMessages() {
    if (&messages() == this) install_messages(nullptr);
    if (QCoreApplication::instance()) delete help_window_;  // widgets die with the application
}

int QtMessages::show_message(int kind, WindowRef owner, std::string_view text, unsigned time_ms) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        BatchMessages batch;
        return batch.show_message(kind, owner, text, time_ms);
    }
    int base = kind & ~MSG_CAPTION;
    if (base != MSG_YES_NO_CANCEL && base != MSG_YES_NO) base = MSG_NOTICE;

    std::vector<std::string_view> lines = split_lines(text);
    QString title = QString::fromUtf8(BOX_TITLE);
    if ((kind & MSG_CAPTION) && !lines.empty()) {
        title = from_sjis(lines.front());
        lines.erase(lines.begin());
    }

    QWidget* parent = find_owner(owner);
    auto* box = new MessageBoxDialog(parent, base);
    QPointer<MessageBoxDialog> guard(box);
    box->setWindowTitle(title);
    build_box(box, base, lines);
    place_box(box, parent);
    // A notice given no time stays until the user closes it.
    if (base == MSG_NOTICE && time_ms > 0) {
        auto* timer = new QTimer(box);
        timer->setSingleShot(true);
        QObject::connect(timer, &QTimer::timeout, box, [box] { box->done(MSG_RESULT_OK); });
        timer->start(static_cast<int>(std::min(time_ms, TIMER_MAX_MS)));
    }
    if (!(kind & MSG_CAPTION) && beep_) QApplication::beep();

    int result = box->exec();
    if (!guard) return base == MSG_YES_NO ? MSG_RESULT_NO : MSG_RESULT_CANCEL;  // owner went away
    delete box;
    if (result != MSG_RESULT_OK && result != MSG_RESULT_CANCEL && result != MSG_RESULT_YES &&
        result != MSG_RESULT_NO)
        result = base == MSG_YES_NO ? MSG_RESULT_NO : MSG_RESULT_CANCEL;
    return result;
}

void QtMessages::create_help_window() {
    help_window_ = new QWidget(nullptr, Qt::Window);
    help_window_->setWindowTitle(QString::fromUtf8(HELP_TITLE));
    // An open help window must not keep the program alive after the main window closes.
    help_window_->setAttribute(Qt::WA_QuitOnClose, false);
    auto* layout = new QVBoxLayout(help_window_);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* browser = new QTextBrowser(help_window_);
    browser->setOpenLinks(true);
    browser->setOpenExternalLinks(true);
    browser->setSearchPaths({QString::fromStdString(help_folder_)});
    layout->addWidget(browser);
    help_browser_ = browser;
    place_help_window();
}

// First show of the process: the stored rectangle when it is of a sensible
// size for the screen, else the left part of the screen.
void QtMessages::place_help_window() {
    QScreen* screen = QGuiApplication::primaryScreen();
    QRect desk = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
    if (help_rect_) {
        int left = help_rect_[0], top = help_rect_[1];
        int width = help_rect_[2] - left, height = help_rect_[3] - top;
        if (4 * width > desk.width() && 4 * height > desk.height() && width <= desk.width() &&
            height <= desk.height()) {
            help_window_->setGeometry(left, top, width, height);
            return;
        }
    }
    help_window_->move(0, 0);
    help_window_->resize(desk.width() * 65 / 100, desk.height() * 95 / 100);
}

void QtMessages::load_help_topic(const std::string& topic) {
    if (valid_topic(topic)) {
        QString path = QString::fromStdString(help_folder_) + QStringLiteral("/HLP_") +
                       QString::fromLatin1(topic.data(), static_cast<qsizetype>(topic.size())) +
                       QStringLiteral(".htm");
        QFileInfo info(path);
        if (info.isFile() && info.isReadable()) {
            help_browser_->setSource(QUrl::fromLocalFile(info.absoluteFilePath()),
                                     QTextDocument::HtmlResource);
            return;
        }
    }
    help_browser_->setHtml(missing_page(from_sjis(topic)));
}

void QtMessages::show_help(std::string_view topic) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return;
    if (!topic.empty()) last_topic_.assign(topic);
    if (last_topic_.empty()) last_topic_ = FIRST_TOPIC;
    if (!help_window_) create_help_window();
    load_help_topic(last_topic_);
    help_window_->show();
    help_window_->raise();
    help_window_->activateWindow();
}

void QtMessages::owner_moved() {
    if (!help_window_ || !help_window_->isVisible() || !help_rect_) return;
    QRect g = help_window_->geometry();
    help_rect_[0] = to_int16(std::max(0, g.x()));
    help_rect_[1] = to_int16(std::max(0, g.y()));
    help_rect_[2] = to_int16(g.x() + g.width());
    help_rect_[3] = to_int16(g.y() + g.height());
    if (rect_changed_) rect_changed_();
}

}  // namespace rix

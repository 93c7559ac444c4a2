// The format font dialog on Qt Widgets (see qt_font_chooser.h).
#include "platform/qt/qt_font_chooser.h"

#include <QApplication>
#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/codec.h"
#include "platform/messages.h"
#include "platform/qt/qt_fonts.h"

namespace rix {

const char* const QtFontChooser::FACE_LIST = "faces";
const char* const QtFontChooser::STYLE_LIST = "styles";
const char* const QtFontChooser::SIZE_LIST = "sizes";
const char* const QtFontChooser::PREVIEW = "preview";
const char* const QtFontChooser::OK_BUTTON = "ok";
const char* const QtFontChooser::CANCEL_BUTTON = "cancel";
const char* const QtFontChooser::HELP_BUTTON = "help";

namespace {

constexpr int BOLD_WEIGHT = 700;
constexpr int NORMAL_WEIGHT = 400;
constexpr int PREVIEW_PX = 40;

QString qs(std::string_view cp932) { return QString::fromStdString(sjis_to_utf8(cp932)); }

// Style index: bit 0 italic, bit 1 bold (標準, 斜体, 太字, 太字斜体).
int style_of(const FontDescription& f) { return (f.italic ? 1 : 0) | (f.weight > BOLD_WEIGHT_ABOVE ? 2 : 0); }

int points_of(std::int16_t height, int dpi) {
    return static_cast<int>(std::abs(static_cast<int>(height)) * 72.0 / dpi + 0.5);
}

// The row of `face` among the offered faces: the same name, else the
// installed face it maps to in the same direction; 0 when neither is offered.
int face_row(const std::vector<std::string>& faces, const std::string& face) {
    auto it = std::find(faces.begin(), faces.end(), face);
    if (it == faces.end()) {
        const std::string mapped = (is_vertical_face(face) ? "@" : "") + installed_face_for(face);
        it = std::find(faces.begin(), faces.end(), mapped);
    }
    return it == faces.end() ? 0 : static_cast<int>(it - faces.begin());
}

QListWidget* make_list(QDialog* dialog, const char* name, const QStringList& items, int row) {
    auto* list = new QListWidget(dialog);
    list->setObjectName(QLatin1String(name));
    list->addItems(items);
    if (list->count() > 0) list->setCurrentRow(std::clamp(row, 0, list->count() - 1));
    return list;
}

QPushButton* make_button(QDialog* dialog, const char* name, const char* utf8) {
    auto* button = new QPushButton(QString::fromUtf8(utf8), dialog);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    return button;
}

// The dialog's lists and how to read them back.
struct ChooserParts {
    QListWidget* faces;
    QListWidget* styles;
    QListWidget* sizes;
    QLabel* preview;
    int min_points;
};

void update_preview(const ChooserParts& p, const std::vector<std::string>& faces) {
    const int row = p.faces->currentRow();
    if (row < 0 || row >= static_cast<int>(faces.size())) return;
    FontRequest request;
    request.vertical = is_vertical_face(faces[row]);
    request.face = request.vertical ? faces[row].substr(1) : faces[row];
    request.pixel_height = PREVIEW_PX;
    request.weight = (p.styles->currentRow() & 2) ? BOLD_WEIGHT : NORMAL_WEIGHT;
    request.italic = p.styles->currentRow() & 1;
    p.preview->setFont(qt_font_for(request));
}

ChooserParts build(QDialog* dialog, const FontChoice& choice, const std::vector<std::string>& faces, int dpi) {
    QStringList face_names, sizes;
    for (const std::string& f : faces) face_names << qs(f);
    const int lo = std::max(1, choice.min_points);
    const int hi = std::max(lo, choice.max_points);
    for (int pt = lo; pt <= hi; ++pt) sizes << QString::number(pt);
    const QStringList styles = {QString::fromUtf8("標準"), QString::fromUtf8("斜体"), QString::fromUtf8("太字"),
                                QString::fromUtf8("太字斜体")};
    ChooserParts p;
    p.min_points = lo;
    p.faces = make_list(dialog, QtFontChooser::FACE_LIST, face_names, face_row(faces, choice.font.face));
    p.styles = make_list(dialog, QtFontChooser::STYLE_LIST, styles, style_of(choice.font));
    p.sizes = make_list(dialog, QtFontChooser::SIZE_LIST, sizes, points_of(choice.font.height, dpi) - lo);
    p.preview = new QLabel(QString::fromUtf8("永あア亜Ａａ"), dialog);
    p.preview->setObjectName(QLatin1String(QtFontChooser::PREVIEW));
    p.preview->setMinimumHeight(PREVIEW_PX * 3 / 2);
    p.preview->setAlignment(Qt::AlignCenter);
    p.preview->setFrameShape(QFrame::StyledPanel);

    auto* grid = new QGridLayout(dialog);
    grid->addWidget(new QLabel(QString::fromUtf8("フォント名"), dialog), 0, 0);
    grid->addWidget(new QLabel(QString::fromUtf8("スタイル"), dialog), 0, 1);
    grid->addWidget(new QLabel(QString::fromUtf8("サイズ（ﾎﾟｲﾝﾄ）"), dialog), 0, 2);
    grid->addWidget(p.faces, 1, 0);
    grid->addWidget(p.styles, 1, 1);
    grid->addWidget(p.sizes, 1, 2);
    grid->addWidget(p.preview, 2, 0, 1, 3);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
    return p;
}

}  // namespace

int screen_dpi() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int dpi = screen ? static_cast<int>(std::lround(screen->logicalDotsPerInchY())) : 0;
    return dpi > 0 ? dpi : 96;
}

bool QtFontChooser::choose_font(FontChoice* choice) {
    const std::vector<std::string> faces = fonts_.japanese_faces();
    if (faces.empty() || !qobject_cast<QApplication*>(QCoreApplication::instance())) return false;
    const int dpi = screen_dpi();
    QWidget* parent = QApplication::activeModalWidget();
    if (!parent) parent = QApplication::activeWindow();
    QDialog dialog(parent);
    dialog.setWindowTitle(qs(choice->caption));
    const ChooserParts parts = build(&dialog, *choice, faces, dpi);
    auto* buttons = new QHBoxLayout;
    QPushButton* ok = make_button(&dialog, OK_BUTTON, "設 定");
    QPushButton* cancel = make_button(&dialog, CANCEL_BUTTON, "取 消");
    QPushButton* help = make_button(&dialog, HELP_BUTTON, "ヘルプ");
    ok->setDefault(true);
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    buttons->addWidget(help);
    static_cast<QGridLayout*>(dialog.layout())->addLayout(buttons, 3, 0, 1, 3);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    const std::string topic = choice->help_topic;
    help->setEnabled(!topic.empty());
    QObject::connect(help, &QPushButton::clicked, &dialog, [topic] { show_help(topic); });
    auto preview = [&parts, &faces] { update_preview(parts, faces); };
    QObject::connect(parts.faces, &QListWidget::currentRowChanged, &dialog, preview);
    QObject::connect(parts.styles, &QListWidget::currentRowChanged, &dialog, preview);
    preview();
    dialog.resize(520, 360);
    if (dialog.exec() != QDialog::Accepted) return false;

    const int row = parts.faces->currentRow();
    if (row < 0 || row >= static_cast<int>(faces.size())) return false;
    const int style = std::max(0, parts.styles->currentRow());
    const int points = parts.min_points + std::max(0, parts.sizes->currentRow());
    FontDescription& f = choice->font;
    f.face = faces[row];
    f.height = static_cast<std::int16_t>(-std::max(1, static_cast<int>(std::lround(points * dpi / 72.0))));
    f.width = 0;
    f.weight = static_cast<std::int16_t>((style & 2) ? BOLD_WEIGHT : NORMAL_WEIGHT);
    f.italic = style & 1;
    return true;
}

}  // namespace rix

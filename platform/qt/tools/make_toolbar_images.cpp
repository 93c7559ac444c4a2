// Draws the tool bar image strips: one image per command slot, in slot order
// (empty slots blank), small 23×12 and large 30×15, into
// resources/toolbar/toolbar_23x12.png and toolbar_30x15.png.
//
// Each image is a rounded badge in the colour of the command's menu (file,
// edit, search, aids, publishing, settings, help) with the slot's short code
// on it, the same codes the tool bar settings list. Run after changing the
// slots:  build/rix_make_toolbar resources/toolbar
#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>
#include <string>

#include "app/window/command_table.h"

using namespace rix;

namespace {

struct Badge {
    QColor fill;
    QColor edge;
    QColor text;
};

// The menu a command belongs to decides its colour.
Badge badge_of(int command) {
    auto make = [](int r, int g, int b) { return Badge{QColor(r, g, b), QColor(r, g, b).darker(160), QColor(255, 255, 255)}; };
    if (command == 111 || command == 112 || (command >= 500 && command < 600)) return make(196, 66, 60);   // 公開
    if (command < 200) return make(44, 98, 176);                                                            // ファイル
    if (command < 300) return make(46, 140, 72);                                                            // 編集
    if (command < 400) return make(214, 128, 20);                                                           // 検索
    if (command < 500) return make(124, 70, 168);                                                           // 支援
    if (command == 799) return make(20, 140, 150);                                                          // ヘルプ
    return make(96, 104, 112);                                                                              // 環境設定
}

void draw_image(QPainter& p, QRectF box, int slot, int pixel_size) {
    const CommandSlot* s = command_slot(slot);
    if (!s) return;
    Badge b = badge_of(s->command);
    QRectF r = box.adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath path;
    path.addRoundedRect(r, 2.5, 2.5);
    p.fillPath(path, b.fill);
    p.setPen(QPen(b.edge, 1.0));
    p.drawPath(path);
    QString code = QString::fromUtf8(s->code);
    QFont font(QStringLiteral("IPAexGothic"));
    font.setPixelSize(pixel_size);
    font.setHintingPreference(QFont::PreferFullHinting);
    // Narrow the text until it fits the badge.
    for (int stretch = 100; stretch >= 60; stretch -= 5) {
        font.setStretch(stretch);
        if (QFontMetricsF(font).horizontalAdvance(code) <= box.width() - 2) break;
    }
    p.setFont(font);
    p.setPen(b.text);
    p.drawText(box, Qt::AlignCenter, code);
}

bool write_strip(const std::string& path, int w, int h, int pixel_size) {
    QImage strip(w * COMMAND_SLOT_COUNT, h, QImage::Format_ARGB32);
    strip.fill(Qt::transparent);
    QPainter p(&strip);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    for (int slot = 1; slot <= COMMAND_SLOT_COUNT; ++slot) draw_image(p, QRectF((slot - 1) * w, 0, w, h), slot, pixel_size);
    p.end();
    return strip.save(QString::fromStdString(path), "PNG");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: rix_make_toolbar FOLDER\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    std::string folder = argv[1];
    bool ok = write_strip(folder + "/toolbar_23x12.png", 23, 12, 10) &&
              write_strip(folder + "/toolbar_30x15.png", 30, 15, 12);
    if (!ok) std::fprintf(stderr, "rix_make_toolbar: cannot write into %s\n", folder.c_str());
    return ok ? 0 : 1;
}

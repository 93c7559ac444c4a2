// Times a full-screen layout and draw of a vertical 40 × 20 screen (the
// first screen of a novel, IPAex明朝 in its vertical form, ruled cells) on
// the image surface, and in the same run QPainter drawing the same
// characters as one horizontal string on an image of the same size; prints
// both and their ratio.
//   render_bench FILE
#include <fcntl.h>
#include <unistd.h>

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <chrono>
#include <cstdio>
#include <string>

#include "bench/bench_report.h"
#include "bench/bench_screen.h"
#include "display/render.h"
#include "document/display_lines.h"
#include "document/loader.h"
#include "platform/codec.h"
#include "platform/qt/image_surface.h"
#include "platform/qt/qt_fonts.h"

namespace {

using namespace rix;
using Clock = std::chrono::steady_clock;
constexpr int ROUNDS = 200;
constexpr int WIDTH = 1200, HEIGHT = 900;

double seconds_since(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

// The characters the screen shows, read back from the cell map.
QString screen_text(const Screen& s) {
    std::string bytes;
    for (int j = 0; j < s.cells.lines(); ++j) {
        for (int i = 0; i < s.cells.used(j); ++i) {
            const std::uint16_t c = s.cells.code(j, i);
            if (c == CELL_INDENT || is_mark_cell(c)) continue;
            bytes.push_back(static_cast<char>(c >> 8));
            bytes.push_back(static_cast<char>(c & 0xFF));
        }
    }
    return QString::fromStdString(sjis_to_utf8(bytes));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: render_bench FILE\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    Document doc;
    DocumentState state;
    state.text_fd = ::open(argv[1], O_RDONLY | O_CLOEXEC);
    if (state.text_fd < 0) {
        std::fprintf(stderr, "render_bench: cannot open %s\n", argv[1]);
        return 1;
    }
    WrapRules rules;
    rules.chars_per_column = 40;
    rules.kinsoku_mode = 1;
    rules.line_start_prohibited = utf8_to_sjis("、。，．？！ー々）」』】");
    rules.line_end_prohibited = utf8_to_sjis("（「『【");
    doc.rules = rules;
    LoadSession session;
    start_load(doc, state, session);
    load_all(doc, state, session);
    ::close(state.text_fd);

    FontRequest font;
    FontMetrics metrics;
    QtFonts fonts;
    if (!bench_font("render_bench", fonts, &font, &metrics)) return 1;
    const ScreenFormat format = bench_screen_format();

    ImageSurface surface(WIDTH, HEIGHT);
    ImageSurface blank(WIDTH, HEIGHT);
    Screen s;
    ScreenFormatChanges changes;
    recompute_geometry(format, WIDTH, HEIGHT, metrics, DisplayGeometry{}, &s.geo, &changes);
    s.fmt.font = font;
    s.fmt.font_record_px = 18;
    s.fmt.grid_style = 3;
    s.fmt.mark_flags = 1;
    s.fmt.fill_colour = 0xF0F8FF;
    s.surface = &surface;
    s.blank_page = &blank;
    prepare_screen(s);
    paint_background(s);
    draw_grid(s);
    take_blank_page(s);
    // Past the title and the notes: a screen of running text.
    s.top = display_lines_forward(doc, TextPos(0, 0), 60).pos;
    relayout_screen(doc, s, true);   // warms the glyph cache
    surface.image();

    auto t0 = Clock::now();
    for (int i = 0; i < ROUNDS; ++i) {
        relayout_screen(doc, s, true);
        surface.flush();
    }
    const double ours = seconds_since(t0) / ROUNDS;

    const QString text = screen_text(s);
    QImage image(WIDTH, HEIGHT, QImage::Format_RGB32);
    image.fill(Qt::white);
    const QFont qfont = qt_font_for(font);
    {
        QPainter p(&image);
        p.setFont(qfont);
        p.drawText(QRect(0, 0, WIDTH, HEIGHT), Qt::TextWrapAnywhere, text);   // warms Qt's caches
    }
    t0 = Clock::now();
    for (int i = 0; i < ROUNDS; ++i) {
        QPainter p(&image);
        p.setFont(qfont);
        p.drawText(20, 40, text);
    }
    const double reference = seconds_since(t0) / ROUNDS;

    std::printf("characters on screen       %9lld\n", static_cast<long long>(text.size()));
    std::printf("layout and draw (40x20 v)  %9.3f ms\n", ours * 1000);
    std::printf("QPainter::drawText (same)  %9.3f ms\n", reference * 1000);
    std::printf("render ratio               %9.2f x QPainter\n", reference > 0 ? ours / reference : 0.0);
    bench::print_result("render 40x20 vertical screen / QPainter", reference > 0 ? ours / reference : 0.0, 2.0);
    return 0;
}

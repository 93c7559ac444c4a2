// Times what a keystroke costs the screen: the cursor's screen line changed
// (no change in the number of display lines) and brought up to date through
// apply_view_damage on the image surface, in a large document and in a small
// one cut from its start, the cursor in the middle of each. The cost must not
// grow with the document: prints both and their ratio (aim: at most 1.2).
// Then the same for a typed character: insert_text of one character at the
// cursor, the screen brought up to date, and the Back Space that takes it
// out again (so that every round starts from the same line).
//   relayout_bench FILE        (FILE: the large document, ~2 MB)
#include <fcntl.h>
#include <unistd.h>

#include <QGuiApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "bench/bench_report.h"
#include "bench/bench_screen.h"
#include "display/edit_view.h"
#include "document/display_lines.h"
#include "document/loader.h"
#include "document/storage.h"
#include "editing/cursor.h"
#include "editing/edit_text.h"
#include "platform/codec.h"
#include "platform/messages.h"
#include "platform/qt/image_surface.h"
#include "platform/qt/qt_fonts.h"

namespace {

using namespace rix;
using Clock = std::chrono::steady_clock;
constexpr int ROUNDS = 400;
constexpr int REPEATS = 5;
constexpr int WIDTH = 1200, HEIGHT = 900;
constexpr std::size_t SMALL_BYTES = 20000;

double seconds_since(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

bool load(const std::string& path, Document& doc) {
    DocumentState state;
    state.text_fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (state.text_fd < 0) return false;
    WrapRules rules;
    rules.chars_per_column = 40;
    rules.kinsoku_mode = 1;
    rules.line_start_prohibited = utf8_to_sjis("、。，．？！ー々）」』】");
    rules.line_end_prohibited = utf8_to_sjis("（「『【");
    doc.rules = rules;
    LoadSession session;
    session.options.read_rubies = true;
    start_load(doc, state, session);
    load_all(doc, state, session);
    ::close(state.text_fd);
    return doc.fully_loaded();
}

struct Bench {
    Document doc;
    ImageSurface surface{WIDTH, HEIGHT};
    ImageSurface blank{WIDTH, HEIGHT};
    ImageSurface snapshot{WIDTH, HEIGHT};
    Screen s;
    EditState edit;
    DocumentState state;
    std::uint32_t lines = 0;

    // The stored bytes of a line, its end mark excluded.
    std::string line_bytes(std::uint32_t line) {
        const std::uint8_t* p = doc.line_pointer(line);
        LineScanner scanner(p, MAX_LINE_SCAN);
        ScanItem it;
        do it = scanner.next();
        while (it.kind != ItemKind::LINE_END && it.kind != ItemKind::TEXT_END && it.kind != ItemKind::CUT);
        return std::string(reinterpret_cast<const char*>(p), it.column);
    }

    // The cursor's line: from the middle on, the first line of `text` (the
    // same paragraph in both documents, so that the same work is timed), or
    // when `text` is empty the first that wraps.
    std::uint32_t cursor_line(const std::string& text) {
        for (std::uint32_t line = lines / 2; line + 1 < lines; ++line) {
            if (text.empty() ? doc.lines.display_lines(line) >= 2 : line_bytes(line) == text) return line;
        }
        return lines / 2;
    }

    bool prepare(const std::string& path, const FontRequest& font, const FontMetrics& metrics,
                 const std::string& text) {
        if (!load(path, doc)) return false;
        lines = doc.lines.count();
        const ScreenFormat format = bench_screen_format();
        ScreenFormatChanges changes;
        recompute_geometry(format, WIDTH, HEIGHT, metrics, DisplayGeometry{}, &s.geo, &changes);
        s.fmt.font = font;
        s.fmt.font_record_px = 18;
        s.fmt.grid_style = 3;
        s.fmt.mark_flags = 1;
        s.fmt.fill_colour = 0xF0F8FF;
        s.surface = &surface;
        s.blank_page = &blank;
        s.snapshot = &snapshot;
        prepare_screen(s);
        s.cursor = TextPos(cursor_line(text), 0);
        place_top_line(doc, s, TOP_CENTRE);
        repaint_screen(doc, s, false);
        frame_from_screen(s, 20, &edit.frame);
        edit.frame.top = s.top;
        edit.frame.top_display_line = s.top_display_line;
        edit.cursor.pos = s.cursor;
        edit.cursor.display_line = document_display_line(doc, s.cursor);
        edit.cursor.screen_line = static_cast<int>(display_distance(s.top_display_line, edit.cursor.display_line));
        return true;
    }

    // Best of REPEATS runs of ROUNDS keystrokes' redraws.
    double time_keystrokes() {
        double best = 1e9;
        for (int r = 0; r < REPEATS; ++r) {
            const auto t0 = Clock::now();
            for (int i = 0; i < ROUNDS; ++i) {
                // What the editing layer records after typing into the cursor's line.
                doc.cache.invalidate();
                edit.damage.text = true;
                edit.damage.from_display_line = edit.cursor.display_line;
                apply_view_damage(doc, s, edit);
            }
            surface.flush();
            best = std::min(best, seconds_since(t0) / ROUNDS);
        }
        return best;
    }

    // Best of REPEATS runs of ROUNDS typed characters (typed and taken out
    // again, each with its redraw); the time of one character and its redraw.
    double time_typing() {
        EditContext c{doc, state, edit, nullptr};
        const TextPos at(s.cursor.line(), 2);
        double best = 1e9;
        for (int r = 0; r < REPEATS; ++r) {
            const auto t0 = Clock::now();
            for (int i = 0; i < ROUNDS; ++i) {
                place_cursor(c, at);
                insert_text(c, "a", true);
                apply_view_damage(doc, s, edit);
                const Cursor restore = edit.cursor;
                delete_range(c, at, at, restore);
                apply_view_damage(doc, s, edit);
            }
            surface.flush();
            best = std::min(best, seconds_since(t0) / (2 * ROUNDS));
        }
        return best;
    }
};

// The start of `path` up to the last line end within SMALL_BYTES, with an end-of-text byte.
bool write_small(const std::string& path, const std::string& out) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() < SMALL_BYTES) return false;
    bytes.resize(SMALL_BYTES);
    bytes.resize(bytes.rfind('\n') + 1);
    std::ofstream(out, std::ios::binary) << bytes;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: relayout_bench FILE\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    BatchMessages quiet;
    install_messages(&quiet);

    FontRequest font;
    FontMetrics metrics;
    QtFonts fonts;
    if (!bench_font("relayout_bench", fonts, &font, &metrics)) return 1;

    const std::string large = argv[1];
    const std::string small = large + ".small";
    Bench big, little;
    if (!write_small(large, small) || !little.prepare(small, font, metrics, "")) {
        std::fprintf(stderr, "relayout_bench: cannot load %s\n", small.c_str());
        return 1;
    }
    const std::string paragraph = little.line_bytes(little.s.cursor.line());
    if (!big.prepare(large, font, metrics, paragraph)) {
        std::fprintf(stderr, "relayout_bench: cannot load %s\n", large.c_str());
        return 1;
    }
    if (big.line_bytes(big.s.cursor.line()) != paragraph) {
        std::fprintf(stderr, "relayout_bench: the large document does not repeat the small one's text\n");
        return 1;
    }
    big.time_keystrokes();   // warms the glyph cache
    little.time_keystrokes();
    // Interleaved, best of each: the machine's other load falls on both alike.
    double t_big = 1e9, t_little = 1e9;
    for (int i = 0; i < 3; ++i) {
        t_big = std::min(t_big, big.time_keystrokes());
        t_little = std::min(t_little, little.time_keystrokes());
    }
    std::printf("lines: large %u, small %u; cursor on line %u and %u (%u display lines)\n", big.lines, little.lines,
                big.s.cursor.line(), little.s.cursor.line(), little.doc.lines.display_lines(little.s.cursor.line()));
    std::printf("keystroke redraw (large)   %9.3f ms\n", t_big * 1000);
    std::printf("keystroke redraw (small)   %9.3f ms\n", t_little * 1000);
    std::printf("relayout ratio             %9.2f x small document (aim <= 1.2)\n",
                t_little > 0 ? t_big / t_little : 0.0);
    bench::print_result("keystroke redraw, 2 MB / 20 KB document", t_little > 0 ? t_big / t_little : 0.0, 1.2);

    big.time_typing();
    little.time_typing();
    double type_big = 1e9, type_little = 1e9;
    for (int i = 0; i < 3; ++i) {
        type_big = std::min(type_big, big.time_typing());
        type_little = std::min(type_little, little.time_typing());
    }
    std::printf("typed character (large)    %9.3f ms\n", type_big * 1000);
    std::printf("typed character (small)    %9.3f ms\n", type_little * 1000);
    std::printf("typing ratio               %9.2f x small document (aim <= 1.2)\n",
                type_little > 0 ? type_big / type_little : 0.0);
    bench::print_result("typed character, 2 MB / 20 KB document", type_little > 0 ? type_big / type_little : 0.0,
                        1.2);
    return 0;
}

// The input method on the edit window: the composition drawn in place
// (display/composition), the commit inserted as typed text, the candidate
// list placed beside the cursor's line, and the phrase at the cursor or the
// marked text offered for reconversion (editing/reconversion).
//
// The composition is drawn over the screen without changing the document;
// anything else that redraws the screen meanwhile takes it away, so it is
// drawn again after every redraw it did not make itself.
#include <memory>

#include "app/shell/features.h"
#include "app/edit/editor.h"
#include "app/edit/screen.h"
#include "app/settings/settings_record.h"
#include "app/window/shell_events.h"
#include "display/composition.h"
#include "editing/cursor.h"
#include "editing/dispatch.h"
#include "editing/edit_text.h"
#include "editing/reconversion.h"

namespace rix {

namespace {

class InputMethodGlue {
public:
    InputMethodGlue(Application& app, ScreenState& screen) : app_(app), screen_(screen) {}

    void event(const InputMethodEvent& e) {
        if (!editing_ready(app_)) {
            // Nothing to compose on: a commit still goes in as typed text would.
            if (!e.commit.empty() && app_.window.shell) app_.window.shell->characters_typed(e.commit);
            return;
        }
        own_ = true;
        const CompositionStep step = composition_event(model_, e);
        Screen& s = screen_.screen;
        if (step.restore) restore_under_composition(s, model_);
        replace_for_reconversion(step.replace_from, step.replace_length);
        if (!step.commit.empty() && app_.window.shell) app_.window.shell->characters_typed(step.commit);
        if (step.draw) draw();
        window_changed(app_);
        own_ = false;
        // The caret would stand on the composition's first cell: it comes back at the end.
        if (Gui* gui = app_.window.gui; gui && model_.composing) gui->set_caret(CaretView{});
    }

    InputMethodState state() {
        InputMethodState st;
        st.enabled = true;
        answered_ = Answered{};
        if (!editing_ready(app_)) return st;
        const Screen& s = screen_.screen;
        const int line = model_.first_line >= 0 ? model_.first_line : s.cursor_at.line;
        st.cursor_rect = candidate_rect(s.geo, line);
        if (model_.composing) return st;   // no reconversion while composing
        const EditState& edit = app_.loaded->edit;
        const Document& doc = app_.loaded->document;
        const ReconversionSegment seg =
            reconversion_segment(doc, edit.cursor.pos, edit.mark.on, edit.mark.start, edit.mark.end);
        if (seg.result != ReconversionResult::OK) return st;
        int before = 0;
        st.surrounding = reconversion_text(doc, seg, &before);
        const int all = static_cast<int>(count_chars(st.surrounding));
        st.anchor = before;
        st.cursor = seg.from_marking ? all : before;
        if (seg.from_marking) st.selection = utf8_from_char(st.surrounding, before);
        answered_ = Answered{true, seg, st.cursor, doc.generation, edit.cursor.pos};
        return st;
    }

    // Something else redrew the screen while a composition stands (the
    // window commits it on a click, the wheel and the scroll bar, so this is
    // rare): the lines it covered are drawn again from the cell map, and the
    // composition over them at the cursor.
    void after_redraw() {
        Gui* gui = app_.window.gui;
        if (gui) gui->input_method_changed();   // the cursor's rectangle and text
        if (gui && model_.composing) gui->set_caret(CaretView{});   // the observers before showed it
        if (own_ || !model_.composing || model_.text.bytes.empty()) return;
        Screen& s = screen_.screen;
        s.snapshot_valid = false;   // it may hold the composition now
        restore_under_composition(s, model_);
        own_ = true;
        draw();
        own_ = false;
        if (app_.window.show_surface) app_.window.show_surface();
    }

    const Composition& model() const { return model_; }

private:
    struct Answered {
        bool valid = false;
        ReconversionSegment seg;
        int cursor = 0;                    // characters of the offered text before the cursor
        std::uint64_t generation = 0;      // the document it was taken from
        TextPos at;                        // the cursor then
    };

    static std::size_t count_chars(const std::string& utf8) {
        std::size_t n = 0;
        for (unsigned char b : utf8)
            if ((b & 0xC0) != 0x80) ++n;
        return n;
    }
    static std::string utf8_from_char(const std::string& utf8, int chars) {
        std::size_t at = 0;
        for (int c = 0; at < utf8.size(); ++at) {
            if ((static_cast<unsigned char>(utf8[at]) & 0xC0) != 0x80 && c++ == chars) break;
        }
        return utf8.substr(at);
    }

    CompositionColours colours() const {
        const int slot = shown_screen_slot(app_, screen_);
        return {app_.settings.rec.ime_text_colour[slot], app_.settings.rec.ime_back_colour[slot]};
    }

    // Draws the composition at the cursor, scrolling first when it would run
    // past the last screen line.
    void draw() {
        Screen& s = screen_.screen;
        int line = 0, cell = 0;
        if (!composition_origin(s, &line, &cell)) return;
        const int past = layout_composition(s.geo, line, cell, model_.text).lines_past_end;
        if (past > 0) run_edit(app_, [&](EditContext& c) { scroll_frame(c, past); });
        ensure_snapshot(s);
        draw_composition(s, model_, colours());
    }

    // The commit of a reconversion replaces the text the input method was
    // offered: the range it names, when the document is still the one the
    // offer was made from.
    void replace_for_reconversion(int from, int length) {
        if (length <= 0 || !answered_.valid) return;
        const Document& doc = app_.loaded->document;
        if (doc.generation != answered_.generation || app_.loaded->edit.cursor.pos != answered_.at) return;
        const int first = answered_.cursor + from;
        if (first < 0) return;
        const std::uint32_t a = reconversion_column(doc, answered_.seg, first);
        const std::uint32_t b = reconversion_column(doc, answered_.seg, first + length);
        if (b <= a) return;
        const std::uint32_t line = answered_.seg.line;
        answered_ = Answered{};
        run_edit(app_, [&](EditContext& c) {
            end_marking(c);
            place_cursor(c, TextPos(line, a));
            const Cursor restore = c.edit.cursor;
            delete_range(c, TextPos(line, b), TextPos(line, a), restore);
        });
    }

    Application& app_;
    ScreenState& screen_;
    Composition model_;
    Answered answered_;
    bool own_ = false;                     // inside an event: its redraws are its own
};

}  // namespace

void install_input_method(Application& app) {
    WindowParts& w = app.window;
    if (!w.screen || !w.shell) return;
    auto glue = std::make_shared<InputMethodGlue>(app, *w.screen);
    InputMethodGlue* g = glue.get();
    InputMethodHooks& hooks = w.shell->input_method_hooks();
    hooks.event.set([g](const InputMethodEvent& e) { g->event(e); });
    hooks.state.set([g] { return g->state(); });
    // The subscriber owns the glue: it lives as long as the application's
    // events. The composition is drawn over what every redraw subscriber
    // did (it hides the caret they showed).
    app.events.redraw_overlay.subscribe([glue] { glue->after_redraw(); });
}

}  // namespace rix

// Font services for tests: fixed metrics computed from the size alone, a list
// of faces given by the test, and a font dialog that answers from a script.
// Both record what they were asked.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/fonts.h"

namespace rix {

class FakeFonts final : public FontService {
public:
    // Every face is "installed" except the ones listed in `missing` (code
    // page 932, compared after the Windows-name mapping).
    FontMetrics metrics(const FontRequest& request) override {
        requests.push_back(request);
        FontMetrics m;
        const std::string face = installed_face_for(request.face);
        for (const std::string& gone : missing) {
            if (gone == face) return m;
        }
        m.valid = true;
        m.substituted = face != request.face;
        m.pixel_height = request.pixel_height;
        m.cell_w = request.pixel_width ? request.pixel_width : request.pixel_height;
        m.cell_h = request.pixel_height;
        m.ascent = request.pixel_height * 7 / 8;
        m.descent = request.pixel_height - m.ascent;
        m.fullwidth_advance = request.pixel_width ? request.pixel_width : request.pixel_height;
        m.halfwidth_advance = m.fullwidth_advance / 2;
        return m;
    }
    std::vector<std::string> japanese_faces() override { return faces; }

    std::vector<std::string> missing;
    std::vector<std::string> faces;
    std::vector<FontRequest> requests;
};

class FakeFontChooser final : public FontChooser {
public:
    // Answers in the order scripted by answer_ok / answer_cancel; with
    // nothing scripted the dialog is cancelled.
    bool choose_font(FontChoice* choice) override {
        asked.push_back(*choice);
        if (answers.empty()) return false;
        const Answer a = answers.front();
        answers.pop_front();
        if (!a.ok) return false;
        choice->font = a.font;
        return true;
    }
    void answer_ok(const FontDescription& font) { answers.push_back({true, font}); }
    void answer_cancel() { answers.push_back({false, {}}); }

    struct Answer {
        bool ok;
        FontDescription font;
    };
    std::deque<Answer> answers;
    std::vector<FontChoice> asked;
};

}  // namespace rix

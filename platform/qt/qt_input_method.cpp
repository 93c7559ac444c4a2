// Qt's input-method events and queries, mapped.
#include "platform/qt/qt_input_method.h"

#include <QRect>
#include <QTextCharFormat>

#include <algorithm>

namespace rix {

namespace {

// Characters (code points) of `s` before UTF-16 index `units`.
int chars_before(const QString& s, int units) {
    units = std::clamp(units, 0, static_cast<int>(s.size()));
    int chars = 0;
    for (int i = 0; i < units; ++i)
        if (!s.at(i).isLowSurrogate()) ++chars;
    return chars;
}

// The UTF-16 index of character `chars` of `s`.
int units_before(const QString& s, int chars) {
    int i = 0;
    for (int c = 0; c < chars && i < s.size(); ++c) i += s.at(i).isHighSurrogate() && i + 1 < s.size() ? 2 : 1;
    return i;
}

bool highlighted(const QTextCharFormat& f) {
    return f.hasProperty(QTextFormat::BackgroundBrush) || f.hasProperty(QTextFormat::ForegroundBrush);
}

}  // namespace

InputMethodEvent input_method_event_of(const QInputMethodEvent& e) {
    InputMethodEvent out;
    const QString preedit = e.preeditString();
    out.preedit = preedit.toStdString();
    out.commit = e.commitString().toStdString();
    const int chars = chars_before(preedit, static_cast<int>(preedit.size()));
    out.attributes.assign(static_cast<std::size_t>(chars), 0);
    out.cursor = chars;   // at the end unless the input method says where
    for (const QInputMethodEvent::Attribute& a : e.attributes()) {
        if (a.type == QInputMethodEvent::Cursor) {
            out.cursor = a.length > 0 ? chars_before(preedit, a.start) : -1;
        } else if (a.type == QInputMethodEvent::TextFormat) {
            const QTextCharFormat f = a.value.value<QTextFormat>().toCharFormat();
            if (!highlighted(f)) continue;
            const int from = chars_before(preedit, a.start);
            const int to = chars_before(preedit, a.start + a.length);
            for (int i = from; i < to && i < chars; ++i) out.attributes[static_cast<std::size_t>(i)] |= IME_ATTR_TARGET;
        }
    }
    // The replaced range counts UTF-16 units from the cursor; the state's
    // text tells how many characters they are. Without it, units are taken
    // as characters (the text the input method replaces is ours, in code
    // page 932: no surrogate pairs).
    out.replace_from = static_cast<int>(e.replacementStart());
    out.replace_length = e.replacementLength();
    return out;
}

QVariant input_method_answer(const InputMethodState& state, Qt::InputMethodQuery query) {
    const QString text = QString::fromStdString(state.surrounding);
    switch (query) {
        case Qt::ImEnabled: return state.enabled;
        case Qt::ImCursorRectangle:
            return QRect(state.cursor_rect.x, state.cursor_rect.y, std::max(state.cursor_rect.w, 1),
                         std::max(state.cursor_rect.h, 1));
        case Qt::ImSurroundingText: return text;
        case Qt::ImCursorPosition: return units_before(text, state.cursor);
        case Qt::ImAnchorPosition: return units_before(text, state.anchor);
        case Qt::ImCurrentSelection: return QString::fromStdString(state.selection);
        case Qt::ImTextBeforeCursor: return text.left(units_before(text, state.cursor));
        case Qt::ImTextAfterCursor: return text.mid(units_before(text, state.cursor));
        case Qt::ImHints: return static_cast<int>(Qt::ImhMultiLine);
        default: return QVariant();
    }
}

}  // namespace rix

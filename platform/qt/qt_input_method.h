// Qt's input-method events and queries in the plain form of
// platform/input_method.h: positions turned from UTF-16 units into
// characters and back, clause formats into attribute bits.
#pragma once

#include <QInputMethodEvent>
#include <QVariant>

#include "platform/input_method.h"

namespace rix {

// A highlighted clause (a background or text colour of its own) is the
// target; underlined text is input or converted text. Qt's formats do not
// tell a target that is not converted yet from a converted one, so
// IME_ATTR_UNCONVERTED never comes from here.
InputMethodEvent input_method_event_of(const QInputMethodEvent& e);

// The answer to one query from the state (an invalid QVariant for a query
// the state does not answer). ImCursorRectangle is in edit-view pixels.
QVariant input_method_answer(const InputMethodState& state, Qt::InputMethodQuery query);

}  // namespace rix

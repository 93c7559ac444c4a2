// FakeMessages: the message service of the tests.
//
// Records every message and help request and answers questions from a script
// given in advance; a question the script did not foresee is counted in
// `unexpected` and answered with the choice that changes nothing (cancel for
// yes/no/cancel, no for yes/no).
#include "platform/fake_messages.h"

#include "platform/codec.h"

namespace rix {

FakeMessages::FakeMessages() : previous_(&messages()) { install_messages(this); }

// Fakes nest: the one made last is in charge until it goes.
FakeMessages::~FakeMessages() {
    if (&messages() == this) install_messages(previous_);
}

int FakeMessages::show_message(int kind, WindowRef, std::string_view text, unsigned time_ms) {
    int base = kind & ~MSG_CAPTION;
    int result = MSG_RESULT_OK;
    if (base == MSG_YES_NO_CANCEL || base == MSG_YES_NO) {
        if (!script.empty()) {
            result = script.front();
            script.pop_front();
        } else {
            ++unexpected;
            result = base == MSG_YES_NO_CANCEL ? MSG_RESULT_CANCEL : MSG_RESULT_NO;
        }
    }
    log.push_back(RecordedMessage{kind, std::string(text), time_ms, result});
    return result;
}

void FakeMessages::show_help(std::string_view topic) { help_topics.emplace_back(topic); }

std::string FakeMessages::utf8(std::size_t i) const {
    return i < log.size() ? sjis_to_utf8(log[i].text) : std::string();
}

bool FakeMessages::saw(std::string_view needle_utf8) const {
    for (std::size_t i = 0; i < log.size(); ++i)
        if (utf8(i).find(needle_utf8) != std::string::npos) return true;
    return false;
}

}  // namespace rix

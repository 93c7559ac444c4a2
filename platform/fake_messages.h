// A message service for tests: records every message and answers questions
// from a script given in advance.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/messages.h"

namespace rix {

struct RecordedMessage {
    int kind;              // as passed, MSG_CAPTION included
    std::string text;      // code page 932 bytes
    unsigned time_ms;
    int result;            // what the fake answered
};

class FakeMessages final : public MessageService {
public:
    FakeMessages();        // installs itself
    ~FakeMessages() override;  // restores the service installed before it

    int show_message(int kind, WindowRef owner, std::string_view text, unsigned time_ms) override;
    void show_help(std::string_view topic) override;
    void set_beep(bool on) override { beep = on; }

    // Answers for the next questions, in order. A question with no scripted
    // answer fails the test through `unexpected` and answers cancel/no.
    void answer(int result) { script.push_back(result); }

    // The text of message i converted to UTF-8, for readable assertions.
    std::string utf8(std::size_t i) const;
    // True when some message's UTF-8 text contains `needle`.
    bool saw(std::string_view needle_utf8) const;

    std::vector<RecordedMessage> log;
    std::vector<std::string> help_topics;
    std::deque<int> script;
    int unexpected = 0;    // questions asked with an empty script
    bool beep = true;

private:
    MessageService* previous_;
};

}  // namespace rix

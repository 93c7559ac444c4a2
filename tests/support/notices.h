// Reading what an operation reported (document/notices.h) in tests, and
// answering its questions from a script.
#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "document/notices.h"

namespace rix::test {

// The notices of a `Notices`, read as a message log: log[i].utf8,
// log[i].time_ms, log[i].owner, and whether some text holds a needle.
struct SeenNotices {
    explicit SeenNotices(Notices& notices) : log(notices.items) {}
    std::vector<Notice>& log;
    std::string utf8(std::size_t i) const { return i < log.size() ? log[i].utf8 : std::string(); }
    bool saw(std::string_view needle) const {
        return std::any_of(log.begin(), log.end(),
                           [&](const Notice& n) { return n.utf8.find(needle) != std::string::npos; });
    }
};

// Answers yes/no questions from a script given in advance and keeps what
// was asked. A question with no scripted answer is counted in `unexpected`
// and answered no.
class ScriptedQuestions final : public Questions {
public:
    bool yes_no(std::string_view utf8, std::uintptr_t owner = 0) override {
        asked.emplace_back(utf8);
        owners.push_back(owner);
        if (answers.empty()) {
            ++unexpected;
            return false;
        }
        const bool yes = answers.front();
        answers.pop_front();
        return yes;
    }

    std::deque<bool> answers;
    std::vector<std::string> asked;     // UTF-8, in order
    std::vector<std::uintptr_t> owners;
    int unexpected = 0;
};

}  // namespace rix::test

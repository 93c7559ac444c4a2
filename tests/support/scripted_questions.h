// Questions answered from a script given in advance, for the operations
// below app/ that ask the writer something half-way through.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "document/notices.h"

namespace rix::test {

class ScriptedQuestions : public Questions {
public:
    // Answers for the next questions, in order. A question with no scripted
    // answer counts in `unexpected` and is answered no.
    void answer(bool yes) { answers.push_back(yes); }

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

    // True when some question asked contains `needle`.
    bool asked_about(std::string_view needle) const {
        for (const std::string& q : asked)
            if (q.find(needle) != std::string::npos) return true;
        return false;
    }

    std::vector<std::string> asked;          // UTF-8, in order
    std::vector<std::uintptr_t> owners;      // the owner of each
    std::deque<bool> answers;                // what is left of the script
    int unexpected = 0;
};

}  // namespace rix::test

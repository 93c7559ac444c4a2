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
#include "tests/support/scripted_questions.h"

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

}  // namespace rix::test

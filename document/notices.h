// What an operation below app/ has to tell the writer. The layers under app/
// never open a message box: they return a status and the notices to show, in
// order, and app/ shows them (show_notices). Where an operation needs a
// decision half-way through, its caller passes a `Questions`.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace rix {

// One notice: UTF-8 text ("\n" between lines), how long it stands, and the
// window it belongs to (0: none, centred on the screen).
struct Notice {
    std::string utf8;
    unsigned time_ms = 0;
    std::uintptr_t owner = 0;
};

// The notices of one operation, in the order they arose.
struct Notices {
    std::vector<Notice> items;
    void add(std::string utf8, unsigned time_ms, std::uintptr_t owner = 0) {
        items.push_back(Notice{std::move(utf8), time_ms, owner});
    }
    void append(const Notices& other) { items.insert(items.end(), other.items.begin(), other.items.end()); }
    bool empty() const { return items.empty(); }
};

// A decision the writer makes in the middle of an operation. app/ answers
// through the message box (or, in batch mode, with the answer that loses
// nothing); a test answers from a script.
class Questions {
public:
    virtual ~Questions() = default;
    // A yes/no question (UTF-8); true for yes.
    virtual bool yes_no(std::string_view utf8, std::uintptr_t owner = 0) = 0;
};

}  // namespace rix

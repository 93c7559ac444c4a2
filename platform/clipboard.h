// The system clipboard, as Unicode text (UTF-8 here).
#pragma once

#include <string>

namespace rix {

class Clipboard {
public:
    virtual ~Clipboard() = default;
    // False when the clipboard could not take the text.
    virtual bool set_text(const std::string& utf8) = 0;
    // False when the clipboard holds no text.
    virtual bool get_text(std::string* utf8) = 0;
};

// A clipboard held in memory, for tests and batch runs.
class FakeClipboard final : public Clipboard {
public:
    bool set_text(const std::string& utf8) override {
        if (fail_next_set) {
            fail_next_set = false;
            return false;
        }
        text = utf8;
        has_text = true;
        return true;
    }
    bool get_text(std::string* utf8) override {
        if (!has_text) return false;
        *utf8 = text;
        return true;
    }
    std::string text;
    bool has_text = false;
    bool fail_next_set = false;
};

}  // namespace rix

// The system clipboard on Qt: Unicode text in and out.
#pragma once

#include "platform/clipboard.h"

namespace rix {

class QtClipboard final : public Clipboard {
public:
    bool set_text(const std::string& utf8) override;
    bool get_text(std::string* utf8) override;
};

}  // namespace rix

// The output-path edit of the writers' dialogs (PDF_DB, EPUB_DB). Paths are
// UTF-8, the edit holds code page 932: a path the user has not retyped is
// kept as it was given (a folder name outside code page 932 survives), a
// retyped one is read back from the edit.
#pragma once

#include <string>
#include <utility>

#include "platform/codec.h"
#include "platform/dialogs.h"

namespace rix {

class PathEdit {
public:
    explicit PathEdit(int id) : id_(id) {}
    void show(DialogContext& ctx, std::string utf8) {
        path_ = std::move(utf8);
        ctx.set_text(id_, utf8_to_sjis(path_));
        shown_ = ctx.get_text(id_);
    }
    // The path given while the edit still shows it (the edit may have lost
    // characters or bytes of it), else the edit's own text.
    std::string path(const DialogContext& ctx) const {
        const std::string shown = ctx.get_text(id_);
        return shown == shown_ ? path_ : sjis_to_utf8(shown);
    }

private:
    int id_;
    std::string path_;    // UTF-8: the path the edit was last given
    std::string shown_;   // code page 932: what the edit showed for it
};

}  // namespace rix

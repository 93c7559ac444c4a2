// Opening and closing the edited document's text file, and the kind check.
#include "document/document_state.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/codec.h"
#include "platform/files.h"
#include "platform/messages.h"

namespace rix {
namespace {

// UTF-16 text without a byte-order mark: ASCII characters leave a NUL in
// every other byte. Judged on the first 1000 bytes (an even count).
bool looks_like_utf16(const std::string& head) {
    std::size_t n = std::min<std::size_t>(head.size(), 1000) & ~std::size_t{1};
    if (n < 8) return false;   // too little to tell: a NUL makes it no document
    std::size_t even_nul = 0, odd_nul = 0;
    for (std::size_t i = 0; i < n; i += 2) {
        even_nul += head[i] == '\0';
        odd_nul += head[i + 1] == '\0';
    }
    std::size_t pairs = n / 2;
    // Mostly one side NUL and the other side not: the shape of UTF-16.
    return (odd_nul * 2 > pairs && even_nul * 8 < pairs) || (even_nul * 2 > pairs && odd_nul * 8 < pairs);
}

}  // namespace

DocumentKind classify_document_bytes(const std::string& head) {
    std::size_t first_nul = head.find('\0');
    std::size_t bom = head.find("\xFF\xFE");
    if (bom != std::string::npos && (first_nul == std::string::npos || bom < first_nul))
        return DocumentKind::UNICODE_TEXT;
    if (head.size() >= 2 && head[0] == '\xFE' && head[1] == '\xFF') return DocumentKind::UNICODE_TEXT;
    if (first_nul == std::string::npos) return DocumentKind::TEXT;
    if (looks_like_utf16(head)) return DocumentKind::UNICODE_TEXT;
    return DocumentKind::NOT_TEXT;
}

DocumentKind check_document_kind(const std::string& path) {
    std::string head;
    if (!read_file_prefix(path, KIND_CHECK_BYTES, &head)) return DocumentKind::UNREADABLE;
    return classify_document_bytes(head);
}

bool accept_document_kind(DocumentKind kind, std::uintptr_t owner) {
    switch (kind) {
    case DocumentKind::TEXT:
        return true;
    case DocumentKind::UNICODE_TEXT:
        show_message(MSG_NOTICE, owner,
                     utf8_to_sjis("この文書はＵＮＩＣＯＤＥファイルです｡\nUNICODE版『ミルトア』をご使用ください。"), 5000);
        return false;
    case DocumentKind::NOT_TEXT:
        show_message(MSG_NOTICE, owner, utf8_to_sjis("非文書ファイルです｡"), 2000);
        return false;
    case DocumentKind::UNREADABLE:
        show_message(MSG_NOTICE, owner, utf8_to_sjis("文書ファイルを読めません｡"), 3000);
        return false;
    }
    return false;
}

bool open_document_file(DocumentState* doc, const std::string& path, std::uintptr_t owner) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        show_message(MSG_NOTICE, owner, utf8_to_sjis("文書ファイルを開けません｡\n" + path), 3000);
        return false;
    }
    struct stat st {};
    ::fstat(fd, &st);
    doc->text_fd = fd;
    doc->file_length = st.st_size;
    doc->opened_path = path;
    if (is_read_only(path)) {
        show_message(MSG_NOTICE, owner,
                     utf8_to_sjis("この文書は読取専用ファイルか\n他のユーザーが使用中です。\n"
                                  "編集結果を保存する場合は\n「名前を付けて保存」を実行してください。"),
                     8000);
        doc->in_use_mark_held = false;
    } else {
        doc->in_use_mark_held = set_in_use_mark(path, &doc->saved_mode);
    }
    return true;
}

void close_document(DocumentState* doc, bool delete_if_unchanged_new) {
    if (doc->text_fd >= 0) ::close(doc->text_fd);
    doc->text_fd = -1;
    if (doc->in_use_mark_held) {
        clear_in_use_mark(doc->save_name.empty() ? doc->opened_path : doc->save_name, doc->saved_mode);
        doc->in_use_mark_held = false;
    }
    if (delete_if_unchanged_new && doc->created_new && (doc->modified & MODIFIED_TEXT) == 0 &&
        !doc->save_name.empty())
        ::unlink(doc->save_name.c_str());
    doc->created_new = false;
}

}  // namespace rix

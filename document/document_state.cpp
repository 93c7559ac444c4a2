// Opening and closing the edited document's text file, and the kind check.
#include "document/document_state.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "document/extension_file.h"
#include "platform/codec.h"
#include "platform/files.h"

namespace rix {
namespace {

constexpr std::size_t UTF16_SAMPLE_BYTES = 1000;   // the NUL pattern is judged on this much
constexpr std::size_t KIND_PIECE_BYTES = 16 * 1024;

// UTF-16 text without a byte-order mark: ASCII characters leave a NUL in
// every other byte. Judged on the first 1000 bytes (an even count).
bool looks_like_utf16(const std::string& head) {
    std::size_t n = std::min<std::size_t>(head.size(), UTF16_SAMPLE_BYTES) & ~std::size_t{1};
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

// The kind of a file judged from its first bytes, fed in pieces in order.
// Only the bytes up to the first NUL are searched for the byte-order mark
// FF FE (which may straddle two pieces), and the first 1000 are kept for
// the UTF-16 pattern; so the judgement is decided early, as soon as a mark
// stands before every NUL or a NUL was met with the sample complete.
class KindScan {
public:
    void feed(const char* p, std::size_t n) {
        if (sample_.size() < UTF16_SAMPLE_BYTES) sample_.append(p, std::min(n, UTF16_SAMPLE_BYTES - sample_.size()));
        if (nul_ || mark_ || n == 0) return;
        const void* z = std::memchr(p, 0, n);
        const std::size_t upto = z ? static_cast<std::size_t>(static_cast<const char*>(z) - p) : n;
        if (last_ff_ && upto > 0 && p[0] == '\xFE') mark_ = true;
        for (const char* q = p; !mark_ && q < p + upto; ++q) {
            q = static_cast<const char*>(std::memchr(q, 0xFF, static_cast<std::size_t>(p + upto - q)));
            if (!q) break;
            if (q + 1 < p + upto && q[1] == '\xFE') mark_ = true;
        }
        nul_ = z != nullptr;
        last_ff_ = upto == n && p[n - 1] == '\xFF';
    }
    bool decided() const { return mark_ || (nul_ && sample_.size() >= UTF16_SAMPLE_BYTES); }
    DocumentKind kind() const {
        if (mark_) return DocumentKind::UNICODE_TEXT;
        if (sample_.size() >= 2 && sample_[0] == '\xFE' && sample_[1] == '\xFF') return DocumentKind::UNICODE_TEXT;
        if (!nul_) return DocumentKind::TEXT;
        return looks_like_utf16(sample_) ? DocumentKind::UNICODE_TEXT : DocumentKind::NOT_TEXT;
    }

private:
    std::string sample_;     // the first bytes, at most UTF16_SAMPLE_BYTES
    bool nul_ = false;       // a NUL was met
    bool mark_ = false;      // FF FE stands before the first NUL
    bool last_ff_ = false;   // the bytes so far (no NUL among them) end with FF
};

}  // namespace

DocumentKind classify_document_bytes(const std::string& head) {
    KindScan scan;
    scan.feed(head.data(), head.size());
    return scan.kind();
}

DocumentKind check_document_kind(const std::string& path) {
    const int fd = open_regular_file(path);
    if (fd < 0) return DocumentKind::UNREADABLE;
    ExtensionHeader header;
    if (read_extension_header(path, &header) == ExtensionStatus::OK && header.encrypted) {
        ::close(fd);
        return DocumentKind::ENCRYPTED;
    }
    KindScan scan;
    char piece[KIND_PIECE_BYTES];
    std::size_t total = 0;
    bool ok = true;
    while (total < KIND_CHECK_BYTES && !scan.decided()) {
        const ssize_t n = ::read(fd, piece, std::min(sizeof piece, KIND_CHECK_BYTES - total));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        scan.feed(piece, static_cast<std::size_t>(n));
        total += static_cast<std::size_t>(n);
    }
    ::close(fd);
    return ok ? scan.kind() : DocumentKind::UNREADABLE;
}

bool accept_document_kind(DocumentKind kind, std::uintptr_t owner, Notices* notices) {
    Notices dropped;
    Notices& out = notices ? *notices : dropped;
    switch (kind) {
    case DocumentKind::TEXT:
    case DocumentKind::ENCRYPTED:
        return true;
    case DocumentKind::UNICODE_TEXT:
        out.add("この文書はＵＮＩＣＯＤＥファイルです｡\nUNICODE版『ミルトア』をご使用ください。", 5000, owner);
        return false;
    case DocumentKind::NOT_TEXT:
        out.add("非文書ファイルです｡", 2000, owner);
        return false;
    case DocumentKind::UNREADABLE:
        out.add("文書ファイルを読めません｡", 3000, owner);
        return false;
    }
    return false;
}

std::string path_kind_reason(PathKind kind) {
    switch (kind) {
    case PathKind::REGULAR: return {};
    case PathKind::MISSING: return "ファイルがありません｡";
    case PathKind::FOLDER: return "これはフォルダです｡";
    case PathKind::FIFO: return "これは名前付きパイプ（FIFO）で､文書ファイルではありません｡";
    case PathKind::DEVICE: return "これはデバイスで､文書ファイルではありません｡";
    case PathKind::SOCKET: return "これはソケットで､文書ファイルではありません｡";
    case PathKind::LINK_LOOP: return "シンボリックリンクが循環しています｡";
    case PathKind::BROKEN_LINK: return "シンボリックリンクの指す先がありません｡";
    case PathKind::NO_ACCESS: return "読取りが許されていません｡";
    case PathKind::OTHER: return {};
    }
    return {};
}

std::string unopenable_file_text(const std::string& path, PathKind kind) {
    std::string why = path_kind_reason(kind);
    return "文書ファイルを開けません｡\n" + path + (why.empty() ? "" : "\n" + why);
}

int open_text_file(const std::string& path, std::uintptr_t owner, Notices* notices) {
    PathKind kind = PathKind::OTHER;
    int fd = open_regular_file(path, &kind);
    if (fd < 0 && notices) notices->add(unopenable_file_text(path, kind), 3000, owner);
    return fd;
}

bool open_document_file(DocumentState* doc, const std::string& path, std::uintptr_t owner, Notices* notices) {
    int fd = open_text_file(path, owner, notices);
    if (fd < 0) return false;
    struct stat st {};
    ::fstat(fd, &st);
    doc->text_fd = fd;
    doc->file_length = st.st_size;
    doc->opened_length = st.st_size;
    doc->opened_time = st.st_mtime;
    doc->opened_path = path;
    if (is_read_only(path)) {
        if (notices)
            notices->add("この文書は読取専用ファイルか\n他のユーザーが使用中です。\n"
                         "編集結果を保存する場合は\n「名前を付けて保存」を実行してください。",
                         8000, owner);
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

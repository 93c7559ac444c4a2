// Encrypted documents on disk (see encryption.h).
#include "document/encryption.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "document/storage.h"
#include "platform/codec.h"
#include "platform/files.h"

namespace rix {
namespace {

constexpr std::size_t PIECE_BYTES = 1u << 20;

bool read_fully(int fd, std::uint64_t offset, char* out, std::size_t n) {
    std::size_t got = 0;
    while (got < n) {
        ssize_t r = ::pread(fd, out + got, n - got, static_cast<off_t>(offset + got));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        got += static_cast<std::size_t>(r);
    }
    return true;
}

bool write_fully(int fd, std::uint64_t offset, const char* data, std::size_t n) {
    std::size_t put = 0;
    while (put < n) {
        ssize_t r = ::pwrite(fd, data + put, n - put, static_cast<off_t>(offset + put));
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) return false;
        put += static_cast<std::size_t>(r);
    }
    return true;
}

std::uint64_t size_of(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 && st.st_size > 0 ? static_cast<std::uint64_t>(st.st_size) : 0;
}

// The file deciphered with `key` in one pass into an anonymous memory file,
// when what comes out looks like a saved text; else -1 (and nothing kept).
int deciphered_copy(int fd, std::uint64_t size, const CipherKey& key) {
    if (size == 0) return -1;
    int plain = ::memfd_create("rix-plain-text", MFD_CLOEXEC);
    if (plain < 0) return -1;
    CipherStream stream(key);
    std::vector<char> piece(PIECE_BYTES);
    std::string head;
    char last = 0;
    bool ok = true;
    for (std::uint64_t at = 0; ok && at < size;) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(size - at, piece.size()));
        ok = read_fully(fd, at, piece.data(), n);
        if (!ok) break;
        stream.process(piece.data(), n);
        if (head.size() < PLAIN_CHECK_BYTES)
            head.append(piece.data(), std::min(n, PLAIN_CHECK_BYTES - head.size()));
        last = piece[n - 1];
        ok = write_fully(plain, at, piece.data(), n);
        at += n;
    }
    if (ok && looks_like_plain_text(head, last)) return plain;
    ::close(plain);
    return -1;
}

}  // namespace

bool looks_like_plain_text(std::string_view head, char last_byte) {
    if (last_byte != static_cast<char>(TEXT_END_MARK)) return false;
    head = head.substr(0, std::min(head.size(), PLAIN_CHECK_BYTES));
    // The end mark itself may stand in the head of a short text.
    return head.find('\0') == std::string_view::npos;
}

bool cipher_file_in_place(int fd, std::string_view key_text, KeyForm form) {
    const std::uint64_t size = size_of(fd);
    CipherStream stream(derive_cipher_key(key_text, form));
    std::vector<char> piece(PIECE_BYTES);
    for (std::uint64_t at = 0; at < size;) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(size - at, piece.size()));
        if (!read_fully(fd, at, piece.data(), n)) return false;
        stream.process(piece.data(), n);
        if (!write_fully(fd, at, piece.data(), n)) return false;
        at += n;
    }
    return true;
}

int unlock_encrypted_file(int fd, std::string_view key_text, KeyForm* form) {
    const std::uint64_t size = size_of(fd);
    for (KeyForm f : {KeyForm::STRONG, KeyForm::EXPORT}) {
        const int plain = deciphered_copy(fd, size, derive_cipher_key(key_text, f));
        if (plain >= 0) {
            if (form) *form = f;
            return plain;
        }
    }
    return -1;
}

std::string key_file_path(const std::string& key_folder, const std::string& document_path) {
    if (key_folder.empty() || document_path.empty()) return {};
    std::string name = name_of(document_path);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    if (name.empty()) return {};
    return join_path(key_folder, name + ".key");
}

bool read_key_file(const std::string& path, std::string* key) {
    key->clear();
    if (path.empty()) return false;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    // One byte more than is kept: a double-byte character across the limit is seen whole.
    std::string bytes(KEY_TEXT_MAX_BYTES + 1, '\0');
    std::size_t got = 0;
    while (got < bytes.size()) {
        ssize_t r = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (r < 0 && errno == EINTR) continue;
        if (r <= 0) break;
        got += static_cast<std::size_t>(r);
    }
    ::close(fd);
    bytes.resize(got);
    // A key cut at the limit keeps whole characters only.
    bytes.resize(cut_on_boundary(bytes, KEY_TEXT_MAX_BYTES));
    *key = bytes;
    return !key->empty();
}

bool write_key_file(const std::string& path, std::string_view key) {
    if (path.empty()) return false;
    // Made private before the key is in it: the replacement keeps the mode.
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) ::close(fd);
    if (!atomic_replace(path, key)) return false;
    ::chmod(path.c_str(), 0600);
    return true;
}

}  // namespace rix

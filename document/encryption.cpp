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

// The length of the UTF-8 sequence a byte >= 0xC0 begins (the check of the
// codec judges the rest).
std::size_t utf8_sequence_length(std::uint8_t lead) { return lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2; }

// The file deciphered with `key` in one pass into an anonymous memory file,
// when what comes out is a text; else -1 (and nothing kept). A text too short
// to prove the key gives *check UNVERIFIED. Without `check` nothing is judged.
int deciphered_copy(int fd, std::uint64_t size, const CipherKey& key, KeyCheck* check) {
    KeyCheck unjudged = KeyCheck::RIGHT;
    const bool judge = check != nullptr;
    if (!judge) check = &unjudged;
    *check = KeyCheck::WRONG;
    if (size == 0 && judge) return -1;
    int plain = ::memfd_create("rix-plain-text", MFD_CLOEXEC);
    if (plain < 0) return -1;
    CipherStream stream(key);
    std::vector<char> piece(PIECE_BYTES);
    DecipheredTextCheck text;
    bool ok = true;
    for (std::uint64_t at = 0; ok && at < size;) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(size - at, piece.size()));
        ok = read_fully(fd, at, piece.data(), n);
        if (!ok) break;
        stream.process(piece.data(), n);
        if (judge) text.feed(std::string_view(piece.data(), n));
        ok = !text.hopeless() && write_fully(plain, at, piece.data(), n);
        at += n;
    }
    if (ok) *check = judge ? text.verdict() : KeyCheck::RIGHT;
    if (*check != KeyCheck::WRONG) return plain;
    ::close(plain);
    return -1;
}

}  // namespace

void DecipheredTextCheck::feed(std::string_view piece) {
    for (char c : piece) {
        const auto b = static_cast<std::uint8_t>(c);
        if (ended_ || b == 0x00) stray_ = true;
        if (pending_lead_) {
            pending_lead_ = false;
            if (!is_trail_byte(b)) sjis_ok_ = false;
        } else if (is_lead_byte(b)) {
            pending_lead_ = true;
        } else if (is_never_text_byte(b) && b != TEXT_END_MARK) {
            sjis_ok_ = false;
        }
        if (b == TEXT_END_MARK) ended_ = true;
    }
    bytes_ += piece.size();
    if (utf8_ok_) feed_utf8(piece);
}

void DecipheredTextCheck::feed_utf8(std::string_view piece) {
    std::string joined;
    if (!utf8_carry_.empty()) {
        joined = utf8_carry_ + std::string(piece);
        piece = joined;
    }
    utf8_carry_.clear();
    if (!check_utf8(piece, true).valid) {
        utf8_ok_ = false;
        return;
    }
    // A sequence cut by the end of the piece is judged with the next one.
    for (std::size_t back = 1; back <= 3 && back <= piece.size(); ++back) {
        const auto b = static_cast<std::uint8_t>(piece[piece.size() - back]);
        if (b < 0x80) break;
        if (b >= 0xC0) {
            if (utf8_sequence_length(b) > back) utf8_carry_ = std::string(piece.substr(piece.size() - back));
            break;
        }
    }
}

KeyCheck DecipheredTextCheck::verdict() const {
    if (bytes_ == 0 || !ended_ || stray_) return KeyCheck::WRONG;
    const bool sjis = sjis_ok_ && !pending_lead_;
    const bool utf8 = utf8_ok_ && utf8_carry_.empty();
    if (!sjis && !utf8) return KeyCheck::WRONG;
    return bytes_ >= KEY_VERIFIED_BYTES ? KeyCheck::RIGHT : KeyCheck::UNVERIFIED;
}

KeyCheck check_deciphered_text(std::string_view text) {
    DecipheredTextCheck check;
    check.feed(text);
    return check.verdict();
}

int decipher_own_file(int fd, std::string_view key_text, KeyForm form) {
    return deciphered_copy(fd, size_of(fd), derive_cipher_key(key_text, form), nullptr);
}

KeyCheck check_file_text(int fd) {
    const std::uint64_t size = size_of(fd);
    std::vector<char> piece(static_cast<std::size_t>(std::min<std::uint64_t>(size, PIECE_BYTES)));
    DecipheredTextCheck text;
    for (std::uint64_t at = 0; at < size && !text.hopeless();) {
        const std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(size - at, piece.size()));
        if (!read_fully(fd, at, piece.data(), n)) return KeyCheck::WRONG;
        text.feed(std::string_view(piece.data(), n));
        at += n;
    }
    return text.verdict();
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

int unlock_encrypted_file(int fd, std::string_view key_text, KeyForm* form, KeyCheck* check) {
    const std::uint64_t size = size_of(fd);
    int taken = -1;
    KeyForm taken_form = KeyForm::STRONG;
    for (KeyForm f : {KeyForm::STRONG, KeyForm::EXPORT}) {
        KeyCheck c = KeyCheck::WRONG;
        const int plain = deciphered_copy(fd, size, derive_cipher_key(key_text, f), &c);
        if (plain < 0) continue;
        if (c == KeyCheck::RIGHT) {
            if (taken >= 0) ::close(taken);
            if (form) *form = f;
            if (check) *check = KeyCheck::RIGHT;
            return plain;
        }
        if (taken >= 0) {
            ::close(plain);   // the strong form's short text stays the first choice
            continue;
        }
        taken = plain;
        taken_form = f;
    }
    if (taken >= 0 && form) *form = taken_form;
    if (check) *check = taken >= 0 ? KeyCheck::UNVERIFIED : KeyCheck::WRONG;
    return taken;
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

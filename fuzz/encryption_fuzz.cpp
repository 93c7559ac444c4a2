// Fuzz target for encrypted documents: unlocking with the right key and with
// a wrong one, and the key files.
//
//   OFFSET  SIZE  MEANING
//   0       1     bit 0 the key form the text is enciphered with (1 export, 0 strong)
//   1       1     length L of the key text
//   2       L     the key text
//   2+L     ...   the file: taken as it is (an enciphered file of any bytes), and
//                 as the plain text of a saved document enciphered here
//
// What the reader promises: a key is taken only when the text it gives looks
// like a saved text (it ends in the end mark and holds no NUL in its first
// 64 KiB), and that text loads into a sound document; the right key gives the
// plain text back byte for byte; a wrong key gives nothing for a text long
// enough to tell (shorter texts can only be told apart by chance); a key file
// reads back the key written, cut to whole characters.
#include <sys/mman.h>

#include "document/encryption.h"
#include "fuzz/fuzz_entries.h"
#include "platform/codec.h"
#include "fuzz/fuzz_target.h"

namespace {

// Texts at least this long are told from a wrong key's output for certain
// in practice: random bytes pass the text check about 0.93^n of the time
// (a proven key needs far fewer; this keeps the fuzzer's own trials from
// ever meeting the one-in-ten-million chance).
constexpr std::size_t TELLING_BYTES = 4096;

std::string contents(int fd) {
    std::string out;
    char buf[65536];
    off_t at = 0;
    ssize_t r;
    while ((r = ::pread(fd, buf, sizeof buf, at)) > 0) {
        out.append(buf, static_cast<std::size_t>(r));
        at += r;
    }
    return out;
}

// Unlocks `file` with `key`; "" (and *plain empty) when it does not open.
std::string unlock(std::string_view file, std::string_view key, std::string* plain, rix::KeyForm* form) {
    plain->clear();
    int fd = rix::fuzz::memory_file(file);
    if (fd < 0) return "";
    int opened = rix::unlock_encrypted_file(fd, key, form);
    ::close(fd);
    if (opened < 0) return "";
    *plain = contents(opened);
    ::close(opened);
    if (plain->size() != file.size()) return "the plain text differs in length from the file";
    if (plain->empty() || rix::check_deciphered_text(*plain) == rix::KeyCheck::WRONG)
        return "a key was taken that gives no text";
    return "";
}

std::string encryption_entry(const std::uint8_t* data, std::size_t size) {
    std::string_view in = rix::fuzz::bytes_of(data, size);
    const std::uint8_t flags = rix::fuzz::take_flags(&in);
    const std::size_t key_length = std::min<std::size_t>(rix::fuzz::take_flags(&in), in.size());
    const std::string key(in.substr(0, key_length));
    const std::string_view file = in.substr(key_length);
    const rix::KeyForm form = flags & 1 ? rix::KeyForm::EXPORT : rix::KeyForm::STRONG;

    // Any bytes as an enciphered file: what a key opens must load soundly.
    std::string plain;
    rix::KeyForm got = rix::KeyForm::STRONG;
    if (std::string bad = unlock(file, key, &plain, &got); !bad.empty()) return "any file: " + bad;
    if (!plain.empty()) {
        rix::fuzz::LoadCase c;
        c.text = plain;
        if (std::string bad = rix::fuzz::run_load_case(c); !bad.empty()) return "unlocked text: " + bad;
    }

    // The file as a saved document's text (whole code page 932 characters,
    // no NUL, the end mark last, as a save writes it), enciphered.
    const std::string_view raw = file.substr(0, std::min(file.find('\x1A'), file.size()));
    std::string text;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const auto b = static_cast<std::uint8_t>(raw[i]);
        if (rix::is_lead_byte(b) && i + 1 < raw.size() && rix::is_trail_byte(static_cast<std::uint8_t>(raw[i + 1]))) {
            text.append(raw.substr(i, 2));
            ++i;
        } else if (rix::is_lead_byte(b) || rix::is_never_text_byte(b)) {
            text += ' ';
        } else {
            text += raw[i];
        }
    }
    text += '\x1A';
    int fd = rix::fuzz::memory_file(text);
    if (fd < 0) return "";
    if (!rix::cipher_file_in_place(fd, key, form)) return "enciphering failed";
    const std::string locked = contents(fd);
    ::close(fd);
    if (locked.size() != text.size()) return "enciphering changed the length";
    if (std::string bad = unlock(locked, key, &plain, &got); !bad.empty()) return "right key: " + bad;
    const bool telling = text.size() >= TELLING_BYTES;
    if (plain.empty()) return "the right key does not open the document";
    if (got == form && plain != text) return "the right key gives another text";
    if (telling && (got != form || plain != text)) return "the other key form was taken";
    if (unlock(locked, key + "!", &plain, &got) != "") return "wrong key: a key was taken that gives no text";
    if (telling && !plain.empty()) return "a wrong key opens the document";

    // The key file: the key back, cut to whole characters within its limit.
    const std::string folder = rix::fuzz::scratch_folder();
    const std::string path = rix::key_file_path(folder, folder + "/\x8C\xB4\x8D\x65.txt");
    std::string back;
    ::unlink(path.c_str());
    if (!rix::write_key_file(path, key)) return "key file not written";
    const bool read = rix::read_key_file(path, &back);
    std::string expected = key.substr(0, rix::cut_on_boundary(key, rix::KEY_TEXT_MAX_BYTES));
    if (read != !expected.empty() || back != expected) return "key file reads back another key";
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || (st.st_mode & 077) != 0) return "key file readable by others";
    return "";
}

}  // namespace

RIX_FUZZ_TARGET(encryption, encryption_entry)

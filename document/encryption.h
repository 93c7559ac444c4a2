// Encrypted documents on disk: the whole text file is one cipher stream
// (platform/cipher.h), the same length as the plain text, marked in the
// extension file's header. The editor never reads an encrypted file in
// place: an unlocked document is read from a decrypted copy held in memory,
// so the loader and the save's copy of an unloaded rest see plain text.
//
// A key is judged on the whole deciphered text: it must be a text this
// program writes (every character valid code page 932 by the codec's byte
// classes, or well-formed UTF-8 for a UTF-8 document; no NUL; one 0x1A, at
// the very end). Random bytes pass that test with a chance of about
// 0.93^n for n bytes, so a text of KEY_VERIFIED_BYTES or more tells a wrong
// key apart for certain, and a shorter one is only "not refuted": the
// caller is told (KeyCheck::UNVERIFIED) and says so. A wrong key therefore
// never silently gives a garbled document that a save could write over the
// encrypted original.
//
// Key files: key_folder/<document name without extension>.key holding the
// key text as typed, no terminator, at most 255 bytes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/cipher.h"

namespace rix {

constexpr std::size_t KEY_TEXT_MAX_BYTES = 255;
// From this many bytes on (end mark included), a deciphered text that passes
// the test proves its key: random bytes would pass about once in 10^7 tries.
constexpr std::size_t KEY_VERIFIED_BYTES = 160;

// What a deciphered text says about its key.
enum class KeyCheck : std::uint8_t {
    WRONG,        // no text this program writes: the key is wrong
    UNVERIFIED,   // a text, but too short to be told from chance
    RIGHT,        // a text long enough to prove the key
};

// Judges a text fed in pieces of any size (a character may be cut between
// two pieces). Costs one pass over the bytes and a few bytes of state.
class DecipheredTextCheck {
public:
    void feed(std::string_view piece);
    KeyCheck verdict() const;
    // True once no further bytes can make the text pass.
    bool hopeless() const { return stray_ || (!sjis_ok_ && !utf8_ok_); }

private:
    void feed_utf8(std::string_view piece);

    std::uint64_t bytes_ = 0;      // bytes fed
    bool stray_ = false;           // a NUL, or a byte after the first 0x1A
    bool ended_ = false;           // a 0x1A was fed (the last byte, unless stray_)
    bool sjis_ok_ = true;          // valid code page 932 so far
    bool pending_lead_ = false;    // the last byte fed was a lead byte
    bool utf8_ok_ = true;          // well-formed UTF-8 so far
    std::string utf8_carry_;       // a UTF-8 sequence cut by the end of the last piece (<= 3 bytes)
};

// The check of a whole text at once.
KeyCheck check_deciphered_text(std::string_view text);
// The same check of the file open at `fd` as it stands (read with pread):
// a file that is a text by itself is no cipher text.
KeyCheck check_file_text(int fd);

// Decrypts the file open at `fd` (read from offset 0 to its end) with the
// key of `key_text` and returns a descriptor of an anonymous in-memory file
// holding the plain text, positioned nowhere in particular (read with
// pread). Tries the strong key form, then the export form, and takes the
// first that gives KeyCheck::RIGHT, else the first that gives UNVERIFIED;
// *form tells which one, *check how sure it is (either may be null).
// -1 when neither form gives a text or the file cannot be read.
int unlock_encrypted_file(int fd, std::string_view key_text, KeyForm* form, KeyCheck* check = nullptr);

// Deciphers the file open at `fd` with a key known to be its own (a file this
// process has just written) into an anonymous memory file, without judging
// what comes out. -1 when it cannot be read.
int decipher_own_file(int fd, std::string_view key_text, KeyForm form);

// Decrypts (or encrypts: the operation is the same) the whole file open at
// `fd` in place, read and written with pread/pwrite in pieces. False on a
// read or write error.
bool cipher_file_in_place(int fd, std::string_view key_text, KeyForm form);

// The key file of a document: key_folder + "/" + its name without the
// extension + ".key". "" when either is empty.
std::string key_file_path(const std::string& key_folder, const std::string& document_path);
// Reads at most KEY_TEXT_MAX_BYTES of the key file into *key. False (and
// *key cleared) when it is missing, unreadable or empty.
bool read_key_file(const std::string& path, std::string* key);
// Writes the key text (replaced atomically, mode 0600: it is a secret).
bool write_key_file(const std::string& path, std::string_view key);

}  // namespace rix

// Encrypted documents on disk: the whole text file is one cipher stream
// (platform/cipher.h), the same length as the plain text, marked in the
// extension file's header. The editor never reads an encrypted file in
// place: an unlocked document is read from a decrypted copy held in memory,
// so the loader and the save's copy of an unloaded rest see plain text.
//
// A key is taken only when it yields text: the plain text ends in 0x1A (the
// save form always writes it) and holds no NUL byte in its first 64 KiB.
// A wrong key therefore never gives a garbled document that a save could
// write over the encrypted original.
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
constexpr std::size_t PLAIN_CHECK_BYTES = 64u * 1024;

// Whether `head` (the first bytes of a decrypted text, at most
// PLAIN_CHECK_BYTES looked at) and its last byte look like a saved text.
bool looks_like_plain_text(std::string_view head, char last_byte);

// Decrypts the file open at `fd` (read from offset 0 to its end) with the
// key of `key_text` and returns a descriptor of an anonymous in-memory file
// holding the plain text, positioned nowhere in particular (read with
// pread). Tries the strong key form, then the export form; *form tells
// which one gave text. -1 when neither does or the file cannot be read.
int unlock_encrypted_file(int fd, std::string_view key_text, KeyForm* form);

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

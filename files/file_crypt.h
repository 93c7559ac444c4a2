// Whole-file encryption: a copy of any file turned into its encrypted or
// decrypted form with a typed key, by the cipher of encrypted documents
// (platform/cipher.h, the strong key form). The cipher is a stream: the
// output has the source's length, and encrypting and decrypting are the same
// operation; the direction only names the messages.
//
// The output is always written to a temporary file beside it ("cry" + six
// characters) and renamed over the old output only when every read and write
// succeeded; on any failure the old output stays as it was and the temporary
// file is removed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace rix {

constexpr std::size_t CRYPT_BLOCK_BYTES = 1024;

enum class CryptResult : std::uint8_t {
    DONE,
    SOURCE_UNREADABLE,   // the source cannot be opened or read
    OUTPUT_UNWRITABLE,   // no temporary file, a failed write, sync or rename
};

// Transforms `source` into `output` with `key_text` (code page 932 bytes as
// typed, no terminator).
CryptResult transform_file(const std::string& source, const std::string& output, std::string_view key_text);

// The message of a result (code page 932) for the direction named.
std::string crypt_result_text(CryptResult result, bool encrypt);

}  // namespace rix

// The cipher of encrypted documents: an RC4 stream whose key is derived
// from the MD5 digest of the key text's code page 932 bytes, as the stored
// documents of earlier versions were written.
//
// Two key forms exist in those files. The strong form takes the whole
// 16-byte digest as the RC4 key; the export form takes its first five bytes
// followed by eleven zero bytes of salt. A document records neither: the
// reader tries the strong form first and keeps the one that yields text.
//
// The primitives come from nettle; nothing here keeps state between calls
// but the stream object itself.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace rix {

enum class KeyForm : std::uint8_t {
    STRONG,   // 128-bit key: the whole digest
    EXPORT,   // 40-bit key with 88 zero bits of salt
};

using CipherKey = std::array<std::uint8_t, 16>;

// MD5 of `bytes` (16 bytes). (Not md5_digest: nettle defines that name as a macro.)
std::array<std::uint8_t, 16> md5_of(std::string_view bytes);

// The RC4 key for a key text (code page 932 bytes, as typed) in `form`.
CipherKey derive_cipher_key(std::string_view key_text, KeyForm form);

// One cipher stream. Pieces are processed in order; the stream's position
// carries over between them, so a text cut anywhere gives the same bytes as
// the text in one piece. Encryption and decryption are the same operation.
class CipherStream {
public:
    explicit CipherStream(const CipherKey& key);
    ~CipherStream();
    CipherStream(const CipherStream&) = delete;
    CipherStream& operator=(const CipherStream&) = delete;

    void process(std::uint8_t* data, std::size_t n);
    void process(char* data, std::size_t n) { process(reinterpret_cast<std::uint8_t*>(data), n); }

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace rix

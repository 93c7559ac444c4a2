// The cipher of encrypted documents (see cipher.h).
#include "platform/cipher.h"

#include <nettle/arcfour.h>
#include <nettle/md5.h>

namespace rix {

std::array<std::uint8_t, 16> md5_of(std::string_view bytes) {
    md5_ctx ctx;
    md5_init(&ctx);
    md5_update(&ctx, bytes.size(), reinterpret_cast<const std::uint8_t*>(bytes.data()));
    std::array<std::uint8_t, 16> out{};
    md5_digest(&ctx, out.size(), out.data());
    return out;
}

CipherKey derive_cipher_key(std::string_view key_text, KeyForm form) {
    CipherKey key = md5_of(key_text);
    if (form == KeyForm::EXPORT)
        for (std::size_t i = 5; i < key.size(); ++i) key[i] = 0;
    return key;
}

struct CipherStream::State {
    arcfour_ctx ctx;
};

CipherStream::CipherStream(const CipherKey& key) : state_(std::make_unique<State>()) {
    arcfour_set_key(&state_->ctx, key.size(), key.data());
}

CipherStream::~CipherStream() = default;

void CipherStream::process(std::uint8_t* data, std::size_t n) {
    if (n > 0) arcfour_crypt(&state_->ctx, n, data, data);
}

}  // namespace rix

// Whole-file encryption (see file_crypt.h).
#include "files/file_crypt.h"

#include <array>

#include "platform/cipher.h"
#include "platform/codec.h"
#include "platform/file_tools.h"
#include "platform/files.h"

namespace rix {
namespace {

// Copies `in` through the cipher into `out` block by block; false on any
// read or write error.
bool cipher_copy(int in, int out, std::string_view key_text) {
    CipherStream stream(derive_cipher_key(key_text, KeyForm::STRONG));
    std::array<char, CRYPT_BLOCK_BYTES> block{};
    for (;;) {
        const long got = read_some(in, block.data(), block.size());
        if (got < 0) return false;
        if (got == 0) return true;
        stream.process(block.data(), static_cast<std::size_t>(got));
        if (!write_all(out, block.data(), static_cast<std::size_t>(got))) return false;
    }
}

}  // namespace

CryptResult transform_file(const std::string& source, const std::string& output, std::string_view key_text) {
    const int in = open_regular_file(source);
    if (in < 0) return CryptResult::SOURCE_UNREADABLE;
    std::string temporary;
    const int out = create_temporary_in(folder_of(output), "cry", &temporary);
    if (out < 0) {
        close_file(in);
        return CryptResult::OUTPUT_UNWRITABLE;
    }
    bool read_failed = false;
    bool ok = cipher_copy(in, out, key_text);
    if (!ok) {
        // Tell a failed read from a failed write by trying the source again.
        char probe;
        read_failed = read_some(in, &probe, 1) < 0;
    }
    close_file(in);
    ok = sync_and_close(out) && ok;
    if (ok) ok = replace_file(temporary, output);
    if (!ok) {
        remove_file(temporary);
        return read_failed ? CryptResult::SOURCE_UNREADABLE : CryptResult::OUTPUT_UNWRITABLE;
    }
    return CryptResult::DONE;
}

std::string crypt_result_text(CryptResult result, bool encrypt) {
    switch (result) {
        case CryptResult::DONE: return utf8_to_sjis(encrypt ? "暗号化を完了しました｡" : "復号化を完了しました｡");
        case CryptResult::SOURCE_UNREADABLE: return utf8_to_sjis("元のファイルをオープン出来ません｡");
        case CryptResult::OUTPUT_UNWRITABLE: break;
    }
    return utf8_to_sjis(encrypt ? "暗号化ファイルをオープン出来ません｡" : "復号化ファイルをオープン出来ません｡");
}

}  // namespace rix

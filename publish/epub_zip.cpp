// The zip of an EPUB, built in memory with libzip: every step checked,
// `mimetype` first and stored, the rest deflated, in the order given.
#include <zip.h>

#include <memory>

#include "publish/epub_writer.h"

namespace rix {

namespace {

std::string zip_message(zip_error_t* error) {
    const char* text = zip_error_strerror(error);
    return text ? text : "zip error";
}

std::string archive_message(zip_t* za) { return zip_message(zip_get_error(za)); }

// Adds one entry; false with the message.
bool add_entry(zip_t* za, const EpubEntry& e, std::string* error) {
    zip_source_t* src = zip_source_buffer(za, e.bytes.data(), e.bytes.size(), 0);
    if (!src) {
        *error = archive_message(za);
        return false;
    }
    const zip_int64_t index = zip_file_add(za, e.name.c_str(), src, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
    if (index < 0) {
        zip_source_free(src);
        *error = archive_message(za);
        return false;
    }
    const zip_uint64_t i = static_cast<zip_uint64_t>(index);
    // zlib's default level: libzip's own default (9) takes several times as long for a few per cent.
    if (zip_set_file_compression(za, i, e.stored ? ZIP_CM_STORE : ZIP_CM_DEFLATE, e.stored ? 0 : 6) != 0) {
        *error = archive_message(za);
        return false;
    }
    // No extra fields: the first entry's data then starts at offset 38,
    // where readers look for the media type.
    zip_file_extra_field_delete(za, i, ZIP_EXTRA_FIELD_ALL, ZIP_FL_LOCAL | ZIP_FL_CENTRAL);
    return true;
}

}  // namespace

bool pack_zip(const std::vector<EpubEntry>& entries, std::string* out, std::string* error) {
    out->clear();
    zip_error_t ze;
    zip_error_init(&ze);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &ze);
    if (!buffer) {
        *error = zip_message(&ze);
        zip_error_fini(&ze);
        return false;
    }
    zip_source_keep(buffer);   // read back after the archive is closed
    zip_t* za = zip_open_from_source(buffer, ZIP_TRUNCATE, &ze);
    if (!za) {
        *error = zip_message(&ze);
        zip_error_fini(&ze);
        zip_source_free(buffer);
        return false;
    }
    zip_error_fini(&ze);
    for (const EpubEntry& e : entries) {
        if (!add_entry(za, e, error)) {
            zip_discard(za);
            zip_source_free(buffer);
            return false;
        }
    }
    if (zip_close(za) != 0) {
        *error = archive_message(za);
        zip_discard(za);
        zip_source_free(buffer);
        return false;
    }
    bool ok = zip_source_open(buffer) == 0;
    if (ok) {
        char chunk[65536];
        for (;;) {
            const zip_int64_t n = zip_source_read(buffer, chunk, sizeof chunk);
            if (n < 0) {
                ok = false;
                break;
            }
            if (n == 0) break;
            out->append(chunk, static_cast<std::size_t>(n));
        }
        zip_source_close(buffer);
    }
    if (!ok) *error = zip_message(zip_source_error(buffer));
    zip_source_free(buffer);
    return ok;
}

}  // namespace rix

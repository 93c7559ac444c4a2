// Saving a document and writing it out (see save.h for the guarantees).
//
// The steps of a save: the read-only check; an unchanged document only has
// its header brought up to date in place; the rest is loaded; the save
// temporaries of ended processes in the folder are removed; the text in save
// form goes to a save temporary, its records to another; the extension file
// is renamed into place (or removed when it keeps nothing), then the text
// file (after its backup), and the extension file is given the text file's
// time; the in-use mark is set again or given up.
#include "document/save.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "document/encryption.h"
#include "document/extension_writer.h"
#include "document/recovery.h"
#include "document/storage.h"
#include "platform/codec.h"
#include "platform/file_names.h"
#include "platform/files.h"
#include "platform/save_temporaries.h"

namespace rix {
namespace {

constexpr std::size_t COPY_PIECE_BYTES = 2u * 1024 * 1024;
constexpr unsigned READ_ONLY_NOTICE_MS = 6000;
constexpr unsigned UNCHANGED_NOTICE_MS = 4000;
constexpr unsigned TEMP_NOTICE_MS = 10000;
constexpr unsigned RETRY_NOTICE_MS = 5000;
constexpr unsigned FAILED_NOTICE_MS = 10000;
constexpr int MAX_KEPT_NAMES = 99;   // "<name>.unsaved" and "-2" .. "-99"

// Why no file could be made in `folder`, in the words of this machine.
std::string creation_failure_text(const std::string& folder, int error) {
    std::string why;
    switch (error) {
    case ENOENT: why = "保存先のフォルダがありません｡"; break;
    case ENOTDIR: why = "保存先はフォルダではありません｡"; break;
    case EACCES:
    case EPERM: why = "このフォルダに書込む権限がありません｡"; break;
    case EROFS: why = "このフォルダは読取専用のファイルシステムにあります｡"; break;
    case ENOSPC:
    case EDQUOT: why = "ディスクに空きがありません｡"; break;
    default: why = std::string("(") + std::strerror(error) + ")"; break;
    }
    return "ファイルが作成出来ません｡\n" + folder + "\n" + why + "\n他のフォルダに保存してください。";
}

bool write_all(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

mode_t creation_mode() {
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// A save temporary in the document's folder (platform/save_temporaries.h).
// With a cipher, every byte is enciphered before it is written: the plain
// text of an encrypted document never reaches the disk, not even for the
// time of a save.
struct TempFile {
    int fd = -1;
    std::string path;
    std::unique_ptr<CipherStream> cipher;   // null = written as given
    std::string scratch;                    // the enciphered piece

    bool open(const std::string& folder, char kind) {
        fd = create_save_temporary(folder, kind, &path);
        return fd >= 0;
    }
    void encipher_with(std::string_view key_text, KeyForm form) {
        cipher = std::make_unique<CipherStream>(derive_cipher_key(key_text, form));
    }
    bool write(std::string_view bytes) {
        if (!cipher) return write_all(fd, bytes.data(), bytes.size());
        scratch.assign(bytes);
        cipher->process(scratch.data(), scratch.size());
        return write_all(fd, scratch.data(), scratch.size());
    }
    // Gives the file its mode, syncs and closes it.
    bool finish(mode_t mode) {
        bool ok = ::fchmod(fd, mode & 07777) == 0;
        while (ok && ::fsync(fd) != 0)
            if (errno != EINTR) ok = false;
        if (::close(fd) != 0 && errno != EINTR) ok = false;
        fd = -1;
        return ok;
    }
    void discard() {
        if (fd >= 0) ::close(fd);
        if (!path.empty()) ::unlink(path.c_str());
        fd = -1;
        path.clear();
    }
    ~TempFile() { discard(); }
};

// A temporary kept for the writer after a failed rename gets a visible name
// of its own beside the target ("<name>.unsaved", "<name>.unsaved-2", ...),
// so that the next save in the folder, which removes the temporaries of
// ended processes, leaves it alone. The temporary's own name when none is free.
std::string keep_for_writer(const std::string& temp, const std::string& target) {
    for (int n = 1; n <= MAX_KEPT_NAMES; ++n) {
        std::string kept = target + ".unsaved" + (n > 1 ? "-" + std::to_string(n) : std::string());
        if (rename_no_overwrite(temp, kept)) return kept;
    }
    return temp;
}

// Renames `from` over `to`, once more after a notice when it fails. When
// both fail, `from` is kept (named in the message) and false returned.
bool put_in_place(RenameFunction rename_fn, TempFile& from, const std::string& to, const char* retry_utf8,
                  Notices& notices) {
    RenameFunction r = rename_fn ? rename_fn : ::rename;
    if (r(from.path.c_str(), to.c_str()) != 0) {
        notices.add(retry_utf8, RETRY_NOTICE_MS);
        if (r(from.path.c_str(), to.c_str()) != 0) {
            from.path = keep_for_writer(from.path, to);
            notices.add("保存出来ませんでした｡元のファイルはそのまま残っています｡\n新しい内容は次の一時ファイルにあります｡\n" +
                       from.path,
                   FAILED_NOTICE_MS);
            from.path.clear();   // kept for the user
            return false;
        }
    }
    from.path.clear();
    return true;
}

// Copies the text file from `offset` up to and including its first 0x1A
// (one is added when the file has none and `end_mark` asks for it) into
// `out`. The bytes are the file's own, in its encoding.
bool copy_rest(int fd, std::uint64_t offset, bool end_mark, TempFile& out) {
    std::vector<char> buf(COPY_PIECE_BYTES);
    for (;;) {
        ssize_t n = fd < 0 ? 0 : ::pread(fd, buf.data(), buf.size(), static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return !end_mark || out.write(std::string_view("\x1A", 1));
        std::string_view piece(buf.data(), static_cast<std::size_t>(n));
        std::size_t eot = piece.find(static_cast<char>(TEXT_END_MARK));
        if (eot != std::string_view::npos) return out.write(piece.substr(0, eot + 1));
        if (!out.write(piece)) return false;
        offset += static_cast<std::uint64_t>(n);
    }
}

// Writes the whole loaded text in `options.form`, then the rest of a load
// that stopped. With `utf8` the text is written in UTF-8 (after the
// byte-order mark when `bom`). *loaded_bytes: bytes written before the rest.
bool write_text(const Document& doc, const DocumentState& state, const ExportOptions& options, TempFile& out,
                ExtensionWriter* records, std::uint64_t* loaded_bytes, bool utf8 = false, bool bom = false) {
    TextPos at;
    std::string piece;
    std::uint64_t total = 0;
    if (bom) {
        if (!out.write(UTF8_BOM)) return false;
        total += UTF8_BOM.size();
    }
    for (;;) {
        piece.clear();
        ExportResult r = export_text(doc, options, &at, END_NOT_LOADED, &piece, records);
        // A piece ends after a line end: no character is cut.
        if (utf8) piece = sjis_to_utf8(piece);
        if (!out.write(piece)) return false;
        total += piece.size();
        if (r.finished) break;
    }
    *loaded_bytes = total;
    if (doc.fully_loaded()) return true;
    return copy_rest(state.text_fd, doc.load.file_offset, options.end_mark, out);
}

bool same_contents(const std::string& a, const std::string& b) {
    std::int64_t size = file_size(a);
    if (size < 0 || size != file_size(b)) return false;
    std::string x, y;
    return read_whole_file(a, &x) && read_whole_file(b, &y) && x == y;
}

void copy_time(const std::string& from, const std::string& to) {
    struct stat st {};
    if (::stat(from.c_str(), &st) != 0) return;
    struct timespec times[2] = {st.st_atim, st.st_mtim};
    ::utimensat(AT_FDCWD, to.c_str(), times, 0);
}

// The mode the new text file gets (before the in-use mark).
mode_t text_mode(const DocumentState& state) {
    if (state.in_use_mark_held) return static_cast<mode_t>(state.saved_mode);
    struct stat st {};
    if (::stat(state.save_name.c_str(), &st) == 0) return st.st_mode & 07777;
    return creation_mode();
}

mode_t extension_mode(const std::string& ext_path) {
    struct stat st {};
    if (::stat(ext_path.c_str(), &st) == 0) return (st.st_mode & 07777) | S_IWUSR;
    return creation_mode();
}

// A save with nothing changed: the cursor and the screen format
// written into the header of the extension file this document was loaded
// with, when it has the long header and may be written. False when there is
// no such file (the save goes on and writes one).
bool update_header_in_place(const DocumentState& state, const LoadSession& session, const SaveRequest& req) {
    const ExtensionFile* ext = session.extension;
    std::string path = extension_path_for(state.save_name);
    if (!ext || path.empty() || state.opened_path != state.save_name || !state.damaged_extension.empty() ||
        ext->header.size != EXT_HEADER_BYTES ||
        is_read_only(path) || file_size(path) < static_cast<std::int64_t>(EXT_HEADER_BYTES))
        return false;
    int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) return false;
    bool ok = true;
    if (req.restore_flags & 1) {
        std::uint32_t v = req.cursor.value;
        char cursor[4] = {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
                          static_cast<char>(v)};
        ok = ::pwrite(fd, cursor, 4, EXT_OFFSET_CURSOR) == 4;
    }
    char format = static_cast<char>(req.header.screen_format <= 4 ? req.header.screen_format : 0);
    ok = ok && ::pwrite(fd, &format, 1, EXT_OFFSET_SCREEN_FORMAT) == 1;
    ::close(fd);
    copy_time(state.save_name, path);
    return ok;
}

// The in-memory index as extension records.
void add_index(const Document& doc, ExtensionWriter& w) {
    for (const IndexEntry& e : doc.index) w.add_index(ExtensionIndexEntry{e.line, e.level, e.title});
}

// A second name for the old text file, N.bak (a copy where links fail).
bool make_backup(const std::string& text_path, const std::string& bak) {
    if (bak.empty() || bak == text_path) return false;
    ::unlink(bak.c_str());
    if (::link(text_path.c_str(), bak.c_str()) == 0) return true;
    std::string bytes;
    return read_whole_file(text_path, &bytes) && atomic_replace(bak, bytes);
}

// The old text read from `source` (the file itself, or the decrypted copy of
// an encrypted one), enciphered with the key the save writes with into N.bak
// through a temporary. False (and no new N.bak) when it cannot be written.
bool make_enciphered_backup(const DocumentState& state, int source, const std::string& bak) {
    if (bak.empty() || bak == state.save_name || source < 0) return false;
    TempFile out;
    if (!out.open(folder_of(bak), SAVE_TEMP_TEXT)) return false;
    out.encipher_with(state.key, state.key_form);
    std::vector<char> buf(COPY_PIECE_BYTES);
    for (std::uint64_t at = 0;;) {
        const ssize_t n = ::pread(source, buf.data(), buf.size(), static_cast<off_t>(at));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 || (n > 0 && !out.write(std::string_view(buf.data(), static_cast<std::size_t>(n))))) return false;
        if (n == 0) break;
        at += static_cast<std::uint64_t>(n);
    }
    if (!out.finish(text_mode(state)) || ::rename(out.path.c_str(), bak.c_str()) != 0) return false;
    out.path.clear();
    return true;
}

// N.bak of the old text file. Beside an encrypted document it is secret with
// the same key: a second name of the old file only when that file is
// enciphered with the key the save writes with, else the old text
// enciphered anew (or no backup at all when that fails).
bool back_up_old_text(const DocumentState& state, const std::string& bak) {
    if (!state.encrypt) return make_backup(state.save_name, bak);
    if (state.recovered_from.empty()) {
        const bool same_key = state.decrypted && state.file_key == state.key && state.file_key_form == state.key_form;
        return same_key ? make_backup(state.save_name, bak) : make_enciphered_backup(state, state.text_fd, bak);
    }
    // The held text is the recovery file's: the document's own file is read.
    // A file that is no text by itself is enciphered already and is kept as it is.
    const int fd = open_regular_file(state.save_name);
    if (fd < 0) return false;
    const bool plain = check_file_text(fd) != KeyCheck::WRONG;
    const bool made = plain ? make_enciphered_backup(state, fd, bak) : make_backup(state.save_name, bak);
    ::close(fd);
    return made;
}

// Holds the newly written text file open in place of the old one; of an
// encrypted one, its decrypted copy (the rest of a stopped load is read there).
void hold_new_text_file(DocumentState& state, Document& doc, std::uint64_t loaded_bytes) {
    int fd = ::open(state.save_name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return;   // the old file (now the backup, or unlinked) stays held
    if (state.encrypt) {
        // Written with this key a moment ago: deciphered without a judgement
        // (a short text proves no key, and the form is known).
        const int plain = decipher_own_file(fd, state.key, state.key_form);
        ::close(fd);
        if (plain < 0) return;   // the copy held before stays
        fd = plain;
    }
    state.decrypted = state.encrypt;
    state.file_key = state.encrypt ? state.key : std::string();
    state.file_key_form = state.key_form;
    if (state.text_fd >= 0) ::close(state.text_fd);
    state.text_fd = fd;
    state.opened_path = state.save_name;
    state.file_length = file_size(state.save_name);
    if (!doc.fully_loaded()) doc.load.file_offset = loaded_bytes;   // the rest begins there now
}

struct SaveFiles {
    TempFile text;
    TempFile ext;
    std::string ext_path;
    std::uint64_t loaded_bytes = 0;
    bool ext_keeps_nothing = false;
};

// Both temporary files written and closed.
bool write_temporaries(Document& doc, DocumentState& state, const SaveRequest& req, SaveFiles& f, Notices& notices) {
    std::string folder = folder_of(state.save_name);
    remove_dead_save_temporaries(folder);
    if (!f.text.open(folder, SAVE_TEMP_TEXT) || (!f.ext_path.empty() && !f.ext.open(folder, SAVE_TEMP_EXTENSION))) {
        notices.add(creation_failure_text(folder.empty() ? "." : folder, errno), TEMP_NOTICE_MS);
        return false;
    }
    ExtensionHeader header = req.header;
    header.text_extension = recorded_text_extension(state.save_name);
    header.cursor = (req.restore_flags & 1) ? req.cursor : TextPos();
    header.encrypted = state.encrypt;
    ExtensionWriter records(header);
    add_index(doc, records);
    if (state.encrypt) f.text.encipher_with(state.key, state.key_form);
    ExportOptions options;
    options.form = ExportForm::SAVE;
    options.tag_default_attr1 = req.tag_default_attr1;
    options.tag_default_attr2 = req.tag_default_attr2;
    const TextForm& form = doc.load.form;
    options.lf_line_ends = form.line_end == LineEndStyle::LF;
    // An encrypted text always ends in 0x1A: the reader knows a right key by it.
    options.end_mark = form.end_mark || state.encrypt;
    const bool utf8 = form.encoding == TextEncoding::UTF8;
    bool ok = write_text(doc, state, options, f.text, &records, &f.loaded_bytes, utf8, utf8 && form.bom);
    ok = ok && f.text.finish(text_mode(state));
    f.ext_keeps_nothing = records.keeps_nothing();
    if (ok && !f.ext_path.empty() && !f.ext_keeps_nothing)
        ok = f.ext.write(records.bytes()) && f.ext.finish(extension_mode(f.ext_path));
    if (!ok) notices.add("文書を書込めませんでした｡\n" + state.save_name, FAILED_NOTICE_MS);
    return ok;
}

// The text file put in place (after its backup). False when it could not be.
bool replace_text_file(Document& doc, DocumentState& state, const SaveRequest& req, SaveRun& run, SaveFiles& f,
                       Notices& notices) {
    bool changed = (state.modified & MODIFIED_TEXT) || req.mode == SAVE_MODE_NEW_NAME ||
                   !same_contents(f.text.path, state.save_name);
    if (!changed) {
        f.text.discard();
        return true;
    }
    // A document loaded from its recovery file backs up the document it replaces.
    bool may_back_up = (state.opened_path == state.save_name || !state.recovered_from.empty()) && state.text_fd >= 0 && run.backup_of != state.save_name &&
                       file_exists(state.save_name);
    if (may_back_up && back_up_old_text(state, backup_path_for(state.save_name))) {
        run.backup_of = state.save_name;
        if (state.in_use_mark_held) ::chmod(backup_path_for(state.save_name).c_str(), state.saved_mode & 07777);
    }
    if (!put_in_place(req.rename, f.text, state.save_name, "テキストファイルが作成出来ませんでした。\nもう一度試行します。",
                      notices))
        return false;
    if (!req.copy) hold_new_text_file(state, doc, f.loaded_bytes);
    return true;
}

// The damaged extension file the document was loaded from, moved aside
// under its kept name before anything replaces or removes it. False when it
// is still in the way.
bool keep_damaged_extension(DocumentState& state, const std::string& ext_path, Notices& notices) {
    if (state.damaged_extension.empty() || state.damaged_extension != ext_path) return true;
    struct stat st {};
    if (::lstat(ext_path.c_str(), &st) != 0) {
        state.damaged_extension.clear();   // gone meanwhile: nothing to keep
        return true;
    }
    std::string kept = damaged_extension_name(ext_path);
    if (kept.empty() || !rename_no_overwrite(ext_path, kept)) {
        notices.add("壊れた拡張ファイルを控えの名前に出来ないため保存しません｡\n" + ext_path, FAILED_NOTICE_MS);
        return false;
    }
    state.damaged_extension.clear();
    return true;
}

// The extension file put in place (or removed), then the text file. False
// when a rename failed for good.
bool put_files_in_place(Document& doc, DocumentState& state, const SaveRequest& req, SaveRun& run, SaveFiles& f,
                        Notices& notices) {
    if (!keep_damaged_extension(state, f.ext_path, notices)) return false;
    if (!f.ext_path.empty()) {
        if (f.ext_keeps_nothing) {
            f.ext.discard();
            ::unlink(f.ext_path.c_str());
        } else if (!put_in_place(req.rename, f.ext, f.ext_path, "拡張ファイルが作成出来ませんでした。\nもう一度試行します。",
                                 notices)) {
            return false;
        }
    }
    if (!replace_text_file(doc, state, req, run, f, notices)) return false;
    if (!f.ext_path.empty() && !f.ext_keeps_nothing) copy_time(state.save_name, f.ext_path);
    return true;
}

// After the files: the in-use mark set again, or given up with the backup.
void after_save(DocumentState& state, const SaveRequest& req, SaveRun& run) {
    if (req.mode > SAVE_MODE_SAVE_AND_END) {
        std::uint32_t mode = 0;
        if (!is_read_only(state.save_name) && set_in_use_mark(state.save_name, &mode)) {
            state.saved_mode = mode;
            state.in_use_mark_held = true;
        }
        return;
    }
    if (state.in_use_mark_held) clear_in_use_mark(state.save_name, state.saved_mode);
    state.in_use_mark_held = false;
    if (req.no_backup && run.backup_of == state.save_name) ::unlink(backup_path_for(state.save_name).c_str());
    run.backup_of.clear();
}

}  // namespace

std::string backup_path_for(const std::string& text_path) {
    if (text_path.empty()) return {};
    return join_path(folder_of(text_path), name_with_extension(text_path, "bak"));
}

SaveResult save_document(Document& doc, DocumentState& state, LoadSession& session, const SaveRequest& req, SaveRun& run,
                         Notices* notices_out) {
    Notices dropped;
    Notices& notices = notices_out ? *notices_out : dropped;
    if (!state.in_use_mark_held || state.save_name.empty()) {
        notices.add("この文書は読取専用ファイルです｡\n「名前を付けて保存」を実行してください。", READ_ONLY_NOTICE_MS);
        return SaveResult::Failed;
    }
    if (!state.keep_original.empty() && same_file(state.save_name, state.keep_original)) {
        notices.add("この文書は読込み時にShift_JISで表せない文字を〓に置き換えています｡\n"
               "元の文書を守るため上書き保存はしません｡\n「名前を付けて保存」で別の名前を付けてください｡",
               READ_ONLY_NOTICE_MS);
        return SaveResult::Failed;
    }
    if (state.modified == 0 && req.mode < SAVE_MODE_NEW_NAME) {
        if (req.mode >= SAVE_MODE_SAVE_AND_END) notices.add("文書は変更されていません｡", UNCHANGED_NOTICE_MS);
        if (req.restore_flags == 0 || req.mode > SAVE_MODE_SAVE_AND_END) return SaveResult::Nothing;
        if (update_header_in_place(state, session, req)) return SaveResult::Nothing;
    }
    // A text that was not decrypted is no text: saving it would lose the document.
    if (session.extension && session.extension->header.encrypted && !state.decrypted) {
        notices.add("この文書は暗号化されています｡\n復号化出来ないため保存しません｡", READ_ONLY_NOTICE_MS);
        return SaveResult::Failed;
    }
    load_all(doc, state, session, &notices);
    SaveFiles files;
    files.ext_path = extension_path_for(state.save_name);
    if (!write_temporaries(doc, state, req, files, notices)) return SaveResult::Failed;
    if (!put_files_in_place(doc, state, req, run, files, notices)) return SaveResult::Failed;
    after_save(state, req, run);
    // The recovered text is in a saved document now: its recovery file goes.
    remove_recovery_file(state.recovered_from);
    state.recovered_from.clear();
    state.modified &= MODIFIED_NOTEBOOK;   // the notebook is a file of its own, written by the close flows
    doc.cache.invalidate();
    if (!req.copy) ++doc.generation;   // bound to the new file now: copies of lines taken before do not carry over
    return SaveResult::Saved;
}

bool write_document_copy(Document& doc, const DocumentState& state, LoadSession& session, SaveRequest request,
                         const std::string& text_path, Notices* notices) {
    if (text_path.empty()) return false;
    // A save on a copy of the state: a second descriptor of the text file (the
    // rest of a partly loaded document is read through it) and a mark of its
    // own, given up at the end.
    DocumentState copy = state;
    copy.save_name = text_path;
    copy.opened_path.clear();   // no backup of the copy it replaces
    copy.text_fd = state.text_fd >= 0 ? ::fcntl(state.text_fd, F_DUPFD_CLOEXEC, 0) : -1;
    copy.in_use_mark_held = true;
    copy.saved_mode = state.in_use_mark_held ? state.saved_mode : static_cast<std::uint32_t>(creation_mode());
    copy.created_new = false;
    copy.recovered_from.clear();
    copy.keep_original.clear();
    copy.damaged_extension.clear();
    if (copy.modified == 0) copy.modified = MODIFIED_TEXT;
    request.mode = SAVE_MODE_SWITCH_OR_END;
    request.no_backup = false;
    request.copy = true;
    SaveRun run;
    const SaveResult result = save_document(doc, copy, session, request, run, notices);
    if (copy.text_fd >= 0) ::close(copy.text_fd);
    return result == SaveResult::Saved;
}

bool write_out_document(Document& doc, DocumentState& state, LoadSession& session, const ExportOptions& options,
                        const std::string& path, Notices* notices_out, RenameFunction rename) {
    Notices dropped;
    Notices& notices = notices_out ? *notices_out : dropped;
    load_all(doc, state, session, &notices);
    ExportOptions o = options;
    o.form = ExportForm::EXPORT;
    TempFile out;
    std::uint64_t loaded_bytes = 0;
    struct stat st {};
    mode_t mode = ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : creation_mode();
    remove_dead_save_temporaries(folder_of(path));
    bool ok = out.open(folder_of(path), SAVE_TEMP_WRITE_OUT) &&
              write_text(doc, state, o, out, nullptr, &loaded_bytes) && out.finish(mode);
    if (!ok) {
        notices.add("書出しファイルが作成出来ません｡\n" + path, FAILED_NOTICE_MS);
        return false;
    }
    return put_in_place(rename, out, path, "書出しファイルが作成出来ませんでした。\nもう一度試行します。", notices);
}

}  // namespace rix

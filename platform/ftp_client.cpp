// The FTP connection: one libcurl easy handle, reset before each request
// (the reset keeps the live connection) and set up again from the login.
#include "platform/ftp_client.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/files.h"

namespace rix {

namespace {

// The status numbers of publish/ftp_listing.h's FtpStatus (the platform
// layer does not include the publishing layer).
enum : int {
    ST_RESOLVING = 10, ST_RESOLVED = 11, ST_CONNECTING = 20, ST_CONNECTED = 21, ST_SENDING = 30,
    ST_SENT = 31, ST_RECEIVING = 40, ST_RECEIVED = 41, ST_CLOSING = 50, ST_CLOSED = 51,
    ST_HANDLE_CREATED = 60, ST_HANDLE_CLOSING = 70,
};

bool curl_ready() {
    static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return ready;
}

bool has_line_break(std::string_view s) { return s.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos; }

// The reasons of the failures found before libcurl is asked (its own come
// from its error buffer): a failure always says why.
constexpr char WHY_NOT_CONNECTED[] = "not connected";
constexpr char WHY_UNSENDABLE[] = "a path or command holds CR, LF or NUL: not sent";
constexpr char WHY_NO_CURL[] = "libcurl could not be set up";
constexpr char WHY_BAD_HOST[] = "the host name is empty or holds \"/\", \"@\", a blank, CR, LF or NUL";
constexpr char WHY_BAD_USER[] = "the user name holds CR, LF or NUL: not sent";
constexpr char WHY_BAD_PASSWORD[] = "the password holds CR, LF or NUL: not sent";

FtpError error_of(CURLcode rc) {
    switch (rc) {
    case CURLE_OK: return FtpError::NONE;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
    case CURLE_WEIRD_SERVER_REPLY: return FtpError::CONNECT;
    case CURLE_LOGIN_DENIED: return FtpError::LOGIN;
    case CURLE_REMOTE_ACCESS_DENIED:
    case CURLE_REMOTE_FILE_NOT_FOUND: return FtpError::NOT_FOUND;
    case CURLE_QUOTE_ERROR:
    case CURLE_UPLOAD_FAILED:
    case CURLE_FTP_COULDNT_RETR_FILE: return FtpError::REFUSED;
    case CURLE_ABORTED_BY_CALLBACK: return FtpError::STOPPED;
    case CURLE_OPERATION_TIMEDOUT: return FtpError::TIMEOUT;
    case CURLE_READ_ERROR:
    case CURLE_WRITE_ERROR: return FtpError::LOCAL;
    default: return FtpError::FAILED;
    }
}

// "  Trying 127.0.0.1:2121..." → "127.0.0.1:2121".
std::string address_in(std::string_view text, std::string_view after) {
    const std::size_t at = text.find(after);
    if (at == std::string_view::npos) return {};
    std::string_view rest = text.substr(at + after.size());
    const std::size_t end = rest.find_first_of(" )\r\n");
    rest = rest.substr(0, end);
    while (!rest.empty() && rest.back() == '.') rest.remove_suffix(1);
    return std::string(rest);
}

}  // namespace

// What the callbacks of one request share.
struct FtpClient::Transfer {
    FtpClient* client = nullptr;
    // Downloads and reads.
    int out_fd = -1;
    std::string* out_text = nullptr;
    std::size_t cap = 0;
    bool truncated = false;
    bool local_failed = false;
    int local_errno = 0;
    // Uploads.
    int in_fd = -1;
    // Answers seen (FEAT).
    std::string answers;
    bool keep_answers = false;
    bool awaiting = false;        // a command went out, its answer has not come
};

namespace {

std::size_t write_out(char* data, std::size_t size, std::size_t count, void* user) {
    auto* t = static_cast<FtpClient::Transfer*>(user);
    const std::size_t total = size * count;
    if (t->out_text) {
        const std::size_t room = t->cap - std::min(t->cap, t->out_text->size());
        if (total > room) {
            t->out_text->append(data, room);
            t->truncated = true;
            return 0;   // stops the transfer: the cap is reached
        }
        t->out_text->append(data, total);
        return total;
    }
    std::size_t done = 0;
    while (done < total) {
        const ssize_t n = ::write(t->out_fd, data + done, total - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            t->local_failed = true;
            t->local_errno = n < 0 ? errno : ENOSPC;
            return 0;
        }
        done += static_cast<std::size_t>(n);
    }
    return total;
}

std::size_t read_in(char* data, std::size_t size, std::size_t count, void* user) {
    auto* t = static_cast<FtpClient::Transfer*>(user);
    for (;;) {
        const ssize_t n = ::read(t->in_fd, data, size * count);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            t->local_failed = true;
            t->local_errno = errno;
            return CURL_READFUNC_ABORT;
        }
        return static_cast<std::size_t>(n);
    }
}

std::size_t header_in(char* data, std::size_t size, std::size_t count, void* user) {
    auto* t = static_cast<FtpClient::Transfer*>(user);
    const std::size_t total = size * count;
    if (t->keep_answers && t->answers.size() < 65536) t->answers.append(data, total);
    return total;
}

}  // namespace

namespace ftp_detail {

int progress(void* user, curl_off_t dltotal, curl_off_t dlnow, curl_off_t ultotal, curl_off_t ulnow) {
    auto* t = static_cast<FtpClient::Transfer*>(user);
    const FtpClient::Progress& p = t->client->progress_hook();
    if (!p) return 0;
    const bool up = ultotal > 0 || ulnow > 0;
    return p(up ? ulnow : dlnow, up ? ultotal : dltotal) ? 0 : 1;
}

int debug(CURL*, curl_infotype type, char* data, std::size_t size, void* user) {
    auto* t = static_cast<FtpClient::Transfer*>(user);
    const FtpClient::StatusSink& sink = t->client->status_hook();
    if (!sink) return 0;
    const std::string_view text(data, size);
    switch (type) {
    case CURLINFO_TEXT:
        if (text.find("Trying ") != std::string_view::npos) {
            const std::string where = address_in(text, "Trying ");
            sink(ST_RESOLVED, where, 0);
            sink(ST_CONNECTING, where, 0);
        } else if (text.rfind("Connected to ", 0) == 0) {
            sink(ST_CONNECTED, address_in(text, "("), 0);
        }
        break;
    case CURLINFO_HEADER_OUT:
        sink(ST_SENDING, {}, 0);
        sink(ST_SENT, {}, static_cast<long>(size));
        t->awaiting = true;
        break;
    case CURLINFO_HEADER_IN:
        if (t->awaiting) sink(ST_RECEIVING, {}, 0);
        t->awaiting = false;
        sink(ST_RECEIVED, {}, static_cast<long>(size));
        break;
    default: break;
    }
    return 0;
}

}  // namespace ftp_detail

FtpClient::FtpClient() : transfer_(std::make_unique<Transfer>()) {}

FtpClient::~FtpClient() { disconnect(); }

FtpResult FtpClient::begin(const std::string& path, bool folder) {
    if (!curl_) return {FtpError::NOT_CONNECTED, WHY_NOT_CONNECTED};
    if (!ftp_path_sendable(path)) return {FtpError::BAD_NAME, WHY_UNSENDABLE};
    CURL* c = static_cast<CURL*>(curl_);
    curl_easy_reset(c);
    *transfer_ = Transfer{};
    transfer_->client = this;
    // The address: the absolute path as one CWD ("%2F" keeps the leading "/").
    std::string url = base_ + "/%2F";
    std::size_t pos = 1;
    std::string parts;
    while (pos < path.size()) {
        std::size_t slash = path.find('/', pos);
        if (slash == std::string::npos) slash = path.size();
        if (slash > pos) {
            char* escaped = curl_easy_escape(c, path.data() + pos, static_cast<int>(slash - pos));
            if (!escaped) return {FtpError::INIT, WHY_NO_CURL};
            if (!parts.empty()) parts += '/';
            parts += escaped;
            curl_free(escaped);
        }
        pos = slash + 1;
    }
    url += parts;
    if (folder && !parts.empty()) url += '/';
    if (folder && parts.empty()) url += '/';
    curl_easy_setopt(c, CURLOPT_URL, url.c_str());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "ftp");
    curl_easy_setopt(c, CURLOPT_USERNAME, login_.user.c_str());
    curl_easy_setopt(c, CURLOPT_PASSWORD, login_.password.c_str());
    curl_easy_setopt(c, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_SINGLECWD));
    curl_easy_setopt(c, CURLOPT_FTP_SKIP_PASV_IP, 1L);   // data only from the server we talk to
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT, login_.connect_seconds);
    curl_easy_setopt(c, CURLOPT_SERVER_RESPONSE_TIMEOUT, login_.answer_seconds);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(c, CURLOPT_LOW_SPEED_TIME, login_.stall_seconds);
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_USERAGENT, "RIX/7.11");
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, ftp_detail::progress);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, transfer_.get());
    curl_easy_setopt(c, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(c, CURLOPT_DEBUGFUNCTION, ftp_detail::debug);
    curl_easy_setopt(c, CURLOPT_DEBUGDATA, transfer_.get());
    curl_easy_setopt(c, CURLOPT_HEADERFUNCTION, header_in);
    curl_easy_setopt(c, CURLOPT_HEADERDATA, transfer_.get());
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, write_out);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, transfer_.get());
    return {};
}

FtpResult FtpClient::perform() {
    CURL* c = static_cast<CURL*>(curl_);
    char errbuf[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errbuf);
    const CURLcode rc = curl_easy_perform(c);
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, nullptr);
    curl_easy_setopt(c, CURLOPT_QUOTE, nullptr);
    if (rc == CURLE_OK) return {};
    FtpResult r{error_of(rc), errbuf[0] ? errbuf : curl_easy_strerror(rc)};
    if (rc == CURLE_WRITE_ERROR && transfer_->truncated) return {};
    if (transfer_->local_failed) r.error = FtpError::LOCAL;
    return r;
}

FtpResult FtpClient::quote(std::initializer_list<std::string> commands) {
    for (const std::string& command : commands)
        if (has_line_break(command)) return {FtpError::BAD_NAME, WHY_UNSENDABLE};
    FtpResult r = begin("/", true);
    if (!r.ok()) return r;
    CURL* c = static_cast<CURL*>(curl_);
    curl_slist* list = nullptr;
    for (const std::string& command : commands) list = curl_slist_append(list, command.c_str());
    curl_easy_setopt(c, CURLOPT_QUOTE, list);
    curl_easy_setopt(c, CURLOPT_NOBODY, 1L);
    r = perform();
    curl_slist_free_all(list);
    return r;
}

FtpResult FtpClient::connect(const FtpLogin& login) {
    disconnect();
    if (has_line_break(login.host) || login.host.find_first_of("/@ ") != std::string::npos || login.host.empty())
        return {FtpError::BAD_NAME, WHY_BAD_HOST};
    if (has_line_break(login.user)) return {FtpError::BAD_NAME, WHY_BAD_USER};
    if (has_line_break(login.password)) return {FtpError::BAD_NAME, WHY_BAD_PASSWORD};
    if (!curl_ready()) return {FtpError::INIT, WHY_NO_CURL};
    curl_ = curl_easy_init();
    if (!curl_) return {FtpError::INIT, WHY_NO_CURL};
    login_ = login;
    const bool bare_v6 = login.host.find(':') != std::string::npos && login.host.front() != '[';
    base_ = "ftp://" + (bare_v6 ? "[" + login.host + "]" : login.host) + ":" + std::to_string(login.port);
    if (status_) status_(ST_HANDLE_CREATED, {}, 0);
    if (status_) status_(ST_RESOLVING, {}, 0);

    FtpResult r = begin("/", true);
    CURL* c = static_cast<CURL*>(curl_);
    // Log in where the server puts us, and ask what it offers.
    curl_easy_setopt(c, CURLOPT_URL, (base_ + "/").c_str());
    curl_slist* feat = curl_slist_append(nullptr, "FEAT");
    curl_easy_setopt(c, CURLOPT_QUOTE, feat);
    curl_easy_setopt(c, CURLOPT_NOBODY, 1L);
    transfer_->keep_answers = true;
    r = perform();
    curl_slist_free_all(feat);
    if (!r.ok()) {
        // A server without FEAT still serves: try once more without it.
        if (r.error == FtpError::REFUSED) {
            begin("/", true);
            curl_easy_setopt(c, CURLOPT_URL, (base_ + "/").c_str());
            curl_easy_setopt(c, CURLOPT_NOBODY, 1L);
            r = perform();
        }
        if (!r.ok()) {
            disconnect();
            return r;
        }
    }
    const std::string& answers = transfer_->answers;
    const auto offers = [&answers](const char* feature) {
        std::size_t at = 0;
        while ((at = answers.find(feature, at)) != std::string::npos) {
            const char before = at > 0 ? answers[at - 1] : '\n';
            const std::size_t end = at + std::strlen(feature);
            const char after = end < answers.size() ? answers[end] : '\n';
            if (before == ' ' && (after == '\r' || after == '\n' || after == ' ')) return true;
            at = end;
        }
        return false;
    };
    utf8_ = offers("UTF8");
    mlsd_ = offers("MLST");
    const char* entry = nullptr;
    if (curl_easy_getinfo(c, CURLINFO_FTP_ENTRY_PATH, &entry) == CURLE_OK && entry && entry[0] == '/')
        entry_path_ = ftp_resolve("/", entry);
    else
        entry_path_ = "/";
    if (utf8_) (void)quote({"*OPTS UTF8 ON"});   // some servers want it said; none must
    return {};
}

void FtpClient::disconnect() {
    if (!curl_) return;
    if (status_) status_(ST_CLOSING, {}, 0);
    curl_easy_cleanup(static_cast<CURL*>(curl_));   // sends QUIT on a live connection
    curl_ = nullptr;
    if (status_) {
        status_(ST_CLOSED, {}, 0);
        status_(ST_HANDLE_CLOSING, {}, 0);
    }
    utf8_ = mlsd_ = false;
    entry_path_ = "/";
}

FtpResult FtpClient::list(const std::string& folder, std::string* text, bool* was_mlsd, std::size_t cap) {
    text->clear();
    FtpResult r = begin(folder, true);
    if (!r.ok()) return r;
    CURL* c = static_cast<CURL*>(curl_);
    if (mlsd_) curl_easy_setopt(c, CURLOPT_CUSTOMREQUEST, "MLSD");
    transfer_->out_text = text;
    transfer_->cap = cap;
    r = perform();
    if (r.ok() && transfer_->truncated) {
        const std::size_t last = text->rfind('\n');
        text->resize(last == std::string::npos ? 0 : last + 1);
    }
    if (was_mlsd) *was_mlsd = mlsd_;
    return r;
}

FtpResult FtpClient::upload(const std::string& local_path, const std::string& remote_path) {
    FtpResult r = begin(remote_path, false);
    if (!r.ok()) return r;
    const int fd = open_regular_file(local_path);
    if (fd < 0) return {FtpError::LOCAL, std::strerror(errno)};
    const std::int64_t size = file_size(local_path);
    CURL* c = static_cast<CURL*>(curl_);
    transfer_->in_fd = fd;
    curl_easy_setopt(c, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(c, CURLOPT_READFUNCTION, read_in);
    curl_easy_setopt(c, CURLOPT_READDATA, transfer_.get());
    if (size >= 0) curl_easy_setopt(c, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(size));
    r = perform();
    ::close(fd);
    return r;
}

FtpResult FtpClient::download(const std::string& remote_path, const std::string& local_path) {
    FtpResult r = begin(remote_path, false);
    if (!r.ok()) return r;
    const int fd = create_exclusive(local_path);
    if (fd < 0) return {errno == EEXIST ? FtpError::EXISTS : FtpError::LOCAL, std::strerror(errno)};
    transfer_->out_fd = fd;
    r = perform();
    if (r.ok() && ::fsync(fd) != 0) r = {FtpError::LOCAL, std::strerror(errno)};
    if (::close(fd) != 0 && r.ok()) r = {FtpError::LOCAL, std::strerror(errno)};
    if (!r.ok()) ::unlink(local_path.c_str());
    return r;
}

FtpResult FtpClient::read(const std::string& remote_path, std::size_t cap, std::string* out, bool* truncated) {
    out->clear();
    FtpResult r = begin(remote_path, false);
    if (!r.ok()) return r;
    transfer_->out_text = out;
    transfer_->cap = cap;
    r = perform();
    if (truncated) *truncated = transfer_->truncated;
    return r;
}

FtpResult FtpClient::make_folder(const std::string& path) {
    if (!ftp_path_sendable(path)) return {FtpError::BAD_NAME, WHY_UNSENDABLE};
    return quote({"MKD " + path});
}

FtpResult FtpClient::remove_folder(const std::string& path) {
    if (!ftp_path_sendable(path) || path == "/") return {FtpError::BAD_NAME, WHY_UNSENDABLE};
    return quote({"RMD " + path});
}

FtpResult FtpClient::delete_file(const std::string& path) {
    if (!ftp_path_sendable(path)) return {FtpError::BAD_NAME, WHY_UNSENDABLE};
    return quote({"DELE " + path});
}

FtpResult FtpClient::rename(const std::string& from, const std::string& to) {
    if (!ftp_path_sendable(from) || !ftp_path_sendable(to)) return {FtpError::BAD_NAME, WHY_UNSENDABLE};
    return quote({"RNFR " + from, "RNTO " + to});
}

std::string ftp_join(std::string_view folder, std::string_view name) {
    std::string out(folder);
    if (out.empty() || out.back() != '/') out += '/';
    out += name;
    return out;
}

std::string ftp_parent(std::string_view folder) {
    while (folder.size() > 1 && folder.back() == '/') folder.remove_suffix(1);
    const std::size_t slash = folder.rfind('/');
    if (slash == std::string_view::npos || slash == 0) return "/";
    return std::string(folder.substr(0, slash));
}

std::string ftp_resolve(std::string_view entry, std::string_view folder) {
    std::vector<std::string_view> parts;
    const auto take = [&parts](std::string_view path) {
        std::size_t pos = 0;
        while (pos <= path.size()) {
            std::size_t slash = path.find('/', pos);
            if (slash == std::string_view::npos) slash = path.size();
            const std::string_view part = path.substr(pos, slash - pos);
            if (part == "..") {
                if (!parts.empty()) parts.pop_back();
            } else if (!part.empty() && part != ".") {
                parts.push_back(part);
            }
            pos = slash + 1;
        }
    };
    if (folder.empty() || folder.front() != '/') take(entry);
    take(folder);
    std::string out;
    for (std::string_view part : parts) {
        out += '/';
        out += part;
    }
    return out.empty() ? "/" : out;
}

bool ftp_path_sendable(std::string_view path) { return !has_line_break(path); }

}  // namespace rix

// An FTP connection through libcurl, for the FTP window and `rix --ftp-put`.
//
// One easy handle lives from connect to disconnect; libcurl keeps the control
// connection open inside it and logs in again by itself when the server has
// dropped it. Every request is sent in passive mode, binary, with the
// credentials in their own options (never in an address), and bounded in
// time: the connect, each answer of the server, and a transfer that stalls.
//
// Paths are absolute ("/" for the top), in the server's own bytes (UTF-8
// when utf8() says so, else code page 932), parts joined with "/". The client
// escapes each part for the address and refuses, before anything is sent, a
// path or name holding CR, LF or NUL (a command could hide behind them).
//
// The progress callback runs during every transfer (several times a second
// while data flows or the server is waited for); it may handle window events
// and returns false to stop the transfer.
//
// Owns: the easy handle and its header lists. Never: writes outside the local
// path it is given, leaves a partial download behind, reads past a cap.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace rix {

struct FtpLogin {
    std::string host;              // name or address, no scheme
    int port = 21;
    std::string user, password;    // as the server takes them
    long connect_seconds = 15;     // reaching the server
    long answer_seconds = 30;      // each answer of the server
    long stall_seconds = 60;       // a transfer without a byte for this long fails
};

enum class FtpError : std::uint8_t {
    NONE,
    INIT,          // libcurl could not be set up
    BAD_NAME,      // a path or name the client refused to send
    CONNECT,       // the server could not be reached
    LOGIN,         // the server refused the user or the password
    NOT_FOUND,     // no such folder or file (or no access to it)
    REFUSED,       // the server answered a command with an error
    LOCAL,         // the local file could not be read, created or written (errno kept)
    EXISTS,        // the local file of a download exists already
    STOPPED,       // the progress callback stopped it
    TIMEOUT,
    NOT_CONNECTED,
    FAILED,        // anything else
};

struct FtpResult {
    FtpError error = FtpError::NONE;
    std::string detail;            // why it failed (libcurl's words, UTF-8), for the log; never empty on a failure
    bool ok() const { return error == FtpError::NONE; }
};

class FtpClient {
public:
    // status: a number of publish/ftp_listing.h's FtpStatus; address for the
    // connecting lines, bytes for the counts.
    using StatusSink = std::function<void(int status, const std::string& address, long bytes)>;
    using Progress = std::function<bool(std::int64_t done, std::int64_t total)>;

    FtpClient();
    ~FtpClient();                  // disconnects
    FtpClient(const FtpClient&) = delete;
    FtpClient& operator=(const FtpClient&) = delete;

    void set_status_sink(StatusSink sink) { status_ = std::move(sink); }
    void set_progress(Progress progress) { progress_ = std::move(progress); }
    const StatusSink& status_hook() const { return status_; }
    const Progress& progress_hook() const { return progress_; }

    // Logs in and asks the server what it offers (FEAT: UTF8, MLST).
    FtpResult connect(const FtpLogin& login);
    void disconnect();
    bool connected() const { return curl_ != nullptr; }
    bool utf8() const { return utf8_; }
    bool mlsd() const { return mlsd_; }
    // The folder the login put us in ("/" when the server did not say).
    const std::string& entry_path() const { return entry_path_; }

    // The listing of `folder` (MLSD when offered, else LIST), at most
    // `cap` bytes (a longer one is cut after its last whole line).
    FtpResult list(const std::string& folder, std::string* text, bool* was_mlsd, std::size_t cap = 16u << 20);
    // Stores the local file under `remote_path`, replacing what is there.
    FtpResult upload(const std::string& local_path, const std::string& remote_path);
    // Fetches `remote_path` into `local_path`, which must not exist (EXISTS,
    // untouched); the file is created exclusively and removed when anything fails.
    FtpResult download(const std::string& remote_path, const std::string& local_path);
    // At most `cap` bytes of the file; *truncated says the file went on.
    FtpResult read(const std::string& remote_path, std::size_t cap, std::string* out, bool* truncated);
    FtpResult make_folder(const std::string& path);
    FtpResult remove_folder(const std::string& path);
    FtpResult delete_file(const std::string& path);
    FtpResult rename(const std::string& from, const std::string& to);

    struct Transfer;               // what one request's callbacks share

private:
    FtpResult begin(const std::string& path, bool folder);
    FtpResult perform();
    FtpResult quote(std::initializer_list<std::string> commands);

    void* curl_ = nullptr;         // CURL*, null while not connected
    FtpLogin login_;
    std::string base_;             // "ftp://host:port"
    bool utf8_ = false, mlsd_ = false;
    std::string entry_path_ = "/";
    StatusSink status_;
    Progress progress_;
    std::unique_ptr<Transfer> transfer_;
};

// "/a/b" + "c" → "/a/b/c"; "/" + "c" → "/c".
std::string ftp_join(std::string_view folder, std::string_view name);
// "/a/b" → "/a"; "/a" → "/"; "/" → "/".
std::string ftp_parent(std::string_view folder);
// A folder of the settings (absolute, or relative to `entry`) as an absolute
// path without a trailing "/" and without "." parts; ".." climbs (never
// above "/").
std::string ftp_resolve(std::string_view entry, std::string_view folder);
// Whether the client would send this path (no CR, LF or NUL).
bool ftp_path_sendable(std::string_view path);

}  // namespace rix

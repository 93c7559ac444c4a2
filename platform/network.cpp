// HTTP download through libcurl, written through a temporary file.
#include "platform/network.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cerrno>
#include <cstring>
#include <vector>

namespace rix {
namespace {

struct Sink {
    int fd = -1;
    bool failed = false;
};

std::size_t write_to_fd(char* data, std::size_t size, std::size_t count, void* user) {
    Sink* sink = static_cast<Sink*>(user);
    std::size_t total = size * count;
    std::size_t done = 0;
    while (done < total) {
        ssize_t n = ::write(sink->fd, data + done, total - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            sink->failed = true;
            return 0;  // tells curl to stop
        }
        done += static_cast<std::size_t>(n);
    }
    return total;
}

bool curl_ready() {
    static const bool ready = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
    return ready;
}

}  // namespace

std::string download_file_name(const std::string& url) {
    std::string rest = url;
    std::size_t scheme = rest.find("://");
    if (scheme != std::string::npos) rest = rest.substr(scheme + 3);
    std::size_t cut = rest.find_first_of("?#");
    if (cut != std::string::npos) rest.resize(cut);
    std::size_t slash = rest.find('/');
    std::string path = slash == std::string::npos ? std::string() : rest.substr(slash);
    std::size_t last = path.find_last_of('/');
    std::string name = last == std::string::npos ? path : path.substr(last + 1);
    std::string clean;
    for (char c : name) {
        unsigned char u = static_cast<unsigned char>(c);
        clean += (u < 0x20 || c == '\\' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' ||
                  c == '>' || c == '|') ? '_' : c;
    }
    if (clean.empty() || clean == "." || clean == "..") return "download.txt";
    return clean;
}

DownloadResult http_download(const std::string& url, const std::string& dest_path) {
    DownloadResult result;
    if (!curl_ready()) {
        result.error = "通信機能を初期化できません。";
        return result;
    }
    std::string temp = dest_path + ".partXXXXXX";
    std::vector<char> name(temp.begin(), temp.end());
    name.push_back('\0');
    Sink sink;
    sink.fd = mkstemp(name.data());
    if (sink.fd < 0) {
        result.error = "保存先のファイルを作れません。";
        return result;
    }
    CURL* curl = curl_easy_init();
    if (!curl) {
        ::close(sink.fd);
        ::unlink(name.data());
        result.error = "通信機能を初期化できません。";
        return result;
    }
    char errbuf[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, 5L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT, 15L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 120L);
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "RIX/7.11");
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, write_to_fd);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &sink);
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, errbuf);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    CURLcode rc = curl_easy_perform(curl);
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &result.http_status);
    curl_easy_cleanup(curl);

    bool synced = ::fsync(sink.fd) == 0;
    ::close(sink.fd);
    if (rc != CURLE_OK || sink.failed) {
        result.error = errbuf[0] ? errbuf : curl_easy_strerror(rc);
    } else if (result.http_status < 200 || result.http_status > 299) {
        result.error = "HTTP " + std::to_string(result.http_status);
    } else if (!synced || std::rename(name.data(), dest_path.c_str()) != 0) {
        result.error = "保存先のファイルに書けません。";
    } else {
        result.ok = true;
        return result;
    }
    ::unlink(name.data());
    return result;
}

}  // namespace rix

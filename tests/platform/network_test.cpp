// Downloads against a small HTTP server on 127.0.0.1 run by the test itself.
// Owed: https (needs a certificate of our own).
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "platform/files.h"
#include "platform/network.h"
#include "tests/support/temp_folder.h"

using namespace rix;

namespace {

// Serves a fixed number of connections with one canned answer each, then
// stops; every wait is bounded.
class TinyServer {
public:
    TinyServer(std::string response, int connections) : response_(std::move(response)) {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
        ::listen(fd_, 4);
        socklen_t len = sizeof addr;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len);
        port_ = ntohs(addr.sin_port);
        thread_ = std::thread([this, connections] { serve(connections); });
    }
    ~TinyServer() {
        thread_.join();
        ::close(fd_);
    }
    std::string url(const std::string& path) const { return "http://127.0.0.1:" + std::to_string(port_) + path; }
    std::string last_request;

private:
    void serve(int connections) {
        for (int i = 0; i < connections; ++i) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 5000) <= 0) return;
            int c = ::accept(fd_, nullptr, nullptr);
            if (c < 0) return;
            char buf[4096];
            std::string request;
            while (request.find("\r\n\r\n") == std::string::npos) {
                pollfd q{c, POLLIN, 0};
                if (::poll(&q, 1, 5000) <= 0) break;
                ssize_t n = ::recv(c, buf, sizeof buf, 0);
                if (n <= 0) break;
                request.append(buf, static_cast<std::size_t>(n));
            }
            last_request = request;
            ::send(c, response_.data(), response_.size(), MSG_NOSIGNAL);
            ::close(c);
        }
    }
    std::string response_;
    int fd_ = -1;
    int port_ = 0;
    std::thread thread_;
};

}  // namespace

TEST(Download, FileNameIsTheLastSegmentWithoutQuery) {
    EXPECT_EQ(download_file_name("http://example.invalid/novels/ch1.txt?x=1#top"), "ch1.txt");
    EXPECT_EQ(download_file_name("http://example.invalid/"), "download.txt");
    EXPECT_EQ(download_file_name("http://example.invalid"), "download.txt");
    EXPECT_EQ(download_file_name("http://example.invalid/a/.."), "download.txt");
    EXPECT_EQ(download_file_name("https://example.invalid/x/a:b*c.txt"), "a_b_c.txt");
}

TEST(Download, SuccessWritesTheBody) {
    rix::test::TempFolder dir;
    std::string body = "\x82\xa0\x82\xa2\r\n";
    TinyServer server("HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body, 1);
    DownloadResult r = http_download(server.url("/doc.txt"), dir.file("doc.txt"));
    EXPECT_TRUE(r.ok) << r.error;
    EXPECT_EQ(r.http_status, 200);
    std::string got;
    ASSERT_TRUE(read_whole_file(dir.file("doc.txt"), &got));
    EXPECT_EQ(got, body);
}

TEST(Download, ErrorStatusLeavesNothing) {
    rix::test::TempFolder dir;
    TinyServer server("HTTP/1.0 404 Not Found\r\nContent-Length: 9\r\n\r\nnot found", 1);
    DownloadResult r = http_download(server.url("/missing.txt"), dir.file("missing.txt"));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.http_status, 404);
    EXPECT_TRUE(list_folder_names(dir.path()).empty());
}

TEST(Download, RefusedConnectionAndOtherSchemes) {
    rix::test::TempFolder dir;
    int port = 0;
    {
        TinyServer server("", 0);   // binds, then closes: the port is free again
        port = std::stoi(server.url("").substr(17));
    }
    DownloadResult r = http_download("http://127.0.0.1:" + std::to_string(port) + "/x.txt", dir.file("x.txt"));
    EXPECT_FALSE(r.ok);
    EXPECT_FALSE(r.error.empty());
    r = http_download("file:///etc/passwd", dir.file("p.txt"));
    EXPECT_FALSE(r.ok);
    EXPECT_TRUE(list_folder_names(dir.path()).empty());
}

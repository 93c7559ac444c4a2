// The FTP connection against a real server on 127.0.0.1 (tests/support/
// ftp_server.py): login and its refusals, a missing folder, a Japanese name
// uploaded, downloads that never overwrite and never leave a partial file,
// folders made, renamed and removed (a full one refused), a capped read, a
// transfer stopped from the progress callback, a server that never answers,
// and paths that could carry a second command refused before anything is sent.
//
// Owed: a server that offers neither UTF8 nor MLST (pyftpdlib offers both).
#include "platform/ftp_client.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "platform/files.h"
#include "tests/support/ftp_server.h"
#include "tests/support/temp_folder.h"

namespace rix {
namespace {

using test::LocalFtpServer;

TEST(FtpPaths, JoinParentAndResolve) {
    EXPECT_EQ(ftp_join("/", "a"), "/a");
    EXPECT_EQ(ftp_join("/a/b", "c"), "/a/b/c");
    EXPECT_EQ(ftp_parent("/a/b"), "/a");
    EXPECT_EQ(ftp_parent("/a"), "/");
    EXPECT_EQ(ftp_parent("/"), "/");
    EXPECT_EQ(ftp_resolve("/home/u", "www"), "/home/u/www");
    EXPECT_EQ(ftp_resolve("/home/u", "/srv/www/"), "/srv/www");
    EXPECT_EQ(ftp_resolve("/home/u", "./a/../b"), "/home/u/b");
    EXPECT_EQ(ftp_resolve("/", "../../.."), "/");
    EXPECT_TRUE(ftp_path_sendable("/a b/原稿"));
    EXPECT_FALSE(ftp_path_sendable("/a\r\nDELE x"));
}

struct FtpClientTest : ::testing::Test {
    test::TempFolder served, local;
    std::unique_ptr<LocalFtpServer> server;
    std::vector<int> statuses;   // before the client: its last statuses come as it goes
    FtpClient client;

    void SetUp() override {
        RIX_NEED_FTP_SERVER();
        server = std::make_unique<LocalFtpServer>(served.path());
        ASSERT_GT(server->port(), 0) << "the test server did not start";
        client.set_status_sink([this](int status, const std::string&, long) { statuses.push_back(status); });
    }
    FtpLogin login(const std::string& password = LocalFtpServer::PASSWORD) const {
        FtpLogin l;
        l.host = "127.0.0.1";
        l.port = server->port();
        l.user = LocalFtpServer::USER;
        l.password = password;
        l.connect_seconds = 5;
        l.answer_seconds = 5;
        l.stall_seconds = 5;
        return l;
    }
    void connect() { ASSERT_TRUE(client.connect(login()).ok()); }
    std::string listing(const std::string& folder = "/") {
        std::string text;
        bool mlsd = false;
        EXPECT_TRUE(client.list(folder, &text, &mlsd).ok());
        return text;
    }
};

TEST_F(FtpClientTest, ConnectsAndListsWithWhatTheServerOffers) {
    served.write("第一章.htm", "<html></html>");
    ASSERT_EQ(::mkdir(served.file("画像").c_str(), 0755), 0);
    connect();
    EXPECT_TRUE(client.connected());
    EXPECT_TRUE(client.utf8());
    EXPECT_TRUE(client.mlsd());
    EXPECT_EQ(client.entry_path(), "/");
    const std::string text = listing();
    const std::size_t page = text.find(" 第一章.htm\n") != std::string::npos ? text.find(" 第一章.htm\n") : text.find(" 第一章.htm\r\n");
    ASSERT_NE(page, std::string::npos) << text;
    const std::string facts = text.substr(text.rfind('\n', page) + 1, page - text.rfind('\n', page));
    EXPECT_NE(facts.find("type=file;"), std::string::npos) << facts;
    EXPECT_NE(facts.find("size=13;"), std::string::npos) << facts;
    EXPECT_NE(text.find("type=dir;"), std::string::npos) << text;
    // The log saw the handle, the connection, commands and answers.
    for (int status : {60, 10, 20, 21, 30, 31, 41})
        EXPECT_NE(std::find(statuses.begin(), statuses.end(), status), statuses.end()) << status;
    client.disconnect();
    EXPECT_FALSE(client.connected());
    EXPECT_EQ(statuses.back(), 70);
    std::string text2;
    EXPECT_EQ(client.list("/", &text2, nullptr).error, FtpError::NOT_CONNECTED);
}

TEST_F(FtpClientTest, ABadPasswordAndAMissingFolderAreTold) {
    const FtpResult bad = client.connect(login("wrong"));
    EXPECT_EQ(bad.error, FtpError::LOGIN);
    EXPECT_FALSE(bad.detail.empty());   // the log and `rix --ftp-put` say why
    EXPECT_FALSE(client.connected());

    connect();
    std::string text;
    EXPECT_EQ(client.list("/無い", &text, nullptr).error, FtpError::NOT_FOUND);
    EXPECT_TRUE(text.empty());
    // The connection serves on after the refusal.
    EXPECT_TRUE(client.list("/", &text, nullptr).ok());
}

TEST_F(FtpClientTest, UploadsAJapaneseNameIntoAFolder) {
    ASSERT_EQ(::mkdir(served.file("公開").c_str(), 0755), 0);
    const std::string page = local.write("縦書き 第一章.htm", std::string(100000, 'x') + "終");
    connect();
    ASSERT_TRUE(client.upload(page, "/公開/縦書き 第一章.htm").ok());
    EXPECT_EQ(test::slurp(served.file("公開/縦書き 第一章.htm")), test::slurp(page));
    // Again: the server's copy is replaced.
    local.write("縦書き 第一章.htm", "短い");
    ASSERT_TRUE(client.upload(page, "/公開/縦書き 第一章.htm").ok());
    EXPECT_EQ(test::slurp(served.file("公開/縦書き 第一章.htm")), "短い");
    EXPECT_EQ(client.upload(local.file("無い.htm"), "/x.htm").error, FtpError::LOCAL);
    EXPECT_EQ(client.upload(page, "/無いフォルダ/x.htm").error == FtpError::NONE, false);
}

TEST_F(FtpClientTest, DownloadsNeverOverwriteNorLeaveAPartialFile) {
    served.write("原稿.txt", "server copy");
    const std::string mine = local.write("原稿.txt", "my own words");
    connect();
    EXPECT_EQ(client.download("/原稿.txt", mine).error, FtpError::EXISTS);
    EXPECT_EQ(test::slurp(mine), "my own words");

    const std::string missing = local.file("無い.txt");
    EXPECT_EQ(client.download("/無い.txt", missing).error, FtpError::NOT_FOUND);
    EXPECT_FALSE(file_exists(missing));

    const std::string fresh = local.file("新しい.txt");
    ASSERT_TRUE(client.download("/原稿.txt", fresh).ok());
    EXPECT_EQ(test::slurp(fresh), "server copy");
}

TEST_F(FtpClientTest, AStoppedTransferLeavesNothing) {
    served.write("big.bin", std::string(8u << 20, 'b'));
    connect();
    int calls = 0;
    client.set_progress([&calls](std::int64_t done, std::int64_t) {
        ++calls;
        return done == 0;   // stop once data flows
    });
    const std::string target = local.file("big.bin");
    EXPECT_EQ(client.download("/big.bin", target).error, FtpError::STOPPED);
    EXPECT_GT(calls, 0);
    EXPECT_FALSE(file_exists(target));
    client.set_progress(nullptr);
    // The same connection serves the next request.
    EXPECT_TRUE(client.download("/big.bin", target).ok());
    EXPECT_EQ(file_size(target), 8 << 20);
}

TEST_F(FtpClientTest, FoldersAreMadeRenamedAndRemoved) {
    connect();
    ASSERT_TRUE(client.make_folder("/章立て").ok());
    EXPECT_TRUE(folder_exists(served.file("章立て")));
    EXPECT_EQ(client.make_folder("/章立て").error, FtpError::REFUSED);
    ASSERT_TRUE(client.rename("/章立て", "/第二部").ok());
    EXPECT_FALSE(folder_exists(served.file("章立て")));
    EXPECT_TRUE(folder_exists(served.file("第二部")));

    served.write("第二部/中身.txt", "x");
    EXPECT_EQ(client.remove_folder("/第二部").error, FtpError::REFUSED);
    EXPECT_TRUE(file_exists(served.file("第二部/中身.txt")));
    ASSERT_TRUE(client.delete_file("/第二部/中身.txt").ok());
    ASSERT_TRUE(client.remove_folder("/第二部").ok());
    EXPECT_FALSE(folder_exists(served.file("第二部")));
    EXPECT_EQ(client.delete_file("/第二部/中身.txt").error, FtpError::REFUSED);
}

TEST_F(FtpClientTest, ReadsStopAtTheCap) {
    served.write("長い.txt", std::string(50000, 'a'));
    served.write("短い.txt", "abc");
    connect();
    std::string text;
    bool truncated = false;
    ASSERT_TRUE(client.read("/長い.txt", 4096, &text, &truncated).ok());
    EXPECT_EQ(text.size(), 4096u);
    EXPECT_TRUE(truncated);
    ASSERT_TRUE(client.read("/短い.txt", 4096, &text, &truncated).ok());
    EXPECT_EQ(text, "abc");
    EXPECT_FALSE(truncated);
}

TEST_F(FtpClientTest, PathsWithLineBreaksAreNeverSent) {
    served.write("keep.txt", "x");
    connect();
    EXPECT_EQ(client.delete_file("/a\r\nDELE /keep.txt").error, FtpError::BAD_NAME);
    EXPECT_EQ(client.make_folder("/a\nDELE /keep.txt").error, FtpError::BAD_NAME);
    EXPECT_EQ(client.rename("/keep.txt", "/b\rDELE /keep.txt").error, FtpError::BAD_NAME);
    std::string text;
    EXPECT_EQ(client.list("/x\r\n", &text, nullptr).error, FtpError::BAD_NAME);
    EXPECT_TRUE(file_exists(served.file("keep.txt")));
    FtpLogin l = login();
    l.user = "writer\r\nDELE /keep.txt";
    EXPECT_EQ(client.connect(l).error, FtpError::BAD_NAME);
    EXPECT_TRUE(file_exists(served.file("keep.txt")));
}

TEST(FtpClientFaults, EveryRefusalBeforeSendingSaysWhy) {
    // Nothing here reaches a server: the client refuses first, and says why.
    FtpClient client;
    FtpLogin l;
    l.host = "127.0.0.1";
    l.port = 9;
    l.user = "writer";
    for (const char* password : {"pass\r\nDELE /keep.txt", "pass\n", "\rpass"}) {
        l.password = password;
        const FtpResult r = client.connect(l);
        EXPECT_EQ(r.error, FtpError::BAD_NAME);
        EXPECT_NE(r.detail.find("password"), std::string::npos) << r.detail;
    }
    l.password = "pass";
    l.user = "writer\n";
    EXPECT_NE(client.connect(l).detail.find("user"), std::string::npos);
    l.host = "";
    EXPECT_NE(client.connect(l).detail.find("host"), std::string::npos);
    EXPECT_FALSE(client.connected());
    std::string text;
    EXPECT_FALSE(client.list("/", &text, nullptr).detail.empty());   // not connected
    EXPECT_FALSE(client.delete_file("/a\r\nDELE b").detail.empty());
}

TEST(FtpClientFaults, AClosedPortAndASilentServerFailInTime) {
    // A port that listens but never greets.
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(::listen(fd, 4), 0);
    socklen_t len = sizeof addr;
    ASSERT_EQ(::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len), 0);
    FtpLogin l;
    l.host = "127.0.0.1";
    l.port = ntohs(addr.sin_port);
    l.user = "u";
    l.password = "p";
    l.connect_seconds = 2;
    l.answer_seconds = 1;
    FtpClient client;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(client.connect(l).error, FtpError::TIMEOUT);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
    EXPECT_FALSE(client.connected());
    ::close(fd);
    // Nobody listens there now.
    EXPECT_EQ(client.connect(l).error, FtpError::CONNECT);
}

}  // namespace
}  // namespace rix

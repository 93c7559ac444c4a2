// rix --ftp-put against a real FTP server on 127.0.0.1: the files land in the
// site folder under their own (Japanese) names; a missing file or an
// incomplete site stops before anything is sent.
#include "app/ftp_batch.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>

#include "platform/codec.h"
#include "platform/files.h"
#include "tests/support/ftp_server.h"
#include "tests/support/temp_folder.h"

namespace rix {
namespace {

using test::LocalFtpServer;

struct FtpBatchTest : ::testing::Test {
    test::TempFolder served, local;
    std::unique_ptr<LocalFtpServer> server;
    Application app;

    void SetUp() override {
        RIX_NEED_FTP_SERVER();
        server = std::make_unique<LocalFtpServer>(served.path());
        ASSERT_GT(server->port(), 0);
        ::setenv("RIX_FTP_PORT", std::to_string(server->port()).c_str(), 1);
        ASSERT_EQ(::mkdir(served.file("www").c_str(), 0755), 0);
        SettingsRecord& r = app.settings.rec;
        store_field(r.ftp_host[1], 32, "127.0.0.1");
        store_field(r.ftp_user[1], 32, LocalFtpServer::USER);
        store_field(r.ftp_password[1], 32, LocalFtpServer::PASSWORD);
        store_field(r.ftp_site_folder[1], 64, "www");
        app.line.ftp_site = 2;
    }
    void TearDown() override { ::unsetenv("RIX_FTP_PORT"); }
};

TEST_F(FtpBatchTest, UploadsEachFileIntoTheSiteFolder) {
    app.line.ftp_files = {local.write("第一章.htm", "<html>1"), local.write("list_001.txt", "a.txt\r\n")};
    testing::internal::CaptureStdout();
    EXPECT_EQ(batch_ftp_put(app), 0);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "uploaded 第一章.htm\nuploaded list_001.txt\n");
    EXPECT_EQ(test::slurp(served.file("www/第一章.htm")), "<html>1");
    EXPECT_EQ(test::slurp(served.file("www/list_001.txt")), "a.txt\r\n");
}

TEST_F(FtpBatchTest, NothingIsSentWhenAFileOrTheSiteIsMissing) {
    app.line.ftp_files = {local.write("a.htm", "a"), local.file("無い.htm")};
    EXPECT_EQ(batch_ftp_put(app), 1);
    EXPECT_FALSE(file_exists(served.file("www/a.htm")));
    app.line.ftp_files = {local.write("a.htm", "a")};
    app.line.ftp_site = 3;   // no host
    EXPECT_EQ(batch_ftp_put(app), 1);
    EXPECT_FALSE(file_exists(served.file("www/a.htm")));
}

}  // namespace
}  // namespace rix

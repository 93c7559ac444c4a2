// rix --ftp-put against a real FTP server on 127.0.0.1: the files land in the
// site folder under their own (Japanese) names; a missing file, an
// incomplete site or a password with a line break stops before anything is
// sent; a refused login says why.
#include "app/publish/ftp_batch.h"

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

TEST_F(FtpBatchTest, APasswordWithALineBreakIsRefusedBeforeLoggingIn) {
    store_field(app.settings.rec.ftp_password[1], 32, "pw\r\nDELE x");
    app.line.ftp_files = {local.write("a.htm", "a")};
    testing::internal::CaptureStderr();
    EXPECT_EQ(batch_ftp_put(app), 1);
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("Ｐａｓｓに改行が入っています"), std::string::npos) << said;
    EXPECT_EQ(said.find("cannot log in"), std::string::npos) << said;
    EXPECT_FALSE(file_exists(served.file("www/a.htm")));
}

TEST_F(FtpBatchTest, AFailedLoginSaysWhy) {
    store_field(app.settings.rec.ftp_password[1], 32, "wrong");
    app.line.ftp_files = {local.write("a.htm", "a")};
    testing::internal::CaptureStderr();
    EXPECT_EQ(batch_ftp_put(app), 1);
    const std::string said = testing::internal::GetCapturedStderr();
    const std::string lead = "rix: cannot log in to 127.0.0.1: ";
    ASSERT_EQ(said.compare(0, lead.size(), lead), 0) << said;
    EXPECT_GT(said.size(), lead.size() + 1) << said;   // a reason, not just the line end
}

}  // namespace
}  // namespace rix

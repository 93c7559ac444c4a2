// The FTP window on the fake dialog host against a real FTP server on
// 127.0.0.1: connecting (the site check, a bad password, a missing folder),
// disconnecting, uploads with 全てはい / いいえ / 取消, a download that would
// overwrite, hostile names in a listing, folders made, renamed and removed on
// the site, a capped view, the local side's refusals (the edited document,
// the parent row, a rename onto an existing name), the publishing folder
// filled after HTML_MAKE, sorting, the folder choice and the site details.
//
// Owed: a transfer stopped from the window (the progress callback is tested
// on the client alone).
#include "app/publish/ftp_window.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/codec.h"
#include "platform/fake_dialogs.h"
#include "platform/fake_messages.h"
#include "platform/files.h"
#include "publish/ftp_listing.h"
#include "tests/support/ftp_server.h"
#include "tests/support/temp_folder.h"

namespace rix {
namespace {

using test::LocalFtpServer;

std::string sj(std::string_view utf8) { return utf8_to_sjis(utf8); }

struct FtpWindowTest : ::testing::Test {
    FakeDialogHost host;
    FakeMessages messages;
    test::TempFolder served, local, data;
    std::unique_ptr<LocalFtpServer> server;
    SettingsState settings;
    FtpWindowServices services;
    int mode = FTP_OPEN_MENU;
    bool hostile = false;

    void SetUp() override {
        RIX_NEED_FTP_SERVER();
        set_site(0, "テスト", "127.0.0.1", LocalFtpServer::USER, LocalFtpServer::PASSWORD, "/");
        services.program_folder = data.path();
        services.document_path = local.write("原稿.txt", "本文");
        services.current_folder = local.path();
    }
    void start_server() {
        server = std::make_unique<LocalFtpServer>(served.path(), hostile);
        ASSERT_GT(server->port(), 0) << "the test server did not start";
        services.port = server->port();
    }
    void set_site(int s, std::string_view name, std::string_view host_name, std::string_view user,
                  std::string_view password, std::string_view folder) {
        SettingsRecord& r = settings.rec;
        store_field(r.ftp_site_name[s], sizeof r.ftp_site_name[s], sj(name));
        store_field(r.ftp_host[s], sizeof r.ftp_host[s], sj(host_name));
        store_field(r.ftp_user[s], sizeof r.ftp_user[s], sj(user));
        store_field(r.ftp_password[s], sizeof r.ftp_password[s], sj(password));
        store_field(r.ftp_site_folder[s], sizeof r.ftp_site_folder[s], sj(folder));
    }
    void run(const std::function<void(DialogSession&)>& act) {
        if (!server) start_server();
        // The window opens first; the scripts queued before are for the dialogs it opens.
        host.scripts.push_front([&act](DialogSession& d) {
            act(d);
            d.press(FTP_CLOSE);
        });
        open_ftp_window(&settings, mode, services, 0);
        EXPECT_EQ(host.left_open, 0);
        EXPECT_EQ(host.unscripted, 0);
        EXPECT_TRUE(host.missing.empty());
    }
    // The next YESNOALL (or other small dialog) presses `button`.
    void answer(int button) {
        host.script([button](DialogSession& d) { d.press(button); });
    }
    static int row_of(DialogSession& d, int list, std::string_view name) {
        for (int r = 0; r < d.item_count(list); ++r)
            if (d.cell_text(list, r, 1) == sj(name)) return r;
        return -1;
    }
    static std::vector<std::string> names(DialogSession& d, int list) {
        std::vector<std::string> out;
        for (int r = 0; r < d.item_count(list); ++r) out.push_back(sjis_to_utf8(d.cell_text(list, r, 1)));
        return out;
    }
    static void select(DialogSession& d, int list, std::vector<std::string_view> wanted) {
        std::vector<int> rows;
        for (std::string_view name : wanted) {
            const int r = row_of(d, list, name);
            ASSERT_GE(r, 0) << name;
            rows.push_back(r);
        }
        d.select_rows(list, rows);
    }
    int count_opened(std::string_view name) const {
        int n = 0;
        for (const std::string& o : host.opened) n += o == name;
        return n;
    }
};

TEST_F(FtpWindowTest, ConnectsShowsTheSiteAndDisconnects) {
    served.write("第一章.htm", "<p>本文</p>");
    ASSERT_EQ(::mkdir(served.file("画像").c_str(), 0755), 0);
    run([&](DialogSession& d) {
        EXPECT_EQ(d.caption(), sj("　ＦＴＰ"));
        EXPECT_EQ(d.get_text(FTP_LOCAL_CHOICE), sj("選択ﾌｫﾙﾀﾞ"));   // the document's folder
        EXPECT_GE(row_of(d, FTP_LOCAL_LIST, "原稿.txt"), 0);
        EXPECT_EQ(d.item_text(FTP_LOG, 0), sj("―通信経過情報―"));
        EXPECT_TRUE(d.is_enabled(FTP_SITE_NAME_FIRST));
        EXPECT_FALSE(d.is_enabled(FTP_SITE_NAME_FIRST + 1));
        EXPECT_EQ(d.get_text(FTP_SITE_NAME_FIRST), sj("テスト"));

        d.press(FTP_CONNECT);
        EXPECT_TRUE(messages.saw("ＦＴＰサイトに接続しました｡"));
        EXPECT_EQ(d.caption(), sj("　テスト に接続中"));
        EXPECT_EQ(d.get_text(FTP_CONNECT), sj("切 断"));
        const int page = row_of(d, FTP_SITE_LIST, "第一章.htm");
        ASSERT_GE(page, 0);
        EXPECT_EQ(d.cell_text(FTP_SITE_LIST, page, 0), "H");
        EXPECT_EQ(d.cell_text(FTP_SITE_LIST, page, 2), "      13");
        const int folder = row_of(d, FTP_SITE_LIST, "画像");
        ASSERT_GE(folder, 0);
        EXPECT_EQ(d.cell_text(FTP_SITE_LIST, folder, 0), "F");
        EXPECT_EQ(d.get_text(FTP_SITE_ROWS), sj("2件"));
        EXPECT_EQ(d.get_text(FTP_SITE_FOLDER), "/");
        EXPECT_GT(d.item_count(FTP_LOG), 3);
        EXPECT_EQ(d.item_text(FTP_LOG, 1), sj("FTPセッションハンドルを作成"));
        EXPECT_EQ(d.item_text(FTP_LOG, 2), sj("IPアドレスの取得中"));

        // Into the folder and back up.
        d.double_click(FTP_SITE_LIST, folder);
        EXPECT_EQ(d.get_text(FTP_SITE_FOLDER), sj("/画像"));
        EXPECT_EQ(d.cell_text(FTP_SITE_LIST, 0, 0), sj("↑"));
        d.double_click(FTP_SITE_LIST, 0);
        EXPECT_EQ(d.get_text(FTP_SITE_FOLDER), "/");
        d.double_click(FTP_SITE_LIST, row_of(d, FTP_SITE_LIST, "第一章.htm"));
        EXPECT_TRUE(messages.saw("フォルダではありません｡"));

        d.press(FTP_CONNECT);
        EXPECT_TRUE(messages.saw("ＦＴＰをクローズしました｡"));
        EXPECT_TRUE(messages.saw("インターネットから切り離しました｡"));
        EXPECT_EQ(d.get_text(FTP_CONNECT), sj("接 続"));
        EXPECT_EQ(d.item_count(FTP_SITE_LIST), 0);
        EXPECT_EQ(d.item_count(FTP_LOG), 1);
        EXPECT_EQ(d.caption(), sj("　ＦＴＰ"));
    });
}

TEST_F(FtpWindowTest, TheSiteCheckABadPasswordAndAMissingFolderAreTold) {
    set_site(1, "空", "", "", "pw", "");
    settings.rec.ftp_site_index = 1;
    run([&](DialogSession& d) {
        d.press(FTP_CONNECT);
        EXPECT_EQ(messages.log.back().text, sj("ホスト名が設定されていません｡\n[詳細]をクリックして設定してください｡"));
        EXPECT_EQ(d.get_text(FTP_CONNECT), sj("接 続"));
        d.press(FTP_SITE_FIRST + 2);   // site 3: nothing at all but the ID
        EXPECT_TRUE(settings.changed);
        EXPECT_TRUE(d.is_enabled(FTP_SITE_NAME_FIRST + 2));
        EXPECT_FALSE(d.is_enabled(FTP_SITE_NAME_FIRST + 1));
    });
    EXPECT_EQ(settings.rec.ftp_site_index, 2);

    set_site(0, "テスト", "127.0.0.1", LocalFtpServer::USER, "wrong", "/");
    settings.rec.ftp_site_index = 0;
    run([&](DialogSession& d) {
        d.press(FTP_CONNECT);
        EXPECT_EQ(messages.log.back().text, sj("接続中にエラー発生｡"));
        EXPECT_EQ(d.get_text(FTP_CONNECT), sj("接 続"));
    });

    set_site(0, "テスト", "127.0.0.1", LocalFtpServer::USER, LocalFtpServer::PASSWORD, "無いフォルダ");
    run([&](DialogSession& d) {
        d.press(FTP_CONNECT);
        EXPECT_EQ(messages.log.back().text, sj("フォルダの設定が出来ません｡\n[詳細]のサイトフォルダを変更してください｡"));
        EXPECT_EQ(d.get_text(FTP_CONNECT), sj("接 続"));
        d.press(FTP_UPLOAD);
        EXPECT_EQ(messages.log.back().text, sj("接続されていません｡"));
    });
}

TEST_F(FtpWindowTest, YesToAllUploadsTheRestWithoutAsking) {
    for (const char* name : {"a.htm", "b.htm", "第三章.htm"}) local.write(name, std::string("page ") + name);
    answer(YESNOALL_ALL);
    run([&](DialogSession& d) {
        d.press(FTP_CONNECT);
        select(d, FTP_LOCAL_LIST, {"a.htm", "b.htm", "第三章.htm"});
        d.press(FTP_UPLOAD);
        EXPECT_TRUE(messages.saw("アップロードしました｡"));
        EXPECT_GE(row_of(d, FTP_SITE_LIST, "第三章.htm"), 0);
    });
    EXPECT_EQ(count_opened("YESNOALL"), 1);
    for (const char* name : {"a.htm", "b.htm", "第三章.htm"})
        EXPECT_EQ(test::slurp(served.file(name)), std::string("page ") + name);
}

TEST_F(FtpWindowTest, NoSkipsAndCancelStops) {
    for (const char* name : {"a.htm", "b.htm", "c.htm"}) local.write(name, "x");
    host.script([](DialogSession& d) {
        EXPECT_EQ(d.get_text(10), sj("「a.htm」を「/」にアップロードしますか？"));
        d.press(YESNOALL_NO);
    });
    answer(YESNOALL_YES);
    answer(DIALOG_CANCEL);
    run([&](DialogSession& d) {
        d.press(FTP_CONNECT);
        select(d, FTP_LOCAL_LIST, {"a.htm", "b.htm", "c.htm"});
        d.press(FTP_UPLOAD);
    });
    EXPECT_EQ(count_opened("YESNOALL"), 3);
    EXPECT_FALSE(file_exists(served.file("a.htm")));
    EXPECT_TRUE(file_exists(served.file("b.htm")));
    EXPECT_FALSE(file_exists(served.file("c.htm")));
    EXPECT_TRUE(messages.saw("アップロードしました｡"));
}

TEST_F(FtpWindowTest, ADownloadNeverOverwritesALocalFile) {
    served.write("原稿.txt", "the server's copy");
    served.write("新章.txt", "新しい");
    answer(YESNOALL_YES);
    answer(YESNOALL_YES);
    run([&](DialogSession& d) {
        d.press(FTP_CONNECT);
        select(d, FTP_SITE_LIST, {"原稿.txt"});
        d.press(FTP_DOWNLOAD);
        EXPECT_EQ(messages.log.back().text, sj("ダウンロードに失敗しました｡"));
        select(d, FTP_SITE_LIST, {"新章.txt"});
        d.press(FTP_DOWNLOAD);
        EXPECT_EQ(messages.log.back().text, sj("ダウンロードしました｡"));
        EXPECT_GE(row_of(d, FTP_LOCAL_LIST, "新章.txt"), 0);
        // Nothing selected.
        d.select_rows(FTP_SITE_LIST, {});
        d.press(FTP_DOWNLOAD);
        EXPECT_EQ(messages.log.back().text, sj("選択されていません"));
    });
    EXPECT_EQ(test::slurp(services.document_path), "本文");
    EXPECT_EQ(test::slurp(local.file("新章.txt")), "新しい");
}

TEST_F(FtpWindowTest, HostileNamesInAListingNeverBecomeRows) {
    hostile = true;
    served.write("ok.htm", "ok");
    run([&](DialogSession& d) {
        d.press(FTP_CONNECT);
        EXPECT_EQ(names(d, FTP_SITE_LIST), std::vector<std::string>{"ok.htm"});
        bool told = false;
        for (int i = 0; i < d.item_count(FTP_LOG); ++i)
            told |= d.item_text(FTP_LOG, i) == sj("使えない名前の3件を一覧から外しました");
        EXPECT_TRUE(told);
    });
    EXPECT_FALSE(file_exists(local.file("../evil")));
}

TEST_F(FtpWindowTest, SiteFoldersAreMadeRenamedAndRemoved) {
    ASSERT_EQ(::mkdir(served.file("満杯").c_str(), 0755), 0);
    served.write("満杯/中身.txt", "x");
    served.write("既存.txt", "x");
    host.script([](DialogSession& d) {   // MYCREATEDIR
        d.type_text(10, sj("章立て"));
        d.press(DIALOG_OK);
    });
    host.script([](DialogSession& d) {   // MYRENAME: onto a listed name
        EXPECT_EQ(d.get_text(10), sj("章立て"));
        d.type_text(11, sj("既存.txt"));
        d.press(DIALOG_OK);
    });
    host.script([](DialogSession& d) {   // MYRENAME
        d.type_text(11, sj("第二部"));
        d.press(DIALOG_OK);
    });
    answer(YESNOALL_YES);   // delete 第二部
    answer(YESNOALL_YES);   // delete 満杯
    run([&](DialogSession& d) {
        d.press(FTP_CONNECT);
        d.press(FTP_SIDE_SITE);
        d.press(FTP_MAKE_FOLDER);
        EXPECT_TRUE(folder_exists(served.file("章立て")));
        select(d, FTP_SITE_LIST, {"章立て"});
        d.press(FTP_RENAME);
        EXPECT_EQ(messages.log.back().text, sj("同じ名前のファイルがあります｡"));
        EXPECT_TRUE(folder_exists(served.file("章立て")));
        select(d, FTP_SITE_LIST, {"章立て"});
        d.press(FTP_RENAME);
        EXPECT_TRUE(folder_exists(served.file("第二部")));
        EXPECT_GE(row_of(d, FTP_SITE_LIST, "第二部"), 0);
        select(d, FTP_SITE_LIST, {"第二部"});
        d.press(FTP_DELETE);
        EXPECT_FALSE(folder_exists(served.file("第二部")));
        select(d, FTP_SITE_LIST, {"満杯"});
        d.press(FTP_DELETE);
        EXPECT_EQ(messages.log.back().text,
                  sj("フォルダの削除に失敗しました｡\nフォルダ内にファイルが存在しないか確認してください｡"));
        EXPECT_GE(row_of(d, FTP_SITE_LIST, "満杯"), 0);
    });
    EXPECT_TRUE(file_exists(served.file("満杯/中身.txt")));
}

TEST_F(FtpWindowTest, ViewingReadsOneFileUpToTheCap) {
    served.write("大きい.txt", std::string(FTP_VIEW_CAP + 5000, 'a'));
    served.write("小さい.txt", "一行目\n二行目\n");
    ASSERT_EQ(::mkdir(served.file("画像").c_str(), 0755), 0);
    std::size_t big_size = 0;
    host.script([&big_size](DialogSession& d) {
        big_size = d.get_text(10).size();
        d.press(DIALOG_CANCEL);
    });
    host.script([](DialogSession& d) {
        EXPECT_EQ(d.caption(), sj("小さい.txt"));
        EXPECT_EQ(d.get_text(10), sj("一行目\r\n二行目\r\n"));
        d.press(DIALOG_CANCEL);
    });
    run([&](DialogSession& d) {
        d.press(FTP_CONNECT);
        d.press(FTP_SIDE_SITE);
        d.press(FTP_VIEW);
        EXPECT_EQ(messages.log.back().text, sj("選択されていません｡"));
        select(d, FTP_SITE_LIST, {"大きい.txt", "小さい.txt"});
        d.press(FTP_VIEW);
        EXPECT_EQ(messages.log.back().text, sj("複数選択されています｡"));
        select(d, FTP_SITE_LIST, {"画像"});
        d.press(FTP_VIEW);
        EXPECT_EQ(messages.log.back().text, sj("「画像」はファイルではありません"));
        select(d, FTP_SITE_LIST, {"大きい.txt"});
        d.press(FTP_VIEW);
        select(d, FTP_SITE_LIST, {"小さい.txt"});
        d.press(FTP_VIEW);
    });
    EXPECT_GE(big_size, FTP_VIEW_CAP);
    EXPECT_LT(big_size, FTP_VIEW_CAP + 100);
}

TEST_F(FtpWindowTest, TheLocalSideKeepsTheDocumentTheParentAndExistingNames) {
    ASSERT_TRUE(::chmod(services.document_path.c_str(), 0444) == 0);   // the in-use mark
    local.write("古い.txt", "old");
    local.write("新しい.txt", "new");
    answer(YESNOALL_ALL);
    host.script([](DialogSession& d) {   // MYRENAME
        d.type_text(11, sj("新しい.txt"));
        d.press(DIALOG_OK);
    });
    run([&](DialogSession& d) {
        ASSERT_EQ(d.cell_text(FTP_LOCAL_LIST, 0, 0), sj("↑"));
        d.select_rows(FTP_LOCAL_LIST, {0});
        d.press(FTP_DELETE);
        EXPECT_EQ(messages.log.back().text, sj("選択されていません｡"));
        select(d, FTP_LOCAL_LIST, {"原稿.txt"});
        d.press(FTP_DELETE);
        EXPECT_EQ(messages.log.back().text, sj("削除出来ませんでした｡"));
        select(d, FTP_LOCAL_LIST, {"古い.txt"});
        d.press(FTP_RENAME);
        EXPECT_EQ(messages.log.back().text, sj("同じ名前のファイルがあります｡"));
    });
    EXPECT_EQ(test::slurp(services.document_path), "本文");
    EXPECT_EQ(test::slurp(local.file("古い.txt")), "old");
    EXPECT_EQ(test::slurp(local.file("新しい.txt")), "new");
}

TEST_F(FtpWindowTest, AfterAPageThePublishingFolderIsFilled) {
    const std::string publish = data.file("公開フォルダ");
    ASSERT_EQ(::mkdir(publish.c_str(), 0755), 0);
    data.write("公開フォルダ/前回.htm", "old");
    data.write("rix.class", "applet");
    services.made_page = local.write("第一章.htm", "<html>");
    mode = FTP_OPEN_PAGE;
    messages.answer(MSG_RESULT_YES);
    run([&](DialogSession& d) {
        EXPECT_EQ(d.caption(), sj("　ＨＴＭＬ公開"));
        EXPECT_EQ(d.get_text(FTP_LOCAL_CHOICE), sj("公開ﾌｫﾙﾀﾞ"));
        EXPECT_EQ(names(d, FTP_LOCAL_LIST), (std::vector<std::string>{"..", "rix.class", "第一章.htm"}));
        EXPECT_EQ(d.cell_text(FTP_LOCAL_LIST, 1, 0), "C");
        // 切替: 選択, マイ (none: said, skipped), 既定, and back to the publishing folder.
        d.press(FTP_SWITCH);
        EXPECT_EQ(d.get_text(FTP_LOCAL_CHOICE), sj("選択ﾌｫﾙﾀﾞ"));
        d.press(FTP_SWITCH);
        EXPECT_EQ(messages.log.back().text, sj("マイフォルダに登録がありません｡"));
        EXPECT_EQ(d.get_text(FTP_LOCAL_CHOICE), sj("既定ﾌｫﾙﾀﾞ"));
        d.press(FTP_SWITCH);
        EXPECT_EQ(d.get_text(FTP_LOCAL_CHOICE), sj("公開ﾌｫﾙﾀﾞ"));
    });
    EXPECT_TRUE(messages.saw("既に公開フォルダにファイルが存在します｡"));
    EXPECT_FALSE(file_exists(publish + "/前回.htm"));
    EXPECT_EQ(test::slurp(publish + "/第一章.htm"), "<html>");
}

TEST_F(FtpWindowTest, HeadersSortAndTheLinkedSwitchSortsBoth) {
    local.write("b.txt", "22");
    local.write("A.txt", "1");
    local.write("c.txt", "333");
    served.write("y.htm", "1");
    served.write("X.htm", "22");
    run([&](DialogSession& d) {
        d.press(FTP_CONNECT);
        d.press(FTP_SORT_LINKED);
        d.click_column(FTP_LOCAL_LIST, FTP_COLUMN_NAME);
        EXPECT_EQ(names(d, FTP_LOCAL_LIST), (std::vector<std::string>{"..", "A.txt", "b.txt", "c.txt", "原稿.txt"}));
        EXPECT_EQ(names(d, FTP_SITE_LIST), (std::vector<std::string>{"X.htm", "y.htm"}));
        d.click_column(FTP_LOCAL_LIST, FTP_COLUMN_NAME);
        EXPECT_EQ(names(d, FTP_LOCAL_LIST), (std::vector<std::string>{"..", "原稿.txt", "c.txt", "b.txt", "A.txt"}));
        EXPECT_EQ(names(d, FTP_SITE_LIST), (std::vector<std::string>{"y.htm", "X.htm"}));
    });
    EXPECT_EQ(settings.rec.ftp_sort_linked, 1);
}

TEST_F(FtpWindowTest, TheSiteDetailsAreStoredOnlyBySettei) {
    host.script([](DialogSession& d) {   // HTML_FTP_SITE, closed
        d.type_text(FTP_SITE_EDIT_NAME, sj("捨てる"));
        d.press(DIALOG_CANCEL);
    });
    host.script([](DialogSession& d) {   // HTML_FTP_SITE, stored
        EXPECT_EQ(d.get_text(FTP_SITE_EDIT_NAME), sj("テスト"));
        d.press(FTP_SITE_HELP);
        d.type_text(FTP_SITE_EDIT_NAME, sj("自分の頁"));
        d.type_text(FTP_SITE_EDIT_LOCAL, "/tmp");
        d.press(DIALOG_OK);
    });
    run([&](DialogSession& d) {
        d.press(FTP_DETAILS);
        EXPECT_EQ(d.get_text(FTP_SITE_NAME_FIRST), sj("テスト"));
        d.press(FTP_DETAILS);
        EXPECT_EQ(d.get_text(FTP_SITE_NAME_FIRST), sj("自分の頁"));
    });
    EXPECT_EQ(read_field(settings.rec.ftp_site_name[0], 32), sj("自分の頁"));
    EXPECT_EQ(read_field(settings.rec.ftp_local_folder[0], 64), "/tmp");
    EXPECT_TRUE(settings.changed);
    EXPECT_EQ(messages.help_topics, std::vector<std::string>{"FTP"});
}

TEST_F(FtpWindowTest, APasswordWithALineBreakIsRefusedAtEntryAndAtConnecting) {
    host.script([](DialogSession& d) {   // HTML_FTP_SITE: 設 定 refused, then closed
        d.type_text(FTP_SITE_EDIT_PASSWORD, "pw\r\nDELE index.htm");
        d.press(DIALOG_OK);
        EXPECT_FALSE(d.ended());
        d.press(DIALOG_CANCEL);
    });
    run([&](DialogSession& d) { d.press(FTP_DETAILS); });
    EXPECT_TRUE(messages.saw("Ｐａｓｓに改行は使えません｡"));
    EXPECT_EQ(read_field(settings.rec.ftp_password[0], 32), LocalFtpServer::PASSWORD);
    EXPECT_FALSE(settings.changed);

    // One already in the settings file is never sent.
    set_site(0, "テスト", "127.0.0.1", LocalFtpServer::USER, "pw\nDELE index.htm", "/");
    run([&](DialogSession& d) {
        d.press(FTP_CONNECT);
        EXPECT_EQ(messages.log.back().text, sj("Ｐａｓｓに改行が入っています｡\n[詳細]をクリックして設定してください｡"));
        EXPECT_EQ(d.get_text(FTP_CONNECT), sj("接 続"));
    });
}

}  // namespace
}  // namespace rix

// Downloads against the loopback test server: the open time-out, error pages, JPEG test,
// kilobyte progress, stalled and hostile transfers, the ceilings and deadlines, and what a failed
// download leaves on disk.
#include <gtest/gtest.h>

#include <algorithm>
#include <boost/filesystem.hpp>
#include <cstdlib>

#include "net/Net_servers.h"
#include "net/VxCover_lookup.h"
#include "net/VxInternet.h"
#include "tests/net/Net_home.h"
#include "tests/net/Test_http_server.h"
#include "trace/VxTrace.h"

using TestSupport::Exists;
using TestSupport::Net_home;
using TestSupport::Read_file;
using TestSupport::Test_http_server;

TEST(VxInternet, OpenThatTakesLongerThan5000msTimesOutAndWritesNothing) {
    Net_home home;
    Test_http_server server;
    auto slow = Test_http_server::Jpeg(3000);
    slow.delay_ms = 6000;
    server.Serve("/slow.exe", slow);

    double start = VxTrace::Time_ms();
    EXPECT_FALSE(VxInternet::Instance().Download_to_file(server.Base() + "slow.exe", "../files/slow.exe"));
    double waited = VxTrace::Time_ms() - start;

    EXPECT_GE(waited, 4900);
    EXPECT_LT(waited, 5900);  // the late answer is not waited for
    EXPECT_NE(home.Errors().find("server timeout on url: " + server.Base() + "slow.exe"), std::string::npos);
    EXPECT_EQ(home.Errors().find("Can't open url:"), std::string::npos);
    EXPECT_FALSE(Exists("../files/slow.exe"));
    EXPECT_FALSE(Exists("../files/slow.exe.part"));
    EXPECT_TRUE(home.shell.kilobytes_shown.empty());
}

TEST(VxInternet, AnAnswerWithinTheTimeOutIsRead) {
    Net_home home;
    Test_http_server server;
    auto reply = Test_http_server::Jpeg(2000);
    reply.delay_ms = 300;
    server.Serve("/a.jpg", reply);
    EXPECT_TRUE(VxInternet::Instance().Download_image(server.Base() + "a.jpg", "cover.jpg"));
    EXPECT_EQ(Read_file("cover.jpg"), reply.body);
    EXPECT_EQ(home.Errors().find("timeout"), std::string::npos);
}

TEST(VxInternet, TenFullBlocksCountTenKilobytesAndShortBlocksNothing) {
    Net_home home;
    Test_http_server server;
    auto installer = Test_http_server::Jpeg(10240);
    server.Serve("/files/TavrixJukebox.exe", installer);
    auto longer = Test_http_server::Jpeg(10240 + 500);
    server.Serve("/longer.exe", longer);

    ASSERT_TRUE(VxInternet::Instance().Download_to_file(server.Base() + "files/TavrixJukebox.exe", "../files/new.exe"));
    EXPECT_EQ(home.shell.kilobytes_shown, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(Read_file("../files/new.exe"), installer.body);
    EXPECT_EQ(server.Last_header("User-Agent"), "Microsoft Internet Explorer");
    EXPECT_EQ(server.Last_header("Cache-Control"), "no-cache");  // always fresh from the server

    home.shell.kilobytes_shown.clear();
    ASSERT_TRUE(VxInternet::Instance().Download_to_file(server.Base() + "longer.exe", "../files/longer.exe"));
    EXPECT_EQ(home.shell.kilobytes_shown, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 10}));
    EXPECT_EQ(Read_file("../files/longer.exe"), longer.body);
}

TEST(VxInternet, AnHtmlAnswerIsNoCover) {
    Net_home home;
    Test_http_server server;
    server.Serve("/missing.jpg", Test_http_server::Page("<html><body>Not here</body></html>", 404));
    server.Serve("/page.jpg", Test_http_server::Page("<html><body>A page that says it is a picture</body></html>"));

    EXPECT_FALSE(VxInternet::Instance().Download_image(server.Base() + "missing.jpg", "VxCover.jpg"));
    EXPECT_FALSE(VxInternet::Instance().Download_image(server.Base() + "page.jpg", "VxCover.jpg"));
    EXPECT_FALSE(Exists("VxCover.jpg"));
    EXPECT_FALSE(Exists("VxCover.jpg.part"));
    EXPECT_TRUE(home.shell.kilobytes_shown.empty());  // images are fetched without the progress screen
}

TEST(VxInternet, RedirectsAreFollowed) {
    Net_home home;
    Test_http_server server;
    auto image = Test_http_server::Jpeg(5000);
    server.Serve("/new.jpg", image);
    server.Serve("/old.jpg", Test_http_server::Redirect(server.Base() + "new.jpg"));
    EXPECT_TRUE(VxInternet::Instance().Download_image(server.Base() + "old.jpg", "cover.jpg"));
    EXPECT_EQ(Read_file("cover.jpg"), image.body);
}

TEST(VxInternet, AnErrorPageIsNeverAnInstaller) {
    Net_home home;
    Test_http_server server;
    TestSupport::Write_file("../files/setup.exe", "the old installer");
    EXPECT_FALSE(VxInternet::Instance().Download_to_file(server.Base() + "codecs/setup.exe", "../files/setup.exe"));
    EXPECT_EQ(Read_file("../files/setup.exe"), "the old installer");
    EXPECT_NE(home.Errors().find("Error page (404) on url: " + server.Base() + "codecs/setup.exe"), std::string::npos);
    EXPECT_TRUE(home.shell.kilobytes_shown.empty());
}

TEST(VxInternet, ATransferThatStallsFailsAndLeavesNoFile) {
    Net_home home;
    Test_http_server server;
    auto stalled = Test_http_server::Jpeg(50000);
    stalled.stall_after = 4096;
    server.Serve("/stalled.exe", stalled);
    server.Serve("/stalled.jpg", stalled);
    VxInternet::Instance().Set_limits({30000, 1000});

    EXPECT_FALSE(VxInternet::Instance().Download_to_file(server.Base() + "stalled.exe", "../files/stalled.exe"));
    EXPECT_FALSE(VxInternet::Instance().Download_image(server.Base() + "stalled.jpg", "VxCover.jpg"));
    EXPECT_FALSE(Exists("../files/stalled.exe"));
    EXPECT_FALSE(Exists("../files/stalled.exe.part"));
    EXPECT_FALSE(Exists("VxCover.jpg"));
    EXPECT_NE(home.Errors().find("Transfer failed on url: " + server.Base() + "stalled.exe"), std::string::npos);
    EXPECT_EQ(home.shell.kilobytes_shown, (std::vector<int>{1, 2, 3, 4}));
}

TEST(VxInternet, AFileThatCannotBeCreatedIsReported) {
    Net_home home;
    Test_http_server server;
    server.Serve("/x.exe", Test_http_server::Jpeg(3000));
    EXPECT_FALSE(VxInternet::Instance().Download_to_file(server.Base() + "x.exe", "../no-such-folder/x.exe"));
    EXPECT_EQ(home.Dialogs(), (std::vector<std::string>{"VxInternet\tCannot create file on disk..."}));
}

TEST(VxInternet, AnAddressWithoutServerIsRefusedOnTheMachine) {
    Net_home home;
    bool timed_out = true;
    VxInternet::Instance().Open_url("Info.txt", timed_out);
    EXPECT_FALSE(timed_out);
    EXPECT_FALSE(VxInternet::Instance().Url_open());
    VxInternet::Instance().Close_handles();
    EXPECT_FALSE(
        VxInternet::Instance().Download_to_file("unknown/DSMP3SourceSetup.exe", "../files/DSMP3SourceSetup.exe"));
    EXPECT_NE(home.Errors().find("Can't open url:Info.txt"), std::string::npos);
    EXPECT_NE(home.Errors().find("Can't open url:unknown/DSMP3SourceSetup.exe"), std::string::npos);
}

TEST(VxInternet, ProgramsComeOnlyOverHttpsOrFromTheLoopbackServer) {
    EXPECT_TRUE(Net_servers::Trusted_program_source(true, "203.0.113.7"));
    EXPECT_TRUE(Net_servers::Trusted_program_source(false, "127.0.0.1"));
    EXPECT_FALSE(Net_servers::Trusted_program_source(false, "203.0.113.7"));
    EXPECT_FALSE(Net_servers::Trusted_program_source(false, "127.0.0.2"));
}

namespace {
// The entries of a folder: a download must leave neither a file nor its temporary one.
std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : boost::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}
}  // namespace

TEST(VxInternet, DownloadsLargerThanTheirCeilingAreRefusedAndLeaveNoFile) {
    Net_home home;
    Test_http_server server;
    TestSupport::Make_dirs("album");
    // One that says so: refused before a byte is read.
    auto announced = Test_http_server::Jpeg(3000);
    announced.announced_length = 2LL << 30;
    announced.stall_after = 3000;  // it never sends the rest it announced
    server.Serve("/announced.jpg", announced);
    // One that does not say: stopped once the bytes pass the ceiling.
    auto endless = Test_http_server::Jpeg(4);
    endless.announced_length = -2;
    endless.filler = VxInternet::Max_cover_size + 100000;
    server.Serve("/endless.jpg", endless);
    auto installer = Test_http_server::Jpeg(3000);
    installer.announced_length = VxInternet::Max_installer_size + 1;
    installer.stall_after = 3000;
    server.Serve("/big.exe", installer);

    for (const char* name : {"announced.jpg", "endless.jpg"}) {
        EXPECT_FALSE(VxInternet::Instance().Download_image(server.Base() + name, "album/VxCover.jpg")) << name;
        EXPECT_TRUE(Entries("album").empty()) << name;
    }
    EXPECT_FALSE(VxInternet::Instance().Download_to_file(server.Base() + "big.exe", "../files/big.exe"));
    EXPECT_TRUE(Entries("../files").empty());
    const std::string errors = home.Errors();
    EXPECT_NE(errors.find("Refused download of 2147483648 bytes (at most 10485760) from url: " + server.Base() +
                          "announced.jpg"),
              std::string::npos)
        << errors;
    EXPECT_NE(errors.find("(at most 10485760) from url: " + server.Base() + "endless.jpg"), std::string::npos);
    EXPECT_NE(errors.find("(at most 268435456) from url: " + server.Base() + "big.exe"), std::string::npos);
    EXPECT_TRUE(home.shell.kilobytes_shown.empty());  // the installer was refused before its first block
}

TEST(VxInternet, ATextThatMustBeWholeIsRefusedWhenLongerThanItsLimitOrCutOff) {
    Net_home home;
    Test_http_server server;
    server.Serve("/fits.txt", Test_http_server::Page(std::string(4096, 'v')));
    server.Serve("/long.txt", Test_http_server::Page(std::string(4097, 'v')));
    auto unannounced = Test_http_server::Page(std::string(4097, 'v'));
    unannounced.announced_length = -2;
    server.Serve("/unannounced.txt", unannounced);
    auto cut = Test_http_server::Page("version=v2.31");
    cut.stall_after = 12;  // "version=v2.3" arrives, then nothing
    server.Serve("/cut.txt", cut);
    VxInternet& internet = VxInternet::Instance();
    internet.Set_limits({20000, 1000, 5000});
    auto read = [&](const char* name, VxInternet::Beyond_limit beyond) {
        bool timed_out = false;
        internet.Open_url(server.Base() + name, timed_out);
        std::string text = internet.Read_text(VxInternet::Max_version_text, beyond, server.Base() + name);
        internet.Close_handles();
        return text;
    };
    EXPECT_EQ(read("fits.txt", VxInternet::Beyond_limit::refuse).size(), 4096u);
    EXPECT_EQ(read("long.txt", VxInternet::Beyond_limit::refuse), "");
    EXPECT_EQ(read("unannounced.txt", VxInternet::Beyond_limit::refuse), "");
    EXPECT_EQ(read("cut.txt", VxInternet::Beyond_limit::refuse), "");
    // A page searched only at its start keeps that start.
    EXPECT_EQ(read("long.txt", VxInternet::Beyond_limit::cut).size(), 4096u);
    const std::string errors = home.Errors();
    EXPECT_NE(errors.find("Refused an answer of more than 4096 bytes from url: " + server.Base() + "long.txt"),
              std::string::npos);
    EXPECT_NE(errors.find("Refused an answer of more than 4096 bytes from url: " + server.Base() + "unannounced.txt"),
              std::string::npos);
    EXPECT_NE(errors.find("Transfer failed on url: " + server.Base() + "cut.txt"), std::string::npos);
}

TEST(VxInternet, EveryRequestEndsByItsDeadlineWhateverTheServerDoes) {
    Net_home home;
    Test_http_server server;
    // One that accepts and never answers, and one that sends a byte at a time for ever.
    auto silent = Test_http_server::Page("<html>late</html>");
    silent.delay_ms = 600000;
    server.Serve("/images", silent);
    auto drip = Test_http_server::Jpeg(100000);
    drip.drip_ms = 50;
    server.Serve("/drip.jpg", drip);
    TestSupport::Set_env("TAVRIX_IMAGE_SEARCH", server.Base().c_str());
    VxInternet::Instance().Set_limits({1500, 1500, 1000});

    EXPECT_EQ(Fetch_search_page("Abba"), "");
    EXPECT_FALSE(VxInternet::Instance().Download_image(server.Base() + "drip.jpg", "VxCover.jpg"));
    EXPECT_FALSE(Exists("VxCover.jpg"));
    EXPECT_NE(home.Errors().find("Transfer failed on url: " + server.Base() + "drip.jpg"), std::string::npos);
    TestSupport::Unset_env("TAVRIX_IMAGE_SEARCH");
}

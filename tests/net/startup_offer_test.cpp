// The version offer at start-up, end to end against the loopback distribution server: a script's
// first lines answer it, and unanswered it downloads and starts nothing.
#include <gtest/gtest.h>

#include <string>

#include "tests/app/jukebox_fixture.h"
#include "tests/net/Test_http_server.h"

namespace {

using JukeboxTest::fs::exists;
using TestSupport::Read_file;
using TestSupport::Test_http_server;

class Startup_offer : public JukeboxTest::Home {
protected:
    // A newer version with its installer on the server.
    void SetUp() override {
        Add_album("Alpha - One");
        server.Serve("/Info.txt", Test_http_server::Page("version=v9.9"));
        installer = Test_http_server::Jpeg(2000);
        server.Serve("/files/TavrixJukebox.exe", installer);
    }
    std::string Env() { return "TAVRIX_DIST_SERVER=" + server.Base(); }
    std::string Installer() { return home + "/files/TavrixJukebox_v9.9.exe"; }
    bool Offered() { return Dialogs().find("Do you wish to download and install new version ?") != std::string::npos; }

    Test_http_server server;
    TestSupport::Http_reply installer;
};

TEST_F(Startup_offer, CancelAtTheHeadOfTheScriptDeclinesIt) {
    ASSERT_EQ(Start("answer cancel\nwait 300\nkey q\n", Env()), 0);
    EXPECT_TRUE(Offered()) << Dialogs();
    EXPECT_EQ(server.Requests("/Info.txt"), 1);
    EXPECT_EQ(server.Requests("/files/TavrixJukebox.exe"), 0);
    EXPECT_FALSE(exists(Installer()));
    EXPECT_FALSE(exists(run + "/opened.txt"));
}

TEST_F(Startup_offer, OkAtTheHeadOfTheScriptDownloadsAndStartsTheInstallerAndQuits) {
    // The script has no Q: the jukebox quits after starting the installer.
    ASSERT_EQ(Start("answer ok\nwait 20000\nclose\n", Env()), 0);
    EXPECT_TRUE(Offered()) << Dialogs();
    ASSERT_TRUE(exists(Installer()));
    EXPECT_EQ(Read_file(Installer()), installer.body);
    EXPECT_EQ(Read_file(run + "/opened.txt"), "../files/TavrixJukebox_v9.9.exe\n");
    EXPECT_EQ(Count(Log(), "\nquit\n"), 1);
    EXPECT_EQ(Log().find("WM_DESTROY"), std::string::npos);  // ended by the quit, not the close
}

TEST_F(Startup_offer, UnansweredItDownloadsAndStartsNothing) {
    ASSERT_EQ(Start("wait 300\nkey q\n", Env()), 0);
    EXPECT_TRUE(Offered()) << Dialogs();
    EXPECT_EQ(server.Requests("/files/TavrixJukebox.exe"), 0);
    EXPECT_FALSE(exists(Installer()));
    EXPECT_FALSE(exists(run + "/opened.txt"));
}

}  // namespace

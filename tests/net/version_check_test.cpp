// The version check, its offer to install, and the start notification, against the loopback
// distribution server; server texts that must not become a file name.
#include <gtest/gtest.h>

#include <cstdlib>

#include "net/Software_source.h"
#include "net/VxVersion_check.h"
#include "platform/dialogs.h"
#include "settings/VxRead.h"
#include "tests/net/Net_home.h"
#include "tests/net/Test_http_server.h"

using TestSupport::Exists;
using TestSupport::Net_home;
using TestSupport::Read_file;
using TestSupport::Test_http_server;

namespace {
int Count(const std::string& text, const std::string& part) {
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

const std::string Cannot_determine =
    "VxInternet\tCould not determine current version. \\nMake sure an internet connection is available ...";

struct Version_case {
    const char* name;
    const char* file;
    bool newer;
    const char* newest;
};

class Dist_server {
public:
    Dist_server() { TestSupport::Set_env("TAVRIX_DIST_SERVER", server.Base().c_str()); }
    ~Dist_server() { TestSupport::Unset_env("TAVRIX_DIST_SERVER"); }
    Test_http_server server;
};
}  // namespace

class Determine_new_version_answers : public ::testing::TestWithParam<Version_case> {};

TEST_P(Determine_new_version_answers, ComparesTheServersTextWithOurs) {
    Net_home home;
    Dist_server dist;
    dist.server.Serve("/Info.txt", Test_http_server::Page(GetParam().file));
    std::string newest;
    EXPECT_EQ(Determine_new_version(newest), GetParam().newer);
    EXPECT_EQ(newest, GetParam().newest);
    bool refused = std::string(GetParam().newest) == "no match";
    EXPECT_EQ(home.Dialogs(), refused ? std::vector<std::string>{Cannot_determine} : std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(
    Texts, Determine_new_version_answers,
    ::testing::Values(Version_case{"ThreeSortsAfterTwo", "version=v2.3", true, "v2.3"},
                      Version_case{"OneSortsBeforeTwo", "version=v10.0", false, "v10.0"},
                      Version_case{"OurOwn", "version=v2.274", false, "v2.274"},
                      Version_case{"LineEndIsNotPartOfIt", "version=v2.3\r\n", true, "v2.3"},
                      Version_case{"PathIsRefused", "version=../../bin/evil", false, "no match"},
                      Version_case{"VersionWithPathIsRefused", "version=v9/../../../tmp/x", false, "no match"},
                      Version_case{"CommandIsRefused", "version=v9.0.exe & rm -rf ~", false, "no match"},
                      Version_case{"NotAtTheStart", "<html>version=v9.0</html>", false, "no match"},
                      Version_case{"Empty", "", false, "no match"}),
    [](const ::testing::TestParamInfo<Version_case>& info) { return std::string(info.param.name); });

TEST(Determine_new_version, ASecondCheckIsSkippedButKeepsTheAnswer) {
    Net_home home;
    Dist_server dist;
    dist.server.Serve("/Info.txt", Test_http_server::Page("version=v2.3"));
    std::string newest;
    EXPECT_TRUE(Determine_new_version(newest));
    newest.clear();
    EXPECT_FALSE(Determine_new_version(newest));
    EXPECT_EQ(newest, "v2.3");
    EXPECT_EQ(dist.server.Requests("/Info.txt"), 1);
    std::string log = home.Log();
    EXPECT_LT(log.find("Connecting..."), log.find("Connection SKIPPED..."));
    EXPECT_NE(log.find("Connection SKIPPED..."), std::string::npos);
}

TEST(Determine_new_version, WithoutAServerNothingIsAskedShownOrRecorded) {
    Net_home home;
    TestSupport::Unset_env("TAVRIX_DIST_SERVER");
    std::string newest = "old";
    EXPECT_FALSE(Determine_new_version(newest));
    EXPECT_FALSE(Determine_new_version(newest));
    EXPECT_EQ(newest, "");  // the options line keeps its question marks
    EXPECT_TRUE(home.Dialogs().empty());
    EXPECT_EQ(home.Errors().find("Can't open url"), std::string::npos) << home.Errors();
    EXPECT_EQ(Count(home.Log(), "Connection SKIPPED..."), 2);
    EXPECT_EQ(home.Log().find("Connecting..."), std::string::npos);
}

TEST(Determine_new_version, AServerWithoutAVersionIsReportedOnce) {
    Net_home home;
    Dist_server dist;  // knows no Info.txt
    std::string newest;
    EXPECT_FALSE(Determine_new_version(newest));
    EXPECT_FALSE(Determine_new_version(newest));
    EXPECT_EQ(newest, "no match");
    EXPECT_EQ(home.Dialogs(), std::vector<std::string>{Cannot_determine});
}

TEST(Offer_new_version, StartsAnInstallerThatIsAlreadyThereAndQuits) {
    Net_home home;
    Dist_server dist;
    dist.server.Serve("/Info.txt", Test_http_server::Page("version=v2.3"));
    TestSupport::Write_file("../files/TavrixJukebox_v2.3.exe", "installer");
    Platform::Queue_answer(true);
    Offer_new_version();
    EXPECT_EQ(home.Dialogs(),
              (std::vector<std::string>{
                  "VxInternet\tA NEW VERSION is available.\\nCurrent version = v2.274\\nNew version = "
                  "v2.3\\nDo you wish to install new version ?\\n",
                  "VxInternet\tINSTALL new version and RESTART application manually. \\nApplication will quit !"}));
    EXPECT_EQ(Read_file("opened.txt"), "../files/TavrixJukebox_v2.3.exe\n");
    EXPECT_EQ(home.shell.quits, 1);
    EXPECT_EQ(dist.server.Requests("/files/TavrixJukebox.exe"), 0);
}

TEST(Offer_new_version, DownloadsTheInstallerStartsItAndQuits) {
    Net_home home;
    Dist_server dist;
    dist.server.Serve("/Info.txt", Test_http_server::Page("version=v2.3"));
    auto installer = Test_http_server::Jpeg(3100);
    dist.server.Serve("/files/TavrixJukebox.exe", installer);
    Platform::Queue_answer(true);  // the closing "Please install" box takes OK by itself
    Offer_new_version();
    EXPECT_EQ(home.Dialogs(), (std::vector<std::string>{
                                  "VxInternet\tA NEW VERSION is available.\\nCurrent version = v2.274\\nNew version = "
                                  "v2.3\\nDo you wish to download and install new version ?\\n",
                                  "VxInternet\tPlease install new version \\n"}));
    EXPECT_EQ(Read_file("../files/TavrixJukebox_v2.3.exe"), installer.body);
    EXPECT_EQ(Read_file("opened.txt"), "../files/TavrixJukebox_v2.3.exe\n");
    EXPECT_EQ(home.shell.kilobytes_shown, (std::vector<int>{1, 2, 3, 3}));
    EXPECT_EQ(home.shell.quits, 1);
}

TEST(Offer_new_version, AFailedDownloadStartsNothing) {
    Net_home home;
    Dist_server dist;
    dist.server.Serve("/Info.txt", Test_http_server::Page("version=v2.3"));  // no installer on the server
    Platform::Queue_answer(true);
    Offer_new_version();
    EXPECT_EQ(home.Dialogs().back(), "VxInternet\tError! Could not download the new version");
    EXPECT_FALSE(Exists("../files/TavrixJukebox_v2.3.exe"));
    EXPECT_FALSE(Exists("opened.txt"));
    EXPECT_EQ(home.shell.quits, 0);
}

TEST(Offer_new_version, UnansweredHeadlessItDownloadsAndStartsNothing) {
    Net_home home;
    Dist_server dist;
    dist.server.Serve("/Info.txt", Test_http_server::Page("version=v2.3"));
    dist.server.Serve("/files/TavrixJukebox.exe", Test_http_server::Jpeg(2000));
    Offer_new_version();  // no answer queued: the download question is answered Cancel
    EXPECT_EQ(home.Dialogs().size(), 1u);
    EXPECT_EQ(dist.server.Requests("/files/TavrixJukebox.exe"), 0);
    EXPECT_FALSE(Exists("../files/TavrixJukebox_v2.3.exe"));
    EXPECT_EQ(home.shell.quits, 0);
}

TEST(Offer_new_version, UnansweredHeadlessAnInstallerThatIsThereIsNotStarted) {
    Net_home home;
    Dist_server dist;
    dist.server.Serve("/Info.txt", Test_http_server::Page("version=v2.3"));
    TestSupport::Write_file("../files/TavrixJukebox_v2.3.exe", "installer");
    Offer_new_version();
    EXPECT_EQ(home.Dialogs().size(), 1u);
    EXPECT_FALSE(Exists("opened.txt"));
    EXPECT_EQ(home.shell.quits, 0);
}

TEST(Offer_new_version, CancelLeavesEverythingAsItWas) {
    Net_home home;
    Dist_server dist;
    dist.server.Serve("/Info.txt", Test_http_server::Page("version=v2.3"));
    dist.server.Serve("/files/TavrixJukebox.exe", Test_http_server::Jpeg(2000));
    Platform::Queue_answer(false);
    Offer_new_version();
    EXPECT_EQ(home.Dialogs().size(), 1u);
    EXPECT_EQ(dist.server.Requests("/files/TavrixJukebox.exe"), 0);
    EXPECT_EQ(home.shell.quits, 0);
}

TEST(Send_start_notification, SendsTheVersionAndAKeptRandomIdentifier) {
    Net_home home;
    Dist_server dist;
    Send_start_notification();
    Send_start_notification();
    auto targets = dist.server.Targets();
    ASSERT_EQ(targets.size(), 2u);
    const std::string prefix = "/Started.php?version=v2.274&name=";
    ASSERT_EQ(targets[0].rfind(prefix, 0), 0u);
    std::string id = targets[0].substr(prefix.size());
    EXPECT_EQ(id.size(), 32u);
    EXPECT_EQ(id.find_first_not_of("0123456789abcdef"), std::string::npos);
    EXPECT_EQ(targets[1], targets[0]);  // the same identifier for the installation
    EXPECT_EQ(Installation_id(), id);
}

TEST(Send_start_notification, WithoutAServerSendsNothingAndRecordsNoFailure) {
    Net_home home;
    TestSupport::Unset_env("TAVRIX_DIST_SERVER");
    Send_start_notification();
    EXPECT_EQ(home.Errors().find("Started.php"), std::string::npos) << home.Errors();
    EXPECT_NE(home.Log().find("Connection SKIPPED..."), std::string::npos);
}

TEST(Send_start_notification, SendsNothingWhileTheInternetSettingIsOff) {
    Net_home home;
    Dist_server dist;
    VxRead::Instance().Set_check_new_version(false);
    Send_start_notification();
    EXPECT_EQ(dist.server.Total_requests(), 0);
}

// Where programs come as the system's packages: the offer names the version and where it is
// published; nothing is downloaded, started or quit, also with an installer already in files/.
TEST(Offer_new_version, OnTheSystemsPackagesItOnlySaysWhereTheVersionIs) {
    Net_home home;
    Use_software_source(Platform::Software_source::system_packages);
    Dist_server dist;
    dist.server.Serve("/Info.txt", Test_http_server::Page("version=v2.3"));
    dist.server.Serve("/files/TavrixJukebox.exe", Test_http_server::Jpeg(1000));
    TestSupport::Write_file("../files/TavrixJukebox_v2.3.exe", "old download");
    Offer_new_version();
    EXPECT_EQ(home.Dialogs(),
              (std::vector<std::string>{
                  "VxInternet\tA NEW VERSION is available.\\nCurrent version = v2.274\\nNew version = "
                  "v2.3\\nIt is published at " +
                  dist.server.Base() + "\\nInstall it from there or through your system's package manager.\\n"}));
    EXPECT_EQ(dist.server.Requests("/files/TavrixJukebox.exe"), 0);
    EXPECT_FALSE(Exists("opened.txt"));
    EXPECT_EQ(home.shell.quits, 0);
    EXPECT_EQ(Read_file("../files/TavrixJukebox_v2.3.exe"), "old download");
}

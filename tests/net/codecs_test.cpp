// The codec service with a GStreamer that has no plugins at all (so nothing can be decoded),
// and with the system's plugins; installers come from the loopback server.
#include <gtest/gtest.h>

#include <cstdlib>

#include "net/VxCodecs.h"
#include "platform/dialogs.h"
#include "platform/shell.h"
#include "tests/net/Net_home.h"
#include "tests/net/Test_http_server.h"

using TestSupport::Exists;
using TestSupport::Net_home;
using TestSupport::Read_file;
using TestSupport::Test_http_server;

namespace {
// Points GStreamer at an empty plugin folder and a registry of its own; must run before the
// first media-type question of the process.
void Use_gstreamer_without_plugins(const std::string& home) {
    TestSupport::Make_dirs(home + "/no-plugins");
    TestSupport::Set_env("GST_PLUGIN_SYSTEM_PATH_1_0", (home + "/no-plugins").c_str());
    TestSupport::Set_env("GST_PLUGIN_PATH_1_0", (home + "/no-plugins").c_str());
    TestSupport::Set_env("GST_REGISTRY_1_0", (home + "/registry.bin").c_str());
}

std::string Warning(const char* ext, const char* question) {
    return std::string("VxDatabase\tWarning! The codec for the media extension: '") + ext + "' is not installed !\\n" +
           question;
}
const char* Download_question = "Do you want to download and install the codec now ?\\n";
const char* Install_question = "Do you want to install the codec now ?\\n";
}  // namespace

TEST(Check_codec, ATypeWithoutDecoderAndWithoutInstallerIsRefusedOnce) {
    Net_home home;
    Use_gstreamer_without_plugins(home.Home());
    EXPECT_TRUE(Check_codec("WMA"));
    EXPECT_TRUE(Check_codec("WAV"));
    Platform::Queue_answer(true);
    EXPECT_FALSE(Check_codec("AAC"));
    EXPECT_FALSE(Check_codec("AAC"));  // the answer is kept: no second warning
    EXPECT_FALSE(Check_codec("MID"));  // not a song type
    EXPECT_EQ(home.Dialogs(), (std::vector<std::string>{Warning("aac", Download_question),
                                                        "VxDatabase\tError! Could not download codec"}));
    EXPECT_NE(home.Log().find("Media Type Extensions AVAILABLE"), std::string::npos);
}

TEST(Check_codec, DownloadsTheCodecFromTheLocalServerAndStartsIt) {
    Net_home home;
    Use_gstreamer_without_plugins(home.Home());
    Test_http_server server;
    TestSupport::Set_env("TAVRIX_LOCAL_SERVER", server.Base().c_str());
    auto installer = Test_http_server::Jpeg(2048);
    server.Serve("/codecs/DSMP3SourceSetup.exe", installer);

    Platform::Queue_answer(true);
    EXPECT_FALSE(Check_codec("MP3"));

    EXPECT_EQ(Read_file("../files/DSMP3SourceSetup.exe"), installer.body);
    EXPECT_EQ(Read_file("opened.txt"), "../files/DSMP3SourceSetup.exe\n");
    // The check after the installation still finds no decoder: it says so without a new offer.
    EXPECT_EQ(home.Dialogs(),
              (std::vector<std::string>{Warning("mp3", Download_question),
                                        "VxInternet\tPlease INSTALL codec and press OK", Warning("mp3", "")}));
    EXPECT_EQ(home.shell.restarts, 1);
    EXPECT_EQ(server.Total_requests(), 1);  // "unknown/..." never left the machine
    EXPECT_NE(home.Errors().find("Can't open url:unknown/DSMP3SourceSetup.exe"), std::string::npos);
    TestSupport::Unset_env("TAVRIX_LOCAL_SERVER");
}

TEST(Check_codec, UnansweredHeadlessTheOfferDownloadsAndStartsNothing) {
    Net_home home;
    Use_gstreamer_without_plugins(home.Home());
    Test_http_server server;
    TestSupport::Set_env("TAVRIX_LOCAL_SERVER", server.Base().c_str());
    server.Serve("/codecs/DSMP3SourceSetup.exe", Test_http_server::Jpeg(2048));
    EXPECT_FALSE(Check_codec("MP3"));
    EXPECT_EQ(home.Dialogs(), std::vector<std::string>{Warning("mp3", Download_question)});
    EXPECT_EQ(server.Total_requests(), 0);
    EXPECT_FALSE(Exists("../files/DSMP3SourceSetup.exe"));
    EXPECT_FALSE(Exists("opened.txt"));
    TestSupport::Unset_env("TAVRIX_LOCAL_SERVER");
}

TEST(Check_codec, AnInstallerAlreadyThereIsOfferedAndCancelStartsNothing) {
    Net_home home;
    Use_gstreamer_without_plugins(home.Home());
    TestSupport::Write_file("../files/madFlac.zip", "archive");
    Platform::Queue_answer(false);
    EXPECT_FALSE(Check_codec("FLAC"));
    EXPECT_EQ(home.Dialogs(), std::vector<std::string>{Warning("flac", Install_question)});
    EXPECT_FALSE(Exists("opened.txt"));

    // An archive is not started; the check runs again and the song is restarted.
    EXPECT_TRUE(Install_codec("FLAC"));
    EXPECT_FALSE(Exists("opened.txt"));
    EXPECT_FALSE(Install_codec("AAC"));  // no installer in ../files/
}

TEST(Check_codec, WithoutAnyServerTheDownloadFailsOnTheMachine) {
    Net_home home;
    Use_gstreamer_without_plugins(home.Home());
    TestSupport::Unset_env("TAVRIX_LOCAL_SERVER");
    TestSupport::Unset_env("TAVRIX_DIST_SERVER");
    Platform::Queue_answer(true);
    EXPECT_FALSE(Check_codec("OGG"));
    EXPECT_EQ(home.Dialogs().back(), "VxDatabase\tError! Could not download codec");
    EXPECT_FALSE(Exists("../files/OggDS0996.exe"));
}

TEST(Check_codec, TheSystemsPluginsDecodeTheSongTypes) {
    Net_home home;
    ASSERT_TRUE(Platform::Has_media_type_registry());
    EXPECT_TRUE(Platform::Can_decode_extension("WAV"));
    EXPECT_TRUE(Platform::Can_decode_extension("FLAC"));
    EXPECT_FALSE(Platform::Can_decode_extension("NOSUCHTYPE"));
    EXPECT_TRUE(Check_codec("WAV"));
    EXPECT_TRUE(Check_codec("FLAC"));
    EXPECT_TRUE(home.Dialogs().empty());
}

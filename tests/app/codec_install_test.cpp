// A FLAC song with GStreamer's FLAC decoders hidden, end to end: the jukebox names the missing decoder
// and its package, asks the system's codec installer (a fake one that links the hidden plugin back and
// installs nothing of the system's), and then starts the song again through timer 6, which now plays.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/app/jukebox_fixture.h"
#include "tests/support/gstreamer_plugins.h"

namespace {

class Codec_install : public JukeboxTest::Home {
protected:
    void SetUp() override {
        TestSupport::Make_dirs(home + "/music/Aurora - Fields");
        const std::string song = home + "/music/Aurora - Fields/01 - First Glow.flac";
        const std::string make =
            "gst-launch-1.0 -q audiotestsrc num-buffers=200 volume=0.1 ! audioconvert ! flacenc ! "
            "filesink location='" +
            song + "' >/dev/null 2>&1";
        ASSERT_EQ(std::system(make.c_str()), 0) << "gst-launch-1.0 or flacenc missing (scripts/install-deps.sh)";
        gst = scratch.Path() + "/gst";
        for (const std::string& e : TestSupport::Plugins_without(gst, TestSupport::Flac_decoders)) env += e + " ";
    }
    std::string gst, env;
};

TEST_F(Codec_install, TheMissingDecoderIsInstalledAsideAndTheSongStartsAgain) {
    env += "GST_INSTALL_PLUGINS_HELPER=" + TestSupport::Fake_codec_installer(gst, "libgstflac.so", 0);
    // Browse, open the album, queue its song; the offer is answered OK. The run lasts until the song plays.
    ASSERT_TRUE(Run_until(env, "wait 300\nkey b\nwait 400\nkey 1\nwait 400\nanswer ok\nkey 1\n", [&] {
        return Log().find("\nsongname =") != std::string::npos;
    })) << Log();
    const std::string dialogs = Dialogs();
    EXPECT_NE(dialogs.find("VxDatabase\tWarning! The codec for the media extension: 'flac' is not installed !\\n"
                           "GStreamer has no "),
              std::string::npos)
        << dialogs;
    EXPECT_NE(dialogs.find("; the package gstreamer1.0-plugins-good brings it.\\nDo you want the system's installer to "
                           "install it now ?\\n"),
              std::string::npos)
        << dialogs;
    EXPECT_NE(TestSupport::Read_file(gst + "/installer-args.txt").find("|decoder-audio/x-flac"), std::string::npos);
    const std::string log = Log();
    EXPECT_EQ(Count(log, "Codec installed for FLAC"), 1) << log;
    // Two starts of the song: the refused one and the one after the install, which plays.
    EXPECT_EQ(Count(log, "\nsongname ="), 1) << log;
    const size_t installed = log.find("Codec installed for FLAC");
    ASSERT_NE(installed, std::string::npos);
    EXPECT_NE(log.find("Start_and_update_song", installed), std::string::npos);
    EXPECT_NE(log.find("songname =", installed), std::string::npos);
    EXPECT_EQ(Count(dialogs, "is not installed"), 1);  // the check after the install found the decoder
}

TEST_F(Codec_install, UnansweredHeadlessTheSystemsInstallerIsNotStarted) {
    env += "GST_INSTALL_PLUGINS_HELPER=" + TestSupport::Fake_codec_installer(gst, "libgstflac.so", 0);
    // Nobody answers the offer: it takes Cancel, as starting a program is nobody's wish here.
    ASSERT_TRUE(Run_until(env,
                          "wait 300\nkey b\nwait 400\nkey 1\nwait 400\nkey 1\nwait 1500\nkey Escape\nwait 300\n"
                          "key Escape\nwait 300\nkey q\n",
                          [&] { return Log().find("\nquit\n") != std::string::npos; }))
        << Log();
    EXPECT_NE(Dialogs().find("Do you want the system's installer to install it now ?"), std::string::npos) << Dialogs();
    EXPECT_FALSE(JukeboxTest::fs::exists(gst + "/installer-args.txt"));
    EXPECT_EQ(Count(Log(), "Codec installer: "), 0);
}

TEST_F(Codec_install, WithoutTheSystemsInstallerThePackageIsNamedAndNothingIsFetched) {
    env += "GST_INSTALL_PLUGINS_HELPER=" + gst + "/none-here";
    ASSERT_TRUE(Run_until(env, "wait 300\nkey b\nwait 400\nkey 1\nwait 400\nkey 1\n",
                          [&] { return Dialogs().find("then play the song again.") != std::string::npos; }));
    EXPECT_NE(Dialogs().find("brings it.\\nInstall it with your system's package manager, then play the song again."),
              std::string::npos)
        << Dialogs();
    EXPECT_EQ(Count(Log(), "songname ="), 0);
    EXPECT_TRUE(JukeboxTest::fs::is_empty(home + "/files"));  // no Windows installer downloaded
}

}  // namespace

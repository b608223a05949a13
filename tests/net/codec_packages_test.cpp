// The codec offer where decoders are the system's packages, with the FLAC decoders hidden from
// GStreamer: the text names the decoder and its package; with the system's installer (a fake one that
// installs nothing of the system's) the type is checked again and the song restarted.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "net/Software_source.h"
#include "net/VxCodecs.h"
#include "platform/codec_installer.h"
#include "platform/dialogs.h"
#include "platform/window.h"
#include "tests/net/Net_home.h"
#include "tests/support/gstreamer_plugins.h"

using TestSupport::Net_home;
using TestSupport::Read_file;

namespace {
const std::string Warning = "VxDatabase\tWarning! The codec for the media extension: 'flac' is not installed !\\n";

class Codec_packages : public ::testing::Test {
protected:
    void SetUp() override {
        Use_software_source(Platform::Software_source::system_packages);
        gst = home.Home();
        for (const std::string& e : TestSupport::Plugins_without(gst, TestSupport::Flac_decoders)) {
            const size_t eq = e.find('=');
            TestSupport::Set_env(e.substr(0, eq).c_str(), e.substr(eq + 1).c_str());
        }
        Platform::Message_queue::Instance().Reset();
        decoder = *Platform::Describe_missing_decoder("FLAC");
    }
    // The window's part: the installer's end, handed to the codec service as the shell does.
    void Finish_install() {
        Platform::Message_queue& queue = Platform::Message_queue::Instance();
        queue.Set_timer(99, 100);
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        Platform::Message m;
        while (std::chrono::steady_clock::now() < deadline && queue.Get(m)) {
            if (m.kind == Platform::WM_CODEC_INSTALL_DONE) {
                Codec_install_finished(static_cast<unsigned>(m.wparam));
                return;
            }
        }
        ADD_FAILURE() << "the installer's end never arrived";
    }
    std::string Named() const {
        return "GStreamer has no " + decoder.description + "; the package gstreamer1.0-plugins-good brings it.\\n";
    }

    Net_home home;
    std::string gst;
    Platform::Missing_decoder decoder;
};

TEST_F(Codec_packages, WithoutAnInstallerTheUserLearnsThePackage) {
    TestSupport::Set_env("GST_INSTALL_PLUGINS_HELPER", (gst + "/none-here").c_str());
    EXPECT_FALSE(Check_codec("FLAC"));
    EXPECT_FALSE(Check_codec("FLAC"));  // said once
    EXPECT_EQ(home.Dialogs(), (std::vector<std::string>{Warning + Named() +
                                                        "Install it with your system's package manager, then play "
                                                        "the song again.\\n"}));
    EXPECT_FALSE(TestSupport::Exists("../files/madFlac.zip"));  // no Windows installer is fetched
    EXPECT_EQ(home.shell.restarts, 0);
}

TEST_F(Codec_packages, TheSystemsInstallerIsAskedThenTheSongStartsAgain) {
    TestSupport::Set_env("GST_INSTALL_PLUGINS_HELPER",
                         TestSupport::Fake_codec_installer(gst, "libgstflac.so", 0).c_str());
    Platform::Queue_answer(true);
    EXPECT_FALSE(Check_codec("FLAC"));  // the song does not play now; the installer runs aside
    const std::string offer = Warning + Named() + "Do you want the system's installer to install it now ?\\n";
    EXPECT_EQ(home.Dialogs(), std::vector<std::string>{offer});
    EXPECT_EQ(home.shell.restarts, 0);
    Finish_install();
    EXPECT_NE(Read_file(gst + "/installer-args.txt").find(decoder.installer_detail + "\n"), std::string::npos);
    EXPECT_EQ(home.shell.restarts, 1);
    EXPECT_TRUE(Check_codec("FLAC"));  // found by the check that followed the install
    EXPECT_EQ(home.Dialogs(), std::vector<std::string>{offer});
}

TEST_F(Codec_packages, AnInstallThatFindsNothingOrIsCancelledRestartsNothing) {
    TestSupport::Set_env("GST_INSTALL_PLUGINS_HELPER", TestSupport::Fake_codec_installer(gst, "", 1).c_str());
    Platform::Queue_answer(true);
    EXPECT_FALSE(Check_codec("FLAC"));
    Finish_install();
    EXPECT_EQ(home.Dialogs().back(),
              "VxDatabase\tError! Could not install codec\\nThe system's installer found no "
              "package with the " +
                  decoder.description + ".");
    EXPECT_EQ(home.shell.restarts, 0);

    // Cancel at the offer starts nothing.
    std::remove((gst + "/installer-args.txt").c_str());
    Platform::Queue_answer(false);
    EXPECT_FALSE(Check_codec("FLAC", true));
    EXPECT_FALSE(TestSupport::Exists(gst + "/installer-args.txt"));
    EXPECT_EQ(home.shell.restarts, 0);
}

}  // namespace

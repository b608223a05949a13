// Missing decoders on GStreamer with the FLAC decoders hidden: the missing-plugin message's name and
// installer detail, the package set, and the system's codec installer (a fake one that installs
// nothing) run without blocking, its end posted to the queue as it finished.
#include "platform/codec_installer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>

#include "platform/shell.h"
#include "platform/window.h"
#include "tests/support/gstreamer_plugins.h"
#include "tests/support/test_support.h"

using namespace Platform;

namespace {

void Use(const std::vector<std::string>& env) {
    for (const std::string& e : env) {
        const size_t eq = e.find('=');
        setenv(e.substr(0, eq).c_str(), e.substr(eq + 1).c_str(), 1);
    }
}

// The installer's end as the window would receive it; a generous deadline for a loaded machine.
Codec_install Wait_for_install() {
    Message_queue& queue = Message_queue::Instance();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    queue.Set_timer(99, 100);  // Get wakes at least this often
    Message m;
    while (std::chrono::steady_clock::now() < deadline && queue.Get(m)) {
        if (m.kind == WM_CODEC_INSTALL_DONE) {
            queue.Kill_timer(99);
            return static_cast<Codec_install>(m.wparam);
        }
    }
    ADD_FAILURE() << "the installer's end never arrived";
    return Codec_install::failed;
}

class Codec_installer : public ::testing::Test {
protected:
    void SetUp() override {
        Use(TestSupport::Plugins_without(scratch.Path(), TestSupport::Flac_decoders));
        Message_queue::Instance().Reset();
    }
    TestSupport::Scratch_dir scratch;
};

TEST_F(Codec_installer, TheMissingDecoderIsNamedWithItsPackage) {
    ASSERT_FALSE(Can_decode_extension("FLAC"));
    EXPECT_TRUE(Can_decode_extension("WAV"));
    const auto flac = Describe_missing_decoder("FLAC");
    ASSERT_TRUE(flac);
    EXPECT_NE(flac->description.find("FLAC"), std::string::npos) << flac->description;
    EXPECT_NE(flac->description.find("decoder"), std::string::npos) << flac->description;
    EXPECT_EQ(flac->package, "gstreamer1.0-plugins-good");
    EXPECT_EQ(flac->installer_detail.rfind("gstreamer|1.0|", 0), 0u) << flac->installer_detail;
    EXPECT_NE(flac->installer_detail.find("|decoder-audio/x-flac"), std::string::npos) << flac->installer_detail;

    const auto mp3 = Describe_missing_decoder("MP3");
    ASSERT_TRUE(mp3);
    EXPECT_EQ(mp3->package, "gstreamer1.0-plugins-good");
    EXPECT_NE(mp3->installer_detail.find("decoder-audio/mpeg"), std::string::npos) << mp3->installer_detail;
    const auto aac = Describe_missing_decoder("AAC");
    ASSERT_TRUE(aac);
    EXPECT_EQ(aac->package, "gstreamer1.0-libav");
    EXPECT_FALSE(Describe_missing_decoder("NOSUCHTYPE"));
}

TEST_F(Codec_installer, TheSystemsInstallerRunsAsideAndItsEndIsPosted) {
    setenv("GST_INSTALL_PLUGINS_HELPER", (scratch.Path() + "/none-here").c_str(), 1);
    EXPECT_FALSE(Has_codec_installer());
    const auto flac = Describe_missing_decoder("FLAC");
    ASSERT_TRUE(flac);
    EXPECT_FALSE(Start_codec_install(*flac));

    // An installer that "installs" by linking the hidden plugin back: afterwards the registry finds it.
    setenv("GST_INSTALL_PLUGINS_HELPER", TestSupport::Fake_codec_installer(scratch.Path(), "libgstflac.so", 0).c_str(),
           1);
    ASSERT_TRUE(Has_codec_installer());
    ASSERT_TRUE(Start_codec_install(*flac));
    EXPECT_EQ(Wait_for_install(), Codec_install::installed);
    EXPECT_NE(TestSupport::Read_file(scratch.Path() + "/installer-args.txt").find(flac->installer_detail + "\n"),
              std::string::npos);
    Refresh_media_registry();
    EXPECT_TRUE(Can_decode_extension("FLAC"));

    // One that finds nothing, and one the user stopped.
    setenv("GST_INSTALL_PLUGINS_HELPER", TestSupport::Fake_codec_installer(scratch.Path(), "", 1).c_str(), 1);
    ASSERT_TRUE(Start_codec_install(*flac));
    EXPECT_EQ(Wait_for_install(), Codec_install::not_found);
    setenv("GST_INSTALL_PLUGINS_HELPER", TestSupport::Fake_codec_installer(scratch.Path(), "", 4).c_str(), 1);
    ASSERT_TRUE(Start_codec_install(*flac));
    EXPECT_EQ(Wait_for_install(), Codec_install::cancelled);
}

}  // namespace

// The codec offer where decoders are the system's packages (Linux): no installer is downloaded or
// started by us; the user learns which decoder is missing and which package brings it, and the
// system's codec installer is asked when there is one. Its answer comes back through the window.
#include <string>

#include "net/VxCodecs.h"
#include "net/VxNet_shell.h"
#include "platform/codec_installer.h"
#include "platform/dialogs.h"
#include "trace/VxTrace.h"

namespace {
constexpr const char* Caption = "VxDatabase";

struct Pending_install {
    std::string extension;
    Platform::Missing_decoder decoder;
};
Pending_install& Pending() {
    static Pending_install pending;
    return pending;
}
}  // namespace

void Offer_decoder_package(const std::string& extension, const std::string& warning) {
    const auto decoder = Platform::Describe_missing_decoder(extension);
    if (!decoder) {
        Platform::Message_box(Caption, warning + "No decoder is known for this type of file.\n");
        return;
    }
    const std::string text =
        warning + "GStreamer has no " + decoder->description + "; the package " + decoder->package + " brings it.\n";
    if (!Platform::Has_codec_installer()) {
        Platform::Message_box(Caption,
                              text + "Install it with your system's package manager, then play the song again.\n");
        return;
    }
    if (!Platform::Message_box_ok_cancel(Caption, text + "Do you want the system's installer to install it now ?\n",
                                         Platform::Question::Runs_program))
        return;
    VxTrace::Instance().Write("Codec installer: " + decoder->installer_detail);
    if (!Platform::Start_codec_install(*decoder)) {
        Platform::Message_box(Caption, "Error! Could not install codec");
        return;
    }
    Pending() = {extension, *decoder};
}

void Codec_install_finished(unsigned outcome) {
    Pending_install done = Pending();
    Pending() = {};
    if (done.extension.empty()) return;  // nothing of ours was installing
    switch (static_cast<Platform::Codec_install>(outcome)) {
        case Platform::Codec_install::installed:
            VxTrace::Instance().Write("Codec installed for " + done.extension);
            Platform::Refresh_media_registry();
            Check_codec_after_install(done.extension);
            VxNet_shell::Current().Restart_current_song();
            break;
        case Platform::Codec_install::not_found:
            Platform::Message_box(Caption,
                                  "Error! Could not install codec\nThe system's installer found no package with the " +
                                      done.decoder.description + ".");
            break;
        case Platform::Codec_install::failed:
            Platform::Message_box(Caption, "Error! Could not install codec");
            break;
        case Platform::Codec_install::cancelled:
            break;
    }
}

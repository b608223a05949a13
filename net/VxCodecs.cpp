// The codec service. "Can this platform decode X" is the platform's media-type registry; the
// installers come from a local server or the distribution server, over HTTPS or loopback only.
#include "net/VxCodecs.h"

#include <boost/filesystem.hpp>

#include "library/VxDefs.h"
#include "net/Net_servers.h"
#include "net/Software_source.h"
#include "net/VxInternet.h"
#include "net/VxNet_shell.h"
#include "platform/dialogs.h"
#include "platform/shell.h"
#include "settings/VxRead.h"
#include "trace/VxTrace.h"

namespace {
constexpr const char* Check_caption = "VxDatabase";
constexpr const char* Install_caption = "VxInternet";
constexpr const char* Files_folder = "../files/";

struct Codec_state {
    std::vector<CodecEntry> table;
    bool base_check_pending = true;
    bool rebuild_pending = true;
    int installing = 0;  // Install_codec calls in progress
};

Codec_state& State() {
    static Codec_state state;
    return state;
}

void Rebuild_table() {
    State().table = {{"WMA", true, true}, {"WAV", true, true}, {"MP3"}, {"OGG"}, {"AAC"}, {"APE"}, {"FLAC"}};
}

CodecEntry* Find(const std::string& extension) {
    if (State().table.empty()) Rebuild_table();
    for (CodecEntry& entry : State().table) {
        if (entry.extension == extension) return &entry;
    }
    return nullptr;
}

void Install_and_restart(const std::string& extension) {
    if (Install_codec(extension)) {
        VxNet_shell::Current().Restart_current_song();
    } else {
        Platform::Message_box(Check_caption, "Error! Could not install codec");
    }
}
}  // namespace

std::string Codec_installer_name(const std::string& extension) {
    if (extension == "MP3") return "DSMP3SourceSetup.exe";
    if (extension == "APE") return "RadLightAPE_1.0.0.4.exe";
    if (extension == "OGG") return "OggDS0996.exe";
    if (extension == "FLAC") return "madFlac.zip";
    return "Invalid_Codec_Name.exe";
}

const std::vector<CodecEntry>& Codec_table() {
    if (State().table.empty()) Rebuild_table();
    return State().table;
}

bool Check_codec(const std::string& extension, bool reset) {
    Codec_state& state = State();
    if (reset) {
        state.base_check_pending = true;
        state.rebuild_pending = true;
    }
    if (state.base_check_pending) {
        if (!Platform::Has_media_type_registry()) {
            VxTrace::Instance().Write("Media Type Extensions NOT FOUND");
            return true;
        }
        VxTrace::Instance().Write("Media Type Extensions AVAILABLE");
        state.base_check_pending = false;
    }
    if (state.rebuild_pending) {
        Rebuild_table();
        state.rebuild_pending = false;
    }
    CodecEntry* entry = Find(extension);
    if (!entry) return false;
    if (entry->probed) return entry->installed;
    entry->probed = true;
    if (Platform::Can_decode_extension(extension)) {
        entry->installed = true;
        return true;
    }
    entry->installed = false;  // the table may be rebuilt below: entry is not used after this

    const std::string warning =
        "Warning! The codec for the media extension: '" + to_lower(extension) + "' is not installed !\n";
    if (state.installing > 0) {
        // The check that follows an installation: say that it did not help, but do not offer the
        // same installer again (a confirmed offer would start the next round, without end).
        Platform::Message_box(Check_caption, warning);
        return false;
    }
    if (Software_source_in_use() == Platform::Software_source::system_packages) {
        Offer_decoder_package(extension, warning);
        return false;
    }
    if (Codec_file_available(extension)) {
        if (Platform::Message_box_ok_cancel(Check_caption, warning + "Do you want to install the codec now ?\n",
                                            Platform::Question::Runs_program)) {
            Install_and_restart(extension);
        }
    } else if (Platform::Message_box_ok_cancel(Check_caption,
                                               warning + "Do you want to download and install the codec now ?\n",
                                               Platform::Question::Runs_program)) {
        if (Download_codec(extension)) {
            Install_and_restart(extension);
        } else {
            Platform::Message_box(Check_caption, "Error! Could not download codec");
        }
    }
    return false;
}

bool Codec_file_available(const std::string& extension) {
    return VxRead::Instance().File_exists(Files_folder + Codec_installer_name(extension));
}

bool Download_codec(const std::string& extension) {
    if (!Find(extension)) return false;
    const std::string name = Codec_installer_name(extension);
    std::vector<std::string> candidates;
    if (extension == "MP3") {
        candidates = {"unknown/" + name, Net_servers::Local() + "codecs/" + name,
                      Net_servers::Distribution() + "codecs/" + name};
    } else if (extension == "APE" || extension == "OGG" || extension == "FLAC") {
        candidates = {Net_servers::Local() + "codecs/" + name, Net_servers::Distribution() + "codecs/" + name};
    }
    if (candidates.empty()) return false;
    boost::system::error_code ignored;
    boost::filesystem::create_directories(Files_folder, ignored);
    for (const std::string& address : candidates) {
        if (VxInternet::Instance().Download_to_file(address, Files_folder + name)) return true;
    }
    return false;
}

bool Install_codec(const std::string& extension) {
    if (!Find(extension) || !Codec_file_available(extension)) return false;
    const std::string file = Files_folder + Codec_installer_name(extension);
    const std::string kind = get_extension(file);
    if (kind == "EXE") {
        Platform::Open_file(file);
        Platform::Message_box(Install_caption, "Please INSTALL codec and press OK");
    } else if (kind == "AX") {
        Platform::Message_box(Install_caption, "Install AX filter manually...\nuse 'InstallFilter <mycodec>.ax'");
    }
    Check_codec_after_install(extension);
    return true;
}

void Check_codec_after_install(const std::string& extension) {
    ++State().installing;
    Check_codec(extension, true);
    --State().installing;
}

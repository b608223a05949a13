// The start notification and the version check. The server's version text becomes part of a file
// name that is then opened, so only a plain identifier such as "v2.3" is accepted.
#include "net/VxVersion_check.h"

#include <boost/filesystem.hpp>
#include <fstream>
#include <random>

#include "net/Net_servers.h"
#include "net/Net_text.h"
#include "net/Software_source.h"
#include "net/VxInternet.h"
#include "net/VxNet_shell.h"
#include "platform/dialogs.h"
#include "platform/shell.h"
#include "settings/Atomic_file.h"
#include "settings/VxRead.h"
#include "trace/VxTrace.h"

namespace {
constexpr const char* Caption = "VxInternet";
constexpr const char* Id_file = "tavrix_id.txt";
constexpr const char* Files_folder = "../files/";

struct Version_state {
    std::string newest;
    bool first_check = true;
    bool failure_shown = false;
};

Version_state& State() {
    static Version_state state;
    return state;
}

std::string First_line(const char* path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

// With no distribution server configured there is nobody to ask: the service is skipped as a
// repeated check is, with no failure to show or record.
bool Skipped_without_server() {
    if (!Net_servers::Distribution().empty()) return false;
    VxTrace::Instance().Write("Connection SKIPPED...");
    return true;
}

bool Is_hex_id(const std::string& text) {
    if (text.size() != 32) return false;
    for (char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    }
    return true;
}
}  // namespace

std::string Installation_id() {
    std::string kept = Net_text::Trim_right(First_line(Id_file));
    if (Is_hex_id(kept)) return kept;
    std::random_device source;
    static const char* hex = "0123456789abcdef";
    std::string id;
    for (int i = 0; i < 4; ++i) {
        std::uint32_t bits = source();
        for (int j = 0; j < 8; ++j, bits >>= 4) id += hex[bits & 0x0F];
    }
    if (!Atomic_file::Write(Id_file, id + "\n"))
        VxTrace::Instance().Write_error("Could not keep the installation identifier");
    return id;
}

void Send_start_notification() {
    if (!VxRead::Instance().Get_check_new_version() || Skipped_without_server()) return;
    const std::string url =
        Net_servers::Distribution() + "Started.php?" + "version=" + Own_version + "&name=" + Installation_id();
    bool timed_out = false;
    VxInternet::Instance().Open_url(url, timed_out);
    if (!timed_out) VxInternet::Instance().Close_handles();
}

bool Determine_new_version(std::string& newest) {
    VxTraceScope scope("Determine_new_version");
    Version_state& state = State();
    bool result = false;
    // Without a server the first check is not used up: one configured later in the run is asked.
    if (state.first_check && !Skipped_without_server()) {
        VxTrace::Instance().Write("Connecting...");
        state.first_check = false;
        VxInternet& internet = VxInternet::Instance();
        bool timed_out = false;
        const std::string url = Net_servers::Distribution() + "Info.txt";
        internet.Open_url(url, timed_out);
        std::string response;
        if (!timed_out) {
            response = internet.Read_text(VxInternet::Max_version_text, VxInternet::Beyond_limit::refuse, url);
            internet.Close_handles();
        }
        std::string text = Net_text::Extract(response, "version=(.*)");
        if (text != Net_text::No_match) {
            text = Net_text::Trim_right(text);
            if (!Net_text::Is_plain_version(text)) {
                VxTrace::Instance().Write_error("Refused version text from server: not a plain version identifier");
                text = Net_text::No_match;
            }
        }
        state.newest = text;
        if (text == Net_text::No_match) {
            if (!state.failure_shown) {
                state.failure_shown = true;
                Platform::Message_box(
                    Caption,
                    "Could not determine current version. \nMake sure an internet connection is available ...");
            }
        } else {
            result = text > std::string(Own_version);
        }
    } else if (!state.first_check) {
        VxTrace::Instance().Write("Connection SKIPPED...");
    }
    newest = state.newest;
    return result;
}

void Offer_new_version() {
    std::string newest;
    if (!Determine_new_version(newest)) return;
    const std::string text = std::string("A NEW VERSION is available.\nCurrent version = ") + Own_version +
                             "\nNew version = " + newest + "\n";
    if (Software_source_in_use() == Platform::Software_source::system_packages) {
        // A Windows installer helps nobody here: the new version comes as a package of the system.
        Platform::Message_box(Caption, text + "It is published at " + Net_servers::Distribution() +
                                           "\nInstall it from there or through your system's package manager.\n");
        return;
    }
    const std::string file = std::string(Files_folder) + "TavrixJukebox_" + newest + ".exe";
    VxNet_shell& shell = VxNet_shell::Current();

    if (VxRead::Instance().File_exists(file)) {
        if (!Platform::Message_box_ok_cancel(Caption, text + "Do you wish to install new version ?\n",
                                             Platform::Question::Runs_program))
            return;
        Platform::Open_file(file);
        Platform::Message_box(Caption,
                              "INSTALL new version and RESTART application manually. \nApplication will quit !");
        shell.Quit();
        return;
    }
    if (!Platform::Message_box_ok_cancel(Caption, text + "Do you wish to download and install new version ?\n",
                                         Platform::Question::Runs_program))
        return;
    boost::system::error_code ignored;
    boost::filesystem::create_directories(Files_folder, ignored);
    if (!VxInternet::Instance().Download_to_file(Net_servers::Distribution() + "files/TavrixJukebox.exe", file)) {
        Platform::Message_box(Caption, "Error! Could not download the new version");
        return;
    }
    if (!VxRead::Instance().File_exists(file)) {
        Platform::Message_box(Caption, "Error! Could not find downloaded file");
        return;
    }
    Platform::Open_file(file);
    if (Platform::Message_box_ok_cancel(Caption, "Please install new version \n")) shell.Quit();
}

// The checks of every start: the file must be readable, a bad music folder is replaced by the default,
// an invalid expression ends the process, and a changed fingerprint forces a library rebuild.
#include <boost/filesystem.hpp>
#include <boost/regex.hpp>
#include <cstdio>
#include <fstream>

#include "platform/dialogs.h"
#include "platform/process.h"
#include "settings/Atomic_file.h"
#include "settings/CIniFile.h"
#include "settings/CMD5.h"
#include "settings/VxRead_impl.h"
#include "trace/VxTrace.h"

using namespace Settings_names;
namespace fs = boost::filesystem;

namespace {
enum class Folder_state { usable, invalid, missing };

// Whether the folder may be used; for an invalid one the user has been told why.
Folder_state Music_folder_state(const std::string& raw, boost::system::error_code& ec, fs::path& absolute) {
    const char* invalid = "Error: specified music folder is INVALID.  \nPlease select a valid music folder ! ";
    // An empty value would otherwise name the working folder.
    if (raw.empty()) {
        Platform::Message_box(Caption, invalid);
        return Folder_state::invalid;
    }
    absolute = fs::absolute(fs::path(raw));
    fs::file_status status = fs::status(absolute, ec);
    if (ec || !fs::exists(status)) return Folder_state::missing;
    if (!fs::is_directory(status)) {
        Platform::Message_box(Caption, invalid);
        return Folder_state::invalid;
    }
    return Folder_state::usable;
}
}  // namespace

// The library was built from this very folder (its settings are unchanged since) and the library file
// is there: the folder went away since the last start, a disk unplugged, say.
bool VxRead::Music_folder_vanished() {
    return !impl_->digest_was_missing && File_exists(Library_file) &&
           CMD5::Of(Fingerprint()) == CIniFile::Get_value("FileCrc", Crc_section, File_name);
}

void VxRead::Require_usable_file() {
    // Without a settings file that can be read (or made) every value would read as empty: the
    // start would scan no folder and replace the library with an empty one. A folder, a FIFO or a
    // file without permission ends it first, before anything is written.
    boost::system::error_code ec;
    const fs::file_status status = fs::status(File_name, ec);
    bool usable = false;
    if (fs::is_regular_file(status)) {
        std::ifstream in(File_name, std::ios::binary);
        usable = in.is_open();
    } else if (status.type() == fs::file_not_found) {
        usable = Atomic_file::Write(File_name, "");
    }
    if (usable) return;
    Platform::Message_box(Caption, std::string("Error: Could not read or create : ") + File_name + " file !");
    Platform::Exit_process(1);
}

void VxRead::Validate() {
    if (!CIniFile::File_exists(File_name)) {
        Platform::Message_box(Caption, std::string("Error: Could not find : ") + File_name + " file !");
        Platform::Exit_process(1);
    }

    const std::string raw = CIniFile::Get_value("MusicFolder", Music_location, File_name);
    boost::system::error_code ec;
    fs::path absolute;
    Folder_state state = Music_folder_state(raw, ec, absolute);
    const std::string reason = ec ? ec.message() : std::string("not found: ") + absolute.string();
    if (state == Folder_state::missing && Music_folder_vanished()) {
        // Replacing the setting would lose the user's folder and, through the digest, the library and
        // its cached covers: both stay, and the jukebox starts with the library as it was.
        Platform::Message_box(Caption, "Error: the music folder " + raw +
                                           " can not be found (is its disk connected?).\nThe library stays as it "
                                           "was: connect the folder and start again, or choose another folder in "
                                           "the options (O, then 1).");
        VxTrace::Instance().Write_error("Error : " + reason);
        state = Folder_state::usable;
    } else if (state == Folder_state::missing) {
        Platform::Message_box(
            Caption, "Error: specified music folder can not be found.  \nPlease select a valid music folder ! ");
        VxTrace::Instance().Write_error("Error : " + reason);
    }
    if (state != Folder_state::usable) {
        CIniFile::Delete_section(Music_location, File_name);
        Write_defaults();
        // The fingerprint may have read the bad folder already; what the library uses is the default.
        Get_music_folder(true);
    }

    bool failed = false;
    for (const RegexSetting& entry : Get_regular_expressions()) {
        try {
            boost::regex compiled(entry.regex);
        } catch (const std::exception& error) {
            Platform::Message_box(Caption, "The regular expression " + entry.name + " is invalid ! \n regex = ' " +
                                               entry.regex + " ' Code = ' " + error.what() + " '\n");
            failed = true;
        }
    }
    if (failed) {
        Platform::Message_box(Caption, "Error: At least one of the regular expression is invalid");
        Platform::Exit_process(1);
    }
}

void VxRead::Check_settings_crc() {
    const std::string digest = CMD5::Of(Fingerprint());
    // A digest that had to be written anew this start cannot tell whether the library still fits.
    if (!impl_->digest_was_missing && digest == CIniFile::Get_value("FileCrc", Crc_section, File_name)) return;

    CIniFile::Delete_record("FileCrc", Crc_section, File_name);
    CIniFile::Set_value("CacheCovers", "yes", Internet, File_name);
    impl_->cache_covers.first = true;
    // Without the library file the start-up rebuilds the library from the new folder and names.
    std::remove(Library_file);
    CIniFile::Set_value("FileCrc", digest, Crc_section, File_name);
}

// The checks of every start: the file must exist, a bad music folder is replaced by the default,
// an invalid expression ends the process, and a changed fingerprint forces a library rebuild.
#include <boost/filesystem.hpp>
#include <boost/regex.hpp>
#include <cstdio>

#include "platform/dialogs.h"
#include "platform/process.h"
#include "settings/CIniFile.h"
#include "settings/CMD5.h"
#include "settings/VxRead_impl.h"
#include "trace/VxTrace.h"

using namespace Settings_names;
namespace fs = boost::filesystem;

namespace {
// True when the folder may be used; otherwise the user has been told why.
bool Music_folder_usable(const std::string& raw) {
    const char* invalid = "Error: specified music folder is INVALID.  \nPlease select a valid music folder ! ";
    // An empty value would otherwise name the working folder.
    if (raw.empty()) {
        Platform::Message_box(Caption, invalid);
        return false;
    }
    boost::system::error_code ec;
    fs::path absolute = fs::absolute(fs::path(raw));
    fs::file_status status = fs::status(absolute, ec);
    if (ec || !fs::exists(status)) {
        Platform::Message_box(
            Caption, "Error: specified music folder can not be found.  \nPlease select a valid music folder ! ");
        VxTrace::Instance().Write_error("Error : " +
                                        (ec ? ec.message() : std::string("not found: ") + absolute.string()));
        return false;
    }
    if (!fs::is_directory(status)) {
        Platform::Message_box(Caption, invalid);
        return false;
    }
    return true;
}
}  // namespace

void VxRead::Validate() {
    if (!CIniFile::File_exists(File_name)) {
        Platform::Message_box(Caption, std::string("Error: Could not find : ") + File_name + " file !");
        Platform::Exit_process(1);
    }

    if (!Music_folder_usable(CIniFile::Get_value("MusicFolder", Music_location, File_name))) {
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

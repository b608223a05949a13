// The image-size guard before loading and scaling, and the options mode's music folder choice.
// A refused image shows one message per run; later refusals are silent.
#include <algorithm>
#include <boost/filesystem.hpp>
#include <cctype>

#include "platform/dialogs.h"
#include "settings/CIniFile.h"
#include "settings/VxRead_impl.h"
#include "trace/VxTrace.h"

using namespace Settings_names;

namespace {
std::string Upper_extension(const std::string& path) {
    size_t dot = path.rfind('.');
    if (dot == std::string::npos) return "";
    std::string ext = path.substr(dot + 1);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return ext;
}
}  // namespace

bool VxRead::Check_image_size(const std::string& path) {
    // Only the attributes are read (a link counts as its target): a missing file is refused without a message.
    boost::system::error_code ec;
    const boost::filesystem::file_status status = boost::filesystem::status(path, ec);
    if (!boost::filesystem::exists(status)) return false;
    const boost::uintmax_t bytes =
        boost::filesystem::is_regular_file(status) ? boost::filesystem::file_size(path, ec) : 0;
    if (!boost::filesystem::is_regular_file(status) || ec) {
        Platform::Message_box(Caption, "The file: " + path + " could not be read");
        return false;
    }

    const std::string ext = Upper_extension(path);
    const long long size = static_cast<long long>(bytes);
    std::string refusal;
    if (ext == "JPG") {
        if (size <= 3000000) return true;
        refusal = "The jpg image: " + path + " is too large to handle";
    } else if (ext == "BMP") {
        if (size <= 10000000) return true;
        refusal = "The bmp image: " + path + " is too large to handle";
    } else {
        refusal = "The image: " + path + " is not a jpg or bmp file and cannot be loaded";
    }
    if (!impl_->image_refused) {
        impl_->image_refused = true;
        Platform::Message_box(Caption, refusal);
    }
    return false;
}

std::string VxRead::Choose_music_folder() {
    Platform::Folder_choice choice = Platform::Choose_folder("Select folder that contains your MUSIC ...");
    std::string path;
    bool ok = false;
    if (!choice.dialog_error) {
        if (!choice.path) {
            Platform::Message_box(Caption, "The selected folder was invalid..,");
        } else if (choice.path->size() < 2) {
            Platform::Message_box(Caption, "path look invalid ?");
        } else {
            path = *choice.path;
            ok = true;
        }
    }
    if (ok && !CIniFile::Set_value("MusicFolder", path, Music_location, File_name)) {
        // A name that cannot be stored (a line break or a trailing blank in it) or a file that cannot be written.
        VxTrace::Instance().Write_error("Error : could not store the music folder " + path + " in " + File_name);
        ok = false;
    }
    if (!ok) {
        Platform::Message_box(Caption, "Error Creating Folder dialoque");
        path.clear();
    }
    Get_music_folder(true);
    return path;
}

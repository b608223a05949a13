// The folder listing on Windows through the standard library, whose entries keep the kind that
// FindNextFileW gave: a file or a plain folder costs no call, a link one to see what it leads to.
#include <filesystem>

#include "platform/folder_listing.h"
#include "platform/paths.h"

namespace Platform {

Folder_listing List_folder(const std::string& folder) {
    Folder_listing listing;
    // The C library finds no folder whose name ends in a separator (a drive's top excepted).
    std::string name = folder;
    while (name.size() > 1 && (name.back() == '\\' || name.back() == '/') && name[name.size() - 2] != ':')
        name.pop_back();
    std::error_code time_error;
    const auto time = std::filesystem::last_write_time(Fs_path(name), time_error);
    std::filesystem::directory_iterator it(Fs_path(folder), listing.open_error);
    if (listing.open_error) return listing;
    if (!time_error) listing.time = time;
    for (; it != std::filesystem::directory_iterator(); it.increment(listing.read_error)) {
        if (listing.read_error) break;
        std::error_code type_error;
        Folder_entry entry;
        entry.name = Utf8_name(it->path().filename());
        if (it->is_directory(type_error))
            entry.kind = Entry_kind::folder;
        else if (it->is_regular_file(type_error))
            entry.kind = Entry_kind::file;
        entry.link = it->is_symlink(type_error);
        listing.entries.push_back(std::move(entry));
    }
    return listing;
}

}  // namespace Platform

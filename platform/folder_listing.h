// One folder's entries with what each is, as cheaply as the system gives them: the kind comes with
// the listing, and only a symbolic link (or an entry whose kind the file system leaves open) costs
// one question about what it leads to. Names are UTF-8. Any thread.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace Platform {

// What an entry is, a link counted as what it leads to; "other" is a device, a FIFO, a socket or a
// link that leads nowhere.
enum class Entry_kind { folder, file, other };

struct Folder_entry {
    std::string name;
    Entry_kind kind = Entry_kind::other;
    bool link = false;
};

struct Folder_listing {
    std::vector<Folder_entry> entries;  // without "." and "..", in the order the system lists them
    // The folder's modification time as std::filesystem::last_write_time gives it, read from the open
    // folder before its entries (so a change while they are read shows next time); none when unknown.
    std::optional<std::filesystem::file_time_type> time;
    std::error_code open_error;  // the folder could not be opened: nothing is listed
    std::error_code read_error;  // the listing broke off: the entries before it are there
};

// The entries of folder (a trailing separator is allowed; a link to a folder is followed).
Folder_listing List_folder(const std::string& folder);

}  // namespace Platform

// The folder listing on POSIX: readdir's d_type gives the kind of most entries; a link, or an entry
// of a file system that leaves d_type open, is asked about once, relative to the open folder, whose
// own time comes from the open descriptor rather than a second lookup of its path.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "platform/folder_listing.h"

namespace Platform {
namespace {

Entry_kind Kind_of(mode_t mode) {
    if (S_ISDIR(mode)) return Entry_kind::folder;
    if (S_ISREG(mode)) return Entry_kind::file;
    return Entry_kind::other;
}

// What a link leads to; "other" when it leads nowhere.
Entry_kind Followed(int folder_fd, const char* name) {
    struct stat st {};
    return ::fstatat(folder_fd, name, &st, 0) == 0 ? Kind_of(st.st_mode) : Entry_kind::other;
}

}  // namespace

Folder_listing List_folder(const std::string& folder) {
    Folder_listing listing;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) {
        listing.open_error = std::error_code(errno, std::generic_category());
        return listing;
    }
    const int fd = ::dirfd(dir);
    struct stat own {};
    if (::fstat(fd, &own) == 0) {
        using namespace std::chrono;
        listing.time =
            file_clock::from_sys(sys_time<nanoseconds>(seconds(own.st_mtim.tv_sec)) + nanoseconds(own.st_mtim.tv_nsec));
    }
    for (;;) {
        errno = 0;
        const dirent* e = ::readdir(dir);
        if (!e) {
            if (errno != 0) listing.read_error = std::error_code(errno, std::generic_category());
            break;
        }
        const char* name = e->d_name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'))) continue;
        Folder_entry entry;
        entry.name.assign(name, std::strlen(name));
        switch (e->d_type) {
            case DT_DIR:
                entry.kind = Entry_kind::folder;
                break;
            case DT_REG:
                entry.kind = Entry_kind::file;
                break;
            case DT_LNK:
                entry.link = true;
                entry.kind = Followed(fd, name);
                break;
            case DT_UNKNOWN: {
                struct stat st {};
                if (::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) break;
                entry.link = S_ISLNK(st.st_mode);
                entry.kind = entry.link ? Followed(fd, name) : Kind_of(st.st_mode);
                break;
            }
            default:  // a device, a FIFO or a socket
                break;
        }
        listing.entries.push_back(std::move(entry));
    }
    ::closedir(dir);
    return listing;
}

}  // namespace Platform

// The file steps on POSIX: mkstemp for the temporary file (permissions copied from the target),
// fsync for the flush, rename for the replacement and an fsync of the folder for its durability.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "platform/files.h"

namespace Platform {
namespace {

std::string Folder_of(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string Name_of(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void Sync_folder(const std::string& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

std::FILE* Create_temp_beside(const std::string& target, std::string& temp_path) {
    std::string temp = Folder_of(target) + "/." + Name_of(target) + ".tmp-XXXXXX";
    std::vector<char> buffer(temp.begin(), temp.end());
    buffer.push_back('\0');
    const int fd = ::mkstemp(buffer.data());
    if (fd < 0) return nullptr;
    temp_path = buffer.data();
    // Keep the old file's permissions; a new file gets the usual rw-r--r--.
    struct stat old {};
    const mode_t mode = (::stat(target.c_str(), &old) == 0) ? (old.st_mode & 07777) : 0644;
    std::FILE* file = ::fchmod(fd, mode) == 0 ? ::fdopen(fd, "wb") : nullptr;
    if (!file) {
        ::close(fd);
        ::unlink(temp_path.c_str());
    }
    return file;
}

bool Flush_to_disk(std::FILE* file) { return std::fflush(file) == 0 && ::fsync(::fileno(file)) == 0; }

bool Replace_file(const std::string& from, const std::string& to, Durability durability) {
    // A rename over a file makes ext4 (auto_da_alloc) write the new file's blocks out at once, about
    // 1 ms and at times tens, the price of finding the old or the new file after a crash. A cache
    // does without it: its old copy goes first, and a crash just then leaves none, which costs its
    // user one filling again.
    if (durability == Durability::cache) ::unlink(to.c_str());
    if (std::rename(from.c_str(), to.c_str()) != 0) return false;
    if (durability == Durability::durable) Sync_folder(Folder_of(to));
    return true;
}

}  // namespace Platform

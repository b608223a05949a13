// The file steps on POSIX: mkstemp for the temporary file (permissions copied from the target),
// fsync for the flush, rename for the replacement and an fsync of the folder for its durability; a
// whole file read into an anonymous map populated at once (MADV_POPULATE_WRITE, or MAP_POPULATE).
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
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

File_bytes File_bytes::Read(const std::string& path) {
    File_bytes bytes;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return bytes;
    struct stat st {};
    if (fstat(fd, &st) != 0 || st.st_size < 0) {
        close(fd);
        return bytes;
    }
    const auto size = static_cast<std::size_t>(st.st_size);
    if (size > 0) {
        void* block = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
#ifdef MADV_POPULATE_WRITE
        const bool populated = block != MAP_FAILED && madvise(block, size, MADV_POPULATE_WRITE) == 0;
#else
        const bool populated = false;
#endif
        if (block != MAP_FAILED && !populated) {
            munmap(block, size);  // a kernel before 5.14: the whole map populated as it is made
            block = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
        }
        if (block == MAP_FAILED) {
            close(fd);
            return bytes;
        }
        bytes.data_ = static_cast<char*>(block);
        bytes.reserved_ = size;
    }
    // A file that changes size meanwhile is read as far as it was long, as a stream would read it.
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = read(fd, bytes.data_ + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    close(fd);
    bytes.Keep_if_whole(done, size);
    return bytes;
}

void File_bytes::Free_block(char* data, std::size_t reserved) { munmap(data, reserved); }

}  // namespace Platform

// The temporary-file-and-rename write behind every INI file (settings and rating tag files).
// The folder is synced after the rename so that the new name itself survives a power cut.
#include "settings/Atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <boost/filesystem.hpp>
#include <cerrno>
#include <cstdio>
#include <vector>

namespace fs = boost::filesystem;

namespace Atomic_file {
namespace {
std::atomic<Fault> g_fault{Fault::none};

bool Fails(Fault step) { return g_fault.load() == step; }

// A link to the settings file stays a link: the file it points at is the one replaced.
std::string Resolve(const std::string& path) {
    boost::system::error_code ec;
    if (fs::is_symlink(fs::symlink_status(path, ec))) {
        fs::path target = fs::canonical(path, ec);
        if (!ec) return target.string();
    }
    return path;
}

bool Write_all(int fd, const std::string& content) {
    const char* p = content.data();
    size_t left = content.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    return true;
}

void Sync_folder(const std::string& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}
}  // namespace

void Inject_fault(Fault fault) { g_fault.store(fault); }

bool Write(const std::string& requested, const std::string& content) {
    const std::string path = Resolve(requested);
    fs::path folder = fs::path(path).parent_path();
    if (folder.empty()) folder = ".";
    const std::string name = fs::path(path).filename().string();
    std::string temp = (folder / ("." + name + ".tmp-XXXXXX")).string();
    std::vector<char> buffer(temp.begin(), temp.end());
    buffer.push_back('\0');

    int fd = Fails(Fault::create) ? -1 : ::mkstemp(buffer.data());
    if (fd < 0) return false;
    temp = buffer.data();

    // Keep the old file's permissions; a new file gets the usual rw-r--r--.
    struct stat old {};
    mode_t mode = (::stat(path.c_str(), &old) == 0) ? (old.st_mode & 07777) : 0644;

    bool ok = !Fails(Fault::write) && Write_all(fd, content);
    ok = ok && ::fchmod(fd, mode) == 0;
    ok = ok && !Fails(Fault::sync) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    ok = ok && !Fails(Fault::rename) && std::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    Sync_folder(folder.string());
    return true;
}

}  // namespace Atomic_file

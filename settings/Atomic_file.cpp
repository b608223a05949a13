// The temporary-file-and-rename write behind every file the jukebox replaces (settings, library,
// tag files, downloads). The folder is synced after the rename so that the new name itself survives a power cut.
#include "settings/Atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <boost/filesystem.hpp>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <vector>

namespace fs = boost::filesystem;

namespace Atomic_file {
namespace {
std::atomic<Fault> g_fault{Fault::none};

constexpr const char* Temp_infix = ".tmp-";
constexpr std::size_t Temp_random_length = 6;  // mkstemp's XXXXXX
// Younger temporary files may be a write of another jukebox process in progress.
constexpr auto Stale_age = std::chrono::minutes(1);

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

std::string Folder_of(const std::string& path) {
    fs::path folder = fs::path(path).parent_path();
    return folder.empty() ? std::string(".") : folder.string();
}

bool Write_all(int fd, const char* p, size_t left) {
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

bool Is_name_char(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
}  // namespace

void Inject_fault(Fault fault) { g_fault.store(fault); }

Writer::Writer(std::string path) : path_(Resolve(path)) {}

Writer::~Writer() { Discard(); }

bool Writer::Open() {
    Discard();
    const std::string name = fs::path(path_).filename().string();
    std::string pattern = (fs::path(Folder_of(path_)) / ("." + name + Temp_infix + "XXXXXX")).string();
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    fd_ = Fails(Fault::create) ? -1 : ::mkstemp(buffer.data());
    if (fd_ < 0) return false;
    temp_ = buffer.data();
    return true;
}

bool Writer::Append(const char* data, std::size_t size) {
    if (fd_ < 0) return false;
    if (Fails(Fault::write) || !Write_all(fd_, data, size)) {
        Discard();
        return false;
    }
    return true;
}

bool Writer::Commit() {
    if (fd_ < 0) return false;
    // Keep the old file's permissions; a new file gets the usual rw-r--r--.
    struct stat old {};
    mode_t mode = (::stat(path_.c_str(), &old) == 0) ? (old.st_mode & 07777) : 0644;
    bool ok = ::fchmod(fd_, mode) == 0;
    ok = ok && !Fails(Fault::sync) && ::fsync(fd_) == 0;
    ok = (::close(fd_) == 0) && ok;
    fd_ = -1;
    ok = ok && !Fails(Fault::rename) && std::rename(temp_.c_str(), path_.c_str()) == 0;
    if (!ok) {
        ::unlink(temp_.c_str());
        temp_.clear();
        return false;
    }
    temp_.clear();
    Sync_folder(Folder_of(path_));
    return true;
}

void Writer::Discard() {
    if (fd_ < 0) return;
    ::close(fd_);
    fd_ = -1;
    ::unlink(temp_.c_str());
    temp_.clear();
}

bool Write(const std::string& path, const std::string& content) {
    Writer writer(path);
    return writer.Open() && writer.Append(content.data(), content.size()) && writer.Commit();
}

bool Is_temporary_name(const std::string& file_name) {
    // "." + at least one character of the target's name + ".tmp-" + six letters or digits.
    const std::size_t infix = std::char_traits<char>::length(Temp_infix);
    if (file_name.size() < 2 + infix + Temp_random_length || file_name[0] != '.') return false;
    const std::size_t at = file_name.size() - Temp_random_length - infix;
    if (file_name.compare(at, infix, Temp_infix) != 0) return false;
    for (std::size_t i = at + infix; i < file_name.size(); ++i)
        if (!Is_name_char(file_name[i])) return false;
    return true;
}

bool Remove_if_stale(const std::string& path) {
    if (!Is_temporary_name(fs::path(path).filename().string())) return false;
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    const auto written = std::chrono::system_clock::from_time_t(info.st_mtime);
    if (std::chrono::system_clock::now() - written < Stale_age) return false;
    return ::unlink(path.c_str()) == 0;
}

int Remove_stale_temporaries(const std::string& folder) {
    int removed = 0;
    boost::system::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (Is_temporary_name(name) && Remove_if_stale(it->path().string())) ++removed;
    }
    return removed;
}

}  // namespace Atomic_file

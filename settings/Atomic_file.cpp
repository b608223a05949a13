// The temporary-file-and-rename write behind every file the jukebox replaces (settings, library,
// tag files, downloads). The platform makes the replacement durable: the folder is synced after the
// rename, or the move writes through, so that the new name itself survives a power cut.
#include "settings/Atomic_file.h"

#include <atomic>
#include <boost/filesystem.hpp>
#include <chrono>
#include <cstdio>

#include "platform/files.h"

namespace fs = boost::filesystem;

namespace Atomic_file {
namespace {
std::atomic<Fault> g_fault{Fault::none};

constexpr const char* Temp_infix = ".tmp-";
constexpr std::size_t Temp_random_length = 6;  // the platform's unique suffix
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

bool Is_name_char(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
}  // namespace

void Inject_fault(Fault fault) { g_fault.store(fault); }

Writer::Writer(std::string path, Platform::Durability durability) : path_(Resolve(path)), durability_(durability) {}

Writer::~Writer() { Discard(); }

bool Writer::Open() {
    Discard();
    file_ = Fails(Fault::create) ? nullptr : Platform::Create_temp_beside(path_, temp_);
    return file_ != nullptr;
}

bool Writer::Append(const char* data, std::size_t size) {
    if (!file_) return false;
    if (Fails(Fault::write) || std::fwrite(data, 1, size, file_) != size) {
        Discard();
        return false;
    }
    return true;
}

bool Writer::Commit() {
    if (!file_) return false;
    bool ok = !Fails(Fault::sync) && (durability_ == Platform::Durability::cache || Platform::Flush_to_disk(file_));
    ok = (std::fclose(file_) == 0) && ok;
    file_ = nullptr;
    ok = ok && !Fails(Fault::rename) && Platform::Replace_file(temp_, path_, durability_);
    if (!ok) std::remove(temp_.c_str());
    temp_.clear();
    return ok;
}

void Writer::Discard() {
    if (!file_) return;
    std::fclose(file_);
    file_ = nullptr;
    std::remove(temp_.c_str());
    temp_.clear();
}

bool Write(const std::string& path, const std::string& content, Platform::Durability durability) {
    Writer writer(path, durability);
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
    boost::system::error_code ec;
    if (!fs::is_regular_file(fs::symlink_status(path, ec)) || ec) return false;
    const std::time_t written = fs::last_write_time(path, ec);
    if (ec) return false;
    if (std::chrono::system_clock::now() - std::chrono::system_clock::from_time_t(written) < Stale_age) return false;
    return fs::remove(path, ec) && !ec;
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

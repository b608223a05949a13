// The side file: a header line, one line per album ("<seconds> <album name>") and an end line, so
// that a file cut short shows. Album names with a line break are never recorded (a folder name may hold one).
#include "net/Cover_misses.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "settings/Atomic_file.h"
#include "trace/VxTrace.h"

namespace {
constexpr const char* Header = "TavrixCoverMisses 1";
constexpr const char* End_line = "end";

bool Parse(std::istream& in, std::map<std::string, long long>& missed, std::string& what) {
    std::string line;
    if (!std::getline(in, line) || line != Header) {
        what = "no header";
        return false;
    }
    while (std::getline(in, line)) {
        if (line == End_line) {
            if (in.peek() == std::char_traits<char>::eof()) return true;
            what = "text after the end";
            return false;
        }
        const std::size_t space = line.find(' ');
        long long when = 0;
        std::size_t used = 0;
        try {
            when = std::stoll(line.substr(0, space), &used);
        } catch (const std::exception&) {
            used = 0;
        }
        if (space == std::string::npos || space == 0 || used != space || space + 1 >= line.size()) {
            what = "a line that is no entry";
            return false;
        }
        missed[line.substr(space + 1)] = when;
    }
    what = "no end line";
    return false;
}
}  // namespace

Cover_misses Cover_misses::Load() {
    Cover_misses misses;
    std::error_code ec;
    if (!std::filesystem::exists(File_name, ec)) return misses;
    std::string what;
    const auto size = std::filesystem::file_size(File_name, ec);
    if (ec) {
        what = "cannot be read";
    } else if (size > Max_file_size) {
        what = "larger than " + std::to_string(Max_file_size) + " bytes";
    } else {
        std::ifstream in(File_name, std::ios::binary);
        if (!in) {
            what = "cannot be read";
        } else if (Parse(in, misses.missed_, what)) {
            return misses;
        }
    }
    misses.missed_.clear();
    VxTrace::Instance().Write_error(std::string("Cover_misses: '") + File_name + "' is ignored (" + what +
                                    "), every album without cover is asked again");
    return misses;
}

bool Cover_misses::Recent(const std::string& album, long long now_s) const {
    const auto found = missed_.find(album);
    // A time after now (the clock was set back) counts as long ago: better one lookup too many.
    return found != missed_.end() && found->second <= now_s && now_s - found->second < Retry_after_s;
}

void Cover_misses::Add(const std::string& album, long long now_s) {
    if (album.empty() || album.find_first_of("\r\n") != std::string::npos) return;
    missed_[album] = now_s;
    changed_ = true;
}

void Cover_misses::Remove(const std::string& album) {
    if (missed_.erase(album) > 0) changed_ = true;
}

bool Cover_misses::Save(long long now_s) {
    std::ostringstream out;
    out << Header << '\n';
    for (const auto& [album, when] : missed_)
        if (Recent(album, now_s)) out << when << ' ' << album << '\n';
    out << End_line << '\n';
    if (!Atomic_file::Write(File_name, out.str(), Platform::Durability::cache)) {
        VxTrace::Instance().Write_error(std::string("Cover_misses: could not write '") + File_name + "'");
        return false;
    }
    changed_ = false;
    return true;
}

long long Cover_misses::Now_s() {
    return std::chrono::duration_cast<std::chrono::seconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

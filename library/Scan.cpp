// The music folder scan: one album per folder that directly holds songs, depth first, newest album
// at the front. A folder reached twice (symbolic links, loops) is scanned only the first time.
#include <algorithm>
#include <boost/filesystem.hpp>
#include <unordered_set>
#include <utility>
#include <vector>

#include "library/VxDatabase.h"
#include "library/VxDefs.h"
#include "platform/dialogs.h"
#include "platform/paths.h"
#include "settings/Atomic_file.h"
#include "settings/VxRead.h"
#include "trace/VxTrace.h"

namespace fs = boost::filesystem;

namespace {

// Folders already entered by the running scan, by their resolved path. Only links need resolving:
// a plain subfolder's resolved path is its parent's plus its name.
struct Scan_state {
    std::unordered_set<std::string> visited;
    std::string next_real;  // the resolved path of the folder the next inner call scans
    int depth = 0;
};

Scan_state& State() {
    static Scan_state s;
    return s;
}

std::string Resolved(const std::string& folder) {
    boost::system::error_code ec;
    fs::path p = fs::canonical(folder, ec);
    return ec ? folder : p.string();
}

// The exit marker on every way out of one folder.
struct Scan_marker {
    ~Scan_marker() {
        VxTrace::Instance().Leave("DB.ReadMusic");
        --State().depth;
        if (State().depth == 0) State().visited.clear();
    }
};

}  // namespace

void VxDatabase::ReadMusic(std::string folder) {
    Scan_state& state = State();
    VxTrace& trace = VxTrace::Instance();
    trace.Enter("DB.ReadMusic (dir: '" + folder + "') ");
    ++state.depth;
    Scan_marker marker;
    std::string real_hint;
    real_hint.swap(state.next_real);

    boost::system::error_code ec;
    if (!fs::is_directory(folder, ec)) {
        Platform::Message_box("VxDatabase", "Error : This is not an directory");
        return;
    }
    const std::string base =
        (!folder.empty() && folder.back() == Platform::Path_separator) ? folder : folder + Platform::Path_separator;

    // The outermost call resolves its folder; inner calls arrive here already recorded.
    if (state.depth == 1) state.visited.insert(Resolved(base));
    const std::string real = real_hint.empty() ? Resolved(base) : real_hint;
    const std::string real_base = (!real.empty() && real.back() == Platform::Path_separator) ? real : real + Platform::Path_separator;

    VxRead& settings = VxRead::Instance();
    VX_FileSystem_cd* album = nullptr;  // deque references survive insertions at the front
    std::string pending_cover;
    bool cover_assigned = false;

    // Entries in name order, as the file systems of the jukebox's first home list them: songs
    // then keep their track order on the song sheet, and every scan of a folder gives the same
    // library whatever order this file system keeps its entries in.
    std::vector<std::pair<std::string, fs::directory_entry>> entries;
    {
        fs::directory_iterator it(base, ec);
        if (ec) throw fs::filesystem_error("cannot list folder", base, ec);
        for (; it != fs::directory_iterator(); it.increment(ec)) {
            if (ec) break;
            entries.emplace_back(it->path().filename().string(), *it);
        }
    }
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& [entry_name, entry] : entries) {
        try {
            if (fs::is_directory(entry.status())) {
                // A linked folder may lead back to one already scanned; a plain one cannot.
                const std::string sub_real = fs::is_symlink(entry.symlink_status())
                                                 ? Resolved(base + entry_name)
                                                 : real_base + entry_name;
                if (!state.visited.insert(sub_real).second) {
                    trace.Write_error(entry_name + " : folder already scanned, skipped");
                    continue;
                }
                ++folder_count_;
                Tick(10);
                state.next_real = sub_real;
                ReadMusic(base + entry_name);
                continue;
            }
            const std::string full = base + entry_name;
            // What an interrupted rating left in the album folder goes as the scan passes.
            if (Atomic_file::Is_temporary_name(entry_name)) {
                if (Atomic_file::Remove_if_stale(full)) trace.Write_error("Removed the stale temporary file " + full);
                continue;
            }
            // Only files hold songs and covers: a FIFO or a device named like one would block
            // whoever opens it. Links to files count as the files.
            if (!fs::is_regular_file(entry.status())) continue;
            const std::string ext = get_extension(full);
            if (ext == "JPG" && !cover_assigned) {
                if (album) {
                    album->cover = entry_name;
                    if (settings.Get_use_logging())
                        trace.Write("Cover added to album[" + int_to_string(Get_nof_cds()) + "] = " + full);
                    cover_assigned = true;
                } else if (pending_cover.empty()) {
                    // Only the first cover image met in a folder counts, also before its first song.
                    pending_cover = entry_name;
                }
            } else if (is_song_extension(ext)) {
                VX_FileSystem_cd cd;
                VX_FileSystem_song song;
                bool valid = false;
                Extract_song_names(full, cd, song, valid);
                if (!album) {
                    VX_FileSystem_cd fresh;
                    fresh.path = cd.path;
                    fresh.name = cd.name;
                    fresh.title = cd.title;
                    fresh.artist = cd.artist;
                    mlist_.musiclist.cds.push_front(std::move(fresh));
                    album = &mlist_.musiclist.cds.front();
                    if (settings.Get_use_logging())
                        trace.Write("New cd added [" + int_to_string(Get_nof_cds()) + "] = " + full);
                    Tick(10);
                }
                VX_FileSystem_song record;
                record.file_name = song.file_name;
                record.name = song.name;
                record.rating = -1;
                album->songs.push_back(std::move(record));
                if (!cover_assigned && !pending_cover.empty()) {
                    album->cover = pending_cover;
                    if (settings.Get_use_logging())
                        trace.Write("Cover added to album[" + int_to_string(Get_nof_cds()) + "] = " + full);
                    cover_assigned = true;
                    pending_cover.clear();
                }
                if (settings.Get_use_logging()) trace.Write("valid song = " + entry_name);
            }
        } catch (const std::exception& e) {
            trace.Write_error(entry_name + " : " + e.what());
        }
    }
    if (ec) trace.Write_error(base + " : " + ec.message());
}

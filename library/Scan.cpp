// The music folder scan: one album per folder that directly holds songs, depth first, newest album
// at the front. A folder reached twice (symbolic links, loops) is scanned only the first time.
// Each entry's type comes with the folder's listing; only a symbolic link is asked about (once).
#include <algorithm>
#include <boost/filesystem.hpp>
#include <chrono>
#include <filesystem>
#include <unordered_set>
#include <utility>
#include <vector>

#include "library/Scan_record.h"
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
    // A session's: the folders listed, the question asked before entering a subfolder, and the
    // entered folders kept from one outermost call to the next.
    std::vector<VX_scanned_folder>* listed = nullptr;
    Scan_record::Session::Descend descend;
    bool session = false;
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
        if (State().depth == 0 && !State().session) State().visited.clear();
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

    // An inner call's folder came from its parent's listing, which said it was one.
    boost::system::error_code check;
    if (state.depth == 1 && !fs::is_directory(folder, check)) {
        Platform::Message_box("VxDatabase", "Error : This is not an directory");
        return;
    }
    const std::string base =
        (!folder.empty() && folder.back() == Platform::Path_separator) ? folder : folder + Platform::Path_separator;

    // The outermost call resolves its folder; inner calls arrive here already recorded.
    const std::string real = real_hint.empty() ? Resolved(base) : real_hint;
    if (state.depth == 1) state.visited.insert(real);
    const std::string real_base =
        (!real.empty() && real.back() == Platform::Path_separator) ? real : real + Platform::Path_separator;
    // The time before the listing: a change while it runs shows at the next check.
    if (state.listed)
        state.listed->push_back(
            VX_scanned_folder{base, real_base.substr(0, real_base.size() - 1), Scan_record::Folder_time(base)});

    VxRead& settings = VxRead::Instance();
    VX_FileSystem_cd* album = nullptr;  // deque references survive insertions at the front
    std::string pending_cover;
    bool cover_assigned = false;

    // Entries in name order, as the file systems of the jukebox's first home list them: songs
    // then keep their track order on the song sheet, and every scan of a folder gives the same
    // library whatever order this file system keeps its entries in.
    struct Entry {
        std::string name;
        bool folder = false, file = false;  // a link counts as what it leads to
        bool link = false;
    };
    std::vector<Entry> entries;
    std::error_code ec;
    {
        // The standard library's entry keeps the type the listing gave: a file or a plain folder
        // costs no call, a link one call to see what it leads to.
        std::filesystem::directory_iterator it(base, ec);
        if (ec)  // the error text as the scan has always written it
            throw fs::filesystem_error("cannot list folder", base,
                                       boost::system::error_code(ec.value(), boost::system::system_category()));
        for (; it != std::filesystem::directory_iterator(); it.increment(ec)) {
            if (ec) break;
            std::error_code type_error;
            const bool folder = it->is_directory(type_error);
            const bool file = !folder && it->is_regular_file(type_error);
            entries.push_back(Entry{it->path().filename().string(), folder, file, it->is_symlink(type_error)});
        }
    }
    std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });
    for (const Entry& entry : entries) {
        const std::string& entry_name = entry.name;
        try {
            if (entry.folder) {
                // A linked folder may lead back to one already scanned; a plain one cannot.
                const std::string sub_real = entry.link ? Resolved(base + entry_name) : real_base + entry_name;
                if (!state.visited.insert(sub_real).second) {
                    trace.Write_error(entry_name + " : folder already scanned, skipped");
                    continue;
                }
                if (state.descend && state.descend(base + entry_name + Platform::Path_separator, sub_real)) continue;
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
            if (!entry.file) continue;
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

namespace Scan_record {

std::int64_t Folder_time(const std::string& path) {
    std::error_code ec;
    const auto time = std::filesystem::last_write_time(path, ec);
    if (ec) return Unknown_time;
    if (std::filesystem::file_time_type::clock::now() - time < std::chrono::seconds(2)) return Unknown_time;
    const std::int64_t ns = std::chrono::duration_cast<std::chrono::nanoseconds>(time.time_since_epoch()).count();
    return ns == Unknown_time ? 1 : ns;
}

Session::Session(std::vector<VX_scanned_folder>& listed, Descend descend) {
    Scan_state& state = State();
    state.listed = &listed;
    state.descend = std::move(descend);
    state.session = true;
    state.visited.clear();
}

Session::~Session() {
    Scan_state& state = State();
    state.listed = nullptr;
    state.descend = nullptr;
    state.session = false;
    state.visited.clear();
}

bool Session::Enter(const std::string& real) { return State().visited.insert(real).second; }

void Session::Scan(VxDatabase& db, const std::string& folder, const std::string& real) {
    State().next_real = real;
    db.ReadMusic(folder);
}

}  // namespace Scan_record

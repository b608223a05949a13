// The music folder scan: one album per folder that directly holds songs, depth first, newest album
// at the front. A folder reached twice (symbolic links, loops) is scanned only the first time.
// Each entry's kind comes with the folder's listing; only a symbolic link is asked about (once).
#include <algorithm>
#include <boost/filesystem.hpp>
#include <cctype>
#include <charconv>
#include <chrono>
#include <filesystem>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "library/Scan_record.h"
#include "library/VxDatabase.h"
#include "library/VxDefs.h"
#include "library/VxRating.h"
#include "platform/dialogs.h"
#include "platform/folder_listing.h"
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
    VX_prepared_listings* prepared = nullptr;
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

// One folder's pass of the scan, as the steps ReadMusic takes in order: enter the folder (resolve
// and record it), list its entries, take each entry (a subfolder is scanned by an inner call; a
// stale temporary file goes; a cover or a song joins the folder's album).
class Folder_scan {
public:
    Folder_scan(VxDatabase& db, Scan_state& state, const std::string& folder)
        : db_(db), state_(state), trace_(VxTrace::Instance()), settings_(VxRead::Instance()), folder_(folder) {}

    // False when the outermost folder is none (said in a box).
    bool Enter_folder() {
        std::string real_hint;
        real_hint.swap(state_.next_real);
        // An inner call's folder came from its parent's listing, which said it was one.
        boost::system::error_code check;
        if (state_.depth == 1 && !fs::is_directory(folder_, check)) {
            Platform::Message_box("VxDatabase", "Error : This is not an directory");
            return false;
        }
        base_ = Scan_record::With_separator(folder_);
        // The outermost call resolves its folder; inner calls arrive here already recorded.
        const std::string real = real_hint.empty() ? Resolved(base_) : real_hint;
        if (state_.depth == 1) state_.visited.insert(real);
        real_base_ = Scan_record::With_separator(real);
        // Its time comes with the listing, read before the entries.
        if (state_.listed) {
            record_ = state_.listed->size();
            state_.listed->push_back(
                VX_scanned_folder{base_, real_base_.substr(0, real_base_.size() - 1), Scan_record::Unknown_time});
        }
        return true;
    }

    // Entries in name order, as the file systems of the jukebox's first home list them: songs
    // then keep their track order on the song sheet, and every scan of a folder gives the same
    // library whatever order this file system keeps its entries in. A folder that cannot be
    // listed throws, as the scan has always reported it.
    void List_entries() {
        VX_prepared_listing listed = Take_prepared();
        // The time before the listing: a change while it runs shows at the next check.
        if (state_.listed) (*state_.listed)[record_].time = listed.time;
        const Platform::Folder_listing& listing = listed.listing;
        if (listing.open_error)  // the error text as the scan has always written it
            throw fs::filesystem_error(
                "cannot list folder", base_,
                boost::system::error_code(listing.open_error.value(), boost::system::system_category()));
        list_error_ = listing.read_error;
        entries_ = std::move(listed.listing.entries);
        files_ = static_cast<std::size_t>(std::count_if(
            entries_.begin(), entries_.end(), [](const Entry& e) { return e.kind == Platform::Entry_kind::file; }));
    }

    // Each entry's fault is its own line; the others are taken all the same.
    void Take_entries() {
        for (const Entry& entry : entries_) {
            if (state_.listed && Is_tag_file_name(entry.name)) (*state_.listed)[record_].tag_file = true;
            try {
                if (entry.kind == Platform::Entry_kind::folder)
                    Scan_subfolder(entry);
                else if (Atomic_file::Is_temporary_name(entry.name))
                    Remove_stale_temporary(entry);
                else if (entry.kind == Platform::Entry_kind::file)  // a FIFO or a device named like a song would block
                                                                    // whoever opens it
                    Take_file(entry);
            } catch (const std::exception& e) {
                trace_.Write_error(entry.name + " : " + e.what());
            }
        }
        if (list_error_) trace_.Write_error(base_ + " : " + list_error_.message());
        if (album_) album_->songs.shrink_to_fit();  // the room for files that were no songs
    }

private:
    using Entry = Platform::Folder_entry;  // a link counts as what it leads to

    // Any case and any kind of entry: the hint may only ever say "maybe" too often, never too seldom
    // (a file system that ignores case opens the tag file by another case; a folder so named is
    // reported when scored).
    static bool Is_tag_file_name(const std::string& name) {
        const std::string_view tag = VxRating::Tag_file_name;
        return name.size() == tag.size() && std::equal(name.begin(), name.end(), tag.begin(), [](char a, char b) {
                   return std::tolower(static_cast<unsigned char>(a)) == static_cast<unsigned char>(b);
               });
    }

    VX_prepared_listing Take_prepared() {
        if (state_.prepared) {
            const auto it = state_.prepared->find(base_);
            if (it != state_.prepared->end()) {
                VX_prepared_listing taken = std::move(it->second);
                state_.prepared->erase(it);
                return taken;
            }
        }
        return Scan_record::List(base_);
    }

    void Scan_subfolder(const Entry& entry) {
        // A linked folder may lead back to one already scanned; a plain one cannot.
        const std::string sub_real = entry.link ? Resolved(base_ + entry.name) : real_base_ + entry.name;
        if (!state_.visited.insert(sub_real).second) {
            trace_.Write_error(entry.name + " : folder already scanned, skipped");
            return;
        }
        if (state_.descend && state_.descend(base_ + entry.name + Platform::Path_separator, sub_real)) return;
        ++db_.folder_count_;
        db_.Tick(10);
        state_.next_real = sub_real;
        db_.ReadMusic(base_ + entry.name);
    }

    // What an interrupted rating left in the album folder goes as the scan passes.
    void Remove_stale_temporary(const Entry& entry) {
        const std::string full = base_ + entry.name;
        if (Atomic_file::Remove_if_stale(full)) trace_.Write_error("Removed the stale temporary file " + full);
    }

    // Links to files count as the files.
    void Take_file(const Entry& entry) {
        // One buffer for the folder's files: its capacity outlives each name.
        full_.assign(base_).append(entry.name);
        const std::string& full = full_;
        // The name's extension is the path's, or neither is a song's or a cover's (it would hold a separator).
        const std::string ext = get_extension(entry.name);
        if (ext == "JPG" && !cover_assigned_)
            Take_cover(entry.name, full);
        else if (is_song_extension(ext))
            Take_song(entry.name, full);
    }

    // Only the first cover image met in a folder counts, also before its first song.
    void Take_cover(const std::string& name, const std::string& full) {
        if (!album_) {
            if (pending_cover_.empty()) pending_cover_ = name;
            return;
        }
        album_->cover = name;
        Log_album_line("Cover added to album[", full);
        cover_assigned_ = true;
    }

    // The album's names come from the folder: its first song's path gives them for all its songs.
    void Take_song(const std::string& name, const std::string& full) {
        VX_FileSystem_song song;  // no rating and nothing reserved until scoring reads the tag file
        if (!album_) {
            VX_FileSystem_cd cd;
            bool valid = false;
            db_.Extract_song_names(full, cd, song, valid);
            Start_album(cd, full);
        } else {
            db_.Extract_names_of_song(full, song);
        }
        album_->songs.push_back(std::move(song));
        if (!cover_assigned_ && !pending_cover_.empty()) {
            album_->cover = pending_cover_;
            Log_album_line("Cover added to album[", full);
            cover_assigned_ = true;
            pending_cover_.clear();
        }
        if (settings_.Get_use_logging()) trace_.Write({"valid song = ", name});
    }

    // The folder's first song makes its album, at the front of the list.
    void Start_album(const VX_FileSystem_cd& named, const std::string& full) {
        VX_FileSystem_cd fresh;
        fresh.path = named.path;
        fresh.name = named.name;
        fresh.title = named.title;
        fresh.artist = named.artist;
        // Room for every file of the folder at once: growing one song at a time moved the songs four
        // times over for ten and left three times their size of heap behind.
        fresh.songs.reserve(files_);
        db_.mlist_.musiclist.cds.push_front(std::move(fresh));
        album_ = &db_.mlist_.musiclist.cds.front();
        Log_album_line("New cd added [", full);
        db_.Tick(10);
    }

    // "<what><number of albums>] = <full>", the line of a new album or cover.
    void Log_album_line(std::string_view what, const std::string& full) {
        if (!settings_.Get_use_logging()) return;
        char number[24];
        const auto end = std::to_chars(number, number + sizeof number, db_.Get_nof_cds()).ptr;
        trace_.Write({what, std::string_view(number, static_cast<std::size_t>(end - number)), "] = ", full});
    }

    VxDatabase& db_;
    Scan_state& state_;
    VxTrace& trace_;
    VxRead& settings_;
    const std::string& folder_;
    std::string base_, real_base_;
    std::vector<Entry> entries_;
    std::size_t files_ = 0;   // of them files (a link counted as what it leads to)
    std::size_t record_ = 0;  // this folder's place among the session's listed folders
    std::string full_;        // the path of the file being taken
    std::error_code list_error_;
    VX_FileSystem_cd* album_ = nullptr;  // deque references survive insertions at the front
    std::string pending_cover_;
    bool cover_assigned_ = false;
};

void VxDatabase::ReadMusic(std::string folder) {
    VxTrace::Instance().Enter("DB.ReadMusic (dir: '" + folder + "') ");
    ++State().depth;
    Scan_marker marker;
    Folder_scan scan(*this, State(), folder);
    if (!scan.Enter_folder()) return;
    scan.List_entries();
    scan.Take_entries();
}

namespace Scan_record {

std::int64_t Folder_time(const std::string& path) {
    // Windows' C library finds no folder whose name ends in a separator (a drive's top excepted);
    // without it the name is the same folder on both systems, a link to one still followed.
    std::string name = path;
    while (name.size() > 1 && name.back() == Platform::Path_separator && name[name.size() - 2] != ':') name.pop_back();
    std::error_code ec;
    const auto time = std::filesystem::last_write_time(Platform::Fs_path(name), ec);
    return ec ? Unknown_time : Folder_time(std::optional(time));
}

std::int64_t Folder_time(const std::optional<std::filesystem::file_time_type>& time) {
    if (!time) return Unknown_time;
    if (std::filesystem::file_time_type::clock::now() - *time < std::chrono::seconds(2)) return Unknown_time;
    const std::int64_t ns = std::chrono::duration_cast<std::chrono::nanoseconds>(time->time_since_epoch()).count();
    return ns == Unknown_time ? 1 : ns;
}

std::string With_separator(const std::string& path) {
    return (!path.empty() && path.back() == Platform::Path_separator) ? path : path + Platform::Path_separator;
}

VX_prepared_listing List(const std::string& folder) {
    VX_prepared_listing listed{Platform::List_folder(folder), Unknown_time};
    listed.time = Folder_time(listed.listing.time);
    std::sort(listed.listing.entries.begin(), listed.listing.entries.end(),
              [](const Platform::Folder_entry& a, const Platform::Folder_entry& b) { return a.name < b.name; });
    return listed;
}

Session::Session(std::vector<VX_scanned_folder>& listed, Descend descend, VX_prepared_listings* prepared) {
    Scan_state& state = State();
    state.listed = &listed;
    state.descend = std::move(descend);
    state.prepared = prepared;
    state.session = true;
    state.visited.clear();
}

Session::~Session() {
    Scan_state& state = State();
    state.listed = nullptr;
    state.descend = nullptr;
    state.prepared = nullptr;
    state.session = false;
    state.visited.clear();
}

bool Session::Enter(const std::string& real) { return State().visited.insert(real).second; }

void Session::Scan(VxDatabase& db, const std::string& folder, const std::string& real) {
    State().next_real = real;
    db.ReadMusic(folder);
}

}  // namespace Scan_record

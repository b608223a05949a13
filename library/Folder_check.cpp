// The check of changed folders: a quick pass compares the time of every folder the side file holds;
// only when one differs is the tree walked, unchanged folders giving their albums and subfolders
// from the library and the side file, changed ones listed by the scan itself, so that the albums
// come in the order a full scan gives them and sorting them gives a full rebuild's library.
#include "library/Folder_check.h"

#include <algorithm>
#include <boost/filesystem.hpp>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "library/Folder_times.h"
#include "library/VxDatabase.h"
#include "platform/paths.h"
#include "settings/VxRead.h"
#include "trace/VxTrace.h"

namespace fs = boost::filesystem;

namespace {

bool Same_album(const VX_FileSystem_cd& a, const VX_FileSystem_cd& b) {
    if (a.name != b.name || a.title != b.title || a.artist != b.artist || a.cover != b.cover ||
        a.songs.size() != b.songs.size())
        return false;
    for (std::size_t i = 0; i < a.songs.size(); ++i)
        if (a.songs[i].file_name != b.songs[i].file_name || a.songs[i].name != b.songs[i].name) return false;
    return true;
}

// "a/b/c/" gives "a/b/"; the top folder gives "".
std::string_view Parent_of(std::string_view path) {
    if (path.size() < 2) return {};
    const std::size_t sep = path.rfind(Platform::Path_separator, path.size() - 2);
    return sep == std::string_view::npos ? std::string_view() : path.substr(0, sep + 1);
}

// A recorded folder that is as it was. Album folders (no folder inside) are most of a music folder and
// each would cost a look at the disk: one added, removed or renamed changes the folder that holds it,
// so they are taken at the time recorded when it is a sure one.
bool Unchanged(const VX_scanned_folder& f) {
    if (f.time == Scan_record::Unknown_time) return false;
    return f.leaf || Scan_record::Folder_time(f.path) == f.time;
}

std::string Resolved(const std::string& folder) {
    boost::system::error_code ec;
    const fs::path p = fs::canonical(folder, ec);
    if (ec)
        return folder.size() > 1 && folder.back() == Platform::Path_separator ? folder.substr(0, folder.size() - 1)
                                                                              : folder;
    return p.string();
}

// The walk through the tree. The scan pushes the albums of the folders it lists in front of the
// loaded ones; an unchanged folder's album is noted with the number of albums scanned before it,
// which is where a full scan would have met it.
class Walk {
public:
    Walk(VxDatabase& db, const VX_folder_times* old) : db_(db), loaded_(db.Get_nof_cds()) {
        const auto& cds = db.Musiclist().cds;
        album_at_.reserve(cds.size());
        for (std::size_t i = 0; i < cds.size(); ++i) album_at_.emplace(cds[i].path, static_cast<int>(i));
        if (!old) return;
        old_.reserve(old->folders.size());
        for (const VX_scanned_folder& f : old->folders) {
            old_.emplace(f.path, &f);
            children_[Parent_of(f.path)].push_back(&f);
        }
        // The scan meets subfolders in name order; the side file mostly has them so.
        const auto by_path = [](const VX_scanned_folder* a, const VX_scanned_folder* b) { return a->path < b->path; };
        for (auto& [parent, list] : children_)
            if (!std::is_sorted(list.begin(), list.end(), by_path)) std::sort(list.begin(), list.end(), by_path);
    }

    void Run(const std::string& root) {
        Scan_record::Session session(listed_, [this](const std::string& path, const std::string& real) {
            if (old_.find(path) == old_.end()) return false;
            Check(path, real);
            return true;
        });
        session_ = &session;
        const std::string real = Resolved(root);
        session.Enter(real);
        Check(root, real);
        session_ = nullptr;
    }

    struct Kept_album {
        int fresh_before;  // albums the scan had made when a full scan would have met this one
        int index;         // among the loaded albums
    };
    std::vector<VX_scanned_folder> kept;  // unchanged folders, as the side file had them
    std::vector<Kept_album> kept_albums;
    const std::vector<VX_scanned_folder>& Listed() const { return listed_; }
    int Loaded() const { return loaded_; }
    // A loaded album's position among the loaded ones, -1 when none has this path.
    int Loaded_index(const std::string& path) const {
        const auto it = album_at_.find(path);
        return it == album_at_.end() ? -1 : it->second;
    }

private:
    void Check(const std::string& path, const std::string& real) {
        const auto it = old_.find(path);
        const VX_scanned_folder* recorded = it == old_.end() ? nullptr : it->second;
        if (recorded && recorded->real == real && Unchanged(*recorded)) {
            Keep(path, *recorded);
            return;
        }
        boost::system::error_code ec;
        if (!fs::is_directory(path, ec)) return;  // gone: so are its albums
        try {
            session_->Scan(db_, path, real);
        } catch (const std::exception& e) {  // as the scan reports a folder it cannot list
            VxTrace::Instance().Write_error(path + " : " + e.what());
        }
    }

    void Keep(const std::string& path, const VX_scanned_folder& folder) {
        kept.push_back(folder);
        const int album = Loaded_index(path);
        bool pending = album >= 0;
        // The scan makes a folder's album at its first song, between the subfolders around it.
        const std::string first_song = pending ? Loaded_album(album).songs.front().file_name : std::string();
        const auto children = children_.find(path);
        if (children != children_.end()) {
            for (const VX_scanned_folder* child : children->second) {
                const std::string name = child->path.substr(path.size(), child->path.size() - path.size() - 1);
                if (pending && first_song < name) {
                    kept_albums.push_back(Kept_album{Fresh(), album});
                    pending = false;
                }
                if (!session_->Enter(child->real)) {
                    VxTrace::Instance().Write_error(name + " : folder already scanned, skipped");
                    continue;
                }
                Check(child->path, child->real);
            }
        }
        if (pending) kept_albums.push_back(Kept_album{Fresh(), album});
    }

    int Fresh() const { return db_.Get_nof_cds() - loaded_; }
    // The scan's albums stand in front of the loaded ones.
    const VX_FileSystem_cd& Loaded_album(int index) const {
        return db_.Musiclist().cds[static_cast<std::size_t>(Fresh() + index)];
    }

    VxDatabase& db_;
    const int loaded_;
    // Keys are views of the paths of the loaded albums (which stay where they are while the scan
    // adds albums in front) and of the side file's folders.
    std::unordered_map<std::string_view, int> album_at_;
    std::unordered_map<std::string_view, const VX_scanned_folder*> old_;
    std::unordered_map<std::string_view, std::vector<const VX_scanned_folder*>> children_;
    std::vector<VX_scanned_folder> listed_;
    Scan_record::Session* session_ = nullptr;
};

// Whether the side file's times are all still the folders' times: nothing was added, removed or
// renamed anywhere below (any of these changes the time of the folder that holds it).
bool All_as_they_were(const VX_folder_times& times, const std::string& root) {
    bool has_root = false;
    for (const VX_scanned_folder& f : times.folders) {
        if (!Unchanged(f)) return false;
        has_root = has_root || f.path == root;
    }
    return has_root;
}

}  // namespace

namespace Folder_check {

void Write_times(std::vector<VX_scanned_folder> listed) {
    VX_folder_times times;
    times.root = VxRead::Instance().Get_music_folder();
    times.library = Folder_times::Library_identity(VxDatabase::Instance().Musiclist());
    times.folders = std::move(listed);
    if (!Folder_times::Write(times))
        VxTrace::Instance().Write_error(std::string("DB::Check_folders : could not write '") + Folder_times::File_name +
                                        "'");
}

VX_folder_check Check_music_folder() {
    VxTraceScope scope("DB::Check_folders");
    VxDatabase& db = VxDatabase::Instance();
    VxTrace& trace = VxTrace::Instance();
    VX_folder_check result;
    const std::string root = VxRead::Instance().Get_music_folder();
    if (root.empty()) return result;
    boost::system::error_code ec;
    if (!fs::is_directory(root, ec)) {
        // An unplugged disk must not empty the library: it stays, and the next start checks again. The
        // settings have shown their message about the folder already.
        trace.Write_error("DB::Check_folders : the music folder '" + root +
                          "' cannot be read; the library stays as it was");
        return result;
    }

    std::string why;
    std::optional<VX_folder_times> old = Folder_times::Read(why);
    if (old && old->root != root) {
        why = std::string("'") + Folder_times::File_name + "' was written for the music folder '" + old->root + "'";
        old.reset();
    } else if (old && old->library != Folder_times::Library_identity(db.Musiclist())) {
        why = std::string("'") + Folder_times::File_name + "' was written for another library";
        old.reset();
    }
    if (!old) trace.Write_error("DB::Check_folders : " + why + "; every folder is listed");
    if (old && All_as_they_were(*old, root)) {
        result.folders = static_cast<int>(old->folders.size());
        trace.Write("DB::Check_folders : " + std::to_string(result.folders) + " folders as they were");
        return result;
    }

    Walk walk(db, old ? &*old : nullptr);
    walk.Run(root);
    VX_FileSystem_musiclist all = db.Take_musiclist();
    const int fresh = static_cast<int>(all.cds.size()) - walk.Loaded();
    // The k-th album the scan made stands at fresh - 1 - k; loaded album i at fresh + i.
    auto scanned = [&](int k) -> VX_FileSystem_cd& { return all.cds[static_cast<std::size_t>(fresh - 1 - k)]; };
    auto loaded = [&](int i) -> VX_FileSystem_cd& { return all.cds[static_cast<std::size_t>(fresh + i)]; };

    // A listed folder whose album has the same songs and cover keeps the loaded album (its ratings).
    std::vector<int> same_as(static_cast<std::size_t>(fresh), -1);
    std::vector<bool> matched(static_cast<std::size_t>(walk.Loaded()), false);
    for (const auto& k : walk.kept_albums) matched[static_cast<std::size_t>(k.index)] = true;
    for (int k = 0; k < fresh; ++k) {
        const int i = walk.Loaded_index(scanned(k).path);
        if (i < 0) {
            ++result.added;
            continue;
        }
        matched[static_cast<std::size_t>(i)] = true;
        if (Same_album(loaded(i), scanned(k)))
            same_as[static_cast<std::size_t>(k)] = i;
        else
            ++result.added;
    }
    result.removed = static_cast<int>(std::count(matched.begin(), matched.end(), false));
    result.listed = static_cast<int>(walk.Listed().size());
    result.folders = static_cast<int>(walk.kept.size()) + result.listed;
    trace.Write("DB::Check_folders : " + std::to_string(result.folders) + " folders, " + std::to_string(result.listed) +
                " listed, " + std::to_string(result.added) + " albums new or changed, " +
                std::to_string(result.removed) + " gone");

    std::vector<VX_scanned_folder> times = std::move(walk.kept);
    times.insert(times.end(), walk.Listed().begin(), walk.Listed().end());
    if (!result.Library_changed()) {
        all.cds.erase(all.cds.begin(), all.cds.begin() + fresh);
        db.Set_musiclist(std::move(all));
        Write_times(std::move(times));
        return result;
    }

    // The albums in the order a full scan makes them (each in front of the ones before).
    VX_FileSystem_musiclist made;
    std::vector<std::string> to_score;
    int k = 0;
    auto take_scanned = [&] {
        VX_FileSystem_cd& cd = scanned(k);
        const int i = same_as[static_cast<std::size_t>(k)];
        if (i >= 0) {
            made.cds.push_front(std::move(loaded(i)));
        } else {
            to_score.push_back(cd.path);
            made.cds.push_front(std::move(cd));
        }
        ++k;
    };
    for (const auto& kept : walk.kept_albums) {
        while (k < kept.fresh_before) take_scanned();
        made.cds.push_front(std::move(loaded(kept.index)));
    }
    while (k < fresh) take_scanned();
    db.Set_musiclist(std::move(made));

    // New and changed albums read their tag files; every other album's ratings are current.
    const std::unordered_set<std::string> score(to_score.begin(), to_score.end());
    for (int c = 0; c < db.Get_nof_cds(); ++c)
        if (score.count(db.Musiclist().cds[static_cast<std::size_t>(c)].path)) db.Determine_cd_score(c);
    db.SortMusiclist();
    db.Random_list_from_ratings();
    db.Create_lookup_table();
    // The library file is saved when the jukebox ends, with what else changes; should it never be,
    // the side file's library identity no longer fits and the next start lists every folder.
    db.Set_changed(true);
    Write_times(std::move(times));
    return result;
}

}  // namespace Folder_check

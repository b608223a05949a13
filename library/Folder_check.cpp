// The check of changed folders: a quick pass compares the time of every folder the side file holds;
// only when one differs is the tree walked, unchanged folders giving their albums and subfolders
// from the library and the side file, changed ones listed by the scan itself, so that the albums
// come in the order a full scan gives them and sorting them gives a full rebuild's library.
#include "library/Folder_check.h"

#include <algorithm>
#include <boost/filesystem.hpp>
#include <cstdint>
#include <iterator>
#include <memory>
#include <optional>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>

#include "library/Folder_survey.h"
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
    // survey: with the side file (none: every folder is listed); it outlives the walk.
    Walk(VxDatabase& db, VX_folder_survey& survey) : db_(db), survey_(survey), loaded_(db.Get_nof_cds()) {
        const auto& cds = db.Musiclist().cds;
        album_at_.reserve(cds.size());
        for (std::size_t i = 0; i < cds.size(); ++i) album_at_.emplace(cds[i].path, static_cast<int>(i));
    }

    void Run(const std::string& root) {
        Scan_record::Session session(
            listed_,
            [this](const std::string& path, const std::string& real) {
                const std::size_t i = Recorded(path);
                if (i == None) return false;
                Check(path, real, i);
                return true;
            },
            &survey_.listings);
        session_ = &session;
        const std::string real = Resolved(root);
        session.Enter(real);
        Check(root, real, Recorded(root));
        session_ = nullptr;
    }

    struct Kept_album {
        int fresh_before;  // albums the scan had made when a full scan would have met this one
        int index;         // among the loaded albums
    };
    std::vector<std::size_t> kept;  // unchanged folders, by their place in the side file
    std::vector<Kept_album> kept_albums;
    std::vector<VX_scanned_folder>& Listed() { return listed_; }
    int Loaded() const { return loaded_; }
    // A loaded album's position among the loaded ones, -1 when none has this path.
    int Loaded_index(std::string_view path) const {
        const auto it = album_at_.find(path);
        return it == album_at_.end() ? -1 : it->second;
    }

private:
    static constexpr std::size_t None = static_cast<std::size_t>(-1);

    std::size_t Recorded(std::string_view path) const {
        if (!survey_.old) return None;
        const auto it = survey_.at.find(path);
        return it == survey_.at.end() ? None : it->second;
    }

    void Check(const std::string& path, const std::string& real, std::size_t recorded) {
        if (recorded != None && survey_.old->folders[recorded].real == real && survey_.Unchanged(recorded)) {
            Keep(path, recorded);
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

    void Keep(const std::string& path, std::size_t recorded) {
        kept.push_back(recorded);
        const int album = Loaded_index(path);
        bool pending = album >= 0;
        // The scan makes a folder's album at its first song, between the subfolders around it. The
        // loaded albums stay where they are while the scan adds albums in front.
        const std::string* first_song = pending ? &Loaded_album(album).songs.front().file_name : nullptr;
        const auto children = survey_.children.find(path);
        if (children != survey_.children.end()) {
            for (const std::size_t c : children->second) {
                const VX_scanned_folder& child = survey_.old->folders[c];
                const std::string_view name =
                    std::string_view(child.path).substr(path.size(), child.path.size() - path.size() - 1);
                if (pending && *first_song < name) {
                    kept_albums.push_back(Kept_album{Fresh(), album});
                    pending = false;
                }
                if (!session_->Enter(child.real)) {
                    VxTrace::Instance().Write_error(std::string(name) + " : folder already scanned, skipped");
                    continue;
                }
                Check(child.path, child.real, c);
            }
        }
        if (pending) kept_albums.push_back(Kept_album{Fresh(), album});
    }

    int Fresh() const { return db_.Get_nof_cds() - loaded_; }
    const VX_FileSystem_cd& Loaded_album(int index) const {
        return db_.Musiclist().cds[static_cast<std::size_t>(Fresh() + index)];
    }

    VxDatabase& db_;
    VX_folder_survey& survey_;  // its listings are taken by the scan
    const int loaded_;
    // Keys are views of the paths of the loaded albums, which stay where they are while the scan
    // adds albums in front.
    std::unordered_map<std::string_view, int> album_at_;
    std::vector<VX_scanned_folder> listed_;
    Scan_record::Session* session_ = nullptr;
};

}  // namespace

namespace {

void Write_times(std::vector<VX_scanned_folder> folders, std::string identity) {
    VX_folder_times times;
    times.root = VxRead::Instance().Get_music_folder();
    times.library = std::move(identity);
    times.folders = std::move(folders);
    if (!Folder_times::Write(times))
        VxTrace::Instance().Write_error(std::string("DB::Check_folders : could not write '") + Folder_times::File_name +
                                        "'");
}

}  // namespace

namespace Folder_check {

void Write_times(std::vector<VX_scanned_folder> listed) {
    ::Write_times(std::move(listed), Folder_times::Library_identity(VxDatabase::Instance().Musiclist()));
}

VX_folder_check Check_music_folder() {
    return Check_music_folder(Folder_survey::Make(VxRead::Instance().Get_music_folder()));
}

VX_folder_check Check_music_folder(VX_folder_survey survey, std::optional<std::uint64_t> digest_sum) {
    VxTraceScope scope("DB::Check_folders");
    VxDatabase& db = VxDatabase::Instance();
    VxTrace& trace = VxTrace::Instance();
    VX_folder_check result;
    const std::string root = VxRead::Instance().Get_music_folder();
    if (root.empty()) return result;
    if (survey.root != root) survey = Folder_survey::Make(root);  // the settings named another since
    if (!survey.root_is_folder) {
        // An unplugged disk must not empty the library: it stays, and the next start checks again. The
        // settings have shown their message about the folder already.
        trace.Write_error("DB::Check_folders : the music folder '" + root +
                          "' cannot be read; the library stays as it was");
        return result;
    }

    // The library's identity is a sum over its albums: the check's changes are added and taken off.
    const std::uint64_t digest = digest_sum ? *digest_sum : Folder_times::Digest_sum(db.Musiclist());
    if (survey.old && survey.old->library != Folder_times::Identity_text(db.Musiclist().cds.size(), digest)) {
        survey.why = std::string("'") + Folder_times::File_name + "' was written for another library";
        survey.old.reset();
    }
    if (!survey.old) trace.Write_error("DB::Check_folders : " + survey.why + "; every folder is listed");
    if (survey.old && survey.as_they_were) {
        result.folders = static_cast<int>(survey.old->folders.size());
        trace.Write("DB::Check_folders : " + std::to_string(result.folders) + " folders as they were");
        return result;
    }

    Walk walk(db, survey);
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
    std::vector<bool> stays = matched;  // a loaded album that goes into the new library
    for (int k = 0; k < fresh; ++k) {
        const int i = walk.Loaded_index(scanned(k).path);
        if (i < 0) {
            ++result.added;
            continue;
        }
        matched[static_cast<std::size_t>(i)] = true;
        if (Same_album(loaded(i), scanned(k))) {
            same_as[static_cast<std::size_t>(k)] = i;
            stays[static_cast<std::size_t>(i)] = true;
        } else {
            ++result.added;
        }
    }
    result.removed = static_cast<int>(std::count(matched.begin(), matched.end(), false));
    result.listed = static_cast<int>(walk.Listed().size());
    result.folders = static_cast<int>(walk.kept.size()) + result.listed;
    trace.Write("DB::Check_folders : " + std::to_string(result.folders) + " folders, " + std::to_string(result.listed) +
                " listed, " + std::to_string(result.added) + " albums new or changed, " +
                std::to_string(result.removed) + " gone");

    // The walk is done with the survey: its unchanged folders move into the new times.
    std::vector<VX_scanned_folder> times;
    times.reserve(walk.kept.size() + walk.Listed().size());
    for (const std::size_t i : walk.kept) times.push_back(std::move(survey.old->folders[i]));
    std::move(walk.Listed().begin(), walk.Listed().end(), std::back_inserter(times));
    if (!result.Library_changed()) {
        all.cds.erase(all.cds.begin(), all.cds.begin() + fresh);
        const std::size_t albums = all.cds.size();
        db.Set_musiclist(std::move(all));
        ::Write_times(std::move(times), Folder_times::Identity_text(albums, digest));
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
    // The library file is saved when the jukebox ends, with what else changes, and the times follow
    // it, with the identity of the library as saved (covers fetched meanwhile included): times
    // written first would, should the library never be saved, hide the changes from the next start.
    // Start-up does not wait for them either.
    db.Set_changed(true);
    auto pending = std::make_shared<std::vector<VX_scanned_folder>>(std::move(times));
    db.After_next_save([pending] { Folder_check::Write_times(std::move(*pending)); });
    return result;
}

}  // namespace Folder_check

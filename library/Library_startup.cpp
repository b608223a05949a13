// Start-up's library steps. A failed load leaves the library empty, so the rebuild that follows
// starts as a first start would.
#include "library/Library_startup.h"

#include <cstdint>
#include <future>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "library/Folder_check.h"
#include "library/Folder_times.h"
#include "library/Scan_record.h"
#include "library/VxDatabase.h"
#include "platform/dialogs.h"
#include "settings/Atomic_file.h"
#include "settings/VxRead.h"
#include "trace/VxTrace.h"

namespace Library_startup {
namespace {

void No_albums_check() {
    if (VxDatabase::Instance().Get_nof_cds() == 0)
        Platform::Message_box(Window_title, "No directories with songs found");
}

// A library whose index or random list does not fit its albums (saved half-way through a rebuild that
// was cut short, as earlier versions saved after the scan) gets them again, from the tag files as a
// rebuild would, and is saved.
void Complete() {
    VxDatabase& db = VxDatabase::Instance();
    VxTrace::Instance().Write_error(std::string("DB::Load : the index or the random list of '") +
                                    VxDatabase::File_name + "' does not fit its albums; they are made again");
    VX_FileSystem_musiclist m = db.Musiclist();
    m.lookup_table.start_chars.clear();
    m.random_list.clear();
    db.Set_musiclist(std::move(m));
    db.Determine_cd_scores();
    db.SortMusiclist();
    db.ScoreSortRandomArray();
    db.Create_lookup_table();
    db.Set_changed(true);
    db.Save_if_changed();
}

}  // namespace

void Rebuild_library(const std::function<void()>& cache_covers) {
    VxDatabase& db = VxDatabase::Instance();
    std::vector<VX_scanned_folder> listed;
    {
        Scan_record::Session session(listed);
        db.ReadMusic(VxRead::Instance().Get_music_folder());
    }
    // The scan's listings tell which album folders may hold a tag file; the others are not asked.
    std::unordered_set<std::string_view> tagged;
    for (const VX_scanned_folder& folder : listed)
        if (folder.tag_file) tagged.insert(folder.path);
    db.Determine_cd_scores([&tagged](const std::string& album_path) { return tagged.count(album_path) > 0; });
    db.SortMusiclist();
    // Scoring has just read every tag file into the song records; the sort moved them with their albums.
    db.ScoreSortRandomArray(VxDatabase::Ratings_from::song_records);
    db.Create_lookup_table();
    if (cache_covers) {
        // The cover pass may download for a minute: the whole library it starts from is kept first. The
        // steps before it take a moment, and a rebuild cut short there is only done again at the next start.
        db.Set_changed(true);
        db.Save_if_changed();
        VxRead::Instance().Set_cache_covers(true);
        cache_covers();
    }
    db.Set_changed(true);
    db.Save_if_changed();
    // After the library: times that went with a library never saved would hide changes.
    Folder_check::Write_times(std::move(listed));
}

namespace {
// The survey Start_folder_survey began, until Library_at_startup takes it. UI thread.
std::future<VX_folder_survey>& Early_survey() {
    static std::future<VX_folder_survey> survey;
    return survey;
}

std::future<VX_folder_survey> Survey_now() {
    return std::async(std::launch::async, Folder_survey::Make, VxRead::Instance().Get_music_folder());
}
}  // namespace

// Without a library file the start rebuilds, and a rebuild lists every folder itself: a survey then
// would list them all a second time, on the other core, and hold the rebuild at its end.
void Start_folder_survey() {
    if (!Early_survey().valid() && VxRead::Instance().File_exists(VxDatabase::File_name)) Early_survey() = Survey_now();
}

void Library_at_startup(const std::function<void()>& cache_covers) {
    VxDatabase& db = VxDatabase::Instance();
    const std::string file = VxDatabase::File_name;
    // Saves that a crash or a kill cut short leave their temporary files in the working folder.
    const int stale = Atomic_file::Remove_stale_temporaries(".");
    if (stale > 0) VxTrace::Instance().Write_error("Removed " + std::to_string(stale) + " stale temporary files");
    // What an earlier check left for the next save described a library that is replaced now.
    db.After_next_save(nullptr);
    // A survey begun early is taken, whatever comes next: one left behind would be stale at a later start.
    std::future<VX_folder_survey> survey = std::move(Early_survey());
    if (!VxRead::Instance().File_exists(file)) {
        survey = {};  // a rebuild lists every folder itself
        Rebuild_library(cache_covers);
        No_albums_check();
        return;
    }
    if (!survey.valid()) survey = Survey_now();
    // The check's look at the disk (the side file, the times of the folders that hold folders), taken
    // above, runs beside the load; it touches nothing of the library. A failed load waits for it and drops it.
    try {
        db.Load();
        // The check's sum over the albums is taken on another thread while this one sees whether the
        // index and the random list fit them; both only read the albums, and completing them keeps
        // every album as it is (the sum does not depend on their order).
        std::future<std::uint64_t> digest =
            std::async(std::launch::async, [&db] { return Folder_times::Digest_sum(db.Musiclist()); });
        const bool fit = Derived_parts_fit(db.Musiclist());
        const std::uint64_t digest_sum = digest.get();
        if (!fit) Complete();
        // Albums copied, removed or renamed since the last start; their covers are due then.
        if (Folder_check::Check_music_folder(survey.get(), digest_sum).Library_changed()) {
            if (cache_covers) VxRead::Instance().Set_cache_covers(true);
            No_albums_check();
        }
        // A caching pass that could not run (the library was built without a window, by the
        // library tool) is still due: run it now, or the panels would show no covers until the
        // next rebuild. New cover names from its downloads belong in the library file.
        if (cache_covers && VxRead::Instance().Get_cache_covers()) {
            cache_covers();
            if (db.Get_download_count() > 0) db.Set_changed(true);
        }
    } catch (const std::exception& e) {
        const std::string warning = "Warning '" + file + "' is corrupt . The file will be replaced";
        Platform::Message_box(Window_title, warning);
        VxTrace::Instance().Write_error(warning + " : " + e.what());
        Platform::Message_box(Window_title, "RELOADING '" + file + "' ");
        Rebuild_library(cache_covers);
        if (db.Get_nof_cds() == 0)
            No_albums_check();
        else
            db.Set_changed(true);
    }
}

}  // namespace Library_startup

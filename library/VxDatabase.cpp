// The library object: its accessors, the changed flag, clearing, and the settings-driven name
// extraction. Order, scan, file, scores and index live in their own files.
#include "library/VxDatabase.h"

#include <utility>

#include "library/Names.h"
#include "library/VxDefs.h"
#include "platform/dialogs.h"
#include "settings/VxRead.h"
#include "trace/VxTrace.h"

VxDatabase& VxDatabase::Instance() {
    static VxDatabase* db = new VxDatabase();  // never destroyed before exit
    return *db;
}

int VxDatabase::Get_nof_cds() const { return static_cast<int>(mlist_.musiclist.cds.size()); }

int VxDatabase::Get_nof_songs(int c) {
    const int n = static_cast<int>(mlist_.musiclist.cds[c].songs.size());
    if (n == 0) Platform::Message_box("VxDatabase", "Warning nof_songs = 0");
    VxTrace::Instance().Write("Get_nof_songs[" + int_to_string(c) + "]=" + int_to_string(n));
    return n;
}

std::string VxDatabase::Get_cd_path(int c) const { return mlist_.musiclist.cds[c].path; }
std::string VxDatabase::Get_cd_name(int c) const { return mlist_.musiclist.cds[c].name; }
std::string VxDatabase::Get_cd_title(int c) const { return mlist_.musiclist.cds[c].title; }
std::string VxDatabase::Get_cd_artist(int c) const { return mlist_.musiclist.cds[c].artist; }
std::string VxDatabase::Get_cd_cover(int c) const { return mlist_.musiclist.cds[c].cover; }
double VxDatabase::Get_cd_score(int c) const { return mlist_.musiclist.cds[c].score; }
void VxDatabase::Set_cd_cover(int c, const std::string& file_name) { mlist_.musiclist.cds[c].cover = file_name; }

std::string VxDatabase::Get_cd_cover_path(int c) const {
    const VX_FileSystem_cd& cd = mlist_.musiclist.cds[c];
    return cd.path + cd.cover;
}

std::string VxDatabase::Get_cd_cached_cover(int c) {
    // The cache file is named after the album; a separator in that name must not lead out of the folder.
    std::string name = mlist_.musiclist.cds[c].name;
    for (char& ch : name)
        if (ch == '/' || ch == '\\') ch = '_';
    return VxRead::Instance().Covers_folder() + name + ".bmp";
}

std::string VxDatabase::Get_song_file(int c, int s) const { return mlist_.musiclist.cds[c].songs[s].file_name; }
std::string VxDatabase::Get_song_name(int c, int s) const { return mlist_.musiclist.cds[c].songs[s].name; }
int VxDatabase::Get_song_rating(int c, int s) const { return mlist_.musiclist.cds[c].songs[s].rating; }

bool VxDatabase::Has_song(int c, int s) const {
    return c >= 0 && c < Get_nof_cds() && s >= 0 &&
           s < static_cast<int>(mlist_.musiclist.cds[static_cast<std::size_t>(c)].songs.size());
}

std::string VxDatabase::Get_song_path(int c, int s) const {
    const VX_FileSystem_cd& cd = mlist_.musiclist.cds[c];
    return cd.path + cd.songs[s].file_name;
}

void VxDatabase::Save_if_changed() {
    if (!changed_) return;
    Save();
    changed_ = false;
    if (after_save_) std::exchange(after_save_, nullptr)();
}

void VxDatabase::Clear() {
    after_save_ = nullptr;
    mlist_.musiclist.random_list.clear();
    mlist_.musiclist.lookup_table.start_chars.clear();
    mlist_.musiclist.cds.clear();
}

void VxDatabase::Extract_song_names(const std::string& path, VX_FileSystem_cd& cd, VX_FileSystem_song& song,
                                    bool& valid) {
    VxRead& settings = VxRead::Instance();
    // Called for every song of a scan: the expressions are read in place, not copied.
    const std::vector<RegexSetting>& patterns = settings.Get_regular_expressions();
    static const std::string none;
    auto pattern = [&](std::size_t i) -> const std::string& { return i < patterns.size() ? patterns[i].regex : none; };
    extract_names(path, settings.Get_use_two_directories(), pattern(0), pattern(1), pattern(2), cd, song);
    valid = true;
}

void VxDatabase::Extract_names_of_song(const std::string& path, VX_FileSystem_song& song) {
    const std::vector<RegexSetting>& patterns = VxRead::Instance().Get_regular_expressions();
    static const std::string none;
    extract_song_names(path, patterns.size() > 2 ? patterns[2].regex : none, song);
}

void VxDatabase::Set_progress_hooks(VX_progress_hooks hooks) { hooks_ = std::move(hooks); }

void VxDatabase::Tick(unsigned timer_id) {
    if (hooks_.tick) hooks_.tick(timer_id);
}

void VxDatabase::Sorting_step(int done, int total) {
    if (hooks_.sorting) hooks_.sorting(done, total);
}

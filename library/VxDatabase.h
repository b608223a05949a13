// The music library: albums (CDs) with their songs, the start-character index and the random list,
// reached only by position (album index, song index). One object per process; user-interface thread only.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// One song file of an album folder.
struct VX_FileSystem_song {
    std::string file_name;     // last path component, with extension
    std::string name;          // display name
    std::string reserved1;     // never filled; carried through the library file
    std::string reserved2;     // never filled; carried through the library file
    std::int32_t rating = -1;  // 0..100, -1 when none is recorded
};

// One album: a folder that directly holds at least one song.
struct VX_FileSystem_cd {
    std::string path;  // the album folder, ending in the path separator
    std::string name;  // display name
    std::string title;
    std::string artist;  // its first character orders the library and files the album in the index
    std::string cover;   // file name of the cover image inside path; "" when none
    double score = 0.0;  // sum of the songs' weights
    std::vector<VX_FileSystem_song> songs;
};

// A song named by position.
struct VX_song_reference {
    std::int32_t cd_index = 0;
    std::int32_t song_index = 0;
    bool operator==(const VX_song_reference&) const = default;
};

// One start character ("0".."9", "A".."Z") and the albums filed under it, in album-list order.
struct VX_start_char_struct {
    std::string start_char;
    std::vector<std::int32_t> cd_indices;
};

// The start-character index, entries in the order their characters were first needed.
struct VX_lookup_table_struct {
    std::vector<VX_start_char_struct> start_chars;
};

// The whole library content.
struct VX_FileSystem_musiclist {
    std::deque<VX_FileSystem_cd> cds;  // the scan inserts at the front
    VX_lookup_table_struct lookup_table;
    std::vector<VX_song_reference> random_list;  // songs random play may draw
};

// The unit written to and read from the library file.
struct c_mlist {
    VX_FileSystem_musiclist musiclist;
};

// The start-character index of albums in this order: each album filed under the first character
// of its artist (accents folded), entries in the order their characters were first needed.
VX_lookup_table_struct Build_lookup_table(const std::deque<VX_FileSystem_cd>& cds);

// Whether the index and the random list fit the albums: the index files exactly the albums it
// would file now (in any order within an entry), and the random list holds exactly the songs whose
// recorded rating random play may draw. A library saved half-way through a rebuild does not.
bool Derived_parts_fit(const VX_FileSystem_musiclist& musiclist);

// What the library tells the shell while a long operation runs, so that the progress screens
// are redrawn. Both are called synchronously on the user-interface thread and must not touch the library.
struct VX_progress_hooks {
    std::function<void(unsigned timer_id)> tick;       // as a synchronous WM_TIMER: 10 scan, 14 scores, 8 covers
    std::function<void(int done, int total)> sorting;  // the sorting progress screen, steps 1..3 of 3
};

class VxDatabase {
public:
    static VxDatabase& Instance();

    static constexpr const char* File_name = "MusicDataBase.dat";

    // --- Accessors; c and s must exist. All return copies.
    int Get_nof_cds() const;
    int Get_nof_songs(int c);  // traces "Get_nof_songs[c]=n"; warns when the album has no songs
    std::string Get_cd_path(int c) const;
    std::string Get_cd_name(int c) const;
    std::string Get_cd_title(int c) const;
    std::string Get_cd_artist(int c) const;
    std::string Get_cd_cover(int c) const;
    double Get_cd_score(int c) const;
    void Set_cd_cover(int c, const std::string& file_name);
    std::string Get_cd_cover_path(int c) const;  // path + cover
    std::string Get_cd_cached_cover(int c);      // covers folder + name (separators replaced) + ".bmp"
    std::string Get_song_file(int c, int s) const;
    std::string Get_song_name(int c, int s) const;
    int Get_song_rating(int c, int s) const;
    std::string Get_song_path(int c, int s) const;  // album path + file name: what the player opens
    // Whether album c has a song s: references kept outside (the playlist's) may predate a
    // rebuild from another music folder.
    bool Has_song(int c, int s) const;

    int Get_cover_index() const { return cover_index_; }
    int Get_folder_count() const { return folder_count_; }
    int Get_score_index() const { return score_index_; }
    int Get_download_count() const { return download_count_; }
    void Set_cover_index(int i) { cover_index_ = i; }
    void Set_download_count(int n) { download_count_ = n; }
    // The cover download pass's clock as its progress screen shows it: seconds left (-1: no pass
    // under way), and the albums without cover it left for the next pass when its time was up.
    int Get_cover_seconds_left() const { return cover_seconds_left_; }
    int Get_postponed_count() const { return postponed_count_; }
    void Set_cover_seconds_left(int s) { cover_seconds_left_ = s; }
    void Set_postponed_count(int n) { postponed_count_ = n; }

    bool Is_changed() const { return changed_; }
    void Set_changed(bool flag) { changed_ = flag; }
    // Saves the library file when something changed, then runs what After_next_save left.
    void Save_if_changed();
    // Work that must follow the library file onto the disk, never precede it (a cache that describes
    // the library in memory): run once by the next Save_if_changed that saves, dropped by Clear and
    // by a later call.
    void After_next_save(std::function<void()> action) { after_save_ = std::move(action); }
    // Empties the random list, the index and the album list.
    void Clear();

    // Read access to the whole content (for listings and tests); positions as above.
    const VX_FileSystem_musiclist& Musiclist() const { return mlist_.musiclist; }
    // Replaces the whole content (tools and tests); the caller keeps index and random list consistent.
    void Set_musiclist(VX_FileSystem_musiclist musiclist) { mlist_.musiclist = std::move(musiclist); }
    // Takes the whole content out, leaving the library empty (the folder check puts it together again).
    VX_FileSystem_musiclist Take_musiclist() { return std::exchange(mlist_.musiclist, {}); }

    // --- Names from a song's full path, with the expressions and layout of the settings.
    void Extract_song_names(const std::string& path, VX_FileSystem_cd& cd, VX_FileSystem_song& song, bool& valid);
    // Only the song's names (file name and name) of the same extraction: the album's come from its folder.
    void Extract_names_of_song(const std::string& path, VX_FileSystem_song& song);

    // --- The scan: adds one album for every folder below `folder` that directly holds songs.
    void ReadMusic(std::string folder);

    // --- The library file. Save replaces it atomically. Load replaces the content only when the whole
    // file was read; a corrupt file throws std::exception (start-up catches it). A missing file ends the process.
    void Save();
    void Load();
    // Starts reading the library file on a thread of its own, for the Load that follows while other
    // start-up work runs; Load takes that reading (content or error) when the file is still the one
    // read, and reads again otherwise. UI thread.
    void Preload();

    // --- Order and start-character index.
    void SortMusiclist();
    void Create_lookup_table();
    int Find_start_char_index(const std::string& c);
    std::vector<std::int32_t> Get_start_char_cds(int index) const;
    int Get_nof_start_chars() const;
    std::vector<std::int32_t> Find_cds_starting_with(const std::string& prefix) const;
    void Resort_cd_in_index(int c);

    // --- Ratings, scores and the random list. The tag files are the master copy of a rating.
    void Set_song_score(int c, int s, int rating);
    void Determine_cd_score(int c);
    // Every album's score from its tag file. may_have_tag_file, when given, answers from a listing
    // just made whether an album folder (its path) may hold one: a folder without one costs no
    // question to the disk, which for most albums is the whole cost of scoring.
    using Tag_file_hint = std::function<bool(const std::string& album_path)>;
    void Determine_cd_scores(const Tag_file_hint& may_have_tag_file = nullptr);
    void Set_song_score_and_update_cd_score(int c, int s, int rating);
    // Appends the songs random play may draw, by the ratings of the tag files, or by the ratings the
    // song records took from them when Determine_cd_scores has just read every tag file.
    enum class Ratings_from { tag_files, song_records };
    void ScoreSortRandomArray(Ratings_from source = Ratings_from::tag_files);
    // The random list made again from the songs' recorded ratings, which scoring took from the tag
    // files and rating keeps current: what ScoreSortRandomArray gives without reading every tag file.
    void Random_list_from_ratings();
    void Update_random_list(int c, int s, int rating);
    int Get_nof_random_songs() const;
    // A song drawn at random from the random list; empty when the list is empty ("no song").
    std::optional<VX_song_reference> Get_random_song();

    // --- The cover cache: one BMP per album in the covers folder, made from the album's cover
    // image, so that panels never decode album JPEGs. Create_and_remove_cached_covers brings the
    // cache in line with the library (downloading missing covers first when that is on).
    void Create_and_remove_cached_covers();
    // Fetches covers for albums without one through the downloader installed below (the internet
    // services install theirs), within Cover_pass_budget_s; none installed: nothing happens. The
    // albums the budget did not reach wait for the next pass: the caching pass then stays due.
    static constexpr double Cover_pass_budget_s = 60;
    void Download_missing_covers();
    using Cover_downloader = std::function<void(double budget_s)>;
    void Set_cover_downloader(Cover_downloader downloader);
    // Scales source into the cache file target (panel size, or the full image when scaled bitmaps are off).
    void Cache_cover(const std::string& source, const std::string& target);

    // --- Progress reporting to the shell (none installed: nothing is reported).
    void Set_progress_hooks(VX_progress_hooks hooks);

private:
    friend class Folder_scan;  // the scan's steps (library/Scan.cpp)
    VxDatabase() = default;
    void Tick(unsigned timer_id);
    void Sorting_step(int done, int total);
    void Score_album(int c, const std::vector<int>& ratings);  // the songs' scores and the album's sum

    int cover_index_ = 0;
    int folder_count_ = 0;
    int score_index_ = 0;
    int download_count_ = 0;
    int cover_seconds_left_ = -1;
    int postponed_count_ = 0;
    bool changed_ = false;
    std::function<void()> after_save_;
    c_mlist mlist_;
    VX_progress_hooks hooks_;
    Cover_downloader cover_downloader_;
};

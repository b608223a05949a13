// Cover art lookup: albums without a cover get one from a web image search. The album's name is
// the search, the answer page is searched for "imgurl=" links to JPEGs, and the first link that
// delivers a JPEG becomes "VxCover.jpg" in the album folder and is cached at panel size.
// Without an image search, MusicBrainz and the Cover Art Archive are asked instead.
#pragma once

#include <functional>
#include <string>
#include <vector>

// The library as the cover lookup sees it: albums by index, and the two counters that the
// "Downloading new Covers ..." screen shows. VxDatabase_albums (net/VxDatabase_albums.h) is the
// library's own; tests give their own.
class VxCover_albums {
public:
    virtual ~VxCover_albums() = default;
    virtual int Get_nof_cds() = 0;
    virtual std::string Get_cd_name(int c) = 0;
    // The artist and title the library read from the album's path; "" leaves them to the name.
    virtual std::string Get_cd_artist(int c) {
        (void)c;
        return "";
    }
    virtual std::string Get_cd_title(int c) {
        (void)c;
        return "";
    }
    virtual std::string Get_cd_path(int c) = 0;   // ends in the path separator
    virtual std::string Get_cd_cover(int c) = 0;  // "" when the album has no cover
    virtual void Set_cd_cover(int c, const std::string& file_name) = 0;
    virtual std::string Get_cd_cached_cover(int c) = 0;
    virtual void Set_cover_index(int c) = 0;
    virtual int Get_download_count() = 0;
    virtual void Set_download_count(int n) = 0;
    // For the progress screen of a pass with a time budget: the seconds it has left (-1 without a
    // budget), and how many albums without cover it left for the next pass when its time was up.
    virtual void Set_pass_seconds_left(int seconds) { (void)seconds; }
    virtual void Set_postponed_count(int n) { (void)n; }
};

inline constexpr const char* Downloaded_cover_name = "VxCover.jpg";
// The timer id whose synchronous WM_TIMER redraws the cover download progress screen.
inline constexpr unsigned Timer_progress_download_covers = 9;

// The whole result page of an image search for terms; "" when nothing could be read or no
// search service is configured.
std::string Fetch_search_page(const std::string& terms);

// Expression n (1..4) skips n - 1 "imgurl", then takes an "imgurl=http" address up to a ".jpg";
// the clean-up expression keeps the last "http" address inside a redirect link.
inline constexpr const char* Link_expressions[] = {
    R"(.*?imgurl=(http.*?\.(?:jpg|JPG)).*)",
    R"(.*?imgurl.*?imgurl=(http.*?\.(?:jpg|JPG)).*)",
    R"(.*?imgurl.*?imgurl.*?imgurl=(http.*?\.(?:jpg|JPG)).*)",
    R"(.*?imgurl.*?imgurl.*?imgurl.*?imgurl=(http.*?\.(?:jpg|JPG)).*)",
};
inline constexpr const char* Cleanup_expression = R"(http.*(http.*\.(?:jpg|JPG)))";

// Exactly four entries, one per link expression: the address after the 1st..4th "imgurl=",
// reduced to the last "http" address inside it, or "no match".
std::vector<std::string> Parse_image_urls(const std::string& page);

// The cover cache step: caches the image source as the bitmap target. Whoever builds the cover
// cache installs it (VxDatabase::Cache_cover); without one a new cover is cached by the next
// caching pass instead.
using Cover_cacher = std::function<void(const std::string& source, const std::string& target)>;
void Set_cover_cacher(Cover_cacher cacher);

// For every album without a cover, in list order: search, download, set the cover, cache it.
// With no image search configured MusicBrainz is the search (net/Music_brainz_covers.h), and an
// album it found nothing for waits Cover_misses::Retry_after_s; with that off as well it only
// writes "Connection SKIPPED..." to the trace.
// The progress screen is redrawn once per album. True when at least one cover was downloaded.
// With a budget (seconds, above 0) no request outlasts it: when it is spent the albums left wait,
// the progress screen is redrawn once more to say so, and the next pass begins with them.
bool Download_missing_covers(VxCover_albums& albums, double budget_s = 0);

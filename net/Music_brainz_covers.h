// Covers from MusicBrainz and the Cover Art Archive: the album's artist and title go to the release
// search, and the front image of the best-scored releases is fetched until one has one.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace Music_brainz {

// Releases scored below this are other albums that share a word or two with the one asked for.
inline constexpr int Min_score = 80;
// How many of the releases found are asked for a front image (many releases have none).
inline constexpr int Max_candidates = 3;

// An album name of the library, "Artist - Title", as the search takes it; a name without " - " is a title only.
struct Album_terms {
    std::string artist;
    std::string title;
};
Album_terms Terms_of(const std::string& album_name);

// The release search for the terms on the web service at base (ending in "/").
std::string Search_url(const std::string& base, const Album_terms& terms);

// What a release search answer lists: the ids of the releases scored at least Min_score, best
// first, at most Max_candidates. valid is false (why says it) for text that is no search answer.
struct Releases {
    bool valid = false;
    std::vector<std::string> ids;
    std::string why;
};
Releases Parse_search_answer(const std::string& text);

enum class Outcome {
    found,        // target is the front image of a release of the album
    nothing,      // the services answered, and know no front image of the album
    failed,       // an answer could not be had or used (error lines say why): ask again next pass
    out_of_time,  // fit_request said no before a request
};
// Looks the album up by terms and fetches its front image to target; album_name names it in the
// error lines. fit_request is asked before every
// request and says whether the pass has time for it; the search waits its turn in
// Music_brainz_limiter. User-interface thread.
Outcome Fetch_cover(const std::string& album_name, const Album_terms& terms, const std::string& target,
                    const std::function<bool()>& fit_request);

}  // namespace Music_brainz

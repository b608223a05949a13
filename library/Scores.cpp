// Album scores and the random list. Scoring refreshes every song record's rating from its tag file;
// the random list holds the songs rated above 65 and those never rated.
#include <algorithm>

#include "library/VxDatabase.h"
#include "library/VxDefs.h"
#include "library/VxRating.h"
#include "trace/VxTrace.h"

void VxDatabase::Set_song_score(int c, int s, int rating) {
    VxTraceScope scope("DB::Set_song_score");
    mlist_.musiclist.cds[c].songs[s].rating = rating;
}

namespace {
// The ratings of an album without a tag file: none for each song.
std::vector<int> No_ratings(const VX_FileSystem_cd& cd) { return std::vector<int>(cd.songs.size(), -1); }
}  // namespace

// One reading of the album's tag file serves all its songs.
void VxDatabase::Determine_cd_score(int c) { Score_album(c, VxRating::Instance().Get_album_ratings(c)); }

void VxDatabase::Score_album(int c, const std::vector<int>& ratings) {
    double sum = 0.0;
    for (std::size_t j = 0; j < ratings.size(); ++j) {
        Set_song_score(c, static_cast<int>(j), ratings[j]);
        sum += VxRating::Weight(ratings[j]);
    }
    mlist_.musiclist.cds[c].score = sum;
    changed_ = true;
}

void VxDatabase::Determine_cd_scores(const Tag_file_hint& may_have_tag_file) {
    score_index_ = 0;
    const int n = Get_nof_cds();
    for (int c = 0; c < n; ++c) {
        const VX_FileSystem_cd& cd = mlist_.musiclist.cds[static_cast<std::size_t>(score_index_)];
        if (may_have_tag_file && !may_have_tag_file(cd.path))
            Score_album(score_index_, No_ratings(cd));
        else
            Determine_cd_score(score_index_);
        ++score_index_;
        Tick(14);
    }
}

void VxDatabase::Set_song_score_and_update_cd_score(int c, int s, int rating) {
    VxTraceScope scope("DB::Set_song_score_and_update_cd_score");
    Set_song_score(c, s, rating);
    Determine_cd_score(c);
    Resort_cd_in_index(c);
    Update_random_list(c, s, rating);
    changed_ = true;
}

void VxDatabase::ScoreSortRandomArray(Ratings_from source) {
    VxTraceScope scope("DB->ScoreSortRandomArray");
    Sorting_step(3, 3);
    const int n = Get_nof_cds();
    std::vector<int> ratings;
    for (int c = 0; c < n; ++c) {
        if (source == Ratings_from::tag_files) {
            ratings = VxRating::Instance().Get_album_ratings(c);
        } else {
            ratings.clear();
            for (const VX_FileSystem_song& song : mlist_.musiclist.cds[static_cast<std::size_t>(c)].songs)
                ratings.push_back(song.rating);
        }
        for (std::size_t j = 0; j < ratings.size(); ++j)
            if (VxRating::Drawable(ratings[j]))
                mlist_.musiclist.random_list.push_back(VX_song_reference{c, static_cast<std::int32_t>(j)});
    }
}

void VxDatabase::Random_list_from_ratings() {
    Sorting_step(3, 3);
    auto& list = mlist_.musiclist.random_list;
    list.clear();
    const auto& cds = mlist_.musiclist.cds;
    for (std::size_t c = 0; c < cds.size(); ++c)
        for (std::size_t s = 0; s < cds[c].songs.size(); ++s)
            if (VxRating::Drawable(cds[c].songs[s].rating))
                list.push_back(VX_song_reference{static_cast<std::int32_t>(c), static_cast<std::int32_t>(s)});
}

void VxDatabase::Update_random_list(int c, int s, int rating) {
    auto& list = mlist_.musiclist.random_list;
    const VX_song_reference ref{c, s};
    const auto it = std::find(list.begin(), list.end(), ref);
    if (VxRating::Drawable(rating) && it == list.end())
        list.push_back(ref);
    else if (!VxRating::Drawable(rating) && it != list.end())
        list.erase(it);
}

int VxDatabase::Get_nof_random_songs() const { return static_cast<int>(mlist_.musiclist.random_list.size()); }

std::optional<VX_song_reference> VxDatabase::Get_random_song() {
    const auto& list = mlist_.musiclist.random_list;
    if (list.empty()) return std::nullopt;
    const int k = random_range(0, static_cast<int>(list.size()));
    return list[static_cast<std::size_t>(k)];
}

// Browsing order and the start-character index, on albums set directly into the library.
#include <gtest/gtest.h>

#include "library/VxDatabase.h"

namespace {

VX_FileSystem_cd Album(const std::string& artist, double score, const std::string& name = "") {
    VX_FileSystem_cd cd;
    cd.artist = artist;
    cd.name = name.empty() ? artist : name;
    cd.score = score;
    cd.songs.push_back(VX_FileSystem_song{"01.mp3", "one", "", "", -1});
    return cd;
}

void Set(std::vector<VX_FileSystem_cd> cds) {
    VX_FileSystem_musiclist m;
    m.cds.assign(cds.begin(), cds.end());
    VxDatabase::Instance().Set_musiclist(std::move(m));
}

std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (const auto& cd : VxDatabase::Instance().Musiclist().cds) names.push_back(cd.name);
    return names;
}

std::vector<std::pair<std::string, std::vector<std::int32_t>>> Index() {
    std::vector<std::pair<std::string, std::vector<std::int32_t>>> out;
    for (const auto& e : VxDatabase::Instance().Musiclist().lookup_table.start_chars)
        out.emplace_back(e.start_char, e.cd_indices);
    return out;
}

using Entries = std::vector<std::pair<std::string, std::vector<std::int32_t>>>;

}  // namespace

TEST(SortAndIndex, FirstByteThenScoreAndIndexInOrderOfFirstNeed) {
    Set({Album("abba", 0), Album("ABBA ", 0), Album("Zappa", 0), Album("10cc", 0)});
    VxDatabase& db = VxDatabase::Instance();
    db.SortMusiclist();
    EXPECT_EQ(Names(), (std::vector<std::string>{"10cc", "ABBA ", "Zappa", "abba"}));
    db.Create_lookup_table();
    EXPECT_EQ(Index(), (Entries{{"1", {0}}, {"A", {1, 3}}, {"Z", {2}}}));
    EXPECT_EQ(db.Find_start_char_index("Z"), 2);
    EXPECT_EQ(db.Find_start_char_index("Q"), 3);  // created on demand, empty
    EXPECT_TRUE(db.Get_start_char_cds(3).empty());
}

TEST(SortAndIndex, ScoreWithinOneFirstByteStableOtherwise) {
    Set({Album("B1", 0.5), Album("", 3.0, "no artist"), Album("B2", 2.0), Album("C1", 1.0), Album("C2", 1.0)});
    VxDatabase& db = VxDatabase::Instance();
    db.SortMusiclist();
    EXPECT_EQ(Names(), (std::vector<std::string>{"no artist", "B2", "B1", "C1", "C2"}));
    db.Create_lookup_table();
    EXPECT_EQ(Index(), (Entries{{"B", {1, 2}}, {"C", {3, 4}}}));
}

TEST(SortAndIndex, AccentsAndUnfiledAlbums) {
    Set({Album("\xe9toile", 0), Album("(Parens)", 0), Album("Omega", 0), Album("\xc3\xb8ye", 0)});
    VxDatabase& db = VxDatabase::Instance();
    db.Create_lookup_table();
    // After the unfiled album the search has moved 41 steps on, and still finds "O".
    EXPECT_EQ(Index(), (Entries{{"E", {0}}, {"O", {2, 3}}}));
    EXPECT_EQ(db.Find_cds_starting_with("E"), std::vector<std::int32_t>{0});
    EXPECT_EQ(db.Find_cds_starting_with("O"), (std::vector<std::int32_t>{2, 3}));
    EXPECT_EQ(db.Find_cds_starting_with("OM"), std::vector<std::int32_t>{2});
    EXPECT_TRUE(db.Find_cds_starting_with("X").empty());
}

TEST(SortAndIndex, EmptyLibraryGivesEmptyIndex) {
    VxDatabase& db = VxDatabase::Instance();
    db.SortMusiclist();
    db.Create_lookup_table();
    EXPECT_EQ(db.Get_nof_start_chars(), 0);
}

TEST(SortAndIndex, ResortKeepsDescendingScoresInOneEntry) {
    Set({Album("A1", 3), Album("A2", 2), Album("A3", 1), Album("A4", 0), Album("B", 0)});
    VxDatabase& db = VxDatabase::Instance();
    db.Create_lookup_table();
    VX_FileSystem_musiclist m = db.Musiclist();
    m.cds[3].score = 2.5;  // moves up two places
    m.cds[0].score = 0.5;  // moves down
    db.Set_musiclist(m);
    db.Resort_cd_in_index(3);
    db.Resort_cd_in_index(0);
    EXPECT_EQ(db.Get_start_char_cds(0), (std::vector<std::int32_t>{3, 1, 2, 0}));
    db.Resort_cd_in_index(4);  // one album only: nothing happens
    EXPECT_EQ(db.Get_start_char_cds(1), std::vector<std::int32_t>{4});
    EXPECT_EQ(db.Get_nof_start_chars(), 2);
}

TEST(SortAndIndex, ProgressStepsAreReported) {
    std::vector<std::pair<int, int>> steps;
    VX_progress_hooks hooks;
    hooks.sorting = [&](int done, int total) { steps.emplace_back(done, total); };
    VxDatabase& db = VxDatabase::Instance();
    db.Set_progress_hooks(hooks);
    db.SortMusiclist();
    EXPECT_EQ(steps, (std::vector<std::pair<int, int>>{{1, 3}, {2, 3}}));
}

// The check that a loaded library is whole: its index and random list follow from its albums.
// A rebuild killed between its two saves leaves albums without either, which browsing cannot use.
#include <algorithm>
#include <map>
#include <utility>
#include <vector>

#include "library/VxDatabase.h"
#include "library/VxRating.h"

namespace {

std::map<std::string, std::vector<std::int32_t>> By_character(const VX_lookup_table_struct& table) {
    std::map<std::string, std::vector<std::int32_t>> filed;
    for (const auto& entry : table.start_chars) {
        auto& v = filed[entry.start_char];
        v.insert(v.end(), entry.cd_indices.begin(), entry.cd_indices.end());
    }
    for (auto& [c, v] : filed) std::sort(v.begin(), v.end());
    // An entry may stand empty (a search created it); it files nothing.
    std::erase_if(filed, [](const auto& e) { return e.second.empty(); });
    return filed;
}

}  // namespace

bool Derived_parts_fit(const VX_FileSystem_musiclist& m) {
    if (By_character(m.lookup_table) != By_character(Build_lookup_table(m.cds))) return false;

    // Each song once: one listed twice would be drawn twice as often. One flag per song, found
    // through the albums' first positions: this runs at every start.
    std::vector<std::size_t> first(m.cds.size() + 1, 0);
    std::size_t drawable = 0;
    for (std::size_t c = 0; c < m.cds.size(); ++c) {
        const auto& songs = m.cds[c].songs;
        first[c + 1] = first[c] + songs.size();
        for (const auto& song : songs) drawable += VxRating::Drawable(song.rating) ? 1 : 0;
    }
    if (m.random_list.size() != drawable) return false;
    std::vector<bool> listed(first.back(), false);
    for (const auto& r : m.random_list) {
        if (r.cd_index < 0 || static_cast<std::size_t>(r.cd_index) >= m.cds.size()) return false;
        const auto& songs = m.cds[static_cast<std::size_t>(r.cd_index)].songs;
        if (r.song_index < 0 || static_cast<std::size_t>(r.song_index) >= songs.size()) return false;
        if (!VxRating::Drawable(songs[static_cast<std::size_t>(r.song_index)].rating)) return false;
        const std::size_t at = first[static_cast<std::size_t>(r.cd_index)] + static_cast<std::size_t>(r.song_index);
        if (listed[at]) return false;
        listed[at] = true;
    }
    return true;
}

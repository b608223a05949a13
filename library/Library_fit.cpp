// The check that a loaded library is whole: its index and random list follow from its albums.
// A rebuild killed between its two saves leaves albums without either, which browsing cannot use.
#include <algorithm>
#include <map>
#include <set>
#include <utility>

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

    std::set<std::pair<std::int32_t, std::int32_t>> drawable;
    for (std::size_t c = 0; c < m.cds.size(); ++c) {
        const auto& songs = m.cds[c].songs;
        for (std::size_t s = 0; s < songs.size(); ++s)
            if (VxRating::Drawable(songs[s].rating))
                drawable.emplace(static_cast<std::int32_t>(c), static_cast<std::int32_t>(s));
    }
    std::set<std::pair<std::int32_t, std::int32_t>> listed;
    for (const auto& r : m.random_list) listed.emplace(r.cd_index, r.song_index);
    // Each song once: one listed twice would be drawn twice as often.
    return listed.size() == m.random_list.size() && listed == drawable;
}

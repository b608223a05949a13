// Browsing order and the start-character index: albums by the first byte of the artist, best score
// first within one byte; the index files each album under "0".."9" or "A".."Z".
#include <algorithm>
#include <deque>
#include <vector>

#include "library/VxDatabase.h"
#include "library/VxDefs.h"
#include "trace/VxTrace.h"

namespace {

std::string Album_key(const VX_FileSystem_cd& cd) { return fold_accents(to_upper(cd.artist)); }

// The first byte of Album_key without making the key: the index files albums by it alone.
int First_key_byte(const std::string& artist) {
    if (artist.empty()) return -1;
    const auto b = static_cast<unsigned char>(artist[0]);
    if (b < 128) return static_cast<unsigned char>(to_upper(std::string(1, artist[0]))[0]);
    if (b == 0xE9) return 'E';
    if (b == 0xF8) return 'O';
    if (b == 0xC3 && artist.size() > 1) {
        const auto next = static_cast<unsigned char>(artist[1]);
        if (next == 0xA9) return 'E';
        if (next == 0xB8) return 'O';
    }
    return b;
}

int First_byte(const VX_FileSystem_cd& cd) { return cd.artist.empty() ? -1 : static_cast<unsigned char>(cd.artist[0]); }

}  // namespace

void VxDatabase::SortMusiclist() {
    VxTraceScope scope("DB->SortMusiclist");
    auto& cds = mlist_.musiclist.cds;
    // The two stable passes run over positions and the albums move once at the end: the same
    // comparisons in the same order give the permutation sorting the albums themselves gives.
    std::vector<std::size_t> order(cds.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    Sorting_step(1, 3);
    std::stable_sort(order.begin(), order.end(),
                     [&cds](std::size_t a, std::size_t b) { return cds[a].score > cds[b].score; });
    Sorting_step(2, 3);
    std::stable_sort(order.begin(), order.end(),
                     [&cds](std::size_t a, std::size_t b) { return First_byte(cds[a]) < First_byte(cds[b]); });
    std::deque<VX_FileSystem_cd> sorted;
    for (const std::size_t i : order) sorted.push_back(std::move(cds[i]));
    cds = std::move(sorted);
}

int VxDatabase::Find_start_char_index(const std::string& c) {
    auto& entries = mlist_.musiclist.lookup_table.start_chars;
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (entries[i].start_char == c) return static_cast<int>(i);
    entries.push_back(VX_start_char_struct{c, {}});
    return static_cast<int>(entries.size() - 1);
}

std::vector<std::int32_t> VxDatabase::Get_start_char_cds(int index) const {
    return mlist_.musiclist.lookup_table.start_chars[index].cd_indices;
}

int VxDatabase::Get_nof_start_chars() const {
    return static_cast<int>(mlist_.musiclist.lookup_table.start_chars.size());
}

VX_lookup_table_struct Build_lookup_table(const std::deque<VX_FileSystem_cd>& cds) {
    VX_lookup_table_struct table;
    auto entry_of = [&table](const std::string& c) -> VX_start_char_struct& {
        for (auto& e : table.start_chars)
            if (e.start_char == c) return e;
        table.start_chars.push_back(VX_start_char_struct{c, {}});
        return table.start_chars.back();
    };
    std::string c = "A";  // always one character
    for (std::size_t i = 0; i < cds.size(); ++i) {
        const int key = First_key_byte(cds[i].artist);
        // The search goes on from where the previous album stopped; sorted albums rarely move it far.
        for (int tries = 0; tries < 41; ++tries) {
            if (key == static_cast<unsigned char>(c[0])) {
                entry_of(c).cd_indices.push_back(static_cast<std::int32_t>(i));
                break;
            }
            c = next_start_char(c);
        }
    }
    return table;
}

void VxDatabase::Create_lookup_table() {
    VxTraceScope scope("DB::Create_lookup_table");
    mlist_.musiclist.lookup_table = Build_lookup_table(mlist_.musiclist.cds);
}

std::vector<std::int32_t> VxDatabase::Find_cds_starting_with(const std::string& prefix) const {
    std::vector<std::int32_t> found;
    const auto& cds = mlist_.musiclist.cds;
    for (std::size_t i = 0; i < cds.size(); ++i)
        if (Album_key(cds[i]).compare(0, prefix.size(), prefix) == 0) found.push_back(static_cast<std::int32_t>(i));
    return found;
}

void VxDatabase::Resort_cd_in_index(int c) {
    const std::string key = Album_key(mlist_.musiclist.cds[c]);
    if (key.empty()) return;
    const std::string first = key.substr(0, 1);
    for (auto& entry : mlist_.musiclist.lookup_table.start_chars) {
        if (entry.start_char != first) continue;
        auto& v = entry.cd_indices;
        const auto& cds = mlist_.musiclist.cds;
        auto score = [&](std::size_t k) { return cds[static_cast<std::size_t>(v[k])].score; };
        if (v.size() < 2) return;
        for (std::size_t k = 1; k < v.size(); ++k)
            if (score(k) > score(k - 1)) std::swap(v[k], v[k - 1]);
        for (std::size_t k = v.size() - 1; k >= 1; --k)
            if (score(k) > score(k - 1)) std::swap(v[k], v[k - 1]);
        return;
    }
}

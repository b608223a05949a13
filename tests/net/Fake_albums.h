// A library for the cover pass tests: albums by name, folder and cover, and what the pass told the
// progress screen (the album it is at, the download count).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "net/VxCover_lookup.h"

namespace TestSupport {

struct Album {
    std::string name, path, cover;
};

class Fake_albums : public VxCover_albums {
public:
    std::vector<Album> albums;
    int cover_index = -1;
    int download_count = 0;
    int Get_nof_cds() override { return static_cast<int>(albums.size()); }
    std::string Get_cd_name(int c) override { return albums[c].name; }
    // The artist and title the library read, of the first albums; the others leave them to the name.
    std::vector<std::pair<std::string, std::string>> artist_title;
    std::string Get_cd_artist(int c) override {
        return c < static_cast<int>(artist_title.size()) ? artist_title[c].first : "";
    }
    std::string Get_cd_title(int c) override {
        return c < static_cast<int>(artist_title.size()) ? artist_title[c].second : "";
    }
    std::string Get_cd_path(int c) override { return albums[c].path; }
    std::string Get_cd_cover(int c) override { return albums[c].cover; }
    void Set_cd_cover(int c, const std::string& file_name) override { albums[c].cover = file_name; }
    std::string Get_cd_cached_cover(int c) override { return "../covers/" + albums[c].name + ".bmp"; }
    void Set_cover_index(int c) override { cover_index = c; }
    int Get_download_count() override { return download_count; }
    void Set_download_count(int n) override { download_count = n; }
};

}  // namespace TestSupport

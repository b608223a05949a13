// The music library as the cover lookup's album list: every call goes to VxDatabase.
// Download_missing_covers(VxDatabase_albums::Instance()) is the library's cover download.
#pragma once

#include "net/VxCover_lookup.h"

class VxDatabase_albums final : public VxCover_albums {
public:
    static VxDatabase_albums& Instance();

    int Get_nof_cds() override;
    std::string Get_cd_name(int c) override;
    std::string Get_cd_artist(int c) override;
    std::string Get_cd_title(int c) override;
    std::string Get_cd_path(int c) override;
    std::string Get_cd_cover(int c) override;
    void Set_cd_cover(int c, const std::string& file_name) override;
    std::string Get_cd_cached_cover(int c) override;
    void Set_cover_index(int c) override;
    int Get_download_count() override;
    void Set_download_count(int n) override;
    void Set_pass_seconds_left(int seconds) override;
    void Set_postponed_count(int n) override;
};

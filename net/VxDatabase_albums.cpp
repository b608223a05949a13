// Forwards the cover lookup's album questions to the library object.
#include "net/VxDatabase_albums.h"

#include "library/VxDatabase.h"

VxDatabase_albums& VxDatabase_albums::Instance() {
    static VxDatabase_albums albums;
    return albums;
}

int VxDatabase_albums::Get_nof_cds() { return VxDatabase::Instance().Get_nof_cds(); }
std::string VxDatabase_albums::Get_cd_name(int c) { return VxDatabase::Instance().Get_cd_name(c); }
std::string VxDatabase_albums::Get_cd_artist(int c) { return VxDatabase::Instance().Get_cd_artist(c); }
std::string VxDatabase_albums::Get_cd_title(int c) { return VxDatabase::Instance().Get_cd_title(c); }
std::string VxDatabase_albums::Get_cd_path(int c) { return VxDatabase::Instance().Get_cd_path(c); }
std::string VxDatabase_albums::Get_cd_cover(int c) { return VxDatabase::Instance().Get_cd_cover(c); }
void VxDatabase_albums::Set_cd_cover(int c, const std::string& file_name) {
    VxDatabase::Instance().Set_cd_cover(c, file_name);
}
std::string VxDatabase_albums::Get_cd_cached_cover(int c) { return VxDatabase::Instance().Get_cd_cached_cover(c); }
void VxDatabase_albums::Set_cover_index(int c) { VxDatabase::Instance().Set_cover_index(c); }
int VxDatabase_albums::Get_download_count() { return VxDatabase::Instance().Get_download_count(); }
void VxDatabase_albums::Set_download_count(int n) { VxDatabase::Instance().Set_download_count(n); }
void VxDatabase_albums::Set_pass_seconds_left(int seconds) { VxDatabase::Instance().Set_cover_seconds_left(seconds); }
void VxDatabase_albums::Set_postponed_count(int n) { VxDatabase::Instance().Set_postponed_count(n); }

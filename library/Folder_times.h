// The side file beside the library file: the music folder, the library it goes with, and the time of
// every folder the last scan or check listed, so that a start lists only the folders changed since.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "library/Scan_record.h"
#include "library/VxDatabase.h"

struct VX_folder_times {
    std::string root;     // the music folder as the settings name it
    std::string library;  // Folder_times::Library_identity of the library these times were taken for
    std::vector<VX_scanned_folder> folders;
};

namespace Folder_times {

inline constexpr const char* File_name = "MusicDataBase.folders";
// A larger file is taken for a corrupt one rather than read into memory.
inline constexpr unsigned long long Max_file_size = 64ull << 20;

// The album count and a digest of the album paths that does not depend on their order: a library
// file written without its side file (a failed save, a copy put back) shows as another library.
std::string Library_identity(const VX_FileSystem_musiclist& musiclist);
// One album's part: the identity is the album count and the sum of these, so that a change to the
// library changes it by the albums that come and go.
std::uint64_t Album_digest(const VX_FileSystem_cd& cd);
// The sum of every album's part. Only reads the albums: it may run on another thread while nothing
// changes the list.
std::uint64_t Digest_sum(const VX_FileSystem_musiclist& musiclist);
std::string Identity_text(std::size_t albums, std::uint64_t digest_sum);

// The side file of the working folder; nothing (and the reason in why) when it is missing or not whole.
std::optional<VX_folder_times> Read(std::string& why);
// Replaces the side file atomically; false when it could not be written (the old one stays).
bool Write(const VX_folder_times& times);

}  // namespace Folder_times

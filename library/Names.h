// Album and song names from a song file's full path: structural patterns split the path on the
// platform separator, the user's three patterns are applied to single components.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "library/VxDatabase.h"

namespace Names {

// The fixed patterns, built with the platform separator.
const std::string& File_name_pattern();      // capture 1: a last component with a 3-4 character extension
const std::string& Folder_pattern();         // capture 1: second-to-last component
const std::string& Parent_folder_pattern();  // capture 1: third-to-last component
const std::string& Folder_path_pattern();    // capture 1: everything before the last separator

inline constexpr const char* Builtin_artist = "([^-]*).*";
inline constexpr const char* Builtin_title = "[^-]*[-]*[\\s]*(.*)";
inline constexpr const char* Builtin_song = ".*?[-|,]+(.*)\\.(?:\\w{3,4})";
inline constexpr const char* Bare_name = "(.*)\\.(?:\\w{3,4})";

// regex_extract(text, pattern) worked out without the expression library, for the fixed patterns
// above and the built-in ones, on text of printable ASCII (where "." is any character and "\w" and
// "\s" mean the same in every locale). Nothing for other patterns and other text.
std::optional<std::string> By_hand(std::string_view text, std::string_view pattern);

}  // namespace Names

// Fills cd.path, cd.name, cd.title, cd.artist, song.file_name and song.name from path; every other
// field stays. Each field gets a value, a ROOT_ literal or "no match"; nothing is trimmed.
// The album's fields depend on the folder part of the path alone.
void extract_names(const std::string& path, bool use_two_directories, const std::string& artist_pattern,
                   const std::string& title_pattern, const std::string& song_pattern, VX_FileSystem_cd& cd,
                   VX_FileSystem_song& song);

// Only the song's part of extract_names: song.file_name and song.name.
void extract_song_names(const std::string& path, const std::string& song_pattern, VX_FileSystem_song& song);

// The settings object's private state: the names of its sections and keys, and the caches
// that every getter fills on its first read. Only settings/*.cpp include this.
#pragma once

#include <string>
#include <vector>

#include "settings/VxRead.h"

namespace Settings_names {
inline constexpr const char* Caption = "VxRead";
inline constexpr const char* Regular_expressions = "REGULAR EXPRESSIONS";
inline constexpr const char* Internet = "INTERNET SETTINGS";
inline constexpr const char* Music_location = "MUSIC LOCATION";
inline constexpr const char* System = "SYSTEM SETTINGS";
inline constexpr const char* Crc_section = "file_changed_settings";
inline constexpr const char* Display = "DISPLAY SETTINGS";
inline constexpr const char* Library_file = "MusicDataBase.dat";
}  // namespace Settings_names

struct VxRead::Impl {
    // One key's text as last read from the file.
    struct Text_cache {
        bool first = true;
        std::string value;
    };

    Text_cache two_directories, download_covers, cache_covers, check_new_version, use_video_memory, use_logging,
        use_random, save_scaled_bitmaps, music_folder;

    std::vector<RegexSetting> regex_table;  // the three expressions with their defaults
    bool regex_first = true;
    std::vector<RegexSetting> regex_cache;

    bool geometry_first = true;
    std::string window_size, window_offset;

    bool image_refused = false;
    // Set when this start had to write "FileCrc": nothing vouches for the library file then.
    bool digest_was_missing = false;  // only the first refused image of a run shows a message

    // The cached text, read from the file on the first call or when forced.
    static const std::string& Read(Text_cache& cache, const char* key, const char* section, bool force);
    static bool Is_yes(const std::string& text) { return text == "yes"; }
};

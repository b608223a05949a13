// The default settings file: every section and key in its order, with the comments a user reads
// when editing it by hand. Only what is missing is written, so a second start changes nothing.
#include <functional>

#include "platform/paths.h"
#include "platform/screen.h"
#include "settings/CIniFile.h"
#include "settings/VxRead_impl.h"

using namespace Settings_names;

namespace {
struct Default_key {
    const char* key;
    std::function<std::string()> value;
    std::string comment;  // empty: none
};

struct Default_section {
    const char* name;
    std::string comment;
    std::vector<Default_key> keys;
};

const std::string Yes_no_comment(const std::string& padding, const char* fallback) {
    return "\n# options: {yes / no}" + padding + "\n# Default: " + fallback;
}

std::string Regex_section_comment() {
    const std::string sep = Platform::Path_separator_text;
#ifdef _WIN32
    const std::string slash_line = "# \\\\ : slash";
    const std::string drive = "c:\\music\\";
#else
    const std::string slash_line = "# / : slash";
    const std::string drive = "/music/";
#endif
    const std::vector<std::string> lines = {
        "#Change this 'regular expression' to match your music directory and song structure. ",
        "# Example: .*" + sep + "(.*) ",
        "# options:",
        slash_line,
        "# .* : anything",
        "# ()   : part to capture",
        "# (?:) : part to skip ",
        "#  file on drive:  '" + drive + "Kosheen" + sep + "Kosheen-06, Suicide.ape' ",
        "#  used for regex:          'Kosheen" + sep + "Kosheen-06, Suicide.ape'",
        "#",
        "# select (O)ptions in player or consult <https://regex101.com/> for experimenting or ",
    };
    std::string comment = "\n";
    for (const std::string& line : lines) comment += line + std::string(8, '\t') + "\n";
    return comment + "#";
}

std::string& New_file_music_folder() {
    static std::string folder;
    return folder;
}

std::string Default_music_folder() {
    if (!New_file_music_folder().empty()) return New_file_music_folder();
    return std::string("..") + Platform::Path_separator + "music";
}

std::string Music_folder_example() {
#ifdef _WIN32
    return "# Example: D:\\artist\\title\\song.mp3";
#else
    return "# Example: /media/music/artist/title/song.mp3";
#endif
}
}  // namespace

void VxRead::Set_new_file_music_folder(const std::string& folder) { New_file_music_folder() = folder; }

void VxRead::Write_defaults() {
    auto fixed = [](std::string text) { return [text] { return text; }; };
    const std::string narrow = "                                  ";
    const std::string internet = "                                ";
    const std::string system = "                                    ";

    std::vector<Default_key> regex_keys = {{"UseTwoDirectories", fixed("no"), Yes_no_comment(narrow, "yes")}};
    for (const RegexSetting& entry : impl_->regex_table)
        regex_keys.push_back({entry.name.c_str(), fixed(entry.regex), ""});

    const std::vector<Default_section> sections = {
        {Regular_expressions, Regex_section_comment(), regex_keys},
        {Internet,
         "#Specify if you want to enable automatic cover lookup.",
         {{"DownloadCovers", fixed("yes"), Yes_no_comment(internet, "yes")},
          {"CacheCovers", fixed("yes"), Yes_no_comment(internet, "yes")}}},
        {Music_location,
         "#Tavrix needs to know where your music is located.",
         {{"MusicFolder", Default_music_folder, Music_folder_example()}}},
        {System,
         "# Change these system settings when your bitmaps appear as grey squares",
         {{"CheckNewVersionOnStartup", fixed("yes"), Yes_no_comment(system, "yes")},
          {"UseVideoMemory", fixed("yes"), Yes_no_comment(system, "yes")},
          {"UseLogging", fixed("yes"), Yes_no_comment(system, "yes")},
          {"Userandom", fixed("no"), Yes_no_comment(system, "no")},
          {"SaveScaledBitmaps", fixed("yes"), Yes_no_comment(system, "yes")}}},
        {Crc_section,
         "#The CRC changes when the file has been changed by the user.",
         // No digest here: Check_settings_crc stores it once the library of other settings is gone, so a
         // crash in between leaves no digest that vouches for a library built from other settings.
         {{"FileCrc", fixed(""), ""}}},
        {Display,
         "# Change these display settings to your likings.",
         {{"WindowSize",
           [] {
               const Platform::Screen_info screen = Platform::Screen();
               return std::to_string(screen.width) + "x" + std::to_string(screen.height);
           },
           "\n    # Example: 1024x768\n"},
          {"WindowOffset", fixed("0,0"), "# Example: 0,0"}}},
    };

    if (!CIniFile::File_exists(File_name)) CIniFile::Create_file(File_name);
    for (const Default_section& section : sections) {
        if (!CIniFile::Section_exists(section.name, File_name)) {
            if (CIniFile::Add_section(section.name, File_name))
                CIniFile::Set_section_comment(section.comment, section.name, File_name);
        }
        for (const Default_key& key : section.keys) {
            if (CIniFile::Record_exists(key.key, section.name, File_name)) continue;
            if (std::string(key.key) == "FileCrc") impl_->digest_was_missing = true;
            if (CIniFile::Set_value(key.key, key.value(), section.name, File_name) && !key.comment.empty())
                CIniFile::Set_record_comment(key.comment, key.key, section.name, File_name);
        }
    }
}

std::string VxRead::Fingerprint() {
    std::string text = Get_music_folder() + (Get_use_two_directories() ? "yes" : "no");
    for (const RegexSetting& entry : Get_regular_expressions()) text += entry.regex;
    return text;
}

// Name extraction. The structural patterns use the platform separator so that the same steps work
// on "/" and "\" paths; a name holding the other platform's separator is an ordinary name.
#include "library/Names.h"

#include "library/VxDefs.h"
#include "platform/dialogs.h"
#include "platform/paths.h"

namespace Names {
namespace {

// The separator as it must stand in an expression ("\" has to be escaped).
std::string Sep() { return Platform::Path_separator == '\\' ? "\\\\" : std::string(1, Platform::Path_separator); }

}  // namespace

const std::string& File_name_pattern() {
    static const std::string p = "(.*\\.(?:\\w{3,4}))";
    return p;
}
const std::string& Folder_pattern() {
    static const std::string p = ".*" + Sep() + "([^" + Sep() + "]*)" + Sep() + "[^" + Sep() + "]*";
    return p;
}
const std::string& Parent_folder_pattern() {
    static const std::string p =
        ".*" + Sep() + "([^" + Sep() + "]*)" + Sep() + "[^" + Sep() + "]*" + Sep() + "[^" + Sep() + "]*";
    return p;
}
const std::string& Folder_path_pattern() {
    static const std::string p = "(.*)" + Sep() + ".*";
    return p;
}

}  // namespace Names

void extract_names(const std::string& path, bool use_two_directories, const std::string& artist_pattern,
                   const std::string& title_pattern, const std::string& song_pattern, VX_FileSystem_cd& cd,
                   VX_FileSystem_song& song) {
    const std::string no_match = "no match";
    // The user's pattern when it matches, else the built-in one (not tried twice when they are the same).
    auto with_fallback = [&](const std::string& text, const std::string& pattern, const char* builtin) {
        std::string r = regex_extract(text, pattern);
        if (r == no_match && pattern != builtin) r = regex_extract(text, builtin);
        return r;
    };

    // Whatever precedes the last separator cannot take part in a match of the file name: the extension's
    // word characters hold no separator. So the last component alone is matched, not the whole path.
    const auto cut = path.rfind(Platform::Path_separator);
    song.file_name = cut == std::string::npos
                         ? std::string(no_match)
                         : regex_extract(std::string_view(path).substr(cut + 1), Names::File_name_pattern());

    // Everything but the song's own names depends only on the folder part of the path (up to the
    // last separator), so the songs of one folder share one computation.
    struct Folder_names {
        std::string folder_part, artist_pattern, title_pattern;
        bool two = false, valid = false;
        std::string path, artist, title, name;
    };
    thread_local Folder_names last;
    const std::string folder_part = cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
    if (!(last.valid && cut != std::string::npos && last.folder_part == folder_part &&
          last.two == use_two_directories && last.artist_pattern == artist_pattern &&
          last.title_pattern == title_pattern)) {
        const std::string folder = regex_extract(path, Names::Folder_pattern());
        const std::string parent = regex_extract(path, Names::Parent_folder_pattern());
        last.path = regex_extract(path, Names::Folder_path_pattern()) + Platform::Path_separator_text;

        const bool two_level = parent != no_match && use_two_directories;
        if (two_level)
            last.artist = with_fallback(parent, artist_pattern, Names::Builtin_artist);
        else if (folder != no_match)
            last.artist = with_fallback(folder, artist_pattern, Names::Builtin_artist);
        else
            last.artist = "ROOT_ARTIST";

        last.title = folder != no_match ? with_fallback(folder, title_pattern, Names::Builtin_title) : "ROOT_TITLE";

        if (two_level)
            last.name = last.artist + " - " + last.title;
        else if (folder != no_match)
            last.name = folder;
        else
            last.name = "ROOT_CD_NAME";
        last.folder_part = folder_part;
        last.two = use_two_directories;
        last.artist_pattern = artist_pattern;
        last.title_pattern = title_pattern;
        last.valid = true;
    }
    cd.path = last.path;
    cd.artist = last.artist;
    cd.title = last.title;
    cd.name = last.name;

    if (song.file_name != no_match) {
        song.name = with_fallback(song.file_name, song_pattern, Names::Builtin_song);
        if (song.name == no_match) song.name = regex_extract(song.file_name, Names::Bare_name);
        if (song.name == no_match)
            Platform::Message_box("VxDefs", "Song name could not be extracted. Please report this !");
    } else {
        song.name = "ROOT_SONG";
    }
}

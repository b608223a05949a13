// Name extraction. The structural patterns use the platform separator so that the same steps work
// on "/" and "\" paths; a name holding the other platform's separator is an ordinary name.
#include "library/Names.h"

#include <algorithm>
#include <string_view>

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

namespace {

const char* const No_match = "no match";

// The user's pattern when it matches, else the built-in one (not tried twice when they are the same).
std::string With_fallback(std::string_view text, const std::string& pattern, const char* builtin) {
    std::string r = regex_extract(text, pattern);
    if (r == No_match && pattern != builtin) r = regex_extract(text, builtin);
    return r;
}

bool Ascii_word(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

// A name ending in a dot and three or four ASCII letters, digits or underscores matches the file name
// pattern whole, whichever bytes the expression library's locale counts as word characters besides.
bool Surely_a_file_name(std::string_view name) {
    for (const std::size_t k : {3u, 4u}) {
        if (name.size() < k + 1 || name[name.size() - k - 1] != '.') continue;
        if (std::all_of(name.end() - static_cast<std::ptrdiff_t>(k), name.end(), Ascii_word)) return true;
    }
    return false;
}

// Whatever precedes the last separator cannot take part in a match of the file name: the extension's
// word characters hold no separator. So the last component alone is matched, not the whole path.
std::string File_name(const std::string& path) {
    const auto cut = path.rfind(Platform::Path_separator);
    if (cut == std::string::npos) return No_match;
    const std::string_view name = std::string_view(path).substr(cut + 1);
    return Surely_a_file_name(name) ? std::string(name) : regex_extract(name, Names::File_name_pattern());
}

}  // namespace

namespace Names {

std::optional<std::string> Builtin_song_name(std::string_view name) {
    const auto printable = [](char c) { return c >= 0x20 && c <= 0x7e; };
    if (!std::all_of(name.begin(), name.end(), printable)) return std::nullopt;
    // The match is whole, so "\.(?:\w{3,4})" is the end of the name; both lengths cannot fit, as
    // the dot of the one would be a word character of the other.
    std::size_t body = std::string_view::npos;
    for (const std::size_t k : {3u, 4u})
        if (name.size() > k && name[name.size() - k - 1] == '.' &&
            std::all_of(name.end() - static_cast<std::ptrdiff_t>(k), name.end(), Ascii_word))
            body = name.size() - k - 1;
    if (body == std::string_view::npos) return std::string(No_match);
    // The lazy ".*?" stops at the first run of '-', '|' or ','; the greedy run takes all of it; the
    // capture is the rest up to the extension, and an empty capture is no match.
    const auto separator = [](char c) { return c == '-' || c == '|' || c == ','; };
    std::size_t rest = 0;
    while (rest < body && !separator(name[rest])) ++rest;
    if (rest == body) return std::string(No_match);
    while (rest < body && separator(name[rest])) ++rest;
    if (rest == body) return std::string(No_match);
    return std::string(name.substr(rest, body - rest));
}

}  // namespace Names

void extract_song_names(const std::string& path, const std::string& song_pattern, VX_FileSystem_song& song) {
    song.file_name = File_name(path);
    if (song.file_name != No_match) {
        // The default expression by hand: it names every song of a rebuild, and the library's
        // matcher took a third of a rebuild's instructions.
        std::optional<std::string> by_hand;
        if (song_pattern == Names::Builtin_song) by_hand = Names::Builtin_song_name(song.file_name);
        song.name = by_hand ? std::move(*by_hand) : With_fallback(song.file_name, song_pattern, Names::Builtin_song);
        if (song.name == No_match) song.name = regex_extract(song.file_name, Names::Bare_name);
        if (song.name == No_match)
            Platform::Message_box("VxDefs", "Song name could not be extracted. Please report this !");
    } else {
        song.name = "ROOT_SONG";
    }
}

void extract_names(const std::string& path, bool use_two_directories, const std::string& artist_pattern,
                   const std::string& title_pattern, const std::string& song_pattern, VX_FileSystem_cd& cd,
                   VX_FileSystem_song& song) {
    const auto cut = path.rfind(Platform::Path_separator);

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

        const bool two_level = parent != No_match && use_two_directories;
        if (two_level)
            last.artist = With_fallback(parent, artist_pattern, Names::Builtin_artist);
        else if (folder != No_match)
            last.artist = With_fallback(folder, artist_pattern, Names::Builtin_artist);
        else
            last.artist = "ROOT_ARTIST";

        last.title = folder != No_match ? With_fallback(folder, title_pattern, Names::Builtin_title) : "ROOT_TITLE";

        if (two_level)
            last.name = last.artist + " - " + last.title;
        else if (folder != No_match)
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

    extract_song_names(path, song_pattern, song);
}

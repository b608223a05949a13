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

bool Ascii_word(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

// Where "\\.(?:\\w{3,4})" ends a whole match: the length before the dot, npos when it cannot. Both
// lengths cannot fit, as the dot of the one would be a word character of the other.
std::size_t Before_extension(std::string_view name) {
    for (const std::size_t k : {3u, 4u})
        if (name.size() > k && name[name.size() - k - 1] == '.' &&
            std::all_of(name.end() - static_cast<std::ptrdiff_t>(k), name.end(), Ascii_word))
            return name.size() - k - 1;
    return std::string_view::npos;
}

// Whatever precedes the last separator cannot take part in a match of the file name: the extension's
// word characters hold no separator. So the last component alone is matched, not the whole path.
std::string File_name(const std::string& path) {
    const auto cut = path.rfind(Platform::Path_separator);
    if (cut == std::string::npos) return No_match;
    const std::string_view name = std::string_view(path).substr(cut + 1);
    // A name ending in a dot and three or four ASCII letters, digits or underscores matches the file
    // name pattern whole, whichever bytes the expression library's locale counts as word characters besides.
    if (Before_extension(name) != std::string_view::npos) return std::string(name);
    return regex_extract(name, Names::File_name_pattern());
}

}  // namespace

namespace {

constexpr char Separator = Platform::Path_separator;

std::string Capture(std::string_view capture) { return capture.empty() ? std::string(No_match) : std::string(capture); }

// ".*?[-|,]+(.*)" then the extension: the lazy start stops at the first run of '-', '|' or ',', the
// greedy run takes all of it, and the capture is the rest.
std::string Song(std::string_view name) {
    const std::size_t body = Before_extension(name);
    if (body == std::string_view::npos) return No_match;
    const auto separator = [](char c) { return c == '-' || c == '|' || c == ','; };
    std::size_t rest = 0;
    while (rest < body && !separator(name[rest])) ++rest;
    if (rest == body) return No_match;
    while (rest < body && separator(name[rest])) ++rest;
    return Capture(name.substr(rest, body - rest));
}

// "[^-]*[-]*[\\s]*(.*)": each greedy part takes all it can (in printable ASCII \\s is the space).
std::string Title(std::string_view folder) {
    std::size_t at = 0;
    while (at < folder.size() && folder[at] != '-') ++at;
    while (at < folder.size() && folder[at] == '-') ++at;
    while (at < folder.size() && folder[at] == ' ') ++at;
    return Capture(folder.substr(at));
}

// The component that ends `from_end` separators before the end of path, for ".*/([^/]*)/[^/]*" and
// its parent's pattern: the greedy ".*" leaves the last separators to the rest.
std::string Component(std::string_view path, int from_end) {
    std::size_t end = path.size();
    for (int i = 0; i < from_end; ++i) {
        end = path.rfind(Separator, end == 0 ? std::string_view::npos : end - 1);
        if (end == std::string_view::npos || end == 0) return No_match;
    }
    const std::size_t start = path.rfind(Separator, end - 1);
    if (start == std::string_view::npos) return No_match;
    return Capture(path.substr(start + 1, end - start - 1));
}

}  // namespace

namespace Names {

std::optional<std::string> By_hand(std::string_view text, std::string_view pattern) {
    const auto printable = [](char c) { return c >= 0x20 && c <= 0x7e; };
    if (!std::all_of(text.begin(), text.end(), printable)) return std::nullopt;
    if (pattern == Builtin_song) return Song(text);
    if (pattern == Builtin_artist) return Capture(text.substr(0, std::min(text.find('-'), text.size())));
    if (pattern == Builtin_title) return Title(text);
    if (pattern == Bare_name) {
        const std::size_t body = Before_extension(text);
        return body == std::string_view::npos ? std::string(No_match) : Capture(text.substr(0, body));
    }
    if (pattern == Folder_pattern()) return Component(text, 1);
    if (pattern == Parent_folder_pattern()) return Component(text, 2);
    if (pattern == Folder_path_pattern()) {
        const std::size_t last = text.rfind(Separator);
        return last == std::string_view::npos ? std::string(No_match) : Capture(text.substr(0, last));
    }
    return std::nullopt;
}

}  // namespace Names

namespace {
// The expressions a scan runs on every song and album, by hand where Names::By_hand can: the
// expression library's matcher took a third of a rebuild's instructions.
std::string Extract(std::string_view text, const std::string& pattern) {
    if (std::optional<std::string> r = Names::By_hand(text, pattern)) return std::move(*r);
    return regex_extract(text, pattern);
}

// The user's pattern when it matches, else the built-in one (not tried twice when they are the same).
std::string With_fallback(std::string_view text, const std::string& pattern, const char* builtin) {
    std::string r = Extract(text, pattern);
    if (r == No_match && pattern != builtin) r = Extract(text, builtin);
    return r;
}

}  // namespace

void extract_song_names(const std::string& path, const std::string& song_pattern, VX_FileSystem_song& song) {
    song.file_name = File_name(path);
    if (song.file_name != No_match) {
        song.name = With_fallback(song.file_name, song_pattern, Names::Builtin_song);
        if (song.name == No_match) song.name = Extract(song.file_name, Names::Bare_name);
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
        const std::string folder = Extract(path, Names::Folder_pattern());
        const std::string parent = Extract(path, Names::Parent_folder_pattern());
        last.path = Extract(path, Names::Folder_path_pattern()) + Platform::Path_separator_text;

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

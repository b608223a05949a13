// The side file of folder times: a text file, a header of four lines, one folder a line (time, "L"
// for a folder without folders inside or "F", the path below the music folder, the resolved path
// when it is not the path itself), and an end line, so that a cut-short file shows. It is read at
// every start: one reading of the file, no copies of a line.
#include "library/Folder_times.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>
#include <system_error>
#include <unordered_set>

#include "platform/paths.h"
#include "settings/Atomic_file.h"

namespace {

const char* const Signature = "Tavrix folder times 1";

// Names may hold any byte but the separator: tabs, new lines and backslashes are escaped.
void Append_escaped(std::string& out, std::string_view text) {
    if (std::none_of(text.begin(), text.end(), [](char c) { return c == '\\' || c == '\t' || c == '\n'; })) {
        out.append(text);
        return;
    }
    for (char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
}

bool Append_unescaped(std::string& out, std::string_view text) {
    if (text.find('\\') == std::string_view::npos) {
        out.append(text);
        return true;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            out += text[i];
            continue;
        }
        if (++i == text.size()) return false;
        if (text[i] == '\\')
            out += '\\';
        else if (text[i] == 't')
            out += '\t';
        else if (text[i] == 'n')
            out += '\n';
        else
            return false;
    }
    return true;
}

// The text read line by line without copies.
struct Lines {
    std::string_view rest;
    bool Next(std::string_view& line) {
        const std::size_t end = rest.find('\n');
        if (end == std::string_view::npos) return false;
        line = rest.substr(0, end);
        rest.remove_prefix(end + 1);
        return true;
    }
};

// Splits off the text up to the next tab; false when there is none.
bool Field(std::string_view& line, std::string_view& field) {
    const std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos) return false;
    field = line.substr(0, tab);
    line.remove_prefix(tab + 1);
    return true;
}

bool Header(Lines& lines, std::string_view key, std::string_view& value) {
    std::string_view line, name;
    if (!lines.Next(line) || !Field(line, name) || name != key) return false;
    value = line;
    return true;
}

std::string_view Without_separator(std::string_view path) {
    return path.size() > 1 && path.back() == Platform::Path_separator ? path.substr(0, path.size() - 1) : path;
}

}  // namespace

namespace Folder_times {

std::uint64_t Album_digest(const VX_FileSystem_cd& cd) {
    // FNV-1a of the album's path, cover, song count and first and last song file: the same albums in
    // any order give the same sum, an album with a song more another.
    std::uint64_t h = 14695981039346656037ull;
    auto add = [&h](std::string_view text) {
        for (unsigned char c : text) h = (h ^ c) * 1099511628211ull;
        h = (h ^ 0xffu) * 1099511628211ull;
    };
    add(cd.path);
    add(cd.cover);
    char count[24];
    add(std::string_view(
        count, static_cast<std::size_t>(std::to_chars(count, count + sizeof count, cd.songs.size()).ptr - count)));
    if (!cd.songs.empty()) {
        add(cd.songs.front().file_name);
        add(cd.songs.back().file_name);
    }
    return h;
}

std::string Identity_text(std::size_t albums, std::uint64_t digest_sum) {
    std::ostringstream out;
    out << albums << ' ' << std::hex << digest_sum;
    return out.str();
}

std::uint64_t Digest_sum(const VX_FileSystem_musiclist& musiclist) {
    std::uint64_t sum = 0;
    for (const VX_FileSystem_cd& cd : musiclist.cds) sum += Album_digest(cd);
    return sum;
}

std::string Library_identity(const VX_FileSystem_musiclist& musiclist) {
    return Identity_text(musiclist.cds.size(), Digest_sum(musiclist));
}

std::optional<VX_folder_times> Read(std::string& why) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(File_name, ec);
    if (ec) {
        why = std::string("no '") + File_name + "'";
        return std::nullopt;
    }
    if (size > Max_file_size) {
        why = std::string("'") + File_name + "' is larger than " + std::to_string(Max_file_size) + " bytes";
        return std::nullopt;
    }
    std::string text(static_cast<std::size_t>(size), '\0');
    {
        std::ifstream in(File_name, std::ios::binary);
        if (!in.read(text.data(), static_cast<std::streamsize>(size))) {
            why = std::string("'") + File_name + "' cannot be read";
            return std::nullopt;
        }
    }
    auto fail = [&](const std::string& what) {
        why = std::string("'") + File_name + "' is corrupt (" + what + ")";
        return std::nullopt;
    };
    Lines lines{text};
    std::string_view line, value;
    if (!lines.Next(line) || line != Signature) return fail("no signature");
    VX_folder_times times;
    if (!Header(lines, "root", value) || !Append_unescaped(times.root, value) || times.root.empty())
        return fail("no music folder");
    if (!Header(lines, "library", value)) return fail("no library");
    times.library = std::string(value);
    unsigned long long count = 0;
    if (!Header(lines, "folders", value) ||
        std::from_chars(value.data(), value.data() + value.size(), count).ptr != value.data() + value.size() ||
        value.empty())
        return fail("no count");
    // Every folder line takes at least a time, a kind and three tabs.
    if (count > size / 5) return fail("a count beyond the file");
    times.folders.resize(static_cast<std::size_t>(count));
    for (VX_scanned_folder& folder : times.folders) {
        std::string_view time, kind, path;
        if (!lines.Next(line) || !Field(line, time) || !Field(line, kind) || !Field(line, path))
            return fail("a folder line cut short");
        const auto parsed = std::from_chars(time.data(), time.data() + time.size(), folder.time);
        if (time.empty() || parsed.ptr != time.data() + time.size() || (kind != "L" && kind != "F"))
            return fail("a folder line that does not read");
        folder.leaf = kind == "L";
        folder.path.reserve(times.root.size() + path.size() + 1);
        folder.path = times.root;
        if (!Append_unescaped(folder.path, path) || !Append_unescaped(folder.real, line) ||
            folder.path.back() != Platform::Path_separator)
            return fail("a folder line that does not read");
        if (folder.real.empty()) folder.real = Without_separator(folder.path);
    }
    if (!lines.Next(line) || line != "end" || !lines.rest.empty()) return fail("no end line");
    return times;
}

bool Write(const VX_folder_times& times) {
    // A folder is a leaf when no other recorded folder lies directly inside it.
    std::unordered_set<std::string_view> parents;
    parents.reserve(times.folders.size());
    for (const VX_scanned_folder& folder : times.folders) {
        const std::string_view path = folder.path;
        if (path.size() < 2) continue;
        const std::size_t sep = path.rfind(Platform::Path_separator, path.size() - 2);
        if (sep != std::string_view::npos) parents.insert(path.substr(0, sep + 1));
    }
    const std::string_view root = times.root;
    std::string text;
    text.reserve(64 + root.size() + times.folders.size() * 64);
    text += Signature;
    text += "\nroot\t";
    Append_escaped(text, root);
    text += "\nlibrary\t" + times.library + "\nfolders\t";
    std::size_t count = 0;
    for (const VX_scanned_folder& folder : times.folders) count += folder.path.starts_with(root) ? 1 : 0;
    text += std::to_string(count) + "\n";
    for (const VX_scanned_folder& folder : times.folders) {
        const std::string_view path = folder.path;
        if (!path.starts_with(root)) continue;  // not below the music folder: listed again
        char time[24];
        text.append(time, std::to_chars(time, time + sizeof time, folder.time).ptr);
        text += parents.count(path) ? "\tF\t" : "\tL\t";
        Append_escaped(text, path.substr(root.size()));
        text += '\t';
        if (folder.real != Without_separator(path)) Append_escaped(text, folder.real);
        text += '\n';
    }
    text += "end\n";
    // Only saves work: lost, it costs one start that lists every folder.
    return Atomic_file::Write(File_name, text, Platform::Durability::cache);
}

}  // namespace Folder_times

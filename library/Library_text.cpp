// The archive's form, as the text archive writes it: tokens separated by one space; a class's
// tracking level and version ("0 0") before its first object only; a collection's count before its
// elements (vectors of plain numbers carry no class information); a string as its length, a space
// and its bytes; a double in scientific notation with 17 digits; a line feed at the end.
#include "library/Library_text.h"

#include <charconv>
#include <cstdio>
#include <string_view>

namespace {

// The header the archive library writes: the signature as a length-prefixed string, then version 3.
constexpr std::string_view Header = "22 serialization::archive 3 ";
constexpr std::string_view Class_info = "0 0";

class Text {
public:
    explicit Text(std::size_t estimate) { out_.reserve(estimate); }

    void Number(long long n) {
        Token();
        char digits[24];
        const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
        out_.append(digits, static_cast<std::size_t>(end - digits));
    }
    void Number(double x) {
        Token();
        char digits[64];
        const int n = std::snprintf(digits, sizeof digits, "%.17e", x);
        out_.append(digits, static_cast<std::size_t>(n));
    }
    void String(const std::string& s) {
        Number(static_cast<long long>(s.size()));
        out_ += ' ';
        out_ += s;
    }
    // A class's first object carries its tracking level and version.
    void First_of_class(bool& written) {
        if (written) return;
        written = true;
        Token();
        out_ += Class_info;
    }
    std::string Finish() {
        out_ += '\n';
        return std::move(out_);
    }
    std::string& Raw() { return out_; }

private:
    // The first token follows the header's own space.
    void Token() {
        if (started_) out_ += ' ';
        started_ = true;
    }
    std::string out_;
    bool started_ = false;
};

// Which classes have had their first object written.
struct Classes_seen {
    bool library = false, musiclist = false, albums = false, album = false, songs = false, song = false;
    bool index = false, entries = false, entry = false, references = false, reference = false;
};

std::size_t Estimate(const VX_FileSystem_musiclist& m) {
    std::size_t size = 4096;
    for (const VX_FileSystem_cd& cd : m.cds) {
        size += cd.path.size() + cd.name.size() + cd.title.size() + cd.artist.size() + cd.cover.size() + 64;
        for (const VX_FileSystem_song& s : cd.songs)
            size += s.file_name.size() + s.name.size() + s.reserved1.size() + s.reserved2.size() + 24;
        size += 8;  // its index entry
    }
    return size + m.random_list.size() * 12;
}

}  // namespace

namespace Library_text {

std::string Write(const c_mlist& library) {
    const VX_FileSystem_musiclist& m = library.musiclist;
    Text t(Estimate(m));
    t.Raw() += Header;
    Classes_seen seen;
    t.First_of_class(seen.library);
    t.First_of_class(seen.musiclist);
    t.First_of_class(seen.albums);
    t.Number(static_cast<long long>(m.cds.size()));
    for (const VX_FileSystem_cd& cd : m.cds) {
        t.First_of_class(seen.album);
        t.String(cd.path);
        t.String(cd.name);
        t.String(cd.title);
        t.String(cd.artist);
        t.String(cd.cover);
        t.Number(cd.score);
        t.First_of_class(seen.songs);
        t.Number(static_cast<long long>(cd.songs.size()));
        for (const VX_FileSystem_song& s : cd.songs) {
            t.First_of_class(seen.song);
            t.String(s.file_name);
            t.String(s.name);
            t.String(s.reserved1);
            t.String(s.reserved2);
            t.Number(static_cast<long long>(s.rating));
        }
    }
    t.First_of_class(seen.index);
    t.First_of_class(seen.entries);
    t.Number(static_cast<long long>(m.lookup_table.start_chars.size()));
    for (const VX_start_char_struct& e : m.lookup_table.start_chars) {
        t.First_of_class(seen.entry);
        t.String(e.start_char);
        t.Number(static_cast<long long>(e.cd_indices.size()));
        for (const std::int32_t i : e.cd_indices) t.Number(static_cast<long long>(i));
    }
    t.First_of_class(seen.references);
    t.Number(static_cast<long long>(m.random_list.size()));
    for (const VX_song_reference& r : m.random_list) {
        t.First_of_class(seen.reference);
        t.Number(static_cast<long long>(r.cd_index));
        t.Number(static_cast<long long>(r.song_index));
    }
    return t.Finish();
}

}  // namespace Library_text

// The archive's form, as the text archive writes it: tokens separated by one space; a class's
// tracking level and version ("0 0") before its first object only; a collection's count before its
// elements (vectors of plain numbers carry no class information); a string as its length, a space
// and its bytes; a double in scientific notation with 17 digits; a line feed at the end. Read walks
// the same form in the same order and gives up at the first byte that departs from it.
#include "library/Library_text.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string_view>
#include <system_error>

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

namespace {

// The text as Write spells it, one token after the other; the first departure stops the reading
// (ok() false) and every later call does nothing. The bounds are those the archive path checks, so
// that a text refused by them is left to it and fails there as it always did.
class Reader {
public:
    explicit Reader(std::string_view text) : at_(text.data()), end_(text.data() + text.size()) {
        ok_ = text.substr(0, Header.size()) == Header;
        if (ok_) at_ += Header.size();
    }
    bool ok() const { return ok_; }
    // Only the final line feed is left.
    bool Finished() const { return ok_ && end_ - at_ == 1 && *at_ == '\n'; }

    // Vectors of numbers and strings: a count of at most half the remaining bytes, as the archive
    // path allows; a count is read as an unsigned int at this library version.
    std::size_t Count() {
        unsigned int n = 0;
        if (!Integer(n) || n > Remaining() / 2) ok_ = false;
        return ok_ ? n : 0;
    }
    void Number(std::int32_t& value) { Integer(value); }
    void Number(double& value) {
        if (!Separator()) return;
        const auto [next, error] = std::from_chars(at_, end_, value, std::chars_format::scientific);
        // What strtod and from_chars might round or report differently stays with the archive path.
        if (error != std::errc() || next == at_ || !std::isfinite(value) || (value != 0 && !std::isnormal(value))) {
            ok_ = false;
            return;
        }
        at_ = next;
    }
    void String(std::string& s) {
        std::size_t size = 0;
        if (!Integer(size)) return;
        if (at_ == end_ || *at_ != ' ' || size >= Remaining()) {
            ok_ = false;
            return;
        }
        ++at_;
        s.assign(at_, size);
        at_ += size;
    }
    // A class's tracking level and version before its first object: "0 0", as Write puts them.
    void First_of_class(bool& seen) {
        if (seen || !ok_) return;
        seen = true;
        unsigned int tracking = 1, version = 1;
        if (!Integer(tracking) || !Integer(version) || tracking != 0 || version != 0) ok_ = false;
    }

private:
    std::size_t Remaining() const { return static_cast<std::size_t>(end_ - at_); }
    // The space before every token but the first, which follows the header's own space.
    bool Separator() {
        if (!ok_) return false;
        if (started_) {
            if (at_ == end_ || *at_ != ' ') return ok_ = false;
            ++at_;
        }
        started_ = true;
        return true;
    }
    template <class T>
    bool Integer(T& value) {
        if (!Separator()) return false;
        const auto [next, error] = std::from_chars(at_, end_, value);
        if (error != std::errc() || next == at_) return ok_ = false;
        at_ = next;
        return true;
    }

    const char* at_;
    const char* end_;
    bool ok_ = false;
    bool started_ = false;
};

// Each collection is sized once: its count was checked against the bytes that remain.
template <class Element, class Read_element>
void Read_vector(Reader& r, std::vector<Element>& v, Read_element read_element) {
    const std::size_t count = r.Count();
    v.clear();
    v.reserve(count);
    for (std::size_t i = 0; i < count && r.ok(); ++i) read_element(v.emplace_back());
}

}  // namespace

namespace Library_text {

std::optional<c_mlist> Read(std::string_view text) {
    Reader r(text);
    c_mlist library;
    VX_FileSystem_musiclist& m = library.musiclist;
    Classes_seen seen;
    r.First_of_class(seen.library);
    r.First_of_class(seen.musiclist);
    r.First_of_class(seen.albums);
    const std::size_t albums = r.Count();
    for (std::size_t i = 0; i < albums && r.ok(); ++i) {
        VX_FileSystem_cd& cd = m.cds.emplace_back();
        r.First_of_class(seen.album);
        r.String(cd.path);
        r.String(cd.name);
        r.String(cd.title);
        r.String(cd.artist);
        r.String(cd.cover);
        r.Number(cd.score);
        r.First_of_class(seen.songs);
        Read_vector(r, cd.songs, [&](VX_FileSystem_song& s) {
            r.First_of_class(seen.song);
            r.String(s.file_name);
            r.String(s.name);
            r.String(s.reserved1);
            r.String(s.reserved2);
            r.Number(s.rating);
        });
    }
    r.First_of_class(seen.index);
    r.First_of_class(seen.entries);
    Read_vector(r, m.lookup_table.start_chars, [&](VX_start_char_struct& e) {
        r.First_of_class(seen.entry);
        r.String(e.start_char);
        Read_vector(r, e.cd_indices, [&](std::int32_t& i) { r.Number(i); });
    });
    r.First_of_class(seen.references);
    Read_vector(r, m.random_list, [&](VX_song_reference& ref) {
        r.First_of_class(seen.reference);
        r.Number(ref.cd_index);
        r.Number(ref.song_index);
    });
    if (!r.Finished()) return std::nullopt;
    return library;
}

}  // namespace Library_text

// The library file "MusicDataBase.dat": a Boost.Serialization text archive of one c_mlist, header
// library version 3 (collections carry no item version), written by Library_text and read by it when
// it is in the form written, through the archive library otherwise. Reading checks every count and
// string length against the bytes that remain, so a corrupt file fails cleanly instead of allocating
// what it claims.
#include <algorithm>
#include <boost/archive/text_iarchive.hpp>
#include <boost/archive/text_oarchive.hpp>
#include <boost/serialization/collection_size_type.hpp>
#include <boost/serialization/collection_traits.hpp>
#include <boost/serialization/item_version_type.hpp>
#include <boost/serialization/split_free.hpp>
#include <exception>
#include <filesystem>
#include <future>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <streambuf>
#include <string_view>

#include "library/Library_text.h"
#include "library/VxDatabase.h"
#include "platform/dialogs.h"
#include "platform/files.h"
#include "platform/heap_warming.h"
#include "platform/process.h"
#include "settings/Atomic_file.h"
#include "settings/VxRead.h"
#include "trace/VxTrace.h"

namespace {

// The header the jukebox writes: the signature as a length-prefixed string, then library version 3.
const char* const Header = "22 serialization::archive 3 ";
const char* const Signature_prefix = "22 serialization::archive ";

// The stream being read and its length, for the bounds checks (one load at a time, UI thread).
struct Load_context {
    std::istream* is = nullptr;
    std::streamoff size = 0;
    std::size_t Remaining() const {
        const std::streamoff at = is->tellg();
        return at < 0 || at > size ? 0 : static_cast<std::size_t>(size - at);
    }
};
Load_context g_load;

[[noreturn]] void Corrupt(const std::string& what) { throw std::runtime_error("corrupt library file: " + what); }

template <class Archive>
void Field(Archive& ar, std::string& s) {
    if constexpr (Archive::is_saving::value) {
        ar << s;
    } else {
        // As the archive reads a string, with the length checked before anything is allocated.
        std::size_t size = 0;
        ar >> size;
        std::istream& is = *g_load.is;
        if (size >= g_load.Remaining()) Corrupt("string longer than the rest of the file");
        is.get();
        s.resize(size);
        if (size > 0) is.read(s.data(), static_cast<std::streamsize>(size));
        if (!is) Corrupt("string cut short");
    }
}

template <class Archive, class T>
void Field(Archive& ar, T& value) {
    ar& value;
}

// Collections: the count (and, from library version 4 on, an item version), then the elements.
template <class Archive, class C>
void Save_collection(Archive& ar, const C& c) {
    const boost::serialization::collection_size_type count(c.size());
    ar << count;
    for (const auto& e : c) ar << e;
}

template <class Archive, class C>
void Load_collection(Archive& ar, C& c) {
    boost::serialization::collection_size_type count;
    ar >> count;
    if (ar.get_library_version() > boost::archive::library_version_type(3)) {
        boost::serialization::item_version_type item_version(0);
        ar >> item_version;
    }
    // Every element takes at least one token and its separator.
    if (static_cast<std::size_t>(count) > g_load.Remaining() / 2) Corrupt("element count beyond the rest of the file");
    c.clear();
    // Room for the usual lengths at once (an album's songs, the index, the random list); a count
    // above that grows as it reads, so a file that lies about it never costs more than its bytes.
    if constexpr (requires { c.reserve(count); }) c.reserve(std::min<std::size_t>(count, 1 << 16));
    for (std::size_t i = 0; i < count; ++i) {
        c.emplace_back();
        ar >> c.back();
    }
}

}  // namespace

// Vectors of plain numbers carry no class information, as in the archive library's own collections.
BOOST_SERIALIZATION_COLLECTION_TRAITS(std::vector)

namespace boost::serialization {

template <class Archive, class T>
void save(Archive& ar, const std::vector<T>& v, unsigned) {
    Save_collection(ar, v);
}
template <class Archive, class T>
void load(Archive& ar, std::vector<T>& v, unsigned) {
    Load_collection(ar, v);
}
template <class Archive, class T>
void serialize(Archive& ar, std::vector<T>& v, unsigned version) {
    split_free(ar, v, version);
}

template <class Archive, class T>
void save(Archive& ar, const std::deque<T>& v, unsigned) {
    Save_collection(ar, v);
}
template <class Archive, class T>
void load(Archive& ar, std::deque<T>& v, unsigned) {
    Load_collection(ar, v);
}
template <class Archive, class T>
void serialize(Archive& ar, std::deque<T>& v, unsigned version) {
    split_free(ar, v, version);
}

template <class Archive>
void serialize(Archive& ar, VX_FileSystem_song& s, unsigned) {
    Field(ar, s.file_name);
    Field(ar, s.name);
    Field(ar, s.reserved1);
    Field(ar, s.reserved2);
    Field(ar, s.rating);
}

template <class Archive>
void serialize(Archive& ar, VX_FileSystem_cd& cd, unsigned) {
    Field(ar, cd.path);
    Field(ar, cd.name);
    Field(ar, cd.title);
    Field(ar, cd.artist);
    Field(ar, cd.cover);
    Field(ar, cd.score);
    Field(ar, cd.songs);
}

template <class Archive>
void serialize(Archive& ar, VX_song_reference& r, unsigned) {
    Field(ar, r.cd_index);
    Field(ar, r.song_index);
}

template <class Archive>
void serialize(Archive& ar, VX_start_char_struct& e, unsigned) {
    Field(ar, e.start_char);
    Field(ar, e.cd_indices);
}

template <class Archive>
void serialize(Archive& ar, VX_lookup_table_struct& t, unsigned) {
    Field(ar, t.start_chars);
}

template <class Archive>
void serialize(Archive& ar, VX_FileSystem_musiclist& m, unsigned) {
    Field(ar, m.cds);
    Field(ar, m.lookup_table);
    Field(ar, m.random_list);
}

template <class Archive>
void serialize(Archive& ar, c_mlist& u, unsigned) {
    Field(ar, u.musiclist);
}

}  // namespace boost::serialization

namespace {

// Positions in a well-formed file point at albums and songs that exist; every album has a song.
void Check_positions(const VX_FileSystem_musiclist& m) {
    const auto nof_cds = static_cast<long long>(m.cds.size());
    for (const auto& cd : m.cds)
        if (cd.songs.empty()) Corrupt("album without songs");
    for (const auto& e : m.lookup_table.start_chars)
        for (auto i : e.cd_indices)
            if (i < 0 || i >= nof_cds) Corrupt("index entry names no album");
    for (const auto& r : m.random_list) {
        if (r.cd_index < 0 || r.cd_index >= nof_cds) Corrupt("random entry names no album");
        const auto& songs = m.cds[static_cast<std::size_t>(r.cd_index)].songs;
        if (r.song_index < 0 || r.song_index >= static_cast<long long>(songs.size()))
            Corrupt("random entry names no song");
    }
}

// The file's bytes as a stream for the archive library, read in place: no copy of the text.
class Bytes_buffer : public std::streambuf {
public:
    explicit Bytes_buffer(std::string_view bytes) {
        char* begin = const_cast<char*>(bytes.data());  // the get area is only read
        setg(begin, begin, begin + bytes.size());
    }

protected:
    // Where the reading stands (tellg), and moves within the bytes; nothing else is positioned.
    pos_type seekoff(off_type off, std::ios_base::seekdir dir, std::ios_base::openmode which) override {
        if (!(which & std::ios_base::in)) return pos_type(off_type(-1));
        const off_type base = dir == std::ios_base::beg   ? 0
                              : dir == std::ios_base::cur ? gptr() - eback()
                                                          : egptr() - eback();
        const off_type to = base + off;
        if (to < 0 || to > egptr() - eback()) return pos_type(off_type(-1));
        setg(eback(), eback() + to, egptr());
        return pos_type(to);
    }
    pos_type seekpos(pos_type pos, std::ios_base::openmode which) override {
        return seekoff(off_type(pos), std::ios_base::beg, which);
    }
};

}  // namespace

namespace Library_text {

std::string Through_archive(const c_mlist& library) {
    std::ostringstream os;
    os << Header;
    {
        boost::archive::text_oarchive archive(os, boost::archive::no_header);
        archive << library;
    }
    return os.str();
}

c_mlist Read_through_archive(std::string_view text) {
    Bytes_buffer buffer(text);
    std::istream is(&buffer);
    c_mlist loaded;
    g_load = Load_context{&is, static_cast<std::streamoff>(text.size())};
    try {
        boost::archive::text_iarchive archive(is);
        archive >> loaded;
    } catch (...) {
        g_load = Load_context{};
        throw;
    }
    g_load = Load_context{};
    return loaded;
}

}  // namespace Library_text

void VxDatabase::Save() {
    VxTraceScope scope("DB::Save");
    // A failed write leaves the previous file whole; it is recorded, not shown.
    if (!Atomic_file::Write(File_name, Library_text::Write(mlist_)))
        VxTrace::Instance().Write_error(std::string("DB::Save : could not write '") + File_name + "'");
}

namespace {

// Whether the heap is put in place ahead of the content (Platform::Heap_warming): on the reading
// thread of Preload, whose arena holds nothing else yet, it spares the start's critical path the page
// faults of the content; on a thread with a heap of its own in use (the UI thread's Load) the freed
// run is left among that thread's other blocks and made the start-up's later steps slower.
enum class Warm_heap { no, yes };

// The whole file read and checked; throws std::exception when it is corrupt or cannot be read.
c_mlist Read_file(const std::string& path, Warm_heap warm = Warm_heap::no) {
    const Platform::File_bytes bytes = Platform::File_bytes::Read(path);
    if (!bytes.Ok()) Corrupt("cannot be read");
    const std::string_view text = bytes.View();
    // The archive library would allocate the signature's claimed length before checking it.
    if (text.substr(0, std::char_traits<char>::length(Signature_prefix)) != Signature_prefix)
        Corrupt("no archive signature");
    // The content takes about three bytes of heap for each byte of the file, in tens of thousands of
    // small blocks: their memory is put in place at once rather than page by page as they are made.
    std::optional<Platform::Heap_warming> warming;
    if (warm == Warm_heap::yes) warming.emplace(text.size() * 3);
    // The form this program writes is read directly; any other goes through the archive library.
    std::optional<c_mlist> loaded = Library_text::Read(text);
    if (!loaded) loaded = Library_text::Read_through_archive(text);
    Check_positions(loaded->musiclist);
    return std::move(*loaded);
}

// What tells one library file from the next: a save renames a new file over the old one.
struct File_identity {
    std::uintmax_t size = 0;
    std::filesystem::file_time_type time{};
    bool operator==(const File_identity&) const = default;
};

std::optional<File_identity> Identity(const std::string& path) {
    std::error_code size_error, time_error;
    File_identity id{std::filesystem::file_size(path, size_error), std::filesystem::last_write_time(path, time_error)};
    if (size_error || time_error) return std::nullopt;
    return id;
}

// A file read ahead by Preload: its identity before the read, and the content or the error.
struct Preloaded {
    std::optional<File_identity> identity;
    c_mlist content;
    std::exception_ptr error;
};
// Started and taken on the user-interface thread; the read itself runs on the future's thread, and
// Read_file's bounds context is never used by two reads at once (Load waits for this one first).
std::future<Preloaded> g_preload;

}  // namespace

void VxDatabase::Preload() {
    if (g_preload.valid()) return;
    const std::string path = File_name;
    g_preload = std::async(std::launch::async, [path] {
        Preloaded p;
        p.identity = Identity(path);
        if (!p.identity) return p;
        try {
            p.content = Read_file(path, Warm_heap::yes);
        } catch (...) {
            p.error = std::current_exception();
        }
        return p;
    });
}

void VxDatabase::Load() {
    VxTraceScope scope("DB::Load");
    std::optional<Preloaded> preloaded;
    if (g_preload.valid()) preloaded = g_preload.get();
    if (!VxRead::Instance().File_exists(File_name)) {
        Platform::Message_box("VxDatabase", std::string("Error : '") + File_name + "' Not Found");
        Platform::Exit_process(0);
    }
    // The file read ahead counts only while it is still the file there.
    if (preloaded && preloaded->identity && preloaded->identity == Identity(File_name)) {
        if (preloaded->error) std::rethrow_exception(preloaded->error);
        mlist_ = std::move(preloaded->content);
        return;
    }
    mlist_ = Read_file(File_name);
}

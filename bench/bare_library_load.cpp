// What a developer would write to read the library file without the jukebox: its records declared
// again with the archive library's own containers, one text_iarchive, nothing checked, nothing traced.
// startup_bench runs it as a whole process (exec to exit) as the reference a start-up is held to.
// Usage: bare_library_load FILE   (prints the number of albums; exit 1 when the file cannot be read)
#include <boost/archive/text_iarchive.hpp>
#include <boost/serialization/deque.hpp>
#include <boost/serialization/string.hpp>
#include <boost/serialization/vector.hpp>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <exception>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Song {
    std::string file_name, name, reserved1, reserved2;
    std::int32_t rating = -1;
    template <class Archive>
    void serialize(Archive& ar, unsigned) {
        ar& file_name& name& reserved1& reserved2& rating;
    }
};

struct Album {
    std::string path, name, title, artist, cover;
    double score = 0;
    std::vector<Song> songs;
    template <class Archive>
    void serialize(Archive& ar, unsigned) {
        ar& path& name& title& artist& cover& score& songs;
    }
};

struct Song_reference {
    std::int32_t cd_index = 0, song_index = 0;
    template <class Archive>
    void serialize(Archive& ar, unsigned) {
        ar& cd_index& song_index;
    }
};

struct Start_char {
    std::string start_char;
    std::vector<std::int32_t> cd_indices;
    template <class Archive>
    void serialize(Archive& ar, unsigned) {
        ar& start_char& cd_indices;
    }
};

struct Lookup_table {
    std::vector<Start_char> start_chars;
    template <class Archive>
    void serialize(Archive& ar, unsigned) {
        ar& start_chars;
    }
};

struct Music_list {
    std::deque<Album> cds;
    Lookup_table lookup_table;
    std::vector<Song_reference> random_list;
    template <class Archive>
    void serialize(Archive& ar, unsigned) {
        ar& cds& lookup_table& random_list;
    }
};

struct Library {
    Music_list musiclist;
    template <class Archive>
    void serialize(Archive& ar, unsigned) {
        ar& musiclist;
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: bare_library_load FILE\n");
        return 2;
    }
    try {
        std::ifstream file(argv[1], std::ios::binary);
        boost::archive::text_iarchive archive(file);
        Library library;
        archive >> library;
        std::printf("%zu\n", library.musiclist.cds.size());
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "bare_library_load: %s\n", e.what());
        return 1;
    }
}

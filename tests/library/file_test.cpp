// The library file: the archive layout, round trips, the atomic replacement, and corrupt files
// that must fail cleanly without touching the library in memory.
#include <gtest/gtest.h>

#include <climits>
#include <limits>
#include <optional>
#include <random>
#include <sstream>

#include "library/Library_listing.h"
#include "library/Library_text.h"
#include "library/VxDatabase.h"
#include "settings/Atomic_file.h"
#include "tests/library/library_fixture.h"

using Library_test::Jukebox;

namespace {

VX_FileSystem_musiclist Small_library() {
    VX_FileSystem_musiclist m;
    VX_FileSystem_cd cd;
    cd.path = "p/";
    cd.name = "n";
    cd.title = "t";
    cd.artist = "a";
    cd.score = 2.25;
    VX_FileSystem_song song;
    song.file_name = "f.mp3";
    song.name = "s";
    cd.songs.push_back(song);
    m.cds.push_back(cd);
    m.lookup_table.start_chars.push_back({"A", {0}});
    m.random_list.push_back({0, 0});
    return m;
}

std::string Listing() {
    std::ostringstream out;
    Write_library_listing(out);
    return out.str();
}

// Load must throw and leave the library as it was.
void Expect_rejected(const std::string& content) {
    VxDatabase& db = VxDatabase::Instance();
    const std::string before = Listing();
    TestSupport::Write_file(VxDatabase::File_name, content);
    EXPECT_ANY_THROW(db.Load()) << content.substr(0, 200);
    EXPECT_EQ(Listing(), before);
}

}  // namespace

TEST(LibraryFile, ArchiveLayoutIsVersionThreeWithClassInfoOncePerType) {
    Jukebox jb;
    VxDatabase& db = VxDatabase::Instance();
    db.Set_musiclist(Small_library());
    db.Save();
    EXPECT_EQ(TestSupport::Read_file(VxDatabase::File_name),
              "22 serialization::archive 3 0 0 0 0 0 0 1 0 0 2 p/ 1 n 1 t 1 a 0  2.25000000000000000e+00 0 0 1 0 0 5 "
              "f.mp3 1 s 0  0  -1 "
              "0 0 0 0 1 0 0 1 A 1 0 0 0 1 0 0 0 0\n");
}

// The file's bytes are the archive library's: an album without songs before the first one with songs
// (the song's class information comes with the first song, wherever it stands), empty and odd strings,
// every kind of double, the extreme ratings, an index entry without albums, and the empty library.
TEST(LibraryFile, WrittenTextIsTheArchiveLibrarysText) {
    std::vector<c_mlist> libraries(1);  // the empty one first
    c_mlist odd;
    VX_FileSystem_cd empty_album;
    empty_album.path = "no songs/";
    odd.musiclist.cds.push_back(empty_album);
    const double scores[] = {0.0,
                             -0.0,
                             0.1 + 0.2,
                             1.25e-300,
                             4.9e-324,
                             1.7976931348623157e308,
                             std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity(),
                             std::numeric_limits<double>::quiet_NaN(),
                             -3.5};
    std::mt19937 random(7);
    for (const double score : scores) {
        VX_FileSystem_cd cd;
        cd.path = "Artist - Title " + std::to_string(random() % 1000) + "/";
        cd.name = std::string(1 + random() % 300, 'n');
        cd.title = "two\nlines and  spaces ";
        cd.artist = " Caf\xc3\xa9 \xe9";
        cd.score = score;
        for (int s = 0; s < static_cast<int>(random() % 4); ++s) {
            VX_FileSystem_song song;
            song.file_name = std::to_string(s) + " - song.mp3";
            song.name = s % 2 ? "" : " name";
            song.reserved2 = s == 2 ? "kept" : "";
            song.rating = s == 0 ? INT32_MIN : (s == 1 ? INT32_MAX : -1);
            cd.songs.push_back(song);
        }
        odd.musiclist.cds.push_back(cd);
    }
    odd.musiclist.lookup_table.start_chars = {{"A", {0, 3, 2}}, {"", {}}, {"9", {10}}};
    odd.musiclist.random_list = {{0, 0}, {INT32_MAX, -1}};
    libraries.push_back(odd);
    c_mlist only_index;
    only_index.musiclist.lookup_table.start_chars = {{"B", {}}};
    libraries.push_back(only_index);
    for (const c_mlist& library : libraries)
        EXPECT_EQ(Library_text::Write(library), Library_text::Through_archive(library));
}

namespace {

// Libraries of every shape the direct reading must take as the archive library does: albums with and
// without songs (the song's class information follows the first song), empty and long strings, signs
// and extremes of every number, index entries without albums.
std::vector<c_mlist> Shapes() {
    std::vector<c_mlist> shapes(1);  // the empty library
    c_mlist small;
    small.musiclist = Small_library();
    shapes.push_back(small);
    c_mlist odd;
    VX_FileSystem_cd empty_album;
    empty_album.path = "no songs/";
    odd.musiclist.cds.push_back(empty_album);
    std::mt19937 random(11);
    for (const double score : {0.0, -0.0, 0.1 + 0.2, 1.25e-300, 1.7976931348623157e308, -3.5, 123456.789}) {
        VX_FileSystem_cd cd;
        cd.path = "Artist - Title " + std::to_string(random() % 1000) + "/";
        cd.name = std::string(1 + random() % 300, 'n');
        cd.title = "two\nlines and  spaces ";
        cd.artist = " Caf\xc3\xa9 \xe9";
        cd.cover = random() % 2 ? "" : "front 1.jpg";
        cd.score = score;
        for (int s = 0; s < static_cast<int>(random() % 4); ++s) {
            VX_FileSystem_song song;
            song.file_name = std::to_string(s) + " - song.mp3";
            song.name = s % 2 ? "" : " name ";
            song.reserved1 = s == 1 ? "1 2 3" : "";
            song.rating = s == 0 ? INT32_MIN : (s == 1 ? INT32_MAX : -1);
            cd.songs.push_back(song);
        }
        odd.musiclist.cds.push_back(cd);
    }
    odd.musiclist.lookup_table.start_chars = {{"A", {0, 3, 2}}, {"", {}}, {"9", {7, -1}}};
    odd.musiclist.random_list = {{0, 0}, {INT32_MAX, INT32_MIN}};
    shapes.push_back(odd);
    c_mlist only_index;
    only_index.musiclist.lookup_table.start_chars = {{"B", {}}};
    shapes.push_back(only_index);
    return shapes;
}

// Two readings agree when they write the same text: every field is in it.
std::string Written(const c_mlist& library) { return Library_text::Write(library); }

}  // namespace

// What this program writes is read without the archive library, to the content the archive library
// reads from it.
TEST(LibraryFileReading, TheWrittenFormIsReadDirectlyAsTheArchiveLibraryReadsIt) {
    for (const c_mlist& library : Shapes()) {
        const std::string text = Library_text::Write(library);
        const std::optional<c_mlist> direct = Library_text::Read(text);
        ASSERT_TRUE(direct.has_value()) << text.substr(0, 300);
        EXPECT_EQ(Written(*direct), text);
        EXPECT_EQ(Written(Library_text::Read_through_archive(text)), text);
    }
}

// Forms the archive library reads but this program does not write are left to it, and Load still
// reads them: a later archive version, other whitespace between tokens, a double spelled otherwise,
// another class version, bytes after the end, no final line feed.
TEST(LibraryFileReading, OtherFormsAreLeftToTheArchiveLibrary) {
    Jukebox jb;
    const std::string good = Library_text::Write(c_mlist{Small_library()});
    ASSERT_EQ(good.substr(good.size() - 5), " 0 0\n");
    auto with = [&](const std::string& from, const std::string& to) {
        std::string text = good;
        const std::size_t at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        return text.replace(at, from.size(), to);
    };
    c_mlist infinite{Small_library()};
    infinite.musiclist.cds[0].score = std::numeric_limits<double>::infinity();
    const std::vector<std::string> others = {
        "22 serialization::archive 17 0 0 0 0 0 0 1 0 0 0 2 p/ 1 n 1 t 1 a 0  2.25 0 0 1 0 0 0 5 "
        "f.mp3 1 s 0  0  -1 0 0 0 0 1 0 0 0 1 A 1 0 0 0 0 1 0 0 0 0 0\n",
        with(" 1 0 0 2 p/", "\n1\t0 0 2 p/"),
        with(" 2.25000000000000000e+00", " 2.25"),
        with(" 2.25000000000000000e+00", "  2.25000000000000000e+00"),
        with("3 0 0 0 0 0 0 1", "3 0 1 0 0 0 0 1"),
        good + "trailing bytes",
        good.substr(0, good.size() - 1),
    };
    for (const std::string& text : others) {
        EXPECT_FALSE(Library_text::Read(text).has_value()) << text;
        TestSupport::Write_file(VxDatabase::File_name, text);
        VxDatabase::Instance().Clear();
        EXPECT_NO_THROW(VxDatabase::Instance().Load()) << text;
        EXPECT_EQ(VxDatabase::Instance().Get_song_file(0, 0), "f.mp3") << text;
    }
    // Not even the archive library reads what is written for an infinite score; the direct reading
    // leaves it to it all the same.
    EXPECT_FALSE(Library_text::Read(Library_text::Write(infinite)).has_value());
}

// Whatever the direct reading accepts of damaged texts (a byte changed, dropped or added, anywhere),
// the archive library reads to the same content; what it refuses is the archive library's to judge.
TEST(LibraryFileReading, WhatTheDirectReadingAcceptsTheArchiveLibraryReadsAlike) {
    const std::string good = Library_text::Write(Shapes()[2]);
    std::mt19937 random(3);
    const std::string bytes = " 0123456789-+.e\n\tx";
    int accepted = 0;
    for (int i = 0; i < 3000; ++i) {
        std::string text = good;
        const std::size_t at = random() % text.size();
        const char byte = bytes[random() % bytes.size()];
        switch (i % 3) {
            case 0:
                text[at] = byte;
                break;
            case 1:
                text.erase(at, 1);
                break;
            default:
                text.insert(at, 1, byte);
                break;
        }
        const std::optional<c_mlist> direct = Library_text::Read(text);
        if (!direct) continue;
        ++accepted;
        c_mlist through;
        ASSERT_NO_THROW(through = Library_text::Read_through_archive(text)) << text;
        EXPECT_EQ(Written(*direct), Written(through)) << text;
    }
    EXPECT_GT(accepted, 50);  // changes inside strings and digits keep the form
}

TEST(LibraryFile, RoundTripKeepsEverything) {
    Jukebox jb;
    VxDatabase& db = VxDatabase::Instance();
    VX_FileSystem_musiclist m = Small_library();
    VX_FileSystem_cd odd = m.cds[0];
    odd.name = "";
    odd.artist = " Caf\xc3\xa9 - \xe9t\xe9 ";
    odd.title = "two\nlines and  spaces";
    odd.cover = "front cover.jpg";
    odd.score = 0.1 + 0.2;  // needs all 17 digits
    odd.songs[0].rating = 100;
    odd.songs.push_back(odd.songs[0]);
    odd.songs[1].name = "";
    odd.songs[1].reserved1 = "carried";
    m.cds.push_back(odd);
    m.lookup_table.start_chars.push_back({" ", {1, 0}});
    m.random_list.push_back({1, 1});
    db.Set_musiclist(m);
    const std::string before = Listing();
    db.Save();
    db.Clear();
    db.Load();
    EXPECT_EQ(Listing(), before);
    EXPECT_EQ(db.Get_cd_score(1), 0.1 + 0.2);
    EXPECT_EQ(db.Get_cd_score(0), 2.25);
    EXPECT_EQ(db.Get_song_rating(0, 0), -1);
    EXPECT_EQ(db.Musiclist().cds[1].songs[1].reserved1, "carried");
    EXPECT_EQ(db.Musiclist().cds[1].title, "two\nlines and  spaces");
}

TEST(LibraryFile, EmptyLibraryRoundTrip) {
    Jukebox jb;
    VxDatabase& db = VxDatabase::Instance();
    db.Save();
    db.Set_musiclist(Small_library());
    db.Load();
    EXPECT_EQ(db.Get_nof_cds(), 0);
    EXPECT_EQ(db.Get_nof_start_chars(), 0);
    EXPECT_EQ(db.Get_nof_random_songs(), 0);
}

TEST(LibraryFile, FilesWithItemVersionsOfLaterArchiveVersionsLoad) {
    Jukebox jb;
    // The same small library as the archive library itself writes it at version 17.
    TestSupport::Write_file(VxDatabase::File_name,
                            "22 serialization::archive 17 0 0 0 0 0 0 1 0 0 0 2 p/ 1 n 1 t 1 a 0  2.25 0 0 1 0 0 0 5 "
                            "f.mp3 1 s 0  0  -1 0 0 0 0 1 0 0 0 1 A 1 0 0 0 0 1 0 0 0 0 0\n");
    VxDatabase& db = VxDatabase::Instance();
    db.Load();
    ASSERT_EQ(db.Get_nof_cds(), 1);
    EXPECT_EQ(db.Get_song_file(0, 0), "f.mp3");
    EXPECT_EQ(db.Get_start_char_cds(0), std::vector<std::int32_t>{0});
    EXPECT_EQ(db.Get_nof_random_songs(), 1);
}

TEST(LibraryFile, FailedSaveLeavesTheOldFileWhole) {
    Jukebox jb;
    VxDatabase& db = VxDatabase::Instance();
    db.Set_musiclist(Small_library());
    db.Save();
    const std::string old_file = TestSupport::Read_file(VxDatabase::File_name);
    db.Clear();
    for (auto fault : {Atomic_file::Fault::write, Atomic_file::Fault::sync, Atomic_file::Fault::rename}) {
        Atomic_file::Inject_fault(fault);
        db.Save();
        Atomic_file::Inject_fault(Atomic_file::Fault::none);
        EXPECT_EQ(TestSupport::Read_file(VxDatabase::File_name), old_file);
    }
    for (const auto& name : Library_test::Listing(".")) EXPECT_EQ(name.find(".tmp"), std::string::npos) << name;
    EXPECT_NE(TestSupport::Read_trace("error.txt").find("DB::Save : could not write 'MusicDataBase.dat'"),
              std::string::npos);
}

TEST(LibraryFile, CorruptFilesFailWithoutHarm) {
    Jukebox jb;
    VxDatabase& db = VxDatabase::Instance();
    db.Set_musiclist(Small_library());
    db.Save();
    const std::string good = TestSupport::Read_file(VxDatabase::File_name);

    Expect_rejected("");
    Expect_rejected("hello world");
    Expect_rejected("99999999999999 serialization::archive 3 0 0");
    Expect_rejected("22 serialization::archive 99 0 0 0 0 0 0 0 0 0 0 0");
    std::mt19937 gen(5);
    for (int i = 0; i < 20; ++i) {
        std::string noise(200, '\0');
        for (char& c : noise) c = static_cast<char>(gen());
        Expect_rejected(noise);
        Expect_rejected("22 serialization::archive 3 " + noise);
    }
    // Counts and lengths of billions are refused before anything is allocated.
    Expect_rejected("22 serialization::archive 3 0 0 0 0 0 0 4000000000 0 0 2 p/");
    Expect_rejected("22 serialization::archive 3 0 0 0 0 0 0 18446744073709551615 0 0");
    Expect_rejected("22 serialization::archive 3 0 0 0 0 0 0 1 0 0 4000000000 p/");
    Expect_rejected("22 serialization::archive 3 0 0 0 0 0 0 1 0 0 -1 p/");
    // A well-formed file whose positions name albums or songs that do not exist.
    std::string bad_random = good;
    bad_random.replace(bad_random.rfind("1 0 0 0 0"), 9, "1 0 0 3 0");
    Expect_rejected(bad_random);
    // Every truncation of a good file either fails or loads the whole library.
    for (std::size_t n = 0; n + 1 < good.size(); ++n) {
        TestSupport::Write_file(VxDatabase::File_name, good.substr(0, n));
        db.Set_musiclist(Small_library());
        try {
            db.Load();
            ADD_FAILURE() << "truncated at " << n << " loaded";
        } catch (const std::exception&) {
            EXPECT_EQ(db.Get_nof_cds(), 1);
        }
    }
}

TEST(LibraryFileDeathTest, MissingFileEndsTheProgram) {
    Jukebox jb;
    EXPECT_EXIT(VxDatabase::Instance().Load(), testing::ExitedWithCode(0), "");
}

// The library file read ahead: Load takes the reading only while the file is the one read, and a
// corrupt file fails the Load as it does without reading ahead, leaving the library as it was.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <sstream>

#include "library/Library_listing.h"
#include "library/VxDatabase.h"
#include "tests/library/library_fixture.h"

using Library_test::Jukebox;

namespace {

VX_FileSystem_musiclist Library_of(const std::string& album) {
    VX_FileSystem_musiclist m;
    VX_FileSystem_cd cd;
    cd.path = album + "/";
    cd.name = cd.title = cd.artist = album;
    VX_FileSystem_song song;
    song.file_name = "01 - one.mp3";
    song.name = "one";
    cd.songs.push_back(song);
    m.cds.push_back(cd);
    m.lookup_table = Build_lookup_table(m.cds);
    return m;
}

std::string Listing() {
    std::ostringstream out;
    Write_library_listing(out);
    return out.str();
}

}  // namespace

TEST(LibraryPreload, LoadTakesTheReadingOfTheFileThatIsStillThere) {
    Jukebox jb;
    VxDatabase& db = VxDatabase::Instance();
    db.Set_musiclist(Library_of("First"));
    db.Save();
    const std::string first = Listing();
    db.Clear();
    db.Preload();
    db.Load();
    EXPECT_EQ(Listing(), first);

    // Replaced after the reading began: the new file counts.
    db.Set_musiclist(Library_of("Second and longer"));
    db.Save();
    const std::string second = Listing();
    db.Set_musiclist(Library_of("First"));
    db.Save();
    db.Preload();
    db.Set_musiclist(Library_of("Second and longer"));
    db.Save();
    db.Clear();
    db.Load();
    EXPECT_EQ(Listing(), second);

    // A reading is taken once: the next Load reads the file again.
    db.Clear();
    db.Load();
    EXPECT_EQ(Listing(), second);
}

TEST(LibraryPreload, CorruptFileFailsTheLoadAndKeepsTheLibrary) {
    Jukebox jb;
    VxDatabase& db = VxDatabase::Instance();
    db.Set_musiclist(Library_of("Kept"));
    const std::string kept = Listing();
    TestSupport::Write_file(VxDatabase::File_name, "22 serialization::archive 3 0 0 0 0 9999999 0");
    db.Preload();
    EXPECT_ANY_THROW(db.Load());
    EXPECT_EQ(Listing(), kept);
    // Not an archive at all: the reading's error is the Load's too.
    TestSupport::Write_file(VxDatabase::File_name, "not an archive");
    db.Preload();
    EXPECT_ANY_THROW(db.Load());
    EXPECT_EQ(Listing(), kept);
}

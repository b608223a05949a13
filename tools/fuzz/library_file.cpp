// Fuzzes the library file: the input becomes "MusicDataBase.dat" and VxDatabase::Load reads it. A corrupt
// file must end in a std::exception (all that start-up catches); a file that loads must save and load again.
#include <cstdint>
#include <exception>
#include <ostream>
#include <streambuf>
#include <string>

#include "library/Library_listing.h"
#include "library/Library_text.h"
#include "library/VxDatabase.h"
#include "platform/dialogs.h"
#include "settings/CIniFile.h"
#include "settings/VxRead.h"
#include "tools/fuzz/Fuzz_scratch.h"

namespace {

// The settings object is built before the first input is written: its first start has no stored
// digest yet and deletes the library file.
void Start_jukebox() {
    const std::string home = Fuzz_scratch::Enter();
    Platform::Set_headless(true);
    const std::string ini = VxRead::File_name;
    CIniFile::Create_file(ini);
    CIniFile::Set_value("MusicFolder", home, "MUSIC LOCATION", ini);
    // Trace markers on every Load would cost more than the parsing itself.
    CIniFile::Set_value("UseLogging", "no", "SYSTEM SETTINGS", ini);
    VxRead::Instance();
    Install_trace_logging_switch();
}

struct Null_buffer : std::streambuf {
    int overflow(int c) override { return c; }
};

// What the browse, search and rating modes do with a library they were handed.
void Use_library(VxDatabase& db) {
    Null_buffer sink;
    std::ostream out(&sink);
    Write_library_listing(out);
    for (int i = 0; i < db.Get_nof_start_chars(); ++i)
        for (auto c : db.Get_start_char_cds(i)) db.Get_cd_cached_cover(c);
    const int albums = db.Get_nof_cds();
    for (int c = 0; c < albums && c < 64; ++c) db.Resort_cd_in_index(c);
    if (auto song = db.Get_random_song()) db.Get_song_path(song->cd_index, song->song_index);
    db.Find_cds_starting_with("A");
}

// A library the jukebox saved must come back the same at its next start; otherwise that start
// throws the library away and scans the music folder again.
void Expect_saved_library_reloads(VxDatabase& db) {
    db.Save();
    const std::string saved = Fuzz_scratch::Read(VxDatabase::File_name);
    // The file is written directly, not through the archive library: its bytes must still be the library's.
    const std::string archived = Library_text::Through_archive(c_mlist{db.Musiclist()});
    if (saved != archived)
        Fuzz_scratch::Fail("the saved library is not the archive library's text:\n" + Fuzz_scratch::Printable(saved) +
                           "\n" + Fuzz_scratch::Printable(archived));
    db.Clear();
    try {
        db.Load();
    } catch (const std::exception& e) {
        Fuzz_scratch::Fail(std::string("the saved library does not load again: ") + e.what() +
                           "\nsaved: " + Fuzz_scratch::Printable(saved));
    }
    db.Save();
    const std::string again = Fuzz_scratch::Read(VxDatabase::File_name);
    if (again != saved)
        Fuzz_scratch::Fail("the saved library changed on reloading:\n" + Fuzz_scratch::Printable(saved) + "\n" +
                           Fuzz_scratch::Printable(again));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    Fuzz_scratch::Enter(argc, argv);
    Start_jukebox();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    VxDatabase& db = VxDatabase::Instance();
    db.Clear();
    Fuzz_scratch::Write(VxDatabase::File_name, data, size);
    try {
        db.Load();
    } catch (const std::exception&) {
        if (db.Get_nof_cds() != 0 || db.Get_nof_random_songs() != 0 || db.Get_nof_start_chars() != 0)
            Fuzz_scratch::Fail("a refused library file changed the library in memory");
        return 0;
    }
    Use_library(db);
    Expect_saved_library_reloads(db);
    return 0;
}

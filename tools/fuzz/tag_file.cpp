// Fuzzes the reading of an album's "tavrix.tag" as the score pass and the rating mode do: the input is the
// tag file of a one-album library whose songs are named by the file's own sections (and one it lacks).
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "library/VxDatabase.h"
#include "library/VxRating.h"
#include "platform/dialogs.h"
#include "settings/CIniFile.h"
#include "settings/VxRead.h"
#include "tools/fuzz/Fuzz_scratch.h"

namespace {

constexpr std::size_t Most_songs = 12;
const std::string Missing_song = "99 - Not in the tag file.mp3";

std::string Album_folder() { return Fuzz_scratch::Enter() + "/Album/"; }
std::string Tag_path() { return Album_folder() + VxRating::Tag_file_name; }

void Start_jukebox() {
    const std::string home = Fuzz_scratch::Enter();
    Platform::Set_headless(true);
    std::filesystem::create_directories(Album_folder());
    const std::string ini = VxRead::File_name;
    CIniFile::Create_file(ini);
    CIniFile::Set_value("MusicFolder", home, "MUSIC LOCATION", ini);
    CIniFile::Set_value("UseLogging", "no", "SYSTEM SETTINGS", ini);
    VxRead::Instance();
    Install_trace_logging_switch();
}

// The library of one album whose songs are the first sections of the tag file, each once.
VX_FileSystem_musiclist One_album(const std::vector<IniRecord>& records) {
    VX_FileSystem_cd cd;
    cd.path = Album_folder();
    cd.name = cd.artist = "Album";
    std::vector<std::string> names;
    for (const IniRecord& r : records) {
        if (names.size() + 1 >= Most_songs) break;
        if (!r.section.empty() && std::find(names.begin(), names.end(), r.section) == names.end())
            names.push_back(r.section);
    }
    // A song the file does not name, unless the input named it too: an album folder holds each name once.
    if (std::find(names.begin(), names.end(), Missing_song) == names.end()) names.push_back(Missing_song);
    for (const std::string& name : names) cd.songs.push_back(VX_FileSystem_song{name, name, "", "", -1});
    VX_FileSystem_musiclist list;
    list.cds.push_back(cd);
    return list;
}

std::string Song(const VX_FileSystem_cd& cd, std::size_t s) {
    return "'" + Fuzz_scratch::Printable(cd.songs[s].file_name) + "'";
}

// The score pass reads the whole file once; the rating mode looks one song up. Both must see the same ratings,
// and the album's score must be the sum of their weights.
std::vector<int> Expect_both_readings_agree(const std::string& when) {
    VxDatabase& db = VxDatabase::Instance();
    VxRating& rating = VxRating::Instance();
    db.Determine_cd_scores();
    const VX_FileSystem_cd& cd = db.Musiclist().cds[0];
    std::vector<int> ratings;
    double sum = 0;
    for (std::size_t s = 0; s < cd.songs.size(); ++s) {
        const int single = rating.GetSongRating(0, static_cast<int>(s));
        if (single != cd.songs[s].rating)
            Fuzz_scratch::Fail(when + ": song " + Song(cd, s) + " has rating " + std::to_string(cd.songs[s].rating) +
                               " from the score pass but " + std::to_string(single) + " from a lookup");
        ratings.push_back(single);
        sum += VxRating::Weight(single);
    }
    if (cd.score != sum)
        Fuzz_scratch::Fail(when + ": album score " + std::to_string(cd.score) + " is not the sum of its weights " +
                           std::to_string(sum));
    return ratings;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    Fuzz_scratch::Enter(argc, argv);
    Start_jukebox();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Fuzz_scratch::Write(Tag_path(), data, size);
    std::vector<IniRecord> records;
    CIniFile::Load_file(Tag_path(), records);
    VxDatabase& db = VxDatabase::Instance();
    db.Set_musiclist(One_album(records));
    const std::vector<int> before = Expect_both_readings_agree("reading");

    // One rating through the rating mode's path: afterwards it reads back, and every other song keeps its own.
    const VX_FileSystem_cd& cd = db.Musiclist().cds[0];
    const std::size_t rated = size % cd.songs.size();
    const int value = 10 * static_cast<int>(1 + size % 10);
    if (!VxRating::Instance().SetSongRating(0, static_cast<int>(rated), value)) {
        // Refused only for a file too large to read (its ratings are not read either) and for a name with a
        // line break, which the INI engine cannot write as a section.
        const std::string& name = cd.songs[rated].file_name;
        if (size <= VxRating::Max_tag_file_size && name.find_first_of("\r\n") == std::string::npos)
            Fuzz_scratch::Fail("rating " + Song(cd, rated) + " could not be stored in the tag file");
        return 0;
    }
    const std::vector<int> after = Expect_both_readings_agree("after rating " + Song(cd, rated));
    for (std::size_t s = 0; s < after.size(); ++s) {
        const int expected = s == rated ? value : before[s];
        if (after[s] != expected)
            Fuzz_scratch::Fail("rating " + Song(cd, rated) + " " + std::to_string(value) + " left song " + Song(cd, s) +
                               " at " + std::to_string(after[s]) + " instead of " + std::to_string(expected) +
                               "\nfile: " + Fuzz_scratch::Printable(Fuzz_scratch::Read(Tag_path())));
    }
    return 0;
}

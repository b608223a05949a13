// Ratings through the tag files. Reading goes through CIniFile's record list so that one album's
// ratings cost one reading of its file; writing goes through CIniFile, which replaces the file atomically.
#include "library/VxRating.h"

#include <boost/filesystem.hpp>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "library/VxDatabase.h"
#include "library/VxDefs.h"
#include "settings/Atomic_file.h"
#include "settings/CIniFile.h"
#include "settings/VxRead.h"
#include "trace/VxTrace.h"

namespace fs = boost::filesystem;

namespace {
const char* const Rating_key = "rating";
}

VxRating& VxRating::Instance() {
    static VxRating* r = new VxRating();  // never destroyed before exit
    return *r;
}

void VxRating::Set_image_loader(Image_loader loader) { loader_ = std::move(loader); }

void VxRating::Init() {
    VxTraceScope scope("VxRating::Init");
    if (!loader_) return;
    const std::string folder = VxRead::Instance().Pics_folder();
    std::vector<std::string> paths;
    for (const char* name : Image_names) paths.push_back(folder + name);
    loader_(paths);
}

std::string VxRating::Tag_file(int c) const { return VxDatabase::Instance().Get_cd_path(c) + Tag_file_name; }

int VxRating::Parse_rating(const std::string& value) {
    if (value.empty()) return -1;
    errno = 0;
    const long n = std::strtol(value.c_str(), nullptr, 10);
    if (errno == ERANGE || n > INT_MAX) return n < 0 ? INT_MIN : INT_MAX;
    if (n < INT_MIN) return INT_MIN;
    return static_cast<int>(n);
}

bool VxRating::Tag_file_usable(const std::string& tag) {
    boost::system::error_code ec;
    const fs::file_status status = fs::status(tag, ec);
    if (status.type() == fs::file_not_found) return true;
    std::string reason;
    if (!fs::is_regular_file(status)) {
        reason = "is no file";
    } else {
        const auto size = fs::file_size(tag, ec);
        if (!ec && size <= Max_tag_file_size) return true;
        reason = ec ? "cannot be read" : "is larger than " + std::to_string(Max_tag_file_size) + " bytes";
    }
    refusal_ = reason;
    if (reported_.insert(tag + " " + reason).second)
        VxTrace::Instance().Write_error("VxRating : '" + tag + "' " + reason + "; its ratings are not used");
    return false;
}

int VxRating::GetSongRating(int c, int s) {
    const std::string file = VxDatabase::Instance().Get_song_file(c, s);
    const std::string tag = Tag_file(c);
    if (!Tag_file_usable(tag)) return -1;
    return Parse_rating(CIniFile::Get_value(Rating_key, file, tag));
}

double VxRating::GetSongWeight(int c, int s) { return Weight(GetSongRating(c, s)); }

std::vector<int> VxRating::Get_album_ratings(int c) {
    VxDatabase& db = VxDatabase::Instance();
    const auto& songs = db.Musiclist().cds[static_cast<std::size_t>(c)].songs;
    std::vector<int> ratings(songs.size(), -1);
    std::vector<IniRecord> records;
    const std::string tag = Tag_file(c);
    // Most albums have no tag file: one question then, not a second try at opening it.
    boost::system::error_code ec;
    if (fs::status(tag, ec).type() == fs::file_not_found) return ratings;
    if (!Tag_file_usable(tag) || !CIniFile::Load_file(tag, records)) return ratings;
    for (std::size_t j = 0; j < songs.size(); ++j) {
        // The first record of the song's section with the key answers, as a single lookup would.
        for (const IniRecord& r : records) {
            if (r.section == songs[j].file_name && r.key == Rating_key) {
                ratings[j] = Parse_rating(r.value);
                break;
            }
        }
    }
    return ratings;
}

bool VxRating::SetSongRating(int c, int s, int rating) {
    VxTraceScope scope("SetSongRating");
    const std::string tag = Tag_file(c);
    const std::string section = VxDatabase::Instance().Get_song_file(c, s);
    // A rating the tag file does not hold would be lost at the next rebuild: the song keeps its old one.
    // One write makes a missing file, its section and the key, so a crash leaves no half-made file.
    refusal_.clear();
    // A rating cut short by a crash left its temporary file here; the library's start never lists album
    // folders, so the next write to this one is where it goes.
    const std::string folder = VxDatabase::Instance().Get_cd_path(c);
    if (const int stale = Atomic_file::Remove_stale_temporaries(folder.empty() ? "." : folder); stale > 0)
        VxTrace::Instance().Write_error("Removed " + std::to_string(stale) + " stale temporary files in " + folder);
    if (Tag_file_usable(tag) &&
        CIniFile::Set_value(Rating_key, int_to_string(rating), section, tag, CIniFile::Missing_file::create)) {
        VxDatabase::Instance().Set_song_score_and_update_cd_score(c, s, rating);
        return true;
    }
    if (refusal_.empty()) refusal_ = "cannot be written";
    VxTrace::Instance().Write_error("SetSongRating : could not write '" + tag + "'");
    return false;
}

double VxRating::Weight(int r) {
    if (r >= 95 && r <= 100) return 1.25;
    if (r >= 70 && r <= 94) return 1.0;
    if (r >= 50 && r <= 69) return 0.25;
    return 0.0;
}

bool VxRating::Drawable(int r) { return r > 65 || r == -1; }

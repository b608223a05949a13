// Song ratings in the album folders' tag files ("tavrix.tag", one section per song file name, key
// "rating"). The tag file is the master copy of a rating; the song record mirrors it. UI thread only.
#pragma once

#include <array>
#include <functional>
#include <set>
#include <string>
#include <vector>

class VxRating {
public:
    static VxRating& Instance();

    static constexpr const char* Tag_file_name = "tavrix.tag";
    // A tag file larger than this is neither read nor rewritten: reading one costs many times its
    // size in memory, and a real one holds a few lines per song.
    static constexpr unsigned long long Max_tag_file_size = 1u << 20;
    // The rating images, in the order Init loads them.
    static constexpr std::array<const char*, 5> Image_names = {"IMAGE_gold.jpg", "IMAGE_green.jpg", "IMAGE_orange.jpg",
                                                               "IMAGE_red.jpg", "IMAGE_black.jpg"};

    // The display loads the images; until it installs its loader, Init only writes its markers.
    using Image_loader = std::function<void(const std::vector<std::string>& paths)>;
    void Set_image_loader(Image_loader loader);
    void Init();  // hands the pictures folder's five image paths to the loader

    // -1 when the tag file, its section or its key is missing, or the file is too large or no file
    // (an error line says so, once per file and run); else the value's leading number.
    int GetSongRating(int c, int s);
    double GetSongWeight(int c, int s);
    // Writes the tag file at once, then updates the song record, the album score, the index and the
    // random list. False, with an error line and nothing changed, when the rating could not be stored
    // (the tag file too large, a folder, or not writable); the caller tells the user.
    bool SetSongRating(int c, int s, int rating);
    // Why the last SetSongRating failed, as its error line says it: "is larger than 1048576 bytes",
    // "is no file", "cannot be read", or "cannot be written".
    const std::string& Refusal() const { return refusal_; }

    // The ratings of every song of album c, from one reading of its tag file (the score pass).
    std::vector<int> Get_album_ratings(int c);
    std::string Tag_file(int c) const;  // album path + "tavrix.tag"

    static double Weight(int rating);                   // 95..100: 1.25, 70..94: 1.0, 50..69: 0.25, else 0.0
    static bool Drawable(int rating);                   // above 65, or exactly -1 (never rated)
    static int Parse_rating(const std::string& value);  // "" gives -1

private:
    VxRating() = default;
    // Whether the album's tag file may be read and written: missing (it may be made) or a regular
    // file of at most Max_tag_file_size bytes. Otherwise the reason is reported once per file.
    bool Tag_file_usable(const std::string& tag);

    Image_loader loader_;
    std::set<std::string> reported_;  // tag files with their reason, already in an error line
    std::string refusal_;
};

// Names from paths, in both folder layouts, with the built-in expressions and with a user's.
#include "library/Names.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <vector>

#include "library/VxDefs.h"
#include "platform/paths.h"

namespace {

struct Extracted {
    VX_FileSystem_cd cd;
    VX_FileSystem_song song;
};

// Paths written with "/" in the test become the platform's separator.
std::string P(std::string path) {
    for (char& c : path)
        if (c == '/') c = Platform::Path_separator;
    return path;
}

Extracted Extract(const std::string& path, bool two, const std::string& title = "[^-]*[-]*[\\s]*(.*)") {
    Extracted e;
    e.song.rating = 42;  // fields the extraction does not own stay
    extract_names(P(path), two, Names::Builtin_artist, title, Names::Builtin_song, e.cd, e.song);
    return e;
}

}  // namespace

TEST(ExtractNames, OneLevelLayout) {
    const Extracted e = Extract("/Music/Abba - Gold/01 - Dancing Queen.mp3", false);
    EXPECT_EQ(e.song.file_name, "01 - Dancing Queen.mp3");
    EXPECT_EQ(e.song.name, " Dancing Queen");
    EXPECT_EQ(e.cd.path, P("/Music/Abba - Gold/"));
    EXPECT_EQ(e.cd.artist, "Abba ");
    EXPECT_EQ(e.cd.title, "Gold");
    EXPECT_EQ(e.cd.name, "Abba - Gold");
    EXPECT_EQ(e.song.rating, 42);
    // Two-level option on, but the path has no usable parent: one-level rules apply.
    EXPECT_EQ(Extract("/Abba - Gold/01 - SOS.mp3", true).cd.name, "Abba - Gold");
}

TEST(ExtractNames, TwoLevelLayout) {
    Extracted e = Extract("/Music/Abba/Gold/02 - SOS.mp3", true);
    EXPECT_EQ(e.cd.artist, "Abba");
    EXPECT_EQ(e.cd.title, "no match");  // the built-in title needs a "-"
    EXPECT_EQ(e.cd.name, "Abba - no match");
    e = Extract("/Music/Abba/Gold/02 - SOS.mp3", true, "(.*)");
    EXPECT_EQ(e.cd.title, "Gold");
    EXPECT_EQ(e.cd.name, "Abba - Gold");
    EXPECT_EQ(e.cd.path, P("/Music/Abba/Gold/"));
    // Without the option the same path is a one-level album named after its folder.
    e = Extract("/Music/Abba/Gold/02 - SOS.mp3", false, "(.*)");
    EXPECT_EQ(e.cd.artist, "Gold");
    EXPECT_EQ(e.cd.name, "Gold");
}

TEST(ExtractNames, SongNameFallbacksAndFailures) {
    EXPECT_EQ(Extract("/M/A - B/Intro.wav", false).song.name, "Intro");
    EXPECT_EQ(Extract("/M/A - B/1,Comma.ogg", false).song.name, "Comma");
    const Extracted five = Extract("/M/A - B/song.abcde", false);
    EXPECT_EQ(five.song.file_name, "no match");
    EXPECT_EQ(five.song.name, "ROOT_SONG");
    EXPECT_EQ(Extract("/M/-Gold/01.mp3", false).cd.artist, "no match");
    // The extension belongs to the last component; any byte, a line feed too, may stand in a name.
    EXPECT_EQ(Extract("/M/A - B.mp3/song", false).song.file_name, "no match");
    EXPECT_EQ(Extract("/M/A - B.m/p3", false).song.file_name, "no match");
    EXPECT_EQ(Extract("/M/A - B/.ogg", false).song.file_name, ".ogg");
    EXPECT_EQ(Extract("/M/A - B/01 - Song.mp_3", false).song.file_name, "01 - Song.mp_3");
    EXPECT_EQ(Extract("/M/A - B/01 - Song.m-p3", false).song.file_name, "no match");
    EXPECT_EQ(Extract("/M/A\nB - C/01 - Line\nfeed.flac", false).song.file_name, "01 - Line\nfeed.flac");
    // A bare file name has no folder at all.
    const Extracted bare = Extract("song.mp3", false);
    EXPECT_EQ(bare.cd.artist, "ROOT_ARTIST");
    EXPECT_EQ(bare.cd.title, "ROOT_TITLE");
    EXPECT_EQ(bare.cd.name, "ROOT_CD_NAME");
}

TEST(ExtractNames, OtherPlatformSeparatorIsPartOfAName) {
    const char other = Platform::Path_separator == '/' ? '\\' : '/';
    const std::string folder = std::string("AC") + other + "DC - Back";
    const Extracted e = Extract("/M/" + folder + "/01 - Hells.mp3", false);
    EXPECT_EQ(e.cd.name, folder);
    EXPECT_EQ(e.cd.path, P("/M/" + folder + "/"));
}

// The fixed and default expressions are worked out by hand for text of printable ASCII; the
// expression library must give the same capture, or the same "no match", for every text. Random text
// from the characters the expressions treat apart (separators of names and of paths, the dot, word
// characters, spaces, others) and bytes the hand-made one leaves to the library; a fixed seed, so
// that a failure repeats.
TEST(ExtractNames, TheExpressionsByHandAgreeWithTheExpressionLibrary) {
    const std::string alphabet =
        std::string("-|,..aZ9_ ~(\xc3\t\n") + Platform::Path_separator + Platform::Path_separator;
    std::mt19937 random(20261209);
    std::uniform_int_distribution<std::size_t> length(0, 14), pick(0, alphabet.size() - 1), ext(0, 5);
    const std::vector<std::string> endings = {"", ".mp3", ".flac", ".m-p3", ".ab", ".abcde"};
    const std::vector<std::string> patterns = {
        Names::Builtin_song,     Names::Builtin_artist,          Names::Builtin_title,        Names::Bare_name,
        Names::Folder_pattern(), Names::Parent_folder_pattern(), Names::Folder_path_pattern()};
    for (const std::string& pattern : patterns) {
        int by_hand = 0;
        for (int i = 0; i < 40000; ++i) {
            std::string text;
            for (std::size_t n = length(random); n > 0; --n) text += alphabet[pick(random)];
            text += endings[ext(random)];
            const std::optional<std::string> hand = Names::By_hand(text, pattern);
            if (!hand) continue;
            ++by_hand;
            ASSERT_EQ(*hand, regex_extract(text, pattern)) << "pattern '" << pattern << "' text '" << text << "'";
        }
        EXPECT_GT(by_hand, 10000) << pattern;  // most texts are worked out by hand
    }
    EXPECT_FALSE(Names::By_hand("01 - Caf\xc3\xa9.mp3", Names::Builtin_song));
    EXPECT_FALSE(Names::By_hand("01 - Song.mp3", "(.*)"));  // a user's own expression
}

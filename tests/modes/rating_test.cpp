// The rating mode: a digit rates the playlist's current song in its album's tag file and closes
// the mode a second later; the letter keys stop the time-out, Backspace and Escape do not.
#include <gtest/gtest.h>

#include <filesystem>

#include "library/VxDatabase.h"
#include "library/VxRating.h"
#include "modes/VxModeRating.h"
#include "platform/window.h"
#include "playback/VxPlaylist.h"
#include "settings/Atomic_file.h"
#include "settings/CIniFile.h"
#include "tests/modes/mode_fixture.h"

namespace {

using Platform::Message_queue;

class Rating_mode : public ModeTest::Screen {
protected:
    Rating_mode() : Screen(false) {}
    void SetUp() override {
        Screen::SetUp();
        Message_queue::Instance().Reset();
        Make_library({{"Alpha", "First", 3, ""}, {"Beta", "Second", 2, ""}});
    }
    // The rating the album's tag file holds for the song, read from the file itself.
    static std::string Tag_value(int c, int s) {
        VxDatabase& db = VxDatabase::Instance();
        return CIniFile::Get_value("rating", db.Get_song_file(c, s), VxRating::Instance().Tag_file(c));
    }
};

TEST_F(Rating_mode, DigitsRateTheCurrentSongInItsTagFileAndCloseTheModeASecondLater) {
    VxModeRating mode(nullptr);
    VxPlaylist& playlist = VxPlaylist::Instance();
    playlist.Insert_item(1, 0);
    playlist.Insert_item(0, 2);
    playlist.Set_current_index(1);
    Message_queue::Instance().Set_timer(TIMER_MODE_TIMEOUT, 30000);

    Type(mode, '0');
    EXPECT_EQ(Tag_value(0, 2), "100");
    EXPECT_EQ(VxDatabase::Instance().Get_song_rating(0, 2), 100);
    const int left = Next_timer_ms();
    EXPECT_GT(left, 900);
    EXPECT_LE(left, 1000);

    Type(mode, '1');
    EXPECT_EQ(Tag_value(0, 2), "10");
    Type(mode, '7');
    EXPECT_EQ(Tag_value(0, 2), "70");
    EXPECT_EQ(VxRating::Instance().GetSongRating(0, 2), 70);
    EXPECT_EQ(Tag_value(1, 0), "");  // only the current song
    EXPECT_EQ(Count(Log(), "SetRatingLevel - Key 1-9,0"), 3);
    EXPECT_TRUE(shell_.modes.empty());
}

TEST_F(Rating_mode, ARatingThatCannotBeStoredSaysSoInABoxAndChangesNothing) {
    VxModeRating mode(nullptr);
    VxPlaylist& playlist = VxPlaylist::Instance();
    VxDatabase& db = VxDatabase::Instance();
    playlist.Insert_item(0, 1);
    playlist.Set_current_index(0);
    const std::string tag = VxRating::Instance().Tag_file(0);
    const std::string box = "VxRating\tThe rating could not be stored in " + tag + "\\nThe song keeps its old rating.";

    // A tag file past the limit, with a rating in its first line: not read, not rewritten.
    const std::string big =
        "<" + db.Get_song_file(0, 1) + ">\nrating=90\n#" + std::string(VxRating::Max_tag_file_size, 'x') + "\n";
    TestSupport::Write_file(tag, big);
    db.Determine_cd_scores();
    EXPECT_EQ(db.Get_song_rating(0, 1), -1);
    EXPECT_EQ(db.Get_cd_score(0), 0.0);
    Type(mode, '7');
    EXPECT_EQ(TestSupport::Read_file(tag), big);
    EXPECT_EQ(db.Get_song_rating(0, 1), -1);
    EXPECT_EQ(Count(Dialogs(), box + "\\nThe tag file is larger than 1048576 bytes.\n"), 1) << Dialogs();

    // A folder in its place.
    std::filesystem::remove(tag);
    std::filesystem::create_directories(tag);
    Type(mode, '9');
    EXPECT_EQ(db.Get_song_rating(0, 1), -1);
    EXPECT_EQ(Count(Dialogs(), box + "\\nThe tag file is no file.\n"), 1) << Dialogs();

    // A folder that takes no new file (as root can write anywhere, the refusal is the platform's).
    std::filesystem::remove(tag);
    TestSupport::Write_file(tag, "<" + db.Get_song_file(0, 1) + ">\nrating=50\n");
    Atomic_file::Inject_fault(Atomic_file::Fault::create);
    Type(mode, '8');
    Atomic_file::Inject_fault(Atomic_file::Fault::none);
    EXPECT_EQ(Tag_value(0, 1), "50");
    EXPECT_EQ(Count(Dialogs(), box + "\\nThe tag file cannot be written.\n"), 1) << Dialogs();
    Type(mode, '8');
    EXPECT_EQ(Tag_value(0, 1), "80");
    EXPECT_EQ(Count(Dialogs(), "VxRating\t"), 3) << "no box for a rating that is stored";
}

TEST_F(Rating_mode, AnEmptyPlaylistRatesNothingAndLeavesTheTimeOut) {
    VxModeRating mode(nullptr);
    Message_queue::Instance().Set_timer(TIMER_MODE_TIMEOUT, 30000);
    Type(mode, '5');
    EXPECT_FALSE(std::filesystem::exists(VxRating::Instance().Tag_file(0)));
    EXPECT_GT(Next_timer_ms(), 20000);
}

TEST_F(Rating_mode, LetterKeysStopTheTimeOutButBackspaceAndEscapeDoNot) {
    VxModeRating mode(nullptr);
    Message_queue& queue = Message_queue::Instance();
    queue.Set_timer(TIMER_MODE_TIMEOUT, 30000);
    Press(mode, Platform::VK_BACK, 8);
    Press(mode, Platform::VK_ESCAPE, 27);
    EXPECT_TRUE(queue.Timer_running(TIMER_MODE_TIMEOUT));
    EXPECT_EQ(shell_.modes, (std::vector<int>{MODE_BROWSE, MODE_BROWSE}));

    const std::pair<char, int> switching[] = {{'b', MODE_BROWSE}, {'S', MODE_SEARCH}, {'v', MODE_VOLUME}};
    for (auto [key, id] : switching) {
        queue.Set_timer(TIMER_MODE_TIMEOUT, 30000);
        shell_.modes.clear();
        Type(mode, key);
        EXPECT_FALSE(queue.Timer_running(TIMER_MODE_TIMEOUT)) << key;
        EXPECT_EQ(shell_.modes, std::vector<int>{id}) << key;
    }
    for (char key : {'n', 'P', 'm'}) {
        queue.Set_timer(TIMER_MODE_TIMEOUT, 30000);
        Type(mode, key);
        EXPECT_FALSE(queue.Timer_running(TIMER_MODE_TIMEOUT)) << key;
    }
    EXPECT_EQ(shell_.minimised, 1);
    queue.Set_timer(TIMER_MODE_TIMEOUT, 30000);
    Type(mode, 'r');  // the rating mode's own key does nothing here
    EXPECT_TRUE(queue.Timer_running(TIMER_MODE_TIMEOUT));
}

}  // namespace

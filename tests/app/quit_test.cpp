// Quitting while a song start is pending, end to end: Q at every moment of the 700 ms between a
// song change and its start, and while the end-of-song watch hands over to the next song.
#include <gtest/gtest.h>

#include <string>

#include "tests/app/jukebox_fixture.h"

namespace {

class Quit : public JukeboxTest::Home {
protected:
    // Queues the album (B, 1, A), rates its first song, so the library has a change that the quit
    // must save, and goes back to the main screen (Escape to browse, Escape to main).
    static std::string Queue_and_rate() {
        return "wait 300\nkey b\nwait 300\nkey 1\nwait 300\nkey a\nwait 200\nkey r\nwait 200\nkey 5\n"
               "wait 200\nkey Escape\nwait 200\nkey Escape\nwait 300\n";
    }
    // The run ended by itself (no time limit hit), quit once, started no song after the quit and
    // saved the library once.
    void Expect_clean_quit(int code) {
        EXPECT_EQ(code, 0) << Dialogs();
        const std::string log = Log();
        EXPECT_EQ(Count(log, "\nquit\n"), 1);
        const size_t quit = log.find("\nquit\n");
        ASSERT_NE(quit, std::string::npos);
        const std::string after = log.substr(quit);
        EXPECT_EQ(Count(after, "songname ="), 0) << after.substr(0, 2000);
        EXPECT_EQ(Count(after, "> **(DB::Save)**"), 1);
        EXPECT_EQ(Count(log, "SetRatingLevel - Key 1-9,0"), 1);
    }
};

TEST_F(Quit, QAnyTimeBeforeThePendingSongStartsEndsInTheQuitFade) {
    Add_playable_album("Alpha - One", 3, 20);
    for (int delay : {0, 100, 400, 700, 900}) {
        SCOPED_TRACE(delay);
        const int code = Start(Queue_and_rate() + "key n\nwait " + std::to_string(delay) + "\nkey q\n");
        Expect_clean_quit(code);
    }
}

TEST_F(Quit, QWhileTheEndOfSongWatchStartsTheNextSongEndsInTheQuitFade) {
    // Songs of 3 s: the first starts 700 ms after A and the watch hands over 1 to 1.5 s into it,
    // the next start following 700 ms later. Q comes 2 s after A, 1.3 s into the song: while
    // the next start is pending, or on a loaded machine just before or after the hand-over. No
    // song may start after Q in any case.
    Add_playable_album("Alpha - One", 3, 3);
    Expect_clean_quit(Start(Queue_and_rate() + "wait 900\nkey q\n"));
}

}  // namespace

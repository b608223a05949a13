// A person's session at the jukebox, end to end through the script: browsing, opening an album by
// key and by a click on its cover, queueing, rating, the volume, searching, and the options.
#include <gtest/gtest.h>

#include <string>

#include "tests/app/jukebox_fixture.h"
#include "tests/app/program_run.h"

namespace {

using JukeboxTest::fs::exists;
using TestSupport::Read_file;

class Session : public JukeboxTest::Home {
protected:
    void SetUp() override {
        Add_playable_album("Alpha - One", 3, 20);
        Add_playable_album("Beta - Two", 2, 20);
        Add_album("Gamma - Three");
    }
    std::string Tag_file(const std::string& album) { return home + "/music/" + album + "/tavrix.tag"; }
    std::string Settings() { return Read_file(run + "/settings_v3.ini"); }
};

TEST_F(Session, OpenQueueRateAndSetTheVolumeFromTheKeyboard) {
    // B: browse ("0" has no album, so the first page is "A"); 1: Alpha's song sheet; 2: queue its
    // second song, which starts 700 ms later; R 0: rate it 100; V +: one step louder.
    ASSERT_EQ(Start("wait 300\nkey b\nwait 300\nkey 1\nwait 300\nkey 2\nwait 1500\n"
                    "key r\nwait 200\nkey 0\nwait 1500\nkey v\nwait 200\nkey +\nwait 1500\n"
                    "key Escape\nwait 300\nkey Escape\nwait 300\nkey q\n"),
              0);
    const std::string log = Log();
    EXPECT_EQ(Count(log, "MODE_BROWSE - Key 1-6"), 1);
    EXPECT_EQ(Count(log, "Select a song - Key 1-9,0"), 1);
    EXPECT_NE(log.find("Start_and_update_song"), std::string::npos);
    EXPECT_EQ(Count(log, "SetRatingLevel - Key 1-9,0"), 1);
    EXPECT_EQ(Count(log, "volume_up"), 2);  // entry and exit marker of one step
    EXPECT_EQ(Count(log, "\nquit"), 1);

    // The tag file is the master copy: the queued song holds 100, its neighbours nothing. (Which
    // file is on line 2 depends on the order the folder listed them in.)
    ASSERT_TRUE(exists(Tag_file("Alpha - One")));
    const std::string tag = Read_file(Tag_file("Alpha - One"));
    EXPECT_EQ(Count(tag, "rating="), 1) << tag;
    EXPECT_EQ(Count(tag, "rating=100"), 1) << tag;
    EXPECT_EQ(Count(tag, ".wav"), 1) << tag;
    // The library saved at quit carries the rating too.
    EXPECT_NE(Read_file(run + "/MusicDataBase.dat").find("100"), std::string::npos);
}

TEST_F(Session, AClickOnACoverOpensTheAlbumAsItsKeyDoes) {
    // Cover 1 of the album panel at 1024x768: the panel at (26, 47) per cent, the place at (10, 13)
    // per cent of it, 123 pixels square.
    ASSERT_EQ(Start("wait 300\nkey b\nwait 1500\nclick 400 470\nwait 500\nkey a\nwait 1500\n"
                    "key Escape\nwait 300\nkey Escape\nwait 300\nkey q\n"),
              0);
    const std::string log = Log();
    EXPECT_EQ(Count(log, "MODE_BROWSE - Key 1-6"), 1);
    EXPECT_EQ(Count(log, "Select all cd songs"), 1);
    EXPECT_NE(log.find("Start_and_update_song"), std::string::npos);
    EXPECT_EQ(Count(log, "\nquit"), 1);
}

TEST_F(Session, SearchJumpsAfterAPauseAndEnterGoesToBrowse) {
    ASSERT_EQ(Start("wait 300\nkey s\nwait 200\nkey b\nkey e\nwait 1600\nkey g\nkey Return\nwait 300\n"
                    "key Escape\nwait 300\nkey q\n"),
              0);
    const std::string log = Log();
    // One jump 1.2 s after "be", one at Enter; B and E are search text here, not mode keys.
    EXPECT_EQ(Count(log, "show_6cdpanel_char"), 4) << log;  // entry and exit markers
    EXPECT_EQ(Count(log, "BROWSE MODE - Key b"), 1);
    EXPECT_EQ(Count(log, "\nquit"), 1);
}

TEST_F(Session, OptionsToggledTwiceKeepTheirValueAndANewFolderRebuildsTheLibrary) {
    ASSERT_EQ(Start("wait 200\nkey q\n"), 0);  // settings and library in place
    const std::string before = Settings();
    ASSERT_NE(Read_file(run + "/MusicDataBase.dat").find("Alpha"), std::string::npos);

    TestSupport::Make_dirs(home + "/other/Delta - Four");
    TestSupport::Write_file(home + "/other/Delta - Four/01 - Only.mp3", "");
    ASSERT_EQ(Start("wait 300\nkey o\nwait 300\nkey 3\nkey 3\nkey 5\nkey 5\n"
                    "folder " +
                    home + "/other\nkey 1\nwait 500\nkey Escape\nwait 300\nkey q\n"),
              0);
    const std::string after = Settings();
    for (const char* key : {"Userandom=", "CheckNewVersionOnStartup="}) {
        const auto line = [key](const std::string& text) {
            return text.substr(text.find(key), text.find('\n', text.find(key)) - text.find(key));
        };
        EXPECT_EQ(line(after), line(before)) << key;
    }
    EXPECT_NE(after.find(home + "/other"), std::string::npos);
    const std::string library = Read_file(run + "/MusicDataBase.dat");
    EXPECT_NE(library.find("Delta"), std::string::npos);
    EXPECT_EQ(library.find("Alpha"), std::string::npos);
}

TEST_F(Session, LeavingRatingOrVolumeByAKeyKeepsThemClosed) {
    // Rate 7 and leave at once with Escape: a second later the browse mode must still be there, so
    // its 1 opens the first album instead of rating the song 10. Then V 5 B: the 1 after the
    // volume mode's second is the browse mode's too, not a volume of 10.
    ASSERT_EQ(Start("wait 300\nkey b\nwait 300\nkey 1\nwait 300\nkey 2\nwait 300\nkey r\nwait 200\nkey 7\n"
                    "wait 100\nkey Escape\nwait 1500\nkey 1\nwait 300\nkey Escape\nwait 300\nkey Escape\n"
                    "wait 300\nkey v\nwait 200\nkey 5\nwait 100\nkey b\nwait 1500\nkey 1\nwait 300\n"
                    "key Escape\nwait 300\nkey Escape\nwait 300\nkey q\n"),
              0);
    const std::string log = Log();
    EXPECT_EQ(Count(log, "SetRatingLevel - Key 1-9,0"), 1);
    EXPECT_EQ(Count(log, "MODE_BROWSE - Key 1-6"), 3);
    EXPECT_EQ(Count(log, "Set_main_volume"), 1);
    const std::string tag = Read_file(Tag_file("Alpha - One"));
    EXPECT_EQ(Count(tag, "rating=70"), 1) << tag;
    EXPECT_EQ(Count(tag, "rating="), 1) << tag;
}

TEST_F(Session, ATagFilePastOneMegabyteIsNeitherReadNorRewrittenAndTheRatingModeSaysSo) {
    // Every song rated 90 in its first lines, then padding past the limit.
    std::string big;
    for (int n = 1; n <= 3; ++n)
        big += " <0" + std::to_string(n) + " - Song " + std::to_string(n) + ".wav>\n rating=90\n";
    big += "#" + std::string(1u << 20, 'x') + "\n";
    TestSupport::Write_file(Tag_file("Alpha - One"), big);
    // As in the session above: Alpha's second song queued, then R 7.
    ASSERT_EQ(Start("wait 300\nkey b\nwait 300\nkey 1\nwait 300\nkey 2\nwait 1500\nkey r\nwait 200\nkey 7\n"
                    "wait 1500\nkey Escape\nwait 300\nkey Escape\nwait 300\nkey q\n"),
              0);
    EXPECT_EQ(Count(Log(), "SetRatingLevel - Key 1-9,0"), 1);
    EXPECT_EQ(Read_file(Tag_file("Alpha - One")), big);
    // The box names the file as the library does, from the home's run/ folder.
    EXPECT_EQ(Count(Dialogs(),
                    "VxRating\tThe rating could not be stored in ../music/Alpha - One/tavrix.tag"
                    "\\nThe song keeps its old rating.\\nThe tag file is larger than 1048576 bytes.\n"),
              1)
        << Dialogs();
    EXPECT_EQ(
        Count(Read_file(run + "/error.txt"), "tavrix.tag' is larger than 1048576 bytes; its ratings are not used"), 1);
    for (const auto& e : JukeboxTest::fs::directory_iterator(home + "/music/Alpha - One"))
        EXPECT_EQ(e.path().filename().string().find(".tmp-"), std::string::npos) << e.path();

    // The album has no ratings, in the library the run saved.
    const ProgramTest::Outcome listing = ProgramTest::Run_program(run, {"--list"}, {"HOME=" + home});
    ASSERT_EQ(listing.code, 0) << listing.err;
    const std::string alpha = listing.out.substr(listing.out.find("title='One'"));
    EXPECT_EQ(Count(alpha.substr(0, alpha.find("\n[")), "rating=-1"), 3) << listing.out;
    EXPECT_NE(alpha.find("score=0\n"), std::string::npos) << listing.out;
}

class Script_until : public JukeboxTest::Home {};

TEST_F(Script_until, TheKeysAfterAnUntilWaitForItsLinesInTheirOrderAndATimeOutIsWritten) {
    // A song of 2 s queued (B, 1, 1): Escape twice and Q (back to the main screen, where Q quits)
    // come once a worker took it and, after that, waited again for the next one, however long the
    // machine takes; a line that never comes costs its time only.
    Add_playable_album("Alpha - One", 1, 2);
    ASSERT_EQ(Start("wait 300\nkey b\nwait 300\nkey 1\nwait 300\nkey 1\n"
                    "until 60000 Wait for SemStart Ready..\nuntil 60000 Wait for SemStart\n"
                    "until 200 No such line\nkey Escape\nstill\nkey Escape\nstill\nkey q\n",
                    "", 120),
              0);
    const std::string log = Log();
    const size_t started = log.find("\nScript: found Wait for SemStart Ready..\n");
    const size_t ended = log.find("\nScript: found Wait for SemStart\n");
    const size_t missed = log.find("\nScript: not found after 200 ms: No such line\n");
    const size_t quit = log.find("\nquit\n");
    ASSERT_NE(started, std::string::npos) << log;
    ASSERT_NE(ended, std::string::npos) << log;
    EXPECT_LT(log.find("\nsongname ="), started);
    EXPECT_LT(started, ended);
    EXPECT_LT(ended, missed);
    EXPECT_LT(missed, quit);
    // The song's worker waited again between its start and the found line: the song had ended.
    const std::string playing = log.substr(started, ended + 1 - started);
    EXPECT_NE(playing.find("\nWait for SemStart\n"), std::string::npos) << playing;
}

}  // namespace

// The script's lines and the messages one key press makes: exactly one key-down and at most one character.
#include <gtest/gtest.h>

#include "app/Script_player.h"
#include "platform/dialogs.h"
#include "tests/support/test_support.h"

using namespace Platform;

namespace {

TEST(Script, KeyPressesMakeOneKeyDownAndTheCharacterWindowsWouldMake) {
    auto b = Key_messages("b");
    ASSERT_EQ(b.size(), 2u);
    EXPECT_EQ(b[0].kind, WM_KEYDOWN);
    EXPECT_EQ(b[0].wparam, 'B');
    EXPECT_EQ(b[1].kind, WM_CHAR);
    EXPECT_EQ(b[1].wparam, 'b');
    auto left = Key_messages("Left");
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].wparam, VK_LEFT);
    auto ret = Key_messages("Return");
    ASSERT_EQ(ret.size(), 2u);
    EXPECT_EQ(ret[1].wparam, 13u);
    EXPECT_EQ(Key_messages("space")[1].wparam, ' ');
    EXPECT_EQ(Key_messages("BackSpace")[1].wparam, 8u);
    EXPECT_EQ(Key_messages("+")[0].wparam, 0xBBu);
    EXPECT_TRUE(Key_messages("Nonsense").empty());
}

TEST(Script, LinesParseOrFailClearly) {
    std::string error;
    auto click = Parse_script_line("click 10 20\r", error);
    ASSERT_TRUE(click);
    EXPECT_EQ(click->kind, Script_command::Click);
    EXPECT_EQ(click->b, 20);
    EXPECT_FALSE(Parse_script_line("# comment", error));
    EXPECT_FALSE(Parse_script_line("   ", error));
    EXPECT_TRUE(error.empty());
    auto folder = Parse_script_line("folder", error);
    ASSERT_TRUE(folder);
    EXPECT_EQ(folder->text, "");  // cancels the dialog
    auto still = Parse_script_line("still", error);
    ASSERT_TRUE(still);
    EXPECT_EQ(still->kind, Script_command::Still);
    EXPECT_EQ(still->a, Script_player::Still_default_ms);
    EXPECT_EQ(Parse_script_line("still 500", error)->a, 500);
    // The log line is the rest after the time, inner spaces and dots kept, the line end not.
    auto until = Parse_script_line("until 9000  Wait for SemStart Ready..\r", error);
    ASSERT_TRUE(until);
    EXPECT_EQ(until->kind, Script_command::Until);
    EXPECT_EQ(until->a, 9000);
    EXPECT_EQ(until->text, "Wait for SemStart Ready..");
    for (const char* bad : {"wait", "wait -3", "key", "answer maybe", "shot", "still soon", "still -1", "dance 3",
                            "until", "until 500", "until 500  ", "until soon quit", "until -5 quit"}) {
        error.clear();
        EXPECT_FALSE(Parse_script_line(bad, error));
        EXPECT_FALSE(error.empty()) << bad;
    }
}

TEST(Script, AnswersAndFoldersBeforeTheFirstWaitAreQueuedBeforeStartUp) {
    TestSupport::Scratch_dir scratch;
    Platform::Set_headless(true);
    TestSupport::Write_file("script.txt",
                            "answer cancel\nkey b\nfolder /tmp/music\nanswer ok\nwait 10\nanswer cancel\n");
    Script_player script;
    std::string error;
    ASSERT_TRUE(script.Load("script.txt", error)) << error;
    script.Queue_start_up_answers();
    // The head's answers in their order; the answer after the wait waits for the script's time.
    EXPECT_FALSE(Message_box_ok_cancel("VxInternet", "first question"));
    EXPECT_TRUE(Message_box_ok_cancel("VxInternet", "second question", Question::Runs_program));
    EXPECT_EQ(Choose_folder("music").path.value_or(""), "/tmp/music");
    // None left: a plain question takes OK, one that would download or start a program Cancel.
    EXPECT_TRUE(Message_box_ok_cancel("VxInternet", "plain"));
    EXPECT_FALSE(Message_box_ok_cancel("VxInternet", "installer", Question::Runs_program));
    EXPECT_FALSE(Choose_folder("music").path);
}

}  // namespace

// The script's lines and the messages one key press makes: exactly one key-down and at most one character.
#include <gtest/gtest.h>

#include "app/Script_player.h"

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
    for (const char* bad : {"wait", "wait -3", "key", "answer maybe", "shot", "dance 3"}) {
        error.clear();
        EXPECT_FALSE(Parse_script_line(bad, error));
        EXPECT_FALSE(error.empty()) << bad;
    }
}

}  // namespace

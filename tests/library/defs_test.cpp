// The shared text helpers and the random draw.
#include <gtest/gtest.h>

#include "library/VxDefs.h"
#include "platform/dialogs.h"

TEST(RegexExtract, FullMatchCaptureOneOrNoMatch) {
    EXPECT_EQ(regex_extract("Abba - Gold", "([^-]*).*"), "Abba ");
    // Anchored: a pattern that matches only part of the input is no match.
    EXPECT_EQ(regex_extract("xAbba", "(Abba)"), "no match");
    // A group that captures nothing counts as a failure.
    EXPECT_EQ(regex_extract("-Gold", "([^-]*).*"), "no match");
    EXPECT_EQ(regex_extract("Gold", "[^-]*[-]*[\\s]*(.*)"), "no match");
    // A pattern without a group yields no match rather than a crash.
    EXPECT_EQ(regex_extract("abc", "abc"), "no match");
    // An invalid pattern yields the library's message, repeatedly (the compiled result is kept).
    const std::string error = regex_extract("abc", "(unclosed");
    EXPECT_NE(error, "no match");
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(regex_extract("abc", "(unclosed"), error);
}

TEST(TextHelpers, ExtensionCaseNumbersSplit) {
    EXPECT_EQ(get_extension("song.mp3"), "MP3");
    EXPECT_EQ(get_extension("a.tar.gz"), "GZ");
    EXPECT_EQ(get_extension("noext"), "");
    EXPECT_TRUE(is_song_extension("FLAC"));
    EXPECT_FALSE(is_song_extension("MPEG"));
    EXPECT_FALSE(is_song_extension("mp3"));
    EXPECT_EQ(to_upper("abc\xe9z"), "ABC\xe9Z");
    EXPECT_EQ(to_lower("ABC\xc9"), "abc\xc9");
    EXPECT_EQ(int_to_string(-70), "-70");
    EXPECT_EQ(double_to_string(2.25), "2.25");
    std::string left = "L", right = "R";
    rev_split_string("1024x768", "x", left, right);
    EXPECT_EQ(left, "1024");
    EXPECT_EQ(right, "768");
    rev_split_string("nodelimiter", ",", left, right);
    EXPECT_EQ(left, "1024");
    EXPECT_EQ(right, "768");
    rev_split_string("a,,b", ",,", left, right);
    EXPECT_EQ(left, "a");
    EXPECT_EQ(right, "b");
}

TEST(StartChars, CycleAndFolding) {
    EXPECT_EQ(next_start_char("9"), "A");
    EXPECT_EQ(next_start_char("Z"), "0");
    EXPECT_EQ(next_start_char("z"), "0");
    EXPECT_EQ(next_start_char(""), "0");
    EXPECT_EQ(next_start_char("b"), "C");
    EXPECT_EQ(previous_start_char("A"), "9");
    EXPECT_EQ(previous_start_char("0"), "Z");
    EXPECT_EQ(previous_start_char(""), "Z");
    EXPECT_EQ(fold_accents("\xe9t\xf8"), "EtO");
    EXPECT_EQ(fold_accents("\xc3\xa9t\xc3\xb8"), "EtO");
    EXPECT_EQ(fold_accents("\xc3\xa8\xc3"), "\xc3\xa8\xc3");  // other letters and a cut sequence stay
}

TEST(RandomRange, ClassicGeneratorAndFormula) {
    Platform::Set_headless(true);
    random_seed(1);
    // The runtime generator seeded with 1 starts 41, 18467, 6334.
    EXPECT_EQ(random_range(0, 32768), 41);
    EXPECT_EQ(random_range(0, 32768), 18467);
    EXPECT_EQ(random_range(10, 20), 10 + 6334 % 10);
    EXPECT_EQ(random_range(5, 5), 5);
    EXPECT_EQ(random_range(0, 1), 0);
}

TEST(RandomRange, LargeSpansReachEveryPart) {
    Platform::Set_headless(true);
    random_seed(7);
    int highest = 0;
    for (int i = 0; i < 2000; ++i) {
        const int v = random_range(0, 40000);
        ASSERT_GE(v, 0);
        ASSERT_LT(v, 40000);
        highest = std::max(highest, v);
    }
    EXPECT_GT(highest, 32768);
}

TEST(RandomRangeDeathTest, StopBelowStartEndsTheProcess) {
    Platform::Set_headless(true);
    EXPECT_EXIT(random_range(5, 4), testing::ExitedWithCode(1), "");
}

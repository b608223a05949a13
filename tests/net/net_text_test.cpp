// The text helpers that stand between server answers and file names, queries and addresses.
#include "net/Net_text.h"

#include <gtest/gtest.h>

TEST(Net_text, AnExpressionTheEngineGivesUpOnIsNoMatch) {
    // Hundreds of "imgurl" without a fourth link make Boost.Regex stop with a complexity error;
    // its message must never come back as if it were an address.
    std::string page;
    for (int i = 0; i < 300; ++i) page += "imgurl ";
    page += "a.jpg";
    EXPECT_EQ(Net_text::Extract(page, R"(.*?imgurl.*?imgurl.*?imgurl.*?imgurl=(http.*?\.(?:jpg|JPG)).*)"), "no match");
    EXPECT_EQ(Net_text::Extract("anything", "(unclosed"), "no match");
    EXPECT_EQ(Net_text::Extract("version=", "version=(.*)"), "no match");  // an empty capture
    EXPECT_EQ(Net_text::Extract("version=v2.3", "version=(.*)"), "v2.3");
}

TEST(Net_text, QueryValuesCannotSplitTheQuery) {
    EXPECT_EQ(Net_text::Encode_query_value("Simon & Garfunkel"), "Simon+%26+Garfunkel");
    EXPECT_EQ(Net_text::Encode_query_value("AC/DC - Back in Black #1=a+b?"), "AC%2FDC+-+Back+in+Black+%231%3Da%2Bb%3F");
    EXPECT_EQ(Net_text::Encode_query_value("Sigur R\xC3\xB3s"), "Sigur+R%C3%B3s");
    EXPECT_EQ(Net_text::Encode_query_value("a.b_c~d"), "a.b_c~d");
}

TEST(Net_text, OnlyPlainVersionIdentifiersAreAccepted) {
    for (const char* good : {"v2.3", "v2.274", "v10.0", "v3", "v1.2.3.4"})
        EXPECT_TRUE(Net_text::Is_plain_version(good)) << good;
    for (const char* bad : {"", "v", "2.3", "V2.3", "v.3", "v2.3 ", "v2/3", "v2.3\\..", "v2.3.exe", "v2.3;rm",
                            "v1234567890123456789012345678901234"}) {
        EXPECT_FALSE(Net_text::Is_plain_version(bad)) << bad;
    }
    EXPECT_EQ(Net_text::Trim_right("v2.3\r\n \t"), "v2.3");
}

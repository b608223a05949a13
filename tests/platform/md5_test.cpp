// The MD5 digest at the lengths where its padding changes (55, 56, 63, 64, 65 bytes and the next
// block's), whole and fed in pieces that straddle the 64-byte blocks, against digests from another
// implementation; a finished digest gives no second one.
#include "platform/md5.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string Hex(const std::array<unsigned char, 16>& digest) {
    std::string text;
    char two[3];
    for (unsigned char byte : digest) {
        std::snprintf(two, sizeof two, "%02x", byte);
        text += two;
    }
    return text;
}

std::vector<unsigned char> Bytes(std::size_t n) {
    std::vector<unsigned char> bytes(n);
    for (std::size_t i = 0; i < n; ++i) bytes[i] = static_cast<unsigned char>(i * 7 + 3);
    return bytes;
}

}  // namespace

TEST(Md5, DigestsAtEveryPaddingLengthWholeAndInPieces) {
    const std::pair<std::size_t, const char*> known[] = {
        {55, "52c0e574e1198de5fe3f8f11440dcb1b"},  {56, "46c9907fc908ee68b1e7b8e71286a518"},
        {63, "a62f6d59e837867693f042f5b8f5a236"},  {64, "7160b8fb5e9e4023d549c3971fbaeead"},
        {65, "70bd662e7aefbda85a0f7244167b7897"},  {127, "acce2474d6cc8302120d09c818d17ef7"},
        {128, "10b2da1a82f16d99a81a7203fe9f02cb"}, {1000, "10046f077f2082ac19676b8079f1cb1a"}};
    for (const auto& [size, hex] : known) {
        const std::vector<unsigned char> bytes = Bytes(size);
        for (const std::size_t piece : {size, std::size_t{1}, std::size_t{13}, std::size_t{64}, std::size_t{65}}) {
            Platform::Md5 md5;
            for (std::size_t at = 0; at < size; at += piece) md5.Update(bytes.data() + at, std::min(piece, size - at));
            std::array<unsigned char, 16> digest{};
            ASSERT_TRUE(md5.Finish(digest));
            EXPECT_EQ(Hex(digest), hex) << size << " bytes in pieces of " << piece;
            EXPECT_FALSE(md5.Finish(digest));
        }
    }
}

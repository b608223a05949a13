// The side file of albums whose lookup found nothing: kept for 30 days, written whole, and a
// missing, corrupt or oversized one read as empty (every album asked again), never a crash.
#include "net/Cover_misses.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/Atomic_file.h"
#include "tests/net/Net_home.h"

using TestSupport::Net_home;
using TestSupport::Read_file;
using TestSupport::Write_file;

namespace {
constexpr long long Day = 24 * 60 * 60;
constexpr long long Now = 1800000000;

int Count(const std::string& text, const std::string& part) {
    int count = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
    return count;
}
}  // namespace

TEST(Cover_misses, AnAlbumIsNotAskedAgainFor30DaysAcrossStarts) {
    Net_home home;
    Cover_misses misses = Cover_misses::Load();  // no file yet: nothing recent, no error
    EXPECT_FALSE(misses.Recent("Abba - Gold", Now));
    misses.Add("Abba - Gold", Now - 29 * Day);
    misses.Add("Kosheen - Kokopelli", Now - 31 * Day);
    misses.Add("Two\nLines", Now);  // a folder name with a line break is never recorded
    ASSERT_TRUE(misses.Save(Now));

    const Cover_misses again = Cover_misses::Load();
    EXPECT_TRUE(again.Recent("Abba - Gold", Now));
    EXPECT_FALSE(again.Recent("Abba - Gold", Now + 2 * Day));
    EXPECT_FALSE(again.Recent("Kosheen - Kokopelli", Now));  // expired entries are not kept
    EXPECT_EQ(Read_file(Cover_misses::File_name).find("Kosheen"), std::string::npos);
    EXPECT_FALSE(again.Recent("Two\nLines", Now));
    // A time after now (the clock was set back) does not hold an album off for longer.
    Cover_misses future;
    future.Add("Abba - Gold", Now + Day);
    EXPECT_FALSE(future.Recent("Abba - Gold", Now));
    EXPECT_EQ(home.Errors().find("Cover_misses"), std::string::npos) << home.Errors();

    Cover_misses found = Cover_misses::Load();
    EXPECT_FALSE(found.Changed());
    found.Remove("Abba - Gold");
    EXPECT_TRUE(found.Changed());
    ASSERT_TRUE(found.Save(Now));
    EXPECT_FALSE(Cover_misses::Load().Recent("Abba - Gold", Now));
}

TEST(Cover_misses, ACorruptFileMeansAskAgainWithAnErrorLine) {
    Net_home home;
    int corrupt = 0;
    const std::string good = "TavrixCoverMisses 1\n" + std::to_string(Now) + " Abba - Gold\nend\n";
    const std::vector<std::string> contents = {std::string(),
                                               std::string("garbage"),
                                               good.substr(0, good.size() - 4),  // cut before its end line
                                               "TavrixCoverMisses 2\n" + std::to_string(Now) + " Abba - Gold\nend\n",
                                               "TavrixCoverMisses 1\nnot-a-time Abba - Gold\nend\n",
                                               "TavrixCoverMisses 1\n12x Abba - Gold\nend\n",
                                               "TavrixCoverMisses 1\n" + std::to_string(Now) + "\nend\n",
                                               "TavrixCoverMisses 1\n99999999999999999999999 Abba - Gold\nend\n",
                                               good + "more\n",
                                               std::string("TavrixCoverMisses 1\n\0\0\0", 23)};
    for (const std::string& content : contents) {
        Write_file(Cover_misses::File_name, content);
        EXPECT_FALSE(Cover_misses::Load().Recent("Abba - Gold", Now)) << content;
        EXPECT_EQ(Count(home.Errors(), "every album without cover is asked again"), ++corrupt) << content;
    }
    Write_file(Cover_misses::File_name, good);
    EXPECT_TRUE(Cover_misses::Load().Recent("Abba - Gold", Now));
    // An oversized file is not read into memory.
    Write_file(Cover_misses::File_name, good + std::string(Cover_misses::Max_file_size, 'x'));
    EXPECT_FALSE(Cover_misses::Load().Recent("Abba - Gold", Now));
    EXPECT_NE(home.Errors().find("larger than"), std::string::npos);
}

TEST(Cover_misses, AFailedWriteKeepsTheOldFile) {
    Net_home home;
    Cover_misses misses;
    misses.Add("Abba - Gold", Now);
    ASSERT_TRUE(misses.Save(Now));
    const std::string before = Read_file(Cover_misses::File_name);
    misses.Add("Kosheen - Kokopelli", Now);
    Atomic_file::Inject_fault(Atomic_file::Fault::write);
    EXPECT_FALSE(misses.Save(Now));
    Atomic_file::Inject_fault(Atomic_file::Fault::none);
    EXPECT_EQ(Read_file(Cover_misses::File_name), before);
    EXPECT_TRUE(misses.Changed());  // still to be written
    EXPECT_NE(home.Errors().find("Cover_misses: could not write"), std::string::npos);
}

// The folder listing: every kind of entry as the scan must tell them apart (a link as what it leads
// to, a FIFO or a dangling link as neither file nor folder), and the two ways a listing fails.
#include "platform/folder_listing.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "tests/support/test_support.h"

namespace fs = std::filesystem;

namespace {

std::vector<Platform::Folder_entry> Sorted(std::vector<Platform::Folder_entry> entries) {
    std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    return entries;
}

}  // namespace

TEST(FolderListing, EachEntryComesWithWhatItIsAndWhatALinkLeadsTo) {
    TestSupport::Scratch_dir dir;
    fs::create_directories("top/album");
    std::ofstream("top/01 - Song.mp3") << "x";
    std::ofstream("top/name with\nnew line.mp3") << "x";
    fs::create_directory_symlink("album", "top/to album");
    fs::create_symlink("01 - Song.mp3", "top/to song");
    fs::create_symlink("nowhere", "top/dangling");
    ASSERT_EQ(mkfifo("top/fifo", 0644), 0);

    const Platform::Folder_listing listing = Platform::List_folder("top/");
    EXPECT_FALSE(listing.open_error);
    EXPECT_FALSE(listing.read_error);
    // The folder's time, read from the open folder, is the one the standard library reads by name.
    ASSERT_TRUE(listing.time.has_value());
    EXPECT_EQ(*listing.time, fs::last_write_time("top"));
    const auto entries = Sorted(listing.entries);
    using Platform::Entry_kind;
    struct Expected {
        const char* name;
        Entry_kind kind;
        bool link;
    };
    const Expected expected[] = {
        {"01 - Song.mp3", Entry_kind::file, false},
        {"album", Entry_kind::folder, false},
        {"dangling", Entry_kind::other, true},
        {"fifo", Entry_kind::other, false},
        {"name with\nnew line.mp3", Entry_kind::file, false},
        {"to album", Entry_kind::folder, true},
        {"to song", Entry_kind::file, true},
    };
    ASSERT_EQ(entries.size(), std::size(expected));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        EXPECT_EQ(entries[i].name, expected[i].name);
        EXPECT_EQ(entries[i].kind, expected[i].kind) << entries[i].name;
        EXPECT_EQ(entries[i].link, expected[i].link) << entries[i].name;
    }
    // A link to a folder lists as the folder; an empty folder lists nothing, not "." and "..".
    EXPECT_EQ(Platform::List_folder("top/to album").entries.size(), 0u);
    EXPECT_FALSE(Platform::List_folder("top/to album").open_error);
}

TEST(FolderListing, AMissingFolderOrAFileCannotBeOpened) {
    TestSupport::Scratch_dir dir;
    std::ofstream("file.mp3") << "x";
    const Platform::Folder_listing missing = Platform::List_folder("missing/");
    EXPECT_EQ(missing.open_error, std::errc::no_such_file_or_directory);
    EXPECT_TRUE(missing.entries.empty());
    EXPECT_FALSE(missing.time.has_value());
    const Platform::Folder_listing file = Platform::List_folder("file.mp3");
    EXPECT_EQ(file.open_error, std::errc::not_a_directory);
    EXPECT_TRUE(file.entries.empty());
}

// A folder whose entries take many reads of the system's listing (each name near a hundred bytes):
// every entry comes once, and the listing of the next folder starts afresh.
TEST(FolderListing, AFolderLargerThanOneReadListsEveryEntryOnce) {
    TestSupport::Scratch_dir dir;
    fs::create_directories("big");
    fs::create_directories("small/only");
    const std::string padding(90, 'x');
    constexpr int Count = 1500;
    for (int i = 0; i < Count; ++i) std::ofstream("big/" + std::to_string(10000 + i) + padding + ".mp3") << "x";

    const Platform::Folder_listing listing = Platform::List_folder("big");
    EXPECT_FALSE(listing.read_error);
    const auto entries = Sorted(listing.entries);
    ASSERT_EQ(entries.size(), static_cast<std::size_t>(Count));
    for (int i = 0; i < Count; ++i) {
        EXPECT_EQ(entries[static_cast<std::size_t>(i)].name, std::to_string(10000 + i) + padding + ".mp3");
        EXPECT_EQ(entries[static_cast<std::size_t>(i)].kind, Platform::Entry_kind::file);
    }
    const Platform::Folder_listing small = Platform::List_folder("small");
    ASSERT_EQ(small.entries.size(), 1u);
    EXPECT_EQ(small.entries[0].name, "only");
    EXPECT_EQ(small.entries[0].kind, Platform::Entry_kind::folder);
}

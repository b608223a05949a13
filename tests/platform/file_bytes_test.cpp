// A whole file read into memory: every byte at every size (none, less than a page, a page, megabytes
// and an odd tail), and no bytes for what cannot be read; the bytes move with their owner.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>

#include "platform/files.h"
#include "tests/support/test_support.h"

TEST(File_bytes, AFileIsReadWholeAtEverySizeAndNothingElseReads) {
    TestSupport::Scratch_dir scratch;
    for (const std::size_t size :
         {std::size_t{0}, std::size_t{1}, std::size_t{4095}, std::size_t{4096}, std::size_t{3 * 1024 * 1024 + 7}}) {
        std::string content(size, '\0');
        for (std::size_t i = 0; i < size; ++i) content[i] = static_cast<char>((i * 131 + i / 4096) & 0xFF);
        const std::string path = scratch.Path() + "/bytes-" + std::to_string(size);
        TestSupport::Write_file(path, content);
        Platform::File_bytes bytes = Platform::File_bytes::Read(path);
        ASSERT_TRUE(bytes.Ok()) << size;
        EXPECT_EQ(bytes.View(), content) << size;
        // Moved, the bytes go with the new owner and the old one holds none.
        Platform::File_bytes moved = std::move(bytes);
        EXPECT_EQ(moved.View(), content) << size;
        EXPECT_FALSE(bytes.Ok());
        EXPECT_TRUE(bytes.View().empty());
    }
    for (const std::string& unreadable : {scratch.Path() + "/missing", scratch.Path()}) {
        const Platform::File_bytes bytes = Platform::File_bytes::Read(unreadable);
        EXPECT_FALSE(bytes.Ok()) << unreadable;
        EXPECT_TRUE(bytes.View().empty()) << unreadable;
    }
}

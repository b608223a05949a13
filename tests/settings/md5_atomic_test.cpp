// The digest against the RFC 1321 test suite, and the whole-file replacement: a failure at any
// step leaves the old file as it was and no temporary file behind.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <boost/filesystem.hpp>
#include <chrono>
#include <fstream>
#include <future>
#include <thread>

#include "platform/files.h"
#include "settings/Atomic_file.h"
#include "settings/CIniFile.h"
#include "settings/CMD5.h"
#include "tests/support/test_support.h"

using TestSupport::Read_file;
using TestSupport::Write_file;

TEST(Md5, KnownVectors) {
    EXPECT_EQ(CMD5::Of(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(CMD5::Of("a"), "0cc175b9c0f1b6a831c399e269772661");
    EXPECT_EQ(CMD5::Of("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(CMD5::Of("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
    EXPECT_EQ(CMD5::Of("12345678901234567890123456789012345678901234567890123456789012345678901234567890"),
              "57edf4a22be3c955ac49da2e2107b67a");
    CMD5 parts;
    parts.Update("message ");
    parts.Update("digest");
    EXPECT_EQ(parts.Hex_digest(), "f96b697d7cb7938d525a2f31aaf161d0");
    // Bytes after a zero byte count: the digest is of the bytes, not of a C string.
    EXPECT_NE(CMD5::Of(std::string("a\0b", 3)), CMD5::Of("a"));
}

namespace {
size_t Files_in(const std::string& folder) {
    size_t n = 0;
    for (auto& entry : boost::filesystem::directory_iterator(folder)) {
        (void)entry;
        ++n;
    }
    return n;
}

struct Fault_guard {
    explicit Fault_guard(Atomic_file::Fault f) { Atomic_file::Inject_fault(f); }
    ~Fault_guard() { Atomic_file::Inject_fault(Atomic_file::Fault::none); }
};
}  // namespace

TEST(AtomicWrite, FailureAtAnyStepKeepsTheOldFile) {
    TestSupport::Scratch_dir dir;
    const std::string old = " <S>\n rating=70\n";
    Write_file("tavrix.tag", old);
    for (auto fault : {Atomic_file::Fault::create, Atomic_file::Fault::write, Atomic_file::Fault::sync,
                       Atomic_file::Fault::rename}) {
        Fault_guard guard(fault);
        EXPECT_FALSE(CIniFile::Set_value("rating", "90", "S", "tavrix.tag"));
        EXPECT_FALSE(CIniFile::Create_file("tavrix.tag"));
        EXPECT_EQ(Read_file("tavrix.tag"), old);
        EXPECT_EQ(Files_in(dir.Path()), 1u) << "a temporary file was left behind";
    }
    EXPECT_TRUE(CIniFile::Set_value("rating", "90", "S", "tavrix.tag"));
    EXPECT_EQ(Read_file("tavrix.tag"), " <S>\n rating=90\n");
    EXPECT_EQ(Files_in(dir.Path()), 1u);
}

TEST(AtomicWrite, RealFailuresReportFalse) {
    TestSupport::Scratch_dir dir;
    // A folder that does not exist, and a name taken by a folder (the rename fails).
    EXPECT_FALSE(Atomic_file::Write("missing/a.ini", "x"));
    TestSupport::Make_dirs("taken/inside");
    EXPECT_FALSE(Atomic_file::Write("taken", "x"));
    EXPECT_TRUE(boost::filesystem::is_directory("taken/inside"));
    EXPECT_EQ(Files_in(dir.Path()), 1u);
#ifndef _WIN32               // a folder's mode bits lock it on POSIX systems only
    if (::geteuid() != 0) {  // permissions do not stop root
        TestSupport::Make_dirs("locked");
        Write_file("locked/a.ini", "old");
        ::chmod("locked", 0555);
        EXPECT_FALSE(Atomic_file::Write("locked/a.ini", "new"));
        ::chmod("locked", 0755);
        EXPECT_EQ(Read_file("locked/a.ini"), "old");
    }
#endif
}

#ifndef _WIN32  // POSIX mode bits; Windows keeps neither them nor, for a plain user, symbolic links
TEST(AtomicWrite, KeepsPermissionsAndFollowsLinks) {
    TestSupport::Scratch_dir dir;
    Write_file("real.ini", "old");
    ::chmod("real.ini", 0640);
    boost::filesystem::create_symlink("real.ini", "link.ini");
    ASSERT_TRUE(Atomic_file::Write("link.ini", "new"));
    EXPECT_TRUE(boost::filesystem::is_symlink("link.ini"));
    EXPECT_EQ(Read_file("real.ini"), "new");
    struct stat info {};
    ASSERT_EQ(::stat("real.ini", &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
}
#endif

TEST(AtomicWrite, AWriterInPiecesReplacesOnlyWhenCommitted) {
    TestSupport::Scratch_dir dir;
    Write_file("VxCover.jpg", "old");
    {
        Atomic_file::Writer cut_off("VxCover.jpg");
        ASSERT_TRUE(cut_off.Open());
        ASSERT_TRUE(cut_off.Append("ne", 2));
        EXPECT_EQ(Files_in(dir.Path()), 2u);  // the temporary file beside the old one
    }                                         // a download that broke off: nothing of it stays
    EXPECT_EQ(Read_file("VxCover.jpg"), "old");
    EXPECT_EQ(Files_in(dir.Path()), 1u);

    Atomic_file::Writer whole("VxCover.jpg");
    ASSERT_TRUE(whole.Open());
    ASSERT_TRUE(whole.Append("ne", 2));
    ASSERT_TRUE(whole.Append("w", 1));
    ASSERT_TRUE(whole.Commit());
    EXPECT_FALSE(whole.Is_open());
    EXPECT_EQ(Read_file("VxCover.jpg"), "new");
    EXPECT_EQ(Files_in(dir.Path()), 1u);
    {
        Fault_guard guard(Atomic_file::Fault::write);
        Atomic_file::Writer failing("VxCover.jpg");
        ASSERT_TRUE(failing.Open());
        EXPECT_FALSE(failing.Append("x", 1));
        EXPECT_FALSE(failing.Commit());
    }
    EXPECT_EQ(Read_file("VxCover.jpg"), "new");
    EXPECT_EQ(Files_in(dir.Path()), 1u);
}

TEST(AtomicWrite, OnlyItsOwnTemporaryNamesOlderThanAMinuteCountAsStale) {
    EXPECT_TRUE(Atomic_file::Is_temporary_name(".tavrix.tag.tmp-a1B2c3"));
    EXPECT_TRUE(Atomic_file::Is_temporary_name(".x.tmp-000000"));
    for (const char* other :
         {"tavrix.tag.tmp-a1B2c3", ".tmp-a1B2c3", ".tavrix.tag.tmp-a1B2c", ".tavrix.tag.tmp-a1B2c3d",
          ".tavrix.tag.tmp-a1B2c.", ".tavrix.tag.part", "..tmp-abcdef"}) {
        EXPECT_FALSE(Atomic_file::Is_temporary_name(other)) << other;
    }
    TestSupport::Scratch_dir dir;
    auto aged = [](const std::string& path) {
        boost::filesystem::last_write_time(path, boost::filesystem::last_write_time(path) - 61);
    };
    Write_file(".a.tmp-000001", "old");
    aged(".a.tmp-000001");
    Write_file(".a.tmp-000002", "young");
    TestSupport::Make_dirs(".a.tmp-000003");  // a folder is never one of them
    aged(".a.tmp-000003");
#ifdef _WIN32
    const std::size_t kept = 2;  // a plain Windows user makes no symbolic links
#else
    boost::filesystem::create_symlink("a", ".a.tmp-000004");
    const std::size_t kept = 3;
#endif
    EXPECT_EQ(Atomic_file::Remove_stale_temporaries("."), 1);
    EXPECT_FALSE(boost::filesystem::exists(".a.tmp-000001"));
    EXPECT_EQ(Files_in(dir.Path()), kept);
}

TEST(AtomicWrite, ReplacingAnExistingFileGivesTheExactBytesAndLeavesOneFile) {
    TestSupport::Scratch_dir dir;
    // Windows' rename refuses an existing target; every save after the first replaces one.
    for (const std::string& content :
         {std::string("one\n"), std::string(" <S>\n rating=70\n"), std::string("\0\r\n\n", 4)}) {
        ASSERT_TRUE(Atomic_file::Write("tavrix.tag", content));
        EXPECT_EQ(Read_file("tavrix.tag"), content);  // text goes out byte for byte: no CR added
        EXPECT_EQ(Files_in(dir.Path()), 1u);
    }
    // The platform's step itself, in both durabilities: the target's old content is gone, the source too.
    Write_file("from", "new");
    Write_file("to", "old and longer");
    ASSERT_TRUE(Platform::Replace_file("from", "to"));
    EXPECT_EQ(Read_file("to"), "new");
    Write_file("from", "newer");
    ASSERT_TRUE(Platform::Replace_file("from", "to", Platform::Durability::cache));
    EXPECT_EQ(Read_file("to"), "newer");
    EXPECT_FALSE(boost::filesystem::exists("from"));
    // A missing source fails and leaves the target alone.
    EXPECT_FALSE(Platform::Replace_file("from", "to"));
    EXPECT_EQ(Read_file("to"), "newer");
}

TEST(AtomicWrite, ASaveWhileTheOldFileIsReadReplacesItOnceTheReaderCloses) {
    TestSupport::Scratch_dir dir;
    ASSERT_TRUE(Atomic_file::Write("MusicDataBase.dat", "old"));
    // A reader holds the old file open for a moment (the library read ahead at start-up, or on
    // Windows a virus scanner): the save waits for it there instead of failing, and needs no wait here.
    std::promise<void> opened;
    std::thread reader([&] {
        std::ifstream in("MusicDataBase.dat", std::ios::binary);
        opened.set_value();
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    });
    opened.get_future().wait();
    const bool saved = Atomic_file::Write("MusicDataBase.dat", "new");
    reader.join();
    EXPECT_TRUE(saved);
    EXPECT_EQ(Read_file("MusicDataBase.dat"), "new");
    EXPECT_EQ(Files_in(dir.Path()), 1u);
}

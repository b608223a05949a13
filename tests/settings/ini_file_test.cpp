// The INI dialect: what survives a load and save, where new keys go, commented-out records,
// and the lines whose text would otherwise be misread ("<" in values, "=" in section names).
#include <gtest/gtest.h>

#include <filesystem>

#include "settings/CIniFile.h"
#include "tests/support/test_support.h"

using TestSupport::Read_file;
using TestSupport::Write_file;

namespace {
std::string Resave(const std::string& file) {
    std::vector<IniRecord> records;
    EXPECT_TRUE(CIniFile::Load_file(file, records));
    EXPECT_TRUE(CIniFile::Save_file(file, records));
    return Read_file(file);
}
}  // namespace

TEST(IniFile, CommentsTravelWithTheirRecordAndLoseOnlyBlanks) {
    TestSupport::Scratch_dir dir;
    Write_file("a.ini",
               "   # first comment   \n\n <ONE>\n#  indented\t\n key=value \n\n; semi comment\n <TWO>\n k2=v2\n");
    EXPECT_EQ(Resave("a.ini"), "# first comment\n <ONE>\n#  indented\n key=value\n; semi comment\n <TWO>\n k2=v2\n");
    // A second round changes nothing.
    EXPECT_EQ(Resave("a.ini"), Read_file("a.ini"));
    std::vector<IniRecord> records;
    ASSERT_TRUE(CIniFile::Load_file("a.ini", records));
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[1].section, "ONE");
    EXPECT_EQ(records[1].comments, "#  indented\n");
    EXPECT_EQ(records[3].section, "TWO");
}

TEST(IniFile, BlanksAroundEqualsBelongToKeyAndValue) {
    TestSupport::Scratch_dir dir;
    Write_file("a.ini", " <S>\n name = Joe\n");
    EXPECT_EQ(CIniFile::Get_value("name", "S", "a.ini"), "");
    EXPECT_EQ(CIniFile::Get_value("name ", "S", "a.ini"), " Joe");
    EXPECT_TRUE(CIniFile::Record_exists("name ", "S", "a.ini"));
}

TEST(IniFile, CommentedOutRecordsStillAnswerAndKeepTheirMark) {
    TestSupport::Scratch_dir dir;
    Write_file("a.ini", " <S>\n#UseLogging=no\n;<Old>\n;gone=1\n");
    EXPECT_EQ(CIniFile::Get_value("UseLogging", "S", "a.ini"), "no");
    // A commented-out header still groups the keys below it.
    EXPECT_EQ(CIniFile::Get_value("gone", "Old", "a.ini"), "1");
    EXPECT_TRUE(CIniFile::Set_value("UseLogging", "yes", "S", "a.ini"));
    EXPECT_EQ(Read_file("a.ini"), " <S>\n#UseLogging=yes\n;<Old>\n;gone=1\n");
}

TEST(IniFile, AngleBracketsInValuesAndSectionsReadBackUnchanged) {
    TestSupport::Scratch_dir dir;
    ASSERT_TRUE(CIniFile::Create_file("a.ini"));
    // A lookbehind in an expression, a song file named with "=" and ">", an address in a comment.
    ASSERT_TRUE(CIniFile::Set_value("SONG", "(?<=-)(.*)\\.mp3", "REGULAR EXPRESSIONS", "a.ini"));
    ASSERT_TRUE(CIniFile::Set_value("rating", "70", "1+1=2 <live> version.mp3", "a.ini"));
    ASSERT_TRUE(CIniFile::Set_section_comment("# consult <https://regex101.com/> for experimenting",
                                              "REGULAR EXPRESSIONS", "a.ini"));
    ASSERT_TRUE(CIniFile::Set_value("CD_TITLE", "x", "REGULAR EXPRESSIONS", "a.ini"));
    EXPECT_EQ(CIniFile::Get_value("SONG", "REGULAR EXPRESSIONS", "a.ini"), "(?<=-)(.*)\\.mp3");
    EXPECT_EQ(CIniFile::Get_value("rating", "1+1=2 <live> version.mp3", "a.ini"), "70");
    // A comment holding "<" reads as a commented-out header: it loses the character after its
    // mark and everything from the first ">" on.
    EXPECT_EQ(Read_file("a.ini"),
              "#<onsult <https://regex101.com/>\n <REGULAR EXPRESSIONS>\n CD_TITLE=x\n"
              " SONG=(?<=-)(.*)\\.mp3\n <1+1=2 <live> version.mp3>\n rating=70\n");
}

TEST(IniFile, StrayLinesAreKeptAsCommentsNotTurnedIntoNamelessSections) {
    TestSupport::Scratch_dir dir;
    Write_file("a.ini", " <S>\nstray words\n key=1\n");
    EXPECT_EQ(Resave("a.ini"), " <S>\nstray words\n key=1\n");
    EXPECT_EQ(CIniFile::Get_value("key", "S", "a.ini"), "1");
}

TEST(IniFile, NewKeysGoBelowTheHeaderSoThreeAddsReverse) {
    TestSupport::Scratch_dir dir;
    ASSERT_TRUE(CIniFile::Create_file("a.ini"));
    ASSERT_TRUE(CIniFile::Set_value("a", "1", "S", "a.ini"));
    ASSERT_TRUE(CIniFile::Set_value("b", "2", "S", "a.ini"));
    ASSERT_TRUE(CIniFile::Set_value("c", "3", "S", "a.ini"));
    ASSERT_TRUE(CIniFile::Set_value("z", "9", "T", "a.ini"));
    ASSERT_TRUE(CIniFile::Set_value("b", "22", "S", "a.ini"));
    EXPECT_EQ(Read_file("a.ini"), " <S>\n c=3\n b=22\n a=1\n <T>\n z=9\n");
}

TEST(IniFile, SectionsAndRecordsAddDeleteAndComment) {
    TestSupport::Scratch_dir dir;
    ASSERT_TRUE(CIniFile::Create_file("a.ini"));
    EXPECT_FALSE(CIniFile::Section_exists("S", "a.ini"));
    ASSERT_TRUE(CIniFile::Add_section("S", "a.ini"));
    ASSERT_TRUE(CIniFile::Add_section("S", "a.ini"));  // no look for an existing one
    ASSERT_TRUE(CIniFile::Set_value("k", "v", "S", "a.ini"));
    EXPECT_EQ(Read_file("a.ini"), " <S>\n k=v\n <S>\n");

    EXPECT_TRUE(CIniFile::Set_record_comment("# about k", "k", "S", "a.ini"));
    EXPECT_TRUE(CIniFile::Set_section_comment("#", "S", "a.ini"));  // too short for a line feed
    EXPECT_FALSE(CIniFile::Set_record_comment("# x", "missing", "S", "a.ini"));
    EXPECT_EQ(Read_file("a.ini"), "# <S>\n# about k\n k=v\n <S>\n");

    EXPECT_FALSE(CIniFile::Delete_record("missing", "S", "a.ini"));
    EXPECT_TRUE(CIniFile::Delete_record("k", "S", "a.ini"));
    ASSERT_TRUE(CIniFile::Set_value("k", "v", "T", "a.ini"));
    EXPECT_TRUE(CIniFile::Delete_section("S", "a.ini"));
    EXPECT_EQ(Read_file("a.ini"), " <T>\n k=v\n");
    ASSERT_EQ(CIniFile::Get_record("k", "T", "a.ini").size(), 1u);
    EXPECT_TRUE(CIniFile::Get_record("k", "S", "a.ini").empty());

    EXPECT_TRUE(CIniFile::Create_file("a.ini"));  // empties an existing file
    EXPECT_EQ(Read_file("a.ini"), "");
}

TEST(IniFile, UnreadableFileAnswersExistsAndRefusesWrites) {
    TestSupport::Scratch_dir dir;
    EXPECT_TRUE(CIniFile::Section_exists("S", "none.ini"));
    EXPECT_TRUE(CIniFile::Record_exists("k", "S", "none.ini"));
    EXPECT_EQ(CIniFile::Get_value("k", "S", "none.ini"), "");
    EXPECT_FALSE(CIniFile::Set_value("k", "v", "S", "none.ini"));
    EXPECT_FALSE(CIniFile::Add_section("S", "none.ini"));
    EXPECT_FALSE(CIniFile::File_exists("none.ini"));
}

TEST(IniFile, TextThatCannotBeOneLineIsRefused) {
    TestSupport::Scratch_dir dir;
    Write_file("a.ini", " <S>\n k=v\n");
    EXPECT_FALSE(CIniFile::Set_value("k", "two\nlines", "S", "a.ini"));
    EXPECT_FALSE(CIniFile::Set_value("a=b", "v", "S", "a.ini"));
    EXPECT_FALSE(CIniFile::Set_value("k", "v", "bad\rsection", "a.ini"));
    EXPECT_FALSE(CIniFile::Add_section("song\n.mp3", "a.ini"));
    // Lines are trimmed when read: a value ending in a blank would come back without it.
    EXPECT_FALSE(CIniFile::Set_value("k", "/media/My Music ", "S", "a.ini"));
    EXPECT_FALSE(CIniFile::Set_value("k", "tab\t", "S", "a.ini"));
    EXPECT_EQ(Read_file("a.ini"), " <S>\n k=v\n");
}

TEST(IniFile, RecordsThatWouldBeMisreadWhenWrittenBackAreKeptWhole) {
    TestSupport::Scratch_dir dir;
    // A commented-out key given a value with "<" would read back as a header: it goes live.
    Write_file("a.ini", " <MUSIC LOCATION>\n#MusicFolder=/old/music\n UseLogging=yes\n");
    ASSERT_TRUE(CIniFile::Set_value("MusicFolder", "/music/<live>", "MUSIC LOCATION", "a.ini"));
    EXPECT_EQ(CIniFile::Get_value("MusicFolder", "MUSIC LOCATION", "a.ini"), "/music/<live>");
    EXPECT_EQ(CIniFile::Get_value("UseLogging", "MUSIC LOCATION", "a.ini"), "yes");
    // A key line without a key stays a line of text: written back as a header it would capture
    // the keys below it (here a song's rating in a tag file).
    Write_file("t.tag", " <Live > Studio.mp3>\n#=x\n rating=80\n =y\n");
    ASSERT_TRUE(CIniFile::Set_value("rating", "90", "Other.mp3", "t.tag"));
    EXPECT_EQ(CIniFile::Get_value("rating", "Live > Studio.mp3", "t.tag"), "80");
    EXPECT_EQ(CIniFile::Get_value("rating", "Other.mp3", "t.tag"), "90");
    EXPECT_NE(Read_file("t.tag").find("#=x\n rating=80\n"), std::string::npos);
}

TEST(IniFile, TrimModes) {
    std::string both = " \t x y \r\n", start = both, end = both, blank = " \t\r\n";
    CIniFile::Trim(both, CIniFile::Trim_set, 0);
    CIniFile::Trim(start, CIniFile::Trim_set, 1);
    CIniFile::Trim(end, CIniFile::Trim_set, 2);
    CIniFile::Trim(blank, CIniFile::Trim_set, 0);
    EXPECT_EQ(both, "x y");
    EXPECT_EQ(start, "x y \r\n");
    EXPECT_EQ(end, " \t x y");
    EXPECT_EQ(blank, "");
}

TEST(IniFile, SetValueMakesAMissingFileInOneWriteOnlyWhenAsked) {
    TestSupport::Scratch_dir dir;
    EXPECT_FALSE(CIniFile::Set_value("rating", "70", "a.mp3", "t.tag"));
    EXPECT_FALSE(std::filesystem::exists("t.tag"));
    ASSERT_TRUE(CIniFile::Set_value("rating", "70", "a.mp3", "t.tag", CIniFile::Missing_file::create));
    EXPECT_EQ(Read_file("t.tag"), " <a.mp3>\n rating=70\n");
    // An existing file is changed as without the policy; one that cannot be read is left alone.
    ASSERT_TRUE(CIniFile::Set_value("rating", "80", "a.mp3", "t.tag", CIniFile::Missing_file::create));
    EXPECT_EQ(Read_file("t.tag"), " <a.mp3>\n rating=80\n");
    TestSupport::Make_dirs("folder.tag/inside");
    EXPECT_FALSE(CIniFile::Set_value("rating", "70", "a.mp3", "folder.tag", CIniFile::Missing_file::create));
    EXPECT_TRUE(std::filesystem::exists("folder.tag/inside"));
}

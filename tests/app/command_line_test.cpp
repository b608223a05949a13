// The option parser: what each option sets, the actions, and the refusals with their one-line reasons;
// and the program's own answers to --help, --version and a bad option (streams and exit codes).
#include "app/Command_line.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "Tavrix_version.h"
#include "tests/app/program_run.h"

namespace {

Command_line Parse(std::vector<std::string> args) {
    args.insert(args.begin(), "tavrix");
    return Parse_command_line(args);
}

TEST(CommandLine, OptionsSetWhatTheySayAndChooseTheAction) {
    Command_line c = Parse({});
    EXPECT_EQ(c.action, Command_line::Action::run_jukebox);
    EXPECT_EQ(c.display, Command_line::Display::window);

    c = Parse({"--headless", "--script", "s.txt", "--home", "/h"});
    EXPECT_EQ(c.action, Command_line::Action::run_jukebox);
    EXPECT_EQ(c.display, Command_line::Display::headless);
    EXPECT_EQ(c.script, "s.txt");
    EXPECT_EQ(c.home, "/h");

    c = Parse({"--home=/other", "--rebuild-library", "--list"});
    EXPECT_EQ(c.action, Command_line::Action::library_commands);
    EXPECT_TRUE(c.rebuild_library);
    EXPECT_TRUE(c.list);
    EXPECT_EQ(c.home, "/other");

    // --help and --version win over everything else that is valid.
    EXPECT_EQ(Parse({"--list", "--help"}).action, Command_line::Action::help);
    EXPECT_EQ(Parse({"--version", "--headless"}).action, Command_line::Action::version);
    // A second parse in one process starts afresh.
    EXPECT_EQ(Parse({"--list"}).action, Command_line::Action::library_commands);
}

TEST(CommandLine, BadArgumentsAreRefusedWithOneLine) {
    const struct {
        std::vector<std::string> args;
        const char* reason;
    } cases[] = {
        {{"--bogus"}, "unknown option '--bogus'"},
        {{"-x"}, "unknown option '-x'"},
        {{"--script"}, "option '--script' needs a value"},
        {{"--home"}, "option '--home' needs a value"},
        {{"--home="}, "option '--home' needs a folder"},
        {{"--headless", "extra"}, "unexpected argument 'extra'"},
        {{"--list", "--script", "s.txt"}, "--script drives the window; it cannot go with --rebuild-library or --list"},
        {{"--help=yes"}, "unknown option '--help=yes'"},
    };
    for (const auto& c : cases) {
        const Command_line parsed = Parse(c.args);
        EXPECT_EQ(parsed.action, Command_line::Action::refused) << c.reason;
        EXPECT_EQ(parsed.error, c.reason);
        EXPECT_EQ(parsed.error.find('\n'), std::string::npos);
    }
}

TEST(CommandLine, TheProgramAnswersOnTheRightStreamWithTheRightCode) {
    TestSupport::Scratch_dir scratch;
    TestSupport::Make_dirs(scratch.Path() + "/here");
    const std::string here = scratch.Path() + "/here";
    const std::vector<std::string> env{"HOME=" + scratch.Path() + "/nohome"};

    ProgramTest::Outcome help = ProgramTest::Run_program(here, {"--help"}, env);
    EXPECT_EQ(help.code, 0);
    EXPECT_EQ(help.err, "");
    EXPECT_EQ(help.out.rfind("usage: tavrix ", 0), 0u) << help.out;
    for (const char* option :
         {"--home DIR", "--headless", "--script FILE", "--rebuild-library", "--list", "--help", "--version"})
        EXPECT_NE(help.out.find(std::string("\n  ") + option + " "), std::string::npos) << option;

    ProgramTest::Outcome version = ProgramTest::Run_program(here, {"--version"}, env);
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out, std::string("tavrix v") + TAVRIX_VERSION_TEXT + "\n");

    ProgramTest::Outcome bad = ProgramTest::Run_program(here, {"--frobnicate"}, env);
    EXPECT_EQ(bad.code, 2);
    EXPECT_EQ(bad.out, "");
    EXPECT_EQ(bad.err, "tavrix: unknown option '--frobnicate'\n" + Usage_line());
    // Nothing was written anywhere: no home was made.
    EXPECT_FALSE(std::filesystem::exists(scratch.Path() + "/nohome"));
    EXPECT_TRUE(std::filesystem::is_empty(here));
}

}  // namespace

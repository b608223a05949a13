// The progress of "--rebuild-library" on standard error: one rewritten line on a terminal, at most
// ten updates a second; only the final line when standard error is a pipe or a file.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "tests/app/jukebox_fixture.h"
#include "tests/app/program_run.h"

namespace {

class Rebuild_progress : public JukeboxTest::Home {
protected:
    // Enough folders that a line per folder would be thousands of updates.
    void SetUp() override {
        for (int a = 0; a < 1500; ++a) {
            const std::string folder =
                home + "/music/Artist " + std::to_string(a % 97) + " - Album " + std::to_string(a);
            TestSupport::Make_dirs(folder);
            TestSupport::Write_file(folder + "/01 - Song.mp3", "");
        }
    }
    std::vector<std::string> Env() const { return {"HOME=" + home, "PATH=/usr/bin:/bin", "SDL_VIDEODRIVER=dummy"}; }
};

TEST_F(Rebuild_progress, APipeGetsTheFinalLineOnly) {
    const ProgramTest::Outcome o = ProgramTest::Run_program(run, {"--headless", "--rebuild-library"}, Env());
    ASSERT_EQ(o.code, 0) << o.err;
    EXPECT_EQ(o.err, "Library ready: 1500 albums\n");
}

TEST_F(Rebuild_progress, ATerminalGetsAtMostTenUpdatesASecond) {
    // script(1) gives the program a terminal and copies what it writes there to this pipe.
    const std::string command =
        "cd '" + run + "' && env -i HOME='" + home +
        "' PATH=/usr/bin:/bin TAVRIX_MUSICBRAINZ_SERVER= SDL_VIDEODRIVER=dummy script -qec \"timeout 30 '" +
        std::string(TAVRIX_BINARY_DIR) + "/app/tavrix' --headless --rebuild-library\" /dev/null";
    const auto start = std::chrono::steady_clock::now();
    std::FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string text;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
    ASSERT_EQ(pclose(pipe), 0) << text;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ASSERT_NE(text.find("Library ready: 1500 albums"), std::string::npos) << text;
    // Each update rewrites the line from its start; the final line is one of them.
    const int updates = Count(text, "\r") - Count(text, "\r\n");
    EXPECT_GE(updates, 1);
    EXPECT_LE(updates, 10 * seconds + 4) << seconds << " s: " << text.substr(0, 2000);
}

}  // namespace

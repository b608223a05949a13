// The jukebox program run end to end on a generated home in a scratch folder: the home with the
// painted theme, albums of empty or playable songs, and a headless scripted run with a time limit.
#pragma once

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "tests/support/test_support.h"
#include "tests/support/wav_file.h"

namespace JukeboxTest {

namespace fs = std::filesystem;
using TestSupport::Make_dirs;
using TestSupport::Read_file;
using TestSupport::Write_file;

class Home : public ::testing::Test {
protected:
    Home() : home(scratch.Path() + "/home"), run(home + "/run") {
        Make_dirs(run);
        Make_dirs(home + "/covers");
        Make_dirs(home + "/files");
        Make_dirs(home + "/music");
        fs::copy(std::string(TAVRIX_BINARY_DIR) + "/pics", home + "/pics", fs::copy_options::recursive);
    }
    void Add_album(const std::string& folder) {
        Make_dirs(home + "/music/" + folder);
        Write_file(home + "/music/" + folder + "/01 - First.mp3", "");
        Write_file(home + "/music/" + folder + "/02 - Second.mp3", "");
    }
    // An album of playable songs: "NN - Song N.wav", quiet tones of the given length.
    void Add_playable_album(const std::string& folder, int songs, double seconds) {
        Make_dirs(home + "/music/" + folder);
        for (int n = 1; n <= songs; ++n)
            TestSupport::Write_wav(
                home + "/music/" + folder + "/0" + std::to_string(n) + " - Song " + std::to_string(n) + ".wav",
                seconds);
    }
    std::string Log() { return fs::exists(run + "/log.txt") ? Read_file(run + "/log.txt") : ""; }
    // Runs the jukebox with the script; a hang ends after limit_s (30 s unless given) and fails. env
    // adds "NAME=value" settings (a server address for the internet services, say); none is set otherwise,
    // and the cover services are off.
    int Start(const std::string& script, const std::string& env = "", int limit_s = 30) {
        Write_file(run + "/script.txt", script);
        const std::string command =
            "cd '" + run +
            "' && env -u DISPLAY -u WAYLAND_DISPLAY -u TAVRIX_DIST_SERVER "
            "-u TAVRIX_LOCAL_SERVER -u TAVRIX_IMAGE_SEARCH TAVRIX_MUSICBRAINZ_SERVER= SDL_VIDEODRIVER=dummy "
            "TAVRIX_AUDIO_SINK=fakesink " +
            env + " timeout " + std::to_string(limit_s) + " '" + std::string(TAVRIX_BINARY_DIR) +
            "/app/tavrix' --headless --script script.txt >/dev/null 2>&1";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    // Runs the jukebox with the script until done() holds (a generous deadline for a loaded machine),
    // then ends it. True when it came to hold. env as for Start.
    bool Run_until(const std::string& env, const std::string& script, const std::function<bool()>& done) {
        TestSupport::Write_file(run + "/script.txt", script);
        const std::string command =
            "cd '" + run +
            "' && (env -u DISPLAY -u WAYLAND_DISPLAY -u TAVRIX_DIST_SERVER "
            "-u TAVRIX_LOCAL_SERVER -u TAVRIX_IMAGE_SEARCH TAVRIX_MUSICBRAINZ_SERVER= SDL_VIDEODRIVER=dummy "
            "TAVRIX_AUDIO_SINK=fakesink " +
            env + " '" + std::string(TAVRIX_BINARY_DIR) +
            "/app/tavrix' --headless --script script.txt >/dev/null 2>&1 & echo $! > pid.txt)";
        if (std::system(command.c_str()) != 0) return false;
        const pid_t pid = std::stoi(TestSupport::Read_file(run + "/pid.txt"));
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(90);
        bool came = false;
        while (!came && std::chrono::steady_clock::now() < deadline && kill(pid, 0) == 0) {
            came = done();
            if (!came) std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        came = came || done();
        kill(pid, SIGTERM);
        while (kill(pid, 0) == 0) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return came;
    }
    std::string Dialogs() { return fs::exists(run + "/dialogs.txt") ? Read_file(run + "/dialogs.txt") : ""; }
    static int Count(const std::string& text, const std::string& part) {
        int n = 0;
        for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
        return n;
    }

    TestSupport::Scratch_dir scratch;
    std::string home, run;
};

}  // namespace JukeboxTest

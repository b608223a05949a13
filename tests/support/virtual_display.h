// A virtual X server (Xvfb) of a given screen size, for runs that need a real window of that size;
// shared by the end-to-end tests and the benches. Started in the constructor, ended with the object.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>

namespace TestSupport {

// Display() is empty when no server could be started (Xvfb not installed). Each object takes a display
// number no other server holds, so parallel runs do not meet.
class Virtual_display {
public:
    Virtual_display(int width, int height) {
        namespace fs = std::filesystem;
        using Clock = std::chrono::steady_clock;
        for (int number = 100 + getpid() % 300, tries = 0; tries < 20 && display_.empty(); ++tries, ++number) {
            const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
            if (fs::exists(socket) || fs::exists("/tmp/.X" + std::to_string(number) + "-lock"))
                continue;  // another server holds this number
            const std::string name = ":" + std::to_string(number);
            const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
            pid_ = fork();
            if (pid_ == 0) {
                const int null = open("/dev/null", O_RDWR);
                dup2(null, 0), dup2(null, 1), dup2(null, 2);
                execlp("Xvfb", "Xvfb", name.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp",
                       static_cast<char*>(nullptr));
                _exit(127);
            }
            // Ready once its socket is there; ended (no Xvfb, a lost race for the number): try the next.
            const auto deadline = Clock::now() + std::chrono::seconds(20);
            int status = 0;
            while (Clock::now() < deadline && !fs::exists(socket) && waitpid(pid_, &status, WNOHANG) == 0)
                usleep(20000);
            if (fs::exists(socket)) {
                display_ = name;
            } else {
                kill(pid_, SIGTERM);
                waitpid(pid_, &status, 0);
                pid_ = -1;
            }
        }
    }
    ~Virtual_display() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    Virtual_display(const Virtual_display&) = delete;
    Virtual_display& operator=(const Virtual_display&) = delete;
    const std::string& Display() const { return display_; }

private:
    pid_t pid_ = -1;
    std::string display_;
};

}  // namespace TestSupport

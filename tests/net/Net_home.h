// A jukebox home for one test of the internet services: a scratch folder with run/ (the working
// folder), files/, covers/ and music/, headless message boxes, and a shell that records what the
// services asked of it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "net/VxNet_shell.h"
#include "tests/support/test_support.h"

namespace TestSupport {

class Recording_shell : public VxNet_shell {
public:
    void Progress_download_file(int kilobytes) override { kilobytes_shown.push_back(kilobytes); }
    void Quit() override { ++quits; }
    void Restart_current_song() override { ++restarts; }

    std::vector<int> kilobytes_shown;
    int quits = 0;
    int restarts = 0;
};

class Net_home {
public:
    Net_home();
    ~Net_home();

    std::string Home() const { return scratch_.Path() + "/home"; }
    std::vector<std::string> Dialogs() const;  // the lines of dialogs.txt
    std::string Errors() const;                // error.txt
    std::string Log() const;                   // log.txt
    Recording_shell shell;

private:
    Scratch_dir scratch_;
};

bool Exists(const std::string& path);

}  // namespace TestSupport

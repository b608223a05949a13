// Helpers for tests: a fresh scratch folder that becomes the working folder for one test,
// and small file helpers. Singletons of the jukebox read the working folder, so each test
// that touches files runs inside its own scratch folder.
#pragma once

#include <string>

namespace TestSupport {

// Creates a unique empty folder under the system's temporary folder and changes into it;
// changes back and removes it on destruction.
class Scratch_dir {
public:
    Scratch_dir();
    ~Scratch_dir();
    Scratch_dir(const Scratch_dir&) = delete;
    Scratch_dir& operator=(const Scratch_dir&) = delete;
    const std::string& Path() const { return path_; }  // absolute, no trailing separator

private:
    std::string path_;
    std::string previous_;
};

std::string Read_file(const std::string& path);

// Starts the trace's files in the current folder (the test's own "run/" or scratch folder). Call it
// after changing into that folder; lines written before, by any thread, follow the start lines.
void Open_trace_here();
// A trace file ("log.txt", "error.txt") of the current folder, after flushing what is buffered.
std::string Read_trace(const std::string& name);
void Write_file(const std::string& path, const std::string& content);
void Make_dirs(const std::string& path);

}  // namespace TestSupport

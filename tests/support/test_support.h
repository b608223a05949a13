// Helpers for tests: a fresh scratch folder that becomes the working folder for one test,
// and small file helpers. Singletons of the jukebox read the working folder, so each test
// that touches files runs inside its own scratch folder.
#pragma once

#include <string>

namespace TestSupport {

// Creates a unique empty folder under the system's temporary folder and changes into it;
// changes back and removes it on destruction. In a child that runs its test again (child_process.h,
// or a death test's child on Windows) it is the parent's folder of the same rank instead, left in place.
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
    bool adopted_ = false;  // a replaying child's folder, which belongs to its parent
};

std::string Read_file(const std::string& path);

// Starts the trace's files in the current folder (the test's own "run/" or scratch folder). Call it
// after changing into that folder; lines written before, by any thread, follow the start lines.
void Open_trace_here();
// A trace file ("log.txt", "error.txt") of the current folder, after flushing what is buffered.
std::string Read_trace(const std::string& name);
void Write_file(const std::string& path, const std::string& content);
void Make_dirs(const std::string& path);

// A path written with "/" in a test, in the platform's separator as the jukebox's names have it.
std::string Native(std::string path);

// The theme pictures the tests copy into a jukebox home: TAVRIX_TEST_PICS when set (the Windows
// tests under Wine take them from the Linux build), else the build's own "pics".
std::string Theme_pics_folder();

// The process's environment, as the program's getenv sees it on both systems.
void Set_env(const std::string& name, const std::string& value);
void Unset_env(const std::string& name);

}  // namespace TestSupport

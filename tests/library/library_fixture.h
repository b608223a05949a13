// A scratch jukebox for library tests: a working folder with a settings file whose music folder is
// "<scratch>/music", headless boxes, and helpers that build trees of empty song files.
#pragma once

#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace Library_test {

struct Options {
    bool two_directories = false;
    bool logging = true;
    std::string title_pattern;  // "" keeps the default
};

class Jukebox : public TestSupport::Scratch_dir {
public:
    explicit Jukebox(Options options = {});
    // In the platform's separator, as the settings give it.
    std::string Music() const { return Path() + TestSupport::Native("/music"); }  // no trailing separator
    std::string Music_folder() const { return Music() + TestSupport::Native("/"); }
    // Creates an empty file (and its folders) below the music folder.
    void Touch(const std::string& relative) const;
    std::vector<std::string> Dialogs() const;  // lines of dialogs.txt
};

// The names of the entries of a folder in the order the file system lists them.
std::vector<std::string> Listing(const std::string& folder);

}  // namespace Library_test

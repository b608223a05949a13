// The jukebox homes the crash test works on: made once per case, copied afresh for every kill, and the
// program run on them plainly (not traced) with a time limit. Single-threaded, like the whole tool.
#pragma once

#include <string>
#include <vector>

namespace Crashtest {

class Home {
public:
    // A new home in folder (which must not exist): run/, covers/, files/, music/, and pics/ linked to
    // the theme the build painted.
    Home(std::string folder, const std::string& pics);
    // One that exists already.
    static Home Existing(std::string folder) { return Home(std::move(folder)); }

    const std::string& Folder() const { return folder_; }
    std::string Run() const { return folder_ + "/run"; }
    std::string Music() const { return folder_ + "/music"; }

    // An album of empty songs, or of playable tones (30 s, so that one still plays when it is rated).
    enum class Songs { empty, playable };
    void Add_album(const std::string& name, int songs, Songs kind) const;

    // Replaces this home's content by a copy of other's (links copied as links).
    void Copy_from(const Home& other) const;

    // Temporary files of interrupted writes (".NAME.tmp-XXXXXX") in run/ and in every album folder.
    std::vector<std::string> Temporaries() const;
    // Sets their time back past the one-minute guard under which a start leaves them alone (they
    // might belong to another jukebox's write in progress): a kill followed by a later start.
    void Age(const std::vector<std::string>& files) const;

private:
    explicit Home(std::string folder) : folder_(std::move(folder)) {}
    std::string folder_;
};

// The environment of a headless run: no display, no servers, a sink that plays nothing.
std::vector<std::string> Headless_env(const Home& home);  // GStreamer's registry shared by the homes of one folder

struct Plain_run {
    int exit_code = -1;  // -1 when it did not exit by itself (killed by the time limit)
    std::string out;     // its standard output
};
// Runs program with args in the home's run/ folder, its standard error dropped.
Plain_run Run_plain(const std::string& program, const std::vector<std::string>& args, const Home& home,
                    int timeout_s = 60);

std::string Read_file(const std::string& path);
bool Exists(const std::string& path);

}  // namespace Crashtest

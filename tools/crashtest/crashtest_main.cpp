// tavrix_crashtest: kills the real program with SIGKILL at seeded points while it writes the library, the
// settings and a tag file, then starts it again and checks the files, the next start and the temporary files.
//
//   tavrix_crashtest [--points N] [--seed S] [--case library|settings|tag [--at POINT]] [--work DIR]
//                    [--program PATH] [--pics DIR]
//
// --at replays the one point a failure line names.
//
// A point is the entry or the exit of one system call on the watched file (see Kill_tracer.h), so a kill
// lands where the seed says whatever the machine's load; every point must leave a usable jukebox. Per case:
// a run to the end counts the points and gives the new file, then N runs are each killed at a point drawn
// from the seed. Exit code 0 when every check held, 1 when one failed, 77 when tracing is not allowed here.
// Each point writes a progress line to standard error; the tallies come on standard output at each case's end.
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "settings/CIniFile.h"
#include "tools/crashtest/Crash_home.h"
#include "tools/crashtest/Kill_tracer.h"

namespace fs = std::filesystem;
using Crashtest::Home;

namespace {

// The first album's second song, rated by digit once it plays (the browse page "A" opens first: "0" has
// no album), then the window closed, which saves the library as Q does but without Q's fade. The keys
// need no waits between them: the user-interface thread takes them from its queue in order, whatever
// the panels are still sliding. Only the rating waits, on the log, for the song to have started.
std::string Rating_script(char digit) {
    return std::string("key b\nkey 1\nkey 2\nuntil 20000 Wait for SemControl Ready..\nkey r\nkey ") + digit +
           "\nclose\n";
}
const char* const Options_script = "key o\nkey 5\nkey Escape\nkey q\n";
const char* const Tag_before = " <01 - Song 1.wav>\n rating=90\n <03 - Song 3.wav>\n rating=60\n";

struct Options {
    int points = 100;
    unsigned seed = 1;
    std::string work = (fs::temp_directory_path() / "tavrix-crashtest").string();
    std::string program = std::string(TAVRIX_BINARY_DIR) + "/app/tavrix";
    std::string pics = std::string(TAVRIX_BINARY_DIR) + "/pics";
    std::string only;  // one case by the first word of its name; all when empty
    int at = 0;        // replays this one point instead of drawing them
};

struct Case {
    std::string name;
    std::string base;    // the home before the write, made by Prepare
    std::string target;  // relative to the home
    std::vector<std::string> args;
    std::string script;  // for a jukebox run
    int albums = 0;      // what the next start must show
};

struct Tally {
    int killed = 0, ran_out = 0, old = 0, removed = 0, between = 0, fresh = 0, torn = 0;
    int temps_left = 0, temps_after = 0, usable = 0, failures = 0;
};

class Crashtest_run {
public:
    explicit Crashtest_run(Options o) : o_(std::move(o)) {}

    int Run() {
        std::string why;
        if (!Crashtest::Tracing_available(why)) {
            std::cout << "crashtest: this machine does not let a process trace its children: " << why << "\n";
            return 77;
        }
        fs::remove_all(o_.work);
        fs::create_directories(o_.work);
        o_.work = fs::canonical(o_.work).string();  // the tracer compares paths without links
        if (!Prepare()) return 1;
        int failed = 0;
        for (std::size_t i = 0; i < cases_.size(); ++i)
            if (o_.only.empty() || cases_[i].name.rfind(o_.only, 0) == 0)
                failed += Run_case(cases_[i], o_.seed + static_cast<unsigned>(i));
        if (failed == 0) fs::remove_all(o_.work);  // a failure keeps its homes to look at
        return failed == 0 ? 0 : 1;
    }

private:
    Home Make(const std::string& name) {
        fs::remove_all(o_.work + "/" + name);
        return Home(o_.work + "/" + name, o_.pics);
    }

    bool Started(const Home& home, const std::vector<std::string>& args, const std::string& what) {
        const Crashtest::Plain_run run = Crashtest::Run_plain(o_.program, args, home);
        if (run.exit_code == 0) return true;
        std::cout << "crashtest: preparing " << what << " failed (exit " << run.exit_code << ")\n";
        return false;
    }

    // The homes: ten albums (the first of playable songs, with two ratings in its tag file), the
    // settings and the library made by a first start.
    bool Prepare() {
        Home home = Make("base");
        home.Add_album("Alpha - One", 3, Home::Songs::playable);
        const char* names[] = {"Bravo - Two",  "Charlie - Three", "Delta - Four", "Echo - Five",  "Foxtrot - Six",
                               "Golf - Seven", "Hotel - Eight",   "India - Nine", "Juliett - Ten"};
        for (const char* n : names) home.Add_album(n, 4, Home::Songs::empty);
        std::ofstream(home.Music() + "/Alpha - One/tavrix.tag") << Tag_before;
        if (!Started(home, {"--headless", "--rebuild-library"}, "the first start")) return false;

        // As after a hand edit of the settings: without the digest the start removes the library and
        // scans again, and the folder has three albums more.
        Home library = Make("base-library");
        library.Copy_from(home);
        for (const char* n : {"Kilo - Eleven", "Lima - Twelve", "Mike - Thirteen"})
            library.Add_album(n, 4, Home::Songs::empty);
        CIniFile::Delete_record("FileCrc", "file_changed_settings", library.Run() + "/settings_v3.ini");

        cases_.push_back(
            {"library", library.Folder(), "run/MusicDataBase.dat", {"--headless", "--rebuild-library"}, "", 13});
        cases_.push_back(
            {"settings", home.Folder(), "run/settings_v3.ini", {"--headless", "--script"}, Options_script, 10});
        cases_.push_back({"tag file",
                          home.Folder(),
                          "music/Alpha - One/tavrix.tag",
                          {"--headless", "--script"},
                          Rating_script('7'),
                          10});
        return true;
    }

    Crashtest::Traced_program Program(const Case& c, const Home& home, int kill_at) {
        Crashtest::Traced_program p;
        p.argv = {o_.program};
        p.argv.insert(p.argv.end(), c.args.begin(), c.args.end());
        if (!c.script.empty()) {
            std::ofstream(home.Run() + "/script.txt") << c.script;
            p.argv.push_back("script.txt");
        }
        p.env = Crashtest::Headless_env(home);
        p.folder = home.Run();
        p.target = home.Folder() + "/" + c.target;
        p.kill_at = kill_at;
        return p;
    }

    using Clock = std::chrono::steady_clock;
    static std::string Seconds(Clock::time_point since) {
        std::ostringstream text;
        text.precision(1);
        text << std::fixed << std::chrono::duration<double>(Clock::now() - since).count();
        return text.str();
    }

    static std::optional<std::string> Content(const std::string& path) {
        if (!Crashtest::Exists(path)) return std::nullopt;
        return Crashtest::Read_file(path);
    }

    int Run_case(const Case& c, unsigned seed) {
        const Home work = Make("work");
        const Home source = Home::Existing(c.base);
        work.Copy_from(source);
        const std::optional<std::string> before = Content(work.Folder() + "/" + c.target);
        const Crashtest::Traced_run full = Crashtest::Run_traced(Program(c, work, 0));
        if (full.end != Crashtest::Traced_run::End::exited || full.exit_code != 0 || full.points == 0) {
            std::cout << c.name << ": the run to the end failed: " << full.error << " (exit " << full.exit_code << ", "
                      << full.points << " points)\n";
            return 1;
        }
        const std::optional<std::string> after = Content(work.Folder() + "/" + c.target);

        Tally t;
        std::mt19937 random(seed);
        const int runs = o_.at > 0 ? 1 : o_.points;
        const auto case_start = Clock::now();
        for (int i = 0; i < runs; ++i) {
            const int point = o_.at > 0 ? o_.at : 1 + static_cast<int>(random() % static_cast<unsigned>(full.points));
            const auto point_start = Clock::now();
            const int failures_before = t.failures;
            work.Copy_from(source);
            const Crashtest::Traced_run run = Crashtest::Run_traced(Program(c, work, point));
            const std::string where = c.name + " point " + std::to_string(point) + ": ";
            if (run.end == Crashtest::Traced_run::End::failed) {
                std::cout << where << "the run failed: " << run.error << "\n";
                ++t.failures;
            } else {
                ++(run.end == Crashtest::Traced_run::End::killed ? t.killed : t.ran_out);
                Check_file(c, work, run, before, after, where, t);
                Check_next_start(c, work, where, t);
            }
            std::cerr << "crashtest: " << c.name << " " << (i + 1) << "/" << runs << ", point " << point << " of "
                      << full.points << ": " << (t.failures == failures_before ? "held" : "FAILED") << " ("
                      << Seconds(point_start) << " s, " << Seconds(case_start) << " s in this case)\n";
        }
        std::cout << c.name << ": " << t.killed << " kills at points of " << full.points << " (seed " << seed << ")"
                  << (t.ran_out ? ", " + std::to_string(t.ran_out) + " runs ended first" : "") << "; the file: old "
                  << t.old << ", removed " << t.removed << ", between two saves " << t.between << ", new " << t.fresh
                  << ", torn " << t.torn << "; temporary files left by the kills " << t.temps_left
                  << ", after the next start " << t.temps_after << "; next start usable " << t.usable << "/"
                  << (t.killed + t.ran_out) << (t.failures ? "; FAILURES " + std::to_string(t.failures) : "") << "; "
                  << Seconds(case_start) << " s\n";
        return t.failures == 0 ? 0 : 1;
    }

    // The file is the state its name held last: never a part-written one.
    void Check_file(const Case& c, const Home& work, const Crashtest::Traced_run& run,
                    const std::optional<std::string>& before, const std::optional<std::string>& after,
                    const std::string& where, Tally& t) {
        const std::optional<std::string> now = Content(work.Folder() + "/" + c.target);
        const std::optional<std::string> last = run.states.empty() ? before : run.states.back();
        if (now != last) {
            std::cout << where << "the file is not the last one put in place (" << (now ? now->size() : 0)
                      << " bytes)\n";
            ++t.torn;
            ++t.failures;
        } else if (now == before) {
            ++t.old;
        } else if (!now) {
            ++t.removed;
        } else if (now == after) {
            ++t.fresh;
        } else {
            ++t.between;
        }
    }

    // A later start: albums to browse and open, the index and the random list, the tag file's ratings
    // kept and a new one stored, and no temporary file left.
    void Check_next_start(const Case& c, const Home& work, const std::string& where, Tally& t) {
        const std::vector<std::string> left = work.Temporaries();
        t.temps_left += static_cast<int>(left.size());
        work.Age(left);
        std::ofstream(work.Run() + "/script.txt") << Rating_script('8');
        fs::remove(work.Run() + "/dialogs.txt");
        const Crashtest::Plain_run start =
            Crashtest::Run_plain(o_.program, {"--headless", "--script", "script.txt"}, work);
        const std::string log = Crashtest::Read_file(work.Run() + "/log.txt");  // each start begins a new one
        const std::string dialogs = Crashtest::Read_file(work.Run() + "/dialogs.txt");
        const Crashtest::Plain_run list = Crashtest::Run_plain(o_.program, {"--headless", "--list"}, work);
        const std::string tag = Crashtest::Read_file(work.Music() + "/Alpha - One/tavrix.tag");
        std::vector<std::string> faults;
        if (start.exit_code != 0) faults.push_back("exit code " + std::to_string(start.exit_code));
        if (log.find("Select a song - Key 1-9,0") == std::string::npos) faults.push_back("no album opened");
        for (const char* bad : {"corrupt", "No songs were found", "No directories", "could not be stored"})
            if (dialogs.find(bad) != std::string::npos) faults.push_back(std::string("a box: ") + bad);
        if (tag != " <01 - Song 1.wav>\n rating=90\n <02 - Song 2.wav>\n rating=80\n <03 - Song 3.wav>\n rating=60\n" &&
            tag != " <01 - Song 1.wav>\n rating=90\n <03 - Song 3.wav>\n rating=60\n <02 - Song 2.wav>\n rating=80\n")
            faults.push_back("the tag file holds: " + tag);
        const std::string& l = list.out;
        if (list.exit_code != 0 || l.find("Albums: " + std::to_string(c.albums) + "\n") != 0)
            faults.push_back("the library lists " + l.substr(0, l.find('\n')));
        if (Indexed_albums(l) != c.albums)
            faults.push_back("the index names " + std::to_string(Indexed_albums(l)) + " albums");
        if (l.find("Random list: 0\n") != std::string::npos || l.find("Random list: ") == std::string::npos)
            faults.push_back("no random list");
        const std::vector<std::string> still = work.Temporaries();
        t.temps_after += static_cast<int>(still.size());
        for (const std::string& s : still) faults.push_back("left: " + s);
        if (faults.empty()) {
            ++t.usable;
            return;
        }
        ++t.failures;
        std::cout << where << "the next start:";
        for (const std::string& f : faults) std::cout << " [" << f << "]";
        std::cout << "\n";
    }

    // How many different albums the listing's start-character index names.
    static int Indexed_albums(const std::string& listing) {
        const std::size_t at = listing.find("Index: ");
        const std::size_t end = listing.find("Random list: ");
        if (at == std::string::npos || end == std::string::npos) return 0;
        std::istringstream lines(listing.substr(at, end - at));
        std::string line;
        std::getline(lines, line);
        std::set<std::string> albums;
        while (std::getline(lines, line)) {
            std::istringstream words(line.substr(line.find(':') + 1));
            for (std::string w; words >> w;) albums.insert(w);
        }
        return static_cast<int>(albums.size());
    }

    Options o_;
    std::vector<Case> cases_;
};

}  // namespace

int main(int argc, char** argv) {
    Options o;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i], value = argv[i + 1];
        if (name == "--points")
            o.points = std::stoi(value);
        else if (name == "--seed")
            o.seed = static_cast<unsigned>(std::stoul(value));
        else if (name == "--work")
            o.work = value;
        else if (name == "--program")
            o.program = value;
        else if (name == "--pics")
            o.pics = value;
        else if (name == "--case")
            o.only = value;
        else if (name == "--at")
            o.at = std::stoi(value);
        else {
            std::cerr << "usage: tavrix_crashtest [--points N] [--seed S] [--case library|settings|tag [--at POINT]] "
                         "[--work DIR] [--program PATH] [--pics DIR]\n";
            return 2;
        }
    }
    if (argc % 2 == 0) {
        std::cerr << "tavrix_crashtest: " << argv[argc - 1] << " needs a value\n";
        return 2;
    }
    return Crashtest_run(o).Run();
}

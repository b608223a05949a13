// Runs a program under ptrace and kills it (SIGKILL, its whole process group) at the k-th point where
// it changes one watched file: the entry or the exit of a system call on that file, its temporary files beside it or
// its folder.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace Crashtest {

struct Traced_program {
    std::vector<std::string> argv;  // argv[0] is the program's path
    std::vector<std::string> env;   // exactly the environment it gets
    std::string folder;             // its working folder
    std::string target;             // the watched file, an absolute path without links
    int kill_at = 0;                // the point to kill at, from 1; 0 lets it run to its end
    int timeout_s = 120;            // a hung run is killed and reported
};

struct Traced_run {
    enum class End { exited, killed, failed };
    End end = End::failed;
    int exit_code = -1;  // when it exited by itself
    int points = 0;      // the points it passed (all of them, when it was not killed)
    // Every state the target's name took, in order: the content after each rename onto it, or none
    // after it was removed.
    std::vector<std::optional<std::string>> states;
    std::string error;  // why it failed: no tracing allowed here, a time-out, a failed start
};

// Points are counted at the entry and the exit of: an open for writing, a write, ftruncate and close of
// such a file; fsync and fdatasync of it or of its folder; rename and unlink naming it. A kill at an
// entry comes before the call takes effect, at an exit after. Runs one traced program at a time and
// waits for all its processes; the calling thread must be the only one that waits for children.
Traced_run Run_traced(const Traced_program& program);

// Whether this machine lets a process trace its children with a seccomp filter (containers may not).
bool Tracing_available(std::string& why);

}  // namespace Crashtest

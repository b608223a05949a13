// Runs the jukebox program as a user's shell would, with exactly the environment given (nothing of
// the test's own), from a chosen folder, and keeps its exit code, standard output and standard error.
#pragma once

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace ProgramTest {

struct Outcome {
    int code = -1;  // exit code; -1 when it did not exit by itself
    std::string out, err;
};

enum class File_size { unlimited, none };  // none: every write fails as on a full disk

// Runs build/app/tavrix with the arguments in folder; env holds "NAME=value" entries (plus the
// sanitizers' options of the test run). A run that
// hangs is ended after 30 s (and fails the test through its code). As_user runs it as nobody.
inline Outcome Run_program(const std::string& folder, const std::vector<std::string>& args,
                           const std::vector<std::string>& env, File_size size = File_size::unlimited,
                           uid_t as_user = 0) {
    // Pipes, not files: a run with no room for files must still be heard. Its output is a few lines,
    // well inside a pipe's buffer, so it is read after the end.
    int out[2], err[2];
    if (pipe(out) != 0 || pipe(err) != 0) return {};
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(folder.c_str()) != 0) _exit(126);
        dup2(out[1], 1);
        dup2(err[1], 2);
        close(out[0]), close(err[0]), close(out[1]), close(err[1]);
        if (size == File_size::none) {
            signal(SIGXFSZ, SIG_IGN);  // a write past the limit fails with EFBIG instead of ending the process
            rlimit none{0, 0};
            setrlimit(RLIMIT_FSIZE, &none);
        }
        if (as_user != 0 && (setgid(as_user) != 0 || setuid(as_user) != 0)) _exit(126);
        alarm(30);
        std::vector<std::string> all{std::string(TAVRIX_BINARY_DIR) + "/app/tavrix"};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv, envp;
        for (std::string& a : all) argv.push_back(a.data());
        argv.push_back(nullptr);
        std::vector<std::string> environment = env;
        // The sanitizer build's settings are the test run's, not the user's environment under test.
        for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS"})
            if (const char* value = std::getenv(name)) environment.push_back(std::string(name) + "=" + value);
        // No test reaches the internet: the cover services are off unless the test names a server.
        if (std::none_of(environment.begin(), environment.end(),
                         [](const std::string& e) { return e.rfind("TAVRIX_MUSICBRAINZ_SERVER=", 0) == 0; }))
            environment.push_back("TAVRIX_MUSICBRAINZ_SERVER=");
        for (std::string& e : environment) envp.push_back(e.data());
        envp.push_back(nullptr);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
    close(out[1]), close(err[1]);
    int status = 0;
    waitpid(pid, &status, 0);
    Outcome o;
    o.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    auto drain = [](int fd) {
        std::string text;
        char buffer[4096];
        for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<size_t>(n));
        close(fd);
        return text;
    };
    o.out = drain(out[0]);
    o.err = drain(err[0]);
    return o;
}

}  // namespace ProgramTest

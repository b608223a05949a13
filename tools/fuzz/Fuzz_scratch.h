// The working folder of a harness: the settings, the trace and the library read and write the working
// folder, so each fuzzing process makes one scratch folder (on a memory file system when there is one) and enters it.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace Fuzz_scratch {

// The first call makes the folder and enters it; every call returns its absolute path. A normal exit
// removes it; a crash (libFuzzer leaves through _Exit) keeps it in the state that caused the crash.
inline const std::string& Enter() {
    // Never destroyed: the exit handler needs it after the static objects are gone.
    static const std::string* path = [] {
        // /dev/shm: every library save syncs its folder, which costs nothing there.
        std::string base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        std::string pattern = base + "/tavrix-fuzz-XXXXXX";
        if (!mkdtemp(pattern.data()) || chdir(pattern.c_str()) != 0) {
            std::perror("tavrix fuzz: cannot make the scratch folder");
            std::abort();
        }
        std::atexit([] {
            std::error_code ignored;
            std::filesystem::remove_all(Enter(), ignored);
        });
        return new std::string(pattern);
    }();
    return *path;
}

// For LLVMFuzzerInitialize, which libFuzzer calls before it reads its arguments: those that name
// files (corpus folders, inputs, artifacts, dictionaries) are made absolute so that they still name
// the same files from the scratch folder, crash files land where libFuzzer was started, then Enter.
inline void Enter(int* argc, char*** argv) {
    static std::vector<std::string> arguments;
    static std::vector<char*> pointers;
    const std::filesystem::path here = std::filesystem::current_path();
    auto absolute = [&](const std::string& path) { return (here / path).lexically_normal().string(); };
    bool artifacts_placed = false;
    for (int i = 0; i < *argc; ++i) {
        std::string argument = (*argv)[i];
        if (i > 0 && !argument.empty() && argument[0] != '-') argument = absolute(argument);
        for (const char* flag : {"-artifact_prefix=", "-exact_artifact_path=", "-dict=", "-merge_control_file=",
                                 "-features_dir=", "-stop_file=", "-mutation_graph_file="}) {
            const std::string f = flag;
            if (i == 0 || argument.rfind(f, 0) != 0 || argument.size() == f.size()) continue;
            argument = f + absolute(argument.substr(f.size()));
            artifacts_placed = artifacts_placed || f == "-artifact_prefix=" || f == "-exact_artifact_path=";
        }
        arguments.push_back(argument);
    }
    if (!artifacts_placed) arguments.push_back("-artifact_prefix=" + here.string() + "/");
    for (std::string& argument : arguments) pointers.push_back(argument.data());
    pointers.push_back(nullptr);
    *argc = static_cast<int>(arguments.size());
    *argv = pointers.data();
    Enter();
}

// Plain writes: a fuzzing input needs no protection against power cuts.
inline void Write(const std::string& name, const std::uint8_t* data, std::size_t size) {
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

inline void Write(const std::string& name, const std::string& text) {
    Write(name, reinterpret_cast<const std::uint8_t*>(text.data()), text.size());
}

inline std::string Read(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Text for a message: bytes outside printable ASCII as \xNN, so that a value with a line break or a
// zero byte can be told from one without.
inline std::string Printable(const std::string& text) {
    static const char* hex = "0123456789abcdef";
    std::string out;
    for (unsigned char c : text) {
        if (c >= 32 && c < 127 && c != '\\') {
            out += static_cast<char>(c);
        } else {
            out += "\\x";
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

// A broken promise of the code under test: libFuzzer keeps the input that led here.
[[noreturn]] inline void Fail(const std::string& what) {
    std::fprintf(stderr, "\n*** tavrix fuzz: %s\n", what.c_str());
    std::abort();
}

}  // namespace Fuzz_scratch

// Scratch folders and file helpers for the tests.
#include "tests/support/test_support.h"

#include <boost/filesystem.hpp>
#include <fstream>
#include <sstream>

#include "trace/VxTrace.h"

namespace fs = boost::filesystem;

namespace TestSupport {

Scratch_dir::Scratch_dir() {
    previous_ = fs::current_path().string();
    fs::path p = fs::temp_directory_path() / fs::unique_path("tavrix-test-%%%%-%%%%-%%%%");
    fs::create_directories(p);
    path_ = fs::canonical(p).string();
    fs::current_path(path_);
}

Scratch_dir::~Scratch_dir() {
    boost::system::error_code ec;
    fs::current_path(previous_, ec);
    fs::remove_all(path_, ec);
}

std::string Read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void Open_trace_here() { VxTrace::Instance().Open(fs::current_path().string()); }

std::string Read_trace(const std::string& name) {
    VxTrace::Instance().Flush();
    return Read_file(name);
}

void Write_file(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

void Make_dirs(const std::string& path) { fs::create_directories(path); }

}  // namespace TestSupport

// The trace files and the millisecond clock.
// Each line is flushed at once so the log is complete even after a crash.
#include "trace/VxTrace.h"

#include <atomic>
#include <chrono>

namespace {
std::atomic<VxTrace::Switch_reader> g_switch{nullptr};

std::chrono::steady_clock::time_point Clock_base() {
    // The first reading in the process fixes the base; function-local statics are thread-safe.
    static const std::chrono::steady_clock::time_point base = std::chrono::steady_clock::now();
    return base;
}
}  // namespace

VxTrace& VxTrace::Instance() {
    static VxTrace trace;
    return trace;
}

void VxTrace::Set_logging_switch(Switch_reader reader) { g_switch.store(reader); }

VxTrace::VxTrace() {
    log_ = std::fopen("log.txt", "w");
    err_ = std::fopen("error.txt", "w");
    if (log_) {
        Line(log_, "\n%s", "Starting VxTrace \n");
        Line(err_, "\n%s", "Starting Error VxTrace \n");
    }
}

void VxTrace::Line(std::FILE* file, const char* format, const char* text) {
    // A file that could not be opened swallows its lines.
    if (!file) return;
    std::fprintf(file, format, text);
    std::fflush(file);
}

bool VxTrace::Markers_on() const {
    Switch_reader reader = g_switch.load();
    return reader == nullptr || reader();
}

void VxTrace::Write(const std::string& text) { Line(log_, "\n%s", text.c_str()); }

void VxTrace::Write_error(const std::string& text) { Line(err_, "\n%s", text.c_str()); }

void VxTrace::Write_value(const std::string& name, double value) {
    if (!log_) return;
    std::fprintf(log_, "\n%s:%f", name.c_str(), value);
    std::fflush(log_);
}

void VxTrace::Write_value(const std::string& name, int value) {
    if (!log_) return;
    std::fprintf(log_, "\n%s:%d", name.c_str(), value);
    std::fflush(log_);
}

void VxTrace::Enter(const std::string& name) {
    if (Markers_on()) Line(log_, "\n> **(%s)**", name.c_str());
}

void VxTrace::Leave(const std::string& name) {
    if (Markers_on()) Line(log_, "\n< --(%s)--", name.c_str());
}

double VxTrace::Time_ms() {
    const auto base = Clock_base();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - base).count();
}

// The trace: a running account of what the jukebox does in "log.txt" and of its errors in "error.txt".
// Written from the user-interface thread and the audio workers; each line is one formatted write plus a flush.
#pragma once

#include <cstdio>
#include <string>

class VxTrace {
public:
    // Creates the trace (truncating both files) on the first call; never destroyed before exit.
    static VxTrace& Instance();

    // The switch for entry and exit markers. The settings own "UseLogging"; the application
    // installs a reader for it at start-up so that the trace does not depend on the settings.
    // Without a reader the markers are written. The reader is called on every marker.
    using Switch_reader = bool (*)();
    static void Set_logging_switch(Switch_reader reader);

    void Write(const std::string& text);        // "\n<text>" to log.txt, always
    void Write_error(const std::string& text);  // "\n<text>" to error.txt, always
    void Write_value(const std::string& name, double value);  // "\n<name>:%f"
    void Write_value(const std::string& name, int value);     // "\n<name>:%d"
    void Enter(const std::string& name);  // "\n> **(<name>)**" while logging is on
    void Leave(const std::string& name);  // "\n< --(<name>)--" while logging is on

    // Milliseconds since the first clock reading in the process; never negative, monotonic.
    static double Time_ms();
    static double Time_s() { return Time_ms() * 0.001; }

private:
    VxTrace();
    bool Markers_on() const;
    void Line(std::FILE* file, const char* format, const char* text);
    std::FILE* log_ = nullptr;
    std::FILE* err_ = nullptr;
};

// Writes the entry marker on construction and the exit marker on every way out of a scope.
class VxTraceScope {
public:
    explicit VxTraceScope(std::string name) : name_(std::move(name)) { VxTrace::Instance().Enter(name_); }
    ~VxTraceScope() { VxTrace::Instance().Leave(name_); }
    VxTraceScope(const VxTraceScope&) = delete;
    VxTraceScope& operator=(const VxTraceScope&) = delete;

private:
    std::string name_;
};

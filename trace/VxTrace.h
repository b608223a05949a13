// The trace: a running account of what the jukebox does in "log.txt" and of its errors in "error.txt".
// Any thread may write. Lines are buffered and reach the files within 100 ms, at once after an error
// line, on every way out of the process and on a fatal signal; the files live in the folder given to
// Open, never in whatever folder happens to be current when some thread writes first.
#pragma once

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

class VxTrace {
public:
    // The one trace of the process; created on the first call, never destroyed. Any thread.
    static VxTrace& Instance();

    // Starts both files anew in folder (truncating them) with their start lines, then writes the lines
    // written so far in this process (at most Held_limit bytes per file are kept before the first Open).
    // A second Open flushes to the old files and moves on to the new ones. Any thread.
    void Open(const std::string& folder);
    // Writes every buffered line now. Any thread.
    void Flush();

    // The switch for entry and exit markers. The settings own "UseLogging"; the application
    // installs a reader for it at start-up so that the trace does not depend on the settings.
    // Without a reader the markers are written. The reader is called on every marker, from the
    // writing thread, and must not block.
    using Switch_reader = bool (*)();
    static void Set_logging_switch(Switch_reader reader);

    // Each line is copied straight into the file's buffer: a scan writes one for every song, and a
    // line must not cost more than the step it records.
    void Write(std::string_view text);                          // "\n<text>" to log.txt, always
    void Write(std::initializer_list<std::string_view> parts);  // "\n" and the parts joined, as one line
    void Write_error(std::string_view text);                    // "\n<text>" to error.txt, always, flushed at once
    void Write_value(std::string_view name, double value);      // "\n<name>:%f"
    void Write_value(std::string_view name, int value);         // "\n<name>:%d"
    void Enter(std::string_view name);                          // "\n> **(<name>)**" while logging is on
    void Leave(std::string_view name);                          // "\n< --(<name>)--" while logging is on

    // A file that grows past this many bytes is moved to "log.old.txt" / "error.old.txt" (the one
    // kept before is replaced) and begun anew, so a jukebox running for weeks does not fill its disk.
    static constexpr std::size_t Rotation_limit = 16u << 20;
    static constexpr std::size_t Held_limit = 4u << 20;
    // For tests: a smaller rotation limit.
    void Set_rotation_limit(std::size_t bytes);

    // Milliseconds since the first clock reading in the process; never negative, monotonic.
    static double Time_ms();
    static double Time_s() { return Time_ms() * 0.001; }

    VxTrace(const VxTrace&) = delete;
    VxTrace& operator=(const VxTrace&) = delete;

private:
    struct Impl;
    VxTrace();
    bool Markers_on() const;
    Impl* impl_;
};

// Writes the entry marker on construction and the exit marker on every way out of a scope. The name
// is a literal, kept by reference: a scope around a step done for every song costs no allocation.
class VxTraceScope {
public:
    template <std::size_t N>
    explicit VxTraceScope(const char (&name)[N]) : name_(name, N - 1) {
        VxTrace::Instance().Enter(name_);
    }
    ~VxTraceScope() { VxTrace::Instance().Leave(name_); }
    VxTraceScope(const VxTraceScope&) = delete;
    VxTraceScope& operator=(const VxTraceScope&) = delete;

private:
    std::string_view name_;
};

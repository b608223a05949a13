// Runs part of a test in a child process and reports how it ended: on Linux a fork, on Windows the
// test program started again on the same test, which replays the test up to the same call.
#pragma once

#include <functional>

namespace TestSupport {

// How a child ended: its exit code, or the signal that ended it (Linux only; a Windows crash is an
// exit code such as 0xC0000005).
struct Child_end {
    bool exited = false;
    int code = 0;
    int signal = 0;
};

// Runs body in a child process with the current folder of the caller and returns how the child
// ended; the child ends with code 0 when body returns. On Windows the child runs the test from its
// start again: the scratch folders it makes are the caller's, every call before this one answers
// "exited 0" without a child, and body runs at this call. So what the test does before the call
// must not depend on earlier children, and the replay must be harmless to repeat (files it writes
// are written again with the same content). Only the test's own thread may call it.
Child_end Run_in_child(const std::function<void()>& body);

// Whether this process is such a replaying child (Windows); always false on Linux.
bool Is_replaying_child();

}  // namespace TestSupport

// Replacing a file as a whole: the new content goes to a temporary file in the same folder,
// is flushed to disk and renamed over the old file, so a crash leaves the whole old or the whole new file.
#pragma once

#include <string>

namespace Atomic_file {

// Writes content to path as described above. False (and the old file untouched, no temporary
// file left behind) when any step fails. A symbolic link is followed: its target is replaced.
bool Write(const std::string& path, const std::string& content);

// For tests: make the next writes fail at one step, as a full disk or a failing rename would.
enum class Fault { none, create, write, sync, rename };
void Inject_fault(Fault fault);

}  // namespace Atomic_file

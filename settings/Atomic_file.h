// Replacing a file as a whole: the new content goes to a temporary file in the same folder,
// is flushed to disk and renamed over the old file, so a crash leaves the whole old or the whole new file.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

#include "platform/files.h"

namespace Atomic_file {

// Writes content to path as described above. False (the old file untouched, a cache's excepted, and no temporary
// file left behind) when any step fails. A symbolic link is followed: its target is replaced.
// A cache file (Platform::Durability::cache) skips the flushes: a power cut may leave the old file,
// none, or one that does not read, never a mix the reader takes for whole when it checks its end;
// a failed replacement may leave none.
bool Write(const std::string& path, const std::string& content,
           Platform::Durability durability = Platform::Durability::durable);

// The same for content that arrives in pieces (a download): Open makes the temporary file, Append
// adds to it, Commit puts it in place. Anything but a successful Commit (a failed step, Discard, the
// destructor) removes the temporary file and leaves the target as it was. One thread at a time.
class Writer {
public:
    explicit Writer(std::string path, Platform::Durability durability = Platform::Durability::durable);
    ~Writer();
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    bool Open();
    bool Append(const char* data, std::size_t size);
    bool Commit();
    void Discard();
    bool Is_open() const { return file_ != nullptr; }

private:
    std::string path_;  // the target, links resolved
    Platform::Durability durability_;
    std::string temp_;
    std::FILE* file_ = nullptr;
};

// Whether a file name is one of the temporary files above (".<name>.tmp-XXXXXX").
bool Is_temporary_name(const std::string& file_name);
// Removes path when it is such a temporary file, a regular one, last written more than a minute
// ago: what an interrupted write (a crash, a kill) left. A younger one may belong to a write in
// progress. True when it was removed.
bool Remove_if_stale(const std::string& path);
// Remove_if_stale for every temporary file of folder; the count removed.
int Remove_stale_temporaries(const std::string& folder);

// For tests: make the next writes fail at one step, as a full disk or a failing rename would.
enum class Fault { none, create, write, sync, rename };
void Inject_fault(Fault fault);

}  // namespace Atomic_file

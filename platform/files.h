// The file steps whose system calls differ between platforms: a new temporary file beside a
// target, flushing a file to the disk, and putting one file over another in one step. Names are
// UTF-8 (UTF-16 on disk on Windows). Any thread.
#pragma once

#include <cstdio>
#include <string>

namespace Platform {

// Creates a file with a new, unique name in target's folder ("." + name + ".tmp-" and a suffix),
// open for binary writing; it takes the permissions of target (rw-r--r-- when there is none yet)
// where the system has them. Null when it cannot be made; temp_path then says nothing.
std::FILE* Create_temp_beside(const std::string& target, std::string& temp_path);

// Writes the stdio buffer and the system's cache of the file to the disk.
bool Flush_to_disk(std::FILE* file);

// How far a replacement goes: onto the disk before it returns, or (for a file that only saves work
// and may be lost in a power cut) as far as the system's cache.
enum class Durability { durable, cache };

// Puts from over to in one step, replacing what to held (Windows' rename refuses that; this does not),
// and, when durable, on the disk once it returns: the new name is on the disk too (the folder is
// synced, or the move writes through). Both names lie in one folder. False, with both files as they
// were, when it fails; but a cache's old file may be gone then, as after a crash in the step (POSIX
// removes it first, so that no file system writes the new one out at once).
bool Replace_file(const std::string& from, const std::string& to, Durability durability = Durability::durable);

}  // namespace Platform

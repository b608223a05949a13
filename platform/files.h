// The file steps whose system calls differ between platforms: a new temporary file beside a
// target, flushing a file to the disk, putting one file over another in one step, and reading a
// whole file into memory that is in place before the read. Names are
// UTF-8 (UTF-16 on disk on Windows). Any thread.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <utility>

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

// A whole file's bytes. On Linux they are read into a map populated in one call: a read into fresh
// heap pages traps once per page (the library file's 3 MB cost its reading thread some 700 traps) and
// a buffer cleared first is one more pass over it. Any thread; a move-only owner of the bytes.
class File_bytes {
public:
    // The file read whole; Ok() false (and no bytes) when it cannot be opened or read.
    static File_bytes Read(const std::string& path);

    File_bytes() = default;
    File_bytes(File_bytes&& other) noexcept { Take(other); }
    File_bytes& operator=(File_bytes&& other) noexcept {
        if (this != &other) {
            Release();
            Take(other);
        }
        return *this;
    }
    File_bytes(const File_bytes&) = delete;
    File_bytes& operator=(const File_bytes&) = delete;
    ~File_bytes() { Release(); }

    bool Ok() const { return ok_; }
    std::string_view View() const { return {data_, size_}; }

private:
    static void Free_block(char* data, std::size_t reserved);  // gives a block back as the platform took it
    void Release() {
        if (data_) Free_block(data_, reserved_);
        data_ = nullptr;
        size_ = reserved_ = 0;
        ok_ = false;
    }
    // The end of a read: the bytes are kept when all size of them came, otherwise given back.
    void Keep_if_whole(std::size_t done, std::size_t size) {
        if (done != size) {
            Release();
            return;
        }
        size_ = size;
        ok_ = true;
    }
    void Take(File_bytes& other) noexcept {
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
        reserved_ = std::exchange(other.reserved_, 0);
        ok_ = std::exchange(other.ok_, false);
    }
    char* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t reserved_ = 0;  // what the block holds, which the platform gives back
    bool ok_ = false;
};

}  // namespace Platform

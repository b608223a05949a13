// The temporary file of a download and its rename over the target.
#include "net/Part_file.h"

#include <unistd.h>

#include <cstdio>

bool Part_file::Create() {
    Discard();
    file_ = std::fopen(part_.c_str(), "wb");
    return file_ != nullptr;
}

bool Part_file::Write(const char* data, std::size_t size) {
    return file_ && std::fwrite(data, 1, size, file_) == size;
}

bool Part_file::Commit() {
    if (!file_) return false;
    bool ok = std::fflush(file_) == 0 && fsync(fileno(file_)) == 0;
    ok = std::fclose(file_) == 0 && ok;
    file_ = nullptr;
    if (ok && std::rename(part_.c_str(), path_.c_str()) == 0) return true;
    std::remove(part_.c_str());
    return false;
}

void Part_file::Discard() {
    if (!file_) return;
    std::fclose(file_);
    file_ = nullptr;
    std::remove(part_.c_str());
}

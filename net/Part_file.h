// A download's file while it arrives: the bytes go to "<path>.part" beside the target, which is
// renamed over the target only when the whole answer is in. A failed download leaves no file.
#pragma once

#include <cstdio>
#include <string>

class Part_file {
public:
    explicit Part_file(std::string path) : path_(std::move(path)), part_(path_ + ".part") {}
    ~Part_file() { Discard(); }
    Part_file(const Part_file&) = delete;
    Part_file& operator=(const Part_file&) = delete;

    bool Create();                                  // false when the file cannot be created
    bool Write(const char* data, std::size_t size);  // false when the bytes could not all be written
    bool Commit();                                  // flush, close and rename over the target
    void Discard();                                 // close and remove what was written
    bool Is_open() const { return file_ != nullptr; }

private:
    std::string path_;
    std::string part_;
    std::FILE* file_ = nullptr;
};

// The file steps on Windows: CreateFileW with CREATE_NEW for the temporary file, FlushFileBuffers
// for the flush, and MoveFileExW for the replacement, since rename refuses to replace a file; a whole
// file read with ReadFile into committed pages (VirtualAlloc), which come zeroed and in place.
// A file someone reads (another thread, a virus scanner, the indexer) cannot be replaced until
// they close it: the replacement tries again for a while instead of failing the save.
#include <windows.h>
// The system headers below need the declarations of the ones above.
#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "platform/files.h"
#include "platform/windows/utf16.h"

namespace Platform {
namespace {

// Either separator ends a folder name on Windows.
size_t Last_separator(const std::string& path) { return path.find_last_of("\\/"); }

std::string Folder_of(const std::string& path) {
    const size_t at = Last_separator(path);
    return at == std::string::npos ? "." : path.substr(0, at == 0 ? 1 : at);
}

std::string Name_of(const std::string& path) {
    const size_t at = Last_separator(path);
    return at == std::string::npos ? path : path.substr(at + 1);
}

std::string Unique_suffix(unsigned attempt) {
    static std::atomic<unsigned> counter{0};
    const unsigned long long seed = (static_cast<unsigned long long>(GetCurrentProcessId()) << 32) ^ GetTickCount64() ^
                                    (static_cast<unsigned long long>(++counter) << 16) ^ attempt;
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    std::string suffix;
    unsigned long long v = seed * 6364136223846793005ULL + 1442695040888963407ULL;
    for (int i = 0; i < 6; ++i, v /= 36) suffix += letters[v % 36];
    return suffix;
}

}  // namespace

std::FILE* Create_temp_beside(const std::string& target, std::string& temp_path) {
    const std::string stem = Folder_of(target) + "\\." + Name_of(target) + ".tmp-";
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        const std::string name = stem + Unique_suffix(attempt);
        HANDLE handle =
            CreateFileW(Wide(name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE) {
            if (GetLastError() == ERROR_FILE_EXISTS || GetLastError() == ERROR_ALREADY_EXISTS) continue;
            return nullptr;
        }
        const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
        std::FILE* file = fd >= 0 ? _fdopen(fd, "wb") : nullptr;
        if (!file) {
            if (fd >= 0)
                _close(fd);
            else
                CloseHandle(handle);
            DeleteFileW(Wide(name).c_str());
            return nullptr;
        }
        temp_path = name;
        return file;
    }
    return nullptr;
}

bool Flush_to_disk(std::FILE* file) {
    if (std::fflush(file) != 0) return false;
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    return handle != INVALID_HANDLE_VALUE && FlushFileBuffers(handle);
}

bool Replace_file(const std::string& from, const std::string& to, Durability durability) {
    const DWORD flags = MOVEFILE_REPLACE_EXISTING | (durability == Durability::durable ? MOVEFILE_WRITE_THROUGH : 0);
    const std::wstring source = Wide(from), target = Wide(to);
    // A reader's handle without FILE_SHARE_DELETE (every C and C++ stream opens so) refuses the
    // replacement with a sharing violation or, from some systems, access denied; any other error,
    // or one that outlasts every reader's few moments, is the caller's failure.
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    for (;;) {
        if (MoveFileExW(source.c_str(), target.c_str(), flags)) return true;
        const DWORD error = GetLastError();
        if ((error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED) ||
            std::chrono::steady_clock::now() >= until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

File_bytes File_bytes::Read(const std::string& path) {
    File_bytes bytes;
    const HANDLE file =
        CreateFileW(Wide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    LARGE_INTEGER length{};
    if (!GetFileSizeEx(file, &length) || length.QuadPart < 0) {
        CloseHandle(file);
        return bytes;
    }
    const auto size = static_cast<std::size_t>(length.QuadPart);
    if (size > 0) {
        bytes.data_ = static_cast<char*>(VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        if (!bytes.data_) {
            CloseHandle(file);
            return bytes;
        }
        bytes.reserved_ = size;
    }
    std::size_t done = 0;
    while (done < size) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(size - done, 1u << 30));
        DWORD got = 0;
        if (!ReadFile(file, bytes.data_ + done, chunk, &got, nullptr) || got == 0) break;
        done += got;
    }
    CloseHandle(file);
    bytes.Keep_if_whole(done, size);
    return bytes;
}

void File_bytes::Free_block(char* data, std::size_t) { VirtualFree(data, 0, MEM_RELEASE); }

}  // namespace Platform

// The user's folders on Windows from the shell's known folders (roaming application data, Music),
// and the installed theme found from the program's own path: the unpacked package keeps run\tavrix.exe
// beside pics\, so the theme is one folder up.
#include <windows.h>
// The system headers below need the declarations of the ones above.
#include <knownfolders.h>
#include <shlobj.h>

#include <vector>

#include "platform/user_folders.h"
#include "platform/windows/utf16.h"

namespace Platform {
namespace {

std::string Known_folder(REFKNOWNFOLDERID id) {
    PWSTR path = nullptr;
    std::string folder;
    if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &path)) && path) folder = Narrow(path);
    CoTaskMemFree(path);
    return folder;
}

bool Holds_theme(const std::wstring& folder) {
    const DWORD attributes = GetFileAttributesW((folder + L"\\IMAGE_background.jpg").c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring Parent_of(const std::wstring& path) {
    const size_t at = path.find_last_of(L"\\/");
    return at == std::wstring::npos ? std::wstring() : path.substr(0, at);
}

}  // namespace

std::string User_data_folder() { return Known_folder(FOLDERID_RoamingAppData); }

std::string User_music_folder() { return Known_folder(FOLDERID_Music); }

std::string Installed_theme_folder() {
    std::vector<wchar_t> buffer(MAX_PATH);
    DWORD length = 0;
    while ((length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()))) == buffer.size())
        buffer.resize(buffer.size() * 2);
    if (length == 0) return "";
    const std::wstring bin = Parent_of(std::wstring(buffer.data(), length));
    const std::wstring prefix = Parent_of(bin);
    for (const std::wstring& candidate : {prefix + L"\\pics", bin + L"\\pics", prefix + L"\\share\\tavrix\\pics"}) {
        if (!Holds_theme(candidate)) continue;
        wchar_t full[MAX_PATH * 4] = {};
        const DWORD got = GetFullPathNameW(candidate.c_str(), static_cast<DWORD>(std::size(full)), full, nullptr);
        return Narrow(got > 0 && got < std::size(full) ? std::wstring(full, got) : candidate);
    }
    return "";
}

}  // namespace Platform

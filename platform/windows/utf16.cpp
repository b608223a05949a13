// UTF-8 and UTF-16 through MultiByteToWideChar and WideCharToMultiByte. Text that is not valid
// UTF-8 is read as Latin-1 rather than dropped, so a name from an old file still reaches the disk.
#include "platform/windows/utf16.h"

#include <windows.h>

namespace Platform {

std::wstring Wide(const std::string& utf8) {
    if (utf8.empty()) return {};
    const int size = static_cast<int>(utf8.size());
    int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, nullptr, 0);
    if (length > 0) {
        std::wstring out(static_cast<size_t>(length), L'\0');
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, out.data(), length);
        return out;
    }
    std::wstring latin1;
    for (unsigned char c : utf8) latin1 += static_cast<wchar_t>(c);
    return latin1;
}

std::string Narrow(const std::wstring& utf16) {
    if (utf16.empty()) return {};
    const int size = static_cast<int>(utf16.size());
    const int length = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return {};
    std::string out(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, out.data(), length, nullptr, nullptr);
    return out;
}

}  // namespace Platform

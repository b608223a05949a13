// The font for "Arial" on Windows: the system's arial.ttf in %WINDIR%\Fonts; where that file is
// missing (Wine, which substitutes Arial), the bytes of the font GDI picks for the name.
#include <windows.h>

#include "platform/sdl/sdl_font.h"
#include "platform/windows/utf16.h"

namespace Platform {
namespace {

std::string Fonts_folder_file(const wchar_t* name) {
    wchar_t windows[MAX_PATH] = {};
    const UINT length = GetWindowsDirectoryW(windows, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    const std::wstring path = std::wstring(windows) + L"\\Fonts\\" + name;
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return {};
    return Narrow(path);
}

// The whole font file of the face GDI chooses for the family, as GetFontData hands it out.
std::vector<unsigned char> Gdi_font_bytes(const wchar_t* family) {
    std::vector<unsigned char> bytes;
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) return bytes;
    HFONT font = CreateFontW(-16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_TT_ONLY_PRECIS,
                             CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS, family);
    if (font) {
        HGDIOBJ old = SelectObject(dc, font);
        const DWORD size = GetFontData(dc, 0, 0, nullptr, 0);
        if (size != GDI_ERROR && size > 0) {
            bytes.resize(size);
            if (GetFontData(dc, 0, 0, bytes.data(), size) != size) bytes.clear();
        }
        SelectObject(dc, old);
        DeleteObject(font);
    }
    DeleteDC(dc);
    return bytes;
}

}  // namespace

Font_source Arial_font() {
    Font_source source;
    source.file = Fonts_folder_file(L"arial.ttf");
    if (!source.file.empty()) return source;
    source.bytes = Gdi_font_bytes(L"Arial");
    if (!source.bytes.empty()) source.file = "Arial (from GDI)";
    return source;
}

}  // namespace Platform

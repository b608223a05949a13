// Real dialogs on Windows: MessageBoxW for the boxes and the shell's folder browser
// (SHBrowseForFolderW). Captions, texts and the chosen path cross the seam as UTF-8.
#include <windows.h>
// The system headers below need the declarations of the ones above.
#include <shlobj.h>

#include "platform/backend_dialogs.h"
#include "platform/windows/utf16.h"

namespace Platform {

bool Backend_message_box(const std::string& caption, const std::string& text, bool ok_cancel) {
    const UINT kind = (ok_cancel ? MB_OKCANCEL : MB_OK) | MB_ICONINFORMATION | MB_TOPMOST | MB_SETFOREGROUND;
    const int pressed = MessageBoxW(nullptr, Wide(text).c_str(), Wide(caption).c_str(), kind);
    // A box that could not be shown (0) leaves the choice as if OK was pressed, as on Linux.
    return pressed != IDCANCEL;
}

Folder_choice Backend_choose_folder(const std::string& title) {
    Folder_choice choice;
    // The browser is a shell object: it needs COM on this thread (single-threaded for its window).
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    if (FAILED(com) && com != RPC_E_CHANGED_MODE) {
        choice.dialog_error = true;
        return choice;
    }
    const std::wstring wide_title = Wide(title);
    BROWSEINFOW info{};
    info.lpszTitle = wide_title.c_str();
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    if (PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info)) {
        wchar_t path[MAX_PATH] = {};
        if (SHGetPathFromIDListW(chosen, path))
            choice.path = Narrow(path);
        else
            choice.dialog_error = true;  // a place with no folder on disk (a printer, the network root)
        CoTaskMemFree(chosen);
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return choice;
}

}  // namespace Platform

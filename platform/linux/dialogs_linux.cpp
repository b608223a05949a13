// Real dialogs on Linux: zenity for the folder browser; message boxes through the display
// back end's SDL box when a display is there, else on standard error.
#include <array>
#include <cstdio>
#include <cstdlib>

#include "platform/backend_dialogs.h"
#include "platform/sdl/sdl_video.h"

namespace Platform {

bool Backend_message_box(const std::string& caption, const std::string& text, bool ok_cancel) {
    if (g_sdl_message_box) return g_sdl_message_box(caption, text, ok_cancel);
    std::fprintf(stderr, "[%s] %s\n", caption.c_str(), text.c_str());
    return true;
}

Folder_choice Backend_choose_folder(const std::string& title) {
    Folder_choice choice;
    if (std::system("command -v zenity >/dev/null 2>&1") != 0) {
        choice.dialog_error = true;
        return choice;
    }
    // The title is ours, never user text, but quote it anyway.
    std::string quoted;
    for (char c : title) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    std::string command = "zenity --file-selection --directory --title='" + quoted + "' 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        choice.dialog_error = true;
        return choice;
    }
    std::string out;
    std::array<char, 512> buffer{};
    while (std::fgets(buffer.data(), buffer.size(), pipe)) out += buffer.data();
    int status = pclose(pipe);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
    if (status == 0 && !out.empty()) choice.path = out;
    return choice;
}

}  // namespace Platform

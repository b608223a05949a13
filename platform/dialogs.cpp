// The headless side of the dialogs: the recorder and the queued answers. Real boxes go to
// the back end's Backend_* functions.
#include "platform/dialogs.h"

#include <atomic>
#include <cstdio>
#include <deque>
#include <mutex>

#include "platform/backend_dialogs.h"

namespace Platform {
namespace {
std::atomic<bool> g_headless{false};
std::mutex g_mutex;
std::deque<bool> g_answers;
std::deque<std::string> g_folders;

void Record(const std::string& caption, const std::string& text) {
    std::string line = caption + "\t";
    for (char c : text) {
        if (c == '\n')
            line += "\\n";
        else
            line += c;
    }
    line += "\n";
    std::lock_guard<std::mutex> lock(g_mutex);
    if (std::FILE* f = std::fopen("dialogs.txt", "a")) {
        std::fwrite(line.data(), 1, line.size(), f);
        std::fclose(f);
    }
}
}  // namespace

void Set_headless(bool headless) { g_headless = headless; }
bool Is_headless() { return g_headless; }

void Queue_answer(bool ok) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_answers.push_back(ok);
}

void Queue_folder(const std::string& path) {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_folders.push_back(path);
}

void Message_box(const std::string& caption, const std::string& text) {
    if (g_headless) {
        Record(caption, text);
        return;
    }
    Backend_message_box(caption, text, false);
}

bool Message_box_ok_cancel(const std::string& caption, const std::string& text, Question kind) {
    if (g_headless) {
        Record(caption, text);
        std::lock_guard<std::mutex> lock(g_mutex);
        if (g_answers.empty()) return kind == Question::Plain;
        bool ok = g_answers.front();
        g_answers.pop_front();
        return ok;
    }
    return Backend_message_box(caption, text, true);
}

Folder_choice Choose_folder(const std::string& title) {
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        if (!g_folders.empty()) {
            std::string path = g_folders.front();
            g_folders.pop_front();
            Folder_choice choice;
            if (!path.empty()) choice.path = path;
            return choice;
        }
    }
    if (g_headless) {
        // Nobody can answer a browser here: as if the user cancelled.
        Record("Choose folder", title);
        return {};
    }
    return Backend_choose_folder(title);
}

}  // namespace Platform

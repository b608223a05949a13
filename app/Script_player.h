// Scripted input for running without a person: a script's commands become messages in the window's
// own queue on their own real-time schedule, posted from a worker thread (the queue is thread-safe).
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/window.h"

struct Script_command {
    enum Kind { Wait, Key, Click, Rclick, Answer, Folder, Shot, Still, Until, Close } kind = Wait;
    int a = 0, b = 0;  // wait ms; click x, y; answer 1 = ok; still and until: the longest wait in ms
    std::string text;  // key name, folder, shot path, or the log line until waits for
};

// One line of a script; empty for blank lines and "#" comments; error set for a line that is not a command.
std::optional<Script_command> Parse_script_line(const std::string& line, std::string& error);
// The messages one key press makes, from the platform's key table: key-down, then the character where
// Windows makes one. Empty for an unknown name.
std::vector<Platform::Message> Key_messages(const std::string& name);

// The message kind a script posts for the commands the UI thread carries out itself (answer, folder, shot).
inline constexpr unsigned Script_message = Platform::WM_USER + 1;

class Script_player {
public:
    // Reads the script; false with a reason for a missing file or a bad line (nothing runs then).
    bool Load(const std::string& path, std::string& error);
    // Queues the "answer" and "folder" lines that come before the first "wait" at once, so they
    // answer the dialogs of start-up (the version offer, a first-start folder); they are then
    // left out when the script runs. Call between Load and Start.
    void Queue_start_up_answers();
    // Starts posting on a worker thread that lives until the script ends (or the process does).
    void Start();
    // The UI thread's part of a Script_message (wparam is the command's index).
    void Carry_out(const Platform::Message& message);

    // How long "still" waits when its line gives no time.
    static constexpr int Still_default_ms = 20000;

private:
    // "still": the script's thread asks the UI thread again and again whether the loop sleeps,
    // and waits for each answer here. Shared, so the thread may outlive the player.
    struct Still_answers;
    std::vector<Script_command> commands_;
    std::shared_ptr<Still_answers> answers_;
};

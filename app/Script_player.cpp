// The script player: parses "wait", "key", "click", "rclick", "answer", "folder", "shot", "still" and
// "close" and posts them as the window would, keeping "wait" in real time.
#include "app/Script_player.h"

#include <chrono>
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>

#include "app/VxApplication.h"
#include "display/VxBitmap.h"
#include "platform/dialogs.h"
#include "platform/keys.h"
#include "trace/VxTrace.h"

using namespace Platform;

std::optional<Script_command> Parse_script_line(const std::string& raw, std::string& error) {
    std::string line = raw;
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.pop_back();
    std::istringstream in(line);
    std::string word;
    if (!(in >> word) || word[0] == '#') return std::nullopt;
    std::string rest;
    std::getline(in, rest);
    const size_t start = rest.find_first_not_of(" \t");
    rest = start == std::string::npos ? "" : rest.substr(start);
    Script_command c;
    std::istringstream args(rest);
    auto bad = [&] {
        error = "bad script line: " + line;
        return std::nullopt;
    };
    if (word == "wait") {
        c.kind = Script_command::Wait;
        if (!(args >> c.a) || c.a < 0) return bad();
    } else if (word == "key") {
        c.kind = Script_command::Key;
        c.text = rest == "" && line.size() > 4 ? " " : rest;
        if (c.text.empty() || Key_messages(c.text).empty()) return bad();
    } else if (word == "click" || word == "rclick") {
        c.kind = word == "click" ? Script_command::Click : Script_command::Rclick;
        if (!(args >> c.a >> c.b)) return bad();
    } else if (word == "answer") {
        c.kind = Script_command::Answer;
        if (rest != "ok" && rest != "cancel") return bad();
        c.a = rest == "ok";
    } else if (word == "folder") {
        c.kind = Script_command::Folder;
        c.text = rest;
    } else if (word == "shot") {
        c.kind = Script_command::Shot;
        c.text = rest;
        if (c.text.empty()) return bad();
    } else if (word == "still") {
        c.kind = Script_command::Still;
        c.a = Script_player::Still_default_ms;
        if (!rest.empty() && (!(args >> c.a) || c.a < 0)) return bad();
    } else if (word == "close") {
        c.kind = Script_command::Close;
    } else {
        return bad();
    }
    return c;
}

std::vector<Message> Key_messages(const std::string& name) {
    const std::optional<Key_press> press = Key_named(name);
    if (!press) return {};
    std::vector<Message> messages;
    if (press->virtual_key) messages.push_back(Message{WM_KEYDOWN, press->virtual_key, 0});
    if (press->character) messages.push_back(Message{WM_CHAR, press->character, 0});
    return messages;
}

struct Script_player::Still_answers {
    std::mutex mutex;
    std::condition_variable answered;
    unsigned long asked = 0, answers = 0;
    bool quiet = false;  // the last answer: the loop was asleep
};

bool Script_player::Load(const std::string& path, std::string& error) {
    std::ifstream in(path);
    if (!in) {
        error = "cannot read the script " + path;
        return false;
    }
    std::string line;
    while (std::getline(in, line)) {
        auto c = Parse_script_line(line, error);
        if (!error.empty()) return false;
        if (c) commands_.push_back(std::move(*c));
    }
    return true;
}

void Script_player::Queue_start_up_answers() {
    std::vector<Script_command> rest;
    bool head = true;
    for (Script_command& c : commands_) {
        if (c.kind == Script_command::Wait) head = false;
        if (head && c.kind == Script_command::Answer) {
            Queue_answer(c.a != 0);
        } else if (head && c.kind == Script_command::Folder) {
            Queue_folder(c.text);
        } else {
            rest.push_back(std::move(c));
        }
    }
    commands_ = std::move(rest);
}

namespace {
using Clock = std::chrono::steady_clock;

// Asks until the UI thread says its loop sleeps, or the time is up (the last question says so, and
// the UI thread then names what still moves). Each answer is waited for, so later commands come after.
template <class Answers>
void Wait_until_still(Message_queue& queue, size_t index, int longest_ms, Answers& answers) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(longest_ms);
    for (;;) {
        const bool last = Clock::now() >= deadline;
        std::unique_lock<std::mutex> lock(answers.mutex);
        const unsigned long ticket = ++answers.asked;
        queue.Post(Message{Script_message, index, last ? 1 : 0});
        // A UI thread busy with a long step (a rebuild) answers late; one that never answers has ended.
        if (!answers.answered.wait_until(
                lock, Clock::now() + std::chrono::milliseconds(longest_ms) + std::chrono::seconds(30),
                [&] { return answers.answers >= ticket; }))
            return;
        if (answers.quiet || last) return;
        lock.unlock();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
}
}  // namespace

void Script_player::Start() {
    if (!answers_) answers_ = std::make_shared<Still_answers>();
    // The commands are copied into the thread, so the player may end before the script does.
    std::thread([commands = commands_, answers = answers_] {
        Message_queue& queue = Message_queue::Instance();
        for (size_t i = 0; i < commands.size(); ++i) {
            const Script_command& c = commands[i];
            switch (c.kind) {
                case Script_command::Wait:
                    std::this_thread::sleep_for(std::chrono::milliseconds(c.a));
                    break;
                case Script_command::Key:
                    for (const Message& m : Key_messages(c.text)) queue.Post(m);
                    break;
                case Script_command::Click:
                    queue.Post(Message{WM_LBUTTONDOWN, 0, Make_point(c.a, c.b)});
                    break;
                case Script_command::Rclick:
                    queue.Post(Message{WM_RBUTTONDOWN, 0, Make_point(c.a, c.b)});
                    break;
                case Script_command::Still:
                    Wait_until_still(queue, i, c.a, *answers);
                    break;
                case Script_command::Close:
                    queue.Post(Message{WM_DESTROY, 0, 0});
                    break;
                default:
                    queue.Post(Message{Script_message, i, 0});
                    break;
            }
        }
    }).detach();
}

void Script_player::Carry_out(const Message& message) {
    if (message.wparam >= commands_.size()) return;
    const Script_command& c = commands_[message.wparam];
    switch (c.kind) {
        case Script_command::Answer:
            Queue_answer(c.a != 0);
            break;
        case Script_command::Folder:
            Queue_folder(c.text);
            break;
        case Script_command::Shot:
            if (!VxApplication::Instance().Save_frame(c.text))
                VxTrace::Instance().Write_error("Error : cannot write " + c.text);
            break;
        case Script_command::Still: {
            const bool quiet = !VxApplication::Instance().Loop_spinning();
            if (quiet) {
                VxTrace::Instance().Write("Script: nothing moves");
            } else if (message.lparam == 1) {
                std::vector<std::string> names;
                VxBitmap::Any_moving(&names);
                std::string text = "Script: still moving after " + std::to_string(c.a) + " ms:";
                for (const std::string& name : names) text += " " + name;
                if (names.empty()) text += " a fade";
                VxTrace::Instance().Write(text);
            }
            if (!answers_) break;
            {
                std::lock_guard<std::mutex> lock(answers_->mutex);
                answers_->quiet = quiet;
                ++answers_->answers;
            }
            answers_->answered.notify_all();
            break;
        }
        default:
            break;
    }
}

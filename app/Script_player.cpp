// The script player: parses "wait", "key", "click", "rclick", "answer", "folder", "shot", "still",
// "until" and "close" and posts them as the window would, keeping "wait" in real time.
#include "app/Script_player.h"

#include <chrono>
#include <condition_variable>
#include <fstream>
#include <iterator>
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
    } else if (word == "until") {
        // "until MS LINE": the rest of the line after the time is the log line, spaces and all.
        c.kind = Script_command::Until;
        if (!(args >> c.a) || c.a < 0) return bad();
        std::getline(args, c.text);
        const size_t text_start = c.text.find_first_not_of(" \t");
        c.text = text_start == std::string::npos ? "" : c.text.substr(text_start);
        if (c.text.empty()) return bad();
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
// The log the trace writes while a script runs: the program works in its run folder and opens the
// trace there before any script starts.
constexpr const char* Log_file = "log.txt";

// The script's place in log.txt: the lines the trace wrote since the script began, read on from
// where the last read ended. Every trace line is "\n" and its text, so the text after the last line
// feed is a line too, but one that a write under way may still lengthen: each read flushes the
// trace first, and a flush waits for such a write.
class Log_reader {
public:
    Log_reader() {
        VxTrace::Instance().Flush();
        offset_ = Size();
    }
    // Appends what was written since the last read.
    void Read_on() {
        VxTrace::Instance().Flush();
        if (Size() < offset_) offset_ = 0;  // the trace began the file anew (rotation)
        std::ifstream log(Log_file, std::ios::binary);
        if (!log || !log.seekg(offset_)) return;
        const std::string fresh{std::istreambuf_iterator<char>(log), std::istreambuf_iterator<char>()};
        offset_ += static_cast<std::streamoff>(fresh.size());
        text_ += fresh;
    }
    // True when a whole line equal to line is in what was read; that line and every line before
    // it are used up, so the next search begins after it.
    bool Find(const std::string& line) {
        for (size_t end; (end = text_.find('\n')) != std::string::npos;) {
            const bool found = Line(text_.substr(0, end)) == line;
            text_.erase(0, end + 1);
            if (found) return true;
        }
        if (Line(text_) != line) return false;
        // The last line matches: it is whole when a second look, after the write that may have
        // been under way, finds nothing added to it.
        const size_t before = text_.size();
        Read_on();
        if (text_.size() != before) return Find(line);
        text_.clear();
        return true;
    }

private:
    static std::string Line(std::string text) {
        if (!text.empty() && text.back() == '\r') text.pop_back();
        return text;
    }
    static std::streamoff Size() {
        std::ifstream log(Log_file, std::ios::binary | std::ios::ate);
        return log ? static_cast<std::streamoff>(log.tellg()) : 0;
    }
    std::streamoff offset_ = 0;
    std::string text_;
};

// Waits until the log holds a line that is exactly text after the last one found, or the time is
// up; writes which to the log.
void Wait_for_log_line(Log_reader& log, const std::string& text, int longest_ms) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(longest_ms);
    for (;;) {
        log.Read_on();
        if (log.Find(text)) {
            VxTrace::Instance().Write("Script: found " + text);
            return;
        }
        if (Clock::now() >= deadline) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    VxTrace::Instance().Write("Script: not found after " + std::to_string(longest_ms) + " ms: " + text);
}
}  // namespace

void Script_player::Start() {
    if (!answers_) answers_ = std::make_shared<Still_answers>();
    // The commands are copied into the thread, so the player may end before the script does.
    std::thread([commands = commands_, answers = answers_] {
        Message_queue& queue = Message_queue::Instance();
        Log_reader log;  // "until" finds the lines written from now on, in their order
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
                case Script_command::Until:
                    Wait_for_log_line(log, c.text, c.a);
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

// Message boxes and the folder chooser. In headless operation no box blocks: each box becomes
// one line of "dialogs.txt" and OK/Cancel boxes take the next queued answer; with none queued,
// OK, except for a question whose OK would download or start a program, which nobody asked for.
#pragma once

#include <optional>
#include <string>

namespace Platform {

// Shows an OK box. Blocks until dismissed unless headless.
void Message_box(const std::string& caption, const std::string& text);

// What an OK/Cancel question sets off on OK: only a plain one is answered OK by default headless.
enum class Question { Plain, Runs_program };

// Shows an OK/Cancel box; true for OK.
bool Message_box_ok_cancel(const std::string& caption, const std::string& text, Question kind = Question::Plain);

// The folder browser. Empty optional when nothing was chosen; a string when the user chose a path.
// Throws nothing; a browser that cannot be shown yields Folder_dialog_error.
struct Folder_choice {
    bool dialog_error = false;        // the browser could not be shown at all
    std::optional<std::string> path;  // empty when the user cancelled
};
Folder_choice Choose_folder(const std::string& title);

// Headless operation: boxes are recorded in "<working folder>/dialogs.txt".
void Set_headless(bool headless);
bool Is_headless();
// Answers for the next OK/Cancel boxes and folder dialogs, in order (the script's "answer" and "folder").
void Queue_answer(bool ok);
void Queue_folder(const std::string& path);  // an empty path cancels that dialog

}  // namespace Platform

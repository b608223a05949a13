// The base of every interaction mode: routes window messages to the mode's handlers, slides the
// mode's panels in and out on Enter and Leave, writes the player's status lines, and owns the
// screen images all modes share. Modes are built once at start-up and never destroyed. UI thread only.
//
// A key press arrives as WM_KEYDOWN and, for characters and Space, Backspace, Enter and Escape, also
// as WM_CHAR; a button click arrives as On_key_down(code) then On_char(code). So every mode acts on
// the arrow keys in On_key_down and on everything else in On_char, and one press acts once.
#pragma once

#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "modes/Mode_ids.h"
#include "platform/window.h"

struct VxButton_set;

class VxMode {
public:
    VxMode(int mode_id, std::string name);
    virtual ~VxMode();
    VxMode(const VxMode&) = delete;
    VxMode& operator=(const VxMode&) = delete;

    // The shell gives every message to the current mode and then to the generic mode.
    void Handle_message(const Platform::Message& message);

    virtual void Draw_back() {}
    virtual void Draw_front() {}
    virtual void Draw_overlay() {}
    virtual void Refresh() {}
    virtual void Enter();
    virtual void Leave();
    virtual void On_key_down(int code) = 0;
    virtual void On_char(int code) = 0;
    virtual void On_timer(int timer_id) = 0;

    void Update_status_lines();  // into the mode panel in use
    // Writes them again only when a text differs from what the panel in use shows. The generic
    // mode calls it after every key, character and timer, so a change made while nothing plays
    // (random play, the volume) shows at once, and an idle tick redraws nothing.
    void Refresh_status_lines();
    void Update_now_playing();  // the playing album's cover
    // The five status texts ("Remaining =03m07s", "Volume =75%", "Status =", "Fading =", "Random =").
    static std::vector<std::string> Status_lines();
    void Draw_type_box();
    void Draw_button_bar();  // main and transport rows
    void Draw_mode_sign();   // the mode's own extras of its button bar (drawn above the frame)

    int Get_mode_id() const { return mode_id_; }
    const std::string& Get_name() const { return name_; }
    bool Is_active() const { return active_; }
    VxButton_set* Get_button_bar() { return button_bar_.get(); }

protected:
    // The playback keys every mode shares, as characters: Space pauses or resumes with a fade,
    // N and P move in the playlist, M minimises. True when code was one of them. The search mode
    // does not call it: all four are search characters there.
    static bool Handle_playback_char(int code);
    // The letters that lead to another mode, in either case: B browse, O options, R rating,
    // S search, V volume. A mode names the modes it offers; the mode code leads to among them.
    static std::optional<Mode_id> Mode_for_letter(int code, std::initializer_list<Mode_id> offered);
    // Switches through the shell; nothing without one (tests of a single mode).
    static void Set_mode(int mode_id);
    // Index of the mode panel the last Enter slid in (shared by all modes).
    static int Mode_panel_in_use();
    // Whether a right click shows its position box here. Only the generic mode's does: it sees
    // every click after the current mode, so the box comes once in every mode.
    virtual bool Shows_click_position() const { return false; }

    std::unique_ptr<VxButton_set> button_bar_;  // may stay empty

private:
    int mode_id_;
    std::string name_;
    bool active_ = false;
};

// What a mode may ask of the application shell. The application object implements it and
// installs itself at start-up; modes and the playlist reach the shell only through here, so
// they can be built and tested without the window. User-interface thread only.
#pragma once

class VxShell {
public:
    virtual ~VxShell() = default;

    virtual void Set_mode(int mode_id) = 0;  // MODE_PREVIOUS goes back
    virtual void quit() = 0;                 // the orderly shutdown
    virtual void Keep_rendering() = 0;       // one more frame 50 ms from now (timer 3)
    virtual int Get_current_mode() const = 0;
    virtual int Get_previous_mode() const = 0;
    virtual void Get_window_rectangle(int& left, int& top, int& right, int& bottom) const = 0;
    virtual int Get_select_value() const = 0;
    virtual void Set_select_value(int value) = 0;
    virtual void Rebuild_library() = 0;  // rescan the music folder and everything derived from it
    virtual void Minimise() = 0;
    virtual void Show_caption(int mode_id) = 0;
    // Progress screens the modes call directly.
    virtual void Progress_caching_covers() = 0;
    virtual void Progress_downloading_covers() = 0;
    virtual void Progress_version_check() = 0;

    static void Install(VxShell* shell);  // null uninstalls
    static VxShell* Current();            // null before start-up installed one
};

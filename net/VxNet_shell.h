// What the internet services need from the application shell: the download progress screen,
// quitting before a new version's installer runs, and restarting the current song after a codec
// install. The shell derives from VxNet_shell and installs itself at start-up; until then every
// call does nothing. The cover download screen is not here: it is the window's synchronous
// WM_TIMER 9 (platform/window.h), sent by the cover lookup itself.
#pragma once

class VxNet_shell {
public:
    virtual ~VxNet_shell() = default;

    // Progress_download_file: "Downloading file ..." with the kilobytes so far, drawn at once.
    virtual void Progress_download_file(int /*kilobytes*/) {}
    // quit: the orderly shutdown, called after a new version's installer was started.
    virtual void Quit() {}
    // The playlist starts its current song again (a codec was just installed for it).
    virtual void Restart_current_song() {}

    // User-interface thread only. Null puts back the shell that does nothing; the caller keeps ownership.
    static void Install(VxNet_shell* shell);
    static VxNet_shell& Current();
};

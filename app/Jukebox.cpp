// The jukebox as the program runs it: the library file read ahead, the trace markers around the
// application's run and the script player, which the application starts once its window is shown.
#include "app/Jukebox.h"

#include <iostream>

#include "app/Script_player.h"
#include "app/VxApplication.h"
#include "library/VxDatabase.h"
#include "trace/VxTrace.h"

int Jukebox::Run(const std::string& script_path) {
    static Script_player script;  // lives as long as the application that reads it
    if (!script_path.empty()) {
        std::string error;
        if (!script.Load(script_path, error)) {
            std::cerr << "tavrix: " << error << "\n";
            return 2;
        }
        script.Queue_start_up_answers();  // start-up asks before the script's time begins
    }
    // The library file is read on a thread of its own from here on, while the application is made and
    // its window opens; start-up's Load takes the reading. That thread comes before the picture
    // decoders: the process keeps two malloc arenas (platform/linux/media_gstreamer.cpp) and the first
    // thread to allocate takes the second. Reading the library makes tens of thousands of allocations;
    // made in the UI thread's arena, they had both threads wait for its lock by turns.
    VxDatabase::Instance().Preload();
    VxTrace::Instance().Enter("WinMain");
    VxApplication& app = VxApplication::Instance();
    if (!script_path.empty()) app.Set_script(&script);
    const int code = app.Run();
    VxTrace::Instance().Leave("WinMain");
    return code;
}

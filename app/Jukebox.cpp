// The jukebox as the program runs it: the trace markers around the application's run and the
// script player, which the application starts once its window is shown.
#include "app/Jukebox.h"

#include <iostream>

#include "app/Script_player.h"
#include "app/VxApplication.h"
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
    VxTrace::Instance().Enter("WinMain");
    VxApplication& app = VxApplication::Instance();
    if (!script_path.empty()) app.Set_script(&script);
    const int code = app.Run();
    VxTrace::Instance().Leave("WinMain");
    return code;
}

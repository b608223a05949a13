// The modes' scratch home, window and recording shell.
#include "tests/modes/mode_fixture.h"

#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>

#include "display/VxDirectX.h"
#include "library/VxDatabase.h"
#include "modes/VxMode.h"
#include "platform/dialogs.h"
#include "platform/window.h"
#include "playback/VxPlaylist.h"
#include "settings/CIniFile.h"
#include "settings/VxRead.h"
#include "trace/VxTrace.h"

namespace fs = std::filesystem;

namespace ModeTest {

void Recording_shell::Set_mode(int mode_id) {
    modes.push_back(mode_id);
    if (mode_id == MODE_PREVIOUS) mode_id = previous;
    const bool swap =
        (current == MODE_RATING && mode_id == MODE_VOLUME) || (current == MODE_VOLUME && mode_id == MODE_RATING);
    if (!swap) previous = current;
    current = mode_id;
}

void Screen::SetUp() {
    Platform::Set_headless(true);
    for (const char* d : {"/run", "/covers", "/music"}) TestSupport::Make_dirs(Home() + d);
    fs::copy(std::string(TAVRIX_BINARY_DIR) + "/pics", Home() + "/pics", fs::copy_options::recursive);
    ASSERT_EQ(chdir((Home() + "/run").c_str()), 0);
    TestSupport::Open_trace_here();
    const std::string ini = VxRead::File_name;
    CIniFile::Create_file(ini);
    CIniFile::Set_value("MusicFolder", Home() + "/music", "MUSIC LOCATION", ini);
    CIniFile::Set_value("UseLogging", "yes", "SYSTEM SETTINGS", ini);
    CIniFile::Set_value("CheckNewVersionOnStartup", "no", "SYSTEM SETTINGS", ini);
    // The tests of one executable may run in one process: the settings, the library, the queue and
    // the window timers start as a new process has them, whichever test ran before.
    VxRead::Start_afresh_for_tests();
    VxDatabase::Instance().Clear();
    VxPlaylist::Instance().Clear_for_tests();
    Platform::Message_queue::Instance().Reset();
    if (with_display_) {
        setenv("SDL_VIDEODRIVER", "dummy", 1);
        std::string error;
        ASSERT_TRUE(Platform::Window::Instance().Open("test", 0, 0, 800, 600, error)) << error;
        VxDisplay_config config;
        config.pics_folder = VxRead::Instance().Pics_folder();
        VxDirectX::Instance().Init(&Platform::Window::Instance(), 0, 0, 800, 600, config);
    }
    VxShell::Install(&shell_);
}

void Screen::TearDown() {
    VxShell::Install(nullptr);
    Platform::Message_queue::Instance().Reset();
}

void Screen::Make_library(const std::vector<Album>& albums) {
    VX_FileSystem_musiclist list;
    for (const Album& a : albums) {
        VX_FileSystem_cd cd;
        const std::string folder = Home() + "/music/" + a.artist + " - " + a.title;
        TestSupport::Make_dirs(folder);
        cd.path = folder + "/";
        cd.artist = a.artist;
        cd.title = a.title;
        cd.name = a.artist + " - " + a.title;
        cd.cover = a.cover;
        if (!a.cover.empty()) fs::copy_file(Home() + "/pics/IMAGE_front3.jpg", folder + "/" + a.cover);
        for (int s = 0; s < a.songs; ++s) {
            VX_FileSystem_song song;
            song.file_name = std::to_string(s + 1) + " - Song " + std::to_string(s + 1) + ".mp3";
            song.name = "Song " + std::to_string(s + 1);
            TestSupport::Write_file(folder + "/" + song.file_name, "");
            cd.songs.push_back(song);
        }
        list.cds.push_back(cd);
    }
    VxDatabase& db = VxDatabase::Instance();
    db.Set_musiclist(std::move(list));
    db.SortMusiclist();
    db.Create_lookup_table();
}

void Screen::Make_library_of(const std::string& chars, int count_each) {
    std::vector<Album> albums;
    for (char c : chars)
        for (int k = 1; k <= count_each; ++k)
            albums.push_back({std::string(1, c) + " Artist " + std::to_string(k), "Title " + std::to_string(k), 2, ""});
    Make_library(albums);
}

std::string Screen::Log() const {
    VxTrace::Instance().Flush();
    const std::string path = Home() + "/run/log.txt";
    return fs::exists(path) ? TestSupport::Read_file(path) : "";
}

std::string Screen::Dialogs() const {
    const std::string path = Home() + "/run/dialogs.txt";
    return fs::exists(path) ? TestSupport::Read_file(path) : "";
}

int Screen::Count(const std::string& text, const std::string& part) {
    int n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

void Screen::Press(VxMode& mode, int virtual_key, int character) {
    mode.Handle_message({Platform::WM_KEYDOWN, static_cast<std::uintptr_t>(virtual_key), 0});
    if (character) mode.Handle_message({Platform::WM_CHAR, static_cast<std::uintptr_t>(character), 0});
}

void Screen::Type(VxMode& mode, char c) {
    Press(mode, std::toupper(static_cast<unsigned char>(c)), static_cast<unsigned char>(c));
}

namespace {
// Records the wait the queue asks for and ends it at once with an empty message.
struct Wait_probe : Platform::Event_source {
    int waited_ms = 0;
    bool asked = false;
    void Wait_and_pump(int timeout_ms) override {
        waited_ms = timeout_ms;
        asked = true;
        Platform::Message_queue::Instance().Post({Platform::WM_NULL, 0, 0});
    }
    void Pump() override {}
    void Wake() override {}
};
}  // namespace

int Screen::Next_timer_ms() {
    Platform::Message_queue& queue = Platform::Message_queue::Instance();
    Wait_probe probe;
    queue.Set_event_source(&probe);
    Platform::Message message;
    queue.Get(message);
    queue.Set_event_source(nullptr);
    return probe.asked ? probe.waited_ms : 0;
}

}  // namespace ModeTest

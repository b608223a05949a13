// The settings object: owns "settings_v3.ini", writes its defaults, validates it, and answers
// every settings question through cached getters. User-interface thread only; caches are not locked.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct RegexSetting {
    std::int32_t id = 0;
    std::string name;
    std::string regex;
};

class VxRead {
public:
    // The first call constructs: fills the expression table, writes missing defaults,
    // validates, and compares the settings digest (which may delete the library file).
    static VxRead& Instance();
    // The "MusicFolder" a settings file written anew starts with (a new home's: the user's music
    // folder) instead of "../music". Call before the first Instance; UI thread.
    static void Set_new_file_music_folder(const std::string& folder);
    // Forgets every cached value and constructs again from the working folder's file, as the first
    // Instance does: for tests that run one after another in one process, each in its own folder.
    // UI thread; no other thread may be reading the settings.
    static void Start_afresh_for_tests();

    // Each getter reads the file on its first call or when force is set; otherwise cached.
    bool Get_use_two_directories(bool force = false);
    bool Get_download_covers(bool force = false);
    bool Get_cache_covers(bool force = false);
    bool Get_check_new_version(bool force = false);
    bool Get_use_video_memory(bool force = false);
    bool Get_use_logging(bool force = false);
    bool Get_use_random(bool force = false);
    bool Get_save_scaled_bitmaps(bool force = false);
    // "MusicFolder" with the path separator appended when it does not end in one.
    std::string Get_music_folder(bool force = false);
    // CD_ARTIST, CD_TITLE, SONG in that order, with the file's expressions ("" when missing).
    // The reference holds until the next forced reading.
    const std::vector<RegexSetting>& Get_regular_expressions(bool force = false);
    // The window rectangle: size clamped to the screen, offset as written.
    void Get_window_geometry(int& width, int& height, int& x, int& y, bool force = false);

    // Flip an on/off key (only when it exists) and return the re-read value.
    bool Set_use_logging(bool on);
    bool Set_use_random(bool on);
    bool Set_download_covers(bool on);
    bool Set_cache_covers(bool on);
    bool Set_check_new_version(bool on);

    // The options mode's folder choice; returns the new path or "".
    std::string Choose_music_folder();

    std::string Base_folder() const;    // "../"
    std::string Pics_folder() const;    // "../pics/"
    std::string Covers_folder() const;  // "../covers/"

    bool File_exists(const std::string& path) const;
    // True when the image may be loaded: JPG up to 3,000,000 bytes, BMP up to 10,000,000.
    bool Check_image_size(const std::string& path);

    static constexpr const char* File_name = "settings_v3.ini";

private:
    struct Impl;  // the caches; defined in settings/VxRead_impl.h
    VxRead();
    void Start();
    void Require_usable_file();
    void Write_defaults();
    void Validate();
    void Check_settings_crc();
    bool Music_folder_vanished();
    std::string Fingerprint();
    Impl* impl_;
};

// Makes the trace's entry and exit markers follow "UseLogging". Call once at start-up; safe from
// any thread afterwards. Until the settings object has been built the markers stay on.
void Install_trace_logging_switch();

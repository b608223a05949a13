// The audio player: two channels that take turns, so a new song starts at once on one channel while
// the song it replaces fades out on the other. Volume changes, pauses and the fade at shutdown are
// ramps applied by Fade_tick from the main loop. User-interface thread only; one instance per process.
#pragma once

#include <functional>
#include <string>

#include "playback/VxAudioChannel.h"

class VxAudio_source;

class VxAudio {
public:
    // The window timer of the end-of-song watch and status refresh.
    static constexpr unsigned Timer_song_watch = 1;
    static constexpr unsigned Song_watch_period_ms = 500;
    static constexpr double Initial_main_volume = 75.0;

    // Created on first use with channels 0 and 1; lives until the process ends.
    static VxAudio& Instance();

    // The list Play_audio takes its items from (the playlist); null plays nothing.
    void Set_source(VxAudio_source* source);
    // Where a song's file is found: the library's Get_song_path unless replaced
    // (tools and tests that play files outside a library).
    using Song_path_lookup = std::function<std::string(int cd, int song)>;
    void Set_song_path_lookup(Song_path_lookup lookup);
    // Whether a song of this extension (upper case) may be played: the platform's answer unless the
    // shell installs the codec service, which also offers to install a missing codec.
    using Codec_check = std::function<bool(const std::string& extension)>;
    void Set_codec_check(Codec_check check);
    // Called when the quit fade has ended, just before the quit message is posted.
    void Set_quit_faded_handler(std::function<void()> handler);

    // Starts item index of the source on the other channel and fades the current song out.
    void Play_audio(int index);
    // Pauses with a fade to silence, or resumes with a fade up to the main volume.
    void FadeInOut();
    void Set_main_volume(double level);
    double Get_main_volume() const { return main_volume_; }

    std::string Get_play_state_text() const;  // "PLAYING", "STOPPED", "PAUSED", "UNKNOWN"
    std::string Get_fade_state_text() const;  // "IN...", "OUT...", "ZEROING...", "UNKNOWN", ".."
    // Seconds left of the current song; 0 when it ended or failed (both readings are then 999).
    double Get_remaining_time();
    int Get_current_channel() const { return current_; }
    int Get_fade_state(int channel) const;
    void Set_fade_state(int channel, int state);
    void Set_play_state(int state);  // the current channel's field only; no media call
    std::string Get_song_name() const { return song_name_; }
    VxAudioChannel& Channel(int channel);

    // Advances every fade; the main loop calls it after every pass. Does nothing while no channel fades.
    void Fade_tick();
    // Timer 7: the held fade-outs of replaced songs begin.
    void Start_ramps();
    // The end-of-song watch (timer 1): with 2.0 s or less left, the next song starts once.
    void Watch_end_of_song();
    // Shutdown: both channels are told to end; all_stopped when nothing needs to fade first.
    // From then on no song starts (Play_audio and the end-of-song watch do nothing), and once
    // both channels have fallen silent the quit-faded handler runs and the quit message is posted,
    // whatever fade each channel was in. Only the first call acts.
    void Quit(bool& all_stopped);
    bool Is_quitting() const { return quitting_; }

private:
    VxAudio();
    VxAudioChannel& Current() { return current_ == 0 ? channel0_ : channel1_; }
    const VxAudioChannel& Current() const { return current_ == 0 ? channel0_ : channel1_; }
    VxAudioChannel& Other() { return current_ == 0 ? channel1_ : channel0_; }
    // Once quitting: true when neither channel still fades to silence.
    bool Both_silent() const;
    void Finish_quit();

    int current_ = 0;
    VxAudioChannel channel0_{0};
    VxAudioChannel channel1_{1};
    std::string song_name_;
    double main_volume_ = Initial_main_volume;
    VxAudio_source* source_ = nullptr;
    Song_path_lookup song_path_;
    Codec_check codec_check_;
    std::function<void()> quit_faded_;
    bool quitting_ = false;
    bool quit_finished_ = false;  // the quit message has been posted (or the caller posts it)
};

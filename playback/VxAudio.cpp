// The player: which channel plays, the song change with its cross-fade, pause and volume fades,
// the fade tick, the end-of-song watch and shutdown.
#include "playback/VxAudio.h"

#include "library/VxDatabase.h"
#include "library/VxDefs.h"
#include "platform/shell.h"
#include "platform/window.h"
#include "playback/VxAudio_source.h"
#include "trace/VxTrace.h"

namespace {
constexpr double Silent_level = 0.05;
constexpr double End_of_song_s = 2.0;
}  // namespace

VxAudio& VxAudio::Instance() {
    static VxAudio audio;
    return audio;
}

VxAudio::VxAudio()
    : song_path_([](int cd, int song) {
          const VxDatabase& db = VxDatabase::Instance();
          return db.Has_song(cd, song) ? db.Get_song_path(cd, song) : std::string();
      }),
      codec_check_([](const std::string& extension) { return Platform::Can_decode_extension(extension); }) {}

void VxAudio::Set_source(VxAudio_source* source) { source_ = source; }

void VxAudio::Set_song_path_lookup(Song_path_lookup lookup) { song_path_ = std::move(lookup); }

void VxAudio::Set_codec_check(Codec_check check) { codec_check_ = std::move(check); }

void VxAudio::Set_quit_faded_handler(std::function<void()> handler) { quit_faded_ = std::move(handler); }

VxAudioChannel& VxAudio::Channel(int channel) { return channel == 0 ? channel0_ : channel1_; }

void VxAudio::Play_audio(int index) {
    VxTraceScope scope("Play_audio");
    // A start that was pending when the user quit would restart a channel and undo its quit fade.
    if (quitting_) return;
    if (!source_ || index < 0 || index >= source_->Get_nof_items()) return;
    const VX_song_reference item = source_->Get_item_song(index);
    const std::string path = song_path_(item.cd_index, item.song_index);
    if (path.empty()) {
        // Queued before the library was rebuilt from another folder: nothing to play there.
        VxTrace::Instance().Write_error("Play_audio : playlist item " + int_to_string(index) +
                                        " names no song of the library");
        return;
    }
    if (!codec_check_(get_extension(path))) return;

    current_ = (current_ + 1) % 2;
    song_name_ = path;
    VxTrace::Instance().Write("songname =" + path);
    Current().Start_channel(song_name_, main_volume_);
    Other().Fade_out_and_stop();
    Platform::Message_queue::Instance().Set_timer(Timer_song_watch, Song_watch_period_ms);
}

void VxAudio::FadeInOut() {
    VxTrace::Instance().Write("FadeInOut");
    VxAudioChannel& channel = Current();
    switch (channel.Get_play_state()) {
        case VxAudioChannel::Playing:
            if (channel.Get_fade_state() == VxAudioChannel::Fade_zeroing) {
                channel.Set_fade_state(VxAudioChannel::Fade_in);
                channel.Fade_to(main_volume_);
            } else {
                channel.Set_fade_state(VxAudioChannel::Fade_zeroing);
                channel.Fade_to(0);
            }
            break;
        case VxAudioChannel::Paused:
            channel.Pause_toggle();  // runs the graph again
            channel.Set_fade_state(VxAudioChannel::Fade_in);
            channel.Fade_to(main_volume_);
            break;
        default:
            break;
    }
}

void VxAudio::Set_main_volume(double level) {
    VxTrace::Instance().Write("Set_main_volume");
    main_volume_ = level;
    const int state = Current().Get_play_state();
    if (state == VxAudioChannel::Playing || state == VxAudioChannel::Paused) Current().Fade_to(level);
}

std::string VxAudio::Get_play_state_text() const {
    switch (Current().Get_play_state()) {
        case VxAudioChannel::Playing:
            return "PLAYING";
        case VxAudioChannel::Stopped:
            return "STOPPED";
        case VxAudioChannel::Paused:
            return "PAUSED";
        default:
            return "UNKNOWN";
    }
}

std::string VxAudio::Get_fade_state_text() const {
    switch (Current().Get_fade_state()) {
        case VxAudioChannel::Fade_in:
            return "IN...";
        case VxAudioChannel::Fade_down:
            return "OUT...";
        case VxAudioChannel::Fade_zeroing:
            return "ZEROING...";
        case VxAudioChannel::Fade_idle:
            return "..";
        default:
            return "UNKNOWN";
    }
}

double VxAudio::Get_remaining_time() { return Current().get_duration() - Current().get_snd_position(); }

int VxAudio::Get_fade_state(int channel) const { return (channel == 0 ? channel0_ : channel1_).Get_fade_state(); }

void VxAudio::Set_fade_state(int channel, int state) { Channel(channel).Set_fade_state(state); }

void VxAudio::Set_play_state(int state) { Current().Set_play_state(state); }

void VxAudio::Fade_tick() {
    VxAudioChannel* channels[2] = {&channel0_, &channel1_};
    for (VxAudioChannel* ch : channels)
        if (ch->Get_fade_state() != VxAudioChannel::Fade_idle) ch->Apply_ramp();

    for (VxAudioChannel* ch : channels) {
        const int fade = ch->Get_fade_state();
        if (fade == VxAudioChannel::Fade_idle) continue;  // no volume reading while nothing fades
        // A song that ended or failed mid-fade has no graph, and its level would read as full
        // volume for ever: its fade to silence is over. (A fade to pause is left to the end-of-song watch.)
        const bool gone = !ch->Has_graph();
        const double level = ch->Get_level();
        const bool silent = level < Silent_level || gone;
        switch (fade) {
            case VxAudioChannel::Fade_in:
                if (level > main_volume_ * 0.95 || gone) ch->Set_fade_state(VxAudioChannel::Fade_idle);
                break;
            case VxAudioChannel::Fade_down:
                if (level < main_volume_ * 1.05 || gone) ch->Set_fade_state(VxAudioChannel::Fade_idle);
                break;
            case VxAudioChannel::Fade_zeroing:
                if (level < Silent_level) {
                    ch->Pause_toggle();
                    ch->Set_fade_state(VxAudioChannel::Fade_idle);
                }
                break;
            case VxAudioChannel::Fade_quit:
            case VxAudioChannel::Fade_stop:
                if (silent) {
                    // A channel whose state already reads stopped still has its graph halted,
                    // without the invalid-state box that Stop would show.
                    const int state = ch->Get_play_state();
                    if (state == VxAudioChannel::Playing || state == VxAudioChannel::Paused)
                        ch->Stop();
                    else
                        ch->Halt_graph();
                    ch->Set_fade_state(VxAudioChannel::Fade_idle);
                }
                break;
            default:
                break;
        }
    }
    // The quit ends when both channels are silent, also where a channel's fade was another one's
    // (a replaced song still fading out) or its pause could not be turned into a stop.
    if (quitting_ && !quit_finished_ && Both_silent()) Finish_quit();
}

bool VxAudio::Both_silent() const {
    for (const VxAudioChannel* ch : {&channel0_, &channel1_}) {
        const int fade = ch->Get_fade_state();
        if (fade == VxAudioChannel::Fade_quit || fade == VxAudioChannel::Fade_stop) return false;
    }
    return true;
}

void VxAudio::Finish_quit() {
    quit_finished_ = true;
    if (quit_faded_) quit_faded_();
    Platform::Message_queue::Instance().Post_quit(0);
}

void VxAudio::Start_ramps() {
    // Only held ramps: a fade already under way would jump back to where it began if started again.
    for (VxAudioChannel* ch : {&channel0_, &channel1_})
        if (ch->Ramp().Is_held()) ch->Ramp().Start();
}

void VxAudio::Watch_end_of_song() {
    if (quitting_) {
        // Nothing follows a song once the user quit; the quit fade ends the program.
        Platform::Message_queue::Instance().Kill_timer(Timer_song_watch);
        return;
    }
    const double remaining = Get_remaining_time();
    if (remaining > End_of_song_s) return;
    Platform::Message_queue::Instance().Kill_timer(Timer_song_watch);
    VxAudioChannel& channel = Current();
    const std::string state = Get_play_state_text();
    const int fade = channel.Get_fade_state();
    if (state != "STOPPED" && state != "PAUSED" && fade != VxAudioChannel::Fade_zeroing &&
        fade != VxAudioChannel::Fade_quit) {
        if (source_) source_->Start_and_update_next_song();
    }
    if (fade == VxAudioChannel::Fade_zeroing) {
        channel.Set_play_state(VxAudioChannel::Stopped);
        channel.Set_fade_state(VxAudioChannel::Fade_idle);
    }
}

void VxAudio::Quit(bool& all_stopped) {
    if (quitting_) {
        all_stopped = false;  // the first call's fade (or its caller) ends the program
        return;
    }
    quitting_ = true;
    Platform::Message_queue::Instance().Kill_timer(Timer_song_watch);
    for (VxAudioChannel* ch : {&channel0_, &channel1_}) ch->Quit_channel();
    all_stopped =
        channel0_.Get_play_state() == VxAudioChannel::Stopped && channel1_.Get_play_state() == VxAudioChannel::Stopped;
    // The caller posts the quit at once then; otherwise the fade tick does when both are silent.
    quit_finished_ = all_stopped;
}

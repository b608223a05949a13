// Following the play state after every message is enough: while a song plays the end-of-song watch
// and the tick timer bring a message at least every half second, so a song that ends is seen soon.
#include "app/Screensaver_follow.h"

#include "platform/screen.h"
#include "playback/VxAudio.h"
#include "playback/VxAudioChannel.h"
#include "trace/VxTrace.h"

void Screensaver_follows_play_state() {
    static Platform::Screensaver shown = Platform::Screensaver::allowed;
    VxAudio& audio = VxAudio::Instance();
    const bool playing = audio.Channel(audio.Get_current_channel()).Get_play_state() == VxAudioChannel::Playing;
    const Platform::Screensaver wanted = playing ? Platform::Screensaver::held_off : Platform::Screensaver::allowed;
    if (wanted == shown) return;
    shown = wanted;
    Platform::Set_screensaver(wanted);
    VxTrace::Instance().Write(playing ? "Screensaver held off" : "Screensaver allowed");
}

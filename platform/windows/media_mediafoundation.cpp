// The media graph on Media Foundation: a source reader decodes the song to 16-bit PCM, and the
// graph's own thread plays it through waveOut, or against a clock when no device opens (or
// TAVRIX_AUDIO_SINK asks for a null sink), so a song lasts as long as it would on a device.
// The volume is applied to the samples, so it reads back exactly as set.
#include <windows.h>
// The system headers below need the declarations of the ones above.
#include <mfapi.h>
#include <mferror.h>
#include <mfidl.h>
#include <mfreadwrite.h>
#include <mmsystem.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/media.h"
#include "platform/windows/utf16.h"

namespace Platform {
namespace {

using Clock = std::chrono::steady_clock;

// One block handed to the device: short, so a volume change is heard within a fraction of a second.
constexpr double Block_seconds = 0.04;
constexpr int Device_blocks = 4;

bool Media_foundation_ready() {
    static const bool ready = [] {
        const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        (void)com;  // a thread already in another apartment still reaches the free-threaded objects
        return SUCCEEDED(MFStartup(MF_VERSION, MFSTARTUP_NOSOCKET));
    }();
    return ready;
}

// Every thread that calls into Media Foundation joins the multithreaded apartment once.
void Enter_apartment() {
    thread_local const HRESULT entered = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    (void)entered;
}

Render_result Classify_open_failure(HRESULT hr) {
    switch (hr) {
        case HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND):
        case HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND):
        case HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED):
        case HRESULT_FROM_WIN32(ERROR_SHARING_VIOLATION):
        case MF_E_UNSUPPORTED_SCHEME:
        case E_OUTOFMEMORY:
            return Render_result::other_failure;
        case MF_E_INVALID_FILE_FORMAT:
        case MF_E_INVALID_STREAM_DATA:
        case MF_E_BAD_STARTUP_VERSION:
            return Render_result::invalid_file_format;
        default:
            // MF_E_UNSUPPORTED_BYTESTREAM_TYPE, and the plain failure of a source that recognises nothing.
            return Render_result::unknown_file_type;
    }
}

template <typename T>
void Release(T*& object) {
    if (object) object->Release();
    object = nullptr;
}

class Mf_graph final : public Media_graph {
public:
    ~Mf_graph() override {
        Stop();
        if (player_.joinable()) player_.join();
        Close_device();
        Release(reader_);
    }

    Render_result Render_file(const std::string& path) override {
        const Render_result result = Build(path);
        if (result != Render_result::ok) {
            std::lock_guard<std::mutex> lock(mutex_);
            failed_ = true;
            changed_.notify_all();
            Close_device();
            Release(reader_);
        }
        return result;
    }

    bool Set_volume(int hundredths_db) override {
        volume_ = std::clamp(hundredths_db, Volume_silence, Volume_full);
        return true;
    }

    bool Get_volume(int& hundredths_db) override {
        hundredths_db = volume_;
        return true;
    }

    bool Run() override {
        std::lock_guard<std::mutex> lock(mutex_);
        if (failed_ || stopped_ || !reader_) return false;
        if (!running_) {
            running_ = true;
            clock_resumed_ = Clock::now();
            if (device_) waveOutRestart(device_);
        }
        if (!player_.joinable()) player_ = std::thread([this] { Play(); });
        changed_.notify_all();
        return true;
    }

    bool Pause() override {
        std::lock_guard<std::mutex> lock(mutex_);
        if (failed_ || stopped_ || !reader_) return false;
        if (running_) {
            clock_base_ += Since(clock_resumed_);
            running_ = false;
            if (device_) waveOutPause(device_);
        }
        changed_.notify_all();
        return true;
    }

    bool Stop() override {
        std::lock_guard<std::mutex> lock(mutex_);
        stopped_ = true;
        running_ = false;
        if (device_) waveOutReset(device_);
        changed_.notify_all();
        return true;
    }

    bool Duration(double& seconds) override {
        std::lock_guard<std::mutex> lock(mutex_);
        if (failed_ || duration_ < 0) return false;
        seconds = duration_;
        return true;
    }

    bool Position(double& seconds) override {
        std::lock_guard<std::mutex> lock(mutex_);
        if (failed_ || !reader_) return false;
        seconds = Played_seconds();
        return true;
    }

    void Wait_for_completion() override {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return failed_ || stopped_ || ended_; });
    }

private:
    static double Since(Clock::time_point t) { return std::chrono::duration<double>(Clock::now() - t).count(); }

    Render_result Build(const std::string& path) {
        if (!Media_foundation_ready()) return Render_result::other_failure;
        Enter_apartment();
        const std::wstring wide = Wide(path);
        const DWORD attributes = GetFileAttributesW(wide.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return Render_result::other_failure;
        // The reader needs a full path; a relative one counts from the working folder.
        wchar_t full[MAX_PATH * 4] = {};
        if (GetFullPathNameW(wide.c_str(), static_cast<DWORD>(std::size(full)), full, nullptr) == 0)
            return Render_result::other_failure;

        const HRESULT opened = MFCreateSourceReaderFromURL(full, nullptr, &reader_);
        if (FAILED(opened)) return Classify_open_failure(opened);

        reader_->SetStreamSelection(MF_SOURCE_READER_ALL_STREAMS, FALSE);
        if (FAILED(reader_->SetStreamSelection(MF_SOURCE_READER_FIRST_AUDIO_STREAM, TRUE)))
            return Render_result::unsupported_stream;  // a picture or a film without sound
        IMFMediaType* pcm = nullptr;
        if (FAILED(MFCreateMediaType(&pcm))) return Render_result::other_failure;
        pcm->SetGUID(MF_MT_MAJOR_TYPE, MFMediaType_Audio);
        pcm->SetGUID(MF_MT_SUBTYPE, MFAudioFormat_PCM);
        pcm->SetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, 16);
        const HRESULT typed = reader_->SetCurrentMediaType(MF_SOURCE_READER_FIRST_AUDIO_STREAM, nullptr, pcm);
        pcm->Release();
        if (FAILED(typed)) return Render_result::unsupported_stream;  // no decoder makes PCM of it

        IMFMediaType* current = nullptr;
        if (FAILED(reader_->GetCurrentMediaType(MF_SOURCE_READER_FIRST_AUDIO_STREAM, &current)))
            return Render_result::unsupported_stream;
        UINT32 rate = 0, channels = 0, bits = 0;
        current->GetUINT32(MF_MT_AUDIO_SAMPLES_PER_SECOND, &rate);
        current->GetUINT32(MF_MT_AUDIO_NUM_CHANNELS, &channels);
        current->GetUINT32(MF_MT_AUDIO_BITS_PER_SAMPLE, &bits);
        current->Release();
        if (rate == 0 || channels == 0 || channels > 8 || bits != 16) return Render_result::unsupported_stream;
        rate_ = rate;
        channels_ = channels;

        PROPVARIANT value;
        PropVariantInit(&value);
        if (SUCCEEDED(reader_->GetPresentationAttribute(MF_SOURCE_READER_MEDIASOURCE, MF_PD_DURATION, &value)))
            duration_ = static_cast<double>(value.uhVal.QuadPart) * 1e-7;
        PropVariantClear(&value);

        // The first block decodes now, so that data the decoder rejects fails here, as a render would.
        bool end = false;
        if (!Decode_next(end)) return Render_result::invalid_file_format;
        Open_device();
        return Render_result::ok;
    }

    // Appends the next decoded samples to pending_; false when decoding failed.
    bool Decode_next(bool& end) {
        DWORD flags = 0;
        IMFSample* sample = nullptr;
        const HRESULT read =
            reader_->ReadSample(MF_SOURCE_READER_FIRST_AUDIO_STREAM, 0, nullptr, &flags, nullptr, &sample);
        if (FAILED(read) || (flags & MF_SOURCE_READERF_ERROR)) return false;
        end = (flags & MF_SOURCE_READERF_ENDOFSTREAM) != 0;
        if (!sample) return true;
        IMFMediaBuffer* buffer = nullptr;
        bool ok = SUCCEEDED(sample->ConvertToContiguousBuffer(&buffer));
        if (ok) {
            BYTE* data = nullptr;
            DWORD length = 0;
            ok = SUCCEEDED(buffer->Lock(&data, nullptr, &length));
            if (ok) {
                const size_t count = length / sizeof(std::int16_t);
                const size_t at = pending_.size();
                pending_.resize(at + count);
                std::memcpy(pending_.data() + at, data, count * sizeof(std::int16_t));
                buffer->Unlock();
            }
            buffer->Release();
        }
        sample->Release();
        return ok;
    }

    void Open_device() {
        if (const char* sink = std::getenv("TAVRIX_AUDIO_SINK"); sink && *sink) return;  // a null sink was asked for
        WAVEFORMATEX format{};
        format.wFormatTag = WAVE_FORMAT_PCM;
        format.nChannels = static_cast<WORD>(channels_);
        format.nSamplesPerSec = rate_;
        format.wBitsPerSample = 16;
        format.nBlockAlign = static_cast<WORD>(channels_ * 2);
        format.nAvgBytesPerSec = rate_ * format.nBlockAlign;
        done_event_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        if (!done_event_) return;
        if (waveOutOpen(&device_, WAVE_MAPPER, &format, reinterpret_cast<DWORD_PTR>(done_event_), 0, CALLBACK_EVENT) !=
            MMSYSERR_NOERROR) {
            device_ = nullptr;  // no device: the clock keeps the time instead
            return;
        }
        waveOutPause(device_);  // nothing is heard before Run
    }

    void Close_device() {
        if (device_) {
            waveOutReset(device_);
            for (auto& block : blocks_)
                if (block.header.dwFlags & WHDR_PREPARED)
                    waveOutUnprepareHeader(device_, &block.header, sizeof block.header);
            waveOutClose(device_);
            device_ = nullptr;
        }
        if (done_event_) CloseHandle(done_event_);
        done_event_ = nullptr;
    }

    // Seconds heard so far (the mutex is held).
    double Played_seconds() const {
        if (device_) {
            MMTIME time{};
            time.wType = TIME_SAMPLES;
            if (waveOutGetPosition(device_, &time, sizeof time) == MMSYSERR_NOERROR && time.wType == TIME_SAMPLES)
                return std::min(static_cast<double>(time.u.sample) / rate_, Submitted_seconds());
        }
        const double clock = clock_base_ + (running_ ? Since(clock_resumed_) : 0.0);
        return std::min(clock, Submitted_seconds());
    }

    double Submitted_seconds() const { return static_cast<double>(submitted_frames_) / rate_; }

    void Apply_volume(std::int16_t* samples, size_t count) const {
        const int volume = volume_;
        if (volume >= Volume_full) return;
        const double gain = volume <= Volume_silence ? 0.0 : std::pow(10.0, volume / 2000.0);
        for (size_t i = 0; i < count; ++i) samples[i] = static_cast<std::int16_t>(std::lround(samples[i] * gain));
    }

    // The player thread: decodes block by block and hands each to the device or to the clock.
    void Play() {
        Enter_apartment();
        const size_t block_samples =
            std::max<size_t>(channels_, static_cast<size_t>(rate_ * Block_seconds) * channels_);
        bool end = false, failed = false;
        size_t next_block = 0;
        for (;;) {
            {
                std::unique_lock<std::mutex> lock(mutex_);
                changed_.wait(lock, [this] { return running_ || stopped_; });
                if (stopped_) return;
            }
            while (!end && !failed && pending_.size() < block_samples) failed = !Decode_next(end);
            if (pending_.empty() && (end || failed)) break;
            const size_t count = std::min(block_samples, pending_.size());
            std::vector<std::int16_t> samples(pending_.begin(), pending_.begin() + static_cast<long>(count));
            pending_.erase(pending_.begin(), pending_.begin() + static_cast<long>(count));
            Apply_volume(samples.data(), samples.size());
            if (!Hand_over(std::move(samples), next_block)) return;
            next_block = (next_block + 1) % Device_blocks;
        }
        // Everything is handed over: the song ends once it has all been heard.
        std::unique_lock<std::mutex> lock(mutex_);
        while (!stopped_ && Played_seconds() + 1e-3 < Submitted_seconds()) {
            changed_.wait_for(lock, std::chrono::milliseconds(10));
        }
        ended_ = true;
        changed_.notify_all();
    }

    // Gives one block to the device (waiting for a free one) or waits for the clock to reach it.
    // False when the graph was stopped meanwhile.
    bool Hand_over(std::vector<std::int16_t> samples, size_t index) {
        const size_t frames = samples.size() / channels_;
        if (device_) {
            Block& block = blocks_[index];
            // The block is free once the device has played it (or never had it).
            while (block.header.dwFlags & WHDR_PREPARED && !(block.header.dwFlags & WHDR_DONE)) {
                WaitForSingleObject(done_event_, 50);
                std::lock_guard<std::mutex> lock(mutex_);
                if (stopped_) return false;
            }
            std::lock_guard<std::mutex> lock(mutex_);
            if (stopped_) return false;
            if (block.header.dwFlags & WHDR_PREPARED)
                waveOutUnprepareHeader(device_, &block.header, sizeof block.header);
            block.samples = std::move(samples);
            block.header = WAVEHDR{};
            block.header.lpData = reinterpret_cast<LPSTR>(block.samples.data());
            block.header.dwBufferLength = static_cast<DWORD>(block.samples.size() * sizeof(std::int16_t));
            if (waveOutPrepareHeader(device_, &block.header, sizeof block.header) == MMSYSERR_NOERROR &&
                waveOutWrite(device_, &block.header, sizeof block.header) == MMSYSERR_NOERROR) {
                submitted_frames_ += frames;
                return true;
            }
            // The device failed mid-song: the rest keeps time against the clock.
            clock_base_ = Played_seconds();
            clock_resumed_ = Clock::now();
            Close_device();
        }
        std::unique_lock<std::mutex> lock(mutex_);
        submitted_frames_ += frames;
        // Stay at most one block ahead of what has been heard.
        while (!stopped_ && Played_seconds() + Block_seconds < Submitted_seconds()) {
            if (running_)
                changed_.wait_for(lock, std::chrono::milliseconds(5));
            else
                changed_.wait(lock);
        }
        return !stopped_;
    }

    struct Block {
        WAVEHDR header{};
        std::vector<std::int16_t> samples;
    };

    std::mutex mutex_;
    std::condition_variable changed_;
    IMFSourceReader* reader_ = nullptr;
    HWAVEOUT device_ = nullptr;
    HANDLE done_event_ = nullptr;
    Block blocks_[Device_blocks];
    std::vector<std::int16_t> pending_;  // decoded, not yet handed over (player thread, or Build before it)
    std::thread player_;
    unsigned rate_ = 0, channels_ = 0;
    double duration_ = -1;
    std::atomic<int> volume_{Volume_full};
    unsigned long long submitted_frames_ = 0;
    double clock_base_ = 0;  // seconds heard before the last resume, when the clock keeps the time
    Clock::time_point clock_resumed_ = Clock::now();
    bool running_ = false;
    bool stopped_ = false;
    bool ended_ = false;
    bool failed_ = false;
};

}  // namespace

std::unique_ptr<Media_graph> Media_graph::Create() {
    if (!Media_foundation_ready()) return nullptr;
    return std::make_unique<Mf_graph>();
}

}  // namespace Platform

// The media graph on GStreamer: one playbin per song, audio only, with its own volume element so the
// volume reads back as set. Rendering prerolls the pipeline so that failures surface as they would in RenderFile.
#include <gst/gst.h>
#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <mutex>
#include <string>

#include "platform/media.h"

namespace Platform {
namespace {

// playbin's GstPlayFlags: video and audio. Video goes to a fake sink: without a video chain a picture or
// a silent film never prerolls, it hangs. No software volume: playbin's own volume element for a sink
// without one stays alive after its pipeline (one per song, a few KB each); the graph keeps its own
// volume element in front of the sink instead, and the volume reads back as set from it.
constexpr guint Play_flag_video = 0x01;
constexpr guint Play_flag_audio = 0x02;
// Long enough for any local file to preroll; a file that never does is a failed render, not a hang.
constexpr GstClockTime Preroll_timeout = 5 * GST_SECOND;
constexpr const char* Stop_message = "tavrix-stop";

// Every song allocates a few MB of large buffers on its streaming threads and frees them when its graph
// goes. glibc maps large blocks of their own only up to a threshold it raises to the largest block freed,
// so after the first song those buffers come from the threads' malloc arenas, where freed pages stay
// resident and scatter: the process grew by tens of KB a minute, song after song. glibc's initial
// threshold, held fixed, maps them per song and returns them at its end; two arenas (instead of eight per
// core) keep fewer such pools. Set at program start, before any thread allocates.
const bool Allocator_tuned_for_songs = [] {
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    mallopt(M_ARENA_MAX, 2);
    return true;
}();

void Init_gstreamer() {
    static std::once_flag once;
    std::call_once(once, [] { gst_init(nullptr, nullptr); });
}

GstElement* Null_sink() {
    // Keeps real time, so songs last as long as they would on a device.
    GstElement* sink = gst_element_factory_make("fakesink", nullptr);
    if (sink) g_object_set(sink, "sync", TRUE, nullptr);
    return sink;
}

// Whether the automatic audio sink finds a real device; asked once per process.
bool Audio_device_available() {
    static std::once_flag once;
    static bool available = false;
    std::call_once(once, [] {
        GstElement* probe = gst_element_factory_make("autoaudiosink", nullptr);
        if (!probe) return;
        gst_object_ref_sink(probe);
        if (gst_element_set_state(probe, GST_STATE_READY) != GST_STATE_CHANGE_FAILURE) {
            // When nothing opens, autoaudiosink settles on a fakesink child that does not keep time.
            available = true;
            GstIterator* it = gst_bin_iterate_sinks(GST_BIN(probe));
            GValue item = G_VALUE_INIT;
            if (gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
                GstElement* child = GST_ELEMENT(g_value_get_object(&item));
                GstElementFactory* factory = gst_element_get_factory(child);
                if (factory && g_strcmp0(gst_plugin_feature_get_name(GST_PLUGIN_FEATURE(factory)), "fakesink") == 0)
                    available = false;
                g_value_unset(&item);
            } else {
                available = false;
            }
            gst_iterator_free(it);
        }
        gst_element_set_state(probe, GST_STATE_NULL);
        gst_object_unref(probe);
    });
    return available;
}

GstElement* Make_audio_sink() {
    if (const char* wanted = std::getenv("TAVRIX_AUDIO_SINK"); wanted && *wanted) {
        // A named sink plays in real time: a bare "fakesink" would otherwise swallow a song at once.
        std::string description = wanted;
        if (description.find('!') == std::string::npos && description.find("sync") == std::string::npos)
            description += " sync=true";
        GError* error = nullptr;
        GstElement* sink = gst_parse_bin_from_description(description.c_str(), TRUE, &error);
        if (error) g_error_free(error);
        if (sink) return sink;
    }
    if (Audio_device_available()) {
        if (GstElement* sink = gst_element_factory_make("autoaudiosink", nullptr)) return sink;
    }
    return Null_sink();
}

Render_result Classify(const GError* error) {
    if (error->domain == GST_STREAM_ERROR) {
        switch (error->code) {
            case GST_STREAM_ERROR_TYPE_NOT_FOUND:
                return Render_result::unknown_file_type;
            case GST_STREAM_ERROR_CODEC_NOT_FOUND:
                return Render_result::unsupported_stream;
            case GST_STREAM_ERROR_DEMUX:
            case GST_STREAM_ERROR_DECODE:
            case GST_STREAM_ERROR_WRONG_TYPE:
            case GST_STREAM_ERROR_FORMAT:
                return Render_result::invalid_file_format;
            default:
                return Render_result::other_failure;
        }
    }
    if (error->domain == GST_CORE_ERROR && error->code == GST_CORE_ERROR_MISSING_PLUGIN)
        return Render_result::unsupported_stream;
    return Render_result::other_failure;
}

class Gst_graph final : public Media_graph {
public:
    Gst_graph(GstElement* playbin, GstElement* volume)
        : playbin_(playbin), volume_(volume), bus_(gst_element_get_bus(playbin)) {
        g_object_set(playbin_, "flags", Play_flag_video | Play_flag_audio, nullptr);
        if (GstElement* pictures = gst_element_factory_make("fakesink", nullptr))
            g_object_set(playbin_, "video-sink", pictures, nullptr);
    }

    ~Gst_graph() override {
        gst_element_set_state(playbin_, GST_STATE_NULL);
        gst_object_unref(bus_);
        gst_object_unref(playbin_);
        gst_object_unref(volume_);
    }

    Render_result Render_file(const std::string& path) override {
        Render_result result = Build(path);
        if (result != Render_result::ok) {
            // A failed graph holds no threads or devices; it only answers calls until destroyed.
            failed_ = true;
            gst_element_set_state(playbin_, GST_STATE_NULL);
        }
        return result;
    }

    bool Set_volume(int hundredths_db) override {
        double linear = 0.0;
        if (hundredths_db > Volume_silence) linear = std::pow(10.0, std::min(hundredths_db, Volume_full) / 2000.0);
        g_object_set(volume_, "volume", linear, nullptr);
        return true;
    }

    bool Get_volume(int& hundredths_db) override {
        double linear = 0.0;
        g_object_get(volume_, "volume", &linear, nullptr);
        if (linear <= 0.0) {
            hundredths_db = Volume_silence;
        } else {
            const double db = std::lround(2000.0 * std::log10(linear));
            hundredths_db = static_cast<int>(std::clamp<double>(db, Volume_silence, Volume_full));
        }
        return true;
    }

    bool Run() override { return Change_state(GST_STATE_PLAYING); }
    bool Pause() override { return Change_state(GST_STATE_PAUSED); }

    bool Stop() override {
        stopped_ = true;
        // Wakes the completion wait; the bus is thread-safe.
        gst_bus_post(bus_, gst_message_new_application(GST_OBJECT(playbin_), gst_structure_new_empty(Stop_message)));
        if (!failed_) gst_element_set_state(playbin_, GST_STATE_PAUSED);
        return true;
    }

    // A song's length is asked twice a second while it plays, and each query walks the graph back to
    // the demuxer: the costliest thing an idle jukebox did. The length is kept once known, until the
    // graph says it changed (a stream without a length header is measured while it plays).
    bool Duration(double& seconds) override {
        if (failed_) return false;
        unsigned long asked_in = 0;
        {
            std::lock_guard<std::mutex> lock(duration_mutex_);
            if (duration_ns_ >= 0) {
                seconds = static_cast<double>(duration_ns_) * 1e-9;
                return true;
            }
            asked_in = duration_generation_;
        }
        gint64 ns = 0;
        if (!gst_element_query_duration(playbin_, GST_FORMAT_TIME, &ns) || ns < 0) return false;
        {
            // A change announced while the query ran leaves the answer unkept: it may be the old length.
            std::lock_guard<std::mutex> lock(duration_mutex_);
            if (duration_generation_ == asked_in) duration_ns_ = ns;
        }
        seconds = static_cast<double>(ns) * 1e-9;
        return true;
    }

    bool Position(double& seconds) override {
        gint64 ns = 0;
        if (failed_ || !gst_element_query_position(playbin_, GST_FORMAT_TIME, &ns) || ns < 0) return false;
        seconds = static_cast<double>(ns) * 1e-9;
        return true;
    }

    void Wait_for_completion() override {
        const auto kinds = static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR | GST_MESSAGE_APPLICATION |
                                                       GST_MESSAGE_DURATION_CHANGED);
        while (!stopped_ && !failed_) {
            GstMessage* message = gst_bus_timed_pop_filtered(bus_, GST_CLOCK_TIME_NONE, kinds);
            if (!message) continue;
            const GstMessageType type = GST_MESSAGE_TYPE(message);
            gst_message_unref(message);
            if (type == GST_MESSAGE_EOS || type == GST_MESSAGE_ERROR) return;
            if (type == GST_MESSAGE_DURATION_CHANGED) Forget_duration();
        }
    }

private:
    Render_result Build(const std::string& path) {
        GError* error = nullptr;
        gchar* uri = gst_filename_to_uri(path.c_str(), &error);
        if (!uri) {
            if (error) g_error_free(error);
            return Render_result::other_failure;
        }
        g_object_set(playbin_, "uri", uri, nullptr);
        g_free(uri);
        GstElement* sink = Audio_sink_behind_volume();
        if (!sink) return Render_result::other_failure;
        g_object_set(playbin_, "audio-sink", sink, nullptr);

        const GstStateChangeReturn change = gst_element_set_state(playbin_, GST_STATE_PAUSED);
        if (change == GST_STATE_CHANGE_SUCCESS || change == GST_STATE_CHANGE_NO_PREROLL)
            return Has_audio() ? Render_result::ok : Render_result::unsupported_stream;
        // Wait for the preroll to finish or fail; an immediate failure still posts its error first.
        const GstClockTime deadline = gst_util_get_timestamp() + Preroll_timeout;
        const auto kinds = static_cast<GstMessageType>(GST_MESSAGE_ASYNC_DONE | GST_MESSAGE_ERROR);
        for (;;) {
            const GstClockTime now = gst_util_get_timestamp();
            const GstClockTime left = now < deadline ? deadline - now : 0;
            GstMessage* message =
                gst_bus_timed_pop_filtered(bus_, change == GST_STATE_CHANGE_FAILURE ? 0 : left, kinds);
            if (!message) return Render_result::other_failure;  // failed without saying why, or timed out
            if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_ERROR) {
                GError* failure = nullptr;
                gst_message_parse_error(message, &failure, nullptr);
                const Render_result result = failure ? Classify(failure) : Render_result::other_failure;
                if (failure) g_error_free(failure);
                gst_message_unref(message);
                return result;
            }
            // ASYNC_DONE of the pipeline itself (children post their own that the pipeline swallows).
            const bool ours = GST_MESSAGE_SRC(message) == GST_OBJECT(playbin_);
            gst_message_unref(message);
            if (ours) return Has_audio() ? Render_result::ok : Render_result::unsupported_stream;
        }
    }

    // A bin of the graph's volume element and the audio sink, entered through the volume's sink pad.
    GstElement* Audio_sink_behind_volume() {
        GstElement* sink = Make_audio_sink();
        if (!sink) return nullptr;
        GstElement* bin = gst_bin_new(nullptr);
        gst_bin_add_many(GST_BIN(bin), volume_, sink, nullptr);  // the bin takes a reference to volume_
        GstPad* entry = gst_element_get_static_pad(volume_, "sink");
        const bool linked =
            gst_element_link(volume_, sink) && gst_element_add_pad(bin, gst_ghost_pad_new("sink", entry));
        gst_object_unref(entry);
        if (!linked) {
            gst_object_unref(gst_object_ref_sink(bin));
            return nullptr;
        }
        return bin;
    }

    void Forget_duration() {
        std::lock_guard<std::mutex> lock(duration_mutex_);
        duration_ns_ = -1;
        ++duration_generation_;
    }

    bool Has_audio() {
        gint streams = 0;
        g_object_get(playbin_, "n-audio", &streams, nullptr);
        return streams > 0;
    }

    bool Change_state(GstState state) {
        if (failed_ || stopped_) return false;
        return gst_element_set_state(playbin_, state) != GST_STATE_CHANGE_FAILURE;
    }

    GstElement* playbin_;
    GstElement* volume_;  // our reference; in the audio sink's bin once Build made it
    GstBus* bus_;
    std::atomic<bool> failed_{false};
    std::atomic<bool> stopped_{false};
    // The known length (negative: ask the graph); taken by the caller of Duration, forgotten by the
    // completion wait's thread, which counts each change so that a query it overtook is not kept.
    std::mutex duration_mutex_;
    gint64 duration_ns_ = -1;
    unsigned long duration_generation_ = 0;
};

}  // namespace

std::unique_ptr<Media_graph> Media_graph::Create() {
    Init_gstreamer();
    GstElement* playbin = gst_element_factory_make("playbin", nullptr);
    if (!playbin) return nullptr;
    gst_object_ref_sink(playbin);
    GstElement* volume = gst_element_factory_make("volume", nullptr);
    if (!volume) {
        gst_object_unref(playbin);
        return nullptr;
    }
    gst_object_ref_sink(volume);
    return std::make_unique<Gst_graph>(playbin, volume);
}

}  // namespace Platform

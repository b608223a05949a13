// Missing decoders on Linux: GStreamer's missing-plugin message names the decoder and gives the
// detail that its codec installer (gst_install_plugins_async, PackageKit's where installed) takes.
// The installer's end is watched by a GLib main loop on a thread of its own while it runs, and posted
// to the window's queue, so the jukebox goes on playing and drawing meanwhile.
#include <gst/pbutils/pbutils.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstring>
#include <thread>

#include "platform/codec_installer.h"
#include "platform/linux/gst_types.h"

namespace Platform {
namespace {

// Which Debian package set brings the decoder of a media type; the installer finds it by the detail,
// this only tells the user what to ask their package manager for.
struct Package_row {
    const char* media_type;
    int mpeg_version;  // for audio/mpeg: 1 is MP3, 2 and 4 are AAC; 0 for every other type
    const char* package;
};
constexpr Package_row Packages[] = {
    {"audio/x-flac", 0, "gstreamer1.0-plugins-good"},
    {"audio/mpeg", 1, "gstreamer1.0-plugins-good"},
    {"audio/x-wav", 0, "gstreamer1.0-plugins-good"},
    {"application/ogg", 0, "gstreamer1.0-plugins-base"},
    {"audio/x-vorbis", 0, "gstreamer1.0-plugins-base"},
    {"audio/mpeg", 2, "gstreamer1.0-libav"},
    {"audio/mpeg", 4, "gstreamer1.0-libav"},
    {"audio/x-ape", 0, "gstreamer1.0-libav"},
    {"video/x-ms-asf", 0, "gstreamer1.0-libav"},
    {"audio/x-ms-wma", 0, "gstreamer1.0-libav"},
    {"audio/x-musepack", 0, "gstreamer1.0-plugins-bad"},
    {"audio/x-wavpack", 0, "gstreamer1.0-plugins-good"},
    {"application/x-id3", 0, "gstreamer1.0-plugins-good"},
    {"audio/x-ac3", 0, "gstreamer1.0-plugins-ugly"},
};
constexpr const char* Any_package =
    "one of gstreamer1.0-plugins-good, gstreamer1.0-plugins-bad, gstreamer1.0-plugins-ugly or gstreamer1.0-libav";

std::string Package_for(const GstStructure* type) {
    const char* name = gst_structure_get_name(type);
    int version = 0;
    if (std::strcmp(name, "audio/mpeg") == 0 && !gst_structure_get_int(type, "mpegversion", &version)) {
        // A list or range of versions (the AAC typefinder's {2, 4}): its first value decides.
        if (const GValue* list = gst_structure_get_value(type, "mpegversion"); list && GST_VALUE_HOLDS_LIST(list))
            version = g_value_get_int(gst_value_list_get_value(list, 0));
    }
    for (const Package_row& row : Packages)
        if (std::strcmp(row.media_type, name) == 0 && (row.mpeg_version == 0 || row.mpeg_version == version))
            return row.package;
    return Any_package;
}

Codec_install Outcome_of(GstInstallPluginsReturn result) {
    switch (result) {
        case GST_INSTALL_PLUGINS_SUCCESS:
        case GST_INSTALL_PLUGINS_PARTIAL_SUCCESS:
            return Codec_install::installed;
        case GST_INSTALL_PLUGINS_NOT_FOUND:
            return Codec_install::not_found;
        case GST_INSTALL_PLUGINS_USER_ABORT:
            return Codec_install::cancelled;
        default:
            return Codec_install::failed;
    }
}

std::atomic<bool> g_installing{false};

struct Install_watch {
    GMainLoop* loop;
};

void On_installer_done(GstInstallPluginsReturn result, gpointer data) {
    auto* watch = static_cast<Install_watch*>(data);
    g_installing = false;  // before the post: the jukebox may offer the next install at once
    Message_queue::Instance().Post(Message{WM_CODEC_INSTALL_DONE, static_cast<std::uintptr_t>(Outcome_of(result)), 0});
    g_main_loop_quit(watch->loop);
}

}  // namespace

Software_source Platform_software_source() { return Software_source::system_packages; }

std::optional<Missing_decoder> Describe_missing_decoder(const std::string& extension) {
    std::string lower = extension;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    GstCaps* caps = Caps_for_extension(lower);
    if (!caps || gst_caps_is_empty(caps)) {
        if (caps) gst_caps_unref(caps);
        return std::nullopt;
    }
    gst_pb_utils_init();
    // The message a pipeline posts when its decodebin finds no decoder for the type, made for the
    // type's first structure (a fixed one: the installer wants one concrete media type).
    GstCaps* first = gst_caps_copy_nth(caps, 0);
    GstStructure* type = gst_caps_get_structure(first, 0);
    for (const char* field : {"layer", "rate", "channels", "framed", "parsed"}) gst_structure_remove_field(type, field);
    if (gst_structure_has_name(type, "audio/mpeg") && !gst_structure_has_field_typed(type, "mpegversion", G_TYPE_INT)) {
        int version = 0;
        if (const GValue* list = gst_structure_get_value(type, "mpegversion"); list && GST_VALUE_HOLDS_LIST(list))
            version = g_value_get_int(gst_value_list_get_value(list, 0));
        gst_structure_set(type, "mpegversion", G_TYPE_INT, version, nullptr);
    }
    GstElement* source = gst_bin_new("tavrix");
    gst_object_ref_sink(source);
    GstMessage* message = gst_missing_decoder_message_new(source, first);
    Missing_decoder decoder;
    if (message) {
        gchar* description = gst_missing_plugin_message_get_description(message);
        gchar* detail = gst_missing_plugin_message_get_installer_detail(message);
        if (description) decoder.description = description;
        if (detail) decoder.installer_detail = detail;
        g_free(description);
        g_free(detail);
        gst_message_unref(message);
    }
    decoder.package = Package_for(type);
    gst_object_unref(source);
    gst_caps_unref(first);
    gst_caps_unref(caps);
    if (decoder.installer_detail.empty()) return std::nullopt;
    return decoder;
}

bool Has_codec_installer() { return Gstreamer_ready() && gst_install_plugins_supported(); }

bool Start_codec_install(const Missing_decoder& decoder) {
    if (!Has_codec_installer() || decoder.installer_detail.empty()) return false;
    if (g_installing.exchange(true)) return false;  // one installer at a time
    // The installer's end is a child watch on GLib's default main context, which nothing else in the
    // jukebox runs: a loop on a thread of its own runs it until the installer ends.
    auto* watch = new Install_watch{g_main_loop_new(nullptr, FALSE)};
    GstInstallPluginsContext* context = gst_install_plugins_context_new();
    gst_install_plugins_context_set_desktop_id(context, "tavrix.desktop");
    const gchar* details[] = {decoder.installer_detail.c_str(), nullptr};
    const GstInstallPluginsReturn started = gst_install_plugins_async(details, context, On_installer_done, watch);
    gst_install_plugins_context_free(context);
    if (started != GST_INSTALL_PLUGINS_STARTED_OK) {
        g_main_loop_unref(watch->loop);
        delete watch;
        g_installing = false;
        return false;
    }
    std::thread([watch] {
        g_main_loop_run(watch->loop);
        g_main_loop_unref(watch->loop);
        delete watch;
    }).detach();
    return true;
}

void Refresh_media_registry() {
    if (Gstreamer_ready()) gst_update_registry();
}

}  // namespace Platform

// The desktop on Linux: the GStreamer registry answers which media types can be decoded, and
// xdg-open opens files. An extension counts as decodable when a typefinder lists it and a demuxer or
// decoder accepts the typefinder's caps; tag formats (ID3, APE tags) say nothing about the audio.
#include <gst/gst.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <thread>

#include "platform/dialogs.h"
#include "platform/linux/gst_types.h"
#include "platform/shell.h"

extern char** environ;

namespace Platform {
namespace {

bool Is_tag_format(const GstCaps* caps) {
    for (guint i = 0; i < gst_caps_get_size(caps); ++i) {
        const char* name = gst_structure_get_name(gst_caps_get_structure(caps, i));
        if (std::strncmp(name, "application/x-id3", 17) == 0 || std::strcmp(name, "application/x-apetag") == 0)
            return true;
    }
    return false;
}

bool Has_decoder_for(GstCaps* caps) {
    GList* decoders = gst_element_factory_list_get_elements(
        GST_ELEMENT_FACTORY_TYPE_DECODER | GST_ELEMENT_FACTORY_TYPE_DEMUXER, GST_RANK_MARGINAL);
    GList* accepting = gst_element_factory_list_filter(decoders, caps, GST_PAD_SINK, FALSE);
    bool found = accepting != nullptr;
    gst_plugin_feature_list_free(accepting);
    gst_plugin_feature_list_free(decoders);
    return found;
}

}  // namespace

bool Gstreamer_ready() {
    static const bool ready = [] {
        GError* error = nullptr;
        bool ok = gst_init_check(nullptr, nullptr, &error);
        if (error) g_error_free(error);
        return ok;
    }();
    return ready;
}

GstCaps* Caps_for_extension(const std::string& wanted) {
    if (!Gstreamer_ready()) return nullptr;
    GstCaps* found = nullptr;
    GList* typefinders = gst_type_find_factory_get_list();
    for (GList* item = typefinders; item; item = item->next) {
        auto* factory = GST_TYPE_FIND_FACTORY(item->data);
        const gchar* const* extensions = gst_type_find_factory_get_extensions(factory);
        bool listed = false;
        for (int i = 0; extensions && extensions[i] && !listed; ++i) listed = wanted == extensions[i];
        if (!listed) continue;
        GstCaps* caps = gst_type_find_factory_get_caps(factory);  // not a new reference
        if (!caps || Is_tag_format(caps)) continue;
        found = found ? gst_caps_merge(found, gst_caps_copy(caps)) : gst_caps_copy(caps);
    }
    gst_plugin_feature_list_free(typefinders);
    return found;
}

bool Has_media_type_registry() { return Gstreamer_ready(); }

bool Can_decode_extension(const std::string& extension) {
    if (!Gstreamer_ready()) return true;
    std::string wanted = extension;
    std::transform(wanted.begin(), wanted.end(), wanted.begin(), [](unsigned char c) { return std::tolower(c); });

    GstCaps* caps = Caps_for_extension(wanted);
    if (!caps) return false;
    const bool decodable = Has_decoder_for(caps);
    gst_caps_unref(caps);
    return decodable;
}

bool Open_file(const std::string& path) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0) return false;
    if (Is_headless()) {
        if (std::FILE* f = std::fopen("opened.txt", "a")) {
            std::fprintf(f, "%s\n", path.c_str());
            std::fclose(f);
        }
        return true;
    }
    pid_t child = 0;
    char program[] = "xdg-open";
    std::string argument = path;
    char* argv[] = {program, argument.data(), nullptr};
    if (posix_spawnp(&child, program, nullptr, nullptr, argv, environ) != 0) return false;
    // xdg-open hands the file on and ends; reap it without making the caller wait.
    std::thread([child] { waitpid(child, nullptr, 0); }).detach();
    return true;
}

}  // namespace Platform

// A GStreamer without some of the system's plugins, for the tests of missing decoders: a plugin folder
// of links to every system plugin but the hidden ones, and a registry of its own. Set before the
// first GStreamer call of the process (or passed to the program's environment).
#pragma once

#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace TestSupport {

// The FLAC decoders: flac's own and libav's. Their parser stays, as on a system without the decoder.
inline const std::set<std::string> Flac_decoders{"libgstflac.so", "libgstlibav.so"};

// Makes folder/plugins and returns the environment settings ("NAME=value") that use it.
inline std::vector<std::string> Plugins_without(const std::string& folder, const std::set<std::string>& hidden) {
    namespace fs = std::filesystem;
    fs::create_directories(folder + "/plugins");
    for (const auto& entry : fs::directory_iterator(TAVRIX_GST_PLUGINS_DIR)) {
        const std::string name = entry.path().filename().string();
        if (hidden.count(name) || entry.path().extension() != ".so") continue;
        fs::create_symlink(entry.path(), folder + "/plugins/" + name);
    }
    return {"GST_PLUGIN_SYSTEM_PATH_1_0=" + folder + "/plugins",
            "GST_PLUGIN_PATH_1_0=", "GST_REGISTRY_1_0=" + folder + "/registry.bin"};
}

// A codec installer that records what it was asked for in folder/installer-args.txt, links the
// hidden plugin named by bring (when not empty) into the plugin folder, and exits with code.
inline std::string Fake_codec_installer(const std::string& folder, const std::string& bring, int code) {
    const std::string path = folder + "/fake-installer.sh";
    std::string script = "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + folder + "/installer-args.txt'\n";
    if (!bring.empty())
        script += "ln -sf '" + std::string(TAVRIX_GST_PLUGINS_DIR) + "/" + bring + "' '" + folder + "/plugins/'\n";
    script += "exit " + std::to_string(code) + "\n";
    {
        std::FILE* f = std::fopen(path.c_str(), "w");
        std::fputs(script.c_str(), f);
        std::fclose(f);
    }
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    return path;
}

}  // namespace TestSupport

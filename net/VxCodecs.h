// The codec service: whether the platform can decode a song's media type, and if not, offering
// to fetch and start the codec installer from "../files/". The first answer per extension is kept
// for the run (until a check with reset). User-interface thread only; messages carry "VxDatabase".
#pragma once

#include <string>
#include <vector>

struct CodecEntry {
    std::string extension;  // upper case
    bool probed = false;
    bool installed = false;
};

// "DSMP3SourceSetup.exe" for "MP3" and so on; "Invalid_Codec_Name.exe" for an extension without one.
std::string Codec_installer_name(const std::string& extension);

// True when a file with this extension (upper case) may be played. A type the platform cannot decode
// is reported once, with the offer to install or download its codec; reset rebuilds the table first.
bool Check_codec(const std::string& extension, bool reset = false);

bool Codec_file_available(const std::string& extension);  // "../files/" + installer name exists
// Tries the extension's candidate addresses in order; true when one delivered the installer.
bool Download_codec(const std::string& extension);
// Starts the installer in "../files/" (or says how to install it), then checks the codec again.
bool Install_codec(const std::string& extension);

// The table as it stands (for the options screen and tests).
const std::vector<CodecEntry>& Codec_table();

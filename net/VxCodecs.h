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

// The check that follows an installation: the table is rebuilt and the type probed again; a type still
// missing is said so once more, but not offered again.
void Check_codec_after_install(const std::string& extension);

// Where decoders come as the system's packages: names the missing decoder and its package and offers
// the system's codec installer when there is one (the warning is step 8's text).
void Offer_decoder_package(const std::string& extension, const std::string& warning);
// The system's installer ended (the window's WM_CODEC_INSTALL_DONE): after an install the type is
// checked again and the current song starts again; a failure is said.
void Codec_install_finished(unsigned outcome);

// The table as it stands (for the options screen and tests).
const std::vector<CodecEntry>& Codec_table();

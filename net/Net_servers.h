// The servers the internet services talk to, taken from the environment at each use:
// TAVRIX_DIST_SERVER, TAVRIX_IMAGE_SEARCH and TAVRIX_LOCAL_SERVER, each a base address such as
// "https://dist.example/tavrix/". An unset one is "": every address built on it is refused before
// anything leaves the machine, so the service behaves as with an unreachable server.
// The cover services MusicBrainz and the Cover Art Archive have their public addresses unless
// TAVRIX_MUSICBRAINZ_SERVER or TAVRIX_COVER_ART_SERVER names another; set to "off" (or set but
// empty, where the system keeps empty variables), they are off.
#pragma once

#include <string>

namespace Net_servers {

std::string Distribution();       // "Started.php?", "Info.txt", "files/..." and "codecs/..." live here
std::string Image_search();       // answers "images?...&q=..." with a page of "imgurl=" links
std::string Local();              // a web server on the local machine with a "codecs/" folder
std::string Music_brainz();       // its web service: answers "release/?query=...&fmt=json"
std::string Cover_art_archive();  // answers "release/<release id>/front-500" with redirects to the image

// True when a cover service may be asked at url: HTTPS (whose certificate the client checks), or
// plain HTTP to the loopback test server 127.0.0.1 only. Every redirect hop is checked the same way.
bool Secure_address(const std::string& url);

// True when a downloaded program may be kept and started: it came over HTTPS with the certificate
// checked, or from the loopback test server 127.0.0.1.
bool Trusted_program_source(bool secure, const std::string& peer_ip);

}  // namespace Net_servers

// The servers the internet services talk to, taken from the environment at each use:
// TAVRIX_DIST_SERVER, TAVRIX_IMAGE_SEARCH and TAVRIX_LOCAL_SERVER, each a base address such as
// "https://dist.example/tavrix/". An unset one is "": every address built on it is refused before
// anything leaves the machine, so the service behaves as with an unreachable server.
#pragma once

#include <string>

namespace Net_servers {

std::string Distribution();  // "Started.php?", "Info.txt", "files/..." and "codecs/..." live here
std::string Image_search();  // answers "images?...&q=..." with a page of "imgurl=" links
std::string Local();         // a web server on the local machine with a "codecs/" folder

// True when a downloaded program may be kept and started: it came over HTTPS with the certificate
// checked, or from the loopback test server 127.0.0.1.
bool Trusted_program_source(bool secure, const std::string& peer_ip);

}  // namespace Net_servers

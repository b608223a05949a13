// Server addresses from the environment. A base without a final "/" gets one, so that the fixed
// paths of the services can be appended as they are.
#include "net/Net_servers.h"

#include <cstdlib>

namespace Net_servers {
namespace {
std::string Base(const char* name) {
    const char* value = std::getenv(name);
    if (!value || !*value) return "";
    std::string base = value;
    if (base.back() != '/') base += '/';
    return base;
}
}  // namespace

std::string Distribution() { return Base("TAVRIX_DIST_SERVER"); }
std::string Image_search() { return Base("TAVRIX_IMAGE_SEARCH"); }
std::string Local() { return Base("TAVRIX_LOCAL_SERVER"); }

bool Trusted_program_source(bool secure, const std::string& peer_ip) { return secure || peer_ip == "127.0.0.1"; }

}  // namespace Net_servers

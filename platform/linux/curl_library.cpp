// Opens libcurl by its soname and looks up the client's functions; the library stays loaded for the
// rest of the process, as it would have been when linked.
#include "platform/linux/curl_library.h"

#include <dlfcn.h>

#include <mutex>

namespace Platform {
namespace {

std::string failure;  // written once, under Curl()'s once flag

template <typename F>
bool Find(void* library, const char* name, F& function) {
    function = reinterpret_cast<F>(dlsym(library, name));
    if (!function) failure = std::string("libcurl.so.4 has no ") + name;
    return function != nullptr;
}

const Curl_library* Open_curl() {
    void* library = dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char* why = dlerror();
        failure = why ? why : "libcurl.so.4 cannot be loaded";
        return nullptr;
    }
    static Curl_library curl;
    const bool found =
        Find(library, "curl_global_init", curl.global_init) && Find(library, "curl_easy_init", curl.easy_init) &&
        Find(library, "curl_easy_setopt", curl.easy_setopt) && Find(library, "curl_easy_getinfo", curl.easy_getinfo) &&
        Find(library, "curl_easy_cleanup", curl.easy_cleanup) && Find(library, "curl_multi_init", curl.multi_init) &&
        Find(library, "curl_multi_add_handle", curl.multi_add_handle) &&
        Find(library, "curl_multi_remove_handle", curl.multi_remove_handle) &&
        Find(library, "curl_multi_perform", curl.multi_perform) &&
        Find(library, "curl_multi_info_read", curl.multi_info_read) &&
        Find(library, "curl_multi_poll", curl.multi_poll) && Find(library, "curl_multi_cleanup", curl.multi_cleanup) &&
        Find(library, "curl_slist_append", curl.slist_append) &&
        Find(library, "curl_slist_free_all", curl.slist_free_all);
    if (found && curl.global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) failure = "curl_global_init failed";
    if (!failure.empty()) {
        dlclose(library);
        return nullptr;
    }
    return &curl;
}

}  // namespace

const Curl_library* Curl() {
    static std::once_flag once;
    static const Curl_library* curl = nullptr;
    std::call_once(once, [] { curl = Open_curl(); });
    return curl;
}

const std::string& Curl_failure() { return failure; }

}  // namespace Platform
